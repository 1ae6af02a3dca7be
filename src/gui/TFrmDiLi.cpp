#include "gui/TFrmDiLi.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/places/places.h"
#include "core/places/province_table.h"
#include "gui/CaseSupport.h"
#include "gui/GuiSupport.h"

namespace hj::gui {
namespace {

// The four numbers of a stored value "lonDeg:lonMin*latDeg:latMin" as the fields show them.
QStringList valueFields(const QString& value) {
    const QString lon = value.section(QLatin1Char('*'), 0, 0);
    const QString lat = value.section(QLatin1Char('*'), 1);
    return {lon.section(QLatin1Char(':'), 0, 0).trimmed(), lon.section(QLatin1Char(':'), 1).trimmed(),
            lat.section(QLatin1Char(':'), 0, 0).trimmed(), lat.section(QLatin1Char(':'), 1).trimmed()};
}

constexpr const char* kDefaultValue = "120:0*30:0";

}  // namespace

TFrmDiLi::TFrmDiLi(const QString& datDir, QWidget* parent)
    : QDialog(parent), dili_(u8(datDir + QStringLiteral("/dili.ini"))) {
    setObjectName(QStringLiteral("FrmDiLi"));
    setWindowTitle(QStringLiteral("经纬度设置"));
    if (!dili_.reload()) {
        QTimer::singleShot(0, this, [this, why = qs(dili_.lastError())] {
            message(this, why, QStringLiteral("错误"), QMessageBox::Critical);
        });
    }

    CboSheng = new QComboBox(this);
    for (int i = 0; i < ProvinceTable::kUnknown; ++i) CboSheng->addItem(qs(ProvinceTable::name(i)));
    CboSheng->setMaxVisibleItems(20);
    LstShi = new QListWidget(this);
    const auto numberEdit = [this](int maxLen) {
        auto* e = new QLineEdit(this);
        e->setMaxLength(maxLen);
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("-0000")) + 14);
        return e;
    };
    // Four characters, not three: "-179" must fit, or a typed west longitude would be cut.
    EdtJingDu = numberEdit(4);
    EdtJingFen = numberEdit(2);
    EdtWeiDu = numberEdit(4);
    EdtWeiFen = numberEdit(2);
    EdtJingDu->setText(QStringLiteral("120"));
    EdtName = new QLineEdit(QStringLiteral("市县名"), this);
    EdtName->setMaxLength(10);
    BtnAdd = new QPushButton(QStringLiteral("增加"), this);
    BtnEdit = new QPushButton(QStringLiteral("修改"), this);
    BtnDel = new QPushButton(QStringLiteral("删除"), this);
    BtnClose = new QPushButton(QStringLiteral("关闭"), this);
    for (auto [w, name] : std::initializer_list<std::pair<QObject*, const char*>>{
             {CboSheng, "CboSheng"}, {LstShi, "LstShi"}, {EdtJingDu, "EdtJingDu"}, {EdtJingFen, "EdtJingFen"},
             {EdtWeiDu, "EdtWeiDu"}, {EdtWeiFen, "EdtWeiFen"}, {EdtName, "EdtName"}, {BtnAdd, "BtnAdd"},
             {BtnEdit, "BtnEdit"}, {BtnDel, "BtnDel"}, {BtnClose, "BtnClose"}})
        w->setObjectName(QLatin1String(name));

    auto* coords = new QGridLayout;
    const auto label = [this](const QString& t, QWidget* buddy) {
        auto* l = new QLabel(t, this);
        l->setBuddy(buddy);
        return l;
    };
    coords->addWidget(label(QStringLiteral("省份"), CboSheng), 0, 0);
    coords->addWidget(CboSheng, 0, 1, 1, 4);
    coords->addWidget(label(QStringLiteral("经度"), EdtJingDu), 1, 0);
    coords->addWidget(EdtJingDu, 1, 1);
    coords->addWidget(new QLabel(QStringLiteral("度"), this), 1, 2);
    coords->addWidget(EdtJingFen, 1, 3);
    coords->addWidget(new QLabel(QStringLiteral("分"), this), 1, 4);
    coords->addWidget(label(QStringLiteral("纬度"), EdtWeiDu), 2, 0);
    coords->addWidget(EdtWeiDu, 2, 1);
    coords->addWidget(new QLabel(QStringLiteral("度"), this), 2, 2);
    coords->addWidget(EdtWeiFen, 2, 3);
    coords->addWidget(new QLabel(QStringLiteral("分"), this), 2, 4);
    coords->addWidget(label(QStringLiteral("新地名"), EdtName), 3, 0);
    coords->addWidget(EdtName, 3, 1, 1, 4);
    coords->setColumnStretch(5, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnAdd);
    buttons->addWidget(BtnEdit);
    buttons->addWidget(BtnDel);
    buttons->addStretch(1);
    buttons->addWidget(BtnClose);

    auto* right = new QVBoxLayout;
    right->addLayout(coords);
    right->addStretch(1);
    right->addWidget(new QLabel(QStringLiteral("东经、北纬为正，西经、南纬为负。"), this));
    auto* columns = new QHBoxLayout;
    columns->addWidget(LstShi, 2);
    columns->addLayout(right, 3);
    auto* top = new QVBoxLayout(this);
    top->addLayout(columns, 1);
    top->addLayout(buttons);
    resize(520, 360);

    connect(CboSheng, &QComboBox::currentIndexChanged, this, &TFrmDiLi::CboShengChange);
    connect(LstShi, &QListWidget::currentRowChanged, this, &TFrmDiLi::LstShiClick);
    connect(BtnAdd, &QPushButton::clicked, this, &TFrmDiLi::BtnAddClick);
    connect(BtnEdit, &QPushButton::clicked, this, &TFrmDiLi::BtnEditClick);
    connect(BtnDel, &QPushButton::clicked, this, &TFrmDiLi::BtnDelClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::accept);
    CboShengChange();
}

