// The perpetual calendar window: opening on a moment, the grid, month steps across year 0,
// clicks, refusals, and 本命盘 handing the moment to the main window.
#include <QCheckBox>
#include <QComboBox>
#include <QWindow>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBoundaryFinder>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "gui/CaseSession.h"
#include "gui/CalendarLinks.h"
#include "gui/GuiSupport.h"
#include "gui/TFrmMain.h"
#include "gui/TFrmWnl.h"

using hj::DateTime;
using hj::gui::TFrmWnl;
using hjtest::child;

class TestTFrmWnl : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheMoment();
    void missingDayOpensOnTheFifteenth();
    void monthStepsCrossYearZero();
    void clickingTheGridSelectsADay();
    void refusalsKeepThePicture();
    void monthListKeepsTheDayOrTheLast_data();
    void monthListKeepsTheDayOrTheLast();
    void yearFieldAndUpDown();
    void chartButtonHandsTheMomentOn();
    void mainWindowGetsTheChart();
    void typedYearIsWhereTheArrowsStart_data();
    void typedYearIsWhereTheArrowsStart();
    void badYearInTheMainWindowNeverOpensEmpty();
    void dialogsGoAboveTheCalendar();
    void lunarTextsFitAtTheMinimumSize();
    void eraLineBreaksBetweenWords();
};

namespace {

DateTime dt(int y, int m, int d, int h, int mi) {
    return {static_cast<std::int16_t>(y), static_cast<std::int16_t>(m), static_cast<std::int16_t>(d),
            static_cast<std::int16_t>(h), static_cast<std::int16_t>(mi)};
}

void clickCell(TFrmWnl& w, int row, int column) {
    QTest::mouseClick(w.ImgMonth, Qt::LeftButton, {}, w.ImgMonth->cellRect(row, column).center());
}

}  // namespace

void TestTFrmWnl::opensOnTheMoment() {
    TFrmWnl w;
    w.showCalendar(dt(2024, 2, 10, 8, 0));
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    hjtest::screenshot(&w, QStringLiteral("TFrmWnl"));
    QCOMPARE(w.windowTitle(), QStringLiteral("墨衡万年历"));
    QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(child<QLineEdit>(&w, "EdtYear")->text(), QStringLiteral("2024"));
    QCOMPARE(child<QComboBox>(&w, "cbom")->currentText(), QStringLiteral("2月"));
    QCOMPARE(child<QComboBox>(&w, "cbod")->currentText(), QStringLiteral("10日"));
    QCOMPARE(child<QComboBox>(&w, "cbos")->currentText(), QStringLiteral("8时"));
    QCOMPARE(child<QComboBox>(&w, "cbomin")->currentText(), QStringLiteral("0分"));
    QCOMPARE(child<QLabel>(&w, "LblTitle")->text(), QStringLiteral("2024年2月"));
    QCOMPARE(child<QLabel>(&w, "LblEra")->text().remove(QChar(0x2060)), QStringLiteral("[当代] 中国  公历纪元2024年  【龙年】"));
    QCOMPARE(child<QPlainTextEdit>(&w, "MemoBazi")->toPlainText(), QStringLiteral("甲辰年\n丙寅月\n甲辰日\n戊辰时"));
    QCOMPARE(child<QPlainTextEdit>(&w, "MemoJieqi")->toPlainText(),
             QStringLiteral("立春:4日16时27分\n\n雨水:19日12时13分\n\n"));
    QCOMPARE(w.page().cells.size(), std::size_t(29));
    QVERIFY(w.page().selectedCell() && w.page().selectedCell()->day == 10);

    // The grid paints the page: the background, and the day cells with their texts.
    const QImage img = w.ImgMonth->grab().toImage();
    QCOMPARE(img.pixelColor(w.ImgMonth->cellRect(6, 6).center()), QColor(255, 255, 200));
    bool blue = false;
    const QRect first = w.ImgMonth->cellRect(1, 3);  // 1 February, a Thursday
    for (int x = first.left(); x < first.right() && !blue; ++x)
        for (int y = first.top(); y < first.center().y() && !blue; ++y) blue = img.pixelColor(x, y).blue() > 200 && img.pixelColor(x, y).red() < 80;
    QVERIFY2(blue, "the day number of 1 February is not drawn in blue");
}

