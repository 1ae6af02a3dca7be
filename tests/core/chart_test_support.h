#pragma once
// Fixtures shared by the chart and three-lives tests: a numbered text table whose texts name
// their own id, so a report shows exactly which text each rule picked; a chart and its report
// made from a data folder the way the front ends make them.
#include <optional>
#include <string>

#include "core/chart/chart.h"
#include "core/chart/text_table.h"
#include "core/report/report.h"
#include "core/report/report_settings.h"

namespace hj::fixtures {

// Text n reads "T<n>"; the hour texts 1260..1271 read "H<n>a*H<n>b*H<n>c".
inline const TextTable& idTextTable() {
    static const TextTable table = [] {
        std::string tsv = "# fixture\n";
        auto add = [&tsv](int from, int to) {
            for (int id = from; id <= to; ++id) tsv += std::to_string(id) + "\tT" + std::to_string(id) + "\n";
        };
        add(1100, 1159);
        add(1201, 1212);
        add(1221, 1250);
        for (int id = 1260; id <= 1271; ++id) {
            std::string h = "H" + std::to_string(id);
            tsv += std::to_string(id) + "\t" + h + "a*" + h + "b*" + h + "c\n";
        }
        add(7031, 7081);
        add(8001, 8051);
        add(10001, 10541);
        return TextTable::fromTsv(tsv);
    }();
    return table;
}

struct Built {
    bool ok = false;
    std::string error;
    ReportSettings settings;
    Chart chart;
    Report report;
};

// The chart of `q` and its report: the settings and the footer read from `dataDir` (empty: the
// defaults, no footer), `settings` in place of the [set] keys when given, the numbered texts
// `texts` (null: the built-in ones).
inline Built buildChart(const ChartRequest& q, const std::string& dataDir = {}, const TextTable* texts = nullptr,
                        const ChartSettings* settings = nullptr) {
    Built b;
    b.settings = loadReportSettings(dataDir);
    if (settings) b.settings.chart = *settings;
    std::optional<Chart> chart = castChart(q, b.settings.chart, b.error);
    if (!chart) return b;
    b.chart = std::move(*chart);
    ReportSources sources;
    sources.texts = texts;
    sources.traditional = b.settings.traditional;
    if (b.chart.settings.endinfo && !readFooter(dataDir, sources.footer, b.error)) return b;
    b.report = buildReport(b.chart, sources);
    b.ok = true;
    return b;
}

}  // namespace hj::fixtures
