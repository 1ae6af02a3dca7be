#include <gtest/gtest.h>

#include <string>

#include "core/presentation/month_page.h"

namespace {

hj::MonthPage page(hj::MonthPageBuilder& b, int shownYear, int month, int day, int hour = 12, int minute = 0) {
    hj::MonthPage p;
    EXPECT_TRUE(b.build(shownYear, month, day, hour, minute, p)) << shownYear << "-" << month << "-" << day << ": "
                                                                 << b.lastError();
    return p;
}

const hj::DayCell& cellOf(const hj::MonthPage& p, int day) {
    for (const hj::DayCell& c : p.cells)
        if (c.day == day) return c;
    ADD_FAILURE() << "no cell for day " << day;
    return p.cells.front();
}

}  // namespace

TEST(MonthPage, October1582ShowsTheDaysAroundTheGap) {
    hj::MonthPageBuilder b;
    const hj::MonthPage p = page(b, 1582, 10, 15);
    ASSERT_EQ(p.cells.size(), 21u);
    EXPECT_EQ(p.monthLength, 21);
    EXPECT_EQ(p.firstColumn, 0);  // 1 October 1582 was a Monday
    const int expected[21] = {1, 2, 3, 4, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31};
    for (std::size_t i = 0; i < 21; ++i) {
        EXPECT_EQ(p.cells[i].day, expected[i]);
        EXPECT_EQ(p.cells[i].row, 1 + static_cast<int>(i) / 7);
        EXPECT_EQ(p.cells[i].column, static_cast<int>(i) % 7);
    }
    EXPECT_EQ(p.cells[0].upper, "10月");
    EXPECT_EQ(p.cells[4].upper, "15");
    // The lunar dates run on across the gap: 4 October and 15 October are consecutive days.
    EXPECT_EQ(p.cells[3].lower, "九月十八");
    EXPECT_EQ(p.cells[4].lower, "九月十九");
    EXPECT_TRUE(p.cells[4].selected);

    // Clicking: the fifth cell is the 15th; the cell after the 31st is empty.
    EXPECT_EQ(hj::dayAtCell(p, 1, 3), 4);
    EXPECT_EQ(hj::dayAtCell(p, 1, 4), 15);
    EXPECT_EQ(hj::dayAtCell(p, 3, 6), 31);
    EXPECT_EQ(hj::dayAtCell(p, 4, 0), 0);
    EXPECT_EQ(hj::dayAtCell(p, 0, 3), 0);  // the header row

    hj::MonthPage unchanged = p;
    EXPECT_FALSE(b.build(1582, 10, 10, 12, 0, unchanged));
    EXPECT_EQ(b.errorTitle(), "日期不对");
    EXPECT_EQ(b.lastError(), "不存在这个日期，请重新输入！");
    EXPECT_EQ(unchanged.cells.size(), 21u);
    EXPECT_EQ(hj::openingDay(1582, 10, 10), 15);
}

TEST(MonthPage, RefusesYearsAndDaysItDoesNotHave) {
    hj::MonthPageBuilder b;
    hj::MonthPage p;
    for (int year : {0, -4714, 10000}) {
        EXPECT_FALSE(b.build(year, 1, 1, 12, 0, p)) << year;
        EXPECT_EQ(b.errorTitle(), "年份不对");
        EXPECT_EQ(b.lastError(), "年份在-4713 到 9999年之间，并且没有公元0年");
    }
    struct Day { int year, month, day; };
    for (const Day& d : {Day{2023, 2, 29}, Day{1900, 2, 29}, Day{2024, 4, 31}}) {
        EXPECT_FALSE(b.build(d.year, d.month, d.day, 12, 0, p)) << d.year << "-" << d.month << "-" << d.day;
        EXPECT_EQ(b.errorTitle(), "日期不对");
    }
    // Julian leap years: 1500 and the year shown as -1 (astronomical 0) have 29 February.
    EXPECT_EQ(page(b, 1500, 2, 29).cells.size(), 29u);
    EXPECT_EQ(page(b, -1, 2, 29).cells.size(), 29u);
    // The ends of the range draw.
    EXPECT_EQ(page(b, -4713, 1, 1).cells.size(), 31u);
    EXPECT_EQ(page(b, 9999, 12, 31).cells.size(), 31u);

    EXPECT_EQ(hj::openingDay(2023, 2, 30), 15);
    EXPECT_EQ(hj::openingDay(2024, 2, 29), 29);
    struct Text { const char* text; int year; };
    for (const Text& t : {Text{"1900", 1900}, Text{"-5", -5}, Text{" 12 ", 12}, Text{"abc", 0}, Text{"", 0},
                          Text{"12a", 0}, Text{"99999999999", 0}}) {
        EXPECT_EQ(hj::shownYearOf(t.text), t.year) << t.text;
    }
}

