// Chart analysis. The expected relations are written here as a reference book states them
// ("甲己合化土", "寅刑巳"), not taken from the program's own tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "core/analysis/chart_analysis.h"
#include "core/calendar/datetime.h"
#include "core/chart/chart.h"
#include "core/report/report.h"
#include "core/chart/derived.h"
#include "core/judgement/judgement.h"

using namespace hj;
using namespace hj::analysis;

namespace {

// The chart of a request with the default settings, and its report.
struct Built {
    std::optional<Chart> chart;
    std::string error;
    std::string report;
};

Built build(const ChartRequest& q, const ChartSettings& settings = ChartSettings{}) {
    Built b;
    b.chart = castChart(q, settings, b.error);
    if (b.chart) b.report = buildReport(*b.chart, {}).text;
    return b;
}

// The book's lists.
const char* const kBookStemCombines[] = {"甲己合化土", "乙庚合化金", "丙辛合化水", "丁壬合化木", "戊癸合化火"};
const char* const kBookStemClashes[] = {"甲庚冲", "乙辛冲", "丙壬冲", "丁癸冲"};
const char* const kBookSixCombines[] = {"子丑合土", "寅亥合木", "卯戌合火", "辰酉合金", "巳申合水", "午未合土"};
const char* const kBookFrames[] = {"申子辰合水局", "亥卯未合木局", "寅午戌合火局", "巳酉丑合金局"};
const char* const kBookMeets[] = {"寅卯辰会木", "巳午未会火", "申酉戌会金", "亥子丑会水"};
const char* const kBookClashes[] = {"子午冲", "丑未冲", "寅申冲", "卯酉冲", "辰戌冲", "巳亥冲"};
const char* const kBookPunishments[] = {"寅刑巳", "巳刑申", "申刑寅", "丑刑戌", "戌刑未", "未刑丑", "子刑卯"};
const char* const kBookSelf = "辰午酉亥";
const char* const kBookHarms[] = {"子未害", "丑午害", "寅巳害", "卯辰害", "申亥害", "酉戌害"};
const char* const kBookBreaks[] = {"子酉破", "卯午破", "辰丑破", "未戌破", "寅亥破", "巳申破"};

// Stems, branches and an element named in a book phrase, in the order they appear.
struct Phrase {
    std::vector<int> stems, branches;
    std::string element;
};
Phrase read(std::string_view s) {
    Phrase p;
    for (std::size_t pos = 0; pos < s.size(); pos += 3) {
        std::string_view ch = s.substr(pos, 3);
        for (int i = 0; i < 10; ++i)
            if (kStems[i] == ch) p.stems.push_back(i);
        for (int i = 0; i < 12; ++i)
            if (kBranches[i] == ch) p.branches.push_back(i);
        if (std::string_view("水木火土金").find(ch) != std::string_view::npos && p.element.empty() && (p.stems.size() == 2 || p.branches.size() >= 2))
            p.element = std::string(ch);
    }
    return p;
}

bool samePair(const std::vector<int>& v, int a, int b) {
    return v.size() >= 2 && ((v[0] == a && v[1] == b) || (v[0] == b && v[1] == a));
}

std::string describe(const Relation& r) {
    std::string s = std::string(relationKindName(r.kind)) + " " + r.chars + " ";
    for (const auto& l : r.labels) s += l;
    if (r.element >= 0) s += std::string(" ") + std::string(kElementNames[r.element]);
    return s;
}

std::vector<std::string> describeAll(const std::vector<Relation>& rs) {
    std::vector<std::string> out;
    for (const Relation& r : rs) out.push_back(describe(r));
    return out;
}

int pillar(std::string_view name) {
    for (int i = 0; i < 60; ++i)
        if (pillarName(i) == name) return i;
    ADD_FAILURE() << "no pillar " << name;
    return 0;
}

std::vector<PillarSlot> natal(std::string_view y, std::string_view m, std::string_view d, std::string_view h) {
    return {{"年", pillar(y)}, {"月", pillar(m)}, {"日", pillar(d)}, {"时", pillar(h)}};
}

bool isStemKind(RelationKind k) { return k == RelationKind::StemCombine || k == RelationKind::StemClash; }

}  // namespace

