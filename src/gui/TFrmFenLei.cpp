#include "gui/TFrmFenLei.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <set>

#include "core/presentation/case_tree.h"
#include "gui/CaseSupport.h"
#include "gui/GuiSupport.h"
#include "gui/TraditionalDisplay.h"

namespace hj::gui {

namespace {
constexpr int kClassBytes = 13;
constexpr int kNoteBytes = 801;
}  // namespace

TFrmFenLei::TFrmFenLei(const text::IniFile& ini, QWidget* parent, const QStringList& treeClasses) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmFenLei"));
    setWindowTitle(QStringLiteral("分类保存"));
    CboFenLei = new QComboBox(this);
    CboFenLei->setObjectName(QStringLiteral("CboFenLei"));
    CboFenLei->setEditable(true);
    CboFenLei->setInsertPolicy(QComboBox::NoInsert);
    CboFenLei->setMaxVisibleItems(20);
    std::set<std::string> listed;
    for (const std::string& c : presentation::readClassList(ini, presentation::kDefaultClass)) {
        CboFenLei->addItem(qs(c));
        listed.insert(presentation::classKey(c));
    }
    // Classes cases already have, so that nobody retypes 朋友 for every case.
    for (const QString& c : treeClasses)
        if (listed.insert(presentation::classKey(u8(c))).second) CboFenLei->addItem(c);
    CboFenLei->setCurrentIndex(CboFenLei->count() > 0 ? 0 : -1);
    CboFenLei->lineEdit()->setValidator(new GbkLimitValidator(kClassBytes, CboFenLei));
    showAsTyped(CboFenLei);  // class names, never converted
    MemInfo = new QPlainTextEdit(this);
    MemInfo->setObjectName(QStringLiteral("MemInfo"));
    auto* limit = new GbkMemoLimit(MemInfo, kNoteBytes);
    limit->setText(shownText(QStringLiteral("备注:"), MemInfo));  // the program's word, in the script shown
    BtnOk = new QPushButton(QStringLiteral("确定"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("取消"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));

    auto* grid = new QGridLayout(this);
    auto* l1 = new QLabel(QStringLiteral("保存类别"), this);
    l1->setBuddy(CboFenLei);
    auto* l2 = new QLabel(QStringLiteral("附加信息"), this);
    l2->setBuddy(MemInfo);
    grid->addWidget(l1, 0, 0);
    grid->addWidget(CboFenLei, 0, 1);
    grid->addWidget(l2, 1, 0, Qt::AlignTop);
    grid->addWidget(MemInfo, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);
    grid->addLayout(buttons, 2, 0, 1, 2);
    resize(360, 240);

    connect(BtnOk, &QPushButton::clicked, this, &TFrmFenLei::BtnOkClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFrmFenLei::BtnOkClick() {
    const QString cls = CboFenLei->currentText().trimmed();
    const QString note = MemInfo->toPlainText().trimmed();
    if (cls.isEmpty()) {
        message(this, QStringLiteral("类别名不能为空"), QStringLiteral("错误"), QMessageBox::Critical);
        CboFenLei->setFocus();
        return;
    }
    if (note.isEmpty()) {
        message(this, QStringLiteral("附加信息不能为空"), QStringLiteral("错误"), QMessageBox::Critical);
        MemInfo->setFocus();
        return;
    }
    if (!checkTypedText(CboFenLei, cls, "类别名", true, QStringLiteral("错误")) ||
        !checkTypedText(MemInfo, note, "附加信息", true, QStringLiteral("错误")))
        return;
    className_ = cls;
    note_ = note;
    accept();
}

}  // namespace hj::gui
