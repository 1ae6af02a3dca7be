// The perpetual calendar as used every day: today marked, festivals and their switch, 冬月/腊月,
// the keyboard, the options kept in the settings file, and the export.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "core/text/ini.h"
#include "gui/CalendarDayInfo.h"
#include "gui/TFrmWnl.h"

using hj::DateTime;
using hj::gui::TFrmWnl;

class TestTFrmWnlDays : public QObject {
    Q_OBJECT
private slots:
    void todayIsMarked();
    void festivalsAndTheirSwitch();
    void keyboard();
    void optionsAreKept();
    void optionsOfTwoCopies();
    void exportWritesAFile();
    void dayDetailsAndTips_data();
    void dayDetailsAndTips();
};

namespace {

DateTime dt(int y, int m, int d) {
    return {static_cast<std::int16_t>(y), static_cast<std::int16_t>(m), static_cast<std::int16_t>(d), 12, 0};
}

const hj::DayCell& cellOf(const TFrmWnl& w, int day) {
    for (const hj::DayCell& c : w.page().cells)
        if (c.day == day) return c;
    qFatal("no cell for day %d", day);
}

QString selected(const TFrmWnl& w) {
    return w.EdtYear->text() + QLatin1Char('-') + w.cbom->currentText() + w.cbod->currentText();
}

}  // namespace

void TestTFrmWnlDays::todayIsMarked() {
    const QDate today = QDate::currentDate();
    TFrmWnl w;
    w.showCalendar(dt(2024, 2, 10));
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    hjtest::screenshot(&w, QStringLiteral("TFrmWnlDays"));
    w.BtnToday->click();
    QCOMPARE(w.LblTitle->text(), QStringLiteral("%1年%2月").arg(today.year()).arg(today.month()));
    const hj::DayCell& cell = cellOf(w, today.day());
    QVERIFY(cell.today && cell.selected);
    int marked = 0;
    for (const hj::DayCell& c : w.page().cells) marked += c.today;
    QCOMPARE(marked, 1);
    const QImage img = w.ImgMonth->grab().toImage();
    const QRect r = w.ImgMonth->cellRect(cell.row, cell.column);
    QCOMPARE(img.pixelColor(r.left() + 2, r.top() + 2), QColor(255, 222, 160));

    // Another month has no mark.
    w.BtnNext->click();
    for (const hj::DayCell& c : w.page().cells) QVERIFY(!c.today);
}

void TestTFrmWnlDays::festivalsAndTheirSwitch() {
    TFrmWnl w;
    w.showCalendar(dt(2024, 2, 10));
    QVERIFY(w.ActJieri->isChecked());   // on by default
    QVERIFY(!w.ActDongLa->isChecked());  // the first names by default
    QCOMPARE(QString::fromStdString(cellOf(w, 10).lower), QStringLiteral("春节"));
    QCOMPARE(QString::fromStdString(cellOf(w, 9).lower), QStringLiteral("除夕"));
    QCOMPARE(w.LblJieri->text(), QStringLiteral("春节"));
    QVERIFY(w.LblJieri->isVisible());
    // The lunar date a festival takes the place of stays on hand: cell, tool tip, side panel.
    QCOMPARE(QString::fromStdString(cellOf(w, 9).lunar), QStringLiteral("十二月三十"));
    QCOMPARE(hj::gui::dayTip(cellOf(w, 9)), QStringLiteral("农历十二月三十  除夕\n双击看当日详情"));
    QCOMPARE(w.LblNongLi->text(), QStringLiteral("农历正月初一"));

    w.ActJieri->trigger();  // off: the page as first drawn
    QCOMPARE(QString::fromStdString(cellOf(w, 10).lower), QStringLiteral("正月初一"));
    QCOMPARE(QString::fromStdString(cellOf(w, 9).lower), QStringLiteral("十二月三十"));
    QVERIFY(!w.LblJieri->isVisible());

    w.ActDongLa->trigger();
    QCOMPARE(QString::fromStdString(cellOf(w, 9).lower), QStringLiteral("腊月三十"));
}

