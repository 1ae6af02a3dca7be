#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "core/calendar/calendar.h"
#include "core/presentation/month_page.h"
#include "core/calendar/jie_table.h"
#include "core/calendar/reverse_search.h"

namespace {

using hj::DateTime;
namespace ft = hj::fantui;

DateTime dt(int y, int m, int d, int h = 0, int mi = 0) {
    return {static_cast<std::int16_t>(y), static_cast<std::int16_t>(m), static_cast<std::int16_t>(d),
            static_cast<std::int16_t>(h), static_cast<std::int16_t>(mi)};
}

std::string str(const DateTime& t) {
    return std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) + " " +
           std::to_string(t.hour) + ":" + std::to_string(t.minute);
}

// Pillars as the perpetual calendar computes them from the ephemeris: an independent check of
// what the search finds.
std::array<int, 4> pillarsAt(hj::MonthPageBuilder& b, const DateTime& t, int* pillarYear = nullptr) {
    hj::MonthPage page;
    EXPECT_TRUE(b.build(hj::displayYear(t.year), t.month, t.day, t.hour, t.minute, page)) << str(t);
    if (pillarYear) *pillarYear = page.pillarYear;
    return page.pillars;
}

ft::SearchQuery queryOf(const std::array<int, 4>& pillars, int startYear) {
    ft::SearchQuery q;
    for (std::size_t i = 0; i < 4; ++i) q.pillars[i] = ft::choiceOf(pillars[i]);
    q.startYear = startYear;
    return q;
}

}  // namespace

TEST(ReverseDays, JulianDayMatchesTheCalendarOnBothSidesOfTheReform) {
    EXPECT_DOUBLE_EQ(ft::jdOf(dt(2000, 1, 1)), 2451544.5);
    EXPECT_DOUBLE_EQ(ft::jdOf(dt(1582, 10, 4)), 2299159.5);
    EXPECT_DOUBLE_EQ(ft::jdOf(dt(1582, 10, 15)), 2299160.5);
    for (const DateTime& t : {dt(-849, 1, 1, 5, 7), dt(-4, 2, 29, 23, 59), dt(0, 3, 1), dt(1, 12, 31, 12, 0),
                              dt(1500, 2, 29), dt(1582, 10, 4, 23, 59), dt(1582, 10, 15, 0, 1), dt(1600, 2, 29),
                              dt(1900, 2, 28, 13, 30), dt(2024, 2, 4, 16, 27), dt(2100, 12, 31, 23, 0)}) {
        const double expected = hj::civilJulianDay(t.year, t.month, t.day + (t.hour + t.minute / 60.0) / 24);
        EXPECT_NEAR(ft::jdOf(t), expected, 1e-7) << str(t);
        EXPECT_EQ(ft::dateOfJd(ft::jdOf(t) + 30.0 / 86400), t) << str(t);  // half a minute later: same minute
    }
    // One day after 1582-10-04 is 1582-10-15.
    EXPECT_EQ(ft::dateOfJd(ft::jdOf(dt(1582, 10, 4, 12)) + 1), dt(1582, 10, 15, 12));
}

TEST(ReverseDays, DayOfYearAndItsInverse) {
    struct Case { DateTime date; int gregorian, dayOfYear; };
    for (const Case& c : {Case{dt(1582, 10, 4), 0, 277}, Case{dt(1582, 10, 5), -1, 0}, Case{dt(1582, 10, 14), -1, 0},
                          Case{dt(1582, 10, 15), 1, 278}, Case{dt(1582, 12, 31), 1, 355}, Case{dt(1500, 3, 1), 0, 61},
                          Case{dt(1900, 3, 1), 1, 60}, Case{dt(2000, 3, 1), 1, 61}, Case{dt(0, 12, 31), 0, 366},
                          Case{dt(-1, 12, 31), 0, 365}}) {
        EXPECT_EQ(ft::gregorianState(c.date.year, c.date.month, c.date.day), c.gregorian) << str(c.date);
        EXPECT_EQ(ft::dayOfYear(c.date.year, c.date.month, c.date.day), c.dayOfYear) << str(c.date);
    }
    for (int year : {-850, -1, 0, 1500, 1582, 1900, 2000}) {
        const int days = ft::dayOfYear(year, 12, 31);
        for (int n = 1; n <= days; ++n) {
            const int md = ft::monthDayOf(year, n);
            ASSERT_EQ(ft::dayOfYear(year, md / 100, md % 100), n) << year << " day " << n;
        }
        // Days outside the year name December before and January after.
        EXPECT_EQ(ft::monthDayOf(year, 0), 31);
        EXPECT_EQ(ft::monthDayOf(year, days + 2), 1302);
    }
}

