#include <gtest/gtest.h>

#include <cstdint>

#include "core/calendar/calendar.h"
#include "core/calendar/jie_table.h"

namespace {

struct Instant {
    int day, hour, minute;
};

Instant jieOf(std::uint32_t v) { return {int(v & 31), int(v >> 5 & 31), int(v >> 10 & 63)}; }
Instant midOf(std::uint32_t v) { return {int(v >> 16 & 31), int(v >> 21 & 31), int(v >> 26 & 63)}; }
std::uint32_t entry(int year, int month) { return hj::JieTable[(year - 1900) * 12 + month - 1]; }

}  // namespace

TEST(JieTable, QuotedInstants) {
    struct Case { int year, month; Instant jie, mid; };
    for (const Case& c : {Case{2000, 2, {4, 20, 40}, {19, 16, 33}}, Case{2024, 2, {4, 16, 27}, {19, 12, 13}},
                          Case{1984, 2, {4, 23, 19}, {19, 19, 16}}, Case{2023, 6, {6, 6, 18}, {21, 22, 58}}}) {
        const Instant j = jieOf(entry(c.year, c.month)), m = midOf(entry(c.year, c.month));
        EXPECT_EQ(j.day, c.jie.day) << c.year << "-" << c.month;
        EXPECT_EQ(j.hour, c.jie.hour) << c.year << "-" << c.month;
        EXPECT_EQ(j.minute, c.jie.minute) << c.year << "-" << c.month;
        EXPECT_EQ(m.day, c.mid.day) << c.year << "-" << c.month;
        EXPECT_EQ(m.hour, c.mid.hour) << c.year << "-" << c.month;
        EXPECT_EQ(m.minute, c.mid.minute) << c.year << "-" << c.month;
    }
    EXPECT_EQ(hj::packJieEntry(4, 20, 40, 19, 16, 33), entry(2000, 2));
}

// The table is the ephemeris' own output: a change of the ephemeris without regenerating the
// table (tools/gen_jie_table.cpp) shows here.
TEST(JieTable, EveryEntryMatchesTheEphemeris) {
    hj::Calendar calendar;
    for (int year = hj::kJieTableFirstYear; year <= hj::kJieTableLastYear; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const std::uint32_t v = entry(year, month);
            const Instant j = jieOf(v), m = midOf(v);
            // Jie terms fall on days 3..9 of their month, mid terms on days 18..24.
            ASSERT_TRUE(j.day >= 3 && j.day <= 9 && m.day >= 18 && m.day <= 24) << year << "-" << month;
            ASSERT_TRUE(j.hour < 24 && j.minute < 60 && m.hour < 24 && m.minute < 60) << year << "-" << month;
            const hj::DateTime jie = calendar.solarTermInstant(year, month, true);
            const hj::DateTime mid = calendar.solarTermInstant(year, month, false);
            ASSERT_EQ(v, hj::packJieEntry(jie.day, jie.hour, jie.minute, mid.day, mid.hour, mid.minute))
                << year << "-" << month;
        }
    }
}
