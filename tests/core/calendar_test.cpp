#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "core/calendar/calendar.h"
#include "core/calendar/calendar_data.h"
#include "core/calendar/date_text.h"
#include "core/text/gbk.h"

using namespace hj;

namespace {
DateTime day(int y, int m, int d, int h = 12, int mi = 0) {
    return DateTime{static_cast<std::int16_t>(y), static_cast<std::int16_t>(m), static_cast<std::int16_t>(d),
                    static_cast<std::int16_t>(h), static_cast<std::int16_t>(mi)};
}
}  // namespace

TEST(DayNumbers, J2000WeekdayAndCycle) {
    Calendar cal;
    EXPECT_DOUBLE_EQ(cal.julianDayOf(day(2000, 1, 1)), 2451545.0 + 1.0 / 86400);
    EXPECT_EQ(cal.calcTime().second, 1);
    EXPECT_EQ(cal.weekdayOf(day(2000, 1, 1, 23, 59)), 6);
    int c = cal.dayCycleIndex(day(2000, 1, 1, 0, 0));
    EXPECT_EQ(c, 55);
    EXPECT_EQ(ganZhiName(c), "戊午");
    EXPECT_EQ(ganZhiName(1), "甲子");
    EXPECT_EQ(ganZhiName(0), "癸亥");
}

TEST(DayNumbers, GregorianReformAndMonthLengths) {
    Calendar cal;
    DateTime d = day(1582, 10, 4);
    cal.nextDay(d);
    EXPECT_EQ(d, day(1582, 10, 15));
    struct Case { DateTime date; bool exists; };
    const Case cases[] = {
        {day(1582, 10, 10), false}, {day(1582, 10, 5), false}, {day(1582, 10, 14), false},
        {day(1582, 10, 4), true},   {day(1582, 10, 15), true}, {day(1582, 10, 31), true},
        {day(1500, 2, 29), true},   {day(1300, 2, 29), true},  {day(1900, 2, 29), false},
        {day(2000, 2, 29), true},   {day(2023, 2, 29), false}, {day(2024, 4, 31), false},
        {day(-4712, 1, 1), true},   {day(0, 2, 29), true},     {day(2024, 12, 31), true}};
    for (const Case& c : cases) EXPECT_EQ(cal.dayExists(c.date), c.exists) << formatDate(c.date);
    // Weekdays run on across the reform: Thursday 4 October, Friday 15 October.
    EXPECT_EQ(cal.weekdayOf(day(1582, 10, 4)), 4);
    EXPECT_EQ(cal.weekdayOf(day(1582, 10, 15)), 5);
}

TEST(DayNumbers, RoundingToTheMinute) {
    Calendar cal;
    const double base = cal.julianDay(2024, 3, 1 + (10 + 20.0 / 60) / 24);  // 10:20:00
    DateTime a = cal.dateTimeOf(base + 30.4 / 86400);
    DateTime b = cal.dateTimeOf(base + 31.5 / 86400);
    EXPECT_EQ(a, day(2024, 3, 1, 10, 20));
    EXPECT_EQ(b, day(2024, 3, 1, 10, 21));
    // Rounding carries across midnight and the month end.
    EXPECT_EQ(cal.dateTimeOf(cal.julianDay(2024, 2, 29 + (23 + 59.0 / 60) / 24) + 45.0 / 86400), day(2024, 3, 1, 0, 0));
}

