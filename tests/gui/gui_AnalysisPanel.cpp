// The analysis panel: it follows the chart of the main window, the luck list and the year field
// change it at once, and favourable combinations are coloured apart from clashes.
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyleOptionComboBox>
#include <QTreeWidget>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "core/chart/chart.h"
#include "core/card/chart_card.h"
#include "gui/AnalysisPanel.h"
#include "gui/ChartCardView.h"
#include "gui/TFrmMain.h"

using hj::gui::AnalysisPanel;
using hjtest::child;

namespace {

// The rows as "kind chars pillars element".
QStringList rows(AnalysisPanel* p) {
    QStringList out;
    auto* list = child<QTreeWidget>(p, "LstRelations");
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* it = list->topLevelItem(i);
        out << QStringList{it->text(0), it->text(1), it->text(2), it->text(3)}.join(QLatin1Char(' ')).trimmed();
    }
    return out;
}

QColor rowColor(AnalysisPanel* p, const QString& row) {
    auto* list = child<QTreeWidget>(p, "LstRelations");
    const QStringList all = rows(p);
    const int i = static_cast<int>(all.indexOf(row));
    return i < 0 ? QColor() : list->topLevelItem(i)->foreground(0).color();
}

}  // namespace

class TestAnalysisPanel : public QObject {
    Q_OBJECT
private slots:
    void luckAndYearChangeItAtOnce();
    void monthFollowsTheYear();
    void followsTheMainWindow();
    void luckMovesTheYear_data();
    void luckMovesTheYear();
    void luckListFitsTheNarrowDock();
    void yearMovesTheLuck_data();
    void yearMovesTheLuck();
};

void TestAnalysisPanel::luckAndYearChangeItAtOnce() {
    hj::ChartRequest q;  // 2000-01-01 12:00, a man: 己卯 丙子 戊午 戊午, luck from age 9: 乙亥 甲戌 …
    q.yearly = false;
    std::string error;
    const std::optional<hj::Chart> r = hj::castChart(q, hj::ChartSettings{}, error);
    QVERIFY(r);
    AnalysisPanel p;
    p.resize(320, 560);
    p.show();
    p.showChart(*r);
    auto* luck = child<QComboBox>(&p, "CboLuck");
    auto* withYear = child<QCheckBox>(&p, "ChkYear");
    auto* year = child<QSpinBox>(&p, "SpnYear");
    QCOMPARE(luck->count(), 9);
    QCOMPARE(luck->itemText(2), QStringLiteral("2 甲戌 19岁 2018年"));

    luck->setCurrentIndex(0);
    hjtest::tick(withYear);
    QVERIFY(!withYear->isChecked());
    QVERIFY(!year->isEnabled());
    const QStringList natal{QStringLiteral("六冲 子午 月·日"), QStringLiteral("六冲 子午 月·时"), QStringLiteral("相刑 卯子 年·月"),
                            QStringLiteral("自刑 午午 日·时"), QStringLiteral("六破 卯午 年·日"), QStringLiteral("六破 卯午 年·时")};
    QCOMPARE(rows(&p), natal);
    QCOMPARE(child<QLabel>(&p, "LblPillars")->text(), QStringLiteral("四柱：己卯 丙子 戊午 戊午"));
    QCOMPARE(child<QLabel>(&p, "LblElements")->text(),
             QStringLiteral("五行：木1 火3 土3 金0 水1\n缺：金\n藏干：木 乙  火 丁丁  土 己己\n　　　金 无  水 癸\n"
                            "十神：比1 劫3 食0 伤0 才0\n　　　财1 杀0 官1 枭1 印2"));

    // The second luck pillar: its combinations appear at once, in the favourable colour.
    luck->setFocus();
    QTest::keyClick(luck, Qt::Key_Down);
    QTest::keyClick(luck, Qt::Key_Down);
    QCOMPARE(luck->currentIndex(), 2);
    QVERIFY(rows(&p).contains(QStringLiteral("五合 己甲 年·运 土")));
    QCOMPARE(rows(&p).size(), natal.size() + 4);
    QCOMPARE(rowColor(&p, QStringLiteral("五合 己甲 年·运 土")), AnalysisPanel::favourableColor());
    QCOMPARE(rowColor(&p, QStringLiteral("六冲 子午 月·日")), AnalysisPanel::clashColor());
    QVERIFY(AnalysisPanel::favourableColor() != AnalysisPanel::clashColor());

    // A typed year: the luck and year pillars clash with each other.
    hjtest::tick(withYear);
    QVERIFY(year->isEnabled());
    hjtest::retype(year, QStringLiteral("2024"));
    QTest::keyClick(year, Qt::Key_Return);
    QCOMPARE(year->value(), 2024);
    QVERIFY(rows(&p).contains(QStringLiteral("六冲 戌辰 运·岁")));
    QCOMPARE(rowColor(&p, QStringLiteral("六冲 戌辰 运·岁")), AnalysisPanel::clashColor());
    QCOMPARE(child<QLabel>(&p, "LblPillars")->text(), QStringLiteral("四柱：己卯 丙子 戊午 戊午\n大运：甲戌  流年：甲辰"));
    hjtest::screenshot(&p, QStringLiteral("AnalysisPanel-luck-year"));

    // No year 0: stepping down from 1 gives -1 (1 BC), and up again 1.
    year->setValue(1);
    QTest::keyClick(year, Qt::Key_Down);
    QCOMPARE(year->value(), -1);
    QTest::keyClick(year, Qt::Key_Up);
    QCOMPARE(year->value(), 1);

    p.clearChart();
    QVERIFY(rows(&p).isEmpty());
    QVERIFY(!luck->isEnabled() && !withYear->isEnabled() && !year->isEnabled());
}

