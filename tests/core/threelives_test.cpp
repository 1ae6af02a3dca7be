#include <gtest/gtest.h>

#include <algorithm>

#include "chart_test_support.h"
#include "core/calendar/datetime.h"
#include "core/chart/chart.h"
#include "core/chart/derived.h"
#include "core/threelives/three_lives.h"
#include "rule_fixture.h"

using namespace hj;

namespace {

int gz(const char* name) {
    for (int i = 0; i < 60; ++i)
        if (pillarName(i) == name) return i;
    ADD_FAILURE() << "no pillar " << name;
    return -1;
}

// A three-lives resource whose lines name their section and index ("FuLu7", "X21" …).
std::string fixtureResource() {
    std::string s;
    auto section = [&s](const char* key, const char* label, int n) {
        s += std::string(key) + "\r\n";
        for (int i = 0; i < n; ++i) s += std::string(label) + std::to_string(i) + "\r\n";
        s += "[end]\r\n\r\n";
    };
    section("[Qian_FuLu]", "FuLu", 12);
    section("[Qian_ShouYi]", "ShouYi", 12);
    section("[Qian_ShouMing]", "ShouMing", 8);
    section("[TuoHua]", "TuoHua", 12);
    section("[XianShi_TuoHua]", "X", 84);
    section("[DuQiao]", "DuQiao", 12);
    section("[TuoHuaDi]", "TuoHuaDi", 12);
    section("[LiuQinZhu]", "LiuQin", 12);
    return s;
}

// The worked chart 己卯 丙子 戊午 戊午 of a man, lunar 1999-11-25.
void workedChart(Chart& r) {
    r = Chart{};
    r.pillars = {16, 13, 55, 55};
    for (int i = 0; i < 4; ++i) r.nayinElements[i] = static_cast<std::uint8_t>(nayinElement(r.pillars[i]));
    r.birthLocal = DateTime{2000, 1, 1, 12, 0};
    r.birthLunar = DateTime{1999, 11, 25, 12, 0};
    r.request.male = true;
    r.request.yearly = false;
    r.settings = ChartSettings{};
}

const TextTable& texts() { return fixtures::idTextTable(); }

const std::vector<std::string>& fixtureLines() {
    static const std::vector<std::string> lines = splitResourceLines(fixtureResource());
    return lines;
}

// The sections the report takes from the resource, counted with month `m`.
std::string previousLife(const Chart& r, int m, const std::vector<std::string>& lines = fixtureLines()) {
    return previousLifeSections(r, m, lines, texts());
}

const char* const kWorkedReading =
    "※推三世吉凶：T10360\r\n\r\n"
    "※推北斗坐命：T10484\r\n\r\n"
    "※推四季皇帝：冬季午时，T10002\r\n\r\n"
    "※时辰论命：T10132\r\n\r\n"
    "※推所值星辰：T10370\r\n\r\n"
    "※推人命形状：T10387\r\n\r\n"
    "※推六道神数：T10012\r\n　　　　　　　T10028\r\n\r\n"
    "※推所属骨骼：T10538\r\n\r\n"
    "※推飞星禄位：T10065\r\n\r\n"
    "※推一生衣禄：T10226\r\n\r\n"
    "※推有无手艺：T10325\r\n\r\n"
    "※推有无学堂：T10241\r\n\r\n"
    "※推有无屋宅：T10154\r\n\r\n"
    "※推有无田地：无。\r\n\r\n"
    "※推有无牛猪：T10187\r\n　　　　　　　T10207\r\n\r\n"
    "※推有无蚕桑：T10287\r\n\r\n"
    "※推有无刑克：T10470\r\n\r\n"
    "※推兄弟关系：T10454\r\n\r\n"
    "※推夫妇和睦：T10074\r\n　　　　　　　T10092\r\n\r\n"
    "※推子女命数：T10404\r\n\r\n"
    "※推子息多少：观子星落宫，应生五子。\r\n\r\n"
    "※推命终寿：T10264\r\n\r\n"
    "※推寿数长短：59岁。\r\n"
    "　　此数依旧法按年命纳音与生月前后半月推出，古书亦言寿数可因积善修身而延，只作参考，不可拘泥。\r\n\r\n"
    "※推死后终身：T10306\r\n\r\n"
    "※推青龙性情：T10437\r\n\r\n"
    "※推白虎性情：T10420\r\n\r\n";

const char* const kWorkedPreviousLife =
    "※前世福禄：FuLu7\r\n\r\n"
    "※前世手艺：ShouYi5\r\n\r\n"
    "※前世托化：TuoHua4\r\n\r\n"
    "※现世属相：X21\r\n　　X22\r\n　　X23\r\n　　X24\r\n　　X25\r\n　　X26\r\n　　X27\r\n\r\n"
    "※现世何地托化：TuoHuaDi7\r\n\r\n"
    "※六亲助力：LiuQin5\r\n\r\n"
    "※幼童开度桥：DuQiao7\r\n\r\n"
    "※小儿关煞：\r\n"
    "（旧时为十二岁以内幼儿所立的关煞之说，只论童年，成年不论；括号中是看护幼儿的旧俗叮嘱。）\r\n"
    "◆天吊关（宜过房或认养父母。）\r\n"
    "◆汤火关（宜小心汤火。）\r\n"
    "◆无情煞（生父母偏呼或重拜父母。）\r\n"
    "◆白虎煞（主有血光惊风破相。）\r\n"
    "\r\n";

// The text of one section: from its heading to the next "※".
std::string sectionOf(const std::string& report, const std::string& heading) {
    auto a = report.find(heading);
    if (a == std::string::npos) return "";
    auto b = report.find("※", a + heading.size());
    return report.substr(a, b == std::string::npos ? std::string::npos : b - a);
}

}  // namespace

