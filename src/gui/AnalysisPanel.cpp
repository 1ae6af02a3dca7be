#include "gui/AnalysisPanel.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/calendar/datetime.h"
#include "core/chart/chart.h"
#include "core/chart/derived.h"

namespace hj::gui {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }
QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The years a chart can name, as shown (no year 0).
constexpr int kFirstShownYear = -850, kLastShownYear = 2100;

// The five elements in short lines that fit the narrow dock:
//   五行：木1 火3 土3 金0 水1
//   缺：金
//   藏干：木 乙  火 丁丁  土 己己
//   　　　金 无  水 癸
//   十神：比1 劫3 食0 伤0 才0
//   　　　财1 杀0 官1 枭1 印2
QString elementLines(const analysis::ElementBalance& e) {
    const QString indent = QStringLiteral("\n　　　");
    QString t = QStringLiteral("五行：");
    for (int el : analysis::kShownElementOrder)
        t += qs(kElementNames[el]) + QString::number(e.visible[el]) + (el == analysis::kShownElementOrder[4] ? "" : " ");
    t += QStringLiteral("\n缺：");
    if (e.missing.empty()) t += QStringLiteral("无");
    for (int el : e.missing) t += qs(kElementNames[el]);
    t += QStringLiteral("\n藏干：");
    for (int k = 0; k < 5; ++k) {
        const int el = analysis::kShownElementOrder[k];
        if (k == 3) t += indent;
        else if (k > 0) t += QStringLiteral("  ");
        t += qs(kElementNames[el]) + QLatin1Char(' ');
        if (e.hiddenStems[el].empty()) t += QStringLiteral("无");
        for (int stem : e.hiddenStems[el]) t += qs(kStems[stem]);
    }
    t += QStringLiteral("\n十神：");
    for (int g = 0; g < 10; ++g) {
        if (g == 5) t += indent;
        else if (g > 0) t += QLatin1Char(' ');
        t += qs(kTenGodShort[g]) + QString::number(e.tenGods[g]);
    }
    return t;
}

}  // namespace

const QColor& AnalysisPanel::favourableColor() {
    static const QColor c(0x1A, 0x7F, 0x37);
    return c;
}

const QColor& AnalysisPanel::clashColor() {
    static const QColor c(0xC0, 0x20, 0x20);
    return c;
}

AnalysisPanel::AnalysisPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("AnalysisPanel"));
    LblPillars = new QLabel(this);
    LblPillars->setObjectName(QStringLiteral("LblPillars"));
    LblPillars->setTextInteractionFlags(Qt::TextSelectableByMouse);

    CboLuck = new QComboBox(this);
    CboLuck->setObjectName(QStringLiteral("CboLuck"));
    // As wide as its longest text (a dozen characters): the dock never cuts a luck pillar's years.
    CboLuck->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* luckLabel = new QLabel(QStringLiteral("大运(&Y)"), this);
    luckLabel->setBuddy(CboLuck);
    ChkYear = new QCheckBox(QStringLiteral("看流年(&N)"), this);
    ChkYear->setObjectName(QStringLiteral("ChkYear"));
    SpnYear = new QSpinBox(this);
    SpnYear->setObjectName(QStringLiteral("SpnYear"));
    SpnYear->setRange(kFirstShownYear, kLastShownYear);
    SpnYear->setKeyboardTracking(false);  // a typed year counts when complete
    SpnYear->setValue(std::clamp(QDate::currentDate().year(), 1, kLastShownYear));
    CboMonth = new QComboBox(this);
    CboMonth->setObjectName(QStringLiteral("CboMonth"));
    CboMonth->setAccessibleName(QStringLiteral("流月"));
    CboMonth->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CboMonth->setMinimumContentsLength(8);
    CboMonth->addItem(QStringLiteral("不看流月"));
    for (int m = 1; m <= 12; ++m) CboMonth->addItem(QString());

    auto* monthLabel = new QLabel(QStringLiteral("流月(&M)"), this);
    monthLabel->setBuddy(CboMonth);

    auto* luckRow = new QHBoxLayout;
    luckRow->addWidget(luckLabel);
    luckRow->addWidget(CboLuck, 1);
    auto* yearRow = new QHBoxLayout;
    yearRow->addWidget(ChkYear);
    yearRow->addWidget(SpnYear);
    yearRow->addStretch(1);
    // The month has a row of its own under its year: beside it, "十二月 丁丑" would be cut
    // off in a narrow dock.
    auto* monthRow = new QHBoxLayout;
    monthRow->addWidget(monthLabel);
    monthRow->addWidget(CboMonth, 1);

    LblElements = new QLabel(this);
    LblElements->setObjectName(QStringLiteral("LblElements"));
    LblElements->setWordWrap(true);
    LblElements->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    LblElements->setTextInteractionFlags(Qt::TextSelectableByMouse);

    LstRelations = new QTreeWidget(this);
    LstRelations->setObjectName(QStringLiteral("LstRelations"));
    LstRelations->setRootIsDecorated(false);
    LstRelations->setHeaderLabels({QStringLiteral("关系"), QStringLiteral("干支"), QStringLiteral("柱"), QStringLiteral("五行")});
    LstRelations->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    LstRelations->header()->setStretchLastSection(true);

    auto* legend = new QLabel(this);
    legend->setObjectName(QStringLiteral("LblLegend"));
    legend->setText(QStringLiteral("<span style='color:%1'>■ 合、会</span>&nbsp;&nbsp;<span style='color:%2'>■ 冲、刑、害、破</span>")
                        .arg(favourableColor().name(), clashColor().name()));

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(6, 6, 6, 6);
    v->addWidget(LblPillars);
    v->addLayout(luckRow);
    v->addLayout(yearRow);
    v->addLayout(monthRow);
    v->addWidget(LblElements);
    v->addWidget(LstRelations, 1);
    v->addWidget(legend);

    connect(CboLuck, &QComboBox::currentIndexChanged, this, &AnalysisPanel::luckChosen);
    connect(ChkYear, &QCheckBox::toggled, this, [this](bool on) {
        SpnYear->setEnabled(on && valid_);
        CboMonth->setEnabled(on && valid_);
        refresh();
    });
    connect(CboMonth, &QComboBox::currentIndexChanged, this, &AnalysisPanel::refresh);
    connect(SpnYear, &QSpinBox::valueChanged, this, &AnalysisPanel::yearEdited);
    fillMonths();
    clearChart();
}

