#pragma once
// What the perpetual calendar tells of one day beyond its cell: the tool tip of a cell (the
// lunar date a festival hides), the details shown on a double click, the keys of the grid, and
// the question before Enter casts a chart. (The grid's double click and tool tips, members of
// MonthGrid, are written in CalendarDayInfo.cpp beside the texts they show.)
#include <QString>

#include "core/presentation/month_page.h"

class QWidget;

namespace hj::gui {

// "农历十二月三十  除夕  立春" for a cell.
QString dayTip(const DayCell& cell);
// The keys of the grid, for its tool tip (the help says them too).
QString calendarKeysText();
// The day's details (DayAlmanacBox): its solar and lunar dates, pillars, terms, festivals and
// era, then its almanac (`shownYear` as shown, no year 0). Says why when the day cannot be shown.
void showDayDetails(QWidget* parent, MonthPageBuilder& builder, int shownYear, int month, int day);
// Enter on the grid: asks before the moment (astronomical year) is charted.
bool confirmChart(QWidget* parent, const DateTime& moment);

}  // namespace hj::gui
