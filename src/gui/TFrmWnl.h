#pragma once
// 墨衡万年历: the perpetual calendar window. One Gregorian month as a 7 x 7 grid with lunar
// dates and solar terms, the month's terms, the era and animal of the year and the four pillars
// of the selected moment; 本命盘 hands that moment to the main window.
#include <QWidget>

#include "core/presentation/month_page.h"
#include "gui/CalendarAlmanac.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
namespace hj::text { class IniFile; }

namespace hj::gui {

class UpDown;

// The grid picture: paints a month page and reports clicks on its cells.
class MonthGrid : public QWidget {
    Q_OBJECT
public:
    explicit MonthGrid(QWidget* parent = nullptr);
    void setPage(const MonthPage* page);  // not owned; null draws the empty grid
    // The almanac's quiet marks over the page's cells (黄道 days, the first days of 伏 and 九).
    void setMarks(std::vector<DayMark> marks);
    const std::vector<DayMark>& marks() const { return marks_; }
    // The cell (row 0..6, column 0..6) holding the point, as the clicks use it.
    QPoint cellAt(QPoint p) const;
    // The rectangle of a cell.
    QRect cellRect(int row, int column) const;
    QSize sizeHint() const override;
    // The smallest cell that holds the longest header, day and lunar texts.
    static QSize minimumCell();
    // The grid's face at a size: 宋体 where it exists, else a CJK face the system has.
    static QFont cellFont(int pointSize);
signals:
    void cellClicked(int row, int column);
    void cellDoubleClicked(int row, int column);
    // Keys while the grid has the focus: arrows move the day, PageUp/PageDown the month (with
    // Ctrl the year), Home goes to today, Enter casts the chart.
    void dayMoveKey(int days);
    void monthMoveKey(int months);
    void todayKey();
    void enterKey();
protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    // A cell's tool tip: its lunar date (which a festival may hide), festivals and term.
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
private:
    const MonthPage* page_ = nullptr;
    std::vector<DayMark> marks_;
};

class TFrmWnl : public QWidget {
    Q_OBJECT
public:
    explicit TFrmWnl(QWidget* parent = nullptr);
    ~TFrmWnl() override;

    // Opens on a moment, its year in the shown numbering (no year 0): fills the lists, selects
    // the moment (day 15 when the month has no such day), draws and shows the window.
    void showCalendar(const DateTime& shownMoment);

    // The page last drawn (the previous one stays when a drawing is refused).
    const MonthPage& page() const { return page_; }

    QLineEdit* EdtYear;
    UpDown* UdYear;
    QComboBox* cbom;
    QComboBox* cbod;
    QComboBox* cbos;
    QComboBox* cbomin;
    MonthGrid* ImgMonth;
    QLabel* LblTitle;
    QLabel* LblEra;
    QPlainTextEdit* MemoBazi;   // the four pillars
    QPlainTextEdit* MemoJieqi;  // the month's terms
    QPushButton* BtnPrev;
    QPushButton* BtnNext;
    QPushButton* BtnNow;
    QPushButton* BtnPai;
    // Beyond the first form of the window: today, festivals, month names, export.
    QPushButton* BtnToday;      // 今天
    QLabel* LblJieri;           // festivals of the selected day
    QLabel* LblNongLi;          // the lunar date of the selected day
    QAction* ActJieri;          // 显示节日 (on by default)
    QAction* ActDongLa;         // 冬月、腊月 (off by default)
    QAction* ActIcal;           // 导出iCalendar文件…
    QAction* ActNongli;         // 转到农历日期…
    QAction* ActIcalSeasons;    // the export also names the first days of 三伏 and 数九 (off)

    // The calendar's options are kept in [wnl] of the settings file (the main window's, which
    // outlives this window); without one they are not kept.
    void setOptionsFile(text::IniFile* settings);
    // Writes the iCalendar file of the years; says what went wrong or where it went.
    bool exportCalendar(const QString& path, int firstYear, int lastYear);

signals:
    // 本命盘: the selected moment (astronomical year) is to be charted in the main window.
    void chartRequested(const hj::DateTime& moment);

public slots:
    void drawMonth();

protected:
    // The calendar stays on top of other windows; a dialog shown while it is up goes above it.
    // While a modal dialog is open the calendar gives up its place on top, so that no window
    // switching can bury the one window that takes input under it.

private slots:
    void UdYearClick();
    void EdtYearReturn();
    void refuseYear();  // the message for a year the calendar cannot show
    void BtnPrevClick();
    void BtnNextClick();
    void BtnNowClick();
    void BtnPaiClick();
    void gridClicked(int row, int column);
    void gridDoubleClicked(int row, int column);
    void enterPressed();
    void BtnTodayClick();
    void moveDays(int days);
    void moveMonths(int months);
    void optionChanged(QAction* changed);
    void IcalClick();
    void NongliClick();

private:
    // Sets the year field and the up-down from a shown year, the lists from the rest.
    void setMoment(int shownYear, int month, int day, int hour, int minute);
    // On top again once no modal dialog is open.

    MonthPageBuilder builder_;
    MonthPage page_;
    bool havePage_ = false;
    bool filling_ = false;  // the lists are being set together: one drawing at the end
    bool placed_ = false;
    text::IniFile* settings_ = nullptr;
    almanac::AlmanacBuilder almanac_;  // the grid's marks
};

}  // namespace hj::gui
