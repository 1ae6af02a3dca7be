#include "gui/CalendarLinks.h"

#include "gui/BirthInputs.h"
#include "gui/TFrmFanTui.h"
#include "gui/TFrmWnl.h"

namespace hj::gui {

CalendarLinks::CalendarLinks(QWidget* window, BirthInputs& inputs, text::IniFile& settings)
    : QObject(window), window_(window), inputs_(inputs), settings_(settings) {}

TFrmWnl* CalendarLinks::openCalendar() {
    auto* wnl = window_->findChild<TFrmWnl*>(QString(), Qt::FindDirectChildrenOnly);
    if (!wnl) {
        wnl = new TFrmWnl(window_);
        wnl->setAttribute(Qt::WA_DeleteOnClose);
        connect(wnl, &TFrmWnl::chartRequested, this, [this](const DateTime& m) {
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
    // The moment found is Beijing standard time: the chart is cast at a Chinese place, at the
    // clock reading of that moment (summer time added when the setting asks for it).
    inputs_.takeBeijingTime(moment);
    inputs_.setMoment(moment);
    inputs_.setMale(dlg.male());
    emit castRequested();
    return true;
}

}  // namespace hj::gui
