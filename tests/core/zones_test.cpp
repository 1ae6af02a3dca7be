// Clock times read with the zone history: summer time of the Chinese places, births abroad,
// skipped and repeated hours.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <ctime>
#include <string>

#include "core/calendar/calendar.h"
#include "core/calendar/date_text.h"
#include "core/casestore/case_store.h"
#include "core/chart/chart.h"
#include "core/chart/derived.h"
#include "core/places/province_table.h"
#include "core/report/report.h"
#include "core/uncertainty/boundaries.h"
#include "core/zones/case_zone.h"
#include "core/zones/world_places.h"
#include "core/zones/zone_names.h"
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

// The pillars of a birth with the row's idate and the setting dst; empty with `error`.
std::optional<BirthPillars> pillarsOf(const Birth& b, std::string& error, bool dst = true) {
    ChartRequest q;
    q.year = static_cast<std::int16_t>(b.year);
    q.month = static_cast<std::int16_t>(b.month);
    q.day = static_cast<std::int16_t>(b.day);
    q.hour = static_cast<std::int16_t>(b.hour);
    q.minute = static_cast<std::int16_t>(b.minute);
    q.province = static_cast<std::int16_t>(b.province);
    q.zone = b.zone;
    q.longitude = b.longitude;
    q.fold = b.fold;
    ChartSettings settings;
    settings.idate = static_cast<std::uint8_t>(b.idate);
    settings.dst = dst;
    return castPillars(q, settings, error);
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
    for (const Birth& b : kBirths) {
        SCOPED_TRACE(b.what);
        std::string error;
        const std::optional<BirthPillars> r = pillarsOf(b, error);
        if (!*b.clock) {
            EXPECT_FALSE(r);
            EXPECT_NE(error.find("拨快了1小时（夏令时开始）"), std::string::npos) << error;
            continue;
        }
        ASSERT_TRUE(r) << error;
        EXPECT_EQ(formatDateTime(r->birthClock), b.clock);
        EXPECT_EQ(formatDateTime(r->birthLocal), b.local);
        EXPECT_EQ(r->birthZone.dstSeconds, b.dstMinutes * 60);
    }
}

TEST(Zones, SettingDstOffTakesTheClockAsBeijingTime) {
    std::string error;
    const std::optional<BirthPillars> r = pillarsOf(kBirths[0], error, false);
    ASSERT_TRUE(r);
    EXPECT_EQ(formatDateTime(r->birthClock), "1988-07-01 09:30");
    EXPECT_FALSE(r->birthZone.converted);
}

TEST(Zones, SummerTimeMovesTheHourPillar) {
    std::string error;
    const std::optional<BirthPillars> r = pillarsOf(kBirths[0], error);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->pillars[3] % 12, 5);  // 辰 (08:30 Beijing standard time), not 巳
}

// A Beijing standard time back to the clock: the way back of the summer-time rows above.
TEST(Zones, ChinaClockOfBeijingTime) {
    Calendar calendar;
    for (const Birth& b : kBirths) {
        if (*b.zone || !*b.clock || b.idate != 0 || (b.fold == 2)) continue;
        SCOPED_TRACE(b.what);
        std::string error;
        const std::optional<BirthPillars> r = pillarsOf(b, error);
        ASSERT_TRUE(r);
        EXPECT_EQ(zones::chinaClockOf(calendar, r->birthClock, b.province), r->request.entered());
    }
}

TEST(Zones, UnknownZoneIsRefused) {
    Birth b = kBirths[18];
    b.zone = "Mars/Olympus_Mons";
    std::string error;
    EXPECT_FALSE(pillarsOf(b, error));
    EXPECT_NE(error.find("Mars/Olympus_Mons"), std::string::npos);
}

