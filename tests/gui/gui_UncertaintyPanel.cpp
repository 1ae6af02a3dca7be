// Above the report: a birth near a boundary shows it with a button that casts the other side;
// 时辰不详 lists the twelve hours, and a row casts that hour's chart.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "gui/CaseSession.h"
#include "core/chart/derived.h"
#include "gui/TFrmMain.h"

using hj::gui::TFrmMain;
using hjtest::child;

class TestUncertaintyPanel : public QObject {
    Q_OBJECT
private slots:
    void init() {
        root = std::make_unique<hjtest::DataRoot>();
        win = std::make_unique<TFrmMain>(root->path());
        win->show();
        QTest::qWait(10);
    }
    void cleanup() {
        win->caseSession()->dropOpenCase();  // no closing question here
        win->close();
        win.reset();
        root.reset();
    }
    void boundaryNoteCastsTheOtherSide();
    void unknownHourTableCastsARow();
    void notesInTheTypedClock();
    void hourAJieDividesIsTwoRows();

private:
    void cast(int year, int month, int day, int hour, int minute) {
        hjtest::retype(child<QLineEdit>(win.get(), "EdtYear"), QString::number(year));
        child<QComboBox>(win.get(), "cbom")->setCurrentIndex(month - 1);
        child<QComboBox>(win.get(), "cbod")->setCurrentIndex(day - 1);
        child<QComboBox>(win.get(), "cbos")->setCurrentIndex(hour);
        child<QComboBox>(win.get(), "cbomin")->setCurrentIndex(minute);
        hjtest::Modals modals;
        QTest::mouseClick(child<QPushButton>(win.get(), "BtnPai"), Qt::LeftButton);
        QVERIFY(modals.unexpected.isEmpty());
    }
    std::unique_ptr<hjtest::DataRoot> root;
    std::unique_ptr<TFrmMain> win;
};

void TestUncertaintyPanel::boundaryNoteCastsTheOtherSide() {
    TFrmMain* w = win.get();
    cast(2024, 5, 10, 10, 0);  // nothing near: no note, only the conventions
    QVERIFY(w->chartValid());
    QVERIFY(child<QLabel>(w, "LblBianJie")->isHidden());
    QVERIFY(child<QLabel>(w, "LblYueDing")->text().contains(QStringLiteral("子时")));

    cast(2024, 2, 4, 16, 22);  // 立春 at 16:27
    auto* note = child<QLabel>(w, "LblBianJie");
    QVERIFY(note->isVisible());
    hjtest::screenshot(w, QStringLiteral("TFrmMain-boundary"));
    const std::string before = hj::pillarName(w->chart().pillars[0]);
    QCOMPARE(before, std::string("癸卯"));
    QTest::mouseClick(child<QPushButton>(w, "BtnBianJie0"), Qt::LeftButton);
    QVERIFY(w->chartValid());
    QCOMPARE(child<QComboBox>(w, "cbos")->currentIndex(), 16);
    QCOMPARE(child<QComboBox>(w, "cbomin")->currentIndex(), 27);
    QCOMPARE(hj::pillarName(w->chart().pillars[0]), std::string("甲辰"));
    QCOMPARE(hj::pillarName(w->chart().pillars[1]), std::string("丙寅"));
}

void TestUncertaintyPanel::unknownHourTableCastsARow() {
    TFrmMain* w = win.get();
    auto* unknown = child<QCheckBox>(w, "ChkBuXiang");
    unknown->setChecked(true);
    QVERIFY(!child<QComboBox>(w, "cbos")->isEnabled());
    cast(1990, 5, 17, 8, 30);
    QVERIFY(!w->chartValid());  // no hour, no chart to save
    auto* grid = child<QTableWidget>(w, "GrdShiChen");
    QVERIFY(grid->isVisible());
    QCOMPARE(grid->rowCount(), 12);
    QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("子"));
    QCOMPARE(grid->item(11, 0)->text(), QStringLiteral("亥"));
    hjtest::screenshot(w, QStringLiteral("TFrmMain-unknown-hour"));
    // Enter on the 辰 row casts the chart at 08:00, the middle of 辰.
    grid->setFocus();
    grid->setCurrentCell(4, 0);
    const QString hourPillar = grid->item(4, 1)->text();
    QTest::keyClick(grid, Qt::Key_Return);
    QVERIFY(w->chartValid());
    QVERIFY(!unknown->isChecked());
    // 1990-05-17 lies in summer time: the clock read 09:00 at 08:00 Beijing standard time.
    QCOMPARE(child<QComboBox>(w, "cbos")->currentIndex(), 9);
    QCOMPARE(QString::fromStdString(hj::pillarName(w->chart().pillars[3])), hourPillar);
}

