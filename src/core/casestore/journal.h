#pragma once
// The store's change journal: every change (add, edit, move, remove, clear, import) is first
// written whole to dat/<prefix>.journal, then carried out, then the journal is deleted. A
// journal found at the next operation is carried out again; every step of it can be repeated,
// so a crash at any point leaves the store as it was before the change or after it.
#include <cstdint>
#include <string>
#include <vector>

namespace hj::casestore::detail {

struct StorePaths {
    std::string datDir;     // dat
    std::string reportDir;  // bazi_f
    std::string prefix;     // bazi

    std::string recordFile(int k) const { return datDir + "/" + prefix + std::to_string(k) + ".dat"; }
    std::string report(const std::string& name) const { return reportDir + "/" + name; }
    std::string journal() const { return datDir + "/" + prefix + ".journal"; }
    // The change counter (see CaseStore::changeStamp).
    std::string changes() const { return datDir + "/" + prefix + ".changes"; }
    // A report written for a change, waiting for the journal that puts it in place.
    std::string pendingDir() const { return reportDir + "/.pending"; }
    std::string pendingReport(std::int32_t slot) const { return pendingDir() + "/" + std::to_string(slot) + ".rtf"; }
    // A whole history staged by an import or a clear.
    std::string stagedRecordDir() const { return datDir + "/.staged"; }
    std::string stagedReportDir() const { return reportDir + "/.staged"; }
    // Copies of former histories, kept by clearing and importing.
    std::string backupDir() const { return datDir + "/backups"; }
};

struct Journal {
    struct Write {
        std::int32_t file = 0;
        std::int64_t offset = 0;
        std::string bytes;
    };
    std::vector<Write> writes;               // record-file bytes, the header among them
    std::vector<std::int32_t> placeReports;  // pending report of the slot → its report file
    std::vector<std::int32_t> dropReports;   // the slot's report file deleted
    // A history switch: the staged record files 0..fileCount-1 and the listed staged reports
    // replace every record file and every report.
    bool switchHistory = false;
    std::int16_t fileCount = 0;
    std::vector<std::string> reportNames;

    std::string encode() const;
    bool decode(const std::string& bytes);
};

// Writes the journal durably (the change is decided from then on), carries it out and deletes
// it. False with `error`; the journal then stays for the next operation to finish.
bool commit(const Journal& j, const StorePaths& paths, std::string* error);
// Finishes a journal left by an interrupted change and clears leftovers of unfinished ones.
// Must run under the exclusive lock. False with `error` when the store cannot be brought to a
// whole state; nothing may be read or changed then.
bool recover(const StorePaths& paths, std::string* error);
// True when an unfinished change waits (readers then take the exclusive lock to finish it).
bool needsRecovery(const StorePaths& paths);
// True when an interrupted change left staged or pending files that recover() throws away.
bool hasLeftovers(const StorePaths& paths);

// Record-file names: prefix + decimal number + ".dat"; -1 when `name` is not one.
long recordFileNumber(const std::string& name, const std::string& prefix);
// "*.rtf" in any letter case.
bool isReportName(const std::string& name);
// Names of the entries of `folder` accepted by `keep`, sorted; false when it cannot be read.
bool listFolder(const std::string& folder, bool (*keep)(const std::string&, const std::string&),
                const std::string& arg, std::vector<std::string>& out, std::string* error);

}  // namespace hj::casestore::detail
