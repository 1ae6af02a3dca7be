// 经纬度设置: provinces, showing a place, and adding, changing and deleting with their checks.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "core/text/ini.h"
#include "gui/TFrmDiLi.h"

using hj::gui::TFrmDiLi;
using hjtest::child;

class TestTFrmDiLi : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void listsProvincesAndShowsFirstPlace();
    void changeChecksNumbers_data();
    void changeChecksNumbers();
    void changeWritesValue();
    void addNewAndOverwrite();
    void addEmptyOrBadNameDoesNothing();
    void deleteAsksFirst();

private:
    QString value(const char* province, const char* place) const {
        hj::text::IniFile f(root->dat(QStringLiteral("dili.ini")).toStdString());
        f.reload();
        return QString::fromStdString(f.readString(province, place, "<missing>"));
    }
    std::unique_ptr<hjtest::DataRoot> root;
    std::unique_ptr<TFrmDiLi> dlg;
    QByteArray original;
};

void TestTFrmDiLi::init() {
    root = std::make_unique<hjtest::DataRoot>(false);
    hjtest::writeGbk(root->dat(QStringLiteral("dili.ini")),
                     QStringLiteral("[福建省]\r\n福州市=119:18*26:5\r\n厦门市=118:5*24:27\r\n[北京市]\r\n北京市=116:23*39:54\r\n"));
    original = hjtest::readBytes(root->dat(QStringLiteral("dili.ini")));
    dlg = std::make_unique<TFrmDiLi>(root->dat());
    dlg->show();
}

void TestTFrmDiLi::cleanup() {
    dlg.reset();
    root.reset();
}

void TestTFrmDiLi::listsProvincesAndShowsFirstPlace() {
    hjtest::screenshot(dlg.get(), QStringLiteral("TFrmDiLi"));
    QCOMPARE(dlg->windowTitle(), QStringLiteral("经纬度设置"));
    auto* provinces = child<QComboBox>(dlg.get(), "CboSheng");
    QCOMPARE(provinces->count(), 34);
    QCOMPARE(provinces->itemText(0), QStringLiteral("福建省"));
    QCOMPARE(provinces->itemText(33), QStringLiteral("澳门"));
    auto* places = child<QListWidget>(dlg.get(), "LstShi");
    QCOMPARE(places->count(), 2);
    QCOMPARE(places->currentItem()->text(), QStringLiteral("福州市"));
    QCOMPARE(child<QLineEdit>(dlg.get(), "EdtJingDu")->text(), QStringLiteral("119"));
    QCOMPARE(child<QLineEdit>(dlg.get(), "EdtJingFen")->text(), QStringLiteral("18"));
    QCOMPARE(child<QLineEdit>(dlg.get(), "EdtWeiDu")->text(), QStringLiteral("26"));
    QCOMPARE(child<QLineEdit>(dlg.get(), "EdtWeiFen")->text(), QStringLiteral("5"));
    QCOMPARE(child<QLineEdit>(dlg.get(), "EdtName")->text(), QStringLiteral("市县名"));

    places->setFocus();
    QTest::keyClick(places, Qt::Key_Down);
    QCOMPARE(child<QLineEdit>(dlg.get(), "EdtWeiFen")->text(), QStringLiteral("27"));
    provinces->setCurrentIndex(1);
    QCOMPARE(places->count(), 1);
    QCOMPARE(child<QLineEdit>(dlg.get(), "EdtJingDu")->text(), QStringLiteral("116"));
    provinces->setCurrentIndex(2);  // 天津市: no section, no places
    QCOMPARE(places->count(), 0);
}

void TestTFrmDiLi::changeChecksNumbers_data() {
    QTest::addColumn<QString>("lonDeg");
    QTest::addColumn<QString>("lonMin");
    QTest::addColumn<QString>("latDeg");
    QTest::addColumn<QString>("latMin");
    QTest::addColumn<QString>("message");
    const QString lon = QStringLiteral("经度在-180到180之间，分数在0-60之间");
    const QString lat = QStringLiteral("纬度在-90到90之间，分数在0-60之间");
    QTest::newRow("lon 180") << "180" << "0" << "30" << "0" << lon;
    QTest::newRow("lon -180") << "-180" << "0" << "30" << "0" << lon;
    QTest::newRow("lon min 60") << "120" << "60" << "30" << "0" << lon;
    QTest::newRow("lon abc") << "abc" << "0" << "30" << "0" << lon;
    QTest::newRow("lon min empty") << "120" << "" << "30" << "0" << lon;
    QTest::newRow("lat 90") << "120" << "0" << "90" << "0" << lat;
    QTest::newRow("lat -90") << "120" << "0" << "-90" << "0" << lat;
    QTest::newRow("lat min -1") << "120" << "0" << "30" << "-1" << lat;
}

void TestTFrmDiLi::changeChecksNumbers() {
    QFETCH(QString, lonDeg);
    QFETCH(QString, lonMin);
    QFETCH(QString, latDeg);
    QFETCH(QString, latMin);
    QFETCH(QString, message);
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtJingDu"), lonDeg);
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtJingFen"), lonMin);
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtWeiDu"), latDeg);
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtWeiFen"), latMin);
    hjtest::Modals modals;
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(dlg.get(), "BtnEdit"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(0).text, message);
    QCOMPARE(modals.boxes.at(0).title, QStringLiteral("输入错误"));
    QCOMPARE(hjtest::readBytes(root->dat(QStringLiteral("dili.ini"))), original);
}

