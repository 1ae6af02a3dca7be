#pragma once
// The perpetual calendar's almanac: the day details (BoxDay) with the day's almanac laid out as
// an almanac reader knows it (宜 in green, 忌 in red, the twelve hours as a table), the quiet
// marks of the month grid (黄道 days, 三伏, 数九), and the question for a lunar date to go to.
#include <QDialog>
#include <QString>

#include <vector>

#include "core/almanac/almanac.h"
#include "core/presentation/month_page.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace hj::gui {

// The small marks of a day cell, beside what the month page draws.
struct DayMark {
    int day = 0;
    bool huangdao = false;
    QString span;  // "初伏", "三九" on the first day of a 伏 or a nine; "" otherwise
    QString tip;   // "金匮（黄道）  六九第6天", for the cell's tool tip
};
// The marks of every day of a page (empty outside the almanac's years).
std::vector<DayMark> monthMarks(almanac::AlmanacBuilder& builder, const MonthPage& page);

class DayAlmanacBox : public QDialog {
    Q_OBJECT
public:
    // `builder` draws the basic facts (the page of the day); the box moves through the days
    // with 前一日 and 后一日 and keeps the builder's options.
    DayAlmanacBox(QWidget* parent, MonthPageBuilder& builder, int shownYear, int month, int day);
    // False with the reason in `error` when the day cannot be shown.
    bool showDay(int shownYear, int month, int day, QString& error);

    QLabel* LblDay;       // the civil and lunar date, pillars, term, festivals, era
    QLabel* LblItems;     // 建除 … 方位, 吉神 and 凶煞
    QLabel* LblYi;        // 宜, green
    QLabel* LblJi;        // 忌, red
    QTableWidget* GridHours;
    QLabel* LblSeason;    // 物候, 数九, 三伏, the season's days, the Moon
    QPushButton* BtnPrevDay;
    QPushButton* BtnNextDay;
    QPushButton* BtnNotes;

private:
    void moveDays(int days);

    MonthPageBuilder& builder_;
    almanac::AlmanacBuilder almanac_;
    int year_ = 0, month_ = 0, day_ = 0;
};

// Asks for a lunar date (year as shown, month, leap, day), offering `shownYear` and the lunar
// month and day of `lunarNow`; true with the civil date (year as shown) it falls on. Says why
// when no such lunar date exists.
bool askLunarDate(QWidget* parent, Calendar& cal, int shownYear, const DateTime& lunarNow, int& civilYear,
                  int& civilMonth, int& civilDay);

}  // namespace hj::gui
