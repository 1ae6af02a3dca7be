#pragma once
// Small file helpers of the case store (on the platform layer): the data-folder lock (folder_lock.h), a file
// opened for one operation, positioned reads and writes that finish or fail as a whole, and the
// few file-system steps (create, rename, unlink, flush a folder) every change is made of.
//
// Every step that changes something on disk passes through `step()`, so a test can stop the
// process at any one of them and check what a crash there leaves behind.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "core/platform/platform.h"
#include "core/text/folder_lock.h"

namespace hj::casestore::detail {

// Called before every changing file-system step with the running step number (from 1).
using StepHook = void (*)(long step);
void setStepHook(StepHook hook);
void step();
// Flushing to the disk (on by default) guards against power loss only; tests that cannot cut
// the power turn it off to run faster. The order of every step stays the same.
void setFlushing(bool on);

class StoreFile {
public:
    StoreFile() = default;
    ~StoreFile() { close(); }
    StoreFile(const StoreFile&) = delete;
    StoreFile& operator=(const StoreFile&) = delete;
    StoreFile(StoreFile&& o) noexcept : h_(o.h_), path_(std::move(o.path_)) { o.h_ = platform::kNoHandle; }
    StoreFile& operator=(StoreFile&& o) noexcept;

    enum class Mode { Read, ReadWrite, Create };
    // Regular files only: a symbolic link, FIFO or device is refused without blocking. False
    // with `error` set; a missing file opened with Read or ReadWrite sets `missing`.
    bool open(const std::string& path, Mode mode, std::string* error, bool* missing = nullptr);
    bool isOpen() const { return h_ != platform::kNoHandle; }
    void close();

    // Current size in bytes, -1 on failure.
    std::int64_t size() const;
    // Reads up to n bytes at `offset`; the count read, or -1 on failure.
    std::int64_t readAt(std::int64_t offset, char* buf, std::size_t n) const;
    bool readExact(std::int64_t offset, char* buf, std::size_t n) const {
        return readAt(offset, buf, n) == static_cast<std::int64_t>(n);
    }
    bool writeAt(std::int64_t offset, const char* buf, std::size_t n);
    // Flushes written data to the disk.
    bool sync();
    const std::string& path() const { return path_; }

private:
    platform::Handle h_ = platform::kNoHandle;
    std::string path_;
};

// The data-folder lock lives with the text helpers, so that settings writes take it too.
using FolderLock = text::FolderLock;

// Writes `bytes` to `path` (created or truncated, no link followed) and flushes it.
bool writeWholeFile(const std::string& path, std::string_view bytes, std::string* error);
// Creates `path` holding `bytes` only when no file of that name exists; an existing file is
// never replaced (the new one is written beside it and linked in). `*existed` tells.
bool createExclusive(const std::string& path, std::string_view bytes, bool* existed, std::string* error);
// Replacing rename and unlink as steps; a missing file to unlink is not an error.
bool renameFile(const std::string& from, const std::string& to, std::string* error);
bool removeFile(const std::string& path, std::string* error);
// Flushes a folder's entries (after renames and unlinks that must survive a power loss).
bool syncFolder(const std::string& folder, std::string* error);
// Creates a folder (an existing one is fine).
bool makeFolder(const std::string& folder, std::string* error);
// Removes a folder and every file directly in it.
bool removeFolder(const std::string& folder, std::string* error);
// True when `path` names a regular file (a link is not followed).
bool isRegularFile(const std::string& path);
bool exists(const std::string& path);

// Copies the regular file `from` (at most `maxBytes`) to `to` through a temporary file beside
// `to` and a rename, so `to` is either the old file or the complete copy.
bool copyFileReplacing(const std::string& from, const std::string& to, std::int64_t maxBytes, std::string* error);
// Copies the regular file `from` (at most `maxBytes`) to the new file `to` and flushes it; for
// folders of one operation's own (staged exports and backups), where no other name is needed.
// An existing `to` is an error; a failed copy leaves no `to`.
bool copyFileNew(const std::string& from, const std::string& to, std::int64_t maxBytes, std::string* error);
// Removes `path` and, for a folder, everything below it. A symbolic link is removed itself,
// never followed, so nothing outside `path` is ever deleted. A missing path is not an error.
bool removeTree(const std::string& path, std::string* error);
// True when `path` is missing or a real folder; false with a message naming it (`what`, e.g.
// "命稿文件夹") when it is a symbolic link or another kind of file.
bool checkFolderEntry(const std::string& path, const std::string& what, std::string* error);
// A name part no other process or call of this process uses at the same time:
// "<pid>-<serial>-<random>".
std::string uniqueTag();

// A change counter in a small file: raised by one after each change (0 when the file is
// missing or unreadable). Not flushed and not a step: it only tells windows that something
// changed, and a crash that loses a raise loses nothing else.
void raiseCounter(const std::string& path);
std::uint64_t readCounter(const std::string& path);
// A file's identity, size and modification time as text ("-" when it is missing); no link is
// followed.
std::string fileState(const std::string& path);

// The Chinese reason of the current errno.
std::string errnoText();

}  // namespace hj::casestore::detail
