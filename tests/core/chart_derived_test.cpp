#include <gtest/gtest.h>

#include "core/calendar/datetime.h"
#include "core/chart/derived.h"
#include "rule_fixture.h"

using namespace hj;

namespace {
int gz(const char* name) {
    for (int i = 0; i < 60; ++i)
        if (pillarName(i) == name) return i;
    ADD_FAILURE() << "no pillar " << name;
    return -1;
}
}  // namespace

TEST(ChartDerived, TenGods) {
    struct Case { const char* day; const char* other; const char* god; };
    const Case cases[] = {{"甲", "甲", "比"}, {"甲", "乙", "劫"}, {"甲", "庚", "杀"}, {"甲", "癸", "印"},
                          {"乙", "丙", "伤"}, {"乙", "丁", "食"}, {"癸", "甲", "伤"}, {"戊", "己", "劫"},
                          {"戊", "丙", "枭"}, {"戊", "丁", "印"}, {"戊", "乙", "官"}, {"戊", "癸", "财"},
                          {"戊", "壬", "才"}, {"癸", "癸", "比"}, {"癸", "壬", "劫"}, {"癸", "戊", "官"}};
    for (const Case& c : cases) {
        int a = -1, b = -1;
        for (int i = 0; i < 10; ++i) {
            if (kStems[i] == c.day) a = i;
            if (kStems[i] == c.other) b = i;
        }
        EXPECT_EQ(kTenGodShort[tenGodIndex(a, b)], c.god) << c.day << " sees " << c.other;
        // Only the stems count: a whole cycle index gives the same god.
        EXPECT_EQ(tenGodIndex(a + 50, b + 20), tenGodIndex(a, b));
    }
}

TEST(ChartDerived, LifeStagesNayinVoidsConception) {
    // 戊 (yang, 长生 at 寅) and 乙 (yin, 长生 at 午, counting backward).
    EXPECT_EQ(kLifeStages[lifeStageIndex(5, 3)], "长生");
    EXPECT_EQ(kLifeStages[lifeStageIndex(5, 7)], "帝旺");
    EXPECT_EQ(kLifeStages[lifeStageIndex(2, 7)], "长生");
    EXPECT_EQ(kLifeStages[lifeStageIndex(2, 6)], "沐浴");
    EXPECT_EQ(kLifeStages[lifeStageIndex(0, 4)], "长生");  // 癸 counts as yin
    EXPECT_EQ(kLifeStages[lifeStageIndex(0, 3)], "沐浴");

    EXPECT_EQ(nayinName(gz("甲子")), "海中金");
    EXPECT_EQ(nayinName(gz("乙丑")), "海中金");
    EXPECT_EQ(nayinName(0), "大海水");
    EXPECT_EQ(nayinName(gz("壬戌")), "大海水");
    EXPECT_EQ(nayinElement(gz("甲子")), 4);
    EXPECT_EQ(nayinName(gz("丁卯")), "炉中火");

    struct V { const char* day; const char* a; const char* b; };
    for (const V& v : {V{"甲子", "戌", "亥"}, V{"甲戌", "申", "酉"}, V{"甲寅", "子", "丑"}, V{"癸亥", "子", "丑"},
                       V{"癸酉", "戌", "亥"}, V{"戊午", "子", "丑"}}) {
        auto vb = voidBranches(gz(v.day));
        EXPECT_EQ(kBranches[vb[0]], v.a) << v.day;
        EXPECT_EQ(kBranches[vb[1]], v.b) << v.day;
    }
    EXPECT_EQ(pillarName(conceptionOf(gz("丙寅"))), "丁巳");
    EXPECT_EQ(pillarName(conceptionOf(gz("丙子"))), "丁卯");
    EXPECT_EQ(pillarName(conceptionOf(0)), "甲寅");
}

