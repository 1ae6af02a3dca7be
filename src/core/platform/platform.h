#pragma once
// The few system calls that differ between POSIX and Windows, behind one interface: files opened
// without following a final link and in binary mode, positioned reads and writes, flushing,
// folder locks, exclusive creation, atomic replacement, folder listings, kinds of files, paths
// from UTF-8, the program's own folder and the per-user data folder. platform_posix.cpp or
// platform_win32.cpp is built, never both; nothing else in the program includes a system header.
//
// Paths are UTF-8 `std::string`s with '/' (Windows accepts it); on Windows they become UTF-16
// here and nowhere else. A failure is a false (or -1) result with errno set to the nearest POSIX
// code, so one table of Chinese reasons (text::reasonOf) serves both systems.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace hj::platform {

// An open file: a descriptor on POSIX, a HANDLE on Windows.
using Handle = std::intptr_t;
inline constexpr Handle kNoHandle = -1;

// UTF-8 text ⇄ std::filesystem::path; every path the program builds goes through these.
std::filesystem::path pathOf(std::string_view utf8);
std::string utf8Of(const std::filesystem::path& p);
// The folder part of a path ("." for a bare name, "/" for a file at the root): up to the last '/',
// on Windows the last '/' or '\\'.
std::string parentFolder(const std::string& path);

enum class Open {
    Read,            // an existing file, read only
    ReadWrite,       // an existing file
    ReadWriteCreate, // created when missing, kept when there
    WriteNew,        // created; an existing file is an error (EEXIST)
    WriteTruncate,   // created or emptied
};
// Opens a regular file without following a final symbolic link and without blocking on a FIFO.
// kNoHandle with errno on failure; `*notRegular` (when given) tells a folder, device or FIFO
// apart (errno is then EISDIR or EINVAL).
Handle openFile(const std::string& path, Open mode, bool* notRegular = nullptr);
// False with errno when a buffered write failed at closing.
bool closeFile(Handle h);
std::int64_t fileSize(Handle h);  // -1 on failure
// Reads up to n bytes at the current position, or at `offset`; the count read (0 at the end) or -1.
std::int64_t readSome(Handle h, char* buf, std::size_t n);
std::int64_t readAt(Handle h, std::int64_t offset, char* buf, std::size_t n);
// Writes all n bytes, at the current position or at `offset`.
bool writeAll(Handle h, std::string_view bytes);
bool writeAt(Handle h, std::int64_t offset, const char* buf, std::size_t n);
bool truncateFile(Handle h, std::int64_t size);
// Flushes a file's data (and what is needed to read it back) to the disk.
bool syncFile(Handle h);
// Flushes a folder's entries after renames and removals; Windows writes them through itself.
bool syncFolder(const std::string& folder);

// Replaces `to` with `from` in one step (an existing `to` included) and flushes the rename.
bool replaceFile(const std::string& from, const std::string& to);
// Gives `from` the name `to` only when no `to` exists (EEXIST otherwise); `from` may stay.
bool renameNoReplace(const std::string& from, const std::string& to);
// Removes a file (a link itself, never its target); a missing file is ENOENT.
bool removeFile(const std::string& path);
bool makeFolder(const std::string& path);       // an existing one is EEXIST
bool removeEmptyFolder(const std::string& path);
// The names in a folder, "." and ".." left out.
bool listFolder(const std::string& path, std::vector<std::string>& names);
// Removes `path` and everything below it, never following a link (a link is removed itself) and
// going at most `maxDepth` folders down; `beforeEach` (when given) is called before each removal.
// A missing path is no error. On failure: errno, `failedAt` the path that could not be removed,
// `tooDeep` when the depth ran out.
bool removeTree(const std::string& path, int maxDepth, std::string& failedAt, bool& tooDeep,
                void (*beforeEach)() = nullptr);

enum class Kind { Missing, File, Folder, Link, Other };
struct EntryInfo {
    Kind kind = Kind::Missing;
    std::int64_t size = 0;
    std::string identity;  // device, file number, size and modification time; equal for an unchanged file
};
// The entry `path` names, a final link not followed. False with errno only for a failure other
// than a missing entry (which is Kind::Missing and true).
bool entryInfo(const std::string& path, EntryInfo& out);
Kind kindOf(const std::string& path);  // Missing also when it cannot be examined

// True when the program may create files in the existing folder `path`.
bool canWriteFolder(const std::string& path);

// The lock of a folder, shared or exclusive, held until released. POSIX locks the folder
// itself; Windows locks a file kept in it ("hengjian.lock"). Two locks of one process exclude
// each other as two processes' do.
class FolderLockHandle {
public:
    FolderLockHandle() = default;
    ~FolderLockHandle() { release(); }
    FolderLockHandle(const FolderLockHandle&) = delete;
    FolderLockHandle& operator=(const FolderLockHandle&) = delete;
    // Opens the folder for locking (followLinks: a link to a folder is followed). errno on failure.
    bool open(const std::string& folder, bool followLinks);
    // Tries once: true when taken; false with errno EWOULDBLOCK when another holder has it.
    bool tryLock(bool exclusive);
    void release();
    bool isOpen() const { return h_ != kNoHandle; }

private:
    Handle h_ = kNoHandle;
};
// True for an errno that means "this file system has no locks".
bool locksUnsupported(int err);

void sleepMs(int ms);
int processId();
// Wall-clock nanoseconds since 1970, for unique names.
std::int64_t clockNanoseconds();
// Broken-down UTC and local time of a count of seconds since 1970, before 1970 included.
struct CivilTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};
bool utcTime(std::int64_t seconds, CivilTime& out);
bool localTime(std::int64_t seconds, CivilTime& out);

// Text in a Windows code page (932, 949, 950, 1361, 437, 874, 1250–1258, 10000) as UTF-8, a byte
// that does not convert becoming U+FFFD: iconv on POSIX, the code-page functions on Windows.
// False for a code page the system cannot convert.
bool decodeCodePage(int codepage, std::string_view bytes, std::string& utf8);

// The next byte of a stream read by one thread only (getc without its lock), or EOF.
int readByte(std::FILE* in);

// A C stream on the file named by the UTF-8 `path` (fopen's modes).
std::FILE* openStream(const std::string& path, const char* mode);

// An environment variable as UTF-8; empty when unset.
std::string environment(const char* name);
// The folder of the running executable ("" when unknown).
std::string programFolder();
// The per-user folder for application data: $XDG_DATA_HOME or ~/.local/share on POSIX, the
// roaming application-data folder on Windows; "" when unknown.
std::string userDataFolder();
// The program's folder inside it: "hengjian" on POSIX, "衡鉴" on Windows, where folders are named
// for the user to see (an earlier "hengjian" there is still used, see chooseDataFolder).
std::string userDataFolderName();

// The command line and the standard streams: on Windows the arguments come as UTF-16 and
// become UTF-8, stdout and stderr are switched to binary and the console to UTF-8 output.
// POSIX passes them through. Call once at the start of main.
std::vector<std::string> utf8Arguments(int argc, char** argv);
void prepareStandardStreams();
// Whether stdin, stdout or stderr (0, 1, 2) is open; one that is closed is opened on the null
// device so that a file opened later never takes its number.
void reopenClosedStandardStreams();

}  // namespace hj::platform
