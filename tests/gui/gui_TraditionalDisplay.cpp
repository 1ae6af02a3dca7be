// 繁體中文: the options-menu item and its key, texts painted in Traditional characters (each
// kind of control painted with the display on looks exactly like the same control holding the
// Traditional text), titles and read-only views converted and restored, a report made in
// Traditional characters with the name as typed, and traditional names in 姓名与五行.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "core/text/ini.h"
#include "gui/GuiSupport.h"
#include "gui/ReportEdit.h"
#include "gui/TraditionalDisplay.h"
#include "gui/TFrmFenLei.h"
#include "gui/TFrmHanZi.h"
#include "gui/TFrmSet.h"
#include "gui/TFrmMain.h"
#include "gui/TFrmTestName.h"
#include "gui/TFrmWnl.h"
#include <QTableWidget>

using hj::gui::setTraditionalShown;
using hjtest::child;

class TestTraditionalDisplay : public QObject {
    Q_OBJECT
private slots:
    void init() { hj::gui::installTraditionalDisplay(); }
    void cleanup() { setTraditionalShown(false); }
    void paintedTexts_data();
    void paintedTexts();
    void menuItemAndKey();
    void reportAndBoxes();
    void traditionalNames();
    void switchConvertsPaneAndBoxes();
    void namesStayAsTyped();
    void calendarExport();
    void spinBoxSuffixAndNoteWord();
};

namespace {

using Make = std::function<QWidget*(const QString&)>;

QImage render(const Make& make, const QString& text) {
    std::unique_ptr<QWidget> w(make(text));
    w->resize(260, 120);
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get())) return {};
    return w->grab().toImage();
}

QString iniValue(const QString& dat) {
    hj::text::IniFile f((dat + QStringLiteral("bzinit.ini")).toStdString());
    f.reload();
    return QString::fromStdString(f.readString("display", "fanti", "<missing>"));
}

}  // namespace

void TestTraditionalDisplay::paintedTexts_data() {
    QTest::addColumn<Make>("make");
    QTest::newRow("label") << Make([](const QString& t) { return new QLabel(t); });
    QTest::newRow("check box") << Make([](const QString& t) { return new QCheckBox(t); });
    QTest::newRow("push button") << Make([](const QString& t) { return new QPushButton(t); });
    QTest::newRow("group box") << Make([](const QString& t) { return new QGroupBox(t); });
    QTest::newRow("combo box") << Make([](const QString& t) {
        auto* c = new QComboBox;
        c->addItem(t);
        return c;
    });
    QTest::newRow("tree header and item") << Make([](const QString& t) {
        auto* tree = new QTreeWidget;
        tree->setHeaderLabel(t);
        tree->addTopLevelItem(new QTreeWidgetItem(QStringList(t)));
        return tree;
    });
    QTest::newRow("tab") << Make([](const QString& t) {
        auto* tabs = new QTabWidget;
        tabs->addTab(new QWidget, t);
        return tabs;
    });
}

void TestTraditionalDisplay::paintedTexts() {
    QFETCH(Make, make);
    const QString simplified = QStringLiteral("农历时辰不详"), traditional = QStringLiteral("農曆時辰不詳");
    const QImage plain = render(make, simplified);
    const QImage wanted = render(make, traditional);
    QVERIFY(plain != wanted);  // the two texts do look different
    setTraditionalShown(true);
    QCOMPARE(render(make, simplified), wanted);
    // The widget's own text is not changed: lookups by text go on working.
    std::unique_ptr<QWidget> w(make(simplified));
    if (auto* c = qobject_cast<QComboBox*>(w.get())) QCOMPARE(c->currentText(), simplified);
    if (auto* l = qobject_cast<QLabel*>(w.get())) QCOMPARE(l->text(), simplified);
}

