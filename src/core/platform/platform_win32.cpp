// The platform layer on Windows (Win32, built with MinGW-w64). Paths become UTF-16 here; every
// file is opened in binary mode with FILE_SHARE_DELETE, so that a file another copy of the
// program holds open can still be replaced or removed, as on POSIX.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "core/platform/platform.h"
#include "core/platform/terminal.h"

namespace hj::platform {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr wchar_t kLockFileName[] = L"hengjian.lock";

HANDLE win(Handle h) { return reinterpret_cast<HANDLE>(h); }
Handle ours(HANDLE h) { return h == INVALID_HANDLE_VALUE ? kNoHandle : reinterpret_cast<Handle>(h); }

std::wstring wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

std::string narrow(std::wstring_view w) {
    if (w.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

std::string slashed(std::string s) {
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

// The POSIX code nearest to a Win32 error, so that one table of reasons serves both systems.
int errnoOf(DWORD e) {
    switch (e) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_PATHNAME: return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT: return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return EEXIST;
        case ERROR_SHARING_VIOLATION:
        case ERROR_USER_MAPPED_FILE: return EBUSY;
        case ERROR_LOCK_VIOLATION:
        case ERROR_IO_PENDING: return EWOULDBLOCK;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return ENOSPC;
        case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
        case ERROR_NOT_SAME_DEVICE: return EXDEV;
        case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
        case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: return ENOMEM;
        case ERROR_INVALID_HANDLE: return EBADF;
        case ERROR_BROKEN_PIPE:
        case ERROR_NO_DATA: return EPIPE;
        case ERROR_DIRECTORY: return ENOTDIR;
        case ERROR_NOT_SUPPORTED:
        case ERROR_CALL_NOT_IMPLEMENTED: return EOPNOTSUPP;
        case ERROR_CANT_RESOLVE_FILENAME: return ELOOP;
        case ERROR_SEM_TIMEOUT: return ETIMEDOUT;
        default: return EIO;
    }
}

bool failed() {
    errno = errnoOf(::GetLastError());
    return false;
}

// Windows says "path not found" where a part of the path is a file, and "access denied" where
// the path is a folder; POSIX tells these apart (ENOTDIR, EISDIR), and so do the messages.
bool failedOn(const std::wstring& path) {
    const DWORD e = ::GetLastError();
    errno = errnoOf(e);
    if (e == ERROR_ACCESS_DENIED) {
        const DWORD attr = ::GetFileAttributesW(path.c_str());
        if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY)) errno = EISDIR;
    } else if (e == ERROR_PATH_NOT_FOUND || e == ERROR_DIRECTORY) {
        for (std::size_t cut = path.find_last_of(L"/\\"); cut != std::wstring::npos && cut > 0;
             cut = path.find_last_of(L"/\\", cut - 1)) {
            const DWORD attr = ::GetFileAttributesW(path.substr(0, cut).c_str());
            if (attr == INVALID_FILE_ATTRIBUTES) continue;
            if (!(attr & FILE_ATTRIBUTE_DIRECTORY)) errno = ENOTDIR;
            break;
        }
    }
    return false;
}

bool attributesOf(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& a) {
    return ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a) != 0;
}

Kind kindOfAttributes(DWORD attr) {
    if (attr & FILE_ATTRIBUTE_REPARSE_POINT) return Kind::Link;
    if (attr & FILE_ATTRIBUTE_DIRECTORY) return Kind::Folder;
    if (attr & FILE_ATTRIBUTE_DEVICE) return Kind::Other;
    return Kind::File;
}

// A reparse point is removed itself: a folder link with RemoveDirectory, any other with DeleteFile.
bool removeEntry(const std::wstring& path, DWORD attr) {
    const bool folder = attr & FILE_ATTRIBUTE_DIRECTORY;
    if (folder ? ::RemoveDirectoryW(path.c_str()) : ::DeleteFileW(path.c_str())) return true;
    const DWORD e = ::GetLastError();
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return true;
    errno = errnoOf(e);
    return false;
}