// The formula for years outside the table stays close to the ephemeris: a few minutes near
// the table, hours in the first millennium BC where the clock correction grows.
TEST(ReverseDays, TermFormulaFollowsTheEphemeris) {
    hj::Calendar cal;
    struct Case { int year; double maxMinutes; };
    for (const Case& c : {Case{1800, 20}, Case{1899, 20}, Case{1950, 30}, Case{2051, 20}, Case{2100, 20},
                          Case{1000, 60}, Case{1, 240}, Case{-849, 420}}) {
        for (int month = 1; month <= 12; ++month) {
            const ft::TermInstant t = ft::jieOfMonth(c.year, month, true);
            const DateTime e = cal.solarTermInstant(t.year, t.month, true);
            const double diff = (ft::jdOf(t.time) - ft::jdOf(e)) * 1440;
            EXPECT_LT(std::fabs(diff), c.maxMinutes) << c.year << "-" << month << ": " << str(t.time) << " vs " << str(e);
        }
    }
}

TEST(ReverseDays, JieOfMonthReadsTheTableAndFindsTheMonthsOwnTerm) {
    struct Case { int year, month; bool jie; DateTime time; int ownerYear, ownerMonth; };
    for (const Case& c : {
             Case{2000, 2, true, dt(2000, 2, 4, 20, 40), 2000, 2}, Case{2000, 2, false, dt(2000, 2, 19, 16, 33), 2000, 2},
             Case{2024, 2, true, dt(2024, 2, 4, 16, 27), 2024, 2}, Case{2024, 2, false, dt(2024, 2, 19, 12, 13), 2024, 2},
             // Julian dates run ten days behind: the jie falling in January 1500 is 立春, and the
             // next year's 小寒 falls in December.
             Case{1500, 1, true, dt(1500, 1, 26, 12, 8), 1500, 2}, Case{1500, 12, true, dt(1500, 12, 27, 5, 14), 1501, 1},
             // 1582: 寒露 falls on 29 September, before the gap; 立冬 after it.
             Case{1582, 9, true, dt(1582, 9, 29, 1, 23), 1582, 10}, Case{1582, 11, true, dt(1582, 11, 8, 1, 43), 1582, 11},
         }) {
        const ft::TermInstant t = ft::jieOfMonth(c.year, c.month, c.jie);
        EXPECT_EQ(t.time, c.time) << c.year << "-" << c.month << " got " << str(t.time);
        EXPECT_EQ(t.year, c.ownerYear) << c.year << "-" << c.month;
        EXPECT_EQ(t.month, c.ownerMonth) << c.year << "-" << c.month;
    }
}

