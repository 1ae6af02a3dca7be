#include "core/text/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "core/text/file_io.h"

namespace hj::text {

bool FolderLock::take(const std::string& folder, bool exclusive, int waitMs, std::string* error, bool* missing,
                      bool* busy) {
    release();
    busy_ = false;
    if (missing) *missing = false;
    if (busy) *busy = false;
    do {
        fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        if (missing && errno == ENOENT) *missing = true;
        if (error) *error = "无法打开文件夹 " + folder + "：" + reasonOf(errno);
        return false;
    }
    const bool ok = wait(folder, exclusive, waitMs, false, error);
    if (busy) *busy = busy_;
    return ok;
}

bool FolderLock::takeOutside(const std::string& folder, bool exclusive, int waitMs, std::string* error) {
    release();
    busy_ = false;
    do {
        fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        if (error) *error = "无法打开文件夹 " + folder + "：" + reasonOf(errno);
        return false;
    }
    return wait(folder, exclusive, waitMs, true, error);
}

bool FolderLock::wait(const std::string& folder, bool exclusive, int waitMs, bool locklessOk, std::string* error) {
    exclusive_ = exclusive;
    // Another process may hold the folder for one operation; wait for it, polling ever slower.
    long slept = 0, pause = 2;
    for (;;) {
        if (::flock(fd_, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) return true;
        if (locklessOk && (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS || errno == EINVAL))
            return true;  // a file system without locks: nothing to wait for there
        if (errno != EWOULDBLOCK && errno != EINTR) {
            if (error) *error = "无法锁定文件夹 " + folder + "：" + reasonOf(errno);
            release();
            return false;
        }
        if (slept >= waitMs) break;
        struct timespec ts {0, pause * 1'000'000};
        ::nanosleep(&ts, nullptr);
        slept += pause;
        pause = pause < 40 ? pause * 2 : 40;
    }
    release();
    busy_ = true;
    if (error) *error = "命例库正被另一个程序使用，请稍后再试（" + folder + "）";
    return false;
}

void FolderLock::release() {
    if (fd_ >= 0) ::close(fd_);  // also releases the lock
    fd_ = -1;
}

}  // namespace hj::text
