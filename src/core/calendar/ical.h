#pragma once
// The calendar as an iCalendar file (RFC 5545) that calendar programs import: one all-day event
// for each solar term (its instant in the description), each festival and the first day of each
// lunar month. UTF-8, CRLF line ends, lines folded at 75 octets without splitting a character.
//
// iCalendar dates are Gregorian, while this calendar counts Julian days before 15 October
// 1582, so only years from 1583 on are written.
#include <string>
#include <utility>
#include <vector>

#include "core/calendar/calendar.h"

namespace hj {

inline constexpr int kFirstIcalYear = 1583, kLastIcalYear = 9999;

struct IcalOptions {
    std::string stamp;         // DTSTAMP, UTC: "20261208T001500Z"
    bool winterNames = false;  // 冬月 and 腊月 for the last two lunar months
};

// A day beyond the calendar's own events (the almanac's season starts), written as an all-day
// event under the category 黄历 when the caller asks for it.
struct IcalExtraDay {
    DateTime day;
    std::string summary, description;
};

// The UTC stamp of a time_t in the form DTSTAMP wants.
std::string icalStamp(long long unixSeconds);

class IcalWriter {
public:
    IcalWriter(Calendar& cal, IcalOptions options) : cal_(cal), options_(std::move(options)) {}

    // The years a file may hold; false with the reason otherwise.
    static bool yearsAccepted(int first, int last, std::string& error);

    std::string begin() const;        // BEGIN:VCALENDAR and the calendar's properties
    std::string events(int year);     // every event of a civil year, in date order
    // The same, with the extra days of the year among them (after the calendar's own events of
    // their day); without extra days the bytes are those of events(year).
    std::string events(int year, const std::vector<IcalExtraDay>& extra);
    static std::string end();         // END:VCALENDAR

private:
    Calendar& cal_;
    IcalOptions options_;
};

}  // namespace hj
