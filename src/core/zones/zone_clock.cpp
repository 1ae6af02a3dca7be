#include "core/zones/zone_clock.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/zones/zone_rules.h"

namespace hj::zones {
namespace {

constexpr double kUnixEpochJd = 2440587.5;
constexpr double kMsPerDay = 86400000.0;

double msOfJd(double jd) { return std::round((jd - kUnixEpochJd) * 86400.0) * 1000.0; }
double jdOfMs(double ms) { return ms / kMsPerDay + kUnixEpochJd; }

using rules::Offsets;

const rules::ZoneRules* zoneOf(std::string_view id) { return rules::zoneRules(id); }

// In milliseconds, as the readings below are made.
struct MsOffsets {
    double raw = 0, dst = 0;
    double total() const { return raw + dst; }
};

MsOffsets offsetsAtMs(const rules::ZoneRules& tz, double ms) {
    const Offsets o = tz.offsetsAt(ms);
    return {o.raw * 1000.0, o.dst * 1000.0};
}

}  // namespace

std::string canonicalZone(std::string_view zone) { return rules::canonicalId(zone); }

bool zoneExists(std::string_view zone) { return !canonicalZone(zone).empty(); }

bool offsetsAt(std::string_view zone, double utJd, int& standardSeconds, int& dstSeconds) {
    const rules::ZoneRules* tz = zoneOf(zone);
    if (!tz) return false;
    const Offsets o = tz->offsetsAt(msOfJd(utJd));
    standardSeconds = o.raw;
    dstSeconds = o.dst;
    return true;
}

bool readClock(std::string_view zone, double wallJd, int fold, bool summerOnly, ClockReading& out,
               std::string& error) {
    const rules::ZoneRules* tz = zoneOf(zone);
    if (!tz) {
        error = "不认识的时区：" + std::string(zone);
        return false;
    }
    const double wall = msOfJd(wallJd);
    // The offsets in force a day before and after the reading; a clock change lies between them
    // when the two differ. A reading stands for the instant wall - offset when the zone agrees
    // that this offset was in force then.
    const MsOffsets before = offsetsAtMs(*tz, wall - kMsPerDay);
    const MsOffsets after = offsetsAtMs(*tz, wall + kMsPerDay);
    const MsOffsets here = offsetsAtMs(*tz, wall);
    std::vector<double> valid;
    for (const MsOffsets& o : {before, after, here}) {
        const double u = wall - o.total();
        if (offsetsAtMs(*tz, u).total() != o.total()) continue;
        bool seen = false;
        for (double v : valid) seen = seen || v == u;
        if (!seen) valid.push_back(u);
    }
    out = ClockReading{};
    if (valid.empty()) {
        // Skipped: before the jump the clock ran `before`, after it `after`.
        const double uAfter = wall - before.total();  // an instant after the jump
        const MsOffsets late = offsetsAtMs(*tz, uAfter);
        const MsOffsets early = offsetsAtMs(*tz, wall - after.total());
        if (summerOnly && late.dst == early.dst) {
            valid.push_back(uAfter);
        } else {
            double jump = uAfter;
            tz->previousTransition(uAfter, true, jump);
            out.skipped = true;
            out.gapFromJd = jdOfMs(jump + early.total());
            out.gapToJd = jdOfMs(jump + late.total());
            out.gapIsSummer = late.dst > early.dst;
            return true;
        }
    }
    if (valid.size() > 2) valid.resize(2);
    if (valid.size() == 2 && valid[1] < valid[0]) std::swap(valid[0], valid[1]);
    double u = valid[0];
    if (valid.size() == 2) {
        const MsOffsets first = offsetsAtMs(*tz, valid[0]);
        const MsOffsets second = offsetsAtMs(*tz, valid[1]);
        if (!summerOnly || first.dst != second.dst) {
            out.repeated = true;
            out.fold = fold == 2 ? 2 : 1;
            u = valid[static_cast<std::size_t>(out.fold - 1)];
        }
    }
    const Offsets o = tz->offsetsAt(u);
    out.utJd = jdOfMs(u);
    out.standardSeconds = o.raw;
    out.dstSeconds = o.dst;
    return true;
}

std::string offsetText(int seconds) {
    const char sign = seconds < 0 ? '-' : '+';
    const int a = std::abs(seconds);
    const int h = a / 3600, m = a / 60 % 60, s = a % 60;
    char buf[32];
    if (s) std::snprintf(buf, sizeof buf, "UTC%c%d:%02d:%02d", sign, h, m, s);
    else if (m) std::snprintf(buf, sizeof buf, "UTC%c%d:%02d", sign, h, m);
    else std::snprintf(buf, sizeof buf, "UTC%c%d", sign, h);
    return buf;
}

std::string durationText(int seconds) {
    const int a = std::abs(seconds);
    const int h = a / 3600, m = (a + 30) / 60 % 60;
    std::string r;
    if (h) r += std::to_string(h) + "小时";
    if (m || !h) r += std::to_string(m) + "分钟";
    return r;
}

}  // namespace hj::zones
