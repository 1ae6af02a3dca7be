// The case tree in the main window: building it, saving, opening, editing, moving, deleting,
// class commands, search, and the history commands, driven as a person would, with the store
// files checked after each step.
#include <QComboBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "core/presentation/case_tree.h"
#include "core/casestore/case_store.h"
#include "core/rtf/rtf.h"
#include "core/text/file_io.h"
#include "core/text/folder_lock.h"
#include "gui/CaseSession.h"
#include "gui/CaseTree.h"
#include "gui/CalendarLinks.h"
#include "gui/ReportEdit.h"
#include "gui/TFrmWnl.h"
#include "gui/TFrmMain.h"

using hj::casestore::CaseRecord;
using hj::casestore::CaseStore;
using hj::gui::TFrmMain;
using hjtest::child;

// The text of a stored report.
static QString reportText(const QString& path) {
    const QByteArray b = hjtest::readBytes(path);
    hj::rtf::Document doc;
    if (!hj::rtf::readRtf(std::string_view(b.constData(), static_cast<std::size_t>(b.size())), doc)) return {};
    return QString::fromStdString(hj::rtf::plainText(doc));
}

class TestCaseTree : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startShowsFirst300Slots();
    void menuFollowsSelectedLevel();
    void saveNewCaseThenOpenAndSaveAgain();
    void paneUndoStopsAtLoadedReport();
    void deletingOpenCaseNeverBringsItBack();
    void deletingClassOfOpenCaseEndsEditing();
    void moveRenameAndEditOfOpenCaseSurviveSave();
    void changesElsewhereNeverLandOnAnotherCase();
    void twoWindowsNeverOverwriteEachOther();
    void doubleClickOnARemovedCaseKeepsThePane();
    void busyStoreShowsACancellableWait();
    void unreadableReportIsReplacedOnlyWhenAsked();
    void chartNotStoredIsAskedAbout();
    void calendarMomentOutsideTheYearsLeavesInputs();
    void editedBirthDataOffersANewReport();
    void classCommands();
    void searchAndShowAll();
    void clearEndsWithoutWritingOpenCase();
    void exportThenImport();
    void restoreBringsBackAClearedHistory();
    void largeTreeShowsProgress();
    void caseTextsAtTheDefaultWidth();

private:
    TFrmMain* open();
    // Adds a record straight to the store (before the window opens).
    int addRecord(const char* name, const char* cls, int year = 1990, bool male = true);
    std::vector<CaseRecord> liveRecords();
    QTreeWidget* tree() { return child<QTreeWidget>(win.get(), "Tree"); }
    hj::gui::ReportEdit* reportPane() { return child<hj::gui::ReportEdit>(win.get(), "Redtbazi"); }
    QTreeWidgetItem* node(int index) { return win->caseTree()->caseNode(index); }
    QTreeWidgetItem* classNode(const QString& name) { return win->caseTree()->classNode(name); }
    void select(QTreeWidgetItem* item) {
        tree()->scrollToItem(item);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, tree()->visualItemRect(item).center());
        QCOMPARE(tree()->currentItem(), item);
    }
    // A right click on the item: the menu is set for it and shown; it is closed again here.
    void rightClick(QTreeWidgetItem* item) {
        select(item);
        const QPoint at = tree()->visualItemRect(item).center();
        QContextMenuEvent e(QContextMenuEvent::Mouse, at, tree()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(tree()->viewport(), &e);
        win->caseTree()->popupMenu()->close();
    }
    QAction* action(const char* name) { return child<QAction>(win.get(), name); }
    void chart(const QString& name, const QString& year) {
        hjtest::retype(child<QLineEdit>(win.get(), "Edtname"), name);
        hjtest::retype(child<QLineEdit>(win.get(), "EdtYear"), year);
        QTest::mouseClick(child<QPushButton>(win.get(), "BtnPai"), Qt::LeftButton);
        QVERIFY(win->chartValid());
    }
    // Answers the class chooser with a class and a note.
    void expectChooser(hjtest::Modals& m, const QString& cls, const QString& note = QStringLiteral("备注:测试")) {
        m.expect([cls, note](QWidget* w) {
            QCOMPARE(w->objectName(), QStringLiteral("FrmFenLei"));
            child<QComboBox>(w, "CboFenLei")->setEditText(cls);
            child<QPlainTextEdit>(w, "MemInfo")->setPlainText(note);
            hjtest::clickLater(child<QPushButton>(w, "BtnOk"));
        });
    }
    void expectInput(hjtest::Modals& m, const QString& answer, QString* title = nullptr, QString* preset = nullptr) {
        m.expect([answer, title, preset](QWidget* w) {
            auto* box = qobject_cast<QInputDialog*>(w);
            QVERIFY(box);
            if (title) *title = box->windowTitle();
            if (preset) *preset = box->textValue();
            box->setTextValue(answer);
            QMetaObject::invokeMethod(box, "accept", Qt::QueuedConnection);
        });
    }

    std::unique_ptr<hjtest::DataRoot> root;
    std::unique_ptr<TFrmMain> win;
};

void TestCaseTree::init() { root = std::make_unique<hjtest::DataRoot>(); }

void TestCaseTree::cleanup() {
    if (win) {
        win->caseSession()->dropOpenCase();  // no closing question in the tests
        win->close();
    }
    win.reset();
    root.reset();
}

TFrmMain* TestCaseTree::open() {
    win = std::make_unique<TFrmMain>(root->path());
    win->resize(900, 600);
    win->show();
    QTest::qWait(10);
    return win.get();
}

int TestCaseTree::addRecord(const char* name, const char* cls, int year, bool male) {
    CaseStore s;
    if (!s.openStore(root->path().toStdString())) return -1;
    CaseRecord r;
    r.name = name;
    r.className = cls;
    r.year = static_cast<std::int16_t>(year);
    r.month = 5;
    r.day = 12;
    r.male = male;
    r.note = "备注:";
    return s.addRecord(r);
}

std::vector<CaseRecord> TestCaseTree::liveRecords() {
    CaseStore s;
    s.openStore(root->path().toStdString());
    std::vector<CaseRecord> all;
    s.readAllRecords(all);
    return all;
}

void TestCaseTree::startShowsFirst300Slots() {
    for (int i = 0; i < 350; ++i) addRecord(i == 7 ? "李四" : "某", i % 2 ? "abc" : "ABC朋友", 1990, i % 3 != 0);
    addRecord("古人", "ABC", -99, false);  // 350: ABC and abc are one class
    open();
    hjtest::screenshot(win.get(), QStringLiteral("CaseTree-start"));
    QTreeWidgetItem* r = win->caseTree()->root();
    QCOMPARE(tree()->topLevelItemCount(), 1);
    QCOMPARE(r->text(0), QStringLiteral("命例"));
    QVERIFY(r->isExpanded());
    QCOMPARE(r->childCount(), 2);
    QCOMPARE(r->child(0)->text(0), QStringLiteral("ABC朋友"));
    QCOMPARE(r->child(1)->text(0), QStringLiteral("abc"));
    QVERIFY(!r->child(0)->isExpanded());
    QCOMPARE(r->child(0)->childCount() + r->child(1)->childCount(), 300);
    QCOMPARE(node(7)->text(0), QStringLiteral("李四  公1990-5-12|7"));
    QCOMPARE(node(7)->parent()->text(0), QStringLiteral("abc"));
    QVERIFY(!node(300));
    // 显示全部命例 shows all 351.
    rightClick(r);
    action("pmnuShowAll")->trigger();
    QCOMPARE(win->caseTree()->root()->child(1)->childCount(), 176);
    QCOMPARE(node(350)->text(0), QStringLiteral("古人  公-100-5-12|350"));
    QCOMPARE(node(350)->parent()->text(0), QStringLiteral("abc"));
}

