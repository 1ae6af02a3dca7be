#pragma once
// The main window: case tree, report pane, birth-data inputs and the main menu.
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/casestore/case_store.h"
#include "core/chart/chart_record.h"
#include "core/text/ini.h"
#include "gui/CaseSession.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QSplitter;
class QToolButton;
class QTreeWidget;

namespace hj::gui {

class AnalysisPanel;
class BirthInputs;
class CalendarLinks;
class CaseSession;
class CaseTree;
class HistoryCommands;
class ReportEdit;
class TFrmPingYu;
class UncertaintyPanel;

class TFrmMain : public QMainWindow, private ChartHost {
    Q_OBJECT
public:
    // `dataRoot` is the folder holding dat/ and bazi_f/ (already created).
    explicit TFrmMain(const QString& dataRoot, QWidget* parent = nullptr);
    ~TFrmMain() override;

    // ---- controls ----
    QTreeWidget* Tree;
    QSplitter* Splitter1;
    ReportEdit* Redtbazi;
    QPushButton* BtnPai;
    QPushButton* BtoNew;
    QToolButton* SbtoSave;
    UncertaintyPanel* PnlBianJie;  // boundaries near the birth, conventions, the hour table

    // ---- menu items ----
    QAction* mnuF_save;
    QAction* mnuF_import;
    QAction* mnuF_export;
    QAction* mnuF_clear;
    QAction* mnuF_restore;
    QAction* mnuF_exit;
    QAction* mnuS_pingyu;
    QAction* mnuS_heluo;
    QAction* mnuS_zhishi;
    QAction* mnuT_fantui;
    QAction* mnuT_huaiyun;
    QAction* mnuT_testname;
    QAction* mnuT_hanzi;
    QAction* mnuT_copy;
    QAction* mnuT_paste;
    QAction* mnuT_dili;
    QAction* mnuT_wnl;
    QAction* mnuO_default;
    QAction* mnuO_font;
    QAction* mnuO_color;
    QAction* mnuO_set;
    QAction* mnuO_endinfo;
    QAction* mnuO_fanti;  // 繁體中文: the display in Traditional characters
    QAction* mnuH_help;

    // ---- state ----
    bool chartValid() const override { return chartValid_; }
    std::array<std::uint8_t, 4> currentPillars() const { return currentPillars_; }
    const ChartRequest& lastRequest() const { return lastRequest_; }
    // A stored case is open in the pane (editing mode).
    bool editingCase() const;
    // The case tree, the case in the pane, and the history commands.
    CaseTree* caseTree() const { return caseTree_; }
    CaseSession* caseSession() const { return session_; }
    // 万年历 and 反推八字.
    CalendarLinks* calendarLinks() const { return links_; }
    // Name, date, time, calendar, sex and place of the birth.
    BirthInputs* birthInputs() const { return inputs_; }
    AnalysisPanel* analysisPanel() const { return analysis_; }
    ChartRecord& engine() { return *engine_; }
    casestore::CaseStore& caseStore() { return store_; }
    text::IniFile& settings() { return ini_; }
    QString dataRoot() const { return dataRoot_; }
    QString datDir() const { return dataRoot_ + QStringLiteral("/dat"); }
    TFrmPingYu* pingYuViewer() const;

signals:
    // The user asked to store the case (保存记录, or the setting 提示保存 after a chart).
    void saveRequested();

public slots:
    void requestChart();
    void copyChartParameters();
    void pasteChartParameters();

protected:
    void closeEvent(QCloseEvent* e) override;

private slots:
    void PingYuClick();
    void ZhiShiClick();
    void DiLiClick();
    void HeLuoClick();
    void FanTuiClick();
    void HuaiYunClick();
    void TestNameClick();
    void HanZiClick();
    void WnlClick();
    void TxtHelpClick();
    void SetClick();
    void EndInfoClick();
    void TraditionalClick();
    void DefaultPaneClick();
    void PaneFontClick();
    void PaneColorClick();

private:
    // ChartHost: an opened case's chart.
    void dropChart() override;
    bool castCase(const ChartRequest& req, bool keepPane) override;
    // After a chart from `req`: when `valid`, the pillars are taken from the engine.
    void setChartResult(const ChartRequest& req, bool valid);
    // 存新 or 存旧, as the case session's mode is.
    void showSaveMode();
    // The history was replaced: nothing of the open case is written on the way out.
    void endProgram();
    void buildControls();
    void buildMenus();
    void FormShow();
    void applyWindowKeys();
    bool FormClose();

    QString dataRoot_;
    text::IniFile ini_;
    std::unique_ptr<ChartRecord> engine_;
    casestore::CaseStore store_;
    ChartRequest lastRequest_;
    std::array<std::uint8_t, 4> currentPillars_{};
    bool chartValid_ = false;
    CaseTree* caseTree_ = nullptr;
    CaseSession* session_ = nullptr;
    HistoryCommands* history_ = nullptr;
    CalendarLinks* links_ = nullptr;
    BirthInputs* inputs_ = nullptr;
    AnalysisPanel* analysis_ = nullptr;
    QPointer<TFrmPingYu> pingYu_;
};

}  // namespace hj::gui
