// 查找命例: the criteria shown and collected, the year checks, the result question, 全部 and
// 关闭, and criteria that outlive the dialog.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "gui/TFrmSearch.h"

using hj::casestore::CaseRecord;
using hj::casestore::SearchCriteria;
using hj::gui::TFrmSearch;
using hjtest::child;

class TestTFrmSearch : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void firstOpening();
    void emptyStore();
    void yearChecks_data();
    void yearChecks();
    void searches_data();
    void searches();
    void noAnswerKeepsDialogOpen();
    void criteriaOutliveDialog();
    void allResetsAndSearches();
    void closeClearsResult();

private:
    void add(const char* name, const char* cls, int year, bool male, int province);
    // Runs one search with the given answers; returns the found indices ("none" when closed
    // without result).
    std::unique_ptr<hjtest::DataRoot> root;
    std::unique_ptr<hj::casestore::CaseStore> store;
    std::unique_ptr<hj::text::IniFile> ini;
    SearchCriteria criteria;
};

void TestTFrmSearch::init() {
    root = std::make_unique<hjtest::DataRoot>(false);
    hjtest::writeGbk(root->dat(QStringLiteral("bzinit.ini")), QStringLiteral("[classes]\r\ncount=2\r\n1=朋友\r\n"));
    ini = std::make_unique<hj::text::IniFile>(root->dat(QStringLiteral("bzinit.ini")).toStdString());
    ini->reload();
    store = std::make_unique<hj::casestore::CaseStore>();
    QVERIFY(store->openStore(root->path().toStdString()));
    criteria = SearchCriteria{};
}

void TestTFrmSearch::cleanup() {
    store.reset();
    root.reset();
}

void TestTFrmSearch::add(const char* name, const char* cls, int year, bool male, int province) {
    CaseRecord r;
    r.name = name;
    r.className = cls;
    r.year = static_cast<std::int16_t>(year);
    r.male = male;
    r.province = static_cast<std::int16_t>(province);
    QVERIFY(store->addRecord(r) >= 0);
}

