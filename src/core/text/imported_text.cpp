#include "core/text/imported_text.h"

#include <algorithm>

#include "core/text/utf8.h"

namespace hj::text {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
// Enough of the start to tell a text from a binary file.
constexpr std::size_t kSniffBytes = 8192;

bool hasHighByte(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

}  // namespace

ImportedKind importedKind(std::string_view bytes) {
    if (bytes.rfind("{\\rtf", 0) == 0) return ImportedKind::Rtf;
    const std::string_view head = bytes.substr(0, kSniffBytes);
    for (const char ch : head) {
        const auto c = static_cast<unsigned char>(ch);
        // Tab, line feed, form feed, carriage return and the DOS end-of-file mark occur in texts.
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\f' && c != '\r' && c != 0x1A) return ImportedKind::Binary;
    }
    return ImportedKind::Text;
}

bool encodingIsAmbiguous(std::string_view bytes) {
    if (bytes.rfind(kBom, 0) == 0) return false;
    return hasHighByte(bytes) && isValidUtf8(bytes);
}

std::string_view firstNonAsciiLine(std::string_view bytes, std::size_t maxBytes) {
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (hasHighByte(line)) {
            if (line.size() <= maxBytes) return line;
            // Cut before a byte that continues a character in either reading: at most one
            // character's bytes are lost.
            std::size_t cut = maxBytes;
            while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
            return line.substr(0, cut);
        }
        start = end + 1;
    }
    return {};
}

}  // namespace hj::text
