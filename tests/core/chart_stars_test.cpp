#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "core/calendar/datetime.h"
#include "core/chart/derived.h"
#include "core/chart/stars.h"
#include "rule_fixture.h"

using namespace hj;

namespace {
int gz(const char* name) {
    for (int i = 0; i < 60; ++i)
        if (pillarName(i) == name) return i;
    ADD_FAILURE() << "no pillar " << name;
    return -1;
}
std::array<std::int16_t, 4> chart(const char* y, const char* m, const char* d, const char* h) {
    return {static_cast<std::int16_t>(gz(y)), static_cast<std::int16_t>(gz(m)), static_cast<std::int16_t>(gz(d)),
            static_cast<std::int16_t>(gz(h))};
}
std::array<std::string, 4> starsOf(const std::array<std::int16_t, 4>& p, bool male) {
    std::array<std::string, 4> s;
    for (int i = 0; i < 4; ++i) s[i] = pillarStars(p, male, nayinElement(p[0]), i);
    s[2] += dayMarks(p[2], p[1] % 12);
    s[3] += hourMarks(p[3]);
    return s;
}
}  // namespace

TEST(ChartStars, WorkedChart) {
    const auto p = chart("己卯", "丙子", "戊午", "戊午");
    const auto s = starsOf(p, true);
    EXPECT_EQ(s[0], "桃花 ");
    EXPECT_EQ(s[1], "灾煞 桃花 勾煞 空亡 ");
    EXPECT_EQ(s[2], "绞煞 羊刃 孤鸾 ");
    EXPECT_EQ(s[3], "将星 绞煞 羊刃 孤鸾 ");
    EXPECT_EQ(chartMarkLines(p), "");
    EXPECT_EQ(threeWonders(p), 0);
    // A woman of the same chart counts as 阴女 (yin year): 勾煞 and 绞煞 swap.
    const auto f = starsOf(p, false);
    EXPECT_EQ(f[1], "灾煞 桃花 绞煞 空亡 ");
    EXPECT_EQ(f[2], "勾煞 羊刃 孤鸾 ");
}

TEST(ChartStars, RulesByPillarPosition) {
    // 申子辰 year and day: 子 stands in both three-harmony rows as 将星.
    const auto p = chart("甲子", "丙子", "甲子", "甲子");
    // Rule 8 is never tested on the day pillar, rules 9-11 never on the year pillar; rule 9
    // does not repeat what rule 8 put on the same pillar, but each pillar may carry it.
    EXPECT_NE(pillarStars(p, true, nayinElement(p[0]), 0).find("将星"), std::string::npos);
    EXPECT_EQ(pillarStars(p, true, nayinElement(p[0]), 1).find("将星 将星"), std::string::npos);
    EXPECT_NE(pillarStars(p, true, nayinElement(p[0]), 1).find("将星"), std::string::npos);
    EXPECT_NE(pillarStars(p, true, nayinElement(p[0]), 2).find("将星"), std::string::npos);
    // 童子 only on day and hour: winter month, 卯 branch.
    const auto q = chart("甲子", "丙子", "癸卯", "乙卯");
    EXPECT_EQ(pillarStars(q, true, nayinElement(q[0]), 1).find("童子"), std::string::npos);
    EXPECT_NE(pillarStars(q, true, nayinElement(q[0]), 2).find("童子"), std::string::npos);
    EXPECT_NE(pillarStars(q, true, nayinElement(q[0]), 3).find("童子"), std::string::npos);
}

