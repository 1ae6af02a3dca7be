// The birth inputs on their own, without a main window: a request shown by setRequest() comes
// back from request(), setMoment() changes the date and the calendar only, and every change
// of an input, typed or set, is announced.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>
#include <cmath>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "gui/BirthInputs.h"

using hj::ChartRequest;
using hj::gui::BirthInputs;
using hjtest::child;

class TestBirthInputs : public QObject {
    Q_OBJECT
private slots:
    void init() {
        root = std::make_unique<hjtest::DataRoot>();
        inputs = std::make_unique<BirthInputs>(root->path());
        inputs->show();
        QTest::qWait(10);
    }
    void cleanup() {
        inputs.reset();
        root.reset();
    }
    void requestComesBack();
    void momentLeavesTheRestAlone();
    void everyChangeIsAnnounced();

private:
    std::unique_ptr<hjtest::DataRoot> root;
    std::unique_ptr<BirthInputs> inputs;
};

void TestBirthInputs::requestComesBack() {
    struct Case {
        const char* what;
        ChartRequest req;
        const char* place;  // as the request gives it back
        float longitude;    // from the city list for a Chinese place, the world list abroad
    };
    const auto request = [](const char* name, int year, bool lunar, bool leap, bool male, int province, int city,
                            const char* zone, int fold) {
        ChartRequest q;
        q.name = name;
        q.year = static_cast<std::int16_t>(year);
        q.month = 11;
        q.day = 30;
        q.hour = 23;
        q.minute = 59;
        q.lunar = lunar;
        q.leap = leap;
        q.male = male;
        q.province = static_cast<std::int16_t>(province);
        q.city = static_cast<std::int16_t>(city);
        q.longitude = -74.0f;
        q.latitude = 40.7f;
        q.place = "美国-纽约";
        q.zone = zone;
        q.fold = fold;
        return q;
    };
    const Case cases[] = {
        {"a Beijing district", request("张三", 1990, false, false, true, 1, 2, "", 1), "北京市-西城区", 116.3667f},
        {"lunar leap month, female, BC", request("李四", -120, true, true, false, 1, 0, "", 1), "北京市-北京市", 116.4f},
        {"second of a repeated hour at home", request("王五", 1988, false, false, true, 1, 0, "", 2), "北京市-北京市", 116.4f},
        {"abroad", request("赵六", 2021, false, false, false, 34, 0, "America/New_York", 2), "美国-纽约", -74.0f},
    };
    for (const Case& c : cases) {
        inputs->setRequest(c.req);
        hjtest::Modals modals;
        const std::optional<ChartRequest> back = inputs->request();
        QVERIFY2(back, c.what);
        QVERIFY2(modals.unexpected.isEmpty(), c.what);
        QCOMPARE(back->name, c.req.name);
        QVERIFY2(back->entered() == c.req.entered(), c.what);
        QCOMPARE(back->lunar, c.req.lunar);
        QCOMPARE(back->leap, c.req.leap);
        QCOMPARE(back->male, c.req.male);
        QCOMPARE(back->zone, c.req.zone);
        QCOMPARE(back->fold, c.req.fold);
        QCOMPARE(back->place, std::string(c.place));
        QVERIFY2(std::abs(back->longitude - c.longitude) < 0.01f, c.what);
        if (c.req.zone.empty()) {
            QCOMPARE(back->province, c.req.province);
            QCOMPARE(back->city, c.req.city);
        }
        QCOMPARE(child<QComboBox>(inputs.get(), "cbodiZ")->isEnabled(), c.req.zone.empty());
    }
}

void TestBirthInputs::momentLeavesTheRestAlone() {
    ChartRequest q;
    q.name = "钱七";
    q.year = 1984;
    q.month = 2;
    q.day = 5;
    q.lunar = true;
    q.leap = true;
    q.male = false;
    q.province = 1;
    q.city = 3;
    inputs->setRequest(q);
    child<QCheckBox>(inputs.get(), "ChkLiuNian")->setChecked(false);
    inputs->setMoment(hj::DateTime{0, 3, 4, 23, 15});  // astronomical year 0, shown as -1
    QCOMPARE(child<QLineEdit>(inputs.get(), "EdtYear")->text(), QStringLiteral("-1"));
    QCOMPARE(child<QComboBox>(inputs.get(), "cbom")->currentIndex(), 2);
    QCOMPARE(child<QComboBox>(inputs.get(), "cbod")->currentIndex(), 3);
    QCOMPARE(child<QComboBox>(inputs.get(), "cbos")->currentIndex(), 23);
    QCOMPARE(child<QComboBox>(inputs.get(), "cbomin")->currentIndex(), 15);
    QCOMPARE(child<QComboBox>(inputs.get(), "CboLi")->currentIndex(), 0);  // a civil date
    QVERIFY(!child<QCheckBox>(inputs.get(), "Chkrun")->isChecked());
    const std::optional<ChartRequest> back = inputs->request();
    QVERIFY(back);
    QCOMPARE(back->name, std::string("钱七"));
    QVERIFY(!back->male);
    QCOMPARE(int(back->province), 1);
    QCOMPARE(int(back->city), 3);
    QVERIFY(!back->yearly);
    QCOMPARE(int(back->year), 0);
}

void TestBirthInputs::everyChangeIsAnnounced() {
    QSignalSpy spy(inputs.get(), &BirthInputs::changed);
    struct Step {
        const char* what;
        std::function<void()> act;
    };
    const Step steps[] = {
        {"typed name", [&] { hjtest::typeText(child<QLineEdit>(inputs.get(), "Edtname"), QStringLiteral("甲")); }},
        {"chosen month", [&] { child<QComboBox>(inputs.get(), "cbom")->setCurrentIndex(6); }},
        {"sex", [&] { hjtest::tick(child<QRadioButton>(inputs.get(), "Rdonv")); }},
        {"unknown hour", [&] { hjtest::tick(child<QCheckBox>(inputs.get(), "ChkBuXiang")); }},
        {"province", [&] { child<QComboBox>(inputs.get(), "cbodiZ")->setCurrentIndex(2); }},
        {"abroad", [&] { QTest::mouseClick(child<QToolButton>(inputs.get(), "BtnHaiWai"), Qt::LeftButton); }},
        {"moment set", [&] { inputs->setMoment(hj::DateTime{2001, 1, 1, 0, 0}); }},
    };
    for (const Step& s : steps) {
        spy.clear();
        s.act();
        QVERIFY2(!spy.isEmpty(), s.what);
    }
    // Enter in the name field asks for the chart.
    QSignalSpy cast(inputs.get(), &BirthInputs::castRequested);
    QTest::keyClick(child<QLineEdit>(inputs.get(), "Edtname"), Qt::Key_Return);
    QCOMPARE(cast.count(), 1);
}

HJ_GUI_TEST(TestBirthInputs)
#include "gui_BirthInputs.moc"