// The report: no conversion keeps every byte; a conversion adds the clock line.
TEST(Zones, ReportBirthLines) {
    // The report of a request under `settings`, with the fixture texts.
    auto reportOf = [](const ChartRequest& q, const ChartSettings& settings) {
        std::string error;
        const std::optional<Chart> chart = castChart(q, settings, error);
        EXPECT_TRUE(chart) << error;
        ReportSources sources;
        sources.texts = &fixtures::idTextTable();
        return chart ? buildReport(*chart, sources).text : std::string();
    };
    ChartRequest q;
    q.year = 1995;
    q.month = 7;
    q.day = 1;
    q.hour = 9;
    q.minute = 30;
    q.province = 1;
    q.place = "北京市-北京";
    ChartSettings dstOff;
    ASSERT_TRUE(applyChartSetting(dstOff, "dst", "0"));
    const std::string without = reportOf(q, dstOff);
    ASSERT_FALSE(without.empty());
    EXPECT_EQ(reportOf(q, ChartSettings{}), without);

    q.year = 1988;
    std::string report = reportOf(q, ChartSettings{});
    EXPECT_NE(report.find("出生地:北京市-北京。\r\n出生公历：1988年7月1日9时30分(钟表时间，中国时间，夏令时，"
                            "已减1小时)。\r\n出生公历：1988年7月1日8时30分(北京时间)，"),
              std::string::npos)
        << report.substr(0, 300);

    q.zone = "America/New_York";
    q.place = "纽约";
    q.longitude = -74.0f;
    q.latitude = 40.7f;
    q.year = 2021;
    q.month = 11;
    q.day = 7;
    q.hour = 1;
    q.fold = 2;
    report = reportOf(q, ChartSettings{});
    EXPECT_NE(report.find("出生公历：2021年11月7日1时30分(钟表时间，北美东部时间，西五区，重复的钟点取第二次)。\r\n"
                            "出生公历：2021年11月7日14时30分(北京时间)。\r\n出生公历：2021年11月7日1时30分(当地标准时间)"),
              std::string::npos)
        << report.substr(0, 400);
    // Abroad the hemispheres are named instead of a minus sign.
    EXPECT_NE(report.find("出生地:纽约,西经74度0分,北纬40度42分。\r\n"), std::string::npos) << report.substr(0, 200);
    q.zone = "Australia/Sydney";
    q.place = "悉尼";
    q.longitude = 151.2f;
    q.latitude = -33.9f;
    q.fold = 1;
    report = reportOf(q, ChartSettings{});
    EXPECT_NE(report.find("出生地:悉尼,东经151度12分,南纬33度54分。\r\n"), std::string::npos) << report.substr(0, 200);
}

// A clock time that occurred twice at a Chinese place (summer time ended at 02:00 on
// 1988-09-11): the report says which of the two it took, and takes the one asked for; the
// conventions of a birth abroad name the clock its day and hour pillars came from.
TEST(Zones, TheReportSaysWhichRepeatedTimeWasTaken) {
    struct Case {
        const char* what;
        int province, fold;
        const char* clockLine;  // the report's first birth line
        const char* hourPillar;
    } const cases[] = {
        {"first, no place", ProvinceTable::kUnknown, 1, "(钟表时间，中国时间，夏令时，已减1小时，重复的钟点取第一次)", "甲子"},
        {"second, no place", ProvinceTable::kUnknown, 2, "(钟表时间，中国时间，重复的钟点取第二次)", "乙丑"},
        {"second, Beijing", 1, 2, "(钟表时间，中国时间，重复的钟点取第二次)", "乙丑"},
        {"second, Taipei (no summer time in 1988)", 31, 2, "", "乙丑"},
    };
    for (const Case& c : cases) {
        ChartRequest q;
        q.year = 1988;
        q.month = 9;
        q.day = 11;
        q.hour = 1;
        q.minute = 30;
        q.province = static_cast<std::int16_t>(c.province);
        q.fold = c.fold;
        std::string error;
        const std::optional<Chart> chart = castChart(q, ChartSettings{}, error);
        ASSERT_TRUE(chart) << c.what << ": " << error;
        ReportSources sources;
        sources.texts = &fixtures::idTextTable();
        const std::string report = buildReport(*chart, sources).text;
        const std::string line = std::string("出生公历：1988年9月11日1时30分") + c.clockLine;
        if (*c.clockLine) {
            EXPECT_NE(report.find(line + "。\r\n"), std::string::npos) << c.what << "\n" << report.substr(0, 300);
        } else {
            EXPECT_EQ(report.find("钟表时间"), std::string::npos) << c.what << "\n" << report.substr(0, 300);
        }
        EXPECT_EQ(pillarName(chart->pillars[3]), c.hourPillar) << c.what;
    }
    ChartSettings s;
    EXPECT_EQ(chartConventions(s, false)[1].value, "北京时间");
    EXPECT_EQ(chartConventions(s, true)[1].value, "当地标准时间");
    s.dst = false;
    EXPECT_EQ(chartConventions(s, false)[2].value, "钟表时间不减夏令时");
    EXPECT_EQ(chartConventions(s, true)[2].value, "钟表时间减去夏令时");  // abroad it is always removed
    s.idate = 1;
    EXPECT_EQ(chartConventions(s, true)[1].value, "真太阳时");
}

