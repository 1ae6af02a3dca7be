#include "gui/AnalysisDock.h"

#include "gui/AnalysisPanel.h"

namespace hj::gui {

AnalysisDock::AnalysisDock(QWidget* parent) : QDockWidget(QStringLiteral("八字分析"), parent) {
    setObjectName(QStringLiteral("DockAnalysis"));
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (!shown || panel_) return;
        panel_ = new AnalysisPanel(this);
        setWidget(panel_);
        if (pending_) panel_->showChart(*pending_);
        pending_.reset();
        emit panelMade(panel_);
    });
}

void AnalysisDock::showChart(const Chart& chart) {
    if (panel_) panel_->showChart(chart);
    else pending_ = chart;
}

void AnalysisDock::clearChart() {
    if (panel_) panel_->clearChart();
    pending_.reset();
}

}  // namespace hj::gui