void TestTraditionalDisplay::menuItemAndKey() {
    hjtest::DataRoot root;
    hj::gui::TFrmMain w(root.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QAction* item = child<QAction>(&w, "mnuO_fanti");
    QCOMPARE(item->text(), QStringLiteral("繁體中文"));
    QVERIFY(item->isCheckable() && !item->isChecked());
    QCOMPARE(child<QMenu>(&w, "mnuOptions")->actions().contains(item), true);
    QCOMPARE(w.windowTitle(), QStringLiteral("衡鉴 2.1"));
    QCOMPARE(iniValue(root.dat()), QStringLiteral("<missing>"));  // nothing written until asked

    item->trigger();
    QVERIFY(hj::gui::traditionalShown());
    QCOMPARE(iniValue(root.dat()), QStringLiteral("1"));
    QCOMPARE(w.windowTitle(), QStringLiteral("衡鑒 2.1"));
    hjtest::screenshot(&w, QStringLiteral("TraditionalDisplay-main"));

    item->trigger();
    QVERIFY(!hj::gui::traditionalShown());
    QCOMPARE(iniValue(root.dat()), QStringLiteral("0"));
    QCOMPARE(w.windowTitle(), QStringLiteral("衡鉴 2.1"));
    w.close();

    // The stored key is read at start-up.
    hjtest::writeGbk(root.dat(QStringLiteral("bzinit.ini")), QStringLiteral("[display]\r\nfanti=1\r\n"));
    hj::gui::TFrmMain again(root.path());
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QVERIFY(child<QAction>(&again, "mnuO_fanti")->isChecked());
    QCOMPARE(again.windowTitle(), QStringLiteral("衡鑒 2.1"));
    again.close();
}

void TestTraditionalDisplay::reportAndBoxes() {
    hjtest::DataRoot root;
    hjtest::writeGbk(root.dat(QStringLiteral("bzinit.ini")), QStringLiteral("[display]\r\nfanti=1\r\n"));
    hj::gui::TFrmMain w(root.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    hjtest::retype(child<QLineEdit>(&w, "Edtname"), QStringLiteral("于丹"));
    hjtest::retype(child<QLineEdit>(&w, "EdtYear"), QStringLiteral("1990"));
    child<QComboBox>(&w, "cbodiZ")->setCurrentIndex(1);  // 北京市
    hjtest::Modals modals;
    QTest::mouseClick(child<QPushButton>(&w, "BtnPai"), Qt::LeftButton);
    QVERIFY(modals.unexpected.isEmpty());
    const QString report = child<hj::gui::ReportEdit>(&w, "Redtbazi")->toPlainText();
    QVERIFY2(report.startsWith(QStringLiteral("命主姓名:于丹  出生地:北京市-")), qPrintable(report.left(40)));
    QVERIFY2(report.contains(QStringLiteral("出生農曆：")), qPrintable(report.left(200)));
    QVERIFY(report.contains(QStringLiteral("藏干")));
    if (!qEnvironmentVariableIsEmpty("HJ_SCREENSHOT_DIR")) {
        w.resize(1100, 760);
        hjtest::screenshot(&w, QStringLiteral("TraditionalDisplay-report"));
    }
    // A message box's title is converted when it is shown.
    modals.expectBox();
    hj::gui::message(&w, QStringLiteral("设置完成"), QStringLiteral("错误"));
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().title, QStringLiteral("錯誤"));
    w.close();
}

void TestTraditionalDisplay::traditionalNames() {
    hjtest::DataRoot root(false);
    QFile::copy(QStringLiteral(HJ_SOURCE_DIR "/resources/dat/hzlen.dat"), root.dat(QStringLiteral("hzlen.dat")));
    setTraditionalShown(true);
    hj::gui::TFrmHanZi dlg(root.path());
    hjtest::Modals modals;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("姓名與五行"));
    auto* memo = child<QPlainTextEdit>(&dlg, "Memo1");
    child<QLineEdit>(&dlg, "LedtName")->setText(QStringLiteral("張三豐"));
    QTest::mouseClick(child<QPushButton>(&dlg, "Btowg"), Qt::LeftButton);
    QVERIFY(modals.unexpected.isEmpty());
    // The read-only memo is shown in Traditional characters; the grids are those of 张三丰.
    QCOMPARE(memo->toPlainText(),
             QStringLiteral("姓名:張三豐\n張:11畫 三:3畫 豐:18畫 \n\n天格12畫,五行屬木。\n\n地格21畫,五行屬木。\n\n"
                            "人格14畫,五行屬火。\n\n總格32畫,五行屬木。\n\n外格19畫,五行屬水。"));
    child<QLineEdit>(&dlg, "LedtWord")->setText(QStringLiteral("龍"));
    QTest::mouseClick(child<QPushButton>(&dlg, "BtoWord"), Qt::LeftButton);
    QVERIFY(modals.unexpected.isEmpty());
    QCOMPARE(memo->toPlainText(), QStringLiteral("龍字:16畫,五行屬:土。"));
    hjtest::screenshot(&dlg, QStringLiteral("TraditionalDisplay-hanzi"));
}

