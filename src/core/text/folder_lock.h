#pragma once
// The lock of one data folder, shared by the case store and the settings files, so that every
// change to the folder's files, from any window or command-line run, happens one at a time.
#include <functional>
#include <string>

#include "core/platform/platform.h"

namespace hj::text {

// Taken on the folder itself (on Windows on a file kept in it, which is never replaced), so no
// replaced file can carry it away. Shared for readers, exclusive for every change. Two locks of one process on the same
// folder exclude each other like those of two processes.
class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock() { release(); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    // Waits up to `waitMs` for the lock. False with `error`; `*missing` when the folder does
    // not exist, `*busy` when another holder kept it the whole time.
    bool take(const std::string& folder, bool exclusive, int waitMs, std::string* error, bool* missing = nullptr,
              bool* busy = nullptr);
    // The same for a folder outside the store (an export's target, an import's source): a
    // link to it is followed, and on a file system that has no locks it is used unlocked.
    bool takeOutside(const std::string& folder, bool exclusive, int waitMs, std::string* error);
    void release();
    bool held() const { return lock_.isOpen(); }
    bool exclusive() const { return exclusive_; }
    // After a failed take: true when the folder was there but another holder kept it.
    bool busy() const { return busy_; }
    // Called while a take waits, with the milliseconds waited so far; false gives up at once
    // (a failed take, busy, with a message saying it was given up).
    void setWaitHook(std::function<bool(int)> hook) { waitHook_ = std::move(hook); }

private:
    bool wait(const std::string& folder, bool exclusive, int waitMs, bool locklessOk, std::string* error);
    platform::FolderLockHandle lock_;
    bool exclusive_ = false;
    bool busy_ = false;
    std::function<bool(int)> waitHook_;
};

}  // namespace hj::text
