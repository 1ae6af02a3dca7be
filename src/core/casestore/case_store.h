#pragma once
// The case store: every saved case as a fixed-size record in numbered record files
// (dat/bazi0.dat, dat/bazi1.dat, …), and its report as bazi_f/<index>.rtf.
//
// The byte layout is shared with the program's sibling tools, so it is fixed: a 20-byte
// `StoreHeader` at the start of record file 0, then 1,184-byte `CaseRecord` slots, 50,000 per
// file, little-endian integers, NUL-terminated GBK texts. In memory the texts are UTF-8.
//
// Every operation opens the files it needs, does its work and closes them; nothing stays open
// between operations, so any number of processes (windows and command-line runs) can share
// one data folder.
//
// Locking: every operation holds a lock on the dat folder itself for its whole duration,
// shared for readers (list, search, show, the tree, export) and exclusive for every change
// (create, add, edit, move, remove, class rename, clear, import), report files included. The
// store files are opened only after the lock is taken, so a file replaced by an import or a
// clear is never written afterwards. Readers never create or change a file (except that one
// finding an unfinished change finishes it first, and removes the leftovers of interrupted
// ones, under the exclusive lock); a missing store is created under the exclusive lock by
// linking a complete file in, never over an existing one. Before a change starts, dat/,
// bazi_f/ and the store's working folders (bazi_f/.pending, the staged folders, dat/backups)
// must be real folders, never links, and dat/ and bazi_f/ writable; otherwise the change is
// refused with a message naming the path, so nothing is ever deleted through a link.
//
// Crash safety: a change is first written whole to a journal (dat/<prefix>.journal) and
// flushed; only then are the record files, the header and the report files changed, and the
// journal deleted. The next operation that finds a journal carries it out again (every step
// can be repeated), so a kill or power loss leaves the store as before or after the change.
// New reports wait in bazi_f/.pending and an imported or cleared history is staged in
// dat/.staged and bazi_f/.staged; until the journal exists they are invisible and are thrown
// away at the next change, so the old history stays whole until the new one is in place.
//
// Backups: before a clear or an import replaces a history that holds cases, the history is
// copied, under the same exclusive lock, into dat/backups/<YYYYMMDD-HHMMSS>/ (laid out as an
// export, so restoring is an import of it). A backup is staged under a hidden name and renamed
// into place whole; the newest kBackupsKept stay. `[history] backup=0` in dat/bzinit.ini turns
// backups off.
//
// Reports: a slot's report file is put in place (or deleted) by the same journal that makes
// the slot live, so a live record shows its own report or none, never a former case's.
// Holes may keep old report files; a slot filled again replaces or deletes them first.
//
// Hostile or damaged files never crash a reader: store files are opened without following
// links or blocking, reads are bounded by the real file sizes, header counts are checked
// against them, and an impossible header is refused with a message.
//
// Identity: a slot number is reused once its case is deleted, so windows and scripts name a
// case by slot and identity (`CaseRef`). Every change to an existing case checks, under the
// exclusive lock, that the slot still holds the case it names, and refuses with kStaleCase
// otherwise, changing nothing. The identity is kept in the record itself (case_identity.h), so
// it travels with the record through exports and imports and other copies of the program
// still read the record as before.
//
// Revision: every change to a case (its record, its report, or both) raises the case's revision
// in the same journal as the change, and a change that names the revision it read (`CaseRef`
// with a revision) is refused with kStaleCase when the case holds another one. So a window that
// edits a case another window saved since it was read can never overwrite that save, though
// the identity is the same. The revision lives beside the identity in the record's unused note
// tail (case_identity.h): no byte before the note's NUL, and no record size or file, changes.
//
// Changes are counted in dat/<prefix>.changes (a hint for windows that follow the store; see
// changeStamp), never part of a history.
//
// Failures are a false result (or -1) plus lastError(); nothing throws.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hj::casestore {

inline constexpr std::size_t kHeaderSize = 20;
inline constexpr std::size_t kRecordSize = 1184;
inline constexpr std::int32_t kRecordsPerFile = 50000;
inline constexpr std::int32_t kReuseThreshold = 30;  // holes outstanding before reuse starts
inline constexpr std::int32_t kMaxFileCount = 32767;  // the header's int16 file count

