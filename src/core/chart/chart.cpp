#include "core/chart/chart.h"

#include <cmath>

#include "core/places/places.h"
#include "core/chart/derived.h"
#include "core/chart/stars.h"
#include "core/text/fields.h"
#include "core/text/gbk.h"

namespace hj {
namespace {

constexpr std::string_view kYearRangeMessage =
    "年份必须在-850到2100年之间，并且没有公元0年\r\n注意：公元前用负数，比如公元前120年，就输入-120";
constexpr std::string_view kGapMessage = "不存在1582-10-5到1582-10-14这10天时间。";
constexpr std::string_view kOutOfRangeMessage = "时间越界，年份在-850到2100之间";
constexpr std::string_view kNoSuchDateMessage = "不存在这个日期";
constexpr std::string_view kNoSuchTimeMessage = "不存在这个时间";
constexpr std::string_view kLunarRangeMessage = "公、农历正常转换年份在-850到2100之间";
constexpr std::string_view kNoSuchLunarDate = "不存在这个农历日期，无法转换到公历！";

bool yearInRange(int y) { return y >= -849 && y <= 2100; }

bool inGregorianGap(const DateTime& d) { return d.year == 1582 && d.month == 10 && d.day >= 5 && d.day <= 14; }

}  // namespace

std::array<std::uint8_t, 4> BirthPillars::pillarBytes() const {
    return {static_cast<std::uint8_t>(pillars[0] & 0xFF), static_cast<std::uint8_t>(pillars[1] & 0xFF),
            static_cast<std::uint8_t>(pillars[2] & 0xFF), static_cast<std::uint8_t>(pillars[3] & 0xFF)};
}

std::optional<Chart> castChart(const ChartRequest& request, const ChartSettings& settings, std::string& error) {
    return ChartCaster().cast(request, settings, error);
}

std::optional<BirthPillars> castPillars(const ChartRequest& request, const ChartSettings& settings,
                                        std::string& error) {
    return ChartCaster().castPillars(request, settings, error);
}

std::optional<Chart> ChartCaster::cast(const ChartRequest& request, const ChartSettings& settings,
                                       std::string& error) {
    // Texts that go into the report and the case record: no control characters, no name of
    // spaces only (an empty name is the front end's own rule).
    if (!text::checkFieldText(request.name, "姓名", !request.name.empty(), &error) ||
        !text::checkFieldText(request.place, "出生地", false, &error))
        return std::nullopt;
    std::optional<Chart> chart(std::in_place);
    Chart& c = *chart;
    c.request = request;
    // The fixed fields of the request hold 12 and 31 bytes of text.
    c.request.name = text::truncateGbk(request.name, 12);
    c.request.place = text::truncateGbk(request.place, 31);
    c.settings = settings;
    if (!formPillars(c, error)) return std::nullopt;
    derive(c);
    return chart;
}

std::optional<BirthPillars> ChartCaster::castPillars(const ChartRequest& request, const ChartSettings& settings,
                                                     std::string& error) {
    std::optional<BirthPillars> pillars(std::in_place);
    pillars->request = request;
    pillars->settings = settings;
    if (!formPillars(*pillars, error)) return std::nullopt;
    return pillars;
}

// Fills birthLocal, birthClock, birthClockJd, birthZone, birthLunar and birthLunarLeap.
bool ChartCaster::resolveBirthTime(BirthPillars& p, std::string& error) {
    const ChartRequest& request = p.request;
    const ChartSettings& settings = p.settings;
    if (!checkCoordinates(request.longitude, request.latitude, &error)) return false;
    const DateTime entered = request.entered();
    if (request.hour < 0 || request.hour > 23 || request.minute < 0 || request.minute > 59) {
        error = kNoSuchTimeMessage;
        return false;
    }
    DateTime clock;
    if (request.lunar) {
        if (request.month < 1 || request.month > 12 || request.day < 1 || request.day > 30) {
            error = kNoSuchLunarDate;
            return false;
        }
        DateTime solar;
        if (!calendar_.lunarToSolar(entered, request.leap, solar)) {
            error = calendar_.lastError().empty() ? std::string(kNoSuchLunarDate) : calendar_.lastError();
            return false;
        }
        if (!yearInRange(solar.year)) {
            error = kOutOfRangeMessage;
            return false;
        }
        clock = solar;
        clock.hour = request.hour;
        clock.minute = request.minute;
    } else {
        if (request.month < 1 || request.month > 12 || request.day < 1 || request.day > 31 ||
            !calendar_.dayExists(entered)) {
            error = kNoSuchDateMessage;
            return false;
        }
        clock = entered;
    }
    // The clock reading at the place becomes Beijing time (summer time removed, a zone abroad).
    if (!zones::resolveBirthZone(calendar_, clock, request.zone, request.province, request.fold, settings.dst,
                                 p.birthZone, p.birthClock, p.birthLocal, error))
        return false;
    if (!yearInRange(p.birthClock.year)) {
        error = kOutOfRangeMessage;
        return false;
    }
    p.birthClockJd = calendar_.julianDayOf(p.birthClock);
    if (!p.birthZone.abroad) p.birthLocal = p.birthClock;
    if (settings.idate == kTrueSolarTime || settings.idate == kLocalMeanTime) {
        p.birthLocal = p.birthClock;
        applySolarTime(calendar_, p.birthLocal, request.longitude, settings.idate);
    }

    DateTime copy = p.birthLocal;
    if (p.birthLocal.hour == 23 && !settings.zishi) calendar_.nextDay(copy);
    if (!yearInRange(copy.year)) {
        error = kLunarRangeMessage;
        return false;
    }
    bool leap = false;
    p.birthLunar = calendar_.solarToLunar(copy, leap);
    p.birthLunar.hour = copy.hour;
    p.birthLunar.minute = copy.minute;
    p.birthLunarLeap = leap;
    return true;
}

double ChartCaster::lichunJd(int year) {
    auto it = lichunCache_.find(year);
    if (it != lichunCache_.end()) return it->second;
    if (lichunCache_.size() > 4096) lichunCache_.clear();
    const double jd = Calendar::solarTermJd(year, 2, true);
    lichunCache_.emplace(year, jd);
    return jd;
}

// termsAround for birthClock. A moment more than two minutes inside a month already computed
// takes that month's result (the exact jie instants lie within a minute of the rounded ones).
int ChartCaster::solarMonth(const BirthPillars& p, DateTime& jie, DateTime& mid, DateTime& next) {
    constexpr double kMargin = 2.0 / 1440.0;
    auto it = monthCache_.upper_bound(p.birthClockJd);
    if (it != monthCache_.begin()) {
        const SolarMonth& m = std::prev(it)->second;
        if (p.birthClockJd >= m.start + kMargin && p.birthClockJd < m.end - kMargin) {
            jie = m.jie;
            mid = m.mid;
            next = m.next;
            return m.branch;
        }
    }
    SolarMonth m;
    m.branch = calendar_.termsAround(p.birthClock, m.jie, m.mid, m.next);
    m.start = calendar_.julianDayOf(m.jie);
    m.end = calendar_.julianDayOf(m.next);
    if (monthCache_.size() > 4096) monthCache_.clear();
    monthCache_[m.start] = m;
    jie = m.jie;
    mid = m.mid;
    next = m.next;
    return m.branch;
}

bool ChartCaster::formPillars(BirthPillars& p, std::string& error) {
    const ChartRequest& request = p.request;
    if (!yearInRange(request.year)) {
        error = kYearRangeMessage;
        return false;
    }
    if (!request.lunar && inGregorianGap(request.entered())) {
        error = kGapMessage;
        return false;
    }
    if (!resolveBirthTime(p, error)) return false;

    // Year pillar: the 立春 instant of the clock year is the boundary. It is compared exactly,
    // as the month test compares with its jie: in the minute of 立春 the minute-rounded instant
    // could say new year while the month is still 丑 (甲寅 丁丑), and only the exact instant
    // keeps year and month together at every moment, late December's 丑 month included.
    const double lichun = lichunJd(p.birthClock.year);
    p.pillars[0] = static_cast<std::int16_t>(cycleMod(p.birthClock.year + (p.birthClockJd >= lichun ? 1 : 0) + 896, 60));

    // Month pillar: the solar month around the clock time.
    p.monthBranch = cycleMod(solarMonth(p, p.previousJie, p.midTerm, p.nextJie), 12);
    p.pillars[1] = static_cast<std::int16_t>(monthPillarOf(p.pillars[0], cycleMod(p.monthBranch - 3, 12) + 1));

    // Day pillar from the corrected time; with zishi off 23:00 already belongs to the next day.
    p.dayNumber = static_cast<long>(std::floor(calendar_.julianDayOf(p.birthLocal) - 1410960.5));
    int day = cycleMod(static_cast<int>(p.dayNumber % 60) + 51, 60);
    const bool lateRat = p.birthLocal.hour == 23;
    if (lateRat && !p.settings.zishi) day = (day + 1) % 60;
    p.pillars[2] = static_cast<std::int16_t>(day);

    // Hour pillar.
    {
        const int branch = hourBranchOf(p.birthLocal.hour);
        const int sinceZi = (branch + 11) % 12;  // double hours since 子
        int d = day % 10;
        if (d == 0) d = 5;
        const int stem = (sinceZi + 2 * d - 1) % 10;
        int hour = cycleIndexOf(stem, branch);
        if (p.settings.zishi && lateRat) hour = (hour + 12) % 60;
        p.pillars[3] = static_cast<std::int16_t>(hour);
    }
    return true;
}

void ChartCaster::derive(Chart& c) {
    for (int i = 0; i < 4; ++i) c.nayinElements[i] = static_cast<std::uint8_t>(nayinElement(c.pillars[i]));
    c.conceptionPillar = static_cast<std::uint8_t>(conceptionOf(c.pillars[1]));
    const bool afterMid = c.birthClockJd >= calendar_.julianDayOf(c.midTerm);
    c.lifePalace = static_cast<std::uint8_t>(
        lifePalaceOf(palaceMonthNumber(c.monthBranch, c.settings.mgong, afterMid), c.pillars[3], c.pillars[0]));
    c.luck = luckPillars(calendar_, c);

    // Stars and marks.
    for (int i = 0; i < 4; ++i) c.stars[i] = pillarStars(c.pillars, c.request.male, c.nayinElements[0], i);
    c.stars[2] += dayMarks(c.pillars[2], c.monthBranch);
    c.stars[3] += hourMarks(c.pillars[3]);
    c.chartMarks = chartMarkLines(c.pillars);
    {
        const DateTime mid = calendar_.solarTermInstant(c.birthClock.year, c.birthClock.month, false);
        c.starSign = static_cast<std::uint8_t>(
            sunSignIndex(c.birthClock.month, c.birthClockJd >= calendar_.julianDayOf(mid)));
    }
}

}  // namespace hj