bool removeTreeW(const std::wstring& path, const std::string& shown, int depth, int maxDepth, std::string& failedAt,
                 bool& tooDeep, void (*beforeEach)()) {
    const DWORD attr = ::GetFileAttributesW(path.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) {
        const DWORD e = ::GetLastError();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return true;
        errno = errnoOf(e);
        failedAt = shown;
        return false;
    }
    if (!(attr & FILE_ATTRIBUTE_DIRECTORY) || (attr & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (beforeEach) beforeEach();
        if (removeEntry(path, attr)) return true;
        failedAt = shown;
        return false;
    }
    if (depth > maxDepth) {
        tooDeep = true;
        failedAt = shown;
        return false;
    }
    std::vector<std::string> names;
    if (!listFolder(narrow(path), names)) {
        failedAt = shown;
        return false;
    }
    for (const std::string& n : names)
        if (!removeTreeW(path + L"/" + wide(n), shown + "/" + n, depth + 1, maxDepth, failedAt, tooDeep, beforeEach))
            return false;
    if (beforeEach) beforeEach();
    if (removeEntry(path, attr)) return true;
    failedAt = shown;
    return false;
}

// Days since 1970-01-01 → proleptic Gregorian date.
void civilOfDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

}  // namespace

std::filesystem::path pathOf(std::string_view utf8) { return std::filesystem::path(wide(utf8)); }
std::string utf8Of(const std::filesystem::path& p) { return narrow(p.native()); }

std::string parentFolder(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "." : slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

Handle openFile(const std::string& path, Open mode, bool* notRegular) {
    if (notRegular) *notRegular = false;
    DWORD access = GENERIC_READ, disposition = OPEN_EXISTING;
    switch (mode) {
        case Open::Read: break;
        case Open::ReadWrite: access |= GENERIC_WRITE; break;
        case Open::ReadWriteCreate: access |= GENERIC_WRITE; disposition = OPEN_ALWAYS; break;
        case Open::WriteNew: access = GENERIC_WRITE; disposition = CREATE_NEW; break;
        case Open::WriteTruncate: access = GENERIC_WRITE; disposition = CREATE_ALWAYS; break;
    }
    const std::wstring w = wide(path);
    HANDLE h = ::CreateFileW(w.c_str(), access, kShareAll, nullptr, disposition,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = ::GetLastError();
        const DWORD attr = ::GetFileAttributesW(w.c_str());
        if (e == ERROR_ACCESS_DENIED && attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY)) {
            if (notRegular) *notRegular = true;
            errno = EISDIR;
        } else {
            ::SetLastError(e);
            failedOn(w);
        }
        return kNoHandle;
    }
    BY_HANDLE_FILE_INFORMATION info {};
    const bool disk = ::GetFileType(h) == FILE_TYPE_DISK && ::GetFileInformationByHandle(h, &info);
    if (!disk || (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE))) {
        ::CloseHandle(h);
        if (notRegular) *notRegular = true;
        errno = disk && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EISDIR : EINVAL;
        return kNoHandle;
    }
    return ours(h);
}

bool closeFile(Handle h) { return h == kNoHandle || ::CloseHandle(win(h)) || failed(); }

std::int64_t fileSize(Handle h) {
    LARGE_INTEGER size {};
    if (h == kNoHandle || !::GetFileSizeEx(win(h), &size)) return -1;
    return size.QuadPart;
}

std::int64_t readSome(Handle h, char* buf, std::size_t n) {
    DWORD got = 0;
    const DWORD want = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
    if (::ReadFile(win(h), buf, want, &got, nullptr)) return got;
    if (::GetLastError() == ERROR_BROKEN_PIPE) return 0;  // the writing end closed
    failed();
    return -1;
}