void TestAnalysisPanel::monthFollowsTheYear() {
    hj::ChartRequest q;  // 己卯 丙子 戊午 戊午: no 丑, so 子丑 comes only with a 丑 month
    q.yearly = false;
    std::string error;
    const std::optional<hj::Chart> r = hj::castChart(q, hj::ChartSettings{}, error);
    QVERIFY(r);
    AnalysisPanel p;
    p.resize(300, 560);
    p.show();
    p.showChart(*r);
    auto* luck = child<QComboBox>(&p, "CboLuck");
    auto* withYear = child<QCheckBox>(&p, "ChkYear");
    auto* year = child<QSpinBox>(&p, "SpnYear");
    auto* month = child<QComboBox>(&p, "CboMonth");
    luck->setCurrentIndex(0);
    QVERIFY(withYear->isChecked() && month->isEnabled());
    QCOMPARE(month->currentIndex(), 0);  // a new chart starts without a month
    year->setValue(2024);
    QCOMPARE(month->count(), 13);
    QCOMPARE(month->itemText(0), QStringLiteral("不看流月"));
    QCOMPARE(month->itemText(1), QStringLiteral("正月 丙寅"));
    QCOMPARE(month->itemText(12), QStringLiteral("十二月 丁丑"));

    // Chosen by keyboard (Alt+M, End), the month's relations appear at once.
    p.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&p));
    QTest::keyClick(&p, Qt::Key_M, Qt::AltModifier);
    QVERIFY(month->hasFocus());
    QTest::keyClick(month, Qt::Key_End);
    QCOMPARE(month->currentIndex(), 12);
    QVERIFY(rows(&p).contains(QStringLiteral("六合 子丑 月·流月 土")));
    QCOMPARE(rowColor(&p, QStringLiteral("六破 辰丑 岁·流月")), AnalysisPanel::clashColor());
    QCOMPARE(child<QLabel>(&p, "LblPillars")->text(), QStringLiteral("四柱：己卯 丙子 戊午 戊午\n流年：甲辰  流月：丁丑"));
    hjtest::screenshot(&p, QStringLiteral("AnalysisPanel-month"));

    // Another year renames the months and keeps the choice: 2025 (乙巳) ends with 己丑.
    year->setValue(2025);
    QCOMPARE(month->itemText(1), QStringLiteral("正月 戊寅"));
    QCOMPARE(month->currentIndex(), 12);
    QVERIFY(child<QLabel>(&p, "LblPillars")->text().endsWith(QStringLiteral("流年：乙巳  流月：己丑")));
    QVERIFY(rows(&p).contains(QStringLiteral("六合 子丑 月·流月 土")));

    // Without the year no month either.
    hjtest::tick(withYear);
    QVERIFY(!month->isEnabled());
    QVERIFY(!rows(&p).join(QLatin1Char('|')).contains(QStringLiteral("流月")));
    QCOMPARE(child<QLabel>(&p, "LblPillars")->text(), QStringLiteral("四柱：己卯 丙子 戊午 戊午"));
    hjtest::tick(withYear);
    QVERIFY(month->isEnabled());
    QVERIFY(rows(&p).contains(QStringLiteral("六合 子丑 月·流月 土")));
    p.clearChart();
    QVERIFY(!month->isEnabled());
}

