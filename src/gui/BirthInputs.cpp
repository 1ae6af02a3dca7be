#include "gui/BirthInputs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <limits>

#include "core/presentation/chart_inputs.h"
#include "core/presentation/chart_params.h"
#include "core/presentation/month_page.h"
#include "core/places/places.h"
#include "core/places/province_table.h"
#include "core/text/gbk.h"
#include "core/text/ini.h"
#include "gui/CaseSupport.h"
#include "gui/GuiSupport.h"
#include "gui/TraditionalDisplay.h"
#include "gui/WorldPlaceBox.h"

namespace hj::gui {
namespace {

// Arrow keys in the year edit step the year as the up/down control does.
class YearKeys : public QObject {
public:
    YearKeys(UpDown* updown, QObject* parent) : QObject(parent), updown_(updown) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                updown_->step(key == Qt::Key_Up ? 1 : -1);
                return true;
            }
        }
        return QObject::eventFilter(o, e);
    }
private:
    UpDown* updown_;
};

QComboBox* combo(const char* name, const QStringList& items) {
    auto* c = named(new QComboBox, name);
    c->addItems(items);
    c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    c->setMaxVisibleItems(24);
    return c;
}

// An index the list has, else its first.
void pick(QComboBox* c, int i) { c->setCurrentIndex(i >= 0 && i < c->count() ? i : 0); }

}  // namespace

BirthInputs::BirthInputs(const QString& dataRoot, QWidget* parent)
    : QWidget(parent), datDir_(dataRoot + QStringLiteral("/dat")) {
    setObjectName(QStringLiteral("Panel1"));
    buildControls(dataRoot);
    const QDateTime now = QDateTime::currentDateTime();
    showYear(now.date().year() > presentation::kMaxShownYear ? 2050 : now.date().year());
    cbom->setCurrentIndex(now.date().month() - 1);
    cbod->setCurrentIndex(now.date().day() - 1);
    cbos->setCurrentIndex(now.time().hour());
    cbomin->setCurrentIndex(now.time().minute());
    showPlace(ProvinceTable::kUnknown, 0);
}

QWidget* BirthInputs::addGroup(std::initializer_list<QWidget*> widgets) {
    auto* g = new QWidget(this);
    auto* h = new QHBoxLayout(g);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(4);
    for (QWidget* w : widgets) h->addWidget(w);
    flow_->addWidget(g);
    return g;
}

void BirthInputs::addButtons(std::initializer_list<QWidget*> buttons) { addGroup(buttons); }

