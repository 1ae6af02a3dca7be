#include "gui/TFrmSet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/presentation/chart_inputs.h"
#include "core/text/ini.h"
#include "gui/GuiSupport.h"

namespace hj::gui {

TFrmSet::TFrmSet(text::IniFile& settings, QWidget* parent) : QDialog(parent), ini_(settings) {
    setObjectName(QStringLiteral("FrmSet"));
    setWindowTitle(QStringLiteral("排盘设置"));

    GroupBox1 = new QGroupBox(QStringLiteral("八字设置"), this);
    RdoHengPai = new QRadioButton(QStringLiteral("八字横排"), GroupBox1);
    RdoShuPai = new QRadioButton(QStringLiteral("八字竖排"), GroupBox1);
    chkzishi = new QCheckBox(QStringLiteral("区分夜子时、和早子时"), GroupBox1);
    auto* g1 = new QGridLayout(GroupBox1);
    g1->addWidget(RdoHengPai, 0, 0);
    g1->addWidget(RdoShuPai, 0, 1);
    g1->addWidget(chkzishi, 1, 0, 1, 2);

    ChkSave = new QCheckBox(QStringLiteral("提示保存"), this);
    ChkDst = new QCheckBox(QStringLiteral("扣除夏令时"), this);
    ChkDst->setToolTip(QStringLiteral("出生时间按当地钟表读取：夏令时期间（如1986-1991年）减去拨快的1小时"));
    ChkFenXi = new QCheckBox(QStringLiteral("命稿排盘之后附八字分析"), this);
    ChkFenXi->setToolTip(QStringLiteral("在命稿的排盘之后加上干支合冲刑害和五行统计"));
    SpnBianJie = new QSpinBox(this);
    SpnBianJie->setRange(0, 720);
    SpnBianJie->setSuffix(QStringLiteral(" 分钟"));
    SpnBianJie->setSpecialValueText(QStringLiteral("不提示"));
    SpnBianJie->setToolTip(QStringLiteral("出生时间离换柱的时刻（节气、时辰、子时）在这么多分钟以内时，在命稿上方提示"));
    auto* bianLabel = new QLabel(QStringLiteral("边界提示"), this);
    bianLabel->setBuddy(SpnBianJie);
    LedtLeftPos = new QLineEdit(this);
    LedtLeftPos->setMaxLength(3);
    LedtLeftPos->setFixedWidth(LedtLeftPos->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);
    auto* leftLabel = new QLabel(QStringLiteral("文本左边距离"), this);
    leftLabel->setBuddy(LedtLeftPos);
    CboSelDate = new QComboBox(this);
    CboSelDate->addItems({QStringLiteral("北京时间"), QStringLiteral("真太阳时"), QStringLiteral("地方时")});
    auto* dateLabel = new QLabel(QStringLiteral("使用时间"), this);
    dateLabel->setBuddy(CboSelDate);

    RdoMingGong = new RadioGroup(QStringLiteral("命宫起法"), {QStringLiteral("按节入起"), QStringLiteral("按中气起")}, this);
    RdoZhong = new RadioGroup(QStringLiteral("八字称骨定月份"), {QStringLiteral("以节气定"), QStringLiteral("以农历定")}, this);
    RdoYue = new RadioGroup(QStringLiteral("三世相法定月份"), {QStringLiteral("以节气定"), QStringLiteral("以农历定")}, this);

    GrpMingGao = new QGroupBox(QStringLiteral("命稿内容"), this);
    ChkXingBie = new QCheckBox(QStringLiteral("按命主性别选句"), GrpMingGao);
    ChkXingBie->setToolTip(QStringLiteral("三世相法中只对男命或女命说的句子，按命主的性别给出"));
    ChkWenHe = new QCheckBox(QStringLiteral("略去寿数、死后终身和小儿关煞"), GrpMingGao);
    ChkJinNian = new QCheckBox(QStringLiteral("流年神煞从今年起"), GrpMingGao);
    CboNaYin = new QComboBox(GrpMingGao);
    CboNaYin->addItems({QStringLiteral("本程序纳音表"), QStringLiteral("通行纳音名（城头土、桑柘木…）")});
    auto* nayinLabel = new QLabel(QStringLiteral("纳音名称"), GrpMingGao);
    nayinLabel->setBuddy(CboNaYin);
    auto* g2 = new QGridLayout(GrpMingGao);
    g2->addWidget(ChkXingBie, 0, 0, 1, 2);
    g2->addWidget(ChkWenHe, 1, 0, 1, 2);
    g2->addWidget(ChkJinNian, 2, 0, 1, 2);
    g2->addWidget(nayinLabel, 3, 0);
    g2->addWidget(CboNaYin, 3, 1);
    g2->setColumnStretch(1, 1);

    Btnok = new QPushButton(QStringLiteral("确定"), this);
    Btncancel = new QPushButton(QStringLiteral("取消"), this);
    Btnok->setDefault(true);

    for (auto [w, name] : std::initializer_list<std::pair<QObject*, const char*>>{
             {GroupBox1, "GroupBox1"}, {RdoHengPai, "RdoHengPai"}, {RdoShuPai, "RdoShuPai"}, {chkzishi, "chkzishi"},
             {ChkSave, "ChkSave"}, {ChkDst, "ChkDst"}, {ChkFenXi, "ChkFenXi"}, {SpnBianJie, "SpnBianJie"}, {LedtLeftPos, "LedtLeftPos"}, {CboSelDate, "CboSelDate"},
             {RdoMingGong, "RdoMingGong"}, {RdoZhong, "RdoZhong"}, {RdoYue, "RdoYue"}, {Btnok, "Btnok"},
             {GrpMingGao, "GrpMingGao"}, {ChkXingBie, "ChkXingBie"}, {ChkWenHe, "ChkWenHe"}, {ChkJinNian, "ChkJinNian"},
             {CboNaYin, "CboNaYin"},
             {Btncancel, "Btncancel"}})
        w->setObjectName(QLatin1String(name));

    auto* form = new QGridLayout;
    form->addWidget(leftLabel, 0, 0);
    form->addWidget(LedtLeftPos, 0, 1, Qt::AlignLeft);
    form->addWidget(dateLabel, 1, 0);
    form->addWidget(CboSelDate, 1, 1, Qt::AlignLeft);
    form->addWidget(bianLabel, 2, 0);
    form->addWidget(SpnBianJie, 2, 1, Qt::AlignLeft);
    form->addWidget(ChkDst, 3, 0, 1, 2);
    form->addWidget(ChkFenXi, 4, 0, 1, 2);
    form->addWidget(ChkSave, 5, 0, 1, 2);
    form->setColumnStretch(1, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(GroupBox1);
    left->addLayout(form);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(RdoMingGong);
    right->addWidget(RdoZhong);
    right->addWidget(RdoYue);
    right->addWidget(GrpMingGao);
    right->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Btnok);
    buttons->addWidget(Btncancel);
    auto* top = new QVBoxLayout(this);
    top->addLayout(columns);
    top->addLayout(buttons);

    // Tab follows the left column top to bottom, then the right one.
    const QList<QWidget*> order{chkzishi, LedtLeftPos, CboSelDate, SpnBianJie, ChkDst, ChkFenXi, ChkSave, RdoMingGong};
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

    connect(Btnok, &QPushButton::clicked, this, &TFrmSet::BtnokClick);
    connect(Btncancel, &QPushButton::clicked, this, &QDialog::reject);
    loadKeys();
}

void TFrmSet::loadKeys() {
    // Another window or a hand edit may have changed the file since it was read. A file that
    // cannot be read now shows what was read before; saving then says why it fails.
    ini_.refresh();
    const bool heng = ini_.readInt("set", "pai", 0) == 0;
    RdoHengPai->setChecked(heng);
    RdoShuPai->setChecked(!heng);
    chkzishi->setChecked(ini_.readBool("set", "zishi", false));
    ChkSave->setChecked(ini_.readBool("set", "save", false));
    ChkDst->setChecked(ini_.readBool("set", "dst", true));
    ChkFenXi->setChecked(ini_.readBool("set", "fenxi", false));
    SpnBianJie->setValue(ini_.readInt("set", "bianjie", 30));
    ChkXingBie->setChecked(ini_.readBool("set", "xingbie", false));
    ChkWenHe->setChecked(ini_.readBool("set", "wenhe", false));
    ChkJinNian->setChecked(ini_.readBool("set", "jinnian", false));
    CboNaYin->setCurrentIndex(ini_.readInt("set", "nayin", 0) == 1 ? 1 : 0);
    LedtLeftPos->setText(QString::number(ini_.readInt("set", "leftpos", 0)));
    const int idate = ini_.readInt("set", "idate", 0);
    CboSelDate->setCurrentIndex(idate >= 0 && idate < CboSelDate->count() ? idate : 0);
    const auto pick = [](int v) { return v == 1 ? 1 : 0; };
    RdoMingGong->setItemIndex(pick(ini_.readInt("set", "mgong", 0)));
    RdoZhong->setItemIndex(pick(ini_.readInt("set", "zhong", 1)));
    RdoYue->setItemIndex(pick(ini_.readInt("set", "yue", 1)));
}

void TFrmSet::BtnokClick() {
    const int left = presentation::intFromField(u8(LedtLeftPos->text()), -1);
    if (left < 0 || left > 500) {
        message(this, QStringLiteral("文本左边距离在0-500之间"), QStringLiteral("输入错误"), QMessageBox::Critical);
        LedtLeftPos->setFocus();
        LedtLeftPos->selectAll();
        return;
    }
    // One locked reread-and-change of the file: keys this dialog does not show, and keys
    // another window wrote meanwhile, stay as they are on disk.
    const int pai = RdoHengPai->isChecked() ? 0 : 1;
    const bool ok = ini_.update([&](text::IniEditor& e) {
        // Keys the program added later are written only once they depart from their defaults,
        // so that a file saved with the default options keeps exactly its old keys.
        const auto writeAdded = [&e](const char* key, int value, int byDefault) {
            return (value == byDefault && !e.hasKey("set", key)) || e.writeInt("set", key, value);
        };
        return e.writeInt("set", "leftpos", left) && e.writeBool("set", "zishi", chkzishi->isChecked()) &&
               e.writeInt("set", "mgong", RdoMingGong->itemIndex()) && e.writeInt("set", "pai", pai) &&
               e.writeInt("set", "idate", CboSelDate->currentIndex()) &&
               e.writeBool("set", "save", ChkSave->isChecked()) &&
               e.writeInt("set", "zhong", RdoZhong->itemIndex()) && e.writeInt("set", "yue", RdoYue->itemIndex()) &&
               writeAdded("dst", ChkDst->isChecked() ? 1 : 0, 1) &&
               writeAdded("fenxi", ChkFenXi->isChecked() ? 1 : 0, 0) &&
               writeAdded("bianjie", SpnBianJie->value(), 30) &&
               writeAdded("xingbie", ChkXingBie->isChecked() ? 1 : 0, 0) &&
               writeAdded("wenhe", ChkWenHe->isChecked() ? 1 : 0, 0) &&
               writeAdded("jinnian", ChkJinNian->isChecked() ? 1 : 0, 0) &&
               writeAdded("nayin", CboNaYin->currentIndex(), 0);
    });
    if (!ok) {
        message(this, QStringLiteral("设置未能保存：%1").arg(qs(ini_.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
        return;
    }
    accept();
}

}  // namespace hj::gui
