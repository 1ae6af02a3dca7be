#pragma once
// The numbered text table: the program's long texts (verses, readings) looked up by number.
//
// Source form (resources/texts/numbered.tsv, UTF-8): one text a line, "id<TAB>text". Inside a
// text the escapes \n, \r, \t and \\ stand for a line feed, carriage return, tab and
// backslash, so a text may span lines of the report. Blank lines and lines starting with '#'
// are skipped; a repeated id keeps its first text. A missing id yields an empty text.
#include <string>
#include <string_view>
#include <vector>

namespace hj {

class TextTable {
public:
    TextTable() = default;
    // Parses a table image. Malformed lines (no TAB, id not a number in 0..99999) are skipped
    // and counted in badLines().
    static TextTable fromTsv(std::string_view utf8);
    // The table compiled into the program (texts/numbered.tsv), parsed once.
    static const TextTable& builtin();

    // The text of `id`; an empty text when there is none.
    const std::string& text(int id) const;
    bool contains(int id) const;
    std::size_t size() const { return count_; }
    int badLines() const { return badLines_; }

private:
    std::vector<std::string> texts_;  // indexed by id
    std::vector<bool> present_;
    std::size_t count_ = 0;
    int badLines_ = 0;
};

}  // namespace hj
