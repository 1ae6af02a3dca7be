#pragma once
// The 判断 page of the analysis dock: the chart judged by the classical method with the working
// shown step by step — the strength and its factors, the pattern, the useful elements, the
// seasonal remedy — and the luck pillars and the years of one of them, tinted by 喜 and 忌.
// It follows the luck pillar and year the analysis page chooses.
#include <QWidget>

#include <optional>

#include "core/chart/chart.h"
#include "core/judgement/judgement.h"

class QComboBox;
class QLabel;
class QTreeWidget;

namespace hj::gui {

class JudgementPanel : public QWidget {
    Q_OBJECT
public:
    explicit JudgementPanel(QWidget* parent = nullptr);

    void showChart(const Chart& chart);
    void clearChart();
    const std::optional<judgement::ChartJudgement>& current() const { return current_; }

    // Colours of 用/喜 and 忌/仇 rows.
    static const QColor& favourableColor();
    static const QColor& adverseColor();

public slots:
    // As the analysis page's choiceChanged: luck pillar 0..8 (0: the one running in the year),
    // the year (astronomical).
    void setChoice(int luck, bool withYear, int year);

public:
    QLabel* LblSummary;
    QComboBox* CboTiaohou;  // when the seasonal remedy decides
    QTreeWidget* LstSteps;
    QLabel* LblDetail;  // the chosen step in full: the list's reason column is narrow in the dock

private:
    void refresh();

    std::optional<Chart> chart_;
    std::optional<judgement::ChartJudgement> current_;
    int luck_ = 0;
    int year_ = 0;
};

}  // namespace hj::gui
