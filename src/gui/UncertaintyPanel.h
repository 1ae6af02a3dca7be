#pragma once
// Above the report: how close the birth lies to a boundary that changes a pillar (with a button
// that casts the chart on the other side), the conventions the chart was cast under, and, when
// the birth hour is unknown, the twelve possible hours of the day. The engine computes all of
// it (core/uncertainty); this widget only shows it.
#include <QWidget>
#include <vector>

#include "core/uncertainty/boundaries.h"

class QLabel;
class QTableWidget;
class QVBoxLayout;

namespace hj::gui {

class UncertaintyPanel : public QWidget {
    Q_OBJECT
public:
    explicit UncertaintyPanel(QWidget* parent = nullptr);

    // After a chart: its boundaries within the [set] window and its conventions.
    void showChart(const Chart& chart);
    // After a chart whose hour is unknown: the table of the twelve hours instead of boundaries.
    void showUnknownHour(const Chart& chart);
    void clear();

    QLabel* LblBianJie;       // the note on the boundaries (empty when none lies in the window)
    QLabel* LblYueDing;       // the conventions of the chart
    QTableWidget* GrdShiChen;  // the twelve hours of an unknown birth hour (an hour a jie divides: two rows)

    const std::vector<PillarBoundary>& boundaries() const { return boundaries_; }
    const std::vector<HourOption>& hours() const { return hours_; }

signals:
    // The user asked for the chart of this request (the other side of a boundary, or a row of
    // the hour table).
    void castRequested(const hj::ChartRequest& request);

private:
    void showConventions(const Chart& chart);
    void castRow(int row);

    QWidget* buttons_;
    QVBoxLayout* buttonLayout_;
    std::vector<PillarBoundary> boundaries_;
    std::vector<HourOption> hours_;
    std::vector<ChartRequest> rowRequests_;  // what each row of the table casts
};

}  // namespace hj::gui