void TestUncertaintyPanel::notesInTheTypedClock() {
    TFrmMain* w = win.get();
    child<QComboBox>(w, "cbodiZ")->setCurrentIndex(1);  // 北京市: summer time in 1988
    cast(1988, 7, 1, 9, 30);
    QStringList texts;
    for (QLabel* l : w->findChild<QWidget*>(QStringLiteral("PnlBianJie"))->findChildren<QLabel*>()) texts << l->text();
    hjtest::screenshot(w, QStringLiteral("TFrmMain-boundary-summer"));
    // 09:30 on the clock is 08:30 Beijing time: 巳 begins at 10:00 on the clock, 30 minutes on.
    QVERIFY2(texts.contains(QStringLiteral("时辰：钟表时间1988-07-01 10:00起换柱，出生后30分钟；另一侧四柱：戊辰 戊午 丁巳 乙巳")),
             qPrintable(texts.join(QLatin1Char('|'))));
    // The other side: the boundary is the birth's own minute, never "0分钟".
    QTest::mouseClick(child<QPushButton>(w, "BtnBianJie0"), Qt::LeftButton);
    texts.clear();
    for (QLabel* l : w->findChild<QWidget*>(QStringLiteral("PnlBianJie"))->findChildren<QLabel*>()) texts << l->text();
    QVERIFY2(texts.join(QLatin1Char('|')).contains(QStringLiteral("钟表时间1988-07-01 10:00起换柱，与出生同一分钟")),
             qPrintable(texts.join(QLatin1Char('|'))));
    QVERIFY(!texts.join(QLatin1Char('|')).contains(QStringLiteral("前0分钟")));
}

void TestUncertaintyPanel::hourAJieDividesIsTwoRows() {
    TFrmMain* w = win.get();
    child<QComboBox>(w, "cbodiZ")->setCurrentIndex(1);
    child<QCheckBox>(w, "ChkBuXiang")->setChecked(true);
    cast(2024, 2, 4, 12, 0);  // 立春 at 16:27, inside 申
    auto* grid = child<QTableWidget>(w, "GrdShiChen");
    hjtest::screenshot(w, QStringLiteral("TFrmMain-unknown-hour-split"));
    QCOMPARE(grid->rowCount(), 13);
    QCOMPARE(grid->item(8, 0)->text(), QStringLiteral("申（16:27前）"));
    QCOMPARE(grid->item(9, 0)->text(), QStringLiteral("申（16:27起）"));
    QVERIFY(grid->item(8, 5)->text().startsWith(QStringLiteral("癸卯 乙丑")));
    QVERIFY(grid->item(9, 5)->text().startsWith(QStringLiteral("甲辰 丙寅")));
    QCOMPARE(grid->item(10, 0)->text(), QStringLiteral("酉"));
    // The later row casts the later side.
    grid->setFocus();
    grid->setCurrentCell(9, 0);
    QTest::keyClick(grid, Qt::Key_Return);
    QVERIFY(w->chartValid());
    QCOMPARE(hj::pillarName(w->chart().pillars[0]), std::string("甲辰"));
    QCOMPARE(child<QComboBox>(w, "cbos")->currentIndex(), 16);
}

HJ_GUI_TEST(TestUncertaintyPanel)
#include "gui_UncertaintyPanel.moc"
