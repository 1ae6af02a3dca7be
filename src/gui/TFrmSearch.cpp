#include "gui/TFrmSearch.h"

#include <set>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/presentation/case_tree.h"
#include "core/presentation/chart_inputs.h"
#include "core/calendar/datetime.h"
#include "core/places/province_table.h"
#include "gui/GuiSupport.h"

namespace hj::gui {

namespace {
constexpr int kClassBytes = 13;
}  // namespace

TFrmSearch::TFrmSearch(casestore::CaseStore& store, const text::IniFile& ini, casestore::SearchCriteria& criteria,
                       QWidget* parent, const QStringList& treeClasses)
    : QDialog(parent), store_(store), c_(criteria) {
    setObjectName(QStringLiteral("FrmSearch"));
    setWindowTitle(QStringLiteral("查找命例"));

    RdoSex = named(new QGroupBox(QStringLiteral("性别"), this), "RdoSex");
    RdoSexAny = named(new QRadioButton(QStringLiteral("不分"), RdoSex), "item0");
    RdoSexMale = named(new QRadioButton(QStringLiteral("男"), RdoSex), "item1");
    RdoSexFemale = named(new QRadioButton(QStringLiteral("女"), RdoSex), "item2");
    auto* sexRow = new QHBoxLayout(RdoSex);
    for (QRadioButton* r : {RdoSexAny, RdoSexMale, RdoSexFemale}) sexRow->addWidget(r);
    cbodiZ = named(new QComboBox(this), "cbodiZ");
    cbodiZ->setMaxVisibleItems(24);
    LedtY1 = named(new QLineEdit(this), "LedtY1");
    LedtY2 = named(new QLineEdit(this), "LedtY2");
    for (QLineEdit* e : {LedtY1, LedtY2}) {
        e->setMaxLength(4);
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("-8888")) + 14);
    }
    CboFenLei = named(new QComboBox(this), "CboFenLei");
    CboFenLei->setEditable(true);
    CboFenLei->setInsertPolicy(QComboBox::NoInsert);
    CboFenLei->lineEdit()->setValidator(new GbkLimitValidator(kClassBytes, CboFenLei));
    ChkClass = named(new QCheckBox(QStringLiteral("全字匹配"), this), "ChkClass");
    Edtname = named(new QLineEdit(this), "Edtname");
    Edtname->setValidator(new GbkLimitValidator(presentation::kNameMaxBytes, Edtname));
    ChkName = named(new QCheckBox(QStringLiteral("全字匹配"), this), "ChkName");
    BtoAll = named(new QPushButton(QStringLiteral("全部"), this), "BtoAll");
    BtnSearch = named(new QPushButton(QStringLiteral("查找"), this), "BtnSearch");
    BtnSearch->setDefault(true);
    BtoCancel = named(new QPushButton(QStringLiteral("关闭"), this), "BtoCancel");
    Animate1 = named(new QProgressBar(this), "Animate1");
    Animate1->setRange(0, 0);  // a busy indicator
    Animate1->setTextVisible(false);
    Animate1->setMaximumHeight(10);
    // Its room is kept while it is hidden, so the dialog and its buttons stay put.
    QSizePolicy keep = Animate1->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    Animate1->setSizePolicy(keep);
    Animate1->hide();

    auto* grid = new QGridLayout;
    const auto label = [this](const QString& t, QWidget* buddy) {
        auto* l = new QLabel(t, this);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(RdoSex, 0, 0, 1, 4);
    grid->addWidget(label(QStringLiteral("省份"), cbodiZ), 1, 0);
    grid->addWidget(cbodiZ, 1, 1, 1, 3);
    auto* years = new QHBoxLayout;
    years->addWidget(LedtY1);
    years->addWidget(label(QStringLiteral("到"), LedtY2));
    years->addWidget(LedtY2);
    years->addStretch(1);
    grid->addWidget(label(QStringLiteral("出生年从"), LedtY1), 2, 0);
    grid->addLayout(years, 2, 1, 1, 3);
    grid->addWidget(label(QStringLiteral("类别"), CboFenLei), 3, 0);
    grid->addWidget(CboFenLei, 3, 1, 1, 2);
    grid->addWidget(ChkClass, 3, 3);
    grid->addWidget(label(QStringLiteral("姓名"), Edtname), 4, 0);
    grid->addWidget(Edtname, 4, 1, 1, 2);
    grid->addWidget(ChkName, 4, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtoAll);
    buttons->addStretch(1);
    buttons->addWidget(BtnSearch);
    buttons->addWidget(BtoCancel);
    auto* v = new QVBoxLayout(this);
    v->addLayout(grid);
    v->addWidget(Animate1);
    v->addLayout(buttons);

    // Criteria → controls.
    // The class list's classes, then those cases already have (as 分类保存 offers them).
    std::set<std::string> listed;
    for (const std::string& cls : presentation::readClassList(ini, presentation::kDefaultClass)) {
        CboFenLei->addItem(qs(cls));
        listed.insert(presentation::classKey(cls));
    }
    for (const QString& cls : treeClasses)
        if (listed.insert(presentation::classKey(u8(cls))).second) CboFenLei->addItem(cls);
    cbodiZ->addItem(QStringLiteral(" "));
    for (std::string_view p : ProvinceTable::names) cbodiZ->addItem(qs(p));
    cbodiZ->setCurrentIndex(ProvinceTable::valid(c_.province) ? c_.province + 1 : 0);
    (c_.sexOn == 0 ? RdoSexAny : (c_.sexValue == 1 ? RdoSexMale : RdoSexFemale))->setChecked(true);
    if (c_.yearOn) {
        LedtY1->setText(QString::number(displayYear(c_.yearFrom)));
        LedtY2->setText(QString::number(displayYear(c_.yearTo)));
    }
    ChkName->setChecked(c_.nameMode == casestore::kMatchEquals);
    Edtname->setText(c_.nameMode != casestore::kMatchIgnore ? qs(c_.name) : QString());
    ChkClass->setChecked(c_.classMode == casestore::kMatchEquals);
    CboFenLei->setEditText(c_.classMode != casestore::kMatchIgnore ? qs(c_.className) : QString());
    result_ = false;

    connect(BtnSearch, &QPushButton::clicked, this, &TFrmSearch::BtnSearchClick);
    connect(BtoAll, &QPushButton::clicked, this, &TFrmSearch::BtoAllClick);
    connect(BtoCancel, &QPushButton::clicked, this, &TFrmSearch::BtoCancelClick);
}

