// 巧猜姓氏: the tables shown, the answers and the end of the game.
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "gui/TFrmTestName.h"

using hj::gui::TFrmTestName;

class TestTFrmTestName : public QObject {
    Q_OBJECT
private slots:
    void startsOnTheFirstTable();
    void answers_data();
    void answers();
    void restartFromAnyState();
    void escapeAndCloseEndTheGame();
};

namespace {
template <class T>
T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QLatin1String(name));
    if (!c) qFatal("no control %s", name);
    return c;
}
QString cell(TFrmTestName& d, int row, int col) { return child<QTableWidget>(&d, "strbjx")->item(row, col)->text(); }
}  // namespace

void TestTFrmTestName::startsOnTheFirstTable() {
    TFrmTestName dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    hjtest::screenshot(&dlg, QStringLiteral("TFrmTestName"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("巧猜姓氏"));
    QCOMPARE(child<QLabel>(&dlg, "Panel1")->text(), QStringLiteral("倒数 第7 张表"));
    auto* grid = child<QTableWidget>(&dlg, "strbjx");
    QCOMPARE(grid->rowCount(), 8);
    QCOMPARE(grid->columnCount(), 8);
    QCOMPARE(grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(cell(dlg, 0, 0), QStringLiteral("孔"));  // 64
    QCOMPARE(cell(dlg, 7, 7), QStringLiteral("萧"));  // 127
    QVERIFY(child<QPushButton>(&dlg, "Btnok")->isDefault());
    QCOMPARE(child<QPushButton>(&dlg, "Btnok")->text(), QStringLiteral("有"));
    QCOMPARE(child<QPushButton>(&dlg, "Btnno")->text(), QStringLiteral("没有"));
    QCOMPARE(child<QPushButton>(&dlg, "Btnres")->text(), QStringLiteral("重来"));
    QCOMPARE(child<QLabel>(&dlg, "Label1")->text(), QStringLiteral("回答下表中有否你的姓"));
}

void TestTFrmTestName::answers_data() {
    QTest::addColumn<int>("bits");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << 0 << QStringLiteral("意外") << QStringLiteral("你的姓不在本字库中!");
    QTest::newRow("all") << 127 << QStringLiteral("猜中") << QStringLiteral("你姓:萧");
    QTest::newRow("first only") << 64 << QStringLiteral("猜中") << QStringLiteral("你姓:孔");
    QTest::newRow("何") << 50 << QStringLiteral("猜中") << QStringLiteral("你姓:何");
}

void TestTFrmTestName::answers() {
    QFETCH(int, bits);
    QFETCH(QString, title);
    QFETCH(QString, text);
    TFrmTestName dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    hjtest::Modals modals;
    auto* yes = child<QPushButton>(&dlg, "Btnok");
    auto* no = child<QPushButton>(&dlg, "Btnno");
    for (int b = 6; b >= 0; --b) {
        QCOMPARE(child<QLabel>(&dlg, "Panel1")->text(), QStringLiteral("倒数 第%1 张表").arg(b + 1));
        if (b == 0) {
            QCOMPARE(cell(dlg, 0, 0), QStringLiteral("白"));  // the last table: odd numbers
            modals.expectBox();
        }
        QTest::mouseClick((bits >> b & 1) ? yes : no, Qt::LeftButton);
        if (b < 6 && b > 0) QCOMPARE(dlg.focusWidget(), child<QTableWidget>(&dlg, "strbjx"));
    }
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.size(), std::size_t(1));
    QCOMPARE(modals.boxes[0].title, title);
    QCOMPARE(modals.boxes[0].text, text);
    QCOMPARE(modals.boxes[0].icon, QMessageBox::Information);
    QCOMPARE(dlg.game().answerSum(), bits);
    QVERIFY(!yes->isEnabled());
    QVERIFY(!no->isEnabled());
    if (bits != 0) QCOMPARE(child<QLabel>(&dlg, "Panel1")->text(), text);
    QVERIFY(modals.unexpected.isEmpty());
}

void TestTFrmTestName::restartFromAnyState() {
    TFrmTestName dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    hjtest::Modals modals;
    QTest::mouseClick(child<QPushButton>(&dlg, "Btnok"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(&dlg, "Btnres"), Qt::LeftButton);
    QCOMPARE(dlg.game().tablesLeft(), 7);
    QCOMPARE(dlg.game().answerSum(), 0);
    QCOMPARE(cell(dlg, 0, 0), QStringLiteral("孔"));
    modals.expectBox();
    for (int i = 0; i < 7; ++i) QTest::mouseClick(child<QPushButton>(&dlg, "Btnok"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QTest::mouseClick(child<QPushButton>(&dlg, "Btnres"), Qt::LeftButton);
    QVERIFY(child<QPushButton>(&dlg, "Btnok")->isEnabled());
    QVERIFY(child<QPushButton>(&dlg, "Btnno")->isEnabled());
    QCOMPARE(child<QLabel>(&dlg, "Panel1")->text(), QStringLiteral("倒数 第7 张表"));
    QVERIFY(modals.unexpected.isEmpty());
}

void TestTFrmTestName::escapeAndCloseEndTheGame() {
    // Esc closes the window at any point of a game, as 关闭 does; neither answers a table.
    for (const bool byKey : {true, false}) {
        TFrmTestName dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::mouseClick(child<QPushButton>(&dlg, "Btnok"), Qt::LeftButton);
        if (byKey) QTest::keyClick(&dlg, Qt::Key_Escape);
        else QTest::mouseClick(child<QPushButton>(&dlg, "BtnClose"), Qt::LeftButton);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(dlg.game().tablesLeft(), 6);
        QCOMPARE(dlg.game().answerSum(), 64);
    }
}

HJ_GUI_TEST(TestTFrmTestName)
#include "gui_TFrmTestName.moc"
