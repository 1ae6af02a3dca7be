#include "core/text/gbk.h"
#include "core/text/utf8.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/resources.h"

namespace hj::text {
namespace {

// glibc's GBK as a table (resources/data/gbk.bin, written from glibc's iconv by
// tools/gen_gbk_table.cpp), so that every system reads and writes the same bytes as glibc,
// refusals included; code page 936 of Windows accepts more. Little-endian words: the character
// of each pair (lead 0x81–0xFE, trail 0x40–0xFE), then of each single byte 0x80–0xFF. What a
// character is written as is derived: the first pair that reads as it, or the single byte that
// does (the tool checks that this is what glibc writes).
constexpr std::size_t kPairWords = 126 * 191, kByteWords = 128;

struct GbkTables {
    const unsigned char* pairs = nullptr;
    const unsigned char* bytes = nullptr;
    std::vector<std::uint16_t> codes;  // by BMP character: lead × 256 + trail, the one byte, or 0
};

unsigned wordAt(const unsigned char* table, std::size_t i) { return table[2 * i] | static_cast<unsigned>(table[2 * i + 1]) << 8; }

const GbkTables& gbkTables() {
    static const GbkTables t = [] {
        GbkTables r;
        const std::string_view data = embeddedResource("data/gbk.bin");
        if (data.size() != 2 * (kPairWords + kByteWords)) return r;
        r.pairs = reinterpret_cast<const unsigned char*>(data.data());
        r.bytes = r.pairs + 2 * kPairWords;
        r.codes.assign(0x10000, 0);
        for (std::size_t i = 0; i < kPairWords; ++i)
            if (const unsigned cp = wordAt(r.pairs, i); cp && !r.codes[cp])
                r.codes[cp] = static_cast<std::uint16_t>((0x81 + i / 191) << 8 | (0x40 + i % 191));
        for (std::size_t i = 0; i < kByteWords; ++i)
            if (const unsigned cp = wordAt(r.bytes, i)) r.codes[cp] = static_cast<std::uint16_t>(0x80 + i);
        return r;
    }();
    return t;
}

// The character of a GBK pair or single byte ≥ 0x80, 0 when glibc refuses it.
char32_t charOfPair(unsigned char lead, unsigned char trail) {
    const GbkTables& t = gbkTables();
    if (!t.pairs || lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE) return 0;
    return wordAt(t.pairs, static_cast<std::size_t>(lead - 0x81) * 191 + (trail - 0x40));
}
char32_t charOfByte(unsigned char b) {
    const GbkTables& t = gbkTables();
    return t.bytes && b >= 0x80 ? wordAt(t.bytes, b - 0x80u) : 0;
}
// What glibc writes for a character: a pair (lead × 256 + trail), one byte, or 0.
unsigned gbkOfChar(char32_t cp) {
    const GbkTables& t = gbkTables();
    return cp < t.codes.size() && cp >= 0x80 ? t.codes[cp] : 0;
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
    std::size_t pos = 0;
    while (pos < gbk.size()) {
        // Plain ASCII runs need no table.
        std::size_t run = pos;
        while (run < gbk.size() && static_cast<unsigned char>(gbk[run]) < 0x80) ++run;
        out.append(gbk.data() + pos, run - pos);
        pos = run;
        if (pos >= gbk.size()) break;
        const auto lead = static_cast<unsigned char>(gbk[pos]);
        const auto trail = pos + 1 < gbk.size() ? static_cast<unsigned char>(gbk[pos + 1]) : 0;
        if (char32_t cp = pos + 1 < gbk.size() ? charOfPair(lead, trail) : 0) {
            appendUtf8(out, cp);
            pos += 2;
        } else if (char32_t one = charOfByte(lead); one && !(pos + 1 < gbk.size() && isGbkPair(lead, trail))) {
            appendUtf8(out, one);
            ++pos;
        } else if (char32_t user = pos + 1 < gbk.size() ? userCharOf(lead, trail) : 0) {
            // A user-defined character is one character; any other unmapped pair is one bad
            // character too, so its trail byte never pairs with the next character's lead byte.
            appendUtf8(out, user);
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
        std::size_t at = i;
        const char32_t cp = nextUtf8Char(utf8, at);
        if (const unsigned code = gbkOfChar(cp)) {
            if (code > 0xFF) out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
        } else if (!userPairOf(cp, out)) {
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
