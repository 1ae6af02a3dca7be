#pragma once
// Profile files (bzinit.ini, dili.ini, bzpingyu.dat) with the semantics the program relies on:
// section and key names compare case-insensitively (ASCII), the first of duplicate sections
// and keys wins, a missing file reads as empty and is created on the first write. Files are GBK
// on disk; a file that starts with the UTF-8 byte-order mark is read as UTF-8. Only a regular
// file of at most kMaxProfileBytes is read; one that exists but cannot be read reads as empty
// and refuses every write, so it is never replaced by a near-empty file.
//
// Several windows and command-line runs may keep the same file open. A write therefore never
// writes back what this object read earlier: it takes the lock of the file's folder (the one
// the case store takes), rereads the file, changes only the keys it was given and replaces the
// file through a temporary file and a rename, keeping the other sections, keys, comments and
// line ends. The object then holds the file as written.
//
// Written by hand: no packaged INI library keeps GBK files, comments and CRLF intact.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/text/file_io.h"  // the whole-file reads and writes the profile uses

namespace hj::text {

class IniFile;

// The file image during IniFile::update(): reads see the changes made so far. A write is
// false with IniFile::lastError() when its section or key is not acceptable.
class IniEditor {
public:
    bool hasKey(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key, std::string_view def) const;
    int readInt(std::string_view section, std::string_view key, int def) const;
    bool readBool(std::string_view section, std::string_view key, bool def) const;
    std::vector<std::string> sectionKeys(std::string_view section) const;

    bool writeString(std::string_view section, std::string_view key, std::string_view value);
    bool writeInt(std::string_view section, std::string_view key, int value);
    bool writeBool(std::string_view section, std::string_view key, bool value);
    bool deleteKey(std::string_view section, std::string_view key);
    bool eraseSection(std::string_view section);

private:
    friend class IniFile;
    explicit IniEditor(IniFile& image) : f_(image) {}
    IniFile& f_;
    bool changed_ = false;
};

class IniFile {
public:
    IniFile() = default;
    explicit IniFile(std::string path);

    // Re-reads the file from disk; a missing file reads as empty (and is not an error).
    // False with lastError() when the file exists but cannot be read.
    bool reload();
    // Re-reads the file only when it changed on disk since this object last read or wrote it
    // (another window, a command-line run, a hand edit); for a window about to show settings.
    // False with lastError() when the changed file cannot be read; the contents then stay.
    bool refresh();
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

    // One locked reread-change-replace of the file: `change` edits the image just read from
    // disk; when it returns true and changed something the file is replaced at once. False with
    // lastError() when the lock cannot be had, the file cannot be read or written, a value
    // cannot be encoded in GBK, or `change` returned false; memory and disk are then unchanged.
    bool update(const std::function<bool(IniEditor&)>& change);
    // How long a write waits for another holder of the folder's lock.
    void setLockWait(int milliseconds) { lockWaitMs_ = milliseconds; }

    // Each write is an update() of its own.
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
    friend class IniEditor;
    // What the file system says of the file, to tell whether it changed since it was read.
    struct Stamp {
        bool known = false;
        bool present = false;
        std::string identity;  // device, file number, size, times
        bool operator==(const Stamp&) const = default;
    };
    static Stamp stampOf(const std::string& path);

    struct Found {
        long section = -1;  // line index of the section header, -1 when missing
        long key = -1;      // line index of the key, -1 when missing
        long sectionEnd = 0;  // one past the last non-blank line of the section
    };
    Found find(std::string_view section, std::string_view key) const;
    // The edits of one update on lines_ (reindexed after each).
    bool applyString(std::string_view section, std::string_view key, std::string_view value);
    bool applyDelete(std::string_view section, std::string_view key);
    bool applyErase(std::string_view section);
    void adopt(IniFile&& fresh);
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
    std::string eol_ = "\r\n";
    bool finalEol_ = true;
    std::string lastError_;
    Stamp stamp_;
    int lockWaitMs_ = 10000;
};

}  // namespace hj::text
