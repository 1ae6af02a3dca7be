#pragma once
// How the perpetual calendar and the reverse search reach the main window: they write a date
// into its inputs and start a chart there. The main window's menu items 万年历 and 反推八字 call
// these.
#include "core/calendar/datetime.h"

namespace hj::gui {

class TFrmMain;
class TFrmWnl;

// Writes a civil moment (astronomical year) into the main window's inputs, switches them to
// the solar calendar without a leap month, sets the sex when given and casts the chart.
void castChartAt(TFrmMain& main, const DateTime& moment, const bool* male = nullptr);

// 万年历: the open calendar window (or a new one), shown on the moment of the inputs. Closing
// the window ends it; the next use creates a new one.
TFrmWnl* openPerpetualCalendar(TFrmMain& main);

// 反推八字: the modal reverse search on the current chart's pillars; on 测算 the date found is
// charted. True when a chart was requested.
bool openReverseSearch(TFrmMain& main);

}  // namespace hj::gui
