// The platform layer on POSIX systems (Linux).
#include "core/platform/platform.h"
#include "core/platform/terminal.h"

#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace hj::platform {
namespace {

int fdOf(Handle h) { return static_cast<int>(h); }

int openNoFollow(const char* path, int flags, mode_t mode = 0644) {
    int fd;
    do {
        fd = ::open(path, flags | O_NOFOLLOW | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

Kind kindOfMode(mode_t m) {
    if (S_ISREG(m)) return Kind::File;
    if (S_ISDIR(m)) return Kind::Folder;
    if (S_ISLNK(m)) return Kind::Link;
    return Kind::Other;
}

bool removeTreeAt(int parentFd, const std::string& name, const std::string& shown, int depth, int maxDepth,
                  std::string& failedAt, bool& tooDeep, void (*beforeEach)()) {
    struct stat st {};
    if (::fstatat(parentFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return true;
        failedAt = shown;
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (beforeEach) beforeEach();
        if (::unlinkat(parentFd, name.c_str(), 0) == 0 || errno == ENOENT) return true;
        failedAt = shown;
        return false;
    }
    if (depth > maxDepth) {
        tooDeep = true;
        failedAt = shown;
        return false;
    }
    const int fd = ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR* d = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!d) {
        const int err = errno;
        if (fd >= 0) ::close(fd);
        errno = err;
        failedAt = shown;
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(d)) {
        const std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(n);
    }
    bool ok = true;
    for (const std::string& n : names)
        if (!(ok = removeTreeAt(::dirfd(d), n, shown + "/" + n, depth + 1, maxDepth, failedAt, tooDeep, beforeEach))) break;
    const int err = errno;
    ::closedir(d);
    errno = err;
    if (!ok) return false;
    if (beforeEach) beforeEach();
    if (::unlinkat(parentFd, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT) return true;
    failedAt = shown;
    return false;
}

bool broken(const std::tm* tm, CivilTime& out) {
    if (!tm) return false;
    out = CivilTime{tm->tm_year + 1900, tm->tm_mon + 1, tm->tm_mday, tm->tm_hour, tm->tm_min, tm->tm_sec};
    return true;
}

}  // namespace

std::filesystem::path pathOf(std::string_view utf8) { return std::filesystem::path(utf8); }
std::string utf8Of(const std::filesystem::path& p) { return p.string(); }

std::string parentFolder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

Handle openFile(const std::string& path, Open mode, bool* notRegular) {
    if (notRegular) *notRegular = false;
    int flags = O_NONBLOCK;
    switch (mode) {
        case Open::Read: flags |= O_RDONLY; break;
        case Open::ReadWrite: flags |= O_RDWR; break;
        case Open::ReadWriteCreate: flags |= O_RDWR | O_CREAT; break;
        case Open::WriteNew: flags |= O_WRONLY | O_CREAT | O_EXCL; break;
        case Open::WriteTruncate: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    }
    const int fd = openNoFollow(path.c_str(), flags);
    if (fd < 0) return kNoHandle;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        if (notRegular) *notRegular = true;
        errno = folder ? EISDIR : EINVAL;
        return kNoHandle;
    }
    // A regular file never blocks; clear the flag so reads behave normally.
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl >= 0) ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
    return fd;
}

bool closeFile(Handle h) { return h == kNoHandle || ::close(fdOf(h)) == 0; }

std::int64_t fileSize(Handle h) {
    struct stat st {};
    if (h == kNoHandle || ::fstat(fdOf(h), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

std::int64_t readSome(Handle h, char* buf, std::size_t n) {
    for (;;) {
        const ssize_t r = ::read(fdOf(h), buf, n);
        if (r < 0 && errno == EINTR) continue;
        return r;
    }
}

std::int64_t readAt(Handle h, std::int64_t offset, char* buf, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r = ::pread(fdOf(h), buf + done, n - done, static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (r < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (r == 0) break;
        done += static_cast<std::size_t>(r);
    }
    return static_cast<std::int64_t>(done);
}

bool writeAll(Handle h, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fdOf(h), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool writeAt(Handle h, std::int64_t offset, const char* buf, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r = ::pwrite(fdOf(h), buf + done, n - done, static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(r);
    }
    return true;
}

bool truncateFile(Handle h, std::int64_t size) { return ::ftruncate(fdOf(h), static_cast<off_t>(size)) == 0; }

bool syncFile(Handle h) { return ::fdatasync(fdOf(h)) == 0; }

bool syncFolder(const std::string& folder) {
    const int fd = openNoFollow(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot flush folders
    const int err = errno;
    ::close(fd);
    errno = err;
    return ok;
}

bool replaceFile(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

bool renameNoReplace(const std::string& from, const std::string& to) {
    // A hard link never replaces an existing name; the caller removes `from` afterwards.
    return ::link(from.c_str(), to.c_str()) == 0;
}

bool removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }
bool makeFolder(const std::string& path) { return ::mkdir(path.c_str(), 0755) == 0; }
bool removeEmptyFolder(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

bool listFolder(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    DIR* d = ::opendir(path.c_str());
    if (!d) return false;
    while (const dirent* e = ::readdir(d)) {
        const std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(n);
    }
    ::closedir(d);
    return true;
}

bool removeTree(const std::string& path, int maxDepth, std::string& failedAt, bool& tooDeep, void (*beforeEach)()) {
    tooDeep = false;
    const auto slash = path.find_last_of('/');
    const std::string parent =
        slash == std::string::npos ? std::string(".") : (slash == 0 ? std::string("/") : path.substr(0, slash));
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const int fd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return true;
        failedAt = parent;
        return false;
    }
    const bool ok = removeTreeAt(fd, name, path, 0, maxDepth, failedAt, tooDeep, beforeEach);
    const int err = errno;
    ::close(fd);
    errno = err;
    return ok;
}

bool entryInfo(const std::string& path, EntryInfo& out) {
    out = EntryInfo{};
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR;
    out.kind = kindOfMode(st.st_mode);
    out.size = static_cast<std::int64_t>(st.st_size);
    out.identity = std::to_string(st.st_dev) + ':' + std::to_string(st.st_ino) + ':' + std::to_string(st.st_size) +
                   ':' + std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec) + ':' +
                   std::to_string(st.st_ctim.tv_sec) + '.' + std::to_string(st.st_ctim.tv_nsec);
    return true;
}

Kind kindOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? kindOfMode(st.st_mode) : Kind::Missing;
}

bool canWriteFolder(const std::string& path) { return ::access(path.c_str(), W_OK | X_OK) == 0; }

bool FolderLockHandle::open(const std::string& folder, bool followLinks) {
    release();
    int fd;
    do {
        fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
    } while (fd < 0 && errno == EINTR);
    h_ = fd < 0 ? kNoHandle : fd;
    return fd >= 0;
}

bool FolderLockHandle::tryLock(bool exclusive) {
    if (::flock(fdOf(h_), (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) return true;
    if (errno == EINTR) errno = EWOULDBLOCK;
    return false;
}

void FolderLockHandle::release() {
    if (h_ != kNoHandle) ::close(fdOf(h_));  // also releases the lock
    h_ = kNoHandle;
}

bool locksUnsupported(int err) { return err == ENOLCK || err == EOPNOTSUPP || err == ENOSYS || err == EINVAL; }

void sleepMs(int ms) {
    struct timespec ts {ms / 1000, static_cast<long>(ms % 1000) * 1'000'000};
    ::nanosleep(&ts, nullptr);
}

int processId() { return static_cast<int>(::getpid()); }

std::int64_t clockNanoseconds() {
    struct timespec ts {};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

bool utcTime(std::int64_t seconds, CivilTime& out) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm {};
    return broken(::gmtime_r(&t, &tm), out);
}

bool localTime(std::int64_t seconds, CivilTime& out) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm {};
    return broken(::localtime_r(&t, &tm), out);
}

bool decodeCodePage(int codepage, std::string_view bytes, std::string& out) {
    out.clear();
    std::string charset;
    switch (codepage) {
        case 950: charset = "BIG5"; break;
        case 1361: charset = "JOHAB"; break;
        case 10000: charset = "MACINTOSH"; break;
        default: charset = "CP" + std::to_string(codepage);
    }
    iconv_t cd = iconv_open("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    char buf[512];
    char* src = const_cast<char*>(bytes.data());
    std::size_t left = bytes.size();
    while (left > 0) {
        char* dst = buf;
        std::size_t room = sizeof buf;
        const std::size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out += "\xEF\xBF\xBD";
            ++src;
            --left;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return true;
}

int readByte(std::FILE* in) { return getc_unlocked(in); }

std::FILE* openStream(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

std::string environment(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string programFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

std::string userDataFolder() {
    std::string base = environment("XDG_DATA_HOME");
    if (base.empty()) {
        std::string home = environment("HOME");
        while (home.size() > 1 && home.back() == '/') home.pop_back();
        base = (home.empty() ? std::string(".") : home) + "/.local/share";
    }
    return base;
}

std::string userDataFolderName() { return "hengjian"; }

std::vector<std::string> utf8Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

void prepareStandardStreams() {}

void writeToTerminal(std::string_view utf8, bool toStandardError) {
    std::FILE* stream = toStandardError ? stderr : stdout;
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fflush(stream);
}

void reopenClosedStandardStreams() {
    // /dev/null opened the wrong way round: reads or writes on it still fail and are reported.
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
        const int n = ::open("/dev/null", (fd == 0 ? O_WRONLY : O_RDONLY) | O_CLOEXEC);
        if (n >= 0 && n != fd) {
            ::dup2(n, fd);
            ::close(n);
        }
    }
}

}  // namespace hj::platform
