#include "cli/place_options.h"

#include <string_view>

#include "core/calendar/places.h"
#include "core/chart/chart_settings.h"
#include "core/chart/province_table.h"
#include "core/text/ini.h"

namespace hj::cli {

bool fillListedPlace(int province, int city, const std::string& dataDir, ChartRequest& q, std::string& error) {
    if (!ProvinceTable::valid(province)) {
        error = "--province takes 0.." + std::to_string(ProvinceTable::kCount - 1);
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
    const std::string path = dataFilePath(dataDir, "dili.ini");
    text::IniFile dili(path);
    if (!dili.reload()) {
        error = dili.lastError();
        return false;
    }
    const std::string_view name = ProvinceTable::name(province);
    const auto cities = placesOf(dili, name);
    if (city < 0 || city >= static_cast<int>(cities.size())) {
        error = std::string(name) + " has " + std::to_string(cities.size()) + " places in " + path + "; --city " +
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
