#include "gui/TFrmMatch.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/calendar/date_text.h"
#include "core/match/match.h"
#include "core/presentation/case_session.h"
#include "core/presentation/chart_params.h"
#include "core/report/report_settings.h"
#include "gui/BirthInputs.h"
#include "gui/ChartCardView.h"
#include "gui/GuiSupport.h"
#include "gui/ReportEdit.h"
#include "gui/TraditionalDisplay.h"

namespace hj::gui {
namespace {

constexpr int kIdRole = Qt::UserRole + 1;

// The same birth of the same person: a case compared with itself.
bool sameBirth(const ChartRequest& a, const ChartRequest& b) {
    return a.name == b.name && a.male == b.male && a.entered() == b.entered() && a.lunar == b.lunar && a.leap == b.leap &&
           a.longitude == b.longitude && a.latitude == b.latitude && a.place == b.place && a.zone == b.zone;
}

QString birthLine(const ChartRequest& q) {
    return QStringLiteral("%1　%2　%3%4")
        .arg(qs(q.name), q.male ? QStringLiteral("男") : QStringLiteral("女"),
             qs(formatDateTime(q.entered())), q.lunar ? QStringLiteral("（农历）") : QString());
}

}  // namespace

TFrmMatch::TFrmMatch(const QString& dataRoot, casestore::CaseStore& store, QWidget* parent)
    : QDialog(parent), dataRoot_(dataRoot), store_(store) {
    setObjectName(QStringLiteral("FrmMatch"));
    setWindowTitle(QStringLiteral("合婚"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    LblFirst = named(new QLabel, "LblFirst");
    TabSecond = named(new QTabWidget, "TabSecond");
    auto* casesPage = new QWidget;
    EdtFind = named(new QLineEdit, "EdtFind");
    EdtFind->setPlaceholderText(QStringLiteral("按姓名查找"));
    EdtFind->setClearButtonEnabled(true);
    LstCases = named(new QListWidget, "LstCases");
    auto* casesLayout = new QVBoxLayout(casesPage);
    casesLayout->addWidget(EdtFind);
    casesLayout->addWidget(LstCases, 1);
    auto* typedPage = new QWidget;
    Inputs2 = named(new BirthInputs(dataRoot), "Inputs2");
    Inputs2->hideYearly();
    BtnPaste = named(new QPushButton(QStringLiteral("粘贴命理参数")), "BtnPaste");
    auto* typedLayout = new QVBoxLayout(typedPage);
    typedLayout->addWidget(Inputs2);
    typedLayout->addWidget(BtnPaste, 0, Qt::AlignLeft);
    typedLayout->addStretch(1);
    TabSecond->addTab(casesPage, QStringLiteral("从命例中选"));
    // The birth inputs scroll rather than hold the chooser wide: at a large scale factor the
    // cards need the room.
    auto* typedScroll = new QScrollArea;
    typedScroll->setWidgetResizable(true);
    typedScroll->setFrameShape(QFrame::NoFrame);
    typedScroll->setWidget(typedPage);
    TabSecond->addTab(typedScroll, QStringLiteral("输入出生资料"));
    BtnMatch = named(new QPushButton(QStringLiteral("合婚(&M)")), "BtnMatch");
    BtnMatch->setDefault(true);

    auto* chooser = new QWidget;
    auto* left = new QVBoxLayout(chooser);
    auto* firstTitle = new QLabel(QStringLiteral("第一人："));
    left->addWidget(firstTitle);
    left->addWidget(LblFirst);
    auto* secondTitle = new QLabel(QStringLiteral("第二人："));
    left->addWidget(secondTitle);
    left->addWidget(TabSecond, 1);
    left->addWidget(BtnMatch);

    CardA = named(new ChartCardView, "CardA");
    CardB = named(new ChartCardView, "CardB");
    for (ChartCardView* card : {CardA, CardB}) {
        // Small cards: the pillars, their relations and elements, without the luck strip.
        card->setLayoutOptions(card::CardLayoutOptions{false, false, false});
        card->setMinimumSize(120, 100);
    }
    RedtMatch = named(new ReportEdit, "RedtMatch");
    RedtMatch->setReadOnly(true);
    // The pane shows the engine's text: its editing commands have nothing to do here.
    for (const char* name : {"pmnuUndo", "pmnuRedo", "pmnuPaste", "pmnuCut", "pmnuDelete", "pmnuSelFont", "pmnuImport"})
        if (QAction* a = RedtMatch->popupMenu()->findChild<QAction*>(QLatin1String(name))) a->setVisible(false);
    RedtMatch->setPaneFont(QStringLiteral("宋体"), 12);
    BtnSave = named(new QPushButton(QStringLiteral("保存(&S)…")), "BtnSave");
    BtnPrint = named(new QPushButton(QStringLiteral("打印(&P)…")), "BtnPrint");
    BtnCopy = named(new QPushButton(QStringLiteral("复制(&C)")), "BtnCopy");
    BtnClose = named(new QPushButton(QStringLiteral("关闭")), "BtnClose");
    // Ctrl+S and Ctrl+P beside the buttons' Alt keys; a disabled button ignores them.
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, BtnSave, &QPushButton::animateClick);
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, BtnPrint, &QPushButton::animateClick);

    auto* cards = new QWidget;
    auto* cardRow = new QHBoxLayout(cards);
    cardRow->setContentsMargins(0, 0, 0, 0);
    cardRow->addWidget(CardA, 1);
    cardRow->addWidget(CardB, 1);
    SplitResult = named(new QSplitter(Qt::Vertical), "SplitResult");
    SplitResult->addWidget(cards);
    SplitResult->addWidget(RedtMatch);
    SplitResult->setChildrenCollapsible(false);
    auto* result = new QWidget;
    auto* right = new QVBoxLayout(result);
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(SplitResult, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {BtnSave, BtnPrint, BtnCopy, BtnClose}) buttons->addWidget(b);
    right->addLayout(buttons);

    auto* split = named(new QSplitter(Qt::Horizontal), "SplitMatch");
    split->addWidget(chooser);
    split->addWidget(result);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setChildrenCollapsible(false);
    auto* top = new QVBoxLayout(this);
    top->addWidget(split);
    // As large as the charts want, but never beyond the screen (at a large scale factor).
    QSize size(1040, 680);
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.92);
    resize(size);
    // The chooser never takes more than a third: at a large scale factor the cards need the room.
    const int chooserWidth = std::min(330, size.width() / 3);
    split->setSizes({chooserWidth, size.width() - chooserWidth});
    SplitResult->setSizes({260, 420});

