#include "gui/TFrmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDateTime>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "core/app/chart_inputs.h"
#include "core/app/chart_params.h"
#include "core/calendar/month_page.h"
#include "core/calendar/places.h"
#include "core/chart/province_table.h"
#include "core/script/display.h"
#include "core/text/gbk.h"
#include "gui/AnalysisPanel.h"
#include "gui/BirthInputs.h"
#include "gui/CalendarLinks.h"
#include "gui/CaseSession.h"
#include "gui/CaseSupport.h"
#include "gui/CaseTree.h"
#include "gui/GuiSupport.h"
#include "gui/HistoryCommands.h"
#include "gui/ReportEdit.h"
#include "gui/ScriptDisplay.h"
#include "gui/TFrmDiLi.h"
#include "gui/TFrmEndfo.h"
#include "gui/TFrmHanZi.h"
#include "gui/TFrmHeLuo.h"
#include "gui/TFrmHuaiYun.h"
#include "gui/TFrmPingYu.h"
#include "gui/TFrmSet.h"
#include "gui/TFrmTestName.h"
#include "gui/TFrmTxtHelp.h"
#include "gui/WorldPlaceBox.h"
#include "gui/UncertaintyPanel.h"

namespace hj::gui {
namespace {

constexpr const char* kDefaultPaneFont = "宋体";
constexpr int kDefaultPaneSize = 12;
constexpr int kDefaultBackground = 12635344;  // red 208, green 204, blue 192
constexpr int kMinTreeWidth = 30;

QColor colorFromNumber(int n) { return QColor(n & 0xFF, (n >> 8) & 0xFF, (n >> 16) & 0xFF); }
int numberFromColor(const QColor& c) { return c.red() + 256 * c.green() + 65536 * c.blue(); }

// Keeps a child from the given name, for the tests and for accessibility tools.
template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

}  // namespace

TFrmMain::TFrmMain(const QString& dataRoot, QWidget* parent)
    : QMainWindow(parent), dataRoot_(dataRoot), ini_(u8(dataRoot + QStringLiteral("/dat/bzinit.ini"))) {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(appTitle());
    installFontSubstitutes();
    installScriptDisplay();
    buildControls();
    buildMenus();
    FormShow();
    // FormShow has read the profile.
    mnuO_fanti->setChecked(script::traditionalDisplay(ini_));
    setTraditionalShown(mnuO_fanti->isChecked());
}

TFrmMain::~TFrmMain() {
    // The pane is a child widget and outlives nothing here, but the engine must not call it.
    if (engine_) engine_->setReportPane(nullptr);
}

void TFrmMain::buildControls() {
    caseTree_ = new CaseTree(store_, ini_);
    Tree = caseTree_;
    Redtbazi = named(new ReportEdit, "Redtbazi");
    Splitter1 = named(new QSplitter(Qt::Horizontal), "Splitter1");
    PnlBianJie = new UncertaintyPanel;
    auto* reportSide = new QWidget;
    auto* reportLayout = new QVBoxLayout(reportSide);
    reportLayout->setContentsMargins(0, 0, 0, 0);
    reportLayout->setSpacing(0);
    reportLayout->addWidget(PnlBianJie);
    reportLayout->addWidget(Redtbazi, 1);
    Splitter1->addWidget(Tree);
    Splitter1->addWidget(reportSide);
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Tree->setMinimumWidth(kMinTreeWidth);

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

    connect(BtnPai, &QPushButton::clicked, this, &TFrmMain::requestChart);
    connect(inputs_, &BirthInputs::castRequested, this, &TFrmMain::requestChart);
    connect(SbtoSave, &QToolButton::clicked, this, &TFrmMain::saveRequested);
    connect(PnlBianJie, &UncertaintyPanel::castRequested, this, [this](const ChartRequest& q) {
        inputs_->setUnknownHour(false);
        inputs_->setMoment(q.entered());
        requestChart();
    });
}

void TFrmMain::buildMenus() {
    const auto item = [this](QMenu* menu, const char* name, const QString& text, auto slot) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QLatin1String(name));
        if constexpr (!std::is_same_v<decltype(slot), std::nullptr_t>) connect(a, &QAction::triggered, this, slot);
        else a->setEnabled(false);  // arrives with its own window
        return a;
    };
    QMenu* f = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    f->setObjectName(QStringLiteral("mnuFile"));
    mnuF_save = item(f, "mnuF_save", QStringLiteral("保存记录"), nullptr);
    mnuF_save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(mnuF_save, &QAction::triggered, this, &TFrmMain::saveRequested);
    f->addSeparator();
    mnuF_import = item(f, "mnuF_import", QStringLiteral("导入历史记录"), nullptr);
    mnuF_export = item(f, "mnuF_export", QStringLiteral("导出历史记录"), nullptr);
    mnuF_clear = item(f, "mnuF_clear", QStringLiteral("清除历史记录"), nullptr);
    mnuF_restore = item(f, "mnuF_restore", QStringLiteral("恢复备份…"), nullptr);
    f->addSeparator();
    mnuF_exit = item(f, "mnuF_exit", QStringLiteral("退出"), &QWidget::close);

    QMenu* s = menuBar()->addMenu(QStringLiteral("命理知识(&S)"));
    s->setObjectName(QStringLiteral("mnuKnow"));
    mnuS_pingyu = item(s, "mnuS_pingyu", QStringLiteral("八字断语"), &TFrmMain::PingYuClick);
    mnuS_heluo = item(s, "mnuS_heluo", QStringLiteral("河洛图像"), &TFrmMain::HeLuoClick);
    mnuS_zhishi = item(s, "mnuS_zhishi", QStringLiteral("相关知识"), &TFrmMain::ZhiShiClick);

    QMenu* t = menuBar()->addMenu(QStringLiteral("辅助工具(&T)"));
    t->setObjectName(QStringLiteral("mnuTools"));
    mnuT_fantui = item(t, "mnuT_fantui", QStringLiteral("反推八字"), &TFrmMain::FanTuiClick);
    mnuT_huaiyun = item(t, "mnuT_huaiyun", QStringLiteral("测怀孕"), &TFrmMain::HuaiYunClick);
    mnuT_testname = item(t, "mnuT_testname", QStringLiteral("巧猜姓氏"), &TFrmMain::TestNameClick);
    mnuT_hanzi = item(t, "mnuT_hanzi", QStringLiteral("姓名与五行"), &TFrmMain::HanZiClick);
    t->addSeparator();
    mnuT_copy = item(t, "mnuT_copy", QStringLiteral("复制命理参数"), &TFrmMain::copyChartParameters);
    mnuT_paste = item(t, "mnuT_paste", QStringLiteral("粘贴命理参数"), &TFrmMain::pasteChartParameters);
    t->addSeparator();
    mnuT_dili = item(t, "mnuT_dili", QStringLiteral("经纬度设置"), &TFrmMain::DiLiClick);
    mnuT_wnl = item(t, "mnuT_wnl", QStringLiteral("万年历"), &TFrmMain::WnlClick);
    connect(t, &QMenu::aboutToShow, this, [this] {
        // Pasting needs text on the clipboard.
        mnuT_paste->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
    });

    QMenu* o = menuBar()->addMenu(QStringLiteral("选项(&O)"));
    o->setObjectName(QStringLiteral("mnuOptions"));
    QMenu* pane = o->addMenu(QStringLiteral("命稿设置"));
    pane->setObjectName(QStringLiteral("mnuO_pane"));
    mnuO_default = item(pane, "mnuO_default", QStringLiteral("默认"), &TFrmMain::DefaultPaneClick);
    mnuO_font = item(pane, "mnuO_font", QStringLiteral("字体设置"), &TFrmMain::PaneFontClick);
    mnuO_color = item(pane, "mnuO_color", QStringLiteral("背景色设置"), &TFrmMain::PaneColorClick);
    mnuO_set = item(o, "mnuO_set", QStringLiteral("排盘设置"), &TFrmMain::SetClick);
    mnuO_endinfo = item(o, "mnuO_endinfo", QStringLiteral("命稿结尾信息"), &TFrmMain::EndInfoClick);
    analysis_ = AnalysisPanel::install(this, o);
    o->addSeparator();
    mnuO_fanti = item(o, "mnuO_fanti", QStringLiteral("繁體中文"), &TFrmMain::TraditionalClick);
    mnuO_fanti->setCheckable(true);

    QMenu* h = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    h->setObjectName(QStringLiteral("mnuHelp"));
    mnuH_help = item(h, "mnuH_help", QStringLiteral("软件帮助"), &TFrmMain::TxtHelpClick);
}

