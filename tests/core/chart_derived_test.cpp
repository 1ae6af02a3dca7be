#include <gtest/gtest.h>

#include "core/calendar/datetime.h"
#include "core/chart/derived.h"

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
