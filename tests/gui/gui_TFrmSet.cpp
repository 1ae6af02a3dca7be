// 排盘设置: defaults, validation of the left margin, and the keys written.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "core/chart/chart_settings.h"
#include "core/text/ini.h"
#include "gui/GuiSupport.h"
#include "gui/TFrmSet.h"

using hj::gui::RadioGroup;
using hj::gui::TFrmSet;

class TestTFrmSet : public QObject {
    Q_OBJECT
private slots:
    void freshFileShowsDefaults();
    void storedValuesAreShown();
    void leftMarginRange_data();
    void leftMarginRange();
    void okWritesEveryKeyInOrder();
    void cancelWritesNothing();
    void summerTimeKey();
    void addedKeysWrittenOnlyOnceChanged();
    void reportOptionsOffByDefault();
};

namespace {
using hjtest::child;
using hjtest::tick;
QRadioButton* item(QWidget* group, int i) { return child<QRadioButton>(group, qPrintable(QStringLiteral("item%1").arg(i))); }

}  // namespace

void TestTFrmSet::freshFileShowsDefaults() {
    hjtest::DataRoot root(false);
    hj::text::IniFile ini(root.dat(QStringLiteral("bzinit.ini")).toStdString());
    TFrmSet dlg(ini);
    dlg.show();
    hjtest::screenshot(&dlg, QStringLiteral("TFrmSet"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("排盘设置"));
    QVERIFY(child<QRadioButton>(&dlg, "RdoHengPai")->isChecked());
    QVERIFY(!child<QRadioButton>(&dlg, "RdoShuPai")->isChecked());
    QVERIFY(!child<QCheckBox>(&dlg, "chkzishi")->isChecked());
    QVERIFY(!child<QCheckBox>(&dlg, "ChkSave")->isChecked());
    QCOMPARE(child<QLineEdit>(&dlg, "LedtLeftPos")->text(), QStringLiteral("0"));
    QCOMPARE(child<QComboBox>(&dlg, "CboSelDate")->currentText(), QStringLiteral("北京时间"));
    QCOMPARE(child<RadioGroup>(&dlg, "RdoMingGong")->itemIndex(), 0);
    QCOMPARE(child<RadioGroup>(&dlg, "RdoZhong")->itemIndex(), 1);
    QCOMPARE(child<RadioGroup>(&dlg, "RdoYue")->itemIndex(), 1);
    QVERIFY(!QFile::exists(root.dat(QStringLiteral("bzinit.ini"))));  // showing writes nothing
}

void TestTFrmSet::storedValuesAreShown() {
    hjtest::DataRoot root(false);
    hjtest::writeGbk(root.dat(QStringLiteral("bzinit.ini")),
                     QStringLiteral("[set]\r\npai=1\r\nzishi=1\r\nsave=1\r\nleftpos=37\r\nidate=2\r\nmgong=1\r\nzhong=0\r\nyue=0\r\n"));
    hj::text::IniFile ini(root.dat(QStringLiteral("bzinit.ini")).toStdString());
    ini.reload();
    TFrmSet dlg(ini);
    QVERIFY(child<QRadioButton>(&dlg, "RdoShuPai")->isChecked());
    QVERIFY(child<QCheckBox>(&dlg, "chkzishi")->isChecked());
    QVERIFY(child<QCheckBox>(&dlg, "ChkSave")->isChecked());
    QCOMPARE(child<QLineEdit>(&dlg, "LedtLeftPos")->text(), QStringLiteral("37"));
    QCOMPARE(child<QComboBox>(&dlg, "CboSelDate")->currentText(), QStringLiteral("地方时"));
    QCOMPARE(child<RadioGroup>(&dlg, "RdoMingGong")->itemIndex(), 1);
    QCOMPARE(child<RadioGroup>(&dlg, "RdoZhong")->itemIndex(), 0);
    QCOMPARE(child<RadioGroup>(&dlg, "RdoYue")->itemIndex(), 0);
}

void TestTFrmSet::leftMarginRange_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("500") << QStringLiteral("500") << true;
    QTest::newRow("0") << QStringLiteral("0") << true;
    QTest::newRow("501") << QStringLiteral("501") << false;
    QTest::newRow("-1") << QStringLiteral("-1") << false;
    QTest::newRow("abc") << QStringLiteral("abc") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestTFrmSet::leftMarginRange() {
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    hjtest::DataRoot root(false);
    const QString path = root.dat(QStringLiteral("bzinit.ini"));
    hj::text::IniFile ini(path.toStdString());
    TFrmSet dlg(ini);
    dlg.show();
    auto* edit = child<QLineEdit>(&dlg, "LedtLeftPos");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, typed);
    hjtest::Modals modals;
    if (!accepted) modals.expectBox();
    QTest::mouseClick(child<QPushButton>(&dlg, "Btnok"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QVERIFY(modals.unexpected.isEmpty());
    if (accepted) {
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        hj::text::IniFile back(path.toStdString());
        back.reload();
        QCOMPARE(back.readInt("set", "leftpos", -99), typed.toInt());
    } else {
        QCOMPARE(modals.boxes.size(), std::size_t(1));
        QCOMPARE(modals.boxes[0].text, QStringLiteral("文本左边距离在0-500之间"));
        QCOMPARE(modals.boxes[0].title, QStringLiteral("输入错误"));
        QCOMPARE(modals.boxes[0].icon, QMessageBox::Critical);
        QVERIFY(dlg.isVisible());
        QTRY_COMPARE(dlg.focusWidget(), edit);
        QVERIFY(!QFile::exists(path));
    }
}

void TestTFrmSet::okWritesEveryKeyInOrder() {
    hjtest::DataRoot root(false);
    const QString path = root.dat(QStringLiteral("bzinit.ini"));
    hjtest::writeGbk(path, QStringLiteral("[winpos]\r\nleft=5\r\n"));
    hj::text::IniFile ini(path.toStdString());
    ini.reload();
    TFrmSet dlg(ini);
    dlg.show();
    tick(child<QRadioButton>(&dlg, "RdoShuPai"));
    tick(child<QCheckBox>(&dlg, "chkzishi"));
    tick(child<QCheckBox>(&dlg, "ChkSave"));
    auto* left = child<QLineEdit>(&dlg, "LedtLeftPos");
    left->selectAll();
    QTest::keyClicks(left, QStringLiteral("24"));
    auto* date = child<QComboBox>(&dlg, "CboSelDate");
    date->setFocus();
    QTest::keyClick(date, Qt::Key_Down);  // 真太阳时
    tick(item(child<RadioGroup>(&dlg, "RdoMingGong"), 1));
    tick(item(child<RadioGroup>(&dlg, "RdoZhong"), 0));
    tick(item(child<RadioGroup>(&dlg, "RdoYue"), 0));
    QTest::mouseClick(child<QPushButton>(&dlg, "Btnok"), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(hjtest::readGbk(path),
             QStringLiteral("[winpos]\r\nleft=5\r\n\r\n[set]\r\nleftpos=24\r\nzishi=1\r\nmgong=1\r\npai=1\r\nidate=1\r\n"
                            "save=1\r\nzhong=0\r\nyue=0\r\n"));
}

void TestTFrmSet::cancelWritesNothing() {
    hjtest::DataRoot root(false);
    const QString path = root.dat(QStringLiteral("bzinit.ini"));
    hj::text::IniFile ini(path.toStdString());
    TFrmSet dlg(ini);
    dlg.show();
    tick(child<QCheckBox>(&dlg, "ChkSave"));
    QTest::mouseClick(child<QPushButton>(&dlg, "Btncancel"), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(!QFile::exists(path));
}

// 扣除夏令时 is on by default and its key is written only once it was turned off.
void TestTFrmSet::summerTimeKey() {
    hjtest::DataRoot root(false);
    const QString path = root.dat(QStringLiteral("bzinit.ini"));
    hj::text::IniFile ini(path.toStdString());
    for (const bool expectKeyOn : {false, true}) {
        TFrmSet dlg(ini);
        dlg.show();
        auto* dst = child<QCheckBox>(&dlg, "ChkDst");
        QCOMPARE(dst->text(), QStringLiteral("扣除夏令时"));
        QCOMPARE(dst->isChecked(), !expectKeyOn);
        tick(dst);
        QTest::mouseClick(child<QPushButton>(&dlg, "Btnok"), Qt::LeftButton);
        QVERIFY(hjtest::readGbk(path).contains(expectKeyOn ? QStringLiteral("dst=1") : QStringLiteral("dst=0")));
    }
}

// The boundary window and the analysis section: a default save leaves them out of the file, a
// change writes them in the engine's own terms, and once there they are kept up to date.
void TestTFrmSet::addedKeysWrittenOnlyOnceChanged() {
    hjtest::DataRoot root(false);
    const QString path = root.dat(QStringLiteral("bzinit.ini"));
    hj::text::IniFile ini(path.toStdString());
    const auto save = [&](int minutes, bool analysis) {
        TFrmSet dlg(ini);
        dlg.show();
        child<QSpinBox>(&dlg, "SpnBianJie")->setValue(minutes);
        child<QCheckBox>(&dlg, "ChkFenXi")->setChecked(analysis);
        QTest::mouseClick(child<QPushButton>(&dlg, "Btnok"), Qt::LeftButton);
        return hj::loadChartSettings(root.path().toStdString());
    };
    hj::ChartSettings s = save(30, false);
    QVERIFY(!hjtest::readGbk(path).contains(QStringLiteral("bianjie")));
    QVERIFY(!hjtest::readGbk(path).contains(QStringLiteral("fenxi")));
    s = save(0, true);
    QCOMPARE(s.bianjie, 0);
    QVERIFY(s.fenxi);
    {
        TFrmSet dlg(ini);
        QCOMPARE(child<QSpinBox>(&dlg, "SpnBianJie")->text(), QStringLiteral("不提示"));
        QVERIFY(child<QCheckBox>(&dlg, "ChkFenXi")->isChecked());
    }
    {
        TFrmSet dlg(ini);
        dlg.show();
        QApplication::setActiveWindow(&dlg);
        child<QLineEdit>(&dlg, "LedtLeftPos")->setFocus();
        QStringList order;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order.join(QLatin1Char(' ')), QStringLiteral("CboSelDate SpnBianJie ChkDst ChkFenXi ChkSave"));
    }
    s = save(30, false);  // back to the defaults: the keys stay and say so
    QCOMPARE(s.bianjie, 30);
    QVERIFY(!s.fenxi);
    QVERIFY(hjtest::readGbk(path).contains(QStringLiteral("bianjie=30")));
}

// The report's own options: off in a fresh file and not written there; each one ticked reaches
// the chart settings, and the keys stay once written.
void TestTFrmSet::reportOptionsOffByDefault() {
    hjtest::DataRoot root(false);
    const QString path = root.dat(QStringLiteral("bzinit.ini"));
    hj::text::IniFile ini(path.toStdString());
    const auto save = [&](bool on) {
        TFrmSet dlg(ini);
        dlg.show();
        for (const char* name : {"ChkXingBie", "ChkWenHe", "ChkJinNian"}) child<QCheckBox>(&dlg, name)->setChecked(on);
        child<QComboBox>(&dlg, "CboNaYin")->setCurrentIndex(on ? 1 : 0);
        QTest::mouseClick(child<QPushButton>(&dlg, "Btnok"), Qt::LeftButton);
        return hj::loadChartSettings(root.path().toStdString());
    };
    {
        TFrmSet dlg(ini);
        for (const char* name : {"ChkXingBie", "ChkWenHe", "ChkJinNian"}) QVERIFY(!child<QCheckBox>(&dlg, name)->isChecked());
        QCOMPARE(child<QComboBox>(&dlg, "CboNaYin")->currentIndex(), 0);
    }
    hj::ChartSettings s = save(false);
    for (const char* key : {"xingbie", "wenhe", "jinnian", "nayin"})
        QVERIFY2(!hjtest::readGbk(path).contains(QLatin1String(key)), key);
    QVERIFY(!s.xingbie && !s.wenhe && !s.jinnian && s.nayin == 0);
    s = save(true);
    QVERIFY(s.xingbie && s.wenhe && s.jinnian && s.nayin == 1);
    {
        TFrmSet dlg(ini);
        for (const char* name : {"ChkXingBie", "ChkWenHe", "ChkJinNian"}) QVERIFY(child<QCheckBox>(&dlg, name)->isChecked());
        QCOMPARE(child<QComboBox>(&dlg, "CboNaYin")->currentIndex(), 1);
        dlg.show();
        hjtest::screenshot(&dlg, QStringLiteral("TFrmSet-report-options"));
    }
    s = save(false);
    QVERIFY(!s.xingbie && !s.wenhe && !s.jinnian && s.nayin == 0);
    QVERIFY(hjtest::readGbk(path).contains(QStringLiteral("nayin=0")));
}

HJ_GUI_TEST(TestTFrmSet)
#include "gui_TFrmSet.moc"