void TestCaseTree::menuFollowsSelectedLevel() {
    addRecord("甲", "朋友");
    addRecord("乙", "客户", 1990, false);
    addRecord("丙", "同事");
    open();
    struct Row {
        QTreeWidgetItem* item;
        bool caseOn, classOn, expandOn;
    };
    const Row rows[] = {{win->caseTree()->root(), false, false, true},
                        {classNode(QStringLiteral("朋友")), false, true, true},
                        {nullptr, true, false, false}};
    for (const Row& row : rows) {
        QTreeWidgetItem* item = row.item;
        if (!item) {
            classNode(QStringLiteral("客户"))->setExpanded(true);
            item = node(1);
        }
        rightClick(item);
        for (const char* n : {"pmnuView", "pmnuEdit", "pmnuDelCase"}) QCOMPARE(action(n)->isEnabled(), row.caseOn);
        QCOMPARE(child<QMenu>(win.get(), "pmnuMoveTo")->menuAction()->isEnabled(), row.caseOn);
        for (const char* n : {"pmnuAddClass", "pmnuEditClasses", "pmnuFind", "pmnuShowAll"}) QVERIFY(action(n)->isEnabled());
        for (const char* n : {"pmnuRenameClass", "pmnuDelClass"}) QCOMPARE(action(n)->isEnabled(), row.classOn);
        for (const char* n : {"pmnuExpand", "pmnuCollapse"}) QCOMPARE(action(n)->isEnabled(), row.expandOn);
    }
    // 移动到 lists the other classes, in tree order.
    QStringList captions;
    for (QAction* a : child<QMenu>(win.get(), "pmnuMoveTo")->actions()) captions << a->text();
    QCOMPARE(captions, (QStringList{QStringLiteral("朋友"), QStringLiteral("同事")}));
    // 展开 on the root opens every class; 收缩 closes them again.
    rightClick(win->caseTree()->root());
    action("pmnuExpand")->trigger();
    QVERIFY(classNode(QStringLiteral("同事"))->isExpanded());
    select(node(1));
    hjtest::screenshot(win.get(), QStringLiteral("CaseTree-expanded"));
    if (!qEnvironmentVariableIsEmpty("HJ_SCREENSHOT_DIR")) {  // the menu and its 移动到 list
        win->caseTree()->updateMenu();
        QMenu* menu = win->caseTree()->popupMenu();
        menu->popup(tree()->viewport()->mapToGlobal(tree()->visualItemRect(node(1)).center()));
        QTest::qWait(50);
        hjtest::screenshot(menu, QStringLiteral("CaseTree-menu"));
        QMenu* moveTo = child<QMenu>(win.get(), "pmnuMoveTo");
        moveTo->popup(menu->mapToGlobal(menu->actionGeometry(moveTo->menuAction()).topRight()));
        QTest::qWait(50);
        hjtest::screenshot(moveTo, QStringLiteral("CaseTree-moveto"));
        moveTo->close();
        menu->close();
    }
    rightClick(win->caseTree()->root());
    action("pmnuCollapse")->trigger();
    QVERIFY(!classNode(QStringLiteral("客户"))->isExpanded());
    QVERIFY(!win->caseTree()->root()->isExpanded());
}

void TestCaseTree::saveNewCaseThenOpenAndSaveAgain() {
    open();
    auto* save = child<QToolButton>(win.get(), "SbtoSave");
    hjtest::Modals modals;
    modals.expectBox();
    QTest::mouseClick(save, Qt::LeftButton);  // nothing charted yet
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(0).text, QStringLiteral("请先排一个正确的盘后再保存"));

    chart(QStringLiteral("张三"), QStringLiteral("1990"));
    const QString report = reportPane()->toPlainText();
    expectChooser(modals, QStringLiteral("朋友"), QStringLiteral("备注:老友"));
    QTest::mouseClick(save, Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    auto recs = liveRecords();
    QCOMPARE(recs.size(), std::size_t(1));
    QCOMPARE(recs[0].name, std::string("张三"));
    QCOMPARE(recs[0].className, std::string("朋友"));
    QCOMPARE(recs[0].note, std::string("备注:老友"));
    QVERIFY(QFile::exists(root->path() + QStringLiteral("/bazi_f/0.rtf")));
    QVERIFY(node(0));
    QVERIFY(classNode(QStringLiteral("朋友"))->isExpanded());
    QCOMPARE(save->text(), QStringLiteral("存新"));
    // Still new-case mode: another save adds another case.
    expectChooser(modals, QStringLiteral("朋友"));
    child<QAction>(win.get(), "mnuF_save")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(liveRecords().size(), std::size_t(2));

    // Opening the first one by double-click shows its stored report.
    QTest::mouseClick(child<QPushButton>(win.get(), "BtoNew"), Qt::LeftButton);
    QVERIFY(reportPane()->toPlainText().isEmpty());
    QVERIFY(!win->chartValid());
    hjtest::retype(child<QLineEdit>(win.get(), "Edtname"), QStringLiteral("别人"));
    tree()->scrollToItem(node(0));
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, tree()->visualItemRect(node(0)).center());
    QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, tree()->visualItemRect(node(0)).center());
    QTRY_VERIFY(win->editingCase());
    QCOMPARE(save->text(), QStringLiteral("存旧"));
    QCOMPARE(save->palette().color(QPalette::ButtonText), QColor(Qt::blue));
    hjtest::screenshot(win.get(), QStringLiteral("CaseTree-open"));
    QCOMPARE(child<QLineEdit>(win.get(), "Edtname")->text(), QStringLiteral("张三"));
    QCOMPARE(reportPane()->toPlainText(), report);
    QVERIFY(win->chartValid());
    QVERIFY(!reportPane()->isModified());

    // Edit the pane and save: the question names the case; the report file changes.
    QTextCursor c = reportPane()->textCursor();
    c.movePosition(QTextCursor::End);
    reportPane()->setTextCursor(c);
    hjtest::typeText(reportPane(), QStringLiteral("批注"));
    QVERIFY(reportPane()->isModified());
    modals.expectBox(QMessageBox::Yes);
    modals.expectBox();
    QTest::mouseClick(save, Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(1).text, QStringLiteral("要修改“张三”这条记录吗？"));
    QCOMPARE(modals.boxes.at(2).text, QStringLiteral("已保存编辑后的命例。"));
    QVERIFY(!reportPane()->isModified());
    QVERIFY(reportText(root->path() + QStringLiteral("/bazi_f/0.rtf")).contains(QStringLiteral("批注")));
    QCOMPARE(liveRecords().size(), std::size_t(2));

    // Opening the other case with a changed pane asks first; No leaves the first as it was.
    hjtest::typeText(reportPane(), QStringLiteral("再改"));
    modals.expectBox(QMessageBox::No);
    select(node(1));
    action("pmnuView")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(3).text, QStringLiteral("当前命例文本已改变，要保存吗？"));
    QCOMPARE(win->caseSession()->openCaseId(), 1);
    QVERIFY(!reportText(root->path() + QStringLiteral("/bazi_f/0.rtf")).contains(QStringLiteral("再改")));
    QVERIFY(modals.unexpected.isEmpty());
}