// The report names zones and offsets in Chinese: the zone's name where the table has one (an
// alias as its zone), the offset as a zone number for whole hours, else as its difference.
TEST(ZoneNames, ChineseNamesAndOffsets) {
    const struct {
        const char* zone;
        const char* name;
    } names[] = {{"America/New_York", "北美东部时间"}, {"US/Eastern", "北美东部时间"}, {"Asia/Shanghai", "中国时间"},
                 {"Asia/Hong_Kong", "中国香港特别行政区时间"}, {"Europe/London", "英国时间"}, {"Etc/GMT+5", ""},
                 {"Nowhere/Atlantis", ""}};
    for (const auto& c : names) EXPECT_EQ(zones::zoneChineseName(c.zone), c.name) << c.zone;
    const struct {
        int seconds;
        const char* text;
    } offsets[] = {{8 * 3600, "东八区"},        {-5 * 3600, "西五区"},
                   {0, "零时区"},               {12 * 3600, "东十二区"},
                   {-10 * 3600, "西十区"},      {13 * 3600, "比世界时早13小时"},
                   {19800, "比世界时早5小时30分"}, {-(4 * 3600 + 56 * 60 + 2), "比世界时晚4小时56分2秒"},
                   {-1800, "比世界时晚30分"}};
    for (const auto& c : offsets) EXPECT_EQ(zones::offsetChineseText(c.seconds), c.text) << c.seconds;
}

}  // namespace
}  // namespace hj

namespace hj {
namespace {

// An independent reading of the zone database: the C library's, from the system's tzdata.
// Random clock times away from any change (the offsets three hours either side agree) must give
// the same Beijing time.
TEST(Zones, AgreesWithTheSystemZoneDatabase) {
#ifdef _WIN32
    GTEST_SKIP() << "the C library of Windows has no zone database to compare with (ZoneSources compares the built-in rules)";
#else
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (const char* zone : {"America/New_York", "Australia/Sydney", "Europe/London", "America/Sao_Paulo",
                             "Asia/Kolkata"}) {
        setenv("TZ", zone, 1);
        tzset();
        int compared = 0;
        for (int i = 0; i < 200; ++i) {
            const std::time_t t = static_cast<std::time_t>(next() % 1700000000u) + 100000000;  // 1973..2027
            std::tm before{}, at{}, after{};
            const std::time_t tb = t - 3 * 3600, ta = t + 3 * 3600;
            localtime_r(&tb, &before);
            localtime_r(&t, &at);
            localtime_r(&ta, &after);
            if (before.tm_gmtoff != at.tm_gmtoff || after.tm_gmtoff != at.tm_gmtoff) continue;
            const std::time_t beijing = t + 8 * 3600;
            std::tm bj{};
            gmtime_r(&beijing, &bj);
            Birth b{zone, at.tm_year + 1900, at.tm_mon + 1, at.tm_mday, at.tm_hour, at.tm_min, 34, zone, 0.0f, 1, 0,
                    "", "", 0};
            std::string error;
            const std::optional<BirthPillars> r = pillarsOf(b, error);
            ASSERT_TRUE(r) << error;
            char want[64];
            std::snprintf(want, sizeof want, "%04d-%02d-%02d %02d:%02d", bj.tm_year + 1900, bj.tm_mon + 1, bj.tm_mday,
                          bj.tm_hour, bj.tm_min);
            EXPECT_EQ(formatDateTime(r->birthClock), want) << zone << " " << formatDateTime(r->request.entered());
            EXPECT_EQ(r->birthZone.standardSeconds + r->birthZone.dstSeconds, at.tm_gmtoff) << zone;
            ++compared;
        }
        EXPECT_GT(compared, 150) << zone;
    }
    unsetenv("TZ");
    tzset();
#endif
}

}  // namespace
}  // namespace hj

