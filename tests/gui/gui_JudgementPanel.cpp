// The 判断 page of the analysis dock: the working step by step, the luck pillars and years
// tinted by 喜 and 忌, the luck pillar chosen on the analysis page, the seasonal-remedy rule.
#include <QComboBox>
#include <cmath>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "core/card/chart_card.h"
#include "core/chart/chart.h"
#include "core/chart/derived.h"
#include "gui/AnalysisPanel.h"
#include "gui/JudgementPanel.h"
#include "gui/TFrmMain.h"

using hj::gui::JudgementPanel;
using hjtest::child;

namespace {

QTreeWidgetItem* sectionNamed(JudgementPanel* p, const QString& name) {
    auto* list = child<QTreeWidget>(p, "LstSteps");
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(0) == name) return list->topLevelItem(i);
    return nullptr;
}

hj::Chart chart2000() {  // 2000-01-01 12:00, a man: 己卯 丙子 戊午 戊午, luck 乙亥 甲戌 …
    hj::ChartRequest q;
    q.yearly = false;
    std::string error;
    return *hj::castChart(q, hj::ChartSettings{}, error);
}

}  // namespace

class TestJudgementPanel : public QObject {
    Q_OBJECT
private slots:
    void showsTheWorking();
    void followsTheChosenLuckPillar();
    void seasonalRemedyRuleChangesTheMethod();
    void sitsBesideTheAnalysisPage();
};

void TestJudgementPanel::showsTheWorking() {
    JudgementPanel p;
    QCOMPARE(child<QLabel>(&p, "LblSummary")->text(), QStringLiteral("（无命盘）"));
    QVERIFY(!child<QComboBox>(&p, "CboTiaohou")->isEnabled());
    const hj::Chart c = chart2000();
    p.showChart(c);
    QVERIFY(p.current());
    QCOMPARE(child<QLabel>(&p, "LblSummary")->text(), QString::fromStdString(hj::judgement::summaryLine(p.current()->judgement)));
    for (const char* name : {"强弱", "格局", "用神", "调候", "大运", "流年"}) QVERIFY2(sectionNamed(&p, QString::fromUtf8(name)), name);
    // every non-zero factor is a row, and their weights add up to the score shown
    QTreeWidgetItem* strength = sectionNamed(&p, QStringLiteral("强弱"));
    double sum = 0;
    for (int i = 0; i < strength->childCount(); ++i) sum += strength->child(i)->text(1).toDouble();
    QVERIFY(std::abs(sum - p.current()->judgement.strength.score / 100.0) < 0.005);
    QVERIFY(strength->text(1).endsWith(QString::fromStdString(hj::judgement::scoreText(p.current()->judgement.strength.score))));
    // eight luck pillars and ten years, tinted: green when 用/喜 outweigh 忌/仇, red the other way
    QTreeWidgetItem* luck = sectionNamed(&p, QStringLiteral("大运"));
    QCOMPARE(luck->childCount(), 8);
    QCOMPARE(sectionNamed(&p, QStringLiteral("流年"))->childCount(), 10);
    int tinted = 0;
    for (int i = 0; i < luck->childCount(); ++i) {
        const hj::judgement::PillarReading& r = p.current()->luck[static_cast<std::size_t>(i)];
        const auto good = [](hj::judgement::Role x) { return x == hj::judgement::Role::Yong || x == hj::judgement::Role::Xi; };
        const auto bad = [](hj::judgement::Role x) { return x == hj::judgement::Role::Ji || x == hj::judgement::Role::Chou; };
        const int score = good(r.stem) + good(r.branch) - bad(r.stem) - bad(r.branch);
        const QColor colour = luck->child(i)->foreground(1).color();
        if (score > 0) QCOMPARE(colour, JudgementPanel::favourableColor());
        if (score < 0) QCOMPARE(colour, JudgementPanel::adverseColor());
        tinted += score != 0;
        QVERIFY(luck->child(i)->text(0).startsWith(QString::fromStdString(hj::pillarName(c.luck.pillars[static_cast<std::size_t>(i)]))));
    }
    QVERIFY(tinted > 0);
    // the chosen step in full below the list
    child<QTreeWidget>(&p, "LstSteps")->setCurrentItem(sectionNamed(&p, QStringLiteral("格局")));
    QVERIFY(child<QLabel>(&p, "LblDetail")->text().contains(QString::fromStdString(p.current()->judgement.pattern.reason)));
    p.clearChart();
    QVERIFY(!p.current());
    QCOMPARE(child<QTreeWidget>(&p, "LstSteps")->topLevelItemCount(), 0);
}

