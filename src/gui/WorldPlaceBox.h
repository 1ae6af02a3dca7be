#pragma once
// 海外: a birthplace abroad among the birth inputs. A search box finds the cities of the world
// place list (and the user's own) by Chinese city or country name or by English city name; the
// zone and its offset at the birth the inputs show are shown before 测算. For a Chinese place
// the label says when summer time will be taken off.
#include <QWidget>
#include <optional>
#include <vector>

#include "core/calendar/calendar.h"
#include "core/chart/chart.h"
#include "core/zones/world_places.h"

class QLabel;
class QLineEdit;
class QStringListModel;
class QToolButton;

namespace hj::gui {

class WorldPlaceBox : public QWidget {
    Q_OBJECT
public:
    // `dataRoot` holds dat/ with worldpl.ini (the user's places) and bzinit.ini (the setting dst).
    explicit WorldPlaceBox(QString dataRoot, QWidget* parent = nullptr);

    bool abroad() const;
    // The birth the inputs show (empty when its year is not one the chart takes): the label
    // shows the zone and offset at that moment.
    void followBirth(const std::optional<ChartRequest>& birth);
    // A birth abroad takes the chosen place: zone, coordinates, place text, province 未知地.
    // False after a message when 海外 is on but the box names no place.
    bool fillRequest(ChartRequest& req);
    // Shows the place of a request (a stored case): a zone turns 海外 on with that place, none
    // turns it off; its fold is taken by the next request.
    void showPlace(const ChartRequest& req);
    // Turns 海外 off and makes a Beijing standard time the clock reading at `province`
    // (summer time added when the setting dst is on).
    void takeBeijingTime(DateTime& moment, int province);
    // Checks the date and clock time of `req` (a time skipped when clocks went forward is
    // refused with a message) and, when the clock time occurred twice at its place, asks which
    // one and sets req.fold. False after the message or when the user cancels.
    bool chooseFold(ChartRequest& req);

signals:
    // 海外 was turned on or off, or another place chosen.
    void changed();

private:
    void setAbroad(bool on);
    void updateZoneLabel();
    void reloadPlaces();
    bool choose(const QString& text);
    void addPlace();

    QToolButton* BtnHaiWai;     // 海外: the birthplace is abroad
    QLineEdit* EdtWorldPlace;   // the search box
    QToolButton* BtnAddPlace;   // 添加: a place of the user's own
    QLabel* LblZone;            // zone and offset at the birth
    QString dataRoot_;
    int fold_ = 1;
    std::optional<ChartRequest> birth_;
    std::vector<zones::WorldPlace> user_, shown_;  // the user's places; the completer's rows
    zones::WorldPlace chosen_;
    bool haveChosen_ = false;
    QStringListModel* model_;
    Calendar calendar_;
};

}  // namespace hj::gui