void TestAnalysisPanel::followsTheMainWindow() {
    hjtest::DataRoot root;
    hj::gui::TFrmMain w(root.path());
    w.resize(1100, 700);
    w.show();
    QTest::qWait(10);
    AnalysisPanel* p = w.analysisPanel();
    QVERIFY(p);
    auto* dock = child<QDockWidget>(&w, "DockAnalysis");
    QCOMPARE(dock->windowTitle(), QStringLiteral("八字分析"));
    QVERIFY(p->isVisible());  // a wide window has room for it at start
    QCOMPARE(child<QLabel>(p, "LblPillars")->text(), QStringLiteral("（尚无命盘）"));

    hjtest::retype(child<QLineEdit>(&w, "Edtname"), QStringLiteral("甲"));
    hjtest::retype(child<QLineEdit>(&w, "EdtYear"), QStringLiteral("2000"));
    child<QComboBox>(&w, "cbom")->setCurrentIndex(0);
    child<QComboBox>(&w, "cbod")->setCurrentIndex(0);
    child<QComboBox>(&w, "cbos")->setCurrentIndex(12);
    child<QComboBox>(&w, "cbomin")->setCurrentIndex(0);
    child<QComboBox>(&w, "cbodiZ")->setCurrentIndex(34);  // 未知地: Beijing time at 120° E
    {
        // Gone before the next one answers: two would race for each box.
        hjtest::Modals modals;
        QTest::mouseClick(child<QPushButton>(&w, "BtnPai"), Qt::LeftButton);
        QVERIFY(modals.unexpected.isEmpty());
    }
    QVERIFY(child<QLabel>(p, "LblPillars")->text().startsWith(QStringLiteral("四柱：己卯 丙子 戊午 戊午")));
    QVERIFY(!rows(p).isEmpty());
    hjtest::screenshot(&w, QStringLiteral("TFrmMain-analysis"));
    // 看流年 off: the picture marks no year; on again, the year is marked.
    const auto* card = child<hj::gui::ChartCardView>(&w, "ChartCard");
    auto marked = [card] {
        int n = 0;
        for (const hj::card::YearCell& y : card->card().years) n += y.current;
        return n;
    };
    auto* withYear = child<QCheckBox>(p, "ChkYear");
    child<QSpinBox>(p, "SpnYear")->setValue(2010);
    QCOMPARE(marked(), 1);
    hjtest::tick(withYear);
    QVERIFY(!withYear->isChecked());
    QCOMPARE(marked(), 0);
    hjtest::tick(withYear);
    QCOMPARE(marked(), 1);

    // A date the chart cannot take is refused before anything changes: the panel keeps the chart.
    const QStringList before = rows(p);
    hjtest::retype(child<QLineEdit>(&w, "EdtYear"), QStringLiteral("2000"));
    child<QComboBox>(&w, "cbom")->setCurrentIndex(1);
    child<QComboBox>(&w, "cbod")->setCurrentIndex(30);  // 2-31
    hjtest::Modals refused;
    refused.expectBox();
    QTest::mouseClick(child<QPushButton>(&w, "BtnPai"), Qt::LeftButton);
    QTRY_VERIFY(refused.idle());
    QVERIFY(child<QLabel>(p, "LblPillars")->text().startsWith(QStringLiteral("四柱：己卯 丙子 戊午 戊午")));
    QCOMPARE(rows(p), before);
    // A new case empties it (the unsaved chart is not kept); the refusal's box has closed first.
    QTRY_VERIFY(!QApplication::activeModalWidget());
    refused.expectBox(QMessageBox::No);
    QTest::mouseClick(child<QPushButton>(&w, "BtoNew"), Qt::LeftButton);
    QTRY_VERIFY(refused.idle());
    QCOMPARE(child<QLabel>(p, "LblPillars")->text(), QStringLiteral("（尚无命盘）"));
    QVERIFY(rows(p).isEmpty());

    // The options menu shows and hides the dock; the first run's narrow window starts without it.
    w.findChild<QAction*>(QStringLiteral("mnuO_fenxi"))->trigger();
    QVERIFY(!dock->isVisible());
    w.findChild<QAction*>(QStringLiteral("mnuO_fenxi"))->trigger();
    QVERIFY(dock->isVisible());
    hjtest::DataRoot fresh;
    hj::gui::TFrmMain narrow(fresh.path());
    narrow.show();
    QTest::qWait(10);
    QVERIFY(narrow.width() < 900);
    QVERIFY(!child<QDockWidget>(&narrow, "DockAnalysis")->isVisible());
}

