#include "gui/TFrmFanTui.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "core/presentation/month_page.h"
#include "core/calendar/reverse_search.h"
#include "gui/GuiSupport.h"

namespace hj::gui {

TFrmFanTui::TFrmFanTui(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmFanTui"));
    setWindowTitle(QStringLiteral("从八字反求出生日期"));

    QStringList stems, branches;
    for (int i = 1; i <= 10; ++i) stems << qs(kStems[i % 10]);
    for (int i = 1; i <= 12; ++i) branches << qs(kBranches[i % 12]);

    auto* pillarsBox = new QGroupBox(QStringLiteral("四柱八字"), this);
    auto* grid = new QGridLayout(pillarsBox);
    static constexpr const char* kLabels[4] = {"年柱", "月柱", "日柱", "时柱"};
    for (int i = 0; i < 4; ++i) {
        auto* stem = new QComboBox(pillarsBox);
        stem->setObjectName(QStringLiteral("cbotian%1").arg(i));
        stem->addItems(stems);
        stem->setMaxVisibleItems(12);
        auto* branch = new QComboBox(pillarsBox);
        branch->setObjectName(QStringLiteral("cbodi%1").arg(i));
        branch->addItems(branches);
        branch->setMaxVisibleItems(12);
        cbotian[static_cast<std::size_t>(i)] = stem;
        cbodi[static_cast<std::size_t>(i)] = branch;
        auto* label = new QLabel(QString::fromUtf8(kLabels[i]), pillarsBox);
        label->setAlignment(Qt::AlignCenter);
        grid->addWidget(label, 0, i);
        grid->addWidget(stem, 1, i);
        grid->addWidget(branch, 2, i);
    }

    Rdona1 = new QRadioButton(QStringLiteral("男"), this);
    Rdona1->setObjectName(QStringLiteral("Rdona1"));
    Rdonv1 = new QRadioButton(QStringLiteral("女"), this);
    Rdonv1->setObjectName(QStringLiteral("Rdonv1"));
    Rdona1->setChecked(true);

    Edtyear = new QLineEdit(QStringLiteral("1950"), this);
    Edtyear->setObjectName(QStringLiteral("Edtyear"));
    Edtyear->setMaxLength(4);
    Edtyear->setFixedWidth(Edtyear->fontMetrics().horizontalAdvance(QStringLiteral("-0000")) + 16);
    Upyear = new UpDown(this);
    Upyear->setObjectName(QStringLiteral("Upyear"));
    Upyear->setRange(fantui::kFirstSearchYear + 1, fantui::kLastSearchYear);
    Upyear->setPosition(1950);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setMinimumHeight(140);
    // The memo is the searches' record: typed text would merge with the next result.
    Memo1->setReadOnly(true);

    Btncha = new QPushButton(QStringLiteral("反推"), this);
    Btncha->setObjectName(QStringLiteral("Btncha"));
    Btncha->setDefault(true);
    Btnpai = new QPushButton(QStringLiteral("测算"), this);
    Btnpai->setObjectName(QStringLiteral("Btnpai"));
    Btnpai->setEnabled(false);

    auto* startRow = new QHBoxLayout;
    startRow->addWidget(new QLabel(QStringLiteral("起始年"), this));
    startRow->addWidget(Edtyear);
    startRow->addWidget(Upyear);
    startRow->addSpacing(16);
    startRow->addWidget(Rdona1);
    startRow->addWidget(Rdonv1);
    startRow->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Btncha);
    buttons->addWidget(Btnpai);

    auto* root = new QVBoxLayout(this);
    setMinimumWidth(380);
    root->addWidget(pillarsBox);
    root->addLayout(startRow);
    root->addWidget(Memo1, 1);
    root->addLayout(buttons);

