#include "gui/TFrmTestName.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "gui/GuiSupport.h"
#include "gui/TraditionalDisplay.h"

namespace hj::gui {

TFrmTestName::TFrmTestName(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmTestName"));
    setWindowTitle(QStringLiteral("巧猜姓氏"));

    auto* prompt = new QLabel(QStringLiteral("回答下表中有否你的姓"), this);
    Panel1 = new QLabel(this);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setMinimumHeight(Panel1->fontMetrics().height() + 12);

    strbjx = new QTableWidget(8, 8, this);
    strbjx->horizontalHeader()->hide();
    strbjx->verticalHeader()->hide();
    strbjx->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    strbjx->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    strbjx->setEditTriggers(QAbstractItemView::NoEditTriggers);
    strbjx->setSelectionMode(QAbstractItemView::SingleSelection);
    QFont cellFont = strbjx->font();
    cellFont.setPointSize(cellFont.pointSize() + 4);
    strbjx->setFont(cellFont);
    const QFontMetrics fm(cellFont);
    const int cellW = fm.horizontalAdvance(QStringLiteral("字")) * 2 + 8, cellH = fm.height() + 10;
    for (int i = 0; i < 8; ++i) {
        strbjx->setColumnWidth(i, cellW);
        strbjx->setRowHeight(i, cellH);
    }
    const int frame = 2 * strbjx->frameWidth();
    strbjx->setFixedSize(8 * cellW + frame, 8 * cellH + frame);
    showAsTyped(strbjx);  // surnames, never converted
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            strbjx->setItem(r, c, item);
        }

    Btnok = new QPushButton(QStringLiteral("有"), this);
    Btnno = new QPushButton(QStringLiteral("没有"), this);
    Btnres = new QPushButton(QStringLiteral("重来"), this);
    BtnClose = new QPushButton(QStringLiteral("关闭"), this);
    BtnClose->setAutoDefault(false);
    Btnok->setDefault(true);
    Btnno->setAutoDefault(false);
    Btnres->setAutoDefault(false);

    for (auto [w, name] : std::initializer_list<std::pair<QObject*, const char*>>{
             {strbjx, "strbjx"}, {Panel1, "Panel1"}, {Btnok, "Btnok"}, {Btnno, "Btnno"}, {Btnres, "Btnres"}, {BtnClose, "BtnClose"},
             {prompt, "Label1"}})
        w->setObjectName(QLatin1String(name));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Btnok);
    buttons->addWidget(Btnno);
    buttons->addWidget(Btnres);
    buttons->addSpacing(12);
    buttons->addWidget(BtnClose);
    auto* main = new QVBoxLayout(this);
    main->addWidget(prompt);
    main->addWidget(Panel1);
    main->addWidget(strbjx, 0, Qt::AlignHCenter);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    connect(Btnok, &QPushButton::clicked, this, &TFrmTestName::BtnokClick);
    connect(Btnno, &QPushButton::clicked, this, &TFrmTestName::BtnnoClick);
    connect(Btnres, &QPushButton::clicked, this, &TFrmTestName::BtnresClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
    BtnresClick();
}

void TFrmTestName::run(QWidget* parent) {
    TFrmTestName dlg(parent);
    dlg.exec();
}

void TFrmTestName::BtnokClick() { answer(true); }
void TFrmTestName::BtnnoClick() { answer(false); }

void TFrmTestName::BtnresClick() {
    game_.restart();
    Btnok->setEnabled(true);
    Btnno->setEnabled(true);
    showTable();
}

void TFrmTestName::showTable() {
    Panel1->setText(qs(game_.tableCaption()));
    const auto positions = game_.tablePositions();
    for (std::size_t k = 0; k < positions.size(); ++k)
        strbjx->item(static_cast<int>(k / 8), static_cast<int>(k % 8))->setText(qs(surnameAt(positions[k])));
    if (game_.tablesLeft() < 7) strbjx->setFocus();
}

void TFrmTestName::answer(bool yes) {
    if (game_.over()) return;
    game_.answer(yes);
    if (!game_.over()) {
        showTable();
        return;
    }
    Btnok->setEnabled(false);
    Btnno->setEnabled(false);
    if (game_.answerSum() == 0) {
        message(this, qs(kMsgSurnameUnknown), QStringLiteral("意外"), QMessageBox::Information);
        return;
    }
    keepAsTyped(qs(surnameAt(game_.answerSum())));  // 范 stays 范 in 繁體 too
    Panel1->setText(qs(game_.resultText()));
    message(this, qs(game_.resultText()), QStringLiteral("猜中"), QMessageBox::Information);
}

}  // namespace hj::gui