TEST(ReverseSearch, RefusesInvalidPillarsAndYears) {
    const auto pillars = [](int y, int m, int d, int h) { return std::array<int, 4>{y, m, d, h}; };
    struct Case { ft::SearchQuery query; ft::SearchOutcome outcome; int badPillar; const char* message; };
    ft::SearchQuery parity = queryOf(pillars(1, 3, 1, 1), 1950);
    parity.pillars[0] = {1, 0};  // 乙子
    ft::SearchQuery dayParity = queryOf(pillars(1, 3, 1, 1), 1950);
    dayParity.pillars[2] = {0, 1};  // 甲丑
    const char* yearMessage =
        "起始年必须在-850到2100年之间，并且没有公元0年\r\n注意：公元前用负数，比如公元前120年，就输入-120";
    for (const Case& c : {
             Case{parity, ft::SearchOutcome::BadPillar, 0, "不存在这个年柱！"},
             Case{dayParity, ft::SearchOutcome::BadPillar, 2, "不存在这个日柱！"},
             // A 甲 year opens with 丙寅; 戊寅 belongs to 乙 and 庚 years.
             Case{queryOf(pillars(1, 15, 1, 1), 1950), ft::SearchOutcome::BadPillar, 1, "不存在这个月柱！"},
             // A 甲 day opens with 甲子; 丙子 belongs to 乙 and 庚 days.
             Case{queryOf(pillars(1, 3, 1, 13), 1950), ft::SearchOutcome::BadPillar, 3, "不存在这个时柱！"},
             Case{queryOf(pillars(1, 3, 1, 1), 0), ft::SearchOutcome::BadYear, -1, yearMessage},
             Case{queryOf(pillars(1, 3, 1, 1), -851), ft::SearchOutcome::BadYear, -1, yearMessage},
             Case{queryOf(pillars(1, 3, 1, 1), 2101), ft::SearchOutcome::BadYear, -1, yearMessage},
         }) {
        const ft::SearchResult r = ft::runSearch(c.query);
        EXPECT_EQ(r.outcome, c.outcome) << c.message;
        EXPECT_EQ(r.badPillar, c.badPillar) << c.message;
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(r.title, c.outcome == ft::SearchOutcome::BadYear ? "年份错误" : "无效的八字");
    }
    // Stems that follow: 己 year → 丙寅 … 丁丑; 癸 day → 壬子 … 癸亥.
    EXPECT_NE(ft::runSearch(queryOf(pillars(36, 3, 1, 1), 1950)).outcome, ft::SearchOutcome::BadPillar);
    EXPECT_NE(ft::runSearch(queryOf(pillars(36, 14, 10, 0), 1950)).outcome, ft::SearchOutcome::BadPillar);
    // -850 is the astronomical -849; the first 甲子 year from there is -836.
    EXPECT_EQ(ft::runSearch(queryOf(pillars(1, 3, 1, 1), -850)).firstCandidate, -836);
}

TEST(ReverseSearch, PrepareMapsPillarsToListIndices) {
    struct Case { int cycle; ft::PillarChoice choice; };
    for (const Case& c : {Case{1, {0, 0}}, Case{0, {9, 11}}, Case{3, {2, 2}}, Case{11, {0, 10}}, Case{59, {8, 10}},
                          Case{60, {9, 11}}}) {
        EXPECT_EQ(ft::choiceOf(c.cycle), c.choice) << c.cycle;
        EXPECT_EQ(ft::cycleOf(ft::choiceOf(c.cycle)), c.cycle % 60) << c.cycle;
    }
}

// 甲子 丙寅 甲子 甲子 from 1950: the first 甲子 year is 1984; no 甲子 day falls in the 寅 month of
// 1984 or 2044, and 2104 is past the range.
TEST(ReverseSearch, FirstAlignedYearAndNotFound) {
    const ft::SearchResult r = ft::runSearch(queryOf({1, 3, 1, 1}, 1950));
    EXPECT_EQ(r.firstCandidate, 1984);
    EXPECT_EQ(r.outcome, ft::SearchOutcome::NotFound);
    hj::Calendar cal;
    for (int year : {1984, 2044}) {
        const double from = cal.julianDayOf(cal.solarTermInstant(year, 2, true));
        const double to = cal.julianDayOf(cal.solarTermInstant(year, 3, true));
        for (DateTime d = cal.solarTermInstant(year, 2, true); cal.julianDayOf(d) < to + 1; cal.nextDay(d)) {
            const DateTime at = dt(d.year, d.month, d.day, 0, 5);
            if (cal.julianDayOf(at) >= from && cal.julianDayOf(at) < to) {
                EXPECT_NE(cal.dayCycleIndex(d), 1) << str(d);
            }
        }
    }
    std::string memo = "符合命例\r\n1984年2月5日0时\r\n\r\n";
    ft::updateMemo(r, memo);
    EXPECT_EQ(memo, "没有符合的八字，改变起始年反推，或许可以找到。\r\n\r\n");
}