TEST(CycleAndNumerals, Tables) {
    struct Pair { int stem, branch, index; };
    for (const Pair& p : {Pair{1, 1, 1}, Pair{0, 0, 0}, Pair{3, 3, 3}, Pair{1, 11, 11}, Pair{9, 11, 59}, Pair{0, 10, 10}})
        EXPECT_EQ(cycleIndexOf(p.stem, p.branch), p.index) << p.stem << "," << p.branch;
    for (int n = 0; n < 60; ++n) EXPECT_EQ(cycleIndexOf(n % 10, n % 12), n);

    struct Num { int n; const char* text; };
    for (const Num& c : {Num{1, "一"}, Num{9, "九"}, Num{10, "十"}, Num{12, "十二"}, Num{20, "二十"}, Num{21, "廿一"},
                         Num{29, "廿九"}, Num{30, "三十"}, Num{31, "三一"}, Num{100, "一○○"}, Num{1984, "一九八四"},
                         Num{2024, "二○二四"}, Num{0, "○○○○"}, Num{-5, "前五"}, Num{-12, "前○○一二"},
                         Num{-27, "前○○二七"}, Num{-30, "前○○三○"}, Num{-31, "前三一"}, Num{-99, "前九九"}, Num{-100, "前一○○"},
                         Num{-2069, "前二○六九"}})
        EXPECT_EQ(chineseNumber(c.n), c.text) << c.n;

    struct Round { double x; int digits; double expect; };
    for (const Round& r : {Round{2.5, 0, 2}, Round{-2.5, 0, -3}, Round{1.26, 1, 1.3}, Round{1.24, 1, 1.2},
                           Round{0.125, 2, 0.12}, Round{7, 0, 7}})
        EXPECT_DOUBLE_EQ(roundTo(r.x, r.digits), r.expect) << r.x;
}

TEST(SolarTerms, PublishedMinutes) {
    Calendar cal;
    struct Case { int year; int index; const char* when; };
    const Case cases[] = {
        {2000, 2, "2000-02-04 20:40"}, {2000, 3, "2000-02-19 16:33"}, {2024, 2, "2024-02-04 16:27"},
        {2024, 3, "2024-02-19 12:13"}, {2024, 23, "2024-12-21 17:20"}, {2023, 5, "2023-03-21 05:24"},
    };
    for (const Case& c : cases) {
        auto terms = cal.termsOfYear(c.year);
        ASSERT_EQ(terms.size(), 24u) << c.year;
        EXPECT_EQ(terms[static_cast<std::size_t>(c.index)].index, c.index);
        EXPECT_EQ(formatDateTime(terms[static_cast<std::size_t>(c.index)].time), c.when);
    }
    // The month-term entry point agrees with the year list.
    EXPECT_EQ(formatDateTime(cal.solarTermInstant(2024, 2, true)), "2024-02-04 16:27");
    EXPECT_EQ(formatDateTime(cal.solarTermInstant(2024, 2, false)), "2024-02-19 12:13");
}

TEST(SolarTerms, EveryYearHasTwentyFourInOrder) {
    Calendar cal;
    for (int y : {-3000, -721, -104, 1, 1281, 1645, 1900, 1960, 2057, 2100, 3000}) {
        auto terms = cal.termsOfYear(y);
        ASSERT_EQ(terms.size(), 24u) << y;
        // Far back the Julian calendar has drifted (冬至 falls in January of -3000,
        // 小寒 in December of the year before in 1281), so only
        // the succession is fixed, not the first term.
        for (std::size_t i = 0; i < terms.size(); ++i) {
            EXPECT_EQ(terms[i].time.year, y);
            if (i > 0) {
                EXPECT_EQ(terms[i].index, (terms[i - 1].index + 1) % 24) << y;
            }
        }
        if (y >= 1645) {
            EXPECT_EQ(terms[0].index, 0) << y;
        }
    }
    // 1582: Julian dates before the reform (equinox on 11 March), Gregorian after (solstice 22 December).
    // It is ten days short, so it holds only 23 terms, from 大寒.
    auto t1582 = cal.termsOfYear(1582);
    ASSERT_EQ(t1582.size(), 23u);
    EXPECT_EQ(t1582[0].index, 1);
    EXPECT_EQ(formatDate(t1582[4].time), "1582-03-11");
    EXPECT_EQ(formatDate(t1582[22].time), "1582-12-22");
}

TEST(SolarTerms, MonthBoundaryAtTheJie) {
    Calendar cal;
    DateTime jie, mid, next;
    // 立春 2024 falls at 16:27 (and some seconds): 16:26 is still the 丑 month, 16:28 the 寅 month.
    EXPECT_EQ(cal.termsAround(day(2024, 2, 4, 16, 26), jie, mid, next), 2);
    EXPECT_EQ(formatDateTime(jie), "2024-01-06 04:49");
    EXPECT_EQ(cal.termsAround(day(2024, 2, 4, 16, 28), jie, mid, next), 3);
    EXPECT_EQ(formatDateTime(jie), "2024-02-04 16:27");
    EXPECT_EQ(formatDateTime(mid), "2024-02-19 12:13");
    EXPECT_EQ(next.month, 3);
    // Early January before 小寒 belongs to the 子 month of the year before; December after 大雪 too.
    EXPECT_EQ(cal.termsAround(day(2024, 1, 2), jie, mid, next), 1);
    EXPECT_EQ(jie.year, 2023);
    EXPECT_EQ(cal.termsAround(day(2024, 12, 31, 23, 59), jie, mid, next), 1);
    EXPECT_EQ(next.year, 2025);
}

