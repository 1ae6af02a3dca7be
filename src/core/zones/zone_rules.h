#pragma once
// Where the zone rules come from: ICU's zone database (a build with ICU, Linux), or the compiled
// tz files (RFC 8536 TZif) embedded at build time with ICU's ids, zone and country names, made on
// the build machine (tools/gen_icu_tables.cpp) for a build without ICU (Windows). Both sources
// are built into a build with ICU, so that a test can hold them against each other.
//
// Instants are milliseconds since 1970-01-01 UT (whole seconds); offsets are seconds.
#include <string>
#include <string_view>

namespace hj::zones::rules {

enum class Source { Icu, Tzif };
// The source the program uses: ICU when built with it.
Source defaultSource();
bool available(Source s);

struct Offsets {
    int raw = 0;  // standard offset from UT
    int dst = 0;  // summer-time shift (0: none)
    int total() const { return raw + dst; }
    bool operator==(const Offsets&) const = default;
};

class ZoneRules {
public:
    virtual ~ZoneRules() = default;
    virtual Offsets offsetsAt(double ms) const = 0;
    // The last change of the offsets at or before (`inclusive`) or before `ms`; false when none.
    virtual bool previousTransition(double ms, bool inclusive, double& when) const = 0;
};

// The rules of a zone (any id the source knows, alias or canonical); nullptr for an unknown one.
// Kept for the life of the program.
const ZoneRules* zoneRules(std::string_view id, Source s);
// ICU's canonical id of a zone ("US/Eastern" → "America/New_York"); "" for an unknown id.
std::string canonicalId(std::string_view id, Source s);
// Chinese names: the exemplar city of a canonical zone, the country of an ISO code; "" when none.
std::string cityName(std::string_view canonicalZone, Source s);
std::string countryName(std::string_view isoCode, Source s);

namespace detail {
// The ICU side (zone_rules_icu.cpp), present only in a build with ICU.
const ZoneRules* icuZoneRules(std::string_view id);
std::string icuCanonicalId(std::string_view id);
std::string icuCityName(std::string_view canonicalZone);
std::string icuCountryName(std::string_view isoCode);
// The embedded side (zone_rules_tzif.cpp).
const ZoneRules* tzifZoneRules(std::string_view id);
std::string tableCanonicalId(std::string_view id);
std::string tableCityName(std::string_view canonicalZone);
std::string tableCountryName(std::string_view isoCode);
// Reads one TZif file; nullptr when it is not one.
const ZoneRules* parseTzif(std::string_view bytes);
}  // namespace detail

}  // namespace hj::zones::rules
