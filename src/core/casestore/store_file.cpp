#include "core/casestore/store_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "core/text/file_io.h"

namespace hj::casestore::detail {

std::string errnoText() { return text::reasonOf(errno); }

StoreFile& StoreFile::operator=(StoreFile&& o) noexcept {
    if (this != &o) {
        close();
        fd_ = o.fd_;
        path_ = std::move(o.path_);
        o.fd_ = -1;
    }
    return *this;
}

bool StoreFile::open(const std::string& path, Mode mode, std::string* error, bool* missing) {
    close();
    path_ = path;
    if (missing) *missing = false;
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::Read: flags |= O_RDONLY; break;
        case Mode::ReadWrite: flags |= O_RDWR; break;
        case Mode::Create: flags |= O_RDWR | O_CREAT; break;
    }
    do {
        fd_ = ::open(path.c_str(), flags, 0644);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        if (missing && errno == ENOENT) *missing = true;
        if (error) *error = "无法打开文件 " + path + "：" + errnoText();
        return false;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error) *error = "不是普通文件：" + path;
        close();
        return false;
    }
    return true;
}

bool StoreFile::lock(bool exclusive, std::string* error) {
    // Another instance of the program may hold the store for a moment; wait briefly for it.
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (::flock(fd_, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) break;
        struct timespec ts {0, 20'000'000};
        ::nanosleep(&ts, nullptr);
    }
    if (error) *error = "命例库正被另一个程序使用，请稍后再试（" + path_ + "）";
    return false;
}

void StoreFile::close() {
    if (fd_ >= 0) ::close(fd_);  // also releases the lock
    fd_ = -1;
}

std::int64_t StoreFile::size() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

std::int64_t StoreFile::readAt(std::int64_t offset, char* buf, std::size_t n) const {
    std::size_t done = 0;
    while (done < n) {
        ssize_t r = ::pread(fd_, buf + done, n - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (r < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (r == 0) break;
        done += static_cast<std::size_t>(r);
    }
    return static_cast<std::int64_t>(done);
}

bool StoreFile::writeAt(std::int64_t offset, const char* buf, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        ssize_t r = ::pwrite(fd_, buf + done, n - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(r);
    }
    return true;
}

bool StoreFile::sync() { return fd_ >= 0 && ::fdatasync(fd_) == 0; }

bool copyFileReplacing(const std::string& from, const std::string& to, std::string* error) {
    StoreFile in;
    if (!in.open(from, StoreFile::Mode::Read, error)) return false;
    std::string tmp = to + ".tmpXXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) {
        if (error) *error = "无法写入 " + to + "：" + errnoText();
        return false;
    }
    std::vector<char> buf(1 << 20);
    std::int64_t offset = 0;
    bool ok = true;
    std::string why;
    for (;;) {
        std::int64_t n = in.readAt(offset, buf.data(), buf.size());
        if (n < 0) {
            ok = false;
            why = "无法读取 " + from + "：" + errnoText();
            break;
        }
        if (n == 0) break;
        const char* p = buf.data();
        std::size_t left = static_cast<std::size_t>(n);
        while (left > 0) {
            ssize_t w = ::write(fd, p, left);
            if (w < 0) {
                if (errno == EINTR) continue;
                ok = false;
                break;
            }
            p += w;
            left -= static_cast<std::size_t>(w);
        }
        if (!ok) {
            why = "无法写入 " + to + "：" + errnoText();
            break;
        }
        offset += n;
    }
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        why = "无法写入 " + to + "：" + errnoText();
    }
    ::fchmod(fd, 0644);
    if (::close(fd) != 0 && ok) {
        ok = false;
        why = "无法写入 " + to + "：" + errnoText();
    }
    if (ok && std::rename(tmp.c_str(), to.c_str()) != 0) {
        ok = false;
        why = "无法写入 " + to + "：" + errnoText();
    }
    if (!ok) {
        std::remove(tmp.c_str());
        if (error) *error = why;
    }
    return ok;
}

}  // namespace hj::casestore::detail
