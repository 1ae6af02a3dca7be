// The reverse search dialog: the lists from the chart's pillars, finds and failures in the memo,
// refusals with focus, the start-year up-down, and 测算 charting the date in the main window.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "gui/CalendarLinks.h"
#include "gui/GuiSupport.h"
#include "gui/TFrmFanTui.h"
#include "gui/TFrmMain.h"

using hj::gui::TFrmFanTui;
using hjtest::child;

class TestTFrmFanTui : public QObject {
    Q_OBJECT
private slots:
    void prepareFillsTheLists();
    void findsAppendAndFailureReplaces();
    void refusalsFocusTheControl_data();
    void refusalsFocusTheControl();
    void startYearUpDown_data();
    void startYearUpDown();
    void chartOnlyWhatTheMemoShows();
    void chartButtonCastsInTheMainWindow();
};

namespace {

void setPillar(TFrmFanTui& d, int i, const QString& stem, const QString& branch) {
    d.cbotian[static_cast<std::size_t>(i)]->setCurrentText(stem);
    d.cbodi[static_cast<std::size_t>(i)]->setCurrentText(branch);
}

}  // namespace

void TestTFrmFanTui::prepareFillsTheLists() {
    TFrmFanTui d;
    d.prepareSearch({1, 3, 6, 1}, false);  // 甲子 丙寅 己巳 甲子
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    hjtest::screenshot(&d, QStringLiteral("TFrmFanTui"));
    QCOMPARE(d.windowTitle(), QStringLiteral("从八字反求出生日期"));
    const char* stems[4] = {"甲", "丙", "己", "甲"};
    const char* branches[4] = {"子", "寅", "巳", "子"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(child<QComboBox>(&d, qPrintable(QStringLiteral("cbotian%1").arg(i)))->currentText(), QString::fromUtf8(stems[i]));
        QCOMPARE(child<QComboBox>(&d, qPrintable(QStringLiteral("cbodi%1").arg(i)))->currentText(), QString::fromUtf8(branches[i]));
    }
    QCOMPARE(child<QComboBox>(&d, "cbotian0")->count(), 10);
    QCOMPARE(child<QComboBox>(&d, "cbodi0")->count(), 12);
    QCOMPARE(child<QLineEdit>(&d, "Edtyear")->text(), QStringLiteral("1950"));
    QVERIFY(child<QRadioButton>(&d, "Rdonv1")->isChecked());
    QVERIFY(!child<QPushButton>(&d, "Btnpai")->isEnabled());
    QVERIFY(child<QPushButton>(&d, "Btncha")->isDefault());

    // No chart yet: every pillar index is 0, 癸亥.
    d.prepareSearch({0, 0, 0, 0}, true);
    QCOMPARE(d.cbotian[3]->currentText(), QStringLiteral("癸"));
    QCOMPARE(d.cbodi[3]->currentText(), QStringLiteral("亥"));
    QVERIFY(d.Rdona1->isChecked());
}

void TestTFrmFanTui::findsAppendAndFailureReplaces() {
    TFrmFanTui d;
    d.prepareSearch({1, 3, 6, 1}, true);
    d.show();
    hjtest::Modals modals;
    d.Btncha->click();
    QCOMPARE(d.Memo1->toPlainText(), QStringLiteral("符合命例\n1984年2月5日0时\n\n"));
    QVERIFY(d.Btnpai->isEnabled());
    QCOMPARE(d.Upyear->position(), 1950);
    d.Btncha->click();
    QCOMPARE(d.Memo1->toPlainText(), QStringLiteral("符合命例\n1984年2月5日0时\n\n符合命例\n1984年2月5日0时\n\n"));
    QCOMPARE(d.Memo1->textCursor().position(), d.Memo1->toPlainText().size());

    setPillar(d, 2, QStringLiteral("甲"), QStringLiteral("子"));  // no 甲子 day in those months
    d.Btncha->click();
    QCOMPARE(d.Memo1->toPlainText(), QStringLiteral("没有符合的八字，改变起始年反推，或许可以找到。\n\n"));
    QVERIFY(!d.Btnpai->isEnabled());

    setPillar(d, 2, QStringLiteral("己"), QStringLiteral("巳"));
    d.Btncha->click();
    d.Rdonv1->setChecked(true);
    d.Btnpai->click();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QVERIFY(d.foundMoment() == (hj::DateTime{1984, 2, 5, 0, 0}));
    QVERIFY(!d.male());
    QVERIFY(modals.unexpected.isEmpty());
}