TEST(LunarCalendar, PublishedDates) {
    Calendar cal;
    struct Case { DateTime civil; int ly, lm, ld; bool leap; };
    const Case cases[] = {
        {day(2024, 2, 10), 2024, 1, 1, false},  {day(2024, 2, 9), 2023, 12, 30, false},
        {day(2023, 3, 22), 2023, 2, 1, true},   {day(2023, 3, 21), 2023, 2, 30, false},
        {day(2033, 12, 22), 2033, 11, 1, true}, {day(1984, 11, 23), 1984, 10, 1, true},
        {day(2000, 2, 5), 2000, 1, 1, false},   {day(1901, 2, 19), 1901, 1, 1, false},
        {day(2020, 1, 25), 2020, 1, 1, false},  {day(2020, 5, 23), 2020, 4, 1, true},
        {day(2017, 7, 23), 2017, 6, 1, true},   {day(2014, 10, 24), 2014, 9, 1, true},
        {day(2100, 2, 9), 2100, 1, 1, false},   {day(1949, 10, 1), 1949, 8, 10, false},
        {day(2024, 12, 31), 2024, 12, 1, false}, {day(2025, 7, 25), 2025, 6, 1, true},
    };
    for (const Case& c : cases) {
        bool leap = true;
        DateTime l = cal.solarToLunar(c.civil, leap);
        EXPECT_EQ(l.year, c.ly) << formatDate(c.civil);
        EXPECT_EQ(l.month, c.lm) << formatDate(c.civil);
        EXPECT_EQ(l.day, c.ld) << formatDate(c.civil);
        EXPECT_EQ(leap, c.leap) << formatDate(c.civil);
    }
}

TEST(LunarCalendar, LeapMonthsOfKnownYears) {
    Calendar cal;
    struct Leap { int year, month; };
    const Leap leaps[] = {{1903, 5}, {1919, 7}, {1938, 7}, {1957, 8}, {1976, 8}, {1984, 10}, {1987, 6}, {1990, 5},
                          {1993, 3}, {1995, 8}, {1998, 5}, {2001, 4}, {2004, 2}, {2006, 7}, {2009, 5}, {2012, 4},
                          {2023, 2}, {2028, 5}, {2031, 3}, {2033, 11}};
    for (const Leap& l : leaps) {
        int found = 0, foundMonth = 0;
        DateTime d = day(l.year, 1, 25);
        for (int i = 0; i < 365; ++i, cal.nextDay(d)) {
            bool leap = false;
            DateTime lunar = cal.solarToLunar(d, leap);
            if (leap && lunar.day == 1) {
                ++found;
                foundMonth = lunar.month;
            }
        }
        EXPECT_EQ(found, 1) << l.year;
        EXPECT_EQ(foundMonth, l.month) << l.year;
    }
}

