#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "core/calendar/calendar.h"
#include "core/calendar/places.h"
#include "core/chart/chart.h"
#include "core/chart/derived.h"
#include "core/chart/province_table.h"
#include "core/report/report.h"
#include "core/text/gbk.h"
#include "core/text/ini.h"
#include "rule_fixture.h"

using namespace hj;

namespace {

ChartRequest solar(int y, int m, int d, int h, int mi) {
    ChartRequest q;
    q.name = "某人";
    q.year = static_cast<std::int16_t>(y);
    q.month = static_cast<std::int16_t>(m);
    q.day = static_cast<std::int16_t>(d);
    q.hour = static_cast<std::int16_t>(h);
    q.minute = static_cast<std::int16_t>(mi);
    return q;
}

// One caster kept through a test, as a batch keeps one, and the last pillars it cast.
struct PillarRun {
    ChartCaster caster;
    BirthPillars last;
    std::string error;

    bool cast(const ChartRequest& q, const ChartSettings& settings = ChartSettings{}) {
        error.clear();
        const std::optional<BirthPillars> p = caster.castPillars(q, settings, error);
        if (p) last = *p;
        return p.has_value();
    }
};

// Pillars as text after castPillars with the given settings.
std::string pillarsOf(PillarRun& run, const ChartRequest& q, bool zishi = false, int idate = 0) {
    ChartSettings settings;
    settings.zishi = zishi;
    settings.idate = static_cast<std::uint8_t>(idate);
    if (!run.cast(q, settings)) return "error: " + run.error;
    const BirthPillars& r = run.last;
    return pillarName(r.pillars[0]) + " " + pillarName(r.pillars[1]) + " " + pillarName(r.pillars[2]) + " " +
           pillarName(r.pillars[3]);
}

}  // namespace

TEST(ChartPillars, WorkedExample) {
    PillarRun run;
    const BirthPillars& r = run.last;
    EXPECT_EQ(pillarsOf(run, solar(2000, 1, 1, 12, 0)), "己卯 丙子 戊午 戊午");
    EXPECT_EQ(r.pillars, (std::array<std::int16_t, 4>{16, 13, 55, 55}));
    EXPECT_EQ(r.pillarBytes(), (std::array<std::uint8_t, 4>{16, 13, 55, 55}));
    EXPECT_EQ(r.birthLunar, (DateTime{1999, 11, 25, 12, 0}));
    // Well-known day pillars.
    EXPECT_EQ(pillarsOf(run, solar(1949, 10, 1, 12, 0)).substr(14, 6), "甲子");
    EXPECT_EQ(pillarsOf(run, solar(1900, 1, 1, 12, 0)).substr(14, 6), "甲戌");
}

TEST(ChartPillars, LichunBoundaryToTheMinute) {
    PillarRun run;
    const BirthPillars& r = run.last;
    for (int year : {1850, 1950, 2024, 2050}) {
        const DateTime t = Calendar().solarTermInstant(year, 2, true);
        DateTime before = t;
        before.minute = static_cast<std::int16_t>(before.minute - 1);
        if (before.minute < 0) {
            before.minute = 59;
            before.hour = static_cast<std::int16_t>(before.hour - 1);
        }
        ASSERT_GE(before.hour, 0);
        ASSERT_TRUE(run.cast(solar(before.year, before.month, before.day, before.hour, before.minute)));
        EXPECT_EQ(r.pillars[0], cycleMod(year + 896, 60)) << year;
        EXPECT_EQ(r.pillars[1] % 12, 2) << year;  // 丑
        ASSERT_TRUE(run.cast(solar(t.year, t.month, t.day, t.hour, t.minute)));
        EXPECT_EQ(r.pillars[0], cycleMod(year + 897, 60)) << year;
        EXPECT_EQ(r.pillars[1] % 12, 3) << year;  // 寅
    }
    // In the 立春 minute itself year and month always belong together: a new year has a 寅
    // month, an old one a 丑 month whose stem follows the old year.
    for (int year = 1801; year <= 2100; ++year) {
        const DateTime t = Calendar().solarTermInstant(year, 2, true);
        ASSERT_TRUE(run.cast(solar(t.year, t.month, t.day, t.hour, t.minute)));
        const bool newYear = r.pillars[0] == cycleMod(year + 897, 60);
        EXPECT_EQ(r.pillars[1] % 12, newYear ? 3 : 2) << year;
        const int s = r.pillars[0] % 10 == 0 ? 10 : r.pillars[0] % 10;
        const int firstMonthStem = (2 * (s > 5 ? s - 5 : s) + 1) % 10;  // stem of the 寅 month; 丑 is eleven months on
        EXPECT_EQ(r.pillars[1] % 10, newYear ? firstMonthStem : (firstMonthStem + 1) % 10) << year;
    }
    EXPECT_EQ(pillarsOf(run, solar(2024, 2, 4, 16, 26)).substr(0, 13), "癸卯 乙丑");
    EXPECT_EQ(pillarsOf(run, solar(2024, 2, 4, 16, 28)).substr(0, 13), "甲辰 丙寅");
}

