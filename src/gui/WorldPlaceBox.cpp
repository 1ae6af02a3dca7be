#include "gui/WorldPlaceBox.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStringListModel>
#include <QToolButton>

#include "core/presentation/chart_inputs.h"
#include "core/chart/chart.h"
#include "core/chart/chart_settings.h"
#include "core/places/province_table.h"
#include "core/zones/birth_zone.h"
#include "core/zones/case_zone.h"
#include "core/zones/zone_clock.h"
#include "gui/GuiSupport.h"

namespace hj::gui {
namespace {

QString rowText(const zones::WorldPlace& p) {
    return qs(p.city) + QStringLiteral(" · ") + (p.user ? QStringLiteral("自定义") : qs(p.country)) +
           QStringLiteral(" · ") + qs(p.englishCity);
}

}  // namespace

WorldPlaceBox::WorldPlaceBox(QString dataRoot, QWidget* parent)
    : QWidget(parent), dataRoot_(std::move(dataRoot)), model_(new QStringListModel(this)) {
    setObjectName(QStringLiteral("WorldPlaceBox"));
    BtnHaiWai = new QToolButton(this);
    BtnHaiWai->setObjectName(QStringLiteral("BtnHaiWai"));
    BtnHaiWai->setText(QStringLiteral("海外"));
    BtnHaiWai->setCheckable(true);
    BtnHaiWai->setToolTip(QStringLiteral("出生在海外：按当地钟表时间和时区排盘"));
    EdtWorldPlace = new QLineEdit(this);
    EdtWorldPlace->setObjectName(QStringLiteral("EdtWorldPlace"));
    EdtWorldPlace->setPlaceholderText(QStringLiteral("城市或国家，如 纽约、悉尼、London"));
    // Wide enough for a chosen row and for the whole hint.
    const QFontMetrics fm = EdtWorldPlace->fontMetrics();
    EdtWorldPlace->setMinimumWidth(std::max(fm.horizontalAdvance(QStringLiteral("悉尼 · 澳大利亚 · Sydney  ")),
                                            fm.horizontalAdvance(EdtWorldPlace->placeholderText())) + 24);
    BtnAddPlace = new QToolButton(this);
    BtnAddPlace->setObjectName(QStringLiteral("BtnAddPlace"));
    BtnAddPlace->setText(QStringLiteral("添加"));
    BtnAddPlace->setToolTip(QStringLiteral("添加自定义的海外地点（名称、经纬度、时区）"));
    LblZone = new QLabel(this);
    LblZone->setObjectName(QStringLiteral("LblZone"));
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(4);
    h->addWidget(BtnHaiWai);
    h->addWidget(EdtWorldPlace);
    h->addWidget(BtnAddPlace);
    h->addWidget(LblZone);

    auto* completer = new QCompleter(model_, this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    completer->setMaxVisibleItems(16);
    EdtWorldPlace->setCompleter(completer);
    connect(completer, qOverload<const QString&>(&QCompleter::activated), this, [this](const QString& t) { choose(t); });
    // Enter or leaving the box takes the first place the text finds.
    const auto takeTyped = [this] {
        if (!haveChosen_ || EdtWorldPlace->text() != rowText(chosen_)) choose(EdtWorldPlace->text());
    };
    connect(EdtWorldPlace, &QLineEdit::editingFinished, this, takeTyped);
    connect(EdtWorldPlace, &QLineEdit::returnPressed, this, takeTyped);
    connect(BtnHaiWai, &QToolButton::toggled, this, &WorldPlaceBox::setAbroad);
    connect(BtnAddPlace, &QToolButton::clicked, this, &WorldPlaceBox::addPlace);
    setAbroad(false);
}

bool WorldPlaceBox::abroad() const { return BtnHaiWai->isChecked(); }

void WorldPlaceBox::reloadPlaces() {
    std::string error;
    zones::loadUserPlaces(u8(dataRoot_), user_, error);
    shown_ = zones::findWorldPlaces(user_, "");
    QStringList rows;
    rows.reserve(static_cast<qsizetype>(shown_.size()));
    for (const zones::WorldPlace& p : shown_) rows << rowText(p);
    model_->setStringList(rows);
}

void WorldPlaceBox::setAbroad(bool on) {
    if (BtnHaiWai->isChecked() != on) BtnHaiWai->setChecked(on);  // comes back here once
    EdtWorldPlace->setVisible(on);
    BtnAddPlace->setVisible(on);
    if (on && model_->rowCount() == 0) reloadPlaces();
    if (on) EdtWorldPlace->setFocus();
    updateZoneLabel();
    emit changed();
}

// Takes the row with this text, or the first place the text finds; false when none.
bool WorldPlaceBox::choose(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    const auto take = [this](const zones::WorldPlace* p) {
        haveChosen_ = p != nullptr;
        if (p) {
            chosen_ = *p;
            EdtWorldPlace->setText(rowText(chosen_));
        }
        updateZoneLabel();
        emit changed();
        return haveChosen_;
    };
    for (const zones::WorldPlace& p : shown_)
        if (rowText(p) == t) return take(&p);
    const auto found = zones::findWorldPlaces(user_, u8(t));
    return take(found.empty() ? nullptr : &found.front());
}

void WorldPlaceBox::followBirth(const std::optional<ChartRequest>& birth) {
    birth_ = birth;
    updateZoneLabel();
}

bool WorldPlaceBox::fillRequest(ChartRequest& req) {
    req.fold = fold_;
    if (!abroad()) return true;
    if (!haveChosen_ || EdtWorldPlace->text() != rowText(chosen_)) {
        if (!choose(EdtWorldPlace->text())) {
            message(this, QStringLiteral("请选择海外出生地：输入城市或国家的名称，从列表中选择"), QStringLiteral("提示"),
                    QMessageBox::Information);
            EdtWorldPlace->setFocus();
            return false;
        }
    }
    req.zone = chosen_.zone;
    req.fold = fold_;
    req.longitude = chosen_.longitude;
    req.latitude = chosen_.latitude;
    req.place = chosen_.placeText();
    req.province = ProvinceTable::kUnknown;
    req.city = 0;
    return true;
}

void WorldPlaceBox::showPlace(const ChartRequest& req) {
    fold_ = req.fold;
    if (req.zone.empty()) {
        setAbroad(false);
        return;
    }
    if (model_->rowCount() == 0) reloadPlaces();
    // The stored place: its name and coordinates as kept, with its zone.
    chosen_ = zones::WorldPlace{};
    chosen_.zone = req.zone;
    chosen_.longitude = req.longitude;
    chosen_.latitude = req.latitude;
    chosen_.englishCity = req.zone.substr(req.zone.rfind('/') + 1);
    chosen_.city = req.place;
    chosen_.user = true;
    for (const zones::WorldPlace& p : shown_)
        if (p.placeText() == req.place && p.zone == req.zone) chosen_ = p;
    haveChosen_ = true;
    EdtWorldPlace->setText(rowText(chosen_));
    setAbroad(true);
}

void WorldPlaceBox::takeBeijingTime(DateTime& moment, int province) {
    setAbroad(false);
    if (loadChartSettings(u8(dataRoot_)).dst) moment = zones::chinaClockOf(calendar_, moment, province);
}

void WorldPlaceBox::updateZoneLabel() {
    // An empty label takes no room in the row.
    const auto showZone = [this](const QString& text) {
        LblZone->setText(text);
        LblZone->setVisible(!text.isEmpty());
    };
    std::string zone;
    if (abroad()) {
        if (haveChosen_) zone = chosen_.zone;
    } else if (birth_ && loadChartSettings(u8(dataRoot_)).dst) {
        zone = zones::chinaZoneOf(birth_->province);
    }
    if (zone.empty() || !birth_) {
        showZone({});
        return;
    }
    DateTime clock = birth_->entered();
    if (birth_->lunar) {
        DateTime solar;
        if (!calendar_.lunarToSolar(clock, birth_->leap, solar)) {
            showZone({});
            return;
        }
        solar.hour = clock.hour;
        solar.minute = clock.minute;
        clock = solar;
    } else if (!calendar_.dayExists(clock)) {
        showZone({});
        return;
    }
    zones::ClockReading r;
    std::string error;
    if (!zones::readClock(zone, calendar_.julianDayOf(clock) - 1.0 / 86400, 1, !abroad(), r, error)) {
        showZone(qs(error));
        return;
    }
    QString text;
    if (r.skipped) {
        text = QStringLiteral("该钟点不存在（时钟拨快）");
    } else if (abroad()) {
        text = qs(zone) + QLatin1Char(' ') + qs(zones::offsetText(r.standardSeconds));
        if (r.dstSeconds) text += QStringLiteral(" 夏令时+") + qs(zones::durationText(r.dstSeconds));
    } else if (r.dstSeconds) {
        text = QStringLiteral("夏令时：将减") + qs(zones::durationText(r.dstSeconds));
    }
    if (r.repeated) text += QStringLiteral(" 钟点重复");
    showZone(text.trimmed());
}

bool WorldPlaceBox::chooseFold(ChartRequest& req) {
    QWidget* parent = window();
    req.fold = fold_ = 1;
    std::string error;
    const std::optional<BirthPillars> birth = castPillars(req, loadChartSettings(u8(dataRoot_)), error);
    if (!birth) {
        // Refused before the pane is touched: the chart shown stays.
        message(parent, qs(error), QStringLiteral("错误"), QMessageBox::Critical);
        return false;
    }
    if (!birth->birthZone.repeated) return true;
    QMessageBox box(QMessageBox::Question, QStringLiteral("提示"),
                    QStringLiteral("%1时%2分这个钟点在当地出现了两次（夏令时结束，时钟拨回了%3）。\n出生时是哪一次？")
                        .arg(req.hour)
                        .arg(req.minute)
                        .arg(qs(zones::durationText(birth->birthZone.dstSeconds ? birth->birthZone.dstSeconds : 3600))),
                    QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("BoxFold"));
    QPushButton* first = box.addButton(QStringLiteral("第一次（夏令时）"), QMessageBox::AcceptRole);
    QPushButton* second = box.addButton(QStringLiteral("第二次"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    first->setObjectName(QStringLiteral("BtnFold1"));
    second->setObjectName(QStringLiteral("BtnFold2"));
    box.setDefaultButton(first);
    box.exec();
    if (box.clickedButton() == second) req.fold = fold_ = 2;
    return box.clickedButton() == first || box.clickedButton() == second;
}

void WorldPlaceBox::addPlace() {
    QDialog dlg(this);
    dlg.setObjectName(QStringLiteral("FrmAddPlace"));
    dlg.setWindowTitle(QStringLiteral("添加海外地点"));
    auto* name = new QLineEdit(&dlg);
    name->setObjectName(QStringLiteral("EdtName"));
    auto* lon = new QDoubleSpinBox(&dlg);
    lon->setObjectName(QStringLiteral("EdtLon"));
    lon->setRange(-180, 180);
    lon->setDecimals(4);
    auto* lat = new QDoubleSpinBox(&dlg);
    lat->setObjectName(QStringLiteral("EdtLat"));
    lat->setRange(-90, 90);
    lat->setDecimals(4);
    auto* zone = new QComboBox(&dlg);
    zone->setObjectName(QStringLiteral("CboZone"));
    zone->setEditable(true);
    for (const zones::WorldPlace& p : zones::builtinWorldPlaces())
        if (p.known) zone->addItem(qs(p.zone));
    zone->model()->sort(0);
    if (haveChosen_) {
        zone->setCurrentText(qs(chosen_.zone));
        lon->setValue(static_cast<double>(chosen_.longitude));
        lat->setValue(static_cast<double>(chosen_.latitude));
    }
    auto* form = new QFormLayout(&dlg);
    form->addRow(QStringLiteral("名称"), name);
    form->addRow(QStringLiteral("经度（东经为正）"), lon);
    form->addRow(QStringLiteral("纬度（北纬为正）"), lat);
    form->addRow(QStringLiteral("时区"), zone);
    auto* buttons = new QDialogButtonBox(&dlg);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("Btnok"));
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("Btncancel"));
    form->addRow(buttons);
    zones::WorldPlace p;
    connect(buttons, &QDialogButtonBox::accepted, &dlg, [&] {
        p.city = u8(name->text().trimmed());
        p.zone = u8(zone->currentText().trimmed());
        p.longitude = static_cast<float>(lon->value());
        p.latitude = static_cast<float>(lat->value());
        p.user = true;
        std::string error;
        if (!zones::saveUserPlace(u8(dataRoot_), p, error)) {
            message(&dlg, qs(error), QStringLiteral("输入错误"), QMessageBox::Critical);
            name->setFocus();
            return;
        }
        dlg.accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    if (dlg.exec() != QDialog::Accepted) return;
    reloadPlaces();
    const auto found = zones::findWorldPlaces(user_, p.city);
    if (!found.empty()) choose(rowText(found.front()));
}

}  // namespace hj::gui
