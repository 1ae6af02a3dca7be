// The history as a whole: clearing, export to a folder, import from an exported folder.
//
// Clearing and importing stage the new history (empty, or a checked copy of the source) beside
// the store, keep the old one as a backup (backups.h) and switch to the new one in one
// journalled change, so an unreadable source, a failure or a crash never costs the user the
// cases they had, and never mixes two histories.
//
// Exporting copies every file into a staging folder inside the target folder first
// (.export-<pid>-<serial>-<random>), under an exclusive lock on the target folder, so two
// exports into one folder never mix and an import of it waits. Only when every copy is whole
// and flushed is the folder's earlier export replaced: its record file 0 removed first, the new
// reports and record files renamed in, stale ones removed, and record file 0 renamed in last. A
// failed copy leaves the folder as it was; a failure while replacing leaves no record file 0,
// so nothing there looks like an export. The staging folder lives in the target itself rather
// than beside it, so a target that is the root of a mounted disk, or whose parent cannot be
// written, works too; the target keeps whatever unrelated files it holds.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <system_error>
#include <vector>

#include "core/platform/platform.h"
#include "core/casestore/backups.h"
#include "core/casestore/case_store.h"
#include "core/casestore/journal.h"
#include "core/casestore/store_file.h"
#include "core/casestore/store_session.h"
#include "core/text/file_io.h"

namespace hj::casestore {
using detail::StoreFile;
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kRecordFileMax =
    static_cast<std::int64_t>(kHeaderSize) + static_cast<std::int64_t>(kRecordsPerFile) * kRecordSize;

bool samePath(const std::string& a, const std::string& b) {
    std::error_code ec;
    const fs::path pa = platform::pathOf(a), pb = platform::pathOf(b);
    return fs::exists(pa, ec) && fs::exists(pb, ec) && fs::equivalent(pa, pb, ec) && !ec;
}

std::string folderOf(const std::string& folder) {
    std::string f = folder;
    while (f.size() > 1 && (f.back() == '/' || f.back() == '\\')) f.pop_back();
    return f.empty() ? "." : f;
}

// The folder of a chosen file ("." for a bare name).
std::string parentOf(const std::string& file) {
    const std::string parent = platform::utf8Of(platform::pathOf(file).parent_path());
    return parent.empty() ? "." : parent;
}

bool isFolder(const std::string& path) { return platform::kindOf(path) == platform::Kind::Folder; }

bool lowerEquals(std::string a, const std::string& lower) {
    std::transform(a.begin(), a.end(), a.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return a == lower;
}

// A store's record folder (dat/): it holds the store's journal or change counter, or, named dat,
// record file 0 or the settings file. An export never counts: it holds its own bazi_f.
bool isDataFolder(const fs::path& d, const std::string& prefix) {
    std::error_code ec;
    const auto has = [&](const std::string& name) { return fs::exists(d / platform::pathOf(name), ec); };
    if (!fs::is_directory(d, ec)) return false;
    if (has(prefix + ".journal") || has(prefix + ".changes")) return true;
    return lowerEquals(platform::utf8Of(d.filename()), "dat") && !fs::is_directory(d / platform::pathOf(prefix + "_f"), ec) &&
           (has(prefix + "0.dat") || has("bzinit.ini"));
}

// The data folder an export into `target` would write into: the target is one or lies inside
// one, holds one (dat/ beside the reports an export replaces), or lies in the report folder of
// a folder that holds one. Empty when there is none. Links are followed as the export will.
std::string dataFolderAt(const std::string& target, const std::string& prefix) {
    std::error_code ec;
    fs::path p = fs::absolute(platform::pathOf(target), ec).lexically_normal();
    // The part that exists, with its links resolved; the rest as named.
    fs::path existing = p, rest;
    while (!existing.empty() && !fs::exists(existing, ec) && existing.has_relative_path()) {
        rest = existing.filename() / rest;
        existing = existing.parent_path();
    }
    const fs::path real = fs::canonical(existing, ec);
    if (!ec) p = (real / rest).lexically_normal();
    if (p.filename().empty() && p.has_relative_path()) p = p.parent_path();  // a trailing separator
    if (isDataFolder(p / "dat", prefix)) return platform::utf8Of(p / "dat");
    const std::string reports = prefix + "_f";
    for (fs::path a = p;; a = a.parent_path()) {
        if (isDataFolder(a, prefix)) return platform::utf8Of(a);
        if (lowerEquals(platform::utf8Of(a.filename()), reports) && isDataFolder(a.parent_path() / "dat", prefix))
            return platform::utf8Of(a);
        if (!a.has_relative_path()) break;
    }
    return {};
}

bool keepReport(const std::string& name, const std::string&) { return detail::isReportName(name) && name[0] != '.'; }

bool keepRecordFile(const std::string& name, const std::string& prefix) {
    return detail::recordFileNumber(name, prefix) >= 0;
}
// ".export-<pid>-<serial>-<random>", the staging folder of an export.
bool isExportStage(const std::string& name, const std::string&) {
    return name.size() > 8 && name.rfind(".export-", 0) == 0 &&
           std::all_of(name.begin() + 8, name.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || c == '-'; });
}

// "<digits>.rtf": a report file the store itself names.
bool isSlotReport(const std::string& name) {
    if (name.size() < 5 || name.compare(name.size() - 4, 4, ".rtf") != 0) return false;
    return std::all_of(name.begin(), name.end() - 4, [](char c) { return c >= '0' && c <= '9'; });
}

// Collects the failures of a many-file operation into one message.
struct Failures {
    int count = 0;
    std::string first;
    void add(const std::string& why) {
        if (count++ == 0) first = why;
    }
    std::string text(const std::string& what) const {
        return what + "：" + std::to_string(count) + "个文件未能处理（第一个：" + first + "）";
    }
};

// Stages `reports` (names in `from`) into the staged report folder; false with `error`.
bool stageReports(const std::string& from, const std::vector<std::string>& reports, const detail::StorePaths& p,
                  std::string* error) {
    for (const std::string& n : reports) {
        if (!detail::isRegularFile(from + "/" + n)) {
            if (error) *error = "不是普通文件，拒绝导入：" + from + "/" + n;
            return false;
        }
        if (!detail::copyFileReplacing(from + "/" + n, p.stagedReportDir() + "/" + n,
                                       static_cast<std::int64_t>(text::kMaxReportBytes), error))
            return false;
    }
    return true;
}

}  // namespace

