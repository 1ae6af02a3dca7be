#pragma once
// 海外: a birthplace abroad in the main window. A search box finds the cities of the world
// place list (and the user's own) by Chinese city or country name or by English city name; the
// zone and its offset at the birth shown by the inputs are shown before 测算. For a Chinese
// place the label says when summer time will be taken off.
#include <QWidget>
#include <vector>

#include "core/calendar/calendar.h"
#include "core/zones/world_places.h"

class QLabel;
class QLineEdit;
class QStringListModel;
class QToolButton;

namespace hj {
struct ChartRequest;
namespace casestore {
struct CaseRecord;
}
}  // namespace hj

namespace hj::gui {

class TFrmMain;

class WorldPlaceBox : public QWidget {
    Q_OBJECT
public:
    // `dataRoot` holds dat/ with worldpl.ini (the user's places) and bzinit.ini (the setting dst).
    explicit WorldPlaceBox(QString dataRoot, QWidget* parent = nullptr);

    QToolButton* BtnHaiWai;     // 海外: the birthplace is abroad
    QLineEdit* EdtWorldPlace;   // the search box
    QToolButton* BtnAddPlace;   // 添加: a place of the user's own
    QLabel* LblZone;            // zone and offset at the birth

    bool abroad() const;
    // Follows the main window's date, time and province inputs for the zone label.
    void attach(TFrmMain* w);
    // A birth abroad takes the chosen place: zone, coordinates, place text, province 未知地.
    // False after a message when 海外 is on but the box names no place.
    bool fillRequest(ChartRequest& req);
    // Shows the place of a stored case: a zone kept in the record turns 海外 on; its fold is
    // taken by the next request.
    void showRecord(const casestore::CaseRecord& r);
    // Turns 海外 off and makes a Beijing standard time the clock reading at the chosen Chinese
    // place (summer time added when the setting dst is on).
    void takeBeijingTime(DateTime& moment);
    // When the clock time of `req` occurred twice at its place, asks which one and sets
    // req.fold. False when the user cancels.
    bool chooseFold(ChartRequest& req);

public slots:
    void updateZoneLabel();

private:
    void setAbroad(bool on);
    void reloadPlaces();
    bool choose(const QString& text);
    void addPlace();

    QString dataRoot_;
    int fold_ = 1;
    TFrmMain* main_ = nullptr;
    std::vector<zones::WorldPlace> user_, shown_;  // the user's places; the completer's rows
    zones::WorldPlace chosen_;
    bool haveChosen_ = false;
    QStringListModel* model_;
    Calendar calendar_;
};

}  // namespace hj::gui
