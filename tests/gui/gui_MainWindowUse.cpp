// The main window as a new user meets it: buttons that stay where they were, the focus after
// 测算, 新建 with an unsaved chart, the window's size on a screen.
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QToolButton>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "gui/CaseSession.h"
#include "core/casestore/case_store.h"
#include "gui/ReportEdit.h"
#include "gui/BirthInputs.h"
#include "gui/ReportPrinting.h"
#include "gui/TFrmMain.h"
#include "core/version.h"
#include "core/zones/zone_rules.h"
#include "gui/WindowPlacement.h"

using hj::gui::TFrmMain;
using hjtest::child;

class TestMainWindowUse : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void buttonsStayPut();
    void focusStaysOnPai();
    void newAsksBeforeLosingAChart_data();
    void newAsksBeforeLosingAChart();
    void savedGeometryFits_data();
    void savedGeometryFits();
    void bigSavedWindowFitsTheScreen();
    void pastedNameCutIsSaid_data();
    void pastedNameCutIsSaid();
    void printFromTheFileMenu();
    void aboutShowsTheDataFolder();
    void abroadOffComesHome();
    void newCaseClearsTheConventions();

private:
    TFrmMain* open();
    void setMoment(const QString& year, int month, int day, int hour, int minute);
    void cast();
    hj::gui::ReportEdit* pane() { return child<hj::gui::ReportEdit>(win.get(), "Redtbazi"); }
    std::size_t storedCases();
    std::unique_ptr<hjtest::DataRoot> root;
    std::unique_ptr<TFrmMain> win;
};

void TestMainWindowUse::init() { root = std::make_unique<hjtest::DataRoot>(); }

void TestMainWindowUse::cleanup() {
    if (win) {
        win->caseSession()->dropOpenCase();  // no closing question in the tests
        win->close();
    }
    win.reset();
    root.reset();
}

TFrmMain* TestMainWindowUse::open() {
    win = std::make_unique<TFrmMain>(root->path());
    win->show();
    QTest::qWait(10);
    return win.get();
}

void TestMainWindowUse::setMoment(const QString& year, int month, int day, int hour, int minute) {
    hjtest::retype(child<QLineEdit>(win.get(), "EdtYear"), year);
    child<QComboBox>(win.get(), "cbom")->setCurrentIndex(month - 1);
    child<QComboBox>(win.get(), "cbod")->setCurrentIndex(day - 1);
    child<QComboBox>(win.get(), "cbos")->setCurrentIndex(hour);
    child<QComboBox>(win.get(), "cbomin")->setCurrentIndex(minute);
}

void TestMainWindowUse::cast() {
    hjtest::Modals modals;
    QTest::mouseClick(child<QPushButton>(win.get(), "BtnPai"), Qt::LeftButton);
    QVERIFY2(modals.unexpected.isEmpty(), qPrintable(modals.unexpected.join(QLatin1Char('|'))));
    QVERIFY(win->chartValid());
}

std::size_t TestMainWindowUse::storedCases() {
    hj::casestore::CaseStore s;
    s.openStore(root->path().toStdString());
    std::vector<hj::casestore::CaseRecord> all;
    s.readAllRecords(all);
    return all.size();
}

void TestMainWindowUse::buttonsStayPut() {
    TFrmMain* w = open();
    child<QComboBox>(w, "cbodiZ")->setCurrentIndex(1);  // 北京市: summer time 1986-1991
    auto* pai = child<QPushButton>(w, "BtnPai");
    const auto where = [&] {
        QApplication::processEvents();
        return pai->mapTo(w, QPoint(0, 0));
    };
    for (const int width : {700, 1100}) {
        w->resize(width, 600);
        setMoment(QStringLiteral("1995"), 7, 1, 9, 30);
        QVERIFY(!child<QLabel>(w, "LblZone")->isVisible());
        const QPoint first = where();
        // The zone hint appears, grows and changes length: the buttons stay.
        setMoment(QStringLiteral("1988"), 7, 1, 9, 30);
        QCOMPARE(child<QLabel>(w, "LblZone")->text(), QStringLiteral("夏令时：将减1小时"));
        QCOMPARE(where(), first);
        QTest::mouseClick(child<QToolButton>(w, "BtnHaiWai"), Qt::LeftButton);
        auto* edit = child<QLineEdit>(w, "EdtWorldPlace");
        hjtest::retype(edit, QStringLiteral("纽约"));
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(child<QLabel>(w, "LblZone")->text().startsWith(QStringLiteral("America/New_York")));
        QCOMPARE(where(), first);
        setMoment(QStringLiteral("2021"), 11, 7, 1, 30);
        QVERIFY(child<QLabel>(w, "LblZone")->text().endsWith(QStringLiteral("钟点重复")));
        QCOMPARE(where(), first);
        QTest::mouseClick(child<QToolButton>(w, "BtnHaiWai"), Qt::LeftButton);
    }
}