TEST(ThreeLives, WorkedChartReading) {
    Chart r;
    workedChart(r);
    EXPECT_EQ(threeLivesMonthOf(r), 11);
    EXPECT_EQ(threeLivesReading(r, texts()), kWorkedReading);
    EXPECT_EQ(previousLife(r, threeLivesMonthOf(r)), kWorkedPreviousLife);
}

TEST(ThreeLives, MonthRule) {
    Chart r;
    workedChart(r);
    r.settings.yue = 0;
    r.pillars[1] = static_cast<std::int16_t>(gz("丙子"));
    EXPECT_EQ(threeLivesMonthOf(r), 11);
    r.pillars[1] = static_cast<std::int16_t>(gz("丁丑"));
    EXPECT_EQ(threeLivesMonthOf(r), 12);
    r.pillars[1] = static_cast<std::int16_t>(gz("丙寅"));
    EXPECT_EQ(threeLivesMonthOf(r), 1);
    r.settings.yue = 1;
    r.birthLunar.month = 4;  // a leap fourth month counts as the fourth
    r.request.leap = true;
    EXPECT_EQ(threeLivesMonthOf(r), 4);
}

TEST(ThreeLives, SectionRules) {
    Chart r;
    workedChart(r);
    // 飞星禄位 for a 子 hour in month 6 finds no row.
    r.pillars[3] = static_cast<std::int16_t>(gz("壬子"));
    r.birthLunar.month = 6;
    EXPECT_EQ(sectionOf(threeLivesReading(r, texts()), "※推飞星禄位："), "※推飞星禄位：无。\r\n\r\n");

    // 有无田地 of a 金 year in month 12: groups 0 and 1 hold 12, the first wins.
    workedChart(r);
    r.pillars[0] = static_cast<std::int16_t>(gz("甲子"));  // 海中金
    r.nayinElements[0] = 4;
    r.birthLunar.month = 12;
    EXPECT_EQ(sectionOf(threeLivesReading(r, texts()), "※推有无田地："), "※推有无田地：T10170\r\n\r\n");

    // 有无刑克 with several matches: a 水 year (丙子, 涧下 → 洞下水), 子 year, month 7:
    // group a 客人 (4 6 7), group b 火烧 and 水伤 (3 7, 2 7), group c 申子辰 (1 7 11).
    workedChart(r);
    r.pillars[0] = static_cast<std::int16_t>(gz("丙子"));
    r.nayinElements[0] = static_cast<std::uint8_t>(nayinElement(r.pillars[0]));
    ASSERT_EQ(r.nayinElements[0], 0);
    r.birthLunar.month = 7;
    EXPECT_EQ(sectionOf(threeLivesReading(r, texts()), "※推有无刑克："),
              "※推有无刑克：T10470\r\n\r\n　　　　　　　T10476\r\n\r\n　　　　　　　T10478\r\n\r\n"
              "　　　　　　　T10479\r\n\r\n");
    // 寿数长短 of a 水 year in month 1: day 15 → 53, day 16 → 82.
    workedChart(r);
    r.pillars[0] = static_cast<std::int16_t>(gz("丙子"));
    r.nayinElements[0] = 0;
    r.birthLunar.month = 1;
    r.birthLunar.day = 15;
    EXPECT_EQ(sectionOf(threeLivesReading(r, texts()), "※推寿数长短："), "※推寿数长短：53岁。\r\n" + std::string(kLifeSpanNote) + "\r\n\r\n");
    r.birthLunar.day = 16;
    EXPECT_EQ(sectionOf(threeLivesReading(r, texts()), "※推寿数长短："), "※推寿数长短：82岁。\r\n" + std::string(kLifeSpanNote) + "\r\n\r\n");

    // 六道神数 of a woman counts backward: w = (4 - (10 + 6 + 24) + 120) mod 12 = 0 → path 1.
    workedChart(r);
    r.request.male = false;
    const std::string woman = threeLivesReading(r, texts());
    EXPECT_EQ(sectionOf(woman, "※推六道神数："), "※推六道神数：T10011\r\n　　　　　　　T10020\r\n\r\n");
    // and 子女命数 by Lf: (2 - 11) mod 12 = 3.
    EXPECT_EQ(sectionOf(woman, "※推子女命数："), "※推子女命数：T10403\r\n\r\n");
}