namespace hj::zones {
namespace {

TEST(WorldPlaces, ZonesSurviveTheRecordPadBytes) {
    struct Case {
        const char* zone;
        int fold;
        const char* kept;  // "" when the record keeps no zone
    } const cases[] = {{"America/New_York", 1, "America/New_York"}, {"Australia/Sydney", 2, "Australia/Sydney"},
                       {"US/Eastern", 1, "America/New_York"},       {"", 1, ""}};
    for (const Case& c : cases) {
        casestore::CaseRecord r;
        ASSERT_TRUE(storeZone(r, c.zone, c.fold)) << c.zone;
        casestore::RecordBytes bytes{};
        ASSERT_TRUE(casestore::encodeRecord(r, bytes, nullptr));
        const casestore::CaseRecord back = casestore::decodeRecord(bytes.data());
        std::string zone;
        int fold = 0;
        EXPECT_EQ(storedZone(back, zone, fold), *c.kept != 0) << c.zone;
        EXPECT_EQ(zone, c.kept);
        EXPECT_EQ(fold, *c.kept ? c.fold : 1);
    }
    // Pad bytes that some other writer left: no zone unless the check fits.
    casestore::CaseRecord junk;
    junk.pad45 = 0x33;
    junk.pad50 = 0x0107;
    std::string zone;
    int fold = 0;
    EXPECT_FALSE(storedZone(junk, zone, fold));
    junk.pad50 = 0x7FFF;
    junk.pad45 = static_cast<std::uint8_t>(0x5A ^ 0xFF ^ 0x7F);
    EXPECT_FALSE(storedZone(junk, zone, fold));  // a number beyond the list
    casestore::CaseRecord r;
    EXPECT_FALSE(storeZone(r, "Etc/GMT+5", 1));  // no place of the list has it
}

TEST(WorldPlaces, SearchByChineseOrEnglishNameAndUserPlaces) {
    const std::vector<WorldPlace> user = {{"新约克", "", "New York", "America/New_York", -74.0f, 40.7f, true}};
    struct Case {
        const char* text;
        const char* firstZone;
        const char* firstCity;
    } const cases[] = {{"纽约", "America/New_York", "纽约"},
                       {"new_york", "America/New_York", "新约克"},  // the user's place comes first
                       {"悉尼", "Australia/Sydney", "悉尼"},
                       {"KOLKATA", "Asia/Kolkata", "加尔各答"}};
    for (const Case& c : cases) {
        const auto found = findWorldPlaces(user, c.text);
        ASSERT_FALSE(found.empty()) << c.text;
        EXPECT_EQ(found[0].zone, c.firstZone) << c.text;
        EXPECT_EQ(found[0].city, c.firstCity) << c.text;
    }
    EXPECT_TRUE(findWorldPlaces(user, "Atlantis").empty());
    std::size_t inAustralia = 0;
    for (const WorldPlace& p : findWorldPlaces({}, "澳大利亚")) inAustralia += p.country == "澳大利亚";
    EXPECT_GE(inAustralia, 10u);
    std::size_t known = 0;
    for (const WorldPlace& p : builtinWorldPlaces()) known += p.known && p.city != p.englishCity;
    EXPECT_EQ(known, findWorldPlaces({}, "").size());  // every zone the library knows has a Chinese name
}

TEST(WorldPlaces, UserPlacesAreCheckedAndKept) {
    const std::string dir = ::testing::TempDir() + "zones_user_places";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir + "/dat");
    std::string error;
    const WorldPlace bad[] = {{"", "", "", "Asia/Tokyo", 1, 1, true},
                              {"某地", "", "", "Nowhere/City", 1, 1, true},
                              {"某地", "", "", "Asia/Tokyo", 181, 1, true},
                              {"某地=", "", "", "Asia/Tokyo", 1, 1, true},
                              {"一二三四五六七八九十一", "", "", "Asia/Tokyo", 1, 1, true},
                              {"某\t地", "", "", "Asia/Tokyo", 1, 1, true},
                              {"\u3000\u3000", "", "", "Asia/Tokyo", 1, 1, true}};
    for (const WorldPlace& p : bad) EXPECT_FALSE(saveUserPlace(dir, p, error)) << p.city;
    ASSERT_TRUE(saveUserPlace(dir, {"札幌郊外", "", "", "Asia/Tokyo", 141.35f, 43.06f, true}, error)) << error;
    std::vector<WorldPlace> places;
    ASSERT_TRUE(loadUserPlaces(dir, places, error));
    ASSERT_EQ(places.size(), 1u);
    EXPECT_EQ(places[0].city, "札幌郊外");
    EXPECT_EQ(places[0].zone, "Asia/Tokyo");
    EXPECT_NEAR(places[0].longitude, 141.35, 1e-3);
    ASSERT_TRUE(removeUserPlace(dir, "札幌郊外", error));
    ASSERT_TRUE(loadUserPlaces(dir, places, error));
    EXPECT_TRUE(places.empty());
}

}  // namespace
}  // namespace hj::zones