// Widths of the text fields (bytes, NUL included). A text is stored when its GBK form fits
// the field with its terminating NUL.
inline constexpr std::size_t kNameField = 12;
inline constexpr std::size_t kClassField = 15;
inline constexpr std::size_t kNoteField = 1092;
inline constexpr std::size_t kPlaceField = 32;
// The limits the windows enforce when the user types (GBK bytes).
inline constexpr std::size_t kNameMaxBytes = 10;
inline constexpr std::size_t kClassMaxBytes = 13;
inline constexpr std::size_t kNoteMaxBytes = 1000;
inline constexpr std::size_t kPlaceMaxBytes = 31;

// Kind 0 is this program's record kind (file prefix "bazi"); the other kinds belong to other
// divination methods and are not opened here.
inline constexpr std::uint8_t kKindBazi = 0;
inline constexpr std::string_view kBaziPrefix = "bazi";

struct StoreHeader {
    std::uint8_t kind = 0;
    std::int32_t count = 0;         // slots ever used, deleted ones included
    std::int32_t deletedCount = 0;  // deleted slots not yet reused
    std::uint8_t reuse = 0;         // 1: new records fill holes instead of being appended
    std::int16_t fileCount = 1;     // number of record files
    friend bool operator==(const StoreHeader&, const StoreHeader&) = default;
};

using HeaderBytes = std::array<char, kHeaderSize>;
HeaderBytes encodeHeader(const StoreHeader& h);
// Decodes 20 bytes; never fails (the values may still be nonsense, see checkHeader).
StoreHeader decodeHeader(const char* bytes);
// True when the header could describe a store of kind `kind`; else false with the reason.
bool checkHeader(const StoreHeader& h, std::uint8_t kind, std::string* error);

// Record files needed for `count` slots (at least 1).
inline std::int32_t filesForCount(std::int32_t count) {
    return count <= 0 ? 1 : (count - 1) / kRecordsPerFile + 1;
}

struct CaseRecord {
    std::int32_t index = 0;       // the record's own index, set by addRecord/writeRecord
    std::uint8_t deleted = 0;     // 1 = deleted slot (a hole)
    std::string name;             // UTF-8; at most 11 GBK bytes fit
    std::string className;        // at most 14 GBK bytes fit
    std::int16_t year = 2000;     // astronomical year (0 = 1 BC)
    std::int16_t month = 1;       // 1..12 (lunar month when `lunar`)
    std::int16_t day = 1;
    std::int16_t hour = 0;
    std::int16_t minute = 0;
    std::uint8_t lunar = 0;       // 1 = lunar date
    std::uint8_t leap = 0;        // 1 = leap lunar month
    std::uint8_t male = 1;        // 1 = male, 0 = female
    std::int16_t province = 34;   // ProvinceTable index
    std::int16_t city = 0;
    float longitude = 120.0f;     // degrees east
    float latitude = 30.0f;       // degrees north
    std::string note;             // 附加信息; at most 1091 GBK bytes fit
    std::string place;            // at most 31 GBK bytes fit
    // The pad bytes at offsets 45 and 50..51, kept as read. Births abroad keep their zone there
    // (core/zones/case_zone.h); records without one have zeros, as new records always had.
    std::uint8_t pad45 = 0;
    std::uint16_t pad50 = 0;
    // The case's identity (case_identity.h), filled by the store's readers and writers; not
    // part of the record's contents, so == ignores it.
    std::uint64_t caseId = 0;
    // The case's revision (case_identity.h), filled like caseId; == ignores it too. Writers
    // store it when it is a stored revision (below 2^32).
    std::uint64_t revision = 0;
    friend bool operator==(const CaseRecord& a, const CaseRecord& b) { return sameContents(a, b); }

private:
    static bool sameContents(const CaseRecord& a, const CaseRecord& b);
};

