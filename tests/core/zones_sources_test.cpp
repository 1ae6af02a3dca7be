// The zone rules built in from the tz files (what a build without ICU uses) give what history
// says, and, where ICU is built in, exactly what ICU gives: offsets at many instants of the zones
// births come from, the changes of the clock, canonical ids and Chinese names.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/resources.h"
#include "core/zones/zone_clock.h"
#include "core/zones/zone_rules.h"

namespace hj::zones::rules {
namespace {

double msOf(int y, int m, int d, int h, int min) {
    // days from 1970-01-01 of a proleptic Gregorian date
    const int yy = y - (m <= 2);
    const int era = (yy >= 0 ? yy : yy - 399) / 400;
    const int yoe = yy - era * 400;
    const int doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const double days = era * 146097.0 + doe - 719468;
    return (days * 86400.0 + h * 3600.0 + min * 60.0) * 1000.0;
}

// Facts of the zones' history (the offsets in force at an instant, UT), for the tz files alone.
TEST(ZoneSources, BuiltInRulesFollowTheZonesHistory) {
    struct Case {
        const char* what;
        const char* zone;
        int y, m, d, h;
        int raw, dst;  // seconds
    };
    const Case cases[] = {
        {"summer time in China, 1988", "Asia/Shanghai", 1988, 7, 1, 0, 8 * 3600, 3600},
        {"no summer time in China after 1991", "Asia/Shanghai", 1992, 7, 1, 0, 8 * 3600, 0},
        {"Hong Kong summer time, 1970", "Asia/Hong_Kong", 1970, 7, 1, 0, 8 * 3600, 3600},
        {"Taipei summer time, 1975", "Asia/Taipei", 1975, 6, 1, 0, 8 * 3600, 3600},
        {"New York winter", "America/New_York", 1990, 1, 15, 12, -5 * 3600, 0},
        {"New York summer after the file's last change (rule of the footer)", "America/New_York", 2045, 7, 1, 12, -5 * 3600, 3600},
        {"New York winter after the file's last change", "America/New_York", 2045, 12, 1, 12, -5 * 3600, 0},
        {"Sydney summer spans the new year", "Australia/Sydney", 2040, 1, 10, 0, 10 * 3600, 3600},
        {"Sydney winter", "Australia/Sydney", 2040, 7, 10, 0, 10 * 3600, 0},
        {"British Standard Time, 1970: standard, not summer", "Europe/London", 1970, 1, 15, 12, 3600, 0},
        {"British double summer time, 1941", "Europe/London", 1941, 6, 1, 12, 0, 7200},
        {"Berlin summer, 1980", "Europe/Berlin", 1980, 7, 1, 0, 3600, 3600},
        {"an alias: Asia/Kolkata", "Asia/Kolkata", 2000, 1, 1, 0, 5 * 3600 + 1800, 0},
        {"an old alias: US/Eastern", "US/Eastern", 2000, 7, 1, 0, -5 * 3600, 3600},
    };
    for (const Case& c : cases) {
        const ZoneRules* z = zoneRules(c.zone, Source::Tzif);
        ASSERT_NE(z, nullptr) << c.what;
        const Offsets o = z->offsetsAt(msOf(c.y, c.m, c.d, c.h, 0));
        EXPECT_EQ(o.raw, c.raw) << c.what;
        EXPECT_EQ(o.dst, c.dst) << c.what;
    }
    EXPECT_EQ(zoneRules("Mars/Olympus_Mons", Source::Tzif), nullptr);
    EXPECT_EQ(canonicalId("Asia/Kolkata", Source::Tzif), "Asia/Calcutta");
    EXPECT_EQ(canonicalId("US/Eastern", Source::Tzif), "America/New_York");
    EXPECT_EQ(canonicalId("", Source::Tzif), "");
    // The clock went forward in New York on 2021-03-14 at 07:00 UT, also by the footer's rule.
    double when = 0;
    ASSERT_TRUE(zoneRules("America/New_York", Source::Tzif)->previousTransition(msOf(2021, 3, 20, 0, 0), true, when));
    EXPECT_EQ(when, msOf(2021, 3, 14, 7, 0));
    ASSERT_TRUE(zoneRules("America/New_York", Source::Tzif)->previousTransition(msOf(2051, 4, 1, 0, 0), true, when));
    EXPECT_EQ(when, msOf(2051, 3, 12, 7, 0));
}

TEST(ZoneSources, BrokenTzifFilesAreRefused) {
    const std::string_view all = embeddedResource("generated/tzif.bin");
    ASSERT_FALSE(all.empty());
    const std::size_t start = all.find('\0') + 5;
    const std::string good(all.substr(start, 200));
    EXPECT_EQ(detail::parseTzif(""), nullptr);
    EXPECT_EQ(detail::parseTzif("TZif"), nullptr);
    EXPECT_EQ(detail::parseTzif(good.substr(0, 60)), nullptr);
    EXPECT_EQ(detail::parseTzif("NotATzifFileNotATzifFileNotATzifFileNotATzifFile"), nullptr);
}

// With ICU built in: the two sources agree on every instant sampled from 1900 in the zones of
// births the program sees most, and on every change of the clock they find. ICU carries its own
// copy of the tz data, as old as its release (Debian 12: ICU 72, tz 2022e), so the comparison ends
// at 2022 and leaves out Singapore and Kuala Lumpur, whose histories the tz data merged and
// corrected in 2023; the system's tz files may be newer (Egypt's summer time from 2023).
TEST(ZoneSources, BuiltInRulesAgreeWithIcu) {
    if (!available(Source::Icu)) GTEST_SKIP() << "built without ICU: nothing to compare with";
    const char* zones[] = {"Asia/Shanghai",     "Asia/Hong_Kong",   "Asia/Macau",        "Asia/Taipei",
                           "Asia/Harbin",       "Asia/Urumqi",      
                           "Asia/Tokyo",        "Asia/Seoul",       "Asia/Kolkata",      "America/New_York",
                           "America/Los_Angeles", "America/Vancouver", "America/Sao_Paulo", "Europe/London",
                           "Europe/Paris",      "Europe/Berlin",    "Europe/Moscow",     "Australia/Sydney",
                           "Pacific/Auckland",  "Africa/Cairo",     "America/Havana",    "Asia/Jerusalem"};
    int compared = 0;
    for (const char* zone : zones) {
        const ZoneRules* icu = zoneRules(zone, Source::Icu);
        const ZoneRules* tzif = zoneRules(zone, Source::Tzif);
        ASSERT_NE(icu, nullptr) << zone;
        ASSERT_NE(tzif, nullptr) << zone;
        EXPECT_EQ(canonicalId(zone, Source::Icu), canonicalId(zone, Source::Tzif)) << zone;
        int mismatches = 0;
        Offsets last;
        // Summer periods whose standard offset never stood alone in the tz files (so a TZif file
        // cannot tell it): there the total offset is compared, not its split.
        struct Unsplit {
            const char* zone;
            double from, to;
        };
        const Unsplit unsplit[] = {{"Europe/Paris", msOf(1944, 8, 24, 0, 0), msOf(1945, 9, 17, 0, 0)},
                                   {"Europe/Moscow", msOf(1917, 7, 1, 0, 0), msOf(1919, 7, 2, 0, 0)}};
        auto splitKnown = [&](double ms) {
            for (const Unsplit& u : unsplit)
                if (std::string(zone) == u.zone && ms >= u.from && ms < u.to) return false;
            return true;
        };
        // Every 7 hours 13 minutes: every hour of the day, every day of the week comes round.
        for (double ms = msOf(1900, 1, 1, 0, 0); ms < msOf(2022, 1, 1, 0, 0); ms += (7 * 60 + 13) * 60000.0) {
            const Offsets a = icu->offsetsAt(ms), b = tzif->offsetsAt(ms);
            ++compared;
            if ((splitKnown(ms) ? !(a == b) : a.total() != b.total()) && ++mismatches <= 3)
                ADD_FAILURE() << zone << " at " << std::fixed << ms / 1000 << ": ICU " << a.raw << "+" << a.dst
                              << ", tz files " << b.raw << "+" << b.dst;
            if (a.total() != last.total()) {
                double wa = 0, wb = 0;
                const bool fa = icu->previousTransition(ms, true, wa), fb = tzif->previousTransition(ms, true, wb);
                if ((fa != fb || wa != wb) && ++mismatches <= 3)
                    ADD_FAILURE() << zone << ": change before " << std::fixed << ms / 1000 << ": ICU " << wa
                                  << ", tz files " << wb;
            }
            last = a;
        }
    }
    EXPECT_GT(compared, 3000000);
    // Beyond the files' last change the footer's rule gives what ICU gives for zones whose rules
    // did not change since.
    for (const char* zone : {"America/New_York", "Europe/London", "Australia/Sydney", "Pacific/Auckland"})
        for (double ms = msOf(2040, 1, 1, 0, 0); ms < msOf(2050, 1, 1, 0, 0); ms += 3600000.0 * 5)
            ASSERT_EQ(zoneRules(zone, Source::Icu)->offsetsAt(ms), zoneRules(zone, Source::Tzif)->offsetsAt(ms)) << zone;
}

// Every zone id ICU knows has the same canonical id, and every world place the same Chinese city
// and country, whichever source is asked.
TEST(ZoneSources, IdsAndNamesAgreeWithIcu) {
    if (!available(Source::Icu)) GTEST_SKIP() << "built without ICU: nothing to compare with";
    std::string_view ids = embeddedResource("generated/zone_ids.tsv");
    int n = 0;
    while (!ids.empty()) {
        const std::string_view line = ids.substr(0, ids.find('\n'));
        ids.remove_prefix(std::min(ids.size(), line.size() + 1));
        const std::string id(line.substr(0, line.find('\t')));
        EXPECT_EQ(canonicalId(id, Source::Tzif), canonicalId(id, Source::Icu)) << id;
        ++n;
    }
    EXPECT_GT(n, 400);
    std::string_view places = embeddedResource("data/world_places.tsv");
    int named = 0;
    while (!places.empty()) {
        const std::string_view line = places.substr(0, places.find('\n'));
        places.remove_prefix(std::min(places.size(), line.size() + 1));
        if (line.empty() || line[0] == '#') continue;
        const std::size_t t1 = line.find('\t'), t2 = line.find('\t', t1 + 1);
        if (t2 == std::string_view::npos) continue;
        const std::string code(line.substr(0, t1));
        const std::string zone = canonicalId(line.substr(t1 + 1, t2 - t1 - 1), Source::Icu);
        EXPECT_EQ(cityName(zone, Source::Tzif), cityName(zone, Source::Icu)) << zone;
        EXPECT_EQ(countryName(code, Source::Tzif), countryName(code, Source::Icu)) << code;
        named += !cityName(zone, Source::Tzif).empty();
    }
    EXPECT_GT(named, 100);
}

}  // namespace
}  // namespace hj::zones::rules
