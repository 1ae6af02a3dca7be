#include "core/uncertainty/boundaries.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "core/calendar/date_text.h"
#include "core/chart/derived.h"

namespace hj {
namespace {

// A moment of the scan: the pillars and the times the engine resolved for it.
struct Probe {
    bool ok = false;
    std::array<std::int16_t, 4> pillars{};
    DateTime local, previousJie;
    ChartRequest request;
};

// Runs the engine on the chart's request moved along its own clock, minute by minute.
class Scanner {
public:
    explicit Scanner(const Chart& chart) : settings_(chart.settings), request_(chart.request) {
        // A lunar date is read once; the scan then steps through the civil clock it gave.
        base_ = chart.request.lunar ? chart.birthClock : chart.request.entered();
        request_.lunar = false;
        request_.leap = false;
        baseJd_ = calendar_.julianDayOf(base_);
    }

    DateTime clockAt(long minutes) {
        // julianDayOf carries one second past the minute, so the conversion back never rounds
        // a whole minute down.
        return calendar_.dateTimeOf(baseJd_ + static_cast<double>(minutes) / 1440.0);
    }

    Probe at(long minutes) {
        Probe p;
        p.request = requestAt(clockAt(minutes));
        std::string error;
        const std::optional<BirthPillars> b = caster_.castPillars(p.request, settings_, error);
        if (!b) return p;
        p.ok = true;
        p.pillars = b->pillars;
        p.local = b->birthLocal;
        p.previousJie = b->previousJie;
        return p;
    }

    // The whole chart at a clock time, cast from `request`; empty when it cannot be cast.
    std::optional<Chart> chartAt(const DateTime& clock, ChartRequest& request) {
        request = requestAt(clock);
        std::string error;
        return caster_.cast(request, settings_, error);
    }

    const DateTime& base() const { return base_; }
    double baseJd() const { return baseJd_; }

private:
    ChartRequest requestAt(const DateTime& clock) const {
        ChartRequest q = request_;
        q.year = clock.year;
        q.month = clock.month;
        q.day = clock.day;
        q.hour = clock.hour;
        q.minute = clock.minute;
        return q;
    }

    ChartCaster caster_;
    Calendar calendar_;
    ChartSettings settings_;
    ChartRequest request_;
    DateTime base_;
    double baseJd_ = 0;
};

std::string clockText(const DateTime& d) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d:%02d", d.hour % 100, d.minute % 100);
    return buf;
}

// What kind of boundary lies between two neighbouring moments, `before` and `after`.
std::string kindBetween(const Probe& before, const Probe& after) {
    if (before.pillars[0] != after.pillars[0] || before.pillars[1] != after.pillars[1]) return "节";
    const bool lateRat = after.local.hour == 23;
    if (before.pillars[2] != after.pillars[2]) return lateRat ? "子时" : "日";
    return lateRat ? "子时" : "时辰";
}

// The jie that begins the month of a month pillar (寅 立春, 卯 惊蛰, …).
std::string_view jieOfMonth(std::int16_t monthPillar) {
    const int k = cycleMod(monthPillar % 12 - 3, 12);
    return kTermNames[(2 + 2 * k) % 24];
}

// The clock a birth was typed in, as the notes name it.
std::string clockNameOf(const Chart& chart) {
    if (chart.birthZone.abroad) return "当地钟表时间";
    return chart.birthZone.converted ? "钟表时间" : "北京时间";
}

PillarBoundary boundaryBetween(const Probe& before, const Probe& after, const Probe& otherSide, int minutes) {
    PillarBoundary b;
    b.kind = kindBetween(before, after);
    b.at = b.kind == "节" ? after.previousJie : after.local;
    if (b.kind == "节") b.term = std::string(jieOfMonth(after.pillars[1]));
    b.minutes = minutes;
    b.pillars = otherSide.pillars;
    b.request = otherSide.request;
    return b;
}

}  // namespace