// Across every jie the month pillar moves on by one, the year pillar only at 立春, and the month
// stem always follows the year stem (甲己之年丙作首 …). In the Julian centuries 小寒 falls in
// late December, after that year's 立春: the 丑 month there still belongs to the running year.
TEST(ChartPillars, EveryJieMovesTheMonthAndOnlyLichunTheYear) {
    PillarRun run;
    const BirthPillars& r = run.last;
    Calendar calendar;
    constexpr int kTigerStem[5] = {3, 5, 7, 9, 1};  // 寅 month stem of 甲, 乙, 丙, 丁, 戊 years (己 … 癸 alike)
    std::vector<int> years = {-849, 1, 832, 1000, 1427, 1580, 1581, 1583, 1900, 2100};
    for (int y = 832; y <= 1581; ++y) years.push_back(y);
    for (int y = -840; y < 2100; y += 37) years.push_back(y);
    for (int year : years) {
        for (int month = 1; month <= 12; ++month) {
            const double t = calendar.julianDayOf(calendar.solarTermInstant(year, month, true));
            for (int side = 0; side < 2; ++side) {
                const DateTime at = calendar.dateTimeOf(t + (side == 0 ? -1.0 : 1.0) / 1440);
                if (!run.cast(solar(at.year, at.month, at.day, at.hour, at.minute))) continue;  // the 1582 gap
                // After the jie of calendar month m the month branch is m + 1 (小寒 opens 丑).
                const int branch = (month + side) % 12;
                const int pillarYear = month + side <= 2 ? year - 1 : year;
                const std::string where = std::to_string(year) + "/" + std::to_string(month) + (side ? " after" : " before");
                EXPECT_EQ(r.pillars[0], cycleMod(pillarYear + 897, 60)) << where;
                EXPECT_EQ(r.pillars[1] % 12, branch) << where;
                const int yearStem = cycleMod(r.pillars[0] - 1, 10);  // 0 = 甲
                EXPECT_EQ(r.pillars[1] % 10, (kTigerStem[yearStem % 5] + cycleMod(branch - 3, 12)) % 10) << where;
            }
        }
    }
    // 小寒 1580-12-26 15:18, 立春 1581-01-25: late December belongs to 庚辰 and its 丑 month.
    EXPECT_EQ(pillarsOf(run, solar(1580, 12, 30, 10, 0)), "庚辰 己丑 庚寅 辛巳");
    const LuckInfo luck = luckPillars(calendar, r);  // a 阳 year, a man: forward to 立春 1581-01-25
    EXPECT_EQ(luck.direction, 1);
    EXPECT_EQ(std::to_string(luck.startYears) + "岁 " + std::to_string(luck.startMonths) + "个月 " +
                  std::to_string(luck.startDays) + "天",
              "8岁 6个月 28天");
    EXPECT_EQ(pillarsOf(run, solar(1427, 12, 27, 12, 0)).substr(0, 13), "丁未 壬子");
    EXPECT_EQ(pillarsOf(run, solar(1427, 12, 28, 12, 0)).substr(0, 13), "丁未 癸丑");
}

