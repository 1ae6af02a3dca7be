#pragma once
// The three-lives block (三世相法) of the report: the 26 sections of numbered texts, the eight
// sections of the MOREDUAN resource, the child passes and the yearly block. Each writer returns
// its text.
#include <string>
#include <string_view>
#include <vector>

namespace hj {

struct Chart;
class TextTable;

// The month the three-lives rules count with (1 = 正月 … 12): the lunar month when the setting
// `yue` is 1, else the jie month of the month branch.
int threeLivesMonthOf(const Chart& chart);
// The line after the number of 推寿数长短: the method's own word on it.
inline constexpr std::string_view kLifeSpanNote =
    "　　此数依旧法按年命纳音与生月前后半月推出，古书亦言寿数可因积善修身而延，只作参考，不可拘泥。";
// The 26 sections, counted with threeLivesMonthOf(chart).
std::string threeLivesReading(const Chart& chart, const TextTable& texts);
// The lines of every child pass (小儿关煞) the chart meets, in table order; "" when none.
std::string listChildPasses(const Chart& chart);
// The line under the child passes' heading when a chart meets any: they concern childhood.
inline constexpr std::string_view kChildPassesNote =
    "（旧时为十二岁以内幼儿所立的关煞之说，只论童年，成年不论；括号中是看护幼儿的旧俗叮嘱。）";
// The 81 entries of the yearly block (流年神煞和九星); with `fromYear` (astronomical, not 0)
// those from that year on, when it falls within them.
std::string listYearlyFortune(const Chart& chart, const TextTable& texts, int fromYear = 0);
// The eight resource sections counted with month `threeLivesMonth` (threeLivesMonthOf), the
// child passes and, with the request's yearly option, the yearly block (from `fromYear`, as
// listYearlyFortune). The setting wenhe leaves out the child passes.
std::string previousLifeSections(const Chart& chart, int threeLivesMonth,
                                 const std::vector<std::string>& resourceLines, const TextTable& texts,
                                 int fromYear = 0);
// The entry lines of a resource section ("[Qian_FuLu]" …): true when the key was found and
// holds at least one line before its "[end]".
bool readTextSection(const std::vector<std::string>& resourceLines, std::string_view key,
                     std::vector<std::string>& lines);
// A resource image split into lines (CR LF, LF or CR ends; a UTF-8 BOM dropped).
std::vector<std::string> splitResourceLines(std::string_view text);
// The lines of the MOREDUAN resource compiled into the program, split once.
const std::vector<std::string>& builtinThreeLivesLines();

}  // namespace hj