QSize AnalysisPanel::sizeHint() const {
    // Room for the ten-god line; the labels wrap below that.
    return {fontMetrics().horizontalAdvance(QStringLiteral("十神：比1 劫1 食1 伤1 才1 财1 杀1")) + 12,
            QWidget::sizeHint().height()};
}

void AnalysisPanel::showChart(const Chart& chart) {
    pillars_ = analysis::chartPillarsOf(chart);
    valid_ = true;
    const int shownYear = std::clamp(QDate::currentDate().year(), 1, kLastShownYear);
    int running = 0;
    const QSignalBlocker luckBlock(CboLuck), chkBlock(ChkYear), yearBlock(SpnYear), monthBlock(CboMonth);
    CboLuck->clear();
    CboLuck->addItem(QStringLiteral("不看大运"));
    for (int i = 0; i < 8; ++i) {
        luckYears_[i] = displayYear(chart.birthLocal.year) + chart.luck.startAge - 1 + 10 * i;
        if (luckYears_[i] <= shownYear) running = i + 1;
        CboLuck->addItem(QStringLiteral("%1 %2 %3岁 %4年")
                             .arg(i + 1)
                             .arg(qs(pillarName(pillars_.luck[i])))
                             .arg(chart.luck.startAge + 10 * i)
                             .arg(luckYears_[i]));
    }
    // Past the eighth pillar's ten years no luck pillar runs.
    if (running == 8 && shownYear >= luckYears_[7] + 10) running = 0;
    // The list's smallest width follows its texts too (the toolkit keeps the one of an empty
    // list): the narrowest dock still shows a whole luck pillar with its years.
    CboLuck->setMinimumWidth(CboLuck->sizeHint().width());
    CboLuck->setCurrentIndex(running);
    ChkYear->setChecked(true);
    SpnYear->setValue(shownYear);
    lastShownYear_ = shownYear;
    fillMonths();
    CboMonth->setCurrentIndex(0);
    CboLuck->setEnabled(true);
    ChkYear->setEnabled(true);
    SpnYear->setEnabled(true);
    CboMonth->setEnabled(true);
    refresh();
}

void AnalysisPanel::clearChart() {
    valid_ = false;
    current_ = analysis::ChartAnalysis{};
    const QSignalBlocker luckBlock(CboLuck);
    CboLuck->clear();
    CboLuck->addItem(QStringLiteral("不看大运"));
    CboLuck->setEnabled(false);
    ChkYear->setEnabled(false);
    SpnYear->setEnabled(false);
    CboMonth->setEnabled(false);
    LblPillars->setText(QStringLiteral("（尚无命盘）"));
    LblElements->clear();
    LstRelations->clear();
}

