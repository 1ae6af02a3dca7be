// The report's verse texts (ids 1100-1271, 7031-7081, 8001-8051) and the three-lives resource
// text, as they ship: every number the birth verses and the bone weight can ask for is there once
// and opens with its label, the hour texts split into their three parts, and the resource holds
// its eight sections with the keys, line counts and labels the previous-life block selects from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/resources.h"
#include "core/text/gbk.h"

namespace {

using Labels = std::vector<std::string_view>;

std::vector<std::string_view> splitWords(std::string_view s) {
    std::vector<std::string_view> out;
    while (!s.empty()) {
        std::size_t end = s.find(' ');
        if (end != 0) out.push_back(s.substr(0, end));
        if (end == std::string_view::npos) break;
        s.remove_prefix(end + 1);
    }
    return out;
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// Characters (code points) of a UTF-8 text.
std::size_t charCount(std::string_view s) {
    return static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

struct Table {
    std::map<int, std::string> texts;
    std::vector<std::string> problems;  // malformed or repeated lines
};

Table loadTable() {
    Table t;
    std::string_view data = hj::embeddedResource("texts/numbered.tsv");
    int lineNo = 0;
    while (!data.empty()) {
        ++lineNo;
        std::size_t end = data.find('\n');
        std::string_view line = data.substr(0, end);
        data = end == std::string_view::npos ? std::string_view{} : data.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        std::size_t tab = line.find('\t');
        int id = 0;
        auto [p, ec] = std::from_chars(line.data(), line.data() + (tab == std::string_view::npos ? 0 : tab), id);
        if (tab == std::string_view::npos || ec != std::errc{} || p != line.data() + tab) {
            t.problems.push_back("line " + std::to_string(lineNo) + " is not id<TAB>text");
            continue;
        }
        if (!t.texts.emplace(id, std::string(line.substr(tab + 1))).second)
            t.problems.push_back("id " + std::to_string(id) + " appears twice");
    }
    return t;
}

const Table& table() {
    static const Table t = loadTable();
    return t;
}

std::string textOf(int id) {
    auto it = table().texts.find(id);
    return it == table().texts.end() ? std::string{} : it->second;
}

// The ids that belong to the birth verses and the bone weight; nothing else may sit between them.
std::vector<int> verseIds() {
    std::vector<int> ids;
    for (int id = 1100; id <= 1159; ++id) ids.push_back(id);
    for (int id = 1201; id <= 1212; ++id) ids.push_back(id);
    for (int id = 1221; id <= 1250; ++id) ids.push_back(id);
    for (int id = 1260; id <= 1271; ++id) ids.push_back(id);
    for (int id = 7031; id <= 7081; ++id) ids.push_back(id);
    for (int id = 8001; id <= 8051; ++id) ids.push_back(id);
    return ids;
}

TEST(ReportTexts, TableIsWellFormed) {
    EXPECT_TRUE(table().problems.empty()) << table().problems.front();
}

TEST(ReportTexts, EveryVerseIdPresentNonEmptyAndGbk) {
    for (int id : verseIds()) {
        std::string text = textOf(id);
        ASSERT_FALSE(text.empty()) << "id " << id;
        std::string gbk, bad;
        EXPECT_TRUE(hj::text::utf8ToGbk(text, gbk, &bad)) << "id " << id << " holds " << bad;
        EXPECT_EQ(text.find('\t'), std::string::npos) << "id " << id;
        // The program reads a backslash as the start of an escape.
        EXPECT_EQ(text.find('\\'), std::string::npos) << "id " << id;
    }
}

TEST(ReportTexts, NoStrayIdsInsideTheVerseRanges) {
    std::vector<int> ids = verseIds();
    for (const auto& [id, text] : table().texts) {
        bool inRange = (id >= 1100 && id <= 1271) || (id >= 7031 && id <= 8051);
        if (inRange) {
            EXPECT_TRUE(std::binary_search(ids.begin(), ids.end(), id)) << "unexpected id " << id;
        }
    }
}

TEST(ReportTexts, YearVersesOpenWithTheirLabelsInCycleOrder) {
    const auto labels = splitWords(
        "林下之猪 屋上之鼠 海中之牛 山林之虎 望月之兔 清温之龙 福气之蛇 堂里之马 得禄之羊 清秀之猴 楼宿之鸡 "
        "守门之犬 过往之猪 田内之鼠 湖内之牛 过山之虎 出林之兔 怒性之龙 冬藏之蛇 军中之马 群内之羊 过树之猴 "
        "唱午之鸡 白眼之犬 过山之猪 仓内之鼠 栏内之牛 出山之虎 蟾窟之兔 行雨之龙 草中之蛇 春中之马 敬重之羊 "
        "山上之猴 独立之鸡 进山之犬 道院之猪 梁上之鼠 路途之牛 过林之虎 树木之兔 有道之龙 出穴之蛇 路行之马 "
        "失群之羊 独立之猴 报晓之鸡 寺院之犬 圈内之猪 叶上之鼠 栏外之牛 立定之虎 得道之兔 上天之龙 塘内之蛇 "
        "殿内之马 草野之羊 食果之猴 笼藏之鸡 雇家之犬");
    ASSERT_EQ(labels.size(), 60u);
    for (int i = 0; i < 60; ++i)
        EXPECT_TRUE(startsWith(textOf(1100 + i), labels[static_cast<std::size_t>(i)])) << "id " << 1100 + i;
    // Spot checks of the cycle offset: 1100 is 癸亥, 1101 甲子, 1116 己卯.
    EXPECT_TRUE(startsWith(textOf(1101), "屋上之鼠"));
    EXPECT_TRUE(startsWith(textOf(1116), "出林之兔"));
}

TEST(ReportTexts, MonthVersesNameTheirMonthAndTheMonthOfConception) {
    const auto months = splitWords("正月 二月 三月 四月 五月 六月 七月 八月 九月 十月 十一月 十二月");
    for (int m = 1; m <= 12; ++m) {
        std::string text = textOf(1200 + m);
        std::string label = std::string(months[static_cast<std::size_t>(m - 1)]) + "出生的人";
        EXPECT_TRUE(startsWith(text, label)) << "id " << 1200 + m;
        // Ten months counted inclusively: a first-month birth was conceived in the fourth month.
        std::string conception = "受胎于" + std::string(months[static_cast<std::size_t>((m + 2) % 12)]);
        std::size_t at = text.find(conception);
        ASSERT_NE(at, std::string::npos) << "id " << 1200 + m << " lacks " << conception;
        EXPECT_TRUE(startsWith(std::string_view(text).substr(at + conception.size()), "。")) << "id " << 1200 + m;
    }
}

TEST(ReportTexts, DayVersesOpenWithDayAndBornOnThisDay) {
    const auto days = splitWords(
        "初一 初二 初三 初四 初五 初六 初七 初八 初九 初十 十一 十二 十三 十四 十五 十六 十七 十八 十九 二十 "
        "廿一 廿二 廿三 廿四 廿五 廿六 廿七 廿八 廿九 三十");
    ASSERT_EQ(days.size(), 30u);
    for (int d = 1; d <= 30; ++d) {
        std::string label = std::string(days[static_cast<std::size_t>(d - 1)]) + "日此日生人";
        EXPECT_TRUE(startsWith(textOf(1220 + d), label)) << "id " << 1220 + d;
    }
}

TEST(ReportTexts, HourTextsSplitIntoReadingTradeAndYears) {
    const struct {
        int id;
        std::string_view label;
        std::string_view star;
    } hours[] = {
        {1260, "亥时生人", "天父星"}, {1261, "子时生人", "玉扇星"}, {1262, "丑时生人", "闾皇星"},
        {1263, "寅时生人", "白帝星"}, {1264, "卯时生人", "贵元星"}, {1265, "辰时生人", "马元星"},
        {1266, "巳时生人", "禄元星"}, {1267, "午时生人", "太阳星"}, {1268, "未时生人", "太阳星"},
        {1269, "申时生人", "海角星"}, {1270, "酉时生人", "天皇星"}, {1271, "戌时生人", "地母星"},
    };
    for (const auto& h : hours) {
        std::string_view text = table().texts.count(h.id) ? std::string_view(table().texts.at(h.id)) : "";
        ASSERT_TRUE(startsWith(text, h.label)) << "id " << h.id;
        // Clock hours in brackets directly after the label.
        std::string_view rest = text.substr(h.label.size());
        EXPECT_TRUE(startsWith(rest, "（") && rest.find("）") != std::string_view::npos) << "id " << h.id;
        ASSERT_EQ(std::count(text.begin(), text.end(), '*'), 2) << "id " << h.id;
        std::size_t first = text.find('*');
        std::size_t second = text.find('*', first + 1);
        std::string_view reading = text.substr(0, first);
        std::string_view trade = text.substr(first + 1, second - first - 1);
        std::string_view years = text.substr(second + 1);
        EXPECT_NE(reading.find(std::string(h.star) + "入命"), std::string_view::npos) << "id " << h.id;
        EXPECT_TRUE(startsWith(trade, "适业：") && charCount(trade) > 10) << "id " << h.id;
        EXPECT_TRUE(startsWith(years, "吉凶年：") && charCount(years) > 10) << "id " << h.id;
    }
}

// A bone-weight verse is a quatrain of seven-character lines, each closed by ， or 。.
bool isSevenCharQuatrain(std::string_view text, std::string& why) {
    int lines = 0;
    while (!text.empty()) {
        std::size_t comma = text.find("，");
        std::size_t stop = text.find("。");
        std::size_t end = std::min(comma, stop);
        if (end == std::string_view::npos) {
            why = "text after the last line";
            return false;
        }
        if (charCount(text.substr(0, end)) != 7) {
            why = "line " + std::to_string(lines + 1) + " is not seven characters";
            return false;
        }
        ++lines;
        text.remove_prefix(end + std::string_view("，").size());
    }
    why = std::to_string(lines) + " lines";
    return lines == 4;
}

TEST(ReportTexts, BoneWeightVersesAreQuatrainsLightestFirst) {
    for (int base : {7010, 7980}) {
        EXPECT_TRUE(startsWith(textOf(base + 21), "短命非业谓大凶")) << "id " << base + 21;
        for (int tenths = 21; tenths <= 71; ++tenths) {
            std::string why;
            EXPECT_TRUE(isSevenCharQuatrain(textOf(base + tenths), why)) << "id " << base + tenths << ": " << why;
        }
    }
    // The women's list is its own, not the men's copied: most weights read differently.
    int differing = 0;
    for (int tenths = 21; tenths <= 71; ++tenths) differing += textOf(7010 + tenths) != textOf(7980 + tenths);
    EXPECT_GE(differing, 45);
}

// ---- The three-lives resource text, read the way the report reads it. ----

std::string trimControl(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return std::string(s);
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

struct Section {
    std::string key;
    std::vector<std::string> lines;
};

std::vector<Section> resourceSections(std::string& lastLine) {
    std::vector<Section> out;
    std::string_view data = hj::embeddedResource("texts/moreduan.txt");
    bool open = false;
    while (!data.empty()) {
        std::size_t end = data.find('\n');
        std::string line = trimControl(data.substr(0, end));
        data = end == std::string_view::npos ? std::string_view{} : data.substr(end + 1);
        if (line.empty()) continue;
        lastLine = line;
        if (lower(line) == "[end]") {
            open = false;
        } else if (!open && line.front() == '[' && line.back() == ']') {
            out.push_back({line, {}});
            open = true;
        } else if (open) {
            out.back().lines.push_back(line);
        } else {
            out.push_back({"(outside a section) " + line, {}});
        }
    }
    return out;
}

void expectBracketLabels(const Section& s, const Labels& labels) {
    ASSERT_EQ(s.lines.size(), labels.size()) << s.key;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        std::string label = "【" + std::string(labels[i]) + "】";
        EXPECT_TRUE(startsWith(s.lines[i], label)) << s.key << " line " << i << " should open " << label;
        EXPECT_GT(charCount(s.lines[i]), charCount(label) + 20) << s.key << " line " << i;
    }
}

void expectFormerAndPresent(const Section& s) {
    for (std::size_t i = 0; i < s.lines.size(); ++i) {
        const std::string& line = s.lines[i];
        std::size_t former = line.find("】前世：");
        std::size_t present = line.find("影响现世：");
        EXPECT_NE(former, std::string::npos) << s.key << " line " << i;
        EXPECT_TRUE(present != std::string::npos && present > former) << s.key << " line " << i;
    }
}

TEST(ThreeLivesResource, SectionsKeysAndLineCountsInOrder) {
    std::string lastLine;
    std::vector<Section> sections = resourceSections(lastLine);
    const std::vector<std::pair<std::string_view, std::size_t>> expected = {
        {"[Qian_FuLu]", 12},     {"[Qian_ShouYi]", 12}, {"[Qian_ShouMing]", 8}, {"[TuoHua]", 12},
        {"[XianShi_TuoHua]", 84}, {"[DuQiao]", 12},      {"[TuoHuaDi]", 12},     {"[LiuQinZhu]", 12},
    };
    ASSERT_EQ(sections.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(sections[i].key, expected[i].first);
        EXPECT_EQ(sections[i].lines.size(), expected[i].second) << sections[i].key;
        for (const std::string& line : sections[i].lines) {
            std::string gbk, bad;
            EXPECT_TRUE(hj::text::utf8ToGbk(line, gbk, &bad)) << sections[i].key << " holds " << bad;
        }
    }
    EXPECT_EQ(lastLine, "[end]");
}

TEST(ThreeLivesResource, EntriesOpenWithTheirLabels) {
    std::string lastLine;
    std::vector<Section> s = resourceSections(lastLine);
    ASSERT_EQ(s.size(), 8u);
    expectBracketLabels(s[0], splitWords("建禄 除禄 满禄 平禄 定禄 执禄 破禄 危禄 成禄 收禄 开禄 闭禄"));
    expectFormerAndPresent(s[0]);
    expectBracketLabels(s[1], splitWords("一宫 二宫 三宫 四宫 五宫 六宫 七宫 八宫 九宫 十宫 十一宫 十二宫"));
    expectFormerAndPresent(s[1]);
    expectBracketLabels(s[2], splitWords("童限 相貌 福德 官禄 远移 疾厄 夫妻 奴婢"));
    expectFormerAndPresent(s[2]);
    expectBracketLabels(s[5], splitWords("一桥 二桥 三桥 四桥 五桥 六桥 七桥 八桥 九桥 十桥 十一桥 十二桥"));
    expectBracketLabels(s[6], splitWords("桥头 路旁 山头 屋宇 树下 河边 草旁 田园 炉边 池边 船上 花旁"));
    expectBracketLabels(s[7], splitWords("姑 表 父母 兄弟 姐妹 姨舅 叔伯 岳父母 儿孙 妯娌 朋友 公婆"));
}

TEST(ThreeLivesResource, TransformationLinesFollowThePresentLifeBranch) {
    std::string lastLine;
    std::vector<Section> s = resourceSections(lastLine);
    ASSERT_EQ(s.size(), 8u);
    const Section& tuoHua = s[3];
    ASSERT_EQ(tuoHua.lines.size(), 12u);
    // Line k belongs to branch k with 亥 first.
    const auto animals = splitWords("猪 鼠 牛 虎 兔 龙 蛇 马 羊 猴 鸡 狗");
    for (std::size_t k = 0; k < 12; ++k) {
        std::string_view line = tuoHua.lines[k];
        ASSERT_TRUE(startsWith(line, "【托化】前世")) << "line " << k;
        std::string_view afterFormer = line.substr(std::string_view("【托化】前世").size());
        bool formerIsAnimal = std::any_of(animals.begin(), animals.end(),
                                          [&](std::string_view a) { return startsWith(afterFormer, a); });
        EXPECT_TRUE(formerIsAnimal) << "line " << k;
        std::string present = "化现世" + std::string(animals[k]);
        EXPECT_EQ(afterFormer.find(present), std::string("猪").size()) << "line " << k;
    }
}

TEST(ThreeLivesResource, PresentLifeBlocksRunFromRatToPig) {
    std::string lastLine;
    std::vector<Section> s = resourceSections(lastLine);
    ASSERT_EQ(s.size(), 8u);
    const Section& blocks = s[4];
    ASSERT_EQ(blocks.lines.size(), 84u);
    const auto animals = splitWords("鼠 牛 虎 兔 龙 蛇 马 羊 猴 鸡 狗 猪");
    const auto topics = splitWords("婚姻： 吉凶： 寿限： 健康： 财运： 事业：");
    for (std::size_t b = 0; b < 12; ++b) {
        EXPECT_EQ(blocks.lines[7 * b], "现世" + std::string(animals[b])) << "block " << b;
        for (std::size_t t = 0; t < 6; ++t) {
            const std::string& line = blocks.lines[7 * b + 1 + t];
            EXPECT_TRUE(startsWith(line, topics[t])) << "block " << b << " line " << t;
            EXPECT_GT(charCount(line), 20u) << "block " << b << " line " << t;
        }
    }
}

}  // namespace
