#pragma once
// The rule fixtures under tests/core/fixtures/: rule tables typed from the book's statement of
// each rule, one rule per line ("table field field …", blanks between, "#" opens a comment
// line). The table tests take every expected cell from these files and never from the
// program's own tables, so a wrong cell in either copy shows up as a difference.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/calendar/datetime.h"

namespace hj::fixtures {

struct Rule {
    std::vector<std::string> fields;  // after the table name
    int line = 0;                     // in the fixture file, for failure messages
};

class RuleBook {
public:
    explicit RuleBook(const std::string& fileName) : name_(fileName) {
        std::ifstream in(std::string(HJ_SOURCE_DIR) + "/tests/core/fixtures/" + fileName);
        if (!in) {
            ADD_FAILURE() << "cannot read fixture " << fileName;
            return;
        }
        std::string text;
        for (int n = 1; std::getline(in, text); ++n) {
            if (!text.empty() && text.back() == '\r') text.pop_back();
            if (text.empty() || text[0] == '#') continue;
            std::istringstream words(text);
            std::string table, field;
            words >> table;
            Rule rule;
            rule.line = n;
            while (words >> field) rule.fields.push_back(field);
            tables_[table].push_back(rule);
        }
    }

    // The rules of one table, each with at least `minFields` fields. A table that is missing
    // or has a short rule fails the calling test, so no check can pass on an empty fixture.
    const std::vector<Rule>& table(const std::string& name, std::size_t minFields = 1) const {
        static const std::vector<Rule> kNone;
        auto it = tables_.find(name);
        if (it == tables_.end()) {
            ADD_FAILURE() << name_ << ": no table " << name;
            return kNone;
        }
        for (const Rule& r : it->second)
            if (r.fields.size() < minFields) ADD_FAILURE() << name_ << ":" << r.line << ": short rule of " << name;
        return it->second;
    }

private:
    std::string name_;
    std::map<std::string, std::vector<Rule>> tables_;
};

// The UTF-8 characters of a text, one string each.
inline std::vector<std::string> chars(std::string_view s) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        const std::size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : 4;
        out.emplace_back(s.substr(i, len));
        i += len;
    }
    return out;
}

// Index of a stem or branch name (癸 = 0, 亥 = 0), or of a pillar name (癸亥 = 0, 甲子 = 1).
inline int stemIndex(std::string_view name) {
    for (int i = 0; i < 10; ++i)
        if (kStems[i] == name) return i;
    ADD_FAILURE() << "no stem " << name;
    return 0;
}
inline int branchIndex(std::string_view name) {
    for (int i = 0; i < 12; ++i)
        if (kBranches[i] == name) return i;
    ADD_FAILURE() << "no branch " << name;
    return 0;
}
inline int pillarIndex(std::string_view name) {
    const auto c = chars(name);
    if (c.size() != 2) {
        ADD_FAILURE() << "no pillar " << name;
        return 0;
    }
    return cycleIndexOf(stemIndex(c[0]), branchIndex(c[1]));
}
// Every stem or branch named in a field ("甲戊" → 甲, 戊).
inline std::vector<int> stemsIn(std::string_view field) {
    std::vector<int> out;
    for (const std::string& c : chars(field)) out.push_back(stemIndex(c));
    return out;
}
inline std::vector<int> branchesIn(std::string_view field) {
    std::vector<int> out;
    for (const std::string& c : chars(field)) out.push_back(branchIndex(c));
    return out;
}
// The numbers of a field "4,6,7".
inline std::vector<int> numbersIn(const std::string& field) {
    std::vector<int> out;
    std::istringstream in(field);
    for (std::string n; std::getline(in, n, ',');) out.push_back(std::stoi(n));
    return out;
}
inline bool holds(const std::vector<int>& list, int v) {
    for (int x : list)
        if (x == v) return true;
    return false;
}

// A pillar with the given branch (or stem) and a stem (or branch) of the same parity.
inline int pillarOnBranch(int branch) { return cycleIndexOf(branch % 2 == 1 ? 1 : 2, branch); }
inline int pillarOnStem(int stem) { return cycleIndexOf(stem, stem % 2 == 1 ? 1 : 2); }

}  // namespace hj::fixtures