std::vector<PillarBoundary> findBoundaries(const Chart& chart, int windowMinutes) {
    std::vector<PillarBoundary> out;
    if (windowMinutes <= 0) return out;
    Scanner scan(chart);
    const Probe birth = scan.at(0);
    if (!birth.ok) return out;

    // One side at a time, walking away from the birth: the first change of each pillar.
    for (int dir : {-1, 1}) {
        std::array<bool, 4> found{};
        std::vector<PillarBoundary> side;
        Probe near = birth;
        for (int m = 1; m <= windowMinutes; ++m) {
            const Probe far = scan.at(dir * m);
            if (!far.ok) break;  // out of the engine's range: nothing further on this side
            bool changes = false;
            for (std::size_t k = 0; k < 4; ++k) {
                if (far.pillars[k] != near.pillars[k] && !found[k]) {
                    found[k] = true;
                    changes = true;
                }
            }
            if (changes) {
                // After the birth the boundary is the first minute of the far side; before it,
                // the first minute on the birth's side.
                side.push_back(dir > 0 ? boundaryBetween(near, far, far, m)
                                       : boundaryBetween(far, near, far, -(m - 1)));
            }
            if (found[0] && found[1] && found[2] && found[3]) break;
            near = far;
        }
        if (dir < 0) out.insert(out.end(), side.rbegin(), side.rend());
        else out.insert(out.end(), side.begin(), side.end());
    }
    for (PillarBoundary& b : out) {
        b.clock = scan.clockAt(b.minutes);
        b.clockName = clockNameOf(chart);
    }
    return out;
}

std::string boundaryNote(const PillarBoundary& b) {
    std::string s;
    if (!b.term.empty()) s += b.term + " 北京时间" + formatDateTime(b.at) + "交，";
    s += b.clockName + formatDateTime(b.clock) + "起换柱，";
    if (b.minutes == 0) return s + "与出生同一分钟";
    return s + (b.minutes > 0 ? "出生后" : "出生前") + std::to_string(b.minutes > 0 ? b.minutes : -b.minutes) + "分钟";
}

namespace {

// A row of the hour table from the chart cast at one of its moments.
HourOption hourRow(int branch, const Chart& r, const ChartRequest& request) {
    HourOption row;
    row.branch = branch;
    row.pillars = r.pillars;
    row.tenGod = std::string(kTenGodShort[tenGodIndex(r.pillars[2], r.pillars[3])]);
    row.nayin = std::string(nayinName(r.pillars[3], r.settings.nayin == 1));
    row.stars = r.stars[3];
    while (!row.stars.empty() && row.stars.back() == ' ') row.stars.pop_back();
    row.luck = r.luck;
    row.request = request;
    return row;
}

// When the year or month pillar changes inside the hour [first, last] (minutes from the birth
// on its clock), the two charts either side of the change, found to the minute.
bool splitHour(Scanner& scan, const Chart& chart, long first, long last, HourOption& row) {
    const Probe a = scan.at(first), z = scan.at(last);
    if (!a.ok || !z.ok || (a.pillars[0] == z.pillars[0] && a.pillars[1] == z.pillars[1])) return false;
    long lo = first, hi = last;  // lo on the earlier side, hi on the later
    while (hi - lo > 1) {
        const long mid = lo + (hi - lo) / 2;
        const Probe p = scan.at(mid);
        if (!p.ok) return false;
        (p.pillars[1] == a.pillars[1] && p.pillars[0] == a.pillars[0] ? lo : hi) = mid;
    }
    for (long m : {lo, hi}) {
        ChartRequest request;
        const std::optional<Chart> r = scan.chartAt(scan.clockAt(m), request);
        if (!r) return false;
        row.parts.push_back(hourRow(row.branch, *r, request));
    }
    row.split = true;
    row.splitClock = scan.clockAt(hi);
    row.clockName = clockNameOf(chart);
    return true;
}

}  // namespace

