#include "cli/chart_uncertainty.h"

#include "core/boundaries/boundaries.h"
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

}  // namespace

void addUncertaintyJson(const Chart& chart, bool unknownHour, nlohmann::json& out) {
    nlohmann::json list = nlohmann::json::array();
    for (const PillarBoundary& b : findBoundaries(chart, chart.settings.bianjie))
        list.push_back({{"kind", b.kind}, {"at", formatDateTime(b.at)}, {"minutes", b.minutes}, {"pillars", pillarNames(b.pillars)}});
    out["boundaries"] = list;

    nlohmann::json conventions = nlohmann::json::array();
    for (const Convention& c : chartConventions(chart.settings))
        conventions.push_back({{"key", c.key}, {"label", c.label}, {"value", c.value}});
    out["conventions"] = conventions;

    if (!unknownHour) return;
    const std::vector<HourOption> rows = unknownHourOptions(chart);
    nlohmann::json hours = nlohmann::json::array();
    for (const HourOption& h : rows) {
        nlohmann::json stars = nlohmann::json::array();
        std::size_t pos = 0;
        while (pos < h.stars.size()) {
            std::size_t end = h.stars.find(' ', pos);
            if (end == std::string::npos) end = h.stars.size();
            if (end > pos) stars.push_back(h.stars.substr(pos, end - pos));
            pos = end + 1;
        }
        hours.push_back({{"branch", std::string(kBranches[h.branch])},
                         {"pillar", pillarName(h.pillars[3])},
                         {"tenGod", h.tenGod},
                         {"nayin", h.nayin},
                         {"stars", stars},
                         {"luckStart", luckStartText(h.luck)},
                         {"pillars", pillarNames(h.pillars)}});
    }
    out["hours"] = hours;
    out["hourNotes"] = unknownHourNotes(chart, rows);
}

std::string boundaryLines(const Chart& chart) {
    const auto list = findBoundaries(chart, chart.settings.bianjie);
    if (list.empty()) return "边界：前后" + std::to_string(chart.settings.bianjie) + "分钟内无换柱\n";
    std::string out;
    for (const PillarBoundary& b : list) {
        out += "边界：" + b.kind + " " + formatDateTime(b.at) + "，" +
               (b.minutes > 0 ? "出生后" + std::to_string(b.minutes) : "出生前" + std::to_string(-b.minutes)) +
               "分钟；另一侧四柱：" + pillarText(b.pillars) + "\n";
    }
    return out;
}

std::string unknownHourTable(const Chart& chart) {
    const std::vector<HourOption> rows = unknownHourOptions(chart);
    if (rows.empty()) return {};
    std::string out = "时辰\t时柱\t十神\t纳音\t起运\t神煞\n";
    for (const HourOption& h : rows) {
        out += std::string(kBranches[h.branch]) + "\t" + pillarName(h.pillars[3]) + "\t" + h.tenGod + "\t" + h.nayin +
               "\t" + luckStartText(h.luck) + "\t" + h.stars + "\n";
    }
    for (const std::string& note : unknownHourNotes(chart, rows)) out += "注：" + note + "\n";
    return out;
}

}  // namespace hj::cli