// Every pair of stems: exactly the book's combinations (with their element) and clashes.
TEST(Analysis, StemPairsAsTheBookGivesThem) {
    for (int a = 0; a < 10; ++a)
        for (int b = 0; b < 10; ++b) {
            std::set<std::string> want;
            for (const char* s : kBookStemCombines)
                if (Phrase p = read(s); samePair(p.stems, a, b)) want.insert("五合" + p.element);
            for (const char* s : kBookStemClashes)
                if (samePair(read(s).stems, a, b)) want.insert("相冲");
            // Branches of the stems' parity that stand in no relation: 子 and 寅 with 寅 and 辰 …
            const int ba = a % 2 == 1 ? 1 : 0, bb = b % 2 == 1 ? 3 : 2;  // 子/亥 and 寅/丑
            std::set<std::string> got;
            for (const Relation& r : findRelations({{"年", cycleIndexOf(a, ba)}, {"月", cycleIndexOf(b, bb)}}))
                if (isStemKind(r.kind))
                    got.insert(std::string(relationKindName(r.kind)) + (r.element >= 0 ? std::string(kElementNames[r.element]) : ""));
            EXPECT_EQ(got, want) << kStems[a] << kStems[b];
        }
}

// Every pair of branches, equal ones included: the pair relations of the book, each with its element.
TEST(Analysis, BranchPairsAsTheBookGivesThem) {
    for (int a = 0; a < 12; ++a)
        for (int b = 0; b < 12; ++b) {
            std::set<std::string> want;
            auto pairs = [&](const char* const* list, std::size_t n, const char* kind, bool element) {
                for (std::size_t i = 0; i < n; ++i)
                    if (Phrase p = read(list[i]); samePair(p.branches, a, b)) want.insert(kind + (element ? p.element : ""));
            };
            pairs(kBookSixCombines, std::size(kBookSixCombines), "六合", true);
            pairs(kBookClashes, std::size(kBookClashes), "六冲", false);
            pairs(kBookPunishments, std::size(kBookPunishments), "相刑", false);
            pairs(kBookHarms, std::size(kBookHarms), "六害", false);
            pairs(kBookBreaks, std::size(kBookBreaks), "六破", false);
            for (const char* s : kBookFrames) {
                Phrase p = read(s);  // 长生, 帝旺, 墓: the middle one with either end is 半合, the ends 拱合
                if (samePair({p.branches[0], p.branches[1]}, a, b) || samePair({p.branches[1], p.branches[2]}, a, b))
                    want.insert("半合" + p.element);
                if (samePair({p.branches[0], p.branches[2]}, a, b)) want.insert("拱合" + p.element);
            }
            const std::vector<int> self = read(kBookSelf).branches;
            if (a == b && std::find(self.begin(), self.end(), a) != self.end()) want.insert("自刑");
            // Stems of the branches' parity that neither combine nor clash (甲/乙 with 丙/丁).
            const int sa = a % 2 == 1 ? 1 : 2, sb = b % 2 == 1 ? 3 : 4;
            std::set<std::string> got;
            for (const Relation& r : findRelations({{"年", cycleIndexOf(sa, a)}, {"时", cycleIndexOf(sb, b)}}))
                if (!isStemKind(r.kind))
                    got.insert(std::string(relationKindName(r.kind)) + (r.element >= 0 ? std::string(kElementNames[r.element]) : ""));
            EXPECT_EQ(got, want) << kBranches[a] << kBranches[b];
        }
}

