#include "gui/JudgementPanel.h"

#include <QComboBox>
#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/calendar/datetime.h"
#include "core/card/chart_card.h"
#include "core/chart/derived.h"

namespace hj::gui {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }
QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QString el(int e) { return qs(kElementNames[e]); }

bool favourable(judgement::Role r) { return r == judgement::Role::Yong || r == judgement::Role::Xi; }
bool adverse(judgement::Role r) { return r == judgement::Role::Ji || r == judgement::Role::Chou; }

QTreeWidgetItem* section(QTreeWidget* list, const QString& name, const QString& value, const QString& reason) {
    auto* it = new QTreeWidgetItem(list, {name, value, reason});
    QFont f = it->font(0);
    f.setBold(true);
    it->setFont(0, f);
    it->setFont(1, f);
    it->setToolTip(2, reason);
    return it;
}

}  // namespace

const QColor& JudgementPanel::favourableColor() {
    static const QColor c(0x1A, 0x7F, 0x37);
    return c;
}

const QColor& JudgementPanel::adverseColor() {
    static const QColor c(0xC0, 0x20, 0x20);
    return c;
}

JudgementPanel::JudgementPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("JudgementPanel"));
    LblSummary = new QLabel(this);
    LblSummary->setObjectName(QStringLiteral("LblSummary"));
    LblSummary->setWordWrap(true);
    LblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont f = LblSummary->font();
    f.setBold(true);
    LblSummary->setFont(f);

    CboTiaohou = new QComboBox(this);
    CboTiaohou->setObjectName(QStringLiteral("CboTiaohou"));
    CboTiaohou->addItems({QStringLiteral("调候只作参考"), QStringLiteral("扶抑悖时令时调候为先"), QStringLiteral("寒暖之月调候为先")});
    CboTiaohou->setCurrentIndex(static_cast<int>(judgement::TiaohouRule::WhenOpposed));
    auto* tiaohouLabel = new QLabel(QStringLiteral("调候(&T)"), this);
    tiaohouLabel->setBuddy(CboTiaohou);
    auto* row = new QHBoxLayout;
    row->addWidget(tiaohouLabel);
    row->addWidget(CboTiaohou, 1);

    LstSteps = new QTreeWidget(this);
    LstSteps->setObjectName(QStringLiteral("LstSteps"));
    LstSteps->setHeaderLabels({QStringLiteral("项"), QStringLiteral("取"), QStringLiteral("理由")});
    LstSteps->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    LstSteps->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    LstSteps->header()->setStretchLastSection(true);
    LstSteps->setWordWrap(true);

    LblDetail = new QLabel(this);
    LblDetail->setObjectName(QStringLiteral("LblDetail"));
    LblDetail->setWordWrap(true);
    LblDetail->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    LblDetail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LblDetail->setFrameShape(QFrame::StyledPanel);
    connect(LstSteps, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* it) {
        LblDetail->setText(it ? it->text(0) + QLatin1Char(' ') + it->text(1) + QStringLiteral("：") + it->text(2) : QString());
    });

    auto* note = new QLabel(qs(judgement::kTraditionalNote), this);
    note->setObjectName(QStringLiteral("LblNote"));
    note->setWordWrap(true);
    note->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(6, 6, 6, 6);
    v->addWidget(LblSummary);
    v->addLayout(row);
    v->addWidget(LstSteps, 1);
    v->addWidget(LblDetail);
    v->addWidget(note);

    year_ = QDate::currentDate().year();
    connect(CboTiaohou, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    clearChart();
}

void JudgementPanel::showChart(const Chart& chart) {
    chart_ = chart;
    luck_ = 0;
    refresh();
}

void JudgementPanel::clearChart() {
    chart_.reset();
    current_.reset();
    LstSteps->clear();
    LblDetail->clear();
    LblSummary->setText(QStringLiteral("（无命盘）"));
    CboTiaohou->setEnabled(false);
}

void JudgementPanel::setChoice(int luck, bool withYear, int year) {
    luck_ = luck;
    if (withYear) year_ = year;
    refresh();
}