void AnalysisPanel::luckChosen(int index) {
    // The year follows into the chosen luck pillar's ten years, at the first of them.
    if (valid_ && index >= 1 && index <= 8) {
        const int first = luckYears_[static_cast<std::size_t>(index - 1)];
        const int shown = SpnYear->value();
        if (shown < first || shown > first + 9) {
            const QSignalBlocker block(SpnYear);
            SpnYear->setValue(std::clamp(first == 0 ? 1 : first, kFirstShownYear, kLastShownYear));
            lastShownYear_ = SpnYear->value();
            fillMonths();
        }
    }
    refresh();
}

void AnalysisPanel::yearEdited(int shown) {
    if (shown == 0) {
        // No year 0: step on past it in the direction of travel.
        SpnYear->setValue(lastShownYear_ < 0 ? 1 : -1);
        return;
    }
    lastShownYear_ = shown;
    // The luck pillar follows the year as the year follows it: a luck pillar beside a year
    // outside its ten years would be read together though they never meet.
    const int luck = CboLuck->currentIndex();
    if (valid_ && luck >= 1 && luck <= 8) {
        const int first = luckYears_[static_cast<std::size_t>(luck - 1)];
        if (shown < first || shown > first + 9) {
            int running = 0;
            for (int i = 0; i < 8; ++i)
                if (shown >= luckYears_[static_cast<std::size_t>(i)] && shown <= luckYears_[static_cast<std::size_t>(i)] + 9)
                    running = i + 1;
            const QSignalBlocker block(CboLuck);
            CboLuck->setCurrentIndex(running);
        }
    }
    fillMonths();
    refresh();
}

void AnalysisPanel::fillMonths() {
    // The months follow the year; the chosen month stays chosen.
    const int year = astronomicalYear(SpnYear->value());
    for (int m = 1; m <= 12; ++m)
        CboMonth->setItemText(m, qs(analysis::flowingMonthName(m)) + QLatin1Char(' ') +
                                     qs(pillarName(analysis::flowingMonthPillarOf(year, m))));
}

void AnalysisPanel::refresh() {
    if (!valid_) return;
    analysis::AnalysisOptions options;
    options.luck = std::max(0, CboLuck->currentIndex());
    options.withYear = ChkYear->isChecked();
    options.year = astronomicalYear(SpnYear->value());
    options.month = options.withYear ? std::max(0, CboMonth->currentIndex()) : 0;
    std::string error;
    if (!analysis::analysePillars(pillars_, options, current_, error)) return;  // the list offers 0..8 only

    QString head = QStringLiteral("四柱：");
    for (int i = 0; i < 4; ++i) head += qs(pillarName(pillars_.natal[i])) + (i < 3 ? QStringLiteral(" ") : QString());
    for (std::size_t i = 4; i < current_.pillarSlots.size(); ++i) {
        const std::string& label = current_.pillarSlots[i].label;
        head += i == 4 ? QStringLiteral("\n") : QStringLiteral("  ");
        head += label == "运" ? QStringLiteral("大运：") : label == "岁" ? QStringLiteral("流年：") : QStringLiteral("流月：");
        head += qs(pillarName(current_.pillarSlots[i].pillar));
    }
    LblPillars->setText(head);
    LblElements->setText(elementLines(current_.elements));

    LstRelations->clear();
    for (const analysis::Relation& r : current_.relations) {
        QStringList labels;
        for (const std::string& l : r.labels) labels << qs(l);
        auto* item = new QTreeWidgetItem(LstRelations, {qs(analysis::relationKindName(r.kind)), qs(r.chars),
                                                        labels.join(QStringLiteral("·")),
                                                        r.element >= 0 ? qs(kElementNames[r.element]) : QString()});
        const QColor& c = analysis::isFavourable(r.kind) ? favourableColor() : clashColor();
        for (int col = 0; col < 4; ++col) item->setForeground(col, c);
    }
    if (current_.relations.empty()) new QTreeWidgetItem(LstRelations, {QStringLiteral("无")});
    emit choiceChanged(options.luck, options.withYear, options.year);
}

void AnalysisPanel::setLuck(int luck) {
    if (valid_ && luck >= 0 && luck < CboLuck->count()) CboLuck->setCurrentIndex(luck);
}

void AnalysisPanel::setYear(int year) {
    if (!valid_) return;
    const int shown = std::clamp(displayYear(year), kFirstShownYear, kLastShownYear);
    {
        const QSignalBlocker block(ChkYear);
        ChkYear->setChecked(true);
        SpnYear->setEnabled(true);
        CboMonth->setEnabled(true);
    }
    if (SpnYear->value() == shown) refresh();
    else SpnYear->setValue(shown);  // refreshes
}

}  // namespace hj::gui