TEST(ChartStars, SingleRules) {
    // 天德 of a 卯 month is 申: matched on the branch whatever the stem.
    auto p = chart("甲子", "丁卯", "甲子", "壬申");
    EXPECT_NE(pillarStars(p, true, 0, 3).find("天德"), std::string::npos);
    // and on the stem when the sign is a stem: 寅 month → 丁.
    p = chart("甲子", "丙寅", "甲子", "丁卯");
    EXPECT_NE(pillarStars(p, true, 0, 3).find("天德"), std::string::npos);
    // 甲 and 乙 day stems both mark 巳 and 午 with 文昌.
    for (const char* day : {"甲子", "乙丑"})
        for (const char* hour : {"己巳", "庚午"}) {
            p = chart("甲子", "丙寅", day, hour);
            EXPECT_NE(pillarStars(p, true, 0, 3).find("文昌"), std::string::npos) << day << hour;
        }
    // 天医: the branch before the month branch; a 亥 month gives 戌.
    p = chart("甲子", "乙亥", "甲子", "甲戌");
    EXPECT_NE(pillarStars(p, true, 0, 3).find("天医"), std::string::npos);
    // 禄神, 金舆, 羊刃 of a 甲 day: 寅, 辰, 卯.
    p = chart("甲子", "丙寅", "甲子", "丙寅");
    EXPECT_NE(pillarStars(p, true, 0, 3).find("禄神"), std::string::npos);
    p = chart("甲子", "丙寅", "甲子", "戊辰");
    EXPECT_NE(pillarStars(p, true, 0, 3).find("金舆"), std::string::npos);
    // 孤辰 / 寡宿 of a 子 year: 寅 / 戌.
    p = chart("甲子", "丙寅", "甲子", "丙寅");
    EXPECT_NE(pillarStars(p, true, 0, 3).find("孤辰"), std::string::npos);
    p = chart("甲子", "丙寅", "甲子", "甲戌");
    EXPECT_NE(pillarStars(p, true, 0, 3).find("寡宿"), std::string::npos);
    // 学堂 and 词馆 need the whole pillar: 甲 day (木) 己亥, 词馆 庚寅.
    p = chart("甲子", "丙寅", "甲子", "己亥");
    EXPECT_NE(pillarStars(p, true, 0, 3).find("学堂"), std::string::npos);
    p = chart("甲子", "丙寅", "甲子", "庚寅");
    EXPECT_NE(pillarStars(p, true, 0, 3).find("词馆"), std::string::npos);
}

TEST(ChartStars, DayMarksAndChartMarks) {
    EXPECT_EQ(dayMarks(gz("癸亥"), 3), "阴阳差错 十恶大败 ");
    EXPECT_EQ(dayMarks(gz("庚辰"), 3), "魁罡 十恶大败 ");
    EXPECT_EQ(dayMarks(gz("戊寅"), 4), "阴阳差错 天赦 ");  // spring
    EXPECT_EQ(dayMarks(gz("戊寅"), 7), "阴阳差错 ");       // summer
    EXPECT_EQ(dayMarks(gz("甲子"), 1), "天赦 ");           // winter
    EXPECT_EQ(dayMarks(gz("丙午"), 0), "阴阳差错 四废 孤鸾 ");
    EXPECT_EQ(hourMarks(gz("壬子")), "孤鸾 ");
    EXPECT_EQ(hourMarks(gz("甲子")), "");

    EXPECT_EQ(chartMarkLines(chart("甲子", "丙寅", "癸亥", "癸丑")), "  ☆拱禄 \r\n");
    EXPECT_EQ(chartMarkLines(chart("甲子", "戊辰", "庚午", "丙子")), "  ☆命带天上三奇\r\n");
    EXPECT_EQ(chartMarkLines(chart("丙子", "甲午", "戊申", "庚申")), "  ☆命带天上三奇\r\n");
    EXPECT_EQ(chartMarkLines(chart("乙丑", "丙戌", "丁卯", "丙午")), "  ☆命带地下三奇\r\n");
    EXPECT_EQ(chartMarkLines(chart("壬子", "癸丑", "辛卯", "丙申")), "  ☆命带人中三奇\r\n");
    // 德秀: 亥卯未 month with 甲, 丁 and 壬 standing.
    EXPECT_EQ(chartMarkLines(chart("甲子", "丁卯", "壬午", "庚子")), "  ☆德秀 \r\n");
    EXPECT_TRUE(hasGongLu(gz("戊辰"), gz("戊午")));
    EXPECT_FALSE(hasGongLu(gz("戊午"), gz("戊辰")));
}

