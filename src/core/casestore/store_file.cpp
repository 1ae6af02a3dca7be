#include "core/casestore/store_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <vector>

#include "core/text/file_io.h"

namespace hj::casestore::detail {

namespace {
StepHook stepHook = nullptr;
long stepCount = 0;
bool flushing = true;

int flushFile(int fd) { return flushing ? ::fsync(fd) : 0; }

int openNoFollow(const std::string& path, int flags, mode_t mode = 0644) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool isFolderEntry(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool failWith(std::string* error, const std::string& what) {
    if (error) *error = what + "：" + errnoText();
    return false;
}
}  // namespace

void setStepHook(StepHook hook) {
    stepHook = hook;
    stepCount = 0;
}

void setFlushing(bool on) { flushing = on; }

void step() {
    ++stepCount;
    if (stepHook) stepHook(stepCount);
}

std::string errnoText() { return text::reasonOf(errno); }

std::uint64_t readCounter(const std::string& path) {
    const int fd = openNoFollow(path, O_RDONLY | O_NONBLOCK);
    if (fd < 0) return 0;
    char buf[24] = {};
    const ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
    ::close(fd);
    std::uint64_t v = 0;
    for (ssize_t i = 0; i < n && buf[i] >= '0' && buf[i] <= '9'; ++i) v = v * 10 + static_cast<std::uint64_t>(buf[i] - '0');
    return v;
}

void raiseCounter(const std::string& path) {
    const std::string text = std::to_string(readCounter(path) + 1) + "\n";
    const int fd = openNoFollow(path, O_WRONLY | O_CREAT | O_NONBLOCK);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::pwrite(fd, text.data(), text.size(), 0) >= 0)
        (void)::ftruncate(fd, static_cast<off_t>(text.size()));
    ::close(fd);
}

std::string fileState(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return "-";
    return std::to_string(st.st_dev) + ':' + std::to_string(st.st_ino) + ':' + std::to_string(st.st_size) + ':' +
           std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec);
}

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
    int flags = O_NONBLOCK;
    switch (mode) {
        case Mode::Read: flags |= O_RDONLY; break;
        case Mode::ReadWrite: flags |= O_RDWR; break;
        case Mode::Create: flags |= O_RDWR | O_CREAT; break;
    }
    if (mode == Mode::Create) step();
    fd_ = openNoFollow(path, flags);
    if (fd_ < 0) {
        if (missing && errno == ENOENT) *missing = true;
        return failWith(error, "无法打开文件 " + path);
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error) *error = "不是普通文件，拒绝打开：" + path;
        close();
        return false;
    }
    const int fl = ::fcntl(fd_, F_GETFL);
    if (fl >= 0) ::fcntl(fd_, F_SETFL, fl & ~O_NONBLOCK);
    return true;
}

