// 命例信息: shown from a record, the question before saving, the checks, and what the copy gets.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "core/presentation/chart_inputs.h"
#include "gui/GuiSupport.h"
#include "gui/TFrmInfo.h"

using hj::casestore::CaseRecord;
using hj::gui::TFrmInfo;
using hjtest::child;

class TestTFrmInfo : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { root.reset(); }
    void showsRecord();
    void cityBeyondListAndUnknownProvince();
    void noKeepsDialogOpen();
    void checks_data();
    void checks();
    void saveFillsCopy();

private:
    std::unique_ptr<hjtest::DataRoot> root;
    CaseRecord rec;
};

void TestTFrmInfo::init() {
    root = std::make_unique<hjtest::DataRoot>();
    rec = CaseRecord{};
    rec.index = 5;
    rec.name = "李四";
    rec.className = "朋友";
    rec.year = -99;
    rec.month = 4;
    rec.day = 3;
    rec.hour = 23;
    rec.minute = 59;
    rec.lunar = 1;
    rec.leap = 1;
    rec.male = 0;
    rec.province = 1;
    rec.city = 0;
    rec.longitude = 116.4f;
    rec.latitude = 39.9f;
    rec.place = "北京市-北京市";
    rec.note = "备注:老友";
}

void TestTFrmInfo::showsRecord() {
    TFrmInfo dlg(rec, root->dat());
    dlg.show();
    hjtest::screenshot(&dlg, QStringLiteral("TFrmInfo"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("命例信息"));
    QVERIFY(child<QRadioButton>(&dlg, "RdoNong")->isChecked());
    QVERIFY(child<QCheckBox>(&dlg, "Chkrun")->isChecked());
    QCOMPARE(child<QLineEdit>(&dlg, "EdtYear")->text(), QStringLiteral("-100"));
    QCOMPARE(child<QComboBox>(&dlg, "cbom")->currentText(), QStringLiteral("4月"));
    QCOMPARE(child<QComboBox>(&dlg, "cbod")->currentText(), QStringLiteral("3日"));
    QCOMPARE(child<QComboBox>(&dlg, "cbos")->currentText(), QStringLiteral("23时子"));
    QCOMPARE(child<QComboBox>(&dlg, "cbomin")->currentText(), QStringLiteral("59分"));
    QCOMPARE(child<QLineEdit>(&dlg, "Edtname")->text(), QStringLiteral("李四"));
    QVERIFY(child<QRadioButton>(&dlg, "Rdonv")->isChecked());
    QCOMPARE(child<QComboBox>(&dlg, "cbodiZ")->currentText(), QStringLiteral("北京市"));
    QCOMPARE(child<QComboBox>(&dlg, "cbodiZ")->count(), 35);
    QCOMPARE(child<QPlainTextEdit>(&dlg, "MemInfo")->toPlainText(), QStringLiteral("备注:老友"));
    // The up/down steps internal years; the edit shows the historical year.
    auto* updown = child<hj::gui::UpDown>(&dlg, "UpDyear");
    updown->step(1);
    updown->step(1);
    QCOMPARE(child<QLineEdit>(&dlg, "EdtYear")->text(), QStringLiteral("-98"));
    QCOMPARE(updown->minimum(), -849);
    QCOMPARE(updown->maximum(), 2100);
}

void TestTFrmInfo::cityBeyondListAndUnknownProvince() {
    rec.city = 999;
    TFrmInfo dlg(rec, root->dat());
    QCOMPARE(child<QComboBox>(&dlg, "cbodiC")->currentIndex(), 0);
    child<QComboBox>(&dlg, "cbodiZ")->setCurrentIndex(34);
    QCOMPARE(child<QComboBox>(&dlg, "cbodiC")->count(), 1);
    QCOMPARE(child<QComboBox>(&dlg, "cbodiC")->itemText(0), QStringLiteral("未知地"));
}

void TestTFrmInfo::noKeepsDialogOpen() {
    TFrmInfo dlg(rec, root->dat());
    dlg.show();
    hjtest::Modals modals;
    modals.expectBox(QMessageBox::No);
    QTest::mouseClick(child<QPushButton>(&dlg, "BtnSave"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(0).text, QStringLiteral("确定要保存修改吗？"));
    QCOMPARE(modals.boxes.at(0).title, QStringLiteral("提示"));
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.record(), rec);
}

void TestTFrmInfo::checks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("message");  // empty: accepted
    const QString yearMsg =
        QStringLiteral("年份必须在-850到2100年之间，并且没有公元0年\r\n注意：公元前用负数，比如公元前120年，就输入-120");
    QTest::newRow("no name") << QString() << QStringLiteral("1990") << QStringLiteral("x") << QStringLiteral("姓名不能为空");
    QTest::newRow("year 0") << QStringLiteral("a") << QStringLiteral("0") << QStringLiteral("x") << yearMsg;
    QTest::newRow("year -851") << QStringLiteral("a") << QStringLiteral("-851") << QStringLiteral("x") << yearMsg;
    QTest::newRow("year 2101") << QStringLiteral("a") << QStringLiteral("2101") << QStringLiteral("x") << yearMsg;
    QTest::newRow("year abc") << QStringLiteral("a") << QStringLiteral("abc") << QStringLiteral("x") << yearMsg;
    QTest::newRow("no note") << QStringLiteral("a") << QStringLiteral("1990") << QStringLiteral(" ") << QStringLiteral("附加信息不能为空");
    QTest::newRow("year -850") << QStringLiteral("a") << QStringLiteral("-850") << QStringLiteral("x") << QString();
    QTest::newRow("year 2100") << QStringLiteral("a") << QStringLiteral("2100") << QStringLiteral("x") << QString();
}

