// The case store's record operations: open, read, write, add, remove, search.
#include "core/platform/platform.h"
#include "core/casestore/case_store.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/casestore/backups.h"
#include "core/casestore/case_identity.h"
#include "core/casestore/record_layout.h"
#include "core/casestore/store_session.h"
#include "core/text/gbk.h"
#include "core/text/file_io.h"

namespace hj::casestore {
using detail::StoreFile;
namespace fs = std::filesystem;

namespace {
// Slots a damaged record file may lack at its end and still take an append (about 1 MB of holes).
constexpr std::int32_t kMaxFillSlots = 1000;

std::string withoutTrailingSlash(std::string p) {
    while (p.size() > 1 && (p.back() == '/' || p.back() == '\\')) p.pop_back();
    return p;
}
}  // namespace

// ---- store ----

bool CaseStore::fail(std::string message) {
    lastError_ = std::move(message);
    return false;
}

std::string CaseStore::recordFilePath(int k) const { return datDir_ + "/" + prefix_ + std::to_string(k) + ".dat"; }

std::string CaseStore::reportPath(int i) const { return reportDir_ + "/" + std::to_string(i) + ".rtf"; }

bool CaseStore::setPaths(const std::string& programDir, std::uint8_t kind) {
    lastError_.clear();
    datDir_.clear();
    if (kind != kKindBazi) return fail("不支持的记录类型 " + std::to_string(kind));
    kind_ = kind;
    programDir_ = withoutTrailingSlash(programDir.empty() ? std::string(".") : programDir);
    datDir_ = programDir_ + "/dat";
    reportDir_ = programDir_ + "/" + prefix_ + "_f";
    header_ = StoreHeader{};
    return true;
}

bool CaseStore::openStore(const std::string& programDir, std::uint8_t kind) {
    if (!setPaths(programDir, kind)) return false;
    std::error_code ec;
    for (const std::string& d : {datDir_, reportDir_}) {
        fs::create_directories(platform::pathOf(d), ec);
        if (ec || !fs::is_directory(platform::pathOf(d), ec)) return fail("无法创建文件夹 " + d);
    }
    StoreSession s(*this);
    return s.begin(true);
}

bool CaseStore::openExisting(const std::string& programDir, std::uint8_t kind) {
    if (!setPaths(programDir, kind)) return false;
    StoreSession s(*this);
    return s.begin(false);
}

bool CaseStore::readHeader(StoreHeader& out) {
    lastError_.clear();
    StoreSession s(*this);
    if (!s.begin(false)) return false;
    out = s.h;
    return true;
}

int CaseStore::recordCount() {
    StoreHeader h;
    return readHeader(h) ? h.count : -1;
}

namespace {

// The bytes of slot i of an open session into `b`: false with the reason in `error` (empty
// for an index beyond count), true with `live` set otherwise.
bool readSlot(StoreSession& s, const CaseStore& store, int i, RecordBytes& b, std::string& error) {
    error.clear();
    if (i < 0 || i >= s.h.count) return false;
    const int k = i / kRecordsPerFile;
    StoreFile* f = s.file(k, &error);
    if (!f) {
        if (error.empty()) error = "记录文件不存在：" + store.recordFilePath(k);
        return false;
    }
    if (!f->readExact(StoreSession::slotOffset(i), b.data(), b.size())) {
        error = "记录文件不完整，第" + std::to_string(i) + "号命例不在其中：" + f->path();
        return false;
    }
    return true;
}

CaseRecord decodeSlot(const char* b, std::int32_t slot) {
    CaseRecord r = decodeRecord(b);
    r.index = slot;
    return r;
}

}  // namespace

bool CaseStore::readRecord(int i, CaseRecord& out) { return readCase(i, out, nullptr, nullptr); }

bool CaseStore::readCase(int i, CaseRecord& out, std::string* report, bool* hasReport) {
    lastError_.clear();
    if (report) report->clear();
    if (hasReport) *hasReport = false;
    StoreSession s(*this);
    if (!s.begin(false)) return false;
    RecordBytes b{};
    std::string err;
    if (!readSlot(s, *this, i, b, err)) return err.empty() ? false : fail(err);
    out = decodeSlot(b.data(), i);
    if (out.deleted != 0) return false;
    if (report) {
        bool missing = false;
        if (!text::readRegularFile(reportPath(i), text::kMaxReportBytes, *report, &err, &missing) && !missing)
            return fail(err);
        if (hasReport) *hasReport = !missing;
    } else if (hasReport) {
        *hasReport = detail::isRegularFile(reportPath(i));
    }
    return true;
}

bool CaseStore::readRecords(const std::vector<int>& indices, std::vector<CaseRecord>& out) {
    lastError_.clear();
    out.clear();
    StoreSession s(*this);
    if (!s.begin(false)) return false;
    RecordBytes b{};
    for (int i : indices) {
        if (i < 0 || i >= s.h.count) continue;
        std::string err;
        StoreFile* f = s.file(i / kRecordsPerFile, &err);
        if (!f) {
            if (!err.empty()) return fail(err);
            continue;
        }
        if (!f->readExact(StoreSession::slotOffset(i), b.data(), b.size())) continue;
        if (b[detail::kOffDeleted] != 0) continue;
        out.push_back(decodeSlot(b.data(), i));
    }
    return true;
}

bool CaseStore::readAllRecords(std::vector<CaseRecord>& out, std::int32_t* missingSlots) {
    lastError_.clear();
    out.clear();
    if (missingSlots) *missingSlots = 0;
    StoreSession s(*this);
    if (!s.begin(false)) return false;
    if (!s.scan(0, s.h.count, [&](std::int32_t i, const char* b) {
            if (b[detail::kOffDeleted] == 0) out.push_back(decodeSlot(b, i));
            return true;
        }))
        return false;
    if (missingSlots)
        for (int k = 0; k < filesForCount(s.h.count); ++k) {
            const std::int64_t wanted = std::min<std::int64_t>(s.h.count - std::int64_t{k} * kRecordsPerFile, kRecordsPerFile);
            if (wanted > 0) *missingSlots += static_cast<std::int32_t>(std::max<std::int64_t>(0, wanted - s.slotsPresent(k)));
        }
    return true;
}

enum class Slot { Live, Absent, Unreadable, Stale };

// The bytes of slot i of an open session and whether it holds a live record. Absent: no such
// slot or a deleted one ("第i号命例" + `deletedWhy` in `error`); Unreadable: a record file
// missing, cut short or failing (the reason in `error`).
Slot liveSlot(const CaseStore& store, StoreSession& s, int i, const char* deletedWhy, RecordBytes& b, std::string& error) {
    if (!readSlot(s, store, i, b, error)) {
        if (!error.empty()) return Slot::Unreadable;
        error = "没有第" + std::to_string(i) + "号命例";
        return Slot::Absent;
    }
    if (b[detail::kOffDeleted] != 0) {
        error = "第" + std::to_string(i) + "号命例" + deletedWhy;
        return Slot::Absent;
    }
    return Slot::Live;
}

// liveSlot for a case named by slot and identity: Stale (kStaleCase in `error`) when the
// identity is given and the slot is gone or holds another case.
Slot caseSlot(const CaseStore& store, StoreSession& s, const CaseRef& ref, const char* deletedWhy, RecordBytes& b,
              std::string& error) {
    const Slot state = liveSlot(store, s, ref.slot, deletedWhy, b, error);
    if (ref.id == 0 || state == Slot::Unreadable) return state;
    if (state == Slot::Absent || identityOf(b.data()) != ref.id ||
        (ref.revision != 0 && revisionOf(b.data()) != ref.revision)) {
        error = std::string(kStaleCase);
        return Slot::Stale;
    }
    return Slot::Live;
}

namespace {
// The write that turns slot `i`'s bytes `was` into `now`: only the bytes that differ.
void addSlotWrite(detail::Journal& j, std::int32_t i, const RecordBytes& was, const RecordBytes& now) {
    std::size_t a = 0, e = kRecordSize;
    while (a < e && was[a] == now[a]) ++a;
    while (e > a && was[e - 1] == now[e - 1]) --e;
    if (a == e) return;
    j.writes.push_back({i / kRecordsPerFile, StoreSession::slotOffset(i) + static_cast<std::int64_t>(a),
                        std::string(now.data() + a, e - a)});
}
}  // namespace

bool CaseStore::writeRecord(const CaseRef& ref, const CaseRecord& r, const std::string* report, CaseRef* stored) {
    lastError_.clear();
    const int i = ref.slot;
    CaseRecord copy = r;
    copy.index = i;
    copy.deleted = 0;
    RecordBytes b{};
    if (!encodeRecord(copy, b, &lastError_)) return false;  // checked before anything is touched
    StoreSession s(*this);
    if (!s.begin(true)) return false;
    RecordBytes was{};
    std::string err;
    if (caseSlot(*this, s, ref, "已被删除，不能再保存到这个位置", was, err) != Slot::Live) return fail(err);
    // The case keeps the identity its slot holds; one without gets a new one now.
    const std::uint64_t held = identityOf(was.data());
    copy.caseId = isStoredIdentity(held) ? held : newCaseIdentity();
    copy.revision = nextRevision(was.data());
    if (!encodeRecord(copy, b, &lastError_)) return false;
    detail::Journal j;
    addSlotWrite(j, i, was, b);
    if (report) {
        if (!s.stageReport(i, *report)) return false;
        j.placeReports.push_back(i);
    }
    if (!s.commit(j, "保存")) return false;
    if (stored) *stored = CaseRef{i, identityOf(b.data()), revisionOf(b.data())};
    return true;
}

namespace {
std::vector<CaseRef> refsOf(const std::vector<int>& indices) {
    std::vector<CaseRef> refs;
    refs.reserve(indices.size());
    for (int i : indices) refs.push_back(CaseRef{i, 0});
    return refs;
}

// Sorted by slot, each slot once (a slot named twice with two identities keeps both, and one
// of them is then stale).
std::vector<CaseRef> uniqueRefs(std::vector<CaseRef> refs) {
    std::sort(refs.begin(), refs.end(), [](const CaseRef& a, const CaseRef& b) {
        return a.slot != b.slot ? a.slot < b.slot : a.id < b.id;
    });
    refs.erase(std::unique(refs.begin(), refs.end()), refs.end());
    return refs;
}
}  // namespace

bool CaseStore::modifyRecords(const std::vector<int>& indices, const std::function<void(CaseRecord&)>& change,
                              std::vector<std::pair<CaseRecord, CaseRecord>>* changed) {
    return modifyRecords(refsOf(indices), change, changed);
}

bool CaseStore::modifyRecords(const std::vector<CaseRef>& refs, const std::function<void(CaseRecord&)>& change,
                              std::vector<std::pair<CaseRecord, CaseRecord>>* changed) {
    lastError_.clear();
    if (changed) changed->clear();
    StoreSession s(*this);
    if (!s.begin(true)) return false;
    detail::Journal j;
    std::vector<std::pair<CaseRecord, CaseRecord>> done;
    for (const CaseRef& ref : uniqueRefs(refs)) {
        const int i = ref.slot;
        RecordBytes was{}, now{};
        std::string err;
        const Slot state = caseSlot(*this, s, ref, "已被删除", was, err);
        if (state == Slot::Unreadable || state == Slot::Stale) return fail(err);
        if (state == Slot::Absent) continue;  // gone meanwhile
        const CaseRecord before = decodeSlot(was.data(), i);
        CaseRecord after = before;
        change(after);
        after.index = i;
        after.deleted = 0;
        after.caseId = isStoredIdentity(before.caseId) ? before.caseId : newCaseIdentity();
        after.revision = nextRevision(was.data());
        if (!encodeRecord(after, now, &lastError_)) return false;
        after.caseId = identityOf(now.data());
        after.revision = revisionOf(now.data());
        addSlotWrite(j, i, was, now);
        done.emplace_back(before, after);
    }
    if (!s.commit(j, "保存")) return false;
    if (changed) *changed = std::move(done);
    return true;
}

int CaseStore::addRecord(const CaseRecord& r, const std::string* report, CaseRef* added) {
    lastError_.clear();
    auto failed = [this](std::string message) {
        fail(std::move(message));
        return -1;
    };
    CaseRecord copy = r;
    copy.deleted = 0;
    copy.caseId = newCaseIdentity();  // a new case, whatever the copy carried
    copy.revision = 1;
    RecordBytes b{};
    if (!encodeRecord(copy, b, &lastError_)) return -1;  // checked before anything is touched
    StoreSession s(*this);
    if (!s.begin(true)) return -1;
    detail::Journal j;

    std::int32_t idx = -1;
    if (s.h.reuse != 0 && s.h.deletedCount > 0) {
        if (!s.scan(0, s.h.count, [&](std::int32_t i, const char* slot) {
                if (slot[detail::kOffDeleted] == 0) return true;
                idx = i;
                return false;
            }))
            return -1;
        if (idx >= 0) {
            s.h.deletedCount -= 1;
            if (s.h.deletedCount <= 0) {
                s.h.deletedCount = 0;
                s.h.reuse = 0;
            }
            copy.index = idx;
            if (!encodeRecord(copy, b, &lastError_)) return -1;
            j.writes.push_back({idx / kRecordsPerFile, StoreSession::slotOffset(idx), std::string(b.data(), b.size())});
        }
    }
    if (idx < 0) {
        // No hole to fill (or none left although the header counted some): append, and let the
        // header count exactly the holes that exist, i.e. none before the gap handling below.
        if (s.h.reuse != 0) s.h.deletedCount = 0;
        s.h.reuse = 0;
        idx = s.h.count;
        if (static_cast<std::int64_t>(idx) + 1 > static_cast<std::int64_t>(kMaxFileCount) * kRecordsPerFile)
            return failed("命例库已满");
        const int k = idx / kRecordsPerFile;
        // The header's count must agree with the record files really there: every earlier file
        // whole, and only a short tail of this one missing.
        for (int before = 0; before < k; ++before) {
            std::string err;
            if (!s.file(before, &err) || s.slotsPresent(before) < kRecordsPerFile)
                return failed("命例库文件头与记录文件不符：" + recordFilePath(before) + (err.empty() ? "缺失或不完整" : "：" + err));
        }
        std::string err;
        if (!s.file(k, &err) && !err.empty()) return failed(err);
        const std::int32_t fileFirst = k * kRecordsPerFile;
        const std::int32_t gapFirst = std::min(idx, fileFirst + static_cast<std::int32_t>(s.slotsPresent(k)));
        if (idx - gapFirst > kMaxFillSlots)
            return failed("命例库文件头与记录文件不符：" + recordFilePath(k) + "比文件头所说的少" +
                          std::to_string(idx - gapFirst) + "条记录");
        // A record file shorter than the count says (damaged, or cut off by another tool): its
        // missing slots become holes, so nothing past its end is read as a live record later.
        std::string block;
        for (std::int32_t i = gapFirst; i < idx; ++i) {
            RecordBytes hole{};
            for (int byte = 0; byte < 4; ++byte)
                hole[detail::kOffIndex + static_cast<std::size_t>(byte)] =
                    static_cast<char>((static_cast<std::uint32_t>(i) >> (8 * byte)) & 0xFF);
            hole[detail::kOffDeleted] = 1;
            block.append(hole.data(), hole.size());
        }
        copy.index = idx;
        if (!encodeRecord(copy, b, &lastError_)) return -1;
        block.append(b.data(), b.size());
        j.writes.push_back({k, StoreSession::slotOffset(gapFirst), std::move(block)});
        s.h.count = idx + 1;
        s.h.fileCount = static_cast<std::int16_t>(filesForCount(s.h.count));
        s.h.deletedCount += idx - gapFirst;
        if (s.h.deletedCount >= kReuseThreshold) s.h.reuse = 1;
    }
    s.writeHeader(j);
    if (report) {
        if (!s.stageReport(idx, *report)) return -1;
        j.placeReports.push_back(idx);
    } else {
        j.dropReports.push_back(idx);  // a former case's report never passes to this one
    }
    if (!s.commit(j, "保存")) return -1;
    if (added) *added = CaseRef{idx, identityOf(b.data()), revisionOf(b.data())};
    return idx;
}

bool CaseStore::removeRecord(const CaseRef& ref, bool withReport) {
    lastError_.clear();
    // A single removal says why it did nothing (see removeRecords).
    return removeRecords(std::vector<CaseRef>{ref}, withReport);
}

bool CaseStore::removeRecords(const std::vector<int>& indices, bool withReports, std::vector<int>* removed) {
    return removeRecords(refsOf(indices), withReports, removed);
}

bool CaseStore::removeRecords(const std::vector<CaseRef>& refs, bool withReports, std::vector<int>* removed,
                              bool backUpFirst) {
    lastError_.clear();
    lastBackup_.clear();
    if (removed) removed->clear();
    StoreSession s(*this);
    if (!s.begin(true)) return false;
    const std::vector<CaseRef> unique = uniqueRefs(refs);
    detail::Journal j;
    std::vector<int> done;
    for (const CaseRef& ref : unique) {
        const int i = ref.slot;
        RecordBytes b{};
        std::string err;
        const Slot state = caseSlot(*this, s, ref, "已经删除", b, err);
        if (state == Slot::Unreadable || state == Slot::Stale || (state == Slot::Absent && unique.size() == 1))
            return fail(err);
        if (state == Slot::Absent || (!done.empty() && done.back() == i)) continue;
        j.writes.push_back({i / kRecordsPerFile, StoreSession::slotOffset(i) + static_cast<std::int64_t>(detail::kOffDeleted),
                            std::string(1, '\1')});
        if (withReports) j.dropReports.push_back(i);
        done.push_back(i);
    }
    if (done.empty()) return true;
    std::string made;
    if (backUpFirst && backupsEnabled()) {
        std::string err;
        if (!detail::makeBackup(s.paths(), made, &err))
            return fail("删除失败，没有删除任何命例：无法先做备份：" + err);
    }
    s.h.deletedCount += static_cast<std::int32_t>(done.size());
    if (s.h.deletedCount >= kReuseThreshold) s.h.reuse = 1;
    s.writeHeader(j);
    if (!s.commit(j, "删除")) return false;
    if (!made.empty()) {
        lastBackup_ = made;
        detail::pruneBackups(s.paths(), kBackupsKept);
    }
    if (removed) *removed = std::move(done);
    return true;
}

int CaseStore::findCase(std::uint64_t id) {
    lastError_.clear();
    StoreSession s(*this);
    if (!s.begin(false)) return -1;
    int found = -1;
    if (!s.scan(0, s.h.count, [&](std::int32_t i, const char* b) {
            if (b[detail::kOffDeleted] != 0 || identityOf(b) != id) return true;
            found = i;
            return false;
        }))
        return -1;
    return found;
}

namespace {

// `needle` occurs in `hay` starting at a character boundary (GBK: a byte 0x81..0xFE leads a
// two-byte character), so a match never pairs the second half of one character with the
// first half of the next.
bool containsGbk(std::string_view hay, std::string_view needle) {
    if (needle.empty()) return true;
    std::size_t p = 0;
    while (p + needle.size() <= hay.size()) {
        if (std::memcmp(hay.data() + p, needle.data(), needle.size()) == 0) return true;
        const auto c = static_cast<unsigned char>(hay[p]);
        p += (c >= 0x81 && c <= 0xFE && p + 1 < hay.size()) ? 2 : 1;
    }
    return false;
}

struct TextCriterion {
    std::uint8_t mode = kMatchIgnore;
    bool impossible = false;  // the text has no GBK form: no record can hold it
    std::string gbk;