void TestMainWindowUse::focusStaysOnPai() {
    TFrmMain* w = open();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    setMoment(QStringLiteral("1990"), 5, 12, 8, 30);
    auto* pai = child<QPushButton>(w, "BtnPai");
    pai->setFocus();
    cast();
    QCOMPARE(QApplication::focusWidget(), pai);
    // A Space now casts again; it does not start a new case.
    const QString report = pane()->toPlainText();
    hjtest::Modals modals;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(modals.unexpected.isEmpty());
    QCOMPARE(pane()->toPlainText(), report);
    QVERIFY(w->chartValid());
}

void TestMainWindowUse::newAsksBeforeLosingAChart_data() {
    QTest::addColumn<int>("answer");  // to "当前命盘还没有保存，要保存吗？"
    QTest::addColumn<bool>("storeIt");  // 确定 in the class dialog after 是
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<int>("stored");
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << false << false << 0;
    QTest::newRow("no") << int(QMessageBox::No) << false << true << 0;
    QTest::newRow("yes, class dialog cancelled") << int(QMessageBox::Yes) << false << false << 0;
    QTest::newRow("yes, stored") << int(QMessageBox::Yes) << true << true << 1;
}

void TestMainWindowUse::newAsksBeforeLosingAChart() {
    QFETCH(int, answer);
    QFETCH(bool, storeIt);
    QFETCH(bool, cleared);
    QFETCH(int, stored);
    TFrmMain* w = open();
    setMoment(QStringLiteral("1990"), 5, 12, 8, 30);
    cast();
    const QString report = pane()->toPlainText();
    hjtest::Modals modals;
    modals.expectBox(static_cast<QMessageBox::StandardButton>(answer));
    if (answer == QMessageBox::Yes) {
        modals.expect([storeIt](QWidget* d) {
            QCOMPARE(d->objectName(), QStringLiteral("FrmFenLei"));
            if (storeIt) {
                child<QComboBox>(d, "CboFenLei")->setEditText(QStringLiteral("朋友"));
                hjtest::clickLater(child<QPushButton>(d, "BtnOk"));
            } else {
                QMetaObject::invokeMethod(d, "reject", Qt::QueuedConnection);
            }
        });
    }
    QTest::mouseClick(child<QPushButton>(w, "BtoNew"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QVERIFY2(modals.unexpected.isEmpty(), qPrintable(modals.unexpected.join(QLatin1Char('|'))));
    QCOMPARE(modals.boxes.at(0).text, QStringLiteral("当前命盘还没有保存，要保存吗？"));
    QCOMPARE(pane()->toPlainText().isEmpty(), cleared);
    if (!cleared) QCOMPARE(pane()->toPlainText(), report);
    QCOMPARE(w->chartValid(), !cleared);
    QCOMPARE(storedCases(), std::size_t(stored));

    // A stored chart, or none, is left without a question.
    QTRY_VERIFY(!QApplication::activeModalWidget());
    if (!cleared) {
        modals.expectBox(QMessageBox::No);
        QTest::mouseClick(child<QPushButton>(w, "BtoNew"), Qt::LeftButton);
        QTRY_VERIFY(modals.idle());
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }
    QTest::mouseClick(child<QPushButton>(w, "BtoNew"), Qt::LeftButton);
    QVERIFY(modals.unexpected.isEmpty());
}

void TestMainWindowUse::savedGeometryFits_data() {
    // Frame (4, 30, 4, 4): a window of client size w x h takes (w + 8) x (h + 34).
    QTest::addColumn<QRect>("saved");  // frame top-left, client size
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<QRect>("fitted");
    const QRect fullHd(0, 0, 1920, 1040);
    const QRect halved(0, 0, 960, 520);  // the same monitor at scale factor 2
    const QRect right(1920, 0, 1280, 1000);
    QTest::newRow("fits") << QRect(10, 10, 800, 600) << QList<QRect>{fullHd} << QRect(10, 10, 800, 600);
    QTest::newRow("saved at 1x, shown at 2x") << QRect(100, 50, 1500, 900) << QList<QRect>{halved} << QRect(0, 0, 952, 486);
    QTest::newRow("40 px on screen") << QRect(900, 480, 600, 400) << QList<QRect>{halved} << QRect(352, 86, 600, 400);
    QTest::newRow("monitor removed") << QRect(2500, 300, 700, 500) << QList<QRect>{fullHd} << QRect(1212, 300, 700, 500);
    QTest::newRow("off every screen") << QRect(-5000, -4000, 600, 450) << QList<QRect>{fullHd, right} << QRect(0, 0, 600, 450);
    QTest::newRow("mostly on the second") << QRect(2000, 800, 700, 500) << QList<QRect>{fullHd, right}
                                          << QRect(2000, 466, 700, 500);
    QTest::newRow("no screens") << QRect(-50, -50, 5000, 5000) << QList<QRect>{} << QRect(-50, -50, 5000, 5000);
}

void TestMainWindowUse::savedGeometryFits() {
    QFETCH(QRect, saved);
    QFETCH(QList<QRect>, screens);
    QFETCH(QRect, fitted);
    QCOMPARE(hj::gui::fitToScreens(saved, screens, QMargins(4, 30, 4, 4)), fitted);
}

void TestMainWindowUse::bigSavedWindowFitsTheScreen() {
    hjtest::writeGbk(root->dat(QStringLiteral("bzinit.ini")),
                     QStringLiteral("[winpos]\r\nleft=300\r\ntop=200\r\nwidth=2400\r\nheight=1600\r\n"));
    TFrmMain* w = open();
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    const QMargins f = hj::gui::typicalFrame();
    const QRect outer(w->pos(), w->size() + QSize(f.left() + f.right(), f.top() + f.bottom()));
    QVERIFY2(avail.contains(outer), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(outer.x()).arg(outer.y()).arg(outer.width()).arg(outer.height())));
    // The inputs and their buttons are inside the window.
    auto* pai = child<QPushButton>(w, "BtnPai");
    QVERIFY(w->rect().contains(QRect(pai->mapTo(w, QPoint(0, 0)), pai->size())));
}

void TestMainWindowUse::pastedNameCutIsSaid_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");  // what the name field holds after pasting
    QTest::addColumn<QString>("said");
    QTest::newRow("fits") << QStringLiteral("某人") << QStringLiteral("某人") << QStringLiteral("成功粘贴命理参数！");
    QTest::newRow("ten bytes exactly") << QStringLiteral("张三丰丰丰") << QStringLiteral("张三丰丰丰")
                                       << QStringLiteral("成功粘贴命理参数！");
    QTest::newRow("cut") << QStringLiteral("一个很长很长的名字") << QStringLiteral("一个很长很")
                         << QStringLiteral("成功粘贴命理参数！但姓名“一个很长很长的名字”超出姓名栏的长度（10个字节），已截短为“一个很长很”。");
    QTest::newRow("cut, never split") << QStringLiteral("abc张三丰丰丰") << QStringLiteral("abc张三丰")
                                      << QStringLiteral("成功粘贴命理参数！但姓名“abc张三丰丰丰”超出姓名栏的长度（10个字节），已截短为“abc张三丰”。");
}