TEST(ChartStars, SignAnimalMansionTrigram) {
    EXPECT_EQ(kSunSigns[sunSignIndex(1, false)], "摩羯");
    EXPECT_EQ(kSunSigns[sunSignIndex(3, true)], "白羊");
    EXPECT_EQ(kSunSigns[sunSignIndex(3, false)], "双鱼");
    EXPECT_EQ(kSunSigns[sunSignIndex(12, true)], "摩羯");
    EXPECT_EQ(kMansions[mansionIndex(1040584)], "胃");  // 2000-01-01
    EXPECT_EQ(kMansions[mansionIndex(1040585)], "昴");
    // 2000-01-01 is before 立春: the pillar year 1999 counts (己卯 = 16).
    EXPECT_EQ(kTrigrams[lifeTrigramIndex(2000, 16, true)], "坎");
    EXPECT_TRUE(isEastGroup(lifeTrigramIndex(2000, 16, true)));
    // Men never get 中 (5 → 坤), women 5 → 艮.
    for (int y = 1900; y < 1909; ++y) {
        const int pillar = (y + 897) % 60;
        EXPECT_NE(lifeTrigramIndex(y, pillar, true), 5);
        EXPECT_NE(lifeTrigramIndex(y, pillar, false), 5);
    }
    EXPECT_FALSE(isEastGroup(2));
    EXPECT_FALSE(isEastGroup(8));
}

// ---- Every cell of the star tables against the rules as the book states them ----

namespace {

using fixtures::branchesIn;
using fixtures::holds;
using fixtures::pillarIndex;
using fixtures::pillarOnBranch;
using fixtures::pillarOnStem;
using fixtures::Rule;
using fixtures::RuleBook;
using fixtures::stemsIn;

const RuleBook& starRules() {
    static const RuleBook book("star_rules.txt");
    return book;
}
const RuleBook& derivedRules() {
    static const RuleBook book("derived_rules.txt");
    return book;
}

std::array<std::int16_t, 4> pillars(int y, int m, int d, int h) {
    return {static_cast<std::int16_t>(y), static_cast<std::int16_t>(m), static_cast<std::int16_t>(d),
            static_cast<std::int16_t>(h)};
}

std::set<std::string> words(const std::string& text) {
    std::set<std::string> out;
    std::istringstream in(text);
    for (std::string w; in >> w;) out.insert(w);
    return out;
}

bool hasStar(const std::array<std::int16_t, 4>& p, int position, const std::string& star, bool male = true,
             int yearNayin = 0) {
    return words(pillarStars(p, male, yearNayin, position)).count(star) > 0;
}

// The examined pillar is the hour pillar; the year 甲子 and month 丙寅 take no part in these rules.
std::array<std::int16_t, 4> dayAndHour(int day, int hour) { return pillars(1, 3, day, hour); }

// "甲戊 丑未" rules: for each stem the branches; every stem named exactly once.
std::array<std::vector<int>, 10> branchesByStem(const std::string& table) {
    std::array<std::vector<int>, 10> out;
    std::array<int, 10> seen{};
    for (const Rule& r : starRules().table(table, 2))
        for (int s : stemsIn(r.fields[0])) {
            out[s] = branchesIn(r.fields[1]);
            ++seen[s];
        }
    for (int s = 0; s < 10; ++s) EXPECT_EQ(seen[s], 1) << table << ": stem " << kStems[s];
    return out;
}

// Rules keyed by a group of branches ("寅午戌 丙"): the rule whose group holds `branch`.
const Rule& ruleOfBranch(const std::vector<Rule>& rules, int branch, const std::string& table) {
    const Rule* found = nullptr;
    for (const Rule& r : rules)
        if (holds(branchesIn(r.fields[0]), branch)) {
            EXPECT_EQ(found, nullptr) << table << ": branch " << kBranches[branch] << " in two groups";
            if (!found) found = &r;
        }
    static const Rule kNone{std::vector<std::string>(8, "亥"), 0};  // a placeholder once the failure is reported
    if (!found) ADD_FAILURE() << table << ": no group holds " << kBranches[branch];
    return found ? *found : kNone;
}

// Element name (水 木 火 土 金) of a stem, by the book's 甲乙 木 … list.
std::string stemElementName(int stem) {
    for (const Rule& r : derivedRules().table("干五行", 2))
        if (holds(stemsIn(r.fields[0]), stem)) return r.fields[1];
    ADD_FAILURE() << "no element of " << kStems[stem];
    return "";
}

// Season (春 夏 秋 冬) of a month branch, by the book's 寅卯辰 春 … list.
std::string seasonOf(int monthBranch) {
    std::string season;
    for (const Rule& r : starRules().table("季", 2))
        if (holds(branchesIn(r.fields[1]), monthBranch)) {
            EXPECT_TRUE(season.empty()) << kBranches[monthBranch] << " in two seasons";
            season = r.fields[0];
        }
    EXPECT_FALSE(season.empty()) << "no season of " << kBranches[monthBranch];
    return season;
}

// The stars of the day stem and the examined branch: every stem against every branch.
void checkDayStemStar(const std::string& star) {
    const auto rule = branchesByStem(star);
    for (int ds = 0; ds < 10; ++ds)
        for (int w = 0; w < 12; ++w)
            EXPECT_EQ(hasStar(dayAndHour(pillarOnStem(ds), pillarOnBranch(w)), 3, star), holds(rule[ds], w))
                << star << ": day stem " << kStems[ds] << ", branch " << kBranches[w];
}

}  // namespace

