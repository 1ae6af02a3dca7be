#include "core/casestore/store_file.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "core/text/file_io.h"

namespace hj::casestore::detail {

namespace {
StepHook stepHook = nullptr;
long stepCount = 0;
bool flushing = true;

using platform::Handle;
using platform::kNoHandle;
using platform::Open;

bool flushFile(Handle h) { return !flushing || platform::syncFile(h); }

bool isFolderEntry(const std::string& path) { return platform::kindOf(path) == platform::Kind::Folder; }

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
    const Handle h = platform::openFile(path, Open::Read);
    if (h == kNoHandle) return 0;
    char buf[24] = {};
    const std::int64_t n = platform::readAt(h, 0, buf, sizeof buf - 1);
    platform::closeFile(h);
    std::uint64_t v = 0;
    for (std::int64_t i = 0; i < n && buf[i] >= '0' && buf[i] <= '9'; ++i) v = v * 10 + static_cast<std::uint64_t>(buf[i] - '0');
    return v;
}

void raiseCounter(const std::string& path) {
    const std::string text = std::to_string(readCounter(path) + 1) + "\n";
    const Handle h = platform::openFile(path, Open::ReadWriteCreate);
    if (h == kNoHandle) return;
    if (platform::writeAt(h, 0, text.data(), text.size()))
        platform::truncateFile(h, static_cast<std::int64_t>(text.size()));
    platform::closeFile(h);
}

std::string fileState(const std::string& path) {
    platform::EntryInfo info;
    if (!platform::entryInfo(path, info) || info.kind == platform::Kind::Missing) return "-";
    return info.identity;
}

StoreFile& StoreFile::operator=(StoreFile&& o) noexcept {
    if (this != &o) {
        close();
        h_ = o.h_;
        path_ = std::move(o.path_);
        o.h_ = kNoHandle;
    }
    return *this;
}

bool StoreFile::open(const std::string& path, Mode mode, std::string* error, bool* missing) {
    close();
    path_ = path;
    if (missing) *missing = false;
    Open how = Open::Read;
    switch (mode) {
        case Mode::Read: how = Open::Read; break;
        case Mode::ReadWrite: how = Open::ReadWrite; break;
        case Mode::Create: how = Open::ReadWriteCreate; break;
    }
    if (mode == Mode::Create) step();
    bool notRegular = false;
    h_ = platform::openFile(path, how, &notRegular);
    if (h_ == kNoHandle) {
        if (notRegular) {
            if (error) *error = "不是普通文件，拒绝打开：" + path;
            return false;
        }
        if (missing && errno == ENOENT) *missing = true;
        return failWith(error, "无法打开文件 " + path);
    }
    return true;
}

void StoreFile::close() {
    platform::closeFile(h_);
    h_ = kNoHandle;
}

std::int64_t StoreFile::size() const { return platform::fileSize(h_); }

std::int64_t StoreFile::readAt(std::int64_t offset, char* buf, std::size_t n) const {
    return platform::readAt(h_, offset, buf, n);
}

bool StoreFile::writeAt(std::int64_t offset, const char* buf, std::size_t n) {
    step();
    return platform::writeAt(h_, offset, buf, n);
}

bool StoreFile::sync() {
    step();
    return h_ != kNoHandle && flushFile(h_);
}

bool writeWholeFile(const std::string& path, std::string_view bytes, std::string* error) {
    step();
    const Handle h = platform::openFile(path, Open::WriteTruncate);
    if (h == kNoHandle) return failWith(error, "无法写入 " + path);
    bool ok = platform::writeAll(h, bytes);
    if (ok) {
        step();
        ok = flushFile(h);
    }
    const int err = errno;
    if (!platform::closeFile(h) && ok) return failWith(error, "无法写入 " + path);
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
    const bool linked = platform::renameNoReplace(tmp, path);
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
    return syncFolder(platform::parentFolder(path), error);
}

bool renameFile(const std::string& from, const std::string& to, std::string* error) {
    step();
    if (platform::replaceFile(from, to)) return true;
    return failWith(error, "无法将 " + from + " 改名为 " + to);
}

bool removeFile(const std::string& path, std::string* error) {
    step();
    if (platform::removeFile(path) || errno == ENOENT) return true;
    return failWith(error, "无法删除 " + path);
}

bool syncFolder(const std::string& folder, std::string* error) {
    step();
    if (!flushing) {
        if (isFolderEntry(folder)) return true;
        errno = ENOENT;
    } else if (platform::syncFolder(folder)) {
        return true;
    }
    return failWith(error, (errno == ENOENT || errno == ENOTDIR || errno == ELOOP ? "无法打开文件夹 " : "无法写入文件夹 ") + folder);
}

bool makeFolder(const std::string& folder, std::string* error) {
    step();
    if (platform::makeFolder(folder)) return true;
    if (errno == EEXIST && isFolderEntry(folder)) return true;
    return failWith(error, "无法创建文件夹 " + folder);
}

bool removeFolder(const std::string& folder, std::string* error) {
    if (exists(folder) && !isFolderEntry(folder)) return removeFile(folder, error);  // a stray file in its place
    std::vector<std::string> names;
    if (!platform::listFolder(folder, names)) return errno == ENOENT || failWith(error, "无法读取文件夹 " + folder);
    for (const std::string& n : names)
        if (!removeFile(folder + "/" + n, error)) return false;
    step();
    if (platform::removeEmptyFolder(folder) || errno == ENOENT) return true;
    return failWith(error, "无法删除文件夹 " + folder);
}

bool isRegularFile(const std::string& path) { return platform::kindOf(path) == platform::Kind::File; }

bool exists(const std::string& path) { return platform::kindOf(path) != platform::Kind::Missing; }

namespace {
// Copies the open `in` (its path `from`) into the open `fd` (for `to`) and flushes; the reason
// of a failure in `why`.
bool copyInto(const StoreFile& in, Handle out, const std::string& from, const std::string& to, std::int64_t maxBytes,
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
        if (!platform::writeAll(out, std::string_view(buf.data(), static_cast<std::size_t>(n)))) {
            why = "无法写入 " + to + "：" + errnoText();
            return false;
        }
    }
    step();
    if (!flushFile(out)) {
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
    const Handle out = platform::openFile(tmp, Open::WriteTruncate);
    if (out == kNoHandle) return failWith(error, "无法写入 " + to);
    std::string why;
    copyInto(in, out, from, to, maxBytes, why);
    if (!platform::closeFile(out) && why.empty()) why = "无法写入 " + to + "：" + errnoText();
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
    const Handle out = platform::openFile(to, Open::WriteNew);
    if (out == kNoHandle) return failWith(error, "无法写入 " + to);
    std::string why;
    copyInto(in, out, from, to, maxBytes, why);
    if (!platform::closeFile(out) && why.empty()) why = "无法写入 " + to + "：" + errnoText();
    if (why.empty()) return true;
    std::string ignored;
    removeFile(to, &ignored);
    if (error) *error = why;
    return false;
}

namespace {
constexpr int kMaxTreeDepth = 16;  // the folders removed here are two levels deep
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
    if (platform::kindOf(parent) == platform::Kind::Missing) return true;
    std::string failedAt;
    bool tooDeep = false;
    if (platform::removeTree(p, kMaxTreeDepth, failedAt, tooDeep, step)) return true;
    if (tooDeep) {
        if (error) *error = "文件夹层次太深，拒绝删除：" + failedAt;
        return false;
    }
    return failWith(error, (platform::kindOf(failedAt) == platform::Kind::Folder ? "无法删除文件夹 " : "无法删除 ") + failedAt);
}

bool checkFolderEntry(const std::string& path, const std::string& what, std::string* error) {
    platform::EntryInfo info;
    if (!platform::entryInfo(path, info)) return failWith(error, "无法访问" + what + " " + path);
    if (info.kind == platform::Kind::Missing || info.kind == platform::Kind::Folder) return true;
    if (error) *error = what + " " + path + (info.kind == platform::Kind::Link ? " 是一个符号链接" : " 不是文件夹");
    return false;
}

std::string uniqueTag() {
    static unsigned long serial = 0;
    const auto ns = static_cast<unsigned long long>(platform::clockNanoseconds());
    const unsigned long long mix = ((ns % 1000000000ull) << 16) ^ (ns / 1000000000ull) ^ (++serial * 0x9E3779B97F4A7C15ull);
    char hex[24];
    std::snprintf(hex, sizeof hex, "%llx", mix & 0xFFFFFFFFFFull);
    return std::to_string(platform::processId()) + "-" + std::to_string(serial) + "-" + hex;
}

}  // namespace hj::casestore::detail
