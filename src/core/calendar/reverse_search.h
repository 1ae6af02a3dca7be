#pragma once
// Reverse chart search: from four pillars and a start year, the first moment at or after that
// year whose year, month, day and hour pillars are the given ones.
//
// The search keeps its own day arithmetic and its own jie instants (the packed JieTable for
// 1900-2050, an approximate closed formula for the other years) instead of the ephemeris, so
// that a search over -850..2100 costs a few dozen cheap evaluations. Near a jie the formula may
// differ from the ephemeris by some minutes; that is accepted for this tool.
#include <array>
#include <string>

#include "core/calendar/datetime.h"

namespace hj::fantui {

// ---- Day arithmetic (Julian calendar before 1582-10-15, Gregorian from it) ----

// Julian day of the date at its hour and minute (no extra second, unlike Calendar).
double jdOf(const DateTime& t);
// The inverse of jdOf; the time is truncated to the minute.
DateTime dateOfJd(double jd);
// 1 on or after 1582-10-15, -1 for 1582-10-05..14, 0 before.
int gregorianState(int year, int month, int day);
// Days in the month; October 1582 has 21.
int monthLength(int year, int month);
// 1-based day of the year, the 1582 gap left out (0 for a day inside it).
int dayOfYear(int year, int month, int day);
// Days from the formula's epoch to 31 December of year - 1.
long dayCount(int year);
// The day of the year n (1-based) as month * 100 + day. Days before 1 January give month 0
// (December of the year before, day 31 + n) and days past 31 December month 13 (January of
// the next year), so that the result always names a real date.
int monthDayOf(int year, int n);
// Term j of the year by the approximate formula (j = 0: the winter solstice of the previous
// December, 1 = 小寒, 2 = 大寒, 3 = 立春, …; odd j are jie terms): the day of the year, the
// time of day as its fraction, Beijing time.
double termDayValue(int year, int j);

// A jie (or mid) term instant and the month whose term it is: `month` 1 is the 小寒 / 大寒 month,
// 2 the 立春 / 雨水 month, …, and `year` the year that month belongs to. The date is always a
// real calendar date; with the formula it can lie in a neighbouring month where the calendar
// drifts (the Julian centuries before 1582: 立春 on 25 January in 1500).
struct TermInstant {
    DateTime time;
    int year = 0;
    int month = 0;
};
// The jie (isJie) or mid term that falls in the calendar month. 1900-2050 from JieTable, other
// years from termDayValue; a month without one (October 1582) yields the nearest.
TermInstant jieOfMonth(int year, int month, bool isJie);

// ---- The search ----

// A pillar as the dialog's lists hold it: stem list index 0..9 (甲 … 癸) and branch list index
// 0..11 (子 … 亥).
struct PillarChoice {
    int stem = 0;
    int branch = 0;
    friend bool operator==(const PillarChoice&, const PillarChoice&) = default;
};
// The list indices of a sexagenary index 0..59 (1 = 甲子, 0 = 癸亥).
PillarChoice choiceOf(int cycleIndex);
// The sexagenary index of a choice; the stem and branch must have equal parity.
int cycleOf(const PillarChoice& p);

struct SearchQuery {
    std::array<PillarChoice, 4> pillars{};  // year, month, day, hour
    int startYear = 1950;                   // shown numbering: no year 0, -1 = 1 BC
};

enum class SearchOutcome { Found, NotFound, BadYear, BadPillar };

struct SearchResult {
    SearchOutcome outcome = SearchOutcome::NotFound;
    // Refusals: the message box text and title; badPillar is 0..3 (year … hour) for BadPillar.
    std::string title, message;
    int badPillar = -1;
    // First candidate year, astronomical numbering (the start year moved to the year pillar).
    int firstCandidate = 0;
    // Found: the moment (astronomical year, minute 0) and its text "1984年2月5日0时".
    DateTime found{};
    std::string text;
};

inline constexpr int kFirstSearchYear = -850;  // shown numbering
inline constexpr int kLastSearchYear = 2100;

SearchResult runSearch(const SearchQuery& query);
// The refusal of a start year outside kFirstSearchYear..kLastSearchYear or 0.
SearchResult startYearRefusal();

// The result memo after a search: a find is appended, "not found" replaces the text, a refusal
// leaves it as it was.
void updateMemo(const SearchResult& result, std::string& memo);

}  // namespace hj::fantui
