#pragma once
// Small POSIX file helpers of the case store: a file opened for one operation, positioned
// reads and writes that finish or fail as a whole, and a copy through a temporary file.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace hj::casestore::detail {

class StoreFile {
public:
    StoreFile() = default;
    ~StoreFile() { close(); }
    StoreFile(const StoreFile&) = delete;
    StoreFile& operator=(const StoreFile&) = delete;
    StoreFile(StoreFile&& o) noexcept : fd_(o.fd_), path_(std::move(o.path_)) { o.fd_ = -1; }
    StoreFile& operator=(StoreFile&& o) noexcept;

    enum class Mode { Read, ReadWrite, Create };
    // False with `error` set; errno-style detail in the message. A missing file opened with
    // Read or ReadWrite sets `missing`.
    bool open(const std::string& path, Mode mode, std::string* error, bool* missing = nullptr);
    // Takes a shared or exclusive lock, retrying for about two seconds.
    bool lock(bool exclusive, std::string* error);
    bool isOpen() const { return fd_ >= 0; }
    void close();

    // Current size in bytes, -1 on failure.
    std::int64_t size() const;
    // Reads up to n bytes at `offset`; the count read, or -1 on failure.
    std::int64_t readAt(std::int64_t offset, char* buf, std::size_t n) const;
    bool readExact(std::int64_t offset, char* buf, std::size_t n) const {
        return readAt(offset, buf, n) == static_cast<std::int64_t>(n);
    }
    bool writeAt(std::int64_t offset, const char* buf, std::size_t n);
    // Flushes written data to the disk (before a header that depends on it is written).
    bool sync();
    const std::string& path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

// Copies `from` to `to` through a temporary file beside `to` and a rename, so `to` is either
// the old file or the complete copy. False with a message in `error`.
bool copyFileReplacing(const std::string& from, const std::string& to, std::string* error);

// The Chinese reason for the current errno.
std::string errnoText();

}  // namespace hj::casestore::detail
