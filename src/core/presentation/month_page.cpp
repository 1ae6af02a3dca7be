#include "core/presentation/month_page.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/calendar/festivals.h"
#include "core/text/gbk.h"

namespace hj {
namespace {

bool inGap(int year, int month, int day) { return year == 1582 && month == 10 && day >= 5 && day <= 14; }

// October 1582 numbers its 21 days 1-4 and 15-31.
int shownDay(int year, int month, int index) { return year == 1582 && month == 10 && index > 4 ? index + 10 : index; }
int dayIndex(int year, int month, int day) { return year == 1582 && month == 10 && day > 14 ? day - 10 : day; }
// The number of the month's last day (31 for October 1582, which has 21 days).
int lastDayOf(int year, int month) { return shownDay(year, month, monthLengthOf(year, month)); }

std::string lunarText(const DateTime& lunar, bool leap, bool winterNames) {
    std::string s = leap ? "闰" : "";
    s += lunarMonthName(lunar.month, winterNames);
    if (lunar.day <= 10) s += "初";
    s += chineseNumber(lunar.day);
    return s;
}

std::string pillarName(int index) { return ganZhiName(index); }

}  // namespace

const DayCell* MonthPage::selectedCell() const {
    for (const DayCell& c : cells)
        if (c.selected) return &c;
    return nullptr;
}

int shownYearOf(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return 0;
    return value;
}

int monthLengthOf(int year, int month) {
    const int ny = month == 12 ? year + 1 : year, nm = month == 12 ? 1 : month + 1;
    // Both at 12:01, as the calendar counts them.
    const double noon = 1 + (12 + 1.0 / 60) / 24;
    return static_cast<int>(std::floor(civilJulianDay(ny, nm, noon) - civilJulianDay(year, month, noon)));
}

const std::vector<TermEntry>& MonthPageBuilder::yearTerms(int year) {
    if (!haveTerms_ || termsYear_ != year) {
        yearTerms_ = cal_.termsOfYear(year);
        termsYear_ = year;
        haveTerms_ = true;
    }
    return yearTerms_;
}

bool MonthPageBuilder::build(int shownYear, int month, int day, int hour, int minute, MonthPage& out) {
    errorTitle_.clear();
    lastError_.clear();
    if (!shownYearAccepted(shownYear)) {
        errorTitle_ = "年份不对";
        lastError_ = "年份在-4713 到 9999年之间，并且没有公元0年";
        return false;
    }
    const int year = astronomicalYear(shownYear);
    const bool timeOk = month >= 1 && month <= 12 && day >= 1 && hour >= 0 && hour <= 23 && minute >= 0 &&
                        minute <= 59;
    const int length = timeOk && !inGap(year, month, day) ? monthLengthOf(year, month) : 0;
    if (length == 0 || dayIndex(year, month, day) > length) {
        errorTitle_ = "日期不对";
        lastError_ = "不存在这个日期，请重新输入！";
        return false;
    }

    MonthPage page;
    page.shownYear = shownYear;
    page.moment = {static_cast<std::int16_t>(year), static_cast<std::int16_t>(month), static_cast<std::int16_t>(day),
                   static_cast<std::int16_t>(hour), static_cast<std::int16_t>(minute)};
    page.monthLength = length;

    static constexpr std::string_view kWeekdays[7] = {"一", "二", "三", "四", "五", "六", "日"};
    for (int i = 0; i < 7; ++i)
        page.header[static_cast<std::size_t>(i)] = {"星期" + std::string(kWeekdays[i]),
                                                    i < 5 ? kWorkdayColour : kWeekendColour, 13};

    char buf[96];
    for (const TermEntry& t : yearTerms(year)) {
        if (t.time.year != year) break;  // the terminator
        if (t.time.month != month) continue;
        page.terms.push_back(t);
        std::snprintf(buf, sizeof buf, "%s:%d日%d时%d分\r\n\r\n", std::string(kTermNames[t.index]).c_str(), t.time.day,
                      t.time.hour, t.time.minute);
        page.termText += buf;
        if (page.terms.size() == 3) break;
    }

    DateTime first{page.moment.year, page.moment.month, 1, 12, 0};
    page.firstColumn = (cal_.weekdayOf(first) + 6) % 7;

    page.cells.reserve(static_cast<std::size_t>(length));
    for (int j = 1; j <= length; ++j) {
        DayCell c;
        const int cell = page.firstColumn + j - 1;
        c.row = 1 + cell / 7;
        c.column = cell % 7;
        c.day = shownDay(year, month, j);
        c.upper = j == 1 ? std::to_string(month) + "月" : std::to_string(c.day);
        for (const TermEntry& t : page.terms) {
            if (t.time.day != c.day) continue;
            c.hasTerm = true;
            c.upper += " " + std::string(kTermNames[t.index]);
            c.upperColour = kTermDayColour;
            c.upperSize = 10;
            break;
        }
        const DateTime civil{page.moment.year, page.moment.month, static_cast<std::int16_t>(c.day), 12, 0};
        int termIndex = -1;
        for (const TermEntry& t : page.terms)
            if (t.time.day == c.day) termIndex = t.index;
        const DayFacts facts = dayFactsOf(cal_, civil, termIndex);
        c.lower = lunarText(facts.lunar, facts.leap, options_.winterNames);
        c.lunar = c.lower;
        const std::vector<const Festival*> festivals = festivalsOf(facts);
        c.festivals = festivalNames(festivals);
        // A term is already named above the line; the first other festival takes the lunar date's place.
        for (const Festival* f : festivals) {
            if (!options_.festivals || f->kind == FestivalKind::Term) continue;
            c.lower = f->name;
            c.lowerColour = kFestivalColour;
            break;
        }
        c.lowerSize = text::gbkLength(c.lower) > 10 ? 8 : 9;
        c.selected = c.day == day;
        c.today = civil.year == options_.today.year && civil.month == options_.today.month &&
                  civil.day == options_.today.day;
        if (c.selected) page.selectedFestivals = c.festivals;
        page.cells.push_back(std::move(c));
    }

    fillPanel(page);
    out = std::move(page);
    return true;
}

void MonthPageBuilder::fillPanel(MonthPage& page) {
    const DateTime& s = page.moment;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d年%d月", page.shownYear, s.month);
    page.title = buf;

    // The year changes at 立春, not on 1 January. Its exact instant is the boundary, as for the
    // month below, so that year and month agree in the minute of 立春 too.
    int y = s.year;
    if (cal_.julianDayOf(s) < Calendar::solarTermJd(s.year, 2, true)) --y;
    DateTime jie, mid, next;
    const int c = cal_.termsAround(s, jie, mid, next);
    page.pillarYear = y;
    const int yearIndex = cycleMod(y + 6897, 60);
    page.eraLine = cal_.eraText(y) + "  【" + std::string(kAnimals[yearIndex % 12]) + "年】";

    const int f = c > 2 ? c - 3 : c + 9;  // months since 寅
    const int d = yearIndex % 10 == 0 ? 10 : yearIndex % 10;
    const int monthStem = (((d < 6 ? d : d - 5) * 2 + 1) % 10 + f) % 10;
    const int monthIndex = cycleIndexOf(monthStem, (f + 3) % 12);

    // From 23:00 the day is the next one's.
    int dayIndexValue = cal_.dayCycleIndex(s);
    if (s.hour == 23) dayIndexValue = (dayIndexValue + 1) % 60;

    const int t = s.hour % 2 == 1 ? (s.hour + 1) % 24 : s.hour;
    const int e = dayIndexValue % 10 == 0 ? 5 : dayIndexValue % 10;
    const int hourIndex = cycleIndexOf((t / 2 + 2 * e - 1) % 10, (t / 2 + 1) % 12);

    page.pillars = {yearIndex, monthIndex, dayIndexValue, hourIndex};
    page.pillarText = pillarName(yearIndex) + "年\r\n" + pillarName(monthIndex) + "月\r\n" + pillarName(dayIndexValue) +
                      "日\r\n" + pillarName(hourIndex) + "时";
}

bool previousMonth(int& shownYear, int& month) {
    if (shownYear == kFirstShownYear && month == 1) return false;
    if (--month < 1) {
        month = 12;
        shownYear = shownYear == 1 ? -1 : shownYear - 1;
    }
    return true;
}

bool nextMonth(int& shownYear, int& month) {
    if (shownYear == kLastShownYear && month == 12) return false;
    if (++month > 12) {
        month = 1;
        shownYear = shownYear == -1 ? 1 : shownYear + 1;
    }
    return true;
}

int openingDay(int shownYear, int month, int day) {
    if (!shownYearAccepted(shownYear) || month < 1 || month > 12) return day;
    const int year = astronomicalYear(shownYear);
    if (day < 1 || inGap(year, month, day) || dayIndex(year, month, day) > monthLengthOf(year, month)) return 15;
    return day;
}

int dayAtCell(const MonthPage& page, int row, int column) {
    if (row < 0 || row > 6 || column < 0 || column > 6) return 0;
    const int cell = row * 7 + column - 7;
    if (cell < page.firstColumn || cell >= page.firstColumn + page.monthLength) return 0;
    return shownDay(page.moment.year, page.moment.month, cell - page.firstColumn + 1);
}

bool shiftDays(Calendar& cal, int& shownYear, int& month, int& day, int days) {
    if (!shownYearAccepted(shownYear)) return false;
    const DateTime d = cal.dateFromJulianDay(civilJulianDay(astronomicalYear(shownYear), month, day + 0.5) + days);
    if (!shownYearAccepted(displayYear(d.year))) return false;
    shownYear = displayYear(d.year);
    month = d.month;
    day = d.day;
    return true;
}

bool shiftMonths(int& shownYear, int& month, int& day, int months) {
    if (!shownYearAccepted(shownYear)) return false;
    // Months counted from January of astronomical year 0, so that year 0 is skipped in the shown numbering.
    const long index = static_cast<long>(astronomicalYear(shownYear)) * 12 + (month - 1) + months;
    const int year = static_cast<int>(index >= 0 ? index / 12 : (index - 11) / 12);
    const int m = static_cast<int>(index - static_cast<long>(year) * 12) + 1;
    if (!shownYearAccepted(displayYear(year))) return false;
    int d = std::min(day, lastDayOf(year, m));
    if (inGap(year, m, d)) d = 4;
    shownYear = displayYear(year);
    month = m;
    day = d;
    return true;
}

}  // namespace hj
