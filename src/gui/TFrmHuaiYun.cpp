#include "gui/TFrmHuaiYun.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/divination/conception.h"
#include "gui/GuiSupport.h"

namespace hj::gui {

TFrmHuaiYun::TFrmHuaiYun(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmHuaiYun"));
    setWindowTitle(QStringLiteral("测怀孕"));

    auto* subtitle = new QLabel(QStringLiteral("清宫珍藏生男生女预计法"), this);
    QFont big = subtitle->font();
    big.setPointSize(big.pointSize() + 3);
    big.setBold(true);
    subtitle->setFont(big);
    subtitle->setAlignment(Qt::AlignCenter);

    LedtArg = new QLineEdit(QStringLiteral("22"), this);
    LedtArg->setMaxLength(2);
    LedtArg->setFixedWidth(LedtArg->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);
    auto* ageLabel = new QLabel(QStringLiteral("母亲年龄(虚岁)"), this);
    ageLabel->setBuddy(LedtArg);
    CboMonth = new QComboBox(this);
    for (int m = 1; m <= 12; ++m) CboMonth->addItem(QStringLiteral("%1月").arg(m));
    CboMonth->setCurrentIndex(0);
    auto* monthLabel = new QLabel(QStringLiteral("怀孕月份(农历)"), this);
    monthLabel->setBuddy(CboMonth);
    StxtOut = new QLabel(this);
    QFont out = StxtOut->font();
    out.setPointSize(out.pointSize() + 6);
    StxtOut->setFont(out);
    StxtOut->setStyleSheet(QStringLiteral("color: #c00000"));
    StxtOut->setAlignment(Qt::AlignCenter);
    StxtOut->setMinimumHeight(QFontMetrics(out).height() + 8);
    Button1 = new QPushButton(QStringLiteral("计算"), this);
    Button1->setDefault(true);

    for (auto [w, name] : std::initializer_list<std::pair<QObject*, const char*>>{
             {subtitle, "Label3"}, {LedtArg, "LedtArg"}, {CboMonth, "CboMonth"}, {StxtOut, "StxtOut"},
             {Button1, "Button1"}})
        w->setObjectName(QLatin1String(name));

    auto* form = new QGridLayout;
    form->addWidget(ageLabel, 0, 0);
    form->addWidget(LedtArg, 0, 1, Qt::AlignLeft);
    form->addWidget(monthLabel, 1, 0);
    form->addWidget(CboMonth, 1, 1, Qt::AlignLeft);
    auto* main = new QVBoxLayout(this);
    main->addWidget(subtitle);
    main->addSpacing(8);
    main->addLayout(form);
    main->addWidget(StxtOut);
    main->addWidget(Button1, 0, Qt::AlignHCenter);
    setMinimumWidth(300);

    connect(Button1, &QPushButton::clicked, this, &TFrmHuaiYun::Button1Click);
    // A result belongs to the inputs it was computed from.
    connect(LedtArg, &QLineEdit::textChanged, StxtOut, &QLabel::clear);
    connect(CboMonth, &QComboBox::currentIndexChanged, StxtOut, &QLabel::clear);
}

void TFrmHuaiYun::run(QWidget* parent) {
    TFrmHuaiYun dlg(parent);
    dlg.exec();
}

void TFrmHuaiYun::Button1Click() {
    const int age = parseMotherAge(u8(LedtArg->text()));
    bool boy = false;
    std::string error;
    if (!predictBoy(age, CboMonth->currentIndex() + 1, boy, error)) {
        message(this, qs(error), QStringLiteral("岁数"), QMessageBox::Critical);
        LedtArg->setFocus();
        return;
    }
    StxtOut->setText(qs(conceptionText(boy)));
}

}  // namespace hj::gui