std::int64_t readAt(Handle h, std::int64_t offset, char* buf, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        OVERLAPPED ov {};
        const auto at = static_cast<std::uint64_t>(offset) + done;
        ov.Offset = static_cast<DWORD>(at);
        ov.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD got = 0;
        const DWORD want = n - done > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n - done);
        if (!::ReadFile(win(h), buf + done, want, &got, &ov)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) break;
            failed();
            return -1;
        }
        if (got == 0) break;
        done += got;
    }
    return static_cast<std::int64_t>(done);
}

bool writeAll(Handle h, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD put = 0;
        const DWORD want = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
        if (!::WriteFile(win(h), bytes.data(), want, &put, nullptr)) return failed();
        if (put == 0) {
            errno = EIO;
            return false;
        }
        bytes.remove_prefix(put);
    }
    return true;
}

bool writeAt(Handle h, std::int64_t offset, const char* buf, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        OVERLAPPED ov {};
        const auto at = static_cast<std::uint64_t>(offset) + done;
        ov.Offset = static_cast<DWORD>(at);
        ov.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD put = 0;
        const DWORD want = n - done > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n - done);
        if (!::WriteFile(win(h), buf + done, want, &put, &ov)) return failed();
        if (put == 0) {
            errno = EIO;
            return false;
        }
        done += put;
    }
    return true;
}

bool truncateFile(Handle h, std::int64_t size) {
    FILE_END_OF_FILE_INFO eof {};
    eof.EndOfFile.QuadPart = size;
    return ::SetFileInformationByHandle(win(h), FileEndOfFileInfo, &eof, sizeof eof) || failed();
}

bool syncFile(Handle h) { return ::FlushFileBuffers(win(h)) || failed(); }

// MoveFileEx with MOVEFILE_WRITE_THROUGH has already put every rename on the disk.
bool syncFolder(const std::string& folder) {
    const DWORD attr = ::GetFileAttributesW(wide(folder).c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) return failed();
    return true;
}

bool replaceFile(const std::string& from, const std::string& to) {
    const std::wstring w = wide(to);
    return ::MoveFileExW(wide(from).c_str(), w.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
           failedOn(w);
}

bool renameNoReplace(const std::string& from, const std::string& to) {
    return ::MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_WRITE_THROUGH) || failed();
}

bool removeFile(const std::string& path) {
    const std::wstring w = wide(path);
    const DWORD attr = ::GetFileAttributesW(w.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) return failed();
    if ((attr & FILE_ATTRIBUTE_DIRECTORY) && !(attr & FILE_ATTRIBUTE_REPARSE_POINT)) {
        errno = EISDIR;
        return false;
    }
    if (attr & FILE_ATTRIBUTE_DIRECTORY ? ::RemoveDirectoryW(w.c_str()) : ::DeleteFileW(w.c_str())) return true;
    return failed();
}

bool makeFolder(const std::string& path) {
    const std::wstring w = wide(path);
    return ::CreateDirectoryW(w.c_str(), nullptr) || failedOn(w);
}
bool removeEmptyFolder(const std::string& path) { return ::RemoveDirectoryW(wide(path).c_str()) || failed(); }

