#include "core/text/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cerrno>
#include <new>

namespace hj::text {

std::string reasonOf(int err) {
    switch (err) {
    case ENOENT: return "文件或文件夹不存在";
    case EACCES:
    case EPERM: return "没有权限";
    case ENOSPC:
    case EDQUOT: return "磁盘已满";
    case EROFS: return "只读文件系统";
    case EISDIR: return "是一个文件夹";
    case ENOTDIR: return "路径中有一项不是文件夹";
    case ELOOP: return "是一个符号链接";
    case EEXIST: return "文件已存在";
    case EBUSY:
    case ETXTBSY: return "文件正被使用";
    case ENAMETOOLONG: return "文件名太长";
    case EMFILE:
    case ENFILE: return "打开的文件太多";
    case ENOMEM: return "内存不足";
    case EFBIG: return "文件太大";
    case EIO: return "读写出错";
    case EBADF: return "文件未打开或已关闭";
    case EPIPE: return "接收输出的程序已退出";
    case ENOTEMPTY: return "文件夹不是空的";
    case EXDEV: return "不能跨磁盘改名";
    case EINVAL: return "参数无效";
    case EAGAIN: return "资源暂时不可用";
    case ENXIO: return "设备不存在";
    case ENODEV: return "设备不支持此操作";
    case EOPNOTSUPP: return "不支持此操作";
    case ETIMEDOUT: return "操作超时";
    case ESTALE: return "网络文件已失效";
    default: return "系统错误（代码 " + std::to_string(err) + "）";
    }
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

int openRegularFile(const std::string& path, std::string* error, bool* missing) {
    if (missing) *missing = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        int err = errno;
        if (missing) *missing = (err == ENOENT);
        if (error) *error = "无法打开文件 " + path + "：" + reasonOf(err);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        if (error) *error = "不是普通文件，拒绝读取：" + path;
        return -1;
    }
    // A regular file never blocks; clear the flag so reads behave normally.
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

bool readRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                     std::string* error, bool* missing) {
    bytes.clear();
    int fd = openRegularFile(path, error, missing);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size < 0 ||
        static_cast<unsigned long long>(st.st_size) > maxBytes) {
        ::close(fd);
        if (error) *error = "文件太大，拒绝读取：" + path;
        return false;
    }
    try {
        bytes.resize(static_cast<std::size_t>(st.st_size));
    } catch (const std::bad_alloc&) {
        ::close(fd);
        if (error) *error = "无法读取文件 " + path + "：" + reasonOf(ENOMEM);
        return false;
    }
    // The file may grow or shrink while we read: read to its real end, never past the bound.
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (bytes.size() >= maxBytes) {
                char probe;
                ssize_t n = ::read(fd, &probe, 1);
                if (n == 0) break;
                ::close(fd);
                bytes.clear();
                if (error) *error = "文件太大，拒绝读取：" + path;
                return false;
            }
            bytes.resize(std::min(maxBytes, bytes.size() + 65536));
        }
        ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            bytes.clear();
            if (error) *error = "无法读取文件 " + path + "：" + reasonOf(err);
            return false;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    return true;
}

std::string dataFilePath(const std::string& dataDir, std::string_view file) {
    std::string path = dataDir;
    if (!path.empty() && path.back() != '/') path += '/';
    path += "dat/";
    path += file;
    return path;
}

bool readWholeFile(const std::string& path, std::string& bytes) {
    return readRegularFile(path, kMaxReportBytes, bytes, nullptr);
}

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    std::string tmp = path + ".tmpXXXXXX";
    int fd = mkstemp(tmp.data());
    if (fd < 0) {
        if (error) *error = "无法写入文件 " + path + "：" + reasonOf(errno);
        return false;
    }
    bool ok = writeAll(fd, bytes);
    if (ok && ::fsync(fd) != 0) ok = false;
    int savedErrno = errno;
    ::fchmod(fd, 0644);
    if (::close(fd) != 0) ok = false;
    if (ok && std::rename(tmp.c_str(), path.c_str()) != 0) {
        savedErrno = errno;
        ok = false;
    }
    if (!ok) {
        std::remove(tmp.c_str());
        if (error) *error = "无法写入文件 " + path + "：" + reasonOf(savedErrno);
    }
    return ok;
}

}  // namespace hj::text