TEST(MonthPage, MonthStepsSkipYearZeroAndStopAtTheEnds) {
    struct Case { int year, month; bool forward; bool moves; int toYear, toMonth; };
    for (const Case& c : {Case{1, 1, false, true, -1, 12}, Case{-1, 12, true, true, 1, 1}, Case{2024, 1, false, true, 2023, 12},
                          Case{2024, 12, true, true, 2025, 1}, Case{2024, 5, true, true, 2024, 6},
                          Case{-4713, 1, false, false, -4713, 1}, Case{9999, 12, true, false, 9999, 12}}) {
        int y = c.year, m = c.month;
        EXPECT_EQ(c.forward ? hj::nextMonth(y, m) : hj::previousMonth(y, m), c.moves) << c.year << "-" << c.month;
        EXPECT_EQ(y, c.toYear) << c.year << "-" << c.month;
        EXPECT_EQ(m, c.toMonth) << c.year << "-" << c.month;
    }
    // December of the year shown as -1 is astronomical year 0, a 庚申 (monkey) year.
    hj::MonthPageBuilder b;
    const hj::MonthPage p = page(b, -1, 12, 31);
    EXPECT_EQ(p.title, "-1年12月");
    EXPECT_EQ(p.moment.year, 0);
    EXPECT_EQ(p.pillars[0], 57);
    EXPECT_EQ(p.eraLine, "[西汉] 哀帝 刘欣 元寿2年  【猴年】");
}

TEST(MonthPage, FebruaryTwentyTwentyFour) {
    hj::MonthPageBuilder b;
    const hj::MonthPage p = page(b, 2024, 2, 10, 8, 0);
    EXPECT_EQ(p.title, "2024年2月");
    EXPECT_EQ(p.firstColumn, 3);  // a Thursday
    ASSERT_EQ(p.cells.size(), 29u);
    EXPECT_EQ(p.termText, "立春:4日16时27分\r\n\r\n雨水:19日12时13分\r\n\r\n");
    ASSERT_EQ(p.terms.size(), 2u);

    struct Cell { int day; const char* upper; hj::Rgb colour; int size; const char* lower; };
    for (const Cell& c : {Cell{1, "2月", hj::kDayColour, 14, "十二月廿二"}, Cell{4, "4 立春", hj::kTermDayColour, 10, "十二月廿五"},
                          Cell{10, "10", hj::kDayColour, 14, "正月初一"}, Cell{19, "19 雨水", hj::kTermDayColour, 10, "正月初十"},
                          Cell{20, "20", hj::kDayColour, 14, "正月十一"}}) {
        const hj::DayCell& cell = cellOf(p, c.day);
        EXPECT_EQ(cell.upper, c.upper);
        EXPECT_EQ(cell.upperColour, c.colour) << c.day;
        EXPECT_EQ(cell.upperSize, c.size) << c.day;
        EXPECT_EQ(cell.lower, c.lower);
        EXPECT_EQ(cell.lowerSize, 9) << c.day;
    }
    ASSERT_NE(p.selectedCell(), nullptr);
    EXPECT_EQ(p.selectedCell()->day, 10);
    EXPECT_EQ(p.selectedCell()->row, 2);
    EXPECT_EQ(p.selectedCell()->column, 5);

    EXPECT_EQ(p.header[0].text, "星期一");
    EXPECT_EQ(p.header[0].colour, hj::kWorkdayColour);
    EXPECT_EQ(p.header[4].colour, hj::kWorkdayColour);
    EXPECT_EQ(p.header[5].text, "星期六");
    EXPECT_EQ(p.header[5].colour, hj::kWeekendColour);
    EXPECT_EQ(p.header[6].text, "星期日");
    EXPECT_EQ(p.header[6].colour, hj::kWeekendColour);
    EXPECT_EQ(p.eraLine, "[当代] 中国  公历纪元2024年  【龙年】");
    EXPECT_EQ(p.pillarText, "甲辰年\r\n丙寅月\r\n甲辰日\r\n戊辰时");
}

