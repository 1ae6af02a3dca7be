#include "gui/UncertaintyPanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <functional>

#include "core/calendar/date_text.h"
#include "core/chart/derived.h"
#include "gui/GuiSupport.h"

namespace hj::gui {
namespace {

QString pillarText(const std::array<std::int16_t, 4>& p) {
    QStringList names;
    for (auto v : p) names << qs(pillarName(v));
    return names.join(QLatin1Char(' '));
}

QString boundaryText(const PillarBoundary& b) {
    return qs(b.kind) + QStringLiteral("：") + qs(boundaryNote(b)) + QStringLiteral("；另一侧四柱：") + pillarText(b.pillars);
}

// The hour table casts the chart of a row on Enter as on a double click.
class HourTable : public QTableWidget {
public:
    using QTableWidget::QTableWidget;
    std::function<void(int)> onCast;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && currentRow() >= 0 && onCast) {
            onCast(currentRow());
            return;
        }
        QTableWidget::keyPressEvent(e);
    }
};

}  // namespace

UncertaintyPanel::UncertaintyPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PnlBianJie"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(4, 2, 4, 2);
    v->setSpacing(2);

    LblBianJie = new QLabel(this);
    LblBianJie->setObjectName(QStringLiteral("LblBianJie"));
    LblBianJie->setWordWrap(true);
    LblBianJie->setStyleSheet(QStringLiteral("color: #a00000;"));
    v->addWidget(LblBianJie);

    buttons_ = new QWidget(this);
    buttonLayout_ = new QVBoxLayout(buttons_);
    buttonLayout_->setContentsMargins(0, 0, 0, 0);
    buttonLayout_->setSpacing(2);
    v->addWidget(buttons_);

    auto* table = new HourTable(0, 7, this);
    table->onCast = [this](int row) { castRow(row); };
    GrdShiChen = table;
    GrdShiChen->setObjectName(QStringLiteral("GrdShiChen"));
    GrdShiChen->setHorizontalHeaderLabels({QStringLiteral("时辰"), QStringLiteral("时柱"), QStringLiteral("十神"),
                                           QStringLiteral("纳音"), QStringLiteral("起运"), QStringLiteral("四柱"),
                                           QStringLiteral("神煞")});
    GrdShiChen->verticalHeader()->hide();
    GrdShiChen->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GrdShiChen->setSelectionBehavior(QAbstractItemView::SelectRows);
    GrdShiChen->setSelectionMode(QAbstractItemView::SingleSelection);
    GrdShiChen->horizontalHeader()->setStretchLastSection(true);
    GrdShiChen->setToolTip(QStringLiteral("双击或回车：按该时辰的中点排盘；时辰内交节时分作两行，各按其一侧排盘"));
    connect(GrdShiChen, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { castRow(row); });
    v->addWidget(GrdShiChen, 1);

    LblYueDing = new QLabel(this);
    LblYueDing->setObjectName(QStringLiteral("LblYueDing"));
    LblYueDing->setWordWrap(true);
    LblYueDing->setStyleSheet(QStringLiteral("color: #505050;"));
    v->addWidget(LblYueDing);
    clear();
}

void UncertaintyPanel::clear() {
    boundaries_.clear();
    hours_.clear();
    rowRequests_.clear();
    LblBianJie->clear();
    LblBianJie->hide();
    while (QLayoutItem* item = buttonLayout_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    buttons_->hide();
    GrdShiChen->setRowCount(0);
    GrdShiChen->hide();
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    LblYueDing->clear();
    LblYueDing->hide();
}

void UncertaintyPanel::showConventions(const Chart& chart) {
    QStringList parts;
    for (const Convention& c : chartConventions(chart.settings, chart.birthZone.abroad)) parts << qs(c.label) + QLatin1Char(' ') + qs(c.value);
    LblYueDing->setText(QStringLiteral("排盘约定：") + parts.join(QStringLiteral(" · ")));
    LblYueDing->show();
}

void UncertaintyPanel::showChart(const Chart& chart) {
    clear();
    boundaries_ = findBoundaries(chart, chart.settings.bianjie);
    if (!boundaries_.empty()) {
        LblBianJie->setText(QStringLiteral("出生时间临近换柱的边界（%1分钟内），时间稍有出入，四柱即不同：")
                                .arg(chart.settings.bianjie));
        LblBianJie->show();
        for (std::size_t i = 0; i < boundaries_.size(); ++i) {
            auto* row = new QWidget(buttons_);
            auto* h = new QHBoxLayout(row);
            h->setContentsMargins(12, 0, 0, 0);
            auto* text = new QLabel(boundaryText(boundaries_[i]), row);
            text->setWordWrap(true);
            auto* cast = new QPushButton(QStringLiteral("按另一侧排盘"), row);
            cast->setObjectName(QStringLiteral("BtnBianJie%1").arg(i));
            const ChartRequest request = boundaries_[i].request;
            connect(cast, &QPushButton::clicked, this, [this, request] { emit castRequested(request); });
            h->addWidget(text, 1);
            h->addWidget(cast);
            buttonLayout_->addWidget(row);
        }
        buttons_->show();
    }
    showConventions(chart);
}

void UncertaintyPanel::showUnknownHour(const Chart& chart) {
    clear();
    hours_ = unknownHourOptions(chart);
    QStringList notes;
    for (const std::string& n : unknownHourNotes(chart, hours_)) notes << qs(n);
    LblBianJie->setText(QStringLiteral("时辰不详：下表为本日十二时辰，双击一行按该时辰排盘。") +
                        (notes.isEmpty() ? QString() : QLatin1Char('\n') + notes.join(QLatin1Char('\n'))));
    LblBianJie->show();
    rowRequests_.clear();
    GrdShiChen->setRowCount(0);
    const auto addRow = [this](const QString& hour, const HourOption& h, const ChartRequest& request) {
        const int r = GrdShiChen->rowCount();
        GrdShiChen->insertRow(r);
        const QStringList cells{hour, qs(pillarName(h.pillars[3])), qs(h.tenGod), qs(h.nayin),
                                qs(luckStartText(h.luck)), pillarText(h.pillars), qs(h.stars)};
        for (int c = 0; c < cells.size(); ++c) GrdShiChen->setItem(r, c, new QTableWidgetItem(cells[c]));
        rowRequests_.push_back(request);
    };
    for (const HourOption& h : hours_) {
        const QString hour = qs(kBranches[h.branch]);
        if (!h.split) {
            addRow(hour, h, h.request);
            continue;
        }
        // A jie inside the hour: a row for each side, the side holding the middle cast at the middle.
        const QString at = qs(formatDateTime(h.splitClock).substr(formatDate(h.splitClock).size() + 1));
        const HourOption& early = h.parts.front();
        const HourOption& late = h.parts.back();
        const bool middleEarly = early.pillars == h.pillars;
        addRow(hour + QStringLiteral("（%1前）").arg(at), early, middleEarly ? h.request : early.request);
        addRow(hour + QStringLiteral("（%1起）").arg(at), late, middleEarly ? late.request : h.request);
    }
    GrdShiChen->resizeColumnsToContents();
    GrdShiChen->show();
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    showConventions(chart);
}

void UncertaintyPanel::castRow(int row) {
    if (row < 0 || row >= static_cast<int>(rowRequests_.size())) return;
    emit castRequested(rowRequests_[static_cast<std::size_t>(row)]);
}

}  // namespace hj::gui