// A stored case as windows and scripts name it: its slot and the identity the slot held when
// they read it, and the revision they read (0: any revision). id 0 names whatever the slot
// holds (no check at all).
struct CaseRef {
    std::int32_t slot = -1;
    std::uint64_t id = 0;
    std::uint64_t revision = 0;
    friend bool operator==(const CaseRef&, const CaseRef&) = default;
};
inline CaseRef refOf(const CaseRecord& r) { return CaseRef{r.index, r.caseId, r.revision}; }

// The refusal of a change whose case is no longer in its slot.
inline constexpr std::string_view kStaleCase = "这个命例已被另一个窗口或程序修改或删除，请刷新后再试。";

using RecordBytes = std::array<char, kRecordSize>;
// The record's 1,184 bytes (pad bytes and the space after each text's NUL are zero). False
// with a message naming the field when a text holds a character GBK cannot encode or does not
// fit its field.
bool encodeRecord(const CaseRecord& r, RecordBytes& out, std::string* error);
// Decodes 1,184 bytes; never fails. A text without NUL is read up to its field's end; bytes
// that are not GBK become U+FFFD.
CaseRecord decodeRecord(const char* bytes);

// Match modes of SearchCriteria's texts.
inline constexpr std::uint8_t kMatchIgnore = 0;
inline constexpr std::uint8_t kMatchContains = 1;
inline constexpr std::uint8_t kMatchEquals = 2;

// What a search asks for; every criterion off by default (province -1 = any).
struct SearchCriteria {
    std::string name;         // UTF-8
    std::string className;
    std::string place;        // kept but never filters records of kind 0..2
    std::uint8_t sexValue = 0;  // wanted value of the record's male byte
    std::int16_t yearFrom = 0;  // astronomical years, inclusive
    std::int16_t yearTo = 0;
    std::int16_t province = -1;
    std::uint8_t nameMode = kMatchIgnore;
    std::uint8_t classMode = kMatchIgnore;
    std::uint8_t placeMode = kMatchIgnore;
    std::uint8_t sexOn = 0;
    std::uint8_t yearOn = 0;
    friend bool operator==(const SearchCriteria&, const SearchCriteria&) = default;
};

// A copy of a former history in dat/backups/<name>/.
struct BackupInfo {
    std::string name;           // YYYYMMDD-HHMMSS in local time; "-2", "-3", … for more in one second
    std::int64_t time = 0;      // the moment of the name, seconds since 1970
    std::int32_t cases = -1;    // live cases; -1 when its record file 0 is unreadable
    std::int64_t bytes = 0;     // size of its files
};
inline constexpr int kBackupsKept = 5;

class CaseStore {
public:
    CaseStore() = default;

    // Sets the paths below `programDir` (the folder holding dat/ and bazi_f/) and creates
    // dat/, bazi_f/ and, when record file 0 is missing, an empty store. False with lastError
    // when something cannot be created or the existing header is impossible; the paths stay
    // set, so clearAll and importFrom can still repair the store.
    bool openStore(const std::string& programDir, std::uint8_t kind = kKindBazi);
    // Sets the paths and reads the header without creating anything: a folder without a store
    // reads as an empty store. For readers.
    bool openExisting(const std::string& programDir, std::uint8_t kind = kKindBazi);
    bool isOpen() const { return !datDir_.empty(); }
    // How long an operation waits for another process's operation to end (default 10 s).
    void setLockWait(int milliseconds) { lockWaitMs_ = milliseconds; }
    // Called while an operation waits for another process, with the milliseconds waited; false
    // stops waiting (the operation then fails as busy). For a window's visible, cancellable wait.
    void setWaitHook(std::function<bool(int)> hook) { waitHook_ = std::move(hook); }
    // After a failure: true when it was another process holding the store (or the wait given
    // up), not a fault of the store itself.
    bool lastFailureBusy() const { return busy_; }

    // Re-reads the header; the slot count, or -1 with lastError.
    int recordCount();
    // Re-reads the header into `out`.
    bool readHeader(StoreHeader& out);
    // The header read last.
    const StoreHeader& header() const { return header_; }