void TestAnalysisPanel::luckMovesTheYear_data() {
    // 2000-01-01 12:00, a man: luck from age 9, 乙亥 2008–2017, 甲戌 2018–2027, 癸酉 2028–2037 …
    QTest::addColumn<int>("yearBefore");
    QTest::addColumn<int>("luck");
    QTest::addColumn<int>("yearAfter");
    QTest::addColumn<QString>("pillars");
    QTest::newRow("first luck pillar") << 2024 << 1 << 2008 << QStringLiteral("大运：乙亥  流年：戊子");
    QTest::newRow("year already inside") << 2024 << 2 << 2024 << QStringLiteral("大运：甲戌  流年：甲辰");
    QTest::newRow("last year inside") << 2027 << 2 << 2027 << QStringLiteral("大运：甲戌  流年：丁未");
    QTest::newRow("a later one") << 2024 << 3 << 2028 << QStringLiteral("大运：癸酉  流年：戊申");
    QTest::newRow("the eighth") << 1990 << 8 << 2078 << QStringLiteral("大运：戊辰  流年：戊戌");
    QTest::newRow("no luck pillar") << 2024 << 0 << 2024 << QStringLiteral("流年：甲辰");
}

void TestAnalysisPanel::luckMovesTheYear() {
    QFETCH(int, yearBefore);
    QFETCH(int, luck);
    QFETCH(int, yearAfter);
    QFETCH(QString, pillars);
    hj::ChartRequest q;
    q.yearly = false;
    std::string error;
    const std::optional<hj::Chart> r = hj::castChart(q, hj::ChartSettings{}, error);
    QVERIFY(r);
    AnalysisPanel p;
    p.show();
    p.showChart(*r);
    auto* list = child<QComboBox>(&p, "CboLuck");
    auto* year = child<QSpinBox>(&p, "SpnYear");
    year->setValue(yearBefore);
    list->setCurrentIndex(luck == 1 ? 2 : 1);  // from another pillar, as a user would come
    year->setValue(yearBefore);
    list->setCurrentIndex(luck);
    QCOMPARE(year->value(), yearAfter);
    QCOMPARE(child<QLabel>(&p, "LblPillars")->text().section(QLatin1Char('\n'), 1), pillars);
    // The months follow the year moved to.
    QCOMPARE(child<QComboBox>(&p, "CboMonth")->itemText(1).left(2), QStringLiteral("正月"));
}