void TestJudgementPanel::followsTheChosenLuckPillar() {
    JudgementPanel p;
    const hj::Chart c = chart2000();
    p.showChart(c);
    p.setChoice(3, false, 0);
    QCOMPARE(p.current()->chosenLuck, 2);
    QCOMPARE(sectionNamed(&p, QStringLiteral("流年"))->text(1), QString::fromStdString(hj::pillarName(c.luck.pillars[2])));
    QCOMPARE(p.current()->years.front().year, hj::card::luckStartYear(c, 2));
    // no luck pillar chosen: the one running in the year looked at
    p.setChoice(0, true, hj::card::luckStartYear(c, 5) + 4);
    QCOMPARE(p.current()->chosenLuck, 5);
}

void TestJudgementPanel::seasonalRemedyRuleChangesTheMethod() {
    JudgementPanel p;
    p.showChart(chart2000());  // 戊 in 子 month: 扶抑 takes 木, the remedy 丙 (火)
    auto* rule = child<QComboBox>(&p, "CboTiaohou");
    QCOMPARE(rule->currentIndex(), 1);  // the default: only when 扶抑 takes the season's excess
    QCOMPARE(QString::fromStdString(p.current()->judgement.useful.method), QStringLiteral("扶抑"));
    rule->setCurrentIndex(2);  // always in a cold month
    QCOMPARE(QString::fromStdString(p.current()->judgement.useful.method), QStringLiteral("调候"));
    QVERIFY(sectionNamed(&p, QStringLiteral("用神"))->text(1).startsWith(QStringLiteral("火")));
    rule->setCurrentIndex(0);
    QCOMPARE(QString::fromStdString(p.current()->judgement.useful.method), QStringLiteral("扶抑"));
    QVERIFY(sectionNamed(&p, QStringLiteral("用神"))->text(1).contains(QStringLiteral("扶抑")));
}

void TestJudgementPanel::sitsBesideTheAnalysisPage() {
    hjtest::DataRoot root;
    hj::gui::TFrmMain w(root.path());
    w.resize(1100, 700);
    w.show();
    QTest::qWait(10);
    auto* pages = child<QTabWidget>(&w, "DockPages");
    QCOMPARE(pages->count(), 2);
    QCOMPARE(pages->tabText(1), QStringLiteral("判断(&J)"));
    auto* p = child<JudgementPanel>(&w, "JudgementPanel");
    hjtest::retype(child<QLineEdit>(&w, "EdtYear"), QStringLiteral("2000"));
    child<QComboBox>(&w, "cbom")->setCurrentIndex(0);
    child<QComboBox>(&w, "cbod")->setCurrentIndex(0);
    child<QComboBox>(&w, "cbos")->setCurrentIndex(12);
    child<QComboBox>(&w, "cbomin")->setCurrentIndex(0);
    child<QComboBox>(&w, "cbodiZ")->setCurrentIndex(34);
    {
        hjtest::Modals modals;
        QTest::mouseClick(child<QPushButton>(&w, "BtnPai"), Qt::LeftButton);
        QVERIFY(modals.unexpected.isEmpty());
    }
    QVERIFY(p->current());
    QCOMPARE(p->current()->judgement.natal[2], 55);  // 戊午
    // choosing a luck pillar on the analysis page reads its years here
    w.analysisPanel()->setLuck(4);
    QCOMPARE(p->current()->chosenLuck, 3);
    pages->setCurrentIndex(1);
    hjtest::screenshot(&w, QStringLiteral("JudgementPanel"));
}

HJ_GUI_TEST(TestJudgementPanel)
#include "gui_JudgementPanel.moc"
