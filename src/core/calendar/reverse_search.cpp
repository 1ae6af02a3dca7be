#include "core/calendar/reverse_search.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "core/calendar/jie_table.h"

namespace hj::fantui {
namespace {

bool isLeapYear(int y) {
    if (y % 4 != 0) return false;
    if (y <= 1582) return true;  // Julian rule before the reform
    return y % 100 != 0 || y % 400 == 0;
}

int floorInt(double x) { return static_cast<int>(std::floor(x)); }

}  // namespace

double jdOf(const DateTime& t) {
    const int y = t.year, m = t.month;
    const double a = std::floor(30.6 * ((m > 2 ? m : m + 12) + 1));
    const double e = y + 4800 - (m <= 2 ? 1 : 0);
    double g = -38;
    if (gregorianState(y, m, t.day) == 1) {
        const double f = std::floor(0.01 * e);
        g = std::floor(0.25 * f - f);
    }
    return t.hour / 24.0 + t.minute / 1440.0 + g + std::floor(365.25 * e) + a + t.day - 32167.5;
}

DateTime dateOfJd(double jd) {
    const double z = std::floor(jd + 0.5);
    const double f = jd + 0.5 - z;
    double a = z;
    if (z >= 2299161) {
        const double alpha = std::floor((z - 1867216.25) / 36524.25);
        a = z + 1 + alpha - std::floor(alpha / 4);
    }
    const double b = a + 1524;
    const double c = std::floor((b - 122.1) / 365.25);
    const double d = std::floor(365.25 * c);
    const double e = std::floor((b - d) / 30.6001);
    DateTime out;
    out.day = static_cast<std::int16_t>(b - d - std::floor(30.6001 * e));
    out.month = static_cast<std::int16_t>(e < 14 ? e - 1 : e - 13);
    out.year = static_cast<std::int16_t>(out.month > 2 ? c - 4716 : c - 4715);
    const double hours = 24 * f;
    int hour = floorInt(hours);
    int minute = floorInt(60 * (hours - hour));
    // A fraction a hair below the next minute must not read as 60.
    if (minute > 59) minute = 59;
    if (hour > 23) hour = 23;
    out.hour = static_cast<std::int16_t>(hour);
    out.minute = static_cast<std::int16_t>(minute);
    return out;
}

int gregorianState(int year, int month, int day) {
    const long key = static_cast<long>(year) * 10000 + month * 100 + day;
    if (key >= 15821015) return 1;
    if (key >= 15821005) return -1;
    return 0;
}

int monthLength(int year, int month) {
    static constexpr int kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year == 1582 && month == 10) return 21;
    if (month == 2) return isLeapYear(year) ? 29 : 28;
    return kLengths[month - 1];
}

int dayOfYear(int year, int month, int day) {
    const int state = gregorianState(year, month, day);
    if (state == -1) return 0;
    int n = day;
    for (int i = 1; i < month; ++i) n += i == 10 && year == 1582 ? 31 : monthLength(year, i);
    if (year == 1582 && state == 1) n -= 10;
    return n;
}

long dayCount(int year) {
    const long y = year;
    long n = static_cast<long>(std::floor((y - 1) / 4.0)) + 365 * y + dayOfYear(year, 1, 0) - 367;
    if (year >= 1583)
        n += static_cast<long>(std::floor(0.0025 * static_cast<double>(y - 1))) -
             static_cast<long>(std::floor(0.01 * static_cast<double>(y - 1))) + 2;
    return n;
}

int monthDayOf(int year, int n) {
    if (n < 1) return 31 + n;  // month 0: December of the year before
    for (int i = 1; i <= 12; ++i) {
        const int len = monthLength(year, i);
        if (n <= len) {
            // October 1582 skips from the 4th to the 15th.
            const int day = year == 1582 && i == 10 && n > 4 ? n + 10 : n;
            return i * 100 + day;
        }
        n -= len;
    }
    return 1300 + n;  // January of the next year
}

double termDayValue(int year, int j) {
    const double y = year;
    const double x = 0.0003 * y - 0.372781384 - 0.2617913325 * j;
    double m = (365.2423112 - 6.4e-14 * (y - 100) * (y - 100) - 3.047e-8 * (y - 100)) * y + 15.218427 * j +
               1721050.71301;
    m += (1.945 * std::sin(x) - 0.01206 * std::sin(2 * x)) * (1.048994 - 0.00002583 * y) -
         0.0018 * std::sin(2.313908653 * y - 0.439822951 - 3.0443 * j);
    return m - static_cast<double>(dayCount(year)) - 1721425;
}