void TestTFrmWnl::missingDayOpensOnTheFifteenth() {
    TFrmWnl w;
    w.showCalendar(dt(2023, 2, 30, 12, 0));
    QCOMPARE(w.cbod->currentText(), QStringLiteral("15日"));
    QCOMPARE(w.LblTitle->text(), QStringLiteral("2023年2月"));
    w.showCalendar(dt(1582, 10, 10, 12, 0));
    QCOMPARE(w.cbod->currentText(), QStringLiteral("15日"));
    QCOMPARE(w.page().cells.size(), std::size_t(21));
}

void TestTFrmWnl::monthStepsCrossYearZero() {
    TFrmWnl w;
    w.showCalendar(dt(1, 1, 20, 12, 0));
    w.BtnPrev->click();
    QCOMPARE(w.EdtYear->text(), QStringLiteral("-1"));
    QCOMPARE(w.UdYear->position(), 0);
    QCOMPARE(w.cbom->currentText(), QStringLiteral("12月"));
    QCOMPARE(w.cbod->currentText(), QStringLiteral("1日"));
    QCOMPARE(w.LblTitle->text(), QStringLiteral("-1年12月"));
    w.BtnNext->click();
    QCOMPARE(w.EdtYear->text(), QStringLiteral("1"));
    QCOMPARE(w.cbom->currentText(), QStringLiteral("1月"));
    QCOMPARE(w.LblTitle->text(), QStringLiteral("1年1月"));

    // Nothing before -4713 January or after 9999 December.
    w.showCalendar(dt(-4713, 1, 5, 12, 0));
    w.BtnPrev->click();
    QCOMPARE(w.EdtYear->text(), QStringLiteral("-4713"));
    QCOMPARE(w.cbom->currentText(), QStringLiteral("1月"));
    QCOMPARE(w.cbod->currentText(), QStringLiteral("5日"));
    w.showCalendar(dt(9999, 12, 5, 12, 0));
    w.BtnNext->click();
    QCOMPARE(w.EdtYear->text(), QStringLiteral("9999"));
    QCOMPARE(w.cbom->currentText(), QStringLiteral("12月"));
}

void TestTFrmWnl::clickingTheGridSelectsADay() {
    TFrmWnl w;
    w.showCalendar(dt(1582, 10, 1, 12, 0));
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    clickCell(w, 1, 4);  // the fifth cell of the month is the 15th
    QCOMPARE(w.cbod->currentText(), QStringLiteral("15日"));
    QCOMPARE(w.page().selectedCell()->day, 15);
    clickCell(w, 3, 6);
    QCOMPARE(w.cbod->currentText(), QStringLiteral("31日"));
    clickCell(w, 4, 0);  // past the end of the month
    QCOMPARE(w.cbod->currentText(), QStringLiteral("31日"));
    clickCell(w, 0, 2);  // the weekday row
    QCOMPARE(w.cbod->currentText(), QStringLiteral("31日"));
}

void TestTFrmWnl::refusalsKeepThePicture() {
    TFrmWnl w;
    w.showCalendar(dt(1582, 10, 15, 12, 0));
    hjtest::Modals modals;
    modals.expectBox();
    w.cbod->setCurrentIndex(9);  // the 10th, inside the gap
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.size(), std::size_t(1));
    QCOMPARE(modals.boxes[0].title, QStringLiteral("日期不对"));
    QCOMPARE(modals.boxes[0].text, QStringLiteral("不存在这个日期，请重新输入！"));
    QCOMPARE(w.page().selectedCell()->day, 15);  // the previous picture stays

    modals.expectBox();
    w.EdtYear->setText(QStringLiteral("abc"));
    w.cbom->setCurrentIndex(0);
    QTRY_VERIFY(modals.idle());
    QCOMPARE(modals.boxes.back().title, QStringLiteral("年份不对"));
    QCOMPARE(modals.boxes.back().text, QStringLiteral("年份在-4713 到 9999年之间，并且没有公元0年"));
    QCOMPARE(w.LblTitle->text(), QStringLiteral("1582年10月"));
    QVERIFY(modals.unexpected.isEmpty());
}

