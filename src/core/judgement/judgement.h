#pragma once
// The judgement of a chart by the classical method, with the working shown: the day master's
// strength as a score from named factors, the pattern (格局) by the month, the useful element
// (用神) with its company (喜 忌 仇 闲) and the method that chose it, the seasonal remedy (调候),
// and luck pillars and years read against them.
//
// A pure function of the four pillars: nothing is kept between calls. Every number is in
// hundredths, so that the factors add up to the score exactly. It is a traditional method's
// reading: schools differ, and the options below change what they differ on.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hj {
struct Chart;
}

namespace hj::judgement {

enum class Verdict { Strong, FairlyStrong, Balanced, FairlyWeak, Weak };
std::string_view verdictName(Verdict v);  // 身强 偏强 中和 偏弱 身弱

// One named contribution to the score.
struct Factor {
    std::string factor;  // 得令 得地 得生 得助 克 泄 耗, or a combination: 三会 三合 六合化 五合化 冲
    std::string pillar;  // 年 月 日 时 (two or three for a combination: 月日)
    std::string chars;   // the character(s): 午, 乙庚
    int weight = 0;      // hundredths, signed
    std::string reason;
};

struct Strength {
    int score = 0;  // hundredths: the sum of the factors' weights
    Verdict verdict = Verdict::Balanced;
    std::vector<Factor> factors;
    // What the decisions read: the weight each element carries in the chart after the
    // combinations (hundredths, unsigned; 0 水 … 4 金).
    std::array<int, 5> elementWeight{};
};

enum class PatternKind { Regular, Follow, Dominant, Transform };
std::string_view patternKindName(PatternKind k);  // 正格 从格 专旺 化气

struct Pattern {
    std::string name;  // 正官格, 建禄格, 从财格, 炎上格, 化土格 …
    PatternKind kind = PatternKind::Regular;
    bool broken = false;  // 破格 (a regular pattern only)
    int element = -1;     // a special pattern: the element it follows
    std::string reason;
};

enum class Role { Yong, Xi, Ji, Chou, Xian };
std::string_view roleName(Role r);  // 用 喜 忌 仇 闲

struct Useful {
    int yong = 0, xi = 0, ji = 0, chou = 0, xian = 0;  // element codes
    std::string method;  // 扶抑 调候 通关 病药 从格 专旺 化气
    std::string reason;
    Role roleOf(int element) const;
};

struct Tiaohou {
    std::vector<int> stems;     // stem indices, first to last as the book names them
    std::vector<int> elements;  // their elements, each once, in that order
    std::string reason;
};

// Whether the seasonal remedy may decide the useful element in a hot or cold month.
enum class TiaohouRule {
    Never,          // shown beside the reading only
    WhenOpposed,    // when 扶抑 would choose the very element the season has too much of
    Always,         // in every hot and cold month
};

struct Options {
    TiaohouRule tiaohou = TiaohouRule::WhenOpposed;
};

struct Judgement {
    std::array<int, 4> natal{};  // the pillars judged (cycle indices, year first)
    int dayStem = 0, dayElement = 0;
    Strength strength;
    Pattern pattern;
    Useful useful;
    std::optional<Tiaohou> tiaohou;
};

// The judgement of four pillars (cycle indices 0..59, year, month, day, hour).
Judgement judge(const std::array<int, 4>& natal, const Options& options = {});

// A luck pillar or a year read against the chart.
struct PillarReading {
    int pillar = 0;  // cycle index
    int year = 0;    // astronomical year; 0 for a luck pillar
    Role stem = Role::Xian, branch = Role::Xian;
    std::vector<std::string> notes;  // 伏吟 日柱, 反吟 月柱, 岁运并临, 冲用神之根 …
};
PillarReading readLuck(const Judgement& j, int luckPillar);
// A year under luck pillar `luckPillar` (-1: none) — 岁运并临 and the year's meetings with it.
PillarReading readYear(const Judgement& j, int year, int luckPillar);

// A chart judged, with its eight luck pillars and the ten years of one of them read.
struct ChartJudgement {
    Judgement judgement;
    std::vector<PillarReading> luck;   // the eight luck pillars
    int chosenLuck = 0;                // 0..7: whose years follow
    std::vector<PillarReading> years;  // its ten years
};
// `firstYear`: the astronomical year the chosen luck pillar begins in.
ChartJudgement judgeChart(const Chart& chart, int chosenLuck, int firstYear, const Options& options = {});

// The text of a judgement, lines ended by `eol`: the strength with its factors, the pattern,
// the useful elements, the seasonal remedy, then the luck pillars and the years given, and
// a last line saying it is a traditional method's reading.
std::string judgementText(const Judgement& j, const std::vector<PillarReading>& luck,
                          const std::vector<PillarReading>& years, std::string_view eol);
// The report's section ("※命局判断：", the natal judgement and the eight luck pillars; no years,
// so that a report does not change with the day it is written).
std::string judgementReportSection(const Chart& chart);
// The one line the chart picture carries: 身强 · 正官格 · 用神 火 · 喜 木 · 忌 水.
std::string summaryLine(const Judgement& j);
// A score in hundredths as shown: +4.35, -0.50, 0.00.
std::string scoreText(int hundredths);
// The line every display of a judgement carries.
inline constexpr std::string_view kTraditionalNote =
    "以上按传统子平法推断（强弱、格局、用神各家取法不一），仅供参考。";

}  // namespace hj::judgement