void TestTFrmSearch::firstOpening() {
    TFrmSearch dlg(*store, *ini, criteria);
    dlg.show();
    hjtest::screenshot(&dlg, QStringLiteral("TFrmSearch"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("查找命例"));
    auto* prov = child<QComboBox>(&dlg, "cbodiZ");
    QCOMPARE(prov->count(), 36);
    QCOMPARE(prov->currentIndex(), 0);
    QCOMPARE(prov->itemText(0), QStringLiteral(" "));
    QCOMPARE(prov->itemText(35), QStringLiteral("未知地"));
    QVERIFY(child<QRadioButton>(&dlg, "item0")->isChecked());
    QVERIFY(child<QLineEdit>(&dlg, "LedtY1")->text().isEmpty());
    QVERIFY(child<QLineEdit>(&dlg, "LedtY2")->text().isEmpty());
    auto* cls = child<QComboBox>(&dlg, "CboFenLei");
    QCOMPARE(cls->count(), 2);
    QCOMPARE(cls->itemText(1), QStringLiteral("临时保存"));
    QVERIFY(cls->currentText().isEmpty());
    QVERIFY(!child<QWidget>(&dlg, "Animate1")->isVisible());

    // The classes the tree shows come after the list's, each once (as 分类保存 offers them).
    TFrmSearch withTree(*store, *ini, criteria, nullptr, {QStringLiteral("同事"), QStringLiteral("朋友"), QStringLiteral("客户")});
    auto* all = child<QComboBox>(&withTree, "CboFenLei");
    QStringList items;
    for (int i = 0; i < all->count(); ++i) items << all->itemText(i);
    QCOMPARE(items, (QStringList{QStringLiteral("朋友"), QStringLiteral("临时保存"), QStringLiteral("同事"), QStringLiteral("客户")}));
}

void TestTFrmSearch::emptyStore() {
    TFrmSearch dlg(*store, *ini, criteria);
    dlg.show();
    hjtest::Modals modals;
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(&dlg, "BtnSearch"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(0).text, QStringLiteral("没有记录，无从查找。"));
    QVERIFY(dlg.isVisible());
}

void TestTFrmSearch::yearChecks_data() {
    QTest::addColumn<QString>("y1");
    QTest::addColumn<QString>("y2");
    QTest::addColumn<QString>("message");
    const QString yearMsg =
        QStringLiteral("年份必须在-850到2100年之间，并且没有公元0年\r\n注意：公元前用负数，比如公元前120年，就输入-120");
    QTest::newRow("end empty") << QStringLiteral("1980") << QString()
                               << QStringLiteral("只填了“出生年从”：请再填“到”的年份，或把两栏都清空");
    QTest::newRow("start empty") << QString() << QStringLiteral("1980")
                                 << QStringLiteral("只填了“到”：请再填“出生年从”的年份，或把两栏都清空");
    QTest::newRow("start 0") << QStringLiteral("0") << QStringLiteral("10") << yearMsg;
    QTest::newRow("too early") << QStringLiteral("-851") << QStringLiteral("10") << yearMsg;
    QTest::newRow("reversed") << QStringLiteral("2000") << QStringLiteral("1990") << QStringLiteral("结束年必须大于或等于起始年");
}

void TestTFrmSearch::yearChecks() {
    QFETCH(QString, y1);
    QFETCH(QString, y2);
    QFETCH(QString, message);
    add("甲", "朋友", 1990, true, 0);
    TFrmSearch dlg(*store, *ini, criteria);
    dlg.show();
    hjtest::retype(child<QLineEdit>(&dlg, "LedtY1"), y1);
    hjtest::retype(child<QLineEdit>(&dlg, "LedtY2"), y2);
    hjtest::Modals modals;
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(&dlg, "BtnSearch"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(0).text, message);
    QCOMPARE(modals.boxes.at(0).title, QStringLiteral("年份错误"));
    QVERIFY(dlg.isVisible());
    QCOMPARE(child<QLineEdit>(&dlg, "LedtY1")->text(), y1);  // values stay
}

void TestTFrmSearch::searches_data() {
    QTest::addColumn<int>("sex");  // radio item
    QTest::addColumn<QString>("y1");
    QTest::addColumn<QString>("y2");
    QTest::addColumn<int>("province");  // list item
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("wholeName");
    QTest::addColumn<QString>("cls");
    QTest::addColumn<bool>("wholeClass");
    QTest::addColumn<QList<int>>("found");
    QTest::newRow("contains 王") << 0 << QString() << QString() << 0 << QStringLiteral("王") << false << QString() << false
                                << QList<int>{0, 1, 2};
    QTest::newRow("exactly 王") << 0 << QString() << QString() << 0 << QStringLiteral("王") << true << QString() << false
                               << QList<int>{2};
    QTest::newRow("years -1..1") << 0 << QStringLiteral("-1") << QStringLiteral("1") << 0 << QString() << false << QString()
                                 << false << QList<int>{3, 4};
    QTest::newRow("women") << 2 << QString() << QString() << 0 << QString() << false << QString() << false << QList<int>{1, 4};
    QTest::newRow("men in 北京市") << 1 << QString() << QString() << 2 << QString() << false << QString() << false
                                  << QList<int>{2};
    QTest::newRow("class contains") << 0 << QString() << QString() << 0 << QString() << false << QStringLiteral("客") << false
                                    << QList<int>{1, 3};
    QTest::newRow("class whole") << 0 << QString() << QString() << 0 << QString() << false << QStringLiteral("客") << true
                                 << QList<int>{3};
    QTest::newRow("nothing") << 0 << QString() << QString() << 0 << QStringLiteral("张") << false << QString() << false
                             << QList<int>{};
}

void TestTFrmSearch::searches() {
    QFETCH(int, sex);
    QFETCH(QString, y1);
    QFETCH(QString, y2);
    QFETCH(int, province);
    QFETCH(QString, name);
    QFETCH(bool, wholeName);
    QFETCH(QString, cls);
    QFETCH(bool, wholeClass);
    QFETCH(QList<int>, found);
    add("王五", "朋友", 1990, true, 0);
    add("小王", "客户", 1985, false, 0);
    add("王", "朋友", 1970, true, 1);
    add("古人", "客", 0, true, 34);
    add("古人二", "朋友", 1, false, 34);
    TFrmSearch dlg(*store, *ini, criteria);
    dlg.show();
    if (sex) hjtest::tick(child<QRadioButton>(&dlg, sex == 1 ? "item1" : "item2"));
    hjtest::retype(child<QLineEdit>(&dlg, "LedtY1"), y1);
    hjtest::retype(child<QLineEdit>(&dlg, "LedtY2"), y2);
    child<QComboBox>(&dlg, "cbodiZ")->setCurrentIndex(province);
    hjtest::retype(child<QLineEdit>(&dlg, "Edtname"), name);
    if (wholeName) hjtest::tick(child<QCheckBox>(&dlg, "ChkName"));
    hjtest::retype(child<QComboBox>(&dlg, "CboFenLei")->lineEdit(), cls);
    if (wholeClass) hjtest::tick(child<QCheckBox>(&dlg, "ChkClass"));
    hjtest::Modals modals;
    modals.expectBox(found.isEmpty() ? QMessageBox::Ok : QMessageBox::Yes);
    QTest::mouseClick(child<QPushButton>(&dlg, "BtnSearch"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    if (found.isEmpty()) {
        QCOMPARE(modals.boxes.at(0).text, QStringLiteral("没有找到符合条件的命例。"));
        QCOMPARE(modals.boxes.at(0).title, QStringLiteral("信息"));
        QVERIFY(dlg.isVisible());
        QVERIFY(!dlg.resultFlag());
        return;
    }
    QCOMPARE(modals.boxes.at(0).text, QStringLiteral("共找到%1条记录，要显示到命例列表中吗？").arg(found.size()));
    QVERIFY(dlg.resultFlag());
    QVERIFY(!dlg.isVisible());
    QCOMPARE(QList<int>(dlg.found().begin(), dlg.found().end()), found);
}

void TestTFrmSearch::noAnswerKeepsDialogOpen() {
    add("王五", "朋友", 1990, true, 0);
    TFrmSearch dlg(*store, *ini, criteria);
    dlg.show();
    hjtest::Modals modals;
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* search = child<QPushButton>(&dlg, "BtnSearch");
    const QSize size = dlg.size();
    const QPoint buttonAt = search->mapTo(&dlg, QPoint(0, 0));
    modals.expectBox(QMessageBox::No);
    QTest::mouseClick(search, Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QVERIFY(dlg.isVisible());
    QVERIFY(!dlg.resultFlag());
    // The search animation came and went: the dialog and its buttons stay where they were.
    QApplication::processEvents();
    QCOMPARE(dlg.size(), size);
    QCOMPARE(search->mapTo(&dlg, QPoint(0, 0)), buttonAt);
}

void TestTFrmSearch::criteriaOutliveDialog() {
    add("王五", "朋友", 1990, true, 3);
    {
        TFrmSearch dlg(*store, *ini, criteria);
        dlg.show();
        hjtest::tick(child<QRadioButton>(&dlg, "item1"));
        hjtest::retype(child<QLineEdit>(&dlg, "LedtY1"), QStringLiteral("-5"));
        hjtest::retype(child<QLineEdit>(&dlg, "LedtY2"), QStringLiteral("2000"));
        child<QComboBox>(&dlg, "cbodiZ")->setCurrentIndex(4);
        hjtest::retype(child<QLineEdit>(&dlg, "Edtname"), QStringLiteral("王"));
        hjtest::tick(child<QCheckBox>(&dlg, "ChkName"));
        hjtest::retype(child<QComboBox>(&dlg, "CboFenLei")->lineEdit(), QStringLiteral("朋"));
        hjtest::Modals modals;
        modals.expectBox();  // nothing found: 王 whole does not match 王五
        QTest::mouseClick(child<QPushButton>(&dlg, "BtnSearch"), Qt::LeftButton);
        QTRY_VERIFY(modals.idle());
    }
    QCOMPARE(criteria.yearFrom, -4);
    QCOMPARE(criteria.province, 3);
    TFrmSearch again(*store, *ini, criteria);
    QVERIFY(child<QRadioButton>(&again, "item1")->isChecked());
    QCOMPARE(child<QLineEdit>(&again, "LedtY1")->text(), QStringLiteral("-5"));
    QCOMPARE(child<QLineEdit>(&again, "LedtY2")->text(), QStringLiteral("2000"));
    QCOMPARE(child<QComboBox>(&again, "cbodiZ")->currentIndex(), 4);
    QCOMPARE(child<QLineEdit>(&again, "Edtname")->text(), QStringLiteral("王"));
    QVERIFY(child<QCheckBox>(&again, "ChkName")->isChecked());
    QCOMPARE(child<QComboBox>(&again, "CboFenLei")->currentText(), QStringLiteral("朋"));
    QVERIFY(!child<QCheckBox>(&again, "ChkClass")->isChecked());
}

void TestTFrmSearch::allResetsAndSearches() {
    add("王五", "朋友", 1990, true, 0);
    add("李四", "客户", 1980, false, 2);
    criteria.nameMode = hj::casestore::kMatchEquals;
    criteria.name = "没有";
    criteria.sexOn = 1;
    criteria.sexValue = 0;
    TFrmSearch dlg(*store, *ini, criteria);
    dlg.show();
    hjtest::Modals modals;
    modals.expectBox(QMessageBox::No);  // the question before resetting
    QTest::mouseClick(child<QPushButton>(&dlg, "BtoAll"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(child<QLineEdit>(&dlg, "Edtname")->text(), QStringLiteral("没有"));
    modals.expectBox(QMessageBox::Yes);
    modals.expectBox(QMessageBox::Yes);
    QTest::mouseClick(child<QPushButton>(&dlg, "BtoAll"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(1).text, QStringLiteral("这将清除所有输入的条件参数，以便搜索所有命例，确定吗？"));
    QCOMPARE(modals.boxes.at(2).text, QStringLiteral("共找到2条记录，要显示到命例列表中吗？"));
    QVERIFY(dlg.resultFlag());
    QCOMPARE(dlg.found(), (std::vector<int>{0, 1}));
    QCOMPARE(criteria.nameMode, hj::casestore::kMatchIgnore);
    QCOMPARE(criteria.sexOn, 0);
}

void TestTFrmSearch::closeClearsResult() {
    TFrmSearch dlg(*store, *ini, criteria);
    dlg.show();
    QTest::mouseClick(child<QPushButton>(&dlg, "BtoCancel"), Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    QVERIFY(!dlg.resultFlag());
}

HJ_GUI_TEST(TestTFrmSearch)
#include "gui_TFrmSearch.moc"
