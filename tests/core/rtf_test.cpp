#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "core/rtf/rtf.h"

using namespace hj::rtf;

namespace {

CharFormat fmt(std::string font, int halfPoints, std::uint32_t color = 0, bool bold = false, bool italic = false,
               bool underline = false) {
    CharFormat f;
    f.font = std::move(font);
    f.halfPoints = halfPoints;
    f.color = color;
    f.bold = bold;
    f.italic = italic;
    f.underline = underline;
    return f;
}

Document read(std::string_view rtf) {
    Document d;
    std::string err;
    EXPECT_TRUE(readRtf(rtf, d, &err)) << err;
    return d;
}

}  // namespace

TEST(Rtf, WriteThenReadGivesTheSameDocument) {
    Document doc;
    Paragraph p1;
    p1.firstLineIndent = 420;
    appendText(p1, "乾造：", fmt("宋体", 24, 0xFF0000, true));
    appendText(p1, "甲子\t乙丑", fmt("宋体", 24));
    appendText(p1, " braces {} and \\ back", fmt("Times New Roman", 20, 0x0000FF, false, true, true));
    Paragraph empty;
    Paragraph p3;
    appendText(p3, "第一行\n第二行", fmt("黑体", 32, 0x008000));
    appendText(p3, "😀 한 ă", fmt("黑体", 32, 0x008000, true));  // outside GBK: \uN
    Paragraph lastEmpty;
    lastEmpty.firstLineIndent = -200;
    doc.paragraphs = {p1, empty, p3, lastEmpty};

    const std::string rtf = writeRtf(doc);
    for (char c : rtf) ASSERT_LT(static_cast<unsigned char>(c), 0x80u) << "the writer emits ASCII only";
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg936", 0), 0u);
    EXPECT_NE(rtf.find("\\'c7\\'ac\\'d4\\'ec"), std::string::npos);  // 乾造 as GBK bytes
    EXPECT_NE(rtf.find("\\u-10179?\\u-8704?"), std::string::npos);    // 😀 as a surrogate pair
    EXPECT_NE(rtf.find("\\fcharset134 \\'cb\\'ce\\'cc\\'e5;"), std::string::npos);  // 宋体 in the font table
    EXPECT_EQ(read(rtf), doc);
}

TEST(Rtf, ReadsWordProcessorOutput) {
    // The shape of a word processor's file: western code page, a GB2312 font, style sheet,
    // info, generator, a picture, Unicode with ANSI fallback, a trail byte written as ASCII.
    const std::string rtf =
        "{\\rtf1\\adeflang1025\\ansi\\ansicpg1252\\uc1\\adeff0\\deff0"
        "{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}Times New Roman;}"
        "{\\f13\\fbidi \\fnil\\fcharset134\\fprq2{\\*\\panose 02010600030101010101}\\'cb\\'ce\\'cc\\'e5{\\*\\falt SimSun};}}"
        "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}"
        "{\\stylesheet{\\ql \\f0\\fs24 Normal;}{\\*\\cs10 Default Paragraph Font;}}"
        "{\\*\\generator Some Writer 1.0;}{\\info{\\title A title}{\\author Someone}}"
        "\\pard\\plain \\fi420\\f13\\fs28\\cf2\\b \\'b0\\'cb\\'d7\\'d6{\\*\\bkmkstart x}\\b0\\cf0 "
        "\\'b0@ {\\pict\\pngblip\\picw10\\pich10 89504e470d0a1a0a}\\uc2\\u20013\\'d6\\'d0 end\\par "
        "\\pard\\plain\\f0\\fs24 Line\\line two\\tab x\\emdash\\~y{\\i it}\\par}";
    const Document d = read(rtf);
    ASSERT_EQ(d.paragraphs.size(), 3u);
    const Paragraph& p = d.paragraphs[0];
    EXPECT_EQ(p.firstLineIndent, 420);
    ASSERT_GE(p.runs.size(), 2u);
    EXPECT_EQ(p.runs[0].text, "八字");
    EXPECT_EQ(p.runs[0].format, fmt("宋体", 28, 0xFF0000, true));
    EXPECT_EQ(p.runs[1].text, "癅 中 end");  // \'b0@ is one character; \u20013 with its fallback dropped
    EXPECT_EQ(p.runs[1].format, fmt("宋体", 28));
    const Paragraph& q = d.paragraphs[1];
    EXPECT_EQ(q.firstLineIndent, 0);
    EXPECT_EQ(plainText(Document{{q}}), "Line\r\ntwo\tx\u2014\u00A0yit");
    ASSERT_EQ(q.runs.size(), 2u);
    EXPECT_EQ(q.runs[0].format.font, "Times New Roman");
    EXPECT_TRUE(q.runs[1].format.italic);
    EXPECT_TRUE(d.paragraphs[2].runs.empty());
}

