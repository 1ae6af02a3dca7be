#include "core/places/places.h"

#include <cmath>

#include "core/calendar/calendar.h"
#include "core/calendar/datetime.h"
#include "core/calendar/ephemeris.h"
#include "core/text/ini.h"
#include "core/text/strings.h"

namespace hj {
namespace {

std::string_view trim(std::string_view s) { return text::trimmedControls(s); }

// A whole decimal number of at most four digits (no place needs more; no overflow either).
bool parseSmall(std::string_view s, int& v) {
    s = trim(s);
    if (s.empty() || s.size() > 4) return false;
    v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    return true;
}

}  // namespace

AngleFault readDegreesMinutes(std::string_view degrees, std::string_view minutes, bool latitude, DegreesMinutes& out) {
    DegreesMinutes a;
    degrees = trim(degrees);
    if (!degrees.empty() && (degrees.front() == '-' || degrees.front() == '+')) {
        a.negative = degrees.front() == '-';
        degrees.remove_prefix(1);
    }
    const int limit = latitude ? kMaxLatitudeDegrees : kMaxLongitudeDegrees;
    if (!parseSmall(degrees, a.degrees) || a.degrees > limit) return AngleFault::Degrees;
    if (!parseSmall(minutes, a.minutes) || a.minutes > 59) return AngleFault::Minutes;
    if (a.degrees == 0 && a.minutes == 0) a.negative = false;
    out = a;
    return AngleFault::None;
}

std::string formatDegreesMinutes(const DegreesMinutes& a) {
    return (a.negative ? "-" : "") + std::to_string(a.degrees) + ":" + std::to_string(a.minutes);
}

DegreesMinutes degreesMinutesOf(double value) {
    DegreesMinutes a;
    const double size = std::fabs(value);
    a.degrees = static_cast<int>(std::floor(size));
    a.minutes = static_cast<int>(roundTo((size - a.degrees) * 60.0, 0));
    if (a.minutes >= 60) {
        a.minutes -= 60;
        a.degrees += 1;
    }
    a.negative = value < 0 && (a.degrees != 0 || a.minutes != 0);
    return a;
}

std::string_view angleRangeMessage(bool latitude) {
    return latitude ? "纬度在-90到90之间，分数在0-60之间" : "经度在-180到180之间，分数在0-60之间";
}

bool checkCoordinates(double longitude, double latitude, std::string* error) {
    if (!std::isfinite(longitude) || std::fabs(longitude) > 180.0) {
        if (error) *error = "经度必须在-180到180度之间";
        return false;
    }
    if (!std::isfinite(latitude) || std::fabs(latitude) > 90.0) {
        if (error) *error = "纬度必须在-90到90度之间";
        return false;
    }
    return true;
}

bool parsePlaceValue(std::string_view value, PlaceCoordinates& out, std::string* error) {
    const std::size_t star = value.find('*');
    if (star == std::string_view::npos) {
        if (error) *error = "“" + std::string(value) + "”不是“经度度:分*纬度度:分”的形式";
        return false;
    }
    DegreesMinutes angle[2];
    for (int i = 0; i < 2; ++i) {
        const std::string_view half = i == 0 ? value.substr(0, star) : value.substr(star + 1);
        const std::size_t colon = half.find(':');
        const std::string_view minutes = colon == std::string_view::npos ? std::string_view("0") : half.substr(colon + 1);
        if (readDegreesMinutes(half.substr(0, colon), minutes, i == 1, angle[i]) != AngleFault::None) {
            if (error) *error = "“" + std::string(value) + "”有误：" + std::string(angleRangeMessage(i == 1));
            return false;
        }
    }
    out = PlaceCoordinates{static_cast<float>(angle[0].value()), static_cast<float>(angle[1].value())};
    return true;
}

std::string formatPlaceValue(const DegreesMinutes& longitude, const DegreesMinutes& latitude) {
    return formatDegreesMinutes(longitude) + "*" + formatDegreesMinutes(latitude);
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
