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
    // No text holds a NUL byte, wherever it comes: a binary part after a text start would
    // otherwise be shown as boxes.
    if (bytes.find('\0') != std::string_view::npos) return ImportedKind::Binary;
    const std::string_view head = bytes.substr(0, kSniffBytes);
    for (const char ch : head) {
        const auto c = static_cast<unsigned char>(ch);
        // Tab, line feed, form feed, carriage return and the DOS end-of-file mark occur in texts.
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\f' && c != '\r' && c != 0x1A) return ImportedKind::Binary;
    }
    return ImportedKind::Text;
}

bool utf16AsUtf8(std::string& bytes) {
    if (bytes.size() < 2) return false;
    const auto b0 = static_cast<unsigned char>(bytes[0]), b1 = static_cast<unsigned char>(bytes[1]);
    const bool little = b0 == 0xFF && b1 == 0xFE, big = b0 == 0xFE && b1 == 0xFF;
    if (!little && !big) return false;
    if (bytes.size() % 2 != 0) return false;
    auto unit = [&](std::size_t i) -> char32_t {
        const auto lo = static_cast<unsigned char>(bytes[little ? i : i + 1]);
        const auto hi = static_cast<unsigned char>(bytes[little ? i + 1 : i]);
        return static_cast<char32_t>(hi << 8 | lo);
    };
    std::string out(kBom);
    out.reserve(bytes.size() * 3 / 2 + 3);
    for (std::size_t i = 2; i < bytes.size(); i += 2) {
        char32_t cp = unit(i);
        if (cp >= 0xDC00 && cp <= 0xDFFF) return false;  // a low surrogate without its high one
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (i + 3 >= bytes.size()) return false;
            const char32_t low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        appendUtf8(out, cp);
    }
    bytes = std::move(out);
    return true;
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
