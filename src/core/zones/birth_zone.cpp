#include "core/zones/birth_zone.h"

#include <cstdio>

#include "core/calendar/calendar.h"
#include "core/zones/zone_clock.h"
#include "core/zones/zone_names.h"

namespace hj::zones {
namespace {

constexpr double kSecond = 1.0 / 86400;
constexpr int kBeijingSeconds = 8 * 3600;

std::string dateTimeText(const DateTime& d) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%d年%d月%d日%d时%d分", displayYear(d.year), d.month, d.day, d.hour, d.minute);
    return buf;
}

std::string hourMinuteText(const DateTime& d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d时%d分", d.hour, d.minute);
    return buf;
}

std::string gapMessage(Calendar& calendar, std::string_view zone, const ClockReading& r) {
    const DateTime from = calendar.dateTimeOf(r.gapFromJd);
    const DateTime to = calendar.dateTimeOf(r.gapToJd);
    const int jump = static_cast<int>((r.gapToJd - r.gapFromJd) * 86400 + 0.5);
    return "这个钟表时间不存在：" + std::string(zone) + "在当地" + dateTimeText(from) + "把时钟拨快了" +
           durationText(jump) + (r.gapIsSummer ? "（夏令时开始）" : "（改用新的标准时间）") + "，" +
           hourMinuteText(from) + "到" + hourMinuteText(to) + "之间的钟点没有出现过。";
}

}  // namespace

std::string_view chinaZoneOf(int province) {
    switch (province) {
    case 31: return "Asia/Taipei";
    case 32: return "Asia/Hong_Kong";
    case 33: return "Asia/Macau";
    default: return "Asia/Shanghai";
    }
}

bool resolveBirthZone(Calendar& calendar, const DateTime& clock, std::string_view zone, int province, int fold,
                      bool dst, BirthZone& out, DateTime& beijing, DateTime& local, std::string& error) {
    BirthZone& z = out;
    z = BirthZone{};
    z.clock = clock;
    beijing = local = clock;
    const bool abroad = !zone.empty();
    if (!abroad && !dst) return true;
    const std::string read = abroad ? std::string(zone) : std::string(chinaZoneOf(province));

    // julianDayOf adds the program's one second; the zone is read at the whole minute.
    const double wall = calendar.julianDayOf(z.clock) - kSecond;
    ClockReading r;
    if (!readClock(read, wall, fold, !abroad, r, error)) return false;
    if (r.skipped) {
        error = gapMessage(calendar, read, r);
        return false;
    }
    // Standard time: the clock is Beijing time. The second of a repeated time is that too, but
    // the report says which of the two was taken.
    if (!abroad && r.dstSeconds == 0 && !r.repeated) return true;

    z.converted = true;
    z.abroad = abroad;
    z.zone = read;
    z.standardSeconds = abroad ? r.standardSeconds : kBeijingSeconds;
    z.dstSeconds = r.dstSeconds;
    z.repeated = r.repeated;
    z.fold = r.fold;
    if (abroad) {
        calendar.dateTimeOf(r.utJd + kBeijingSeconds * kSecond + kSecond, beijing);
        calendar.dateTimeOf(wall - r.dstSeconds * kSecond + kSecond, local);
    } else {
        calendar.dateTimeOf(wall - r.dstSeconds * kSecond + kSecond, beijing);
    }
    return true;
}

DateTime chinaClockOf(Calendar& calendar, const DateTime& beijing, int province) {
    const double jd = calendar.julianDayOf(beijing);
    int standard = 0, dst = 0;
    if (!offsetsAt(chinaZoneOf(province), jd - kSecond - kBeijingSeconds * kSecond, standard, dst) || dst == 0)
        return beijing;
    return calendar.dateTimeOf(jd + dst * kSecond);
}

std::string clockLineText(const BirthZone& z) {
    if (!z.converted) return {};
    // The zone by its Chinese name; one the table cannot name is told by its offset alone.
    std::string r = "出生公历：" + dateTimeText(z.clock) + "(钟表时间";
    const std::string_view name = zoneChineseName(z.zone);
    if (!name.empty()) r += "，" + std::string(name);
    if (z.abroad) r += "，" + offsetChineseText(z.standardSeconds);
    if (z.dstSeconds > 0) r += "，夏令时，已减" + durationText(z.dstSeconds);
    else if (z.dstSeconds < 0) r += "，冬令时，已加" + durationText(z.dstSeconds);
    if (z.repeated) r += z.fold == 2 ? "，重复的钟点取第二次" : "，重复的钟点取第一次";
    r += ")。\r\n";
    return r;
}

}  // namespace hj::zones
