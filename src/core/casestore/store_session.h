#pragma once
// One operation on the case store: record file 0 opened and locked, the header read and
// checked, the other record files opened on demand, everything closed at the end.
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "core/casestore/case_store.h"
#include "core/casestore/store_file.h"

namespace hj::casestore {

class StoreSession {
public:
    explicit StoreSession(CaseStore& store) : store_(store) {}

    // Opens (read-write when `exclusive`) and locks record file 0, reads and checks the header
    // into `h`. False with the store's lastError set.
    bool begin(bool exclusive);
    // Record file k, opened for this session; null when it does not exist (and `create` is
    // off) or cannot be opened, `error` then says why (empty for a plain missing file).
    detail::StoreFile* file(int k, bool create, std::string* error);
    // Writes `h` to the header and flushes it.
    bool writeHeader();

    // Byte offset of slot i in its file.
    static std::int64_t slotOffset(std::int64_t i);
    static std::int64_t fileBase(int k) { return k == 0 ? static_cast<std::int64_t>(kHeaderSize) : 0; }
    // Slots of file k that are wholly present on disk.
    std::int64_t slotsPresent(int k);

    // Visits slots first..last-1 (bounded by count) in index order with their 1,184 bytes,
    // reading sequentially in blocks. Slots beyond a file's real end are skipped and counted
    // in `missing`. `fn` returns false to stop. False on a read error (lastError set).
    bool scan(std::int32_t first, std::int32_t last, const std::function<bool(std::int32_t, const char*)>& fn,
              std::int64_t* missing = nullptr);

    bool fail(const std::string& message) { return store_.fail(message); }

    StoreHeader h;

private:
    CaseStore& store_;
    detail::StoreFile f0_;
    bool exclusive_ = false;
    std::map<int, detail::StoreFile> files_;
};

}  // namespace hj::casestore
