#include "core/text/ini.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "core/platform/platform.h"
#include "core/text/file_io.h"
#include "core/text/folder_lock.h"
#include "core/text/gbk.h"
#include "core/text/strings.h"

namespace hj::text {
namespace {

// Profile lines are trimmed of spaces and tabs only.
std::string_view trim(std::string_view s) { return trimmed(s, kSpaceTab); }

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return out;
}

// "[name]" → name; otherwise false.
bool sectionName(std::string_view line, std::string_view& name) {
    std::string_view t = trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    std::size_t close = t.find(']');
    if (close == std::string_view::npos) return false;
    name = trim(t.substr(1, close - 1));
    return true;
}

// "key=value" → key and value (both trimmed); comments and other lines → false.
bool keyValue(std::string_view line, std::string_view& key, std::string_view& value) {
    std::string_view t = trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '#' || t.front() == '[') return false;
    std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) return false;
    key = trim(t.substr(0, eq));
    value = trim(t.substr(eq + 1));
    return !key.empty();
}

bool parseInt(std::string_view s, int& out) {
    s = trim(s);
    bool neg = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        neg = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) { base = 16; s.remove_prefix(2); }
    else if (!s.empty() && s[0] == '$') { base = 16; s.remove_prefix(1); }
    if (s.empty()) return false;
    long long v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * base + d;
        if (v > static_cast<long long>(INT_MAX) + 1) return false;
    }
    if (neg) v = -v;
    if (v > INT_MAX || v < INT_MIN) return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) { reload(); }

bool IniFile::reload() {
    lastError_.clear();
    std::string bytes, error;
    bool missing = false;
    // Taken before reading: a change between the two makes the next refresh() read again.
    const Stamp stamp = stampOf(path_);
    if (!readRegularFile(path_, kMaxProfileBytes, bytes, &error, &missing)) {
        loadFromBytes({});
        if (missing) {
            stamp_ = stamp;
            return true;  // a missing file reads as empty
        }
        // A file that is there but cannot be read (a link, a FIFO, too large, no permission)
        // reads as empty and is never overwritten by what little this object then holds.
        lastError_ = error;
        return false;
    }
    loadFromBytes(bytes);
    stamp_ = stamp;
    return true;
}

void IniFile::loadFromBytes(std::string_view bytes) {
    stamp_ = Stamp{};
    lines_.clear();
    std::string text = decodeFileText(bytes);
    eol_ = "\r\n";
    std::size_t firstNl = text.find('\n');
    if (firstNl != std::string::npos && (firstNl == 0 || text[firstNl - 1] != '\r')) eol_ = "\n";
    finalEol_ = text.empty() || text.back() == '\n';
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::size_t end = nl == std::string::npos ? text.size() : nl;
        std::size_t lineEnd = end;
        if (lineEnd > pos && text[lineEnd - 1] == '\r') --lineEnd;
        lines_.emplace_back(text, pos, lineEnd - pos);
        pos = nl == std::string::npos ? text.size() : nl + 1;
    }
    reindex();
}

void IniFile::reindex() {
    index_.clear();
    sectionByName_.clear();
    std::string_view name, k, v;
    SectionIndex* current = nullptr;  // null: outside any section or in a repeated one
    bool inRepeat = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        if (sectionName(line, name)) {
            std::string lower = lowerAscii(name);
            if (sectionByName_.count(lower)) {  // the first of duplicate sections wins
                current = nullptr;
                inRepeat = true;
                continue;
            }
            inRepeat = false;
            sectionByName_.emplace(lower, index_.size());
            index_.push_back(SectionIndex{std::string(name), static_cast<long>(i), static_cast<long>(i) + 1, {}, {}});
            current = &index_.back();
            continue;
        }
        if (!current || inRepeat) continue;
        if (!trim(line).empty()) current->end = static_cast<long>(i) + 1;
        if (keyValue(line, k, v)) {
            auto [it, added] = current->keys.emplace(lowerAscii(k), static_cast<long>(i));
            (void)it;
            if (added) current->keyOrder.emplace_back(k);
        }
    }
}

