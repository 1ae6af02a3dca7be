#include "gui/TFrmMain.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QScreen>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "core/presentation/case_session.h"
#include "core/report/report.h"
#include "core/report/report_settings.h"
#include "core/traditional/display.h"
#include "gui/AboutBox.h"
#include "gui/AnalysisDock.h"
#include "gui/AnalysisPanel.h"
#include "gui/BirthInputs.h"
#include "gui/CalendarLinks.h"
#include "gui/CaseTree.h"
#include "gui/ChartCardCommands.h"
#include "gui/ChartCardView.h"
#include "gui/ChartClipboard.h"
#include "gui/GuiSupport.h"
#include "gui/HistoryCommands.h"
#include "gui/ReportEdit.h"
#include "gui/ReportPrinting.h"
#include "gui/TraditionalDisplay.h"
#include "gui/TFrmDiLi.h"
#include "gui/TFrmEndfo.h"
#include "gui/TFrmHanZi.h"
#include "gui/TFrmHeLuo.h"
#include "gui/TFrmHuaiYun.h"
#include "gui/TFrmMatch.h"
#include "gui/TFrmPingYu.h"
#include "gui/TFrmSet.h"
#include "gui/TFrmTestName.h"
#include "gui/TFrmTxtHelp.h"
#include "gui/UncertaintyPanel.h"
#include "gui/WindowPlacement.h"

namespace hj::gui {
namespace {

constexpr int kMinTreeWidth = 30;
// The width from which the analysis dock starts open.
constexpr int kRoomyWidth = 900;
// The first slots the tree shows at start; 显示全部命例 shows the rest.
constexpr int kFirstSlotsShown = 300;

}  // namespace

TFrmMain::TFrmMain(const QString& dataRoot, QWidget* parent)
    : QMainWindow(parent), dataRoot_(dataRoot), ini_(u8(dataRoot + QStringLiteral("/dat/bzinit.ini"))) {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(appTitle());
    installFontSubstitutes();
    installTraditionalDisplay();
    createWidgets();
    createActions();
    createMenus();
    readSettings();
    openStore();
    // The display's script once every view exists: switching converts what is open.
    mnuO_fanti->setChecked(traditional::traditionalDisplay(ini_));
    setTraditionalShown(mnuO_fanti->isChecked());
}

TFrmMain::~TFrmMain() = default;

void TFrmMain::createWidgets() {
    caseTree_ = new CaseTree(store_, ini_);
    caseTree_->setMinimumWidth(kMinTreeWidth);
    Redtbazi = named(new ReportEdit, "Redtbazi");
    PnlBianJie = new UncertaintyPanel;
    auto* reportSide = new QWidget;
    auto* reportLayout = new QVBoxLayout(reportSide);
    reportLayout->setContentsMargins(0, 0, 0, 0);
    reportLayout->setSpacing(0);
    reportLayout->addWidget(PnlBianJie);
    reportLayout->addWidget(Redtbazi, 1);
    cardView_ = new ChartCardView;
    TabChart = named(new QTabWidget, "TabChart");
    TabChart->addTab(reportSide, QStringLiteral("命稿"));
    TabChart->addTab(scrolled(cardView_, {400, 560}, "ScrChartCard"), QStringLiteral("命盘"));
    Splitter1 = named(new QSplitter(Qt::Horizontal), "Splitter1");
    Splitter1->addWidget(caseTree_);
    Splitter1->addWidget(TabChart);
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);

    inputs_ = new BirthInputs(dataRoot_);
    BtnPai = named(new QPushButton(QStringLiteral("测算")), "BtnPai");
    BtoNew = named(new QPushButton(QStringLiteral("新建")), "BtoNew");
    SbtoSave = named(new QToolButton, "SbtoSave");
    SbtoSave->setText(QStringLiteral("存新"));
    SbtoSave->setToolTip(QStringLiteral("保存记录"));
    SbtoSave->setMinimumHeight(BtnPai->sizeHint().height());
    SbtoSave->setMinimumWidth(BtoNew->sizeHint().width());
    inputs_->addButtons({BtnPai, BtoNew, SbtoSave});