int TFrmSearch::sexItem() const { return RdoSexMale->isChecked() ? 1 : (RdoSexFemale->isChecked() ? 2 : 0); }

bool TFrmSearch::collectAndSearch() {
    c_.province = static_cast<std::int16_t>(cbodiZ->currentIndex() > 0 ? cbodiZ->currentIndex() - 1 : -1);
    const int sex = sexItem();
    c_.sexOn = sex == 0 ? 0 : 1;
    if (sex != 0) c_.sexValue = sex == 1 ? 1 : 0;
    const QString y1 = LedtY1->text().trimmed(), y2 = LedtY2->text().trimmed();
    if (y1.isEmpty() && y2.isEmpty()) {
        c_.yearOn = 0;
    } else if (y1.isEmpty() || y2.isEmpty()) {
        // A range needs both ends: name the one left empty.
        const bool noEnd = y2.isEmpty();
        message(this,
                noEnd ? QStringLiteral("只填了“出生年从”：请再填“到”的年份，或把两栏都清空")
                      : QStringLiteral("只填了“到”：请再填“出生年从”的年份，或把两栏都清空"),
                QStringLiteral("年份错误"), QMessageBox::Warning);
        (noEnd ? LedtY2 : LedtY1)->setFocus();
        return false;
    } else {
        // A refused range leaves the stored one as it was, so the dialog never reopens with a
        // range nobody typed.
        const int from = presentation::yearFromField(u8(y1)), to = presentation::yearFromField(u8(y2));
        for (auto [year, edit] : {std::pair{from, LedtY1}, std::pair{to, LedtY2}}) {
            if (!presentation::yearIsAccepted(year)) {
                message(this,
                        QStringLiteral("年份必须在-850到2100年之间，并且没有公元0年\r\n注意：公元前用负数，比如公元前120年，就输入-120"),
                        QStringLiteral("年份错误"), QMessageBox::Warning);
                edit->setFocus();
                return false;
            }
        }
        if (to < from) {
            message(this, QStringLiteral("结束年必须大于或等于起始年"), QStringLiteral("年份错误"), QMessageBox::Warning);
            LedtY2->setFocus();
            return false;
        }
        c_.yearOn = 1;
        c_.yearFrom = static_cast<std::int16_t>(astronomicalYear(from));
        c_.yearTo = static_cast<std::int16_t>(astronomicalYear(to));
    }
    if (!Edtname->text().isEmpty()) {
        c_.nameMode = ChkName->isChecked() ? casestore::kMatchEquals : casestore::kMatchContains;
        c_.name = u8(Edtname->text());
    } else {
        c_.nameMode = casestore::kMatchIgnore;
    }
    const QString cls = CboFenLei->currentText().trimmed();
    if (!cls.isEmpty()) {
        c_.classMode = ChkClass->isChecked() ? casestore::kMatchEquals : casestore::kMatchContains;
        c_.className = u8(cls);
    } else {
        c_.classMode = casestore::kMatchIgnore;
    }
    const int count = store_.recordCount();
    if (count < 0) {
        message(this, QStringLiteral("无法读取命例库：%1").arg(qs(store_.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
        return false;
    }
    if (count == 0) {
        message(this, QStringLiteral("没有记录，无从查找。"), appTitle());
        return false;
    }
    for (QPushButton* b : {BtoAll, BtnSearch, BtoCancel}) b->setEnabled(false);
    Animate1->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    found_.clear();
    const bool ok = store_.searchRecords(c_, found_);
    Animate1->hide();
    for (QPushButton* b : {BtoAll, BtnSearch, BtoCancel}) b->setEnabled(true);
    if (!ok) {
        message(this, QStringLiteral("查找失败：%1").arg(qs(store_.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
        return false;
    }
    if (found_.empty()) {
        message(this, QStringLiteral("没有找到符合条件的命例。"), QStringLiteral("信息"), QMessageBox::Information);
        return false;
    }
    return message(this, QStringLiteral("共找到%1条记录，要显示到命例列表中吗？").arg(found_.size()),
                   QStringLiteral("提示"), QMessageBox::Information,
                   QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TFrmSearch::BtnSearchClick() {
    if (!collectAndSearch()) return;
    result_ = true;
    accept();
}

void TFrmSearch::BtoAllClick() {
    if (message(this, QStringLiteral("这将清除所有输入的条件参数，以便搜索所有命例，确定吗？"), QStringLiteral("提示"),
                QMessageBox::Information, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    RdoSexAny->setChecked(true);
    LedtY1->clear();
    LedtY2->clear();
    Edtname->clear();
    ChkName->setChecked(false);
    CboFenLei->setEditText(QString());
    ChkClass->setChecked(false);
    cbodiZ->setCurrentIndex(0);
    BtnSearchClick();
}

void TFrmSearch::BtoCancelClick() {
    result_ = false;
    reject();
}

}  // namespace hj::gui
