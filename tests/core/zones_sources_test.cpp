// The zone rules come from the system's tz files, else the program's own copy of a named tz
// release: both give what history says, the copy gives what the system's files give wherever both
// know a zone, the system's conversions (the C library over its own zone files) agree with them
// around every change of the clock, and where ICU is at hand the committed ids, names and the
// reading of the files are held against it (a check of tools/gen_icu_tables.cpp).
#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "core/resources.h"
#include "core/zones/world_places.h"
#include "core/zones/zone_clock.h"
#include "core/zones/zone_rules.h"
#include "icu_reference.h"

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

// Facts of the zones' history (the offsets in force at an instant, UT), from the program's own
// copy and from the system's files: the changes of recent years included.
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
        {"Mexico kept summer time until 2022", "America/Mexico_City", 2022, 7, 1, 18, -6 * 3600, 3600},
        {"Mexico ended summer time in 2022", "America/Mexico_City", 2024, 7, 1, 18, -6 * 3600, 0},
        {"Egypt without summer time, 2022", "Africa/Cairo", 2022, 7, 1, 10, 2 * 3600, 0},
        {"Egypt's summer time again from 2023", "Africa/Cairo", 2024, 7, 1, 10, 2 * 3600, 3600},
        {"Almaty at UTC+6 until March 2024", "Asia/Almaty", 2024, 1, 15, 6, 6 * 3600, 0},
        {"Almaty at UTC+5 from March 2024", "Asia/Almaty", 2024, 7, 1, 6, 5 * 3600, 0},
        {"Nuuk at UTC-3 with summer time, 2022", "America/Nuuk", 2022, 7, 1, 15, -3 * 3600, 3600},
        {"Nuuk at UTC-2 from late 2023", "America/Nuuk", 2023, 12, 1, 15, -2 * 3600, 0},
        {"Nuuk's summer time at UTC-2, 2024", "America/Nuuk", 2024, 7, 1, 15, -2 * 3600, 3600},
        {"Ciudad Juarez, a zone since 2022: US summer time", "America/Ciudad_Juarez", 2024, 7, 1, 18, -7 * 3600, 3600},
        {"Ciudad Juarez in winter", "America/Ciudad_Juarez", 2024, 1, 15, 18, -7 * 3600, 0},
    };
    for (const Source source : {Source::BuiltIn, Source::System}) {
        if (source == Source::System && systemFolder().empty()) continue;
        for (const Case& c : cases) {
            const ZoneRules* z = zoneRules(c.zone, source);
            ASSERT_NE(z, nullptr) << c.what;
            const Offsets o = z->offsetsAt(msOf(c.y, c.m, c.d, c.h, 0));
            EXPECT_EQ(o.raw, c.raw) << c.what << (source == Source::System ? " (system)" : " (built-in)");
            EXPECT_EQ(o.dst, c.dst) << c.what << (source == Source::System ? " (system)" : " (built-in)");
        }
    }
    EXPECT_EQ(zoneRules("Mars/Olympus_Mons", Source::BuiltIn), nullptr);
    EXPECT_EQ(zoneRules("Mars/Olympus_Mons"), nullptr);
    EXPECT_EQ(canonicalId("Asia/Kolkata"), "Asia/Calcutta");
    EXPECT_EQ(canonicalId("US/Eastern"), "America/New_York");
    EXPECT_EQ(canonicalId("America/Ciudad_Juarez"), "America/Ciudad_Juarez");
    EXPECT_EQ(canonicalId(""), "");
    // The clock went forward in New York on 2021-03-14 at 07:00 UT, also by the footer's rule.
    double when = 0;
    ASSERT_TRUE(zoneRules("America/New_York", Source::BuiltIn)->previousTransition(msOf(2021, 3, 20, 0, 0), true, when));
    EXPECT_EQ(when, msOf(2021, 3, 14, 7, 0));
    ASSERT_TRUE(zoneRules("America/New_York", Source::BuiltIn)->previousTransition(msOf(2051, 4, 1, 0, 0), true, when));
    EXPECT_EQ(when, msOf(2051, 3, 12, 7, 0));
}

TEST(ZoneSources, BrokenTzifFilesAreRefused) {
    const std::string_view all = embeddedResource("data/tzif.bin");
    ASSERT_FALSE(all.empty());
    const std::size_t second = all.find("Africa/");  // the first zone, after the release's record
    ASSERT_NE(second, std::string_view::npos);
    const std::string good(all.substr(all.find('\0', second) + 5, 200));
    EXPECT_EQ(detail::parseTzif(""), nullptr);
    EXPECT_EQ(detail::parseTzif("TZif"), nullptr);
    EXPECT_EQ(detail::parseTzif(good.substr(0, 60)), nullptr);
    EXPECT_EQ(detail::parseTzif("NotATzifFileNotATzifFileNotATzifFileNotATzifFile"), nullptr);
}