std::vector<HourOption> unknownHourOptions(const Chart& chart) {
    std::vector<HourOption> rows;
    Scanner scan(chart);
    Calendar calendar;
    // The offset of the chart's local time from the clock the request is read in.
    const double shift = calendar.julianDayOf(chart.birthLocal) - calendar.julianDayOf(scan.base());
    DateTime midnight = chart.birthLocal;
    midnight.hour = 0;
    midnight.minute = 0;
    const double dayStart = calendar.julianDayOf(midnight);
    for (int i = 0; i < 12; ++i) {
        // Both times are whole minutes, so the shift is too; the engine's own seconds of the
        // shift then move the row's local time by less than half a minute.
        const double local = dayStart + i * (2.0 / 24.0);
        const DateTime clock = calendar.dateTimeOf(local - shift);
        ChartRequest request;
        const std::optional<Chart> r = scan.chartAt(clock, request);
        if (!r) return {};
        HourOption row = hourRow((i + 1) % 12, *r, request);
        // The hour runs an hour either side of its middle, in minutes of the birth's clock.
        const long middle = std::lround((local - shift - scan.baseJd()) * 1440.0);
        splitHour(scan, chart, middle - 60, middle + 59, row);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string unknownHourFixedPillars(const std::vector<HourOption>& rows) {
    std::string out, last;
    // Each change names where the new pillars begin: the minute of a split hour, else the hour.
    const auto take = [&](const HourOption& h, const std::string& from) {
        const std::string now = pillarName(h.pillars[0]) + " " + pillarName(h.pillars[1]) + " " + pillarName(h.pillars[2]);
        if (now == last) return;
        if (!last.empty()) out += "；" + from + "起 ";
        out += now;
        last = now;
    };
    for (const HourOption& row : rows) {
        if (!row.split) {
            take(row, std::string(kBranches[row.branch]) + "时");
            continue;
        }
        take(row.parts.front(), std::string(kBranches[row.branch]) + "时");
        take(row.parts.back(), row.clockName + clockText(row.splitClock));
    }
    return out;
}

std::vector<std::string> unknownHourNotes(const Chart& chart, const std::vector<HourOption>& rows) {
    std::vector<std::string> notes;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        if (rows[i].pillars[1] == rows[i - 1].pillars[1]) continue;
        // A jie inside the day: find its minute between the two rows with the engine.
        std::string error;
        const std::optional<BirthPillars> probe = castPillars(rows[i].request, chart.settings, error);
        if (!probe) continue;
        const int k = cycleMod(probe->monthBranch - 3, 12);
        auto yearAndMonth = [](const HourOption& row) {
            return "年柱" + pillarName(row.pillars[0]) + "、月柱" + pillarName(row.pillars[1]);
        };
        const bool newYear = rows[i].pillars[0] != rows[i - 1].pillars[0];
        const auto pillarsOf = [newYear, &yearAndMonth](const HourOption& row) {
            return newYear ? yearAndMonth(row) : "月柱" + pillarName(row.pillars[1]);
        };
        const std::string term = "本日北京时间" + clockText(probe->previousJie) + "交" + std::string(kTermNames[(2 + 2 * k) % 24]);
        const HourOption* split = rows[i - 1].split ? &rows[i - 1] : rows[i].split ? &rows[i] : nullptr;
        if (split) {
            // The term falls inside an hour: that hour's row holds both charts.
            const std::string hour = std::string(kBranches[split->branch]) + "时";
            notes.push_back(term + "，在" + hour + "之内，" + hour + "分作两盘：" + split->clockName +
                            clockText(split->splitClock) + "以前" + pillarsOf(split->parts.front()) + "，" +
                            clockText(split->splitClock) + "起" + pillarsOf(split->parts.back()));
            continue;
        }
        const auto& before = rows[i - 1];
        const auto& after = rows[i];
        notes.push_back(term + "：" + std::string(kBranches[before.branch]) + "时及以前" + pillarsOf(before) + "，" +
                        std::string(kBranches[after.branch]) + "时起" + pillarsOf(after));
    }
    notes.push_back(chart.settings.zishi ? "夜子时：23:00至24:00出生者日柱仍取本日，时柱取次日子时"
                                         : "23:00起为次日子时：此时出生者日柱、时柱皆取次日");
    return notes;
}

std::vector<Convention> chartConventions(const ChartSettings& s, bool abroad) {
    return {
        {"zishi", "子时", s.zishi ? "夜子时不换日（零点换日）" : "23:00换日（子初换日）"},
        {"idate", "时间", s.idate == 1 ? "真太阳时" : s.idate == 2 ? "地方平时" : abroad ? "当地标准时间" : "北京时间"},
        {"dst", "夏令时", s.dst || abroad ? "钟表时间减去夏令时" : "钟表时间不减夏令时"},
        {"mgong", "命宫", s.mgong ? "按中气月" : "按节气月"},
        {"pai", "排列", s.pai ? "干支分两行" : "四柱一行"},
    };
}

std::string luckStartText(const LuckInfo& luck) {
    return std::to_string(luck.startYears) + "岁" + std::to_string(luck.startMonths) + "个月" +
           std::to_string(luck.startDays) + "天";
}

}  // namespace hj
