// One operation on the case store: lock, recovery, header, record files, scans.
#include "core/platform/platform.h"
#include "core/casestore/store_session.h"


#include <algorithm>
#include <utility>
#include <vector>

#include "core/casestore/backups.h"
#include "core/casestore/record_layout.h"
#include "core/text/file_io.h"

namespace hj::casestore {
using detail::StoreFile;

namespace {
constexpr std::int32_t kScanBlock = 256;  // slots read at a time by a scan (about 300 KB)
}  // namespace

StoreSession::StoreSession(CaseStore& store) : store_(store) {
    paths_ = detail::StorePaths{store.datDir_, store.reportDir_, store.prefix_};
}

namespace {

// Before anything of a change happens: the store's folders are real folders (a link would let
// a deletion reach another folder) and can be written.
bool checkChangeable(const detail::StorePaths& p, std::string* error) {
    const std::pair<std::string, const char*> folders[] = {
        {p.datDir, "数据文件夹"},           {p.reportDir, "命稿文件夹"},
        {p.pendingDir(), "命稿暂存文件夹"}, {p.stagedRecordDir(), "暂存文件夹"},
        {p.stagedReportDir(), "暂存文件夹"}, {p.backupDir(), "备份文件夹"},
    };
    std::string why;
    for (const auto& [path, what] : folders)
        if (!detail::checkFolderEntry(path, what, &why)) {
            if (error) *error = "命例库不能修改：" + why;
            return false;
        }
    for (const std::string& folder : {p.datDir, p.reportDir})
        if (detail::exists(folder) && !platform::canWriteFolder(folder)) {
            if (error) *error = "数据文件夹 " + folder + " 是只读的（" + detail::errnoText() + "），命例库不能修改";
            return false;
        }
    return true;
}

}  // namespace

bool StoreSession::lock(bool exclusive) {
    exclusive_ = exclusive;
    if (!store_.isOpen()) return fail("命例库尚未打开");
    std::string err;
    bool missing = false;
    store_.busy_ = false;
    lock_.setWaitHook(store_.waitHook_);
    // Every failure to take the lock below is another process holding it (or the wait given up).
    const auto busy = [&](const std::string& message) {
        store_.busy_ = lock_.busy();
        return fail(message);
    };
    if (!lock_.take(paths_.datDir, exclusive, store_.lockWaitMs_, &err, &missing)) return busy(err);
    // Finishes an unfinished change and drops the leftovers of interrupted ones.
    auto finish = [&] {
        return checkChangeable(paths_, &err) && detail::recover(paths_, &err) && detail::dropUnfinishedBackups(paths_, &err);
    };
    if (exclusive) return finish() || fail(err);
    // A reader that finds an unfinished change finishes it first, under the exclusive lock. It
    // removes leftovers too when it can; one that cannot (a read-only folder, another process
    // busy) still reads.
    for (int round = 0; round < 3; ++round) {
        const bool unfinished = detail::needsRecovery(paths_);
        if (!unfinished && !detail::hasLeftovers(paths_) && !detail::hasUnfinishedBackups(paths_)) return true;
        if (!lock_.take(paths_.datDir, true, unfinished ? store_.lockWaitMs_ : 0, &err)) {
            if (unfinished) return busy(err);
        } else if (detail::needsRecovery(paths_)) {
            if (!finish()) return fail(err);
        } else {
            std::string ignored;
            if (checkChangeable(paths_, &ignored) && detail::recover(paths_, &ignored))
                detail::dropUnfinishedBackups(paths_, &ignored);
            if (!lock_.take(paths_.datDir, false, store_.lockWaitMs_, &err)) return busy(err);
            return true;  // leftovers that could not go are no reason to stop reading
        }
        if (!lock_.take(paths_.datDir, false, store_.lockWaitMs_, &err)) return busy(err);
        if (!unfinished) return true;
    }
    store_.busy_ = true;
    return fail("命例库正被另一个程序反复修改，请稍后再试（" + paths_.datDir + "）");
}

bool StoreSession::begin(bool exclusive) {
    if (!lock(exclusive)) {
        // A folder without dat/ holds no store: an empty one to a reader.
        if (!exclusive && store_.isOpen() && !detail::exists(paths_.datDir)) {
            store_.lastError_.clear();
            h = StoreHeader{};
            h.kind = store_.kind_;
            store_.header_ = h;
            return true;
        }
        return false;
    }
    std::string err;
    const std::string f0 = paths_.recordFile(0);
    if (exclusive) {
        StoreHeader fresh;
        fresh.kind = store_.kind_;
        const HeaderBytes hb = encodeHeader(fresh);
        if (!detail::exists(f0) && !detail::createExclusive(f0, std::string_view(hb.data(), hb.size()), nullptr, &err))
            return fail(err);
    }
    bool missing = false;
    if (!f0_.open(f0, exclusive ? StoreFile::Mode::ReadWrite : StoreFile::Mode::Read, &err, &missing)) {
        if (!missing) return fail(err);
        h = StoreHeader{};
        h.kind = store_.kind_;
        store_.header_ = h;
        return true;
    }
    HeaderBytes hb{};
    if (!f0_.readExact(0, hb.data(), hb.size())) return fail("命例库文件头不完整：" + f0);
    h = decodeHeader(hb.data());
    if (!checkHeader(h, store_.kind_, &err)) return fail(err + "（" + f0 + "）");
    store_.header_ = h;
    return true;
}

StoreFile* StoreSession::file(int k, std::string* error) {
    if (error) error->clear();
    if (k == 0) return f0_.isOpen() ? &f0_ : nullptr;
    auto it = files_.find(k);
    if (it != files_.end()) return &it->second;
    StoreFile f;
    bool missing = false;
    std::string err;
    if (!f.open(paths_.recordFile(k), StoreFile::Mode::Read, &err, &missing)) {
        if (error && !missing) *error = err;
        return nullptr;
    }
    return &files_.emplace(k, std::move(f)).first->second;
}

void StoreSession::writeHeader(detail::Journal& j) const {
    const HeaderBytes hb = encodeHeader(h);
    j.writes.push_back({0, 0, std::string(hb.data(), hb.size())});
}

bool StoreSession::stageReport(std::int32_t slot, std::string_view bytes) {
    // What the store's own readers (show, export, backup, import) would refuse is never stored.
    if (bytes.size() > text::kMaxReportBytes)
        return fail("命稿太大（" + std::to_string((bytes.size() + (1u << 20) - 1) >> 20) + " MB），超过了命例库能读回的上限（" +
                    std::to_string(text::kMaxReportBytes >> 20) + " MB），没有保存；请删去一些内容后再保存");
    std::string err;
    if (!detail::makeFolder(paths_.reportDir, &err) || !detail::makeFolder(paths_.pendingDir(), &err) ||
        !detail::writeWholeFile(paths_.pendingReport(slot), bytes, &err) || !detail::syncFolder(paths_.pendingDir(), &err))
        return fail("命稿未能保存：" + err);
    return true;
}

bool StoreSession::commit(const detail::Journal& j, const std::string& failurePrefix) {
    std::string err;
    if (!detail::commit(j, paths_, &err)) {
        if (detail::needsRecovery(paths_)) return fail(failurePrefix + "未完成（下次打开命例库时会继续完成）：" + err);
        // Nothing was decided: what was written for the change goes now.
        std::string ignored;
        detail::removeFolder(paths_.pendingDir(), &ignored);
        if (j.switchHistory) {
            detail::removeFolder(paths_.stagedRecordDir(), &ignored);
            detail::removeFolder(paths_.stagedReportDir(), &ignored);
        }
        return fail(failurePrefix + "失败，命例库没有改动：" + err);
    }
    detail::raiseCounter(paths_.changes());
    store_.header_ = h;
    return true;
}

std::int64_t StoreSession::slotOffset(std::int64_t i) {
    const int k = static_cast<int>(i / kRecordsPerFile);
    return fileBase(k) + (i % kRecordsPerFile) * static_cast<std::int64_t>(kRecordSize);
}

std::int64_t StoreSession::slotsPresent(int k) {
    StoreFile* f = file(k, nullptr);
    if (!f) return 0;
    const std::int64_t size = f->size();
    if (size <= fileBase(k)) return 0;
    return std::min<std::int64_t>((size - fileBase(k)) / static_cast<std::int64_t>(kRecordSize), kRecordsPerFile);
}

bool StoreSession::scan(std::int32_t first, std::int32_t last,
                        const std::function<bool(std::int32_t, const char*)>& fn) {
    first = std::max(first, 0);
    last = std::min(last, h.count);
    std::vector<char> buf(static_cast<std::size_t>(kScanBlock) * kRecordSize);
    std::int32_t i = first;
    while (i < last) {
        const int k = i / kRecordsPerFile;
        const std::int32_t fileFirst = k * kRecordsPerFile;
        const std::int32_t fileEnd = std::min(last, fileFirst + kRecordsPerFile);
        std::string err;
        StoreFile* f = file(k, &err);
        if (!f && !err.empty()) return fail(err);
        const std::int64_t present = f ? slotsPresent(k) : 0;
        const std::int32_t presentEnd = static_cast<std::int32_t>(std::min<std::int64_t>(fileEnd, fileFirst + present));
        while (i < presentEnd) {
            const std::int32_t n = std::min(kScanBlock, presentEnd - i);
            const std::size_t bytes = static_cast<std::size_t>(n) * kRecordSize;
            if (!f->readExact(slotOffset(i), buf.data(), bytes))
                return fail("无法读取记录文件 " + f->path() + "：" + detail::errnoText());
            for (std::int32_t j = 0; j < n; ++j)
                if (!fn(i + j, buf.data() + static_cast<std::size_t>(j) * kRecordSize)) return true;
            i += n;
        }
        i = fileEnd;
    }
    return true;
}

}  // namespace hj::casestore