    TextCriterion(std::uint8_t m, const std::string& utf8) : mode(m) {
        if (mode != kMatchIgnore && !text::utf8ToGbk(utf8, gbk)) impossible = true;
    }
    bool matches(const char* field, std::size_t width) const {
        if (mode == kMatchIgnore) return true;
        if (impossible) return false;
        const std::string_view v = text::gbkField(field, width);
        if (mode == kMatchEquals) return v == gbk;
        return containsGbk(v, gbk);
    }
};

std::int16_t rawInt16(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(b[0] | (b[1] << 8)));
}

}  // namespace

bool CaseStore::searchRecords(const SearchCriteria& c, std::vector<int>& out) {
    lastError_.clear();
    out.clear();
    StoreSession s(*this);
    if (!s.begin(false)) return false;
    const TextCriterion name(c.nameMode, c.name);
    const TextCriterion cls(c.classMode, c.className);
    // The place criterion belongs to record kinds 3 and up, which keep their place elsewhere.
    const TextCriterion place(s.h.kind < 3 ? kMatchIgnore : c.placeMode, c.place);
    using namespace detail;
    return s.scan(0, s.h.count, [&](std::int32_t i, const char* b) {
        if (b[kOffDeleted] != 0) return true;
        if (!name.matches(b + kOffName, kNameField)) return true;
        if (!cls.matches(b + kOffClass, kClassField)) return true;
        if (!place.matches(b + kOffPlace, kPlaceField)) return true;
        if (c.sexOn && static_cast<std::uint8_t>(b[kOffMale]) != c.sexValue) return true;
        if (c.yearOn) {
            const std::int16_t y = rawInt16(b + kOffYear);
            if (y < c.yearFrom || y > c.yearTo) return true;
        }
        if (c.province != -1 && rawInt16(b + kOffProvince) != c.province) return true;
        out.push_back(i);
        return true;
    });
}