// ---- start-up and closing ----

void TFrmMain::FormShow() {
    if (!ini_.reload()) {
        // Defaults are used; the file stays as it is (writes to it are refused).
        QTimer::singleShot(0, this, [this, why = qs(ini_.lastError())] {
            message(this, why, QStringLiteral("错误"), QMessageBox::Critical);
        });
    }
    applyWindowKeys();
    Redtbazi->setPaneFont(qs(ini_.readString("minggao", "fname", kDefaultPaneFont)),
                          ini_.readInt("minggao", "fsize", kDefaultPaneSize));
    Redtbazi->setBackground(colorFromNumber(ini_.readInt("minggao", "bcolor", kDefaultBackground)));
    Redtbazi->clearWithDefaults();

    inputs_->readSettings(ini_);

    engine_ = std::make_unique<ChartRecord>(u8(dataRoot_), Redtbazi);
    if (!store_.openStore(u8(dataRoot_))) {
        const QString why = qs(store_.lastError());
        QTimer::singleShot(0, this, [this, why] {
            message(this, QStringLiteral("无法打开命例库：%1").arg(why), QStringLiteral("错误"), QMessageBox::Critical);
        });
    }
    Redtbazi->setModified(false);

    session_ = new CaseSession(store_, *caseTree_, *Redtbazi, *inputs_, ini_, *this, this);
    connect(session_, &CaseSession::modeChanged, this, &TFrmMain::showSaveMode);
    showSaveMode();
    history_ = new HistoryCommands(store_, this);
    connect(history_, &HistoryCommands::programMustEnd, this, &TFrmMain::endProgram);
    links_ = new CalendarLinks(this, *inputs_, ini_);
    connect(links_, &CalendarLinks::castRequested, this, &TFrmMain::requestChart);
    connect(this, &TFrmMain::saveRequested, session_, &CaseSession::saveCase);
    connect(BtoNew, &QPushButton::clicked, session_, &CaseSession::newCase);
    mnuF_save->setEnabled(true);
    for (auto [action, slot] : {std::pair{mnuF_import, &HistoryCommands::ImportClick},
                                std::pair{mnuF_export, &HistoryCommands::ExportClick},
                                std::pair{mnuF_clear, &HistoryCommands::ClearClick},
                                std::pair{mnuF_restore, &HistoryCommands::RestoreClick}}) {
        action->setEnabled(true);
        connect(action, &QAction::triggered, history_, slot);
    }
    // At start the tree shows the first 300 record slots; 显示全部命例 shows the rest.
    caseTree_->rebuildFirstSlots(300);
}

