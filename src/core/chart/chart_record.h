#pragma once
// The chart engine: one ChartRequest in, the four pillars, their derived data, the stars and
// the whole report text (命稿) out.
//
// One ChartRecord lives as long as its owner (the main window, a command) and is handed a new
// request for every chart. Failures are a false result plus `lastError`; nothing throws.
// In memory every text is UTF-8; widths of the report count GBK bytes.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <string_view>
#include <vector>

#include "core/calendar/calendar.h"
#include "core/calendar/datetime.h"
#include "core/chart/chart.h"
#include "core/chart/chart_settings.h"
#include "core/report/report.h"
#include "core/report/report_rtf.h"

namespace hj {

class TextTable;

// Where a finished report goes (the main window's report pane). The window clears the pane,
// sets the default attributes (pane font size, black, no style), a first-line indent of
// `leftIndent` for every paragraph, puts `paneText` in, applies the spans in order and puts the
// caret at the start.
class ReportPane {
public:
    virtual ~ReportPane() = default;
    virtual void showReport(const std::string& paneText, const std::vector<StyleSpan>& spans,
                            int leftIndent) = 0;
};

class ChartRecord : public Chart {
public:
    // `dataDir` holds dat/ (bzinit.ini for the [set] keys, EndInfo.txt for the footer); an
    // empty text means no data folder (default settings, no footer). `pane` may be null.
    explicit ChartRecord(std::string dataDir = {}, ReportPane* pane = nullptr);

    // ---- the whole run ----
    // Copies the request, rereads the settings, computes the chart and builds the report;
    // when `reportOutput` is on and a pane is bound, shows it there. False: `lastError` says
    // why, and the pane is not touched.
    bool buildReport(const ChartRequest& req);
    // Checks the request copy, resolves the birth times, forms the pillars, derived data,
    // stars and the chart part of the report (sections 1 to 12).
    bool computeChart();
    // The first half of computeChart: the checks, the birth times and the four pillars only,
    // with the settings as they stand (no reload, no report). For batch work.
    bool computePillars();
    // The setting `save`: the window saves the case right after each successful chart.
    bool promptSave() const { return settings.save; }
    // Computes the marking of `report` into `styleSpans` and, when `reportOutput` is on and a
    // pane is bound, hands both to the pane.
    void showReport();

    // Overrides a [set] key for every following chart (the command line's --set); applied
    // after each reload of bzinit.ini. False with lastError for an unknown key or bad value.
    bool setSettingOverride(std::string_view key, std::string_view value);
    void clearSettingOverrides() { overrides_.clear(); }

    // Text sources. Both default to the resources compiled into the program; tests may set
    // their own. The table must outlive the record.
    void setTextTable(const TextTable* table);
    const TextTable& textTable() const { return *texts_; }
    // Replaces threeLivesLines with the lines of a three-lives resource image.
    void loadThreeLivesText(std::string_view utf8);
    const std::string& dataDir() const { return dataDir_; }
    void setDataDir(std::string dir) { dataDir_ = std::move(dir); }
    void setReportPane(ReportPane* pane) { reportPane = pane; }

    // ---- the record ----
    Calendar calendar;
    std::vector<std::string> threeLivesLines;  // the MOREDUAN resource, read once
    std::string report;                        // the report text (UTF-8, "\r\n" line ends)
    std::int16_t luckStartAge = 0;
    ReportPane* reportPane = nullptr;
    std::int32_t threeLivesMonth = 0;             // set by the three-lives sections
    std::string lastError;
    bool reportOutput = true;
    std::vector<StyleSpan> styleSpans;   // marking of the last shown report

private:
    void clearOutputs();
    void applyOverrides();

    ChartCaster caster_;
    std::string dataDir_;
    const TextTable* texts_;
    std::vector<std::pair<std::string, std::string>> overrides_;
};

// The report file of a chart built with reportOutput off.
rtf::Document reportDocumentOf(const ChartRecord& chart, const std::string& dataDir);

}  // namespace hj
