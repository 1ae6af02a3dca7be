// 测怀孕: defaults, predictions and the age limits.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "gui/TFrmHuaiYun.h"

using hj::gui::TFrmHuaiYun;

class TestTFrmHuaiYun : public QObject {
    Q_OBJECT
private slots:
    void defaults();
    void prediction_data();
    void prediction();
};

namespace {
template <class T>
T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QLatin1String(name));
    if (!c) qFatal("no control %s", name);
    return c;
}
}  // namespace

void TestTFrmHuaiYun::defaults() {
    TFrmHuaiYun dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    hjtest::screenshot(&dlg, QStringLiteral("TFrmHuaiYun"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("测怀孕"));
    QCOMPARE(child<QLabel>(&dlg, "Label3")->text(), QStringLiteral("清宫珍藏生男生女预计法"));
    auto* age = child<QLineEdit>(&dlg, "LedtArg");
    QCOMPARE(age->text(), QStringLiteral("22"));
    QCOMPARE(age->maxLength(), 2);
    auto* month = child<QComboBox>(&dlg, "CboMonth");
    QCOMPARE(month->count(), 12);
    QCOMPARE(month->currentIndex(), 0);
    QCOMPARE(month->itemText(0), QStringLiteral("1月"));
    QCOMPARE(month->itemText(11), QStringLiteral("12月"));
    QCOMPARE(child<QPushButton>(&dlg, "Button1")->text(), QStringLiteral("计算"));
    QVERIFY(child<QLabel>(&dlg, "StxtOut")->text().isEmpty());
}

void TestTFrmHuaiYun::prediction_data() {
    QTest::addColumn<QString>("age");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("result");  // empty: refused
    QTest::newRow("18/1") << QStringLiteral("18") << 1 << QStringLiteral("生女孩");
    QTest::newRow("18/2") << QStringLiteral("18") << 2 << QStringLiteral("生男孩");
    QTest::newRow("21/1") << QStringLiteral("21") << 1 << QStringLiteral("生男孩");
    QTest::newRow("21/7") << QStringLiteral("21") << 7 << QStringLiteral("生女孩");
    QTest::newRow("45/12") << QStringLiteral("45") << 12 << QStringLiteral("生男孩");
    QTest::newRow("17") << QStringLiteral("17") << 1 << QString();
    QTest::newRow("46") << QStringLiteral("46") << 1 << QString();
    QTest::newRow("text") << QStringLiteral("ab") << 1 << QString();
    QTest::newRow("empty") << QString() << 1 << QString();
}

void TestTFrmHuaiYun::prediction() {
    QFETCH(QString, age);
    QFETCH(int, month);
    QFETCH(QString, result);
    TFrmHuaiYun dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* out = child<QLabel>(&dlg, "StxtOut");
    auto* edit = child<QLineEdit>(&dlg, "LedtArg");
    auto* months = child<QComboBox>(&dlg, "CboMonth");
    // A result never stays beside inputs it was not computed from.
    out->setText(QStringLiteral("上次"));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, age);
    QVERIFY(out->text().isEmpty());
    out->setText(QStringLiteral("上次"));
    months->setCurrentIndex(months->currentIndex() == 0 ? 1 : 0);
    QVERIFY(out->text().isEmpty());
    months->setCurrentIndex(month - 1);
    // A refusal leaves the result as it was.
    out->setText(QStringLiteral("上次"));
    hjtest::Modals modals;
    if (result.isEmpty()) modals.expectBox();
    QTest::mouseClick(child<QPushButton>(&dlg, "Button1"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QVERIFY(modals.unexpected.isEmpty());
    if (result.isEmpty()) {
        QCOMPARE(modals.boxes.size(), std::size_t(1));
        QCOMPARE(modals.boxes[0].text, QStringLiteral("母亲年龄在18-45岁"));
        QCOMPARE(modals.boxes[0].title, QStringLiteral("岁数"));
        QCOMPARE(modals.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(out->text(), QStringLiteral("上次"));
        QTRY_COMPARE(dlg.focusWidget(), edit);
    } else {
        QCOMPARE(out->text(), result);
    }
}

HJ_GUI_TEST(TestTFrmHuaiYun)
#include "gui_TFrmHuaiYun.moc"