TEST(ChartPillars, LateRatHour) {
    PillarRun run;
    const BirthPillars& r = run.last;
    // Off: the whole 子 hour belongs to the next day; on: the day stays (夜子时).
    EXPECT_EQ(pillarsOf(run, solar(2000, 1, 1, 23, 30), false), "己卯 丙子 己未 甲子");
    EXPECT_EQ(r.birthLunar.day, 26);  // the lunar date moves with the day
    EXPECT_EQ(pillarsOf(run, solar(2000, 1, 1, 23, 30), true), "己卯 丙子 戊午 甲子");
    EXPECT_EQ(r.birthLunar.day, 25);
    EXPECT_EQ(pillarsOf(run, solar(2000, 1, 2, 0, 30)), "己卯 丙子 己未 甲子");
    EXPECT_EQ(pillarsOf(run, solar(2000, 1, 1, 22, 59)), "己卯 丙子 戊午 癸亥");
    EXPECT_EQ(pillarsOf(run, solar(2000, 1, 1, 1, 0)), "己卯 丙子 戊午 癸丑");
}

TEST(ChartPillars, SolarTimeShiftsDayAndHourOnly) {
    PillarRun run;
    const BirthPillars& r = run.last;
    ChartRequest q = solar(2000, 1, 1, 0, 10);
    q.longitude = 100.0f;  // 80 minutes behind Beijing
    EXPECT_EQ(pillarsOf(run, q, false, 2), "己卯 丙子 丁巳 辛亥");
    EXPECT_EQ(r.birthLocal, (DateTime{1999, 12, 31, 22, 50}));
    EXPECT_EQ(r.birthClock, (DateTime{2000, 1, 1, 0, 10}));
    // Over a year boundary the year and month pillars keep the clock time.
    q = solar(2000, 2, 4, 21, 0);  // after 立春 2000 (20:40)
    q.longitude = 90.0f;
    EXPECT_EQ(pillarsOf(run, q, false, 2).substr(0, 13), "庚辰 戊寅");
    EXPECT_EQ(r.birthLocal.hour, 19);
    // True solar time adds the equation of time: early November about +16 minutes.
    q = solar(2000, 11, 3, 12, 0);
    q.longitude = 120.0f;
    pillarsOf(run, q, false, 1);
    EXPECT_EQ(r.birthLocal.hour, 12);
    EXPECT_GE(r.birthLocal.minute, 15);
    EXPECT_LE(r.birthLocal.minute, 17);
    q = solar(2000, 2, 12, 12, 0);
    pillarsOf(run, q, false, 1);
    EXPECT_EQ(r.birthLocal.hour, 11);
    EXPECT_GE(r.birthLocal.minute, 45);
}

TEST(ChartPillars, ApplySolarTime) {
    Calendar cal;
    struct Case { float lon; int mode; DateTime in, out; };
    const Case cases[] = {
        {120.0f, 2, {2000, 6, 1, 12, 0}, {2000, 6, 1, 12, 0}},
        {116.0f + 23.0f / 60.0f, 2, {2000, 6, 1, 12, 0}, {2000, 6, 1, 11, 46}},  // -868 s, 33 s rounds up
        {121.5f, 2, {2000, 6, 1, 12, 0}, {2000, 6, 1, 12, 6}},
        {120.0f, 0, {2000, 6, 1, 12, 0}, {2000, 6, 1, 12, 0}},
        {105.0f, 2, {2000, 1, 1, 0, 30}, {1999, 12, 31, 23, 30}},
        {135.0f, 2, {1999, 12, 31, 23, 30}, {2000, 1, 1, 0, 30}},
    };
    for (const Case& c : cases) {
        DateTime d = c.in;
        EXPECT_EQ(applySolarTime(cal, d, c.lon, c.mode), 0);
        EXPECT_EQ(d, c.out) << c.lon << " mode " << c.mode;
    }
    DateTime d{2000, 11, 3, 12, 0};
    const int e = applySolarTime(cal, d, 120.0f, 1);
    EXPECT_GT(e, 15 * 60);
    EXPECT_LT(e, 17 * 60);
}