void TestCaseTree::paneUndoStopsAtLoadedReport() {
    open();
    chart(QStringLiteral("张三"), QStringLiteral("1990"));
    hjtest::Modals modals;
    expectChooser(modals, QStringLiteral("朋友"));
    child<QAction>(win.get(), "mnuF_save")->trigger();
    QTRY_VERIFY(modals.idle());
    const QString stored = reportText(root->path() + QStringLiteral("/bazi_f/0.rtf"));
    QVERIFY(!stored.trimmed().isEmpty());
    QTest::mouseClick(child<QPushButton>(win.get(), "BtoNew"), Qt::LeftButton);
    select(node(0));
    action("pmnuView")->trigger();
    QVERIFY(win->editingCase());
    auto* pane = reportPane();
    const QString loaded = pane->toPlainText();
    QVERIFY(!loaded.isEmpty());

    // Undo never takes back the program's own loading.
    pane->setFocus();
    QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(pane->toPlainText(), loaded);
    QVERIFY(!pane->isModified());

    // The user's own edits undo and redo, by either redo key.
    QTextCursor c = pane->textCursor();
    c.movePosition(QTextCursor::End);
    pane->setTextCursor(c);
    hjtest::typeText(pane, QStringLiteral("批注"));
    QVERIFY(pane->isModified());
    for (int i = 0; i < 5; ++i) QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(pane->toPlainText(), loaded);
    QVERIFY(!pane->isModified());
    for (int i = 0; i < 5; ++i) QTest::keyClick(pane, Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(pane->toPlainText().endsWith(QStringLiteral("批注")));
    QVERIFY(pane->isModified());
    for (int i = 0; i < 5; ++i) QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
    for (int i = 0; i < 5; ++i) QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(pane->toPlainText().endsWith(QStringLiteral("批注")));
    QVERIFY(child<QAction>(pane->popupMenu(), "pmnuRedo"));

    // Emptying the pane and saving asks plainly, 否 first: Enter twice keeps the stored report.
    pane->selectAll();
    QTest::keyClick(pane, Qt::Key_Delete);
    QVERIFY(pane->toPlainText().isEmpty());
    modals.expectBox(QMessageBox::Yes);
    modals.expect([&modals](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        modals.boxes.push_back({box->windowTitle(), box->text(), box->icon(), box->informativeText()});
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
        QMetaObject::invokeMethod(box->defaultButton(), &QAbstractButton::click, Qt::QueuedConnection);
    });
    QTest::mouseClick(child<QToolButton>(win.get(), "SbtoSave"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().text, QStringLiteral("命稿是空的。要用空白命稿替换“张三”已保存的命稿吗？"));
    QCOMPARE(reportText(root->path() + QStringLiteral("/bazi_f/0.rtf")), stored);
    QVERIFY(modals.unexpected.isEmpty());

    // 导入命稿 of a 3 GB file is refused by its size before anything is read.
    QFile huge(root->path() + QStringLiteral("/huge.rtf"));
    QVERIFY(huge.open(QIODevice::WriteOnly));
    QVERIFY(huge.resize(qint64(3) << 30));  // sparse
    huge.close();
    QString error;
    QVERIFY(!pane->loadFile(huge.fileName(), &error));
    QVERIFY2(error.contains(QStringLiteral("太大")), qPrintable(error));
    QVERIFY(pane->toPlainText().isEmpty());
}

void TestCaseTree::deletingOpenCaseNeverBringsItBack() {
    addRecord("甲", "朋友");
    addRecord("乙", "朋友");
    open();
    classNode(QStringLiteral("朋友"))->setExpanded(true);
    select(node(0));
    action("pmnuView")->trigger();
    QVERIFY(QFile::exists(root->path() + QStringLiteral("/bazi_f/0.rtf")));  // computed and stored
    QCOMPARE(win->caseSession()->openCaseId(), 0);
    hjtest::Modals modals;
    modals.expectBox(QMessageBox::No);
    rightClick(node(0));
    action("pmnuDelCase")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(0).text, QStringLiteral("确定要删除“甲”这个命例吗？"));
    QCOMPARE(modals.boxes.at(0).title, QStringLiteral("注意"));
    QCOMPARE(liveRecords().size(), std::size_t(2));
    modals.expectBox(QMessageBox::Yes);
    modals.expectBox(QMessageBox::Yes);
    action("pmnuDelCase")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(2).text, QStringLiteral("确定要删除当前正在查看的命例吗？"));
    QVERIFY(!node(0));
    QVERIFY(!QFile::exists(root->path() + QStringLiteral("/bazi_f/0.rtf")));
    QVERIFY(reportPane()->toPlainText().isEmpty());
    QVERIFY(!win->chartValid());
    QVERIFY(!win->editingCase());
    QCOMPARE(child<QToolButton>(win.get(), "SbtoSave")->text(), QStringLiteral("存新"));
    // A save now has nothing to store, and the slot stays a hole.
    modals.expectBox();
    child<QAction>(win.get(), "mnuF_save")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(3).text, QStringLiteral("请先排一个正确的盘后再保存"));
    auto recs = liveRecords();
    QCOMPARE(recs.size(), std::size_t(1));
    QCOMPARE(recs[0].index, 1);
    CaseStore s;
    s.openStore(root->path().toStdString());
    QCOMPARE(s.recordCount(), 2);
    QCOMPARE(s.header().deletedCount, 1);
}

void TestCaseTree::deletingClassOfOpenCaseEndsEditing() {
    addRecord("甲", "朋友");
    addRecord("乙", "客户");
    open();
    classNode(QStringLiteral("朋友"))->setExpanded(true);
    select(node(0));
    action("pmnuView")->trigger();
    const QString report = reportPane()->toPlainText();
    hjtest::Modals modals;
    modals.expectBox(QMessageBox::Yes);
    rightClick(classNode(QStringLiteral("朋友")));
    action("pmnuDelClass")->trigger();
    QTRY_VERIFY(modals.idle());
    // The count in the second line; the whole history was kept before anything went.
    QCOMPARE(modals.boxes.at(0).text,
             QStringLiteral("确定要删除“朋友”这个类别吗？\n其中的1个命例将一并删除（删除前先备份全部命例）。"));
    {
        CaseStore s;
        QVERIFY(s.openStore(root->path().toStdString()));
        std::vector<hj::casestore::BackupInfo> backups;
        QVERIFY(s.listBackups(backups));
        QCOMPARE(backups.size(), std::size_t(1));
        QCOMPARE(backups.front().cases, 2);
    }
    QVERIFY(!classNode(QStringLiteral("朋友")));
    QVERIFY(QFile::exists(root->path() + QStringLiteral("/bazi_f/0.rtf")));  // reports stay
    QCOMPARE(reportPane()->toPlainText(), report);
    QVERIFY(!win->editingCase());
    // Saving now stores a new case (asking for its class); slot 0 is not brought back.
    expectChooser(modals, QStringLiteral("新类"));
    child<QAction>(win.get(), "mnuF_save")->trigger();
    QTRY_VERIFY(modals.idle());
    auto recs = liveRecords();
    QCOMPARE(recs.size(), std::size_t(2));
    QCOMPARE(recs[0].index, 1);
    QCOMPARE(recs[1].index, 2);
    QCOMPARE(recs[1].className, std::string("新类"));
}