void BirthInputs::buildControls(const QString& dataRoot) {
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    flow_ = new FlowLayout(nullptr, 14, 4);
    flow_->setContentsMargins(6, 4, 6, 4);
    rows->addLayout(flow_);

    EdtYear = named(new QLineEdit, "EdtYear");
    EdtYear->setMaxLength(5);
    EdtYear->setToolTip(QStringLiteral("年份在-850至2100"));
    EdtYear->setFixedWidth(EdtYear->fontMetrics().horizontalAdvance(QStringLiteral("-88888")) + 12);
    EdtYear->setAlignment(Qt::AlignRight);
    UpDyear = named(new UpDown, "UpDyear");
    UpDyear->setRange(-4712, 9999);
    UpDyear->setFixedHeight(EdtYear->sizeHint().height());
    EdtYear->installEventFilter(new YearKeys(UpDyear, this));
    bindYearField(EdtYear, UpDyear, shownYearAccepted, [this] { refuseYear(); });
    auto* yearLabel = new QLabel(QStringLiteral("年"));
    yearLabel->setBuddy(EdtYear);
    QStringList items;
    for (int m = 1; m <= 12; ++m) items << QStringLiteral("%1月").arg(m);
    cbom = combo("cbom", items);
    items.clear();
    for (int d = 1; d <= 31; ++d) items << QStringLiteral("%1日").arg(d);
    cbod = combo("cbod", items);
    items.clear();
    for (int h = 0; h < 24; ++h) items << qs(presentation::hourItemText(h));
    cbos = combo("cbos", items);
    items.clear();
    for (int m = 0; m < 60; ++m) items << QStringLiteral("%1分").arg(m);
    cbomin = combo("cbomin", items);
    ChkBuXiang = named(new QCheckBox(QStringLiteral("时辰不详")), "ChkBuXiang");
    ChkBuXiang->setToolTip(QStringLiteral("不知出生时辰：列出本日十二时辰，择一排盘"));
    addGroup({EdtYear, UpDyear, yearLabel, cbom, cbod, cbos, cbomin});
    addGroup({ChkBuXiang});

    CboLi = combo("CboLi", {QStringLiteral("公历"), QStringLiteral("农历")});
    Chkrun = named(new QCheckBox(QStringLiteral("农历闰月")), "Chkrun");
    Rdona = named(new QRadioButton(QStringLiteral("男")), "Rdona");
    Rdonv = named(new QRadioButton(QStringLiteral("女")), "Rdonv");
    Rdona->setChecked(true);
    auto* sexBox = new QWidget;  // its own parent keeps the two radios exclusive of others
    auto* sexLay = new QHBoxLayout(sexBox);
    sexLay->setContentsMargins(0, 0, 0, 0);
    sexLay->addWidget(Rdona);
    sexLay->addWidget(Rdonv);
    addGroup({CboLi, Chkrun, sexBox});

    auto* nameLabel = new QLabel(QStringLiteral("姓名"));
    Edtname = named(new QLineEdit(QStringLiteral("某人")), "Edtname");
    Edtname->setValidator(new GbkLimitValidator(presentation::kNameMaxBytes, Edtname));
    Edtname->setFixedWidth(Edtname->fontMetrics().horizontalAdvance(QStringLiteral("某某某某某")) + 16);
    nameLabel->setBuddy(Edtname);
    QStringList provinces;
    for (std::string_view p : ProvinceTable::names) provinces << qs(p);
    cbodiZ = combo("cbodiZ", provinces);
    cbodiC = combo("cbodiC", {});
    cbodiC->setToolTip(QStringLiteral("选择邻近城市"));
    cbodiC->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbodiC->setMinimumContentsLength(6);
    showAsTyped(cbodiZ);  // place names, never converted
    showAsTyped(cbodiC);
    ChkLiuNian = named(new QCheckBox(QStringLiteral("流年")), "ChkLiuNian");
    ChkLiuNian->setChecked(true);
    addGroup({nameLabel, Edtname, cbodiZ, cbodiC, ChkLiuNian});
    // The place abroad has a row of its own: it grows when 海外 is on and its zone hint changes
    // length with the date, and nothing else may move or wrap with it.
    places_ = new WorldPlaceBox(dataRoot);
    auto* placeRow = new QHBoxLayout;
    placeRow->setContentsMargins(6, 0, 6, 4);
    placeRow->addWidget(places_);
    placeRow->addStretch(1);
    rows->addLayout(placeRow);

    connect(UpDyear, &UpDown::clicked, this,
            [this] { EdtYear->setText(QString::number(displayYear(UpDyear->position()))); });
    connect(cbodiZ, &QComboBox::currentIndexChanged, this, &BirthInputs::rebuildCities);
    connect(EdtYear, &QLineEdit::returnPressed, this, &BirthInputs::castRequested);
    connect(Edtname, &QLineEdit::returnPressed, this, &BirthInputs::castRequested);
    connect(ChkBuXiang, &QCheckBox::toggled, this, [this](bool unknown) {
        cbos->setEnabled(!unknown);
        cbomin->setEnabled(!unknown);
    });
    for (QLineEdit* e : {EdtYear, Edtname}) connect(e, &QLineEdit::textChanged, this, &BirthInputs::inputChanged);
    for (QComboBox* c : {cbom, cbod, cbos, cbomin, CboLi, cbodiZ, cbodiC})
        connect(c, &QComboBox::currentIndexChanged, this, &BirthInputs::inputChanged);
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{ChkBuXiang, Chkrun, Rdona, ChkLiuNian})
        connect(b, &QAbstractButton::toggled, this, &BirthInputs::inputChanged);
    // The place box follows the date itself; a place abroad leaves the Chinese place unused.
    connect(places_, &WorldPlaceBox::changed, this, [this] {
        const bool abroad = places_->abroad();
        // Back home: the Chinese place chosen last, not the 未知地 a case abroad left.
        if (abroad != wasAbroad_) {
            wasAbroad_ = abroad;
            if (!abroad && cbodiZ->currentIndex() == ProvinceTable::kUnknown && homeProvince_ >= 0)
                showPlace(homeProvince_, homeCity_);
        }
        cbodiZ->setEnabled(!abroad);
        cbodiC->setEnabled(!abroad);
        emit changed();
    });
}

void BirthInputs::inputChanged() {
    if (!places_->abroad() && cbodiZ->currentIndex() != ProvinceTable::kUnknown) {
        homeProvince_ = cbodiZ->currentIndex();
        homeCity_ = std::max(0, cbodiC->currentIndex());
    }
    // The zone hint needs the zone tables: it waits until the inputs are on screen, so that
    // setting them up at start-up reads none.
    if (isVisible()) places_->followBirth(shownBirth());
    else followPending_ = true;
    emit changed();
}

void BirthInputs::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!followPending_) return;
    followPending_ = false;
    QTimer::singleShot(0, this, [this] { places_->followBirth(shownBirth()); });
}

