// The 命盘 tab: it follows the chart of the main window, a click on a luck pillar or a year
// chooses it here and in the analysis dock (and the dock's choice shows here), and the picture
// leaves the screen as PNG, SVG, on the clipboard and on paper.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "gui/AnalysisPanel.h"
#include "gui/ChartCardCommands.h"
#include "gui/ChartCardView.h"
#include "gui/TFrmMain.h"
#include "gui/TraditionalDisplay.h"

using hj::gui::ChartCardView;
using hjtest::child;

namespace {

// Clicks the centre of the clickable place of `kind` standing for `value`, as drawn now.
bool clickHit(ChartCardView* v, hj::card::HitBox::Kind kind, int value) {
    for (const hj::card::HitBox& h : v->drawing().hits) {
        if (h.kind != kind || h.value != value) continue;
        const QPointF centre = v->drawingTransform().map(QPointF(h.rect.x + h.rect.w / 2, h.rect.y + h.rect.h / 2));
        QTest::mouseClick(v, Qt::LeftButton, {}, centre.toPoint());
        return true;
    }
    return false;
}

// 2000-01-01 12:00, a man, Beijing time: 己卯 丙子 戊午 戊午, luck from 9 岁 in 2008:
// 乙亥 甲戌 癸酉 壬申 辛未 庚午 己巳 戊辰.
void castTheChart(hj::gui::TFrmMain& w) {
    hjtest::retype(child<QLineEdit>(&w, "Edtname"), QStringLiteral("甲"));
    hjtest::retype(child<QLineEdit>(&w, "EdtYear"), QStringLiteral("2000"));
    child<QComboBox>(&w, "cbom")->setCurrentIndex(0);
    child<QComboBox>(&w, "cbod")->setCurrentIndex(0);
    child<QComboBox>(&w, "cbos")->setCurrentIndex(12);
    child<QComboBox>(&w, "cbomin")->setCurrentIndex(0);
    child<QComboBox>(&w, "cbodiZ")->setCurrentIndex(34);  // 未知地: Beijing time at 120° E
    hjtest::Modals modals;
    QTest::mouseClick(child<QPushButton>(&w, "BtnPai"), Qt::LeftButton);
    QVERIFY(modals.unexpected.isEmpty());
}

}  // namespace

class TestChartCardView : public QObject {
    Q_OBJECT
private slots:
    void clicksAndTheDockStayInStep();
    void pictureLeavesTheScreen();
};

void TestChartCardView::clicksAndTheDockStayInStep() {
    hjtest::DataRoot root;
    hj::gui::TFrmMain w(root.path());
    w.resize(1200, 900);
    w.show();
    auto* view = child<ChartCardView>(&w, "ChartCard");
    QVERIFY(!view->hasChart());
    castTheChart(w);
    child<QTabWidget>(&w, "TabChart")->setCurrentIndex(1);
    QVERIFY(view->isVisible() && view->hasChart());
    QCOMPARE(view->card().pillars[2].stemGod, std::string("元男"));
    hj::gui::AnalysisPanel* dock = w.analysisPanel();
    auto* luck = child<QComboBox>(dock, "CboLuck");
    auto* withYear = child<QCheckBox>(dock, "ChkYear");
    auto* year = child<QSpinBox>(dock, "SpnYear");
    auto* head = child<QLabel>(dock, "LblPillars");

    // The fourth luck pillar (壬申, 2038): its years here, and in the dock.
    QVERIFY(clickHit(view, hj::card::HitBox::Luck, 4));
    QCOMPARE(view->card().chosenLuck, 3);
    QCOMPARE(view->card().years[0].year, 2038);
    QCOMPARE(luck->currentIndex(), 4);
    QVERIFY2(head->text().contains(QStringLiteral("大运：壬申")), qPrintable(head->text()));
    hjtest::screenshot(&w, QStringLiteral("ChartCard-luck"));

    // A year of it (2040 庚申): chosen here and looked at in the dock.
    hjtest::tick(withYear);  // the dock's year off first: the click turns it on
    QVERIFY(!withYear->isChecked());
    QVERIFY(clickHit(view, hj::card::HitBox::Year, 2040));
    QVERIFY(view->card().years[2].current);
    QCOMPARE(view->card().chosenLuck, 3);
    QVERIFY(withYear->isChecked());
    QCOMPARE(year->value(), 2040);
    QVERIFY2(head->text().contains(QStringLiteral("流年：庚申")), qPrintable(head->text()));

    // The dock's own choice shows on the card: the sixth pillar (庚午, 2058).
    luck->setCurrentIndex(6);
    QCOMPARE(view->card().chosenLuck, 5);
    QCOMPARE(view->card().years[0].year, 2058);
    // Choosing a luck pillar moves the year looked at into its ten years: 2058, under the sixth.
    QCOMPARE(year->value(), 2058);
    QCOMPARE(view->card().luck[5].current, true);
    QCOMPARE(view->card().luck[3].current, false);
    year->setValue(2060);
    QVERIFY(view->card().years[2].current);
    // 不看大运: the card shows the pillar running in the year looked at.
    luck->setCurrentIndex(0);
    QCOMPARE(view->card().chosenLuck, 5);
    year->setValue(2031);
    QCOMPARE(view->card().chosenLuck, 2);

    // A click beside every pillar and year changes nothing.
    QTest::mouseClick(view, Qt::LeftButton, {}, view->drawingTransform().map(QPointF(4, 4)).toPoint());
    QCOMPARE(luck->currentIndex(), 0);
    QCOMPARE(year->value(), 2031);

    // Traditional display: the card follows it.
    hj::gui::setTraditionalShown(true);
    QCOMPARE(view->card().pillars[0].nayin, std::string("城牆土"));
    hj::gui::setTraditionalShown(false);
    QCOMPARE(view->card().pillars[0].nayin, std::string("城墙土"));
}