void TestTFrmWnlDays::keyboard() {
    TFrmWnl w;
    std::vector<DateTime> handed;
    connect(&w, &TFrmWnl::chartRequested, &w, [&handed](const DateTime& m) { handed.push_back(m); });
    w.showCalendar(dt(2024, 2, 28));
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.ImgMonth->hasFocus());
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char* expected;
    } steps[] = {
        {Qt::Key_Right, {}, "2024-2月29日"},
        {Qt::Key_Right, {}, "2024-3月1日"},
        {Qt::Key_Up, {}, "2024-2月23日"},
        {Qt::Key_Down, {}, "2024-3月1日"},
        {Qt::Key_Left, {}, "2024-2月29日"},
        {Qt::Key_PageDown, {}, "2024-3月29日"},
        {Qt::Key_PageUp, {}, "2024-2月29日"},
        {Qt::Key_PageDown, Qt::ControlModifier, "2025-2月28日"},  // no 29 February in 2025
        {Qt::Key_PageUp, Qt::ControlModifier, "2024-2月28日"},
    };
    for (const Step& s : steps) {
        QTest::keyClick(w.ImgMonth, s.key, s.mods);
        QCOMPARE(selected(w), QString::fromUtf8(s.expected));
        QCOMPARE(w.page().selectedCell()->day, w.cbod->currentIndex() + 1);
    }
    // Across year 0: from 1 January of year 1 back to 31 December of -1.
    w.showCalendar(dt(1, 1, 1));
    QTest::keyClick(w.ImgMonth, Qt::Key_Left);
    QCOMPARE(selected(w), QStringLiteral("-1-12月31日"));

    const QDate today = QDate::currentDate();
    QTest::keyClick(w.ImgMonth, Qt::Key_Home);
    QCOMPARE(selected(w), QStringLiteral("%1-%2月%3日").arg(today.year()).arg(today.month()).arg(today.day()));

    w.showCalendar(dt(2024, 2, 10));
    w.cbos->setCurrentIndex(8);
    // Enter asks first: 否 stays in the calendar, 是 hands the moment over.
    hjtest::Modals modals;
    modals.expectBox(QMessageBox::No);
    QTest::keyClick(w.ImgMonth, Qt::Key_Return);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(handed.size(), std::size_t(0));
    QTRY_VERIFY(!QApplication::activeModalWidget());
    modals.expectBox(QMessageBox::Yes);
    QTest::keyClick(w.ImgMonth, Qt::Key_Return);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.at(0).text, QStringLiteral("按所选时刻（2024年2月10日8时0分）排本命盘吗？"));
    QCOMPARE(handed.size(), std::size_t(1));
    QVERIFY(handed[0] == (DateTime{2024, 2, 10, 8, 0}));
}

void TestTFrmWnlDays::optionsAreKept() {
    hjtest::DataRoot root(false);
    hj::text::IniFile ini(root.dat(QStringLiteral("bzinit.ini")).toStdString());
    {
        TFrmWnl w;
        w.setOptionsFile(&ini);
        w.showCalendar(dt(2024, 2, 10));
        QVERIFY(!QFile::exists(root.dat(QStringLiteral("bzinit.ini"))));  // nothing written until changed
        w.ActJieri->trigger();
        w.ActDongLa->trigger();
    }
    hj::text::IniFile reread(root.dat(QStringLiteral("bzinit.ini")).toStdString());
    QCOMPARE(reread.readBool("wnl", "jieri", true), false);
    QCOMPARE(reread.readBool("wnl", "dlyue", false), true);
    TFrmWnl again;
    again.setOptionsFile(&reread);
    again.showCalendar(dt(2024, 2, 10));
    QVERIFY(!again.ActJieri->isChecked());
    QCOMPARE(QString::fromStdString(cellOf(again, 1).lower), QStringLiteral("腊月廿二"));
}

// Two copies of the program: an option changed in one is not put back by the other changing
// the other option, and the other's menu follows the file.
void TestTFrmWnlDays::optionsOfTwoCopies() {
    hjtest::DataRoot root(false);
    const std::string path = root.dat(QStringLiteral("bzinit.ini")).toStdString();
    hj::text::IniFile mine(path), theirs(path);
    TFrmWnl a, b;
    a.setOptionsFile(&mine);
    b.setOptionsFile(&theirs);
    a.ActDongLa->trigger();  // on
    b.ActJieri->trigger();   // off
    hj::text::IniFile disk(path);
    QCOMPARE(disk.readBool("wnl", "jieri", true), false);
    QCOMPARE(disk.readBool("wnl", "dlyue", false), true);
    QVERIFY(b.ActDongLa->isChecked());
    a.setOptionsFile(&mine);  // brought up again: rereads
    QVERIFY(!a.ActJieri->isChecked());
}