void TestTFrmWnl::monthListKeepsTheDayOrTheLast_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("dayBefore");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("dayAfter");
    QTest::newRow("31 January to April") << 2024 << 31 << 4 << 30;
    QTest::newRow("31 January to February, leap year") << 2024 << 31 << 2 << 29;
    QTest::newRow("30 January to February") << 2023 << 30 << 2 << 28;
    QTest::newRow("a day every month has") << 2023 << 12 << 6 << 12;
    QTest::newRow("into the gap of 1582") << 1582 << 10 << 10 << 4;
}

// The month list, like PageUp and PageDown, keeps the day or takes the month's last one: no
// refusal for a day the new month lacks.
void TestTFrmWnl::monthListKeepsTheDayOrTheLast() {
    QFETCH(int, year);
    QFETCH(int, dayBefore);
    QFETCH(int, month);
    QFETCH(int, dayAfter);
    TFrmWnl w;
    w.showCalendar(dt(year, 1, dayBefore, 12, 0));
    hjtest::Modals modals;
    w.cbom->setCurrentIndex(month - 1);
    QTest::qWait(20);
    QVERIFY2(modals.unexpected.isEmpty(), qPrintable(modals.unexpected.join(QLatin1Char(';'))));
    QCOMPARE(w.cbod->currentIndex() + 1, dayAfter);
    QCOMPARE(w.page().selectedCell()->day, dayAfter);
    QCOMPARE(w.LblTitle->text(), QStringLiteral("%1年%2月").arg(year).arg(month));
}

void TestTFrmWnl::yearFieldAndUpDown() {
    TFrmWnl w;
    w.showCalendar(dt(1, 6, 1, 12, 0));
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.UdYear->step(-1);
    QCOMPARE(w.EdtYear->text(), QStringLiteral("-1"));
    QCOMPARE(w.LblTitle->text(), QStringLiteral("-1年6月"));

    hjtest::Modals modals;
    for (const QString& bad : {QStringLiteral("-4714"), QStringLiteral("x")}) {
        modals.expectBox();
        hjtest::retype(w.EdtYear, bad);
        QTest::keyClick(w.EdtYear, Qt::Key_Return);
        QTRY_VERIFY(modals.idle());
        QCOMPARE(modals.boxes.back().title, QStringLiteral("错误"));
        QCOMPARE(modals.boxes.back().text, QStringLiteral("年份在-4713 到 9999之间"));
    }
    // Year 0 lies inside the range: one message, the one that names it, by Return, by the
    // arrows and by the month list alike.
    const std::size_t before = modals.boxes.size();
    for (int way = 0; way < 3; ++way) {
        modals.expectBox();
        hjtest::retype(w.EdtYear, QStringLiteral("0"));
        if (way == 0) QTest::keyClick(w.EdtYear, Qt::Key_Return);
        if (way == 1) w.UdYear->step(1);
        if (way == 2) w.cbom->setCurrentIndex((w.cbom->currentIndex() + 1) % 12);
        QTRY_VERIFY(modals.idle());
        QTest::qWait(20);
        QCOMPARE(modals.boxes.size(), before + way + 1);
        QCOMPARE(modals.boxes.back().text, QStringLiteral("年份在-4713 到 9999年之间，并且没有公元0年"));
        QCOMPARE(modals.boxes.back().title, QStringLiteral("年份不对"));
    }
    hjtest::retype(w.EdtYear, QStringLiteral("1984"));
    w.cbom->setCurrentIndex(5);
    hjtest::retype(w.EdtYear, QStringLiteral("1984"));
    QTest::keyClick(w.EdtYear, Qt::Key_Return);
    QCOMPARE(w.UdYear->position(), 1984);
    QCOMPARE(w.LblTitle->text(), QStringLiteral("1984年6月"));
    QCOMPARE(w.LblEra->text().remove(QChar(0x2060)), QStringLiteral("[当代] 中国  公历纪元1984年  【鼠年】"));
    QVERIFY(modals.unexpected.isEmpty());

    const QDate today = QDate::currentDate();
    w.BtnNow->click();
    QCOMPARE(w.EdtYear->text(), QString::number(today.year()));
    QCOMPARE(w.UdYear->position(), today.year());
    QCOMPARE(w.cbom->currentIndex(), today.month() - 1);
    QCOMPARE(w.page().selectedCell()->day, today.day());
}

