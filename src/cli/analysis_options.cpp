#include "cli/analysis_options.h"

#include "core/analysis/chart_analysis.h"
#include "core/calendar/datetime.h"
#include "core/chart/derived.h"

namespace hj::cli {
namespace {

CLI::Option* gYearOption = nullptr;

nlohmann::json analysisJson(const analysis::ChartAnalysis& a) {
    using nlohmann::json;
    json relations = json::array();
    for (const analysis::Relation& r : a.relations)
        relations.push_back({{"kind", analysis::relationKindName(r.kind)},
                             {"chars", r.chars},
                             {"pillars", r.labels},
                             {"element", r.element >= 0 ? std::string(kElementNames[r.element]) : std::string()}});
    json elements = json::object(), hidden = json::object(), missing = json::array(), gods = json::object();
    for (int el : analysis::kShownElementOrder) {
        const std::string name(kElementNames[el]);
        elements[name] = a.elements.visible[el];
        json stems = json::array();
        for (int s : a.elements.hiddenStems[el]) stems.push_back(std::string(kStems[s]));
        hidden[name] = stems;
    }
    for (int el : a.elements.missing) missing.push_back(std::string(kElementNames[el]));
    for (int g = 0; g < 10; ++g) gods[std::string(kTenGodShort[g])] = a.elements.tenGods[g];
    json j = {{"relations", relations}, {"elements", elements}, {"missing", missing},
              {"hiddenStems", hidden}, {"tenGods", gods}};
    for (std::size_t i = 4; i < a.pillarSlots.size(); ++i) {
        const std::string& label = a.pillarSlots[i].label;
        const char* key = label == "运" ? "luckPillar" : label == analysis::kFlowingMonthLabel ? "monthPillar" : "yearPillar";
        j[key] = pillarName(a.pillarSlots[i].pillar);
    }
    return j;
}

}  // namespace

void addAnalysisOptions(CLI::App* chart, AnalysisRequest& a) {
    auto* on = chart->add_flag("--analysis", a.on, "Add the analysis: relations between the pillars, five elements, ten gods");
    chart->add_option("--luck", a.luck, "With --analysis: set luck pillar N (1..8) beside the chart")
        ->check(CLI::Range(1, 8))
        ->needs(on);
    gYearOption = chart->add_option("--year", a.year, "With --analysis: set the pillar of year Y (astronomical) beside the chart")
                      ->check(CLI::Range(-849, 2100))
                      ->needs(on);
    chart->add_option("--month", a.month, "With --year: set the pillar of that year's solar month M (1 = 寅 from 立春 … 12 = 丑)")
        ->check(CLI::Range(1, 12))
        ->needs(gYearOption);
}

void applyAnalysisOptions(AnalysisRequest& a) { a.withYear = gYearOption && gYearOption->count() > 0; }

bool analysisOutput(const Chart& r, const std::string& report, const AnalysisRequest& a, nlohmann::json& json,
                    std::string& text, std::string& error) {
    text.clear();
    if (!a.on) return true;
    analysis::ChartAnalysis result;
    if (!analysis::analyseChart(r, {a.luck, a.withYear, a.year, a.month}, result, error)) return false;
    json = analysisJson(result);
    // A block of its own after the report, in the report's line ends.
    if (report.size() < 2 || report.compare(report.size() - 2, 2, "\r\n") != 0) text += "\r\n";
    text += "\r\n※八字分析：\r\n" + analysis::analysisText(result, "\r\n");
    return true;
}

}  // namespace hj::cli
