#pragma once
// The main window: the case tree, the report pane with the boundary panel above it, the
// birth inputs below, the analysis dock and the main menu. It places these views, runs the
// chart the inputs ask for, and wires the menu to the helpers that do the work (the case
// session, the history commands, the calendar links); none of them touches its controls.
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <cstdint>
#include <string>

#include "core/casestore/case_store.h"
#include "core/chart/chart.h"
#include "core/text/ini.h"
#include "gui/CaseSession.h"

class QAction;
class QDockWidget;
class QPushButton;
class QSplitter;
class QTabWidget;
class QToolButton;

namespace hj::gui {

class AnalysisDock;
class AnalysisPanel;
class BirthInputs;
class CalendarLinks;
class CaseTree;
class ChartCardCommands;
class ChartCardView;
class ChartClipboard;
class HistoryCommands;
class ReportEdit;
class ReportPrinting;
class TFrmPingYu;
class UncertaintyPanel;

class TFrmMain : public QMainWindow, private ChartHost {
    Q_OBJECT
public:
    // `dataRoot` is the folder holding dat/ and bazi_f/ (already created).
    explicit TFrmMain(const QString& dataRoot, QWidget* parent = nullptr);
    ~TFrmMain() override;

    // ---- what the window shows, for the window tests ----
    bool chartValid() const override { return chartValid_; }
    std::array<std::uint8_t, 4> currentPillars() const { return currentPillars_; }
    const ChartRequest& lastRequest() const { return lastRequest_; }
    // The last chart cast.
    const Chart& chart() const { return chart_; }
    // A stored case is open in the pane (editing mode).
    bool editingCase() const;
    CaseTree* caseTree() const { return caseTree_; }
    CaseSession* caseSession() const { return session_; }
    BirthInputs* birthInputs() const { return inputs_; }
    CalendarLinks* calendarLinks() const { return links_; }
    // The analysis panel; null until its dock was first shown.
    AnalysisPanel* analysisPanel() const;
    ChartCardView* chartCard() const { return cardView_; }
    TFrmPingYu* pingYuViewer() const;
    text::IniFile& settings() { return ini_; }

signals:
    // The user asked to store the case (保存记录, or the setting 提示保存 after a chart).
    void saveRequested();

public slots:
    void requestChart();
    void copyChartParameters();
    void pasteChartParameters();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void createWidgets();
    void createActions();
    void createMenus();
    void readSettings();
    void writeSettings();
    // A chart not stored or an edited open case is offered for saving; false when cancelled.
    bool maybeSave();
    // The case store and the helpers that work on it.
    void openStore();
    // Casts the chart of `req` with the settings the data folder holds now and, when `show`,
    // puts its report into the pane. False with the message in `error`.
    bool castChart(const ChartRequest& req, bool show, std::string& error);

    // ChartHost: the chart of an opened case.
    void dropChart() override;
    bool castCase(const ChartRequest& req, bool keepPane) override;
    // After a chart from `req`: when `valid`, the pillars are taken from the last chart cast.
    void setChartResult(const ChartRequest& req, bool valid);
    // 存新 or 存旧, as the case session's mode is.
    void showSaveMode();
    // The history was replaced: nothing of the open case is written on the way out.
    void endProgram();
    // 经纬度设置: the place editor; the inputs reread the cities after it.
    void editPlaces();
    void openPingYu();
    void openKnowledge();
    void setTraditional(bool on);
    // 合婚 with `first` as the first person; the second typed or chosen from the cases.
    void openMatch(const ChartRequest& first, bool typedSecond);

    QString dataRoot_;
    text::IniFile ini_;
    Chart chart_;
    casestore::CaseStore store_;
    ChartRequest lastRequest_;
    std::array<std::uint8_t, 4> currentPillars_{};
    bool chartValid_ = false;

    // ---- views ----
    CaseTree* caseTree_ = nullptr;
    QSplitter* Splitter1 = nullptr;
    QTabWidget* TabChart = nullptr;  // 命稿 (the report) and 命盘 (the picture)
    ReportEdit* Redtbazi = nullptr;
    ChartCardView* cardView_ = nullptr;
    UncertaintyPanel* PnlBianJie = nullptr;  // boundaries near the birth, conventions, the hour table
    BirthInputs* inputs_ = nullptr;
    QPushButton* BtnPai = nullptr;
    QPushButton* BtoNew = nullptr;
    QToolButton* SbtoSave = nullptr;
    AnalysisDock* analysisDock_ = nullptr;
    bool shownOnce_ = false;
    QPointer<TFrmPingYu> pingYu_;

    // ---- helpers ----
    CaseSession* session_ = nullptr;
    HistoryCommands* history_ = nullptr;
    ChartCardCommands* cardCommands_ = nullptr;
    CalendarLinks* links_ = nullptr;
    ChartClipboard* clipboard_ = nullptr;
    ReportPrinting* printing_ = nullptr;

    // ---- menu items ----
    QAction* mnuF_save = nullptr;
    QAction* mnuF_import = nullptr;
    QAction* mnuF_export = nullptr;
    QAction* mnuF_clear = nullptr;
    QAction* mnuF_restore = nullptr;
    QAction* mnuF_print = nullptr;    // 打印… (Ctrl+P)
    QAction* mnuF_preview = nullptr;  // 打印预览…
    QAction* mnuF_exit = nullptr;
    QAction* mnuS_pingyu = nullptr;
    QAction* mnuS_heluo = nullptr;
    QAction* mnuS_zhishi = nullptr;
    QAction* mnuT_fantui = nullptr;
    QAction* mnuT_huaiyun = nullptr;
    QAction* mnuT_testname = nullptr;
    QAction* mnuT_hanzi = nullptr;
    QAction* mnuT_match = nullptr;  // 合婚: the current chart and a second birth
    QAction* mnuT_copy = nullptr;
    QAction* mnuT_paste = nullptr;
    QAction* mnuT_dili = nullptr;
    QAction* mnuT_wnl = nullptr;
    QAction* mnuO_default = nullptr;
    QAction* mnuO_font = nullptr;
    QAction* mnuO_color = nullptr;
    QAction* mnuO_set = nullptr;
    QAction* mnuO_endinfo = nullptr;
    QAction* mnuO_fenxi = nullptr;  // 八字分析: shows or hides the analysis dock
    QAction* mnuO_fanti = nullptr;  // 繁體中文: the display in Traditional characters
    QAction* mnuH_help = nullptr;
    QAction* mnuH_about = nullptr;  // 关于 衡鉴
};

}  // namespace hj::gui