void StoreFile::close() {
    if (fd_ >= 0) ::close(fd_);
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
    step();
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

bool StoreFile::sync() {
    step();
    return fd_ >= 0 && (!flushing || ::fdatasync(fd_) == 0);
}

bool writeWholeFile(const std::string& path, std::string_view bytes, std::string* error) {
    step();
    int fd = openNoFollow(path, O_WRONLY | O_CREAT | O_TRUNC);
    if (fd < 0) return failWith(error, "无法写入 " + path);
    bool ok = text::writeAll(fd, bytes);
    if (ok) {
        step();
        ok = flushFile(fd) == 0;
    }
    const int err = errno;
    if (::close(fd) != 0 && ok) return failWith(error, "无法写入 " + path);
    if (!ok) {
        errno = err;
        return failWith(error, "无法写入 " + path);
    }
    return true;
}

bool createExclusive(const std::string& path, std::string_view bytes, bool* existed, std::string* error) {
    if (existed) *existed = false;
    const std::string tmp = path + ".new";
    std::string err;
    if (!removeFile(tmp, error) || !writeWholeFile(tmp, bytes, error)) return false;
    step();
    const bool linked = ::link(tmp.c_str(), path.c_str()) == 0;
    const int linkErr = errno;
    removeFile(tmp, &err);
    if (!linked) {
        if (linkErr == EEXIST) {
            if (existed) *existed = true;
            return true;
        }
        errno = linkErr;
        return failWith(error, "无法创建 " + path);
    }
    const auto slash = path.find_last_of('/');
    return syncFolder(slash == std::string::npos ? std::string(".") : path.substr(0, slash), error);
}

bool renameFile(const std::string& from, const std::string& to, std::string* error) {
    step();
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    return failWith(error, "无法将 " + from + " 改名为 " + to);
}

bool removeFile(const std::string& path, std::string* error) {
    step();
    if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
    return failWith(error, "无法删除 " + path);
}

bool syncFolder(const std::string& folder, std::string* error) {
    step();
    int fd = openNoFollow(folder, O_RDONLY | O_DIRECTORY);
    if (fd < 0) return failWith(error, "无法打开文件夹 " + folder);
    const bool ok = flushFile(fd) == 0 || errno == EINVAL;  // some file systems cannot flush folders
    const int err = errno;
    ::close(fd);
    errno = err;
    return ok || failWith(error, "无法写入文件夹 " + folder);
}

bool makeFolder(const std::string& folder, std::string* error) {
    step();
    if (::mkdir(folder.c_str(), 0755) == 0) return true;
    struct stat st {};
    if (errno == EEXIST && ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    return failWith(error, "无法创建文件夹 " + folder);
}

bool removeFolder(const std::string& folder, std::string* error) {
    if (exists(folder) && !isFolderEntry(folder)) return removeFile(folder, error);  // a stray file in its place
    DIR* d = ::opendir(folder.c_str());
    if (!d) return errno == ENOENT || failWith(error, "无法读取文件夹 " + folder);
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(d)) {
        const std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(n);
    }
    ::closedir(d);
    for (const std::string& n : names)
        if (!removeFile(folder + "/" + n, error)) return false;
    step();
    if (::rmdir(folder.c_str()) == 0 || errno == ENOENT) return true;
    return failWith(error, "无法删除文件夹 " + folder);
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

namespace {
// Copies the open `in` (its path `from`) into the open `fd` (for `to`) and flushes; the reason
// of a failure in `why`.
bool copyInto(const StoreFile& in, int fd, const std::string& from, const std::string& to, std::int64_t maxBytes,
              std::string& why) {
    std::vector<char> buf(1 << 20);
    std::int64_t offset = 0;
    for (;;) {
        const std::int64_t n = in.readAt(offset, buf.data(), buf.size());
        if (n < 0) {
            why = "无法读取 " + from + "：" + errnoText();
            return false;
        }
        if (n == 0) break;
        offset += n;
        if (offset > maxBytes) {
            why = "文件太大，拒绝复制：" + from;
            return false;
        }
        step();
        if (!text::writeAll(fd, std::string_view(buf.data(), static_cast<std::size_t>(n)))) {
            why = "无法写入 " + to + "：" + errnoText();
            return false;
        }
    }
    step();
    if (flushFile(fd) != 0) {
        why = "无法写入 " + to + "：" + errnoText();
        return false;
    }
    return true;
}

// Opens `from` for a copy of at most `maxBytes`.
bool openSource(StoreFile& in, const std::string& from, std::int64_t maxBytes, std::string* error) {
    if (!in.open(from, StoreFile::Mode::Read, error)) return false;
    if (in.size() > maxBytes) {
        if (error) *error = "文件太大，拒绝复制：" + from;
        return false;
    }
    return true;
}
}  // namespace

bool copyFileReplacing(const std::string& from, const std::string& to, std::int64_t maxBytes, std::string* error) {
    StoreFile in;
    if (!openSource(in, from, maxBytes, error)) return false;
    const std::string tmp = to + ".tmp";
    step();
    int fd = openNoFollow(tmp, O_WRONLY | O_CREAT | O_TRUNC);
    if (fd < 0) return failWith(error, "无法写入 " + to);
    std::string why;
    copyInto(in, fd, from, to, maxBytes, why);
    if (::close(fd) != 0 && why.empty()) why = "无法写入 " + to + "：" + errnoText();
    if (why.empty() && renameFile(tmp, to, &why)) return true;
    std::string ignored;
    removeFile(tmp, &ignored);
    if (error) *error = why;
    return false;
}

bool copyFileNew(const std::string& from, const std::string& to, std::int64_t maxBytes, std::string* error) {
    StoreFile in;
    if (!openSource(in, from, maxBytes, error)) return false;
    step();
    int fd = openNoFollow(to, O_WRONLY | O_CREAT | O_EXCL);
    if (fd < 0) return failWith(error, "无法写入 " + to);
    std::string why;
    copyInto(in, fd, from, to, maxBytes, why);
    if (::close(fd) != 0 && why.empty()) why = "无法写入 " + to + "：" + errnoText();
    if (why.empty()) return true;
    std::string ignored;
    removeFile(to, &ignored);
    if (error) *error = why;
    return false;
}

namespace {
constexpr int kMaxTreeDepth = 16;  // the folders removed here are two levels deep

bool removeTreeAt(int parentFd, const std::string& name, const std::string& shown, int depth, std::string* error) {
    struct stat st {};
    if (::fstatat(parentFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT || failWith(error, "无法删除 " + shown);
    if (!S_ISDIR(st.st_mode)) {
        step();
        if (::unlinkat(parentFd, name.c_str(), 0) == 0 || errno == ENOENT) return true;
        return failWith(error, "无法删除 " + shown);
    }
    if (depth > kMaxTreeDepth) {
        if (error) *error = "文件夹层次太深，拒绝删除：" + shown;
        return false;
    }
    const int fd = ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return failWith(error, "无法读取文件夹 " + shown);
    DIR* d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return failWith(error, "无法读取文件夹 " + shown);
    }
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(d)) {
        const std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(n);
    }
    bool ok = true;
    for (const std::string& n : names)
        if (!(ok = removeTreeAt(::dirfd(d), n, shown + "/" + n, depth + 1, error))) break;
    ::closedir(d);
    if (!ok) return false;
    step();
    if (::unlinkat(parentFd, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT) return true;
    return failWith(error, "无法删除文件夹 " + shown);
}
}  // namespace

bool removeTree(const std::string& path, std::string* error) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const auto slash = p.find_last_of('/');
    const std::string parent = slash == std::string::npos ? std::string(".") : (slash == 0 ? std::string("/") : p.substr(0, slash));
    const std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") {
        if (error) *error = "拒绝删除 " + path;
        return false;
    }
    const int fd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT || failWith(error, "无法打开文件夹 " + parent);
    const bool ok = removeTreeAt(fd, name, p, 0, error);
    ::close(fd);
    return ok;
}

bool checkFolderEntry(const std::string& path, const std::string& what, std::string* error) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return true;
        return failWith(error, "无法访问" + what + " " + path);
    }
    if (S_ISDIR(st.st_mode)) return true;
    if (error) *error = what + " " + path + (S_ISLNK(st.st_mode) ? " 是一个符号链接" : " 不是文件夹");
    return false;
}

std::string uniqueTag() {
    static unsigned long serial = 0;
    struct timespec ts {};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    const unsigned long long mix = (static_cast<unsigned long long>(ts.tv_nsec) << 16) ^
                                   static_cast<unsigned long long>(ts.tv_sec) ^ (++serial * 0x9E3779B97F4A7C15ull);
    char hex[24];
    std::snprintf(hex, sizeof hex, "%llx", mix & 0xFFFFFFFFFFull);
    return std::to_string(::getpid()) + "-" + std::to_string(serial) + "-" + hex;
}

}  // namespace hj::casestore::detail
