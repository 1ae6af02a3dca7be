#pragma once
// Saving, opening and starting cases in the main window: the pane holds either a new chart
// (new-case mode, "存新") or a stored case (editing mode, "存旧"). Saving a new chart asks for
// a class and adds a record; saving in editing mode overwrites the open case. The session
// works on the store, the tree, the pane and the birth inputs it is given; the chart of an
// opened case it asks of the window (ChartHost), and its mode it announces (modeChanged).
#include <QObject>
#include <QPointer>

class QProgressDialog;
class QTimer;

#include "core/presentation/case_session.h"

namespace hj::text {
class IniFile;
}

namespace hj::gui {

class BirthInputs;
class CaseTree;
class ReportEdit;
class StoreWatcher;

// What a case session asks of the window that shows the chart of its case.
class ChartHost {
public:
    virtual ~ChartHost() = default;
    // A chart cast from the inputs is shown (a new case needs one).
    virtual bool chartValid() const = 0;
    // No chart any more: the views of the chart empty; the pane keeps its text.
    virtual void dropChart() = 0;
    // Casts the chart of an opened case; with `keepPane` the pane keeps the stored report it
    // holds, else the new report goes there. False after saying why.
    virtual bool castCase(const ChartRequest& req, bool keepPane) = 0;
};

class CaseSession : public QObject {
    Q_OBJECT
public:
    // The pane holds the case's report, the inputs its birth data; `settings` keeps the class
    // list; messages and dialogs go over `window`.
    CaseSession(casestore::CaseStore& store, CaseTree& tree, ReportEdit& pane, BirthInputs& inputs,
                text::IniFile& settings, ChartHost& host, QWidget* window);

    const presentation::CaseEditState& state() const { return state_; }
    bool editingCase() const { return state_.editingCase(); }
    int openCaseId() const { return state_.openCaseId(); }
    // The pane shows a case that another window or process removed from the store.
    bool orphaned() const { return orphaned_; }

    // A chart is about to be computed from `req`: its birth data go into the current record.
    void takeRequest(const ChartRequest& req) {
        state_.takeRequest(req);
        newChartSaved_ = false;
    }
    // The pane shows a new chart that was not stored (存新 not yet used).
    bool chartUnsaved() const { return !state_.editingCase() && host_.chartValid() && !newChartSaved_; }
    // Asks "当前命例文本已改变，要保存吗？" when the open case's pane was changed; Yes saves it.
    void askToSaveChanges();
    // Before the pane is given to something else (another case, a new chart, closing): a chart
    // not stored asks "当前命盘还没有保存，要保存吗？" (Yes/No/Cancel), a changed open case
    // askToSaveChanges. False when the user cancelled or the save did not happen.
    bool askAboutUnsavedWork();
    // Forgets the open case, and the chart in the pane, without saving or asking (the store is
    // about to be replaced).
    void dropOpenCase();

public slots:
    void saveCase();
    void openCase(const hj::casestore::CaseRef& ref);
    // Opens the case with its report cast again from the record, replacing the stored report.
    void recastCase(const hj::casestore::CaseRef& ref);
    void newCase();
    // Another window or process changed the store: the tree shows it as it is now, and the
    // open case follows (changed fields taken; gone from its slot: no longer stored, 存新 offered).
    void storeChanged();

signals:
    // Editing mode (存旧) began or ended, or the open case left the store.
    void modeChanged();

private slots:
    void recordChanged(const hj::casestore::CaseRecord& before, const hj::casestore::CaseRecord& after);
    void caseDeleted(int index, bool emptyPane);

private:
    bool saveReport(const casestore::CaseRef& ref, QString* error);
    // The store's wait for another process (CaseStore::setWaitHook).
    bool keepWaiting(int waitedMs);
    // A save of the open case was refused as stale: offers to reopen it or store it anew.
    void offerAfterStaleSave(const casestore::CaseRef& mine);
    void followStore();
    // The stored report of a case holds some text (not only blanks).
    bool storedReportHasText(int index);

    casestore::CaseStore& store_;
    CaseTree& tree_;
    ReportEdit& pane_;
    BirthInputs& inputs_;
    text::IniFile& settings_;
    ChartHost& host_;
    QWidget* window_;
    presentation::CaseEditState state_;
    StoreWatcher* watcher_ = nullptr;
    bool orphaned_ = false;  // the pane shows a case no longer in the store
    bool retryPending_ = false;
    bool newChartSaved_ = false;  // the new chart in the pane was stored by 存新
    bool recast_ = false;         // the open under way casts the report again and stores it
    QPointer<QProgressDialog> waitBox_;
    QTimer* waitBoxGone_ = nullptr;
};

}  // namespace hj::gui