void TestTFrmWnl::chartButtonHandsTheMomentOn() {
    TFrmWnl w;
    std::vector<DateTime> handed;
    connect(&w, &TFrmWnl::chartRequested, &w, [&handed](const DateTime& m) { handed.push_back(m); });
    w.showCalendar(dt(-1, 3, 4, 23, 15));
    w.BtnPai->click();
    QCOMPARE(handed.size(), std::size_t(1));
    QVERIFY(handed[0] == dt(0, 3, 4, 23, 15));  // astronomical year 0 is the year shown as -1
    QVERIFY(!w.isVisible());
}

void TestTFrmWnl::mainWindowGetsTheChart() {
    hjtest::DataRoot root;
    hj::gui::TFrmMain main(root.path());
    main.show();
    child<QLineEdit>(&main, "Edtname")->setText(QStringLiteral("张三"));
    child<QComboBox>(&main, "CboLi")->setCurrentIndex(1);  // lunar, with the leap box ticked: the calendar clears both
    child<QCheckBox>(&main, "Chkrun")->setChecked(true);
    child<QLineEdit>(&main, "EdtYear")->setText(QStringLiteral("1984"));
    child<QComboBox>(&main, "cbom")->setCurrentIndex(1);
    child<QComboBox>(&main, "cbod")->setCurrentIndex(4);

    TFrmWnl* w = main.calendarLinks()->openCalendar();
    QVERIFY(w && w->isVisible());
    QCOMPARE(w->LblTitle->text(), QStringLiteral("1984年2月"));
    QCOMPARE(main.calendarLinks()->openCalendar(), w);  // one window while it is open

    w->cbos->setCurrentIndex(0);
    w->cbomin->setCurrentIndex(30);
    w->BtnPai->click();
    QVERIFY(!w->isVisible());
    QCOMPARE(child<QLineEdit>(&main, "EdtYear")->text(), QStringLiteral("1984"));
    QCOMPARE(child<QComboBox>(&main, "cbod")->currentIndex(), 4);
    QCOMPARE(child<QComboBox>(&main, "cbos")->currentIndex(), 0);
    QCOMPARE(child<QComboBox>(&main, "cbomin")->currentIndex(), 30);
    QCOMPARE(child<QComboBox>(&main, "CboLi")->currentIndex(), 0);
    QVERIFY(!child<QCheckBox>(&main, "Chkrun")->isChecked());
    QVERIFY(main.chartValid());
    // 1984-02-05 00:30: 甲子 丙寅 己巳 甲子.
    QCOMPARE(main.currentPillars(), (std::array<std::uint8_t, 4>{1, 3, 6, 1}));

    // The hidden window is reused; once closed, a new one is made.
    QCOMPARE(main.calendarLinks()->openCalendar(), w);
    QPointer<TFrmWnl> old(w);
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(old.isNull());
    TFrmWnl* fresh = main.calendarLinks()->openCalendar();
    QVERIFY(fresh && fresh->isVisible());
    fresh->close();
    main.caseSession()->dropOpenCase();  // no closing question here
    main.close();
}

