// Reading files the program did not write itself, safely.
//
// Every file the program reads (its data folder, an import folder, a report chosen in a file
// dialog) may be a symbolic link, a FIFO, a device or absurdly large. These helpers open only
// regular files, never follow a final symbolic link, never block on a FIFO, and check the size
// before reading, so a hostile file is refused with a message instead of hanging or exhausting
// memory. Messages are Chinese and name the file; `reasonOf` turns an errno into the Chinese
// reason every message of the program uses.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/platform/platform.h"

namespace hj::text {

// Upper bounds of the files the program reads, by kind.
inline constexpr std::size_t kMaxProfileBytes = 8u << 20;   // bzinit.ini, dili.ini, bzpingyu.dat
inline constexpr std::size_t kMaxTextFileBytes = 4u << 20;  // EndInfo.txt and similar short texts
inline constexpr std::size_t kMaxReportBytes = 16u << 20;   // a report file (RTF or text)

// The Chinese reason for an errno value ("文件不存在", "没有权限", "磁盘已满", …).
std::string reasonOf(int err);

// Opens an existing regular file read-only (no final symlink followed, no blocking open).
// Returns the handle, or platform::kNoHandle with `error` set; `*missing` tells "does not exist" apart.
platform::Handle openRegularFile(const std::string& path, std::string* error, bool* missing = nullptr);

// Reads a whole regular file of at most `maxBytes` bytes into `bytes`. False with `error`
// set when the file is missing, not a regular file, too large or unreadable.
bool readRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                     std::string* error, bool* missing = nullptr);

// Replaces `path` with `bytes` through a temporary file in the same folder and a rename.
// False with a message in `error` when any step fails; the old file is then untouched.
bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* error);

// Reads a whole regular file of at most kMaxReportBytes; false when it is missing,
// not a regular file, too large or unreadable.
bool readWholeFile(const std::string& path, std::string& bytes);


// <dataDir>/dat/<file>, the path of a data file ("bzinit.ini", "dili.ini", "EndInfo.txt").
std::string dataFilePath(const std::string& dataDir, std::string_view file);

}  // namespace hj::text
