#include "core/casestore/journal.h"


#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <set>

#include "core/platform/platform.h"
#include "core/casestore/case_store.h"
#include "core/casestore/store_file.h"
#include "core/text/file_io.h"

namespace hj::casestore::detail {

namespace {

constexpr char kMagic[8] = {'H', 'J', 'S', 'T', 'J', 'R', 'N', '1'};
constexpr std::size_t kMaxJournalBytes = 256u << 20;

std::uint64_t checksum(std::string_view bytes) {
    std::uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

template <class T>
void put(std::string& out, T v) {
    char b[sizeof(T)];
    std::memcpy(b, &v, sizeof(T));
    out.append(b, sizeof(T));
}

// Reads little pieces of a journal, refusing to run past its end.
struct Reader {
    std::string_view in;
    std::size_t pos = 0;
    bool ok = true;
    template <class T>
    T get() {
        T v{};
        if (pos + sizeof(T) > in.size()) {
            ok = false;
            return v;
        }
        std::memcpy(&v, in.data() + pos, sizeof(T));
        pos += sizeof(T);
        return v;
    }
    std::string bytes(std::size_t n) {
        if (n > in.size() - pos) {
            ok = false;
            return {};
        }
        std::string s(in.substr(pos, n));
        pos += n;
        return s;
    }
};

bool safeReportName(const std::string& n) {
    return !n.empty() && n.size() <= 255 && n[0] != '.' && n.find('/') == std::string::npos &&
           n.find('\0') == std::string::npos && isReportName(n);
}

bool keepReport(const std::string& name, const std::string&) { return isReportName(name); }
bool keepRecordFile(const std::string& name, const std::string& prefix) { return recordFileNumber(name, prefix) >= 0; }

bool carryOutSwitch(const Journal& j, const StorePaths& p, std::string* error) {
    const std::set<std::string> wanted(j.reportNames.begin(), j.reportNames.end());
    for (const std::string& n : j.reportNames) {
        const std::string staged = p.stagedReportDir() + "/" + n;
        if (exists(staged) && !renameFile(staged, p.report(n), error)) return false;
    }
    std::vector<std::string> names;
    if (!listFolder(p.reportDir, keepReport, {}, names, error)) return false;
    for (const std::string& n : names)
        if (!wanted.count(n) && !removeFile(p.report(n), error)) return false;
    for (int k = j.fileCount - 1; k >= 0; --k) {  // file 0, with the header, last
        const std::string staged = p.stagedRecordDir() + "/" + p.prefix + std::to_string(k) + ".dat";
        if (exists(staged) && !renameFile(staged, p.recordFile(k), error)) return false;
    }
    if (!listFolder(p.datDir, keepRecordFile, p.prefix, names, error)) return false;
    for (const std::string& n : names)
        if (recordFileNumber(n, p.prefix) >= j.fileCount && !removeFile(p.datDir + "/" + n, error)) return false;
    return syncFolder(p.reportDir, error) && syncFolder(p.datDir, error) &&
           removeFolder(p.stagedRecordDir(), error) && removeFolder(p.stagedReportDir(), error);
}

bool carryOut(const Journal& j, const StorePaths& p, std::string* error) {
    std::map<int, StoreFile> files;
    bool created = false;  // a new record file's name must reach the disk too
    for (const Journal::Write& w : j.writes) {
        auto it = files.find(w.file);
        if (it == files.end()) {
            created = created || !exists(p.recordFile(w.file));
            StoreFile f;
            if (!f.open(p.recordFile(w.file), StoreFile::Mode::Create, error)) return false;
            it = files.emplace(w.file, std::move(f)).first;
        }
        if (!it->second.writeAt(w.offset, w.bytes.data(), w.bytes.size())) {
            if (error) *error = "无法写入记录文件 " + it->second.path() + "：" + errnoText();
            return false;
        }
    }
    for (auto& [k, f] : files)
        if (!f.sync()) {
            if (error) *error = "无法写入记录文件 " + f.path() + "：" + errnoText();
            return false;
        }
    if (created && !syncFolder(p.datDir, error)) return false;
    for (std::int32_t slot : j.placeReports) {
        const std::string pending = p.pendingReport(slot);
        if (exists(pending) && !renameFile(pending, p.report(std::to_string(slot) + ".rtf"), error)) return false;
    }
    for (std::int32_t slot : j.dropReports)
        if (!removeFile(p.report(std::to_string(slot) + ".rtf"), error)) return false;
    if ((!j.placeReports.empty() || !j.dropReports.empty()) && !syncFolder(p.reportDir, error)) return false;
    return !j.switchHistory || carryOutSwitch(j, p, error);
}

}  // namespace

long recordFileNumber(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() + 4 || name.size() > prefix.size() + 9 || name.compare(0, prefix.size(), prefix) != 0)
        return -1;
    if (name.compare(name.size() - 4, 4, ".dat") != 0) return -1;
    long k = 0;
    for (std::size_t i = prefix.size(); i < name.size() - 4; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return -1;
        k = k * 10 + (name[i] - '0');
    }
    return k;
}

bool isReportName(const std::string& name) {
    if (name.size() < 5) return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".rtf";
}

bool listFolder(const std::string& folder, bool (*keep)(const std::string&, const std::string&), const std::string& arg,
                std::vector<std::string>& out, std::string* error) {
    out.clear();
    std::vector<std::string> names;
    if (!platform::listFolder(folder, names)) {
        if (error) *error = "无法读取文件夹 " + folder + "：" + errnoText();
        return false;
    }
    for (std::string& n : names)
        if (keep(n, arg)) out.push_back(std::move(n));
    std::sort(out.begin(), out.end());
    return true;
}

std::string Journal::encode() const {
    std::string out(kMagic, sizeof kMagic);
    put<std::uint32_t>(out, static_cast<std::uint32_t>(writes.size()));
    for (const Write& w : writes) {
        put<std::int32_t>(out, w.file);
        put<std::int64_t>(out, w.offset);
        put<std::uint32_t>(out, static_cast<std::uint32_t>(w.bytes.size()));
        out += w.bytes;
    }
    for (const auto* slots : {&placeReports, &dropReports}) {
        put<std::uint32_t>(out, static_cast<std::uint32_t>(slots->size()));
        for (std::int32_t s : *slots) put<std::int32_t>(out, s);
    }
    put<std::uint8_t>(out, switchHistory ? 1 : 0);
    put<std::int16_t>(out, fileCount);
    put<std::uint32_t>(out, static_cast<std::uint32_t>(reportNames.size()));
    for (const std::string& n : reportNames) {
        put<std::uint16_t>(out, static_cast<std::uint16_t>(n.size()));
        out += n;
    }
    put<std::uint64_t>(out, checksum(out));
    return out;
}

bool Journal::decode(const std::string& bytes) {
    *this = Journal{};
    if (bytes.size() < sizeof kMagic + 8 || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return false;
    std::uint64_t sum;
    std::memcpy(&sum, bytes.data() + bytes.size() - 8, 8);
    if (sum != checksum(std::string_view(bytes).substr(0, bytes.size() - 8))) return false;
    Reader r{std::string_view(bytes).substr(0, bytes.size() - 8), sizeof kMagic};
    const std::int64_t fileBytes = static_cast<std::int64_t>(kHeaderSize) + std::int64_t{kRecordsPerFile} * kRecordSize;
    for (std::uint32_t n = r.get<std::uint32_t>(); r.ok && n > 0; --n) {
        Write w;
        w.file = r.get<std::int32_t>();
        w.offset = r.get<std::int64_t>();
        w.bytes = r.bytes(r.get<std::uint32_t>());
        if (w.file < 0 || w.file >= kMaxFileCount || w.offset < 0 ||
            w.offset + static_cast<std::int64_t>(w.bytes.size()) > fileBytes)
            return false;
        writes.push_back(std::move(w));
    }
    for (auto* slots : {&placeReports, &dropReports})
        for (std::uint32_t n = r.get<std::uint32_t>(); r.ok && n > 0; --n) {
            const std::int32_t s = r.get<std::int32_t>();
            if (s < 0) return false;
            slots->push_back(s);
        }
    switchHistory = r.get<std::uint8_t>() != 0;
    fileCount = r.get<std::int16_t>();
    if (switchHistory && fileCount < 1) return false;
    for (std::uint32_t n = r.get<std::uint32_t>(); r.ok && n > 0; --n) {
        std::string name = r.bytes(r.get<std::uint16_t>());
        if (!safeReportName(name)) return false;
        reportNames.push_back(std::move(name));
    }
    return r.ok && r.pos == r.in.size();
}

bool commit(const Journal& j, const StorePaths& p, std::string* error) {
    if (j.writes.empty() && j.placeReports.empty() && j.dropReports.empty() && !j.switchHistory) return true;
    const std::string tmp = p.journal() + ".tmp";
    if (!writeWholeFile(tmp, j.encode(), error) || !renameFile(tmp, p.journal(), error) || !syncFolder(p.datDir, error))
        return false;
    // From here on the change is decided: an interruption is finished by the next operation.
    return carryOut(j, p, error) && removeFile(p.journal(), error);
}

bool needsRecovery(const StorePaths& p) { return exists(p.journal()); }

bool hasLeftovers(const StorePaths& p) {
    for (const std::string& path : {p.pendingDir(), p.stagedRecordDir(), p.stagedReportDir(), p.journal() + ".tmp"})
        if (exists(path)) return true;
    return false;
}

bool recover(const StorePaths& p, std::string* error) {
    std::string bytes;
    bool missing = false;
    if (text::readRegularFile(p.journal(), kMaxJournalBytes, bytes, error, &missing)) {
        Journal j;
        if (!j.decode(bytes)) {
            if (error) *error = "命例库的修改记录已损坏，请检查或删除：" + p.journal();
            return false;
        }
        if (!carryOut(j, p, error) || !removeFile(p.journal(), error)) return false;
        raiseCounter(p.changes());
    } else if (!missing) {
        return false;
    }
    // What an interrupted change wrote before it was decided is thrown away.
    for (const std::string& dir : {p.pendingDir(), p.stagedRecordDir(), p.stagedReportDir()})
        if (exists(dir) && !removeFolder(dir, error)) return false;
    const std::string tmp = p.journal() + ".tmp";
    return !exists(tmp) || removeFile(tmp, error);
}

}  // namespace hj::casestore::detail