// Switches to the history staged in the staged folders (record files 0..fileCount-1 and the
// reports named); shared by clearing and importing.
static bool switchToStaged(StoreSession& s, std::int16_t fileCount, std::vector<std::string> reports,
                           const std::string& what) {
    std::string err;
    const detail::StorePaths& p = s.paths();
    if (!detail::syncFolder(p.stagedRecordDir(), &err) || !detail::syncFolder(p.stagedReportDir(), &err)) {
        detail::removeFolder(p.stagedRecordDir(), &err);
        detail::removeFolder(p.stagedReportDir(), &err);
        return s.fail(what + "失败，现有的历史记录没有改动：" + err);
    }
    detail::Journal j;
    j.switchHistory = true;
    j.fileCount = fileCount;
    j.reportNames = std::move(reports);
    return s.commit(j, what);
}

// Makes the two staged folders, empty; false (nothing changed) when either cannot be made,
// e.g. a report folder that cannot be written, whose old reports could never be deleted.
static bool makeStages(StoreSession& s, const std::string& what) {
    const detail::StorePaths& p = s.paths();
    std::string err;
    if (!detail::makeFolder(p.reportDir, &err) || !detail::makeFolder(p.stagedRecordDir(), &err) ||
        !detail::makeFolder(p.stagedReportDir(), &err)) {
        std::string ignored;
        detail::removeFolder(p.stagedRecordDir(), &ignored);
        return s.fail(what + "失败，现有的历史记录没有改动：" + err);
    }
    return true;
}

// Keeps the history about to be replaced as a backup (when `enabled`); `made` gets its name. A
// backup that cannot be made stops the change, its staged history thrown away.
static bool backUp(StoreSession& s, bool enabled, std::string& made, const std::string& what) {
    made.clear();
    std::string err;
    if (!enabled || detail::makeBackup(s.paths(), made, &err)) return true;
    std::string ignored;
    detail::removeFolder(s.paths().stagedRecordDir(), &ignored);
    detail::removeFolder(s.paths().stagedReportDir(), &ignored);
    return s.fail(what + "失败，现有的历史记录没有改动：无法保留备份：" + err +
                  "（不需要备份时，可在 dat/bzinit.ini 的 [history] 中设 backup=0）");
}

// After the switch: old backups go; a backup of a history that stayed is taken back.
static void settleBackups(StoreSession& s, bool switched, bool kept, const std::string& made) {
    std::string ignored;
    if (switched) detail::pruneBackups(s.paths(), kBackupsKept);
    else if (kept && !made.empty()) detail::dropBackup(s.paths(), made, &ignored);
}

