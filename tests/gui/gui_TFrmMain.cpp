// The main window: start-up keys, the inputs and their checks, a chart in the pane, the
// parameter clipboard, the pane's file commands and the options menu.
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "gui/CaseSession.h"
#include "core/chart/chart.h"
#include "core/report/report.h"
#include "core/report/report_rtf.h"
#include "core/report/report_settings.h"
#include "core/text/ini.h"
#include "gui/BirthInputs.h"
#include "gui/GuiSupport.h"
#include "gui/ReportEdit.h"
#include "gui/TFrmMain.h"
#include "gui/TFrmSet.h"
#include "gui/TFrmWnl.h"
#include "gui/WindowPlacement.h"

using hj::gui::TFrmMain;
using hjtest::child;

class TestTFrmMain : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void firstRunDefaults();
    void storedWindowKeys();
    void offScreenWindowComesBack();
    void closingWritesKeys();
    void closingMaximisedKeepsGeometry();
    void twoWindowsOnOneFolder();
    void yearChecks_data();
    void yearChecks();
    void yearUpDownSkipsYearZero();
    void arrowsStepFromTheTypedYear_data();
    void arrowsStepFromTheTypedYear();
    void emptyNameIsRefused();
    void chartFillsPane();
    void unknownProvince();
    void engineFailureKeepsPlaceholder();
    void promptSaveAsksForSave();
    void copyParameters();
    void pasteParameters_data();
    void pasteParameters();
    void pasteOutOfRangePlace();
    void saveAsTextAndRtf();
    void rtfMatchesTheCommandLine();
    void importReport();
    void paneSettingsMenu();
    void menusAndKeys();
    void chartSettingsFromMenu();
    void printAsksAndPrintsToPdf();
    void paperAndClipboardKeepTheText();

private:
    TFrmMain* open();
    void writeIni(const QString& text) { hjtest::writeGbk(root->dat(QStringLiteral("bzinit.ini")), text); }
    QString iniValue(const char* section, const char* key) {
        hj::text::IniFile f(root->dat(QStringLiteral("bzinit.ini")).toStdString());
        f.reload();
        return QString::fromStdString(f.readString(section, key, "<missing>"));
    }
    void setInputs(const QString& name, const QString& year, int month, int day, int hour, int minute);
    std::unique_ptr<hjtest::DataRoot> root;
    std::unique_ptr<TFrmMain> win;
};

void TestTFrmMain::init() { root = std::make_unique<hjtest::DataRoot>(); }

void TestTFrmMain::cleanup() {
    if (win) {
        win->caseSession()->dropOpenCase();  // no closing question in the tests
        win->close();
    }
    win.reset();
    root.reset();
}

TFrmMain* TestTFrmMain::open() {
    win = std::make_unique<TFrmMain>(root->path());
    win->show();
    QTest::qWait(10);
    return win.get();
}

void TestTFrmMain::setInputs(const QString& name, const QString& year, int month, int day, int hour, int minute) {
    hjtest::retype(child<QLineEdit>(win.get(), "Edtname"), name);
    hjtest::retype(child<QLineEdit>(win.get(), "EdtYear"), year);
    child<QComboBox>(win.get(), "cbom")->setCurrentIndex(month - 1);
    child<QComboBox>(win.get(), "cbod")->setCurrentIndex(day - 1);
    child<QComboBox>(win.get(), "cbos")->setCurrentIndex(hour);
    child<QComboBox>(win.get(), "cbomin")->setCurrentIndex(minute);
}

void TestTFrmMain::firstRunDefaults() {
    TFrmMain* w = open();
    hjtest::screenshot(w, QStringLiteral("TFrmMain-first-run"));
    QCOMPARE(w->windowTitle(), QStringLiteral("衡鉴 2.1"));
    // The first start fits the window to the screen: room for the report, whole and centred.
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    const QMargins f = hj::gui::typicalFrame();
    const QRect outer(w->pos(), w->size() + QSize(f.left() + f.right(), f.top() + f.bottom()));
    QVERIFY(avail.contains(outer));
    QVERIFY2(outer.width() >= std::min(1100, avail.width() * 8 / 10) && outer.height() >= std::min(760, avail.height() * 8 / 10),
             qPrintable(QStringLiteral("%1x%2").arg(outer.width()).arg(outer.height())));
    QVERIFY(qAbs(outer.center().x() - avail.center().x()) <= 1 && qAbs(outer.center().y() - avail.center().y()) <= 1);
    QCOMPARE(child<QTreeWidget>(w, "Tree")->width(), 180);
    auto* pane = child<hj::gui::ReportEdit>(w, "Redtbazi");
    QCOMPARE(pane->paneFont().family(), QStringLiteral("宋体"));
    QCOMPARE(pane->paneFont().pointSize(), 12);
    QCOMPARE(pane->background(), QColor(208, 204, 192));
    QVERIFY(pane->toPlainText().isEmpty());
    QCOMPARE(child<QComboBox>(w, "cbodiZ")->currentText(), QStringLiteral("福建省"));
    QCOMPARE(child<QComboBox>(w, "cbodiC")->currentIndex(), 0);
    QCOMPARE(child<QComboBox>(w, "cbodiC")->currentText(), QStringLiteral("福州市"));
    QCOMPARE(child<QComboBox>(w, "cbodiZ")->count(), 35);
    QCOMPARE(child<QComboBox>(w, "cbos")->itemText(0), QStringLiteral("0时子"));
    QCOMPARE(child<QComboBox>(w, "cbos")->itemText(23), QStringLiteral("23时子"));
    QCOMPARE(child<QComboBox>(w, "cbom")->itemText(11), QStringLiteral("12月"));
    QCOMPARE(child<QComboBox>(w, "cbod")->count(), 31);
    QCOMPARE(child<QComboBox>(w, "cbomin")->itemText(59), QStringLiteral("59分"));
    const QDate today = QDate::currentDate();
    QCOMPARE(child<QLineEdit>(w, "EdtYear")->text(), QString::number(std::min(today.year(), 2100)));
    QCOMPARE(child<QComboBox>(w, "cbom")->currentIndex(), today.month() - 1);
    QCOMPARE(child<QComboBox>(w, "CboLi")->currentText(), QStringLiteral("公历"));
    QVERIFY(!child<QCheckBox>(w, "Chkrun")->isChecked());
    QVERIFY(child<QRadioButton>(w, "Rdona")->isChecked());
    QCOMPARE(child<QLineEdit>(w, "Edtname")->text(), QStringLiteral("某人"));
    QVERIFY(child<QCheckBox>(w, "ChkLiuNian")->isChecked());
    QCOMPARE(child<QToolButton>(w, "SbtoSave")->text(), QStringLiteral("存新"));
    QVERIFY(!w->chartValid());
    QCOMPARE(w->currentPillars(), (std::array<std::uint8_t, 4>{}));
    // The case store exists after start-up.
    QVERIFY(QFile::exists(root->dat(QStringLiteral("bazi0.dat"))));
    // The window can grow and shrink; the inputs wrap instead of being cut.
    w->resize(1000, 600);
    QTest::qWait(10);
    hjtest::screenshot(w, QStringLiteral("TFrmMain-wide"));
    QCOMPARE(child<QTreeWidget>(w, "Tree")->width(), 180);
    QVERIFY(child<QPushButton>(w, "BtnPai")->isVisible());
    const QRect btn = child<QPushButton>(w, "BtnPai")->geometry();
    QVERIFY(child<QWidget>(w, "Panel1")->rect().contains(btn));
}

