// 海外 in the main window: finding a place abroad, the zone shown before 测算, the question of a
// repeated hour, the refusal of a skipped one, and a stored case's zone.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "gui/CaseSession.h"
#include "core/presentation/case_session.h"
#include "core/zones/case_zone.h"
#include "gui/BirthInputs.h"
#include "gui/ReportEdit.h"
#include "gui/TFrmMain.h"
#include "gui/WorldPlaceBox.h"

using hj::gui::TFrmMain;
using hjtest::child;

class TestWorldPlaceBox : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void zoneLabelFollowsTheInputs_data();
    void zoneLabelFollowsTheInputs();
    void abroadChart();
    void repeatedHourAsks_data();
    void repeatedHourAsks();
    void skippedHourIsRefused();
    void refusedInputsKeepTheChart_data();
    void refusedInputsKeepTheChart();
    void storedCaseShowsItsZone();
    void reverseSearchMomentIsBeijingTime();

private:
    TFrmMain* open();
    void setMoment(const QString& year, int month, int day, int hour, int minute);
    void chooseAbroad(const QString& search);
    std::unique_ptr<hjtest::DataRoot> root;
    std::unique_ptr<TFrmMain> win;
};

void TestWorldPlaceBox::init() { root = std::make_unique<hjtest::DataRoot>(); }

void TestWorldPlaceBox::cleanup() {
    if (win) {
        win->caseSession()->dropOpenCase();  // no closing question here
        win->close();
    }
    win.reset();
    root.reset();
}

TFrmMain* TestWorldPlaceBox::open() {
    win = std::make_unique<TFrmMain>(root->path());
    win->show();
    QTest::qWait(10);
    return win.get();
}

void TestWorldPlaceBox::setMoment(const QString& year, int month, int day, int hour, int minute) {
    hjtest::retype(child<QLineEdit>(win.get(), "EdtYear"), year);
    child<QComboBox>(win.get(), "cbom")->setCurrentIndex(month - 1);
    child<QComboBox>(win.get(), "cbod")->setCurrentIndex(day - 1);
    child<QComboBox>(win.get(), "cbos")->setCurrentIndex(hour);
    child<QComboBox>(win.get(), "cbomin")->setCurrentIndex(minute);
}

void TestWorldPlaceBox::chooseAbroad(const QString& search) {
    QTest::mouseClick(child<QToolButton>(win.get(), "BtnHaiWai"), Qt::LeftButton);
    auto* edit = child<QLineEdit>(win.get(), "EdtWorldPlace");
    hjtest::retype(edit, search);
    QTest::keyClick(edit, Qt::Key_Return);  // Enter takes the first place found
}

void TestWorldPlaceBox::zoneLabelFollowsTheInputs_data() {
    QTest::addColumn<QString>("place");  // "" for 北京市, else the search text abroad
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("label");
    QTest::newRow("beijing summer 1988") << "" << "1988" << 7 << QStringLiteral("夏令时：将减1小时");
    QTest::newRow("beijing 1995") << "" << "1995" << 7 << QString();
    QTest::newRow("new york january") << QStringLiteral("纽约") << "2000" << 1 << QStringLiteral("America/New_York UTC-5");
    QTest::newRow("new york july") << QStringLiteral("New York") << "2000" << 7
                                   << QStringLiteral("America/New_York UTC-5 夏令时+1小时");
    QTest::newRow("sydney january") << QStringLiteral("悉尼") << "2000" << 1
                                    << QStringLiteral("Australia/Sydney UTC+10 夏令时+1小时");
}

void TestWorldPlaceBox::zoneLabelFollowsTheInputs() {
    QFETCH(QString, place);
    QFETCH(QString, year);
    QFETCH(int, month);
    QFETCH(QString, label);
    TFrmMain* w = open();
    child<QComboBox>(w, "cbodiZ")->setCurrentIndex(1);
    if (!place.isEmpty()) chooseAbroad(place);
    setMoment(year, month, 1, 9, 30);
    QCOMPARE(child<QLabel>(w, "LblZone")->text(), label);
    QCOMPARE(child<QComboBox>(w, "cbodiZ")->isEnabled(), place.isEmpty());
}

