#include "gui/CalendarLinks.h"

#include "core/presentation/chart_inputs.h"
#include "gui/BirthInputs.h"
#include "gui/GuiSupport.h"
#include "gui/TFrmFanTui.h"
#include "gui/TFrmWnl.h"

namespace hj::gui {

namespace {
// A moment whose year the main window's year field cannot take is refused before any input
// changes, so the window keeps the chart and inputs it shows.
bool yearTaken(QWidget* window, const DateTime& m) {
    const int shown = m.year <= 0 ? m.year - 1 : m.year;  // astronomical year 0 is 1 BC
    if (presentation::yearIsAccepted(shown)) return true;
    message(window,
            QStringLiteral("这个时刻在%1年，超出了排盘的年份范围（%2到%3年），不能排盘；主窗口的输入没有改动。")
                .arg(shown)
                .arg(presentation::kMinShownYear)
                .arg(presentation::kMaxShownYear),
            appTitle(), QMessageBox::Warning);
    return false;
}
}  // namespace

CalendarLinks::CalendarLinks(QWidget* window, BirthInputs& inputs, text::IniFile& settings)
    : QObject(window), window_(window), inputs_(inputs), settings_(settings) {}

TFrmWnl* CalendarLinks::openCalendar() {
    auto* wnl = window_->findChild<TFrmWnl*>(QString(), Qt::FindDirectChildrenOnly);
    if (!wnl) {
        wnl = new TFrmWnl(window_);
        wnl->setAttribute(Qt::WA_DeleteOnClose);
        connect(wnl, &TFrmWnl::chartRequested, this, [this, wnl](const DateTime& m) {
            if (!yearTaken(wnl, m)) return;
            inputs_.setMoment(m);
            emit castRequested();
        });
    }
    // Each time it is brought up: the options as the file holds them now.
    wnl->setOptionsFile(&settings_);
    wnl->showCalendar(inputs_.shownMoment());
    return wnl;
}

bool CalendarLinks::openReverseSearch(const std::array<std::uint8_t, 4>& pillars) {
    TFrmFanTui dlg(window_);
    dlg.prepareSearch(pillars, inputs_.male());
    if (dlg.exec() != QDialog::Accepted) return false;
    DateTime moment = dlg.foundMoment();
    moment.minute = 0;
    if (!yearTaken(window_, moment)) return false;
    // The moment found is Beijing standard time: the chart is cast at a Chinese place, at the
    // clock reading of that moment (summer time added when the setting asks for it).
    inputs_.takeBeijingTime(moment);
    inputs_.setMoment(moment);
    inputs_.setMale(dlg.male());
    emit castRequested();
    return true;
}

}  // namespace hj::gui
