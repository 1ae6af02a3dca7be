#include "cli/place_options.h"

#include <string_view>

#include "core/places/places.h"
#include "core/places/province_table.h"
#include "core/text/file_io.h"
#include "core/text/ini.h"
#include "core/zones/world_places.h"
#include "core/zones/zone_clock.h"

namespace hj::cli {

bool fillListedPlace(int province, int city, const std::string& dataDir, ChartRequest& q, std::string& error,
                     const std::string& prefix) {
    if (!ProvinceTable::valid(province)) {
        error = "--" + prefix + "province takes 0.." + std::to_string(ProvinceTable::kCount - 1);
        return false;
    }
    q.province = static_cast<std::int16_t>(province);
    q.city = static_cast<std::int16_t>(city);
    if (province == ProvinceTable::kUnknown) {
        if (city != 0) {
            error = "未知地 has the single city 0";
            return false;
        }
        q.longitude = ProvinceTable::kUnknownLongitude;
        q.latitude = ProvinceTable::kUnknownLatitude;
        q.place = "未知";
        return true;
    }
    const std::string path = text::dataFilePath(dataDir, "dili.ini");
    text::IniFile dili(path);
    if (!dili.reload()) {
        error = dili.lastError();
        return false;
    }
    const std::string_view name = ProvinceTable::name(province);
    const auto cities = placesOf(dili, name);
    if (city < 0 || city >= static_cast<int>(cities.size())) {
        error = std::string(name) + " has " + std::to_string(cities.size()) + " places in " + path + "; --" + prefix + "city " +
                std::to_string(city) + " is not one of them";
        return false;
    }
    const std::string& place = cities[static_cast<std::size_t>(city)];
    PlaceCoordinates c;
    if (!placeCoordinates(dili, name, place, c, &error)) return false;
    q.longitude = c.longitude;
    q.latitude = c.latitude;
    q.place = ProvinceTable::placeText(province, place);
    return true;
}

}  // namespace hj::cli

namespace hj::cli {

void addAbroadOptions(CLI::App& command, AbroadOptions& o, const std::string& prefix) {
    const std::string p = "--" + prefix;
    auto* tz = command.add_option(p + "tz", o.tz, "Time zone of a birth abroad (America/New_York); " + p + "time is the clock there");
    auto* world = command.add_option(p + "world-place", o.worldPlace,
                                     "A place of the world list (纽约, New York, 美国 …; see places --world)");
    tz->excludes(world);
    command.add_option(p + "fold", o.fold, "A clock time that occurred twice: 1 the first (summer time), 2 the second")
        ->check(CLI::Range(1, 2));
}

bool fillAbroadPlace(const AbroadOptions& o, bool haveCoordinates, const std::string& dataDir, ChartRequest& q,
                     std::string& error, const std::string& prefix) {
    q.fold = o.fold;
    if (!o.any()) return true;
    std::vector<zones::WorldPlace> user;
    if (!zones::loadUserPlaces(dataDir, user, error)) return false;
    zones::WorldPlace place;
    if (!o.worldPlace.empty()) {
        const auto found = zones::findWorldPlaces(user, o.worldPlace);
        const bool exact = !found.empty() && (found[0].city == o.worldPlace || found[0].englishCity == o.worldPlace ||
                                              found[0].zone == o.worldPlace);
        if (found.empty()) {
            error = "no world place matches \"" + o.worldPlace + "\" (see places --world)";
            return false;
        }
        if (!exact && found.size() > 1) {
            error = "\"" + o.worldPlace + "\" fits " + std::to_string(found.size()) + " places:";
            for (std::size_t i = 0; i < found.size() && i < 8; ++i) error += " " + found[i].placeText();
            return false;
        }
        place = found[0];
        q.place = place.placeText();
        q.longitude = place.longitude;
        q.latitude = place.latitude;
    } else {
        place.zone = zones::canonicalZone(o.tz);
        if (place.zone.empty()) {
            error = "unknown time zone \"" + o.tz + "\" (an IANA id such as America/New_York)";
            return false;
        }
        if (!haveCoordinates) {
            const int code = zones::zoneCode(place.zone);
            if (code == 0) {
                error = "--" + prefix + "tz " + o.tz + " has no principal city: give --" + prefix + "lon and --" + prefix + "lat";
                return false;
            }
            const zones::WorldPlace& city = zones::builtinWorldPlaces()[static_cast<std::size_t>(code - 1)];
            q.longitude = city.longitude;
            q.latitude = city.latitude;
            if (q.place.empty() || q.place == "未知") q.place = city.placeText();
        }
    }
    q.zone = place.zone;
    q.province = ProvinceTable::kUnknown;
    q.city = 0;
    return true;
}

}  // namespace hj::cli
