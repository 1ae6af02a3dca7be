#pragma once
// Pieces of the report text (命稿) that stand on their own.
#include <string>
#include <string_view>
#include <vector>

#include "core/chart/chart_record.h"

namespace hj {

class TextTable;

// Section 13, the verses of 推年月日时 (without its heading).
std::string appendBirthVerses(const ChartRecord& chart);
// Section 14, the bone weight (八字称骨) with its verse (without its heading).
std::string boneWeightText(const ChartRecord& chart);
// The same from its inputs: year pillar, month number 1..12, lunar day 1..30, hour branch
// (子 = 1 … 亥 = 12).
std::string boneWeightText(int yearPillar, int month, int lunarDay, int hourNumber, bool male,
                           const TextTable& texts);
// "二○○○年 正月 初一日 子时。" style lunar line body (after "出生农历：").
std::string lunarDateText(const DateTime& lunar, bool leap);
// The marking of a report, positions as StyleSpan describes.
std::vector<StyleSpan> reportStyleSpans(std::string_view report);

// Appended after the disclaimer: the maker line of every report.
inline constexpr std::string_view kMakerAddress = "www.example.org";

}  // namespace hj
