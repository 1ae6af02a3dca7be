#include "gui/CalendarLinks.h"

#include "gui/BirthInputs.h"
#include "gui/TFrmFanTui.h"
#include "gui/TFrmMain.h"
#include "gui/TFrmWnl.h"

namespace hj::gui {

void castChartAt(TFrmMain& main, const DateTime& moment, const bool* male) {
    main.birthInputs()->setMoment(moment);
    if (male) main.birthInputs()->setMale(*male);
    main.requestChart();
}

TFrmWnl* openPerpetualCalendar(TFrmMain& main) {
    auto* wnl = main.findChild<TFrmWnl*>(QString(), Qt::FindDirectChildrenOnly);
    if (!wnl) {
        wnl = new TFrmWnl(&main);
        wnl->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(wnl, &TFrmWnl::chartRequested, &main, [&main](const DateTime& m) { castChartAt(main, m); });
    }
    // Each time it is brought up: the options as the file holds them now.
    wnl->setOptionsFile(&main.settings());
    // The year typed when it is one, else the up/down position: the calendar never opens on a
    // year it cannot show.
    const DateTime moment = main.birthInputs()->shownMoment();
    wnl->showCalendar(moment);
    return wnl;
}

bool openReverseSearch(TFrmMain& main) {
    TFrmFanTui dlg(&main);
    dlg.prepareSearch(main.currentPillars(), main.birthInputs()->male());
    if (dlg.exec() != QDialog::Accepted) return false;
    const bool male = dlg.male();
    DateTime moment = dlg.foundMoment();
    moment.minute = 0;
    // The moment found is Beijing standard time: the chart is cast at a Chinese place, at the
    // clock reading of that moment (summer time added when the setting asks for it).
    main.birthInputs()->takeBeijingTime(moment);
    castChartAt(main, moment, &male);
    return true;
}

}  // namespace hj::gui
