#pragma once
// The world place list for births abroad: the principal city of every zone of the time-zone
// database (resources/data/world_places.tsv, from its zone.tab) with ICU's Chinese names of the
// city and its country, and the places the user adds, kept in dat/worldpl.ini (GBK):
//
//   [places]
//   名称=经度*纬度*时区      e.g. 硅谷=-122.0575*37.3875*America/Los_Angeles
//
// Longitudes are degrees east, latitudes degrees north, both decimal.
#include <string>
#include <string_view>
#include <vector>

namespace hj::zones {

struct WorldPlace {
    std::string city;         // Chinese name (ICU's exemplar city; the user's name for a user place)
    std::string country;      // Chinese country name ("" for a user place)
    std::string englishCity;  // the zone id's city, "New York"
    std::string zone;         // "America/New_York"
    float longitude = 0;      // degrees east
    float latitude = 0;       // degrees north
    bool user = false;        // added by the user
    bool known = true;        // the library knows the zone (a zone newer than its data is not listed)

    // The place text of a request: "美国-纽约", or the user's name; at most 31 GBK bytes.
    std::string placeText() const;
};

// The built-in list, in the order of the data table (its Chinese names are built on first use).
const std::vector<WorldPlace>& builtinWorldPlaces();

// The number a zone keeps in stored cases: its row in the built-in list + 1, 0 when the zone
// (or the zone it is an alias of) has no row.
int zoneCode(std::string_view zone);
// The zone of a number, "" when there is none.
std::string zoneOfCode(int code);

// The user's places of <dataDir>/dat/worldpl.ini, in file order; a missing file gives none. A
// line that does not parse is skipped. False with `error` when the file cannot be read.
bool loadUserPlaces(const std::string& dataDir, std::vector<WorldPlace>& out, std::string& error);
// Adds or replaces a user place (name 1..20 GBK bytes, longitude -180..180, latitude -90..90,
// a zone the program knows). False with a Chinese message; the file is then unchanged.
bool saveUserPlace(const std::string& dataDir, const WorldPlace& place, std::string& error);
bool removeUserPlace(const std::string& dataDir, std::string_view name, std::string& error);

// The user's places, then the built-in ones, whose Chinese city or country name, English city
// name or zone id holds `text` (ASCII letters compared without case; blanks and "_" alike). An
// exact name comes first. An empty text matches every place.
std::vector<WorldPlace> findWorldPlaces(const std::vector<WorldPlace>& userPlaces, std::string_view text);

}  // namespace hj::zones