void TestMainWindowUse::pastedNameCutIsSaid() {
    QFETCH(QString, name);
    QFETCH(QString, shown);
    QFETCH(QString, said);
    TFrmMain* w = open();
    QGuiApplication::clipboard()->setText(QStringLiteral("mohang_mingli_data#2000 2 3 4 5 1#0#%1#1 0").arg(name));
    hjtest::Modals modals;
    modals.expectBox();
    w->pasteChartParameters();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(0).text, said);
    QCOMPARE(child<QLineEdit>(w, "Edtname")->text(), shown);
}

void TestMainWindowUse::printFromTheFileMenu() {
    TFrmMain* w = open();
    auto* print = child<QAction>(w, "mnuF_print");
    QCOMPARE(print->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    QVERIFY(child<QMenu>(w, "mnuFile")->actions().contains(print));
    QVERIFY(child<QMenu>(w, "mnuFile")->actions().contains(child<QAction>(w, "mnuF_preview")));
    hjtest::retype(child<QLineEdit>(w, "Edtname"), QStringLiteral("张三"));
    setMoment(QStringLiteral("1990"), 5, 12, 8, 30);
    cast();
    QCOMPARE(pane()->printTitle(), QStringLiteral("张三"));
    // The report on a PDF: several pages, the case name as the document's title.
    const QString pdf = root->path() + QStringLiteral("/report.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QVERIFY(hj::gui::ReportPrinting(*pane()).printOn(printer));
    const QByteArray bytes = hjtest::readBytes(pdf);
    QVERIFY(bytes.startsWith("%PDF"));
    QVERIFY2(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page ") >= 2, "one page only");
    // The title as the writer keeps it: UTF-16 after its byte-order mark (张 5F20, 三 4E09).
    QVERIFY2(bytes.contains(QByteArray("/Title (\xFE\xFF\x5F\x20\x4E\x09)")), "the PDF's title is not the case name");
    if (!qgetenv("HJ_SCREENSHOT_DIR").isEmpty()) QFile::copy(pdf, QString::fromLocal8Bit(qgetenv("HJ_SCREENSHOT_DIR")) + QStringLiteral("/report-header.pdf"));
    // An empty pane prints nothing and says so.
    hjtest::Modals modals;
    modals.expectBox(QMessageBox::No);
    QTest::mouseClick(child<QPushButton>(w, "BtoNew"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QTRY_VERIFY(!QApplication::activeModalWidget());
    modals.expectBox();
    print->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().text, QStringLiteral("命稿是空的，没有可打印的内容。"));
}

void TestMainWindowUse::aboutShowsTheDataFolder() {
    TFrmMain* w = open();
    QVERIFY(child<QMenu>(w, "mnuHelp")->actions().contains(child<QAction>(w, "mnuH_about")));
    hjtest::Modals modals;
    modals.expect([this](QWidget* d) {
        QCOMPARE(d->objectName(), QStringLiteral("FrmAbout"));
        QCOMPARE(child<QLabel>(d, "LblFolder")->text(), QDir::toNativeSeparators(QDir(root->path()).absolutePath()));
        QVERIFY(child<QLabel>(d, "LblSettings")->text().endsWith(QDir::toNativeSeparators(QStringLiteral("dat/bzinit.ini"))));
        QVERIFY(child<QLabel>(d, "LblVersion")->text().contains(QStringLiteral(HJ_VERSION)));
        // The tz release in use is named, and where it was read.
        const QString zoneData = child<QLabel>(d, "LblZoneData")->text();
        QVERIFY2(zoneData.startsWith(QStringLiteral("tz ")) && zoneData.contains(QStringLiteral("（")), qPrintable(zoneData));
        QVERIFY(zoneData.contains(QString::fromStdString(hj::zones::rules::dataInfo().version)));
        QVERIFY(child<QPushButton>(d, "BtnOpenFolder")->isEnabled());
        hjtest::screenshot(d, QStringLiteral("about"));
        hjtest::clickLater(child<QPushButton>(d, "BtnOk"));
    });
    child<QAction>(w, "mnuH_about")->trigger();
    QTRY_VERIFY(modals.idle());
    QVERIFY(modals.unexpected.isEmpty());
}

void TestMainWindowUse::abroadOffComesHome() {
    TFrmMain* w = open();
    auto* province = child<QComboBox>(w, "cbodiZ");
    province->setCurrentIndex(1);  // 北京市
    child<QComboBox>(w, "cbodiC")->setCurrentIndex(2);
    // A stored case abroad leaves the Chinese place at 未知地 …
    hj::ChartRequest abroad;
    abroad.year = 2000;
    abroad.zone = "America/New_York";
    abroad.place = "美国-纽约";
    abroad.longitude = -74.0f;
    abroad.latitude = 40.7f;
    w->birthInputs()->setRequest(abroad);
    QCOMPARE(province->currentIndex(), 34);
    QVERIFY(child<QToolButton>(w, "BtnHaiWai")->isChecked());
    // … 海外 off goes back to the place chosen before.
    QTest::mouseClick(child<QToolButton>(w, "BtnHaiWai"), Qt::LeftButton);
    QCOMPARE(province->currentIndex(), 1);
    QCOMPARE(child<QComboBox>(w, "cbodiC")->currentIndex(), 2);
    // The hint of the search box is not cut.
    auto* search = child<QLineEdit>(w, "EdtWorldPlace");
    QVERIFY(search->minimumWidth() > search->fontMetrics().horizontalAdvance(search->placeholderText()));
}

void TestMainWindowUse::newCaseClearsTheConventions() {
    TFrmMain* w = open();
    setMoment(QStringLiteral("1990"), 5, 12, 8, 30);
    cast();
    auto* conventions = child<QLabel>(w, "LblYueDing");
    QVERIFY(conventions->isVisible());
    hjtest::Modals modals;
    modals.expectBox(QMessageBox::No);
    QTest::mouseClick(child<QPushButton>(w, "BtoNew"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QVERIFY(!conventions->isVisible());
    QVERIFY(pane()->toPlainText().isEmpty());
}

HJ_GUI_TEST(TestMainWindowUse)
#include "gui_MainWindowUse.moc"