void TestCaseTree::moveRenameAndEditOfOpenCaseSurviveSave() {
    addRecord("甲", "朋友");
    addRecord("乙", "客户");
    open();
    classNode(QStringLiteral("朋友"))->setExpanded(true);
    select(node(0));
    action("pmnuView")->trigger();
    QVERIFY(win->editingCase());

    // Move the open case to 客户.
    rightClick(node(0));
    QMenu* moveTo = child<QMenu>(win.get(), "pmnuMoveTo");
    QCOMPARE(moveTo->actions().size(), 1);
    moveTo->actions().at(0)->trigger();
    QCOMPARE(node(0)->parent(), classNode(QStringLiteral("客户")));
    QCOMPARE(liveRecords()[0].className, std::string("客户"));

    // Rename 客户 to 老客户; the [classes] list follows when it holds the old name.
    hjtest::writeGbk(root->dat(QStringLiteral("bzinit.ini")), QStringLiteral("[classes]\r\ncount=1\r\n1=客户\r\n"));
    win->settings().reload();
    hjtest::Modals modals;
    QString title, preset;
    expectInput(modals, QStringLiteral(" 老客户 "), &title, &preset);
    rightClick(classNode(QStringLiteral("客户")));
    action("pmnuRenameClass")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(title, QStringLiteral("修改类别名"));
    QCOMPARE(preset, QStringLiteral("客户"));
    QVERIFY(classNode(QStringLiteral("老客户")));
    QCOMPARE(liveRecords()[0].className, std::string("老客户"));
    QCOMPARE(liveRecords()[1].className, std::string("老客户"));
    QCOMPARE(QString::fromStdString(win->settings().readString("classes", "1", "")), QStringLiteral("老客户"));

    // Edit the open case's note through 编辑命例.
    modals.expect([](QWidget* w) {
        QCOMPARE(w->objectName(), QStringLiteral("FrmInfo"));
        child<QPlainTextEdit>(w, "MemInfo")->setPlainText(QStringLiteral("备注:改过"));
        hjtest::clickLater(child<QPushButton>(w, "BtnSave"));
    });
    modals.expectBox(QMessageBox::Yes);  // 确定要保存修改吗？
    modals.expectBox();                  // 完成修改
    rightClick(node(0));
    action("pmnuEdit")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().text, QStringLiteral("完成修改"));
    QCOMPARE(modals.boxes.back().title, QStringLiteral("完成"));

    // Saving the open case keeps the class and the note.
    modals.expectBox(QMessageBox::Yes);
    modals.expectBox();
    child<QAction>(win.get(), "mnuF_save")->trigger();
    QTRY_VERIFY(modals.idle());
    const CaseRecord r = liveRecords()[0];
    QCOMPARE(r.className, std::string("老客户"));
    QCOMPARE(r.note, std::string("备注:改过"));
    QCOMPARE(r.name, std::string("甲"));
    QVERIFY(modals.unexpected.isEmpty());
}

// Another window (here: another store object, as another copy of the program) saves the open
// case; this window's 存旧 is then refused and offers to open the case again or store anew.
void TestCaseTree::twoWindowsNeverOverwriteEachOther() {
    addRecord("甲", "朋友");
    open();
    classNode(QStringLiteral("朋友"))->setExpanded(true);
    select(node(0));
    action("pmnuView")->trigger();
    QVERIFY(win->editingCase());
    CaseStore other;
    QVERIFY(other.openStore(root->path().toStdString()));
    CaseRecord theirs;
    QVERIFY(other.readRecord(0, theirs));
    theirs.note = "B的备注";
    const std::string theirReport = "{\\rtf1 B wrote this}";
    QVERIFY(other.writeRecord(hj::casestore::refOf(theirs), theirs, &theirReport));

    auto* save = child<QToolButton>(win.get(), "SbtoSave");
    const QString stale = QString::fromUtf8(hj::casestore::kStaleCase.data(),
                                            static_cast<qsizetype>(hj::casestore::kStaleCase.size()));
    struct Step {
        QMessageBox::StandardButton answer;
        bool editingAfter;
        std::size_t casesAfter;
    };
    // Cancel keeps the window as it was; 重新打开 shows B's save; both leave B's save whole.
    for (const Step& step : {Step{QMessageBox::Cancel, true, 1}, Step{QMessageBox::Open, true, 1}}) {
        hjtest::typeText(reportPane(), QStringLiteral("A的批注"));
        hjtest::Modals modals;
        modals.expectBox(QMessageBox::Yes);
        modals.expect([&modals, answer = step.answer](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            hjtest::screenshot(w, QStringLiteral("StaleSave"));
            modals.boxes.push_back({box->windowTitle(), box->text(), box->icon(), box->informativeText()});
            QMetaObject::invokeMethod(box->button(answer), &QAbstractButton::click, Qt::QueuedConnection);
        });
        QTest::mouseClick(save, Qt::LeftButton);
        QTRY_VERIFY(modals.idle());
        QCOMPARE(modals.boxes.at(1).text, QStringLiteral("未能保存命例：") + stale);
        QCOMPARE(hjtest::readBytes(root->path() + QStringLiteral("/bazi_f/0.rtf")).toStdString(), theirReport);
        QCOMPARE(liveRecords().at(0).note, std::string("B的备注"));
        QCOMPARE(liveRecords().size(), step.casesAfter);
        QCOMPARE(win->editingCase(), step.editingAfter);
        QVERIFY(modals.unexpected.isEmpty());
    }
    QCOMPARE(reportPane()->toPlainText().trimmed(), QStringLiteral("B wrote this"));
    // Opened again, the window holds B's revision: its own save now goes through.
    hjtest::typeText(reportPane(), QStringLiteral("A再写"));
    hjtest::Modals modals;
    modals.expectBox(QMessageBox::Yes);
    modals.expectBox();
    QTest::mouseClick(save, Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(1).text, QStringLiteral("已保存编辑后的命例。"));
    QVERIFY(reportText(root->path() + QStringLiteral("/bazi_f/0.rtf")).contains(QStringLiteral("A再写")));
    QCOMPARE(liveRecords().at(0).note, std::string("B的备注"));
    // B, which read before A's save, is refused in turn.
    QVERIFY(!other.writeRecord(hj::casestore::refOf(theirs), theirs, &theirReport));
    QVERIFY(modals.unexpected.isEmpty());
}