void TestTFrmMain::storedWindowKeys() {
    writeIni(QStringLiteral("[winpos]\r\nleft=20\r\ntop=30\r\nwidth=700\r\nheight=500\r\ntreewid=5\r\nsheng=1\r\nshi=999\r\n"
                            "[minggao]\r\nfname=WenQuanYi Micro Hei\r\nfsize=15\r\nbcolor=255\r\n"));
    TFrmMain* w = open();
    QCOMPARE(w->size(), QSize(700, 500));
    QCOMPARE(w->pos(), QPoint(20, 30));
    QCOMPARE(child<QTreeWidget>(w, "Tree")->width(), 30);
    QCOMPARE(child<QComboBox>(w, "cbodiZ")->currentText(), QStringLiteral("北京市"));
    QCOMPARE(child<QComboBox>(w, "cbodiC")->currentIndex(), 0);
    auto* pane = child<hj::gui::ReportEdit>(w, "Redtbazi");
    QCOMPARE(pane->paneFont().pointSize(), 15);
    QCOMPARE(pane->background(), QColor(255, 0, 0));
    QCOMPARE(w->birthInputs()->cityLongitudes().size(), std::size_t(child<QComboBox>(w, "cbodiC")->count()));
}

void TestTFrmMain::offScreenWindowComesBack() {
    writeIni(QStringLiteral("[winpos]\r\nleft=-5000\r\ntop=-4000\r\nwidth=600\r\nheight=450\r\n"));
    TFrmMain* w = open();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.intersects(w->frameGeometry()));
    QCOMPARE(w->size(), QSize(600, 450));
}

void TestTFrmMain::closingWritesKeys() {
    writeIni(QStringLiteral("[set]\r\nidate=2\r\n"));
    TFrmMain* w = open();
    w->move(33, 44);
    w->resize(640, 480);
    child<QComboBox>(w, "cbodiZ")->setCurrentIndex(1);
    QTest::qWait(10);
    w->close();
    QCOMPARE(iniValue("winpos", "left"), QStringLiteral("33"));
    QCOMPARE(iniValue("winpos", "top"), QStringLiteral("44"));
    QCOMPARE(iniValue("winpos", "width"), QStringLiteral("640"));
    QCOMPARE(iniValue("winpos", "height"), QStringLiteral("480"));
    QCOMPARE(iniValue("winpos", "state"), QStringLiteral("0"));
    QCOMPARE(iniValue("winpos", "treewid"), QStringLiteral("180"));
    QCOMPARE(iniValue("winpos", "sheng"), QStringLiteral("1"));
    QCOMPARE(iniValue("winpos", "shi"), QStringLiteral("0"));
    QCOMPARE(iniValue("minggao", "fname"), QStringLiteral("宋体"));
    QCOMPARE(iniValue("minggao", "fsize"), QStringLiteral("12"));
    QCOMPARE(iniValue("minggao", "bcolor"), QStringLiteral("12635344"));
    QCOMPARE(iniValue("set", "idate"), QStringLiteral("2"));  // other sections are kept
    // The file is GBK on disk.
    QVERIFY(hjtest::readBytes(root->dat(QStringLiteral("bzinit.ini"))).contains(QByteArray("\xCB\xCE\xCC\xE5")));
}

void TestTFrmMain::closingMaximisedKeepsGeometry() {
    writeIni(QStringLiteral("[winpos]\r\nleft=77\r\ntop=88\r\nwidth=500\r\nheight=420\r\nstate=2\r\n"));
    TFrmMain* w = open();
    QVERIFY(w->isMaximized());
    w->close();
    QCOMPARE(iniValue("winpos", "state"), QStringLiteral("2"));
    QCOMPARE(iniValue("winpos", "left"), QStringLiteral("77"));
    QCOMPARE(iniValue("winpos", "width"), QStringLiteral("500"));
}

