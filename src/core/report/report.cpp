#include "core/report/report.h"

#include "core/analysis/chart_analysis.h"
#include "core/chart/chart.h"
#include "core/chart/text_table.h"
#include "core/judgement/judgement.h"
#include "core/report/chart_sections.h"
#include "core/traditional/conversion.h"
#include "core/threelives/three_lives.h"
#include "core/text/utf8.h"

namespace hj {
namespace {

// Text positions as the pane counts them: characters, with "\r\n" one character.
std::u32string paneChars(std::string_view s) {
    std::u32string out;
    out.reserve(s.size() / 2);
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp = text::nextUtf8Char(s, i);
        if (cp == '\r') {
            cp = '\n';
            if (i < s.size() && s[i] == '\n') ++i;
        }
        out += cp;
    }
    return out;
}

long findFrom(const std::u32string& hay, std::u32string_view needle, long from) {
    if (from < 0) from = 0;
    auto p = hay.find(needle, static_cast<std::size_t>(from));
    return p == std::u32string::npos ? -1 : static_cast<long>(p);
}

StyleSpan span(long start, long end, bool color, std::uint32_t rgb, bool bold, int size) {
    StyleSpan s;
    s.start = static_cast<std::int32_t>(start);
    s.length = static_cast<std::int32_t>(end - start);
    s.setColor = color;
    s.color = rgb;
    s.bold = bold;
    s.sizeDelta = size;
    return s;
}

}  // namespace

Report buildReport(const Chart& chart, const ReportSources& sources) {
    const TextTable& texts = sources.texts ? *sources.texts : TextTable::builtin();
    const std::vector<std::string>& threeLives = sources.threeLives ? *sources.threeLives : builtinThreeLivesLines();
    Report out;
    std::string& report = out.text;
    report = chartSections(chart);
    if (chart.settings.fenxi) {
        report += analysis::analysisReportSection(chart);
        report += judgement::judgementReportSection(chart);
    }
    report += "※推年月日时：\r\n";
    report += birthVerses(chart, texts);
    report += "\r\n\r\n";
    report += "※八字称骨：";
    report += boneWeightText(chart, texts);
    report += "\r\n\r\n";
    report += kThreeLivesNote;
    report += "\r\n";
    report += threeLivesReading(chart, texts);
    report += previousLifeSections(chart, threeLivesMonthOf(chart), threeLives, texts,
                                   chart.settings.jinnian ? sources.thisYear : 0);
    report += "※软件开发商:墨衡周易软件";
    if (!kMakerAddress.empty()) {
        report += "(";
        report += kMakerAddress;
        report += ")";
    }
    report += "※\r\n";
    report += "☆以上批语仅供参考，须知人生命运妙在阴阳五行的无穷变化☆";
    if (chart.settings.endinfo) {
        for (const std::string& line : sources.footer) {
            report += line;
            report += "\r\n";
        }
    }
    // With the display in Traditional characters the report is made so; the name and place
    // keep the characters they were typed with.
    if (sources.traditional) report = traditional::toTraditional(report, {chart.request.name, chart.request.place});
    out.spans = reportStyleSpans(report);
    return out;
}

std::string paneText(std::string_view report) {
    std::string out;
    out.reserve(report.size());
    for (std::size_t i = 0; i < report.size(); ++i) {
        if (report[i] == '\r') {
            out += '\n';
            if (i + 1 < report.size() && report[i + 1] == '\n') ++i;
        } else {
            out += report[i];
        }
    }
    return out;
}

std::vector<StyleSpan> reportStyleSpans(std::string_view report) {
    std::vector<StyleSpan> spans;
    const std::u32string t = paneChars(report);
    const long size = static_cast<long>(t.size());
    // The chart block: from the 乾造/坤造 label (the character before "造  ") up to 藏干.
    long zao = findFrom(t, U"造  ", 80);
    if (zao >= 1) {
        long cang = findFrom(t, U"藏干", zao);
        if (cang > zao) spans.push_back(span(zao - 1, cang, true, kReportRed, false, 0));
    }
    long stars = findFrom(t, U"吉神凶煞：", 90);
    if (stars >= 0) {
        spans.push_back(span(stars, stars + 5, true, kReportBlue, true, 0));
        long first = findFrom(t, U"※", stars);
        if (first >= 0) {
            spans.push_back(span(first, size, false, 0, false, -1));
            for (long p = first;;) {
                long a = findFrom(t, U"※", p);
                if (a < 0) break;
                long b = findFrom(t, U"：", a);
                if (b < 0) break;
                spans.push_back(span(a, b + 1, true, kReportBlue, false, 0));
                p = b + 1;
            }
        }
    }
    long yearly = findFrom(t, U"流年神煞和九星：", 100);
    if (yearly >= 0) {
        spans.push_back(span(yearly, yearly + 8, true, kReportBlue, true, 0));
        for (long p = yearly + 8;;) {
            long a = findFrom(t, U"【", p);
            if (a < 0) break;
            long b = findFrom(t, U"】", a);
            if (b < 0) break;
            spans.push_back(span(a, b + 1, true, kReportRed, false, 0));
            p = b + 1;
        }
    }
    return spans;
}

}  // namespace hj
