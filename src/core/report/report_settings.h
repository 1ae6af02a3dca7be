#pragma once
// What a chart and its report read from the data folder, read by the caller and handed in: the
// settings of dat/bzinit.ini and the footer lines of dat/EndInfo.txt. The engine itself reads
// no file; a caller reads these once per chart, so a change takes effect with the next chart.
#include <string>
#include <vector>

#include "core/chart/chart_settings.h"
#include "core/rtf/rtf.h"

namespace hj {

struct ReportSettings {
    ChartSettings chart;       // [set]
    bool traditional = false;  // [display] fanti: reports in Traditional characters
    rtf::CharFormat font;      // [minggao] fname, fsize: the pane font, the base of a report file
};

// One read of <dataDir>/dat/bzinit.ini. A missing or unreadable file, or an empty dataDir,
// gives the defaults (宋体 12 for the font).
ReportSettings loadReportSettings(const std::string& dataDir);

// The lines of <dataDir>/dat/EndInfo.txt (ReportSources::footer). A missing file, or an empty
// dataDir, gives none; false with `error` when the file is there but cannot be read: a report
// without the footer it asks for would pass for complete.
bool readFooter(const std::string& dataDir, std::vector<std::string>& lines, std::string& error);

}  // namespace hj