// Two copies of the program on one data folder: 排盘设置 saved in one is shown by the other
// and survives its closing, as does a hand edit made meanwhile.
void TestTFrmMain::twoWindowsOnOneFolder() {
    writeIni(QStringLiteral("[set]\r\nleftpos=500\r\npai=1\r\nsave=1\r\n"));
    TFrmMain* first = open();
    auto second = std::make_unique<TFrmMain>(root->path());
    second->show();
    second->move(55, 66);
    QTest::qWait(10);

    hjtest::Modals modals;
    modals.expect([](QWidget* m) {
        hjtest::retype(hjtest::child<QLineEdit>(m, "LedtLeftPos"), QStringLiteral("0"));
        hjtest::child<QRadioButton>(m, "RdoHengPai")->setChecked(true);
        hjtest::child<QCheckBox>(m, "ChkSave")->setChecked(false);
        hjtest::clickLater(hjtest::child<QPushButton>(m, "Btnok"));
    });
    child<QAction>(first, "mnuO_set")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(iniValue("set", "leftpos"), QStringLiteral("0"));

    QString shownLeft;
    bool shownHeng = false, shownSave = true;
    modals.expect([&](QWidget* m) {
        shownLeft = hjtest::child<QLineEdit>(m, "LedtLeftPos")->text();
        shownHeng = hjtest::child<QRadioButton>(m, "RdoHengPai")->isChecked();
        shownSave = hjtest::child<QCheckBox>(m, "ChkSave")->isChecked();
        hjtest::clickLater(hjtest::child<QPushButton>(m, "Btncancel"));
    });
    child<QAction>(second.get(), "mnuO_set")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(shownLeft, QStringLiteral("0"));
    QVERIFY(shownHeng);
    QVERIFY(!shownSave);

    writeIni(hjtest::readGbk(root->dat(QStringLiteral("bzinit.ini"))) + QStringLiteral("[hand]\r\nk=1\r\n"));
    second->close();
    QVERIFY(modals.unexpected.isEmpty());
    QCOMPARE(iniValue("set", "leftpos"), QStringLiteral("0"));
    QCOMPARE(iniValue("set", "pai"), QStringLiteral("0"));
    QCOMPARE(iniValue("set", "save"), QStringLiteral("0"));
    QCOMPARE(iniValue("hand", "k"), QStringLiteral("1"));
    QCOMPARE(iniValue("winpos", "left"), QStringLiteral("55"));  // its own keys it does write
    first->close();
    QCOMPARE(iniValue("set", "leftpos"), QStringLiteral("0"));
    QCOMPARE(iniValue("hand", "k"), QStringLiteral("1"));
}

void TestTFrmMain::yearChecks_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("internal");
    QTest::newRow("0") << "0" << false << 0;
    QTest::newRow("-851") << "-851" << false << 0;
    QTest::newRow("2101") << "2101" << false << 0;
    QTest::newRow("abc") << "abc" << false << 0;
    QTest::newRow("-850") << "-850" << true << -849;
    QTest::newRow("2100") << "2100" << true << 2100;
    QTest::newRow("-1") << "-1" << true << 0;
}

void TestTFrmMain::yearChecks() {
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QFETCH(int, internal);
    TFrmMain* w = open();
    setInputs(QStringLiteral("甲"), typed, 3, 1, 12, 0);
    hjtest::Modals modals;
    if (!accepted) modals.expectBox();
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QVERIFY2(modals.unexpected.isEmpty(), qPrintable(modals.unexpected.join(QLatin1Char('|'))));
    if (accepted) {
        QVERIFY(w->chartValid());
        QCOMPARE(int(w->lastRequest().year), internal);
        QCOMPARE(w->chart().request.year, internal);
        QCOMPARE(child<QLineEdit>(w, "EdtYear")->text(), typed);
    } else {
        QCOMPARE(modals.boxes.at(0).title, QStringLiteral("年份错误"));
        QCOMPARE(modals.boxes.at(0).text,
                 QStringLiteral("甲命年份必须在-850到2100年之间，并且没有公元0年\r\n注意：公元前用负数，比如公元前120年，就输入-120"));
        QCOMPARE(modals.boxes.at(0).icon, QMessageBox::Warning);
        QCOMPARE(w->focusWidget(), child<QLineEdit>(w, "EdtYear"));
        QVERIFY(!w->chartValid());
        QVERIFY(child<hj::gui::ReportEdit>(w, "Redtbazi")->toPlainText().isEmpty());
    }
}

void TestTFrmMain::yearUpDownSkipsYearZero() {
    TFrmMain* w = open();
    auto* year = child<QLineEdit>(w, "EdtYear");
    hjtest::retype(year, QStringLiteral("-1"));
    hjtest::Modals modals;
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    auto* updown = child<QWidget>(w, "UpDyear");
    QTest::mouseClick(child<QToolButton>(updown, "up"), Qt::LeftButton);
    QCOMPARE(year->text(), QStringLiteral("1"));
    QTest::mouseClick(child<QToolButton>(updown, "down"), Qt::LeftButton);
    QCOMPARE(year->text(), QStringLiteral("-1"));
    // The arrow keys in the year edit do the same.
    year->setFocus();
    QTest::keyClick(year, Qt::Key_Down);
    QCOMPARE(year->text(), QStringLiteral("-2"));
    QTest::keyClick(year, Qt::Key_Up);
    QTest::keyClick(year, Qt::Key_Up);
    QCOMPARE(year->text(), QStringLiteral("1"));
    QVERIFY(modals.unexpected.isEmpty());
}

void TestTFrmMain::arrowsStepFromTheTypedYear_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("arrowKey");  // the arrow key in the field instead of the button
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("shown");  // empty: refused with the year message
    QTest::newRow("1990 up") << "1990" << false << 1 << "1991";
    QTest::newRow("1990 key down") << "1990" << true << -1 << "1989";
    QTest::newRow("beyond the chart years") << "5000" << false << -1 << "4999";
    QTest::newRow("text") << "abc" << false << 1 << "";
    QTest::newRow("text, key") << "19o0" << true << 1 << "";
    QTest::newRow("year 0") << "0" << false << -1 << "";
}

