#pragma once
// The birthplace of a chart request from --province/--city, shared by the chart and case commands.
#include <string>

#include "core/chart/chart_record.h"

namespace hj::cli {

// Sets the request's province, city, coordinates and place text from the ProvinceTable index
// and the city's position in that province's section of <dataDir>/dat/dili.ini (未知地 has the
// single city 0). False with a message when either index or the stored value is bad.
bool fillListedPlace(int province, int city, const std::string& dataDir, ChartRequest& q, std::string& error);

}  // namespace hj::cli
