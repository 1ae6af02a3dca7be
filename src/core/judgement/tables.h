#pragma once
// The classical tables the judgement reads, typed once. Indices as everywhere: stems 0 = 癸,
// 1 = 甲 … 9 = 壬; branches 0 = 亥, 1 = 子 … 11 = 戌; elements 0 水 1 木 2 火 3 土 4 金.
//
// Sources:
// - The seasonal states (旺相休囚死): the rule the classical books state for every season,
//   "当令者旺，令生者相，生令者休，克令者囚，令克者死" (an element ruling the season is 旺,
//   the one it produces 相, the one producing it 休, the one overcoming it 囚, the one it
//   overcomes 死); written out per season below.
// - The hidden stems in the order 本气, 中气, 余气: the same stems as the chart's own table
//   (derived.h, checked against it by a test), the ruling stem (本气, the branch's own
//   element) first.
// - The seasonal remedy (调候) of a day stem in a hot or cold month: 穷通宝鉴, the chapter of
//   that stem and month (四月甲木, 十一月乙木 …): the stems its opening sentence names, first
//   to last.
// - The weights are this program's own; the help and the README give them.
#include <array>
#include <string_view>

namespace hj::judgement {

// --- the seasons ---------------------------------------------------------------------------

// The five states, strongest first.
enum class SeasonState { Wang, Xiang, Xiu, Qiu, Si };
inline constexpr std::string_view kSeasonStateNames[5] = {"旺", "相", "休", "囚", "死"};

// Per season: the element ruling it and the state of every element, as the books write them.
struct Season {
    std::string_view name;       // 春
    std::string_view branches;   // the month branches of the season
    std::string_view states;     // "木旺火相水休金囚土死"
};
inline constexpr std::array<Season, 5> kSeasons = {{
    {"春", "寅卯", "木旺火相水休金囚土死"},
    {"夏", "巳午", "火旺土相木休水囚金死"},
    {"秋", "申酉", "金旺水相土休火囚木死"},
    {"冬", "亥子", "水旺木相金休土囚火死"},
    {"四季", "辰戌丑未", "土旺金相火休木囚水死"},
}};

// --- the hidden stems by their rank -----------------------------------------------------------

// Stem digits of each branch (亥 first) in the order 本气, 中气, 余气.
inline constexpr std::string_view kHiddenByRank[12] = {"91",  "0",   "608", "135", "2",   "520",
                                                       "375", "46",  "642", "795", "8",   "584"};
inline constexpr std::string_view kRankNames[3] = {"本气", "中气", "余气"};

// --- weights (hundredths) -----------------------------------------------------------------------

// A stem of the year, month, day and hour pillar: the month and hour stems stand beside the
// day, the year stem is far; the day stem is the day master itself and counts on its side
// (as 同类 counts it), so that a chart of even forces scores about zero.
inline constexpr std::array<int, 4> kStemPlace = {60, 100, 150, 100};
// A branch of the year, month, day and hour pillar: the month rules the season (月令), the day
// branch is the day master's seat.
inline constexpr std::array<int, 4> kBranchPlace = {60, 250, 120, 100};
// A hidden stem by its rank.
inline constexpr std::array<int, 3> kRankShare = {100, 50, 30};
// The sign and strength of each ten-god group to the day master, in hundredths: 比劫 help,
// 食伤 drain (泄), 财 use up (耗), 官杀 overcome (克), 印 produce (生).
enum class Group { Peer, Output, Wealth, Power, Resource };
inline constexpr std::array<int, 5> kGroupFactor = {100, -70, -80, -100, 80};
inline constexpr std::string_view kGroupNames[5] = {"比劫", "食伤", "财", "官杀", "印"};
// The share a clashed (冲) branch keeps of its roots.
inline constexpr int kShakenShare = 70;

// Verdict bounds on the score (hundredths): at or above 身强, 偏强; above 中和, 偏弱.
inline constexpr int kStrongFrom = 300;
inline constexpr int kFairlyStrongFrom = 100;
inline constexpr int kBalancedAbove = -100;
inline constexpr int kFairlyWeakAbove = -300;

// --- 调候 -----------------------------------------------------------------------------------

// The stems 穷通宝鉴 names for a day stem in the hot months (巳午未, its 四月 五月 六月) and
// the cold months (亥子丑, its 十月 十一月 十二月), first to last. Order: 甲 … 癸 by rows,
// months 巳 午 未 亥 子 丑 by columns.
inline constexpr std::string_view kTiaohouMonths = "巳午未亥子丑";
inline constexpr std::string_view kTiaohouStems = "甲乙丙丁戊己庚辛壬癸";
inline constexpr std::string_view kTiaohou[10][6] = {
    {"癸丁", "癸丁庚", "丁庚", "庚丁丙", "丁庚丙", "庚丁"},      // 甲
    {"癸", "癸丙", "癸丙", "丙戊", "丙", "丙"},                 // 乙
    {"壬庚癸", "壬庚", "壬庚", "甲戊庚壬", "壬戊己", "壬甲"},   // 丙
    {"甲庚", "壬庚癸", "甲壬庚", "甲庚", "甲庚", "甲庚"},       // 丁
    {"甲丙癸", "壬甲丙", "癸丙甲", "甲丙", "丙甲", "丙甲"},     // 戊
    {"癸丙", "癸丙", "癸丙", "丙甲戊", "丙甲戊", "丙甲戊"},     // 己
    {"壬戊丙丁", "壬癸", "丁甲", "丁丙", "丁甲丙", "丙丁甲"},   // 庚
    {"壬甲癸", "壬己癸", "壬庚甲", "壬丙", "丙戊壬甲", "丙壬戊己"},  // 辛
    {"壬辛庚癸", "癸庚辛", "辛甲", "戊丙庚", "戊丙", "丙丁甲"},  // 壬
    {"辛", "庚辛壬癸", "庚辛壬癸", "庚辛戊丁", "丙辛", "丙"},   // 癸
};

// --- special patterns -------------------------------------------------------------------------

// The names of 专旺 by the day element (0 水 … 4 金), and of 化气 by the element transformed to.
inline constexpr std::string_view kDominantNames[5] = {"润下格", "曲直格", "炎上格", "稼穑格", "从革格"};
inline constexpr std::string_view kTransformNames[5] = {"化水格", "化木格", "化火格", "化土格", "化金格"};

}  // namespace hj::judgement
