// The calendar's almanac: the day details with 宜 and 忌 and the twelve hours, moving through
// the days, the grid's marks, going to a lunar date, and the Traditional display of the box.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "gui/CalendarAlmanac.h"
#include "gui/TFrmWnl.h"
#include "gui/TraditionalDisplay.h"

using hj::DateTime;
using hj::gui::TFrmWnl;

class TestCalendarAlmanac : public QObject {
    Q_OBJECT
private slots:
    void dayBoxShowsTheAlmanac();
    void gridMarks();
    void goToALunarDate_data();
    void goToALunarDate();
    void exportWithSeasons();
};

namespace {

DateTime dt(int y, int m, int d) {
    return {static_cast<std::int16_t>(y), static_cast<std::int16_t>(m), static_cast<std::int16_t>(d), 12, 0};
}

const hj::gui::DayMark* markOf(const TFrmWnl& w, int day) {
    for (const hj::gui::DayMark& m : w.ImgMonth->marks())
        if (m.day == day) return &m;
    return nullptr;
}

}  // namespace

void TestCalendarAlmanac::dayBoxShowsTheAlmanac() {
    TFrmWnl w;
    w.showCalendar(dt(2024, 2, 10));
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    hj::MonthPageBuilder builder;
    hj::gui::DayAlmanacBox box(&w, builder, 2024, 2, 10);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    hjtest::screenshot(&box, QStringLiteral("DayAlmanacBox"));
    QVERIFY2(box.LblDay->text().contains(QStringLiteral("农历正月初一")), qPrintable(box.LblDay->text()));
    QVERIFY2(box.LblItems->text().contains(QStringLiteral("建除：满")), qPrintable(box.LblItems->text()));
    QVERIFY(box.LblItems->text().contains(QStringLiteral("冲狗(戊戌) 煞南")));
    QVERIFY(box.LblYi->text().startsWith(QStringLiteral("宜：")));
    QVERIFY(box.LblYi->styleSheet().contains(QStringLiteral("0, 128, 0")));
    QVERIFY(box.LblJi->styleSheet().contains(QStringLiteral("200, 0, 0")));
    QCOMPARE(box.GridHours->rowCount(), 12);
    QCOMPARE(box.GridHours->item(0, 1)->text(), QStringLiteral("甲子"));
    QCOMPARE(box.GridHours->item(0, 3)->text(), QStringLiteral("凶"));
    QCOMPARE(box.GridHours->item(4, 2)->text(), QStringLiteral("青龙"));
    QVERIFY2(box.LblSeason->text().contains(QStringLiteral("六九第6天")), qPrintable(box.LblSeason->text()));
    QVERIFY(box.LblSeason->text().contains(QStringLiteral("月相：朔 6时59分")));
    // Across the month's end and back.
    box.resize(box.width(), box.height());
    for (int i = 0; i < 20; ++i) box.BtnNextDay->click();
    QVERIFY2(box.LblDay->text().startsWith(QStringLiteral("公历2024年3月1日")), qPrintable(box.LblDay->text()));
    box.BtnPrevDay->click();
    QVERIFY(box.LblDay->text().startsWith(QStringLiteral("公历2024年2月29日")));
    // 妇女节 with the day's festivals.
    for (int i = 0; i < 8; ++i) box.BtnNextDay->click();
    QVERIFY2(box.LblDay->text().contains(QStringLiteral("节日：妇女节")), qPrintable(box.LblDay->text()));
    hj::gui::setTraditionalShown(true);
    QApplication::processEvents();
    hjtest::screenshot(&box, QStringLiteral("DayAlmanacBoxTraditional"));
    hj::gui::setTraditionalShown(false);
    // A year without the almanac still shows the day's facts.
    QString error;
    QVERIFY(box.showDay(-4713, 1, 1, error) || !error.isEmpty());
    QVERIFY(box.showDay(9999, 12, 31, error));
    QVERIFY(!box.LblYi->isVisibleTo(&box));
    QVERIFY(box.LblDay->text().contains(QStringLiteral("公历9999年12月31日")));
}

void TestCalendarAlmanac::gridMarks() {
    TFrmWnl w;
    w.showCalendar(dt(2024, 2, 10));
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    hjtest::screenshot(&w, QStringLiteral("TFrmWnlMarks"));
    QCOMPARE(static_cast<int>(w.ImgMonth->marks().size()), 29);
    QVERIFY(markOf(w, 10) && markOf(w, 10)->huangdao);         // 金匮
    QVERIFY(markOf(w, 10)->tip.contains(QStringLiteral("六九第6天")));
    QCOMPARE(markOf(w, 5)->span, QStringLiteral("六九"));      // 冬至 2023-12-22 + 45 days
    QCOMPARE(markOf(w, 14)->span, QStringLiteral("七九"));
    QVERIFY(markOf(w, 6)->span.isEmpty());
    // Six 黄道 days in every twelve.
    int yellow = 0;
    for (int d = 1; d <= 24; ++d) yellow += markOf(w, d)->huangdao;
    QCOMPARE(yellow, 12);
    // The page itself is as before: its cells are those of a page built without the window.
    hj::MonthPageBuilder builder;
    builder.setOptions({true, false, w.page().cells.front().today ? w.page().moment : DateTime{0, 0, 0, 0, 0}});
    hj::MonthPage page;
    QVERIFY(builder.build(2024, 2, 10, 12, 0, page));
    QCOMPARE(page.cells.size(), w.page().cells.size());
    for (std::size_t i = 0; i < page.cells.size(); ++i) {
        QCOMPARE(QString::fromStdString(w.page().cells[i].upper), QString::fromStdString(page.cells[i].upper));
        QCOMPARE(QString::fromStdString(w.page().cells[i].lower), QString::fromStdString(page.cells[i].lower));
    }
}