bool CaseStore::clearAll() {
    lastError_.clear();
    lastBackup_.clear();
    historyKept_ = true;
    if (!isOpen()) return fail("命例库尚未打开");
    std::error_code ec;
    fs::create_directories(platform::pathOf(datDir_), ec);
    const bool backups = backupsEnabled();
    StoreSession s(*this);
    if (!s.lock(true) || !makeStages(s, "清除")) return false;
    StoreHeader fresh;
    fresh.kind = kind_;
    const HeaderBytes hb = encodeHeader(fresh);
    std::string err;
    if (!detail::writeWholeFile(s.paths().stagedRecordDir() + "/" + prefix_ + "0.dat",
                                std::string_view(hb.data(), hb.size()), &err)) {
        detail::removeFolder(s.paths().stagedRecordDir(), &err);
        detail::removeFolder(s.paths().stagedReportDir(), &err);
        return fail("清除失败，现有的历史记录没有改动：" + err);
    }
    std::string made;
    if (!backUp(s, backups, made, "清除")) return false;
    const bool switched = switchToStaged(s, 1, {}, "清除");
    if (!switched) historyKept_ = !detail::needsRecovery(s.paths());
    settleBackups(s, switched, historyKept_, made);
    if (!switched) return false;
    lastBackup_ = made;
    header_ = fresh;
    return true;
}

bool CaseStore::exportTo(const std::string& folder) {
    lastError_.clear();
    StoreSession s(*this);
    if (!s.begin(false)) return false;
    if (!detail::isRegularFile(recordFilePath(0))) return fail("命例库不存在：" + recordFilePath(0));
    const std::string target = folderOf(folder);
    std::error_code ec;
    if (samePath(target + "/" + prefix_ + "0.dat", recordFilePath(0)) || samePath(target, datDir_) ||
        samePath(target + "/" + prefix_ + "_f", reportDir_))
        return fail("不能导出到命例库自己所在的文件夹：" + target);
    // Another store's folders would lose their cases' reports and records to the export.
    if (const std::string data = dataFolderAt(target, prefix_); !data.empty())
        return fail("不能导出到命例库的数据文件夹中（" + data + "），那里的命例和命稿会被覆盖；请另选一个文件夹");
    fs::create_directories(platform::pathOf(target), ec);
    if (!fs::is_directory(platform::pathOf(target), ec)) return fail("无法创建导出文件夹 " + target);
    // A target reached through a link is the folder it names; the steps below follow no link.
    const fs::path real = fs::canonical(platform::pathOf(target), ec);
    const std::string to = ec ? target : platform::utf8Of(real);
    const std::string reportsTo = to + "/" + prefix_ + "_f";
    std::string err;
    if (!detail::checkFolderEntry(reportsTo, "导出文件夹中的命稿文件夹", &err)) return fail("不能导出：" + err);

    // One export into a folder at a time, and no import reading it meanwhile.
    detail::FolderLock targetLock;
    if (!targetLock.takeOutside(to, true, lockWaitMs_, &err))
        return fail(targetLock.busy() ? "导出文件夹正被另一个程序使用，请稍后再试（" + to + "）" : err);
    // Staging folders of exports that were cut off; none is in use while the lock is held.
    std::vector<std::string> stale;
    if (detail::listFolder(to, isExportStage, {}, stale, &err))
        for (const std::string& n : stale) detail::removeTree(to + "/" + n, &err);

    // Everything is copied into a staging folder of this export first; the folder's earlier
    // contents are touched only once every copy is whole.
    const std::string stage = to + "/.export-" + detail::uniqueTag();
    const std::string stagedReports = stage + "/" + prefix_ + "_f";
    auto dropStage = [&] {
        std::string ignored;
        detail::removeTree(stage, &ignored);
    };
    if (!detail::makeFolder(stage, &err) || !detail::makeFolder(stagedReports, &err)) {
        dropStage();
        return fail("导出失败：" + err);
    }
    Failures failed;
    std::vector<std::string> reports;
    if (isFolder(reportDir_) && !detail::listFolder(reportDir_, keepReport, {}, reports, &err)) failed.add(err);
    for (const std::string& n : reports)
        if (!detail::copyFileNew(reportDir_ + "/" + n, stagedReports + "/" + n,
                                 static_cast<std::int64_t>(text::kMaxReportBytes), &err))
            failed.add(err);
    int fileCount = 0;  // record files 0..fileCount-1 exported
    for (int k = s.h.fileCount - 1; k >= 0; --k) {
        if (k >= filesForCount(s.h.count) && !detail::exists(recordFilePath(k))) continue;  // holds no slot
        fileCount = std::max(fileCount, k + 1);
        const std::string name = prefix_ + std::to_string(k) + ".dat";
        if (!detail::copyFileNew(recordFilePath(k), stage + "/" + name, kRecordFileMax, &err)) failed.add(err);
    }
    if (failed.count == 0 && (!detail::syncFolder(stagedReports, &err) || !detail::syncFolder(stage, &err)))
        failed.add(err);
    if (failed.count > 0) {
        dropStage();
        return fail(failed.text("导出失败") + "；导出文件夹中原有的文件没有改动");
    }

    // Record file 0 leaves first and comes back last: in between the folder is no history an
    // import would take, so a broken-off export never pairs one history's records with
    // another's reports.
    const std::string first = to + "/" + prefix_ + "0.dat";
    auto broken = [&](const std::string& why) {
        dropStage();
        return fail("导出未完成：" + why + "；导出文件夹中没有留下可导入的记录文件");
    };
    if (!detail::removeFile(first, &err) || !detail::syncFolder(to, &err)) return broken(err);
    if (!detail::makeFolder(reportsTo, &err)) return broken(err);
    for (const std::string& n : reports)
        if (!detail::renameFile(stagedReports + "/" + n, reportsTo + "/" + n, &err)) return broken(err);
    // Reports of an earlier export, for slots this history has no report of.
    const std::set<std::string> mine(reports.begin(), reports.end());
    std::vector<std::string> old;
    if (!detail::listFolder(reportsTo, keepReport, {}, old, &err)) return broken(err);
    for (const std::string& n : old)
        if (isSlotReport(n) && !mine.count(n) && !detail::removeFile(reportsTo + "/" + n, &err)) return broken(err);
    // Record files of an earlier, larger export.
    if (!detail::listFolder(to, keepRecordFile, prefix_, old, &err)) return broken(err);
    for (const std::string& n : old)
        if (detail::recordFileNumber(n, prefix_) >= fileCount && !detail::removeFile(to + "/" + n, &err)) return broken(err);
    for (int k = fileCount - 1; k >= 1; --k) {
        const std::string name = prefix_ + std::to_string(k) + ".dat";
        if (!detail::renameFile(stage + "/" + name, to + "/" + name, &err)) return broken(err);
    }
    if (!detail::syncFolder(reportsTo, &err) || !detail::syncFolder(to, &err)) return broken(err);
    if (!detail::renameFile(stage + "/" + prefix_ + "0.dat", first, &err)) return broken(err);
    if (!detail::syncFolder(to, &err)) {
        std::string ignored;
        detail::removeFile(first, &ignored);  // not known to be on the disk: no export
        return broken(err);
    }
    dropStage();
    return true;
}

