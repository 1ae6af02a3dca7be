#include "core/text/utf8.h"

namespace hj::text {

std::size_t utf8SeqLen(std::string_view s, std::size_t i) {
    auto b = static_cast<unsigned char>(s[i]);
    std::size_t n;
    unsigned cp;
    if (b < 0x80) return 1;
    if (b >= 0xC2 && b <= 0xDF) { n = 2; cp = b & 0x1Fu; }
    else if (b >= 0xE0 && b <= 0xEF) { n = 3; cp = b & 0x0Fu; }
    else if (b >= 0xF0 && b <= 0xF4) { n = 4; cp = b & 0x07u; }
    else return 0;
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (c & 0x3Fu);
    }
    if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    return n;
}

char32_t nextUtf8Char(std::string_view utf8, std::size_t& pos) {
    const std::size_t n = utf8SeqLen(utf8, pos);
    if (n == 0) {
        ++pos;
        return 0xFFFD;
    }
    const auto* u = reinterpret_cast<const unsigned char*>(utf8.data() + pos);
    pos += n;
    if (n == 1) return u[0];
    char32_t cp = u[0] & (n == 2 ? 0x1Fu : n == 3 ? 0x0Fu : 0x07u);
    for (std::size_t k = 1; k < n; ++k) cp = (cp << 6) | (u[k] & 0x3Fu);
    return cp;
}

bool isValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t n = utf8SeqLen(bytes, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace hj::text
