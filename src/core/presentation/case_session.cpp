#include "core/presentation/case_session.h"

#include "core/casestore/case_identity.h"
#include "core/zones/case_zone.h"

namespace hj::presentation {

void copyRequestInto(const ChartRequest& req, casestore::CaseRecord& r) {
    r.name = req.name;
    r.year = req.year;
    r.month = req.month;
    r.day = req.day;
    r.hour = req.hour;
    r.minute = req.minute;
    r.lunar = req.lunar ? 1 : 0;
    r.leap = req.leap ? 1 : 0;
    r.male = req.male ? 1 : 0;
    r.province = req.province;
    r.city = req.city;
    r.longitude = req.longitude;
    r.latitude = req.latitude;
    r.place = req.place;
    zones::storeZone(r, req.zone, req.fold);  // a zone outside the world list is refused before
}

ChartRequest requestFromRecord(const casestore::CaseRecord& r) {
    ChartRequest q;
    q.name = r.name;
    q.year = r.year;
    q.month = r.month;
    q.day = r.day;
    q.hour = r.hour;
    q.minute = r.minute;
    q.lunar = r.lunar == 1;
    q.leap = r.leap == 1;
    q.male = r.male != 0;
    q.province = r.province;
    q.city = r.city;
    q.longitude = r.longitude;
    q.latitude = r.latitude;
    q.place = r.place;
    zones::storedZone(r, q.zone, q.fold);
    return q;
}

void CaseEditState::takeRequest(const ChartRequest& req) { copyRequestInto(req, record_); }

void CaseEditState::open(int index, const casestore::CaseRecord& r, std::string reportPath) {
    editing_ = true;
    openCaseId_ = index;
    openReportPath_ = std::move(reportPath);
    record_ = r;
    record_.index = index;
    stored_ = record_;
}

void CaseEditState::leaveEditing() {
    editing_ = false;
    openCaseId_ = -1;
    openReportPath_.clear();
}

bool CaseEditState::applyStoredChange(const casestore::CaseRecord& before, const casestore::CaseRecord& after) {
    if (!editing_ || after.index != openCaseId_) return false;
    if (before.caseId != 0 && record_.caseId != 0 && before.caseId != record_.caseId) return false;  // another case
    record_.caseId = after.caseId;
    record_.revision = after.revision;
    const auto take = [](auto& mine, const auto& was, const auto& now) {
        if (!(was == now)) mine = now;
    };
    take(record_.name, before.name, after.name);
    take(record_.className, before.className, after.className);
    take(record_.year, before.year, after.year);
    take(record_.month, before.month, after.month);
    take(record_.day, before.day, after.day);
    take(record_.hour, before.hour, after.hour);
    take(record_.minute, before.minute, after.minute);
    take(record_.lunar, before.lunar, after.lunar);
    take(record_.leap, before.leap, after.leap);
    take(record_.male, before.male, after.male);
    take(record_.province, before.province, after.province);
    take(record_.city, before.city, after.city);
    take(record_.longitude, before.longitude, after.longitude);
    take(record_.latitude, before.latitude, after.latitude);
    take(record_.note, before.note, after.note);
    take(record_.place, before.place, after.place);
    stored_ = after;
    return true;
}

void CaseEditState::saved(const casestore::CaseRecord& stored) {
    record_.caseId = stored.caseId;
    record_.revision = stored.revision;
    stored_ = stored;
    stored_.index = openCaseId_;
}

void CaseEditState::reportSaved(const casestore::CaseRef& stored) {
    if (!editing_ || stored.slot != openCaseId_) return;
    record_.caseId = stored_.caseId = stored.id;
    record_.revision = stored_.revision = stored.revision;
}

namespace {
// The person of a record: what an identity's check covers, the class and note left out.
bool samePerson(const casestore::CaseRecord& a, const casestore::CaseRecord& b) {
    return a.name == b.name && a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.lunar == b.lunar && a.leap == b.leap && a.male == b.male;
}
}  // namespace

bool CaseEditState::followStore(const casestore::CaseRecord* now) {
    if (!editing_) return false;
    // A record without a stored identity gets one at its first change elsewhere (a move, say):
    // the same person still in the slot is still this case, not a deleted one.
    const bool gotIdentity = now && !casestore::isStoredIdentity(record_.caseId) &&
                             casestore::isStoredIdentity(now->caseId) && samePerson(stored_, *now);
    if (!now || (now->caseId != record_.caseId && !gotIdentity)) {
        leaveEditing();
        return true;
    }
    if (!(*now == stored_)) {
        const casestore::CaseRecord was = stored_;
        const std::uint64_t read = record_.revision;
        applyStoredChange(was, *now);
        record_.revision = read;  // see followStore in the header
    }
    return false;
}

bool CaseEditState::forgetDeleted(int index) {
    if (!editing_ || index != openCaseId_) return false;
    leaveEditing();
    return true;
}

}  // namespace hj::presentation
