#include "cli/chart_uncertainty.h"

#include "core/uncertainty/boundaries.h"
#include "core/calendar/date_text.h"
#include "core/chart/derived.h"

namespace hj::cli {
namespace {

nlohmann::json pillarNames(const std::array<std::int16_t, 4>& pillars) {
    nlohmann::json a = nlohmann::json::array();
    for (auto p : pillars) a.push_back(pillarName(p));
    return a;
}

std::string pillarText(const std::array<std::int16_t, 4>& pillars) {
    std::string s;
    for (auto p : pillars) s += (s.empty() ? "" : " ") + pillarName(p);
    return s;
}

nlohmann::json conventionsJson(const ChartSettings& settings, bool abroad) {
    nlohmann::json conventions = nlohmann::json::array();
    for (const Convention& c : chartConventions(settings, abroad))
        conventions.push_back({{"key", c.key}, {"label", c.label}, {"value", c.value}});
    return conventions;
}

}  // namespace

void addUncertaintyJson(const Chart& chart, bool unknownHour, nlohmann::json& out) {
    nlohmann::json list = nlohmann::json::array();
    for (const PillarBoundary& b : findBoundaries(chart, chart.settings.bianjie))
        list.push_back({{"kind", b.kind},
                        {"at", formatDateTime(b.at)},
                        {"minutes", b.minutes},
                        {"pillars", pillarNames(b.pillars)},
                        {"clock", formatDateTime(b.clock)},
                        {"clockName", b.clockName},
                        {"note", boundaryNote(b)}});
    out["boundaries"] = list;

    out["conventions"] = conventionsJson(chart.settings, chart.birthZone.abroad);

    if (!unknownHour) return;
    const std::vector<HourOption> rows = unknownHourOptions(chart);
    const auto hourJson = [](const HourOption& h) {
        nlohmann::json stars = nlohmann::json::array();
        std::size_t pos = 0;
        while (pos < h.stars.size()) {
            std::size_t end = h.stars.find(' ', pos);
            if (end == std::string::npos) end = h.stars.size();
            if (end > pos) stars.push_back(h.stars.substr(pos, end - pos));
            pos = end + 1;
        }
        return nlohmann::json{{"branch", std::string(kBranches[h.branch])},
                              {"pillar", pillarName(h.pillars[3])},
                              {"tenGod", h.tenGod},
                              {"nayin", h.nayin},
                              {"stars", stars},
                              {"luckStart", luckStartText(h.luck)},
                              {"pillars", pillarNames(h.pillars)}};
    };
    nlohmann::json hours = nlohmann::json::array();
    for (const HourOption& h : rows) {
        nlohmann::json row = hourJson(h);
        if (h.split) {
            // Both charts of an hour a jie divides, and the minute the later one begins.
            row["split"] = {{"at", formatDateTime(h.splitClock)},
                            {"clockName", h.clockName},
                            {"before", hourJson(h.parts.front())},
                            {"after", hourJson(h.parts.back())}};
        }
        hours.push_back(std::move(row));
    }
    out["hours"] = hours;
    out["hourNotes"] = unknownHourNotes(chart, rows);
    out["fixedPillars"] = unknownHourFixedPillars(rows);
}

nlohmann::json unknownHourJson(const Chart& chart) {
    const ChartRequest& q = chart.request;
    // The day at the birthplace (abroad its own date, not Beijing's).
    const DateTime& day = chart.birthZone.converted ? chart.birthZone.clock : chart.birthClock;
    nlohmann::json out = {{"ok", true},
                          {"name", q.name},
                          {"sex", q.male ? "男" : "女"},
                          {"place", q.place},
                          {"date", formatDate(day)},
                          {"lunar",
                           {{"year", chart.birthLunar.year},
                            {"month", chart.birthLunar.month},
                            {"day", chart.birthLunar.day},
                            {"leap", chart.birthLunarLeap}}},
                          {"conventions", conventionsJson(chart.settings, chart.birthZone.abroad)}};
    // The year, month and day pillars every hour of the day shares; null for one a jie or the
    // hour of 子 changes within the day.
    const std::vector<HourOption> rows = unknownHourOptions(chart);
    nlohmann::json pillars = nlohmann::json::array();
    for (int i = 0; i < 3; ++i) {
        bool same = true;
        for (const HourOption& h : rows) {
            for (const HourOption& part : h.split ? h.parts : std::vector<HourOption>{h})
                same = same && part.pillars[static_cast<std::size_t>(i)] == rows.front().pillars[static_cast<std::size_t>(i)];
        }
        if (same && !rows.empty()) pillars.push_back(pillarName(rows.front().pillars[static_cast<std::size_t>(i)]));
        else pillars.push_back(nullptr);
    }
    out["pillars"] = pillars;
    addUncertaintyJson(chart, true, out);
    out.erase("boundaries");  // of 12:00, an hour nobody gave
    return out;
}

std::string boundaryLines(const Chart& chart) {
    const auto list = findBoundaries(chart, chart.settings.bianjie);
    if (list.empty()) return "边界：前后" + std::to_string(chart.settings.bianjie) + "分钟内无换柱\n";
    std::string out;
    for (const PillarBoundary& b : list) out += "边界：" + b.kind + " " + boundaryNote(b) + "；另一侧四柱：" + pillarText(b.pillars) + "\n";
    return out;
}

std::string unknownHourTable(const Chart& chart) {
    const std::vector<HourOption> rows = unknownHourOptions(chart);
    if (rows.empty()) return {};
    // What the JSON also gives: who, which day, and the pillars the day fixes.
    const ChartRequest& q = chart.request;
    std::string out = "姓名：" + q.name + "  性别：" + (q.male ? "男" : "女") + "  出生地：" +
                      (q.place.empty() ? "未知" : q.place) + "\n";
    // The day at the birthplace (abroad its own date, not Beijing's).
    const DateTime& day = chart.birthZone.converted ? chart.birthZone.clock : chart.birthClock;
    out += "出生日期：" + formatDate(day) + "（公历），时辰不详\n";
    out += "年柱 月柱 日柱：" + unknownHourFixedPillars(rows) + "\n";
    out += "时辰\t时柱\t十神\t纳音\t起运\t神煞\n";
    const auto line = [](const std::string& hour, const HourOption& h) {
        return hour + "\t" + pillarName(h.pillars[3]) + "\t" + h.tenGod + "\t" + h.nayin + "\t" + luckStartText(h.luck) +
               "\t" + h.stars + "\n";
    };
    for (const HourOption& h : rows) {
        if (!h.split) {
            out += line(std::string(kBranches[h.branch]), h);
            continue;
        }
        // An hour a jie divides: a line for each of its two charts.
        const std::string at = formatDateTime(h.splitClock).substr(formatDate(h.splitClock).size() + 1);
        out += line(std::string(kBranches[h.branch]), h.parts.front());
        out += line(std::string(kBranches[h.branch]) + "(" + at + "起)", h.parts.back());
    }
    for (const std::string& note : unknownHourNotes(chart, rows)) out += "注：" + note + "\n";
    return out;
}

}  // namespace hj::cli
