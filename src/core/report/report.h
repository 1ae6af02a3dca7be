#pragma once
// The report (命稿) of a chart: its text and the marking the pane and the report file show.
//
// buildReport puts the sections together in their order: the chart's own sections, the optional
// analysis (it reads the chart, so it stands under it), the three-lives block with its note, the
// previous-life sections, the maker line, the disclaimer and the footer. Each section writer returns its text; nothing here reads a file or
// keeps state. The texts come in through ReportSources, read by the caller (the built-in ones
// unless a test gives its own).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/version.h"

namespace hj {

struct Chart;
class TextTable;

// Marking of the report in the pane. Positions count the characters of paneText(report):
// Unicode characters, each "\r\n" taken as one paragraph break. Every character of a report
// lies in the Basic Multilingual Plane, so the positions are also QString indices of that text.
struct StyleSpan {
    std::int32_t start = 0;
    std::int32_t length = 0;
    bool setColor = false;
    std::uint32_t color = 0;  // 0xRRGGBB, when setColor
    bool bold = false;
    std::int32_t sizeDelta = 0;  // points added to the pane's font size (-1: one point smaller)
};
inline constexpr std::uint32_t kReportRed = 0xFF0000;
inline constexpr std::uint32_t kReportBlue = 0x0000FF;

struct Report {
    std::string text;              // UTF-8, "\r\n" line ends: the bytes a report file and the command line hold
    std::vector<StyleSpan> spans;  // the marking, in the order it is applied
};

// What a report reads beside its chart.
struct ReportSources {
    const TextTable* texts = nullptr;                      // numbered texts; null: the built-in table
    const std::vector<std::string>* threeLives = nullptr;  // three-lives resource lines; null: the built-in
    std::vector<std::string> footer;  // lines of dat/EndInfo.txt, added when the chart's setting endinfo is on
    bool traditional = false;         // [display] fanti: the report in Traditional characters, name and place as typed
    int thisYear = 0;  // astronomical; with the setting jinnian the yearly block starts here (0: at birth)
};

// The whole report of a chart, with the settings it was cast with.
Report buildReport(const Chart& chart, const ReportSources& sources);

// The report text as the pane holds it: every "\r\n" (and any lone "\r") becomes "\n".
std::string paneText(std::string_view report);
// The marking of a report text, positions as StyleSpan describes.
std::vector<StyleSpan> reportStyleSpans(std::string_view report);

// The maker line's address, set when the program is built; empty: the line names the maker alone.
inline constexpr std::string_view kMakerAddress = HJ_MAKER_ADDRESS;

// The line before the three-lives sections: each is an old reading of its own, so two of them
// may tell a different former life or temperament.
inline constexpr std::string_view kThreeLivesNote = "以下三世相各节，依旧法各自推断，每节自成一说，不必彼此比附。";

}  // namespace hj