// Ids are looked up as paths below the zone folder: nothing may leave it.
TEST(ZoneSources, OnlyPlainZoneIdsAreLookedUpAsFiles) {
    struct Case {
        const char* id;
        bool safe;
    };
    const Case cases[] = {{"America/New_York", true}, {"Etc/GMT+5", true},      {"America/Port-au-Prince", true},
                          {"../etc/passwd", false},    {"/etc/passwd", false},   {"America/../../x", false},
                          {"America//New_York", false}, {"America/", false},     {"", false},
                          {"Europe/Paris\\x", false},   {"Asia/Shanghai ", false}, {"./UTC", false}};
    for (const Case& c : cases) EXPECT_EQ(detail::isSafeZonePath(c.id), c.safe) << c.id;
    EXPECT_EQ(canonicalId("../../etc/passwd"), "");
    EXPECT_EQ(zoneRules("/etc/localtime"), nullptr);
}

// The program's copy names its release; the data in use says where it was read.
TEST(ZoneSources, TheReleaseInUseIsNamed) {
    const std::string v = builtInVersion();
    ASSERT_EQ(v.size(), 5u) << v;  // "2025b"
    EXPECT_TRUE(v[0] >= '1' && v[0] <= '9' && v[4] >= 'a' && v[4] <= 'z') << v;
    const DataInfo info = dataInfo();
    EXPECT_FALSE(info.version.empty());
    if (systemFolder().empty()) {
        EXPECT_EQ(info, (DataInfo{v, "built-in"}));
    } else {
        EXPECT_EQ(info.source, systemFolder());
        EXPECT_EQ(dataInfo("America/New_York"), info);
    }
}

// Every zone of the program's copy gives what the system's file of the same zone gives, at
// every change of the clock (a second either side) and every nine days from 1900 to 2037.
TEST(ZoneSources, TheBuiltInCopyAgreesWithTheSystemFiles) {
    if (systemFolder().empty() || dataInfo().source == "built-in") GTEST_SKIP() << "no system zone files here";
    std::string_view all = embeddedResource("data/zone_ids.tsv");
    std::set<std::string> zones;
    while (!all.empty()) {
        const std::string_view line = all.substr(0, all.find('\n'));
        all.remove_prefix(std::min(all.size(), line.size() + 1));
        if (!line.empty() && line[0] != '#') zones.insert(std::string(line.substr(line.rfind('\t') + 1)));
    }
    zones.erase("");
    EXPECT_GT(zones.size(), 400u);
    const bool sameRelease = dataInfo().version == builtInVersion();
    int compared = 0, differing = 0;
    for (const std::string& zone : zones) {
        const ZoneRules* sys = zoneRules(zone, Source::System);
        const ZoneRules* own = zoneRules(zone, Source::BuiltIn);
        ASSERT_NE(own, nullptr) << zone;
        ASSERT_NE(sys, nullptr) << zone;
        std::vector<double> instants;
        for (double ms = msOf(1900, 1, 1, 0, 0); ms < msOf(2038, 1, 1, 0, 0); ms += 9 * 86400000.0) instants.push_back(ms);
        double when = msOf(2038, 1, 1, 0, 0);
        while (sys->previousTransition(when, false, when) && when >= msOf(1900, 1, 1, 0, 0))
            for (double d : {-1000.0, 0.0, 1000.0}) instants.push_back(when + d);
        bool same = true;
        for (double ms : instants) {
            ++compared;
            if (sys->offsetsAt(ms) == own->offsetsAt(ms)) continue;
            same = false;
            if (sameRelease) ADD_FAILURE() << zone << " at " << std::fixed << ms / 1000;
            break;
        }
        differing += !same;
    }
    EXPECT_GT(compared, 2000000);
    if (!sameRelease) std::printf("system tz %s, built-in %s: %d zones differ\n", dataInfo().version.c_str(), builtInVersion().c_str(), differing);
}