void TestTFrmMain::arrowsStepFromTheTypedYear() {
    QFETCH(QString, typed);
    QFETCH(bool, arrowKey);
    QFETCH(int, step);
    QFETCH(QString, shown);
    TFrmMain* w = open();
    auto* year = child<QLineEdit>(w, "EdtYear");
    hjtest::retype(year, typed);
    hjtest::Modals modals;
    if (shown.isEmpty()) modals.expectBox();
    if (arrowKey) QTest::keyClick(year, step > 0 ? Qt::Key_Up : Qt::Key_Down);
    else QTest::mouseClick(child<QToolButton>(child<QWidget>(w, "UpDyear"), step > 0 ? "up" : "down"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    if (shown.isEmpty()) {
        QCOMPARE(year->text(), typed);
        QCOMPARE(modals.boxes.at(0).title, QStringLiteral("年份错误"));
        QVERIFY(modals.boxes.at(0).text.startsWith(QStringLiteral("甲命年份必须在-850到2100年之间")));
        QCOMPARE(w->focusWidget(), year);
    } else {
        QCOMPARE(year->text(), shown);
    }
    QVERIFY(modals.unexpected.isEmpty());
}

void TestTFrmMain::emptyNameIsRefused() {
    TFrmMain* w = open();
    hjtest::retype(child<QLineEdit>(w, "Edtname"), QString());
    hjtest::Modals modals;
    modals.expectBox();
    QTest::keyClick(child<QLineEdit>(w, "Edtname"), Qt::Key_Return);  // Enter starts the chart too
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(0).text, QStringLiteral("甲命姓名不能为空"));
    QCOMPARE(modals.boxes.at(0).title, QStringLiteral("提示"));
    QCOMPARE(modals.boxes.at(0).icon, QMessageBox::Information);
    QCOMPARE(w->focusWidget(), child<QLineEdit>(w, "Edtname"));
    // The name edit takes at most ten GBK bytes.
    hjtest::retype(child<QLineEdit>(w, "Edtname"), QStringLiteral("一二三四五六"));
    QCOMPARE(child<QLineEdit>(w, "Edtname")->text(), QStringLiteral("一二三四五"));
}

void TestTFrmMain::chartFillsPane() {
    writeIni(QStringLiteral("[set]\r\nleftpos=20\r\n"));
    TFrmMain* w = open();
    setInputs(QStringLiteral("张三"), QStringLiteral("1990"), 5, 12, 8, 30);
    child<QComboBox>(w, "cbodiZ")->setCurrentIndex(1);  // 北京市
    hjtest::Modals modals;
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    QVERIFY(modals.unexpected.isEmpty());
    QVERIFY(w->chartValid());
    auto* pane = child<hj::gui::ReportEdit>(w, "Redtbazi");
    hjtest::screenshot(w, QStringLiteral("TFrmMain-chart"));
    if (!qEnvironmentVariableIsEmpty("HJ_SCREENSHOT_DIR")) {
        w->resize(1100, 760);
        hjtest::screenshot(w, QStringLiteral("TFrmMain-chart-wide"));
    }
    const QString text = pane->toPlainText();
    QVERIFY2(text.startsWith(QStringLiteral("命主姓名:张三  出生地:北京市-")), qPrintable(text.left(40)));
    QVERIFY(text.contains(QStringLiteral("乾造  庚午        辛巳        丁丑        甲辰")));
    QCOMPARE(w->lastRequest().place.substr(0, 10), std::string("北京市-"));
    QCOMPARE(w->currentPillars(), w->chart().pillarBytes());
    // The pane holds the engine's report for the request, every "\r\n" one paragraph break.
    std::string why;
    const std::optional<hj::Chart> chart =
        hj::castChart(w->lastRequest(), hj::loadReportSettings(root->path().toStdString()).chart, why);
    QVERIFY(chart);
    QCOMPARE(text, QString::fromStdString(hj::paneText(hj::buildReport(*chart, {}).text)));
    QVERIFY(w->currentPillars() != (std::array<std::uint8_t, 4>{}));
    // The engine's marking is applied: coloured and bold characters, the first-line indent.
    bool red = false, blue = false, bold = false, bigger = false;
    for (QTextBlock b = pane->document()->begin(); b.isValid(); b = b.next()) {
        QCOMPARE(b.blockFormat().textIndent(), 20.0);
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            red |= f.foreground().color() == QColor(255, 0, 0);
            blue |= f.foreground().color() == QColor(0, 0, 255);
            bold |= f.fontWeight() == QFont::Bold;
            bigger |= f.fontPointSize() > 12;
        }
    }
    QVERIFY(red);
    QVERIFY(blue);
    QVERIFY(bold || bigger);
    QCOMPARE(pane->textCursor().position(), 0);
    QVERIFY(child<QPushButton>(w, "BtnPai")->isEnabled());
    // The flag follows the user's edits.
    QVERIFY(!pane->isModified());
    pane->setFocus();
    QTest::keyClicks(pane, QStringLiteral("x"));
    QVERIFY(pane->isModified());
}

void TestTFrmMain::unknownProvince() {
    TFrmMain* w = open();
    child<QComboBox>(w, "cbodiZ")->setCurrentIndex(34);
    QCOMPARE(child<QComboBox>(w, "cbodiC")->count(), 1);
    QCOMPARE(child<QComboBox>(w, "cbodiC")->itemText(0), QStringLiteral("未知地"));
    std::optional<hj::ChartRequest> req = w->birthInputs()->request();
    QVERIFY(req);
    QCOMPARE(req->place, std::string("未知"));
    QCOMPARE(req->longitude, 120.0f);
    QCOMPARE(req->latitude, 30.0f);
    QCOMPARE(int(req->province), 34);
    // A real city brings its coordinates from dili.ini.
    child<QComboBox>(w, "cbodiZ")->setCurrentIndex(1);
    req = w->birthInputs()->request();
    QVERIFY(req);
    QVERIFY(req->longitude > 115 && req->longitude < 118);
    QVERIFY(req->latitude > 39 && req->latitude < 41);
}

void TestTFrmMain::engineFailureKeepsPlaceholder() {
    // Dates and clock times the chart cannot take are refused before the pane changes (see the
    // place tests); what fails later is the report: a footer file that cannot be read.
    writeIni(QStringLiteral("[set]\r\nendinfo=1\r\n"));
    QVERIFY(QDir(root->dat()).mkdir(QStringLiteral("EndInfo.txt")));
    TFrmMain* w = open();
    setInputs(QStringLiteral("乙"), QStringLiteral("2000"), 2, 28, 8, 0);
    hjtest::Modals modals;
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(0).title, QStringLiteral("错误"));
    QCOMPARE(modals.boxes.at(0).icon, QMessageBox::Critical);
    std::string engineError;
    std::vector<std::string> footer;
    QVERIFY(!hj::readFooter(root->path().toStdString(), footer, engineError));
    QCOMPARE(modals.boxes.at(0).text, QString::fromStdString(engineError));
    QVERIFY(!modals.boxes.at(0).text.isEmpty());
    QCOMPARE(child<hj::gui::ReportEdit>(w, "Redtbazi")->toPlainText(), QStringLiteral("婚配运算中.............."));
    QVERIFY(!w->chartValid());
    QVERIFY(child<QPushButton>(w, "BtnPai")->isEnabled());
}