    // Records read by these carry their slot number as `index`, whatever the stored index
    // field holds, so a damaged field can never point at another case.
    //
    // True when 0 <= i < count and slot i holds a live record (`out` is filled whenever the
    // slot could be read). False otherwise; lastError stays empty for an index out of range or
    // a deleted slot, and says why for a damaged or unreadable file.
    bool readRecord(int i, CaseRecord& out);
    // readRecord and, in the same locked read, the slot's report: `report` gets its bytes when
    // not null; `hasReport` tells whether the record has one. A missing report is not an error.
    bool readCase(int i, CaseRecord& out, std::string* report, bool* hasReport);
    // The live records among `indices` (bad, deleted and missing ones skipped), in the given
    // order, opening each record file once. For the case tree and listings.
    bool readRecords(const std::vector<int>& indices, std::vector<CaseRecord>& out);
    // Every live record in index order. `missingSlots` gets the slots the header counts that
    // the record files do not hold (a file cut short): their cases, if any, are not in `out`.
    bool readAllRecords(std::vector<CaseRecord>& out, std::int32_t* missingSlots = nullptr);

    // Overwrites the live slot `ref.slot` with `r` (its index and deleted byte are set to the slot
    // and 0) and, when `report` is given, its report, in one change. Refuses a slot outside
    // 0..count-1, a deleted slot and (ref.id != 0) a slot that no longer holds case `ref.id`, so
    // a stale copy can never bring a removed case back or overwrite another; with ref.revision,
    // also a case changed since it was read. The record keeps the slot's identity (a record
    // without one gets one) and gets the next revision; `stored` gets the slot, identity and
    // revision now held.
    bool writeRecord(const CaseRef& ref, const CaseRecord& r, const std::string* report = nullptr,
                     CaseRef* stored = nullptr);
    bool writeRecord(int i, const CaseRecord& r, const std::string* report = nullptr) {
        return writeRecord(CaseRef{i, 0}, r, report);
    }
    // Reads each live slot among `refs`, lets `change` alter it and writes them all back in
    // one change (moving cases, renaming a class). `changed` gets (before, after) of each. A slot
    // named with an identity that no longer holds that case refuses the whole change; a slot
    // named by number alone that is gone is skipped.
    bool modifyRecords(const std::vector<CaseRef>& refs, const std::function<void(CaseRecord&)>& change,
                       std::vector<std::pair<CaseRecord, CaseRecord>>* changed = nullptr);
    bool modifyRecords(const std::vector<int>& indices, const std::function<void(CaseRecord&)>& change,
                       std::vector<std::pair<CaseRecord, CaseRecord>>* changed = nullptr);
    // Stores a new record with its report (none when null: an old report file of the slot is
    // deleted): appended, or in the lowest hole while reuse is on. The case gets a new identity
    // and revision (`added`). Returns the new index, or -1 with lastError (nothing changed then).
    int addRecord(const CaseRecord& r, const std::string* report = nullptr, CaseRef* added = nullptr);
    // Marks the slot deleted and, with `withReport`, deletes its report in the same change.
    // Refuses (changing nothing) a slot out of range, one already deleted, or one that no longer
    // holds case `ref.id`.
    bool removeRecord(const CaseRef& ref, bool withReport = true);
    bool removeRecord(int i, bool withReport = true) { return removeRecord(CaseRef{i, 0}, withReport); }
    // Marks every live slot among `refs` deleted in one change; absent ones named by number alone
    // are skipped, but a lone one must be live, and one named with an identity must still hold
    // it (else nothing changes). `removed` gets the slots marked. With `backUpFirst` (and backups
    // on), the whole history is first kept as a backup (lastBackup) under the same lock; when
    // that fails nothing is removed.
    bool removeRecords(const std::vector<CaseRef>& refs, bool withReports, std::vector<int>* removed = nullptr,
                       bool backUpFirst = false);
    bool removeRecords(const std::vector<int>& indices, bool withReports, std::vector<int>* removed = nullptr);
    // The slot of the live case with identity `id`, -1 when none holds it (lastError empty) or
    // the store cannot be read (lastError set).
    int findCase(std::uint64_t id);
    // Something that changes whenever the store changes (a change counter and the state of
    // record file 0), read without a lock and without touching any file; for windows that
    // notice changes made by other processes. Cheap: two small reads.
    std::string changeStamp() const;
    // The change counter alone: raised by one for each change this program makes.
    std::uint64_t changeCount() const;
    // Indices of the live records matching `c`, in increasing order; one sequential read.
    bool searchRecords(const SearchCriteria& c, std::vector<int>& out);