    auto* central = new QWidget;
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    v->addWidget(Splitter1, 1);
    v->addWidget(inputs_);
    setCentralWidget(central);

    analysisDock_ = new AnalysisDock(this);
    addDockWidget(Qt::RightDockWidgetArea, analysisDock_);
    analysisDock_->hide();  // until the window is first shown (showEvent)
    // The picture and the dock choose the luck pillar and the year together.
    connect(analysisDock_, &AnalysisDock::panelMade, this, [this](AnalysisPanel* analysis) {
        connect(cardView_, &ChartCardView::luckClicked, analysis, &AnalysisPanel::setLuck);
        connect(cardView_, &ChartCardView::yearClicked, analysis, &AnalysisPanel::setYear);
        connect(analysis, &AnalysisPanel::choiceChanged, cardView_,
                [this](int luck, bool withYear, int year) {
                    cardView_->setChoice(luck, withYear ? year : cardView_->year(), withYear);
                });
    });

    connect(BtnPai, &QPushButton::clicked, this, &TFrmMain::requestChart);
    connect(inputs_, &BirthInputs::castRequested, this, &TFrmMain::requestChart);
    connect(SbtoSave, &QToolButton::clicked, this, &TFrmMain::saveRequested);
    connect(PnlBianJie, &UncertaintyPanel::castRequested, this, [this](const ChartRequest& q) {
        inputs_->setUnknownHour(false);
        inputs_->setMoment(q.entered());
        requestChart();
    });
    // The calendar and the reverse search show their dates in the inputs.
    links_ = new CalendarLinks(this, *inputs_, ini_);
    clipboard_ = new ChartClipboard(this, *inputs_);
    printing_ = new ReportPrinting(*Redtbazi, this);
    connect(links_, &CalendarLinks::castRequested, this, &TFrmMain::requestChart);
    connect(caseTree_, &CaseTree::matchRequested, this, [this](const casestore::CaseRef& ref) {
        casestore::CaseRecord r;
        if (!store_.readRecord(ref.slot, r) || (ref.id != 0 && r.caseId != ref.id)) {
            message(this, QStringLiteral("未能读取命例：%1").arg(qs(std::string(casestore::kStaleCase))), QStringLiteral("错误"),
                    QMessageBox::Critical);
            return;
        }
        openMatch(presentation::requestFromRecord(r), false);
    });
}

