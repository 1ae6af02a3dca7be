#pragma once
// Dates as text on the command line and in machine-readable output: ISO-like with
// astronomical year numbering ("0000" is 1 BC, "-0001" is 2 BC).
#include <string>
#include <string_view>

#include "core/calendar/datetime.h"

namespace hj {

// "YYYY-MM-DD" (year optionally signed, 1–5 digits). Checks the shape and the ranges of month
// (1..12) and day (1..31) only; whether the day exists is the calendar's question. False with
// a message in `error` otherwise.
bool parseDate(std::string_view text, DateTime& out, std::string& error);
// "YYYY-MM-DD HH:MM" or "YYYY-MM-DDTHH:MM".
bool parseDateTime(std::string_view text, DateTime& out, std::string& error);
// A year alone, optionally signed.
bool parseYear(std::string_view text, int& year, std::string& error);

std::string formatDate(const DateTime& d);      // "2024-02-10", "-0001-03-04"
std::string formatDateTime(const DateTime& d);  // "2024-02-04 16:27"

}  // namespace hj