// Pillars taken from random moments come back as those moments (on the even hour of the
// branch, 23:00 as the next day's 0:00), whenever the moment is clear of a jie.
TEST(ReverseSearch, FindsTheMomentThePillarsCameFrom) {
    hj::MonthPageBuilder b;
    hj::Calendar cal;
    std::mt19937 rng(20261207);
    int checked = 0;
    for (int i = 0; i < 400; ++i) {
        const int year = std::uniform_int_distribution<int>(1901, 2049)(rng);
        const int month = std::uniform_int_distribution<int>(1, 12)(rng);
        const int day = std::uniform_int_distribution<int>(1, 28)(rng);
        const int hour = std::uniform_int_distribution<int>(0, 23)(rng);
        const DateTime s = dt(year, month, day, hour, 30);
        DateTime jie, mid, next;
        cal.termsAround(s, jie, mid, next);
        const double at = cal.julianDayOf(s);
        if (at - cal.julianDayOf(jie) < 0.15 || cal.julianDayOf(next) - at < 0.15) continue;
        int pillarYear = 0;
        const std::array<int, 4> p = pillarsAt(b, s, &pillarYear);
        DateTime expected = dt(year, month, day, hour == 23 ? 0 : hour % 2 == 1 ? hour + 1 : hour, 0);
        if (hour == 23) cal.nextDay(expected);
        const ft::SearchResult r = ft::runSearch(queryOf(p, hj::displayYear(pillarYear)));
        ASSERT_EQ(r.outcome, ft::SearchOutcome::Found) << str(s);
        EXPECT_EQ(r.found, expected) << str(s) << " found " << str(r.found);
        ++checked;
    }
    EXPECT_GT(checked, 300);
}

TEST(ReverseSearch, OnlyTheFirstDayOfTheJieMonthIsTried) {
    // 立春 2024-02-04 16:27 opens 丙寅 of 甲辰 (41); 2024-02-04 is a 戊戌 day (35): its 庚申 hour
    // (16:05) lies before the jie, its 辛酉 hour (18:05) after it.
    hj::Calendar cal;
    ASSERT_EQ(cal.dayCycleIndex(dt(2024, 2, 4, 12)), 35);
    ft::SearchResult r = ft::runSearch(queryOf({41, 3, 35, 57}, 2024));
    EXPECT_TRUE(r.outcome == ft::SearchOutcome::NotFound || r.found.year >= 2084) << r.text;
    r = ft::runSearch(queryOf({41, 3, 35, 58}, 2024));
    ASSERT_EQ(r.outcome, ft::SearchOutcome::Found);
    EXPECT_EQ(r.text, "2024年2月4日18时");
    EXPECT_EQ(r.found, dt(2024, 2, 4, 18, 0));

    // 惊蛰 2024-03-05 10:22 closes that month; 2024-03-05 is a 戊辰 day (5): its 丙辰 hour (8:05)
    // still belongs to 丙寅, its 戊午 hour (12:05) no longer.
    ASSERT_EQ(ft::jieOfMonth(2024, 3, true).time, dt(2024, 3, 5, 10, 22));
    ASSERT_EQ(cal.dayCycleIndex(dt(2024, 3, 5, 12)), 5);
    r = ft::runSearch(queryOf({41, 3, 5, 53}, 2024));
    ASSERT_EQ(r.outcome, ft::SearchOutcome::Found);
    EXPECT_EQ(r.found, dt(2024, 3, 5, 8, 0));
    r = ft::runSearch(queryOf({41, 3, 5, 55}, 2024));
    EXPECT_TRUE(r.outcome == ft::SearchOutcome::NotFound || r.found.year >= 2084) << r.text;
}

