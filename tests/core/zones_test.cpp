// Clock times read with the zone history: summer time of the Chinese places, births abroad,
// skipped and repeated hours.
#include <gtest/gtest.h>

#include <string>

#include "core/calendar/date_text.h"
#include "core/chart/chart_record.h"
#include "core/chart/province_table.h"
#include "chart_test_support.h"

namespace hj {
namespace {

struct Birth {
    const char* what;
    int year, month, day, hour, minute;
    int province;          // ProvinceTable row (ignored abroad)
    const char* zone;      // "" for a Chinese place
    float longitude;
    int fold;
    int idate;
    const char* clock;     // expected birthClock (Beijing time), "" when refused
    const char* local;     // expected birthLocal
    int dstMinutes;
};

ChartRecord& chartOf(ChartRecord& r, const Birth& b) {
    r.request = ChartRequest{};
    r.request.year = static_cast<std::int16_t>(b.year);
    r.request.month = static_cast<std::int16_t>(b.month);
    r.request.day = static_cast<std::int16_t>(b.day);
    r.request.hour = static_cast<std::int16_t>(b.hour);
    r.request.minute = static_cast<std::int16_t>(b.minute);
    r.request.province = static_cast<std::int16_t>(b.province);
    r.request.zone = b.zone;
    r.request.longitude = b.longitude;
    r.request.fold = b.fold;
    r.settings = ChartSettings{};
    r.settings.idate = static_cast<std::uint8_t>(b.idate);
    return r;
}

// Transitions from the zone database: mainland summer time 1986 May 4 and 1987-1991 the
// second Sunday of April from 2:00 to 3:00, back on the Sunday after Sep 10 from 2:00 to 1:00;
// 1942-1945 all year; Hong Kong until 1979; Taiwan 1974-1975 and 1979. New York UTC-5, summer
// UTC-4 (2021: Mar 14 and Nov 7 at 2:00); Sydney UTC+10, summer UTC+11; New York before 1883
// kept the local mean time of its city, UTC-4:56:02.
const Birth kBirths[] = {
    {"Beijing summer 1988", 1988, 7, 1, 9, 30, 1, "", 116.4f, 1, 0, "1988-07-01 08:30", "1988-07-01 08:30", 60},
    {"Beijing winter 1988", 1988, 12, 1, 9, 30, 1, "", 116.4f, 1, 0, "1988-12-01 09:30", "1988-12-01 09:30", 0},
    {"1986 first day", 1986, 5, 4, 3, 0, 9, "", 121.5f, 1, 0, "1986-05-04 02:00", "1986-05-04 02:00", 60},
    {"1986 day before", 1986, 5, 3, 12, 0, 9, "", 121.5f, 1, 0, "1986-05-03 12:00", "1986-05-03 12:00", 0},
    {"1988 before the jump", 1988, 4, 17, 1, 59, 1, "", 116.4f, 1, 0, "1988-04-17 01:59", "1988-04-17 01:59", 0},
    {"1988 skipped hour", 1988, 4, 17, 2, 30, 1, "", 116.4f, 1, 0, "", "", 0},
    {"1988 after the jump", 1988, 4, 17, 3, 0, 1, "", 116.4f, 1, 0, "1988-04-17 02:00", "1988-04-17 02:00", 60},
    {"1988 last summer minute", 1988, 9, 11, 0, 59, 1, "", 116.4f, 1, 0, "1988-09-10 23:59", "1988-09-10 23:59", 60},
    {"1988 repeated, first", 1988, 9, 11, 1, 30, 1, "", 116.4f, 1, 0, "1988-09-11 00:30", "1988-09-11 00:30", 60},
    {"1988 repeated, second", 1988, 9, 11, 1, 30, 1, "", 116.4f, 2, 0, "1988-09-11 01:30", "1988-09-11 01:30", 0},
    {"1991 summer", 1991, 8, 1, 0, 30, 18, "", 113.3f, 1, 0, "1991-07-31 23:30", "1991-07-31 23:30", 60},
    {"1992 no summer time", 1992, 8, 1, 0, 30, 18, "", 113.3f, 1, 0, "1992-08-01 00:30", "1992-08-01 00:30", 0},
    {"1944 wartime summer", 1944, 1, 10, 12, 0, 9, "", 121.5f, 1, 0, "1944-01-10 11:00", "1944-01-10 11:00", 60},
    {"Hong Kong 1975", 1975, 7, 1, 12, 0, 32, "", 114.2f, 1, 0, "1975-07-01 11:00", "1975-07-01 11:00", 60},
    {"Hong Kong 1985", 1985, 7, 1, 12, 0, 32, "", 114.2f, 1, 0, "1985-07-01 12:00", "1985-07-01 12:00", 0},
    {"Taipei 1979", 1979, 8, 1, 12, 0, 31, "", 121.5f, 1, 0, "1979-08-01 11:00", "1979-08-01 11:00", 60},
    {"Taipei 1980", 1980, 8, 1, 12, 0, 31, "", 121.5f, 1, 0, "1980-08-01 12:00", "1980-08-01 12:00", 0},
    {"summer time, local mean time", 1988, 7, 1, 9, 30, 1, "", 116.5f, 1, 2, "1988-07-01 08:30", "1988-07-01 08:16", 60},
    {"New York January", 2000, 1, 15, 10, 0, 34, "America/New_York", -74.0f, 1, 0, "2000-01-15 23:00",
     "2000-01-15 10:00", 0},
    {"New York July", 2000, 7, 15, 10, 0, 34, "America/New_York", -74.0f, 1, 0, "2000-07-15 22:00", "2000-07-15 09:00",
     60},
    {"New York July, local mean time", 2000, 7, 15, 10, 0, 34, "America/New_York", -74.0f, 1, 2, "2000-07-15 22:00",
     "2000-07-15 09:04", 60},
    {"Sydney January", 2000, 1, 15, 10, 0, 34, "Australia/Sydney", 151.2f, 1, 0, "2000-01-15 07:00", "2000-01-15 09:00",
     60},
    {"New York skipped", 2021, 3, 14, 2, 30, 34, "America/New_York", -74.0f, 1, 0, "", "", 0},
    {"New York repeated, first", 2021, 11, 7, 1, 30, 34, "America/New_York", -74.0f, 1, 0, "2021-11-07 13:30",
     "2021-11-07 00:30", 60},
    {"New York repeated, second", 2021, 11, 7, 1, 30, 34, "America/New_York", -74.0f, 2, 0, "2021-11-07 14:30",
     "2021-11-07 01:30", 0},
    {"New York 1800", 1800, 6, 1, 12, 0, 34, "America/New_York", -74.0f, 1, 0, "1800-06-02 00:56", "1800-06-01 12:00",
     0},
};

TEST(Zones, ClockReadingsBecomeBeijingAndLocalTime) {
    ChartRecord r;
    for (const Birth& b : kBirths) {
        SCOPED_TRACE(b.what);
        const bool ok = chartOf(r, b).computePillars();
        if (!*b.clock) {
            EXPECT_FALSE(ok);
            EXPECT_NE(r.lastError.find("拨快了1小时（夏令时开始）"), std::string::npos) << r.lastError;
            continue;
        }
        ASSERT_TRUE(ok) << r.lastError;
        EXPECT_EQ(formatDateTime(r.birthClock), b.clock);
        EXPECT_EQ(formatDateTime(r.birthLocal), b.local);
        EXPECT_EQ(r.birthZone.dstSeconds, b.dstMinutes * 60);
    }
}

TEST(Zones, SettingDstOffTakesTheClockAsBeijingTime) {
    ChartRecord r;
    chartOf(r, kBirths[0]).settings.dst = false;
    ASSERT_TRUE(r.computePillars());
    EXPECT_EQ(formatDateTime(r.birthClock), "1988-07-01 09:30");
    EXPECT_FALSE(r.birthZone.converted);
}

TEST(Zones, SummerTimeMovesTheHourPillar) {
    ChartRecord r;
    ASSERT_TRUE(chartOf(r, kBirths[0]).computePillars());
    EXPECT_EQ(r.pillars[3] % 12, 5);  // 辰 (08:30 Beijing standard time), not 巳
}

TEST(Zones, UnknownZoneIsRefused) {
    ChartRecord r;
    Birth b = kBirths[18];
    b.zone = "Mars/Olympus_Mons";
    EXPECT_FALSE(chartOf(r, b).computePillars());
    EXPECT_NE(r.lastError.find("Mars/Olympus_Mons"), std::string::npos);
}

// The report: no conversion keeps every byte; a conversion adds the clock line.
TEST(Zones, ReportBirthLines) {
    ChartRecord r;
    r.setTextTable(&fixtures::idTextTable());
    r.reportOutput = false;
    ChartRequest q;
    q.year = 1995;
    q.month = 7;
    q.day = 1;
    q.hour = 9;
    q.minute = 30;
    q.province = 1;
    q.place = "北京市-北京";
    ASSERT_TRUE(r.setSettingOverride("dst", "0"));
    ASSERT_TRUE(r.buildReport(q));
    const std::string without = r.report;
    r.clearSettingOverrides();
    ASSERT_TRUE(r.buildReport(q));
    EXPECT_EQ(r.report, without);

    q.year = 1988;
    ASSERT_TRUE(r.buildReport(q));
    EXPECT_NE(r.report.find("出生地:北京市-北京。\r\n出生公历：1988年7月1日9时30分(钟表时间，Asia/Shanghai，夏令时，"
                            "已减1小时)。\r\n出生公历：1988年7月1日8时30分(北京时间)，"),
              std::string::npos)
        << r.report.substr(0, 300);

    q.zone = "America/New_York";
    q.place = "纽约";
    q.longitude = -74.0f;
    q.latitude = 40.7f;
    q.year = 2021;
    q.month = 11;
    q.day = 7;
    q.hour = 1;
    q.fold = 2;
    ASSERT_TRUE(r.buildReport(q));
    EXPECT_NE(r.report.find("出生公历：2021年11月7日1时30分(钟表时间，America/New_York，UTC-5，重复的钟点取第二次)。\r\n"
                            "出生公历：2021年11月7日14时30分(北京时间)。\r\n出生公历：2021年11月7日1时30分(当地标准时间)"),
              std::string::npos)
        << r.report.substr(0, 400);
}

}  // namespace
}  // namespace hj
