#include "gui/ChartCardView.h"

#include <QDate>
#include <QMouseEvent>
#include <QPainter>

#include "gui/TraditionalDisplay.h"
#include "paint/paint_drawing.h"

namespace hj::gui {

ChartCardView::ChartCardView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ChartCard"));
    setAccessibleName(QStringLiteral("命盘"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void ChartCardView::showChart(const Chart& chart) {
    chart_ = chart;
    choice_.luck = 0;
    choice_.year = astronomicalYear(QDate::currentDate().year());
    choice_.markYear = true;
    stale_ = true;
    updateGeometry();
    update();
}

void ChartCardView::clearChart() {
    chart_.reset();
    stale_ = true;
    update();
}

void ChartCardView::setLayoutOptions(const card::CardLayoutOptions& options) {
    options_ = options;
    stale_ = true;
    updateGeometry();
    update();
}

void ChartCardView::setChoice(int luck, int year, bool markYear) {
    if (luck == choice_.luck && year == choice_.year && markYear == choice_.markYear) return;
    choice_.luck = luck;
    choice_.year = year;
    choice_.markYear = markYear;
    stale_ = true;
    update();
}

void ChartCardView::rebuild() const {
    card::CardChoice c = choice_;
    c.traditional = traditionalShown();
    if (!stale_ && c.traditional == card_.traditional) return;
    stale_ = false;
    if (!chart_) {
        card_ = card::ChartCard{};
        drawing_ = card::Drawing{};
        return;
    }
    card_ = card::buildChartCard(*chart_, c);
    drawing_ = card::layoutChartCard(card_, options_);
}

const card::ChartCard& ChartCardView::card() const {
    rebuild();
    return card_;
}

const card::Drawing& ChartCardView::drawing() const {
    rebuild();
    return drawing_;
}

QTransform ChartCardView::drawingTransform() const {
    const card::Drawing& d = drawing();
    if (d.width <= 0 || d.height <= 0) return {};
    const double s = std::min(width() / d.width, height() / d.height);
    QTransform t;
    t.translate((width() - d.width * s) / 2, 0);
    t.scale(s, s);
    return t;
}

QSize ChartCardView::sizeHint() const {
    const card::Drawing& d = drawing();
    return d.width > 0 ? QSize(qRound(d.width), qRound(d.height)) : QSize(qRound(card::kCardWidth), 600);
}

int ChartCardView::heightForWidth(int w) const {
    const card::Drawing& d = drawing();
    return d.width > 0 ? qRound(w * d.height / d.width) : w;
}

void ChartCardView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!chart_) {
        p.setPen(palette().color(QPalette::PlaceholderText));
        p.drawText(rect(), Qt::AlignCenter, shownText(QStringLiteral("（尚无命盘）")));
        return;
    }
    p.setTransform(drawingTransform());
    paint::paintDrawing(p, drawing());
}

void ChartCardView::mousePressEvent(QMouseEvent* e) {
    if (!chart_ || e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    bool ok = false;
    const QPointF at = drawingTransform().inverted(&ok).map(e->position());
    if (!ok) return;
    for (const card::HitBox& h : drawing().hits) {
        if (!h.rect.contains(at.x(), at.y())) continue;
        if (h.kind == card::HitBox::Luck) {
            setChoice(h.value, choice_.year);
            emit luckClicked(h.value);
        } else {
            // The years stay those of the luck pillar shown.
            setChoice(card_.chosenLuck + 1, h.value);
            emit yearClicked(h.value);
        }
        return;
    }
}

}  // namespace hj::gui