TEST(ThreeLives, ChildPasses) {
    Chart r;
    workedChart(r);
    // A 子 year with a 巳 hour meets 短命关; with a 辰 hour 五鬼关.
    r.pillars = {static_cast<std::int16_t>(gz("甲子")), static_cast<std::int16_t>(gz("丙寅")),
                 static_cast<std::int16_t>(gz("甲子")), static_cast<std::int16_t>(gz("己巳"))};
    EXPECT_EQ(listChildPasses(r).find("◆短命关"), 0u);
    r.pillars[3] = static_cast<std::int16_t>(gz("戊辰"));
    EXPECT_EQ(listChildPasses(r).find("◆五鬼关"), 0u);
    // Lines come in table order, each closed by a line end.
    r.pillars = {16, 13, 55, 55};
    const std::string passes = listChildPasses(r);
    EXPECT_LT(passes.find("天吊关"), passes.find("汤火关"));
    EXPECT_LT(passes.find("汤火关"), passes.find("无情煞"));
    EXPECT_EQ(passes.substr(passes.size() - 2), "\r\n");
    // Day-stem rules: a 壬 day meets 午日关 at 丑 and at 寅.
    r.pillars = {static_cast<std::int16_t>(gz("甲子")), static_cast<std::int16_t>(gz("丙寅")),
                 static_cast<std::int16_t>(gz("壬申")), static_cast<std::int16_t>(gz("辛丑"))};
    EXPECT_NE(listChildPasses(r).find("◆午日关"), std::string::npos);
    // Find a chart that meets none: then the block is the heading and a blank line.
    bool foundEmpty = false;
    for (int y = 0; y < 12 && !foundEmpty; ++y)
        for (int h = 0; h < 12 && !foundEmpty; ++h) {
            r.pillars = {static_cast<std::int16_t>(cycleIndexOf(y % 2 ? 1 : 2, y)),
                         static_cast<std::int16_t>(gz("丙寅")), static_cast<std::int16_t>(gz("甲子")),
                         static_cast<std::int16_t>(cycleIndexOf(h % 2 ? 1 : 2, h))};
            if (listChildPasses(r).empty()) {
                foundEmpty = true;
                EXPECT_NE(previousLife(r, 1).find("※小儿关煞：\r\n\r\n"), std::string::npos);
            }
        }
    EXPECT_TRUE(foundEmpty);
}