// A double click on a case another window removed: the open is refused, the tree rebuilt
// under the click, and nothing may read the deleted node; the pane keeps its text.
void TestCaseTree::doubleClickOnARemovedCaseKeepsThePane() {
    addRecord("甲", "朋友");
    addRecord("乙", "朋友");
    open();
    classNode(QStringLiteral("朋友"))->setExpanded(true);
    chart(QStringLiteral("未存"), QStringLiteral("1990"));
    hjtest::typeText(reportPane(), QStringLiteral("没保存的字"));
    CaseStore other;
    QVERIFY(other.openStore(root->path().toStdString()));
    QVERIFY(other.removeRecord(1));
    tree()->scrollToItem(node(1));
    const QPoint at = tree()->visualItemRect(node(1)).center();
    hjtest::Modals modals;
    modals.expectBox();  // refused before anything asks about the unsaved chart
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, at);
    QTRY_VERIFY(modals.idle());
    QTest::qWait(50);
    QVERIFY(modals.boxes.back().text.startsWith(QStringLiteral("未能打开命例")));
    QVERIFY(!node(1));
    QVERIFY(reportPane()->toPlainText().contains(QStringLiteral("没保存的字")));
    QVERIFY(!win->editingCase());
    QVERIFY(modals.unexpected.isEmpty());
}

// Another process holds the store: the window shows that it waits, can stop waiting, and then
// says the true reason; the case and the tree are as they were.
void TestCaseTree::busyStoreShowsACancellableWait() {
    addRecord("甲", "朋友");
    open();
    classNode(QStringLiteral("朋友"))->setExpanded(true);
    hj::text::FolderLock held;
    std::string err;
    QVERIFY(held.take((root->path() + QStringLiteral("/dat")).toStdString(), true, 0, &err));
    struct Step {
        const char* action;
        const char* failure;
    };
    for (const Step& step : {Step{"pmnuView", "未能打开命例："}, Step{"pmnuEdit", "未能编辑命例："}}) {
        select(node(0));
        hjtest::Modals modals;
        QString waitText;
        modals.expect([&waitText](QWidget* w) {
            auto* box = qobject_cast<QProgressDialog*>(w);
            QVERIFY2(box, "expected the wait window");
            waitText = box->labelText();
            hjtest::screenshot(box, QStringLiteral("StoreWait"));
            QMetaObject::invokeMethod(box, "cancel", Qt::QueuedConnection);
        });
        modals.expectBox();
        QElapsedTimer t;
        t.start();
        action(step.action)->trigger();
        QTRY_VERIFY(modals.idle());
        QVERIFY2(t.elapsed() < 5000, step.action);  // stopped at once, not after the whole wait
        QVERIFY(waitText.contains(QStringLiteral("正被另一个程序使用")));
        const QString said = modals.boxes.back().text;
        QVERIFY2(said.startsWith(QString::fromUtf8(step.failure)) && said.contains(QStringLiteral("正被另一个程序使用")),
                 qPrintable(said));
        QVERIFY(!said.contains(QStringLiteral("修改或删除")));
        QVERIFY(node(0));
        QVERIFY(!win->editingCase());
        QVERIFY2(modals.unexpected.isEmpty(), qPrintable(modals.unexpected.join(QStringLiteral(" | "))));
    }
    held.release();
    // Free again: the same command works.
    select(node(0));
    action("pmnuView")->trigger();
    QTRY_VERIFY(win->editingCase());
}

// A stored report the store cannot read back (here: larger than its readers take) is never
// replaced by a freshly computed one without the user's yes.
void TestCaseTree::unreadableReportIsReplacedOnlyWhenAsked() {
    addRecord("甲", "朋友");
    const QString path = root->path() + QStringLiteral("/bazi_f/0.rtf");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(static_cast<qint64>(hj::text::kMaxReportBytes) + 1));
    }
    open();
    classNode(QStringLiteral("朋友"))->setExpanded(true);
    struct Step {
        QMessageBox::StandardButton answer;
        bool replaced;
    };
    for (const Step& step : {Step{QMessageBox::No, false}, Step{QMessageBox::Yes, true}}) {
        hjtest::Modals modals;
        modals.expectBox(step.answer);
        select(node(0));
        action("pmnuView")->trigger();
        QTRY_VERIFY(modals.idle());
        QVERIFY2(modals.boxes.at(0).text.contains(QStringLiteral("保存的命稿无法读出")), qPrintable(modals.boxes.at(0).text));
        QVERIFY(win->editingCase());
        QVERIFY(!reportPane()->toPlainText().isEmpty());  // the chart computed again is shown
        QCOMPARE(QFileInfo(path).size() <= static_cast<qint64>(hj::text::kMaxReportBytes), step.replaced);
        QVERIFY2(modals.unexpected.isEmpty(), qPrintable(modals.unexpected.join(QStringLiteral(" | "))));
        win->caseSession()->newCase();
    }
}

// A chart cast but not stored is never dropped without a word: opening a case from the tree
// and closing the window ask as 新建 does; 取消 keeps everything as it was.
void TestCaseTree::chartNotStoredIsAskedAbout() {
    addRecord("甲", "朋友");
    open();
    classNode(QStringLiteral("朋友"))->setExpanded(true);
    chart(QStringLiteral("未存"), QStringLiteral("1990"));
    const QString asked = QStringLiteral("当前命盘还没有保存，要保存吗？");
    {
        hjtest::Modals modals;
        modals.expectBox(QMessageBox::Cancel);
        select(node(0));
        action("pmnuView")->trigger();
        QTRY_VERIFY(modals.idle());
        QCOMPARE(modals.boxes.at(0).text, asked);
        QVERIFY(!win->editingCase());
        QVERIFY(win->chartValid());
        QCOMPARE(child<QLineEdit>(win.get(), "Edtname")->text(), QStringLiteral("未存"));
    }
    {
        hjtest::Modals modals;
        modals.expectBox(QMessageBox::Cancel);
        win->close();
        QTRY_VERIFY(modals.idle());
        QCOMPARE(modals.boxes.at(0).text, asked);
        QVERIFY(win->isVisible());
        // 是 stores it (the class chooser asks where), then the window closes.
        modals.expectBox(QMessageBox::Yes);
        expectChooser(modals, QStringLiteral("朋友"));
        QMetaObject::invokeMethod(win.get(), "close", Qt::QueuedConnection);
        QTRY_VERIFY(modals.idle());
        QTRY_VERIFY(!win->isVisible());
        QCOMPARE(liveRecords().size(), std::size_t(2));
        QCOMPARE(liveRecords().back().name, std::string("未存"));
        QVERIFY2(modals.unexpected.isEmpty(), qPrintable(modals.unexpected.join(QStringLiteral(" | "))));
    }
}