    connect(Btncha, &QPushButton::clicked, this, &TFrmFanTui::runSearch);
    connect(Btnpai, &QPushButton::clicked, this, &TFrmFanTui::BtnpaiClick);
    connect(Upyear, &UpDown::clicked, this, &TFrmFanTui::UpyearClick);
    bindYearField(Edtyear, Upyear, [](int shown) { return shown != 0 && shown >= fantui::kFirstSearchYear && shown <= fantui::kLastSearchYear; },
                  [this] {
                      const fantui::SearchResult r = fantui::startYearRefusal();
                      message(this, qs(r.message), qs(r.title), QMessageBox::Warning);
                  });
    // 测算 charts the date in the memo only while the inputs are those it was found for.
    const auto stale = [this] {
        Btnpai->setEnabled(false);
        markMemoStale(true);
    };
    for (std::size_t i = 0; i < 4; ++i) {
        connect(cbotian[i], &QComboBox::currentIndexChanged, this, stale);
        connect(cbodi[i], &QComboBox::currentIndexChanged, this, stale);
    }
    connect(Edtyear, &QLineEdit::textChanged, this, stale);
}

void TFrmFanTui::prepareSearch(const std::array<std::uint8_t, 4>& pillars, bool male) {
    for (std::size_t i = 0; i < 4; ++i) {
        const fantui::PillarChoice c = fantui::choiceOf(pillars[i]);
        cbotian[i]->setCurrentIndex(c.stem);
        cbodi[i]->setCurrentIndex(c.branch);
    }
    Upyear->setPosition(1950);
    Edtyear->setText(QStringLiteral("1950"));
    (male ? Rdona1 : Rdonv1)->setChecked(true);
    Btnpai->setEnabled(false);
}

void TFrmFanTui::UpyearClick() { Edtyear->setText(QString::number(displayYear(Upyear->position()))); }

void TFrmFanTui::runSearch() {
    fantui::SearchQuery query;
    for (std::size_t i = 0; i < 4; ++i) query.pillars[i] = {cbotian[i]->currentIndex(), cbodi[i]->currentIndex()};
    query.startYear = shownYearOf(u8(Edtyear->text()));
    const fantui::SearchResult r = fantui::runSearch(query);
    switch (r.outcome) {
    case fantui::SearchOutcome::BadYear:
        message(this, qs(r.message), qs(r.title), QMessageBox::Warning);
        Edtyear->setFocus();
        Edtyear->selectAll();
        return;
    case fantui::SearchOutcome::BadPillar:
        message(this, qs(r.message), qs(r.title), QMessageBox::Critical);
        cbotian[static_cast<std::size_t>(r.badPillar)]->setFocus();
        return;
    case fantui::SearchOutcome::Found:
    case fantui::SearchOutcome::NotFound:
        break;
    }
    Upyear->setPosition(astronomicalYear(query.startYear));

    std::string memo = u8(Memo1->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    fantui::updateMemo(r, memo);
    Memo1->setPlainText(qs(memo).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    if (r.outcome == fantui::SearchOutcome::Found) {
        found_ = r.found;
        Memo1->moveCursor(QTextCursor::End);
    }
    // The memo no longer shows an earlier find after a failure: 测算 would chart an unseen date.
    Btnpai->setEnabled(r.outcome == fantui::SearchOutcome::Found);
    markMemoStale(false);
}

void TFrmFanTui::markMemoStale(bool stale) {
    // Greyed, with a word why, while the inputs differ from those the results were found for.
    if (Memo1->property("stale").toBool() == stale) return;
    Memo1->setProperty("stale", stale);
    QPalette p = palette();
    if (stale) p.setColor(QPalette::Text, p.color(QPalette::Disabled, QPalette::Text));
    Memo1->setPalette(p);
    Memo1->setToolTip(stale ? QStringLiteral("输入已改变：以上是按先前的输入反推的结果") : QString());
}

void TFrmFanTui::BtnpaiClick() {
    male_ = Rdona1->isChecked();
    accept();
}

}  // namespace hj::gui