void TestTFrmMain::promptSaveAsksForSave() {
    writeIni(QStringLiteral("[set]\r\nsave=1\r\n"));
    TFrmMain* w = open();
    QSignalSpy spy(w, &TFrmMain::saveRequested);
    setInputs(QStringLiteral("丙"), QStringLiteral("1984"), 1, 1, 0, 0);
    hjtest::Modals modals;
    QString chooser;
    modals.expect([&chooser](QWidget* m) {  // the class chooser of a new case; cancelled
        chooser = m->objectName();
        QMetaObject::invokeMethod(m, "reject", Qt::QueuedConnection);
    });
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(chooser, QStringLiteral("FrmFenLei"));
    QCOMPARE(spy.count(), 1);
    writeIni(QStringLiteral("[set]\r\nsave=0\r\n"));  // the window rereads [set] at every chart
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
}

void TestTFrmMain::copyParameters() {
    TFrmMain* w = open();
    hjtest::Modals modals;
    modals.expectBox();
    child<QAction>(w, "mnuT_copy")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(0).text, QStringLiteral("请先排一个正确的八字盘后才能复制八字参数！"));
    QCOMPARE(modals.boxes.at(0).title, QStringLiteral("提示"));

    setInputs(QStringLiteral("某人"), QStringLiteral("1990"), 5, 12, 8, 30);
    child<QComboBox>(w, "cbodiZ")->setCurrentIndex(0);
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    // The text comes from the last request, not from inputs changed afterwards.
    hjtest::retype(child<QLineEdit>(w, "Edtname"), QStringLiteral("别人"));
    modals.expectBox();
    child<QAction>(w, "mnuT_copy")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(1).text, QStringLiteral("复制完成，可以从墨衡软件里面粘贴，从而快速输入参数排盘！"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("mohang_mingli_data#1990 5 12 8 30 1#1#某人#0 0"));

    // A lunar leap date of a BC year, female.
    setInputs(QStringLiteral("丁"), QStringLiteral("-100"), 4, 3, 5, 6);
    child<QComboBox>(w, "CboLi")->setCurrentIndex(1);
    hjtest::tick(child<QCheckBox>(w, "Chkrun"));
    hjtest::tick(child<QRadioButton>(w, "Rdonv"));
    modals.expectBox();  // the chart itself may fail for a leap month that year
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    if (!w->chartValid()) {
        QTRY_VERIFY(modals.idle());
        return;
    }
    QTRY_VERIFY(modals.unexpected.isEmpty());
}

void TestTFrmMain::pasteParameters_data() {
    QTest::addColumn<QString>("clip");
    QTest::addColumn<bool>("applied");
    QTest::newRow("short date") << "mohang_mingli_data#2000 2 3 4 5#0#某人#1 0" << true;
    QTest::newRow("tag case") << "Mohang_mingli_data#2000 2 3 4 5#0#某人#1 0" << false;
    QTest::newRow("month 13") << "mohang_mingli_data#2000 13 3 4 5 1#0#某人#1 0" << false;
    QTest::newRow("plain text") << "hello" << false;
}

void TestTFrmMain::pasteParameters() {
    QFETCH(QString, clip);
    QFETCH(bool, applied);
    TFrmMain* w = open();
    const QString yearBefore = child<QLineEdit>(w, "EdtYear")->text();
    QGuiApplication::clipboard()->setText(clip);
    hjtest::Modals modals;
    if (applied) modals.expectBox();
    child<QAction>(w, "mnuT_paste")->trigger();
    QTRY_VERIFY(modals.idle());
    QTest::qWait(20);
    QVERIFY(modals.unexpected.isEmpty());
    if (!applied) {
        QVERIFY(modals.boxes.empty());
        QCOMPARE(child<QLineEdit>(w, "EdtYear")->text(), yearBefore);
        QCOMPARE(child<QComboBox>(w, "cbodiZ")->currentIndex(), 0);
        return;
    }
    QCOMPARE(modals.boxes.at(0).text, QStringLiteral("成功粘贴命理参数！"));
    QCOMPARE(child<QLineEdit>(w, "EdtYear")->text(), QStringLiteral("2000"));
    QCOMPARE(child<QComboBox>(w, "cbom")->currentIndex(), 1);
    QCOMPARE(child<QComboBox>(w, "cbod")->currentIndex(), 2);
    QCOMPARE(child<QComboBox>(w, "cbos")->currentIndex(), 4);
    QCOMPARE(child<QComboBox>(w, "cbomin")->currentIndex(), 5);
    QCOMPARE(child<QComboBox>(w, "CboLi")->currentText(), QStringLiteral("公历"));
    QVERIFY(!child<QCheckBox>(w, "Chkrun")->isChecked());
    QVERIFY(child<QRadioButton>(w, "Rdonv")->isChecked());
    QCOMPARE(child<QComboBox>(w, "cbodiZ")->currentText(), QStringLiteral("北京市"));
    QVERIFY(!w->chartValid());  // nothing is computed
}

void TestTFrmMain::pasteOutOfRangePlace() {
    TFrmMain* w = open();
    child<QComboBox>(w, "cbodiZ")->setCurrentIndex(5);
    QGuiApplication::clipboard()->setText(QStringLiteral("mohang_mingli_data#-5 1 1 0 0 3#1#一个很长很长的名字#99 7"));
    hjtest::Modals modals;
    modals.expectBox();
    child<QAction>(w, "mnuT_paste")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(child<QComboBox>(w, "cbodiZ")->currentIndex(), 0);
    QCOMPARE(child<QComboBox>(w, "cbodiC")->currentIndex(), 7);
    QCOMPARE(child<QLineEdit>(w, "EdtYear")->text(), QStringLiteral("-5"));
    QCOMPARE(child<QComboBox>(w, "CboLi")->currentText(), QStringLiteral("农历"));
    QVERIFY(child<QCheckBox>(w, "Chkrun")->isChecked());
    QCOMPARE(child<QLineEdit>(w, "Edtname")->text(), QStringLiteral("一个很长很"));  // cut to ten bytes
    QGuiApplication::clipboard()->setText(QStringLiteral("mohang_mingli_data#1 1 1 0 0 1#1#a#0 99999"));
    modals.expectBox();
    child<QAction>(w, "mnuT_paste")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(child<QComboBox>(w, "cbodiC")->currentIndex(), 0);
}