TEST(LunarCalendar, LunarToSolarRoundTripsAndRefusals) {
    Calendar cal;
    DateTime out;
    struct Case { DateTime lunar; bool leap; const char* civil; };
    const Case ok[] = {{day(2023, 2, 1, 8, 30), true, "2023-03-22"},  {day(2023, 2, 1), false, "2023-02-20"},
                       {day(2023, 2, 30), false, "2023-03-21"},      {day(2024, 1, 1), false, "2024-02-10"},
                       {day(2023, 12, 30), false, "2024-02-09"},     {day(2033, 11, 1), true, "2033-12-22"},
                       {day(1984, 10, 29), true, "1984-12-21"}};
    for (const Case& c : ok) {
        ASSERT_TRUE(cal.lunarToSolar(c.lunar, c.leap, out)) << c.civil;
        EXPECT_EQ(formatDate(out), c.civil);
        EXPECT_EQ(out.hour, c.lunar.hour);
        EXPECT_EQ(out.minute, c.lunar.minute);
    }
    struct Bad { DateTime lunar; bool leap; };
    for (const Bad& b : {Bad{day(2024, 1, 30), false}, Bad{day(2023, 3, 1), true}, Bad{day(2024, 13, 1), false},
                         Bad{day(2024, 0, 1), false}, Bad{day(2024, 5, 31), false},
                         Bad{day(1984, 10, 30), true}}) {
        EXPECT_FALSE(cal.lunarToSolar(b.lunar, b.leap, out));
        EXPECT_EQ(cal.lastError(), "不存在这个农历日期，无法转换到公历！");
    }
    // Every day of a range converts back to itself.
    DateTime d = day(2019, 11, 1);
    for (int i = 0; i < 500; ++i, cal.nextDay(d)) {
        bool leap = false;
        DateTime l = cal.solarToLunar(d, leap);
        ASSERT_TRUE(cal.lunarToSolar(l, leap, out));
        ASSERT_EQ(formatDate(out), formatDate(d));
    }
}

TEST(LunarCalendar, CachedYearsGiveTheSameAnswersAndFields) {
    Calendar shared;
    std::mt19937 rng(20240210);
    std::uniform_int_distribution<int> pick(0, 200 * 365);
    Calendar probe;
    const double start = probe.julianDay(1901, 1, 1.5);
    for (int i = 0; i < 200; ++i) {
        DateTime d = probe.dateTimeOf(start + pick(rng));
        Calendar fresh;
        bool l1 = false, l2 = false;
        DateTime a = shared.solarToLunar(d, l1);
        DateTime b = fresh.solarToLunar(d, l2);
        ASSERT_EQ(a, b) << formatDate(d);
        ASSERT_EQ(l1, l2);
        ASSERT_EQ(shared.leapIndex, fresh.leapIndex);
        ASSERT_EQ(shared.monthNumbers, fresh.monthNumbers);
        ASSERT_EQ(shared.newMoonDays, fresh.newMoonDays);
        ASSERT_EQ(shared.termDays, fresh.termDays);
        ASSERT_EQ(shared.currentDay, fresh.currentDay);
    }
}

TEST(LunarCalendar, OldCalendars) {
    Calendar cal;
    // Between -721 and -104 there are no leap months; some years carry a thirteenth month
    // (13) or, under the -220 rule, a second 后九月 numbered 10.
    bool saw13 = false, saw10Twice = false;
    for (int y = -700; y <= -110; y += 3) {
        DateTime d = day(y, 1, 1);
        int tens = 0;
        for (int i = 0; i < 366; ++i, cal.nextDay(d)) {
            bool leap = true;
            DateTime l = cal.solarToLunar(d, leap);
            ASSERT_FALSE(leap) << y;
            if (l.day == 1 && l.month == 13) saw13 = true;
            if (l.day == 1 && l.month == 10) ++tens;
        }
        if (y >= -200 && tens >= 2) saw10Twice = true;
    }
    EXPECT_TRUE(saw13);
    EXPECT_TRUE(saw10Twice);
}

TEST(CalcDay, HistoricalSeams) {
    Calendar cal;
    // The mean-calendar day 1683460 is moved to 1683461 by the old calendar.
    for (double d = 1683400 - 2451545.0; d < 1683520 - 2451545.0; d += 1) {
        EXPECT_NE(cal.calcDay(d, EventKind::NewMoon), 1683460 - 2451545);
        EXPECT_NE(cal.calcDay(d, EventKind::Term), 1683460 - 2451545);
    }
    // Across 1960-01-01 the low-precision days with corrections meet the modern solver: new
    // moons stay 29 or 30 days apart and terms 14 to 16 days apart.
    for (double d = 2436935 - 2451545.0 - 120; d < 2436935 - 2451545.0 + 120; d += 29.5306) {
        int a = cal.calcDay(d, EventKind::NewMoon), b = cal.calcDay(d + 29.5306, EventKind::NewMoon);
        EXPECT_TRUE(b - a == 29 || b - a == 30) << d;
    }
    for (double d = 2436935 - 2451545.0 - 60; d < 2436935 - 2451545.0 + 60; d += 15.2184) {
        int a = cal.calcDay(d, EventKind::Term), b = cal.calcDay(d + 15.2184, EventKind::Term);
        EXPECT_TRUE(b - a >= 14 && b - a <= 16) << d;
    }
    EXPECT_EQ(caldata::expandCorrections("J1aF2"), std::string("00") + "1" + "0000000001" + std::string(10, '0') + "2");
    EXPECT_GT(cal.newMoonCorrections().size(), 1000u);
    EXPECT_EQ(cal.termCorrections().find_first_not_of("012"), std::string::npos);
}