// Every three different branches: 三合, 三会 and 三刑 exactly as the book's sets, and no pair
// inside a whole 三合 or 三刑 is listed again as 半合, 拱合 or 相刑.
TEST(Analysis, BranchTriplesAsTheBookGivesThem) {
    for (int a = 0; a < 12; ++a)
        for (int b = a + 1; b < 12; ++b)
            for (int c = b + 1; c < 12; ++c) {
                std::set<int> three = {a, b, c};
                std::set<std::string> want;
                auto sets = [&](const char* const* list, std::size_t n, const char* kind, bool element) {
                    for (std::size_t i = 0; i < n; ++i) {
                        Phrase p = read(list[i]);
                        if (std::set<int>(p.branches.begin(), p.branches.end()) == three)
                            want.insert(kind + (element ? p.element : ""));
                    }
                };
                sets(kBookFrames, std::size(kBookFrames), "三合", true);
                sets(kBookMeets, std::size(kBookMeets), "三会", true);
                std::set<std::string> got;
                bool wholeFrame = false, wholePunish = false;
                const int sa = a % 2 == 1 ? 1 : 2, sb = b % 2 == 1 ? 1 : 2, sc = c % 2 == 1 ? 1 : 2;
                const auto rs = findRelations({{"年", cycleIndexOf(sa, a)}, {"月", cycleIndexOf(sb, b)}, {"日", cycleIndexOf(sc, c)}});
                for (const Relation& r : rs) {
                    if (r.places.size() == 3 && r.kind != RelationKind::ThreePunish)
                        got.insert(std::string(relationKindName(r.kind)) + std::string(kElementNames[r.element]));
                    wholeFrame |= r.kind == RelationKind::ThreeCombine;
                    wholePunish |= r.kind == RelationKind::ThreePunish;
                }
                EXPECT_EQ(got, want) << kBranches[a] << kBranches[b] << kBranches[c];
                // The two three-punishments: each branch punishes the next, round the circle.
                bool bookPunish = false;
                for (std::size_t i = 0; i + 2 < std::size(kBookPunishments); i += 3) {
                    std::set<int> s;
                    for (std::size_t k = i; k < i + 3; ++k) s.insert(read(kBookPunishments[k]).branches[0]);
                    bookPunish |= s == three;
                }
                EXPECT_EQ(wholePunish, bookPunish) << kBranches[a] << kBranches[b] << kBranches[c];
                for (const Relation& r : rs) {
                    EXPECT_FALSE(wholeFrame && (r.kind == RelationKind::HalfCombine || r.kind == RelationKind::ArchCombine));
                    EXPECT_FALSE(wholePunish && r.kind == RelationKind::Punish);
                }
            }
}

// Charts where several relations overlap, listed whole and in order.
TEST(Analysis, OverlappingRelations) {
    struct Case {
        const char* what;
        std::vector<PillarSlot> pillarSlots;
        std::vector<std::string> want;
    };
    auto withLuck = [](std::vector<PillarSlot> s, std::string_view luck) {
        s.push_back({"运", pillar(luck)});
        return s;
    };
    const Case cases[] = {
        {"三合 with a clash inside", natal("壬申", "壬子", "甲辰", "庚午"),
         {"相冲 甲庚 日时", "三合 申子辰 年月日 水", "六冲 子午 月时"}},
        {"two pairs of equal branches", natal("丙午", "甲午", "庚辰", "庚辰"),
         {"相冲 甲庚 月日", "相冲 甲庚 月时", "自刑 午午 年月", "自刑 辰辰 日时"}},
        {"a 三合 twice over a repeated middle", natal("壬申", "丙子", "戊子", "甲辰"),
         {"相冲 壬丙 年月", "三合 申子辰 年月时 水", "三合 申子辰 年日时 水"}},
        {"a whole 三刑, and 巳申 also combine and break", natal("戊寅", "丁巳", "庚申", "丁亥"),
         {"六合 寅亥 年时 木", "六合 巳申 月日 水", "六冲 寅申 年日", "六冲 巳亥 月时", "三刑 寅巳申 年月日",
          "六害 寅巳 年月", "六害 申亥 日时", "六破 寅亥 年时", "六破 巳申 月日"}},
        {"half frame without the luck pillar", natal("丁巳", "丁酉", "丁卯", "丁未"),
         {"半合 巳酉 年月 金", "半合 卯未 日时 木", "六冲 酉卯 月日"}},
        {"the same chart: the luck pillar closes the frame", withLuck(natal("丁巳", "丁酉", "丁卯", "丁未"), "辛丑"),
         {"三合 巳酉丑 年月运 金",
          "半合 卯未 日时 木", "六冲 酉卯 月日", "六冲 未丑 时运", "相刑 未丑 时运"}},
    };
    for (const Case& c : cases) EXPECT_EQ(describeAll(findRelations(c.pillarSlots)), c.want) << c.what;
}