bool CaseStore::checkImportSource(const std::string& chosenFile, std::string* error) const {
    auto refuse = [&](const std::string& why) {
        if (error) *error = "不能导入：" + why;
        return false;
    };
    if (!isOpen()) return refuse("命例库尚未打开");
    StoreFile chosen;
    std::string err;
    if (!chosen.open(chosenFile, StoreFile::Mode::Read, &err)) return refuse(err);
    HeaderBytes hb{};
    if (!chosen.readExact(0, hb.data(), hb.size())) return refuse("文件太短，不是命例库文件：" + chosenFile);
    const StoreHeader h = decodeHeader(hb.data());
    if (!checkHeader(h, kind_, &err)) return refuse(err + "（" + chosenFile + "）");

    const std::string folder = parentOf(chosenFile);
    const std::string first = folder + "/" + prefix_ + "0.dat";
    if (samePath(first, recordFilePath(0)) || samePath(folder, datDir_))
        return refuse("所选文件就是命例库自己的文件");
    if (samePath(folder + "/" + prefix_ + "_f", reportDir_)) return refuse("所选文件夹的命稿文件夹就是命例库自己的命稿文件夹");
    const std::string reports = folder + "/" + prefix_ + "_f";
    if (detail::exists(reports) && !isFolder(reports)) {
        std::error_code ec;
        if (fs::is_symlink(platform::pathOf(reports), ec)) return refuse("命稿文件夹是一个符号链接：" + reports);
    }

    for (int k = 0; k < h.fileCount; ++k) {
        const std::string name = prefix_ + std::to_string(k) + ".dat";
        const std::string p = folder + "/" + name;
        StoreFile f;
        bool missing = false;
        if (!f.open(p, StoreFile::Mode::Read, &err, &missing))
            return refuse(missing ? "缺少记录文件 " + p : err);
        const std::int64_t base = StoreSession::fileBase(k);
        const std::int64_t slots = std::clamp<std::int64_t>(
            static_cast<std::int64_t>(h.count) - static_cast<std::int64_t>(k) * kRecordsPerFile, 0, kRecordsPerFile);
        const std::int64_t minSize = base + slots * static_cast<std::int64_t>(kRecordSize);
        const std::int64_t maxSize = base + static_cast<std::int64_t>(kRecordsPerFile) * static_cast<std::int64_t>(kRecordSize);
        const std::int64_t size = f.size();
        if (size < minSize)
            return refuse("记录文件 " + p + " 不完整：应至少有" + std::to_string(minSize) + "字节，实有" +
                          std::to_string(size) + "字节");
        if (size > maxSize)
            return refuse("记录文件 " + p + " 的大小（" + std::to_string(size) + "字节）超出一个记录文件的容量");
        if (k == 0 && !samePath(p, chosenFile)) {
            HeaderBytes other{};
            if (!f.readExact(0, other.data(), other.size()) || other != hb)
                return refuse("所选文件与同一文件夹中的 " + name + " 的文件头不一致");
        }
    }
    return true;
}