void TestTFrmFanTui::refusalsFocusTheControl_data() {
    QTest::addColumn<int>("pillar");
    QTest::addColumn<QString>("stem");
    QTest::addColumn<QString>("branch");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("focus");
    const QString yearText = QStringLiteral(
        "起始年必须在-850到2100年之间，并且没有公元0年\r\n注意：公元前用负数，比如公元前120年，就输入-120");
    QTest::newRow("year parity") << 0 << "乙" << "子" << "1950" << "无效的八字" << "不存在这个年柱！" << "cbotian0";
    QTest::newRow("month stem") << 1 << "戊" << "寅" << "1950" << "无效的八字" << "不存在这个月柱！" << "cbotian1";
    QTest::newRow("day parity") << 2 << "甲" << "丑" << "1950" << "无效的八字" << "不存在这个日柱！" << "cbotian2";
    QTest::newRow("hour stem") << 3 << "丙" << "子" << "1950" << "无效的八字" << "不存在这个时柱！" << "cbotian3";
    QTest::newRow("year 0") << 0 << "甲" << "子" << "0" << "年份错误" << yearText << "Edtyear";
    QTest::newRow("year -851") << 0 << "甲" << "子" << "-851" << "年份错误" << yearText << "Edtyear";
    QTest::newRow("year text") << 0 << "甲" << "子" << "19a" << "年份错误" << yearText << "Edtyear";
}

void TestTFrmFanTui::refusalsFocusTheControl() {
    QFETCH(int, pillar);
    QFETCH(QString, stem);
    QFETCH(QString, branch);
    QFETCH(QString, year);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, focus);
    TFrmFanTui d;
    d.prepareSearch({1, 3, 6, 1}, true);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    d.Memo1->setPlainText(QStringLiteral("earlier"));
    setPillar(d, pillar, stem, branch);
    d.Edtyear->setText(year);
    hjtest::Modals modals;
    modals.expectBox();
    hjtest::clickLater(d.Btncha);
    QTRY_VERIFY(modals.idle());
    QTRY_COMPARE(modals.boxes.size(), std::size_t(1));
    QCOMPARE(modals.boxes[0].title, title);
    QCOMPARE(modals.boxes[0].text, text);
    QTRY_COMPARE(d.focusWidget() ? d.focusWidget()->objectName() : QString(), focus);
    QCOMPARE(d.Memo1->toPlainText(), QStringLiteral("earlier"));
    QVERIFY(!d.Btnpai->isEnabled());
    QVERIFY(d.isVisible());
}

void TestTFrmFanTui::startYearUpDown_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("shown");  // empty: refused with the year message
    QTest::newRow("1 down skips year 0") << "1" << -1 << "-1";
    QTest::newRow("-1 up skips year 0") << "-1" << 1 << "1";
    QTest::newRow("typed year up") << "1990" << 1 << "1991";
    QTest::newRow("range ends at -850") << "-850" << -1 << "-850";
    QTest::newRow("range ends at 2100") << "2100" << 1 << "2100";
    QTest::newRow("text") << "19a" << 1 << "";
    QTest::newRow("year 0") << "0" << -1 << "";
    QTest::newRow("before -850") << "-900" << 1 << "";
}