void TestTFrmInfo::checks() {
    QFETCH(QString, name);
    QFETCH(QString, year);
    QFETCH(QString, note);
    QFETCH(QString, message);
    TFrmInfo dlg(rec, root->dat());
    dlg.show();
    hjtest::retype(child<QLineEdit>(&dlg, "Edtname"), name);
    hjtest::retype(child<QLineEdit>(&dlg, "EdtYear"), year);
    auto* memo = child<QPlainTextEdit>(&dlg, "MemInfo");
    memo->selectAll();
    hjtest::typeText(memo, note);
    hjtest::Modals modals;
    modals.expectBox(QMessageBox::Yes);
    if (!message.isEmpty()) modals.expectBox();
    QTest::mouseClick(child<QPushButton>(&dlg, "BtnSave"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    if (message.isEmpty()) {
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(int(dlg.record().year), hj::presentation::yearFromField(year.toStdString()) < 0
                                             ? hj::presentation::yearFromField(year.toStdString()) + 1
                                             : hj::presentation::yearFromField(year.toStdString()));
    } else {
        QCOMPARE(modals.boxes.at(1).text, message);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.record(), rec);
    }
}

void TestTFrmInfo::saveFillsCopy() {
    TFrmInfo dlg(rec, root->dat());
    dlg.show();
    hjtest::tick(child<QRadioButton>(&dlg, "RdoGong"));
    hjtest::tick(child<QCheckBox>(&dlg, "Chkrun"));
    hjtest::retype(child<QLineEdit>(&dlg, "EdtYear"), QStringLiteral("-1"));
    child<QComboBox>(&dlg, "cbom")->setCurrentIndex(11);
    child<QComboBox>(&dlg, "cbod")->setCurrentIndex(30);
    child<QComboBox>(&dlg, "cbos")->setCurrentIndex(0);
    child<QComboBox>(&dlg, "cbomin")->setCurrentIndex(1);
    hjtest::retype(child<QLineEdit>(&dlg, "Edtname"), QStringLiteral("王五"));
    hjtest::tick(child<QRadioButton>(&dlg, "Rdona"));
    child<QComboBox>(&dlg, "cbodiZ")->setCurrentIndex(0);
    child<QComboBox>(&dlg, "cbodiC")->setCurrentIndex(1);
    auto* memo = child<QPlainTextEdit>(&dlg, "MemInfo");
    memo->selectAll();
    hjtest::typeText(memo, QStringLiteral("新备注"));
    hjtest::Modals modals;
    modals.expectBox(QMessageBox::Yes);
    QTest::mouseClick(child<QPushButton>(&dlg, "BtnSave"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    CaseRecord want = rec;
    want.lunar = 0;
    want.leap = 0;
    want.year = 0;
    want.month = 12;
    want.day = 31;
    want.hour = 0;
    want.minute = 1;
    want.name = "王五";
    want.male = 1;
    want.province = 0;
    want.city = 1;
    want.note = "新备注";
    // Class, place text and coordinates stay as they were.
    QCOMPARE(dlg.record(), want);
}

HJ_GUI_TEST(TestTFrmInfo)
#include "gui_TFrmInfo.moc"
