#pragma once
// The chart as a picture (命盘) on screen: paints the card the engine lays out, scaled to fit
// the widget, and lets the user pick a luck pillar or a year by clicking it. It knows nothing
// of the main window: it is handed a chart and a choice and says what was clicked, so two small
// ones can stand side by side elsewhere.
#include <QWidget>
#include <optional>

#include "core/card/card_layout.h"
#include "core/card/chart_card.h"
#include "core/chart/chart.h"

namespace hj::gui {

class ChartCardView : public QWidget {
    Q_OBJECT
public:
    explicit ChartCardView(QWidget* parent = nullptr);

    // The chart to show (kept as a copy); the luck pillar running this year is chosen.
    void showChart(const Chart& chart);
    void clearChart();
    bool hasChart() const { return chart_.has_value(); }
    const Chart* chart() const { return chart_ ? &*chart_ : nullptr; }
    void setLayoutOptions(const card::CardLayoutOptions& options);

    int year() const { return choice_.year; }  // the year looked at (astronomical)
    // The card and its drawing as laid out now (empty without a chart), in the display's script.
    const card::ChartCard& card() const;
    const card::Drawing& drawing() const;
    // Where the logical drawing lies in the widget.
    QTransform drawingTransform() const;

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

public slots:
    // Luck pillar 1..8 whose years are shown (0: the one running in `year`) and the year looked
    // at (astronomical). Nothing is signalled.
    // `markYear` false: no year is marked (the dock's 看流年 off); `year` still picks the luck
    // pillar when `luck` is 0.
    void setChoice(int luck, int year, bool markYear = true);

signals:
    // The user clicked a luck pillar (1..8) or a year (astronomical); the card shows it already.
    void luckClicked(int luck);
    void yearClicked(int year);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void rebuild() const;

    std::optional<Chart> chart_;
    card::CardChoice choice_;
    card::CardLayoutOptions options_;
    // Laid out when first needed after a change, and again when the display's script changes.
    mutable card::ChartCard card_;
    mutable card::Drawing drawing_;
    mutable bool stale_ = true;
};

}  // namespace hj::gui