QString TFrmDiLi::province() const { return CboSheng->currentText(); }

void TFrmDiLi::CboShengChange() {
    LstShi->clear();
    for (const std::string& place : dili_.sectionKeys(u8(province()))) LstShi->addItem(qs(place));
    if (LstShi->count() > 0) LstShi->setCurrentRow(0);
}

void TFrmDiLi::LstShiClick() {
    const QListWidgetItem* item = LstShi->currentItem();
    if (!item) return;
    const QStringList f = valueFields(qs(dili_.readString(u8(province()), u8(item->text()), kDefaultValue)));
    EdtJingDu->setText(f[0]);
    EdtJingFen->setText(f[1]);
    EdtWeiDu->setText(f[2]);
    EdtWeiFen->setText(f[3]);
}

bool TFrmDiLi::writePlace(const QString& place) {
    // The minutes take the sign typed before the degrees, so "-0" 度 "30" 分 is 0.5° west.
    DegreesMinutes lon, lat;
    const AngleFault lonFault = readDegreesMinutes(u8(EdtJingDu->text()), u8(EdtJingFen->text()), false, lon);
    if (lonFault != AngleFault::None) {
        message(this, qs(angleRangeMessage(false)), QStringLiteral("输入错误"), QMessageBox::Critical);
        (lonFault == AngleFault::Degrees ? EdtJingDu : EdtJingFen)->setFocus();
        return false;
    }
    const AngleFault latFault = readDegreesMinutes(u8(EdtWeiDu->text()), u8(EdtWeiFen->text()), true, lat);
    if (latFault != AngleFault::None) {
        message(this, qs(angleRangeMessage(true)), QStringLiteral("输入错误"), QMessageBox::Critical);
        (latFault == AngleFault::Degrees ? EdtWeiDu : EdtWeiFen)->setFocus();
        return false;
    }
    const std::string value = formatPlaceValue(lon, lat);
    if (!dili_.writeString(u8(province()), u8(place), value)) {
        message(this, QStringLiteral("地理数据未能保存：%1").arg(qs(dili_.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
        return false;
    }
    return true;
}

void TFrmDiLi::BtnAddClick() {
    const QString name = EdtName->text().trimmed();
    if (name.isEmpty()) return;
    if (!checkTypedText(EdtName, name, "地名", true, QStringLiteral("输入错误"))) return;
    // A key may not hold '=' nor open like a section or a comment: the file would read back
    // differently from what was written.
    if (name.contains(QLatin1Char('=')) || name.startsWith(QLatin1Char('[')) || name.startsWith(QLatin1Char(';'))) {
        message(this, QStringLiteral("地名不能包含“=”，也不能以“[”或“;”开头"), QStringLiteral("输入错误"),
                QMessageBox::Critical);
        EdtName->setFocus();
        return;
    }
    const bool exists = dili_.hasKey(u8(province()), u8(name));
    if (exists && !askYesNo(this, QStringLiteral("已有这个地方的地理数据，要覆盖吗？"), QStringLiteral("注意"))) return;
    if (!writePlace(name)) return;
    if (!exists) {
        LstShi->blockSignals(true);
        LstShi->addItem(name);
        LstShi->setCurrentRow(LstShi->count() - 1);
        LstShi->blockSignals(false);
    }
    message(this, QStringLiteral("完成"), appTitle());
}

void TFrmDiLi::BtnEditClick() {
    const QListWidgetItem* item = LstShi->currentItem();
    if (!item) return;
    if (!writePlace(item->text())) return;
    message(this, QStringLiteral("完成"), appTitle());
}

void TFrmDiLi::BtnDelClick() {
    const int row = LstShi->currentRow();
    if (row < 0) return;
    const QString place = LstShi->item(row)->text();
    const QString prompt = QStringLiteral("确定要删除\"%1%2\"吗？").arg(province(), place);
    if (!askYesNo(this, prompt, QStringLiteral("注意"))) return;
    if (!dili_.deleteKey(u8(province()), u8(place))) {
        message(this, QStringLiteral("地理数据未能保存：%1").arg(qs(dili_.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
        return;
    }
    delete LstShi->takeItem(row);
    message(this, QStringLiteral("完成"), appTitle());
}

}  // namespace hj::gui