void TestTFrmMain::saveAsTextAndRtf() {
    TFrmMain* w = open();
    setInputs(QStringLiteral("戊"), QStringLiteral("1990"), 5, 12, 8, 30);
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    auto* pane = child<hj::gui::ReportEdit>(w, "Redtbazi");
    const QString base = root->path() + QStringLiteral("/a");
    const auto chooseFile = [&](const QString& filter) {
        return [base, filter](QWidget* m) {
            auto* dlg = qobject_cast<QFileDialog*>(m);
            QVERIFY(dlg);
            QCOMPARE(dlg->nameFilters(), (QStringList{QStringLiteral("Rtf格式 (*.rtf)"), QStringLiteral("Txt格式 (*.txt)")}));
            dlg->selectNameFilter(filter);
            dlg->selectFile(base);
            QMetaObject::invokeMethod(dlg, "accept", Qt::QueuedConnection);
        };
    };
    hjtest::Modals modals;
    modals.expect(chooseFile(QStringLiteral("Txt格式 (*.txt)")));
    modals.expectBox();
    pane->popupMenu()->findChild<QAction*>(QStringLiteral("pmnuSaveAs"))->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().text, QStringLiteral("已保存！"));
    const QString saved = hjtest::readGbk(base + QStringLiteral(".txt"));
    QCOMPARE(saved, pane->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    QVERIFY(saved.contains(QStringLiteral("\r\n乾造")));
    // The pane keeps its rich text.
    bool coloured = false;
    for (QTextBlock b = pane->document()->begin(); b.isValid() && !coloured; b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            coloured |= it.fragment().charFormat().foreground().color() == QColor(255, 0, 0);
    QVERIFY(coloured);

    modals.expect(chooseFile(QStringLiteral("Rtf格式 (*.rtf)")));
    modals.expectBox();
    pane->popupMenu()->findChild<QAction*>(QStringLiteral("pmnuSaveAs"))->trigger();
    QTRY_VERIFY(modals.idle());
    const QByteArray rtf = hjtest::readBytes(base + QStringLiteral(".rtf"));
    QVERIFY(rtf.startsWith("{\\rtf"));
    QVERIFY(rtf.contains("\\red255\\green0\\blue0"));
    QVERIFY(modals.unexpected.isEmpty());

    // Read back: the rich text returns with its colours.
    hj::gui::ReportEdit other;
    QString error;
    QVERIFY(other.loadFile(base + QStringLiteral(".rtf"), &error));
    QCOMPARE(other.toPlainText(), pane->toPlainText());
}

// The pane saved as RTF and the file `cases add` writes for the same chart are the same bytes:
// the closing part one point smaller, its headings coloured at that size.
void TestTFrmMain::rtfMatchesTheCommandLine() {
    writeIni(QStringLiteral("[minggao]\r\nfname=宋体\r\nfsize=11\r\n[set]\r\nleftpos=24\r\n"));
    TFrmMain* w = open();
    setInputs(QStringLiteral("王五"), QStringLiteral("1580"), 12, 30, 10, 0);
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    QVERIFY(w->chartValid());
    const QString path = root->path() + QStringLiteral("/pane.rtf");
    QString error;
    QVERIFY2(child<hj::gui::ReportEdit>(w, "Redtbazi")->saveRtf(path, &error), qPrintable(error));

    // What `cases add` does with the same request and data folder.
    const hj::ReportSettings settings = hj::loadReportSettings(root->path().toStdString());
    std::string why;
    const std::optional<hj::Chart> chart = hj::castChart(w->lastRequest(), settings.chart, why);
    QVERIFY(chart);
    hj::ReportSources sources;
    sources.traditional = settings.traditional;
    const hj::Report report = hj::buildReport(*chart, sources);
    const std::string expected = hj::rtf::writeRtf(hj::reportDocument(report, settings.font, chart->settings.leftpos));
    const QByteArray saved = hjtest::readBytes(path);
    QCOMPARE(saved, QByteArray::fromStdString(expected));
    const qsizetype mark = saved.indexOf("\\'a1\\'f9");  // the first ※
    QVERIFY(mark > 0);
    const qsizetype smaller = saved.indexOf("\\fs20");  // the pane's 11 points less one
    QVERIFY(smaller > 0 && smaller < mark && mark - smaller < 16);
    QVERIFY(!saved.mid(mark).contains("\\fs22"));
}

void TestTFrmMain::importReport() {
    TFrmMain* w = open();
    auto* pane = child<hj::gui::ReportEdit>(w, "Redtbazi");
    pane->setPlainText(QStringLiteral("原来的"));
    const QString file = root->path() + QStringLiteral("/imp.txt");
    hjtest::writeGbk(file, QStringLiteral("第一行\r\n第二行\r\n"));
    const auto choose = [](const QString& path) {
        return [path](QWidget* m) {
            auto* dlg = qobject_cast<QFileDialog*>(m);
            QVERIFY(dlg);
            QCOMPARE(dlg->selectedNameFilter(), QStringLiteral("All.rtf (*.rtf)"));
            dlg->selectNameFilter(QStringLiteral("All.txt (*.txt)"));
            dlg->selectFile(path);
            QMetaObject::invokeMethod(dlg, "accept", Qt::QueuedConnection);
        };
    };
    hjtest::Modals modals;
    modals.expect(choose(file));
    pane->popupMenu()->findChild<QAction*>(QStringLiteral("pmnuImport"))->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(pane->toPlainText(), QStringLiteral("第一行\n第二行\n"));

    QVERIFY(modals.unexpected.isEmpty());

    // A file that cannot be read is refused and the pane keeps its text.
    QString error;
    QVERIFY(!pane->loadFile(root->path() + QStringLiteral("/missing.txt"), &error));
    QVERIFY(!error.isEmpty());
    const QString big = root->path() + QStringLiteral("/big.rtf");
    {
        QFile f(big);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("{\\rtf1 ");
        f.resize(qint64(hj::rtf::kMaxInputBytes) + 16);
    }
    QVERIFY(!pane->loadFile(big, &error));
    QCOMPARE(pane->toPlainText(), QStringLiteral("第一行\n第二行\n"));
}

void TestTFrmMain::paneSettingsMenu() {
    TFrmMain* w = open();
    auto* pane = child<hj::gui::ReportEdit>(w, "Redtbazi");
    hjtest::Modals modals;
    modals.expect([](QWidget* m) {
        auto* dlg = qobject_cast<QColorDialog*>(m);
        QVERIFY(dlg);
        QCOMPARE(dlg->currentColor(), QColor(208, 204, 192));
        dlg->setCurrentColor(QColor(1, 2, 3));
        QMetaObject::invokeMethod(dlg, "accept", Qt::QueuedConnection);
    });
    modals.expectBox();
    child<QAction>(w, "mnuO_color")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().text, QStringLiteral("设置完成"));
    QCOMPARE(pane->background(), QColor(1, 2, 3));

    modals.expect([](QWidget* m) {
        auto* dlg = qobject_cast<QFontDialog*>(m);
        QVERIFY(dlg);
        QFont f = dlg->currentFont();
        f.setPointSize(20);
        dlg->setCurrentFont(f);
        QMetaObject::invokeMethod(dlg, "accept", Qt::QueuedConnection);
    });
    modals.expectBox();
    child<QAction>(w, "mnuO_font")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(pane->paneFont().pointSize(), 20);

    modals.expectBox();
    child<QAction>(w, "mnuO_default")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(pane->paneFont().family(), QStringLiteral("宋体"));
    QCOMPARE(pane->paneFont().pointSize(), 12);
    QCOMPARE(pane->background(), QColor(255, 255, 255));
    w->close();
    QCOMPARE(iniValue("minggao", "bcolor"), QStringLiteral("16777215"));
    QVERIFY(modals.unexpected.isEmpty());
}

