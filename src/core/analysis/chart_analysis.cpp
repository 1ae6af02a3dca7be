#include "core/analysis/chart_analysis.h"

#include <algorithm>

#include "core/calendar/datetime.h"
#include "core/calendar/festivals.h"
#include "core/chart/chart.h"
#include "core/chart/derived.h"

namespace hj::analysis {
namespace {

constexpr std::string_view kNatalLabels[4] = {"年", "月", "日", "时"};

}  // namespace

int yearPillarOf(int year) { return cycleMod(year + 897, 60); }

int flowingMonthPillarOf(int year, int month) { return monthPillarOf(yearPillarOf(year), month); }

std::string flowingMonthName(int month) { return lunarMonthName(month, false); }

ChartPillars chartPillarsOf(const Chart& chart) {
    ChartPillars p;
    for (int i = 0; i < 4; ++i) p.natal[i] = chart.pillars[i];
    p.luck = chart.luck.pillars;
    return p;
}

ElementBalance elementBalance(const std::array<int, 4>& natal) {
    ElementBalance b;
    const int day = natal[2];
    for (int i = 0; i < 4; ++i) {
        const int p = cycleMod(natal[i], 60);
        b.visible[stemElement(p % 10)] += 1;
        b.visible[branchElement(p % 12)] += 1;
        if (i != 2) b.tenGods[tenGodIndex(day, p % 10)] += 1;
        for (char digit : kHiddenStems[p % 12]) {
            const int s = digit - '0';
            b.hiddenStems[stemElement(s)].push_back(s);
            b.tenGods[tenGodIndex(day, s)] += 1;
        }
    }
    for (int e : kShownElementOrder)
        if (b.visible[e] == 0) b.missing.push_back(e);
    return b;
}

bool analyseChart(const Chart& chart, const AnalysisOptions& options, ChartAnalysis& out, std::string& error) {
    return analysePillars(chartPillarsOf(chart), options, out, error);
}

bool analysePillars(const ChartPillars& pillars, const AnalysisOptions& options, ChartAnalysis& out,
                    std::string& error) {
    if (options.luck < 0 || options.luck > 8) {
        error = "the luck pillar is numbered 1..8, not " + std::to_string(options.luck);
        return false;
    }
    if (options.month < 0 || options.month > 12) {
        error = "the month is numbered 1..12, not " + std::to_string(options.month);
        return false;
    }
    if (options.month > 0 && !options.withYear) {
        error = "a month needs its year";
        return false;
    }
    out = ChartAnalysis{};
    out.options = options;
    for (int i = 0; i < 4; ++i) out.pillarSlots.push_back({std::string(kNatalLabels[i]), pillars.natal[i]});
    if (options.luck > 0) out.pillarSlots.push_back({"运", pillars.luck[options.luck - 1]});
    if (options.withYear) out.pillarSlots.push_back({"岁", yearPillarOf(options.year)});
    if (options.month > 0)
        out.pillarSlots.push_back({std::string(kFlowingMonthLabel), flowingMonthPillarOf(options.year, options.month)});
    out.relations = findRelations(out.pillarSlots);
    out.elements = elementBalance(pillars.natal);
    return true;
}

std::string elementsText(const ElementBalance& e, std::string_view eol) {
    std::string t = "五行：";
    for (int el : kShownElementOrder) {
        if (el != kShownElementOrder[0]) t += ' ';
        t += kElementNames[el];
        t += std::to_string(e.visible[el]);
    }
    t += "  缺：";
    if (e.missing.empty()) t += "无";
    for (int el : e.missing) t += kElementNames[el];
    t += eol;
    t += "藏干：";
    for (int el : kShownElementOrder) {
        if (el != kShownElementOrder[0]) t += "；";
        t += kElementNames[el];
        t += ' ';
        if (e.hiddenStems[el].empty()) t += "无";
        for (int s : e.hiddenStems[el]) t += kStems[s];
    }
    t += eol;
    t += "十神：";
    for (int g = 0; g < 10; ++g) {
        if (g > 0) t += ' ';
        t += kTenGodShort[g];
        t += std::to_string(e.tenGods[g]);
    }
    t += eol;
    return t;
}

std::string analysisText(const ChartAnalysis& a, std::string_view eol) {
    std::string t;
    if (a.pillarSlots.size() > 4) {
        for (std::size_t i = 4; i < a.pillarSlots.size(); ++i) {
            if (i > 4) t += "  ";
            const PillarSlot& slot = a.pillarSlots[i];
            if (slot.label == "运")
                t += "大运：" + pillarName(slot.pillar) + "（第" + std::to_string(a.options.luck) + "步）";
            else if (slot.label == kFlowingMonthLabel)
                t += "流月：" + pillarName(slot.pillar) + "（" + flowingMonthName(a.options.month) + "）";
            else
                t += "流年：" + std::to_string(displayYear(a.options.year)) + "年" + pillarName(slot.pillar);
        }
        t += eol;
    }
    t += elementsText(a.elements, eol);
    t += "合冲刑害：";
    if (a.relations.empty()) t += "无";
    t += eol;
    for (const Relation& r : a.relations) {
        t += "  ";
        t += relationKindName(r.kind);
        t += ' ';
        t += r.chars;
        t += ' ';
        const bool longLabel =
            std::any_of(r.labels.begin(), r.labels.end(), [](const std::string& l) { return l.size() > 3; });
        for (std::size_t k = 0; k < r.labels.size(); ++k) t += (k > 0 && longLabel ? "·" : "") + r.labels[k];
        if (r.element >= 0) {
            t += ' ';
            t += kElementNames[r.element];
        }
        t += eol;
    }
    return t;
}

std::string analysisReportSection(const Chart& chart) {
    ChartAnalysis a;
    std::string error;
    analyseChart(chart, AnalysisOptions{}, a, error);  // natal pillars only: cannot fail
    return "※八字分析：\r\n" + analysisText(a, "\r\n") + "\r\n";
}

}  // namespace hj::analysis
