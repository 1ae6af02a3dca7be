#include "core/calendar/calendar.h"

#include <cmath>
#include <cstdio>

#include "core/calendar/calendar_data.h"
#include "core/calendar/ephemeris.h"

namespace hj {
namespace {

using eph::kPi;

// Mean new moons and mean solar terms of the historical calendars: (epoch JD, period) pairs,
// each valid until the next epoch, the last until the closing JD.
struct MeanPair {
    double epoch, period;
};
constexpr MeanPair kMeanNewMoons[] = {
    {1457698.231017, 29.53067166}, {1546082.512234, 29.53085106}, {1640640.7353, 29.5306},
    {1642472.151543, 29.53085439}, {1683430.5093, 29.53086148},   {1752148.041079, 29.53085097},
    {1807665.420323, 29.53059851}, {1883618.1141, 29.5306},       {1907360.7047, 29.5306},
    {1936596.2249, 29.5306},       {1939135.6753, 29.5306}};
constexpr double kMeanNewMoonsEnd = 1947168;

constexpr MeanPair kMeanTerms[] = {
    {1640650.479938, 15.218425},    {1642476.703182, 15.21874996},  {1683430.515601, 15.218750011},
    {1752157.640664, 15.218749978}, {1807675.003759, 15.218620279}, {1883627.765182, 15.218612292},
    {1907369.1281, 15.218449176},   {1936603.140413, 15.218425},    {1939145.52418, 15.218466998},
    {1947180.7983, 15.218524844},   {1964362.041824, 15.218533526}, {1987372.340971, 15.218513908},
    {1999653.819126, 15.218530782}, {2007445.469786, 15.218535181}, {2021324.917146, 15.218526248},
    {2047257.232342, 15.218519654}, {2070282.898213, 15.218425},    {2073204.87285, 15.218515221},
    {2080144.500926, 15.218530782}, {2086703.688963, 15.218523776}, {2110033.182763, 15.218425},
    {2111190.300888, 15.218425},    {2113731.271005, 15.218515671}, {2120670.840263, 15.218425},
    {2123973.309063, 15.218425},    {2125068.997336, 15.218477932}, {2136026.312633, 15.218472436},
    {2156099.495538, 15.218425},    {2159021.324663, 15.218425},    {2162308.575254, 15.218461742},
    {2178485.706538, 15.218425},    {2178759.662849, 15.218445786}, {2185334.0208, 15.218425},
    {2187525.481425, 15.218425},    {2188621.191481, 15.218437494}};
constexpr double kMeanTermsEnd = 2322147.76;

constexpr double kModernFrom = 2436935;  // 1960-01-01: the modern solver from here on
constexpr double kEquinox1999 = 2451259;  // day of the 1999 March equinox
constexpr double kNewMoon2000 = 2451551;  // day of the 2000-01-07 new moon

// Month number of a month whose 月建 index is j (0 = 建子).
constexpr int kMonthOfJian[12] = {11, 12, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};

constexpr const char* kNoSuchLunarDate = "不存在这个农历日期，无法转换到公历！";

// Instant (JD, Beijing time, exact) of the Sun at `deg` degrees from the vernal equinox of `year`.
double termJulianDay(int year, double deg) {
    double w = 2 * kPi * ((year - 2000) + deg / 360 + 1);
    double x = eph::timeOfSunLongitude(w) * 36525;
    return x + eph::kJ2000 + eph::kBeijing - eph::deltaTDays(x);
}

int termIndexOfAngle(int n) {
    int m = cycleMod(n, 360);
    return ((m >= 285 ? m - 285 : m + 75) / 15) % 24;
}

}  // namespace

Calendar::Calendar() {
    // Expanding the correction strings is the one-time cost of a calendar object.
    caldata::newMoonCorrections();
    caldata::termCorrections();
}

const std::string& Calendar::newMoonCorrections() const { return caldata::newMoonCorrections(); }
const std::string& Calendar::termCorrections() const { return caldata::termCorrections(); }

double Calendar::julianDay(int year, int month, double dayWithFraction) {
    return civilJulianDay(year, month, dayWithFraction);
}

double Calendar::julianDayOf(const DateTime& rec) {
    calcTime_ = {rec.year, rec.month, rec.day, rec.hour, rec.minute, 1};
    return julianDay(rec.year, rec.month, rec.day + ((1.0 / 60 + rec.minute) / 60 + rec.hour) / 24);
}

DateTime Calendar::dateFromJulianDay(double x, int* seconds) const {
    double z = std::floor(x + 0.5);
    double f = x + 0.5 - z;
    double a = z;
    if (z >= 2299161) {
        double alpha = std::floor((z - 1867216.25) / 36524.25);
        a = z + 1 + alpha - std::floor(alpha / 4);
    }
    double c = std::floor((a + 1524 - 122.1) / 365.25);
    double dd = std::floor(365.25 * c);
    double e = std::floor((a + 1524 - dd) / 30.601);
    DateTime r;
    r.day = static_cast<std::int16_t>(a + 1524 - dd - std::floor(30.601 * e));
    r.month = static_cast<std::int16_t>(e < 14 ? e - 1 : e - 13);
    r.year = static_cast<std::int16_t>(e < 14 ? c - 4716 : c - 4715);
    double h = 24 * f;
    r.hour = static_cast<std::int16_t>(std::floor(h));
    double m = 60 * (h - r.hour);
    r.minute = static_cast<std::int16_t>(std::floor(m));
    if (seconds) *seconds = static_cast<int>(std::trunc(60 * (m - r.minute)));
    return r;
}

void Calendar::dateTimeOf(double jd, DateTime& out) const {
    int sec = 0;
    out = dateFromJulianDay(jd, &sec);
    if (sec > 30) out = dateFromJulianDay(jd - sec / 86400.0 + 1.0 / 1440 + 5.0 / 86400);
}

DateTime Calendar::dateTimeOf(double jd) const {
    DateTime r;
    dateTimeOf(jd, r);
    return r;
}

bool Calendar::dayExists(const DateTime& rec) {
    if (rec.year == 1582 && rec.month == 10 && rec.day >= 5 && rec.day <= 14) return false;
    int d = rec.day;
    if (rec.year == 1582 && rec.month == 10 && d > 14) d -= 10;
    int ny = rec.month == 12 ? rec.year + 1 : rec.year;
    int nm = rec.month == 12 ? 1 : rec.month + 1;
    const double noonPlus = 1 + (12 + 1.0 / 60) / 24;
    double len = std::floor(julianDay(ny, nm, noonPlus) - julianDay(rec.year, rec.month, noonPlus));
    return len >= d;
}

void Calendar::nextDay(DateTime& rec) { dateTimeOf(julianDayOf(rec) + 1, rec); }

int Calendar::weekdayOf(const DateTime& rec) {
    DateTime noon = rec;
    noon.hour = 12;
    noon.minute = 0;
    return cycleMod(static_cast<int>(std::floor(julianDayOf(noon))) + 1, 7);
}

int Calendar::dayCycleIndex(const DateTime& rec) {
    DateTime noon = rec;
    noon.hour = 12;
    noon.minute = 0;
    return cycleMod(static_cast<int>(std::floor(julianDayOf(noon))) + 50, 60);
}

// ---- Solar terms and new moons -------------------------------------------------------------

double Calendar::termInstantQuick(double w) {
    double t = (w - 4.895062166) / 628.3319653318;
    t -= (53 * t * t + 334116 * std::cos(4.67 + 628.307585 * t) + 2061 * std::cos(2.678 + 628.3076 * t) * t) /
         628.3319653318 / 1e7;
    double l = 48950621.66 + 6283319653.318 * t + 53 * t * t + 334166 * std::cos(4.669257 + 628.307585 * t) +
               3489 * std::cos(4.6261 + 1256.61517 * t) + 2060.6 * std::cos(2.67823 + 628.307585 * t) * t - 994 -
               834 * std::sin(2.1824 - 33.75705 * t);
    t -= (l / 1e7 - w) / 628.332 + (32 * (t + 1.8) * (t + 1.8) - 20) / 86400 / 36525;
    return t * 36525 + eph::kBeijing;
}

double Calendar::newMoonInstantQuick(double w) {
    double t = (w + 1.08472) / 7771.37714500204;
    t -= (-0.0000331 * t * t + 0.10976 * std::cos(0.785 + 8328.6914 * t) + 0.02224 * std::cos(0.187 + 7214.0629 * t) -
          0.03342 * std::cos(4.669 + 628.3076 * t)) /
             7771.37714500204 +
         (32 * (t + 1.8) * (t + 1.8) - 20) / 86400 / 36525;
    return t * 36525 + eph::kBeijing;
}

namespace {
// Seconds after Beijing midnight of an instant given in days from J2000.
double secondsOfDay(double x) {
    double frac = std::fmod(x + 0.5, 1.0);
    if (frac < 0) frac += 1;
    return frac * 86400;
}
}  // namespace

double Calendar::termInstant(double w) {
    double x = eph::timeOfSunLongitudeQuick(w) * 36525;
    x = x - eph::deltaTDays(x) + eph::kBeijing;
    double s = secondsOfDay(x);
    if (s < 1200 || s > 86400 - 1200) x = eph::timeOfSunLongitude(w) * 36525 - eph::deltaTDays(x) + eph::kBeijing;
    return x;
}

double Calendar::newMoonInstant(double w) {
    double x = eph::timeOfElongationQuick(w) * 36525;
    x = x - eph::deltaTDays(x) + eph::kBeijing;
    double s = secondsOfDay(x);
    if (s < 1800 || s > 86400 - 1800) x = eph::timeOfElongation(w) * 36525 - eph::deltaTDays(x) + eph::kBeijing;
    return x;
}

int Calendar::calcDay(double d, EventKind kind) const {
    const bool term = kind == EventKind::Term;
    const double pc = term ? 7 : 14;
    const MeanPair* table = term ? kMeanTerms : kMeanNewMoons;
    const int pairs = term ? static_cast<int>(std::size(kMeanTerms)) : static_cast<int>(std::size(kMeanNewMoons));
    const double closing = term ? kMeanTermsEnd : kMeanNewMoonsEnd;
    const double f1 = table[0].epoch - pc, f2 = closing - pc, f3 = kModernFrom;
    const double jd = d + eph::kJ2000;

    if (jd < f1 || jd >= f3) {
        if (term)
            return static_cast<int>(
                std::floor(termInstant(std::floor((jd + pc - kEquinox1999) / 365.2422 * 24) * kPi / 12) + 0.5));
        return static_cast<int>(
            std::floor(newMoonInstant(std::floor((jd + pc - kNewMoon2000) / 29.5306) * 2 * kPi) + 0.5));
    }
    if (jd < f2) {
        int i = 0;
        while (i < pairs - 1 && jd + pc >= table[i + 1].epoch) ++i;
        double dd = table[i].epoch + table[i].period * std::floor((jd + pc - table[i].epoch) / table[i].period);
        dd = std::floor(dd + 0.5);
        if (dd == 1683460) dd = 1683461;  // a day the old calendar itself moved
        return static_cast<int>(dd - eph::kJ2000);
    }
    double dd;
    long pos;
    const std::string* corrections;
    if (term) {
        dd = std::floor(termInstantQuick(std::floor((jd + pc - kEquinox1999) / 365.2422 * 24) * kPi / 12) + 0.5);
        pos = static_cast<long>(std::floor((jd - f2) / 365.2422 * 24));
        corrections = &caldata::termCorrections();
    } else {
        dd = std::floor(newMoonInstantQuick(std::floor((jd + pc - kNewMoon2000) / 29.5306) * 2 * kPi) + 0.5);
        pos = static_cast<long>(std::floor((jd - f2) / 29.5306));
        corrections = &caldata::newMoonCorrections();
    }
    char c = pos >= 0 && pos < static_cast<long>(corrections->size()) ? (*corrections)[static_cast<std::size_t>(pos)] : '0';
    if (c == '1') dd += 1;
    else if (c == '2') dd -= 1;
    return static_cast<int>(dd);
}

DateTime Calendar::solarTermInstant(int year, int month, bool isJie) { return dateTimeOf(solarTermJd(year, month, isJie)); }

double Calendar::solarTermJd(int year, int month, bool isJie) {
    const int k = 2 * month - 2 + (isJie ? 0 : 1);
    return termJulianDay(year, 15.0 * k - 75);
}

int Calendar::termsAround(const DateTime& rec, DateTime& jie, DateTime& mid, DateTime& nextJie) {
    double j = julianDayOf(rec);
    int n = 30 * rec.month - 105;
    double a = 0, b = 0;
    for (int guard = 0; guard < 24; ++guard) {
        a = termJulianDay(rec.year, n);
        b = termJulianDay(rec.year, n + 30);
        if (j < a) n -= 30;
        else if (b <= j) n += 30;
        else break;
    }
    dateTimeOf(a, jie);
    dateTimeOf(termJulianDay(rec.year, n + 15), mid);
    dateTimeOf(b, nextJie);
    while (n < 0) n += 360;
    return ((n >= 285 ? n - 285 : n + 75) / 30 + 2) % 12;
}

std::vector<TermEntry> Calendar::termsOfYear(int year) {
    std::vector<TermEntry> out;
    int n = -75;
    for (;;) {
        DateTime dt = dateTimeOf(termJulianDay(year, n));
        if (dt.year != year || dt.year < -4713) break;
        n -= 15;
    }
    for (;;) {
        n += 15;
        DateTime dt = dateTimeOf(termJulianDay(year, n));
        if (dt.year != year || dt.year > 9999) break;
        out.push_back({dt, static_cast<std::int16_t>(termIndexOfAngle(n))});
    }
    return out;
}

// ---- Lunar calendar ------------------------------------------------------------------------

void Calendar::computeLunarYear(double w, LunarYear& y) const {
    for (int i = 0; i < 25; ++i) y.termDays[static_cast<std::size_t>(i)] = calcDay(w + 15.2184 * i, EventKind::Term);
    y.termDays[25] = calcDay(w - 15.2, EventKind::Term);
    y.termDays[26] = calcDay(w - 30.4, EventKind::Term);

    double nm = calcDay(y.termDays[0], EventKind::NewMoon);
    if (nm > y.termDays[0]) nm -= 29.53;
    for (int i = 0; i < 15; ++i) y.newMoonDays[static_cast<std::size_t>(i)] = calcDay(nm + 29.5306 * i, EventKind::NewMoon);

    y.leapIndex = 0;
    std::array<int, 14> v{};
    for (int i = 0; i < 14; ++i) {
        y.monthLengths[static_cast<std::size_t>(i)] = y.newMoonDays[static_cast<std::size_t>(i) + 1] - y.newMoonDays[static_cast<std::size_t>(i)];
        v[static_cast<std::size_t>(i)] = i;
    }

    const int yy0 = static_cast<int>(std::floor((y.termDays[0] + 10 + 180) / 365.2422)) + 2000;
    if (yy0 >= -721 && yy0 <= -104) {
        // Old calendars: months counted from each year's own first new moon, no leap months;
        // months past the twelfth carry the extra-month number.
        struct Start {
            bool defined = false;
            double day = 0;
            int extra = 13, offset = 2;
        } starts[3];
        for (int k = 0; k < 3; ++k) {
            int yy = yy0 - 1 + k;
            Start& s = starts[k];
            if (yy >= -721) s = {true, static_cast<double>(calcDay(std::floor(0.342 + (yy + 721) * 12.368422) * 29.5306 - 993847, EventKind::NewMoon)), 13, 2};
            if (yy >= -479) s = {true, static_cast<double>(calcDay(std::floor(0.5 + (yy + 479) * 12.368422) * 29.5306 - 905462, EventKind::NewMoon)), 13, 2};
            if (yy >= -220) s = {true, static_cast<double>(calcDay(std::floor(0.866 + (yy + 220) * 12.369) * 29.5306 - 810904, EventKind::NewMoon)), 10, 11};
        }
        for (int i = 0; i < 14; ++i) {
            const double day = y.newMoonDays[static_cast<std::size_t>(i)];
            const Start* use = nullptr;
            for (int k = 2; k >= 0 && !use; --k)
                if (starts[k].defined && starts[k].day <= day) use = &starts[k];
            // Before the first year with a known start (-721) count from the earliest start.
            for (int k = 0; k < 3 && !use; ++k)
                if (starts[k].defined) use = &starts[k];
            int f = static_cast<int>(std::floor((day - use->day + 15) / 29.5306));
            y.monthNumbers[static_cast<std::size_t>(i)] = f < 12 ? kMonthOfJian[cycleMod(f + use->offset, 12)] : use->extra;
        }
        return;
    }

    if (y.newMoonDays[13] <= y.termDays[24]) {
        // Thirteen months between the solstices: the first month without a mid term is leap.
        int i = 1;
        for (; i < 13; ++i)
            if (y.newMoonDays[static_cast<std::size_t>(i) + 1] <= y.termDays[static_cast<std::size_t>(2 * i)]) break;
        y.leapIndex = i;
        for (int j = i; j < 14; ++j) {
            int& n = v[static_cast<std::size_t>(j)];
            n -= 1;
            if (n < 1) n = 12;
        }
    }

    for (int i = 0; i < 14; ++i) {
        const int vi = v[static_cast<std::size_t>(i)];
        const double dm = y.newMoonDays[static_cast<std::size_t>(i)] + eph::kJ2000;
        int number = kMonthOfJian[vi % 12];
        // Calendars of the past that began their year in another month.
        if ((dm >= 1724360 && dm <= 1729794) || (dm >= 1807724 && dm <= 1808699)) number = kMonthOfJian[(vi + 1) % 12];
        else if (dm >= 1999349 && dm <= 1999467) number = kMonthOfJian[(vi + 2) % 12];
        else if (dm >= 1973067 && dm <= 1977052 && (vi % 12 == 0 || vi == 2)) number = 1;
        if (dm == 1729794 || dm == 1808699) number = 12;
        y.monthNumbers[static_cast<std::size_t>(i)] = number;
    }
}

void Calendar::buildLunarYear(int d) {
    const double k = std::floor((d - 355 + 183) / 365.2422);
    const double estimate = k * 365.2422 + 355;  // day 355 is the solstice of December 2000
    auto key = static_cast<std::int64_t>(k);
    auto it = yearCache_.find(key);
    if (it == yearCache_.end()) {
        if (yearCache_.size() > 4096) yearCache_.clear();  // bounded: a calendar page or a chart needs few
        YearSlot slot;
        slot.solsticeDay = calcDay(estimate, EventKind::Term);
        it = yearCache_.emplace(key, slot).first;
    }
    YearSlot& slot = it->second;
    const LunarYear* year;
    if (slot.solsticeDay > d) {
        if (!slot.hasPrevious) {
            computeLunarYear(estimate - 365.2422, slot.previousYear);
            slot.hasPrevious = true;
        }
        year = &slot.previousYear;
    } else {
        if (!slot.hasThis) {
            computeLunarYear(estimate, slot.thisYear);
            slot.hasThis = true;
        }
        year = &slot.thisYear;
    }
    leapIndex = year->leapIndex;
    monthNumbers = year->monthNumbers;
    termDays = year->termDays;
    newMoonDays = year->newMoonDays;
    monthLengths = year->monthLengths;
}

DateTime Calendar::solarToLunar(const DateTime& rec, bool& isLeap) {
    DateTime noon = rec;
    noon.hour = 12;
    noon.minute = 0;
    currentDay = static_cast<std::int32_t>(std::floor(julianDayOf(noon))) - static_cast<std::int32_t>(eph::kJ2000);
    buildLunarYear(currentDay);

    int b = static_cast<int>(std::floor((currentDay - newMoonDays[0]) / 30.0));
    if (b < 0) b = 0;
    if (b > 13) b = 13;
    if (b < 13 && currentDay >= newMoonDays[static_cast<std::size_t>(b) + 1]) b += 1;

    DateTime lunar = rec;
    lunar.day = static_cast<std::int16_t>(currentDay - newMoonDays[static_cast<std::size_t>(b)] + 1);
    lunar.month = static_cast<std::int16_t>(monthNumbers[static_cast<std::size_t>(b)]);
    isLeap = leapIndex != 0 && b == leapIndex;

    // The lunar year begins on day 1 of month 1, not at the solstice.
    double s = newMoonDays[2];
    for (int i = 0; i < 14; ++i) {
        if (monthNumbers[static_cast<std::size_t>(i)] != 1 || (leapIndex != 0 && i == leapIndex)) continue;
        s = newMoonDays[static_cast<std::size_t>(i)];
        if (currentDay < s) {
            s -= 365;
            break;
        }
    }
    lunar.year = static_cast<std::int16_t>(std::floor((s + 5810) / 365.2422 + 0.5) + 1984);
    return lunar;
}

bool Calendar::lunarToSolar(const DateTime& lunar, bool isLeap, DateTime& out) {
    lastError_.clear();
    if (lunar.month < 1 || lunar.month > 12 || lunar.day < 1 || lunar.day > 30 || lunar.year < -4712 ||
        lunar.year > 9999) {
        lastError_ = kNoSuchLunarDate;
        return false;
    }
    DateTime guess = lunar;
    guess.hour = 12;
    guess.minute = 0;
    if (guess.month == 2 && guess.day > 28) guess.day = 28;
    double j = julianDayOf(guess);

    auto orderKey = [](const DateTime& d, bool leap) {
        return d.year * 354 + static_cast<int>(std::floor(29.5 * d.month)) + d.day + (leap ? 30 : 0);
    };
    bool gLeap = false;
    DateTime g = solarToLunar(guess, gLeap);
    const double step = orderKey(lunar, isLeap) < orderKey(g, gLeap) ? -1 : 1;

    for (int n = 0; n < 181; ++n, j += step) {
        bool leap = false;
        DateTime civil = dateTimeOf(j);
        DateTime l = solarToLunar(civil, leap);
        if (l.year == lunar.year && l.month == lunar.month && l.day == lunar.day && leap == isLeap) {
            out = civil;
            out.hour = lunar.hour;
            out.minute = lunar.minute;
            return true;
        }
    }
    lastError_ = kNoSuchLunarDate;
    return false;
}

std::string Calendar::eraText(int year) const {
    std::string out;
    char num[32];
    for (const caldata::Era& e : caldata::eras()) {
        if (year < e.first || year >= e.first + e.count) continue;
        out += out.empty() ? "[" : "；[";
        out += e.dynasty + "] " + e.title + " " + e.personalName + " " + e.name;
        std::snprintf(num, sizeof num, "%d年", year - e.first + 1 + e.offset);
        out += num;
    }
    return out;
}

}  // namespace hj