// The calendar's 本命盘 for a moment outside the years a chart takes is refused before the main
// window's inputs change; one inside is taken.
void TestCaseTree::calendarMomentOutsideTheYearsLeavesInputs() {
    open();
    chart(QStringLiteral("某人"), QStringLiteral("1990"));
    hj::gui::TFrmWnl* wnl = win->calendarLinks()->openCalendar();
    QVERIFY(wnl);
    struct Case {
        int year;
        bool taken;
    };
    for (const Case& c : {Case{2101, false}, Case{-850, false}, Case{-849, true}, Case{2100, true}}) {
        hjtest::Modals modals;
        if (!c.taken) modals.expectBox();
        const QString before = child<QLineEdit>(win.get(), "EdtYear")->text();
        emit wnl->chartRequested(hj::DateTime{static_cast<std::int16_t>(c.year), 6, 1, 12, 0});
        QTRY_VERIFY(modals.idle());
        const QString now = child<QLineEdit>(win.get(), "EdtYear")->text();
        if (c.taken) {
            QCOMPARE(now, QString::number(c.year <= 0 ? c.year - 1 : c.year));
        } else {
            QCOMPARE(now, before);
            QVERIFY(modals.boxes.at(0).text.contains(QStringLiteral("超出了排盘的年份范围")));
        }
        QVERIFY2(modals.unexpected.isEmpty(), qPrintable(modals.unexpected.join(QStringLiteral(" | "))));
    }
    wnl->close();
}

// 编辑命例 that renames a case leaves a report cast for the old name: the window offers to cast
// it again; 否 keeps the stored report, 是 replaces it.
void TestCaseTree::editedBirthDataOffersANewReport() {
    addRecord("甲", "朋友");
    open();
    classNode(QStringLiteral("朋友"))->setExpanded(true);
    const QString path = root->path() + QStringLiteral("/bazi_f/0.rtf");
    struct Step {
        const char* name;
        QMessageBox::StandardButton answer;
        bool replaced;
    };
    for (const Step& step : {Step{"乙", QMessageBox::No, false}, Step{"丙", QMessageBox::Yes, true}}) {
        const QByteArray before = hjtest::readBytes(path);
        hjtest::Modals modals;
        const QString name = QString::fromUtf8(step.name);
        modals.expect([name](QWidget* w) {
            QCOMPARE(w->objectName(), QStringLiteral("FrmInfo"));
            child<QLineEdit>(w, "Edtname")->setText(name);
            hjtest::clickLater(child<QPushButton>(w, "BtnSave"));
        });
        modals.expectBox(QMessageBox::Yes);  // 确定要保存修改吗？
        modals.expectBox();                  // 完成修改
        modals.expectBox(step.answer);
        rightClick(node(0));
        action("pmnuEdit")->trigger();
        QTRY_VERIFY(modals.idle());
        QVERIFY2(modals.boxes.back().text.contains(QStringLiteral("要重新排盘并用新的命稿替换它吗")),
                 qPrintable(modals.boxes.back().text));
        QCOMPARE(QString::fromStdString(liveRecords().at(0).name), name);
        if (step.replaced) {
            QTRY_VERIFY(reportText(path).contains(name));
            QVERIFY(win->editingCase());
        } else {
            QCOMPARE(hjtest::readBytes(path), before);
        }
        QVERIFY2(modals.unexpected.isEmpty(), qPrintable(modals.unexpected.join(QStringLiteral(" | "))));
    }
}

void TestCaseTree::classCommands() {
    addRecord("甲", "abc");
    open();
    hjtest::Modals modals;
    struct Row {
        QString answer, message;
    };
    const Row refused[] = {
        {QStringLiteral("ABC"), QStringLiteral("已有这个类别了！")},
        {QStringLiteral("七个汉字的类别"), QStringLiteral("类别名不能为空，并且最多可以有6个汉字！")},
        {QStringLiteral("   "), QStringLiteral("类别名不能为空，并且最多可以有6个汉字！")},
    };
    for (const Row& row : refused) {
        expectInput(modals, row.answer);
        modals.expectBox();
        rightClick(win->caseTree()->root());
        action("pmnuAddClass")->trigger();
        QTRY_VERIFY(modals.idle());
        QCOMPARE(modals.boxes.back().text, row.message);
    }
    QCOMPARE(win->caseTree()->root()->childCount(), 1);
    QString title, preset;
    modals.expect([&title, &preset](QWidget* w) {
        auto* box = qobject_cast<QInputDialog*>(w);
        QVERIFY(box);
        title = box->windowTitle();
        preset = box->textValue();
        hjtest::screenshot(box, QStringLiteral("CaseTree-inputbox"));
        box->setTextValue(QStringLiteral(" 六个汉字类别 "));
        QMetaObject::invokeMethod(box, "accept", Qt::QueuedConnection);
    });
    action("pmnuAddClass")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(title, QStringLiteral("新建类别"));
    QCOMPARE(preset, QStringLiteral("新类别"));
    QVERIFY(classNode(QStringLiteral("六个汉字类别")));
    QCOMPARE(win->settings().readInt("classes", "count", 0), 1);
    QCOMPARE(QString::fromStdString(win->settings().readString("classes", "1", "")), QStringLiteral("六个汉字类别"));
    // Renaming a class to its own name (in any letter case) is refused.
    expectInput(modals, QStringLiteral("ABC"));
    modals.expectBox();
    rightClick(classNode(QStringLiteral("abc")));
    action("pmnuRenameClass")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().text, QStringLiteral("已有这个类别了，请另起一个名称！"));
    // The class list editor opens from the menu.
    QString opened;
    modals.expect([&opened](QWidget* w) {
        opened = w->objectName();
        hjtest::clickLater(child<QPushButton>(w, "BtnCancel"));
    });
    action("pmnuEditClasses")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(opened, QStringLiteral("FrmClassEdit"));
    QVERIFY(modals.unexpected.isEmpty());
}

void TestCaseTree::searchAndShowAll() {
    open();
    hjtest::Modals modals;
    modals.expectBox();
    rightClick(win->caseTree()->root());
    action("pmnuShowAll")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().text, QStringLiteral("没有记录，无从查找。"));
    win.reset();
    addRecord("王五", "朋友");
    addRecord("小王", "客户");
    addRecord("李四", "朋友");
    open();
    modals.expect([](QWidget* w) {
        QCOMPARE(w->objectName(), QStringLiteral("FrmSearch"));
        child<QLineEdit>(w, "Edtname")->setText(QStringLiteral("王"));
        hjtest::clickLater(child<QPushButton>(w, "BtnSearch"));
    });
    modals.expectBox(QMessageBox::Yes);
    rightClick(win->caseTree()->root());
    action("pmnuFind")->trigger();
    QTRY_VERIFY(modals.idle());
    QVERIFY(node(0) && node(1) && !node(2));
    // The tree says it shows search results, with the classes found open.
    QCOMPARE(win->caseTree()->root()->text(0), QStringLiteral("搜索结果：2个命例"));
    QVERIFY(classNode(QStringLiteral("朋友"))->isExpanded() && classNode(QStringLiteral("客户"))->isExpanded());
    // The criteria stay for the next search.
    QCOMPARE(QString::fromStdString(win->caseTree()->criteria().name), QStringLiteral("王"));
    // Cases saved meanwhile join the results only when they match, and the count follows.
    for (const char* name : {"赵六", "王七"}) {
        const int index = addRecord(name, "朋友");
        CaseStore s;
        QVERIFY(s.openStore(root->path().toStdString()));
        CaseRecord r;
        QVERIFY(s.readRecord(index, r));
        win->caseTree()->addCase(r);
    }
    QVERIFY(!node(3));
    QVERIFY(node(4));
    QCOMPARE(win->caseTree()->root()->text(0), QStringLiteral("搜索结果：3个命例"));
    rightClick(win->caseTree()->root());
    action("pmnuShowAll")->trigger();
    QVERIFY(node(2) && node(3));
    QCOMPARE(win->caseTree()->root()->text(0), QStringLiteral("命例"));
}