// The system's own conversion (the C library over its zone files) gives the offsets the program
// reads, for the zone of every world place, a second before, at and after every change of the
// clock from 1900 to 2037 and every five days between.
TEST(ZoneSources, WorldPlacesAgreeWithTheSystemsConversions) {
#ifdef _WIN32
    GTEST_SKIP() << "the C library of Windows has no zone database to compare with";
#else
    if (systemFolder().empty() || dataInfo().source == "built-in") GTEST_SKIP() << "no system zone files here";
    std::set<std::string> zones;
    for (const WorldPlace& p : builtinWorldPlaces()) zones.insert(p.zone);
    EXPECT_GT(zones.size(), 400u);
    long compared = 0;
    for (const std::string& zone : zones) {
        const ZoneRules* z = zoneRules(zone);
        ASSERT_NE(z, nullptr) << zone;
        setenv("TZ", (":" + zone).c_str(), 1);
        tzset();
        std::vector<double> instants;
        for (double ms = msOf(1900, 1, 1, 0, 0); ms < msOf(2038, 1, 1, 0, 0); ms += 5 * 86400000.0) instants.push_back(ms);
        double when = msOf(2038, 1, 1, 0, 0);
        while (z->previousTransition(when, false, when) && when >= msOf(1900, 1, 1, 0, 0))
            for (double d : {-1000.0, 0.0, 1000.0}) instants.push_back(when + d);
        int mismatches = 0;
        for (double ms : instants) {
            const auto t = static_cast<std::time_t>(ms / 1000);
            std::tm tm{};
            ASSERT_NE(localtime_r(&t, &tm), nullptr);
            ++compared;
            if (z->offsetsAt(ms).total() != tm.tm_gmtoff && ++mismatches <= 3)
                ADD_FAILURE() << zone << " at " << t << ": program " << z->offsetsAt(ms).total() << ", C library " << tm.tm_gmtoff;
        }
    }
    unsetenv("TZ");
    tzset();
    EXPECT_GT(compared, 4000000);
#endif
}

// Where ICU is at hand: the program's reading of the tz files and ICU agree on every instant sampled from 1900 in the zones of
// births the program sees most, and on every change of the clock they find. ICU carries its own
// copy of the tz data, as old as its release (Debian 12: ICU 72, tz 2022e), so the comparison ends
// at 2022 and leaves out Singapore and Kuala Lumpur, whose histories the tz data merged and
// corrected in 2023; the system's tz files may be newer (Egypt's summer time from 2023).
TEST(ZoneSources, BuiltInRulesAgreeWithIcu) {
    if (!test::icu::available()) GTEST_SKIP() << "no ICU on this machine: the tables are compared where it is";
    const char* zones[] = {"Asia/Shanghai",     "Asia/Hong_Kong",   "Asia/Macau",        "Asia/Taipei",
                           "Asia/Harbin",       "Asia/Urumqi",      
                           "Asia/Tokyo",        "Asia/Seoul",       "Asia/Kolkata",      "America/New_York",
                           "America/Los_Angeles", "America/Vancouver", "America/Sao_Paulo", "Europe/London",
                           "Europe/Paris",      "Europe/Berlin",    "Europe/Moscow",     "Australia/Sydney",
                           "Pacific/Auckland",  "Africa/Cairo",     "America/Havana",    "Asia/Jerusalem"};
    int compared = 0;
    for (const char* zone : zones) {
        const ZoneRules* icu = test::icu::zoneRules(zone);
        const ZoneRules* tzif = zoneRules(zone, Source::BuiltIn);
        ASSERT_NE(icu, nullptr) << zone;
        ASSERT_NE(tzif, nullptr) << zone;
        EXPECT_EQ(test::icu::canonicalId(zone), canonicalId(zone)) << zone;
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
            ASSERT_EQ(test::icu::zoneRules(zone)->offsetsAt(ms), zoneRules(zone, Source::BuiltIn)->offsetsAt(ms)) << zone;
}

// Every zone id ICU knows has the canonical id ICU gives, and every world place the Chinese city
// and country ICU gives.
TEST(ZoneSources, IdsAndNamesAgreeWithIcu) {
    if (!test::icu::available()) GTEST_SKIP() << "no ICU on this machine: the tables are compared where it is";
    std::string_view ids = embeddedResource("data/zone_ids.tsv");
    int n = 0;
    while (!ids.empty()) {
        const std::string_view line = ids.substr(0, ids.find('\n'));
        ids.remove_prefix(std::min(ids.size(), line.size() + 1));
        if (line.empty() || line[0] == '#' || line.back() == '\t') continue;  // comments; ids without tz rules
        const std::string id(line.substr(0, line.find('\t')));
        const std::string icu = test::icu::canonicalId(id);
        if (icu.empty()) continue;  // newer than this ICU
        EXPECT_EQ(canonicalId(id), icu) << id;
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
        const std::string zone = test::icu::canonicalId(line.substr(t1 + 1, t2 - t1 - 1));
        EXPECT_EQ(cityName(zone), test::icu::cityName(zone)) << zone;
        EXPECT_EQ(countryName(code), test::icu::countryName(code)) << code;
        named += !cityName(zone).empty();
    }
    EXPECT_GT(named, 100);
}

}  // namespace
}  // namespace hj::zones::rules
