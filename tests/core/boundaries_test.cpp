// Boundaries near the birth and the unknown hour: the other side is what the engine itself
// casts a minute across the boundary, and every row of the hour table is a chart of its own.
#include <gtest/gtest.h>

#include "core/uncertainty/boundaries.h"
#include "core/chart/derived.h"

namespace hj {
namespace {

struct Birth {
    const char* time;  // "YYYY-MM-DD HH:MM", solar
    int zishi = 0, idate = 0;
    double longitude = 120.0;
};

ChartRequest requestOf(const Birth& b) {
    ChartRequest q;
    int y, mo, d, h, mi;
    std::sscanf(b.time, "%d-%d-%d %d:%d", &y, &mo, &d, &h, &mi);
    q.year = static_cast<std::int16_t>(y);
    q.month = static_cast<std::int16_t>(mo);
    q.day = static_cast<std::int16_t>(d);
    q.hour = static_cast<std::int16_t>(h);
    q.minute = static_cast<std::int16_t>(mi);
    q.longitude = static_cast<float>(b.longitude);
    return q;
}

Chart chartOf(const Birth& b) {
    ChartSettings settings;
    settings.zishi = b.zishi != 0;
    settings.idate = static_cast<std::uint8_t>(b.idate);
    std::string error;
    const std::optional<Chart> chart = castChart(requestOf(b), settings, error);
    EXPECT_TRUE(chart) << error;
    return chart.value_or(Chart{});
}

std::string names(const std::array<std::int16_t, 4>& p) {
    return pillarName(p[0]) + " " + pillarName(p[1]) + " " + pillarName(p[2]) + " " + pillarName(p[3]);
}

std::string pillarsAt(const char* time, int zishi = 0, int idate = 0, double lon = 120.0) {
    Chart r = chartOf({time, zishi, idate, lon});
    return names({r.pillars[0], r.pillars[1], r.pillars[2], r.pillars[3]});
}

TEST(Boundaries, NearestOfEachKindWithTheEngineOnTheOtherSide) {
    struct Case {
        Birth birth;
        int window;
        const char* kind;
        int minutes;
        const char* at;          // expected instant, "HH:MM" of the boundary
        const char* otherSide;   // the moment whose pillars lie on the other side
        int otherZishi, otherIdate;
    } cases[] = {
        // 立春 2024 at 16:27: month and year change five minutes ahead.
        {{"2024-02-04 16:22"}, 30, "节", 5, "16:27", "2024-02-04 16:27", 0, 0},
        // An odd hour two minutes ahead.
        {{"2024-05-10 08:58"}, 30, "时辰", 2, "09:00", "2024-05-10 09:00", 0, 0},
        // 23:10 with the day changing at 23:00 (zishi off): day and hour move together.
        {{"2024-05-10 23:10"}, 30, "子时", -10, "23:00", "2024-05-10 22:59", 0, 0},
        // With 夜子时 only the hour moves at 23:00 …
        {{"2024-05-10 23:10", 1}, 30, "子时", -10, "23:00", "2024-05-10 22:59", 1, 0},
        // … and the day at midnight.
        {{"2024-05-10 23:10", 1}, 60, "日", 50, "00:00", "2024-05-11 00:00", 1, 0},
        // Local mean time in Beijing (116.4°E) runs 14 min 24 s behind the clock: 09:10 on the
        // clock is 08:56 local (to the minute), 09:14 already 09:00.
        {{"2024-05-10 09:10", 0, 2, 116.4}, 30, "时辰", 4, "09:00", "2024-05-10 09:14", 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.birth.time) + " " + c.kind);
        Chart r = chartOf(c.birth);
        bool seen = false;
        for (const PillarBoundary& b : findBoundaries(r, c.window)) {
            if (b.kind != c.kind) continue;
            seen = true;
            EXPECT_EQ(b.minutes, c.minutes);
            char at[16];
            std::snprintf(at, sizeof at, "%02d:%02d", b.at.hour, b.at.minute);
            EXPECT_EQ(std::string(at), c.at);
            EXPECT_EQ(names(b.pillars), pillarsAt(c.otherSide, c.otherZishi, c.otherIdate, c.birth.longitude));
            EXPECT_NE(names(b.pillars), names({r.pillars[0], r.pillars[1], r.pillars[2], r.pillars[3]}));
        }
        EXPECT_TRUE(seen);
    }
}

TEST(Boundaries, NoneWhenTheWindowHoldsNoChangeOrIsOff) {
    Chart r = chartOf({"2024-05-10 10:00"});
    EXPECT_TRUE(findBoundaries(r, 30).empty());
    Chart s = chartOf({"2024-02-04 16:22"});
    EXPECT_TRUE(findBoundaries(s, 0).empty());
    // zishi off: midnight changes nothing (the day already turned at 23:00).
    for (const PillarBoundary& b : findBoundaries(chartOf({"2024-05-10 23:40"}), 30)) EXPECT_NE(b.kind, "日");
}

TEST(UnknownHour, TwelveRowsAreTheChartsOfTheMiddleOfEachHour) {
    for (Birth b : {Birth{"2024-02-04 12:00"}, Birth{"1990-05-17 08:30", 0, 1, 87.6}}) {
        Chart r = chartOf(b);
        const auto rows = unknownHourOptions(r);
        ASSERT_EQ(rows.size(), 12u);
        for (int i = 0; i < 12; ++i) {
            SCOPED_TRACE(i);
            const HourOption& row = rows[static_cast<std::size_t>(i)];
            EXPECT_EQ(row.branch, (i + 1) % 12);
            EXPECT_EQ(row.pillars[3] % 12, (i + 1) % 12);
            // The row's own request casts the same chart.
            std::string error;
            const std::optional<Chart> cast = castChart(row.request, r.settings, error);
            ASSERT_TRUE(cast) << error;
            const Chart& again = *cast;
            EXPECT_EQ(names(row.pillars), names({again.pillars[0], again.pillars[1], again.pillars[2], again.pillars[3]}));
            EXPECT_EQ(luckStartText(row.luck), luckStartText(again.luck));
            EXPECT_EQ(row.tenGod, std::string(kTenGodShort[tenGodIndex(again.pillars[2], again.pillars[3])]));
            // Its local time is the middle of the hour.
            EXPECT_EQ(again.birthLocal.hour, 2 * i);
            EXPECT_LE(again.birthLocal.minute, 1);
        }
    }
    // 立春 2024 falls inside the day at 16:27: the rows before and after carry different
    // month pillars and a note names the term.
    Chart r = chartOf({"2024-02-04 12:00"});
    const auto rows = unknownHourOptions(r);
    EXPECT_EQ(pillarName(rows[8].pillars[1]), "乙丑");  // 申 16:00
    EXPECT_EQ(pillarName(rows[9].pillars[1]), "丙寅");  // 酉 18:00
    const auto notes = unknownHourNotes(r, rows);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find("立春"), std::string::npos);
}