void TestTFrmWnl::typedYearIsWhereTheArrowsStart_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("shown");  // empty: refused
    QTest::newRow("2000 up") << "2000" << 1 << "2001";
    QTest::newRow("1 down") << "1" << -1 << "-1";
    QTest::newRow("-4713 down stays") << "-4713" << -1 << "-4713";
    QTest::newRow("text") << "20x0" << 1 << "";
    QTest::newRow("year 0") << "0" << 1 << "";
    QTest::newRow("beyond 9999") << "10000" << -1 << "";
}

void TestTFrmWnl::typedYearIsWhereTheArrowsStart() {
    QFETCH(QString, typed);
    QFETCH(int, step);
    QFETCH(QString, shown);
    TFrmWnl w;
    w.showCalendar(dt(1990, 6, 1, 12, 0));
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    hjtest::retype(w.EdtYear, typed);
    hjtest::Modals modals;
    if (shown.isEmpty()) modals.expectBox();
    QTest::mouseClick(child<QWidget>(w.UdYear, step > 0 ? "up" : "down"), Qt::LeftButton);
    QTRY_VERIFY(modals.idle());
    if (shown.isEmpty()) {
        // Year 0 is inside the range: its message says what is wrong with it.
        const bool zero = typed == QStringLiteral("0");
        QCOMPARE(modals.boxes.at(0).title, zero ? QStringLiteral("年份不对") : QStringLiteral("错误"));
        QCOMPARE(modals.boxes.at(0).text, zero ? QStringLiteral("年份在-4713 到 9999年之间，并且没有公元0年")
                                               : QStringLiteral("年份在-4713 到 9999之间"));
        QCOMPARE(w.EdtYear->text(), typed);
        QCOMPARE(w.LblTitle->text(), QStringLiteral("1990年6月"));  // the picture stays
    } else {
        QCOMPARE(w.EdtYear->text(), shown);
        QCOMPARE(w.LblTitle->text(), shown + QStringLiteral("年6月"));
    }
    QVERIFY(modals.unexpected.isEmpty());
}

void TestTFrmWnl::badYearInTheMainWindowNeverOpensEmpty() {
    hjtest::DataRoot root;
    hj::gui::TFrmMain main(root.path());
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    hjtest::retype(child<QLineEdit>(&main, "EdtYear"), QStringLiteral("1983"));
    QTest::mouseClick(child<QWidget>(child<QWidget>(&main, "UpDyear"), "up"), Qt::LeftButton);
    hjtest::retype(child<QLineEdit>(&main, "EdtYear"), QStringLiteral("19x4"));  // then text that is no year
    child<QComboBox>(&main, "cbom")->setCurrentIndex(1);
    child<QComboBox>(&main, "cbod")->setCurrentIndex(4);
    hjtest::Modals modals;
    TFrmWnl* w = main.calendarLinks()->openCalendar();
    QVERIFY(w && w->isVisible());
    QCOMPARE(w->EdtYear->text(), QStringLiteral("1984"));
    QCOMPARE(w->LblTitle->text(), QStringLiteral("1984年2月"));
    QCOMPARE(int(w->page().cells.size()), 29);
    QCOMPARE(w->page().header[0].text, std::string("星期一"));
    QVERIFY(modals.unexpected.isEmpty());
    w->close();
    main.caseSession()->dropOpenCase();  // no closing question here
    main.close();
}