void TestAnalysisPanel::yearMovesTheLuck_data() {
    // 2000-01-01 12:00, a man: luck from age 9, 乙亥 2008–2017, 甲戌 2018–2027, … 戊辰 2078–2087.
    QTest::addColumn<int>("luckBefore");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("luckAfter");
    QTest::newRow("inside stays") << 2 << 2027 << 2;
    QTest::newRow("later pillar") << 2 << 2060 << 6;
    QTest::newRow("earlier pillar") << 6 << 2017 << 1;
    QTest::newRow("before the first") << 2 << 1990 << 0;
    QTest::newRow("after the last") << 2 << 2088 << 0;
    QTest::newRow("last year of the last") << 2 << 2087 << 8;
    QTest::newRow("no luck stays none") << 0 << 2060 << 0;
}

// A year typed outside the chosen luck pillar's ten years takes the luck pillar running in it
// (none before the first or after the last), so the two are never read together apart.
void TestAnalysisPanel::yearMovesTheLuck() {
    QFETCH(int, luckBefore);
    QFETCH(int, year);
    QFETCH(int, luckAfter);
    hj::ChartRequest q;
    q.yearly = false;
    std::string error;
    const std::optional<hj::Chart> r = hj::castChart(q, hj::ChartSettings{}, error);
    QVERIFY(r);
    AnalysisPanel p;
    p.show();
    p.showChart(*r);
    auto* list = child<QComboBox>(&p, "CboLuck");
    auto* spin = child<QSpinBox>(&p, "SpnYear");
    list->setCurrentIndex(luckBefore);
    hjtest::retype(spin, QString::number(year));
    QTest::keyClick(spin, Qt::Key_Return);
    QCOMPARE(spin->value(), year);
    QCOMPARE(list->currentIndex(), luckAfter);
    const QString pillars = child<QLabel>(&p, "LblPillars")->text();
    QCOMPARE(pillars.contains(QStringLiteral("大运：")), luckAfter != 0);
}

void TestAnalysisPanel::luckListFitsTheNarrowDock() {
    hjtest::DataRoot root;
    hj::gui::TFrmMain w(root.path());
    w.resize(1100, 700);
    w.show();
    QTest::qWait(10);
    hj::ChartRequest q;  // born 1 BC: the longest texts, a four-digit year with a minus sign
    q.year = 0;
    q.yearly = false;
    std::string error;
    const std::optional<hj::Chart> r = hj::castChart(q, hj::ChartSettings{}, error);
    QVERIFY2(r, error.c_str());
    w.analysisPanel()->showChart(*r);
    auto* dock = child<QDockWidget>(&w, "DockAnalysis");
    w.resizeDocks({dock}, {1}, Qt::Horizontal);  // as narrow as it goes
    QApplication::processEvents();
    auto* list = child<QComboBox>(w.analysisPanel(), "CboLuck");
    QStyleOptionComboBox opt;
    opt.initFrom(list);
    const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, list);
    for (int i = 0; i < list->count(); ++i)
        QVERIFY2(list->fontMetrics().horizontalAdvance(list->itemText(i)) <= field.width(),
                 qPrintable(QStringLiteral("%1 in %2 px").arg(list->itemText(i)).arg(field.width())));
    hjtest::screenshot(&w, QStringLiteral("AnalysisPanel-narrow-dock"));
}

HJ_GUI_TEST(TestAnalysisPanel)
#include "gui_AnalysisPanel.moc"