    // Replaces the history by an empty one: every record file dat/bazi<k>.dat and every
    // bazi_f/*.rtf go, in one change. False with lastError when it could not be done; the old
    // history is then untouched, or (said in the message) completed at the next operation.
    bool clearAll();
    // Copies the record files to <folder>/bazi<k>.dat and the report files to
    // <folder>/bazi_f/, creating the folders. Everything is staged inside the folder first and
    // put in place with record file 0 last, so a failed or interrupted export never looks
    // complete, and two exports into one folder never mix (see history.cpp). False with
    // lastError (saying what failed) when anything was not copied.
    bool exportTo(const std::string& folder);
    // Checks an exported history without touching the store: the chosen file's header, and
    // every record file it lists beside it, regular files present and of a plausible size.
    bool checkImportSource(const std::string& chosenFile, std::string* error) const;
    // Replaces the whole store (records and reports) with the history beside `chosenFile`
    // (a record file 0, usually <folder>/bazi0.dat). The source is checked and copied beside
    // the store first; only then is the current store replaced, in one change, so a bad or
    // unreadable source leaves it untouched. Do not clearAll before: importFrom clears by itself.
    // clearAll and importFrom keep the history they replace as a backup (see lastBackup) and
    // change nothing when that backup cannot be made.
    bool importFrom(const std::string& chosenFile);
    // After a failed clearAll or importFrom: true when the old history is still the store's
    // (nothing was switched), false when the switch was decided and finishes at the next open.
    bool historyKept() const { return historyKept_; }

    // True unless [history] backup=0 in dat/bzinit.ini.
    bool backupsEnabled() const;
    // The backup the last clearAll, importFrom or restoreBackup made of the history it replaced;
    // empty when none was made (backups off, or a history without cases).
    const std::string& lastBackup() const { return lastBackup_; }
    // Every backup, oldest first.
    bool listBackups(std::vector<BackupInfo>& out);
    // Replaces the history with the backup `name`: an import of it, so the current history is
    // backed up first.
    bool restoreBackup(const std::string& name);
    // Live cases as the header counts them (slots less holes), or -1 with lastError.
    int caseCount();

    // Report files: bazi_f/<i>.rtf.
    std::string reportPath(int i) const;
    // Writes the report of the live slot (that still holds case `ref.id` at `ref.revision`, when
    // given) and raises the case's revision; `stored` gets the case as now held.
    bool saveReport(const CaseRef& ref, std::string_view rtfBytes, CaseRef* stored = nullptr);
    bool saveReport(int i, std::string_view rtfBytes) { return saveReport(CaseRef{i, 0}, rtfBytes); }
    // Reads the report of the live slot i; false when there is none or it is unreadable.
    bool loadReport(int i, std::string& rtfBytes);
    bool reportExists(int i) const;
    // Deletes the report; a missing file is not an error.
    bool removeReport(int i);

    // dat/<prefix><k>.dat
    std::string recordFilePath(int k) const;
    const std::string& programDir() const { return programDir_; }
    const std::string& reportDir() const { return reportDir_; }
    const std::string& lastError() const { return lastError_; }

private:
    friend class StoreSession;
    bool fail(std::string message);
    bool setPaths(const std::string& programDir, std::uint8_t kind);

    std::string programDir_;
    std::string datDir_;
    std::string reportDir_;
    std::string prefix_ = std::string(kBaziPrefix);
    std::uint8_t kind_ = kKindBazi;
    int lockWaitMs_ = 10000;
    std::function<bool(int)> waitHook_;
    bool busy_ = false;
    bool historyKept_ = true;
    std::string lastBackup_;
    StoreHeader header_;
    std::string lastError_;
};

}  // namespace hj::casestore
