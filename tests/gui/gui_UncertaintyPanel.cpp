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
        win->close();
        win.reset();
        root.reset();
    }
    void boundaryNoteCastsTheOtherSide();
    void unknownHourTableCastsARow();

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

HJ_GUI_TEST(TestUncertaintyPanel)
#include "gui_UncertaintyPanel.moc"
