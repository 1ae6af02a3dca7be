// 八字断语: topics, entries with gaps, a missing file, and the one viewer of the main window.
#include <QListWidget>
#include <QPlainTextEdit>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "gui/TFrmMain.h"
#include "gui/TFrmPingYu.h"

using hj::gui::TFrmPingYu;
using hjtest::child;

class TestTFrmPingYu : public QObject {
    Q_OBJECT
private slots:
    void showsTopicsAndEntries();
    void missingFileGivesEmptyWindow();
    void mainWindowKeepsOneViewer();
};

void TestTFrmPingYu::showsTopicsAndEntries() {
    hjtest::DataRoot root(false);
    hjtest::writeGbk(root.dat(QStringLiteral("bzpingyu.dat")),
                     QStringLiteral("[性格]\r\ntol=3\r\n1=性情温和\r\n3=做事果断\r\n[职业]\r\ntol=1\r\n1=宜从文\r\n"));
    TFrmPingYu w(root.dat());
    w.show();
    hjtest::screenshot(&w, QStringLiteral("TFrmPingYu"));
    QCOMPARE(w.windowTitle(), QStringLiteral("八字断语"));
    QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
    auto* list = child<QListWidget>(&w, "lstsel");
    auto* memo = child<QPlainTextEdit>(&w, "Memlst");
    QVERIFY(memo->isReadOnly());
    QCOMPARE(list->count(), 13);
    QCOMPARE(list->item(0)->text(), QStringLiteral("性格"));
    QCOMPARE(list->item(12)->text(), QStringLiteral("僧佛艺术"));
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(memo->toPlainText(), QStringLiteral("1:性情温和\n2: \n3:做事果断\n"));

    // Choosing with the keyboard; a topic without a section shows nothing.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(memo->toPlainText(), QStringLiteral("1:宜从文\n"));
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(memo->toPlainText(), QString());
    // The file is read afresh at every choice.
    hjtest::writeGbk(root.dat(QStringLiteral("bzpingyu.dat")), QStringLiteral("[性格]\r\ntol=1\r\n1=新的\r\n"));
    QTest::keyClick(list, Qt::Key_Home);
    QCOMPARE(memo->toPlainText(), QStringLiteral("1:新的\n"));
}

void TestTFrmPingYu::missingFileGivesEmptyWindow() {
    hjtest::DataRoot root(false);
    hjtest::Modals modals;
    TFrmPingYu w(root.dat());
    w.show();
    QTest::qWait(20);
    QCOMPARE(child<QListWidget>(&w, "lstsel")->count(), 0);
    QVERIFY(child<QPlainTextEdit>(&w, "Memlst")->toPlainText().isEmpty());
    QVERIFY(modals.unexpected.isEmpty());
}

void TestTFrmPingYu::mainWindowKeepsOneViewer() {
    hjtest::DataRoot root;
    hjtest::writeGbk(root.dat(QStringLiteral("bzpingyu.dat")), QStringLiteral("[性格]\r\ntol=1\r\n1=一\r\n"));
    hj::gui::TFrmMain main(root.path());
    main.show();
    QVERIFY(!main.pingYuViewer());
    child<QAction>(&main, "mnuS_pingyu")->trigger();
    QPointer<TFrmPingYu> first = main.pingYuViewer();
    QVERIFY(first && first->isVisible());
    QVERIFY(!first->isModal());
    child<QAction>(&main, "mnuS_pingyu")->trigger();
    QCOMPARE(main.pingYuViewer(), first.data());
    first->close();
    QTRY_VERIFY(!first);  // closing destroys it and the main window forgets it
    QVERIFY(!main.pingYuViewer());
    child<QAction>(&main, "mnuS_pingyu")->trigger();
    QVERIFY(main.pingYuViewer());
    QVERIFY(main.pingYuViewer()->isVisible());
}

HJ_GUI_TEST(TestTFrmPingYu)
#include "gui_TFrmPingYu.moc"
