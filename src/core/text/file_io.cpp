#include "core/text/file_io.h"

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
#ifdef EDQUOT
    case EDQUOT:
#endif
        return "磁盘已满";
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
#ifdef ESTALE
    case ESTALE: return "网络文件已失效";
#endif
    default: return "系统错误（代码 " + std::to_string(err) + "）";
    }
}

platform::Handle openRegularFile(const std::string& path, std::string* error, bool* missing) {
    if (missing) *missing = false;
    bool notRegular = false;
    const platform::Handle h = platform::openFile(path, platform::Open::Read, &notRegular);
    if (h == platform::kNoHandle) {
        const int err = errno;
        if (missing) *missing = (err == ENOENT);
        if (error) *error = notRegular ? "不是普通文件，拒绝读取：" + path : "无法打开文件 " + path + "：" + reasonOf(err);
    }
    return h;
}

bool readRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                     std::string* error, bool* missing) {
    bytes.clear();
    const platform::Handle h = openRegularFile(path, error, missing);
    if (h == platform::kNoHandle) return false;
    const std::int64_t size = platform::fileSize(h);
    if (size < 0 || static_cast<unsigned long long>(size) > maxBytes) {
        platform::closeFile(h);
        if (error) *error = "文件太大，拒绝读取：" + path;
        return false;
    }
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        platform::closeFile(h);
        if (error) *error = "无法读取文件 " + path + "：" + reasonOf(ENOMEM);
        return false;
    }
    // The file may grow or shrink while we read: read to its real end, never past the bound.
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (bytes.size() >= maxBytes) {
                char probe;
                if (platform::readSome(h, &probe, 1) == 0) break;
                platform::closeFile(h);
                bytes.clear();
                if (error) *error = "文件太大，拒绝读取：" + path;
                return false;
            }
            bytes.resize(std::min(maxBytes, bytes.size() + 65536));
        }
        const std::int64_t n = platform::readSome(h, bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            const int err = errno;
            platform::closeFile(h);
            bytes.clear();
            if (error) *error = "无法读取文件 " + path + "：" + reasonOf(err);
            return false;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    platform::closeFile(h);
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
    // A name of this process and call, beside the file: never another writer's temporary.
    static unsigned serial = 0;
    const std::string tmp = path + ".tmp" + std::to_string(platform::processId()) + "-" + std::to_string(++serial) +
                            "-" + std::to_string(platform::clockNanoseconds() % 1000000007);
    const platform::Handle h = platform::openFile(tmp, platform::Open::WriteNew);
    if (h == platform::kNoHandle) {
        if (error) *error = "无法写入文件 " + path + "：" + reasonOf(errno);
        return false;
    }
    bool ok = platform::writeAll(h, bytes) && platform::syncFile(h);
    int savedErrno = errno;
    if (!platform::closeFile(h) && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && !platform::replaceFile(tmp, path)) {
        savedErrno = errno;
        ok = false;
    }
    if (!ok) {
        platform::removeFile(tmp);
        if (error) *error = "无法写入文件 " + path + "：" + reasonOf(savedErrno);
    }
    return ok;
}

}  // namespace hj::text
