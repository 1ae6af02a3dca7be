// 软件帮助: the pages, their order and their read-only texts.
#include <QPlainTextEdit>
#include <QTabWidget>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "gui/TFrmTxtHelp.h"

using hj::gui::TFrmTxtHelp;

class TestTFrmTxtHelp : public QObject {
    Q_OBJECT
private slots:
    void pages();
};

void TestTFrmTxtHelp::pages() {
    TFrmTxtHelp dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    hjtest::screenshot(&dlg, QStringLiteral("TFrmTxtHelp"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("软件帮助"));
    QCOMPARE(dlg.size(), QSize(702, 662));
    QCOMPARE(dlg.font().pixelSize(), 14);
    auto* tabs = dlg.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(0), QStringLiteral("使用说明"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("升级改进历史"));
    QCOMPARE(tabs->widget(0)->objectName(), QStringLiteral("TabSheet2"));
    QCOMPARE(tabs->widget(1)->objectName(), QStringLiteral("TabSheet4"));
    for (const char* name : {"Memo1", "Memo2"}) {
        auto* memo = dlg.findChild<QPlainTextEdit*>(QLatin1String(name));
        QVERIFY(memo);
        QVERIFY(memo->isReadOnly());
        QVERIFY(memo->toPlainText().size() > 200);
        QVERIFY(!memo->toPlainText().contains(QLatin1Char('\r')));
        QVERIFY(!memo->toPlainText().startsWith(QStringLiteral("帮助文本未找到")));
    }
    // The pages carry the texts shipped with the program.
    const QString usage = QString::fromUtf8(hjtest::readBytes(QStringLiteral(HJ_SOURCE_DIR "/resources/texts/help_usage.txt")));
    QCOMPARE(dlg.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText(), QString(usage).remove(QLatin1Char('\r')));
    tabs->setCurrentIndex(1);
    hjtest::screenshot(&dlg, QStringLiteral("TFrmTxtHelp_history"));
}

HJ_GUI_TEST(TestTFrmTxtHelp)
#include "gui_TFrmTxtHelp.moc"
