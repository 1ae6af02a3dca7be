#include <gtest/gtest.h>

#include "core/calendar/datetime.h"
#include "core/chart/derived.h"
#include "core/chart/stars.h"

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
