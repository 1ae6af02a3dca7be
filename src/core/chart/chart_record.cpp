#include "core/chart/chart_record.h"

#include "core/chart/text_table.h"
#include "core/report/report_settings.h"
#include "core/threelives/three_lives.h"

namespace hj {

ChartRecord::ChartRecord(std::string dataDir, ReportPane* pane)
    : threeLivesLines(builtinThreeLivesLines()), reportPane(pane), dataDir_(std::move(dataDir)),
      texts_(&TextTable::builtin()) {}

void ChartRecord::setTextTable(const TextTable* table) { texts_ = table ? table : &TextTable::builtin(); }

void ChartRecord::loadThreeLivesText(std::string_view utf8) { threeLivesLines = splitResourceLines(utf8); }

bool ChartRecord::setSettingOverride(std::string_view key, std::string_view value) {
    ChartSettings probe;
    if (!applyChartSetting(probe, key, value, &lastError)) return false;
    overrides_.emplace_back(std::string(key), std::string(value));
    return true;
}

void ChartRecord::applyOverrides() {
    for (const auto& [key, value] : overrides_) applyChartSetting(settings, key, value);
}

void ChartRecord::clearOutputs() {
    pillars = {};
    nayinElements = {};
    starSign = 0;
    lifePalace = 0;
    conceptionPillar = 0;
    luckStartAge = 0;
    threeLivesMonth = 0;
    monthBranch = 0;
    luck = LuckInfo{};
    stars = {};
    chartMarks.clear();
    styleSpans.clear();
    report.clear();
}

bool ChartRecord::buildReport(const ChartRequest& req) {
    lastError.clear();
    request = req;
    const ReportSettings loaded = loadReportSettings(dataDir_);
    settings = loaded.chart;
    applyOverrides();
    clearOutputs();
    if (!computeChart()) return false;
    ReportSources sources;
    sources.texts = texts_;
    sources.threeLives = &threeLivesLines;
    sources.traditional = loaded.traditional;
    if (settings.endinfo && !readFooter(dataDir_, sources.footer, lastError)) return false;
    const Report built = hj::buildReport(*this, sources);
    report = built.text;
    threeLivesMonth = threeLivesMonthOf(*this);
    showReport();
    return true;
}

void ChartRecord::showReport() {
    styleSpans = reportStyleSpans(report);
    if (reportOutput && reportPane) reportPane->showReport(paneText(report), styleSpans, settings.leftpos);
}

bool ChartRecord::computePillars() {
    lastError.clear();
    auto p = caster_.castPillars(request, settings, lastError);
    if (!p) return false;
    static_cast<BirthPillars&>(*this) = std::move(*p);
    request.leap = birthLunarLeap;
    return true;
}

bool ChartRecord::computeChart() {
    lastError.clear();
    auto c = caster_.cast(request, settings, lastError);
    if (!c) return false;
    static_cast<Chart&>(*this) = std::move(*c);
    request.leap = birthLunarLeap;
    luckStartAge = static_cast<std::int16_t>(luck.startAge);
    return true;
}

rtf::Document reportDocumentOf(const ChartRecord& chart, const std::string& dataDir) {
    return reportDocument(Report{chart.report, chart.styleSpans}, loadReportSettings(dataDir).font,
                          chart.settings.leftpos);
}

}  // namespace hj
