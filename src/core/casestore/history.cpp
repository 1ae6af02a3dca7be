// The history as a whole: clearing, export to a folder, import from an exported folder.
//
// An import is checked and copied beside the store before anything of the store is deleted;
// the replacement itself is only deletes and renames, so an unreadable or damaged source never
// costs the user the cases they had.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/casestore/case_store.h"
#include "core/casestore/store_file.h"
#include "core/casestore/store_session.h"
#include "core/text/file_io.h"
#include "core/text/ini.h"

namespace hj::casestore {
using detail::StoreFile;
namespace fs = std::filesystem;

namespace {

constexpr const char* kStagingName = ".import-staging";

bool hasRtfExtension(const fs::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".rtf";
}

// prefix + decimal digits + ".dat"
bool isRecordFileName(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0) return false;
    if (name.compare(name.size() - 4, 4, ".dat") != 0) return false;
    for (std::size_t i = prefix.size(); i < name.size() - 4; ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

// Regular files of `dir` accepted by `keep`, sorted by name; false when the folder cannot be read.
template <class Keep>
bool listFiles(const fs::path& dir, Keep keep, std::vector<fs::path>& out, std::string* error) {
    out.clear();
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code ec2;
        if (it->is_regular_file(ec2) && keep(it->path())) out.push_back(it->path());
    }
    if (ec) {
        if (error) *error = "无法读取文件夹 " + dir.string() + "：" + text::reasonOf(ec.value());
        return false;
    }
    std::sort(out.begin(), out.end());
    return true;
}

bool samePath(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec) && !ec;
}

fs::path folderOf(const std::string& folder) {
    std::string f = folder;
    while (f.size() > 1 && (f.back() == '/' || f.back() == '\\')) f.pop_back();
    return fs::path(f.empty() ? "." : f);
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

}  // namespace

bool CaseStore::clearAll() {
    lastError_.clear();
    if (!isOpen()) return fail("命例库尚未打开");
    // Hold the store while deleting, if there is one to hold.
    StoreFile lockFile;
    if (lockFile.open(recordFilePath(0), StoreFile::Mode::ReadWrite, nullptr)) {
        std::string err;
        if (!lockFile.lock(true, &err)) return fail(err);
    }
    Failures failed;
    std::vector<fs::path> files;
    std::string err;
    // Every record file, also ones beyond the header's file count left from earlier stores.
    if (!listFiles(datDir_, [&](const fs::path& p) { return isRecordFileName(p.filename().string(), prefix_); }, files,
                   &err))
        return fail(err);
    std::error_code ec;
    // File 0 last: until it goes, the store still opens (with fewer files, not a broken one).
    std::reverse(files.begin(), files.end());
    std::stable_partition(files.begin(), files.end(), [&](const fs::path& p) { return p.filename() != prefix_ + "0.dat"; });
    for (const fs::path& p : files)
        if (!fs::remove(p, ec) && ec) failed.add(p.string() + "：" + text::reasonOf(ec.value()));
    if (listFiles(reportDir_, hasRtfExtension, files, &err)) {
        for (const fs::path& p : files)
            if (!fs::remove(p, ec) && ec) failed.add(p.string() + "：" + text::reasonOf(ec.value()));
    } else if (fs::exists(reportDir_, ec)) {
        failed.add(err);
    }
    lockFile.close();
    if (failed.count > 0) return fail(failed.text("清除未完成"));
    // Leave an empty store behind, as the next start would create it.
    return openStore(programDir_, kind_);
}

bool CaseStore::exportTo(const std::string& folder) {
    lastError_.clear();
    StoreSession s(*this);
    if (!s.begin(false)) return false;
    const fs::path target = folderOf(folder);
    std::error_code ec;
    fs::create_directories(target, ec);
    if (!fs::is_directory(target, ec)) return fail("无法创建导出文件夹 " + target.string());
    if (samePath(target / (prefix_ + "0.dat"), recordFilePath(0)) || samePath(target / (prefix_ + "_f"), reportDir_))
        return fail("不能导出到命例库自己所在的文件夹：" + target.string());

    Failures failed;
    std::string err;
    for (int k = 0; k < s.h.fileCount; ++k) {
        const fs::path to = target / (prefix_ + std::to_string(k) + ".dat");
        if (!detail::copyFileReplacing(recordFilePath(k), to.string(), &err)) failed.add(err);
    }
    const fs::path reportsTo = target / (prefix_ + "_f");
    fs::create_directories(reportsTo, ec);
    if (!fs::is_directory(reportsTo, ec)) {
        failed.add("无法创建文件夹 " + reportsTo.string());
    } else {
        std::vector<fs::path> reports;  // a missing report folder simply holds no reports
        if (fs::exists(reportDir_, ec) && !listFiles(reportDir_, hasRtfExtension, reports, &err)) failed.add(err);
        for (const fs::path& p : reports)
            if (!detail::copyFileReplacing(p.string(), (reportsTo / p.filename()).string(), &err)) failed.add(err);
    }
    if (failed.count > 0) return fail(failed.text("导出未完成"));
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

    fs::path folder = fs::path(chosenFile).parent_path();
    if (folder.empty()) folder = ".";
    const fs::path first = folder / (prefix_ + "0.dat");
    if (samePath(first, recordFilePath(0)) || samePath(folder, datDir_))
        return refuse("所选文件就是命例库自己的文件");
    if (samePath(folder / (prefix_ + "_f"), reportDir_)) return refuse("所选文件夹的命稿文件夹就是命例库自己的命稿文件夹");

    for (int k = 0; k < h.fileCount; ++k) {
        const fs::path p = folder / (prefix_ + std::to_string(k) + ".dat");
        StoreFile f;
        bool missing = false;
        if (!f.open(p.string(), StoreFile::Mode::Read, &err, &missing))
            return refuse(missing ? "缺少记录文件 " + p.string() : err);
        const std::int64_t base = StoreSession::fileBase(k);
        const std::int64_t slots = std::clamp<std::int64_t>(
            static_cast<std::int64_t>(h.count) - static_cast<std::int64_t>(k) * kRecordsPerFile, 0, kRecordsPerFile);
        const std::int64_t minSize = base + slots * static_cast<std::int64_t>(kRecordSize);
        const std::int64_t maxSize = base + static_cast<std::int64_t>(kRecordsPerFile) * static_cast<std::int64_t>(kRecordSize);
        const std::int64_t size = f.size();
        if (size < minSize)
            return refuse("记录文件 " + p.string() + " 不完整：应至少有" + std::to_string(minSize) + "字节，实有" +
                          std::to_string(size) + "字节");
        if (size > maxSize)
            return refuse("记录文件 " + p.string() + " 的大小（" + std::to_string(size) + "字节）超出一个记录文件的容量");
        if (k == 0 && !samePath(p, chosenFile)) {
            HeaderBytes other{};
            if (!f.readExact(0, other.data(), other.size()) || other != hb)
                return refuse("所选文件与同一文件夹中的 " + p.filename().string() + " 的文件头不一致");
        }
    }
    return true;
}

bool CaseStore::importFrom(const std::string& chosenFile) {
    lastError_.clear();
    std::string err;
    if (!checkImportSource(chosenFile, &err)) return fail(err);
    StoreHeader h;
    {
        StoreFile chosen;
        HeaderBytes hb{};
        if (!chosen.open(chosenFile, StoreFile::Mode::Read, &err) || !chosen.readExact(0, hb.data(), hb.size()))
            return fail("不能导入：" + err);
        h = decodeHeader(hb.data());
    }
    fs::path folder = fs::path(chosenFile).parent_path();
    if (folder.empty()) folder = ".";

    // Stage 1: copy the whole source beside the store. Any failure here leaves the store as it was.
    const fs::path datStage = fs::path(datDir_) / kStagingName;
    const fs::path rtfStage = fs::path(reportDir_) / kStagingName;
    std::error_code ec;
    auto dropStages = [&] {
        fs::remove_all(datStage, ec);
        fs::remove_all(rtfStage, ec);
    };
    auto abandon = [&](const std::string& why) {
        dropStages();
        return fail("导入失败，现有的历史记录没有改动：" + why);
    };
    dropStages();  // leftovers of an interrupted import
    fs::create_directories(datStage, ec);
    fs::create_directories(rtfStage, ec);
    if (!fs::is_directory(datStage, ec) || !fs::is_directory(rtfStage, ec)) return abandon("无法创建临时文件夹");
    for (int k = 0; k < h.fileCount; ++k) {
        const std::string name = prefix_ + std::to_string(k) + ".dat";
        if (!detail::copyFileReplacing((folder / name).string(), (datStage / name).string(), &err)) return abandon(err);
    }
    // The copied file 0 must still carry the header that was checked.
    {
        StoreFile staged;
        HeaderBytes hb{};
        if (!staged.open((datStage / (prefix_ + "0.dat")).string(), StoreFile::Mode::Read, &err) ||
            !staged.readExact(0, hb.data(), hb.size()) || !(decodeHeader(hb.data()) == h))
            return abandon("源文件在复制时被改动");
    }
    std::vector<fs::path> reports;
    const fs::path sourceReports = folder / (prefix_ + "_f");
    if (fs::is_directory(sourceReports, ec)) {
        if (!listFiles(sourceReports, hasRtfExtension, reports, &err)) return abandon(err);
        for (const fs::path& p : reports)
            if (!detail::copyFileReplacing(p.string(), (rtfStage / p.filename()).string(), &err)) return abandon(err);
    }

    // Stage 2: replace the store by deletes and renames only.
    StoreFile lockFile;
    if (lockFile.open(recordFilePath(0), StoreFile::Mode::ReadWrite, nullptr) && !lockFile.lock(true, &err))
        return abandon(err);
    Failures failed;
    std::vector<fs::path> old;
    if (listFiles(datDir_, [&](const fs::path& p) { return isRecordFileName(p.filename().string(), prefix_); }, old, &err)) {
        for (const fs::path& p : old) {
            const std::string n = p.filename().string();
            const long k = std::strtol(n.c_str() + prefix_.size(), nullptr, 10);
            if (k >= h.fileCount || n != prefix_ + std::to_string(k) + ".dat")
                if (!fs::remove(p, ec) && ec) failed.add(p.string() + "：" + text::reasonOf(ec.value()));
        }
    } else {
        failed.add(err);
    }
    // File 0 last, so the header switches to the new history only when its files are in place.
    for (int k = h.fileCount - 1; k >= 0; --k) {
        const std::string name = prefix_ + std::to_string(k) + ".dat";
        fs::rename(datStage / name, fs::path(datDir_) / name, ec);
        if (ec) failed.add(name + "：" + text::reasonOf(ec.value()));
    }
    if (listFiles(reportDir_, hasRtfExtension, old, &err)) {
        for (const fs::path& p : old)
            if (!fs::remove(p, ec) && ec) failed.add(p.string() + "：" + text::reasonOf(ec.value()));
    } else {
        failed.add(err);
    }
    for (const fs::path& p : reports) {
        fs::rename(rtfStage / p.filename(), fs::path(reportDir_) / p.filename(), ec);
        if (ec) failed.add(p.filename().string() + "：" + text::reasonOf(ec.value()));
    }
    lockFile.close();
    dropStages();
    if (failed.count > 0) return fail(failed.text("导入未完成"));
    StoreHeader now;
    return readHeader(now);
}

}  // namespace hj::casestore