TermInstant jieOfMonth(int year, int month, bool isJie) {
    TermInstant out;
    if (year >= kJieTableFirstYear && year <= kJieTableLastYear) {
        std::uint32_t v = JieTable[static_cast<std::size_t>((year - kJieTableFirstYear) * 12 + month - 1)];
        if (!isJie) v >>= 16;
        out.time = {static_cast<std::int16_t>(year), static_cast<std::int16_t>(month),
                    static_cast<std::int16_t>(v & 31), static_cast<std::int16_t>(v >> 5 & 31),
                    static_cast<std::int16_t>(v >> 10 & 63)};
        out.year = year;
        out.month = month;
        return out;
    }

    // The month holds either (mid of the month before, its jie) or (its jie, its mid); when
    // the next month's jie already falls inside it, the later pair is the month's. For December
    // that next jie is term 25, the following year's 小寒 (in the Julian centuries it falls in
    // late December), which the formula continues to without a break.
    const auto monthOfTerm = [year](int j) { return monthDayOf(year, floorInt(termDayValue(year, j))) / 100; };
    const int p = 2 * month - 2, q = 2 * month - 1, r = 2 * month, s = 2 * month + 1;
    std::pair<int, int> pair = monthOfTerm(p) == month ? std::pair{p, q} : std::pair{q, r};
    if (monthOfTerm(s) == month) pair = {pair.second, s};
    const int j = (pair.first % 2 == 1) == isJie ? pair.first : pair.second;

    const double t = termDayValue(year, j);
    const int md = monthDayOf(year, floorInt(t));
    int y = year, m = md / 100;
    if (m == 0) {
        y -= 1;
        m = 12;
    } else if (m == 13) {
        y += 1;
        m = 1;
    }
    const double frac = t - std::floor(t);
    const int hour = static_cast<int>(24 * frac);
    const int minute = static_cast<int>(60 * (24 * frac - hour));
    out.time = {static_cast<std::int16_t>(y), static_cast<std::int16_t>(m), static_cast<std::int16_t>(md % 100),
                static_cast<std::int16_t>(hour), static_cast<std::int16_t>(minute)};
    // Term 0 is the mid term of the December before, term 25 the jie of the January after.
    const int owner = isJie ? (j + 1) / 2 : j / 2;
    out.year = owner < 1 ? year - 1 : owner > 12 ? year + 1 : year;
    out.month = owner < 1 ? 12 : owner > 12 ? 1 : owner;
    return out;
}

// ---- search ----

PillarChoice choiceOf(int cycleIndex) {
    const int n = cycleMod(cycleIndex, 60);
    PillarChoice p;
    p.stem = n % 10 == 0 ? 9 : n % 10 - 1;
    p.branch = n % 12 == 0 ? 11 : n % 12 - 1;
    return p;
}

namespace {

int stemOf(const PillarChoice& p) { return (p.stem + 1) % 10; }      // 甲 = 1 … 癸 = 0
int branchOf(const PillarChoice& p) { return (p.branch + 1) % 12; }  // 子 = 1 … 亥 = 0

bool validChoice(const PillarChoice& p) {
    return p.stem >= 0 && p.stem < 10 && p.branch >= 0 && p.branch < 12 && p.stem % 2 == p.branch % 2;
}

// Stem of the 寅 month in a year with stem s (甲/己 → 丙, 乙/庚 → 戊, …) moved on to the month of
// branch b; stems and branches 1-based as in the cycle tables.
int monthStemFor(int yearStem, int branch) {
    const int s = yearStem == 0 ? 10 : yearStem;
    const int first = ((s <= 5 ? s : s - 5) * 2 + 1) % 10;
    return (first + cycleMod(branch - 3, 12)) % 10;
}

// Stem of the 子 hour on a day with stem s (甲/己 → 甲, 乙/庚 → 丙, …) moved on to the hour of
// branch b.
int hourStemFor(int dayStem, int branch) {
    const int s = dayStem == 0 ? 10 : dayStem;
    const int first = ((s <= 5 ? s : s - 5) * 2 - 1) % 10;
    return (first + cycleMod(branch - 1, 12)) % 10;
}

SearchResult refusal(SearchOutcome outcome, std::string title, std::string message, int badPillar = -1) {
    SearchResult r;
    r.outcome = outcome;
    r.title = std::move(title);
    r.message = std::move(message);
    r.badPillar = badPillar;
    return r;
}


// The jie that opens the month of branch b in the pillar year y (丑 belongs to January of the
// year after): the month's jie instant and the month number to call for the next one.
struct OpeningJie {
    TermInstant jie;
    int year, month;
};

OpeningJie findOpeningJie(int targetYear, int targetMonth) {
    int y = targetYear, n = targetMonth;
    if (y == 1582 && n == 10) n = 9;  // that month's jie falls before the gap, in September
    const long target = static_cast<long>(targetYear) * 12 + targetMonth;
    TermInstant t;
    for (int tries = 1;; ++tries) {
        t = jieOfMonth(y, n, true);
        const long got = static_cast<long>(t.year) * 12 + t.month;
        if (got == target || tries > 60 || (tries > 36 && n == t.month)) break;
        // Step towards the target; the formula can name the neighbouring month's jie.
        n += got < target ? 1 : -1;
        if (n > 12) {
            n = 1;
            ++y;
        } else if (n < 1) {
            n = 12;
            --y;
        }
    }
    return {t, y, n};
}

}  // namespace

