#pragma once
// The Sun and the Moon: apparent ecliptic longitudes, ΔT, the equation of time and the inverse
// searches for the instant of a given longitude or elongation.
//
// Written for this program: the Earth terms are the leading terms of VSOP87D (heliocentric
// longitude, equinox of date), the Moon terms a truncated series derived from ELP/MPP02. The
// truncated value of π and every term count below are part of the behaviour: they fix term and
// new-moon instants to the second, so do not "improve" them.
//
// Units: t is Julian centuries of 36525 days from J2000 in dynamical time (TT); angles are
// radians; days from J2000 means JD - 2451545.
#include "core/calendar/datetime.h"

namespace hj::eph {

inline constexpr double kPi = 3.14159265;       // truncated on purpose
inline constexpr double kTwoPi = 2 * kPi;
inline constexpr double kHalfPi = kPi / 2;
inline constexpr double kRad = 648000.0 / kPi;  // arcseconds per radian
inline constexpr double kJ2000 = 2451545.0;
inline constexpr double kBeijing = 8.0 / 24.0;  // UTC+8 in days

double normalizeAngle(double x);        // → [0, 2π)
double normalizeAngleSigned(double x);  // → (−π, π]

double earthLongitude(double t, int n);  // n terms (−1 = all)
double moonLongitude(double t, int n);
double nutationInLongitude(double t);
double obliquity(double t);
double sunAberration(double t);
double moonAberration();
double sunApparentLongitude(double t, int n);
double moonSunElongation(double t, int nMoon, int nSun);
double earthSpeed(double t);  // radian per century
double moonSpeed(double t);

double timeOfSunLongitude(double w);  // unwrapped target angle → t
double timeOfElongation(double w);
double timeOfSunLongitudeQuick(double w);
double timeOfElongationQuick(double w);

double deltaTSeconds(double year);  // decimal year → ΔT in seconds
double deltaTDays(double d);        // days from J2000 → ΔT in days

double equationOfTime(double t);                 // apparent − mean solar time, days
double equationOfTimeSeconds(const DateTime& rec);  // Beijing civil time → seconds

}  // namespace hj::eph