bool listFolder(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((wide(path) + L"/*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = ::GetLastError();
        if (e == ERROR_FILE_NOT_FOUND) return true;  // an empty drive root
        errno = e == ERROR_PATH_NOT_FOUND || e == ERROR_DIRECTORY ? ENOENT : errnoOf(e);
        return false;
    }
    do {
        const std::wstring_view n = fd.cFileName;
        if (n != L"." && n != L"..") names.push_back(narrow(n));
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
    return true;
}

bool removeTree(const std::string& path, int maxDepth, std::string& failedAt, bool& tooDeep, void (*beforeEach)()) {
    tooDeep = false;
    return removeTreeW(wide(path), path, 0, maxDepth, failedAt, tooDeep, beforeEach);
}

bool entryInfo(const std::string& path, EntryInfo& out) {
    out = EntryInfo{};
    const std::wstring w = wide(path);
    WIN32_FILE_ATTRIBUTE_DATA a {};
    if (!attributesOf(w, a)) {
        const DWORD e = ::GetLastError();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return true;
        return failed();
    }
    out.kind = kindOfAttributes(a.dwFileAttributes);
    out.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow);
    HANDLE h = ::CreateFileW(w.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    BY_HANDLE_FILE_INFORMATION info {};
    std::uint64_t index = 0;
    DWORD volume = 0;
    if (h != INVALID_HANDLE_VALUE) {
        if (::GetFileInformationByHandle(h, &info)) {
            index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
            volume = info.dwVolumeSerialNumber;
        }
        ::CloseHandle(h);
    }
    const std::uint64_t written =
        (static_cast<std::uint64_t>(a.ftLastWriteTime.dwHighDateTime) << 32) | a.ftLastWriteTime.dwLowDateTime;
    out.identity = std::to_string(volume) + ':' + std::to_string(index) + ':' + std::to_string(out.size) + ':' +
                   std::to_string(written);
    return true;
}

Kind kindOf(const std::string& path) {
    const DWORD attr = ::GetFileAttributesW(wide(path).c_str());
    return attr == INVALID_FILE_ATTRIBUTES ? Kind::Missing : kindOfAttributes(attr);
}

// The access bits say little on Windows (a folder under Program Files looks writable): try it.
bool canWriteFolder(const std::string& path) {
    const std::wstring probe = wide(path) + L"/.hengjian-probe-" + std::to_wstring(::GetCurrentProcessId());
    HANDLE h = ::CreateFileW(probe.c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return failed();
    ::CloseHandle(h);
    return true;
}

// A folder cannot carry a byte-range lock on Windows: the lock is taken on a file kept in it.
bool FolderLockHandle::open(const std::string& folder, bool followLinks) {
    release();
    const std::wstring w = wide(folder);
    const DWORD attr = ::GetFileAttributesW(w.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) return failed();
    if (!(attr & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = ENOTDIR;
        return false;
    }
    if (!followLinks && (attr & FILE_ATTRIBUTE_REPARSE_POINT)) {
        errno = ELOOP;
        return false;
    }
    const std::wstring lock = w + L"/" + kLockFileName;
    HANDLE h = ::CreateFileW(lock.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_HIDDEN, nullptr);
    // A folder that cannot be written may still be read under a shared lock.
    if (h == INVALID_HANDLE_VALUE)
        h = ::CreateFileW(lock.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return failed();
    h_ = ours(h);
    return true;
}

bool FolderLockHandle::tryLock(bool exclusive) {
    OVERLAPPED ov {};
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (::LockFileEx(win(h_), flags, 0, 1, 0, &ov)) return true;
    return failed();
}

void FolderLockHandle::release() {
    if (h_ != kNoHandle) ::CloseHandle(win(h_));  // also releases the lock
    h_ = kNoHandle;
}

bool locksUnsupported(int err) { return err == EOPNOTSUPP; }

void sleepMs(int ms) { ::Sleep(static_cast<DWORD>(ms)); }

int processId() { return static_cast<int>(::GetCurrentProcessId()); }

std::int64_t clockNanoseconds() {
    FILETIME ft;
    ::GetSystemTimePreciseAsFileTime(&ft);
    const std::uint64_t t = (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<std::int64_t>(t - 116444736000000000ull) * 100;  // 100 ns since 1601 → ns since 1970
}

// The C runtime's gmtime refuses times before 1970: the date is computed here.
bool utcTime(std::int64_t seconds, CivilTime& out) {
    std::int64_t days = seconds / 86400, rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    civilOfDays(days, out.year, out.month, out.day);
    out.hour = static_cast<int>(rest / 3600);
    out.minute = static_cast<int>(rest / 60 % 60);
    out.second = static_cast<int>(rest % 60);
    return true;
}

bool localTime(std::int64_t seconds, CivilTime& out) {
    const std::uint64_t t = static_cast<std::uint64_t>(seconds * 10000000 + 116444736000000000ll);
    FILETIME ft {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
    SYSTEMTIME utc, local;
    if (!::FileTimeToSystemTime(&ft, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return false;
    out = CivilTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
    return true;
}

bool decodeCodePage(int codepage, std::string_view bytes, std::string& out) {
    out.clear();
    if (!::IsValidCodePage(static_cast<UINT>(codepage))) return false;
    // Character by character, so that a byte that does not convert becomes one U+FFFD.
    const auto cp = static_cast<UINT>(codepage);
    std::wstring w;
    for (std::size_t i = 0; i < bytes.size();) {
        const bool lead = ::IsDBCSLeadByteEx(cp, static_cast<BYTE>(bytes[i])) && i + 1 < bytes.size();
        const int n = lead ? 2 : 1;
        wchar_t unit[4];
        const int got = ::MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, bytes.data() + i, n, unit, 4);
        if (got > 0) w.append(unit, static_cast<std::size_t>(got));
        else w += L'\uFFFD';
        i += static_cast<std::size_t>(n);
    }
    out = narrow(w);
    return true;
}

int readByte(std::FILE* in) { return _getc_nolock(in); }

std::FILE* openStream(const std::string& path, const char* mode) { return ::_wfopen(wide(path).c_str(), wide(mode).c_str()); }

std::string environment(const char* name) {
    const wchar_t* v = ::_wgetenv(wide(name).c_str());
    return v ? narrow(v) : std::string();
}

std::string programFolder() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) {
            buf.resize(n);
            break;
        }
        buf.resize(buf.size() * 2);
    }
    const std::string exe = slashed(narrow(buf));
    const auto slash = exe.find_last_of('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

std::string userDataFolder() {
    PWSTR path = nullptr;
    std::string out;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &path))) out = slashed(narrow(path));
    ::CoTaskMemFree(path);
    if (out.empty()) out = slashed(environment("APPDATA"));
    return out;
}

std::string userDataFolderName() { return "衡鉴"; }

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    int n = 0;
    wchar_t** w = ::CommandLineToArgvW(::GetCommandLineW(), &n);
    if (!w) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.push_back(narrow(w[i]));
    ::LocalFree(w);
    return out;
}

// The program writes its own line ends: no "\r\n" from the runtime, and UTF-8 on the console.
void prepareStandardStreams() {
    ::_setmode(_fileno(stdin), _O_BINARY);
    ::_setmode(_fileno(stdout), _O_BINARY);
    ::_setmode(_fileno(stderr), _O_BINARY);
    ::SetConsoleOutputCP(CP_UTF8);
}

void writeToTerminal(std::string_view utf8, bool toStandardError) {
    const DWORD which = toStandardError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
    HANDLE out = ::GetStdHandle(which);
    if ((out == nullptr || out == INVALID_HANDLE_VALUE) && ::AttachConsole(ATTACH_PARENT_PROCESS))
        out = ::GetStdHandle(which);
    DWORD mode = 0;
    if (out != nullptr && out != INVALID_HANDLE_VALUE && ::GetConsoleMode(out, &mode)) {
        const std::wstring w = wide(utf8);
        DWORD written = 0;
        ::WriteConsoleW(out, w.data(), static_cast<DWORD>(w.size()), &written, nullptr);
        return;
    }
    std::FILE* stream = toStandardError ? stderr : stdout;
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fflush(stream);
}

void reopenClosedStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::_get_osfhandle(fd) != -1) continue;
        const int n = ::_open("NUL", (fd == 0 ? _O_WRONLY : _O_RDONLY) | _O_BINARY);
        if (n >= 0 && n != fd) {
            ::_dup2(n, fd);
            ::_close(n);
        }
    }
}

}  // namespace hj::platform
