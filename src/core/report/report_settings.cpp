#include "core/report/report_settings.h"

#include "core/script/display.h"
#include "core/text/file_io.h"
#include "core/text/gbk.h"
#include "core/text/ini.h"
#include "core/threelives/three_lives.h"

namespace hj {

ReportSettings loadReportSettings(const std::string& dataDir) {
    ReportSettings s;
    if (dataDir.empty()) return s;
    const text::IniFile profile(text::dataFilePath(dataDir, "bzinit.ini"));
    if (!profile.lastError().empty()) return s;
    s.chart = loadChartSettings(profile);
    s.traditional = script::traditionalDisplay(profile);
    s.font.font = profile.readString("minggao", "fname", rtf::kDefaultFont);
    const int points = profile.readInt("minggao", "fsize", 12);
    s.font.halfPoints = 2 * (points > 0 && points < 1000 ? points : 12);
    return s;
}

bool readFooter(const std::string& dataDir, std::vector<std::string>& lines, std::string& error) {
    lines.clear();
    if (dataDir.empty()) return true;
    std::string bytes, why;
    bool missing = false;
    if (!text::readRegularFile(text::dataFilePath(dataDir, "EndInfo.txt"), text::kMaxTextFileBytes, bytes, &why,
                               &missing)) {
        if (missing) return true;
        error = why;
        return false;
    }
    lines = splitResourceLines(text::decodeFileText(bytes));
    return true;
}

}  // namespace hj
