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
//   that stem and month (四月甲木, 十一月乙木 …, or the season's chapter, 三夏己土, 三冬丁火 …):
//   the stem its opening takes first, then stems the chapter names for use, as aids or in
//   another's lack. Checked cell by cell below.
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
// months 巳 午 未 亥 子 丑 by columns. Only the first stem decides anything (its element is
// the remedy's useful one); the rest are shown. A cell may stop short of stems the chapter
// names later.
//
// Every row was read against stored text of the chapters (a transcription of the book's
// chapters and web pages quoting them); the words each cell rests on:
//   甲 (checked before the others) 四月 "先癸后丁"; 五六月 "五月先癸后丁，庚金次之 …
//      六月 … 先丁后庚"; 十一月 "丁先庚后，丙火佐之"; 十二月 "先用庚劈甲，方引丁火 … 故丁次之";
//      十月 by that earlier check.
//   乙 三夏 "四月专尚癸水"; 五月 "上半月 … 仍用癸水。下半月 … 丙癸齐用"; 六月 "柱多金水，
//      丙火为尊 … 凡五六月乙木 … 用癸水" (癸 first is this reading: 三夏 says "五六月先丙后癸，
//      夏至前仍用癸水"); 十月 "取丙为用，戊土次之"; 十一月 "专用丙火"; 十二月 "必须丙火照暖".
//   丙 三夏 "四月耑用壬水，金为佐。五月亦耑用壬 … 六月用壬，但借庚金为佐"; 四月 "得庚发水源 …
//      癸亦姑用"; 五月 "得壬高透 … 一壬无庚"; 十月 "得见甲戊庚出干 … 火旺用壬"; 十一月 "壬水为最，
//      戊土佐之 … 无戊见己"; 十二月 "喜壬为用 … 土多又不可少甲".
//   丁 四月 "取甲引丁，必用庚噼甲"; 五月 "遇年透隔位之壬 … 庚壬两透 … 得一癸透"; 六月 "专取甲木，
//      壬水次之 … 无庚不妙"; 三冬 "甲木为尊，庚金佐之" (another copy: "耑用庚甲。甲乃庚之良友").
//   戊 四月 "先用甲疏噼，次取丙癸为佐"; 五月 "先看壬水，次取甲木，丙火酌用"; 六月 "先看癸水，
//      次用丙火甲木"; 十月 "先用甲木，次用丙火"; 十一二月 "丙火为专，甲木为佐".
//   己 三夏 "取癸为要，次用丙火"; 三冬 "取丙为尊，甲木参酌。戊土癸水不用。惟初冬壬旺，取戊制之"
//      (so 戊 in 亥 only; 子 and 丑 were typed 丙甲戊 before).
//   庚 四月 "先壬水 … 次取戊土，丙火佐之 … 支成金局 … 用丁方妙"; 五月 "专用壬水，癸又次之"; 六月
//      "先用丁火，次取甲木"; 十月 "非丁莫造，非丙不暖"; 十一月 "仍取丁甲，次取丙火照暖"; 十二月
//      by the earlier check (丙 丁 甲, as a page's summary of the book lists them too).
//   辛 四月 "喜壬水之洗淘 … 有木制戊 … 癸透壬藏"; 五月 "壬己并用。无壬、癸亦可用"; 六月 "先用壬水，
//      取庚佐之 … 得甲制之"; 十月 "先壬后丙"; 十一月 "壬丙两透 … 壬多有戊，丙甲出干 … 冬月辛金，
//      须丙温暖方妙" (丙 first by that last sentence); 十二月 "丙先壬后，戊己次之".
//   壬 四月 "专取壬水比肩为助，次取辛金发源 … 庚金为佐 … 癸辛两出"; 五月 "取癸为用，取庚为佐";
//      六月 "先辛后甲"; 十月 "取戊为用 … 戊庚两全"; 十一月 "先取戊土，次用丙火" (another copy:
//      "丙戊并用"); 十二月 "先取丙火，丁甲为佐".
//   癸 四月 "喜辛金为用，无辛用庚"; 五月 "必须庚辛 … 宜见比劫 … 庚辛壬参酌并用"; 六月 "下半月庚辛
//      有气 … 上半月 … 宜比劫助身"; 十月 "宜用庚辛 … 得戊透"; 十一月 "专用丙火解冻 … 又要辛金滋扶";
//      十二月 "宜丙火解冻".
// Unverified: 丙 in 十月壬水 and 丁 in 十月癸水. Only a page's summary of the book lists them
// (亥月 "戊，丙，庚"; "金多用丁"); the chapter text read names 戊 and 庚 for the one, and 丁
// only as harm ("不见丁伤者") for the other. Neither is first, so neither decides anything.
inline constexpr std::string_view kTiaohouMonths = "巳午未亥子丑";
inline constexpr std::string_view kTiaohouStems = "甲乙丙丁戊己庚辛壬癸";
inline constexpr std::string_view kTiaohou[10][6] = {
    {"癸丁", "癸丁庚", "丁庚", "庚丁丙", "丁庚丙", "庚丁"},      // 甲
    {"癸", "癸丙", "癸丙", "丙戊", "丙", "丙"},                 // 乙
    {"壬庚癸", "壬庚", "壬庚", "甲戊庚壬", "壬戊己", "壬甲"},   // 丙
    {"甲庚", "壬庚癸", "甲壬庚", "甲庚", "甲庚", "甲庚"},       // 丁
    {"甲丙癸", "壬甲丙", "癸丙甲", "甲丙", "丙甲", "丙甲"},     // 戊
    {"癸丙", "癸丙", "癸丙", "丙甲戊", "丙甲", "丙甲"},         // 己
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