TEST(ThreeLives, YearlyFortune) {
    Chart r;
    workedChart(r);
    // January 1984, before 立春: a 癸亥 year pillar, counted from 1983.
    r.pillars[0] = 0;
    r.birthLocal = DateTime{1984, 1, 20, 12, 0};
    std::string y = listYearlyFortune(r, texts());
    EXPECT_EQ(y.substr(0, y.find("\r\n\r\n") + 4), "【1岁流年：癸亥1983年】T10500\r\n　　T10520\r\n\r\n");
    const auto last = y.rfind("【81岁流年：");
    ASSERT_NE(last, std::string::npos);
    EXPECT_EQ(y.substr(last), "【81岁流年：癸未2063年】T10508\r\n　　T10528\r\n\r\n");
    // A woman's nine stars start with 计都 (10526).
    r.request.male = false;
    y = listYearlyFortune(r, texts());
    EXPECT_EQ(y.substr(0, y.find("\r\n\r\n") + 4), "【1岁流年：癸亥1983年】T10500\r\n　　T10526\r\n\r\n");
    // Year 0 (1 BC) before 立春: the count starts at -1 and skips 0.
    r.birthLocal = DateTime{0, 1, 10, 12, 0};
    r.pillars[0] = static_cast<std::int16_t>(cycleMod(0 + 896, 60));
    y = listYearlyFortune(r, texts());
    EXPECT_NE(y.find("流年：" + pillarName(r.pillars[0]) + "-1年】"), std::string::npos);
    EXPECT_NE(y.find("【2岁流年：" + pillarName(r.pillars[0] + 1) + "1年】"), std::string::npos);
    EXPECT_NE(y.find("【3岁流年：" + pillarName(r.pillars[0] + 2) + "2年】"), std::string::npos);

    // The block follows the child passes only with the yearly option.
    workedChart(r);
    r.request.yearly = true;
    EXPECT_NE(previousLife(r, 11).find("\r\n流年神煞和九星：\r\n【1岁流年：己卯1999年】"), std::string::npos);
}

TEST(ThreeLives, ResourceSections) {
    std::vector<std::string> lines;
    const auto res = splitResourceLines(
        "\xEF\xBB\xBF  [qian_fulu]  \r\n\r\n  第一行  \r\n　第二行\r\n[END]\r\n[Qian_FuLu]\r\n再一次\r\n[end]\r\n"
        "[DuQiao]\n[end]\n[TuoHua]\nA\nB");
    ASSERT_TRUE(readTextSection(res, "[Qian_FuLu]", lines));
    // Trimmed of blanks and controls, the ideographic space kept; the first occurrence wins.
    EXPECT_EQ(lines, (std::vector<std::string>{"第一行", "　第二行"}));
    EXPECT_FALSE(readTextSection(res, "[DuQiao]", lines));     // no line before [end]
    EXPECT_FALSE(readTextSection(res, "[LiuQinZhu]", lines));  // missing
    EXPECT_TRUE(lines.empty());
    ASSERT_TRUE(readTextSection(res, "[TuoHua]", lines));      // the walk ends at the last line
    EXPECT_EQ(lines.size(), 2u);

    // 前世寿命 is left out when (M - Y) mod 12 is 4 to 7: a 子 year with M = 5.
    Chart r;
    workedChart(r);
    r.pillars[0] = static_cast<std::int16_t>(gz("甲子"));
    EXPECT_EQ(previousLife(r, 5).find("※前世寿命："), std::string::npos);
    // h = 9 → line 5
    EXPECT_NE(previousLife(r, 10).find("※前世寿命：ShouMing5\r\n"), std::string::npos);
    // A 亥 year counts as 12: 前世托化 line 0, 现世属相 lines 77 to 83.
    workedChart(r);
    r.pillars[0] = 0;
    const std::string hai = previousLife(r, 1);
    EXPECT_NE(hai.find("※前世托化：TuoHua0\r\n"), std::string::npos);
    EXPECT_NE(hai.find("※现世属相：X77\r\n　　X78"), std::string::npos);
    EXPECT_NE(hai.find("　　X83\r\n\r\n"), std::string::npos);
    // A resource without [Qian_FuLu], or with a short section, leaves those headings out.
    std::string res2 = fixtureResource();
    res2.replace(res2.find("[Qian_FuLu]"), 11, "[Other]");
    const std::string shortSection = "[TuoHuaDi]\r\nonly\r\n[end]\r\n";
    res2.replace(res2.find("[TuoHuaDi]"), 10, "[Unused]");
    res2 = shortSection + res2;
    // (6 - 12) mod 12 = 6: beyond the one line
    const std::string cut = previousLife(r, 6, splitResourceLines(res2));
    EXPECT_EQ(cut.find("※前世福禄："), std::string::npos);
    EXPECT_EQ(cut.find("※现世何地托化："), std::string::npos);
    EXPECT_NE(cut.find("※前世手艺："), std::string::npos);
}