void TestTFrmDiLi::changeWritesValue() {
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtJingDu"), QStringLiteral("-179"));
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtJingFen"), QStringLiteral("59"));
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtWeiDu"), QStringLiteral("89"));
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtWeiFen"), QStringLiteral("0"));
    hjtest::Modals modals;
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(dlg.get(), "BtnEdit"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(0).text, QStringLiteral("完成"));
    QCOMPARE(value("福建省", "福州市"), QStringLiteral("-179:59*89:0"));
    QCOMPARE(value("福建省", "厦门市"), QStringLiteral("118:5*24:27"));
    // Half a degree west and five minutes south: the sign of "-0" is kept for the minutes.
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtJingDu"), QStringLiteral("-0"));
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtJingFen"), QStringLiteral("30"));
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtWeiDu"), QStringLiteral("-0"));
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtWeiFen"), QStringLiteral("5"));
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(dlg.get(), "BtnEdit"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(value("福建省", "福州市"), QStringLiteral("-0:30*-0:5"));
    // Shown again as typed.
    auto* places = child<QListWidget>(dlg.get(), "LstShi");
    places->setCurrentRow(1);
    places->setCurrentRow(0);
    QCOMPARE(child<QLineEdit>(dlg.get(), "EdtJingDu")->text(), QStringLiteral("-0"));
    QCOMPARE(child<QLineEdit>(dlg.get(), "EdtWeiFen")->text(), QStringLiteral("5"));
}

void TestTFrmDiLi::addNewAndOverwrite() {
    auto* places = child<QListWidget>(dlg.get(), "LstShi");
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtName"), QStringLiteral("泉州市"));
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtJingDu"), QStringLiteral("118"));
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtJingFen"), QStringLiteral("35"));
    hjtest::Modals modals;
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(dlg.get(), "BtnAdd"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().text, QStringLiteral("完成"));
    QCOMPARE(places->count(), 3);
    QCOMPARE(places->item(2)->text(), QStringLiteral("泉州市"));
    QCOMPARE(value("福建省", "泉州市"), QStringLiteral("118:35*26:5"));

    // The same name again: No keeps the old value, Yes overwrites without a second list entry.
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtJingFen"), QStringLiteral("36"));
    modals.expectBox(QMessageBox::No);
    QTest::mouseClick(child<QPushButton>(dlg.get(), "BtnAdd"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().text, QStringLiteral("已有这个地方的地理数据，要覆盖吗？"));
    QCOMPARE(modals.boxes.back().title, QStringLiteral("注意"));
    QCOMPARE(value("福建省", "泉州市"), QStringLiteral("118:35*26:5"));
    modals.expectBox(QMessageBox::Yes);
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(dlg.get(), "BtnAdd"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(value("福建省", "泉州市"), QStringLiteral("118:36*26:5"));
    QCOMPARE(places->count(), 3);
    QVERIFY(modals.unexpected.isEmpty());
}

void TestTFrmDiLi::addEmptyOrBadNameDoesNothing() {
    hjtest::Modals modals;
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtName"), QString());
    QTest::mouseClick(child<QPushButton>(dlg.get(), "BtnAdd"), Qt::LeftButton);
    QTest::qWait(30);
    QVERIFY(modals.boxes.empty());
    QVERIFY(modals.unexpected.isEmpty());
    // A name with '=' would not read back: refused.
    hjtest::retype(child<QLineEdit>(dlg.get(), "EdtName"), QStringLiteral("a=b"));
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(dlg.get(), "BtnAdd"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().title, QStringLiteral("输入错误"));
    // Nor may a name hold a control character.
    child<QLineEdit>(dlg.get(), "EdtName")->setText(QStringLiteral("泉\t州"));  // as pasted
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(dlg.get(), "BtnAdd"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().text, QStringLiteral("地名不能包含制表符、换行等控制字符"));
    QCOMPARE(hjtest::readBytes(root->dat(QStringLiteral("dili.ini"))), original);
}

void TestTFrmDiLi::deleteAsksFirst() {
    auto* places = child<QListWidget>(dlg.get(), "LstShi");
    places->setCurrentRow(1);
    hjtest::Modals modals;
    modals.expectBox(QMessageBox::No);
    QTest::mouseClick(child<QPushButton>(dlg.get(), "BtnDel"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().text, QStringLiteral("确定要删除\"福建省厦门市\"吗？"));
    QCOMPARE(modals.boxes.back().title, QStringLiteral("注意"));
    QCOMPARE(places->count(), 2);
    modals.expectBox(QMessageBox::Yes);
    modals.expectBox();
    QTest::mouseClick(child<QPushButton>(dlg.get(), "BtnDel"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().text, QStringLiteral("完成"));
    QCOMPARE(places->count(), 1);
    QCOMPARE(value("福建省", "厦门市"), QStringLiteral("<missing>"));
    QCOMPARE(value("福建省", "福州市"), QStringLiteral("119:18*26:5"));
}

HJ_GUI_TEST(TestTFrmDiLi)
#include "gui_TFrmDiLi.moc"
