#include <gtest/gtest.h>

#include <string>

#include "core/calendar/festivals.h"
#include "core/presentation/month_page.h"

namespace {

// The festivals of a civil day as the month page and the export find them.
std::string festivalsOn(hj::Calendar& cal, int year, int month, int day) {
    const hj::DateTime d{static_cast<std::int16_t>(year), static_cast<std::int16_t>(month),
                         static_cast<std::int16_t>(day), 12, 0};
    int term = -1;
    for (const hj::TermEntry& t : cal.termsOfYear(year))
        if (t.time.month == month && t.time.day == day) term = t.index;
    return hj::festivalNames(hj::festivalsOf(hj::dayFactsOf(cal, d, term)));
}

}  // namespace

// Dates from the published calendars of those years.
TEST(Festivals, DaysOfTheYear) {
    struct Case {
        int y, m, d;
        const char* expected;
        const char* why;
    } cases[] = {
        {2024, 2, 10, "春节", "甲辰 new year"},
        {2024, 2, 9, "除夕", "腊月 of 癸卯 has 30 days: 除夕 is 腊月三十"},
        {2024, 2, 8, "", "腊月廿九 of a 30-day 腊月 is no eve"},
        {2025, 1, 28, "除夕", "腊月 of 甲辰 has 29 days: 除夕 is 腊月廿九"},
        {2025, 1, 29, "春节", "乙巳 new year"},
        {2024, 2, 2, "北方小年", "腊月廿三"},
        {2024, 2, 3, "南方小年", "腊月廿四"},
        {2024, 1, 18, "腊八", "腊月初八"},
        {2024, 2, 24, "元宵", "正月十五"},
        {2024, 6, 10, "端午", "五月初五"},
        {2024, 9, 17, "中秋", "八月十五"},
        {2024, 4, 4, "清明", "the day of the 清明 term"},
        {2024, 12, 21, "冬至", "the day of the 冬至 term"},
        {2001, 10, 1, "中秋 国庆节", "both on one day, the traditional first"},
        {2023, 2, 21, "龙抬头", "二月初二"},
        {2023, 3, 23, "", "闰二月初二 of 2023 is no 龙抬头"},
        {2009, 5, 28, "端午", "五月初五"},
        {2009, 6, 27, "", "闰五月初五 of 2009 is no 端午"},
        {2006, 8, 30, "", "闰七月初七 of 2006 is no 七夕"},
        // Public holidays from the year they were instituted.
        {1984, 9, 10, "中秋", "中秋 fell on 10 September 1984; 教师节 only from 1985"},
        {1985, 9, 10, "教师节", ""},
        {1932, 8, 1, "", "建军节 was named in 1933"},
        {1933, 8, 1, "建军节", ""},
        {1949, 10, 1, "", "the founding day itself; 国庆节 from 1950"},
        {1950, 10, 1, "国庆节", ""},
        {1940, 7, 1, "", "建党节 was named in 1941"},
        {1941, 7, 1, "建党节", ""},
        {1950, 1, 1, "元旦", ""},
        {2024, 5, 1, "劳动节", ""},
    };
    hj::Calendar cal;
    for (const Case& c : cases)
        EXPECT_EQ(festivalsOn(cal, c.y, c.m, c.d), c.expected) << c.y << "-" << c.m << "-" << c.d << ": " << c.why;
}

TEST(Festivals, LeapMonthsFallOnTheDatesTheyClaim) {
    // The leap-month days above really are leap months: the check is not vacuous.
    hj::Calendar cal;
    struct Case { int y, m, d, lunarMonth, lunarDay; } cases[] = {{2023, 3, 23, 2, 2}, {2009, 6, 27, 5, 5}, {2006, 8, 30, 7, 7}};
    for (const Case& c : cases) {
        bool leap = false;
        const hj::DateTime l = cal.solarToLunar({static_cast<std::int16_t>(c.y), static_cast<std::int16_t>(c.m),
                                                 static_cast<std::int16_t>(c.d), 12, 0}, leap);
        EXPECT_TRUE(leap) << c.y;
        EXPECT_EQ(l.month, c.lunarMonth) << c.y;
        EXPECT_EQ(l.day, c.lunarDay) << c.y;
    }
}

