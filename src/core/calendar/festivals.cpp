#include "core/calendar/festivals.h"

namespace hj {

std::vector<const Festival*> festivalsOf(const DayFacts& f) {
    std::vector<const Festival*> out;
    for (const Festival& e : kFestivals) {
        bool on = false;
        switch (e.kind) {
        case FestivalKind::Lunar:
            on = !f.leap && f.lunar.month == e.month && f.lunar.day == e.day;
            break;
        case FestivalKind::LunarYearEve:
            on = f.eveOfNewYear;
            break;
        case FestivalKind::Term:
            on = f.termIndex == e.month;
            break;
        case FestivalKind::Civil:
            on = f.civil.year >= e.firstYear && f.civil.month == e.month && f.civil.day == e.day;
            break;
        }
        if (on) out.push_back(&e);
    }
    return out;
}

DayFacts dayFactsOf(Calendar& cal, const DateTime& civil, int termIndex) {
    DayFacts f;
    f.civil = civil;
    f.termIndex = termIndex;
    f.lunar = cal.solarToLunar(civil, f.leap);
    // Only the last days of a month can be the eve; the next day settles it.
    if (f.lunar.day >= 29) {
        DateTime next = civil;
        cal.nextDay(next);
        bool nextLeap = false;
        const DateTime l = cal.solarToLunar(next, nextLeap);
        f.eveOfNewYear = l.month == 1 && l.day == 1 && !nextLeap;
    }
    return f;
}

std::string festivalNames(const std::vector<const Festival*>& festivals) {
    std::string s;
    for (const Festival* e : festivals) {
        if (!s.empty()) s += ' ';
        s += e->name;
    }
    return s;
}

std::string lunarMonthName(int month, bool winterNames) {
    if (month == 1) return "正月";
    if (winterNames && month == 11) return "冬月";
    if (winterNames && month == 12) return "腊月";
    return chineseNumber(month) + "月";
}

}  // namespace hj
