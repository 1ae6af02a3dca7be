#include "core/chart/text_table.h"

#include <charconv>

#include "core/resources.h"

namespace hj {
namespace {

const std::string& emptyText() {
    static const std::string empty;
    return empty;
}

std::string unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '\\' && i + 1 < s.size()) {
            char n = s[i + 1];
            if (n == 'n') { out += '\n'; ++i; continue; }
            if (n == 'r') { out += '\r'; ++i; continue; }
            if (n == 't') { out += '\t'; ++i; continue; }
            if (n == '\\') { out += '\\'; ++i; continue; }
        }
        out += c;
    }
    return out;
}

}  // namespace

TextTable TextTable::fromTsv(std::string_view utf8) {
    TextTable t;
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t end = utf8.find('\n', pos);
        if (end == std::string_view::npos) end = utf8.size();
        std::string_view line = utf8.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        std::size_t tab = line.find('\t');
        int id = -1;
        if (tab != std::string_view::npos && tab > 0) {
            auto [p, ec] = std::from_chars(line.data(), line.data() + tab, id);
            if (ec != std::errc() || p != line.data() + tab) id = -1;
        }
        if (id < 0 || id > 99999) {
            ++t.badLines_;
            continue;
        }
        if (static_cast<std::size_t>(id) >= t.texts_.size()) {
            t.texts_.resize(id + 1);
            t.present_.resize(id + 1, false);
        }
        if (t.present_[id]) continue;  // the first text of an id wins
        t.texts_[id] = unescape(line.substr(tab + 1));
        t.present_[id] = true;
        ++t.count_;
    }
    return t;
}

const TextTable& TextTable::builtin() {
    static const TextTable table = fromTsv(embeddedResource("texts/numbered.tsv"));
    return table;
}

const std::string& TextTable::text(int id) const {
    if (id < 0 || static_cast<std::size_t>(id) >= texts_.size()) return emptyText();
    return texts_[id];
}

bool TextTable::contains(int id) const {
    return id >= 0 && static_cast<std::size_t>(id) < present_.size() && present_[id];
}

}  // namespace hj
