// 编辑尾部信息: loading, the empty-text refusal, and what 确定 writes.
#include <QCheckBox>
#include <QPlainTextEdit>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "core/text/ini.h"
#include "gui/TFrmEndfo.h"

using hj::gui::TFrmEndfo;
using hjtest::child;

class TestTFrmEndfo : public QObject {
    Q_OBJECT
private slots:
    void loadsFileAndKey();
    void emptyTextIsRefused();
    void okWritesGbkLinesAndKey();
    void uncheckingKeepsTheFooter();
    void characterOutsideGbkIsRefused();
};

void TestTFrmEndfo::loadsFileAndKey() {
    hjtest::DataRoot root(false);
    hjtest::writeGbk(root.dat(QStringLiteral("EndInfo.txt")), QStringLiteral("第一行\r\n第二行\r\n"));
    hjtest::writeGbk(root.dat(QStringLiteral("bzinit.ini")), QStringLiteral("[set]\r\nendinfo=1\r\n"));
    hj::text::IniFile ini(root.dat(QStringLiteral("bzinit.ini")).toStdString());
    ini.reload();
    TFrmEndfo dlg(ini, root.dat());
    dlg.show();
    hjtest::screenshot(&dlg, QStringLiteral("TFrmEndfo"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("编辑尾部信息"));
    QCOMPARE(child<QPlainTextEdit>(&dlg, "Memo1")->toPlainText(), QStringLiteral("第一行\n第二行"));
    QVERIFY(child<QCheckBox>(&dlg, "ChkAuto")->isChecked());

    // Without the file and the key: empty text, unticked.
    hjtest::DataRoot bare(false);
    hj::text::IniFile none(bare.dat(QStringLiteral("bzinit.ini")).toStdString());
    TFrmEndfo empty(none, bare.dat());
    QVERIFY(child<QPlainTextEdit>(&empty, "Memo1")->toPlainText().isEmpty());
    QVERIFY(!child<QCheckBox>(&empty, "ChkAuto")->isChecked());
}

void TestTFrmEndfo::emptyTextIsRefused() {
    hjtest::DataRoot root(false);
    hj::text::IniFile ini(root.dat(QStringLiteral("bzinit.ini")).toStdString());
    TFrmEndfo dlg(ini, root.dat());
    dlg.show();
    hjtest::tick(child<QCheckBox>(&dlg, "ChkAuto"));
    hjtest::Modals modals;
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(&dlg, "Btnok"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(0).text, QStringLiteral("输入不能为空"));
    QCOMPARE(modals.boxes.at(0).title, QStringLiteral("信息"));
    QCOMPARE(modals.boxes.at(0).icon, QMessageBox::Information);
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.focusWidget(), child<QPlainTextEdit>(&dlg, "Memo1"));
    QVERIFY(!QFile::exists(root.dat(QStringLiteral("EndInfo.txt"))));
    QVERIFY(!QFile::exists(root.dat(QStringLiteral("bzinit.ini"))));
}

void TestTFrmEndfo::okWritesGbkLinesAndKey() {
    hjtest::DataRoot root(false);
    hj::text::IniFile ini(root.dat(QStringLiteral("bzinit.ini")).toStdString());
    TFrmEndfo dlg(ini, root.dat());
    dlg.show();
    auto* memo = child<QPlainTextEdit>(&dlg, "Memo1");
    memo->setFocus();
    hjtest::typeText(memo, QStringLiteral("测算：某馆"));
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, QStringLiteral("tel 123"));
    hjtest::tick(child<QCheckBox>(&dlg, "ChkAuto"));
    QTest::mouseClick(child<QPushButton>(&dlg, "Btnok"), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    std::string gbk;
    QVERIFY(hj::text::utf8ToGbk("测算：某馆\r\ntel 123\r\n", gbk));
    QCOMPARE(hjtest::readBytes(root.dat(QStringLiteral("EndInfo.txt"))), QByteArray::fromStdString(gbk));
    hj::text::IniFile back(root.dat(QStringLiteral("bzinit.ini")).toStdString());
    back.reload();
    QCOMPARE(back.readInt("set", "endinfo", -1), 1);
}

void TestTFrmEndfo::uncheckingKeepsTheFooter() {
    hjtest::DataRoot root(false);
    hjtest::writeGbk(root.dat(QStringLiteral("EndInfo.txt")), QStringLiteral("尾部\r\n"));
    hjtest::writeGbk(root.dat(QStringLiteral("bzinit.ini")), QStringLiteral("[set]\r\nendinfo=1\r\n"));
    hj::text::IniFile ini(root.dat(QStringLiteral("bzinit.ini")).toStdString());
    ini.reload();
    TFrmEndfo dlg(ini, root.dat());
    dlg.show();
    hjtest::tick(child<QCheckBox>(&dlg, "ChkAuto"));
    QTest::mouseClick(child<QPushButton>(&dlg, "Btnok"), Qt::LeftButton);
    QCOMPARE(hjtest::readGbk(root.dat(QStringLiteral("EndInfo.txt"))), QStringLiteral("尾部\r\n"));
    hj::text::IniFile back(root.dat(QStringLiteral("bzinit.ini")).toStdString());
    back.reload();
    QCOMPARE(back.readInt("set", "endinfo", -1), 0);
}

void TestTFrmEndfo::characterOutsideGbkIsRefused() {
    hjtest::DataRoot root(false);
    hjtest::writeGbk(root.dat(QStringLiteral("EndInfo.txt")), QStringLiteral("旧的\r\n"));
    hj::text::IniFile ini(root.dat(QStringLiteral("bzinit.ini")).toStdString());
    TFrmEndfo dlg(ini, root.dat());
    dlg.show();
    child<QPlainTextEdit>(&dlg, "Memo1")->setPlainText(QStringLiteral("新的😀"));
    hjtest::Modals modals;
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(&dlg, "Btnok"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QVERIFY(modals.boxes.at(0).text.contains(QStringLiteral("😀")));
    QVERIFY(dlg.isVisible());
    QCOMPARE(hjtest::readGbk(root.dat(QStringLiteral("EndInfo.txt"))), QStringLiteral("旧的\r\n"));
}

HJ_GUI_TEST(TestTFrmEndfo)
#include "gui_TFrmEndfo.moc"