void TestTFrmWnlDays::exportWritesAFile() {
    QTemporaryDir dir;
    TFrmWnl w;
    w.showCalendar(dt(2024, 2, 10));
    hjtest::Modals modals;
    const QString path = dir.filePath(QStringLiteral("农历.ics"));
    modals.expectBox();
    QVERIFY(w.exportCalendar(path, 2024, 2025));
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().title, QStringLiteral("提示"));
    const QByteArray bytes = hjtest::readBytes(path);
    QVERIFY(bytes.startsWith("BEGIN:VCALENDAR\r\n"));
    QVERIFY(bytes.endsWith("END:VCALENDAR\r\n"));
    QCOMPARE(bytes.count("BEGIN:VEVENT"), bytes.count("END:VEVENT"));
    QVERIFY(bytes.count("BEGIN:VEVENT") > 100);

    // Julian years are refused, and nothing is written.
    const QString old = dir.filePath(QStringLiteral("old.ics"));
    modals.expectBox();
    QVERIFY(!w.exportCalendar(old, 1500, 1500));
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().title, QStringLiteral("错误"));
    QVERIFY(!QFile::exists(old));
    // A folder that does not exist: the failure is said, not a success.
    modals.expectBox();
    QVERIFY(!w.exportCalendar(dir.filePath(QStringLiteral("no/such/x.ics")), 2024, 2024));
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().title, QStringLiteral("错误"));
    QVERIFY(modals.unexpected.isEmpty());
}

void TestTFrmWnlDays::dayDetailsAndTips_data() {
    QTest::addColumn<int>("day");
    QTest::addColumn<QStringList>("lines");  // lines the details hold
    QTest::newRow("eve") << 9 << QStringList{QStringLiteral("公历2024年2月9日  星期五"), QStringLiteral("农历十二月三十"),
                                             QStringLiteral("节日：除夕")};
    QTest::newRow("term day") << 4 << QStringList{QStringLiteral("农历十二月廿五"), QStringLiteral("节气：立春 16时27分（北京时间）")};
    QTest::newRow("plain day") << 20 << QStringList{QStringLiteral("农历正月十一")};
}

void TestTFrmWnlDays::dayDetailsAndTips() {
    QFETCH(int, day);
    QFETCH(QStringList, lines);
    TFrmWnl w;
    w.showCalendar(dt(2024, 2, 10));
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const hj::DayCell& c = cellOf(w, day);
    hjtest::Modals modals;
    QString shown;
    modals.expect([&shown](QWidget* box) {
        QCOMPARE(box->objectName(), QStringLiteral("BoxDay"));
        auto* facts = box->findChild<QLabel*>(QStringLiteral("LblDay"));
        QVERIFY(facts);
        shown = facts->text();
        hjtest::screenshot(box, QStringLiteral("BoxDay"));
        QMetaObject::invokeMethod(box, "accept", Qt::QueuedConnection);
    });
    QTest::mouseDClick(w.ImgMonth, Qt::LeftButton, {}, w.ImgMonth->cellRect(c.row, c.column).center());
    QTRY_VERIFY(modals.idle());
    const QStringList got = shown.split(QLatin1Char('\n'));
    for (const QString& l : lines) QVERIFY2(got.contains(l), qPrintable(shown));
    // Noon of 4 February lies before 立春 (16:27): still 癸卯 乙丑.
    QVERIFY2(shown.contains(day <= 4 ? QStringLiteral("干支：癸卯年 乙丑月") : QStringLiteral("干支：甲辰年 丙寅月")), qPrintable(shown));
    QVERIFY2(shown.contains(QStringLiteral("纪年：")), qPrintable(shown));
    QVERIFY(modals.unexpected.isEmpty());
}

HJ_GUI_TEST(TestTFrmWnlDays)
#include "gui_TFrmWnlDays.moc"
