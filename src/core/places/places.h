#pragma once
// Places of dat/dili.ini and the shift of a Beijing-time birth to local mean or true solar time.
//
// dili.ini holds one section per province (named as in ProvinceTable) and one key per place;
// the value is "lonDeg:lonMin*latDeg:latMin", e.g. "120:0*30:0" (the default of a missing key).
#include <string>
#include <string_view>
#include <vector>

#include "core/calendar/datetime.h"

namespace hj::text {
class IniFile;
}

namespace hj {

class Calendar;

struct PlaceCoordinates {
    float longitude = 120.0f;  // degrees east
    float latitude = 30.0f;    // degrees north
};

// One coordinate as the place file, the place editor and the report write it: a sign, whole
// degrees and minutes. The minutes take the sign of the coordinate: "-10:30" is −10.5° and
// "-0:30" is −0.5° (so places between 0° and 1° west or south can be written at all).
struct DegreesMinutes {
    bool negative = false;
    int degrees = 0;  // 0 or more
    int minutes = 0;  // 0..59 when valid
    double value() const { return (negative ? -1.0 : 1.0) * (degrees + minutes / 60.0); }
};

// The whole degrees a place may hold: longitude −179..179, latitude −89..89; minutes 0..59.
inline constexpr int kMaxLongitudeDegrees = 179;
inline constexpr int kMaxLatitudeDegrees = 89;

// What is wrong with a coordinate typed or stored as degrees and minutes.
enum class AngleFault { None, Degrees, Minutes };

// Reads the degree and minute texts of a coordinate (a leading '-' on the degrees makes it
// west or south, "-0" included) and checks their ranges. Anything but a whole number is a fault.
AngleFault readDegreesMinutes(std::string_view degrees, std::string_view minutes, bool latitude, DegreesMinutes& out);
// "deg:min" with the sign in front of the degrees: "-0:30", "116:23".
std::string formatDegreesMinutes(const DegreesMinutes& a);
// A coordinate in degrees as printed: whole degrees of its size rounded down, the minutes rounded
// to the nearest (halves down; 60 carries into the degrees), the sign of the value.
DegreesMinutes degreesMinutesOf(double value);
// The refusal of a coordinate out of range, as the place editor shows it.
std::string_view angleRangeMessage(bool latitude);

// The one check of a longitude and latitude, whatever their source (command line, place file,
// pasted or stored data): finite, longitude within ±180°, latitude within ±90°. False with a
// Chinese message in `error`.
bool checkCoordinates(double longitude, double latitude, std::string* error = nullptr);

// Parses a place value "lonDeg:lonMin*latDeg:latMin" (":min" may be left out). False with a
// Chinese message in `error` when a number does not parse or is out of range (degrees as
// above, minutes 0..59); the coordinates are then unchanged.
bool parsePlaceValue(std::string_view value, PlaceCoordinates& out, std::string* error = nullptr);
// The value written for a place.
std::string formatPlaceValue(const DegreesMinutes& longitude, const DegreesMinutes& latitude);

// Coordinates of a place of a province section; a missing key reads as "120:0*30:0". False
// with a message when the stored value does not parse.
bool placeCoordinates(const text::IniFile& dili, std::string_view province, std::string_view place,
                      PlaceCoordinates& out, std::string* error = nullptr);
// Place names (keys) of a province section, in file order; empty for a missing section.
std::vector<std::string> placesOf(const text::IniFile& dili, std::string_view province);

// Time modes of the chart setting `idate`.
enum SolarTimeMode { kBeijingTime = 0, kTrueSolarTime = 1, kLocalMeanTime = 2 };

// Shifts `rec` (Beijing time) in place to local mean time (mode 2) or true solar time
// (mode 1): minus four minutes per degree west of 120°E, taken in whole seconds rounded down,
// plus for mode 1 the equation of time in whole seconds; the result is rounded to the minute.
// Returns the equation of time used (0 unless mode 1). Mode 0 leaves `rec` unchanged.
int applySolarTime(Calendar& calendar, DateTime& rec, float longitude, int mode);

}  // namespace hj
