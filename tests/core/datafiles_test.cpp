// The default data files shipped for dat/: complete, in their on-disk layout, and GBK where the
// program reads GBK. Wording is not checked here; sections, counts, formats and key figures are.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/chart/province_table.h"
#include "core/resources.h"
#include "core/text/gbk.h"
#include "core/text/ini.h"

using hj::ProvinceTable;
using namespace hj::text;

namespace {

std::string datFile(const char* name) {
    std::string bytes;
    // Appended piecewise: GCC 12 sees a false out-of-bounds copy in the chained + here.
    std::string path = HJ_SOURCE_DIR;
    path.append("/resources/dat/").append(name);
    EXPECT_TRUE(readWholeFile(path, bytes)) << path;
    return bytes;
}

// A GBK file: not UTF-8, and every byte sequence decodes.
void expectGbk(const std::string& bytes, const char* what) {
    EXPECT_FALSE(isValidUtf8(bytes)) << what << " should be stored as GBK";
    EXPECT_EQ(gbkToUtf8(bytes).find("\xEF\xBF\xBD"), std::string::npos) << what << " has bad GBK bytes";
}

std::size_t charCount(std::string_view utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

// One half of a place value: "deg:min", both decimal integers.
bool parseHalf(std::string_view half, int& deg, int& min) {
    const auto colon = half.find(':');
    if (colon == std::string_view::npos) return false;
    auto number = [](std::string_view s, int& out) {
        if (s.empty()) return false;
        std::size_t i = s[0] == '-' ? 1 : 0;
        if (i == s.size()) return false;
        int v = 0;
        for (; i < s.size(); ++i) {
            if (s[i] < '0' || s[i] > '9') return false;
            v = v * 10 + (s[i] - '0');
        }
        out = s[0] == '-' ? -v : v;
        return true;
    };
    return number(half.substr(0, colon), deg) && number(half.substr(colon + 1), min);
}

IniFile loadIni(const char* name) {
    const std::string bytes = datFile(name);
    expectGbk(bytes, name);
    IniFile ini;
    ini.loadFromBytes(bytes);
    return ini;
}

}  // namespace

TEST(Dili, EveryProvinceHasRealPlacesInTheValueFormat) {
    const IniFile ini = loadIni("dili.ini");
    std::size_t total = 0;
    for (int p = 0; p < ProvinceTable::kUnknown; ++p) {
        const std::string province(ProvinceTable::name(p));
        const auto keys = ini.sectionKeys(province);
        EXPECT_GE(keys.size(), 5u) << province;
        total += keys.size();
        for (const std::string& place : keys) {
            EXPECT_LE(charCount(place), 10u) << province << " " << place;
            const std::string value = ini.readString(province, place, "");
            const auto star = value.find('*');
            int lonDeg = 0, lonMin = 0, latDeg = 0, latMin = 0;
            ASSERT_NE(star, std::string::npos) << place << "=" << value;
            ASSERT_TRUE(parseHalf(std::string_view(value).substr(0, star), lonDeg, lonMin)) << value;
            ASSERT_TRUE(parseHalf(std::string_view(value).substr(star + 1), latDeg, latMin)) << value;
            // The place editor's ranges, and China's extent.
            EXPECT_TRUE(lonMin >= 0 && lonMin <= 59 && latMin >= 0 && latMin <= 59) << place << "=" << value;
            EXPECT_TRUE(lonDeg >= 73 && lonDeg <= 135 && latDeg >= 3 && latDeg <= 53) << place << "=" << value;
        }
    }
    EXPECT_GE(total, 2000u);
    // No section beyond the 34 of the editor (the unknown place has none).
    EXPECT_EQ(ini.sections().size(), 34u);
}

TEST(Dili, KnownPlacesAndCapitalsFirst) {
    const IniFile ini = loadIni("dili.ini");
    struct Case { const char* province; const char* place; const char* value; };
    for (const Case& c : {Case{"北京市", "北京市", "116:24*39:54"}, Case{"福建省", "福州市", "119:18*26:5"},
                          Case{"台湾省", "台北市", "121:34*25:2"}, Case{"香港", "香港", "114:10*22:19"},
                          Case{"澳门", "澳门", "113:33*22:12"}, Case{"江苏省", "徐州鼓楼区", "117:11*34:17"}})
        EXPECT_EQ(ini.readString(c.province, c.place, "missing"), c.value) << c.province << c.place;
    EXPECT_EQ(ini.sectionKeys("福建省").front(), "福州市");  // the first place is selected on start
    EXPECT_EQ(ini.sectionKeys("新疆").front(), "乌鲁木齐市");
}

namespace {

constexpr std::size_t kRecords = 6768;

// Record index of a GB2312 hanzi, or -1.
long recordOf(std::string_view utf8) {
    std::string gbk;
    if (!utf8ToGbk(utf8, gbk) || gbk.size() != 2) return -1;
    const int row = (static_cast<unsigned char>(gbk[0]) - 0xA0) & 0x7F;
    const int cell = (static_cast<unsigned char>(gbk[1]) - 0xA0) & 0x7F;
    const long k = (row - 16) * 94L + cell - 1;
    return k >= 0 && k < static_cast<long>(kRecords) ? k : -1;
}

int16_t strokesAt(const std::string& file, std::size_t k) {
    const auto lo = static_cast<unsigned char>(file[4 * k + 2]);
    const auto hi = static_cast<unsigned char>(file[4 * k + 3]);
    return static_cast<int16_t>(lo | hi << 8);
}

}  // namespace

TEST(Hzlen, OneRecordPerGb2312SlotInCodeOrder) {
    const std::string file = datFile("hzlen.dat");
    ASSERT_EQ(file.size(), kRecords * 4);
    std::size_t empty = 0;
    for (std::size_t k = 0; k < kRecords; ++k) {
        const auto b1 = static_cast<unsigned char>(file[4 * k]);
        const auto b2 = static_cast<unsigned char>(file[4 * k + 1]);
        ASSERT_EQ(b1, 0xB0 + k / 94) << k;
        ASSERT_EQ(b2, 0xA1 + k % 94) << k;
        const int n = strokesAt(file, k);
        if (b1 == 0xD7 && b2 >= 0xFA) {  // the five unassigned cells of row 55
            EXPECT_EQ(n, 0) << k;
            ++empty;
        } else {
            EXPECT_TRUE(n >= 1 && n <= 36) << "record " << k << " has " << n;
        }
    }
    EXPECT_EQ(empty, 5u);
    EXPECT_EQ(recordOf("啊"), 0);
    EXPECT_EQ(recordOf("齄"), 6767);
}

TEST(Hzlen, KangxiCountsOfCommonSurnamesAndNameCharacters) {
    const std::string file = datFile("hzlen.dat");
    ASSERT_EQ(file.size(), kRecords * 4);
    struct Case { const char* ch; int strokes; };
    const Case cases[] = {
        // traditional form counts
        {"张", 11}, {"刘", 15}, {"陈", 16}, {"黄", 12}, {"赵", 14}, {"孙", 10}, {"马", 10}, {"罗", 20},
        {"郑", 19}, {"谢", 17}, {"韩", 17}, {"冯", 12}, {"邓", 19}, {"苏", 22}, {"叶", 15}, {"万", 15},
        {"钟", 17}, {"龙", 16}, {"龚", 22}, {"乔", 12}, {"吕", 7}, {"吴", 7}, {"杨", 13}, {"许", 11},
        {"杰", 12}, {"云", 12},
        // a surname keeps its own form
        {"朱", 6}, {"胡", 11}, {"范", 11}, {"于", 3}, {"余", 7}, {"沈", 8}, {"姜", 9}, {"谷", 7},
        {"党", 10}, {"涂", 11},
        // radicals in their full form
        {"海", 11}, {"江", 7}, {"潘", 16}, {"扬", 13}, {"情", 12}, {"董", 15}, {"陆", 16}, {"郭", 15},
        {"邱", 12}, {"琳", 13}, {"祝", 10}, {"裕", 13}, {"胜", 12}, {"猛", 12}, {"连", 14}, {"道", 16},
        {"魏", 18}, {"建", 9}, {"泰", 10},
        // the character itself when it is a radical
        {"王", 4}, {"玉", 5}, {"水", 4},
        // numerals by value
        {"一", 1}, {"二", 2}, {"三", 3}, {"四", 4}, {"五", 5}, {"六", 6}, {"七", 7}, {"八", 8},
        {"九", 9}, {"十", 10},
    };
    for (const Case& c : cases) {
        const long k = recordOf(c.ch);
        ASSERT_GE(k, 0) << c.ch;
        EXPECT_EQ(strokesAt(file, static_cast<std::size_t>(k)), c.strokes) << c.ch;
    }
}

TEST(Bzpingyu, ThirteenTopicsWithNumberedSentences) {
    const IniFile ini = loadIni("bzpingyu.dat");
    const char* topics[] = {"性格", "职业", "财运", "官运", "婚姻", "学业", "祖业",
                            "父母兄姐", "子女", "名气", "病伤", "仪表", "僧佛艺术"};
    std::set<std::string> seen;
    for (const char* topic : topics) {
        const int tol = ini.readInt(topic, "tol", 0);
        EXPECT_GE(tol, 8) << topic;
        for (int k = 1; k <= tol; ++k) {
            const std::string text = ini.readString(topic, std::to_string(k), "");
            EXPECT_GE(charCount(text), 8u) << topic << " " << k;
            EXPECT_TRUE(seen.insert(text).second) << "repeated: " << text;
        }
        // Nothing beyond tol that the viewer would never show.
        EXPECT_FALSE(ini.hasKey(topic, std::to_string(tol + 1))) << topic;
    }
    EXPECT_EQ(ini.sections().size(), std::size(topics));
}

TEST(EndInfo, ShortGbkFooterWithCrlfLines) {
    const std::string bytes = datFile("EndInfo.txt");
    expectGbk(bytes, "EndInfo.txt");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    std::size_t lines = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
            ++lines;
        }
    }
    EXPECT_GE(lines, 2u);
    EXPECT_LE(lines, 12u);
}

TEST(HelpTexts, BothPagesAreEmbeddedAndFitGbk) {
    for (const char* name : {"texts/help_usage.txt", "texts/help_history.txt"}) {
        const std::string_view text = hj::embeddedResource(name);
        EXPECT_GE(charCount(text), 200u) << name;
        std::string gbk, bad;
        EXPECT_TRUE(utf8ToGbk(text, gbk, &bad)) << name << " holds " << bad;
    }
    // The usage page covers its four subjects.
    const std::string_view usage = hj::embeddedResource("texts/help_usage.txt");
    for (const char* subject : {"不需要安装", "袁天罡", "测算", "命例"})
        EXPECT_NE(usage.find(subject), std::string_view::npos) << subject;
}
