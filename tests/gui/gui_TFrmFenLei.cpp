// 分类保存: the class list from bzinit.ini, the note preset, the byte limits and the refusals.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "core/text/ini.h"
#include "gui/TFrmFenLei.h"

using hj::gui::TFrmFenLei;
using hjtest::child;

class TestTFrmFenLei : public QObject {
    Q_OBJECT
private slots:
    void init() { root = std::make_unique<hjtest::DataRoot>(false); }
    void cleanup() { root.reset(); }
    void listAndPreset();
    void emptyListHasNoSelection();
    void treeClassesFollowTheList();
    void refusals_data();
    void refusals();
    void okHandsOverTrimmedTexts();
    void limitsCountGbkBytes();

private:
    hj::text::IniFile ini() {
        hj::text::IniFile f(root->dat(QStringLiteral("bzinit.ini")).toStdString());
        f.reload();
        return f;
    }
    std::unique_ptr<hjtest::DataRoot> root;
};

void TestTFrmFenLei::listAndPreset() {
    hjtest::writeGbk(root->dat(QStringLiteral("bzinit.ini")),
                     QStringLiteral("[classes]\r\ncount=3\r\n1=朋友\r\n3=客户\r\n"));
    TFrmFenLei dlg(ini());
    dlg.show();
    hjtest::screenshot(&dlg, QStringLiteral("TFrmFenLei"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("分类保存"));
    auto* list = child<QComboBox>(&dlg, "CboFenLei");
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->itemText(1), QStringLiteral("临时保存"));  // the missing key
    QCOMPARE(list->currentText(), QStringLiteral("朋友"));
    QCOMPARE(child<QPlainTextEdit>(&dlg, "MemInfo")->toPlainText(), QStringLiteral("备注:"));
}

void TestTFrmFenLei::emptyListHasNoSelection() {
    TFrmFenLei dlg(ini());
    QCOMPARE(child<QComboBox>(&dlg, "CboFenLei")->count(), 0);
    QVERIFY(child<QComboBox>(&dlg, "CboFenLei")->currentText().isEmpty());
}

void TestTFrmFenLei::treeClassesFollowTheList() {
    hjtest::writeGbk(root->dat(QStringLiteral("bzinit.ini")), QStringLiteral("[classes]\r\ncount=2\r\n1=朋友\r\n2=Client\r\n"));
    // The tree's classes the list lacks come after it, once each; 朋友 and client are listed.
    TFrmFenLei dlg(ini(), nullptr, {QStringLiteral("同学"), QStringLiteral("朋友"), QStringLiteral("client"), QStringLiteral("同事")});
    auto* list = child<QComboBox>(&dlg, "CboFenLei");
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    QCOMPARE(items, (QStringList{QStringLiteral("朋友"), QStringLiteral("Client"), QStringLiteral("同学"), QStringLiteral("同事")}));
    QCOMPARE(list->currentText(), QStringLiteral("朋友"));
}

void TestTFrmFenLei::refusals_data() {
    QTest::addColumn<QString>("cls");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("message");
    QTest::newRow("no class") << QStringLiteral("   ") << QStringLiteral("备注:x") << QStringLiteral("类别名不能为空");
    QTest::newRow("no note") << QStringLiteral("朋友") << QStringLiteral("   ") << QStringLiteral("附加信息不能为空");
}

void TestTFrmFenLei::refusals() {
    QFETCH(QString, cls);
    QFETCH(QString, note);
    QFETCH(QString, message);
    TFrmFenLei dlg(ini());
    dlg.show();
    auto* list = child<QComboBox>(&dlg, "CboFenLei");
    hjtest::retype(list->lineEdit(), cls);
    auto* memo = child<QPlainTextEdit>(&dlg, "MemInfo");
    memo->selectAll();
    hjtest::typeText(memo, note);
    hjtest::Modals modals;
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(&dlg, "BtnOk"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(0).text, message);
    QCOMPARE(modals.boxes.at(0).title, QStringLiteral("错误"));
    QCOMPARE(modals.boxes.at(0).icon, QMessageBox::Critical);
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.result(), 0);
}

void TestTFrmFenLei::okHandsOverTrimmedTexts() {
    hjtest::writeGbk(root->dat(QStringLiteral("bzinit.ini")), QStringLiteral("[classes]\r\ncount=1\r\n1=朋友\r\n"));
    TFrmFenLei dlg(ini());
    dlg.show();
    hjtest::retype(child<QComboBox>(&dlg, "CboFenLei")->lineEdit(), QStringLiteral(" 新客户 "));
    auto* memo = child<QPlainTextEdit>(&dlg, "MemInfo");
    memo->moveCursor(QTextCursor::End);
    hjtest::typeText(memo, QStringLiteral("老友 "));
    QTest::mouseClick(child<QPushButton>(&dlg, "BtnOk"), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.className(), QStringLiteral("新客户"));
    QCOMPARE(dlg.note(), QStringLiteral("备注:老友"));
    // A class typed here is not added to the list.
    QCOMPARE(QString::fromStdString(ini().readString("classes", "count", "")), QStringLiteral("1"));
}

void TestTFrmFenLei::limitsCountGbkBytes() {
    TFrmFenLei dlg(ini());
    dlg.show();
    QLineEdit* edit = child<QComboBox>(&dlg, "CboFenLei")->lineEdit();
    hjtest::retype(edit, QStringLiteral("一二三四五六七八"));
    QCOMPARE(edit->text(), QStringLiteral("一二三四五六"));  // 13 bytes: six characters fit
    hjtest::typeText(edit, QStringLiteral("a"));
    QCOMPARE(edit->text(), QStringLiteral("一二三四五六a"));
    auto* memo = child<QPlainTextEdit>(&dlg, "MemInfo");
    memo->selectAll();
    hjtest::typeText(memo, QString(400, QChar(0x4E00)));
    hjtest::typeText(memo, QStringLiteral("x"));
    hjtest::typeText(memo, QStringLiteral("丁"));  // would make 803 bytes
    QCOMPARE(memo->toPlainText(), QString(400, QChar(0x4E00)) + QStringLiteral("x"));
    hjtest::typeText(memo, QStringLiteral("😀"));  // no GBK form
    QCOMPARE(memo->toPlainText().size(), 401);
}

HJ_GUI_TEST(TestTFrmFenLei)
#include "gui_TFrmFenLei.moc"