TEST(Boundaries, NotesGiveTheClockOfTheBirthAndMinutesThatAddUp) {
    struct Case {
        const char* time;
        int province;      // 1 北京市 (summer time 1986-1991), 34 未知地
        const char* zone;  // a birth abroad, else ""
        const char* kind;
        const char* note;
    } cases[] = {
        // 09:30 on the clock in summer time is 08:30 Beijing time: 巳 begins at 10:00 on the clock.
        {"1988-07-01 09:30", 1, "", "时辰", "钟表时间1988-07-01 10:00起换柱，出生后30分钟"},
        // The other side, cast at that minute: the boundary is the birth's own minute.
        {"1988-07-01 10:00", 1, "", "时辰", "钟表时间1988-07-01 10:00起换柱，与出生同一分钟"},
        // Summer time in New York: 11:50 on the clock is 10:50 standard time; 午 begins at 12:00.
        {"2000-07-15 11:50", 34, "America/New_York", "时辰", "当地钟表时间2000-07-15 12:00起换柱，出生后10分钟"},
        // 立春 2020 at 17:03:12: a birth typed 17:03 still lies before it; 17:04 is the first
        // minute after, four minutes from a birth at 17:00.
        {"2020-02-04 17:00", 34, "", "节", "立春 北京时间2020-02-04 17:03交，北京时间2020-02-04 17:04起换柱，出生后4分钟"},
        // Before the birth: the minutes run back to the first minute of the birth's side.
        {"2024-05-10 09:20", 34, "", "时辰", "北京时间2024-05-10 09:00起换柱，出生前20分钟"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.time);
        ChartRequest q = requestOf({c.time});
        q.province = static_cast<std::int16_t>(c.province);
        q.zone = c.zone;
        std::string error;
        const std::optional<Chart> r = castChart(q, ChartSettings{}, error);
        ASSERT_TRUE(r) << error;
        std::vector<std::string> notes;
        for (const PillarBoundary& b : findBoundaries(*r, 30))
            if (b.kind == c.kind) notes.push_back(boundaryNote(b));
        ASSERT_FALSE(notes.empty());
        EXPECT_EQ(notes.front(), c.note);
        for (const std::string& n : notes) {
            EXPECT_EQ(n.find("前0分钟"), std::string::npos) << n;
            EXPECT_EQ(n.find("后0分钟"), std::string::npos) << n;
        }
    }
}

TEST(UnknownHour, AnHourAJieDividesHoldsBothCharts) {
    // 立春 2024 at 16:27 (Beijing) lies inside 申 (15:00-17:00).
    Chart r = chartOf({"2024-02-04 12:00"});
    const auto rows = unknownHourOptions(r);
    ASSERT_EQ(rows.size(), 12u);
    for (const HourOption& row : rows) EXPECT_EQ(row.split, row.branch == 9) << std::string(kBranches[row.branch]);
    const HourOption& shen = rows[8];
    ASSERT_TRUE(shen.split);
    ASSERT_EQ(shen.parts.size(), 2u);
    EXPECT_EQ(shen.splitClock.hour, 16);
    EXPECT_EQ(shen.splitClock.minute, 27);
    // Each part is the engine's chart a minute either side of the change.
    EXPECT_EQ(names(shen.parts.front().pillars), pillarsAt("2024-02-04 16:26"));
    EXPECT_EQ(names(shen.parts.back().pillars), pillarsAt("2024-02-04 16:27"));
    EXPECT_EQ(pillarName(shen.parts.front().pillars[0]), "癸卯");
    EXPECT_EQ(pillarName(shen.parts.back().pillars[0]), "甲辰");
    const auto notes = unknownHourNotes(r, rows);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0], "本日北京时间16:27交立春，在申时之内，申时分作两盘：北京时间16:27以前年柱癸卯、月柱乙丑，"
                        "16:27起年柱甲辰、月柱丙寅");
    EXPECT_EQ(unknownHourFixedPillars(rows), "癸卯 乙丑 戊戌；北京时间16:27起 甲辰 丙寅 戊戌");

    // A day without a term: nothing split, one set of fixed pillars.
    const auto plain = unknownHourOptions(chartOf({"2024-05-10 12:00"}));
    ASSERT_EQ(plain.size(), 12u);
    for (const HourOption& row : plain) EXPECT_FALSE(row.split);
    EXPECT_EQ(unknownHourFixedPillars(plain).find("；"), std::string::npos);
}

}  // namespace
}  // namespace hj
