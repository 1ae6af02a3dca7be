#pragma once
// The three-lives block (三世相法) of the report: the 26 sections of numbered texts, the eight
// sections of the MOREDUAN resource, the child passes and the yearly block.
#include <string>
#include <string_view>
#include <vector>

namespace hj {

class ChartRecord;

// The month the three-lives rules count with (1 = 正月 … 12): the lunar month when the setting
// `yue` is 1, else the jie month of the month branch.
int threeLivesMonthOf(const ChartRecord& chart);
// Sets chart.threeLivesMonth, then appends the 26 sections to chart.report.
void appendThreeLivesReading(ChartRecord& chart);
// The lines of every child pass (小儿关煞) the chart meets, in table order; "" when none.
std::string listChildPasses(const ChartRecord& chart);
// The 81 entries of the yearly block (流年神煞和九星).
std::string listYearlyFortune(const ChartRecord& chart);
// Appends the eight resource sections, the child passes and (with the request's yearly
// option) the yearly block. Needs chart.threeLivesMonth from appendThreeLivesReading.
void appendPreviousLifeSections(ChartRecord& chart);
// The entry lines of a resource section ("[Qian_FuLu]" …): true when the key was found and
// holds at least one line before its "[end]".
bool readTextSection(const ChartRecord& chart, std::string_view key, std::vector<std::string>& lines);
bool readTextSection(const std::vector<std::string>& resourceLines, std::string_view key,
                     std::vector<std::string>& lines);
// A resource image split into lines (CR LF, LF or CR ends; a UTF-8 BOM dropped).
std::vector<std::string> splitResourceLines(std::string_view text);

}  // namespace hj