TEST(ChartPillars, LunarInputAndLeapMonths) {
    PillarRun run;
    const BirthPillars& r = run.last;
    ChartRequest q = solar(2020, 4, 1, 12, 0);
    q.lunar = true;
    q.leap = true;
    ASSERT_TRUE(run.cast(ChartRequest{})) << run.error;  // the default request computes
    ASSERT_TRUE(run.cast(q)) << run.error;
    EXPECT_EQ(r.birthClock, (DateTime{2020, 5, 23, 12, 0}));
    EXPECT_TRUE(r.birthLunarLeap);
    EXPECT_EQ(r.birthLunar.month, 4);
    q.leap = false;
    ASSERT_TRUE(run.cast(q));
    EXPECT_EQ(r.birthClock, (DateTime{2020, 4, 23, 12, 0}));
    EXPECT_FALSE(r.birthLunarLeap);
    // 2021 has no leap fourth month.
    q.year = 2021;
    q.leap = true;
    EXPECT_FALSE(run.cast(q));
    EXPECT_EQ(run.error, "不存在这个农历日期，无法转换到公历！");
    // A lunar date is never tested against the 1582 gap.
    q = solar(1582, 9, 10, 12, 0);
    q.lunar = true;
    EXPECT_TRUE(run.cast(q)) << run.error;
}

