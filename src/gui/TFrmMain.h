#pragma once
// The main window: case tree, report pane, birth-data inputs and the main menu.
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/casestore/case_store.h"
#include "core/chart/chart.h"
#include "core/text/ini.h"

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
class CaseSession;
class CaseTree;
class HistoryCommands;
class ReportEdit;
class TFrmPingYu;
class UncertaintyPanel;
class UpDown;
class WorldPlaceBox;

class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    // `dataRoot` is the folder holding dat/ and bazi_f/ (already created).
    explicit TFrmMain(const QString& dataRoot, QWidget* parent = nullptr);
    ~TFrmMain() override;

    // ---- controls ----
    QTreeWidget* Tree;
    QSplitter* Splitter1;
    ReportEdit* Redtbazi;
    QWidget* Panel1;
    QLineEdit* EdtYear;
    UpDown* UpDyear;
    QComboBox* cbom;
    QComboBox* cbod;
    QComboBox* cbos;
    QComboBox* cbomin;
    QCheckBox* ChkBuXiang;  // 时辰不详: the twelve hours of the day instead of one chart
    QComboBox* CboLi;
    QCheckBox* Chkrun;
    QRadioButton* Rdona;
    QRadioButton* Rdonv;
    QLineEdit* Edtname;
    QComboBox* cbodiZ;
    QComboBox* cbodiC;
    QCheckBox* ChkLiuNian;
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
    bool chartValid() const { return chartValid_; }
    std::array<std::uint8_t, 4> currentPillars() const { return currentPillars_; }
    const ChartRequest& lastRequest() const { return lastRequest_; }
    // A stored case is open in the pane (editing mode).
    bool editingCase() const;
    // The case tree, the case in the pane, and the history commands.
    CaseTree* caseTree() const { return caseTree_; }
    CaseSession* caseSession() const { return session_; }
    HistoryCommands* history() const { return history_; }
    // 海外: a birthplace abroad and the zone shown before 测算.
    WorldPlaceBox* worldPlaces() const { return worldPlaces_; }
    AnalysisPanel* analysisPanel() const { return analysis_; }
    // An invalid chart also empties the analysis panel.
    void setChartValid(bool valid);
    // After a chart from `req`: when `valid`, the pillars are taken from the last chart cast.
    void setChartResult(const ChartRequest& req, bool valid);
    // Casts the chart of `req` with the settings the data folder holds now and, when `show`,
    // puts its report into the pane. False with the message in `error`.
    bool castChart(const ChartRequest& req, bool show, std::string& error);
    // The last chart cast.
    const Chart& chart() const { return chart_; }
    casestore::CaseStore& caseStore() { return store_; }
    text::IniFile& settings() { return ini_; }
    QString dataRoot() const { return dataRoot_; }
    QString datDir() const { return dataRoot_ + QStringLiteral("/dat"); }
    TFrmPingYu* pingYuViewer() const;
    // Longitude and latitude of each entry of the city list.
    const std::vector<float>& cityLongitudes() const { return cityLon_; }
    const std::vector<float>& cityLatitudes() const { return cityLat_; }

    // Reads and checks the inputs into `req`; false after showing why (focus on the control).
    bool readInputs(ChartRequest& req);

signals:
    // The user asked to store the case (保存记录, or the setting 提示保存 after a chart).
    void saveRequested();

public slots:
    void requestChart();
    void copyChartParameters();
    void pasteChartParameters();
    void rebuildCities();

protected:
    void closeEvent(QCloseEvent* e) override;

private slots:
    void UpDyearClick();
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
    void buildControls();
    void buildMenus();
    void FormShow();
    void applyWindowKeys();
    bool FormClose();
    void setShownYear(int shown);
    void refuseYear();  // the message for a year the chart cannot take

    QString dataRoot_;
    text::IniFile ini_;
    Chart chart_;
    casestore::CaseStore store_;
    std::vector<float> cityLon_, cityLat_;
    ChartRequest lastRequest_;
    std::array<std::uint8_t, 4> currentPillars_{};
    bool chartValid_ = false;
    CaseTree* caseTree_ = nullptr;
    CaseSession* session_ = nullptr;
    HistoryCommands* history_ = nullptr;
    WorldPlaceBox* worldPlaces_ = nullptr;
    AnalysisPanel* analysis_ = nullptr;
    QPointer<TFrmPingYu> pingYu_;
};

}  // namespace hj::gui
