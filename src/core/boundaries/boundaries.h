#pragma once
// Birth-time uncertainty, beside the chart: how close the birth lies to a boundary that would
// change a pillar, the pillars on the other side, and the twelve charts of a day whose hour is
// unknown.
//
// Everything here is computed by running the chart engine itself on neighbouring moments (a
// ChartCaster with the chart's own request and settings), never by patching pillars, so
// it follows every rule of the engine: the 立春 and 节 instants, the 子时 setting, local mean and
// true solar time. Moments step through the request's own clock, minute by minute.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/calendar/datetime.h"
#include "core/chart/chart.h"

namespace hj {

// A boundary near the birth that changes at least one pillar.
struct PillarBoundary {
    std::string kind;        // "节" (a jie term: month, and year at 立春), "时辰", "子时", "日"
    DateTime at;             // terms in Beijing time, the others in the chart's local time
    int minutes = 0;         // from the birth to the boundary; positive when it lies after
    std::array<std::int16_t, 4> pillars{};  // the four pillars on the other side
    ChartRequest request;    // a request for the chart on the other side
};

// The nearest boundary before and after the birth of each pillar, within `windowMinutes`
// (0 or less: none), nearest first on each side, earlier side first. `chart` must hold a
// successfully computed chart.
std::vector<PillarBoundary> findBoundaries(const Chart& chart, int windowMinutes);

// One possible hour of a day whose hour is unknown: the chart at the middle of that hour.
struct HourOption {
    int branch = 1;                          // 1 子 … 11 戌, 0 亥 (the engine's branch index)
    std::array<std::int16_t, 4> pillars{};   // the four pillars of that chart
    std::string tenGod;                      // of the hour stem, seen from the day stem
    std::string nayin;                       // of the hour pillar
    std::string stars;                       // the stars that sit on the hour pillar
    LuckInfo luck;                           // the luck start moves with the hour
    ChartRequest request;                    // the request that casts this row's full chart
};

// The twelve hours 子 … 亥 of the chart's local birth day, each from the engine at the middle
// of the hour (子 00:00, 丑 02:00, … 亥 22:00 local time). Empty when a row cannot be computed.
std::vector<HourOption> unknownHourOptions(const Chart& chart);

// Notes on the day of an unknown hour: a 节 inside the day, the 子时 rule in force.
std::vector<std::string> unknownHourNotes(const Chart& chart, const std::vector<HourOption>& rows);

// The settings that shape the chart, as label and value texts, so that charts cast under
// different conventions can be compared.
struct Convention {
    std::string key;    // the [set] key
    std::string label;  // 子时, 时间, 命宫, 排列 …
    std::string value;  // the setting in words
};
std::vector<Convention> chartConventions(const ChartSettings& settings);

// "8岁6个月28天"
std::string luckStartText(const LuckInfo& luck);

}  // namespace hj