    connect(BtnMatch, &QPushButton::clicked, this, &TFrmMatch::MatchClick);
    connect(Inputs2, &BirthInputs::castRequested, this, &TFrmMatch::MatchClick);
    connect(LstCases, &QListWidget::itemDoubleClicked, this, &TFrmMatch::MatchClick);
    connect(BtnPaste, &QPushButton::clicked, this, &TFrmMatch::PasteClick);
    connect(EdtFind, &QLineEdit::textChanged, this, &TFrmMatch::filterCases);
    connect(BtnSave, &QPushButton::clicked, RedtMatch, &ReportEdit::SaveAsClick);
    connect(BtnPrint, &QPushButton::clicked, RedtMatch, &ReportEdit::PrintClick);
    connect(BtnCopy, &QPushButton::clicked, this, &TFrmMatch::CopyClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::close);
    for (QPushButton* b : {BtnSave, BtnPrint, BtnCopy}) b->setEnabled(false);
    reloadCases();
}

void TFrmMatch::setFirst(const ChartRequest& first) {
    first_ = first;
    LblFirst->setText(birthLine(first));
    // A match is most often of a man and a woman: the second starts as the other sex.
    Inputs2->setMale(!first.male);
    setWindowTitle(QStringLiteral("合婚"));
    CardA->clearChart();
    CardB->clearChart();
    RedtMatch->clear();
    for (QPushButton* b : {BtnSave, BtnPrint, BtnCopy}) b->setEnabled(false);
}

void TFrmMatch::showTypedSecond(bool typed) { TabSecond->setCurrentIndex(typed ? 1 : 0); }

void TFrmMatch::reloadCases() {
    LstCases->clear();
    std::vector<casestore::CaseRecord> all;
    if (!store_.readAllRecords(all)) {
        message(this, qs(store_.lastError()), QStringLiteral("错误"), QMessageBox::Critical);
        return;
    }
    for (const casestore::CaseRecord& r : all) {
        const ChartRequest q = presentation::requestFromRecord(r);
        auto* item = new QListWidgetItem(QStringLiteral("%1　%2").arg(birthLine(q), qs(r.className)), LstCases);
        item->setData(Qt::UserRole, r.index);
        item->setData(kIdRole, QVariant::fromValue<qulonglong>(r.caseId));
    }
    filterCases(EdtFind->text());
}

