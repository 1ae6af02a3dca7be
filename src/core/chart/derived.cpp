#include "core/chart/derived.h"

#include <cmath>

#include "core/calendar/calendar.h"
#include "core/calendar/datetime.h"
#include "core/chart/chart.h"

namespace hj {
namespace {

struct Nayin {
    std::string_view name;
    int element;
};
constexpr Nayin kNayin[30] = {
    {"大海水", 0}, {"海中金", 4}, {"炉中火", 2}, {"大林木", 1}, {"路旁土", 3}, {"剑锋金", 4},
    {"山头火", 2}, {"洞下水", 0}, {"城墙土", 3}, {"白蜡金", 4}, {"杨柳木", 1}, {"泉中水", 0},
    {"屋上土", 3}, {"霹雷火", 2}, {"松柏木", 1}, {"长流水", 0}, {"沙中金", 4}, {"山下火", 2},
    {"平地木", 1}, {"壁上土", 3}, {"金箔金", 4}, {"佛灯火", 2}, {"天河水", 0}, {"大驿土", 3},
    {"钗钏金", 4}, {"桑松木", 1}, {"大溪水", 0}, {"沙中土", 3}, {"天上火", 2}, {"石榴木", 1}};

// 长生 branch of each stem, 癸 first.
constexpr int kBirthBranch[10] = {4, 0, 7, 3, 10, 3, 10, 6, 1, 9};

// Elements by stem (癸 first) and by branch (亥 first).
constexpr int kStemElements[10] = {0, 1, 1, 2, 2, 3, 3, 4, 4, 0};
constexpr int kBranchElements[12] = {0, 0, 3, 1, 1, 3, 2, 2, 3, 4, 4, 3};

}  // namespace

int stemElement(int stem) { return kStemElements[cycleMod(stem, 10)]; }
int branchElement(int branch) { return kBranchElements[cycleMod(branch, 12)]; }

int tenGodIndex(int day, int other) {
    int a = cycleMod(day, 10);
    int b = cycleMod(other, 10);
    if (a > b) b += 10;
    if (a % 2 == 0 && (b - a) % 2 != 0) b += 2;  // a yin day stem swaps the pairs
    return cycleMod(b - a, 10);
}

int lifeStageIndex(int stem, int branch) {
    int s = cycleMod(stem, 10);
    int base = kBirthBranch[s];
    return s % 2 == 1 ? cycleMod(cycleMod(branch, 12) - base, 12) : cycleMod(base - cycleMod(branch, 12), 12);
}

int nayinPair(int cycleIndex) {
    int n = cycleMod(cycleIndex, 60);
    if (n % 2 == 1) n = (n + 1) % 60;
    return n / 2;
}

std::string_view nayinName(int cycleIndex) { return kNayin[nayinPair(cycleIndex)].name; }

std::string_view nayinName(int cycleIndex, bool commonNames) {
    // The names most almanacs print where this program's table has its own (setting nayin=1).
    struct Rename {
        std::string_view own, common;
    };
    static constexpr Rename kCommon[] = {
        {"城墙土", "城头土"}, {"桑松木", "桑柘木"}, {"洞下水", "涧下水"}, {"佛灯火", "覆灯火"}, {"霹雷火", "霹雳火"}};
    const std::string_view own = nayinName(cycleIndex);
    if (commonNames)
        for (const Rename& r : kCommon)
            if (r.own == own) return r.common;
    return own;
}
int nayinElement(int cycleIndex) { return kNayin[nayinPair(cycleIndex)].element; }

std::array<int, 2> voidBranches(int dayPillar) {
    int d = cycleMod(dayPillar, 60);
    if (d == 0) d = 60;
    int k = 11 - 2 * ((d - 1) / 10);
    return {k, (k + 1) % 12};
}

int conceptionOf(int monthPillar) {
    int m = cycleMod(monthPillar, 60);
    return cycleIndexOf((m % 10 + 1) % 10, (m % 12 + 3) % 12);
}

int monthPillarOf(int yearPillar, int monthNumber) {
    const int k = cycleMod(monthNumber - 1, 12);  // months since 寅
    const int firstStem = (2 * cycleMod(yearPillar, 10) + 1) % 10;
    return cycleIndexOf((firstStem + k) % 10, (k + 3) % 12);
}

int palaceMonthNumber(int monthBranch, int mgong, bool atOrAfterMidTerm) {
    int m = cycleMod(monthBranch, 12) - 2;
    if (mgong == 1 && !atOrAfterMidTerm) m -= 1;  // the mid term of this month has not come
    while (m < 1) m += 12;
    return m;
}

int lifePalaceOf(int monthNumber, int hourPillar, int yearPillar) {
    int a = 2 - monthNumber;
    if (a < 0) a += 12;
    int h = 4 - cycleMod(hourPillar, 60) % 12;
    if (h < 0) h += 12;
    int w = (a + h) % 12;
    int s = cycleMod(yearPillar, 60) % 10;
    if (s >= 5) s -= 5;
    int x = w - 3;
    if (x < 0) x += 12;
    int stem = (2 * s + x + 1) % 10;
    return cycleIndexOf(stem, w);
}

void luckStartDistance(long minutes, int& years, int& months, int& days) {
    if (minutes < 0) minutes = 0;
    years = static_cast<int>(minutes / 4320);
    months = static_cast<int>((minutes % 4320) / 360);
    days = static_cast<int>(((minutes % 4320) % 360) / 12);
}

LuckInfo luckPillars(Calendar& calendar, const BirthPillars& chart) {
    LuckInfo luck;
    const int yearPillar = chart.pillars[0];
    const bool yangYear = yearPillar % 2 == 1;
    luck.direction = (chart.request.male == yangYear) ? 1 : -1;

    // Both instants carry the calendar's extra second, so the difference is whole minutes up to
    // rounding noise; the small epsilon keeps an exact minute from flooring one lower.
    double span = luck.direction > 0 ? calendar.julianDayOf(chart.nextJie) - chart.birthClockJd
                                     : chart.birthClockJd - calendar.julianDayOf(chart.previousJie);
    long minutes = static_cast<long>(std::floor(span * 1440.0 + 1e-6));
    luckStartDistance(minutes, luck.startYears, luck.startMonths, luck.startDays);

    DateTime d = chart.birthLocal;
    int month = d.month + luck.startMonths;
    int year = d.year;
    if (month > 12) {
        month -= 12;
        year += 1;
    }
    year += luck.startYears;
    d.year = static_cast<std::int16_t>(year);
    d.month = static_cast<std::int16_t>(month);
    double jd = calendar.julianDayOf(d) + luck.startDays;
    luck.startDate = calendar.dateTimeOf(jd);
    luck.startAge = luck.startDate.year - chart.birthLocal.year + 1;
    for (int i = 0; i < 8; ++i) luck.pillars[i] = cycleMod(chart.pillars[1] + luck.direction * (i + 1), 60);
    return luck;
}

std::string pillarName(int cycleIndex) {
    int n = cycleMod(cycleIndex, 60);
    std::string s(kStems[n % 10]);
    s += kBranches[n % 12];
    return s;
}

}  // namespace hj
