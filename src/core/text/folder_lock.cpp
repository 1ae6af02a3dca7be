#include "core/text/folder_lock.h"

#include <cerrno>

#include "core/text/file_io.h"

namespace hj::text {

bool FolderLock::take(const std::string& folder, bool exclusive, int waitMs, std::string* error, bool* missing,
                      bool* busy) {
    release();
    busy_ = false;
    if (missing) *missing = false;
    if (busy) *busy = false;
    if (!lock_.open(folder, false)) {
        const int err = errno;
        if (missing && err == ENOENT) *missing = true;
        if (error) {
            // A link where the folder should be: name it, not a puzzling "not a folder".
            if (err != ENOENT && platform::kindOf(folder) == platform::Kind::Link)
                *error = "无法打开文件夹 " + folder + "：它是一个符号链接，数据文件夹必须是真正的文件夹";
            else
                *error = "无法打开文件夹 " + folder + "：" + reasonOf(err);
        }
        return false;
    }
    const bool ok = wait(folder, exclusive, waitMs, false, error);
    if (busy) *busy = busy_;
    return ok;
}

bool FolderLock::takeOutside(const std::string& folder, bool exclusive, int waitMs, std::string* error) {
    release();
    busy_ = false;
    if (!lock_.open(folder, true)) {
        if (error) *error = "无法打开文件夹 " + folder + "：" + reasonOf(errno);
        return false;
    }
    return wait(folder, exclusive, waitMs, true, error);
}

bool FolderLock::wait(const std::string& folder, bool exclusive, int waitMs, bool locklessOk, std::string* error) {
    exclusive_ = exclusive;
    // Another process may hold the folder for one operation; wait for it, polling ever slower.
    int slept = 0, pause = 2;
    for (;;) {
        if (lock_.tryLock(exclusive)) return true;
        if (locklessOk && platform::locksUnsupported(errno)) return true;  // nothing to wait for there
        if (errno != EWOULDBLOCK) {
            if (error) *error = "无法锁定文件夹 " + folder + "：" + reasonOf(errno);
            release();
            return false;
        }
        if (slept >= waitMs) break;
        if (waitHook_ && !waitHook_(slept)) {
            release();
            busy_ = true;
            if (error) *error = "已停止等待：命例库正被另一个程序使用（" + folder + "）";
            return false;
        }
        platform::sleepMs(pause);
        slept += pause;
        pause = pause < 40 ? pause * 2 : 40;
    }
    release();
    busy_ = true;
    if (error) *error = "命例库正被另一个程序使用，请稍后再试（" + folder + "）";
    return false;
}

void FolderLock::release() { lock_.release(); }

}  // namespace hj::text
