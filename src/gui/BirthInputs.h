#pragma once
// The birth inputs of the main window (its bottom panel, `Panel1`): name, date and time, solar
// or lunar calendar, sex, a Chinese province and city or a place abroad (海外), and the options
// 时辰不详 and 流年. The widget owns these controls; the rest of the program reads and sets them
// through request(), setRequest() and setMoment() and hears of every change through `changed`.
// The inputs wrap onto new rows when the window is narrow, the window's buttons (addButtons)
// ending them. The place abroad, whose zone hint changes length with the date, has the last row
// to itself: nothing moves under the pointer when it changes.
#include <QWidget>
#include <initializer_list>
#include <optional>
#include <vector>

#include "core/chart/chart.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace hj::presentation {
struct ChartParameters;
}
namespace hj::text {
class IniEditor;
class IniFile;
}  // namespace hj::text

namespace hj::gui {

class FlowLayout;
class UpDown;
class WorldPlaceBox;

class BirthInputs : public QWidget {
    Q_OBJECT
public:
    // `dataRoot` holds dat/ with dili.ini (the cities of each province) and the world places.
    // The inputs start on the present minute at 未知地.
    explicit BirthInputs(const QString& dataRoot, QWidget* parent = nullptr);

    // The inputs checked and read; nothing after saying why, with the focus on the input at fault.
    std::optional<ChartRequest> request();
    // Shows the birth data of `req`: name, date and time, calendar, sex and place (a zone turns
    // 海外 on with that place, none turns it off; the fold is taken by the next request).
    // 时辰不详 and 流年 stay as they are.
    void setRequest(const ChartRequest& req);
    // Shows a civil date and time (astronomical year) in the solar calendar without a leap
    // month; the other inputs stay.
    void setMoment(const DateTime& civil);
    // 粘贴命理参数: date, calendar, name (cut to what the name field holds), sex, province and
    // city; 海外 stays as it is.
    void setParameters(const presentation::ChartParameters& p);
    void setMale(bool male);
    bool male() const;
    void setUnknownHour(bool unknown);  // 时辰不详
    bool unknownHour() const;
    // Hides 流年 where no report is written (合婚); a request then asks for no yearly block.
    void hideYearly();

    // The date and time shown, the year numbered as shown (no year 0): the year typed when the
    // chart takes it, else the year of the arrows, so that the calendar always opens on a year.
    DateTime shownMoment();
    // Makes a Beijing standard time the clock reading at the chosen Chinese place (summer time
    // added when the setting dst is on) and turns 海外 off.
    void takeBeijingTime(DateTime& moment);
    // Refuses a date or clock time the chart cannot take (saying why) and asks which one a
    // clock time that occurred twice is (req.fold). False after the message or a cancel.
    bool chooseFold(ChartRequest& req);

    // Rereads the province's cities (the place editor changed them), staying on the same city
    // when it is still there.
    void reloadCities();
    // Longitude of each entry of the city list.
    const std::vector<float>& cityLongitudes() const { return cityLon_; }

    // The place chosen last time: [winpos] sheng and shi.
    void readSettings(const text::IniFile& ini);
    bool writeSettings(text::IniEditor& e) const;

    // The window's buttons, one group after the inputs.
    void addButtons(std::initializer_list<QWidget*> buttons);

protected:
    void showEvent(QShowEvent* e) override;

signals:
    // An input changed (typed, chosen, or set by the program).
    void changed();
    // Enter in the year or the name field.
    void castRequested();

private:
    void buildControls(const QString& dataRoot);
    QWidget* addGroup(std::initializer_list<QWidget*> widgets);
    void showBirth(const ChartRequest& req);
    void showYear(int astronomical);
    void showPlace(int province, int city);
    void rebuildCities();
    void refuseYear();
    void inputChanged();
    // What the inputs show now, unchecked; empty when the year is not one the chart takes.
    std::optional<ChartRequest> shownBirth() const;

    QString datDir_;
    FlowLayout* flow_;
    QLineEdit* EdtYear;
    UpDown* UpDyear;
    QComboBox* cbom;
    QComboBox* cbod;
    QComboBox* cbos;
    QComboBox* cbomin;
    QCheckBox* ChkBuXiang;  // 时辰不详: the twelve hours of the day instead of one chart
    QComboBox* CboLi;
    QCheckBox* Chkrun;
    QRadioButton* Rdona;
    QRadioButton* Rdonv;
    QLineEdit* Edtname;
    QComboBox* cbodiZ;
    QComboBox* cbodiC;
    QCheckBox* ChkLiuNian;
    WorldPlaceBox* places_;
    std::vector<float> cityLon_, cityLat_;
    // The Chinese place chosen last, to come back to when 海外 is turned off (-1: none yet).
    int homeProvince_ = -1, homeCity_ = 0;
    bool wasAbroad_ = false;
    bool followPending_ = false;  // the inputs changed while hidden: the zone hint is behind
};

}  // namespace hj::gui
