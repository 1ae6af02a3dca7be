#pragma once
// The chart engine's options: section [set] of dat/bzinit.ini, read by the caller for every chart
// and handed to castChart.
#include <cstdint>
#include <string>
#include <string_view>

namespace hj::text {
class IniFile;
}

namespace hj {

struct ChartSettings {
    bool endinfo = false;    // append dat/EndInfo.txt to every report
    bool zishi = false;      // 23:00-23:59 keeps its day pillar (夜子时)
    std::uint8_t mgong = 0;  // life palace: 0 by the jie month, 1 by the mid-term month
    std::uint8_t pai = 0;    // 0 pillars on one line, 1 stems and branches on two lines
    std::uint8_t idate = 0;  // 0 Beijing time, 1 true solar time, 2 local mean time
    bool save = false;       // the window saves the case right after every chart
    std::int32_t leftpos = 0;  // first-line indent of the report paragraphs, 0..500
    std::uint8_t zhong = 1;  // bone-weight month: 0 by solar terms, 1 lunar month
    std::uint8_t yue = 1;    // three-lives month: 0 by solar terms, 1 lunar month
    bool dst = true;         // remove the summer time of the Chinese places (0: clock = Beijing time)
    // Beside the report: boundaries within this many minutes of the birth are shown (0: none).
    std::int32_t bianjie = 30;
    bool fenxi = false;      // add the chart analysis (relations, five elements) before the maker line
    // Beyond the described report, each off by default so that the report stays as described:
    bool xingbie = false;    // the three-lives lines that speak to one sex read for the chart's sex
    bool wenhe = false;      // leave out the life-span number, the after-death section and the child passes
    bool jinnian = false;    // the yearly block starts at this year, not at the birth year
    std::uint8_t nayin = 0;  // 纳音 names: 0 this program's table, 1 the common names (城头土 …)
};

// The keys with their defaults from an open profile file.
ChartSettings loadChartSettings(const text::IniFile& ini);
// The same from <dataDir>/dat/bzinit.ini; a missing file (or an empty dataDir) gives the
// defaults.
ChartSettings loadChartSettings(const std::string& dataDir);

// Sets one key by name ("idate", "zishi", …) from its text value, as a profile file would
// hold it. False with a message in `error` for an unknown key or a value outside the key's
// range (the settings are then unchanged).
bool applyChartSetting(ChartSettings& settings, std::string_view key, std::string_view value,
                       std::string* error = nullptr);

}  // namespace hj
