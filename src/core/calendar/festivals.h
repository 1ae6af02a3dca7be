#pragma once
// Festivals of a civil day, for the perpetual calendar and the calendar export: the traditional
// ones by lunar date (never in a leap month), 除夕 on the eve of 正月初一 (the last day of 腊月,
// 29 or 30 days), 清明 and 冬至 on the days of those solar terms, and the public holidays by
// civil date, each only from the year it was instituted.
//
// The table is the one list of festivals; the month page and the export read it through
// festivalsOn().
#include <string>
#include <string_view>
#include <vector>

#include "core/calendar/calendar.h"

namespace hj {

enum class FestivalKind { Lunar, LunarYearEve, Term, Civil };

struct Festival {
    FestivalKind kind;
    int month;  // lunar or civil month; for Term, the term index (0 = 小寒 … 23 = 冬至)
    int day;
    std::string_view name;
    int firstYear;  // civil holidays: the first (astronomical) year it was kept
};

// One entry per festival, in the order a day lists them: traditional, terms, public holidays.
inline constexpr Festival kFestivals[] = {
    {FestivalKind::Lunar, 1, 1, "春节", 0},
    {FestivalKind::Lunar, 1, 15, "元宵", 0},
    {FestivalKind::Lunar, 2, 2, "龙抬头", 0},
    {FestivalKind::Lunar, 5, 5, "端午", 0},
    {FestivalKind::Lunar, 7, 7, "七夕", 0},
    {FestivalKind::Lunar, 7, 15, "中元", 0},
    {FestivalKind::Lunar, 8, 15, "中秋", 0},
    {FestivalKind::Lunar, 9, 9, "重阳", 0},
    {FestivalKind::Lunar, 10, 1, "寒衣", 0},
    {FestivalKind::Lunar, 10, 15, "下元", 0},
    {FestivalKind::Lunar, 12, 8, "腊八", 0},
    {FestivalKind::Lunar, 12, 23, "北方小年", 0},
    {FestivalKind::Lunar, 12, 24, "南方小年", 0},
    {FestivalKind::LunarYearEve, 0, 0, "除夕", 0},
    {FestivalKind::Term, 6, 0, "清明", 0},
    {FestivalKind::Term, 23, 0, "冬至", 0},
    // Public holidays: 1950 is the first year of the national holiday rules of December 1949
    // (元旦, 劳动节, 青年节, 儿童节, 国庆节); 建军节 was named in 1933, 建党节 in 1941, 教师节 in 1985.
    {FestivalKind::Civil, 1, 1, "元旦", 1950},
    {FestivalKind::Civil, 5, 1, "劳动节", 1950},
    {FestivalKind::Civil, 5, 4, "青年节", 1950},
    {FestivalKind::Civil, 6, 1, "儿童节", 1950},
    {FestivalKind::Civil, 7, 1, "建党节", 1941},
    {FestivalKind::Civil, 8, 1, "建军节", 1933},
    {FestivalKind::Civil, 9, 10, "教师节", 1985},
    {FestivalKind::Civil, 10, 1, "国庆节", 1950},
};

// What decides the festivals of a day.
struct DayFacts {
    DateTime civil;           // astronomical year
    DateTime lunar;           // its lunar date
    bool leap = false;        // in a leap month
    bool eveOfNewYear = false;  // the next day is 正月初一 (not of a leap month)
    int termIndex = -1;       // the solar term whose instant falls on the day, -1 for none
};

// The festivals of a day, in table order (empty for most days).
std::vector<const Festival*> festivalsOf(const DayFacts& facts);

// The facts of a civil day from the calendar; `termIndex` as above, known to the caller from
// the year's terms.
DayFacts dayFactsOf(Calendar& cal, const DateTime& civil, int termIndex);

// Festival names joined by a space ("中秋 国庆节").
std::string festivalNames(const std::vector<const Festival*>& festivals);

// A lunar month's name: 正月, 二月 … 十二月, or with `winterNames` 冬月 and 腊月 for the last two.
std::string lunarMonthName(int month, bool winterNames);

}  // namespace hj
