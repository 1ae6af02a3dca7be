// 类别编辑: the class list shown one a line, checked and written back.
#include <QPlainTextEdit>
#include <QPushButton>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "core/text/ini.h"
#include "gui/TFrmClassEdit.h"

using hj::gui::TFrmClassEdit;
using hjtest::child;

class TestTFrmClassEdit : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { root.reset(); }
    void showsListWithGaps();
    void refusals_data();
    void refusals();
    void savesTrimmedLines();
    void cancelWritesNothing();

private:
    QString iniText() { return hjtest::readGbk(root->dat(QStringLiteral("bzinit.ini"))); }
    std::unique_ptr<hjtest::DataRoot> root;
    std::unique_ptr<hj::text::IniFile> ini;
};

void TestTFrmClassEdit::init() {
    root = std::make_unique<hjtest::DataRoot>(false);
    hjtest::writeGbk(root->dat(QStringLiteral("bzinit.ini")),
                     QStringLiteral("[classes]\r\ncount=3\r\n1=朋友\r\n3=客户\r\n4=旧的\r\n"));
    ini = std::make_unique<hj::text::IniFile>(root->dat(QStringLiteral("bzinit.ini")).toStdString());
    ini->reload();
}

void TestTFrmClassEdit::showsListWithGaps() {
    TFrmClassEdit dlg(*ini);
    dlg.show();
    hjtest::screenshot(&dlg, QStringLiteral("TFrmClassEdit"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("类别编辑"));
    QCOMPARE(child<QPlainTextEdit>(&dlg, "MemClass")->toPlainText(), QStringLiteral("朋友\n\n客户"));
}

void TestTFrmClassEdit::refusals_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << QString() << QStringLiteral("类别不能为空");
    QTest::newRow("blank line") << QStringLiteral("朋友\n  \n客户") << QStringLiteral("第2行类别名不合规定，不能加入。");
    QTest::newRow("seven characters") << QStringLiteral("朋友\n七个汉字的类别") << QStringLiteral("第2行类别名不合规定，不能加入。");
    QTest::newRow("13 letters") << QStringLiteral("abcdefghijklm") << QStringLiteral("第1行类别名不合规定，不能加入。");
}

void TestTFrmClassEdit::refusals() {
    QFETCH(QString, text);
    QFETCH(QString, message);
    const QString before = iniText();
    TFrmClassEdit dlg(*ini);
    dlg.show();
    child<QPlainTextEdit>(&dlg, "MemClass")->setPlainText(text);
    hjtest::Modals modals;
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(&dlg, "BtnSave"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(0).text, message);
    QVERIFY(dlg.isVisible());
    QCOMPARE(iniText(), before);
}

void TestTFrmClassEdit::savesTrimmedLines() {
    TFrmClassEdit dlg(*ini);
    dlg.show();
    auto* memo = child<QPlainTextEdit>(&dlg, "MemClass");
    memo->selectAll();
    hjtest::typeText(memo, QStringLiteral(" 甲 "));
    QTest::keyClick(memo, Qt::Key_Return);
    hjtest::typeText(memo, QStringLiteral("六个汉字类别"));
    QTest::keyClick(memo, Qt::Key_Return);
    hjtest::typeText(memo, QStringLiteral("甲"));  // duplicates are allowed
    QTest::mouseClick(child<QPushButton>(&dlg, "BtnSave"), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    hj::text::IniFile f(root->dat(QStringLiteral("bzinit.ini")).toStdString());
    f.reload();
    QCOMPARE(f.readInt("classes", "count", 0), 3);
    QCOMPARE(QString::fromStdString(f.readString("classes", "1", "")), QStringLiteral("甲"));
    QCOMPARE(QString::fromStdString(f.readString("classes", "2", "")), QStringLiteral("六个汉字类别"));
    QCOMPARE(QString::fromStdString(f.readString("classes", "3", "")), QStringLiteral("甲"));
    QCOMPARE(QString::fromStdString(f.readString("classes", "4", "")), QStringLiteral("旧的"));  // left, unread
}

void TestTFrmClassEdit::cancelWritesNothing() {
    const QString before = iniText();
    TFrmClassEdit dlg(*ini);
    dlg.show();
    child<QPlainTextEdit>(&dlg, "MemClass")->setPlainText(QStringLiteral("别的"));
    QTest::mouseClick(child<QPushButton>(&dlg, "BtnCancel"), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(iniText(), before);
}

HJ_GUI_TEST(TestTFrmClassEdit)
#include "gui_TFrmClassEdit.moc"
