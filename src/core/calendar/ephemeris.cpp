#include "core/calendar/ephemeris.h"

#include <cmath>

#include "core/calendar/calendar_data.h"

namespace hj::eph {
namespace {

// IAU 1980 nutation in longitude, ten largest terms: phase, rate/century, rate/century²,
// amplitude in 0.01″.
struct NutationRow {
    double phase, rate, rate2, amp;
};
constexpr NutationRow kNutation[10] = {
    {2.1824, -33.75705, 0.000036, -1720}, {3.5069, 1256.66393, 0.000011, -132},
    {1.3375, 16799.4182, -0.000051, -23}, {4.3649, -67.5141, 0.000072, 21},
    {0.04, -628.302, 0, -14},             {2.36, 8328.691, 0, 7},
    {3.46, 1884.966, 0, -5},              {5.44, 16833.175, 0, -4},
    {3.69, 25128.11, 0, -3},              {3.55, 628.362, 0, 2}};

// ΔT polynomial pieces: from `year`, a0 + a1·x + a2·x² + a3·x³ with x in tenths of the span
// to the next row.
struct DeltaTRow {
    double year, a0, a1, a2, a3;
};
constexpr DeltaTRow kDeltaT[] = {
    {-4000, 108371.7, -13036.8, 392.0, 0},  {-500, 17201.0, -627.82, 16.17, -0.3413},
    {-150, 12200.6, -346.41, 5.403, -0.1593}, {150, 9113.8, -328.13, -1.647, 0.0377},
    {500, 5707.5, -391.41, 0.915, 0.3145},   {900, 2203.4, -283.45, 13.034, -0.1778},
    {1300, 490.1, -57.35, 2.085, -0.0072},   {1600, 120.0, -9.81, -1.532, 0.1403},
    {1700, 10.2, -0.91, 0.51, -0.037},       {1800, 13.4, -0.72, 0.202, -0.0193},
    {1830, 7.8, -1.81, 0.416, -0.0247},      {1860, 8.3, -0.13, -0.406, 0.0292},
    {1880, -5.4, 0.32, -0.183, 0.0173},      {1900, -2.3, 2.06, 0.169, -0.0135},
    {1920, 21.2, 1.69, -0.304, 0.0167},      {1940, 24.2, 1.22, -0.064, 0.0031},
    {1960, 33.2, 0.51, 0.231, -0.0109},      {1980, 51.0, 1.29, -0.026, 0.0032},
    {2000, 63.87, 0.1, 0, 0},                {2005, 64.7, 0.4, 0, 0}};
constexpr double kDeltaTLastYear = 2015, kDeltaTLastValue = 69;
constexpr int kDeltaTRows = sizeof kDeltaT / sizeof kDeltaT[0];

// Mean motions used by the solvers' first guesses (radian per century).
constexpr double kSunRate = 628.3319653318;
constexpr double kElongationRate = 7771.37714500204;

}  // namespace

double normalizeAngle(double x) {
    double c = x - std::trunc(x / kTwoPi) * kTwoPi;
    if (c < 0) c += kTwoPi;
    return c;
}

double normalizeAngleSigned(double x) {
    double c = x - std::trunc(x / kTwoPi) * kTwoPi;
    if (c <= -kPi) c += kTwoPi;
    else if (c > kPi) c -= kTwoPi;
    return c;
}

double earthLongitude(double t, int n) {
    const auto& series = caldata::series().earth;
    const double tau = t / 10;
    const double len0 = 3.0 * static_cast<double>(series[0].size());
    double sum = 0, power = 1;
    for (std::size_t i = 0; i < series.size(); ++i, power *= tau) {
        const auto& terms = series[i];
        const std::size_t len = 3 * terms.size();
        std::size_t slots = len;
        if (n >= 0) {
            slots = static_cast<std::size_t>(std::floor(3.0 * n * static_cast<double>(len) / len0 + 0.5));
            if (i > 0) slots += 3;
            if (slots > len) slots = len;
        }
        const std::size_t count = (slots + 2) / 3;  // a partial count takes the next whole term
        double value = 0;
        for (std::size_t k = 0; k < count; ++k) value += terms[k].a * std::cos(terms[k].phi + terms[k].omega * tau);
        sum += power * value;
    }
    return sum / 1e10 + (-0.0728 - 2.7702 * tau - 1.1019 * tau * tau - 0.0996 * tau * tau * tau) / kRad;
}

double moonLongitude(double t, int n) {
    const auto& series = caldata::series().moon;
    const double t2 = t * t, t3 = t2 * t, t4 = t3 * t, t5 = t4 * t;
    double total = 5028.792262 * t + 1.1124406 * t2 + 0.00007699 * t3 - 0.000023479 * t4 - 1.78e-8 * t5;
    total += (3.81034409 + 8399.684730072 * t - 3.319e-5 * t2 + 3.11e-8 * t3 - 2.033e-10 * t4) * kRad;
    if (t > 10) total += -0.866 + 1.43 * (t - 10) + 0.054 * (t - 10) * (t - 10);
    const double len0 = 6.0 * static_cast<double>(series[0].size());
    double power = 1;
    for (std::size_t i = 0; i < series.size(); ++i, power *= t) {
        const auto& terms = series[i];
        const std::size_t len = 6 * terms.size();
        std::size_t slots = len;
        if (n >= 0) {
            slots = static_cast<std::size_t>(std::floor(6.0 * n * static_cast<double>(len) / len0 + 0.5));
            if (i > 0) slots += 6;
            if (slots > len) slots = len;
        }
        const std::size_t count = (slots + 5) / 6;
        double value = 0;
        for (std::size_t k = 0; k < count; ++k) {
            const auto& m = terms[k];
            value += m.a * std::cos(m.phi + m.w1 * t + m.w2 * (1e-4 * t2) + m.w3 * (1e-8 * t3) + m.w4 * (1e-8 * t4));
        }
        total += power * value;
    }
    return total / kRad;
}

double nutationInLongitude(double t) {
    double sum = 0;
    for (int i = 0; i < 10; ++i) {
        const NutationRow& r = kNutation[i];
        double amp = r.amp + (i == 0 ? -1.742 * t : 0.0);
        sum += amp * std::sin(r.phase + r.rate * t + r.rate2 * t * t);
    }
    return sum / 100 / kRad;
}

double obliquity(double t) {
    const double t2 = t * t, t3 = t2 * t, t4 = t3 * t, t5 = t4 * t;
    return (84381.406 - 46.836769 * t - 0.0001831 * t2 + 0.0020034 * t3 - 5.76e-7 * t4 - 4.34e-8 * t5) / kRad;
}

double sunAberration(double t) {
    double v = -0.043126 + 628.301955 * t - 0.000002732 * t * t;
    double e = 0.016708634 - 0.000042037 * t - 0.0000001267 * t * t;
    return -20.49552 * (1 + e * std::cos(v)) / kRad;
}

double moonAberration() { return -3.4e-6; }

double sunApparentLongitude(double t, int n) {
    return earthLongitude(t, n) + nutationInLongitude(t) + sunAberration(t) + kPi;
}

double moonSunElongation(double t, int nMoon, int nSun) {
    return moonLongitude(t, nMoon) + moonAberration() - (earthLongitude(t, nSun) + sunAberration(t) + kPi);
}

double earthSpeed(double t) {
    double f = 628.307585 * t;
    return 628.332 + 21 * std::sin(1.527 + f) + 0.44 * std::sin(1.48 + 2 * f) + 0.129 * std::sin(5.82 + f) * t +
           0.00055 * std::sin(4.21 + f) * t * t;
}

double moonSpeed(double t) {
    return 8399.71 - 914 * std::sin(0.7848 + 8328.691425 * t + 0.0001523 * t * t) -
           179 * std::sin(2.543 + 15542.7543 * t) - 160 * std::sin(0.1874 + 7214.0629 * t) -
           62 * std::sin(3.14 + 16657.3828 * t) - 34 * std::sin(4.827 + 16866.9323 * t) -
           22 * std::sin(4.9 + 23871.4457 * t) - 12 * std::sin(2.59 + 14914.4523 * t) -
           7 * std::sin(0.23 + 6585.7609 * t) - 5 * std::sin(0.9 + 25195.624 * t) -
           5 * std::sin(2.32 - 7700.3895 * t) - 5 * std::sin(3.88 + 8956.9934 * t) -
           5 * std::sin(0.49 + 7771.3771 * t);
}

double timeOfElongation(double w) {
    double t = (w + 1.08472) / kElongationRate;
    t += (w - moonSunElongation(t, 3, 3)) / kElongationRate;
    double v = moonSpeed(t) - earthSpeed(t);
    t += (w - moonSunElongation(t, 20, 10)) / v;
    t += (w - moonSunElongation(t, -1, 60)) / v;
    return t;
}

double timeOfSunLongitude(double w) {
    double t = (w - 1.75347 - kPi) / kSunRate;
    t += (w - sunApparentLongitude(t, 10)) / earthSpeed(t);
    t += (w - sunApparentLongitude(t, -1)) / earthSpeed(t);
    return t;
}

double timeOfElongationQuick(double w) {
    double t = (w + 1.08472) / kElongationRate;
    double t2 = t * t;
    t -= (-0.00003309 * t2 + 0.10976 * std::cos(0.784758 + 8328.6914246 * t + 0.000152292 * t2) +
          0.02224 * std::cos(0.1874 + 7214.0628654 * t - 0.00021848 * t2) -
          0.03342 * std::cos(4.669257 + 628.307585 * t)) /
         kElongationRate;
    double l = moonLongitude(t, 20) -
               (4.8950632 + 628.3319653318 * t + 0.000005297 * t * t + 0.0334166 * std::cos(4.669257 + 628.307585 * t) +
                0.0002061 * std::cos(2.67823 + 628.307585 * t) * t + 0.000349 * std::cos(4.6261 + 1256.61517 * t) -
                20.5 / kRad);
    double v = 7771.38 - 914 * std::sin(0.7848 + 8328.691425 * t + 0.0001523 * t * t) -
               179 * std::sin(2.543 + 15542.7543 * t) - 160 * std::sin(0.1874 + 7214.0629 * t);
    return t + (w - l) / v;
}

double timeOfSunLongitudeQuick(double w) {
    double t = (w - 1.75347 - kPi) / kSunRate;
    t -= (0.000005297 * t * t + 0.0334166 * std::cos(4.669257 + 628.307585 * t) +
          0.0002061 * std::cos(2.67823 + 628.307585 * t) * t) /
         kSunRate;
    return t + (w - earthLongitude(t, 8) - kPi + (17.2 * std::sin(2.1824 - 33.75705 * t) + 20.5) / kRad) / kSunRate;
}

double deltaTSeconds(double y) {
    auto ext = [](double year) {
        double x = (year - 1820) / 100;
        return -20 + 31 * x * x;
    };
    if (y >= kDeltaTLastYear) {
        if (y > kDeltaTLastYear + 100) return ext(y);
        return ext(y) - (ext(kDeltaTLastYear) - kDeltaTLastValue) * (kDeltaTLastYear + 100 - y) / 100;
    }
    int row = 0;
    for (int i = 0; i < kDeltaTRows; ++i)
        if (kDeltaT[i].year <= y) row = i;
    const DeltaTRow& r = kDeltaT[row];
    double next = row + 1 < kDeltaTRows ? kDeltaT[row + 1].year : kDeltaTLastYear;
    double x = (y - r.year) / (next - r.year) * 10;
    return r.a0 + r.a1 * x + r.a2 * x * x + r.a3 * x * x * x;
}

double deltaTDays(double d) { return deltaTSeconds(d / 365.2425 + 2000) / 86400; }

double equationOfTime(double t) {
    const double t2 = t * t, t3 = t2 * t, t4 = t3 * t, t5 = t4 * t;
    double l = (1753470142 + 628331965331.8 * t + 5296.74 * t2 + 0.432 * t3 - 0.1124 * t4 - 0.00009 * t5) * 1e-9 + kPi -
               20.5 / kRad;
    double dl = -17.2 * std::sin(2.1824 - 33.75705 * t) / kRad;
    double de = 9.2 * std::cos(2.1824 - 33.75705 * t) / kRad;
    double e = obliquity(t) + de;
    double lambda = earthLongitude(t, 50) + kPi + sunAberration(t) + dl;
    double beta = -(2796 * std::cos(3.1987 + 8433.46616 * t) + 1016 * std::cos(5.4225 + 550.75532 * t) +
                    804 * std::cos(3.88 + 522.3694 * t)) *
                  1e-9;
    double alpha = std::atan2(std::sin(lambda) * std::cos(e) - std::tan(beta) * std::sin(e), std::cos(lambda));
    alpha = normalizeAngle(alpha);
    alpha -= dl * std::cos(e);
    return normalizeAngleSigned(l - alpha) / kTwoPi;
}

double equationOfTimeSeconds(const DateTime& rec) {
    // Universal time in days from J2000: the record's civil time less the Beijing offset.
    double jd = civilJulianDay(rec.year, rec.month, rec.day + (rec.hour + rec.minute / 60.0) / 24);
    double x = jd - kBeijing - kJ2000;
    double t = (deltaTDays(x) + x) / 36525;
    return equationOfTime(t) * 86400;
}

}  // namespace hj::eph