std::optional<ChartRequest> BirthInputs::shownBirth() const {
    const int shown = presentation::yearFromField(u8(EdtYear->text().trimmed()));
    if (!presentation::yearIsAccepted(shown)) return std::nullopt;
    ChartRequest req;
    req.year = static_cast<std::int16_t>(astronomicalYear(shown));
    req.month = static_cast<std::int16_t>(cbom->currentIndex() + 1);
    req.day = static_cast<std::int16_t>(cbod->currentIndex() + 1);
    req.hour = static_cast<std::int16_t>(cbos->currentIndex());
    req.minute = static_cast<std::int16_t>(cbomin->currentIndex());
    req.lunar = CboLi->currentIndex() == 1;
    req.leap = Chkrun->isChecked();
    req.province = static_cast<std::int16_t>(cbodiZ->currentIndex());
    return req;
}

void BirthInputs::refuseYear() {
    message(window(),
            QStringLiteral("甲命年份必须在-850到2100年之间，并且没有公元0年\r\n注意：公元前用负数，比如公元前120年，就输入-120"),
            QStringLiteral("年份错误"), QMessageBox::Warning);
}

std::optional<ChartRequest> BirthInputs::request() {
    const QString name = Edtname->text();
    if (name.isEmpty()) {
        message(window(), QStringLiteral("甲命姓名不能为空"), QStringLiteral("提示"), QMessageBox::Information);
        Edtname->setFocus();
        return std::nullopt;
    }
    if (!checkTypedText(Edtname, name, "姓名", true, QStringLiteral("提示"))) return std::nullopt;
    std::string gbk, bad;
    if (!text::utf8ToGbk(u8(name), gbk, &bad)) {
        message(window(), QStringLiteral("姓名中的“%1”无法保存，请换一个字").arg(qs(bad)), QStringLiteral("提示"),
                QMessageBox::Information);
        Edtname->setFocus();
        return std::nullopt;
    }
    std::optional<ChartRequest> req = shownBirth();
    if (!req) {
        refuseYear();
        EdtYear->setFocus();
        EdtYear->selectAll();
        return std::nullopt;
    }
    UpDyear->setPosition(req->year);
    req->name = text::truncateGbk(u8(name), presentation::kNameMaxBytes);
    keepAsTyped(qs(req->name));  // in messages and views the name stays as typed
    req->male = Rdona->isChecked();
    const int city = cbodiC->currentIndex();
    req->city = static_cast<std::int16_t>(std::max(city, 0));
    if (city >= 0 && static_cast<std::size_t>(city) < cityLon_.size()) {
        req->longitude = cityLon_[static_cast<std::size_t>(city)];
        req->latitude = cityLat_[static_cast<std::size_t>(city)];
    } else {
        req->longitude = ProvinceTable::kUnknownLongitude;
        req->latitude = ProvinceTable::kUnknownLatitude;
    }
    req->place = ProvinceTable::placeText(req->province, u8(cbodiC->currentText()));
    if (!places_->fillRequest(*req)) return std::nullopt;
    req->yearly = ChkLiuNian->isChecked();
    return req;
}

void BirthInputs::showYear(int astronomical) {
    EdtYear->setText(QString::number(displayYear(astronomical)));
    UpDyear->setPosition(astronomical);
}

void BirthInputs::showPlace(int province, int city) {
    if (!ProvinceTable::valid(province)) province = 0;
    if (cbodiZ->currentIndex() == province) rebuildCities();
    else cbodiZ->setCurrentIndex(province);  // rebuilds the cities
    pick(cbodiC, city);
}

void BirthInputs::showBirth(const ChartRequest& req) {
    showYear(req.year);
    pick(cbom, req.month - 1);
    pick(cbod, req.day - 1);
    pick(cbos, req.hour);
    pick(cbomin, req.minute);
    CboLi->setCurrentIndex(req.lunar ? 1 : 0);
    Chkrun->setChecked(req.leap);
    Edtname->setText(qs(req.name));
    setMale(req.male);
    showPlace(req.province, req.city);
}

void BirthInputs::setRequest(const ChartRequest& req) {
    showBirth(req);
    places_->showPlace(req);
}

void BirthInputs::setMoment(const DateTime& civil) {
    showYear(civil.year);
    pick(cbom, civil.month - 1);
    pick(cbod, civil.day - 1);
    pick(cbos, civil.hour);
    pick(cbomin, civil.minute);
    // The date is a civil one: a lunar setting left in the inputs would misread it.
    CboLi->setCurrentIndex(0);
    Chkrun->setChecked(false);
}

