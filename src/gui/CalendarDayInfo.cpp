#include "gui/CalendarDayInfo.h"

#include <QHelpEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QToolTip>

#include "gui/GuiSupport.h"
#include "gui/TFrmWnl.h"
#include "gui/TraditionalDisplay.h"

namespace hj::gui {
namespace {

QString lines(const std::string& text) { return qs(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).trimmed(); }

}  // namespace

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
    MonthPage page;
    if (!builder.build(shownYear, month, day, 12, 0, page)) {
        message(parent, qs(builder.lastError()), qs(builder.errorTitle()), QMessageBox::Critical);
        return;
    }
    const DayCell* cell = page.selectedCell();
    if (!cell) return;
    QStringList text;
    text << QStringLiteral("公历%1年%2月%3日  %4")
                .arg(shownYear)
                .arg(month)
                .arg(day)
                .arg(qs(page.header[static_cast<std::size_t>(cell->column)].text));
    text << QStringLiteral("农历%1").arg(qs(cell->lunar));
    // Year, month and day pillars; the hour is the selected one's and says nothing of the day.
    const QStringList pillars = lines(page.pillarText).split(QLatin1Char('\n'));
    text << QStringLiteral("干支：") + pillars.mid(0, 3).join(QLatin1Char(' '));
    for (const TermEntry& t : page.terms)
        if (t.time.day == day)
            text << QStringLiteral("节气：%1 %2时%3分（北京时间）").arg(qs(kTermNames[t.index])).arg(t.time.hour).arg(t.time.minute);
    if (!cell->festivals.empty()) text << QStringLiteral("节日：") + qs(cell->festivals);
    text << QStringLiteral("纪年：") + qs(page.eraLine);
    QMessageBox box(QMessageBox::Information, QStringLiteral("日期详情"), text.join(QLatin1Char('\n')), QMessageBox::Ok,
                    parent);
    box.setObjectName(QStringLiteral("BoxDay"));
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    fitTitle(box);
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
            QToolTip::showText(help->globalPos(), shownText(dayTip(c)), this, cellRect(c.row, c.column));
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
