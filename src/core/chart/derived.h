#pragma once
// Derived chart data: hidden stems, ten gods, na yin, life stages, void branches, conception
// pillar, life palace and luck pillars. Indices: stems 0 = 癸 … 9 = 壬, branches 0 = 亥 …
// 11 = 戌, cycle indices 1 = 甲子 … 59 = 壬戌, 0 = 癸亥.
#include <array>
#include <string>
#include <string_view>

namespace hj {

class Calendar;
struct BirthPillars;
struct LuckInfo;

// Short ten-god names by index: 比 劫 食 伤 才 财 杀 官 枭 印.
inline constexpr std::string_view kTenGodShort[10] = {"比", "劫", "食", "伤", "才", "财", "杀", "官", "枭", "印"};
inline constexpr std::string_view kLifeStages[12] = {"长生", "沐浴", "冠带", "临官", "帝旺", "衰",
                                                     "病",   "死",   "墓",   "绝",   "胎",   "养"};
inline constexpr std::string_view kElementNames[5] = {"水", "木", "火", "土", "金"};
// Hidden stems of each branch (亥 first) as stem digits, in the order they are listed.
inline constexpr std::string_view kHiddenStems[12] = {"19",  "0",  "086", "135", "2",   "250",
                                                      "735", "64", "264", "579", "8",   "845"};

// Element (0 水 … 4 金) of a stem: 甲乙 木, 丙丁 火, 戊己 土, 庚辛 金, 壬癸 水; and of a branch:
// 寅卯 木, 巳午 火, 申酉 金, 亥子 水, 辰戌丑未 土. Stem or cycle index, branch or cycle index.
int stemElement(int stem);
int branchElement(int branch);

// Ten god of stem `other` seen from day stem `day` (cycle or stem indices; only % 10 counts).
int tenGodIndex(int day, int other);
// Life stage 0..11 (长生 …) of stem `stem` at branch `branch`.
int lifeStageIndex(int stem, int branch);
// Na yin pair 0..29 of a cycle index, its name and its element (0 水 … 4 金).
int nayinPair(int cycleIndex);
std::string_view nayinName(int cycleIndex);
// With `commonNames` the common names where this program's table has its own: 城头土, 桑柘木,
// 涧下水, 覆灯火, 霹雳火 (the setting nayin=1).
std::string_view nayinName(int cycleIndex, bool commonNames);
int nayinElement(int cycleIndex);
// The two void branches (空亡) of a day pillar.
std::array<int, 2> voidBranches(int dayPillar);
// Conception pillar (胎元) of a month pillar.
int conceptionOf(int monthPillar);
// Pillar of solar month `monthNumber` (1 = 寅 … 12 = 丑) in a year of pillar `yearPillar`:
// the first month's stem follows the year stem (甲己 → 丙寅, 乙庚 → 戊寅, … 戊癸 → 甲寅).
int monthPillarOf(int yearPillar, int monthNumber);
// Month number 1..12 (寅 = 1 … 丑 = 12) that the life palace counts from. mgong 0: the jie
// month of the month branch. mgong 1: the month of the last mid term (中气) at the birth: the
// month branch's own number when the birth is at or after that month's mid term, the month
// before otherwise (雨水 opens month 1, 春分 month 2, … 大寒 month 12).
int palaceMonthNumber(int monthBranch, int mgong, bool atOrAfterMidTerm);
// Life palace (命宫) from that month number, the hour pillar and the year pillar.
int lifePalaceOf(int monthNumber, int hourPillar, int yearPillar);
// Luck direction, start distance, start date, start age and the eight luck pillars of a birth.
LuckInfo luckPillars(Calendar& calendar, const BirthPillars& birth);
// Start distance from the whole minutes to the nearest jie.
void luckStartDistance(long minutes, int& years, int& months, int& days);

// Stem and branch names of a cycle index ("甲子").
std::string pillarName(int cycleIndex);

}  // namespace hj
