#pragma once
// Reading a clock time at a place with its time zone's whole history (standard offset and
// summer time at that instant), from the tz files (zone_rules.h).
//
// Times are Julian days (days from noon of -4712-01-01, the program's day numbers, Julian
// calendar before 1582-10-15), so no calendar of the library is involved: a wall-clock reading
// is its civil day number as if it were UT, an instant is UT.
#include <string>
#include <string_view>

namespace hj::zones {

// What the zone said about one clock reading.
struct ClockReading {
    double utJd = 0;             // the instant (UT) the reading stands for
    int standardSeconds = 0;     // the zone's standard offset from UT at that instant
    int dstSeconds = 0;          // summer-time shift in force at that instant (0: none)
    bool repeated = false;       // the clock showed this time twice (clocks set back)
    int fold = 1;                // which of the two was taken: 1 the first, 2 the second
    // The clock never showed this time: it jumped from gapFromJd to gapToJd (wall-clock days).
    bool skipped = false;
    double gapFromJd = 0, gapToJd = 0;
    bool gapIsSummer = false;    // the jump began summer time (else the standard offset changed)
};

// True when the zone database knows `zone` as a time-zone id (e.g. "America/New_York").
bool zoneExists(std::string_view zone);
// ICU's canonical id of a zone ("US/Eastern" → "America/New_York"); "" for an unknown id.
std::string canonicalZone(std::string_view zone);

// The offsets of `zone` at the instant `utJd`.
bool offsetsAt(std::string_view zone, double utJd, int& standardSeconds, int& dstSeconds);

// Reads the wall-clock time `wallJd` (whole seconds) at `zone`. `fold` (1 or 2) picks the first
// or the second of a time that occurred twice. A time the clock never showed (the hour skipped
// when clocks went forward) comes back with `skipped` and the jump. False with a message only
// for an unknown zone. With `summerOnly`, changes of the standard offset are not
// changes of the clock that matter (the Chinese places, whose standard time is always UTC+8):
// a gap or overlap that leaves the summer-time shift unchanged is no gap or overlap.
bool readClock(std::string_view zone, double wallJd, int fold, bool summerOnly, ClockReading& out,
               std::string& error);

// "UTC+8", "UTC-4:30", "UTC-4:56:02".
std::string offsetText(int seconds);
// "1小时", "30分钟", "1小时30分钟".
std::string durationText(int seconds);

}  // namespace hj::zones