void TestCaseTree::clearEndsWithoutWritingOpenCase() {
    addRecord("甲", "朋友");
    open();
    classNode(QStringLiteral("朋友"))->setExpanded(true);
    select(node(0));
    action("pmnuView")->trigger();
    hjtest::typeText(reportPane(), QStringLiteral("改动"));
    QVERIFY(reportPane()->isModified());
    hjtest::Modals modals;
    modals.expectBox(QMessageBox::No);
    child<QAction>(win.get(), "mnuF_clear")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(0).text, QStringLiteral("这将清除所有历史记录，要继续吗？"));
    QCOMPARE(modals.boxes.at(0).title, QStringLiteral("注意了"));
    QVERIFY2(modals.boxes.at(0).detail.startsWith(QStringLiteral("将清除全部1个命例及其命稿。操作前会在 dat/backups 中保留一份备份")),
             qPrintable(modals.boxes.at(0).detail));
    QVERIFY(win->isVisible());
    modals.expectBox(QMessageBox::Yes);
    modals.expectBox(QMessageBox::Yes);
    modals.expectBox();
    child<QAction>(win.get(), "mnuF_clear")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(2).text, QStringLiteral("确定要清除吗？"));
    QCOMPARE(modals.boxes.at(3).text, QStringLiteral("清除完成,请重启软件。"));
    QVERIFY2(modals.boxes.at(3).detail.startsWith(QStringLiteral("原有的历史记录已备份为 ")), qPrintable(modals.boxes.at(3).detail));
    QTRY_VERIFY(!win->isVisible());  // the program ends, asking nothing about the open case
    QVERIFY(modals.unexpected.isEmpty());
    QCOMPARE(hjtest::readBytes(root->dat(QStringLiteral("bazi0.dat"))).size(), 20);
    QVERIFY(!QFile::exists(root->path() + QStringLiteral("/bazi_f/0.rtf")));
    QVERIFY(liveRecords().empty());
}

void TestCaseTree::exportThenImport() {
    addRecord("甲", "朋友");
    addRecord("乙", "朋友");
    QTemporaryDir out;
    open();
    classNode(QStringLiteral("朋友"))->setExpanded(true);
    select(node(1));
    action("pmnuView")->trigger();  // stores bazi_f/1.rtf
    hjtest::Modals modals;
    modals.expect([&out](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        QVERIFY(dlg);
        dlg->setDirectory(out.path());
        dlg->selectFile(out.path());
        QMetaObject::invokeMethod(dlg, "accept", Qt::QueuedConnection);
    });
    modals.expectBox();
    child<QAction>(win.get(), "mnuF_export")->trigger();
    QTRY_VERIFY(modals.idle());
    QVERIFY2(modals.boxes.back().text.startsWith(QStringLiteral("成功导出，已保存到")), qPrintable(modals.boxes.back().text));
    QVERIFY(QFile::exists(out.path() + QStringLiteral("/bazi0.dat")));
    QVERIFY(QFile::exists(out.path() + QStringLiteral("/bazi_f/1.rtf")));

    // Change the store, then bring the exported history back.
    select(node(0));
    modals.expectBox(QMessageBox::Yes);
    action("pmnuDelCase")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(liveRecords().size(), std::size_t(1));
    hjtest::typeText(reportPane(), QStringLiteral("改动"));
    modals.expectBox(QMessageBox::Yes);
    modals.expect([&out](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        QVERIFY(dlg);
        dlg->setDirectory(out.path());
        dlg->selectFile(out.path() + QStringLiteral("/bazi0.dat"));
        QMetaObject::invokeMethod(dlg, "accept", Qt::QueuedConnection);
    });
    modals.expectBox();
    child<QAction>(win.get(), "mnuF_import")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(modals.boxes.size() - 2).text, QStringLiteral("执行此操作将覆盖现有的历史记录，要继续吗？"));
    QVERIFY2(modals.boxes.at(modals.boxes.size() - 2).detail.startsWith(QStringLiteral("将替换全部1个命例及其命稿。")),
             qPrintable(modals.boxes.at(modals.boxes.size() - 2).detail));
    QCOMPARE(modals.boxes.back().text, QStringLiteral("成功导入，请重启软件！"));
    QTRY_VERIFY(!win->isVisible());
    QVERIFY(modals.unexpected.isEmpty());
    const auto recs = liveRecords();
    QCOMPARE(recs.size(), std::size_t(2));
    const QString stored = reportText(root->path() + QStringLiteral("/bazi_f/1.rtf"));
    QVERIFY(stored.contains(QStringLiteral("乙")));
    QVERIFY(!stored.contains(QStringLiteral("改动")));
}

void TestCaseTree::restoreBringsBackAClearedHistory() {
    addRecord("甲", "朋友");
    addRecord("乙", "朋友");
    addRecord("丙", "朋友");
    {
        CaseStore s;
        QVERIFY(s.openStore(root->path().toStdString()) && s.removeRecord(1) && s.clearAll());
        QVERIFY(!s.lastBackup().empty());
    }
    QVERIFY(liveRecords().empty());
    open();
    hjtest::Modals modals;
    int rows = -1;
    QString cases;
    modals.expect([&](QWidget* w) {
        QCOMPARE(w->objectName(), QStringLiteral("FrmBackups"));
        auto* list = child<QTreeWidget>(w, "BackupList");
        rows = list->topLevelItemCount();
        cases = list->currentItem() ? list->currentItem()->text(2) : QString();
        hjtest::screenshot(w, QStringLiteral("backups"));
        hjtest::clickLater(child<QPushButton>(w, "BtnRestore"));
    });
    modals.expectBox(QMessageBox::Yes);
    modals.expectBox();
    child<QAction>(win.get(), "mnuF_restore")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(rows, 1);
    QCOMPARE(cases, QStringLiteral("2"));
    QVERIFY2(modals.boxes.at(0).text.contains(QStringLiteral("（2个命例）替换现有的历史记录")), qPrintable(modals.boxes.at(0).text));
    // An empty history gets no backup, and none is promised.
    QCOMPARE(modals.boxes.at(0).detail, QStringLiteral("现有的历史记录中没有命例，不会留下备份。"));
    QVERIFY(modals.boxes.at(1).detail.isEmpty());
    QCOMPARE(modals.boxes.at(1).text, QStringLiteral("恢复完成，请重启软件！"));
    QTRY_VERIFY(!win->isVisible());
    QVERIFY(modals.unexpected.isEmpty());
    const auto recs = liveRecords();
    QCOMPARE(recs.size(), std::size_t(2));
    QCOMPARE(QString::fromStdString(recs.at(1).name), QStringLiteral("丙"));
}

