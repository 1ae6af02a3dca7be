#pragma once
// Analysis of a computed chart: the relations among its pillars (also with a luck pillar and a
// year pillar) and the spread of the five elements. It reads a Chart and changes nothing in it;
// the report section is added only when the [set] key `fenxi` asks for it, so reports without
// it stay as they were.
#include <array>
#include <string>
#include <vector>

#include "core/analysis/relations.h"

namespace hj {
struct Chart;
}

namespace hj::analysis {

// Elements in the order they are shown: 木 火 土 金 水 (codes 1 2 3 4 0).
inline constexpr std::array<int, 5> kShownElementOrder = {1, 2, 3, 4, 0};

struct ElementBalance {
    std::array<int, 5> visible{};                    // the eight visible characters, by element code
    std::array<std::vector<int>, 5> hiddenStems;     // hidden stems (stem indices) by element, year branch first
    std::vector<int> missing;                        // element codes absent from the eight, in shown order
    std::array<int, 10> tenGods{};                   // 比 劫 … 印: the other three stems and every hidden stem
};

// What to set beside the natal pillars.
struct AnalysisOptions {
    int luck = 0;     // 1..8: that luck pillar of the chart (运); 0 none
    bool withYear = false;
    int year = 0;     // astronomical year whose pillar (岁) is taken, when withYear
    int month = 0;    // 1..12: solar month of that year (寅 from 立春 … 丑), its pillar (流月); 0 none
};

struct ChartAnalysis {
    AnalysisOptions options;
    std::vector<PillarSlot> pillarSlots;  // 年 月 日 时, then 运, 岁 and 流月 when asked
    std::vector<Relation> relations;
    ElementBalance elements;
};

// The pillar of year `year` (from its 立春 to the next): 1984 → 甲子.
int yearPillarOf(int year);
// The pillar of solar month `month` (1 = 寅 … 12 = 丑, the last in January of the next year)
// of year `year`: 2024, 1 → 丙寅. Its name as shown: 正月 … 十二月.
int flowingMonthPillarOf(int year, int month);
std::string flowingMonthName(int month);
// The label of the flowing month's slot ("流月"; 月 is the natal month).
inline constexpr std::string_view kFlowingMonthLabel = "流月";

// What the analysis reads from a chart: the four pillars and the eight luck pillars, so that
// a window can keep them and analyse again when only the luck or year choice changes.
struct ChartPillars {
    std::array<int, 4> natal{};  // year, month, day, hour
    std::array<int, 8> luck{};
};
ChartPillars chartPillarsOf(const Chart& chart);

ElementBalance elementBalance(const std::array<int, 4>& natal);
// False with a message for a luck number outside 1..8, a month outside 1..12 or a month
// without a year.
bool analysePillars(const ChartPillars& pillars, const AnalysisOptions& options, ChartAnalysis& out,
                    std::string& error);
bool analyseChart(const Chart& chart, const AnalysisOptions& options, ChartAnalysis& out,
                  std::string& error);

// The compact text of an analysis, lines ended by `eol`:
//   五行：木2 火1 土3 金0 水2  缺：金
//   藏干：木 乙；火 丁丁；土 己己；金 无；水 癸
//   十神：比1 劫2 …
//   合冲刑害：五合 甲己(年日)土；六冲 子午(月日)；…   ("无" when none)
// and, when a luck or year pillar is set, a first line naming them
// (大运：甲戌（第2步）  流年：2024年甲辰  流月：丁丑（十二月）). Labels are written together (年日),
// or with "·" between them when one is longer than a character (月·流月).
std::string analysisText(const ChartAnalysis& a, std::string_view eol);
// Its 五行, 藏干 and 十神 lines alone.
std::string elementsText(const ElementBalance& e, std::string_view eol);
// The optional report section ("※八字分析：" and the text of the natal analysis).
std::string analysisReportSection(const Chart& chart);

}  // namespace hj::analysis