void TestChartCardView::pictureLeavesTheScreen() {
    hjtest::DataRoot root;
    hj::gui::TFrmMain w(root.path());
    w.resize(1000, 800);
    w.show();
    auto* commands = w.findChild<hj::gui::ChartCardCommands*>();
    QVERIFY(commands);
    // Without a chart there is nothing to copy: said so.
    {
        hjtest::Modals modals;
        modals.expectBox();
        commands->copyAction()->trigger();
        QTRY_VERIFY(modals.idle());
        QVERIFY(modals.boxes.at(0).text.contains(QStringLiteral("请先排盘")));
    }
    castTheChart(w);
    auto* view = child<ChartCardView>(&w, "ChartCard");
    const double logicalHeight = view->drawing().height;

    QString error;
    const QString png = root.path() + QStringLiteral("/甲命盘.png");
    QVERIFY2(commands->saveTo(png, error), qPrintable(error));
    const QImage image(png);
    QCOMPARE(image.width(), 1080);
    QCOMPARE(image.height(), qRound(2 * logicalHeight));

    const QString svg = root.path() + QStringLiteral("/甲命盘.svg");
    QVERIFY2(commands->saveTo(svg, error), qPrintable(error));
    const QByteArray svgBytes = hjtest::readBytes(svg);
    QVERIFY(svgBytes.startsWith("<?xml") && svgBytes.contains("</svg>") && svgBytes.contains(">城墙土<"));

    // A folder that is not there: refused, with the reason, and no file.
    const QString nowhere = root.path() + QStringLiteral("/无此目录/a.png");
    QVERIFY(!commands->saveTo(nowhere, error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(nowhere));

    commands->copyAction()->trigger();
    QCOMPARE(QGuiApplication::clipboard()->image().width(), 1080);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = root.path() + QStringLiteral("/命盘.pdf");
    printer.setOutputFileName(pdf);
    QVERIFY(commands->printOn(printer));
    const QByteArray pdfBytes = hjtest::readBytes(pdf);
    QVERIFY(pdfBytes.startsWith("%PDF"));
    QCOMPARE(pdfBytes.count("/Type /Page\n") + pdfBytes.count("/Type /Page\r") + pdfBytes.count("/Type /Page "), 1);
    if (const QByteArray dir = qgetenv("HJ_SCREENSHOT_DIR"); !dir.isEmpty()) QFile::copy(pdf, QString::fromLocal8Bit(dir) + QStringLiteral("/ChartCard.pdf"));
}

HJ_GUI_TEST(TestChartCardView)
#include "gui_ChartCardView.moc"
