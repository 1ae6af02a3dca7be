#pragma once
// The 八字分析 dock of the main window. Its panel is made when the dock first shows, so that a
// window starting without it does not pay for it at start-up; the chart it is to show waits
// until then. `panelMade` lets the window wire the panel to its other views.
#include <QDockWidget>
#include <optional>

#include "core/chart/chart.h"

namespace hj::gui {

class AnalysisPanel;
class JudgementPanel;

class AnalysisDock : public QDockWidget {
    Q_OBJECT
public:
    explicit AnalysisDock(QWidget* parent = nullptr);

    AnalysisPanel* panel() const { return panel_; }  // null until the dock first showed
    JudgementPanel* judgementPanel() const { return judgement_; }
    void showChart(const Chart& chart);
    void clearChart();

signals:
    void panelMade(hj::gui::AnalysisPanel* panel);

private:
    AnalysisPanel* panel_ = nullptr;
    JudgementPanel* judgement_ = nullptr;  // the 判断 page beside it
    std::optional<Chart> pending_;  // the chart to show once the panel is made
};

}  // namespace hj::gui
