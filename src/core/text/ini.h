#pragma once
// Profile files (bzinit.ini, dili.ini, bzpingyu.dat) with the semantics the program relies on:
// section and key names compare case-insensitively (ASCII), the first of duplicate sections
// and keys wins, a missing file reads as empty and is created on the first write. Files are GBK
// on disk; a file that starts with the UTF-8 byte-order mark is read as UTF-8. Only a regular
// file of at most kMaxProfileBytes is read; one that exists but cannot be read reads as empty
// and refuses every write, so it is never replaced by a near-empty file. Every write rewrites
// the file through a temporary file and a rename, keeping the other sections, keys, comments
// and line ends.
//
// Written by hand: no packaged INI library keeps GBK files, comments and CRLF intact.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace hj::text {

class IniFile {
public:
    IniFile() = default;
    explicit IniFile(std::string path);

    // Re-reads the file from disk; a missing file reads as empty (and is not an error).
    // False with lastError() when the file exists but cannot be read.
    bool reload();
    // Replaces the contents with the given file image (no disk access); used by readers of
    // embedded defaults and by tests.
    void loadFromBytes(std::string_view bytes);

    const std::string& path() const { return path_; }
    const std::string& lastError() const { return lastError_; }

    bool hasKey(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key, std::string_view def) const;
    // Decimal (optionally signed) or hexadecimal with 0x/$; anything else reads as `def`.
    int readInt(std::string_view section, std::string_view key, int def) const;
    // An integer (non-zero = true) or true/false/yes/no/on/off; anything else reads as `def`.
    bool readBool(std::string_view section, std::string_view key, bool def) const;

    // Section names in file order (first spelling of each).
    std::vector<std::string> sections() const;
    // Key names of a section in file order, duplicates listed once.
    std::vector<std::string> sectionKeys(std::string_view section) const;

    // Each write updates the file on disk at once. False with lastError() when the value cannot
    // be encoded in GBK or the file cannot be written; memory and disk are then unchanged.
    bool writeString(std::string_view section, std::string_view key, std::string_view value);
    bool writeInt(std::string_view section, std::string_view key, int value);
    bool writeBool(std::string_view section, std::string_view key, bool value);
    // Removes the key (its first occurrence); a missing key is not an error.
    bool deleteKey(std::string_view section, std::string_view key);
    // Removes a whole section with its keys.
    bool eraseSection(std::string_view section);

    // The file image as it would be written (GBK bytes); false when not encodable.
    bool serialize(std::string& gbkBytes, std::string* badChar = nullptr) const;

private:
    struct Found {
        long section = -1;  // line index of the section header, -1 when missing
        long key = -1;      // line index of the key, -1 when missing
        long sectionEnd = 0;  // one past the last non-blank line of the section
    };
    Found find(std::string_view section, std::string_view key) const;
    bool commit(std::vector<std::string> lines);
    // Rebuilds the lookup tables after the lines changed; lookups stay linear in the file
    // however many keys a (possibly hostile) file holds.
    void reindex();

    struct SectionIndex {
        std::string name;                 // first spelling
        long header = 0;                  // line of "[name]"
        long end = 0;                     // one past its last non-blank line
        std::vector<std::string> keyOrder;  // first spelling of each key, file order
        std::unordered_map<std::string, long> keys;  // lower-case key → line of its first occurrence
    };
    std::vector<SectionIndex> index_;                    // first occurrence of each section
    std::unordered_map<std::string, std::size_t> sectionByName_;  // lower-case name → index_

    std::string path_;
    std::vector<std::string> lines_;  // UTF-8, without line ends
    std::string unreadable_;  // why the file on disk could not be read; writes are then refused
    std::string eol_ = "\r\n";
    bool finalEol_ = true;
    std::string lastError_;
};

// Replaces `path` with `bytes` through a temporary file in the same folder and a rename.
// False with a message in `error` when any step fails; the old file is then untouched.
bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* error);

// Reads a whole regular file of at most kMaxReportBytes (file_io.h); false when it is missing,
// not a regular file, too large or unreadable.
bool readWholeFile(const std::string& path, std::string& bytes);

}  // namespace hj::text
