#pragma once
// Where the chart engine meets the time zones: the clock time of a birth read at its place.
//
// Chinese places (a request without a zone): the clock is read with the summer-time history of
// the place's zone (mainland Asia/Shanghai, 香港 Asia/Hong_Kong, 澳门 Asia/Macau, 台湾
// Asia/Taipei) and only the summer-time shift is removed; the standard time stays UTC+8 in
// every year (no local mean time before 1901, no wartime standard offsets). The setting `dst`
// 0 takes the clock as Beijing time, as charts were read before.
//
// Births abroad (a request with a zone): the clock is read with the zone's whole history and
// converted to Beijing time (UT+8) for the year and month pillars and the terms. The day and
// hour pillars follow the place's own time: `idate` 0 its standard clock time, 1 true solar
// and 2 local mean time from its longitude. Before a zone kept standard time the zone database
// gives the local mean time of its principal city as the "standard" offset, so a birth of 1800
// in idate 0 is read in that city's mean time; the setting `dst` does not apply abroad.
#include <string>
#include <string_view>

#include "core/calendar/datetime.h"

namespace hj {
class Calendar;
}

namespace hj::zones {

// What the engine did with the clock reading of the last chart.
struct BirthZone {
    bool converted = false;   // the clock reading was not taken as Beijing time as it stood
    bool abroad = false;      // a zone outside China (the request's zone)
    std::string zone;         // the zone read ("" when the clock was taken as Beijing time)
    DateTime clock;           // the clock reading at the place (solar date)
    int standardSeconds = 8 * 3600;  // standard offset from UT at the birth
    int dstSeconds = 0;       // summer-time shift in force at the birth (removed)
    bool repeated = false;    // the clock showed this time twice
    int fold = 1;             // the one taken: 1 the first (summer time), 2 the second
};

// The zone whose summer-time history the places of a ProvinceTable row keep.
std::string_view chinaZoneOf(int province);

// Reads the clock reading `clock` (a solar date) at the birthplace: abroad in `zone`, or with
// `zone` empty at a Chinese place of ProvinceTable row `province`, whose summer time is removed
// when `dst` (the setting) is on. `fold` 1 or 2 picks the first or second of a repeated time.
// Fills `out`, `beijing` (Beijing time) and `local`: the place's standard clock time abroad,
// else the reading itself. False with `error` when the clock time never occurred there or the
// zone is unknown.
bool resolveBirthZone(Calendar& calendar, const DateTime& clock, std::string_view zone, int province, int fold,
                      bool dst, BirthZone& out, DateTime& beijing, DateTime& local, std::string& error);

// The clock reading at a Chinese place of a Beijing standard time (a moment found by the
// reverse search, say): the summer time in force then is added.
DateTime chinaClockOf(Calendar& calendar, const DateTime& beijing, int province);

// The report line that says how the clock reading was converted ("" when it was not), e.g.
// "出生公历：1988年7月1日9时30分(钟表时间，中国时间，夏令时，已减1小时)。\r\n"; abroad the
// standard offset follows the name ("北美东部时间，西五区").
std::string clockLineText(const BirthZone& z);

}  // namespace hj::zones