// ---- Every cell of the three-lives tables against the rules as the book states them ----

namespace {

using fixtures::branchesIn;
using fixtures::holds;
using fixtures::numbersIn;
using fixtures::pillarOnBranch;
using fixtures::pillarOnStem;
using fixtures::Rule;
using fixtures::RuleBook;

const RuleBook& lifeRules() {
    static const RuleBook book("threelives_rules.txt");
    return book;
}

// Element names by code (0 水 … 4 金), from the derived-data fixture.
const std::vector<std::string>& elementNames() {
    static const RuleBook book("derived_rules.txt");
    return book.table("五行序", 5)[0].fields;
}

int mod12(int x) { return (x % 12 + 12) % 12; }
std::string textId(int id) { return "T" + std::to_string(id); }
std::string one(const std::string& heading, int id) { return heading + textId(id) + "\r\n\r\n"; }
std::string two(const std::string& heading, int a, int b) {
    return heading + textId(a) + "\r\n　　　　　　　" + textId(b) + "\r\n\r\n";
}

// The worked chart with the year branch, year element and month of the rule under test.
void chartOf(Chart& r, int yearBranch, int element, int month) {
    workedChart(r);
    r.pillars[0] = static_cast<std::int16_t>(pillarOnBranch(yearBranch));
    r.nayinElements[0] = static_cast<std::uint8_t>(element);
    r.birthLunar.month = static_cast<std::int16_t>(month);
}

std::string section(const Chart& r, const std::string& heading) {
    return sectionOf(threeLivesReading(r, texts()), heading);
}

// The rule of a table whose first field is `key`.
const Rule& ruleFor(const std::string& table, const std::string& key, std::size_t minFields = 2) {
    for (const Rule& r : lifeRules().table(table, minFields))
        if (r.fields[0] == key) return r;
    ADD_FAILURE() << table << ": no rule for " << key;
    static const Rule kNone{std::vector<std::string>(16, "0"), 0};
    return kNone;
}

// The rule of a table keyed by a group of branches ("寅午戌 1") that holds `branch`.
const Rule& ruleForBranch(const std::string& table, int branch) {
    for (const Rule& r : lifeRules().table(table, 2))
        if (holds(branchesIn(r.fields[0]), branch)) return r;
    ADD_FAILURE() << table << ": no rule for " << kBranches[branch];
    static const Rule kNone{std::vector<std::string>(16, "0"), 0};
    return kNone;
}

// Columns of the book's tables: branches 子 first, stems 甲 first.
int fromRat(int branch) { return (branch + 11) % 12; }
int fromJia(int stem) { return (stem + 9) % 10; }

}  // namespace

TEST(ThreeLivesTables, EmperorBodyParts) {
    Chart r;
    for (int b0 = 0; b0 < 12; ++b0) {
        std::string season;
        for (const Rule& s : lifeRules().table("皇帝季", 2))
            if (holds(branchesIn(s.fields[1]), b0)) season = s.fields[0];
        const Rule& row = ruleFor("皇帝", season, 13);
        for (int h0 = 0; h0 < 12; ++h0) {
            workedChart(r);
            r.pillars[1] = static_cast<std::int16_t>(pillarOnBranch(b0));
            r.pillars[3] = static_cast<std::int16_t>(pillarOnBranch(h0));
            const std::string heading = "※推四季皇帝：" + season + std::string(kBranches[h0]) + "时，";
            EXPECT_EQ(section(r, "※推四季皇帝："), one(heading, 10001 + std::stoi(row.fields[1 + h0])))
                << "四季皇帝: month " << kBranches[b0] << ", hour " << kBranches[h0];
        }
    }
}

