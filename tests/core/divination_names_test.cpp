// Stroke dictionary: lookups and their refusals, the five grids, the element listing, and
// damaged or missing dictionary files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <unistd.h>

#include "core/divination/stroke_dictionary.h"
#include "core/text/gbk.h"

namespace {

using hj::NameGrids;
using hj::StrokeDictionary;

// A whole dictionary image: every slot holds its own bytes; `counts` gives the strokes of some
// characters (UTF-8), every other count is 0.
std::string image(const std::map<std::string, int>& counts) {
    std::string img(static_cast<std::size_t>(hj::kStrokeRecordCount) * 4, '\0');
    for (int k = 0; k < hj::kStrokeRecordCount; ++k) {
        img[4 * k] = static_cast<char>(0xB0 + k / 94);
        img[4 * k + 1] = static_cast<char>(0xA1 + k % 94);
    }
    for (const auto& [ch, n] : counts) {
        std::string gbk;
        EXPECT_TRUE(hj::text::utf8ToGbk(ch, gbk) && gbk.size() == 2) << ch;
        const int k = hj::strokeRecordIndex(static_cast<unsigned char>(gbk[0]), static_cast<unsigned char>(gbk[1]));
        EXPECT_GE(k, 0) << ch;
        img[4 * k + 2] = static_cast<char>(n & 0xFF);
        img[4 * k + 3] = static_cast<char>((n >> 8) & 0xFF);
    }
    return img;
}

const std::string kShippedFile = HJ_SOURCE_DIR "/resources/dat/hzlen.dat";

std::string tempFile(const std::string& name, const std::string& bytes) {
    const auto path = std::filesystem::temp_directory_path() / ("hj_div_" + std::to_string(::getpid()) + "_" + name);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

}  // namespace

TEST(StrokeDictionary, RecordArithmetic) {
    EXPECT_EQ(hj::strokeRecordIndex(0xB0, 0xA1), 0);     // 啊
    EXPECT_EQ(hj::strokeRecordIndex(0xB1, 0xA1), 94);    // first cell of row 17
    EXPECT_EQ(hj::strokeRecordIndex(0xF7, 0xFE), 6767);  // last slot
    // Symbols, GBK extension characters and ASCII have no slot, even where row/cell arithmetic
    // on masked bytes would land on one (B0 40 and "ab" would).
    for (auto [b1, b2] : {std::pair{0xA1, 0xA1}, {0xAF, 0xFE}, {0xF8, 0xA1}, {0xB0, 0x40}, {0xB0, 0xA0},
                          {0x81, 0x40}, {'a', 'b'}, {0xB0, 0xFF}})
        EXPECT_EQ(hj::strokeRecordIndex(static_cast<unsigned char>(b1), static_cast<unsigned char>(b2)), -1)
            << std::hex << b1 << " " << b2;
}

TEST(StrokeDictionary, ElementByLastDigit) {
    const struct { int strokes; const char* element; } cases[] = {
        {1, "木"}, {2, "木"}, {3, "火"}, {4, "火"}, {5, "土"}, {6, "土"}, {7, "金"}, {8, "金"},
        {9, "水"}, {10, "水"}, {11, "木"}, {20, "水"}, {30, "水"}, {0, "水"}};
    for (const auto& c : cases) EXPECT_EQ(hj::elementName(hj::elementOfStrokes(c.strokes)), c.element) << c.strokes;
    EXPECT_EQ(hj::elementName(5), "");
}

TEST(StrokeDictionary, ShippedFileLookupsAndTexts) {
    StrokeDictionary d(kShippedFile);
    EXPECT_EQ(d.strokesOf("明"), 8);
    EXPECT_EQ(d.strokesOf("张"), 11);
    EXPECT_EQ(hj::characterText("明", 8), "明字:8画,五行属:金。");

    NameGrids g;
    ASSERT_TRUE(d.computeGrids("张明", true, g)) << d.errorText();
    EXPECT_EQ(hj::gridsText("张明", g),
              "姓名:张明\n张:11画 明:8画 \n\n"
              "天格12画,五行属木。\n\n地格9画,五行属水。\n\n人格19画,五行属水。\n\n"
              "总格19画,五行属水。\n\n外格2画,五行属木。");
}

TEST(StrokeDictionary, StrokesOfRefusals) {
    StrokeDictionary d = StrokeDictionary::fromImage(image({{"明", 8}}));
    const struct { const char* input; const char* error; } cases[] = {
        {"", "请输入一个汉字"},
        {"明明", "请输入一个汉字"},
        {"a", "请输入一个汉字"},
        {"\xF0\x9F\x98\x80", "请输入一个汉字"},  // no GBK form
        {"ab", "字库中没有这个汉字：ab"},          // two bytes, but not a hanzi
        {"、", "字库中没有这个汉字：、"},          // GB2312 symbol
        {"亍", "字库中没有这个汉字的笔划：亍"},    // a slot without a count
    };
    for (const auto& c : cases) {
        EXPECT_EQ(d.strokesOf(c.input), 0) << c.input;
        EXPECT_EQ(d.errorText(), c.error) << c.input;
    }
    EXPECT_EQ(d.strokesOf("明"), 8);
}

// v = strokes of the characters; the grids for each shape of name.
TEST(StrokeDictionary, GridsOfEachShape) {
    StrokeDictionary d = StrokeDictionary::fromImage(
        image({{"张", 11}, {"明", 8}, {"华", 14}, {"欧", 15}, {"阳", 17}, {"修", 10}, {"亮", 9}}));
    struct Case {
        const char* name;
        bool single;
        int tian, di, ren, zong, wai;
    };
    const Case cases[] = {
        {"张明", true, 12, 9, 19, 19, 2},         // 外格 always 2, 地格 = given + 1
        {"张明华", true, 12, 22, 19, 33, 15},     // 地格 = 8 + 14, 外格 = 总 + 1 - 人 = 华 + 1
        {"欧阳修", false, 32, 11, 27, 42, 16},    // 天 v0+v1, 人 v1+v2, 地 v2+1, 外 v0+1
        {"欧阳修亮", false, 32, 19, 27, 51, 24},  // 地 v3+v2, 外 总 - 人 = v0 + v3
    };
    for (const Case& c : cases) {
        NameGrids g;
        ASSERT_TRUE(d.computeGrids(c.name, c.single, g)) << c.name << ": " << d.errorText();
        EXPECT_EQ(g.tian, c.tian) << c.name;
        EXPECT_EQ(g.di, c.di) << c.name;
        EXPECT_EQ(g.ren, c.ren) << c.name;
        EXPECT_EQ(g.zong, c.zong) << c.name;
        EXPECT_EQ(g.wai, c.wai) << c.name;
    }
}

TEST(StrokeDictionary, GridRefusalsInOrder) {
    StrokeDictionary d = StrokeDictionary::fromImage(image({{"张", 11}, {"明", 8}, {"华", 14}, {"欧", 15}, {"阳", 17}}));
    const std::string badLength = "单姓：名1-2位，复姓：名1-2位,无效的姓名";
    struct Case {
        const char* name;
        bool single;
        std::string error;
    };
    const Case cases[] = {
        {"张", true, badLength},                 // one character
        {"", true, badLength},
        {"a张", true, badLength},                // 3 bytes: the length check comes first
        {"ab张", true, "必须输入汉字"},          // even length with a Latin letter
        {"朱镕基", true, "找不到这个字的笔划：镕"},  // a GBK hanzi beyond GB2312 is named, not called no hanzi
        {"张ˊ", true, "必须输入汉字"},          // a GBK mark (A840) outside GB2312, not a hanzi
        {"张b明", false, badLength},             // odd, though it has a letter too
        {"张明华华", true, badLength},           // 单姓 with four characters
        {"张明", false, badLength},              // 复姓 with two characters
        {"欧阳张明华", false, badLength},        // five characters have no grids
        {"张亍", true, "找不到其中一个汉字的笔划"},  // no count for 亍
        {"张、", true, "找不到其中一个汉字的笔划"},  // a symbol passes the byte test, has no slot
        {"欧阳\xF0\x9F\x98\x80", false, badLength},  // no GBK form: one '?' byte, odd length
    };
    for (const Case& c : cases) {
        NameGrids g;
        g.tian = -7;
        EXPECT_FALSE(d.computeGrids(c.name, c.single, g)) << c.name;
        EXPECT_EQ(d.errorText(), c.error) << c.name;
        EXPECT_EQ(g.tian, -7) << c.name;  // untouched on failure
    }
}

TEST(StrokeDictionary, ElementListing) {
    // 水 takes counts ending in 9 and 0; ten characters a line.
    std::map<std::string, int> counts = {{"啊", 9}, {"阿", 10}, {"埃", 19}, {"挨", 20}, {"哎", 29}, {"唉", 30},
                                         {"哀", 11}, {"皑", 8}, {"癌", 0}, {"蔼", -10}};
    const char* more[] = {"矮", "艾", "碍", "爱", "隘"};
    for (const char* c : more) counts[c] = 40;
    StrokeDictionary d = StrokeDictionary::fromImage(image(counts));
    std::string text;
    ASSERT_TRUE(d.listCharactersOfElement(0, text));
    // code order: 啊 阿 埃 挨 哎 唉 皑 癌 蔼 矮 艾 碍 爱 隘
    EXPECT_EQ(text, "属水的汉字:\n啊 阿 埃 挨 哎 唉 矮 艾 碍 爱 \n隘 ");
    ASSERT_TRUE(d.listCharactersOfElement(1, text));
    EXPECT_EQ(text, "属木的汉字:\n哀 ");
    ASSERT_TRUE(d.listCharactersOfElement(4, text));
    EXPECT_EQ(text, "属金的汉字:\n皑 ");
    EXPECT_FALSE(d.listCharactersOfElement(5, text));
    EXPECT_FALSE(d.listCharactersOfElement(-1, text));
}

TEST(StrokeDictionary, ShippedListingCoversEveryCharacterOnce) {
    StrokeDictionary d(kShippedFile);
    std::size_t total = 0;
    for (int e = 0; e < 5; ++e) {
        std::string text;
        ASSERT_TRUE(d.listCharactersOfElement(e, text)) << d.errorText();
        for (std::size_t i = 0; i < text.size(); ++i) total += text[i] == ' ';
    }
    EXPECT_EQ(total, 6763u);  // every slot but the five empty cells of row 55
}

TEST(StrokeDictionary, MissingShortAndDamagedFiles) {
    const std::string full = image({{"啊", 10}, {"明", 8}});
    {
        StrokeDictionary d("/nonexistent/dat/hzlen.dat");
        EXPECT_EQ(d.strokesOf("明"), 0);
        EXPECT_EQ(d.errorText(), "无法打开笔划文件：/nonexistent/dat/hzlen.dat");
        NameGrids g;
        EXPECT_FALSE(d.computeGrids("张明", true, g));
        EXPECT_EQ(d.errorText(), "找不到其中一个汉字的笔划");
        std::string text;
        EXPECT_FALSE(d.listCharactersOfElement(0, text));
    }
    {
        // Cut in the middle of the record of 啊's neighbour: 啊 is still read, 明 is not.
        const std::string path = tempFile("short.dat", full.substr(0, 6));
        StrokeDictionary d(path);
        EXPECT_EQ(d.strokesOf("啊"), 10);
        EXPECT_EQ(d.strokesOf("明"), 0);
        EXPECT_EQ(d.errorText(), "笔划文件不完整：" + path);
        std::string text;
        ASSERT_TRUE(d.listCharactersOfElement(0, text));
        EXPECT_EQ(text, "属水的汉字:\n啊 ");
        std::filesystem::remove(path);
    }
    {
        // Records shifted by one: each slot names its neighbour's character.
        const std::string path = tempFile("shifted.dat", full.substr(4));
        StrokeDictionary d(path);
        EXPECT_EQ(d.strokesOf("明"), 0);
        EXPECT_EQ(d.errorText(), "笔划文件已损坏：" + path);
        std::filesystem::remove(path);
    }
    {
        StrokeDictionary d = StrokeDictionary::fromImage("");
        EXPECT_EQ(d.strokesOf("啊"), 0);
        std::string text;
        ASSERT_TRUE(d.listCharactersOfElement(3, text));
        EXPECT_EQ(text, "属土的汉字:\n");
    }
}

// Any bytes at all: lookups and listings answer without reading out of bounds.
TEST(StrokeDictionary, ArbitraryImages) {
    std::string img;
    unsigned state = 12345;
    for (int i = 0; i < 5000; ++i) {
        state = state * 1103515245u + 12345u;
        img.push_back(static_cast<char>(state >> 16));
    }
    StrokeDictionary d = StrokeDictionary::fromImage(img);
    std::string text;
    for (int e = 0; e < 5; ++e) EXPECT_TRUE(d.listCharactersOfElement(e, text));
    for (const char* c : {"啊", "亍", "座", "明"}) {
        const int n = d.strokesOf(c);
        EXPECT_GE(n, 0);
        if (n == 0) {
            EXPECT_FALSE(d.errorText().empty());
        }
    }
}

TEST(StrokeDictionary, LongErrorTextsAreCut) {
    StrokeDictionary d("/" + std::string(300, 'x') + "/hzlen.dat");
    EXPECT_EQ(d.strokesOf("明"), 0);
    EXPECT_LE(hj::text::gbkLength(d.errorText()), 119u);
}