IniFile::Found IniFile::find(std::string_view section, std::string_view key) const {
    Found f;
    auto s = sectionByName_.find(lowerAscii(section));
    if (s == sectionByName_.end()) return f;
    const SectionIndex& idx = index_[s->second];
    f.section = idx.header;
    f.sectionEnd = idx.end;
    if (!key.empty()) {
        auto k = idx.keys.find(lowerAscii(key));
        if (k != idx.keys.end()) f.key = k->second;
    }
    return f;
}

bool IniFile::hasKey(std::string_view section, std::string_view key) const {
    return find(section, key).key >= 0;
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view def) const {
    Found f = find(section, key);
    if (f.key < 0) return std::string(def);
    std::string_view k, v;
    keyValue(lines_[static_cast<std::size_t>(f.key)], k, v);
    return std::string(v);
}

int IniFile::readInt(std::string_view section, std::string_view key, int def) const {
    Found f = find(section, key);
    if (f.key < 0) return def;
    std::string_view k, v;
    keyValue(lines_[static_cast<std::size_t>(f.key)], k, v);
    int out;
    return parseInt(v, out) ? out : def;
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool def) const {
    Found f = find(section, key);
    if (f.key < 0) return def;
    std::string_view k, v;
    keyValue(lines_[static_cast<std::size_t>(f.key)], k, v);
    int n;
    if (parseInt(v, n)) return n != 0;
    if (equalsNoCase(v, "true") || equalsNoCase(v, "yes") || equalsNoCase(v, "on")) return true;
    if (equalsNoCase(v, "false") || equalsNoCase(v, "no") || equalsNoCase(v, "off")) return false;
    return def;
}

std::vector<std::string> IniFile::sections() const {
    std::vector<std::string> out;
    out.reserve(index_.size());
    for (const SectionIndex& idx : index_) out.push_back(idx.name);
    return out;
}

std::vector<std::string> IniFile::sectionKeys(std::string_view section) const {
    auto s = sectionByName_.find(lowerAscii(section));
    if (s == sectionByName_.end()) return {};
    return index_[s->second].keyOrder;
}

bool IniFile::serialize(std::string& gbkBytes, std::string* badChar) const {
    std::string text;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        text += lines_[i];
        if (i + 1 < lines_.size() || finalEol_) text += eol_;
    }
    return utf8ToGbk(text, gbkBytes, badChar);
}

IniFile::Stamp IniFile::stampOf(const std::string& path) {
    Stamp st;
    st.known = true;
    platform::EntryInfo info;
    if (!platform::entryInfo(path, info) || info.kind == platform::Kind::Missing) return st;
    st.present = true;
    st.identity = info.identity;
    return st;
}

bool IniFile::refresh() {
    lastError_.clear();
    if (path_.empty() || (stamp_.known && stampOf(path_) == stamp_)) return true;
    IniFile fresh;
    fresh.path_ = path_;
    if (!fresh.reload()) {
        lastError_ = fresh.lastError_;
        return false;
    }
    adopt(std::move(fresh));
    return true;
}

void IniFile::adopt(IniFile&& fresh) {
    lines_ = std::move(fresh.lines_);
    eol_ = std::move(fresh.eol_);
    finalEol_ = fresh.finalEol_;
    stamp_ = fresh.stamp_;
    reindex();
}

bool IniFile::update(const std::function<bool(IniEditor&)>& change) {
    lastError_.clear();
    const std::string folder = platform::parentFolder(path_);
    FolderLock lock;
    bool busy = false;
    if (!lock.take(folder, true, lockWaitMs_, &lastError_, nullptr, &busy)) {
        if (busy) lastError_ = "数据文件夹正被另一个程序使用，请稍后再试（" + path_ + "）";
        return false;
    }
    IniFile fresh;
    fresh.path_ = path_;
    if (!fresh.reload()) {
        // Never replace a file that is there but cannot be read by what little is known of it.
        lastError_ = fresh.lastError_ + "；该文件不会被改写";
        return false;
    }
    IniEditor editor(fresh);
    if (!change(editor)) {
        lastError_ = fresh.lastError_;
        return false;
    }
    if (editor.changed_) {
        fresh.finalEol_ = true;
        std::string bytes, bad;
        if (!fresh.serialize(bytes, &bad)) {
            lastError_ = "字符“" + bad + "”无法以GBK编码保存";
            return false;
        }
        if (!writeFileAtomically(path_, bytes, &lastError_)) return false;
        fresh.stamp_ = stampOf(path_);
    }
    adopt(std::move(fresh));
    return true;
}