void TFrmMain::createActions() {
    const auto action = [this](const char* name, const QString& text, auto slot) {
        auto* a = new QAction(text, this);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    mnuF_save = action("mnuF_save", QStringLiteral("保存记录"), &TFrmMain::saveRequested);
    mnuF_save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuF_import = action("mnuF_import", QStringLiteral("导入历史记录"), [this] { history_->ImportClick(); });
    mnuF_export = action("mnuF_export", QStringLiteral("导出历史记录"), [this] { history_->ExportClick(); });
    mnuF_clear = action("mnuF_clear", QStringLiteral("清除历史记录"), [this] { history_->ClearClick(); });
    mnuF_restore = action("mnuF_restore", QStringLiteral("恢复备份…"), [this] { history_->RestoreClick(); });
    mnuF_print = action("mnuF_print", QStringLiteral("打印命稿…"), [this] { printing_->print(); });
    mnuF_print->setShortcut(QKeySequence::Print);
    mnuF_preview = action("mnuF_preview", QStringLiteral("命稿打印预览…"), [this] { printing_->preview(); });
    mnuF_exit = action("mnuF_exit", QStringLiteral("退出"), &QWidget::close);
    cardCommands_ = new ChartCardCommands(*cardView_, this);

    mnuS_pingyu = action("mnuS_pingyu", QStringLiteral("八字断语"), &TFrmMain::openPingYu);
    mnuS_heluo = action("mnuS_heluo", QStringLiteral("河洛图像"), [this] { TFrmHeLuo(this).exec(); });
    mnuS_zhishi = action("mnuS_zhishi", QStringLiteral("相关知识"), &TFrmMain::openKnowledge);

    mnuT_fantui = action("mnuT_fantui", QStringLiteral("反推八字"), [this] { links_->openReverseSearch(currentPillars_); });
    mnuT_huaiyun = action("mnuT_huaiyun", QStringLiteral("测怀孕"), [this] { TFrmHuaiYun(this).exec(); });
    mnuT_testname = action("mnuT_testname", QStringLiteral("巧猜姓氏"), [this] { TFrmTestName(this).exec(); });
    mnuT_hanzi = action("mnuT_hanzi", QStringLiteral("姓名与五行"), [this] { TFrmHanZi(dataRoot_, this).exec(); });
    mnuT_match = action("mnuT_match", QStringLiteral("合婚…"), [this] {
        if (!chartValid_) {
            message(this, QStringLiteral("请先排一个正确的八字盘后才能合婚！"), QStringLiteral("提示"), QMessageBox::Information);
            return;
        }
        openMatch(lastRequest_, true);
    });
    mnuT_copy = action("mnuT_copy", QStringLiteral("复制命理参数"), &TFrmMain::copyChartParameters);
    mnuT_paste = action("mnuT_paste", QStringLiteral("粘贴命理参数"), &TFrmMain::pasteChartParameters);
    mnuT_dili = action("mnuT_dili", QStringLiteral("经纬度设置"), &TFrmMain::editPlaces);
    mnuT_wnl = action("mnuT_wnl", QStringLiteral("万年历"), [this] { links_->openCalendar(); });

    mnuO_default = action("mnuO_default", QStringLiteral("默认"), [this] { Redtbazi->useDefaultLook(); });
    mnuO_font = action("mnuO_font", QStringLiteral("字体设置"), [this] { Redtbazi->chooseFont(); });
    mnuO_color = action("mnuO_color", QStringLiteral("背景色设置"), [this] { Redtbazi->chooseBackground(); });
    mnuO_set = action("mnuO_set", QStringLiteral("排盘设置"), [this] { TFrmSet(ini_, this).exec(); });
    mnuO_endinfo = action("mnuO_endinfo", QStringLiteral("命稿结尾信息"),
                          [this] { TFrmEndfo(ini_, dataRoot_ + QStringLiteral("/dat"), this).exec(); });
    mnuO_fenxi = analysisDock_->toggleViewAction();
    mnuO_fenxi->setObjectName(QStringLiteral("mnuO_fenxi"));
    mnuO_fenxi->setText(QStringLiteral("八字分析"));
    mnuO_fanti = action("mnuO_fanti", QStringLiteral("繁體中文"), &TFrmMain::setTraditional);
    mnuO_fanti->setCheckable(true);

    mnuH_help = action("mnuH_help", QStringLiteral("软件帮助"), [this] { TFrmTxtHelp::run(this); });
    mnuH_about = action("mnuH_about", QStringLiteral("关于 衡鉴"), [this] { AboutBox(dataRoot_, this).exec(); });
}

void TFrmMain::createMenus() {
    const auto menu = [this](const char* name, const QString& title) {
        QMenu* m = menuBar()->addMenu(title);
        m->setObjectName(QLatin1String(name));
        return m;
    };
    QMenu* f = menu("mnuFile", QStringLiteral("文件(&F)"));
    f->addAction(mnuF_save);
    f->addSeparator();
    f->addActions({cardCommands_->saveAction(), cardCommands_->copyAction(), cardCommands_->printAction()});
    f->addActions({mnuF_print, mnuF_preview});
    f->addSeparator();
    f->addActions({mnuF_import, mnuF_export, mnuF_clear, mnuF_restore});
    f->addSeparator();
    f->addAction(mnuF_exit);

    menu("mnuKnow", QStringLiteral("命理知识(&S)"))->addActions({mnuS_pingyu, mnuS_heluo, mnuS_zhishi});

    QMenu* t = menu("mnuTools", QStringLiteral("辅助工具(&T)"));
    t->addActions({mnuT_fantui, mnuT_huaiyun, mnuT_testname, mnuT_hanzi, mnuT_match});
    t->addSeparator();
    t->addActions({mnuT_copy, mnuT_paste});
    t->addSeparator();
    t->addActions({mnuT_dili, mnuT_wnl});
    connect(t, &QMenu::aboutToShow, this, [this] {
        // Pasting needs text on the clipboard.
        mnuT_paste->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
    });

    QMenu* o = menu("mnuOptions", QStringLiteral("选项(&O)"));
    QMenu* pane = o->addMenu(QStringLiteral("命稿设置"));
    pane->setObjectName(QStringLiteral("mnuO_pane"));
    pane->addActions({mnuO_default, mnuO_font, mnuO_color});
    o->addActions({mnuO_set, mnuO_endinfo});
    o->addSeparator();
    o->addAction(mnuO_fenxi);
    o->addSeparator();
    o->addAction(mnuO_fanti);

    menu("mnuHelp", QStringLiteral("帮助(&H)"))->addActions({mnuH_help, mnuH_about});
}

// ---- settings ----

void TFrmMain::readSettings() {
    if (!ini_.reload()) {
        // Defaults are used; the file stays as it is (writes to it are refused).
        QTimer::singleShot(0, this, [this, why = qs(ini_.lastError())] {
            message(this, why, QStringLiteral("错误"), QMessageBox::Critical);
        });
    }
    QRect r(ini_.readInt("winpos", "left", 10), ini_.readInt("winpos", "top", 10),
            ini_.readInt("winpos", "width", 400), ini_.readInt("winpos", "height", 400));
    r.setWidth(std::max(r.width(), 200));
    r.setHeight(std::max(r.height(), 150));
    // Saved at another scale factor: the same size on the screen, in this scale's units (a run
    // at 2× would otherwise bring the next 1× start back at half the size).
    const qreal savedScale = ini_.readInt("winpos", "scale", 100) / 100.0;
    const qreal scale = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->devicePixelRatio() : 1.0;
    if (savedScale > 0 && std::abs(savedScale - scale) > 0.01) {
        const qreal f = savedScale / scale;
        r = QRect(qRound(r.x() * f), qRound(r.y() * f), qRound(r.width() * f), qRound(r.height() * f));
    }
    // The first start (no size saved) gets a window the report fits in, on the screen at hand.
    const QList<QRect> screens = availableScreenAreas();
    if (ini_.readInt("winpos", "width", -1) < 0 && !screens.isEmpty()) r = firstStartGeometry(screens.front(), typicalFrame());
    // Saved at another scale factor or on a monitor since removed: the window comes back whole
    // on one screen.
    r = fitToScreens(r, screens, typicalFrame());
    resize(r.size());
    move(r.topLeft());
    const int treewid = std::max(ini_.readInt("winpos", "treewid", 180), kMinTreeWidth);
    Splitter1->setSizes({treewid, std::max(1, r.width() - treewid - Splitter1->handleWidth())});
    // A minimised state is not restored: the window would start out of sight.
    if (ini_.readInt("winpos", "state", 0) == 2) setWindowState(Qt::WindowMaximized);

    Redtbazi->readSettings(ini_);
    Redtbazi->clearWithDefaults();
    inputs_->readSettings(ini_);
}

void TFrmMain::writeSettings() {
    const int state = isMaximized() ? 2 : (isMinimized() ? 1 : 0);
    // Only the keys this window owns, written into the file as it is now: settings another
    // window saved while this one was open stay.
    const bool ok = ini_.update([&](text::IniEditor& e) {
        if (state == 0 && !(e.writeInt("winpos", "left", x()) && e.writeInt("winpos", "top", y()) &&
                            e.writeInt("winpos", "width", width()) && e.writeInt("winpos", "height", height())))
            return false;
        // The scale the size was saved at, with the size, and only once it is not 1 (a file of
        // the usual scale keeps exactly its keys).
        const int scale = qRound(devicePixelRatio() * 100);
        if (state == 0 && (scale != 100 || e.hasKey("winpos", "scale")) && !e.writeInt("winpos", "scale", scale))
            return false;
        return e.writeInt("winpos", "treewid", std::max(caseTree_->width(), kMinTreeWidth)) &&
               e.writeInt("winpos", "state", state) && Redtbazi->writeSettings(e) && inputs_->writeSettings(e);
    });
    if (!ok) {
        message(this, QStringLiteral("窗口设置未能保存：%1").arg(qs(ini_.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
    }
}

void TFrmMain::setTraditional(bool on) {
    if (!ini_.writeInt(traditional::kDisplaySection, traditional::kTraditionalKey, on ? 1 : 0)) {
        mnuO_fanti->setChecked(!on);
        message(this, qs(ini_.lastError()), appTitle(), QMessageBox::Warning);
        return;
    }
    setTraditionalShown(on);
    // A report the program wrote and nobody changed is written again in the new script; an
    // opened case or an edited report keeps the characters it has.
    std::string error;
    if (chartValid_ && !editingCase() && !Redtbazi->isModified() && !castChart(lastRequest_, true, error))
        message(this, qs(error), QStringLiteral("错误"), QMessageBox::Critical);
}

// ---- the case store ----

void TFrmMain::openStore() {
    if (!store_.openStore(u8(dataRoot_))) {
        const QString why = qs(store_.lastError());
        QTimer::singleShot(0, this, [this, why] {
            message(this, QStringLiteral("无法打开命例库：%1").arg(why), QStringLiteral("错误"), QMessageBox::Critical);
        });
    }
    Redtbazi->setModified(false);
    // The session watches the store: it comes once the store is open.
    session_ = new CaseSession(store_, *caseTree_, *Redtbazi, *inputs_, ini_, *this, this);
    connect(session_, &CaseSession::modeChanged, this, &TFrmMain::showSaveMode);
    connect(this, &TFrmMain::saveRequested, session_, &CaseSession::saveCase);
    connect(BtoNew, &QPushButton::clicked, session_, &CaseSession::newCase);
    showSaveMode();
    history_ = new HistoryCommands(store_, this);
    connect(history_, &HistoryCommands::programMustEnd, this, &TFrmMain::endProgram);
    caseTree_->rebuildFirstSlots(kFirstSlotsShown);
}

bool TFrmMain::editingCase() const { return session_ && session_->editingCase(); }

void TFrmMain::showSaveMode() {
    const bool editing = session_->editingCase();
    SbtoSave->setText(editing ? QStringLiteral("存旧") : QStringLiteral("存新"));
    SbtoSave->setToolTip(session_->orphaned()
                             ? QStringLiteral("这个命例已被另一个窗口或程序删除或替换，不在命例库中了；存新可把它另存为新命例")
                             : QStringLiteral("保存记录"));
    QPalette pal = SbtoSave->palette();
    pal.setColor(QPalette::ButtonText, editing ? QColor(Qt::blue) : QColor(Qt::black));
    SbtoSave->setPalette(pal);
}

void TFrmMain::endProgram() {
    session_->dropOpenCase();
    Redtbazi->setModified(false);
    QTimer::singleShot(0, this, &QWidget::close);
}

// ---- showing and closing ----

void TFrmMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (shownOnce_) return;
    shownOnce_ = true;
    // A window this wide (or maximised) has room for the analysis beside the report; a narrower
    // one (the first run's 400 × 400) keeps its size, and 八字分析 shows the dock.
    if (isMaximized() || width() >= kRoomyWidth) {
        analysisDock_->show();
        return;
    }
    // At a large scale factor a window narrower than that in the toolkit's units may still have
    // the screen's room for the dock: it widens as far as the report's chart block (34 full
    // characters with the day's void branches) needs beside the dock, when the screen allows,
    // so the block's lines never wrap and the dock is there from the start.
    if (devicePixelRatio() < 1.5) return;
    const int block = QFontMetrics(Redtbazi->paneFont()).horizontalAdvance(QString(34, QChar(0x4E00))) + 40;
    analysisDock_->show();
    // Once the dock has taken its room: widen the window by what the report then lacks, or give
    // the room back when the screen has none.
    QTimer::singleShot(0, this, [this, block] {
        const int lack = block - Redtbazi->viewport()->width();
        const QScreen* screen = this->screen();
        if (lack <= 0 || !screen) return;
        const QRect area = screen->availableGeometry();
        const QMargins frame = typicalFrame();
        // What the screen cannot give, the case tree may, down to its least width.
        const int room = area.width() - frame.left() - frame.right() - width();
        const int fromTree = std::max(0, lack - std::max(0, room));
        const int treeWidth = Splitter1->sizes().value(0);
        if (fromTree > treeWidth - kMinTreeWidth) {
            analysisDock_->hide();
            return;
        }
        if (fromTree > 0) {
            QList<int> sizes = Splitter1->sizes();
            sizes[0] -= fromTree;
            sizes[1] += fromTree;
            Splitter1->setSizes(sizes);
        }
        const int wanted = width() + lack - fromTree;
        resize(wanted, height());
        move(std::clamp(x(), area.left(), area.right() - wanted - frame.left() - frame.right() + 1), y());
    });
}

bool TFrmMain::maybeSave() { return !session_ || session_->askAboutUnsavedWork(); }

void TFrmMain::closeEvent(QCloseEvent* e) {
    // A chart or an edit not stored is asked about; Cancel keeps the window open.
    if (!maybeSave()) {
        e->ignore();
        return;
    }
    writeSettings();
    if (pingYu_) pingYu_->close();
    e->accept();
}

// ---- the chart ----

void TFrmMain::requestChart() {
    // Inputs the chart cannot take are refused before anything changes: the chart shown stays.
    std::optional<ChartRequest> shown = inputs_->request();
    if (!shown || !inputs_->chooseFold(*shown)) return;
    chartValid_ = false;
    const ChartRequest& req = *shown;
    session_->askToSaveChanges();
    // The inputs become the current record's birth data; its class and note stay.
    session_->takeRequest(req);
    Redtbazi->showPlaceholder(QStringLiteral("婚配运算中.............."));
    const bool focused = BtnPai->hasFocus();
    BtnPai->setEnabled(false);
    // Let the placeholder paint before the engine runs.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::string error;
    const bool ok = castChart(req, true, error);
    QApplication::restoreOverrideCursor();
    BtnPai->setEnabled(true);
    // Disabling passed the focus on to 新建, where a Space would start a new case.
    if (focused) BtnPai->setFocus();
    if (ok && inputs_->unknownHour()) {
        // No hour, no chart: the pane asks for one of the twelve.
        lastRequest_ = req;
        dropChart();
        PnlBianJie->showUnknownHour(chart_);
        Redtbazi->showPlaceholder(QStringLiteral("时辰不详：请在上方表格中选择一个时辰排盘。"));
        Redtbazi->hide();  // the table takes the pane's place until an hour is chosen
        return;
    }
    setChartResult(req, ok);
    if (!ok) {
        message(this, qs(error), QStringLiteral("错误"), QMessageBox::Critical);
        return;
    }
    // The pane's modified flag stays for the user's own edits: a recomputed report is saved
    // into an open case only when the user saves it. The setting save (提示保存) asks for it.
    if (chart_.settings.save) emit saveRequested();
}

bool TFrmMain::castChart(const ChartRequest& req, bool show, std::string& error) {
    // The settings and the footer as the files hold them now: a change counts from the next chart.
    const std::string root = u8(dataRoot_);
    const ReportSettings settings = loadReportSettings(root);
    std::optional<Chart> chart = hj::castChart(req, settings.chart, error);
    if (!chart) return false;
    ReportSources sources;
    sources.traditional = settings.traditional;
    sources.thisYear = QDate::currentDate().year();
    if (chart->settings.endinfo && !readFooter(root, sources.footer, error)) return false;
    const Report report = buildReport(*chart, sources);
    chart_ = std::move(*chart);
    if (show) Redtbazi->showReport(paneText(report.text), report.spans, chart_.settings.leftpos);
    return true;
}

void TFrmMain::setChartResult(const ChartRequest& req, bool valid) {
    lastRequest_ = req;
    chartValid_ = valid;
    if (valid) {
        Redtbazi->setPrintTitle(qs(req.name));  // a printout's header and title
        currentPillars_ = chart_.pillarBytes();
        PnlBianJie->showChart(chart_);
        cardView_->showChart(chart_);
        analysisDock_->showChart(chart_);
    } else {
        dropChart();
    }
    Redtbazi->show();
}

void TFrmMain::dropChart() {
    chartValid_ = false;
    analysisDock_->clearChart();
    cardView_->clearChart();
    // Nothing of the last chart stays above the pane either (boundaries, conventions, hours).
    PnlBianJie->clear();
    Redtbazi->show();
}

bool TFrmMain::castCase(const ChartRequest& req, bool keepPane) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::string error;
    const bool ok = castChart(req, !keepPane, error);
    QApplication::restoreOverrideCursor();
    setChartResult(req, ok);
    if (!ok) message(this, qs(error), QStringLiteral("错误"), QMessageBox::Critical);
    return ok;
}

// ---- chart parameters on the clipboard ----

void TFrmMain::copyChartParameters() { clipboard_->copy(lastRequest_, chartValid_); }

void TFrmMain::pasteChartParameters() { clipboard_->paste(); }

// ---- tool windows ----

TFrmPingYu* TFrmMain::pingYuViewer() const { return pingYu_.data(); }
AnalysisPanel* TFrmMain::analysisPanel() const { return analysisDock_->panel(); }

void TFrmMain::openPingYu() {
    if (!pingYu_) pingYu_ = new TFrmPingYu(dataRoot_ + QStringLiteral("/dat"), this);
    pingYu_->show();
    pingYu_->raise();
    pingYu_->activateWindow();
}

void TFrmMain::openKnowledge() {
    const QString path = dataRoot_ + QStringLiteral("/dat/bzzs.chm");
    // No help document is shipped: the program's own help, rather than a menu item that does nothing.
    if (!QFileInfo::exists(path)) return TFrmTxtHelp::run(this);
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        message(this, QStringLiteral("无法打开“%1”：没有能打开这种文件的程序。").arg(path), QStringLiteral("错误"),
                QMessageBox::Critical);
}

void TFrmMain::openMatch(const ChartRequest& first, bool typedSecond) {
    auto* w = new TFrmMatch(dataRoot_, store_, this);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setFirst(first);
    w->showTypedSecond(typedSecond);
    w->show();
    w->raise();
    w->activateWindow();
}

void TFrmMain::editPlaces() {
    TFrmDiLi(dataRoot_ + QStringLiteral("/dat"), this).exec();
    // Places may have changed: reread them, staying on the same place when it is still there.
    inputs_->reloadCities();
}

}  // namespace hj::gui