SearchResult startYearRefusal() {
    return refusal(SearchOutcome::BadYear, "年份错误",
                   "起始年必须在-850到2100年之间，并且没有公元0年\r\n注意：公元前用负数，比如公元前120年，就输入-120");
}

int cycleOf(const PillarChoice& p) { return cycleIndexOf(stemOf(p), branchOf(p)); }

SearchResult runSearch(const SearchQuery& query) {
    static constexpr const char* kPillarNames[4] = {"年", "月", "日", "时"};
    if (query.startYear == 0 || query.startYear < -999 || query.startYear > kLastSearchYear) return startYearRefusal();

    const auto& pl = query.pillars;
    for (int i = 0; i < 4; ++i) {
        bool ok = validChoice(pl[static_cast<std::size_t>(i)]);
        if (ok && i == 1) ok = stemOf(pl[1]) == monthStemFor(stemOf(pl[0]), branchOf(pl[1]));
        if (ok && i == 3) ok = stemOf(pl[3]) == hourStemFor(stemOf(pl[2]), branchOf(pl[3]));
        if (!ok)
            return refusal(SearchOutcome::BadPillar, "无效的八字", std::string("不存在这个") + kPillarNames[i] + "柱！", i);
    }
    if (query.startYear < kFirstSearchYear) return startYearRefusal();

    const int yearPillar = cycleOf(pl[0]);
    const int dayPillar = cycleOf(pl[2]);
    const int monthBranch = branchOf(pl[1]);
    const int hourBranch = branchOf(pl[3]);

    int first = astronomicalYear(query.startYear);
    first += cycleMod(yearPillar - cycleMod(first + 897, 60), 60);

    SearchResult result;
    result.firstCandidate = first;
    result.outcome = SearchOutcome::NotFound;

    // Calendar month of the jie opening the pillar month: 寅 → 2, …, 子 → 12, 丑 → 1.
    int k = monthBranch - 1;
    if (k <= 0) k += 12;
    // Even hour of the branch: 子 → 0, 丑 → 2, …, 亥 → 22.
    int v = 2 * (hourBranch % 12) - 2;
    if (v < 0) v += 24;

    for (int y = first; y == first || y < kLastSearchYear; y += 60) {
        const int targetYear = monthBranch == 2 ? y + 1 : y;
        const OpeningJie open = findOpeningJie(targetYear, k);
        int ny = open.year, nm = open.month + 1;
        if (nm > 12) {
            nm = 1;
            ++ny;
        }
        if (ny == 1582 && nm == 10) nm = 11;
        const TermInstant next = jieOfMonth(ny, nm, true);

        DateTime day1 = open.jie.time, day2 = next.time;
        day1.hour = day1.minute = day2.hour = day2.minute = 0;
        const double t1 = jdOf(open.jie.time), d1 = jdOf(day1);
        const double t2 = jdOf(next.time), d2 = jdOf(day2);
        const int span = floorInt(d2 - d1 + 0.01);
        const int day0 = cycleMod(floorInt(t1 - 1410960.5) + 51, 60);
        const int offset = cycleMod(dayPillar - day0, 60);
        if (offset > span) continue;
        // Five minutes past the even hour, safely inside the hour.
        const double b = d1 + offset + v / 24.0 + 5.0 / 1440;
        if (b < t1 || b >= t2) continue;
        result.outcome = SearchOutcome::Found;
        result.found = dateOfJd(b);
        result.found.minute = 0;
        char buf[64];
        std::snprintf(buf, sizeof buf, "%d年%d月%d日%d时", displayYear(result.found.year), result.found.month,
                      result.found.day, result.found.hour);
        result.text = buf;
        break;
    }
    return result;
}

void updateMemo(const SearchResult& result, std::string& memo) {
    if (result.outcome == SearchOutcome::Found) memo += "符合命例\r\n" + result.text + "\r\n\r\n";
    else if (result.outcome == SearchOutcome::NotFound) memo = "没有符合的八字，改变起始年反推，或许可以找到。\r\n\r\n";
}

}  // namespace hj::fantui