TEST(ThreeLivesTables, FlyingStar) {
    const auto& rows = lifeRules().table("飞星", 13);
    ASSERT_EQ(rows.size(), 10u);
    Chart r;
    for (int h0 = 0; h0 < 12; ++h0)
        for (int m = 1; m <= 12; ++m) {
            std::string expected = "※推飞星禄位：无。\r\n\r\n";
            for (std::size_t row = rows.size(); row-- > 0;)
                if (std::stoi(rows[row].fields[1 + fromRat(h0)]) == m)
                    expected = one("※推飞星禄位：", 10060 + static_cast<int>(row));
            chartOf(r, 4, 0, m);
            r.pillars[3] = static_cast<std::int16_t>(pillarOnBranch(h0));
            EXPECT_EQ(section(r, "※推飞星禄位："), expected) << "飞星禄位: hour " << kBranches[h0] << ", month " << m;
        }
}

TEST(ThreeLivesTables, HouseAndSchool) {
    Chart r;
    for (int y0 = 0; y0 < 12; ++y0)
        for (int m = 1; m <= 12; ++m) {
            chartOf(r, y0, 0, m);
            const int h = std::stoi(ruleFor("屋宅", std::string(kBranches[y0])).fields[1]);
            EXPECT_EQ(section(r, "※推有无屋宅："), one("※推有无屋宅：", 10150 + mod12(m - h)))
                << "有无屋宅: year " << kBranches[y0] << ", month " << m;
            const int s = std::stoi(ruleForBranch("学堂", y0).fields[1]);
            EXPECT_EQ(section(r, "※推有无学堂："), one("※推有无学堂：", 10240 + mod12(m - s)))
                << "有无学堂: year " << kBranches[y0] << ", month " << m;
        }
}

TEST(ThreeLivesTables, Fields) {
    Chart r;
    for (int e = 0; e < 5; ++e) {
        const Rule& row = ruleFor("田地", elementNames()[e], 7);
        for (int m = 1; m <= 12; ++m) {
            std::string expected = "※推有无田地：无。\r\n\r\n";
            for (int g = 5; g >= 0; --g)
                if (holds(numbersIn(row.fields[1 + g]), m)) expected = one("※推有无田地：", 10170 + g);
            chartOf(r, 4, e, m);
            EXPECT_EQ(section(r, "※推有无田地："), expected) << "有无田地: " << elementNames()[e] << ", month " << m;
        }
    }
}

TEST(ThreeLivesTables, Harms) {
    const auto& a = lifeRules().table("刑克甲", 6);
    const auto& b = lifeRules().table("刑克乙", 13);
    ASSERT_EQ(a.size(), 6u);
    ASSERT_EQ(b.size(), 3u);
    Chart r;
    for (int e = 0; e < 5; ++e)
        for (int y0 = 0; y0 < 12; ++y0)
            for (int m = 1; m <= 12; ++m) {
                std::vector<int> ids;
                for (int k = 0; k < 6; ++k)
                    if (holds(numbersIn(a[k].fields[1 + e]), m)) ids.push_back(10470 + k);
                for (int k = 0; k < 3; ++k)
                    if (holds(numbersIn(b[k].fields[1 + y0]), m)) ids.push_back(10476 + k);  // columns 亥 first
                if (holds(numbersIn(ruleForBranch("刑克丙", y0).fields[1]), m)) ids.push_back(10479);
                std::string expected = "※推有无刑克：";
                for (std::size_t i = 0; i < ids.size(); ++i)
                    expected += (i ? "　　　　　　　" : "") + textId(ids[i]) + "\r\n\r\n";
                if (ids.empty()) expected += "无。\r\n\r\n";
                chartOf(r, y0, e, m);
                EXPECT_EQ(section(r, "※推有无刑克："), expected)
                    << "有无刑克: " << elementNames()[e] << ", year " << kBranches[y0] << ", month " << m;
            }
}

