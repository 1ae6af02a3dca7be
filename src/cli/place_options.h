#pragma once
// The birthplace of a chart request from --province/--city, shared by the chart and case commands.
#include <CLI/CLI.hpp>

#include <string>

#include "core/chart/chart.h"

namespace hj::cli {

// Sets the request's province, city, coordinates and place text from the ProvinceTable index
// and the city's position in that province's section of <dataDir>/dat/dili.ini (未知地 has the
// single city 0). False with a message when either index or the stored value is bad. Messages
// name the options with `prefix` (--a-province for "a-").
bool fillListedPlace(int province, int city, const std::string& dataDir, ChartRequest& q, std::string& error,
                     const std::string& prefix = {});

// A birth abroad: --tz ZONE (with --lon/--lat, or the zone's principal city), --world-place NAME
// (a place of the world list or the user's), --fold 1|2 (a clock time that occurred twice).
struct AbroadOptions {
    std::string tz, worldPlace;
    int fold = 1;
    bool any() const { return !tz.empty() || !worldPlace.empty(); }
};
void addAbroadOptions(CLI::App& command, AbroadOptions& o, const std::string& prefix = {});

// Sets the request's zone, fold and (for --world-place, or --tz without `haveCoordinates`) its
// coordinates and place text; a birth abroad has the province 未知地. False with a message for
// an unknown zone or place, or a name that fits several places (the first ones are listed).
bool fillAbroadPlace(const AbroadOptions& o, bool haveCoordinates, const std::string& dataDir, ChartRequest& q,
                     std::string& error, const std::string& prefix = {});

}  // namespace hj::cli