void TestTFrmMain::menusAndKeys() {
    QFile::copy(QStringLiteral(HJ_SOURCE_DIR "/resources/dat/hzlen.dat"), root->dat(QStringLiteral("hzlen.dat")));
    TFrmMain* w = open();
    QStringList titles;
    for (QAction* a : w->menuBar()->actions()) titles << a->text();
    QCOMPARE(titles, (QStringList{QStringLiteral("文件(&F)"), QStringLiteral("命理知识(&S)"), QStringLiteral("辅助工具(&T)"),
                                  QStringLiteral("选项(&O)"), QStringLiteral("帮助(&H)")}));
    QCOMPARE(child<QAction>(w, "mnuF_save")->text(), QStringLiteral("保存记录"));
    QCOMPARE(child<QAction>(w, "mnuF_save")->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    for (QAction* a : {child<QAction>(w, "mnuF_save"), child<QAction>(w, "mnuF_import"), child<QAction>(w, "mnuF_export"), child<QAction>(w, "mnuF_clear"), child<QAction>(w, "mnuS_pingyu"), child<QAction>(w, "mnuS_zhishi"), child<QAction>(w, "mnuT_copy"), child<QAction>(w, "mnuT_dili"), child<QAction>(w, "mnuO_set"), child<QAction>(w, "mnuO_endinfo"), child<QAction>(w, "mnuF_exit"),
                       child<QAction>(w, "mnuS_heluo"), child<QAction>(w, "mnuT_fantui"), child<QAction>(w, "mnuT_huaiyun"), child<QAction>(w, "mnuT_testname"), child<QAction>(w, "mnuT_hanzi"), child<QAction>(w, "mnuT_wnl"),
                       child<QAction>(w, "mnuH_help")})
        QVERIFY2(a->isEnabled(), qPrintable(a->text()));
    // Each tool menu item opens its modal window once; closing it returns to the main window.
    for (QAction* a : {child<QAction>(w, "mnuS_heluo"), child<QAction>(w, "mnuT_fantui"), child<QAction>(w, "mnuT_huaiyun"), child<QAction>(w, "mnuT_testname"), child<QAction>(w, "mnuT_hanzi"), child<QAction>(w, "mnuH_help")}) {
        hjtest::Modals tools;
        QString opened;
        tools.expect([&opened](QWidget* m) {
            opened = QString::fromLatin1(m->metaObject()->className());
            QMetaObject::invokeMethod(m, "reject", Qt::QueuedConnection);
        });
        a->trigger();
        QTRY_VERIFY(tools.idle());
        QVERIFY2(opened.startsWith(QStringLiteral("hj::gui::TFrm")), qPrintable(a->text() + opened));
        QVERIFY2(tools.unexpected.isEmpty(), qPrintable(tools.unexpected.join(QLatin1Char('|'))));
    }
    // The perpetual calendar is modeless: one window, shown again on the next use.
    child<QAction>(w, "mnuT_wnl")->trigger();
    auto* wnl = w->findChild<hj::gui::TFrmWnl*>();
    QVERIFY(wnl && wnl->isVisible());
    child<QAction>(w, "mnuT_wnl")->trigger();
    QCOMPARE(w->findChildren<hj::gui::TFrmWnl*>().size(), 1);
    wnl->close();
    QCOMPARE(child<QToolButton>(w, "SbtoSave")->toolTip(), QStringLiteral("保存记录"));
    QCOMPARE(child<QComboBox>(w, "cbodiC")->toolTip(), QStringLiteral("选择邻近城市"));
    QCOMPARE(child<QLineEdit>(w, "EdtYear")->toolTip(), QStringLiteral("年份在-850至2100"));
    // Tab walks the inputs in reading order.
    QApplication::setActiveWindow(w);
    child<QLineEdit>(w, "EdtYear")->setFocus();
    QStringList order{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 14; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order.join(QLatin1Char(' ')),
             QStringLiteral("EdtYear cbom cbod cbos cbomin ChkBuXiang CboLi Chkrun Rdona Edtname cbodiZ cbodiC ChkLiuNian BtnHaiWai BtnPai"));
    // 相关知识 without its document opens the program's own help.
    hjtest::Modals modals;
    QString opened;
    modals.expect([&opened](QWidget* d) {
        opened = d->windowTitle();
        QMetaObject::invokeMethod(d, "reject", Qt::QueuedConnection);
    });
    child<QAction>(w, "mnuS_zhishi")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(opened, QStringLiteral("软件帮助"));
    QVERIFY(modals.unexpected.isEmpty());
    // 退出 closes the window.
    child<QAction>(w, "mnuF_exit")->trigger();
    QVERIFY(!w->isVisible());
}

void TestTFrmMain::chartSettingsFromMenu() {
    TFrmMain* w = open();
    hjtest::Modals modals;
    modals.expect([](QWidget* m) {
        QVERIFY(qobject_cast<hj::gui::TFrmSet*>(m));
        hjtest::retype(hjtest::child<QLineEdit>(m, "LedtLeftPos"), QStringLiteral("40"));
        hjtest::clickLater(hjtest::child<QPushButton>(m, "Btnok"));
    });
    child<QAction>(w, "mnuO_set")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(iniValue("set", "leftpos"), QStringLiteral("40"));
    // The next chart uses it.
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    QCOMPARE(child<hj::gui::ReportEdit>(w, "Redtbazi")->document()->begin().blockFormat().textIndent(), 40.0);
}

void TestTFrmMain::printAsksAndPrintsToPdf() {
    TFrmMain* w = open();
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    auto* print = child<hj::gui::ReportEdit>(w, "Redtbazi")->popupMenu()->findChild<QAction*>(QStringLiteral("pmnuPrint"));
    hjtest::Modals modals;
    modals.expectBox(QMessageBox::No);
    print->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().text, QStringLiteral("准备开始打印吗?"));
    QCOMPARE(modals.boxes.back().title, QStringLiteral("打印"));
#ifdef Q_OS_WIN
    QSKIP("Windows shows its own print dialog, which has no widgets for a test to drive");
#endif

    const QString pdf = root->path() + QStringLiteral("/out.pdf");
    modals.expectBox(QMessageBox::Yes);
    modals.expect([pdf](QWidget* m) {
        auto* dlg = qobject_cast<QPrintDialog*>(m);
        QVERIFY(dlg);
        QCOMPARE(dlg->minPage(), 1);
        QCOMPARE(dlg->maxPage(), 100);
        // Choose the dialog's own "print to PDF file" destination, as a user without a printer does.
        auto* printers = dlg->findChild<QComboBox*>(QStringLiteral("printers"));
        QVERIFY(printers);
        const int pdfItem = printers->findText(QStringLiteral("PDF"), Qt::MatchContains);
        QVERIFY2(pdfItem >= 0, "the print dialog offers no PDF output");
        printers->setCurrentIndex(pdfItem);
        auto* name = dlg->findChild<QLineEdit*>(QStringLiteral("filename"));
        QVERIFY(name);
        name->setText(pdf);
        hjtest::screenshot(dlg, QStringLiteral("PrintDialog"));
        QMetaObject::invokeMethod(dlg, "accept", Qt::QueuedConnection);
    });
    print->trigger();
    QTRY_VERIFY(modals.idle());
    QTest::qWait(20);
    QVERIFY2(modals.unexpected.isEmpty(), qPrintable(modals.unexpected.join(QLatin1Char('|'))));
    QVERIFY(hjtest::readBytes(pdf).startsWith("%PDF"));
    if (!qgetenv("HJ_SCREENSHOT_DIR").isEmpty()) QFile::copy(pdf, QString::fromLocal8Bit(qgetenv("HJ_SCREENSHOT_DIR")) + QStringLiteral("/report.pdf"));
}

