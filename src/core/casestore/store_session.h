#pragma once
// One operation on the case store: the data folder locked (shared for reading, exclusive for a
// change), an interrupted change finished, record file 0 opened and its header read and
// checked, the other record files opened on demand, everything closed at the end.
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "core/casestore/case_store.h"
#include "core/casestore/journal.h"
#include "core/casestore/store_file.h"

namespace hj::casestore {

class StoreSession {
public:
    explicit StoreSession(CaseStore& store);

    // The lock alone, with an interrupted change finished; for clearing and importing, which
    // must also work on a store whose header is damaged.
    bool lock(bool exclusive);
    // lock(), then record file 0 and its checked header in `h`. A reader of a folder without a
    // store sees an empty one and creates nothing; a writer creates the missing store (never
    // replacing a file another process has just made).
    bool begin(bool exclusive);
    // Record file k, opened for this session; null when it does not exist or cannot be opened,
    // `error` then says why (empty for a plain missing file).
    detail::StoreFile* file(int k, std::string* error);
    // Carries out `j` (decided once it is written) and keeps `h` as the header now on disk.
    bool commit(const detail::Journal& j, const std::string& failurePrefix);
    // Adds the header write to `j`.
    void writeHeader(detail::Journal& j) const;
    // Writes a report beside the store, for a journal to put in place as slot's report.
    bool stageReport(std::int32_t slot, std::string_view bytes);

    static std::int64_t slotOffset(std::int64_t i);
    static std::int64_t fileBase(int k) { return k == 0 ? static_cast<std::int64_t>(kHeaderSize) : 0; }
    // Slots of file k that are wholly present on disk.
    std::int64_t slotsPresent(int k);

    // Visits slots first..last-1 (bounded by count) in index order with their 1,184 bytes,
    // reading sequentially in blocks. Slots beyond a file's real end are skipped. `fn` returns
    // false to stop. False on a read error (lastError set).
    bool scan(std::int32_t first, std::int32_t last, const std::function<bool(std::int32_t, const char*)>& fn);

    bool fail(const std::string& message) { return store_.fail(message); }
    const detail::StorePaths& paths() const { return paths_; }

    StoreHeader h;

private:
    CaseStore& store_;
    detail::StorePaths paths_;
    detail::FolderLock lock_;
    detail::StoreFile f0_;
    bool exclusive_ = false;
    std::map<int, detail::StoreFile> files_;
};

}  // namespace hj::casestore
