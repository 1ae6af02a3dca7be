#pragma once
// The date-time record shared by every part of the program, the cycle name tables and the
// small numeric helpers of the calendar.
#include <cstdint>
#include <string>
#include <string_view>

namespace hj {

// A civil date and time in Beijing time (UTC+8), or a lunar date when a leap flag travels with
// it. Years are astronomical: 1 = AD 1, 0 = 1 BC, -1 = 2 BC (see displayYear).
struct DateTime {
    std::int16_t year = 2000;
    std::int16_t month = 1;
    std::int16_t day = 1;
    std::int16_t hour = 12;
    std::int16_t minute = 0;
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// Every cycle index is 1-based modulo its length, so index 0 names the last element and the
// tables begin with it: stems 癸甲乙…壬 (n % 10), branches 亥子丑…戌 (n % 12).
inline constexpr std::string_view kStems[10] = {"癸", "甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬"};
inline constexpr std::string_view kBranches[12] = {"亥", "子", "丑", "寅", "卯", "辰",
                                                   "巳", "午", "未", "申", "酉", "戌"};
inline constexpr std::string_view kAnimals[12] = {"猪", "鼠", "牛", "虎", "兔", "龙",
                                                  "蛇", "马", "羊", "猴", "鸡", "狗"};
// Solar terms 0..23 from 小寒 (285°) to 冬至 (270°); even indexes are the jie terms.
inline constexpr std::string_view kTermNames[24] = {
    "小寒", "大寒", "立春", "雨水", "惊蛰", "春分", "清明", "谷雨", "立夏", "小满", "芒种", "夏至",
    "小暑", "大暑", "立秋", "处暑", "白露", "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至"};
inline constexpr std::string_view kChineseDigits[10] = {"○", "一", "二", "三", "四", "五", "六", "七", "八", "九"};

// Index modulo n taken in 0..n-1, for any sign.
constexpr int cycleMod(int x, int n) { return ((x % n) + n) % n; }

// Julian day number of a civil date (Julian calendar before 1582-10-15, Gregorian from it);
// the day carries the time of day as a fraction. Dates inside the 1582 gap are not rejected.
double civilJulianDay(int year, int month, double dayWithFraction);

// Name of a sexagenary index (0..59, any integer accepted): stem + branch, "甲子" for 1.
std::string ganZhiName(int cycleIndex);

// The sexagenary index 0..59 whose stem is `stem` (0..9) and branch `branch` (0..11); the two
// must have equal parity.
int cycleIndexOf(int stem, int branch);
// The double hour (时辰) of a clock hour 0..23, as its index in kBranches: an odd hour opens the
// next double hour, so 23时 and 0时 are both 子 (1), 1时 is already 丑 (2).
int hourBranchOf(int hour);

// Chinese numerals for lunar days, months and years: 十, 二十, 廿一, 三十, 一九八四, 前五 …
std::string chineseNumber(int n);

// Rounds to `digits` decimals; a tie rounds down.
double roundTo(double x, int digits);

// The year as shown to users: astronomical years below 1 are shown one lower, so that no
// year 0 appears (0 → -1, -1 → -2).
constexpr int displayYear(int year) { return year < 1 ? year - 1 : year; }
// The inverse: a shown year back to the astronomical year.
constexpr int astronomicalYear(int shown) { return shown < 0 ? shown + 1 : shown; }

}  // namespace hj
