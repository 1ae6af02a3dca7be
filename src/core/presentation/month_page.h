#pragma once
// The perpetual calendar's month page: a 7 x 7 grid (a weekday header row and up to six weeks,
// Monday first) of day cells with their lunar dates and solar terms, the month's terms with
// their instants, and the information panel of the selected moment (title, era and animal of
// the year, the four pillars). The window only paints what this model says.
//
// Years here are in the shown numbering (…, -2, -1, 1, 2, …) as the window's year field holds
// them; the moment inside the page is astronomical.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/calendar/calendar.h"

namespace hj {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kPageBackground{255, 255, 200};  // light yellow
inline constexpr Rgb kGridLines{0, 0, 0};
inline constexpr Rgb kWorkdayColour{0, 128, 0};  // header, Monday to Friday
inline constexpr Rgb kWeekendColour{255, 0, 0};  // header, Saturday and Sunday
inline constexpr Rgb kDayColour{0, 0, 255};      // a day number
inline constexpr Rgb kTermDayColour{255, 0, 0};  // a day number with its solar term
inline constexpr Rgb kLunarColour{0, 0, 0};
inline constexpr Rgb kSelectionFrame{0, 128, 0};  // dashed frame over the selected day
inline constexpr Rgb kFestivalColour{200, 0, 0};  // a festival in place of the lunar day
inline constexpr Rgb kTodayBackground{255, 222, 160};

inline constexpr int kFirstShownYear = -4713;
inline constexpr int kLastShownYear = 9999;

struct HeaderCell {
    std::string text;  // "星期一" … "星期日"
    Rgb colour;
    int pointSize = 13;
};

struct DayCell {
    int row = 0, column = 0;  // row 1..6, column 0..6 (Monday = 0)
    int day = 0;              // the day of the month (15..31 after the 1582 gap)
    std::string upper;        // "2月", "3", "4 立春"
    Rgb upperColour = kDayColour;
    int upperSize = 14;
    std::string lower;  // lunar date: "正月初一", "闰四月十五", "十二月廿九" (or a festival in its place)
    std::string lunar;  // the lunar date, also where a festival takes its place below
    int lowerSize = 9;
    bool selected = false;
    bool hasTerm = false;
    bool today = false;
    std::string festivals;  // the day's festivals, "中秋 国庆节"; shown only when asked for
    Rgb lowerColour = kLunarColour;
};

// What the page shows beyond its first form. Both off, the cells read exactly as that form.
struct PageOptions {
    bool festivals = false;    // a day's first festival takes the place of its lunar date
    bool winterNames = false;  // 冬月 and 腊月 for the last two lunar months
    DateTime today{};          // the day to mark (astronomical year); year 0 with month 0: none
};

struct MonthPage {
    int shownYear = 0;
    DateTime moment;        // the selected moment, astronomical year
    int monthLength = 0;    // 21 for October 1582
    int firstColumn = 0;    // column of day 1, Monday = 0
    std::array<HeaderCell, 7> header;
    std::vector<DayCell> cells;   // day 1 first
    std::vector<TermEntry> terms;  // the month's terms, at most three
    std::string termText;          // "立春:4日16时27分\r\n\r\n" for each term

    // Information panel.
    std::string title;    // "2024年2月"
    int pillarYear = 0;   // astronomical year of the year pillar (the previous one before 立春)
    std::string eraLine;  // era text + "  【龙年】"
    std::array<int, 4> pillars{};  // year, month, day, hour: sexagenary indices 0..59
    std::string pillarText;        // "甲辰年\r\n丙寅月\r\n…日\r\n…时"
    std::string selectedFestivals;  // festivals of the selected day, "" for none

    const DayCell* selectedCell() const;
};

// The shown year is one the calendar covers: non-zero, -4713..9999.
constexpr bool shownYearAccepted(int shownYear) {
    return shownYear != 0 && shownYear >= kFirstShownYear && shownYear <= kLastShownYear;
}
// The year field's text as a number, 0 when it is not one.
int shownYearOf(std::string_view text);

// Days of a month, 21 for October 1582 (as Calendar::dayExists counts them).
int monthLengthOf(int year, int month);

// The month page builder: owns the window's Calendar and the terms of the year last shown.
class MonthPageBuilder {
public:
    // drawMonth: the page of a moment (shown year). False on a year out of range or a day that
    // does not exist, with errorTitle() and lastError() for the message box.
    bool build(int shownYear, int month, int day, int hour, int minute, MonthPage& out);
    void setOptions(const PageOptions& options) { options_ = options; }
    const PageOptions& options() const { return options_; }

    const std::string& errorTitle() const { return errorTitle_; }
    const std::string& lastError() const { return lastError_; }
    Calendar& calendar() { return cal_; }

private:
    const std::vector<TermEntry>& yearTerms(int year);
    void fillPanel(MonthPage& page);

    Calendar cal_;
    PageOptions options_;
    int termsYear_ = 0;
    bool haveTerms_ = false;
    std::vector<TermEntry> yearTerms_;
    std::string errorTitle_, lastError_;
};

// ---- Selection rules of the window ----

// 上一月 / 下一月: the month before or after; year 1 and -1 are neighbours. False (nothing
// changes) at -4713 January and 9999 December.
bool previousMonth(int& shownYear, int& month);
bool nextMonth(int& shownYear, int& month);
// The day to select when the window opens on a moment: the day itself, or 15 when the month
// shown has no such day.
int openingDay(int shownYear, int month, int day);
// The day of the month under a grid cell (row 0..6, column 0..6), 0 for an empty cell.
int dayAtCell(const MonthPage& page, int row, int column);

// Keyboard moves. shiftDays: the day `days` away, across months, years, the 1582 gap and year 0.
// shiftMonths: the same day `months` away, or the last day of a shorter month (the 4th for a
// day of the 1582 gap). Both false, changing nothing, when the result leaves -4713..9999.
bool shiftDays(Calendar& cal, int& shownYear, int& month, int& day, int days);
bool shiftMonths(int& shownYear, int& month, int& day, int months);

}  // namespace hj
