#include "core/text/gbk.h"
#include "core/text/utf8.h"

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

// GBK's three user-defined areas map to the Private Use Area, row by row, as code page 936
// and GB 18030 map them; the system converter leaves them out, so they are done here.
struct UserArea {
    unsigned char leadFirst, leadLast, trailFirst, trailLast;
    char32_t base;
};
constexpr UserArea kUserAreas[] = {
    {0xAA, 0xAF, 0xA1, 0xFE, 0xE000},  // AAA1–AFFE → U+E000–E233
    {0xF8, 0xFE, 0xA1, 0xFE, 0xE234},  // F8A1–FEFE → U+E234–E4C5
    {0xA1, 0xA7, 0x40, 0xA0, 0xE4C6},  // A140–A7A0 (no 7F trail) → U+E4C6–E765
};

// Trail bytes a row of the area holds (the third area skips 0x7F).
int areaRowLength(const UserArea& a) { return a.trailLast - a.trailFirst + 1 - (a.trailFirst <= 0x7F && a.trailLast >= 0x7F); }

// The Private Use character of a user-defined GBK pair, or 0 when the pair is not one.
char32_t userCharOf(unsigned char lead, unsigned char trail) {
    if (trail == 0x7F) return 0;
    for (const UserArea& a : kUserAreas) {
        if (lead < a.leadFirst || lead > a.leadLast || trail < a.trailFirst || trail > a.trailLast) continue;
        int col = trail - a.trailFirst - (trail > 0x7F && a.trailFirst < 0x7F);
        return a.base + static_cast<char32_t>((lead - a.leadFirst) * areaRowLength(a) + col);
    }
    return 0;
}

// The GBK pair of a Private Use character of the user-defined areas; false for any other.
bool userPairOf(char32_t cp, std::string& out) {
    for (const UserArea& a : kUserAreas) {
        const int row = areaRowLength(a);
        const char32_t count = static_cast<char32_t>(row * (a.leadLast - a.leadFirst + 1));
        if (cp < a.base || cp >= a.base + count) continue;
        const int k = static_cast<int>(cp - a.base);
        int trail = a.trailFirst + k % row;
        if (a.trailFirst < 0x7F && trail >= 0x7F) ++trail;
        out += static_cast<char>(a.leadFirst + k / row);
        out += static_cast<char>(trail);
        return true;
    }
    return false;
}


// A lead byte followed by a byte that can trail it: GBK reads the two as one character.
bool isGbkPair(unsigned char lead, unsigned char trail) {
    return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
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
        if (err == 0) continue;
        // EILSEQ or a truncated final character. A user-defined character is one character; any
        // other unmapped pair is one bad character too, so its trail byte never pairs with the
        // next character's lead byte.
        const auto lead = static_cast<unsigned char>(gbk[pos]);
        const auto trail = pos + 1 < gbk.size() ? static_cast<unsigned char>(gbk[pos + 1]) : 0;
        if (char32_t cp = pos + 1 < gbk.size() ? userCharOf(lead, trail) : 0) {
            appendUtf8(out, cp);
            pos += 2;
        } else {
            out += kReplacement;
            pos += pos + 1 < gbk.size() && isGbkPair(lead, trail) ? 2 : 1;
        }
    }
    return out;
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
        if ((!c.ok() || err != 0 || used != n) && n == 3) {
            const auto* u = reinterpret_cast<const unsigned char*>(utf8.data() + i);
            const char32_t cp = (char32_t(u[0] & 0x0F) << 12) | (char32_t(u[1] & 0x3F) << 6) | (u[2] & 0x3F);
            if (userPairOf(cp, out)) {
                i += n;
                continue;
            }
        }
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
