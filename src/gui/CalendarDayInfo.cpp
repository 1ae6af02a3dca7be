#include "gui/CalendarDayInfo.h"

#include <QHelpEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QToolTip>

#include "gui/CalendarAlmanac.h"
#include "gui/GuiSupport.h"
#include "gui/TFrmWnl.h"
#include "gui/TraditionalDisplay.h"

namespace hj::gui {
QString dayTip(const DayCell& cell) {
    QString tip = QStringLiteral("农历") + qs(cell.lunar);
    if (!cell.festivals.empty()) tip += QStringLiteral("  ") + qs(cell.festivals);
    if (cell.hasTerm) tip += QStringLiteral("  ") + qs(cell.upper.substr(cell.upper.find(' ') + 1));
    return tip + QStringLiteral("\n双击看当日详情");
}

QString calendarKeysText() {
    return QStringLiteral("方向键：前后一日、一周　PageUp/PageDown：上下一月（加Ctrl：一年）　Home：今天　"
                          "回车：按所选时刻排本命盘（先问）　双击：当日详情");
}

void showDayDetails(QWidget* parent, MonthPageBuilder& builder, int shownYear, int month, int day) {
    DayAlmanacBox box(parent, builder, shownYear, month, day);
    QString error;
    if (!box.showDay(shownYear, month, day, error)) {
        message(parent, error, qs(builder.errorTitle()), QMessageBox::Critical);
        return;
    }
    box.exec();
}

// ---- the grid's double click and tool tips ----

void MonthGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const QPoint cell = cellAt(e->position().toPoint());
    if (cell.x() < 7 && cell.y() < 7) emit cellDoubleClicked(cell.y(), cell.x());
}

bool MonthGrid::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip && page_) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QPoint cell = cellAt(help->pos());
        for (const DayCell& c : page_->cells) {
            if (c.row != cell.y() || c.column != cell.x()) continue;
            QString tip = dayTip(c);
            for (const DayMark& m : marks_)
                if (m.day == c.day) tip.replace(QStringLiteral("\n双击"), QStringLiteral("\n") + m.tip + QStringLiteral("\n双击"));
            QToolTip::showText(help->globalPos(), shownText(tip), this, cellRect(c.row, c.column));
            return true;
        }
        QToolTip::showText(help->globalPos(), shownText(calendarKeysText()), this);
        return true;
    }
    return QWidget::event(e);
}

bool confirmChart(QWidget* parent, const DateTime& moment) {
    return message(parent,
                   QStringLiteral("按所选时刻（%1年%2月%3日%4时%5分）排本命盘吗？")
                       .arg(displayYear(moment.year))
                       .arg(moment.month)
                       .arg(moment.day)
                       .arg(moment.hour)
                       .arg(moment.minute),
                   QStringLiteral("本命盘"), QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace hj::gui
