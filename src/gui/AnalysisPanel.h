#pragma once
// The analysis panel beside the report: relations between the pillars (also with a chosen luck
// pillar, year and month of that year) and the five-element spread of the current chart. It keeps its own copy of
// the pillars, so a later chart or a stored case opened from the tree never leaves it behind;
// the main window hands it each chart it shows.
#include <QWidget>

#include "core/analysis/chart_analysis.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QTreeWidget;

namespace hj {
struct Chart;
}

namespace hj::gui {

class AnalysisPanel : public QWidget {
    Q_OBJECT
public:
    explicit AnalysisPanel(QWidget* parent = nullptr);
    QSize sizeHint() const override;

    // The chart just computed or opened: natal relations and elements, the luck pillar running
    // in the current year and that year.
    void showChart(const Chart& chart);
    // No chart (a chart failed): the panel empties and its choices are disabled.
    void clearChart();
    const analysis::ChartAnalysis& current() const { return current_; }

    // Colours of the relation rows.
    static const QColor& favourableColor();
    static const QColor& clashColor();

public slots:
    // Another view chose a luck pillar (1..8, 0 none) or a year (astronomical, 流年 turned on).
    void setLuck(int luck);
    void setYear(int year);

signals:
    // After every change of the choices: luck pillar 0..8, the year (astronomical) and whether
    // it is looked at.
    void choiceChanged(int luck, bool withYear, int year);

public:
    QLabel* LblPillars;
    QComboBox* CboLuck;     // 不看大运, then the eight luck pillars
    QCheckBox* ChkYear;     // 流年 on or off
    QSpinBox* SpnYear;      // the year as shown (no year 0)
    QComboBox* CboMonth;    // 不看流月, then the twelve solar months of that year with their pillars
    QLabel* LblElements;
    QTreeWidget* LstRelations;

private:
    void refresh();
    void luckChosen(int index);
    void yearEdited(int shown);
    void fillMonths();

    bool valid_ = false;
    analysis::ChartPillars pillars_;
    std::array<int, 8> luckYears_{};  // shown year in which each luck pillar begins
    analysis::ChartAnalysis current_;
    int lastShownYear_ = 0;
};

}  // namespace hj::gui