void JudgementPanel::refresh() {
    if (!chart_) return;
    const Chart& c = *chart_;
    CboTiaohou->setEnabled(true);
    int chosen = luck_ - 1;
    if (chosen < 0) chosen = std::max(0, card::luckRunningIn(c, year_));
    judgement::Options options;
    options.tiaohou = static_cast<judgement::TiaohouRule>(CboTiaohou->currentIndex());
    current_ = judgement::judgeChart(c, chosen, card::luckStartYear(c, chosen), options);
    const judgement::Judgement& j = current_->judgement;
    LblSummary->setText(qs(judgement::summaryLine(j)));

    LstSteps->clear();
    const judgement::Strength& s = j.strength;
    auto* strength = section(LstSteps, QStringLiteral("强弱"),
                             qs(judgement::verdictName(s.verdict)) + QLatin1Char(' ') + qs(judgement::scoreText(s.score)),
                             QStringLiteral("日主") + qs(kStems[j.dayStem]) + el(j.dayElement) + QStringLiteral("，各项得分之和"));
    for (const judgement::Factor& f : s.factors) {
        if (f.weight == 0) continue;
        auto* it = new QTreeWidgetItem(strength, {qs(f.factor) + QLatin1Char(' ') + qs(f.pillar) + qs(f.chars),
                                                  qs(judgement::scoreText(f.weight)), qs(f.reason)});
        it->setForeground(1, f.weight > 0 ? favourableColor() : adverseColor());
        it->setToolTip(2, qs(f.reason));
    }
    const judgement::Pattern& p = j.pattern;
    section(LstSteps, QStringLiteral("格局"),
            qs(p.name) + (p.kind == judgement::PatternKind::Regular ? (p.broken ? QStringLiteral(" 破") : QStringLiteral(" 成"))
                                                                    : QLatin1Char(' ') + qs(judgement::patternKindName(p.kind))),
            qs(p.reason));
    const judgement::Useful& u = j.useful;
    auto* useful = section(LstSteps, QStringLiteral("用神"), el(u.yong) + QStringLiteral("（") + qs(u.method) + QStringLiteral("）"),
                           qs(u.reason));
    new QTreeWidgetItem(useful, {QStringLiteral("喜 忌"), el(u.xi) + QLatin1Char(' ') + el(u.ji),
                                 QStringLiteral("仇 ") + el(u.chou) + QStringLiteral("  闲 ") + el(u.xian)});
    if (j.tiaohou) {
        QString stems;
        for (int st : j.tiaohou->stems) stems += qs(kStems[st]);
        section(LstSteps, QStringLiteral("调候"), stems, qs(j.tiaohou->reason));
    }
    auto reading = [](QTreeWidgetItem* parent, const QString& name, const judgement::PillarReading& r) {
        const QString roles = QStringLiteral("干") + qs(judgement::roleName(r.stem)) + QStringLiteral(" 支") + qs(judgement::roleName(r.branch));
        QStringList notes;
        for (const std::string& n : r.notes) notes << qs(n);
        auto* it = new QTreeWidgetItem(parent, {name, roles, notes.join(QStringLiteral("；"))});
        const int good = favourable(r.stem) + favourable(r.branch), bad = adverse(r.stem) + adverse(r.branch);
        if (good != bad) it->setForeground(1, good > bad ? favourableColor() : adverseColor());
        return it;
    };
    auto* luck = section(LstSteps, QStringLiteral("大运"), QString(), QStringLiteral("干支所带五行对用神之喜忌"));
    for (std::size_t i = 0; i < current_->luck.size(); ++i) {
        auto* it = reading(luck, qs(pillarName(current_->luck[i].pillar)) + QStringLiteral(" ") +
                                     QString::number(displayYear(card::luckStartYear(c, static_cast<int>(i)))),
                           current_->luck[i]);
        if (static_cast<int>(i) == current_->chosenLuck) {
            QFont f = it->font(0);
            f.setBold(true);
            it->setFont(0, f);
        }
    }
    auto* years = section(LstSteps, QStringLiteral("流年"), qs(pillarName(c.luck.pillars[current_->chosenLuck])),
                          QStringLiteral("所选大运之十年"));
    for (const judgement::PillarReading& r : current_->years)
        reading(years, QString::number(displayYear(r.year)) + QLatin1Char(' ') + qs(pillarName(r.pillar)), r);
    LstSteps->expandAll();
    LstSteps->setCurrentItem(LstSteps->topLevelItem(0));
}

}  // namespace hj::gui