void TestTFrmFanTui::startYearUpDown() {
    QFETCH(QString, typed);
    QFETCH(int, step);
    QFETCH(QString, shown);
    TFrmFanTui d;
    d.prepareSearch({1, 3, 6, 1}, true);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    hjtest::retype(d.Edtyear, typed);
    hjtest::Modals modals;
    if (shown.isEmpty()) modals.expectBox();
    QTest::mouseClick(child<QWidget>(d.Upyear, step > 0 ? "up" : "down"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    if (shown.isEmpty()) {
        QCOMPARE(d.Edtyear->text(), typed);
        QCOMPARE(modals.boxes.at(0).title, QStringLiteral("年份错误"));
        QVERIFY(modals.boxes.at(0).text.startsWith(QStringLiteral("起始年必须在-850到2100年之间")));
        QCOMPARE(d.focusWidget(), d.Edtyear);
    } else {
        QCOMPARE(d.Edtyear->text(), shown);
    }
    QVERIFY(modals.unexpected.isEmpty());

    // A search sets the up-down to the astronomical start year.
    hjtest::retype(d.Edtyear, QStringLiteral("-120"));
    d.Btncha->click();
    QCOMPARE(d.Upyear->position(), -119);
    QVERIFY(d.Memo1->toPlainText().startsWith(QStringLiteral("符合命例\n")));
}

void TestTFrmFanTui::chartOnlyWhatTheMemoShows() {
    // Any change after a find disables 测算: it would chart a date found for other inputs.
    const std::vector<std::function<void(TFrmFanTui&)>> changes = {
        [](TFrmFanTui& d) { d.cbodi[3]->setCurrentIndex(2); },
        [](TFrmFanTui& d) { d.cbotian[2]->setCurrentIndex(3); },
        [](TFrmFanTui& d) { hjtest::retype(d.Edtyear, QStringLiteral("2000")); },
        [](TFrmFanTui& d) { QTest::mouseClick(child<QWidget>(d.Upyear, "up"), Qt::LeftButton); },
    };
    for (const auto& change : changes) {
        TFrmFanTui d;
        d.prepareSearch({1, 3, 6, 1}, true);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.Btncha->click();
        QVERIFY(d.Btnpai->isEnabled());
        QVERIFY(d.Memo1->isReadOnly());  // typing would merge with the next result
        QVERIFY(!d.Memo1->property("stale").toBool());
        const QColor fresh = d.Memo1->palette().color(QPalette::Text);
        change(d);
        QVERIFY(!d.Btnpai->isEnabled());
        // The old result stays, greyed and said to be stale.
        QVERIFY(d.Memo1->property("stale").toBool());
        QVERIFY(d.Memo1->palette().color(QPalette::Text) != fresh);
        QVERIFY(!d.Memo1->toolTip().isEmpty());
        hjtest::screenshot(&d, QStringLiteral("TFrmFanTui-stale"));
        d.cbodi[3]->setCurrentIndex(0);
        d.cbotian[2]->setCurrentIndex(5);
        hjtest::retype(d.Edtyear, QStringLiteral("1950"));
        d.Btncha->click();  // the inputs of the first find again
        QVERIFY(d.Btnpai->isEnabled());
        QVERIFY(!d.Memo1->property("stale").toBool());
        QCOMPARE(d.Memo1->palette().color(QPalette::Text), fresh);
        QVERIFY(d.foundMoment() == (hj::DateTime{1984, 2, 5, 0, 0}));
    }
}

void TestTFrmFanTui::chartButtonCastsInTheMainWindow() {
    hjtest::DataRoot root;
    hj::gui::TFrmMain main(root.path());
    main.show();
    child<QLineEdit>(&main, "Edtname")->setText(QStringLiteral("李四"));
    child<QComboBox>(&main, "CboLi")->setCurrentIndex(1);
    child<QCheckBox>(&main, "Chkrun")->setChecked(true);
    child<QComboBox>(&main, "cbomin")->setCurrentIndex(42);

    hjtest::Modals modals;
    bool sawPillars = false;
    modals.expect([&sawPillars](QWidget* w) {
        auto* d = qobject_cast<TFrmFanTui*>(w);
        QVERIFY(d);
        sawPillars = d->cbotian[0]->currentText() == QStringLiteral("癸");  // no chart yet: 癸亥
        setPillar(*d, 0, QStringLiteral("甲"), QStringLiteral("子"));
        setPillar(*d, 1, QStringLiteral("丙"), QStringLiteral("寅"));
        setPillar(*d, 2, QStringLiteral("己"), QStringLiteral("巳"));
        setPillar(*d, 3, QStringLiteral("甲"), QStringLiteral("子"));
        d->Btncha->click();
        d->Rdonv1->setChecked(true);
        hjtest::clickLater(d->Btnpai);
    });
    QVERIFY(main.calendarLinks()->openReverseSearch(main.currentPillars()));
    QVERIFY(sawPillars);
    QCOMPARE(child<QLineEdit>(&main, "EdtYear")->text(), QStringLiteral("1984"));
    QCOMPARE(child<QComboBox>(&main, "cbom")->currentIndex(), 1);
    QCOMPARE(child<QComboBox>(&main, "cbod")->currentIndex(), 4);
    QCOMPARE(child<QComboBox>(&main, "cbos")->currentIndex(), 0);
    QCOMPARE(child<QComboBox>(&main, "cbomin")->currentIndex(), 0);
    QCOMPARE(child<QComboBox>(&main, "CboLi")->currentIndex(), 0);
    QVERIFY(!child<QCheckBox>(&main, "Chkrun")->isChecked());
    QVERIFY(child<QRadioButton>(&main, "Rdonv")->isChecked());
    QVERIFY(main.chartValid());
    QCOMPARE(main.currentPillars(), (std::array<std::uint8_t, 4>{1, 3, 6, 1}));

    // The next search starts from the pillars of that chart; closing without 测算 changes nothing.
    modals.expect([](QWidget* w) {
        auto* d = qobject_cast<TFrmFanTui*>(w);
        QVERIFY(d);
        QCOMPARE(d->cbotian[2]->currentText(), QStringLiteral("己"));
        QCOMPARE(d->cbodi[2]->currentText(), QStringLiteral("巳"));
        QMetaObject::invokeMethod(d, "reject", Qt::QueuedConnection);
    });
    QVERIFY(!main.calendarLinks()->openReverseSearch(main.currentPillars()));
    QCOMPARE(child<QLineEdit>(&main, "EdtYear")->text(), QStringLiteral("1984"));
    QVERIFY(modals.unexpected.isEmpty());
    main.close();
}

HJ_GUI_TEST(TestTFrmFanTui)
#include "gui_TFrmFanTui.moc"
