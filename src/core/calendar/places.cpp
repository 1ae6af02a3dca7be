#include "core/calendar/places.h"

#include <charconv>
#include <cmath>

#include "core/calendar/calendar.h"
#include "core/calendar/ephemeris.h"
#include "core/text/ini.h"

namespace hj {
namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

bool parseInt(std::string_view s, int& v) {
    s = trim(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return !s.empty() && ec == std::errc() && p == s.data() + s.size();
}

// "deg:min" → degrees + minutes/60 (no ':' means whole degrees).
bool parseAngle(std::string_view s, float& out) {
    std::size_t colon = s.find(':');
    int deg = 0, min = 0;
    if (!parseInt(s.substr(0, colon), deg)) return false;
    if (colon != std::string_view::npos && !parseInt(s.substr(colon + 1), min)) return false;
    out = static_cast<float>(deg + min / 60.0);
    return true;
}

}  // namespace

bool parsePlaceValue(std::string_view value, PlaceCoordinates& out, std::string* error) {
    std::size_t star = value.find('*');
    PlaceCoordinates c;
    bool ok = star != std::string_view::npos && parseAngle(value.substr(0, star), c.longitude) &&
              parseAngle(value.substr(star + 1), c.latitude);
    if (!ok) {
        if (error) *error = "\"" + std::string(value) + "\" is not a place value (degrees:minutes*degrees:minutes)";
        return false;
    }
    out = c;
    return true;
}

bool placeCoordinates(const text::IniFile& dili, std::string_view province, std::string_view place,
                      PlaceCoordinates& out, std::string* error) {
    return parsePlaceValue(dili.readString(province, place, "120:0*30:0"), out, error);
}

std::vector<std::string> placesOf(const text::IniFile& dili, std::string_view province) {
    return dili.sectionKeys(province);
}

int applySolarTime(Calendar& calendar, DateTime& rec, float longitude, int mode) {
    if (mode != kTrueSolarTime && mode != kLocalMeanTime) return 0;
    const double j = calendar.julianDayOf(rec);
    int e = 0;
    if (mode == kTrueSolarTime) e = static_cast<int>(std::trunc(eph::equationOfTimeSeconds(rec)));
    // Four minutes of time per degree west of 120°E, in whole seconds rounded down.
    const int s = static_cast<int>(std::floor((120.0 - static_cast<double>(longitude)) * 4 * 60));
    calendar.dateTimeOf(j + (e - s) / 86400.0, rec);
    return e;
}

}  // namespace hj
