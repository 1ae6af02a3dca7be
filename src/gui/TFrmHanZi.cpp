#include "gui/TFrmHanZi.h"

#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/divination/stroke_dictionary.h"
#include "gui/GuiSupport.h"
#include "gui/TraditionalDisplay.h"

namespace hj::gui {

TFrmHanZi::TFrmHanZi(const QString& dataRoot, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmHanZi"));
    setWindowTitle(QStringLiteral("姓名与五行"));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* panel1 = new QFrame(this);
    panel1->setFrameShape(QFrame::StyledPanel);
    RdoDang = new QRadioButton(QStringLiteral("单姓"), panel1);
    RdoFu = new QRadioButton(QStringLiteral("复姓"), panel1);
    RdoDang->setChecked(true);
    LedtName = new QLineEdit(panel1);
    LedtName->setValidator(new GbkLimitValidator(8, LedtName));
    auto* nameLabel = new QLabel(QStringLiteral("姓名"), panel1);
    nameLabel->setBuddy(LedtName);
    Btowg = new QPushButton(QStringLiteral("求五格"), panel1);
    auto* l1 = new QHBoxLayout(panel1);
    l1->addWidget(RdoDang);
    l1->addWidget(RdoFu);
    l1->addSpacing(12);
    l1->addWidget(nameLabel);
    l1->addWidget(LedtName, 1);
    l1->addWidget(Btowg);

    auto* panel2 = new QFrame(this);
    panel2->setFrameShape(QFrame::StyledPanel);
    QRadioButton** elements[5] = {&RadioButton3, &RadioButton4, &RadioButton5, &RadioButton6, &RadioButton7};
    auto* l2 = new QHBoxLayout(panel2);
    for (int i = 0; i < 5; ++i) {
        *elements[i] = new QRadioButton(QString::fromUtf8(elementName(i).data(), 3), panel2);
        (*elements[i])->setProperty("tag", i);
        (*elements[i])->setObjectName(QStringLiteral("RadioButton%1").arg(i + 3));
        l2->addWidget(*elements[i]);
    }
    RadioButton3->setChecked(true);
    LedtWord = new QLineEdit(panel2);
    LedtWord->setValidator(new GbkLimitValidator(2, LedtWord));
    LedtWord->setFixedWidth(LedtWord->fontMetrics().horizontalAdvance(QStringLiteral("字字")) + 16);
    auto* wordLabel = new QLabel(QStringLiteral("单字"), panel2);
    wordLabel->setBuddy(LedtWord);
    BtoWord = new QPushButton(QStringLiteral("计算"), panel2);
    BtoSearch = new QPushButton(QStringLiteral("字库查找"), panel2);
    l2->addSpacing(12);
    l2->addWidget(wordLabel);
    l2->addWidget(LedtWord);
    l2->addWidget(BtoWord);
    l2->addWidget(BtoSearch);
    l2->addStretch(1);

    for (auto [w, name] : std::initializer_list<std::pair<QObject*, const char*>>{
             {Memo1, "Memo1"}, {panel1, "Panel1"}, {panel2, "Panel2"}, {RdoDang, "RdoDang"}, {RdoFu, "RdoFu"},
             {LedtName, "LedtName"}, {Btowg, "Btowg"}, {LedtWord, "LedtWord"}, {BtoWord, "BtoWord"},
             {BtoSearch, "BtoSearch"}})
        w->setObjectName(QLatin1String(name));

    auto* main = new QVBoxLayout(this);
    main->addWidget(Memo1, 1);
    main->addWidget(panel1);
    main->addWidget(panel2);
    resize(560, 440);

    connect(Btowg, &QPushButton::clicked, this, &TFrmHanZi::BtowgClick);
    connect(BtoWord, &QPushButton::clicked, this, &TFrmHanZi::BtoWordClick);
    connect(BtoSearch, &QPushButton::clicked, this, &TFrmHanZi::BtoSearchClick);
    connect(LedtName, &QLineEdit::returnPressed, this, &TFrmHanZi::BtowgClick);
    connect(LedtWord, &QLineEdit::returnPressed, this, &TFrmHanZi::BtoWordClick);
    // Enter in an edit runs its own command, not a default button.
    for (auto* b : {Btowg, BtoWord, BtoSearch}) b->setAutoDefault(false);

    path_ = dataRoot + QStringLiteral("/dat/hzlen.dat");
}

void TFrmHanZi::run(QWidget* parent, const QString& dataRoot) {
    TFrmHanZi dlg(dataRoot, parent);
    dlg.exec();
}

void TFrmHanZi::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (checkedFile_) return;
    checkedFile_ = true;
    // After the window is up, so that the message has it as its owner.
    QTimer::singleShot(0, this, &TFrmHanZi::FormCreate);
}

void TFrmHanZi::FormCreate() {
    if (!QFileInfo(path_).isFile())
        message(this, qs(kMsgDictionaryMissing), QStringLiteral("错误"), QMessageBox::Critical);
}

void TFrmHanZi::BtowgClick() {
    StrokeDictionary dict(u8(path_));
    NameGrids g;
    const std::string name = u8(LedtName->text());
    if (!dict.computeGrids(name, RdoDang->isChecked(), g)) {
        message(this, qs(dict.errorText()), QStringLiteral("错误"), QMessageBox::Critical);
        LedtName->setFocus();
        return;
    }
    // The name and its characters stay as typed in 繁體 too.
    keepAsTyped(qs(name));
    for (int i = 0; i < g.count; ++i) keepAsTyped(qs(g.characters[static_cast<std::size_t>(i)]));
    Memo1->setPlainText(qs(gridsText(name, g)));
}

void TFrmHanZi::BtoWordClick() {
    StrokeDictionary dict(u8(path_));
    const std::string ch = u8(LedtWord->text());
    const int n = dict.strokesOf(ch);
    if (n == 0) {
        message(this, qs(dict.errorText()), QStringLiteral("错误"), QMessageBox::Critical);
        LedtWord->setFocus();
        return;
    }
    keepAsTyped(qs(ch));
    Memo1->setPlainText(qs(characterText(ch, n)));
}

void TFrmHanZi::BtoSearchClick() {
    int element = 0;
    for (auto* b : {RadioButton3, RadioButton4, RadioButton5, RadioButton6, RadioButton7})
        if (b->isChecked()) element = b->property("tag").toInt();
    StrokeDictionary dict(u8(path_));
    std::string text;
    if (!dict.listCharactersOfElement(element, text)) {
        message(this, qs(dict.errorText()), QStringLiteral("错误"), QMessageBox::Critical);
        return;
    }
    Memo1->setPlainText(qs(text));
}

}  // namespace hj::gui
