// The judgement of an imported report file: any bytes are judged without a crash, and the
// preview line is a piece of the input no longer than asked.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/text/imported_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const hj::text::ImportedKind kind = hj::text::importedKind(bytes);
    if (kind == hj::text::ImportedKind::Rtf && bytes.substr(0, 5) != "{\\rtf") std::abort();
    (void)hj::text::encodingIsAmbiguous(bytes);
    for (std::size_t limit : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{80}}) {
        const std::string_view line = hj::text::firstNonAsciiLine(bytes, limit);
        if (line.size() > limit) std::abort();
        if (!line.empty() && (line.data() < bytes.data() || line.data() + line.size() > bytes.data() + bytes.size()))
            std::abort();
    }
    return 0;
}