TEST(ChartStarTables, TianYi) { checkDayStemStar("天乙"); }
TEST(ChartStarTables, TaiJi) { checkDayStemStar("太极"); }
TEST(ChartStarTables, FuXing) { checkDayStemStar("福星"); }
TEST(ChartStarTables, WenChang) { checkDayStemStar("文昌"); }
TEST(ChartStarTables, GuoYin) { checkDayStemStar("国印"); }
TEST(ChartStarTables, LuShen) { checkDayStemStar("禄神"); }
TEST(ChartStarTables, YangRen) { checkDayStemStar("羊刃"); }

TEST(ChartStarTables, JinYu) {
    const auto lu = branchesByStem("禄神");
    const auto& on = starRules().table("金舆");
    ASSERT_FALSE(on.empty());
    const int steps = std::stoi(on[0].fields[0]);
    for (int ds = 0; ds < 10; ++ds)
        for (int w = 0; w < 12; ++w) {
            ASSERT_EQ(lu[ds].size(), 1u) << kStems[ds];
            EXPECT_EQ(hasStar(dayAndHour(pillarOnStem(ds), pillarOnBranch(w)), 3, "金舆"),
                      w == (lu[ds][0] + steps) % 12)
                << "金舆: day stem " << kStems[ds] << ", branch " << kBranches[w];
        }
}

TEST(ChartStarTables, YueDe) {
    const auto& rules = starRules().table("月德", 2);
    for (int m = 0; m < 12; ++m)
        for (int s = 0; s < 10; ++s) {
            const int stem = stemsIn(ruleOfBranch(rules, m, "月德").fields[1])[0];
            EXPECT_EQ(hasStar(pillars(1, pillarOnBranch(m), 1, pillarOnStem(s)), 3, "月德"), s == stem)
                << "月德: month " << kBranches[m] << ", stem " << kStems[s];
        }
}

TEST(ChartStarTables, TianDe) {
    const auto& rules = starRules().table("天德", 2);
    EXPECT_EQ(rules.size(), 12u);
    for (const Rule& r : rules) {
        const int m = branchesIn(r.fields[0])[0];
        for (int p = 0; p < 60; ++p) {
            const bool expected = r.fields[1] == kBranches[p % 12] || r.fields[1] == kStems[p % 10];
            EXPECT_EQ(hasStar(pillars(1, pillarOnBranch(m), 1, p), 3, "天德"), expected)
                << "天德: month " << kBranches[m] << ", pillar " << pillarName(p);
        }
    }
}

TEST(ChartStarTables, ThreeHarmonies) {
    static const std::string kColumns[7] = {"驿马", "华盖", "将星", "桃花", "劫煞", "灾煞", "亡神"};
    const auto& rules = starRules().table("三合", 8);
    for (int key = 0; key < 12; ++key) {
        const Rule& row = ruleOfBranch(rules, key, "三合");
        for (int w = 0; w < 12; ++w)
            for (int c = 0; c < 7; ++c) {
                const bool expected = fixtures::branchIndex(row.fields[1 + c]) == w;
                // By the day branch on the year pillar, by the year branch on the day pillar.
                EXPECT_EQ(hasStar(pillars(pillarOnBranch(w), 3, pillarOnBranch(key), 1), 0, kColumns[c]), expected)
                    << "三合 by day branch " << kBranches[key] << ": " << kColumns[c] << ", branch " << kBranches[w];
                EXPECT_EQ(hasStar(pillars(pillarOnBranch(key), 3, pillarOnBranch(w), 1), 2, kColumns[c]), expected)
                    << "三合 by year branch " << kBranches[key] << ": " << kColumns[c] << ", branch " << kBranches[w];
            }
    }
}