void TestWorldPlaceBox::abroadChart() {
    TFrmMain* w = open();
    chooseAbroad(QStringLiteral("纽约"));
    QCOMPARE(child<QLineEdit>(w, "EdtWorldPlace")->text(), QStringLiteral("纽约 · 美国 · New York"));
    setMoment(QStringLiteral("2000"), 7, 15, 10, 0);
    hjtest::screenshot(w, QStringLiteral("WorldPlaceBox-abroad"));
    hjtest::Modals modals;
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    QVERIFY2(modals.unexpected.isEmpty(), qPrintable(modals.unexpected.join(QLatin1Char('|'))));
    QVERIFY(w->chartValid());
    QCOMPARE(w->lastRequest().zone, std::string("America/New_York"));
    QCOMPARE(w->lastRequest().place, std::string("美国-纽约"));
    const QString text = child<hj::gui::ReportEdit>(w, "Redtbazi")->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("出生公历：2000年7月15日10时0分(钟表时间，北美东部时间，西五区，夏令时，已减1小时)。\n"
                                          "出生公历：2000年7月15日22时0分(北京时间)。")),
             qPrintable(text.left(200)));
    // Back home: 海外 off gives a Chinese place again.
    QTest::mouseClick(child<QToolButton>(w, "BtnHaiWai"), Qt::LeftButton);
    const std::optional<hj::ChartRequest> req = w->birthInputs()->request();
    QVERIFY(req);
    QVERIFY(req->zone.empty());
}

void TestWorldPlaceBox::repeatedHourAsks_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("fold");  // 0: cancelled, no chart
    QTest::addColumn<QString>("beijing");
    QTest::newRow("first") << "BtnFold1" << 1 << QStringLiteral("13时30分(北京时间)");
    QTest::newRow("second") << "BtnFold2" << 2 << QStringLiteral("14时30分(北京时间)");
    QTest::newRow("cancel") << "" << 0 << QString();
}

void TestWorldPlaceBox::repeatedHourAsks() {
    QFETCH(QString, button);
    QFETCH(int, fold);
    QFETCH(QString, beijing);
    TFrmMain* w = open();
    chooseAbroad(QStringLiteral("New York"));
    setMoment(QStringLiteral("2021"), 11, 7, 1, 30);
    QCOMPARE(child<QLabel>(w, "LblZone")->text(), QStringLiteral("America/New_York UTC-5 夏令时+1小时 钟点重复"));
    hjtest::Modals modals;
    QString asked;
    modals.expect([&](QWidget* box) {
        asked = qobject_cast<QMessageBox*>(box)->text();
        if (button.isEmpty()) QMetaObject::invokeMethod(box, "reject", Qt::QueuedConnection);
        else QMetaObject::invokeMethod(child<QPushButton>(box, qPrintable(button)), &QAbstractButton::click, Qt::QueuedConnection);
    });
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    QVERIFY(modals.idle());
    QVERIFY(modals.unexpected.isEmpty());
    QVERIFY2(asked.startsWith(QStringLiteral("1时30分这个钟点在当地出现了两次")), qPrintable(asked));
    QCOMPARE(w->chartValid(), fold != 0);
    if (!fold) return;
    QCOMPARE(w->lastRequest().fold, fold);
    const QString text = child<hj::gui::ReportEdit>(w, "Redtbazi")->toPlainText();
    QVERIFY2(text.contains(beijing), qPrintable(text.left(300)));
    QVERIFY(text.contains(fold == 2 ? QStringLiteral("重复的钟点取第二次") : QStringLiteral("重复的钟点取第一次")));
}

void TestWorldPlaceBox::skippedHourIsRefused() {
    TFrmMain* w = open();
    child<QComboBox>(w, "cbodiZ")->setCurrentIndex(1);
    setMoment(QStringLiteral("1988"), 4, 17, 2, 30);
    QCOMPARE(child<QLabel>(w, "LblZone")->text(), QStringLiteral("该钟点不存在（时钟拨快）"));
    hjtest::Modals modals;
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    QVERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(0).title, QStringLiteral("错误"));
    QVERIFY2(modals.boxes.at(0).text.contains(QStringLiteral("Asia/Shanghai在当地1988年4月17日2时0分把时钟拨快了1小时（夏令时开始）")),
             qPrintable(modals.boxes.at(0).text));
    QVERIFY(!w->chartValid());
}

