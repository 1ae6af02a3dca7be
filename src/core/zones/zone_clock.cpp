#include "core/zones/zone_clock.h"

#include <unicode/basictz.h>
#include <unicode/timezone.h>
#include <unicode/tztrans.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

namespace hj::zones {
namespace {

constexpr double kUnixEpochJd = 2440587.5;
constexpr double kMsPerDay = 86400000.0;

double msOfJd(double jd) { return std::round((jd - kUnixEpochJd) * 86400.0) * 1000.0; }
double jdOfMs(double ms) { return ms / kMsPerDay + kUnixEpochJd; }

icu::UnicodeString unicodeOf(std::string_view s) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), static_cast<std::int32_t>(s.size())));
}

// Zones are looked up again and again by batch work; building one parses its rules.
const icu::BasicTimeZone* zoneOf(std::string_view id) {
    thread_local std::map<std::string, std::unique_ptr<icu::TimeZone>, std::less<>> cache;
    auto it = cache.find(id);
    if (it != cache.end()) return dynamic_cast<const icu::BasicTimeZone*>(it->second.get());
    if (!zoneExists(id)) return nullptr;
    std::unique_ptr<icu::TimeZone> tz(icu::TimeZone::createTimeZone(unicodeOf(id)));
    if (cache.size() > 256) cache.clear();
    const auto* basic = dynamic_cast<const icu::BasicTimeZone*>(tz.get());
    cache.emplace(std::string(id), std::move(tz));
    return basic;
}

struct Offsets {
    int raw = 0, dst = 0;
    int total() const { return raw + dst; }
};

Offsets offsetsAtMs(const icu::BasicTimeZone& tz, double ms) {
    int32_t raw = 0, dst = 0;
    UErrorCode status = U_ZERO_ERROR;
    tz.getOffset(ms, false, raw, dst, status);
    if (U_FAILURE(status)) return {};
    return {raw, dst};
}

}  // namespace

std::string canonicalZone(std::string_view zone) {
    if (zone.empty() || zone.size() > 64) return {};
    icu::UnicodeString canonical;
    UBool isSystem = false;
    UErrorCode status = U_ZERO_ERROR;
    icu::TimeZone::getCanonicalID(unicodeOf(zone), canonical, isSystem, status);
    if (U_FAILURE(status) || !isSystem) return {};
    std::string out;
    canonical.toUTF8String(out);
    return out;
}

bool zoneExists(std::string_view zone) { return !canonicalZone(zone).empty(); }

bool offsetsAt(std::string_view zone, double utJd, int& standardSeconds, int& dstSeconds) {
    const icu::BasicTimeZone* tz = zoneOf(zone);
    if (!tz) return false;
    const Offsets o = offsetsAtMs(*tz, msOfJd(utJd));
    standardSeconds = o.raw / 1000;
    dstSeconds = o.dst / 1000;
    return true;
}

bool readClock(std::string_view zone, double wallJd, int fold, bool summerOnly, ClockReading& out,
               std::string& error) {
    const icu::BasicTimeZone* tz = zoneOf(zone);
    if (!tz) {
        error = "不认识的时区：" + std::string(zone);
        return false;
    }
    const double wall = msOfJd(wallJd);
    // The offsets in force a day before and after the reading; a clock change lies between them
    // when the two differ. A reading stands for the instant wall - offset when the zone agrees
    // that this offset was in force then.
    const Offsets before = offsetsAtMs(*tz, wall - kMsPerDay);
    const Offsets after = offsetsAtMs(*tz, wall + kMsPerDay);
    const Offsets here = offsetsAtMs(*tz, wall);
    std::vector<double> valid;
    for (const Offsets& o : {before, after, here}) {
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
        const Offsets late = offsetsAtMs(*tz, uAfter);
        const Offsets early = offsetsAtMs(*tz, wall - after.total());
        if (summerOnly && late.dst == early.dst) {
            valid.push_back(uAfter);
        } else {
            icu::TimeZoneTransition t;
            double jump = uAfter;
            if (tz->getPreviousTransition(uAfter, true, t)) jump = t.getTime();
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
        const Offsets first = offsetsAtMs(*tz, valid[0]);
        const Offsets second = offsetsAtMs(*tz, valid[1]);
        if (!summerOnly || first.dst != second.dst) {
            out.repeated = true;
            out.fold = fold == 2 ? 2 : 1;
            u = valid[static_cast<std::size_t>(out.fold - 1)];
        }
    }
    const Offsets o = offsetsAtMs(*tz, u);
    out.utJd = jdOfMs(u);
    out.standardSeconds = o.raw / 1000;
    out.dstSeconds = o.dst / 1000;
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