bool TFrmMain::editingCase() const { return session_ && session_->editingCase(); }

void TFrmMain::setChartResult(const ChartRequest& req, bool valid) {
    lastRequest_ = req;
    chartValid_ = valid;
    if (!valid) analysis_->clearChart();
    if (valid) currentPillars_ = engine_->pillarBytes();
    if (valid) PnlBianJie->showChart(*engine_);
    else PnlBianJie->clear();
    Redtbazi->show();
    if (valid) analysis_->showChart(*engine_);
}

void TFrmMain::dropChart() {
    chartValid_ = false;
    analysis_->clearChart();
}

bool TFrmMain::castCase(const ChartRequest& req, bool keepPane) {
    engine_->reportOutput = !keepPane;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = engine_->buildReport(req);
    QApplication::restoreOverrideCursor();
    engine_->reportOutput = true;
    setChartResult(req, ok);
    if (!ok) message(this, qs(engine_->lastError), QStringLiteral("错误"), QMessageBox::Critical);
    return ok;
}

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

void TFrmMain::applyWindowKeys() {
    QRect r(ini_.readInt("winpos", "left", 10), ini_.readInt("winpos", "top", 10),
            ini_.readInt("winpos", "width", 400), ini_.readInt("winpos", "height", 400));
    r.setWidth(std::max(r.width(), 200));
    r.setHeight(std::max(r.height(), 150));
    // A window that would lie off every screen (a monitor was removed) comes back on the
    // primary one; it must also fit there.
    bool onScreen = false;
    for (const QScreen* s : QGuiApplication::screens()) {
        const QRect both = s->availableGeometry().intersected(r);
        if (both.width() >= 40 && both.height() >= 40) onScreen = true;
    }
    if (const QScreen* primary = QGuiApplication::primaryScreen(); primary && !onScreen) {
        const QRect avail = primary->availableGeometry();
        r.setSize(r.size().boundedTo(avail.size()));
        r.moveTopLeft(avail.topLeft() + QPoint(10, 10));
    }
    resize(r.size());
    move(r.topLeft());
    const int treewid = std::max(ini_.readInt("winpos", "treewid", 180), kMinTreeWidth);
    Splitter1->setSizes({treewid, std::max(1, r.width() - treewid - Splitter1->handleWidth())});
    // A minimised state is not restored: the window would start out of sight.
    if (ini_.readInt("winpos", "state", 0) == 2) setWindowState(Qt::WindowMaximized);
}