bool CaseStore::importFrom(const std::string& chosenFile) {
    lastError_.clear();
    lastBackup_.clear();
    historyKept_ = true;
    std::string err;
    if (!checkImportSource(chosenFile, &err)) return fail(err);
    std::error_code ec;
    fs::create_directories(platform::pathOf(datDir_), ec);
    const bool backups = backupsEnabled();
    StoreSession s(*this);
    if (!s.lock(true)) return false;
    const std::string folder = parentOf(chosenFile);
    // No export may change the source while it is read.
    detail::FolderLock sourceLock;
    if (!sourceLock.takeOutside(folder, false, lockWaitMs_, &err))
        return fail(sourceLock.busy() ? "不能导入：所选文件夹正被另一个程序使用，请稍后再试（" + folder + "）"
                                      : "不能导入：" + err);
    // Checked again under the lock: the source may have changed while this waited for it.
    if (!checkImportSource(chosenFile, &err)) return fail(err);
    StoreHeader h;
    {
        StoreFile chosen;
        HeaderBytes hb{};
        if (!chosen.open(chosenFile, StoreFile::Mode::Read, &err) || !chosen.readExact(0, hb.data(), hb.size()))
            return fail("不能导入：" + err);
        h = decodeHeader(hb.data());
    }
    if (!makeStages(s, "导入")) return false;
    const detail::StorePaths& p = s.paths();
    auto abandon = [&](const std::string& why) {
        std::string ignored;
        detail::removeFolder(p.stagedRecordDir(), &ignored);
        detail::removeFolder(p.stagedReportDir(), &ignored);
        return fail("导入失败，现有的历史记录没有改动：" + why);
    };

    // The whole source is copied beside the store first.
    for (int k = 0; k < h.fileCount; ++k) {
        const std::string name = prefix_ + std::to_string(k) + ".dat";
        if (!detail::copyFileReplacing(folder + "/" + name, p.stagedRecordDir() + "/" + name, kRecordFileMax, &err))
            return abandon(err);
    }
    // The copied file 0 must still carry the header that was checked, and hold its slots.
    {
        StoreFile staged;
        HeaderBytes hb{};
        if (!staged.open(p.stagedRecordDir() + "/" + prefix_ + "0.dat", StoreFile::Mode::Read, &err) ||
            !staged.readExact(0, hb.data(), hb.size()) || !(decodeHeader(hb.data()) == h))
            return abandon("源文件在复制时被改动");
    }
    std::vector<std::string> reports;
    const std::string sourceReports = folder + "/" + prefix_ + "_f";
    if (isFolder(sourceReports)) {
        if (!detail::listFolder(sourceReports, keepReport, {}, reports, &err)) return abandon(err);
        if (!stageReports(sourceReports, reports, p, &err)) return abandon(err);
    }
    sourceLock.release();
    std::string made;
    if (!backUp(s, backups, made, "导入")) return false;
    const bool switched = switchToStaged(s, h.fileCount, std::move(reports), "导入");
    if (!switched) historyKept_ = !detail::needsRecovery(s.paths());
    settleBackups(s, switched, historyKept_, made);
    if (!switched) return false;
    lastBackup_ = made;
    header_ = h;
    return true;
}

}  // namespace hj::casestore
