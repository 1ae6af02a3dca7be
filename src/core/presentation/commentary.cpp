#include "core/presentation/commentary.h"

#include <algorithm>

#include "core/text/ini.h"

namespace hj::presentation {

std::string commentaryText(const text::IniFile& file, std::string_view topic) {
    // A damaged count must not freeze the viewer: no topic holds anywhere near this many.
    constexpr int kMaxEntries = 10000;
    const int n = std::min(file.readInt(topic, "tol", 0), kMaxEntries);
    std::string out;
    for (int k = 1; k <= n; ++k) {
        out += std::to_string(k);
        out += ':';
        out += file.readString(topic, std::to_string(k), " ");
        out += '\n';
    }
    return out;
}

}  // namespace hj::presentation
