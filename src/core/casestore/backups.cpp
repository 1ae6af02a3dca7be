// Backups of whole histories: made before a clear or an import, listed, restored.
#include "core/platform/platform.h"
#include "core/casestore/backups.h"


#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "core/casestore/case_store.h"
#include "core/casestore/store_file.h"
#include "core/casestore/store_session.h"
#include "core/text/file_io.h"
#include "core/text/ini.h"

namespace hj::casestore {
namespace detail {
namespace {

constexpr std::int64_t kRecordFileMax =
    static_cast<std::int64_t>(kHeaderSize) + static_cast<std::int64_t>(kRecordsPerFile) * kRecordSize;
constexpr std::size_t kStampLength = 15;  // YYYYMMDD-HHMMSS

bool keepRecordFile(const std::string& name, const std::string& prefix) { return recordFileNumber(name, prefix) >= 0; }
bool keepReport(const std::string& name, const std::string&) { return isReportName(name) && name[0] != '.'; }
bool keepBackup(const std::string& name, const std::string&) { return isBackupName(name); }
bool keepUnfinished(const std::string& name, const std::string&) {
    return name.rfind(".new-", 0) == 0 || name.rfind(".old-", 0) == 0;
}

bool allDigits(const std::string& s, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return to > from;
}
int number(const std::string& s, std::size_t from, std::size_t to) {
    int v = 0;
    for (std::size_t i = from; i < to; ++i) v = v * 10 + (s[i] - '0');
    return v;
}

// The N of a name's "-N" (1 without one).
int sequenceOf(const std::string& name) {
    return name.size() > kStampLength ? number(name, kStampLength + 1, name.size()) : 1;
}

// Names in the order they were made.
void sortByAge(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int c = a.compare(0, kStampLength, b, 0, kStampLength);
        return c != 0 ? c < 0 : sequenceOf(a) < sequenceOf(b);
    });
}

bool isFolder(const std::string& path) { return platform::kindOf(path) == platform::Kind::Folder; }

// True when the history holds a case: record file 0 with a sound header counting live slots,
// or any record file whose header cannot be trusted (its bytes may still matter to the user).
bool worthKeeping(const StorePaths& p, const std::vector<std::string>& recordFiles) {
    if (recordFiles.empty()) return false;
    StoreFile f0;
    HeaderBytes hb{};
    if (!f0.open(p.recordFile(0), StoreFile::Mode::Read, nullptr) || !f0.readExact(0, hb.data(), hb.size())) return true;
    const StoreHeader h = decodeHeader(hb.data());
    if (!checkHeader(h, h.kind, nullptr)) return true;
    return h.count - h.deletedCount > 0;
}

// A new backup name for this moment: the local time, with "-N" after the last backup of the
// same second. It always sorts after every backup there, even when the clock was set back,
// so the oldest are the ones pruned.
std::string freshName(const std::string& folder) {
    platform::CivilTime t;
    platform::localTime(static_cast<std::int64_t>(std::time(nullptr)), t);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    std::vector<std::string> names;
    std::string ignored;
    listFolder(folder, keepBackup, {}, names, &ignored);
    sortByAge(names);
    if (names.empty() || names.back().compare(0, kStampLength, stamp) < 0) return stamp;
    const std::string& last = names.back();
    return last.substr(0, kStampLength) + "-" + std::to_string(sequenceOf(last) + 1);
}

// Takes a backup out of the list at once (a rename), then removes its files.
bool retire(const StorePaths& p, const std::string& name, std::string* error) {
    const std::string aside = p.backupDir() + "/.old-" + uniqueTag();
    return renameFile(p.backupDir() + "/" + name, aside, error) && removeTree(aside, error);
}

}  // namespace

bool isBackupName(const std::string& name) {
    if (name.size() < kStampLength || !allDigits(name, 0, 8) || name[8] != '-' || !allDigits(name, 9, kStampLength))
        return false;
    if (name.size() > kStampLength) {
        // "-N", N from 2, written without leading zeros
        if (name.size() > kStampLength + 5 || name[kStampLength] != '-' || !allDigits(name, kStampLength + 1, name.size()) ||
            name[kStampLength + 1] == '0' || sequenceOf(name) < 2)
            return false;
    }
    const int month = number(name, 4, 6), day = number(name, 6, 8);
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && number(name, 9, 11) < 24 && number(name, 11, 13) < 60 &&
           number(name, 13, 15) < 61;
}

bool makeBackup(const StorePaths& p, std::string& made, std::string* error) {
    made.clear();
    std::vector<std::string> records, reports;
    if (!listFolder(p.datDir, keepRecordFile, p.prefix, records, error)) return false;
    if (!worthKeeping(p, records)) return true;
    if (exists(p.reportDir) && !listFolder(p.reportDir, keepReport, {}, reports, error)) return false;
    if (!checkFolderEntry(p.backupDir(), "备份文件夹", error) || !makeFolder(p.backupDir(), error)) return false;
    const std::string stage = p.backupDir() + "/.new-" + uniqueTag();
    const std::string stagedReports = stage + "/" + p.prefix + "_f";
    std::string err;
    auto abandon = [&] {
        std::string ignored;
        removeTree(stage, &ignored);
        if (error) *error = err;
        return false;
    };
    if (!makeFolder(stage, &err) || !makeFolder(stagedReports, &err)) return abandon();
    for (const std::string& n : records)
        if (!copyFileNew(p.datDir + "/" + n, stage + "/" + n, kRecordFileMax, &err)) return abandon();
    for (const std::string& n : reports)
        if (!copyFileNew(p.report(n), stagedReports + "/" + n, static_cast<std::int64_t>(text::kMaxReportBytes), &err))
            return abandon();
    if (!syncFolder(stagedReports, &err) || !syncFolder(stage, &err)) return abandon();
    const std::string name = freshName(p.backupDir());
    if (!renameFile(stage, p.backupDir() + "/" + name, &err)) return abandon();
    if (!syncFolder(p.backupDir(), &err)) {
        std::string ignored;
        retire(p, name, &ignored);
        if (error) *error = err;
        return false;
    }
    made = name;
    return true;
}