TEST(Eras, Texts) {
    Calendar cal;
    EXPECT_EQ(caldata::eras().size(), 532u);
    struct Case { int year; const char* text; };
    for (const Case& c : {
             Case{1949, "[当代] 中国  公历纪元1949年"},
             Case{2024, "[当代] 中国  公历纪元2024年"},
             Case{1368, "[元] 惠宗 孛儿只斤·妥懽帖睦尔 至正28年；[明] 太祖 朱元璋 洪武1年"},
             Case{-2069, "[夏] 禹  禹1年"},
             Case{-2070, ""},
             // Offsets: an era carried on by the next ruler counts on.
             Case{906, "[唐] 昭宣帝 李柷 天祐3年"},
             Case{947, "[五代/汉] 高祖 刘知远 天福12年"},
             // One era a year, not 后汉 天福 running on beside 乾祐 and 显德.
             Case{950, "[五代/汉] 隐帝 刘承祐 乾祐3年"},
             Case{295, "[西晋] 惠帝 司马衷 元康5年"},
             // A change of dynasty: the outgoing era's last year is the incoming one's first.
             Case{23, "[新]  王莽 地皇4年；[西汉] 更始帝 刘玄 更始1年"},
             Case{25, "[西汉] 更始帝 刘玄 更始3年；[东汉] 光武帝 刘秀 建武1年"},
             Case{220, "[东汉] 献帝 刘协 建安25年；[三国-魏] 文帝 曹丕 黄初1年"},
             Case{265, "[三国-魏] 元帝 曹奂 咸熙2年；[西晋] 武帝 司马炎 泰始1年"},
             Case{317, "[西晋] 愍帝 司马邺 建兴5年；[东晋] 元帝 司马睿 建武1年"},
             Case{420, "[东晋] 恭帝 司马德文 元熙2年；[南朝/宋] 武帝 刘裕 永初1年；[北朝/北魏] 明元帝 拓跋嗣 泰常5年"},
             Case{221, "[三国-魏] 文帝 曹丕 黄初2年"},
         })
        EXPECT_EQ(cal.eraText(c.year), c.text) << c.year;
    // Every text can be stored: the program's files and windows are GBK.
    std::string gbk;
    for (const caldata::Era& e : caldata::eras())
        EXPECT_TRUE(text::utf8ToGbk(e.dynasty + e.title + e.personalName + e.name, gbk)) << e.first << " " << e.name;
}

TEST(DateText, ParsingRefusesMalformedInput) {
    DateTime d;
    std::string err;
    EXPECT_TRUE(parseDate("-0001-03-04", d, err));
    EXPECT_EQ(d.year, -1);
    EXPECT_EQ(formatDate(d), "-0001-03-04");
    EXPECT_TRUE(parseDateTime("2024-02-04 16:27", d, err));
    EXPECT_EQ(formatDateTime(d), "2024-02-04 16:27");
    for (const char* bad : {"", "2024", "2024-13-01", "2024-00-10", "2024-1-32", "2024-01-01x", "x2024-01-01",
                            "2024--01-01", "999999-01-01", "2024-01-01 24:00", "2024-01-01 10:60", "2024-01-01 1:5x"}) {
        bool ok = std::string(bad).find(' ') == std::string::npos ? parseDate(bad, d, err) : parseDateTime(bad, d, err);
        EXPECT_FALSE(ok) << bad;
        EXPECT_FALSE(err.empty());
    }
    int y;
    EXPECT_TRUE(parseYear("-721", y, err));
    EXPECT_EQ(y, -721);
    EXPECT_FALSE(parseYear("20a4", y, err));
}