// ---- report files ----

bool CaseStore::saveReport(const CaseRef& ref, std::string_view rtfBytes, CaseRef* stored) {
    lastError_.clear();
    const int i = ref.slot;
    StoreSession s(*this);
    if (!s.begin(true)) return false;
    RecordBytes was{};
    std::string err;
    if (caseSlot(*this, s, ref, "已被删除，不能再保存命稿", was, err) != Slot::Live) return fail(err);
    // The report is part of the case: its revision rises with it, in the same change. Only the
    // tails change; the record's other bytes stay exactly as they were.
    RecordBytes now = was;
    if (!isStoredIdentity(identityOf(now.data()))) putIdentity(now.data(), newCaseIdentity());
    putRevision(now.data(), nextRevision(was.data()));
    if (!s.stageReport(i, rtfBytes)) return false;
    detail::Journal j;
    addSlotWrite(j, i, was, now);
    j.placeReports.push_back(i);
    if (!s.commit(j, "保存命稿")) return false;
    if (stored) *stored = CaseRef{i, identityOf(now.data()), revisionOf(now.data())};
    return true;
}

bool CaseStore::loadReport(int i, std::string& rtfBytes) {
    CaseRecord r;
    bool has = false;
    if (!readCase(i, r, &rtfBytes, &has)) {
        if (lastError_.empty()) fail("没有第" + std::to_string(i) + "号命例");
        return false;
    }
    return has || fail("命稿文件不存在：" + reportPath(i));
}

std::string CaseStore::changeStamp() const {
    if (!isOpen()) return {};
    const detail::StorePaths p{datDir_, reportDir_, prefix_};
    return std::to_string(detail::readCounter(p.changes())) + '/' + detail::fileState(p.recordFile(0)) + '/' +
           detail::fileState(p.journal());
}

std::uint64_t CaseStore::changeCount() const {
    return isOpen() ? detail::readCounter(detail::StorePaths{datDir_, reportDir_, prefix_}.changes()) : 0;
}

bool CaseStore::reportExists(int i) const { return isOpen() && detail::isRegularFile(reportPath(i)); }

bool CaseStore::removeReport(int i) {
    lastError_.clear();
    StoreSession s(*this);
    if (!s.lock(true)) return false;
    detail::Journal j;
    j.dropReports.push_back(i);
    return s.commit(j, "删除命稿");
}

}  // namespace hj::casestore
