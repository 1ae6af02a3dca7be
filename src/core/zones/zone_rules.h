#pragma once
// Where the zone rules come from: the compiled tz files (RFC 8536 TZif) of the system
// (/usr/share/zoneinfo, or the folder $TZDIR names), kept current by the system's tz package,
// else the program's own copy of a named tz release (resources/data/tzif.bin), which Windows
// always uses. Zone ids, their canonical ids (as cases store them) and the Chinese names of the
// world places come from the program's tables (resources/data/zone_ids.tsv, zone_places.tsv).
//
// Instants are milliseconds since 1970-01-01 UT (whole seconds); offsets are seconds.
#include <string>
#include <string_view>

namespace hj::zones::rules {

// Which copy of the tz data: the system's files (falling back to the program's own for a zone
// they lack), or the program's own alone.
enum class Source { System, BuiltIn };

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

// The rules of a zone (any id the tables or the system's files know, alias or canonical);
// nullptr for an unknown one. Kept for the life of the program.
const ZoneRules* zoneRules(std::string_view id, Source s = Source::System);
// The canonical id of a zone ("US/Eastern" → "America/New_York"); "" for an unknown id. A zone
// newer than the tables that the system's files hold is its own canonical id.
std::string canonicalId(std::string_view id);
// Chinese names: the exemplar city of a canonical zone, the country of an ISO code; "" when none.
std::string cityName(std::string_view canonicalZone);
std::string countryName(std::string_view isoCode);

// The tz data in use: its release ("2025b"; "unknown" when the system's files do not say) and
// where it was read: the system's folder, or "built-in".
struct DataInfo {
    std::string version;
    std::string source;
    bool operator==(const DataInfo&) const = default;
};
// What the program reads when the system's files have a zone (`zone` empty), or what it read
// for `zone`.
DataInfo dataInfo(std::string_view zone = {});
// "tz 2025b（/usr/share/zoneinfo）", "tz 2025b（程序内置）": the data in use, for the user.
std::string dataText(const DataInfo& info);
// The release of the program's own copy.
std::string builtInVersion();
// The system's folder of zone files; "" when there is none (Windows without $TZDIR).
std::string systemFolder();

namespace detail {
// Reads one TZif file; nullptr when it is not one.
const ZoneRules* parseTzif(std::string_view bytes);
// A zone id safe to look up as a path below the zone folder: letters, digits, "_-+/", no empty,
// "." or ".." part.
bool isSafeZonePath(std::string_view id);
}  // namespace detail

}  // namespace hj::zones::rules