TEST(ReverseSearch, YearsAroundTheEdges) {
    hj::MonthPageBuilder b;
    struct Case { DateTime moment; int startYear; const char* text; };
    for (const Case& c : {
             // 丑 months lie in January of the year after the pillar year.
             Case{dt(1985, 1, 20, 10, 30), 1950, "1985年1月20日10时"},
             // The same in the Julian centuries, where 小寒 falls in late December.
             Case{dt(1500, 1, 15, 12, 30), 1480, "1500年1月15日12时"},
             Case{dt(1580, 12, 30, 10, 30), 1580, "1580年12月30日10时"},
             // Astronomical year 0 is shown as -1: a 庚申 year.
             Case{dt(0, 6, 15, 8, 0), -1, "-1年6月15日8时"},
             Case{dt(1, 6, 15, 8, 0), -1, "1年6月15日8时"},
             // Only the first aligned candidate may lie past 2100: 2101 (辛酉) from 2099.
             Case{dt(2101, 6, 15, 8, 0), 2099, "2101年6月15日8时"},
             // 1582: 戌 month opens at 寒露 on 29 September, before the gap.
             Case{dt(1582, 10, 20, 14, 0), 1582, "1582年10月20日14时"},
             Case{dt(1582, 10, 2, 14, 0), 1582, "1582年10月2日14时"},
         }) {
        const std::array<int, 4> p = pillarsAt(b, c.moment);
        const ft::SearchResult r = ft::runSearch(queryOf(p, c.startYear));
        EXPECT_EQ(r.text, c.text) << str(c.moment);
    }
    // 甲子 丙寅 甲子 甲子 from 2099: the first 甲子 year, 2104, lies past 2100 and is still
    // searched (from 1950 the search stops at 2044 and finds nothing).
    const ft::SearchResult r = ft::runSearch(queryOf({1, 3, 1, 1}, 2099));
    EXPECT_EQ(r.firstCandidate, 2104);
    ASSERT_EQ(r.outcome, ft::SearchOutcome::Found);
    EXPECT_EQ(r.found.year, 2104);
    EXPECT_EQ(pillarsAt(b, r.found), (std::array<int, 4>{1, 3, 1, 1})) << str(r.found);
}

// In the Julian centuries the 小寒 opening a 丑 month falls in late December. The 丑 month of
// 1499 (己未) runs from 1499-12-27 to 1500-01-26; a 甲子 day of the 子 month before it
// (1499-12-10) must not be taken for it.
TEST(ReverseSearch, ChouMonthInTheJulianCenturies) {
    hj::MonthPageBuilder b;
    std::array<int, 4> p = pillarsAt(b, dt(1499, 12, 10, 12, 30));
    ASSERT_EQ(p[1], 13);  // 丙子
    p[1] = 14;            // 丁丑
    const ft::SearchResult r = ft::runSearch(queryOf(p, 1480));
    ASSERT_EQ(r.outcome, ft::SearchOutcome::Found);
    EXPECT_NE(r.found.year, 1499) << str(r.found);
    EXPECT_EQ(pillarsAt(b, r.found), p) << str(r.found);
}

TEST(ReverseSearch, MemoKeepsFindsAndDropsThemOnAFailure) {
    ft::SearchResult found;
    found.outcome = ft::SearchOutcome::Found;
    found.text = "1985年1月20日10时";
    std::string memo;
    ft::updateMemo(found, memo);
    ft::updateMemo(found, memo);
    EXPECT_EQ(memo, "符合命例\r\n1985年1月20日10时\r\n\r\n符合命例\r\n1985年1月20日10时\r\n\r\n");
    ft::SearchResult refused;
    refused.outcome = ft::SearchOutcome::BadPillar;
    ft::updateMemo(refused, memo);
    EXPECT_EQ(memo, "符合命例\r\n1985年1月20日10时\r\n\r\n符合命例\r\n1985年1月20日10时\r\n\r\n");
}