TEST(Rtf, ReadsRichEditOutput) {
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl{\\f0\\fnil\\fcharset134 "
        "\\'cb\\'ce\\'cc\\'e5;}}\r\n{\\colortbl ;\\red0\\green0\\blue255;}\r\n\\viewkind4\\uc1\\pard\\cf1\\lang2052\\f0\\fs20"
        "\\'bc\\'d7\\'d7\\'d3\\cf0\\par\r\n\\'d2\\'d2\\'b3\\'f3\\par\r\n}\r\n";
    const Document d = read(rtf);
    ASSERT_EQ(d.paragraphs.size(), 3u);
    ASSERT_EQ(d.paragraphs[0].runs.size(), 1u);
    EXPECT_EQ(d.paragraphs[0].runs[0].text, "甲子");
    EXPECT_EQ(d.paragraphs[0].runs[0].format, fmt("宋体", 20, 0x0000FF));
    EXPECT_EQ(d.paragraphs[1].runs[0].text, "乙丑");
    EXPECT_EQ(d.paragraphs[1].runs[0].format.color, 0u);
    EXPECT_EQ(plainText(d, "\n"), "甲子\n乙丑\n");
}

TEST(Rtf, MalformedInputIsReadWithoutHarm) {
    struct Case {
        const char* what;
        std::string input;
        bool ok;
        std::string text;  // plain text expected when ok
    };
    const Case cases[] = {
        {"not RTF", "hello", false, ""},
        {"empty", "", false, ""},
        {"truncated mid-word", "{\\rtf1 abc\\pa", true, "abc"},
        {"truncated mid-escape", "{\\rtf1 a\\'c", true, "a"},
        {"lone lead byte at the end", "{\\rtf1\\ansicpg936 a\\'b0", true, "a\xEF\xBF\xBD"},
        {"backslash at the end", "{\\rtf1 a\\", true, "a"},
        {"unclosed groups", "{\\rtf1 {{{\\b x", true, "x"},
        {"extra closing braces", "{\\rtf1 a}}}} trailing", true, "a"},
        {"huge parameter", "{\\rtf1\\fs99999999999999999999 a\\u99999999999?b}", true, "a\xEF\xBF\xBD" "b"},
        {"negative unicode", "{\\rtf1\\u-3913?}", true, "\xEF\x82\xB7"},
        {"lone high surrogate", "{\\rtf1\\u-10179?x}", true, "\xEF\xBF\xBDx"},
        {"huge \\bin length", "{\\rtf1 a\\bin999999999 zzz}", true, "a"},
        {"binary data with braces", "{\\rtf1 a{\\*\\x\\bin3 }}}}b}", true, "ab"},
        {"skipped unknown destination", "{\\rtf1 a{\\*\\unknown secret}b}", true, "ab"},
        {"unknown control words", "{\\rtf1\\foo\\bar12 a\\zzz-5 b}", true, "ab"},
        {"very long control word", "{\\rtf1\\" + std::string(5000, 'a') + " x}", true, "x"},
        {"bad hex", "{\\rtf1 \\'zz\\'4g ok}", true, "zzg ok"},
        {"font index out of the table", "{\\rtf1\\f999\\cf77 a}", true, "a"},
        {"control characters dropped", "{\\rtf1 a\\'01\\'0d\\u1?\\u13?\\'7f\\u9?b}", true, "a\tb"},
        {"byte-order mark and blanks first", "\xEF\xBB\xBF \r\n{\\rtf1 a}", true, "a"},
    };
    for (const Case& c : cases) {
        Document d;
        std::string err;
        EXPECT_EQ(readRtf(c.input, d, &err), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(plainText(d), c.text) << c.what;
        } else {
            EXPECT_FALSE(err.empty()) << c.what;
        }
    }
}

TEST(Rtf, DeepNestingIsBoundedAndQuick) {
    std::string deep = "{\\rtf1 a";
    for (int i = 0; i < 200000; ++i) deep += "{\\b ";
    deep += "hidden";
    for (int i = 0; i < 200000; ++i) deep += "}";
    deep += " b}";
    Document d;
    ASSERT_TRUE(readRtf(deep, d));
    const std::string text = plainText(d);
    EXPECT_EQ(text.substr(0, 1), "a");
    EXPECT_EQ(text.substr(text.size() - 2), " b");
    EXPECT_EQ(text.find("hidden"), std::string::npos);  // beyond the depth limit: not shown

    // Only-open groups, truncated.
    EXPECT_TRUE(readRtf("{\\rtf1" + std::string(1000000, '{'), d));
}

TEST(Rtf, OversizedInputIsRefused) {
    std::string big = "{\\rtf1 ";
    big.resize(kMaxInputBytes + 1, 'a');
    Document d;
    std::string err;
    EXPECT_FALSE(readRtf(big, d, &err));
    EXPECT_FALSE(err.empty());
}

TEST(Rtf, RandomImagesNeverCrash) {
    std::mt19937 rng(7);
    Document doc;
    Paragraph p;
    appendText(p, "命稿 甲子年 😀", fmt("宋体", 24, 0xFF0000, true));
    appendText(p, "plain", fmt("Arial", 20));
    doc.paragraphs = {p, p};
    const std::string valid = writeRtf(doc);
    static const char kAlphabet[] = "{}\\'abcdfilpru0123456789 -;*\xB0\xA1\x01\r\n\x7F";
    for (int round = 0; round < 3000; ++round) {
        std::string img;
        if (round % 2 == 0) {
            img = valid;
            for (int m = 0, n = 1 + static_cast<int>(rng() % 10); m < n; ++m) {
                const std::size_t at = rng() % img.size();
                switch (rng() % 3) {
                    case 0: img[at] = static_cast<char>(rng()); break;
                    case 1: img.erase(at, 1 + rng() % 8); break;
                    default: img.insert(at, 1, kAlphabet[rng() % (sizeof kAlphabet - 1)]);
                }
                if (img.empty()) img = "{";
            }
        } else {
            img = "{\\rtf1";
            for (int k = static_cast<int>(rng() % 400); k > 0; --k) img += kAlphabet[rng() % (sizeof kAlphabet - 1)];
        }
        Document d;
        if (readRtf(img, d)) {
            // Output stays within a small multiple of the input, and what was read survives
            // being written and read again.
            const std::string text = plainText(d);
            EXPECT_LE(text.size(), 4 * img.size() + 8);
            Document again;
            ASSERT_TRUE(readRtf(writeRtf(d), again));
            ASSERT_EQ(plainText(again), text) << img;
        }
    }
}

TEST(Rtf, PlainTextHelpers) {
    const Document d = fromPlainText("一\r\n二\nthree\r\r\n", fmt("宋体", 21), 100);
    ASSERT_EQ(d.paragraphs.size(), 5u);
    EXPECT_EQ(d.paragraphs[0].runs[0].text, "一");
    EXPECT_EQ(d.paragraphs[2].runs[0].text, "three");
    EXPECT_TRUE(d.paragraphs[3].runs.empty());
    EXPECT_EQ(d.paragraphs[4].firstLineIndent, 100);
    EXPECT_EQ(plainText(d, "\n"), "一\n二\nthree\n\n");
    EXPECT_EQ(read(writeRtf(d)), d);

    Paragraph p;
    appendText(p, "a", fmt("宋体", 24));
    appendText(p, "b", fmt("宋体", 24));
    appendText(p, "", fmt("宋体", 24, 1));
    appendText(p, "c", fmt("宋体", 24, 1));
    ASSERT_EQ(p.runs.size(), 2u);
    EXPECT_EQ(p.runs[0].text, "ab");
}