bool IniFile::applyString(std::string_view section, std::string_view key, std::string_view value) {
    if (trim(key).empty() || key.find('=') != std::string_view::npos || section.find(']') != std::string_view::npos ||
        value.find_first_of("\r\n") != std::string_view::npos || key.find_first_of("\r\n") != std::string_view::npos ||
        section.find_first_of("\r\n") != std::string_view::npos) {
        lastError_ = "无效的设置项";
        return false;
    }
    Found f = find(section, key);
    std::string line = std::string(key) + "=" + std::string(value);
    if (f.key >= 0) {
        std::string_view k, v;
        keyValue(lines_[static_cast<std::size_t>(f.key)], k, v);
        lines_[static_cast<std::size_t>(f.key)] = std::string(k) + "=" + std::string(value);
    } else if (f.section >= 0) {
        lines_.insert(lines_.begin() + f.sectionEnd, line);
    } else {
        if (!lines_.empty() && !trim(lines_.back()).empty()) lines_.emplace_back();
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(line);
    }
    reindex();
    return true;
}

bool IniFile::applyDelete(std::string_view section, std::string_view key) {
    Found f = find(section, key);
    if (f.key < 0) return false;
    lines_.erase(lines_.begin() + f.key);
    reindex();
    return true;
}

bool IniFile::applyErase(std::string_view section) {
    Found f = find(section, {});
    if (f.section < 0) return false;
    std::size_t end = static_cast<std::size_t>(f.section) + 1;
    std::string_view name;
    while (end < lines_.size() && !sectionName(lines_[end], name)) ++end;
    lines_.erase(lines_.begin() + f.section, lines_.begin() + static_cast<long>(end));
    reindex();
    return true;
}

bool IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    return update([&](IniEditor& e) { return e.writeString(section, key, value); });
}

bool IniFile::writeInt(std::string_view section, std::string_view key, int value) {
    return writeString(section, key, std::to_string(value));
}

bool IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    return writeString(section, key, value ? "1" : "0");
}

bool IniFile::deleteKey(std::string_view section, std::string_view key) {
    return update([&](IniEditor& e) { return e.deleteKey(section, key); });
}

bool IniFile::eraseSection(std::string_view section) {
    return update([&](IniEditor& e) { return e.eraseSection(section); });
}

bool IniEditor::hasKey(std::string_view section, std::string_view key) const { return f_.hasKey(section, key); }

std::string IniEditor::readString(std::string_view section, std::string_view key, std::string_view def) const {
    return f_.readString(section, key, def);
}

int IniEditor::readInt(std::string_view section, std::string_view key, int def) const {
    return f_.readInt(section, key, def);
}

bool IniEditor::readBool(std::string_view section, std::string_view key, bool def) const {
    return f_.readBool(section, key, def);
}

std::vector<std::string> IniEditor::sectionKeys(std::string_view section) const { return f_.sectionKeys(section); }

bool IniEditor::writeString(std::string_view section, std::string_view key, std::string_view value) {
    if (!f_.applyString(section, key, value)) return false;
    changed_ = true;
    return true;
}

bool IniEditor::writeInt(std::string_view section, std::string_view key, int value) {
    return writeString(section, key, std::to_string(value));
}

bool IniEditor::writeBool(std::string_view section, std::string_view key, bool value) {
    return writeString(section, key, value ? "1" : "0");
}

bool IniEditor::deleteKey(std::string_view section, std::string_view key) {
    if (f_.applyDelete(section, key)) changed_ = true;
    return true;  // a missing key is not an error
}

bool IniEditor::eraseSection(std::string_view section) {
    if (f_.applyErase(section)) changed_ = true;
    return true;
}

}  // namespace hj::text