void TFrmMatch::filterCases(const QString& text) {
    for (int i = 0; i < LstCases->count(); ++i) {
        QListWidgetItem* item = LstCases->item(i);
        item->setHidden(!text.isEmpty() && !item->text().contains(text, Qt::CaseInsensitive));
    }
}

QString TFrmMatch::itemsText() const { return RedtMatch->toPlainText(); }

std::optional<ChartRequest> TFrmMatch::secondRequest() {
    if (TabSecond->currentIndex() == 1) {
        if (Inputs2->unknownHour()) {
            message(this, QStringLiteral("合婚需要第二人的出生时辰，请取消“时辰不详”。"), appTitle());
            return std::nullopt;
        }
        std::optional<ChartRequest> q = Inputs2->request();
        if (q && !Inputs2->chooseFold(*q)) return std::nullopt;
        return q;
    }
    const QListWidgetItem* item = LstCases->currentItem();
    if (!item || item->isHidden()) {
        message(this, QStringLiteral("请先在列表中选择第二人的命例！"), appTitle());
        LstCases->setFocus();
        return std::nullopt;
    }
    casestore::CaseRecord r;
    if (!store_.readRecord(item->data(Qt::UserRole).toInt(), r) ||
        r.caseId != item->data(kIdRole).value<qulonglong>()) {
        message(this, QStringLiteral("未能读取命例：%1").arg(qs(std::string(casestore::kStaleCase))), QStringLiteral("错误"),
                QMessageBox::Critical);
        reloadCases();
        return std::nullopt;
    }
    return presentation::requestFromRecord(r);
}

std::optional<Chart> TFrmMatch::cast(const ChartRequest& req) {
    const ReportSettings settings = loadReportSettings(u8(dataRoot_));
    std::string error;
    std::optional<Chart> c = hj::castChart(req, settings.chart, error);
    if (!c) message(this, QStringLiteral("%1：%2").arg(qs(req.name), qs(error)), QStringLiteral("错误"), QMessageBox::Critical);
    return c;
}

bool TFrmMatch::MatchClick() {
    if (!first_) return false;
    const std::optional<ChartRequest> second = secondRequest();
    if (!second) return false;
    if (sameBirth(*first_, *second)) {
        message(this, QStringLiteral("第二人与第一人是同一个八字，不能与自己合婚，请另选一人。"), appTitle());
        return false;
    }
    const std::optional<Chart> a = cast(*first_);
    if (!a) return false;
    const std::optional<Chart> b = cast(*second);
    if (!b) return false;
    const match::MatchResult r = match::compareCharts(*a, *b);
    CardA->showChart(*a);
    CardB->showChart(*b);
    fitCards();
    setWindowTitle(QStringLiteral("合婚 - %1、%2").arg(qs(a->request.name), qs(b->request.name)));
    const match::MatchText t = match::matchText(r, traditionalShown());
    RedtMatch->showReport(t.text, t.spans, 0);
    for (QPushButton* button : {BtnSave, BtnPrint, BtnCopy}) button->setEnabled(true);
    return true;
}

void TFrmMatch::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    // The cards grow with the window (maximised, or at a large scale factor), not only at a match.
    if (CardA->chart()) QTimer::singleShot(0, this, &TFrmMatch::fitCards);  // once the layout has followed
}

void TFrmMatch::fitCards() {
    const int total = SplitResult->height() - SplitResult->handleWidth();
    const int cards = std::max(CardA->heightForWidth(CardA->width()), CardB->heightForWidth(CardB->width()));
    // The items keep at least a third of the height.
    const int top = std::min(cards, total * 2 / 3);
    SplitResult->setSizes({top, total - top});
}

void TFrmMatch::PasteClick() {
    presentation::ChartParameters p;
    if (!presentation::parseChartParameters(u8(QGuiApplication::clipboard()->text()), p)) {
        message(this, QStringLiteral("剪贴板上没有命理参数。"), appTitle());
        return;
    }
    Inputs2->setParameters(p);
}

void TFrmMatch::CopyClick() {
    const QTextCursor keep = RedtMatch->textCursor();
    RedtMatch->selectAll();
    RedtMatch->copy();
    RedtMatch->setTextCursor(keep);
}

}  // namespace hj::gui