TEST(Analysis, ChartWithLuckAndYear) {
    ChartRequest q;  // 2000-01-01 12:00, a man: 己卯 丙子 戊午 戊午, luck 乙亥 甲戌 …
    q.yearly = false;
    const Built b = build(q);
    ASSERT_TRUE(b.chart) << b.error;
    const Chart& r = *b.chart;
    ChartAnalysis natalOnly, luck, both;
    std::string error;
    ASSERT_TRUE(analyseChart(r, {}, natalOnly, error));
    EXPECT_EQ(describeAll(natalOnly.relations),
              (std::vector<std::string>{"六冲 子午 月日", "六冲 子午 月时", "相刑 卯子 年月", "自刑 午午 日时",
                                        "六破 卯午 年日", "六破 卯午 年时"}));
    // The second luck pillar 甲戌 forms relations that the natal pillars alone do not have.
    ASSERT_TRUE(analyseChart(r, {2, false, 0}, luck, error));
    std::vector<std::string> added;
    for (const auto& d : describeAll(luck.relations))
        if (d.find("运") != std::string::npos) added.push_back(d);
    EXPECT_EQ(added, (std::vector<std::string>{"五合 己甲 年运 土", "六合 卯戌 年运 火", "半合 午戌 日运 火",
                                               "半合 午戌 时运 火"}));
    EXPECT_EQ(luck.relations.size(), natalOnly.relations.size() + added.size());
    // Year 2024 (甲辰) beside that luck pillar: one relation is between the two alone.
    ASSERT_TRUE(analyseChart(r, {2, true, 2024}, both, error));
    std::vector<std::string> yearly;
    for (const auto& d : describeAll(both.relations))
        if (d.find("岁") != std::string::npos) yearly.push_back(d);
    EXPECT_EQ(yearly, (std::vector<std::string>{"五合 己甲 年岁 土", "半合 子辰 月岁 水", "六冲 戌辰 运岁",
                                                "六害 卯辰 年岁"}));
    EXPECT_FALSE(analyseChart(r, {9, false, 0}, both, error));

    // Five elements and ten gods of 己卯 丙子 戊午 戊午 (day stem 戊).
    const ElementBalance& e = natalOnly.elements;
    EXPECT_EQ(e.visible, (std::array<int, 5>{1, 1, 3, 3, 0}));  // 水 木 火 土 金
    EXPECT_EQ(e.missing, std::vector<int>{4});
    EXPECT_EQ(e.hiddenStems[2], (std::vector<int>{4, 4}));      // 丁 丁
    EXPECT_EQ(e.hiddenStems[3], (std::vector<int>{6, 6}));      // 己 己
    EXPECT_EQ(e.tenGods, (std::array<int, 10>{1, 3, 0, 0, 0, 1, 0, 1, 1, 2}));
    EXPECT_EQ(pillarName(yearPillarOf(1984)), "甲子");
    EXPECT_EQ(pillarName(yearPillarOf(4)), "甲子");
    EXPECT_EQ(pillarName(yearPillarOf(0)), "庚申");   // 1 BC
    EXPECT_EQ(pillarName(yearPillarOf(-1)), "己未");  // 2 BC
}

// The report section is off by default; on, it is the only difference, under the chart block
// (before the birth verses).
TEST(Analysis, ReportSectionOnlyWhenAsked) {
    ChartRequest q;
    q.yearly = false;
    const Built plain = build(q);
    ASSERT_TRUE(plain.chart);
    const std::string off = plain.report;
    EXPECT_EQ(off.find("※八字分析"), std::string::npos);
    ChartSettings settings;
    ASSERT_TRUE(applyChartSetting(settings, "fenxi", "1"));
    const Built on = build(q, settings);
    ASSERT_TRUE(on.chart);
    const std::string section = analysisReportSection(*on.chart);
    std::string expected = off;
    const std::size_t verses = off.find("※推年月日时：");
    ASSERT_NE(verses, std::string::npos);
    ASSERT_EQ(off.rfind("四命。\r\n\r\n", verses), verses - std::string("四命。\r\n\r\n").size());  // the chart block's last line
    // the judgement's section follows the analysis section, before the verses
    const std::string judged = judgement::judgementReportSection(*on.chart);
    EXPECT_EQ(judged.rfind("※命局判断：\r\n", 0), 0u);
    expected.insert(verses, section + judged);
    EXPECT_EQ(section.substr(section.size() - 4), "\r\n\r\n");  // a blank line before the verses
    EXPECT_EQ(judged.substr(judged.size() - 4), "\r\n\r\n");
    EXPECT_EQ(on.report, expected);
    EXPECT_NE(section.find("五行：木1 火3 土3 金0 水1  缺：金\r\n"), std::string::npos) << section;
    EXPECT_NE(section.find("  六冲 子午 月日\r\n"), std::string::npos) << section;
    ASSERT_TRUE(applyChartSetting(settings, "fenxi", "0"));
    const Built offAgain = build(q, settings);
    ASSERT_TRUE(offAgain.chart);
    EXPECT_EQ(offAgain.report, off);
}

