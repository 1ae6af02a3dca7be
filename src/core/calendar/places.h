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

// Parses a place value. Degrees and minutes are decimal integers; a coordinate is
// degrees + minutes/60 (minutes added also to negative degrees). False with a message in
// `error` when a number does not parse (the coordinates are then unchanged).
bool parsePlaceValue(std::string_view value, PlaceCoordinates& out, std::string* error = nullptr);

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