void TestTFrmMain::paperAndClipboardKeepTheText() {
    writeIni(QStringLiteral("[set]\r\nleftpos=40\r\n"));
    TFrmMain* w = open();
    QTest::mouseClick(child<QPushButton>(w, "BtnPai"), Qt::LeftButton);
    auto* pane = child<hj::gui::ReportEdit>(w, "Redtbazi");
    const QTextBlockFormat screen = pane->document()->firstBlock().blockFormat();
    QVERIFY(screen.textIndent() > 0);
    // On screen ASCII carries the spacing that lines it up with Chinese characters.
    const auto spaced = [](const QTextDocument& doc) {
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it)
                if (it.fragment().charFormat().hasProperty(QTextFormat::FontLetterSpacing)) return true;
        return false;
    };
    QVERIFY(spaced(*pane->document()));

    for (const auto& [resolution, selection] : {std::pair{QPrinter::HighResolution, false}, std::pair{QPrinter::ScreenResolution, true}}) {
        QPrinter printer(resolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        QTextCursor c = pane->textCursor();
        c.setPosition(0);
        c.setPosition(200, QTextCursor::KeepAnchor);
        pane->setTextCursor(c);
        printer.setPrintRange(selection ? QPrinter::Selection : QPrinter::AllPages);
        const std::unique_ptr<QTextDocument> paper = pane->printCopy(printer);
        QVERIFY(!spaced(*paper));
        QCOMPARE(paper->toPlainText(), selection ? c.selection().toPlainText() : pane->toPlainText());
        // The indent keeps its physical size: screen pixels become printer pixels.
        if (!selection)
            QCOMPARE(paper->firstBlock().blockFormat().textIndent(),
                     screen.textIndent() * printer.logicalDpiX() / pane->logicalDpiX());
    }

    // Copying: the same text, and no spacing in the formatted copy either.
    pane->selectAll();
    pane->copy();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(copied->text(), pane->toPlainText());
    QVERIFY(copied->hasHtml());
    QVERIFY(!copied->html().contains(QStringLiteral("letter-spacing")));
}

HJ_GUI_TEST(TestTFrmMain)
#include "gui_TFrmMain.moc"
