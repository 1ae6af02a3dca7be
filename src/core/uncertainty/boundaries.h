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

// A boundary near the birth that changes at least one pillar. Births are typed to the minute,
// so the boundary is told in whole minutes of the clock the birth was typed in: `clock` is the
// first minute from which the later side's pillars hold, and `minutes` runs from the birth to
// it (0: the birth's own minute is the first of the later side).
struct PillarBoundary {
    std::string kind;        // "节" (a jie term: month, and year at 立春), "时辰", "子时", "日"
    DateTime at;             // terms in Beijing time, the others in the chart's local time
    int minutes = 0;         // from the birth to `clock`; positive when it lies after
    DateTime clock;          // in the clock of the birth (the request's clock)
    std::string clockName;   // that clock: 北京时间, 钟表时间 (summer time removed), 当地钟表时间
    std::string term;        // 节: the term that begins the later side's month
    std::array<std::int16_t, 4> pillars{};  // the four pillars on the other side
    ChartRequest request;    // a request for the chart on the other side
};

// The boundary in words (its kind not included), each time with its clock, e.g.
// "立春 北京时间2020-02-04 17:03交，北京时间2020-02-04 17:04起换柱，出生后4分钟".
std::string boundaryNote(const PillarBoundary& b);

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
    // A jie inside the hour changes the year or month pillar within it: the hour holds two
    // charts, the one just before `splitClock` and the one from it (the first minute of the
    // later pillars, in the clock of the birth, named by `clockName`).
    bool split = false;
    DateTime splitClock;
    std::string clockName;
    std::vector<HourOption> parts;           // split: the earlier and the later chart
};

// The twelve hours 子 … 亥 of the chart's local birth day, each from the engine at the middle
// of the hour (子 00:00, 丑 02:00, … 亥 22:00 local time). Empty when a row cannot be computed.
std::vector<HourOption> unknownHourOptions(const Chart& chart);

// The pillars the day fixes, in words: "癸卯 乙丑 戊戌" for the year, month and day, and where a
// jie inside the day changes them, from which hour or minute the others hold
// ("癸卯 乙丑 戊戌；北京时间16:27起 甲辰 丙寅 戊戌").
std::string unknownHourFixedPillars(const std::vector<HourOption>& rows);

// Notes on the day of an unknown hour: a 节 inside the day, the 子时 rule in force.
std::vector<std::string> unknownHourNotes(const Chart& chart, const std::vector<HourOption>& rows);

// The settings that shape the chart, as label and value texts, so that charts cast under
// different conventions can be compared.
struct Convention {
    std::string key;    // the [set] key
    std::string label;  // 子时, 时间, 命宫, 排列 …
    std::string value;  // the setting in words
};
// A birth abroad (`abroad`) says the clock it used: the place's own standard time (idate 0; its
// summer time is always removed, whatever the setting).
std::vector<Convention> chartConventions(const ChartSettings& settings, bool abroad = false);

// "8岁6个月28天"
std::string luckStartText(const LuckInfo& luck);

}  // namespace hj
