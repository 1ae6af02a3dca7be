#include "core/text/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace hj::text {
namespace {

// One converter per direction and thread; iconv_open is far dearer than a conversion.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as possible; returns the number of input bytes consumed, and sets
    // `err` to 0 on success or the errno of the failure.
    std::size_t run(const char* in, std::size_t len, std::string& out, int& err) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buf[1024];
        char* src = const_cast<char*>(in);
        std::size_t left = len;
        err = 0;
        while (left > 0) {
            char* dst = buf;
            std::size_t room = sizeof buf;
            std::size_t r = iconv(cd_, &src, &left, &dst, &room);
            out.append(buf, static_cast<std::size_t>(dst - buf));
            if (r == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) continue;
                err = errno;
                break;
            }
        }
        return len - left;
    }

private:
    iconv_t cd_;
};

Converter& fromGbk() {
    thread_local Converter c("UTF-8", "GBK");
    return c;
}
Converter& toGbk() {
    thread_local Converter c("GBK", "UTF-8");
    return c;
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the UTF-8 sequence starting at s[i], or 0 when it is malformed.
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

}  // namespace

std::string gbkToUtf8(std::string_view gbk) {
    std::string out;
    out.reserve(gbk.size() * 3 / 2);
    Converter& c = fromGbk();
    std::size_t pos = 0;
    while (pos < gbk.size()) {
        // Plain ASCII runs need no converter.
        std::size_t run = pos;
        while (run < gbk.size() && static_cast<unsigned char>(gbk[run]) < 0x80) ++run;
        out.append(gbk.data() + pos, run - pos);
        pos = run;
        if (pos >= gbk.size()) break;
        if (!c.ok()) {
            out += kReplacement;
            ++pos;
            continue;
        }
        int err = 0;
        pos += c.run(gbk.data() + pos, gbk.size() - pos, out, err);
        if (err != 0) {  // EILSEQ or a truncated final character
            out += kReplacement;
            ++pos;
        }
    }
    return out;
}

bool isValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t n = utf8SeqLen(bytes, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

bool utf8ToGbk(std::string_view utf8, std::string& out, std::string* badChar) {
    out.clear();
    out.reserve(utf8.size());
    Converter& c = toGbk();
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t n = utf8SeqLen(utf8, i);
        if (n == 0) {
            if (badChar) *badChar = std::string(kReplacement);
            return false;
        }
        if (n == 1) {
            out += utf8[i];
            ++i;
            continue;
        }
        int err = 0;
        std::size_t used = c.ok() ? c.run(utf8.data() + i, n, out, err) : 0;
        if (!c.ok() || err != 0 || used != n) {
            if (badChar) *badChar = std::string(utf8.substr(i, n));
            return false;
        }
        i += n;
    }
    return true;
}

std::string utf8ToGbkLossy(std::string_view utf8) {
    std::string out, piece;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t n = utf8SeqLen(utf8, i);
        if (n == 0) {
            out += '?';
            ++i;
            continue;
        }
        if (utf8ToGbk(utf8.substr(i, n), piece)) out += piece;
        else out += '?';
        i += n;
    }
    return out;
}

std::string decodeFileText(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        std::string_view body = bytes.substr(3);
        if (isValidUtf8(body)) return std::string(body);
        std::string out;
        for (std::size_t i = 0; i < body.size();) {
            std::size_t n = utf8SeqLen(body, i);
            if (n == 0) { out += kReplacement; ++i; }
            else { out.append(body.substr(i, n)); i += n; }
        }
        return out;
    }
    if (isValidUtf8(bytes)) return std::string(bytes);
    return gbkToUtf8(bytes);
}

std::size_t gbkLength(std::string_view utf8) {
    std::size_t len = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t n = utf8SeqLen(utf8, i);
        if (n == 0) n = 1;
        len += n == 1 && static_cast<unsigned char>(utf8[i]) < 0x80 ? 1 : 2;
        i += n;
    }
    return len;
}

std::string truncateGbk(std::string_view utf8, std::size_t maxBytes) {
    std::size_t len = 0, i = 0;
    while (i < utf8.size()) {
        std::size_t n = utf8SeqLen(utf8, i);
        if (n == 0) n = 1;
        std::size_t w = n == 1 && static_cast<unsigned char>(utf8[i]) < 0x80 ? 1 : 2;
        if (len + w > maxBytes) break;
        len += w;
        i += n;
    }
    return std::string(utf8.substr(0, i));
}

std::string padRight(std::string_view utf8, std::size_t width) {
    std::string out(utf8);
    std::size_t len = gbkLength(utf8);
    if (len < width) out.append(width - len, ' ');
    return out;
}

std::string padLeft(std::string_view utf8, std::size_t width) {
    std::size_t len = gbkLength(utf8);
    std::string out;
    if (len < width) out.assign(width - len, ' ');
    out += utf8;
    return out;
}

std::string_view gbkField(const char* data, std::size_t width) {
    const void* nul = std::memchr(data, 0, width);
    std::size_t n = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - data) : width;
    return {data, n};
}

}  // namespace hj::text
