#pragma once
// What the main window knows about the case in its report pane: whether a stored case is
// open (editing mode) and which, and its own copy of the record, which a save writes back.
//
// The copy must follow what the tree does to the same stored case meanwhile: an edit, a move
// or a class rename of the open case changes the store, and a later save of the open case
// must keep those changes; a deletion ends editing, so a save can never write into a slot
// the store counts as a hole (or that a newer case has taken since). The open case is named by
// slot and identity (`openCase`), so the store itself refuses a save over a slot that another
// window or process has given to another case meanwhile.
#include <string>

#include "core/casestore/case_store.h"
#include "core/chart/chart.h"

namespace hj::presentation {

// Copies the birth data of a chart request into a case record (name, date, time, calendar,
// sex, place); class, note, index and the deleted mark are left as they are.
void copyRequestInto(const ChartRequest& req, casestore::CaseRecord& r);
// The birth data of a case record as a chart request: the fields copyRequestInto writes, the
// zone and fold from the pad bytes; the options (yearly) as a new request has them.
ChartRequest requestFromRecord(const casestore::CaseRecord& r);

class CaseEditState {
public:
    bool editingCase() const { return editing_; }
    int openCaseId() const { return editing_ ? openCaseId_ : -1; }
    // The open case's slot, identity and the revision this window read or wrote last; slot -1
    // when none is open. A save names the revision, so the store refuses it over a change made
    // elsewhere since.
    casestore::CaseRef openCase() const {
        return editing_ ? casestore::CaseRef{openCaseId_, record_.caseId, record_.revision} : casestore::CaseRef{};
    }
    const std::string& openReportPath() const { return openReportPath_; }
    // The record being edited, or about to be added.
    const casestore::CaseRecord& record() const { return record_; }
    casestore::CaseRecord& record() { return record_; }

    // A chart was requested: the birth data of the request replace the copy's; class, note
    // and index stay.
    void takeRequest(const ChartRequest& req);
    // The stored case `index` is now open, with the record read from the store.
    void open(int index, const casestore::CaseRecord& r, std::string reportPath);
    // Back to new-case mode.
    void leaveEditing();

    // The stored record of the open case was changed from `before` to `after` elsewhere:
    // every field the change touched is taken into the copy. True when it was the open case.
    bool applyStoredChange(const casestore::CaseRecord& before, const casestore::CaseRecord& after);
    // Record `index` was deleted; when it was the open case, editing ends. True then.
    bool forgetDeleted(int index);
    // The open case was saved as `stored` (the identity and revision the store gave it included).
    void saved(const casestore::CaseRecord& stored);
    // The open case's report alone was stored: the case is now `stored` (identity, revision).
    void reportSaved(const casestore::CaseRef& stored);
    // The store as it is now: `now` is the open case's slot as read (null when it holds no live
    // case). Another case in the slot, or none, ends editing (true then); the same case changed
    // elsewhere has its changes taken into the copy, but not its revision: this window has not
    // seen the report stored with it, so a save from here is refused until the case is opened
    // again (or stored as a new one).
    bool followStore(const casestore::CaseRecord* now);

private:
    bool editing_ = false;
    int openCaseId_ = -1;
    std::string openReportPath_;
    casestore::CaseRecord record_;
    casestore::CaseRecord stored_;  // the open case as last read or written
};

}  // namespace hj::presentation
