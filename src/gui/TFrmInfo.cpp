#include "gui/TFrmInfo.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/presentation/chart_inputs.h"
#include "core/calendar/datetime.h"
#include "core/places/places.h"
#include "core/places/province_table.h"
#include "core/text/gbk.h"
#include "core/text/ini.h"
#include "gui/CaseSupport.h"
#include "gui/GuiSupport.h"

namespace hj::gui {

namespace {
constexpr int kNoteBytes = 1000;

QComboBox* listOf(QWidget* parent, const char* name, const QStringList& items) {
    auto* c = named(new QComboBox(parent), name);
    c->addItems(items);
    c->setMaxVisibleItems(24);
    return c;
}

void setIndex(QComboBox* c, int i) { c->setCurrentIndex(i >= 0 && i < c->count() ? i : 0); }
}  // namespace

TFrmInfo::TFrmInfo(const casestore::CaseRecord& record, const QString& datDir, QWidget* parent)
    : QDialog(parent), record_(record), datDir_(datDir) {
    setObjectName(QStringLiteral("FrmInfo"));
    setWindowTitle(QStringLiteral("命例信息"));

    RdoGong = named(new QRadioButton(QStringLiteral("公历"), this), "RdoGong");
    RdoNong = named(new QRadioButton(QStringLiteral("农历"), this), "RdoNong");
    auto* calendarGroup = new QButtonGroup(this);
    calendarGroup->addButton(RdoGong);
    calendarGroup->addButton(RdoNong);
    Chkrun = named(new QCheckBox(QStringLiteral("农历闰月"), this), "Chkrun");
    EdtYear = named(new QLineEdit(this), "EdtYear");
    EdtYear->setMaxLength(4);
    EdtYear->setFixedWidth(EdtYear->fontMetrics().horizontalAdvance(QStringLiteral("-8888")) + 14);
    UpDyear = named(new UpDown(this), "UpDyear");
    UpDyear->setRange(-849, presentation::kMaxShownYear);
    UpDyear->setFixedHeight(EdtYear->sizeHint().height());
    QStringList items;
    for (int m = 1; m <= 12; ++m) items << QStringLiteral("%1月").arg(m);
    cbom = listOf(this, "cbom", items);
    items.clear();
    for (int d = 1; d <= 31; ++d) items << QStringLiteral("%1日").arg(d);
    cbod = listOf(this, "cbod", items);
    items.clear();
    for (int h = 0; h < 24; ++h) items << qs(presentation::hourItemText(h));
    cbos = listOf(this, "cbos", items);
    items.clear();
    for (int m = 0; m < 60; ++m) items << QStringLiteral("%1分").arg(m);
    cbomin = listOf(this, "cbomin", items);
    Edtname = named(new QLineEdit(this), "Edtname");
    Edtname->setValidator(new GbkLimitValidator(presentation::kNameMaxBytes, Edtname));
    Rdona = named(new QRadioButton(QStringLiteral("男"), this), "Rdona");
    Rdonv = named(new QRadioButton(QStringLiteral("女"), this), "Rdonv");
    auto* sexGroup = new QButtonGroup(this);
    sexGroup->addButton(Rdona);
    sexGroup->addButton(Rdonv);
    items.clear();
    for (std::string_view p : ProvinceTable::names) items << qs(p);
    cbodiZ = listOf(this, "cbodiZ", items);
    cbodiC = listOf(this, "cbodiC", {});
    MemInfo = named(new QPlainTextEdit(this), "MemInfo");
    noteLimit_ = new GbkMemoLimit(MemInfo, kNoteBytes);
    BtnSave = named(new QPushButton(QStringLiteral("保存"), this), "BtnSave");
    BtnClose = named(new QPushButton(QStringLiteral("关闭"), this), "BtnClose");

    auto* grid = new QGridLayout;
    const auto row = [this](std::initializer_list<QWidget*> ws) {
        auto* h = new QHBoxLayout;
        for (QWidget* w : ws) h->addWidget(w);
        h->addStretch(1);
        return h;
    };
    auto* nameLabel = new QLabel(QStringLiteral("姓名"), this);
    nameLabel->setBuddy(Edtname);
    auto* yearLabel = new QLabel(QStringLiteral("年"), this);
    yearLabel->setBuddy(EdtYear);
    auto* noteLabel = new QLabel(QStringLiteral("附加信息"), this);
    noteLabel->setBuddy(MemInfo);
    grid->addLayout(row({RdoGong, RdoNong, Chkrun}), 0, 0);
    grid->addLayout(row({EdtYear, UpDyear, yearLabel, cbom, cbod, cbos, cbomin}), 1, 0);
    grid->addLayout(row({nameLabel, Edtname, Rdona, Rdonv}), 2, 0);
    grid->addLayout(row({cbodiZ, cbodiC}), 3, 0);
    auto* v = new QVBoxLayout(this);
    v->addLayout(grid);
    v->addWidget(noteLabel);
    v->addWidget(MemInfo, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtnSave);
    buttons->addWidget(BtnClose);
    v->addLayout(buttons);
    resize(460, 360);

    // Shown from the record.
    (record_.lunar == 1 ? RdoNong : RdoGong)->setChecked(true);
    Chkrun->setChecked(record_.leap == 1);
    EdtYear->setText(QString::number(displayYear(record_.year)));
    UpDyear->setPosition(record_.year);
    setIndex(cbom, record_.month - 1);
    setIndex(cbod, record_.day - 1);
    setIndex(cbos, record_.hour);
    setIndex(cbomin, record_.minute);
    Edtname->setText(qs(record_.name));
    (record_.male ? Rdona : Rdonv)->setChecked(true);
    setIndex(cbodiZ, record_.province);
    rebuildCities();
    setIndex(cbodiC, record_.city);
    noteLimit_->setText(qs(record_.note));

    connect(UpDyear, &UpDown::clicked, this,
            [this] { EdtYear->setText(QString::number(displayYear(UpDyear->position()))); });
    connect(cbodiZ, &QComboBox::currentIndexChanged, this, &TFrmInfo::rebuildCities);
    connect(BtnSave, &QPushButton::clicked, this, &TFrmInfo::BtnSaveClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TFrmInfo::rebuildCities() {
    const int province = cbodiZ->currentIndex();
    cbodiC->clear();
    if (province == ProvinceTable::kUnknown || !ProvinceTable::valid(province)) {
        cbodiC->addItem(qs(ProvinceTable::name(ProvinceTable::kUnknown)));
    } else {
        text::IniFile dili(u8(datDir_ + QStringLiteral("/dili.ini")));
        dili.reload();
        for (const std::string& place : placesOf(dili, ProvinceTable::name(province))) cbodiC->addItem(qs(place));
    }
    cbodiC->setCurrentIndex(cbodiC->count() > 0 ? 0 : -1);
}

void TFrmInfo::BtnSaveClick() {
    if (message(this, QStringLiteral("确定要保存修改吗？"), QStringLiteral("提示"), QMessageBox::Information,
                QMessageBox::Yes | QMessageBox::No) == QMessageBox::No)
        return;
    const QString name = Edtname->text();
    if (name.isEmpty()) {
        message(this, QStringLiteral("姓名不能为空"), QStringLiteral("提示"), QMessageBox::Information);
        Edtname->setFocus();
        return;
    }
    if (!checkTypedText(Edtname, name, "姓名", true, QStringLiteral("提示"))) return;
    const int shown = presentation::yearFromField(u8(EdtYear->text().trimmed()));
    if (!presentation::yearIsAccepted(shown)) {
        message(this,
                QStringLiteral("年份必须在-850到2100年之间，并且没有公元0年\r\n注意：公元前用负数，比如公元前120年，就输入-120"),
                QStringLiteral("年份错误"), QMessageBox::Warning);
        EdtYear->setFocus();
        EdtYear->selectAll();
        return;
    }
    const QString note = MemInfo->toPlainText();
    if (note.trimmed().isEmpty()) {
        message(this, QStringLiteral("附加信息不能为空"), QStringLiteral("错误"), QMessageBox::Critical);
        MemInfo->setFocus();
        return;
    }
    if (!checkTypedText(MemInfo, note, "附加信息", true, QStringLiteral("错误"))) return;
    // A note the program showed over the limit (from an old file) is cut, never split.
    std::string noteText = text::truncateGbk(u8(note), kNoteBytes);
    record_.year = static_cast<std::int16_t>(astronomicalYear(shown));
    record_.month = static_cast<std::int16_t>(cbom->currentIndex() + 1);
    record_.day = static_cast<std::int16_t>(cbod->currentIndex() + 1);
    record_.hour = static_cast<std::int16_t>(cbos->currentIndex());
    record_.minute = static_cast<std::int16_t>(cbomin->currentIndex());
    record_.lunar = RdoNong->isChecked() ? 1 : 0;
    record_.leap = Chkrun->isChecked() ? 1 : 0;
    record_.male = Rdona->isChecked() ? 1 : 0;
    record_.province = static_cast<std::int16_t>(cbodiZ->currentIndex());
    record_.city = static_cast<std::int16_t>(std::max(0, cbodiC->currentIndex()));
    record_.name = u8(name);
    record_.note = std::move(noteText);
    accept();
}

}  // namespace hj::gui
