#include "core/boundaries/boundaries.h"

#include <cstdio>
#include <optional>

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

PillarBoundary boundaryBetween(const Probe& before, const Probe& after, const Probe& otherSide, int minutes) {
    PillarBoundary b;
    b.kind = kindBetween(before, after);
    b.at = b.kind == "节" ? after.previousJie : after.local;
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
    return out;
}

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
        HourOption row;
        row.branch = (i + 1) % 12;
        row.pillars = r->pillars;
        row.tenGod = std::string(kTenGodShort[tenGodIndex(r->pillars[2], r->pillars[3])]);
        row.nayin = std::string(nayinName(r->pillars[3]));
        row.stars = r->stars[3];
        while (!row.stars.empty() && row.stars.back() == ' ') row.stars.pop_back();
        row.luck = r->luck;
        row.request = request;
        rows.push_back(std::move(row));
    }
    return rows;
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
        const auto& before = rows[i - 1];
        const auto& after = rows[i];
        notes.push_back("本日北京时间" + clockText(probe->previousJie) + "交" + std::string(kTermNames[(2 + 2 * k) % 24]) +
                        "：" + std::string(kBranches[before.branch]) + "时及以前" +
                        (newYear ? yearAndMonth(before) : "月柱" + pillarName(before.pillars[1])) + "，" +
                        std::string(kBranches[after.branch]) + "时起" +
                        (newYear ? yearAndMonth(after) : "月柱" + pillarName(after.pillars[1])));
    }
    notes.push_back(chart.settings.zishi ? "夜子时：23:00至24:00出生者日柱仍取本日，时柱取次日子时"
                                         : "23:00起为次日子时：此时出生者日柱、时柱皆取次日");
    return notes;
}

std::vector<Convention> chartConventions(const ChartSettings& s) {
    return {
        {"zishi", "子时", s.zishi ? "夜子时不换日（零点换日）" : "23:00换日（子初换日）"},
        {"idate", "时间", s.idate == 1 ? "真太阳时" : s.idate == 2 ? "地方平时" : "北京时间"},
        {"dst", "夏令时", s.dst ? "钟表时间减去夏令时" : "钟表时间不减夏令时"},
        {"mgong", "命宫", s.mgong ? "按中气月" : "按节气月"},
        {"pai", "排列", s.pai ? "干支分两行" : "四柱一行"},
    };
}

std::string luckStartText(const LuckInfo& luck) {
    return std::to_string(luck.startYears) + "岁" + std::to_string(luck.startMonths) + "个月" +
           std::to_string(luck.startDays) + "天";
}

}  // namespace hj
