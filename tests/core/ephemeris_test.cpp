#include <gtest/gtest.h>

#include <cmath>

#include "core/calendar/calendar.h"
#include "core/calendar/ephemeris.h"

using namespace hj;
using namespace hj::eph;

TEST(Ephemeris, AngleNormalisation) {
    EXPECT_DOUBLE_EQ(normalizeAngleSigned(kPi), kPi);
    EXPECT_DOUBLE_EQ(normalizeAngleSigned(-kPi), kPi);
    EXPECT_NEAR(normalizeAngle(-0.5), kTwoPi - 0.5, 1e-12);
    EXPECT_NEAR(normalizeAngle(5 * kTwoPi + 1), 1, 1e-9);
    EXPECT_NEAR(normalizeAngleSigned(3 * kPi / 2), -kPi / 2, 1e-12);
}

TEST(Ephemeris, DeltaT) {
    auto ext = [](double y) { return -20 + 31 * ((y - 1820) / 100) * ((y - 1820) / 100); };
    EXPECT_NEAR(deltaTSeconds(2015), 69, 1e-9);
    EXPECT_NEAR(deltaTSeconds(2115), ext(2115), 1e-9);
    EXPECT_NEAR(deltaTSeconds(2116), ext(2116), 1e-9);
    EXPECT_NEAR(deltaTSeconds(2000), 63.87, 1e-9);
    EXPECT_NEAR(deltaTSeconds(1820), 11.85926, 1e-4);  // 1800 row, x = 6.67
    EXPECT_NEAR(deltaTSeconds(2010), 64.7 + 0.4 * 5, 1e-9);  // 2005 row reaches to 2015
    EXPECT_NEAR(deltaTSeconds(-4000), 108371.7, 1e-6);
    EXPECT_GT(deltaTSeconds(-5000), deltaTSeconds(-4000));  // the first row extrapolates backwards
    EXPECT_NEAR(deltaTDays(0), 63.87 / 86400, 1e-9);
}

TEST(Ephemeris, TermCountRules) {
    // With no L0 terms the first term of each of L1..L5 still counts.
    const double t = 0.1, tau = 0.01;
    double expect = (tau * 62833196674749.0 + tau * tau * 5291887 + tau * tau * tau * 28923 * std::cos(5.84384 + 6283.07585 * tau) +
                     std::pow(tau, 4) * 11408 * std::cos(3.14159) + std::pow(tau, 5) * 88 * std::cos(3.14)) /
                        1e10 +
                    (-0.0728 - 2.7702 * tau - 1.1019 * tau * tau - 0.0996 * tau * tau * tau) / kRad;
    EXPECT_NEAR(earthLongitude(t, 0), expect, 1e-12);
    // Full and truncated series agree to well under an arcminute.
    EXPECT_NEAR(earthLongitude(t, -1), earthLongitude(t, 10), 60 / kRad);
    // The extra secular term of the Moon begins after t = 10.
    double jump = moonLongitude(10 + 1e-12, 0) - moonLongitude(10, 0);
    EXPECT_NEAR(jump, -0.866 / kRad, 1e-8);
    EXPECT_NEAR(moonLongitude(9.5 + 1e-12, 0) - moonLongitude(9.5, 0), 0, 1e-8);
}

TEST(Ephemeris, SolversHitTheirTargets) {
    for (double w : {-100.0, 0.0, 1.5, 20.0, 300.0}) {
        double t = timeOfSunLongitude(w);
        EXPECT_NEAR(sunApparentLongitude(t, -1), w, 1e-7) << w;
        EXPECT_NEAR(timeOfSunLongitudeQuick(w), t, 2.0 / 36525 / 1440 * 10) << w;  // within ~10 minutes
    }
    for (double k : {-1000.0, 0.0, 12.0, 1200.0}) {
        double w = k * kTwoPi;
        double t = timeOfElongation(w);
        EXPECT_NEAR(moonSunElongation(t, -1, 60), w, 1e-6) << k;
        EXPECT_NEAR(timeOfElongationQuick(w), t, 30.0 / 36525 / 1440) << k;  // within ~30 minutes
    }
}

TEST(Ephemeris, EquationOfTime) {
    // Near its extremes: about +16 min 25 s early in November, -14 min 13 s in mid-February.
    EXPECT_NEAR(equationOfTimeSeconds(DateTime{2024, 11, 3, 12, 0}), 16 * 60 + 25, 15);
    EXPECT_NEAR(equationOfTimeSeconds(DateTime{2024, 2, 11, 12, 0}), -(14 * 60 + 13), 15);
    EXPECT_NEAR(equationOfTimeSeconds(DateTime{2024, 6, 13, 12, 0}), 0, 40);
}