TEST(ChartDerived, LifePalace) {
    // Jie months: 寅 = 1 … 子 = 11, 丑 = 12.
    EXPECT_EQ(palaceMonthNumber(3, 0, false), 1);
    EXPECT_EQ(palaceMonthNumber(1, 0, true), 11);
    EXPECT_EQ(palaceMonthNumber(2, 0, false), 12);
    // Mid-term months: before the month's mid term the month before counts.
    EXPECT_EQ(palaceMonthNumber(3, 1, true), 1);
    EXPECT_EQ(palaceMonthNumber(3, 1, false), 12);
    EXPECT_EQ(palaceMonthNumber(1, 1, false), 10);
    EXPECT_EQ(palaceMonthNumber(2, 1, true), 12);

    // First month: 子 hour → 卯 palace, 丑 hour → 寅 palace.
    EXPECT_EQ(lifePalaceOf(1, gz("甲子"), gz("甲子")) % 12, 4);
    EXPECT_EQ(lifePalaceOf(1, gz("乙丑"), gz("甲子")) % 12, 3);
    // A 甲 year names its 寅 palace 丙寅.
    EXPECT_EQ(pillarName(lifePalaceOf(1, gz("乙丑"), gz("甲子"))), "丙寅");
    // The worked chart 己卯 丙子 戊午 戊午.
    EXPECT_EQ(pillarName(lifePalaceOf(palaceMonthNumber(1, 0, true), gz("戊午"), gz("己卯"))), "乙亥");
    // By the mid term, a birth after 冬至 in a 子 month counts month 11 as well, before it month 10.
    EXPECT_EQ(pillarName(lifePalaceOf(palaceMonthNumber(1, 1, true), gz("戊午"), gz("己卯"))), "乙亥");
    EXPECT_EQ(pillarName(lifePalaceOf(palaceMonthNumber(1, 1, false), gz("戊午"), gz("己卯"))), "丙子");
}

TEST(ChartDerived, LuckStartDistance) {
    struct Case { long minutes; int y, m, d; };
    const Case cases[] = {{4740, 1, 1, 5},  // 3 days 7 hours
                          {11, 0, 0, 0}, {12, 0, 0, 1}, {359, 0, 0, 29}, {360, 0, 1, 0},
                          {4319, 0, 11, 29}, {4320, 1, 0, 0}, {35413, 8, 2, 11}, {-5, 0, 0, 0}};
    for (const Case& c : cases) {
        int y, m, d;
        luckStartDistance(c.minutes, y, m, d);
        EXPECT_EQ(y, c.y) << c.minutes;
        EXPECT_EQ(m, c.m) << c.minutes;
        EXPECT_EQ(d, c.d) << c.minutes;
    }
}

// ---- Every cell of the derived-data tables against the rules as the book states them ----

namespace {

using fixtures::branchesIn;
using fixtures::chars;
using fixtures::holds;
using fixtures::pillarIndex;
using fixtures::pillarOnStem;
using fixtures::Rule;
using fixtures::RuleBook;
using fixtures::stemsIn;

const RuleBook& rules() {
    static const RuleBook book("derived_rules.txt");
    return book;
}

// The field that follows the key field holding `item` in a "key value" table ("甲乙 木").
template <typename Split>
std::string valueOf(const std::string& table, int item, Split split) {
    std::string value;
    for (const Rule& r : rules().table(table, 2))
        if (holds(split(r.fields[0]), item)) {
            EXPECT_TRUE(value.empty()) << table << ": named twice";
            value = r.fields[1];
        }
    EXPECT_FALSE(value.empty()) << table << ": not named " << item;
    return value;
}
std::string stemValue(const std::string& table, int stem) { return valueOf(table, stem, stemsIn); }
std::string branchValue(const std::string& table, int branch) { return valueOf(table, branch, branchesIn); }

// 阳 or 阴 of a stem ("阴阳 阳 甲丙戊庚壬").
std::string polarityOf(int stem) {
    for (const Rule& r : rules().table("阴阳", 2))
        if (holds(stemsIn(r.fields[1]), stem)) return r.fields[0];
    ADD_FAILURE() << "neither yang nor yin: " << kStems[stem];
    return "";
}

// Element code (0 水 … 4 金) of an element name, by the book's order of the codes.
int elementCode(const std::string& name) {
    const auto& order = rules().table("五行序", 5)[0].fields;
    for (int i = 0; i < static_cast<int>(order.size()); ++i)
        if (order[i] == name) return i;
    ADD_FAILURE() << "no element " << name;
    return -1;
}

bool pairListed(const std::string& table, const std::string& a, const std::string& b) {
    for (const std::string& pair : rules().table(table, 5)[0].fields)
        if (pair == a + b) return true;
    return false;
}

}  // namespace

TEST(ChartDerivedTables, Elements) {
    const auto& order = rules().table("五行序", 5)[0].fields;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(kElementNames[i], order[i]) << "element code " << i;
    for (int s = 0; s < 10; ++s) EXPECT_EQ(stemElement(s), elementCode(stemValue("干五行", s))) << "stem " << kStems[s];
    for (int b = 0; b < 12; ++b)
        EXPECT_EQ(branchElement(b), elementCode(branchValue("支五行", b))) << "branch " << kBranches[b];
}

