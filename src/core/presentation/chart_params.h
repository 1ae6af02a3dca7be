#pragma once
// The chart-parameter text that carries a chart's inputs between program instances through the
// clipboard: "mohang_mingli_data#Y M D H Mi K#S#NAME#P C".
#include <string>
#include <string_view>

namespace hj::presentation {

inline constexpr std::string_view kChartParamsTag = "mohang_mingli_data";

struct ChartParameters {
    int year = 0;    // displayed year (no year 0; negative = BC)
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int kind = 1;    // 1 solar date, 2 lunar date, 3 lunar date in a leap month
    bool male = true;
    std::string name;  // UTF-8
    int province = 0;
    int city = 0;
};

// Calendar kind of a request: 3 lunar + leap, 2 lunar, 1 solar (a leap flag alone counts as solar).
constexpr int calendarKind(bool lunar, bool leap) { return lunar ? (leap ? 3 : 2) : 1; }

std::string formatChartParameters(const ChartParameters& p);

// Parses a clipboard text; false (and `out` untouched) when any part does not follow the form.
bool parseChartParameters(std::string_view text, ChartParameters& out);

}  // namespace hj::presentation
