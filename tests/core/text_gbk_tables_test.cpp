// The program's GBK converter reads and writes exactly what glibc's iconv does (Linux: every code
// compared), and on every system refuses what code page 936 accepts beyond glibc's GBK.
#include <gtest/gtest.h>

#include <string>

#include "core/text/gbk.h"
#include "core/text/utf8.h"

#if defined(__linux__)
#include <iconv.h>
#define HJ_HAVE_ICONV 1
#endif

using namespace hj::text;

namespace {
constexpr const char* kBad = "\xEF\xBF\xBD";
}  // namespace

// What code page 936 maps and glibc does not (private characters in the symbol rows and row FE),
// and a few that both map, as either direction must give them.
TEST(GbkTables, CodePage936ExtrasAreRefusedAsOnLinux) {
    struct Case {
        const char* what;
        const char* gbk;
        const char* utf8;  // nullptr: the bytes are one bad character
    };
    const Case cases[] = {
        {"A2AB (936: U+E766)", "\xA2\xAB", nullptr},
        {"A2E3 (936: U+E768)", "\xA2\xE3", nullptr},
        {"A8BF (936: U+01F9)", "\xA8\xBF", nullptr},
        {"FE50 (936: U+E815)", "\xFE\x50", nullptr},
        {"A6D9 (936: U+E78D)", "\xA6\xD9", nullptr},
        {"the euro sign, one byte", "\x80", "€"},
        {"甲", "\xBC\xD7", "甲"},
        {"the first user area keeps its private characters", "\xAA\xA1", "\xEE\x80\x80"},
    };
    for (const Case& c : cases) {
        const std::string text = gbkToUtf8(c.gbk);
        if (!c.utf8) {
            EXPECT_EQ(text, kBad) << c.what;
            continue;
        }
        EXPECT_EQ(text, c.utf8) << c.what;
        std::string back;
        EXPECT_TRUE(utf8ToGbk(c.utf8, back)) << c.what;
        EXPECT_EQ(back, c.gbk) << c.what;
    }
    // The private characters code page 936 gives those pairs have no GBK form here.
    for (char32_t cp : {U'\uE766', U'\uE768', U'\uE815', U'\uE864'}) {
        std::string utf8, gbk, bad;
        appendUtf8(utf8, cp);
        EXPECT_FALSE(utf8ToGbk(utf8, gbk, &bad)) << std::hex << static_cast<unsigned>(cp);
        EXPECT_EQ(bad, utf8);
    }
}

#ifdef HJ_HAVE_ICONV
namespace {

// The converter as it was written on iconv: the reference the tables must equal.
std::string iconvRun(iconv_t cd, const std::string& in, int& err) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    char buf[64];
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    err = 0;
    while (left > 0) {
        char* dst = buf;
        std::size_t room = sizeof buf;
        const std::size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        if (r == static_cast<std::size_t>(-1)) {
            err = errno;
            break;
        }
    }
    return out;
}

// The user-defined areas as code page 936 numbers them: AAA1–AFFE from U+E000, F8A1–FEFE from
// U+E234, A140–A7A0 (no 7F) from U+E4C6.
char32_t userChar(unsigned lead, unsigned trail) {
    if (lead >= 0xAA && lead <= 0xAF && trail >= 0xA1 && trail <= 0xFE) return 0xE000 + (lead - 0xAA) * 94 + (trail - 0xA1);
    if (lead >= 0xF8 && lead <= 0xFE && trail >= 0xA1 && trail <= 0xFE) return 0xE234 + (lead - 0xF8) * 94 + (trail - 0xA1);
    if (lead >= 0xA1 && lead <= 0xA7 && trail >= 0x40 && trail <= 0xA0 && trail != 0x7F)
        return 0xE4C6 + (lead - 0xA1) * 96 + (trail - 0x40) - (trail > 0x7F);
    return 0;
}

// The converter as it was on iconv: runs of what iconv reads, a user-area pair as one character,
// any other refused pair as one bad character.
std::string referenceDecode(iconv_t cd, const std::string& in) {
    std::string out;
    std::size_t pos = 0;
    while (pos < in.size()) {
        int err = 0;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char buf[256];
        char* src = const_cast<char*>(in.data() + pos);
        std::size_t left = in.size() - pos;
        while (left > 0) {
            char* dst = buf;
            std::size_t room = sizeof buf;
            const std::size_t r = iconv(cd, &src, &left, &dst, &room);
            out.append(buf, static_cast<std::size_t>(dst - buf));
            if (r == static_cast<std::size_t>(-1)) {
                err = errno;
                break;
            }
        }
        pos = in.size() - left;
        if (err == 0) break;
        const auto lead = static_cast<unsigned char>(in[pos]);
        const unsigned trail = pos + 1 < in.size() ? static_cast<unsigned char>(in[pos + 1]) : 0;
        if (char32_t cp = pos + 1 < in.size() ? userChar(lead, trail) : 0) {
            appendUtf8(out, cp);
            pos += 2;
        } else {
            out += kBad;
            const bool pair = lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
            pos += pos + 1 < in.size() && pair ? 2 : 1;
        }
    }
    return out;
}

}  // namespace

// Every single byte and every two-byte code (with a following "A" to see what is consumed) read
// as glibc reads it; every character of the first four planes written as glibc writes it.
TEST(GbkTables, EveryCodeAsIconvConvertsIt) {
    iconv_t from = iconv_open("UTF-8", "GBK"), to = iconv_open("GBK", "UTF-8");
    ASSERT_NE(from, reinterpret_cast<iconv_t>(-1));
    ASSERT_NE(to, reinterpret_cast<iconv_t>(-1));
    int mismatches = 0, mapped = 0;
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
        for (unsigned trail = 0; trail <= 0x100; ++trail) {
            std::string in(1, static_cast<char>(lead));
            if (trail <= 0xFF) in += static_cast<char>(trail);
            in += 'A';
            int err = 0;
            iconvRun(from, in, err);
            mapped += err == 0;
            if (gbkToUtf8(in) != referenceDecode(from, in) && ++mismatches < 10)
                ADD_FAILURE() << "GBK " << std::hex << lead << ' ' << trail;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(mapped, 21000);
    mismatches = 0;
    for (char32_t cp = 0x80; cp < 0x40000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        std::string utf8, ours, bad;
        appendUtf8(utf8, cp);
        int err = 0;
        const std::string ref = iconvRun(to, utf8, err);
        const bool userArea = cp >= 0xE000 && cp <= 0xE765;  // the program's own mapping of the user areas
        const bool ok = utf8ToGbk(utf8, ours, &bad);
        if (userArea) continue;
        if (ok != (err == 0) || (ok && ours != ref)) {
            if (++mismatches < 10) ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(cp);
        }
    }
    EXPECT_EQ(mismatches, 0);
    iconv_close(from);
    iconv_close(to);
}
#else
TEST(GbkTables, EveryCodeAsIconvConvertsIt) { GTEST_SKIP() << "no iconv on this system: the tables are compared on Linux"; }
#endif