TEST(Festivals, MonthPageShowsThemOnlyWhenAsked) {
    hj::MonthPageBuilder b;
    hj::MonthPage plain, marked;
    ASSERT_TRUE(b.build(2024, 2, 10, 12, 0, plain));
    b.setOptions({true, true, {2024, 2, 9, 0, 0}});
    ASSERT_TRUE(b.build(2024, 2, 10, 12, 0, marked));
    ASSERT_EQ(plain.cells.size(), marked.cells.size());

    struct Case { int day; const char* plainLower; const char* markedLower; } cases[] = {
        {1, "十二月廿二", "腊月廿二"},  // 冬月/腊月 names
        {2, "十二月廿三", "北方小年"},
        {9, "十二月三十", "除夕"},
        {10, "正月初一", "春节"},
        {4, "十二月廿五", "腊月廿五"},  // 立春 stays above the line, the lunar date below
        {11, "正月初二", "正月初二"},
    };
    for (const Case& c : cases) {
        const hj::DayCell& p = plain.cells[static_cast<std::size_t>(c.day - 1)];
        const hj::DayCell& m = marked.cells[static_cast<std::size_t>(c.day - 1)];
        EXPECT_EQ(p.lower, c.plainLower) << c.day;
        EXPECT_EQ(p.lowerColour, hj::kLunarColour) << c.day;
        EXPECT_EQ(m.lower, c.markedLower) << c.day;
        EXPECT_EQ(m.upper, p.upper) << c.day;
        EXPECT_EQ(m.today, c.day == 9) << c.day;
        EXPECT_FALSE(p.today) << c.day;
    }
    EXPECT_EQ(marked.cells[9].lowerColour, hj::kFestivalColour);
    EXPECT_EQ(marked.selectedFestivals, "春节");
    EXPECT_EQ(plain.selectedFestivals, "春节");  // known either way; the window shows it only when asked
}

// Keyboard moves of the calendar: across months, the 1582 gap and year 0, and the range ends.
TEST(MonthPageMoves, DaysAndMonths) {
    hj::MonthPageBuilder b;
    struct DayCase { int y, m, d, by; bool ok; int ey, em, ed; } days[] = {
        {2024, 2, 28, 1, true, 2024, 2, 29},   {2024, 2, 29, 1, true, 2024, 3, 1},
        {2024, 1, 3, -7, true, 2023, 12, 27},  {1582, 10, 4, 1, true, 1582, 10, 15},
        {1582, 10, 15, -1, true, 1582, 10, 4}, {1, 1, 1, -1, true, -1, 12, 31},
        {-1, 12, 31, 1, true, 1, 1, 1},        {-4713, 1, 1, -1, false, -4713, 1, 1},
        {9999, 12, 31, 1, false, 9999, 12, 31}, {1900, 2, 28, 1, true, 1900, 3, 1},  // no 29 February 1900
    };
    for (const DayCase& c : days) {
        int y = c.y, m = c.m, d = c.d;
        EXPECT_EQ(hj::shiftDays(b.calendar(), y, m, d, c.by), c.ok) << c.y << "-" << c.m << "-" << c.d << " by " << c.by;
        EXPECT_EQ(y * 10000 + m * 100 + d, c.ey * 10000 + c.em * 100 + c.ed) << c.y << "-" << c.m << "-" << c.d << " by " << c.by;
    }
    struct MonthCase { int y, m, d, by; bool ok; int ey, em, ed; } months[] = {
        {2024, 1, 31, 1, true, 2024, 2, 29},   {2023, 1, 31, 1, true, 2023, 2, 28},
        {2024, 3, 15, -12, true, 2023, 3, 15}, {1, 1, 10, -1, true, -1, 12, 10},
        {-1, 12, 10, 1, true, 1, 1, 10},       {1, 6, 10, -12, true, -1, 6, 10},
        {1582, 9, 10, 1, true, 1582, 10, 4},   {1582, 11, 30, -1, true, 1582, 10, 30},
        {-4713, 1, 5, -1, false, -4713, 1, 5}, {9999, 12, 5, 1, false, 9999, 12, 5},
    };
    for (const MonthCase& c : months) {
        int y = c.y, m = c.m, d = c.d;
        EXPECT_EQ(hj::shiftMonths(y, m, d, c.by), c.ok) << c.y << "-" << c.m << "-" << c.d << " by " << c.by;
        EXPECT_EQ(y * 10000 + m * 100 + d, c.ey * 10000 + c.em * 100 + c.ed) << c.y << "-" << c.m << "-" << c.d << " by " << c.by;
    }
}