TEST(ChartStarTables, GouJiaoDaHao) {
    const auto& rules = starRules().table("勾绞", 3);
    EXPECT_EQ(rules.size(), 6u);
    for (int y = 0; y < 12; ++y)
        for (bool male : {true, false}) {
            // A yang year has an odd branch (子 = 1); 阳男阴女 is a man of a yang year or a woman of a yin one.
            const std::string kind = male == (y % 2 == 1) ? "阳男阴女" : "阴男阳女";
            for (const Rule& r : rules) {
                if (r.fields[0] != kind) continue;
                const int target = (y + std::stoi(r.fields[2])) % 12;
                for (int w = 0; w < 12; ++w)
                    EXPECT_EQ(hasStar(pillars(pillarOnBranch(y), 3, 1, pillarOnBranch(w)), 3, r.fields[1], male),
                              w == target)
                        << r.fields[1] << ": " << kind << ", year " << kBranches[y] << ", branch " << kBranches[w];
            }
        }
}

TEST(ChartStarTables, TongZi) {
    static const std::string kElements[5] = {"水", "木", "火", "土", "金"};  // the na-yin element codes
    const auto& rules = starRules().table("童子", 3);
    for (int m = 0; m < 12; ++m) {
        const std::string season = seasonOf(m);
        for (int e = 0; e < 5; ++e)
            for (int w = 0; w < 12; ++w) {
                bool expected = false;
                for (const Rule& r : rules) {
                    const std::string& key = r.fields[0] == "季" ? season : kElements[e];
                    if (r.fields[1].find(key) != std::string::npos && holds(branchesIn(r.fields[2]), w))
                        expected = true;
                }
                EXPECT_EQ(hasStar(pillars(1, pillarOnBranch(m), 1, pillarOnBranch(w)), 3, "童子", true, e), expected)
                    << "童子: month " << kBranches[m] << ", year na yin " << kElements[e] << ", branch "
                    << kBranches[w];
            }
    }
}

TEST(ChartStarTables, TianLuoDiWang) {
    for (const char* star : {"天罗", "地网"}) {
        const auto& rules = starRules().table(star, 2);
        ASSERT_EQ(rules.size(), 1u) << star;
        for (int ds = 0; ds < 10; ++ds)
            for (int w = 0; w < 12; ++w) {
                const bool expected = rules[0].fields[0].find(stemElementName(ds)) != std::string::npos &&
                                      holds(branchesIn(rules[0].fields[1]), w);
                EXPECT_EQ(hasStar(dayAndHour(pillarOnStem(ds), pillarOnBranch(w)), 3, star), expected)
                    << star << ": day stem " << kStems[ds] << ", branch " << kBranches[w];
            }
    }
}

TEST(ChartStarTables, XueTang) {
    const auto& rules = starRules().table("学堂", 2);
    EXPECT_EQ(rules.size(), 5u);
    for (int ds = 0; ds < 10; ++ds) {
        int pillar = -1;
        for (const Rule& r : rules)
            if (r.fields[0] == stemElementName(ds)) pillar = pillarIndex(r.fields[1]);
        ASSERT_GE(pillar, 0) << "学堂: day stem " << kStems[ds];
        for (int p = 0; p < 60; ++p)
            EXPECT_EQ(hasStar(dayAndHour(pillarOnStem(ds), p), 3, "学堂"), p == pillar)
                << "学堂: day stem " << kStems[ds] << ", pillar " << pillarName(p);
    }
}

TEST(ChartStarTables, CiGuan) {
    const auto& rules = starRules().table("词馆", 2);
    EXPECT_EQ(rules.size(), 10u);
    for (const Rule& r : rules) {
        const int ds = stemsIn(r.fields[0])[0];
        for (int p = 0; p < 60; ++p)
            EXPECT_EQ(hasStar(dayAndHour(pillarOnStem(ds), p), 3, "词馆"), p == pillarIndex(r.fields[1]))
                << "词馆: day stem " << kStems[ds] << ", pillar " << pillarName(p);
    }
}

