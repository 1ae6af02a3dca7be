// Writes resources/data/gbk.bin, the table of the program's own GBK converter
// (src/core/text/gbk.cpp), taken from glibc's iconv, so that every system converts exactly as
// glibc does (committed; `make tables` runs this again):
//   gen_gbk_table OUT.bin
// Layout, little-endian 16-bit words: for each lead byte 0x81–0xFE and trail byte 0x40–0xFE
// (126 × 191 words) the character of the pair, 0 when glibc refuses it; then for each single
// byte 0x80–0xFF the character glibc reads it as, 0 when none. What glibc writes for a
// character is the first pair that reads as it, or the single byte that does: the program
// derives it, and this tool refuses to write a table from which that derivation would differ
// from glibc for any BMP character.
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

bool convert(iconv_t cd, const std::string& in, std::string& out) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char buf[16];
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size(), room = sizeof buf;
    char* dst = buf;
    if (iconv(cd, &src, &left, &dst, &room) == static_cast<std::size_t>(-1) || left != 0) return false;
    if (iconv(cd, nullptr, nullptr, &dst, &room) == static_cast<std::size_t>(-1)) return false;
    out.assign(buf, static_cast<std::size_t>(dst - buf));
    return true;
}

void put16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_gbk_table OUT.bin\n");
        return 1;
    }
    iconv_t from = iconv_open("UTF-16LE", "GBK");
    iconv_t to = iconv_open("GBK", "UTF-16LE");
    if (from == reinterpret_cast<iconv_t>(-1) || to == reinterpret_cast<iconv_t>(-1)) {
        std::fprintf(stderr, "gen_gbk_table: iconv has no GBK\n");
        return 1;
    }
    std::string table, got;
    std::vector<unsigned> derived(0x10000, 0);  // what the program will write for each character
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            unsigned cp = 0;
            if (convert(from, pair, got) && got.size() == 2)
                cp = static_cast<unsigned char>(got[0]) | static_cast<unsigned>(static_cast<unsigned char>(got[1])) << 8;
            put16(table, cp);
            if (cp && !derived[cp]) derived[cp] = lead << 8 | trail;
        }
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        unsigned cp = 0;
        if (convert(from, std::string(1, static_cast<char>(byte)), got) && got.size() == 2)
            cp = static_cast<unsigned char>(got[0]) | static_cast<unsigned>(static_cast<unsigned char>(got[1])) << 8;
        put16(table, cp);
        if (cp) derived[cp] = byte;
    }
    for (unsigned cp = 0x80; cp <= 0xFFFF; ++cp) {
        unsigned code = 0;
        const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
        const std::string unit{static_cast<char>(cp & 0xFF), static_cast<char>(cp >> 8)};
        if (!surrogate && convert(to, unit, got)) {
            if (got.size() == 2)
                code = static_cast<unsigned>(static_cast<unsigned char>(got[0])) << 8 | static_cast<unsigned char>(got[1]);
            else if (got.size() == 1)
                code = static_cast<unsigned char>(got[0]);
        }
        if (code != derived[cp]) {
            std::fprintf(stderr, "gen_gbk_table: glibc writes U+%04X as %X, not as the table's %X\n", cp, code, derived[cp]);
            return 1;
        }
    }
    iconv_close(from);
    iconv_close(to);
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(table.data(), 1, table.size(), f) != table.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "gen_gbk_table: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