bool dropBackup(const StorePaths& p, const std::string& name, std::string* error) {
    return !isBackupName(name) || !exists(p.backupDir() + "/" + name) || retire(p, name, error);
}

void pruneBackups(const StorePaths& p, int keep) {
    std::vector<std::string> names;
    std::string ignored;
    if (!isFolder(p.backupDir()) || !listFolder(p.backupDir(), keepBackup, {}, names, &ignored)) return;
    names.erase(std::remove_if(names.begin(), names.end(),
                               [&](const std::string& n) { return !isFolder(p.backupDir() + "/" + n); }),
                names.end());
    sortByAge(names);
    for (std::size_t i = 0; i + static_cast<std::size_t>(keep) < names.size(); ++i) retire(p, names[i], &ignored);
}

bool hasUnfinishedBackups(const StorePaths& p) {
    std::vector<std::string> names;
    std::string ignored;
    return isFolder(p.backupDir()) && listFolder(p.backupDir(), keepUnfinished, {}, names, &ignored) && !names.empty();
}

bool dropUnfinishedBackups(const StorePaths& p, std::string* error) {
    if (!isFolder(p.backupDir())) return true;
    std::vector<std::string> names;
    if (!listFolder(p.backupDir(), keepUnfinished, {}, names, error)) return false;
    for (const std::string& n : names)
        if (!removeTree(p.backupDir() + "/" + n, error)) return false;
    return true;
}

}  // namespace detail

using detail::StoreFile;

bool CaseStore::backupsEnabled() const {
    if (!isOpen()) return true;
    const text::IniFile ini(datDir_ + "/bzinit.ini");
    return ini.readBool("history", "backup", true);
}

int CaseStore::caseCount() {
    StoreHeader h;
    return readHeader(h) ? h.count - h.deletedCount : -1;
}

bool CaseStore::listBackups(std::vector<BackupInfo>& out) {
    lastError_.clear();
    out.clear();
    StoreSession s(*this);
    if (!s.lock(false)) {
        if (isOpen() && !detail::exists(datDir_)) return lastError_.clear(), true;  // no data folder, no backups
        return false;
    }
    const std::string folder = s.paths().backupDir();
    std::string err;
    if (!detail::exists(folder)) return true;
    if (!detail::checkFolderEntry(folder, "备份文件夹", &err)) return fail(err);
    std::vector<std::string> names;
    if (!detail::listFolder(folder, detail::keepBackup, {}, names, &err)) return fail(err);
    detail::sortByAge(names);
    for (const std::string& n : names) {
        const std::string dir = folder + "/" + n;
        if (!detail::isFolder(dir)) continue;
        BackupInfo b;
        b.name = n;
        std::tm tm {};
        tm.tm_year = detail::number(n, 0, 4) - 1900;
        tm.tm_mon = detail::number(n, 4, 6) - 1;
        tm.tm_mday = detail::number(n, 6, 8);
        tm.tm_hour = detail::number(n, 9, 11);
        tm.tm_min = detail::number(n, 11, 13);
        tm.tm_sec = detail::number(n, 13, 15);
        tm.tm_isdst = -1;
        b.time = static_cast<std::int64_t>(std::mktime(&tm));
        StoreFile f0;
        HeaderBytes hb{};
        if (f0.open(dir + "/" + prefix_ + "0.dat", StoreFile::Mode::Read, nullptr) && f0.readExact(0, hb.data(), hb.size())) {
            const StoreHeader h = decodeHeader(hb.data());
            if (checkHeader(h, kind_, nullptr)) b.cases = h.count - h.deletedCount;
        }
        for (const std::string& sub : {dir, dir + "/" + prefix_ + "_f"}) {
            std::vector<std::string> files;
            if (!platform::listFolder(sub, files)) continue;
            for (const std::string& f : files) {
                platform::EntryInfo info;
                if (platform::entryInfo(sub + "/" + f, info) && info.kind == platform::Kind::File) b.bytes += info.size;
            }
        }
        out.push_back(std::move(b));
    }
    return true;
}

bool CaseStore::restoreBackup(const std::string& name) {
    lastError_.clear();
    lastBackup_.clear();
    if (!isOpen()) return fail("命例库尚未打开");
    const std::string folder = datDir_ + "/backups/" + name;
    if (!detail::isBackupName(name) || !detail::isFolder(folder)) return fail("没有名为“" + name + "”的备份");
    if (importFrom(folder + "/" + prefix_ + "0.dat")) return true;
    lastError_ = "恢复备份" + name + "未能完成：" + lastError_;
    return false;
}

}  // namespace hj::casestore