TEST(ChartDerivedTables, HiddenStems) {
    const auto& table = rules().table("藏干", 2);
    EXPECT_EQ(table.size(), 12u);
    for (const Rule& r : table) {
        const int b = branchesIn(r.fields[0])[0];
        std::string names;
        for (char digit : kHiddenStems[b]) names += kStems[digit - '0'];
        EXPECT_EQ(names, r.fields[1]) << "藏干: branch " << kBranches[b];
    }
}

TEST(ChartDerivedTables, TenGods) {
    for (int day = 0; day < 10; ++day)
        for (int other = 0; other < 10; ++other) {
            const std::string me = stemValue("干五行", day), it = stemValue("干五行", other);
            const std::string relation = me == it                        ? "同"
                                         : pairListed("相生", me, it) ? "我生"
                                         : pairListed("相克", me, it) ? "我克"
                                         : pairListed("相克", it, me) ? "克我"
                                                                      : "生我";
            ASSERT_TRUE(relation != "生我" || pairListed("相生", it, me)) << me << it;
            const std::string polarity = polarityOf(day) == polarityOf(other) ? "同" : "异";
            std::string god;
            for (const Rule& r : rules().table("十神", 4))
                if (r.fields[0] == relation && r.fields[1] == polarity) god = r.fields[3];
            EXPECT_EQ(kTenGodShort[tenGodIndex(day, other)], god)
                << "十神: day stem " << kStems[day] << ", other stem " << kStems[other];
        }
}

TEST(ChartDerivedTables, Nayin) {
    const auto& table = rules().table("纳音", 2);
    EXPECT_EQ(table.size(), 30u);
    for (const Rule& r : table) {
        const auto c = chars(r.fields[0]);
        ASSERT_EQ(c.size(), 4u) << r.fields[0];
        for (const std::string& pillar : {c[0] + c[1], c[2] + c[3]}) {
            const int p = pillarIndex(pillar);
            EXPECT_EQ(nayinName(p), r.fields[1]) << "纳音: " << pillar;
            EXPECT_EQ(nayinElement(p), elementCode(chars(r.fields[1]).back())) << "纳音 element: " << pillar;
        }
    }
}

TEST(ChartDerivedTables, LifeStages) {
    const auto& stages = rules().table("十二宫", 12)[0].fields;
    for (int s = 0; s < 10; ++s) {
        const int birth = branchesIn(stemValue("长生", s))[0];
        bool forward = false;
        for (const Rule& r : rules().table("顺逆", 2))
            if (r.fields[0] == polarityOf(s)) forward = r.fields[1] == "顺";
        for (int b = 0; b < 12; ++b) {
            const int steps = forward ? (b - birth + 12) % 12 : (birth - b + 12) % 12;
            EXPECT_EQ(kLifeStages[lifeStageIndex(s, b)], stages[steps])
                << "十二宫: stem " << kStems[s] << ", branch " << kBranches[b];
        }
    }
}

TEST(ChartDerivedTables, VoidBranches) {
    const auto& table = rules().table("空亡", 2);
    EXPECT_EQ(table.size(), 6u);
    for (const Rule& r : table)
        for (int i = 0; i < 10; ++i) {
            const int day = (pillarIndex(r.fields[0]) + i) % 60;
            const auto v = voidBranches(day);
            EXPECT_EQ(std::string(kBranches[v[0]]) + std::string(kBranches[v[1]]), r.fields[1])
                << "空亡: day " << pillarName(day);
        }
}

TEST(ChartDerivedTables, ConceptionPillar) {
    const auto& on = rules().table("胎元", 2)[0].fields;
    const int stemsOn = std::stoi(on[0]), branchesOn = std::stoi(on[1]);
    for (int m = 0; m < 60; ++m) {
        const int expected = cycleIndexOf((m % 10 + stemsOn) % 10, (m % 12 + branchesOn) % 12);
        EXPECT_EQ(pillarName(conceptionOf(m)), pillarName(expected)) << "胎元: month " << pillarName(m);
    }
}

TEST(ChartDerivedTables, FirstMonthOfTheYear) {
    for (int ys = 0; ys < 10; ++ys) {
        const int first = pillarIndex(stemValue("年上起月", ys));
        for (int month = 1; month <= 12; ++month)
            EXPECT_EQ(pillarName(monthPillarOf(pillarOnStem(ys), month)), pillarName(first + month - 1))
                << "年上起月: year stem " << kStems[ys] << ", month " << month;
    }
}
