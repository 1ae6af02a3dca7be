#include "cli/analysis_options.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "core/analysis/chart_analysis.h"
#include "core/card/chart_card.h"
#include "core/judgement/judgement.h"
#include "core/calendar/datetime.h"
#include "core/chart/derived.h"
#include "core/platform/platform.h"

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

std::string elementName(int e) { return std::string(kElementNames[e]); }

nlohmann::json readingJson(const judgement::PillarReading& r) {
    nlohmann::json j = nlohmann::json::object();
    if (r.year != 0) j["year"] = displayYear(r.year);
    j["pillar"] = pillarName(r.pillar);
    j["stem"] = std::string(judgement::roleName(r.stem));
    j["branch"] = std::string(judgement::roleName(r.branch));
    j["notes"] = r.notes;
    return j;
}

nlohmann::json judgementJson(const judgement::ChartJudgement& c) {
    using nlohmann::json;
    const judgement::Judgement& j = c.judgement;
    json factors = json::array();
    for (const judgement::Factor& f : j.strength.factors)
        factors.push_back({{"factor", f.factor}, {"pillar", f.pillar}, {"char", f.chars},
                           {"weight", f.weight / 100.0}, {"reason", f.reason}});
    json tiaohou = nullptr;
    if (j.tiaohou) {
        json stems = json::array(), elements = json::array();
        for (int s : j.tiaohou->stems) stems.push_back(std::string(kStems[s]));
        for (int e : j.tiaohou->elements) elements.push_back(elementName(e));
        tiaohou = {{"stems", stems}, {"elements", elements}, {"reason", j.tiaohou->reason}};
    }
    json luck = json::array(), years = json::array();
    for (const judgement::PillarReading& r : c.luck) luck.push_back(readingJson(r));
    for (const judgement::PillarReading& r : c.years) years.push_back(readingJson(r));
    return {{"strength",
             {{"score", j.strength.score / 100.0},
              {"verdict", std::string(judgement::verdictName(j.strength.verdict))},
              {"factors", factors}}},
            {"pattern",
             {{"name", j.pattern.name},
              {"kind", std::string(judgement::patternKindName(j.pattern.kind))},
              {"broken", j.pattern.broken},
              {"reason", j.pattern.reason}}},
            {"useful",
             {{"yong", elementName(j.useful.yong)},
              {"xi", elementName(j.useful.xi)},
              {"ji", elementName(j.useful.ji)},
              {"chou", elementName(j.useful.chou)},
              {"xian", elementName(j.useful.xian)},
              {"method", j.useful.method},
              {"reason", j.useful.reason}}},
            {"tiaohou", tiaohou},
            {"luck", luck},
            {"years", years}};
}

// The luck pillar whose years are read: the one asked for, else the one running in the year
// asked for (or this year), else the first.
judgement::ChartJudgement judged(const Chart& r, const AnalysisRequest& a) {
    int chosen = a.luck - 1;
    if (chosen < 0) {
        int year = a.year;
        if (!a.withYear) {
            const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
            platform::CivilTime local;
            platform::localTime(static_cast<std::int64_t>(now), local);
            year = local.year;
        }
        chosen = std::max(0, card::luckRunningIn(r, year));
    }
    judgement::Options options;
    options.tiaohou = static_cast<judgement::TiaohouRule>(a.tiaohou);
    return judgement::judgeChart(r, chosen, card::luckStartYear(r, chosen), options);
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
    chart->add_option("--tiaohou", a.tiaohou,
                      "With --analysis: when the seasonal remedy (调候) decides the useful element: 0 never, "
                      "1 when the other method would choose the element the season has too much of (default), 2 always in hot and cold months")
        ->check(CLI::Range(0, 2))
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
    const judgement::ChartJudgement judgedChart = judged(r, a);
    json["judgement"] = judgementJson(judgedChart);
    // A block of its own after the report, in the report's line ends.
    if (report.size() < 2 || report.compare(report.size() - 2, 2, "\r\n") != 0) text += "\r\n";
    text += "\r\n※八字分析：\r\n" + analysis::analysisText(result, "\r\n");
    text += "\r\n※命局判断：\r\n" +
            judgement::judgementText(judgedChart.judgement, judgedChart.luck, judgedChart.years, "\r\n");
    return true;
}

}  // namespace hj::cli
