#pragma once
// How the perpetual calendar and the reverse search reach the main window: they show a date in
// its birth inputs and ask for the chart (castRequested). The main window's menu items 万年历
// and 反推八字 call these.
#include <QObject>
#include <array>
#include <cstdint>

class QWidget;

namespace hj::text {
class IniFile;
}

namespace hj::gui {

class BirthInputs;
class TFrmWnl;

class CalendarLinks : public QObject {
    Q_OBJECT
public:
    // The calendar is a child of `window` and reads its options from `settings`.
    CalendarLinks(QWidget* window, BirthInputs& inputs, text::IniFile& settings);

    // 万年历: the open calendar window (or a new one), shown on the moment of the inputs.
    // Closing the window ends it; the next use creates a new one.
    TFrmWnl* openCalendar();
    // 反推八字: the modal reverse search starting from `pillars` (year first); on 测算 the date
    // found goes into the inputs. True when a chart was asked for.
    bool openReverseSearch(const std::array<std::uint8_t, 4>& pillars);

signals:
    // The inputs show a moment to chart (本命盘 in the calendar, 测算 in the reverse search).
    void castRequested();

private:
    QWidget* window_;
    BirthInputs& inputs_;
    text::IniFile& settings_;
};

}  // namespace hj::gui
