#include "gui/AnalysisDock.h"

#include <QTabWidget>

#include "gui/AnalysisPanel.h"
#include "gui/JudgementPanel.h"

namespace hj::gui {

AnalysisDock::AnalysisDock(QWidget* parent) : QDockWidget(QStringLiteral("八字分析"), parent) {
    setObjectName(QStringLiteral("DockAnalysis"));
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (!shown || panel_) return;
        auto* pages = new QTabWidget(this);
        pages->setObjectName(QStringLiteral("DockPages"));
        panel_ = new AnalysisPanel(pages);
        judgement_ = new JudgementPanel(pages);
        pages->addTab(panel_, QStringLiteral("关系(&G)"));
        pages->addTab(judgement_, QStringLiteral("判断(&J)"));
        setWidget(pages);
        connect(panel_, &AnalysisPanel::choiceChanged, judgement_, &JudgementPanel::setChoice);
        if (pending_) {
            judgement_->showChart(*pending_);  // first: the panel's choice then follows
            panel_->showChart(*pending_);
        }
        pending_.reset();
        emit panelMade(panel_);
    });
}

void AnalysisDock::showChart(const Chart& chart) {
    if (panel_) {
        judgement_->showChart(chart);
        panel_->showChart(chart);
    } else {
        pending_ = chart;
    }
}

void AnalysisDock::clearChart() {
    if (panel_) {
        panel_->clearChart();
        judgement_->clearChart();
    }
    pending_.reset();
}

}  // namespace hj::gui
