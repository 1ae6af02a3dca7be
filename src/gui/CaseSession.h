#pragma once
// Saving, opening and starting cases in the main window: the pane holds either a new chart
// (new-case mode, "存新") or a stored case (editing mode, "存旧"). Saving a new chart asks for
// a class and adds a record; saving in editing mode overwrites the open case.
#include <QObject>

#include "core/app/case_session.h"

namespace hj::gui {

class CaseTree;
class StoreWatcher;
class TFrmMain;

class CaseSession : public QObject {
    Q_OBJECT
public:
    CaseSession(TFrmMain& window, CaseTree& tree);

    const app::CaseEditState& state() const { return state_; }
    bool editingCase() const { return state_.editingCase(); }
    int openCaseId() const { return state_.openCaseId(); }

    // A chart is about to be computed from `req`: its birth data go into the current record.
    void takeRequest(const ChartRequest& req) { state_.takeRequest(req); }
    // Asks "当前命例文本已改变，要保存吗？" when the open case's pane was changed; Yes saves it.
    void askToSaveChanges();
    // Forgets the open case without saving it (the store is about to be replaced).
    void dropOpenCase();

public slots:
    void saveCase();
    void openCase(const hj::casestore::CaseRef& ref);
    void newCase();
    // Another window or process changed the store: the tree shows it as it is now, and the
    // open case follows (changed fields taken; gone from its slot: no longer stored, 存新 offered).
    void storeChanged();

private slots:
    void recordChanged(const hj::casestore::CaseRecord& before, const hj::casestore::CaseRecord& after);
    void caseDeleted(int index, bool emptyPane);

private:
    void showMode();
    bool saveReport(const casestore::CaseRef& ref, QString* error);
    void followStore();
    // The stored report of a case holds some text (not only blanks).
    bool storedReportHasText(int index);

    TFrmMain& w_;
    CaseTree& tree_;
    app::CaseEditState state_;
    StoreWatcher* watcher_ = nullptr;
    bool orphaned_ = false;  // the pane shows a case no longer in the store
    bool retryPending_ = false;
};

}  // namespace hj::gui
