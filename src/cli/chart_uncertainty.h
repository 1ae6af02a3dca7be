#pragma once
// The chart command's view of birth-time uncertainty: boundaries near the birth, the twelve
// hours of an unknown birth hour, and the conventions the chart was cast under.
#include <nlohmann/json.hpp>

#include <string>

#include "core/chart/chart.h"

namespace hj::cli {

// "boundaries" (within the [set] window), "conventions", and with `unknownHour` "hours" and
// "hourNotes", added to the chart's JSON object.
void addUncertaintyJson(const Chart& chart, bool unknownHour, nlohmann::json& out);

// The JSON of a birth whose hour is unknown: only what the day fixes (name, sex, place, the
// date and its lunar date, the pillars every hour shares) beside "hours", "hourNotes",
// "fixedPillars" and "conventions"; no chart of any one hour.
nlohmann::json unknownHourJson(const Chart& chart);

// One line per boundary within the window, or a line saying there is none.
std::string boundaryLines(const Chart& chart);

// The table of the twelve possible hours with the day's notes.
std::string unknownHourTable(const Chart& chart);

}  // namespace hj::cli