TEST(ChartStarTables, TianYiByMonth) {
    const auto& rules = starRules().table("天医");
    ASSERT_FALSE(rules.empty());
    const int back = std::stoi(rules[0].fields[0]);
    for (int m = 0; m < 12; ++m)
        for (int w = 0; w < 12; ++w)
            EXPECT_EQ(hasStar(pillars(1, pillarOnBranch(m), 1, pillarOnBranch(w)), 3, "天医"),
                      w == (m + 12 - back) % 12)
                << "天医: month " << kBranches[m] << ", branch " << kBranches[w];
}

TEST(ChartStarTables, GuChenGuaSu) {
    for (const char* star : {"孤辰", "寡宿"}) {
        const auto& rules = starRules().table(star, 2);
        for (int y = 0; y < 12; ++y) {
            const int target = branchesIn(ruleOfBranch(rules, y, star).fields[1])[0];
            for (int w = 0; w < 12; ++w)
                EXPECT_EQ(hasStar(pillars(pillarOnBranch(y), 3, 1, pillarOnBranch(w)), 3, star), w == target)
                    << star << ": year " << kBranches[y] << ", branch " << kBranches[w];
        }
    }
}

TEST(ChartStarTables, KongWang) {
    // Each decade of day pillars, from its first day on, has the same two void branches.
    const auto& rules = derivedRules().table("空亡", 2);
    EXPECT_EQ(rules.size(), 6u);
    for (const Rule& r : rules)
        for (int i = 0; i < 10; ++i) {
            const int day = (pillarIndex(r.fields[0]) + i) % 60;
            for (int w = 0; w < 12; ++w)
                EXPECT_EQ(hasStar(dayAndHour(day, pillarOnBranch(w)), 3, "空亡"), holds(branchesIn(r.fields[1]), w))
                    << "空亡: day " << pillarName(day) << ", branch " << kBranches[w];
        }
}

TEST(ChartStarTables, DayAndHourMarks) {
    // In the order they are printed.
    static const std::string kMarks[7] = {"魁罡", "金神", "阴阳差错", "天赦", "十恶大败", "四废", "孤鸾"};
    for (const std::string& mark : kMarks) starRules().table(mark);
    auto listed = [](const Rule& r, std::size_t from, int day) {
        for (std::size_t i = from; i < r.fields.size(); ++i)
            if (pillarIndex(r.fields[i]) == day) return true;
        return false;
    };
    for (int m = 0; m < 12; ++m) {
        const std::string season = seasonOf(m);
        for (int d = 0; d < 60; ++d) {
            std::string expected;
            for (const std::string& mark : kMarks) {
                bool holdsMark = false;
                for (const Rule& r : starRules().table(mark)) {
                    const bool bySeason = mark == "天赦" || mark == "四废";
                    if (bySeason ? r.fields[0] == season && listed(r, 1, d) : listed(r, 0, d)) holdsMark = true;
                }
                if (holdsMark) expected += mark + " ";
            }
            EXPECT_EQ(dayMarks(d, m), expected) << "day marks: day " << pillarName(d) << ", month " << kBranches[m];
        }
    }
    for (int h = 0; h < 60; ++h)
        EXPECT_EQ(hourMarks(h), listed(starRules().table("孤鸾")[0], 0, h) ? "孤鸾 " : "")
            << "孤鸾: hour " << pillarName(h);
}