// Leap months carry their marker, also a leap first month; texts over ten bytes are drawn smaller.
TEST(MonthPage, LeapMonthTexts) {
    hj::MonthPageBuilder b;
    struct Case { int year, month, day; const char* lower; int size; };
    for (const Case& c : {Case{2020, 5, 23, "闰四月初一", 9}, Case{2020, 6, 20, "闰四月廿九", 9}, Case{2020, 6, 21, "五月初一", 9},
                          Case{2023, 3, 22, "闰二月初一", 9}, Case{2033, 12, 22, "闰十一月初一", 8},
                          Case{2033, 12, 31, "闰十一月初十", 8}, Case{1640, 2, 22, "闰正月初一", 9}, Case{2262, 2, 20, "闰正月初一", 9}}) {
        const hj::MonthPage p = page(b, c.year, c.month, 1);
        const hj::DayCell& cell = cellOf(p, c.day);
        EXPECT_EQ(cell.lower, c.lower) << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(cell.lowerSize, c.size) << c.year << "-" << c.month << "-" << c.day;
    }
}

// The year pillar, era and animal change at 立春, not on 1 January; the day and hour pillars at 23:00.
TEST(MonthPage, PillarBoundaries) {
    hj::MonthPageBuilder b;
    struct Case { int year, month, day, hour, minute; const char* pillars; const char* era; };
    for (const Case& c : {
             Case{2024, 1, 15, 12, 0, "癸卯年\r\n乙丑月\r\n戊寅日\r\n戊午时", "[当代] 中国  公历纪元2023年  【兔年】"},
             Case{2024, 2, 4, 16, 26, "癸卯年\r\n乙丑月\r\n戊戌日\r\n庚申时", "[当代] 中国  公历纪元2023年  【兔年】"},
             Case{2024, 2, 4, 16, 27, "甲辰年\r\n丙寅月\r\n戊戌日\r\n庚申时", "[当代] 中国  公历纪元2024年  【龙年】"},
             Case{2024, 2, 10, 22, 59, "甲辰年\r\n丙寅月\r\n甲辰日\r\n乙亥时", "[当代] 中国  公历纪元2024年  【龙年】"},
             Case{2024, 2, 10, 23, 0, "甲辰年\r\n丙寅月\r\n乙巳日\r\n丙子时", "[当代] 中国  公历纪元2024年  【龙年】"},
             Case{2024, 2, 11, 0, 30, "甲辰年\r\n丙寅月\r\n乙巳日\r\n丙子时", "[当代] 中国  公历纪元2024年  【龙年】"},
             Case{2024, 2, 9, 23, 30, "甲辰年\r\n丙寅月\r\n甲辰日\r\n甲子时", "[当代] 中国  公历纪元2024年  【龙年】"},
             // A 癸 day's 子 hour is 壬子.
             Case{2024, 2, 8, 23, 30, "甲辰年\r\n丙寅月\r\n癸卯日\r\n壬子时", "[当代] 中国  公历纪元2024年  【龙年】"},
             // 小寒 1580-12-26 opens the 丑 month of 庚辰 while 立春 1581 is still a month away.
             Case{1580, 12, 30, 10, 0, "庚辰年\r\n己丑月\r\n庚寅日\r\n辛巳时", "[明] 神宗 朱翊钧 万历8年  【龙年】"},
         }) {
        const hj::MonthPage p = page(b, c.year, c.month, c.day, c.hour, c.minute);
        EXPECT_EQ(p.pillarText, c.pillars) << c.month << "-" << c.day << " " << c.hour << ":" << c.minute;
        EXPECT_EQ(p.eraLine, c.era) << c.month << "-" << c.day << " " << c.hour << ":" << c.minute;
    }
}

// In the minute of 立春 the year and the month always belong together: a new year with its 寅
// month, or the old year with its 丑 month.
TEST(MonthPage, LichunMinuteKeepsYearAndMonthTogether) {
    hj::MonthPageBuilder b;
    int oldYears = 0;
    for (int year = 1901; year <= 2100; ++year) {
        const hj::DateTime t = b.calendar().solarTermInstant(year, 2, true);
        const hj::MonthPage p = page(b, year, 2, t.day, t.hour, t.minute);
        const bool newYear = p.pillars[0] == hj::cycleMod(year + 6897, 60);
        EXPECT_EQ(p.pillarYear, newYear ? year : year - 1) << year;
        EXPECT_EQ(p.pillars[1] % 12, newYear ? 3 : 2) << year;
        const int s = p.pillars[0] % 10 == 0 ? 10 : p.pillars[0] % 10;
        const int firstMonthStem = (2 * (s > 5 ? s - 5 : s) + 1) % 10;  // 寅; 丑 is eleven months on
        EXPECT_EQ(p.pillars[1] % 10, newYear ? firstMonthStem : (firstMonthStem + 1) % 10) << year;
        oldYears += newYear ? 0 : 1;
    }
    EXPECT_GT(oldYears, 0);  // the case occurs in the range
}
