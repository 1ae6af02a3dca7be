// 八字断语: topics, entries with gaps, a missing file, and the one viewer of the main window.
#include <QDialog>
#include <QListWidget>
#include <QWindow>
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
    void dialogsAreNeverCovered();
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

// The viewer stays on top of the main window, but never of the program's own dialogs: a modal
// one takes its on-top state until it closes (else every window ignores clicks under it), and
// a dialog lent the state gives it back when it hides or when the viewer goes.
void TestTFrmPingYu::dialogsAreNeverCovered() {
    hjtest::DataRoot root;
    hj::gui::TFrmMain main(root.path());
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    child<QAction>(&main, "mnuS_pingyu")->trigger();
    TFrmPingYu* viewer = main.pingYuViewer();
    QVERIFY(viewer && QTest::qWaitForWindowExposed(viewer));
    auto onTop = [](QWidget* w) { return w->windowHandle() && (w->windowHandle()->flags() & Qt::WindowStaysOnTopHint); };
    QVERIFY(onTop(viewer));

    struct Seen {
        bool dialog, viewer;
    };
    std::vector<Seen> seen;
    hjtest::Modals modals;
    modals.expect([&](QWidget* d) {
        seen.push_back({onTop(d), onTop(viewer)});
        QMetaObject::invokeMethod(d, "reject", Qt::QueuedConnection);
    });
    child<QAction>(&main, "mnuT_huaiyun")->trigger();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(seen.size(), 1u);
    QVERIFY(seen[0].dialog);
    QVERIFY(!seen[0].viewer);
    QTRY_VERIFY(onTop(viewer));  // back on top once the modal dialog is gone

    // A dialog without modality, open while the viewer is up: on top, and no longer once the
    // viewer has gone.
    QDialog loose(&main);
    loose.setModal(false);
    loose.show();
    QVERIFY(QTest::qWaitForWindowExposed(&loose));
    QVERIFY(onTop(&loose));
    QVERIFY(onTop(viewer));
    viewer->close();
    QTRY_VERIFY(!onTop(&loose));
    loose.hide();
    loose.show();  // the viewer is gone: an ordinary dialog again
    QVERIFY(!onTop(&loose));
    QVERIFY(modals.unexpected.isEmpty());
}

HJ_GUI_TEST(TestTFrmPingYu)
#include "gui_TFrmPingYu.moc"