void TFrmMain::closeEvent(QCloseEvent* e) {
    if (!FormClose()) {
        e->ignore();
        return;
    }
    e->accept();
}

bool TFrmMain::FormClose() {
    if (session_) session_->askToSaveChanges();
    const int state = isMaximized() ? 2 : (isMinimized() ? 1 : 0);
    const QFont f = Redtbazi->paneFont();
    // Only the keys this window owns, written into the file as it is now: settings another
    // window saved while this one was open stay.
    const bool ok = ini_.update([&](text::IniEditor& e) {
        if (state == 0 && !(e.writeInt("winpos", "left", x()) && e.writeInt("winpos", "top", y()) &&
                            e.writeInt("winpos", "width", width()) && e.writeInt("winpos", "height", height())))
            return false;
        return e.writeInt("winpos", "treewid", std::max(Tree->width(), kMinTreeWidth)) &&
               e.writeInt("winpos", "state", state) && e.writeString("minggao", "fname", u8(f.family())) &&
               e.writeInt("minggao", "fsize", f.pointSize()) &&
               e.writeInt("minggao", "bcolor", numberFromColor(Redtbazi->background())) && inputs_->writeSettings(e);
    });
    if (!ok) {
        message(this, QStringLiteral("窗口设置未能保存：%1").arg(qs(ini_.lastError())), QStringLiteral("错误"),
                QMessageBox::Critical);
    }
    if (pingYu_) pingYu_->close();
    engine_.reset();
    return true;
}

// ---- the chart ----

void TFrmMain::requestChart() {
    chartValid_ = false;
    std::optional<ChartRequest> shown = inputs_->request();
    if (!shown) return;
    ChartRequest req = *shown;
    if (!inputs_->chooseFold(req)) return;
    session_->askToSaveChanges();
    // The inputs become the current record's birth data; its class and note stay.
    session_->takeRequest(req);
    Redtbazi->showPlaceholder(QStringLiteral("婚配运算中.............."));
    BtnPai->setEnabled(false);
    // Let the placeholder paint before the engine runs.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    engine_->reportOutput = true;
    const bool ok = engine_->buildReport(req);
    QApplication::restoreOverrideCursor();
    BtnPai->setEnabled(true);
    lastRequest_ = req;
    if (!ok) {
        PnlBianJie->clear();
        Redtbazi->show();
        analysis_->clearChart();
        message(this, qs(engine_->lastError), QStringLiteral("错误"), QMessageBox::Critical);
        return;
    }
    if (inputs_->unknownHour()) {
        // No hour, no chart: the pane asks for one of the twelve.
        PnlBianJie->showUnknownHour(*engine_);
        analysis_->clearChart();
        Redtbazi->showPlaceholder(QStringLiteral("时辰不详：请在上方表格中选择一个时辰排盘。"));
        Redtbazi->hide();  // the table takes the pane's place until an hour is chosen
        return;
    }
    Redtbazi->show();
    PnlBianJie->showChart(*engine_);
    currentPillars_ = engine_->pillarBytes();
    chartValid_ = true;
    analysis_->showChart(*engine_);
    // The pane's modified flag stays for the user's own edits: a recomputed report is saved
    // into an open case only when the user saves it.
    if (engine_->promptSave()) emit saveRequested();
}

// ---- chart parameters on the clipboard ----

void TFrmMain::copyChartParameters() {
    if (!chartValid_) {
        message(this, QStringLiteral("请先排一个正确的八字盘后才能复制八字参数！"), QStringLiteral("提示"),
                QMessageBox::Information);
        return;
    }
    app::ChartParameters p;
    p.year = displayYear(lastRequest_.year);
    p.month = lastRequest_.month;
    p.day = lastRequest_.day;
    p.hour = lastRequest_.hour;
    p.minute = lastRequest_.minute;
    p.kind = app::calendarKind(lastRequest_.lunar, lastRequest_.leap);
    p.male = lastRequest_.male;
    p.name = lastRequest_.name;
    p.province = lastRequest_.province;
    p.city = lastRequest_.city;
    QGuiApplication::clipboard()->setText(qs(app::formatChartParameters(p)));
    message(this, QStringLiteral("复制完成，可以从墨衡软件里面粘贴，从而快速输入参数排盘！"), appTitle());
}

