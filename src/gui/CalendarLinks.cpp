#include "gui/CalendarLinks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "core/calendar/month_page.h"
#include "gui/GuiSupport.h"
#include "gui/TFrmFanTui.h"
#include "gui/TFrmMain.h"
#include "gui/WorldPlaceBox.h"
#include "gui/TFrmWnl.h"

namespace hj::gui {

void castChartAt(TFrmMain& main, const DateTime& moment, const bool* male) {
    main.EdtYear->setText(QString::number(displayYear(moment.year)));
    main.UpDyear->setPosition(moment.year);
    main.cbom->setCurrentIndex(moment.month - 1);
    main.cbod->setCurrentIndex(moment.day - 1);
    main.cbos->setCurrentIndex(moment.hour);
    main.cbomin->setCurrentIndex(moment.minute);
    // The date is a civil one: a lunar setting left in the inputs would misread it.
    main.CboLi->setCurrentIndex(0);
    main.Chkrun->setChecked(false);
    if (male) (*male ? main.Rdona : main.Rdonv)->setChecked(true);
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
    int shown = shownYearOf(u8(main.EdtYear->text()));
    if (shownYearAccepted(shown)) main.UpDyear->setPosition(astronomicalYear(shown));
    else shown = displayYear(main.UpDyear->position());
    const DateTime moment{static_cast<std::int16_t>(shown), static_cast<std::int16_t>(main.cbom->currentIndex() + 1),
                          static_cast<std::int16_t>(main.cbod->currentIndex() + 1),
                          static_cast<std::int16_t>(main.cbos->currentIndex()),
                          static_cast<std::int16_t>(main.cbomin->currentIndex())};
    wnl->showCalendar(moment);
    return wnl;
}

bool openReverseSearch(TFrmMain& main) {
    TFrmFanTui dlg(&main);
    dlg.prepareSearch(main.currentPillars(), main.Rdona->isChecked());
    if (dlg.exec() != QDialog::Accepted) return false;
    const bool male = dlg.male();
    DateTime moment = dlg.foundMoment();
    moment.minute = 0;
    // The moment found is Beijing standard time: the chart is cast at a Chinese place, at the
    // clock reading of that moment (summer time added when the setting asks for it).
    main.worldPlaces()->takeBeijingTime(moment);
    castChartAt(main, moment, &male);
    return true;
}

}  // namespace hj::gui