TEST(ChartPillars, RefusedRequests) {
    PillarRun run;
    const BirthPillars& r = run.last;
    struct Case { ChartRequest q; const char* message; };
    ChartRequest lunarBad = solar(2000, 13, 1, 12, 0);
    lunarBad.lunar = true;
    const Case cases[] = {
        {solar(-850, 6, 1, 12, 0), "年份必须在-850到2100年之间，并且没有公元0年\r\n注意：公元前用负数，比如公元前120年，就输入-120"},
        {solar(2101, 1, 1, 12, 0), "年份必须在-850到2100年之间，并且没有公元0年\r\n注意：公元前用负数，比如公元前120年，就输入-120"},
        {solar(1582, 10, 5, 12, 0), "不存在1582-10-5到1582-10-14这10天时间。"},
        {solar(1582, 10, 14, 12, 0), "不存在1582-10-5到1582-10-14这10天时间。"},
        {solar(2001, 2, 29, 12, 0), "不存在这个日期"},
        {solar(2001, 4, 31, 12, 0), "不存在这个日期"},
        {solar(2001, 0, 1, 12, 0), "不存在这个日期"},
        {solar(2001, 1, 1, 24, 0), "不存在这个时间"},
        {lunarBad, "不存在这个农历日期，无法转换到公历！"},
        // 2100-12-31 23:30 belongs to the next day, whose lunar date lies outside the range.
        {solar(2100, 12, 31, 23, 30), "公、农历正常转换年份在-850到2100之间"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(run.cast(c.q)) << c.q.year << "-" << c.q.month << "-" << c.q.day;
        EXPECT_EQ(run.error, c.message);
    }
    for (const ChartRequest& ok : {solar(-849, 6, 1, 12, 0), solar(2100, 12, 31, 12, 0), solar(1582, 10, 4, 12, 0),
                                   solar(1582, 10, 15, 12, 0), solar(2000, 2, 29, 0, 0)}) {
        std::string error;
        EXPECT_TRUE(castPillars(ok, ChartSettings{}, error)) << ok.year << ": " << error;
        EXPECT_TRUE(error.empty());
    }
    // Across the 1582 reform the day cycle runs on without a gap.
    ASSERT_TRUE(run.cast(solar(1582, 10, 4, 12, 0)));
    const int before = r.pillars[2];
    ASSERT_TRUE(run.cast(solar(1582, 10, 15, 12, 0)));
    EXPECT_EQ(r.pillars[2], (before + 1) % 60);
}

TEST(ChartPillars, DayAndHourCyclesRunOn) {
    // Each civil day moves the day pillar by one, and the 子 hour stem follows 甲己 → 甲子,
    // 乙庚 → 丙子, 丙辛 → 戊子, 丁壬 → 庚子, 戊癸 → 壬子.
    PillarRun run;
    const BirthPillars& r = run.last;
    ChartSettings settings;
    settings.dst = false;  // Beijing standard time throughout: the 1940s summer time skipped 00:30
    Calendar calendar;
    static constexpr int kRatStem[10] = {9, 1, 3, 5, 7, 9, 1, 3, 5, 7};
    DateTime d{1801, 1, 1, 0, 30};
    for (int i = 0; i < 2000; ++i) {
        ASSERT_TRUE(run.cast(solar(d.year, d.month, d.day, d.hour, d.minute), settings));
        const int today = r.pillars[2];
        EXPECT_EQ(r.pillars[3] % 10, kRatStem[today % 10]);
        EXPECT_EQ(r.pillars[3] % 12, 1);
        calendar.nextDay(d);
        ASSERT_TRUE(run.cast(solar(d.year, d.month, d.day, d.hour, d.minute), settings));
        EXPECT_EQ(r.pillars[2], (today + 1) % 60) << d.year << "-" << d.month << "-" << d.day;
        for (int k = 0; k < 53; ++k) calendar.nextDay(d);
    }
}

// Every hour of every day stem against the book's 日上起时 rule (甲己 days start at 甲子, …),
// typed in the derived-data fixture; the hours advance the stem and branch together.
TEST(ChartPillars, HourPillarOfEveryDayStem) {
    const hj::fixtures::RuleBook rules("derived_rules.txt");
    const auto& table = rules.table("日上起时", 2);
    PillarRun run;
    const BirthPillars& r = run.last;
    Calendar calendar;
    DateTime d{2001, 3, 1, 0, 30};
    bool seen[10] = {};
    for (int day = 0; day < 10; ++day, calendar.nextDay(d)) {
        for (int h = 0; h < 23; ++h) {
            ChartRequest q = solar(d.year, d.month, d.day, h, 30);
            const std::string text = pillarsOf(run, q);
            ASSERT_EQ(text.find("error"), std::string::npos) << text;
            const int ds = r.pillars[2] % 10;
            seen[ds] = true;
            int rat = -1;
            for (const auto& rule : table)
                if (hj::fixtures::holds(hj::fixtures::stemsIn(rule.fields[0]), ds))
                    rat = hj::fixtures::pillarIndex(rule.fields[1]);
            ASSERT_GE(rat, 0) << "日上起时: no rule for " << kStems[ds];
            // Two clock hours to a branch, 子 from 23:00: 00:30 is 子, 01:30 and 02:30 丑, …
            const int hoursOn = (h + 1) / 2;
            EXPECT_EQ(pillarName(r.pillars[3]), pillarName(rat + hoursOn))
                << "日上起时: day stem " << kStems[ds] << ", " << h << ":30";
        }
    }
    for (int s = 0; s < 10; ++s) EXPECT_TRUE(seen[s]) << kStems[s];
}

TEST(ChartPlaces, ReadingDili) {
    text::IniFile dili;
    dili.loadFromBytes(text::utf8ToGbkLossy(
        "[北京市]\r\n北京市=116:24*39:54\r\n延庆=115:58*40:27\r\n[新疆]\r\n西端=-73:30*39:0\r\n坏=12x:0*1:0\r\n"));
    EXPECT_EQ(placesOf(dili, "北京市"), (std::vector<std::string>{"北京市", "延庆"}));
    EXPECT_TRUE(placesOf(dili, "西藏").empty());
    PlaceCoordinates c;
    ASSERT_TRUE(placeCoordinates(dili, "北京市", "北京市", c));
    EXPECT_FLOAT_EQ(c.longitude, 116.4f);
    EXPECT_FLOAT_EQ(c.latitude, 39.9f);
    ASSERT_TRUE(placeCoordinates(dili, "新疆", "西端", c));
    EXPECT_FLOAT_EQ(c.longitude, -73.5f);  // the minutes take the sign of the degrees
    ASSERT_TRUE(placeCoordinates(dili, "北京市", "没有", c));
    EXPECT_FLOAT_EQ(c.longitude, 120.0f);
    EXPECT_FLOAT_EQ(c.latitude, 30.0f);
    std::string error;
    c = PlaceCoordinates{1.0f, 2.0f};
    EXPECT_FALSE(placeCoordinates(dili, "新疆", "坏", c, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FLOAT_EQ(c.longitude, 1.0f);
    for (const char* bad : {"", "120", "120:0", "a:0*30:0", "120:0*30:x", "120:0*"})
        EXPECT_FALSE(parsePlaceValue(bad, c)) << bad;
}

TEST(ChartPlaces, ProvinceTable) {
    EXPECT_EQ(ProvinceTable::names.size(), 35u);
    EXPECT_EQ(ProvinceTable::name(0), "福建省");
    EXPECT_EQ(ProvinceTable::name(34), "未知地");
    EXPECT_EQ(ProvinceTable::name(35), "");
    EXPECT_EQ(ProvinceTable::indexOf("黑龙江省"), 8);
    EXPECT_EQ(ProvinceTable::indexOf("火星"), -1);
    EXPECT_EQ(ProvinceTable::placeText(34, "未知地"), "未知");
    EXPECT_EQ(ProvinceTable::placeText(1, "北京市"), "北京市-北京市");
    // The request's field holds 31 bytes: a long city name is cut between characters.
    EXPECT_EQ(ProvinceTable::placeText(8, "一二三四五六七八九十一二"), "黑龙江省-一二三四五六七八九十一");
}

TEST(ChartPlaces, MinutesTakeTheSignOfTheCoordinate) {
    struct Case { const char* value; bool ok; float lon, lat; const char* written; const char* printed; };
    const Case cases[] = {
        {"116:24*39:54", true, 116.4f, 39.9f, "116:24*39:54", "经度:116度24分,纬度:39度54分。"},
        {"-10:30*-33:15", true, -10.5f, -33.25f, "-10:30*-33:15", "经度:-10度30分,纬度:-33度15分。"},
        {"-0:30*-0:1", true, -0.5f, -1 / 60.0f, "-0:30*-0:1", "经度:-0度30分,纬度:-0度1分。"},
        {"-0:0*0:0", true, 0.0f, 0.0f, "0:0*0:0", "经度:0度0分,纬度:0度0分。"},
        {"-179:59*89:59", true, -(179 + 59 / 60.0f), 89 + 59 / 60.0f, "-179:59*89:59", nullptr},
        {"1160:23*39:54", false, 0, 0, nullptr, nullptr},
        {"-2147483648:-2147483648*39:54", false, 0, 0, nullptr, nullptr},
        {"116:60*39:54", false, 0, 0, nullptr, nullptr},
        {"116:-1*39:54", false, 0, 0, nullptr, nullptr},
        {"180:0*39:54", false, 0, 0, nullptr, nullptr},
        {"116:0*90:0", false, 0, 0, nullptr, nullptr},
        {"--1:0*1:0", false, 0, 0, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        PlaceCoordinates p{1.0f, 2.0f};
        std::string error;
        ASSERT_EQ(parsePlaceValue(c.value, p, &error), c.ok) << c.value;
        if (!c.ok) {
            EXPECT_FALSE(error.empty()) << c.value;
            EXPECT_EQ(p.longitude, 1.0f) << c.value;
            continue;
        }
        EXPECT_FLOAT_EQ(p.longitude, c.lon) << c.value;
        EXPECT_FLOAT_EQ(p.latitude, c.lat) << c.value;
        // What the place editor writes from the same four fields reads back the same.
        const auto angle = [](const std::string& half, bool latitude) {
            DegreesMinutes a;
            const auto colon = half.find(':');
            EXPECT_EQ(readDegreesMinutes(half.substr(0, colon), half.substr(colon + 1), latitude, a), AngleFault::None) << half;
            return a;
        };
        const std::string value(c.value);
        const auto star = value.find('*');
        EXPECT_EQ(formatPlaceValue(angle(value.substr(0, star), false), angle(value.substr(star + 1), true)), c.written);
        if (!c.printed) continue;
        // The report's 度/分 line prints the sign once, in front of the degrees.
        ChartSettings settings;
        ASSERT_TRUE(applyChartSetting(settings, "idate", "2", &error));
        ChartRequest q = solar(2000, 1, 1, 12, 0);
        q.longitude = p.longitude;
        q.latitude = p.latitude;
        q.place = "某地";
        const std::optional<Chart> chart = castChart(q, settings, error);
        ASSERT_TRUE(chart) << error;
        const std::string report = buildReport(*chart, {}).text;
        EXPECT_EQ(report.substr(0, report.find("\r\n")), std::string("命主姓名:某人  出生地:某地,") + c.printed) << c.value;
    }
    DegreesMinutes scratch;
    EXPECT_EQ(readDegreesMinutes("-0", "x", false, scratch), AngleFault::Minutes);
    EXPECT_EQ(readDegreesMinutes("-", "0", false, scratch), AngleFault::Degrees);
}

TEST(ChartPlaces, EveryRequestPassesOneCheck) {
    struct Case { const char* what; float lon, lat; const char* name; const char* place; };
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {"longitude NaN", nan, 30, "某人", "某地"},      {"longitude infinite", -inf, 30, "某人", "某地"},
        {"longitude 180.5", 180.5f, 30, "某人", "某地"}, {"latitude -90.5", 120, -90.5f, "某人", "某地"},
        {"latitude NaN", 120, nan, "某人", "某地"},      {"name with a tab", 120, 30, "某\t人", "某地"},
        {"name with ESC", 120, 30, "\x1b[2J", "某地"},   {"name of wide spaces", 120, 30, "　　", "某地"},
        {"place with a line break", 120, 30, "某人", "某\n地"},
    };
    for (const Case& c : cases) {
        ChartRequest q = solar(2000, 1, 1, 12, 0);
        q.longitude = c.lon;
        q.latitude = c.lat;
        q.name = c.name;
        q.place = c.place;
        std::string error;
        EXPECT_FALSE(castChart(q, ChartSettings{}, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    // The pillars alone check the coordinates too, whatever the time mode.
    PillarRun run;
    ChartRequest q = solar(2000, 1, 1, 12, 0);
    q.longitude = nan;
    EXPECT_EQ(pillarsOf(run, q), "error: 经度必须在-180到180度之间");
    q.longitude = 180.0f;
    EXPECT_EQ(pillarsOf(run, q, false, 2).rfind("error", 0), std::string::npos);
}

// A caster keeps the solar terms of the charts before: whatever came before, each chart is the
// one castChart gives alone. Moments walk across jie terms and 立春 minute by minute, forwards and
// back, under changing settings, so a kept month is tried at its very edges.
TEST(ChartCaster, KeptTermsNeverChangeAChart) {
    ChartCaster caster;
    Calendar calendar;
    int compared = 0;
    for (int year : {-849, 1000, 1582, 1900, 1984, 2024, 2100}) {
        for (int month : {1, 2, 6, 12}) {
            const double jie = calendar.julianDayOf(calendar.solarTermInstant(year, month, true));
            for (int step : {-4, -3, -2, -1, 0, 1, 2, 3, 4, 3, 0, -3, 240, -240}) {
                const DateTime at = calendar.dateTimeOf(jie + step / 1440.0);
                ChartRequest q = solar(at.year, at.month, at.day, at.hour, at.minute);
                q.longitude = 87.6f;
                ChartSettings settings;
                settings.zishi = (compared % 2) != 0;
                settings.idate = static_cast<std::uint8_t>(compared % 3);
                std::string keptError, aloneError;
                const std::optional<Chart> kept = caster.cast(q, settings, keptError);
                const std::optional<Chart> alone = castChart(q, settings, aloneError);
                const std::string where = std::to_string(year) + "/" + std::to_string(month) + " " + std::to_string(step);
                ASSERT_EQ(kept.has_value(), alone.has_value()) << where;
                EXPECT_EQ(keptError, aloneError) << where;
                if (!alone) continue;
                EXPECT_EQ(kept->pillars, alone->pillars) << where;
                EXPECT_EQ(kept->previousJie, alone->previousJie) << where;
                EXPECT_EQ(kept->midTerm, alone->midTerm) << where;
                EXPECT_EQ(kept->nextJie, alone->nextJie) << where;
                EXPECT_EQ(kept->lifePalace, alone->lifePalace) << where;
                EXPECT_EQ(kept->luck.startDate, alone->luck.startDate) << where;
                EXPECT_EQ(kept->luck.pillars, alone->luck.pillars) << where;
                const std::optional<BirthPillars> pillars = caster.castPillars(q, settings, keptError);
                ASSERT_TRUE(pillars) << where;
                EXPECT_EQ(pillars->pillars, alone->pillars) << where;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 300);
}