void BirthInputs::setParameters(const presentation::ChartParameters& p) {
    ChartRequest req;
    req.year = static_cast<std::int16_t>(astronomicalYear(p.year));
    req.month = static_cast<std::int16_t>(p.month);
    req.day = static_cast<std::int16_t>(p.day);
    req.hour = static_cast<std::int16_t>(p.hour);
    req.minute = static_cast<std::int16_t>(p.minute);
    req.lunar = p.kind != 1;
    req.leap = p.kind == 3;
    // The name field holds at most ten bytes; a longer pasted name is cut, never split.
    req.name = text::truncateGbk(p.name, presentation::kNameMaxBytes);
    req.male = p.male;
    // Numbers no list has stand for the first entry (not wrapped into one that exists).
    req.province = static_cast<std::int16_t>(ProvinceTable::valid(p.province) ? p.province : 0);
    req.city = static_cast<std::int16_t>(p.city >= 0 && p.city <= std::numeric_limits<std::int16_t>::max() ? p.city : 0);
    showBirth(req);
}

void BirthInputs::setMale(bool male) { (male ? Rdona : Rdonv)->setChecked(true); }
bool BirthInputs::male() const { return Rdona->isChecked(); }
void BirthInputs::setUnknownHour(bool unknown) { ChkBuXiang->setChecked(unknown); }
bool BirthInputs::unknownHour() const { return ChkBuXiang->isChecked(); }
void BirthInputs::hideYearly() {
    ChkLiuNian->setChecked(false);
    ChkLiuNian->hide();
}

DateTime BirthInputs::shownMoment() {
    int shown = shownYearOf(u8(EdtYear->text()));
    if (shownYearAccepted(shown)) UpDyear->setPosition(astronomicalYear(shown));
    else shown = displayYear(UpDyear->position());
    return DateTime{static_cast<std::int16_t>(shown), static_cast<std::int16_t>(cbom->currentIndex() + 1),
                    static_cast<std::int16_t>(cbod->currentIndex() + 1), static_cast<std::int16_t>(cbos->currentIndex()),
                    static_cast<std::int16_t>(cbomin->currentIndex())};
}

void BirthInputs::takeBeijingTime(DateTime& moment) { places_->takeBeijingTime(moment, cbodiZ->currentIndex()); }

bool BirthInputs::chooseFold(ChartRequest& req) { return places_->chooseFold(req); }

void BirthInputs::rebuildCities() {
    const int province = cbodiZ->currentIndex();
    cbodiC->clear();
    cityLon_.clear();
    cityLat_.clear();
    if (province == ProvinceTable::kUnknown || !ProvinceTable::valid(province)) {
        cbodiC->addItem(qs(ProvinceTable::name(ProvinceTable::kUnknown)));
        cityLon_.push_back(ProvinceTable::kUnknownLongitude);
        cityLat_.push_back(ProvinceTable::kUnknownLatitude);
    } else {
        text::IniFile dili(u8(datDir_ + QStringLiteral("/dili.ini")));
        if (!dili.reload()) {
            QTimer::singleShot(0, this, [this, why = qs(dili.lastError())] {
                message(window(), why, QStringLiteral("错误"), QMessageBox::Critical);
            });
        }
        const std::string section(ProvinceTable::name(province));
        QStringList names;
        for (const std::string& place : placesOf(dili, section)) {
            PlaceCoordinates pc;
            std::string error;
            if (!placeCoordinates(dili, section, place, pc, &error)) {
                // The list stops at a damaged entry, as it always has; say which one.
                QTimer::singleShot(0, this, [this, place, error] {
                    message(window(), QStringLiteral("“%1”的经纬度数据有误：%2").arg(qs(place), qs(error)),
                            QStringLiteral("错误"), QMessageBox::Critical);
                });
                break;
            }
            names << qs(place);
            cityLon_.push_back(pc.longitude);
            cityLat_.push_back(pc.latitude);
        }
        cbodiC->addItems(names);
    }
    cbodiC->setCurrentIndex(cbodiC->count() > 0 ? 0 : -1);
}

void BirthInputs::reloadCities() {
    const QString city = cbodiC->currentText();
    rebuildCities();
    const int i = cbodiC->findText(city);
    if (i >= 0) cbodiC->setCurrentIndex(i);
}

void BirthInputs::readSettings(const text::IniFile& ini) {
    showPlace(ini.readInt("winpos", "sheng", 0), ini.readInt("winpos", "shi", 0));
}

bool BirthInputs::writeSettings(text::IniEditor& e) const {
    return e.writeInt("winpos", "sheng", cbodiZ->currentIndex()) &&
           e.writeInt("winpos", "shi", std::max(0, cbodiC->currentIndex()));
}

}  // namespace hj::gui