void TestCalendarAlmanac::goToALunarDate_data() {
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<bool>("leap");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("expected");  // the selection after, or "" when refused
    QTest::newRow("mid-autumn") << "2024" << 8 << false << 15 << "2024-9月17日";
    QTest::newRow("leap month") << "2023" << 2 << true << 1 << "2023-3月22日";
    QTest::newRow("no leap that year") << "2024" << 2 << true << 1 << "";
    QTest::newRow("no 30th") << "2024" << 1 << false << 30 << "";
}

void TestCalendarAlmanac::goToALunarDate() {
    QFETCH(QString, year);
    QFETCH(int, month);
    QFETCH(bool, leap);
    QFETCH(int, day);
    QFETCH(QString, expected);
    TFrmWnl w;
    w.showCalendar(dt(2024, 2, 24));
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    hjtest::Modals modals;
    modals.expect([&](QWidget* dlg) {
        QCOMPARE(dlg->objectName(), QStringLiteral("DlgNongli"));
        hjtest::screenshot(dlg, QStringLiteral("DlgNongli"));
        // It offers the lunar date of the selected day, 2024-02-24: 正月十五.
        QCOMPARE(dlg->findChild<QComboBox*>(QStringLiteral("cboNongliMonth"))->currentIndex(), 0);
        QCOMPARE(dlg->findChild<QComboBox*>(QStringLiteral("cboNongliDay"))->currentIndex(), 14);
        dlg->findChild<QLineEdit*>(QStringLiteral("EdtNongliYear"))->setText(year);
        dlg->findChild<QComboBox*>(QStringLiteral("cboNongliMonth"))->setCurrentIndex(month - 1);
        dlg->findChild<QCheckBox*>(QStringLiteral("ChkNongliLeap"))->setChecked(leap);
        dlg->findChild<QComboBox*>(QStringLiteral("cboNongliDay"))->setCurrentIndex(day - 1);
        auto* buttons = dlg->findChild<QDialogButtonBox*>();
        QMetaObject::invokeMethod(buttons->button(QDialogButtonBox::Ok), &QAbstractButton::click, Qt::QueuedConnection);
    });
    QString refusal;
    if (expected.isEmpty()) {
        // The refusal says why; the dialog stays open for another date and is then cancelled.
        modals.expect([&refusal](QWidget* shown) {
            auto* box = qobject_cast<QMessageBox*>(shown);
            QVERIFY(box);
            refusal = box->text();
            QPointer<QWidget> dlg = box->parentWidget();
            QMetaObject::invokeMethod(box->button(QMessageBox::Ok), &QAbstractButton::click, Qt::QueuedConnection);
            QTimer::singleShot(100, [dlg] {
                if (dlg) QMetaObject::invokeMethod(dlg, "reject", Qt::QueuedConnection);
            });
        });
    }
    QMetaObject::invokeMethod(w.ActNongli, &QAction::trigger, Qt::QueuedConnection);
    QTRY_VERIFY(modals.idle());
    QTRY_VERIFY(!QApplication::activeModalWidget());
    const QString now = w.EdtYear->text() + QLatin1Char('-') + w.cbom->currentText() + w.cbod->currentText();
    QCOMPARE(now, expected.isEmpty() ? QStringLiteral("2024-2月24日") : expected);
    QCOMPARE(refusal.isEmpty(), !expected.isEmpty());
    QVERIFY(modals.unexpected.isEmpty());
}

void TestCalendarAlmanac::exportWithSeasons() {
    // Off by default: the file holds no almanac events; on, the nine starts and three 伏 of 2023.
    QTemporaryDir dir;
    TFrmWnl w;
    w.showCalendar(dt(2023, 7, 1));
    QVERIFY(!w.ActIcalSeasons->isChecked());
    hjtest::Modals modals;
    const QString plain = dir.filePath(QStringLiteral("a.ics")), seasons = dir.filePath(QStringLiteral("b.ics"));
    modals.expectBox();
    QVERIFY(w.exportCalendar(plain, 2023, 2023));
    w.ActIcalSeasons->setChecked(true);
    modals.expectBox();
    QVERIFY(w.exportCalendar(seasons, 2023, 2023));
    QTRY_VERIFY(modals.idle());
    const QByteArray a = hjtest::readBytes(plain), b = hjtest::readBytes(seasons);
    QCOMPARE(a.count("CATEGORIES:黄历"), 0);
    QCOMPARE(b.count(QByteArray("CATEGORIES:") + QStringLiteral("黄历").toUtf8()), 12);
    QCOMPARE(b.count("BEGIN:VEVENT"), a.count("BEGIN:VEVENT") + 12);
    QVERIFY(b.contains(QByteArray("DTSTART;VALUE=DATE:20230711\r\nDTEND;VALUE=DATE:20230712\r\nSUMMARY:") +
                       QStringLiteral("初伏").toUtf8()));
    QVERIFY(modals.unexpected.isEmpty());
}

HJ_GUI_TEST(TestCalendarAlmanac)
#include "gui_CalendarAlmanac.moc"