TEST(ChartStarTables, ThreeWonders) {
    const auto& rules = starRules().table("三奇", 2);
    ASSERT_EQ(rules.size(), 3u);
    static const std::string kKinds[3] = {"天上", "地下", "人中"};
    int counted[4] = {};
    for (int s = 0; s < 10000; ++s) {
        const int st[4] = {s / 1000, s / 100 % 10, s / 10 % 10, s % 10};
        int expected = 0;
        for (int k = 0; k < 3 && expected == 0; ++k) {
            const Rule* rule = nullptr;
            for (const Rule& r : rules)
                if (r.fields[0] == kKinds[k]) rule = &r;
            ASSERT_NE(rule, nullptr) << kKinds[k];
            const auto run = stemsIn(rule->fields[1]);
            for (int from : {0, 1})
                if (st[from] == run[0] && st[from + 1] == run[1] && st[from + 2] == run[2]) expected = k + 1;
        }
        ++counted[expected];
        const auto p = pillars(pillarOnStem(st[0]), pillarOnStem(st[1]), pillarOnStem(st[2]), pillarOnStem(st[3]));
        EXPECT_EQ(threeWonders(p), expected) << "三奇: stems " << kStems[st[0]] << kStems[st[1]] << kStems[st[2]]
                                             << kStems[st[3]];
    }
    for (int k = 1; k < 4; ++k)
        EXPECT_EQ(counted[k], 20) << kKinds[k - 1];  // ten free hour stems plus ten free year stems
}

TEST(ChartStarTables, DeXiu) {
    const auto& rules = starRules().table("德秀", 3);
    for (int month = 0; month < 60; ++month)
        for (int s = 0; s < 1000; ++s) {
            const int st[4] = {s / 100, month % 10, s / 10 % 10, s % 10};
            bool stands[10] = {};
            for (int x : st) stands[x] = true;
            bool expected = false;
            for (const Rule& r : rules) {
                if (!holds(branchesIn(r.fields[0]), month % 12)) continue;
                bool one = false, both = true;
                for (int x : stemsIn(r.fields[1])) one = one || stands[x];
                for (int x : stemsIn(r.fields[2])) both = both && stands[x];
                if (one && both) expected = true;
            }
            const auto p = pillars(pillarOnStem(st[0]), month, pillarOnStem(st[2]), pillarOnStem(st[3]));
            EXPECT_EQ(hasDeXiu(p), expected) << "德秀: month " << pillarName(month) << ", stems " << kStems[st[0]]
                                             << kStems[st[1]] << kStems[st[2]] << kStems[st[3]];
        }
}

TEST(ChartStarTables, GongLu) {
    const auto& rules = starRules().table("拱禄", 2);
    EXPECT_EQ(rules.size(), 5u);
    for (int d = 0; d < 60; ++d)
        for (int h = 0; h < 60; ++h) {
            bool expected = false;
            for (const Rule& r : rules)
                expected = expected || (pillarIndex(r.fields[0]) == d && pillarIndex(r.fields[1]) == h);
            EXPECT_EQ(hasGongLu(d, h), expected) << "拱禄: day " << pillarName(d) << ", hour " << pillarName(h);
        }
}

TEST(ChartStarTables, SignsMansionsTrigrams) {
    const auto& signs = starRules().table("星座", 12)[0].fields;
    for (int month = 1; month <= 12; ++month)
        for (bool after : {false, true})
            EXPECT_EQ(kSunSigns[sunSignIndex(month, after)], signs[(month + 8 + (after ? 1 : 0)) % 12])
                << "星座: month " << month << (after ? " after" : " before") << " its mid term";
    const auto& mansions = starRules().table("二十八宿", 28)[0].fields;
    for (long n = 1040584; n < 1040584 + 28; ++n)
        EXPECT_EQ(kMansions[mansionIndex(n)], mansions[(n + 25) % 28]) << "二十八宿: day number " << n;

    // Y′ + 1016 mod 9 counts the palaces; a man counts back from 19, a woman on by 5.
    const auto& trigrams = starRules().table("八卦", 9)[0].fields;
    const auto& east = starRules().table("东四命", 4)[0].fields;
    for (int year = 1900; year < 1909; ++year) {
        const int z = (year + 1016) % 9;
        for (bool male : {true, false}) {
            std::string expected = trigrams[male ? (19 - z) % 9 : (z + 5) % 9];
            if (expected == "中")
                for (const Rule& r : starRules().table("中宫", 2))
                    if (r.fields[0] == (male ? "男" : "女")) expected = r.fields[1];
            const int b = lifeTrigramIndex(year, (year + 897) % 60, male);
            EXPECT_EQ(kTrigrams[b], expected) << "八卦: " << year << (male ? " male" : " female");
            EXPECT_EQ(isEastGroup(b), std::find(east.begin(), east.end(), expected) != east.end()) << expected;
        }
    }
}