// The flowing month of a chosen year: its pillar is the one a chart born in that solar month
// gets, and relations form with it.
TEST(Analysis, FlowingMonth) {
    // One year of each stem group, with the first month the rhyme gives it (甲己之年丙作首 …).
    const struct {
        int year;
        const char* firstMonth;
    } years[] = {{2024, "丙寅"}, {1990, "戊寅"}, {2031, "庚寅"}, {1987, "壬寅"}, {1993, "甲寅"}, {1809, "丙寅"}};
    for (const auto& y : years) {
        EXPECT_EQ(pillarName(flowingMonthPillarOf(y.year, 1)), y.firstMonth) << y.year;
        for (int m = 1; m <= 12; ++m) {
            // The 20th of the civil month after the month's jie; 丑 falls in January of the next year.
            ChartRequest born;
            born.year = static_cast<std::int16_t>(m < 12 ? y.year : y.year + 1);
            born.month = static_cast<std::int16_t>(m < 12 ? m + 1 : 1);
            born.day = 20;
            std::string error;
            const std::optional<Chart> r = castChart(born, ChartSettings{}, error);
            ASSERT_TRUE(r) << error;
            ChartAnalysis a;
            ASSERT_TRUE(analyseChart(*r, {0, true, y.year, m}, a, error)) << error;
            ASSERT_EQ(a.pillarSlots.back().label, "流月");
            EXPECT_EQ(pillarName(a.pillarSlots.back().pillar), pillarName(r->pillars[1])) << y.year << " month " << m;
        }
    }

    // 2000-01-01 12:00 (己卯 丙子 戊午 戊午) in 2024 (甲辰), month 12 丁丑: the natal pillars
    // have no 丑, so every relation of 丑 comes with the flowing month.
    ChartRequest q;
    q.yearly = false;
    const Built b = build(q);
    ASSERT_TRUE(b.chart) << b.error;
    const Chart& r = *b.chart;
    ChartAnalysis a, yearOnly;
    std::string error;
    ASSERT_TRUE(analyseChart(r, {0, true, 2024, 0}, yearOnly, error));
    ASSERT_TRUE(analyseChart(r, {0, true, 2024, 12}, a, error));
    std::vector<std::string> monthly;
    for (const auto& d : describeAll(a.relations))
        if (d.find("流月") != std::string::npos) monthly.push_back(d);
    EXPECT_EQ(monthly, (std::vector<std::string>{"六合 子丑 月流月 土", "六害 午丑 日流月", "六害 午丑 时流月",
                                                 "六破 辰丑 岁流月"}));
    EXPECT_EQ(a.relations.size(), yearOnly.relations.size() + monthly.size());
    const std::string text = analysisText(a, "\n");
    EXPECT_EQ(text.substr(0, text.find('\n')), "流年：2024年甲辰  流月：丁丑（十二月）");
    EXPECT_NE(text.find("  六合 子丑 月·流月 土\n"), std::string::npos) << text;

    // A month needs its year and lies in 1..12.
    const AnalysisOptions refused[] = {{0, false, 2024, 1}, {0, true, 2024, 13}, {0, true, 2024, -1}};
    for (const AnalysisOptions& o : refused) EXPECT_FALSE(analyseChart(r, o, a, error)) << o.month;
}