void TFrmMain::pasteChartParameters() {
    const QString clip = QGuiApplication::clipboard()->text();
    if (clip.isEmpty()) return;
    app::ChartParameters p;
    if (!app::parseChartParameters(u8(clip), p)) return;
    inputs_->setParameters(p);
    message(this, QStringLiteral("成功粘贴命理参数！"), appTitle());
}

// ---- menu commands ----

TFrmPingYu* TFrmMain::pingYuViewer() const { return pingYu_.data(); }

void TFrmMain::PingYuClick() {
    if (!pingYu_) pingYu_ = new TFrmPingYu(datDir(), this);
    pingYu_->show();
    pingYu_->raise();
    pingYu_->activateWindow();
}

void TFrmMain::ZhiShiClick() {
    const QString path = datDir() + QStringLiteral("/bzzs.chm");
    if (!QFileInfo::exists(path)) return;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        message(this, QStringLiteral("无法打开“%1”：没有能打开这种文件的程序。").arg(path), QStringLiteral("错误"),
                QMessageBox::Critical);
}

void TFrmMain::HeLuoClick() {
    TFrmHeLuo dlg(this);
    dlg.exec();
}

void TFrmMain::FanTuiClick() { links_->openReverseSearch(currentPillars_); }

void TFrmMain::HuaiYunClick() {
    TFrmHuaiYun dlg(this);
    dlg.exec();
}

void TFrmMain::TestNameClick() {
    TFrmTestName dlg(this);
    dlg.exec();
}

void TFrmMain::HanZiClick() {
    TFrmHanZi dlg(dataRoot_, this);
    dlg.exec();
}

void TFrmMain::WnlClick() { links_->openCalendar(); }

void TFrmMain::TxtHelpClick() {
    TFrmTxtHelp dlg(this);
    dlg.exec();
}

void TFrmMain::DiLiClick() {
    {
        TFrmDiLi dlg(datDir(), this);
        dlg.exec();
    }
    // Places may have changed: reread them, staying on the same place when it is still there.
    inputs_->reloadCities();
}

void TFrmMain::SetClick() {
    TFrmSet dlg(ini_, this);
    dlg.exec();
}

void TFrmMain::EndInfoClick() {
    TFrmEndfo dlg(ini_, datDir(), this);
    dlg.exec();
}

void TFrmMain::TraditionalClick() {
    const bool on = mnuO_fanti->isChecked();
    if (!ini_.writeInt(script::kDisplaySection, script::kTraditionalKey, on ? 1 : 0)) {
        mnuO_fanti->setChecked(!on);
        message(this, qs(ini_.lastError()), appTitle(), QMessageBox::Warning);
        return;
    }
    setTraditionalShown(on);
}

void TFrmMain::DefaultPaneClick() {
    Redtbazi->setPaneFont(QString::fromUtf8(kDefaultPaneFont), kDefaultPaneSize);
    Redtbazi->setBackground(Qt::white);
    message(this, QStringLiteral("设置完成"), appTitle());
}

void TFrmMain::PaneFontClick() {
    QFontDialog dlg(Redtbazi->paneFont(), this);
    dlg.setObjectName(QStringLiteral("FontDialog"));
    dlg.setOption(QFontDialog::DontUseNativeDialog);
    dlg.setWindowTitle(QStringLiteral("字体设置"));
    if (dlg.exec() != QDialog::Accepted) return;
    const QFont f = dlg.selectedFont();
    Redtbazi->setPaneFont(f.family(), f.pointSize());
    message(this, QStringLiteral("设置完成"), appTitle());
}

void TFrmMain::PaneColorClick() {
    QColorDialog dlg(Redtbazi->background(), this);
    dlg.setObjectName(QStringLiteral("ColorDialog"));
    dlg.setOption(QColorDialog::DontUseNativeDialog);
    dlg.setWindowTitle(QStringLiteral("背景色设置"));
    if (dlg.exec() != QDialog::Accepted) return;
    Redtbazi->setBackground(dlg.selectedColor());
    message(this, QStringLiteral("设置完成"), appTitle());
}

}  // namespace hj::gui