void TestTraditionalDisplay::switchConvertsPaneAndBoxes() {
    hjtest::DataRoot root;
    hj::gui::TFrmMain w(root.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    hjtest::retype(child<QLineEdit>(&w, "Edtname"), QStringLiteral("范冰"));
    hjtest::retype(child<QLineEdit>(&w, "EdtYear"), QStringLiteral("1990"));
    hjtest::Modals modals;
    QTest::mouseClick(child<QPushButton>(&w, "BtnPai"), Qt::LeftButton);
    auto* pane = child<hj::gui::ReportEdit>(&w, "Redtbazi");
    QVERIFY(pane->toPlainText().contains(QStringLiteral("出生农历：")));
    // On: the report in the pane is written again in Traditional characters, the name as typed.
    child<QAction>(&w, "mnuO_fanti")->trigger();
    QVERIFY2(pane->toPlainText().startsWith(QStringLiteral("命主姓名:范冰  出生地:")), qPrintable(pane->toPlainText().left(30)));
    QVERIFY(pane->toPlainText().contains(QStringLiteral("出生農曆：")));
    QVERIFY(!pane->isModified());
    // A message box's text is converted as well as its title; the name in it is not.
    QString text;
    modals.expect([&text](QWidget* box) {
        text = child<QLabel>(box, "qt_msgbox_label")->text();
        QMetaObject::invokeMethod(box, "accept", Qt::QueuedConnection);
    });
    hj::gui::message(&w, QStringLiteral("要修改“范冰”这条记录吗？"), QStringLiteral("提示"));
    QTRY_VERIFY(modals.idle());
    QCOMPARE(text, QStringLiteral("要修改「范冰」這條記錄嗎？"));
    QTRY_VERIFY(!QApplication::activeModalWidget());
    // Off: back to the simplified report.
    child<QAction>(&w, "mnuO_fanti")->trigger();
    QVERIFY(pane->toPlainText().contains(QStringLiteral("出生农历：")));
    QVERIFY(modals.unexpected.isEmpty());
    w.close();
}

void TestTraditionalDisplay::namesStayAsTyped() {
    setTraditionalShown(true);
    // The surname table of 巧猜姓氏 holds surnames only: 余 and 范 are not 餘 and 範.
    hj::gui::TFrmTestName game;
    game.show();
    QVERIFY(QTest::qWaitForWindowExposed(&game));
    auto* table = child<QTableWidget>(&game, "strbjx");
    for (const QString& surname : {QStringLiteral("余"), QStringLiteral("范")})
        QCOMPARE(hj::gui::shownText(surname, table->viewport()), surname);
    QCOMPARE(hj::gui::shownText(QStringLiteral("余"), &game), QStringLiteral("餘"));  // elsewhere a plain word
    // A name once shown as a name keeps its characters in every text after.
    hj::gui::keepAsTyped(QStringLiteral("范冰冰"));
    QCOMPARE(hj::gui::shownText(QStringLiteral("命主范冰冰的范例")), QStringLiteral("命主范冰冰的範例"));
}

// The texts a spin box draws itself (排盘设置's "分钟") and the word a note starts with
// (分类保存's "备注:") follow the display too, and come back when it is turned off.
void TestTraditionalDisplay::spinBoxSuffixAndNoteWord() {
    hjtest::DataRoot root(false);
    hj::text::IniFile ini(root.dat(QStringLiteral("bzinit.ini")).toStdString());
    setTraditionalShown(true);
    {
        hj::gui::TFrmSet dlg(ini);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto* minutes = child<QSpinBox>(&dlg, "SpnBianJie");
        QTRY_COMPARE(minutes->suffix(), QStringLiteral(" 分鐘"));
        setTraditionalShown(false);
        QTRY_COMPARE(minutes->suffix(), QStringLiteral(" 分钟"));
        setTraditionalShown(true);
        QTRY_COMPARE(minutes->suffix(), QStringLiteral(" 分鐘"));
    }
    hj::gui::TFrmFenLei note(ini);
    QCOMPARE(child<QPlainTextEdit>(&note, "MemInfo")->toPlainText(), QStringLiteral("備註:"));
}

void TestTraditionalDisplay::calendarExport() {
    QTemporaryDir dir;
    hj::gui::TFrmWnl w;
    w.showCalendar({2024, 2, 10, 12, 0});
    hjtest::Modals modals;
    modals.expectBox();
    modals.expectBox();
    QVERIFY(w.exportCalendar(dir.filePath(QStringLiteral("a.ics")), 2024, 2024));
    QTRY_VERIFY(!QApplication::activeModalWidget());
    setTraditionalShown(true);
    QVERIFY(w.exportCalendar(dir.filePath(QStringLiteral("b.ics")), 2024, 2024));
    QTRY_VERIFY(modals.idle());
    const QString plain = QString::fromUtf8(hjtest::readBytes(dir.filePath(QStringLiteral("a.ics"))));
    const QString shown = QString::fromUtf8(hjtest::readBytes(dir.filePath(QStringLiteral("b.ics"))));
    QVERIFY(plain.contains(QStringLiteral("SUMMARY:春节")) && plain.contains(QStringLiteral("农历")));
    QVERIFY(shown.contains(QStringLiteral("SUMMARY:春節")) && shown.contains(QStringLiteral("農曆")));
    QVERIFY(!shown.contains(QStringLiteral("农历")));
}

HJ_GUI_TEST(TestTraditionalDisplay)
#include "gui_TraditionalDisplay.moc"