TEST(ThreeLivesTables, PalaceStartsByElement) {
    Chart r;
    for (int e = 0; e < 5; ++e) {
        const Rule& row = ruleFor("起宫", elementNames()[e], 5);
        const int L = std::stoi(row.fields[1]), L2 = std::stoi(row.fields[2]), Lf = std::stoi(row.fields[3]),
                  k = std::stoi(row.fields[4]);
        for (int m = 1; m <= 12; ++m)
            for (bool male : {true, false}) {
                chartOf(r, 4, e, m);
                r.request.male = male;
                const std::string where = std::string("起宫: ") + elementNames()[e] + ", month " + std::to_string(m);
                EXPECT_EQ(section(r, "※推兄弟关系："), one("※推兄弟关系：", 10450 + mod12(m - L))) << where;
                EXPECT_EQ(section(r, "※推夫妇和睦："), two("※推夫妇和睦：", 10070 + mod12(m - L), 10090 + mod12(m - L2)))
                    << where;
                EXPECT_EQ(section(r, "※推子女命数："),
                          one("※推子女命数：", 10400 + (male ? mod12(m - L) : mod12(Lf - m))))
                    << where << (male ? " male" : " female");
                EXPECT_EQ(section(r, "※推命终寿："), one("※推命终寿：", 10260 + mod12(m - L))) << where;
                EXPECT_EQ(section(r, "※推死后终身："), one("※推死后终身：", 10300 + mod12(m - k))) << where;
            }
    }
}

TEST(ThreeLivesTables, Sons) {
    static const RuleBook derived("derived_rules.txt");
    const auto& stages = derived.table("十二宫", 12)[0].fields;
    Chart r;
    for (int ds = 0; ds < 10; ++ds)
        for (int h0 = 0; h0 < 12; ++h0) {
            workedChart(r);
            r.pillars[2] = static_cast<std::int16_t>(pillarOnStem(ds));
            r.pillars[3] = static_cast<std::int16_t>(pillarOnBranch(h0));
            const std::string stage = stages[lifeStageIndex(ds, h0)];
            EXPECT_EQ(section(r, "※推子息多少："), "※推子息多少：观子星落宫，应" + ruleFor("子息", stage).fields[1] + "。\r\n\r\n")
                << "子息多少: day stem " << kStems[ds] << ", hour " << kBranches[h0] << " (" << stage << ")";
        }
}

TEST(ThreeLivesTables, LifeSpan) {
    Chart r;
    for (int e = 0; e < 5; ++e)
        for (int day : {1, 15, 16, 30}) {
            const std::string half = day <= 15 ? "上半" : "下半";
            const Rule* row = nullptr;
            for (const Rule& x : lifeRules().table("寿数", 14))
                if (x.fields[0] == elementNames()[e] && x.fields[1] == half) row = &x;
            ASSERT_NE(row, nullptr) << elementNames()[e] << half;
            for (int m = 1; m <= 12; ++m) {
                chartOf(r, 4, e, m);
                r.birthLunar.day = static_cast<std::int16_t>(day);
                EXPECT_EQ(section(r, "※推寿数长短："), "※推寿数长短：" + row->fields[1 + m] + "岁。\r\n" + std::string(kLifeSpanNote) + "\r\n\r\n")
                    << "寿数长短: " << elementNames()[e] << ", day " << day << ", month " << m;
            }
        }
}

TEST(ThreeLivesTables, SixPathsAndWhiteTiger) {
    Chart r;
    // Month 1, a 子 hour and lunar day 1 make the palace number w the year branch.
    for (int w = 0; w < 12; ++w) {
        int path = -1;
        for (const Rule& x : lifeRules().table("六道", 2))
            if (holds(numbersIn(x.fields[0]), w)) path = std::stoi(x.fields[1]);
        ASSERT_GE(path, 0) << w;
        chartOf(r, w, 0, 1);
        r.pillars[3] = static_cast<std::int16_t>(pillarOnBranch(1));
        r.birthLunar.day = 1;
        EXPECT_EQ(section(r, "※推六道神数："), two("※推六道神数：", 10010 + path, 10020 + w)) << "六道神数: w " << w;
    }
    for (int ed = 0; ed < 5; ++ed) {
        workedChart(r);
        r.nayinElements[2] = static_cast<std::uint8_t>(ed);
        EXPECT_EQ(section(r, "※推白虎性情："),
                  one("※推白虎性情：", 10420 + std::stoi(ruleFor("白虎", elementNames()[ed]).fields[1])))
            << "白虎性情: " << elementNames()[ed];
    }
}