void TestTFrmWnl::dialogsGoAboveTheCalendar() {
    hjtest::DataRoot root;
    hj::gui::TFrmMain main(root.path());
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    hjtest::Modals modals;
    std::vector<bool> onTop, calendarOnTop;
    TFrmWnl* w = nullptr;
    const auto note = [&](QWidget* d) {
        onTop.push_back(d->windowHandle() && (d->windowHandle()->flags() & Qt::WindowStaysOnTopHint));
        // A calendar on top while a modal dialog is open could cover the only window that answers.
        if (w) calendarOnTop.push_back(w->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
        QMetaObject::invokeMethod(d, "reject", Qt::QueuedConnection);
    };
    // Before the calendar is up, dialogs keep their usual place.
    modals.expect(note);
    child<QAction>(&main, "mnuT_huaiyun")->trigger();
    w = main.calendarLinks()->openCalendar();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QVERIFY(w->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    for (QAction* a : {child<QAction>(&main, "mnuS_heluo"), child<QAction>(&main, "mnuT_huaiyun"), child<QAction>(&main, "mnuT_testname")}) {
        modals.expect(note);
        a->trigger();
    }
    modals.expect(note);  // a message box of the main window
    child<QLineEdit>(&main, "EdtYear")->setText(QStringLiteral("abc"));
    child<QPushButton>(&main, "BtnPai")->click();
    QTRY_VERIFY(modals.idle());
    QCOMPARE(onTop, (std::vector<bool>{false, true, true, true, true}));
    QCOMPARE(calendarOnTop, (std::vector<bool>{false, false, false, false}));
    // Every dialog closed: the calendar is on top again.
    QTRY_VERIFY(w->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    QVERIFY2(modals.unexpected.isEmpty(), qPrintable(modals.unexpected.join(QLatin1Char(';'))));
    w->close();
    main.caseSession()->dropOpenCase();  // no closing question here
    main.close();
}

void TestTFrmWnl::lunarTextsFitAtTheMinimumSize() {
    TFrmWnl w;
    w.showCalendar(dt(2023, 3, 1, 12, 0));  // 闰二月 begins on 22 March
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.resize(w.minimumSizeHint());
    QTRY_COMPARE(w.size(), w.minimumSizeHint());
    bool sawLongText = false;
    for (int month : {3, 12}) {  // 十一月廿九 and 十二月 fall in December
        w.cbom->setCurrentIndex(month - 1);
        for (const hj::DayCell& cell : w.page().cells) {
            const QRect r = w.ImgMonth->cellRect(cell.row, cell.column);
            const QFontMetrics lower(hj::gui::MonthGrid::cellFont(cell.lowerSize));
            const QFontMetrics upper(hj::gui::MonthGrid::cellFont(cell.upperSize));
            const QString lunar = QString::fromStdString(cell.lower);
            sawLongText = sawLongText || lunar.size() >= 5;
            QVERIFY2(lower.horizontalAdvance(lunar) <= r.width(), cell.lower.c_str());
            QVERIFY2(upper.horizontalAdvance(QString::fromStdString(cell.upper)) <= r.width(), cell.upper.c_str());
            QVERIFY(lower.height() <= r.height() / 2 && upper.height() <= r.height() / 2);
        }
    }
    QVERIFY(sawLongText);
    for (const hj::HeaderCell& head : w.page().header)
        QVERIFY(QFontMetrics(hj::gui::MonthGrid::cellFont(head.pointSize)).horizontalAdvance(QString::fromStdString(head.text)) <=
                w.ImgMonth->cellRect(0, 0).width());
}

// The era line may wrap only at its blanks and after "；", never inside 洪武1年 or 【鸡年】.
void TestTFrmWnl::eraLineBreaksBetweenWords() {
    TFrmWnl w;
    for (const DateTime& d : {dt(1369, 6, 1, 8, 0), dt(1368, 6, 1, 8, 0)}) {
        w.showCalendar(d);
        const QString text = w.LblEra->text();
        QVERIFY2(QString(text).remove(QChar(0x2060)) == QString::fromStdString(w.page().eraLine), qPrintable(text));
        QTextBoundaryFinder lines(QTextBoundaryFinder::Line, w.LblEra->text());
        for (qsizetype p = lines.toNextBoundary(); p > 0 && p < w.LblEra->text().size(); p = lines.toNextBoundary()) {
            const QChar before = w.LblEra->text().at(p - 1);
            QVERIFY2(before.isSpace() || before == QChar(0xFF1B), qPrintable(w.LblEra->text().left(p)));
        }
    }
    QVERIFY(w.LblEra->text().contains(QStringLiteral("洪\u2060武\u20601\u2060年")));
    hjtest::screenshot(&w, QStringLiteral("TFrmWnl-era-1368"));
}

HJ_GUI_TEST(TestTFrmWnl)
#include "gui_TFrmWnl.moc"