void TestCaseTree::largeTreeShowsProgress() {
    // 20,000 cases written straight to the record file (adding them one by one would flush
    // the disk 20,000 times).
    constexpr int kCount = 20000;
    {
        CaseStore s;
        QVERIFY(s.openStore(root->path().toStdString()));
    }
    hj::casestore::StoreHeader h;
    h.count = kCount;
    const hj::casestore::HeaderBytes hb = hj::casestore::encodeHeader(h);
    QByteArray bytes(hb.data(), static_cast<qsizetype>(hb.size()));
    for (int i = 0; i < kCount; ++i) {
        CaseRecord r;
        r.index = i;
        r.name = "某";
        r.className = i % 2 ? "单" : "双";
        hj::casestore::RecordBytes b{};
        QVERIFY(hj::casestore::encodeRecord(r, b, nullptr));
        bytes.append(b.data(), static_cast<qsizetype>(b.size()));
    }
    QFile f(root->dat(QStringLiteral("bazi0.dat")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    open();
    auto* bar = child<QWidget>(win.get(), "TreeProgress");
    QVERIFY(!bar->isVisible());
    // The tree is built in steps; between them the bar shows how far it got.
    int seenVisible = 0;
    QTimer watch;
    watch.setInterval(0);
    connect(&watch, &QTimer::timeout, this, [&] {
        if (!bar->isVisible()) return;
        if (seenVisible++ == 1) hjtest::screenshot(win.get(), QStringLiteral("CaseTree-progress"));
    });
    watch.start();
    rightClick(win->caseTree()->root());
    action("pmnuShowAll")->trigger();
    watch.stop();
    QVERIFY(seenVisible > 0);
    QVERIFY(!bar->isVisible());
    QCOMPARE(classNode(QStringLiteral("单"))->childCount() + classNode(QStringLiteral("双"))->childCount(), kCount);
    QCOMPARE(node(kCount - 1)->text(0), QStringLiteral("某  公2000-1-1|19999"));
}

void TestCaseTree::caseTextsAtTheDefaultWidth() {
    int longest = -1;
    {
        CaseStore s;
        QVERIFY(s.openStore(root->path().toStdString()));
        CaseRecord r;
        r.name = "欧阳明";  // a name of three characters and the widest date
        r.className = "朋友";
        r.year = 1990;
        r.month = 12;
        r.day = 28;
        longest = s.addRecord(r);
    }
    win = std::make_unique<TFrmMain>(root->path());
    win->show();
    QVERIFY(QTest::qWaitForWindowExposed(win.get()));
    QCOMPARE(tree()->width(), 180);
    QTreeWidgetItem* item = node(longest);
    QVERIFY(item);
    tree()->expandAll();
    QApplication::processEvents();
    // The whole text on hover; name and date inside the tree without scrolling.
    QCOMPARE(item->toolTip(0), item->text(0));
    const QString nameAndDate = item->text(0).left(item->text(0).indexOf(QLatin1Char('|')));
    // Where the style puts the text of the item.
    QStyleOptionViewItem opt;
    opt.initFrom(tree()->viewport());
    opt.rect = tree()->visualItemRect(item);
    opt.features = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    opt.text = item->text(0);
    opt.icon = item->icon(0);
    opt.decorationSize = tree()->iconSize();
    opt.font = tree()->font();
    opt.fontMetrics = tree()->fontMetrics();
    const int textStart = tree()->style()->subElementRect(QStyle::SE_ItemViewItemText, &opt, tree()).left();
    const int textEnd = textStart + tree()->fontMetrics().horizontalAdvance(nameAndDate);
    QVERIFY2(textEnd <= tree()->viewport()->width(),
             qPrintable(QStringLiteral("%1 > %2").arg(textEnd).arg(tree()->viewport()->width())));
    hjtest::screenshot(win.get(), QStringLiteral("CaseTree-default-width"));
}


// Another process changes the store under the window: a save, an open case and a stale tree
// never touch the case that has taken a slot since; the tree and the open case follow.
void TestCaseTree::changesElsewhereNeverLandOnAnotherCase() {
    for (int i = 0; i < 41; ++i) addRecord("原", "朋友");
    CaseStore other;
    QVERIFY(other.openStore(root->path().toStdString()));
    for (int i = 1; i <= 31; ++i) QVERIFY(other.removeRecord(i));  // new cases now fill holes
    open();
    classNode(QStringLiteral("朋友"))->setExpanded(true);
    select(node(0));
    action("pmnuView")->trigger();
    QVERIFY(win->editingCase());
    auto* save = child<QToolButton>(win.get(), "SbtoSave");
    const QString stale = QString::fromUtf8(hj::casestore::kStaleCase.data(),
                                            static_cast<qsizetype>(hj::casestore::kStaleCase.size()));
    CaseRecord newcomer;
    newcomer.name = "新来的";
    newcomer.className = "客户";
    const std::string theirReport = "{\\rtf1 theirs}";

    // 1. Removed and its slot refilled elsewhere: 存旧 is refused, and the window lets go of it.
    QVERIFY(other.removeRecord(0));
    QCOMPARE(other.addRecord(newcomer, &theirReport), 0);
    hjtest::typeText(reportPane(), QStringLiteral("批注"));
    hjtest::Modals modals;
    modals.expectBox(QMessageBox::Yes);
    modals.expectBox(QMessageBox::Cancel);
    QTest::mouseClick(save, Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(1).text, QStringLiteral("未能保存命例：") + stale);
    auto recs = liveRecords();
    QCOMPARE(recs.at(0).name, std::string("新来的"));
    QCOMPARE(hjtest::readBytes(root->path() + QStringLiteral("/bazi_f/0.rtf")).toStdString(), theirReport);
    QVERIFY(!win->editingCase());
    QCOMPARE(save->text(), QStringLiteral("存新"));
    QVERIFY(save->toolTip().contains(QStringLiteral("不在命例库中")));
    QVERIFY(node(0)->text(0).contains(QStringLiteral("新来的")));
    QCOMPARE(node(0)->parent(), classNode(QStringLiteral("客户")));

    // 2. Cleared and refilled elsewhere: the tree and the open case follow without being asked.
    // (Opening another case first asks about the pane of the removed one, which only 存新 keeps.)
    select(node(0));
    modals.expectBox(QMessageBox::No);
    action("pmnuView")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().text, QStringLiteral("当前命盘还没有保存，要保存吗？"));
    QVERIFY(win->editingCase());
    QVERIFY(other.clearAll());
    newcomer.name = "清后";
    QCOMPARE(other.addRecord(newcomer), 0);
    QTRY_VERIFY(node(0) && node(0)->text(0).contains(QStringLiteral("清后")));
    QTRY_VERIFY(!win->editingCase());
    QVERIFY(!node(1));

    // 3. A tree that has not looked yet: 删除命例 on a cleared case deletes nothing.
    QVERIFY(other.clearAll());
    newcomer.name = "再来";
    for (int i = 0; i < 35; ++i) QCOMPARE(other.addRecord(newcomer), i);
    tree()->setCurrentItem(node(0));  // still the cleared 清后
    modals.expectBox(QMessageBox::Yes);
    modals.expectBox();
    action("pmnuDelCase")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().text, QStringLiteral("未能删除命例：") + stale);
    QCOMPARE(liveRecords().size(), std::size_t(35));
    QVERIFY(node(0)->text(0).contains(QStringLiteral("再来")));
    QVERIFY2(modals.unexpected.isEmpty(), qPrintable(modals.unexpected.join(QStringLiteral(" | "))));
}

HJ_GUI_TEST(TestCaseTree)
#include "gui_CaseTree.moc"
