#pragma once
// The chart's own sections of the report: 1 to 12 (birth data, the chart block, luck pillars,
// stars, the closing ☆ lines), 13 the verses of 推年月日时 and 14 the bone weight (八字称骨).
#include <string>
#include <vector>

#include "core/calendar/datetime.h"

namespace hj {

struct Chart;
class TextTable;

// Sections 1 to 12, each line ended by "\r\n", as the chart's settings lay them out.
std::string chartSections(const Chart& chart);
// Section 13, the verses of 推年月日时 (without its heading).
std::string birthVerses(const Chart& chart, const TextTable& texts);
// Section 14, the bone weight (八字称骨) with its verse (without its heading).
std::string boneWeightText(const Chart& chart, const TextTable& texts);
// The same from its inputs: year pillar, month number 1..12, lunar day 1..30, hour branch
// (子 = 1 … 亥 = 12).
std::string boneWeightText(int yearPillar, int month, int lunarDay, int hourNumber, bool male,
                           const TextTable& texts);
// The birth times as the report's opening lines give them, without their "出生公历：" and full
// stop: the clock reading when it differs (abroad, summer time), Beijing time, and local mean
// or true solar time when the chart is cast on it.
std::vector<std::string> birthTimeLines(const Chart& chart);
// "二○○○年 正月 初一日 子时。" style lunar line body (after "出生农历：").
std::string lunarDateText(const DateTime& lunar, bool leap);

}  // namespace hj
