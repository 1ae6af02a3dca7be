#pragma once
// The chart as a picture (命盘), as data: what the card shows of a computed chart, every name
// taken from the tables the report uses, so the picture, the JSON and the report agree. The
// layout (card_layout.h) draws it; nothing here knows of sizes or colours.
//
// The card shows one luck pillar's ten years and marks one year (流年): the caller says which
// (a window follows its clock and the user's clicks), so the card is a pure function of the
// chart and that choice. Years here are astronomical; displayYear gives the shown number.
#include <array>
#include <string>
#include <vector>

namespace hj {
struct Chart;
}

namespace hj::card {

struct HiddenStem {
    std::string stem;  // 癸
    std::string god;   // its ten god to the day stem, short as the report writes it: 印
    int element = 0;   // 0 水 1 木 2 火 3 土 4 金
};

struct PillarDetail {
    std::string pillar;   // 年 月 日 时
    std::string stem, branch;
    int stemElement = 0, branchElement = 0;
    std::string stemGod;  // the ten god of the stem to the day stem; 元男 / 元女 for the day
    std::vector<HiddenStem> hidden;
    std::string nayin;    // 路旁土
    std::string stage;    // 长生 … 养 of the day stem in this branch
    bool isVoid = false;  // the branch is one of the day's two 空亡
    std::vector<std::string> stars;  // as the report lists them for this pillar
};

// A relation between natal pillars, as the analysis finds it.
struct CardRelation {
    std::string kind;          // 五合 六冲 …
    std::string chars;         // 子午
    std::vector<int> places;   // pillar indices 0..3, ascending
    bool onStems = false;      // a relation of the stems (五合, 相冲), else of the branches
    bool favourable = false;   // combinations and meetings; clashes, punishments, harms, breaks not
    int element = -1;          // the resulting element, -1 none
};

struct LuckStep {
    std::string pillar;        // 乙亥
    std::string god;           // ten god of its stem
    int stemElement = 0, branchElement = 0;
    int startAge = 0;          // nominal age (虚岁) when it begins
    int startYear = 0;         // astronomical year in which it begins
    bool current = false;      // it runs in the chosen year
    bool chosen = false;       // its ten years are shown
    int tint = 0;              // +1 its stem and branch bring more 用/喜 than 忌/仇, -1 the reverse
};

struct YearCell {
    int year = 0;              // astronomical
    std::string pillar;        // 甲辰
    std::string god;           // ten god of its stem
    int stemElement = 0, branchElement = 0;
    int age = 0;               // nominal age in that year
    bool current = false;      // the chosen year
    int tint = 0;              // as LuckStep::tint
};

struct CardHeader {
    std::string name;
    std::string sex;              // 乾造 / 坤造
    std::vector<std::string> times;  // the clock reading, Beijing time, true solar or local time
    std::string lunar;            // 一九九〇年 四月 廿三日 辰时
    std::string place;
    std::string animal;           // 属马
    std::string lifePalace;       // 命宫 壬午
    std::string conception;       // 胎元 壬申
    std::string luckStart;        // 起运 8岁6个月28天
    std::string conventions;      // the settings that shape the chart, in words
};

struct ChartCard {
    CardHeader header;
    std::array<PillarDetail, 4> pillars;
    std::vector<CardRelation> relations;
    std::array<int, 5> visible{};  // the eight characters by element code (0 水 … 4 金)
    std::array<int, 5> hidden{};   // the hidden stems by element code
    std::array<std::string, 5> elementNames;  // 水 木 火 土 金, converted with the rest
    std::array<LuckStep, 8> luck;
    std::array<YearCell, 10> years;  // the ten years of the chosen luck pillar
    std::string judgement;           // 身强 · 正官格 · 用神 火 · 喜 木 · 忌 水
    int chosenLuck = 0;              // 0..7
    bool traditional = false;
};

struct CardChoice {
    int year = 2000;     // the year looked at (流年), astronomical: marked, and its luck pillar
    int luck = 0;        // 1..8: the luck pillar whose years are shown; 0: the one running in
                         // `year` (the first before they begin, the last after they end)
    bool traditional = false;  // every text in Traditional characters (name and place as typed)
    bool markYear = true;      // false: no year is looked at; `year` only picks the luck pillar
};

// The start year (astronomical) of luck pillar `i` (0..7), as the report's 年份 row gives it.
int luckStartYear(const Chart& chart, int i);
// The luck pillar 0..7 running in astronomical year `year`, -1 when none does.
int luckRunningIn(const Chart& chart, int year);

ChartCard buildChartCard(const Chart& chart, const CardChoice& choice);

}  // namespace hj::card