void TestWorldPlaceBox::refusedInputsKeepTheChart_data() {
    QTest::addColumn<QString>("abroad");  // search text of the place abroad; "" for 北京市
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("hour");
    QTest::addColumn<QString>("why");
    QTest::newRow("new york spring forward") << QStringLiteral("纽约") << "2021" << 3 << 14 << 2 << QStringLiteral("拨快");
    QTest::newRow("beijing summer time") << QString() << "1988" << 4 << 17 << 2 << QStringLiteral("拨快");
    QTest::newRow("no such day") << QString() << "2023" << 2 << 30 << 10 << QString();
}

void TestWorldPlaceBox::refusedInputsKeepTheChart() {
    QFETCH(QString, abroad);
    QFETCH(QString, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, hour);
    QFETCH(QString, why);
    TFrmMain* w = open();
    child<QComboBox>(w, "cbodiZ")->setCurrentIndex(1);
    setMoment(QStringLiteral("2000"), 1, 1, 12, 0);
    hjtest::Modals modals;
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    QVERIFY(w->chartValid());
    auto* pane = child<hj::gui::ReportEdit>(w, "Redtbazi");
    const QString before = pane->toPlainText();
    const auto pillars = w->currentPillars();
    QVERIFY(before.contains(QStringLiteral("2000年1月1日")));

    if (!abroad.isEmpty()) chooseAbroad(abroad);
    setMoment(year, month, day, hour, 30);
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    QVERIFY(modals.idle());
    QVERIFY2(modals.unexpected.isEmpty(), qPrintable(modals.unexpected.join(QLatin1Char('|'))));
    QCOMPARE(modals.boxes.at(0).title, QStringLiteral("错误"));
    QVERIFY2(modals.boxes.at(0).text.contains(why), qPrintable(modals.boxes.at(0).text));
    // Nothing of the chart shown was cleared by the refusal.
    QCOMPARE(pane->toPlainText(), before);
    QVERIFY(pane->isVisible());
    QVERIFY(w->chartValid());
    QCOMPARE(w->currentPillars(), pillars);
}

void TestWorldPlaceBox::storedCaseShowsItsZone() {
    TFrmMain* w = open();
    hj::casestore::CaseRecord r;
    r.place = "澳大利亚-悉尼";
    r.longitude = 151.2f;
    r.latitude = -33.9f;
    QVERIFY(hj::zones::storeZone(r, "Australia/Sydney", 2));
    auto* box = child<hj::gui::WorldPlaceBox>(w, "WorldPlaceBox");
    box->showPlace(hj::presentation::requestFromRecord(r));
    QVERIFY(child<QToolButton>(w, "BtnHaiWai")->isChecked());
    QCOMPARE(child<QLineEdit>(w, "EdtWorldPlace")->text(), QStringLiteral("悉尼 · 澳大利亚 · Sydney"));
    std::optional<hj::ChartRequest> req = w->birthInputs()->request();
    QVERIFY(req);
    QCOMPARE(req->zone, std::string("Australia/Sydney"));
    QCOMPARE(req->fold, 2);
    // A case without a zone turns 海外 off again.
    box->showPlace(hj::presentation::requestFromRecord(hj::casestore::CaseRecord{}));
    QVERIFY(!child<QToolButton>(w, "BtnHaiWai")->isChecked());
    req = w->birthInputs()->request();
    QVERIFY(req);
    QVERIFY(req->zone.empty());
}

// The reverse search finds Beijing standard times: the chart is cast at home, on the clock.
void TestWorldPlaceBox::reverseSearchMomentIsBeijingTime() {
    TFrmMain* w = open();
    child<QComboBox>(w, "cbodiZ")->setCurrentIndex(1);
    chooseAbroad(QStringLiteral("纽约"));
    hj::DateTime summer{1988, 7, 1, 8, 0}, winter{1988, 12, 1, 8, 0};
    w->birthInputs()->takeBeijingTime(summer);
    w->birthInputs()->takeBeijingTime(winter);
    QVERIFY(!child<QToolButton>(w, "BtnHaiWai")->isChecked());
    QCOMPARE(int(summer.hour), 9);
    QCOMPARE(int(winter.hour), 8);
}

HJ_GUI_TEST(TestWorldPlaceBox)
#include "gui_WorldPlaceBox.moc"