TEST(ThreeLivesTables, ChildBridge) {
    Chart r;
    for (const Rule& row : lifeRules().table("度桥", 3)) {
        int e = -1;
        for (int i = 0; i < 5; ++i)
            if (elementNames()[i] == row.fields[1]) e = i;
        ASSERT_GE(e, 0) << row.fields[1];
        const int q = std::stoi(row.fields[2]);
        for (int m = 1; m <= 12; ++m) {
            chartOf(r, 4, e, m);
            r.request.male = row.fields[0] == "男";
            EXPECT_EQ(sectionOf(previousLife(r, m), "※幼童开度桥："), "※幼童开度桥：DuQiao" + std::to_string(mod12(m - q)) + "\r\n\r\n")
                << "幼童开度桥: " << row.fields[0] << " " << row.fields[1] << ", month " << m;
        }
    }
}

TEST(ThreeLivesTables, NineStars) {
    const auto& order = lifeRules().table("九星序", 9)[0].fields;
    Chart r;
    for (bool male : {true, false}) {
        const auto& stars = ruleFor("九星", male ? "男" : "女", 10).fields;
        workedChart(r);
        r.request.male = male;
        const std::string yearly = listYearlyFortune(r, texts());
        for (int age = 1; age <= 18; ++age) {
            const std::string& star = stars[1 + (age - 1) % 9];
            const int id = 10520 + static_cast<int>(std::find(order.begin(), order.end(), star) - order.begin());
            const auto at = yearly.find("【" + std::to_string(age) + "岁流年");
            ASSERT_NE(at, std::string::npos) << age;
            const auto entryEnd = yearly.find("\r\n\r\n", at);
            EXPECT_NE(yearly.substr(at, entryEnd - at).find("\r\n　　" + textId(id)), std::string::npos)
                << "九星: " << (male ? "男" : "女") << ", age " << age << " (" << star << ")";
        }
    }
}

TEST(ThreeLivesTables, ChildPasses) {
    static const RuleBook passes("child_passes.txt");
    static const char* const kNames[31] = {"短命关", "五鬼关", "休庵关", "天吊关", "鬼门关", "撞命关", "汤火关", "埋儿关",
                                           "天狗关", "四柱关", "四季关", "阎王关", "水穴关", "急脚煞", "将军箭", "无情煞",
                                           "浴盆煞", "夜啼关", "水火关", "深水关", "金锁关", "断桥关", "百日关", "午日关",
                                           "雷公关", "落井关", "白虎煞", "断肠关", "铁蛇关", "鸡飞关", "取命关"};
    Chart r;
    for (const char* name : kNames) {
        const auto& rows = passes.table(name, 11);
        ASSERT_EQ(rows.size(), 1u) << name;
        const Rule& row = rows[0];
        const bool byStem = row.fields[0] == "日干";
        const int keys = byStem ? 10 : 12;
        ASSERT_EQ(row.fields.size(), static_cast<std::size_t>(1 + keys)) << name;
        for (int key = 0; key < keys; ++key)
            for (int h = 0; h < 12; ++h) {
                workedChart(r);
                if (row.fields[0] == "年支") r.pillars[0] = static_cast<std::int16_t>(pillarOnBranch(key));
                else if (row.fields[0] == "月支") r.pillars[1] = static_cast<std::int16_t>(pillarOnBranch(key));
                else r.pillars[2] = static_cast<std::int16_t>(pillarOnStem(key));
                r.pillars[3] = static_cast<std::int16_t>(pillarOnBranch(h));
                const bool expected = holds(branchesIn(row.fields[1 + (byStem ? fromJia(key) : fromRat(key))]), h);
                const bool met = listChildPasses(r).find("◆" + std::string(name) + "（") != std::string::npos;
                EXPECT_EQ(met, expected) << "小儿关煞 " << name << ": " << row.fields[0] << " "
                                         << (byStem ? kStems[key] : kBranches[key]) << ", hour " << kBranches[h];
            }
    }
}
