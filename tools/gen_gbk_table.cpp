// Writes the GBK tables of the program's own converter (src/core/text/gbk.cpp), taken from the
// build machine's iconv (glibc), so that every system converts exactly as glibc does:
//   gen_gbk_table OUT.bin
// Layout, little-endian 16-bit words: for each lead byte 0x81–0xFE and trail byte 0x40–0xFE
// (126 × 191 words) the character of the pair, 0 when glibc refuses it; then for each BMP
// character U+0000–U+FFFF what glibc writes for it (lead × 256 + trail, or the one byte), 0 when
// none; then for each single byte 0x80–0xFF the character glibc reads it as, 0 when none.
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
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            unsigned cp = 0;
            if (convert(from, pair, got) && got.size() == 2)
                cp = static_cast<unsigned char>(got[0]) | static_cast<unsigned>(static_cast<unsigned char>(got[1])) << 8;
            put16(table, cp);
        }
    for (unsigned cp = 0; cp <= 0xFFFF; ++cp) {
        unsigned code = 0;
        const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
        const std::string unit{static_cast<char>(cp & 0xFF), static_cast<char>(cp >> 8)};
        if (cp >= 0x80 && !surrogate && convert(to, unit, got)) {
            if (got.size() == 2)
                code = static_cast<unsigned>(static_cast<unsigned char>(got[0])) << 8 | static_cast<unsigned char>(got[1]);
            else if (got.size() == 1)
                code = static_cast<unsigned char>(got[0]);
        }
        put16(table, code);
    }
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        unsigned cp = 0;
        if (convert(from, std::string(1, static_cast<char>(byte)), got) && got.size() == 2)
            cp = static_cast<unsigned char>(got[0]) | static_cast<unsigned>(static_cast<unsigned char>(got[1])) << 8;
        put16(table, cp);
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
