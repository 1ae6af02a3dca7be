#include "core/traditional/conversion.h"

#include <map>
#include <memory>

#include "core/resources.h"
#include "core/traditional/phrases.h"
#include "core/text/gbk.h"

namespace hj::traditional {
namespace {

// The Hans-Hant ('T') and Hant-Hans ('S') rules of resources/data/hant_rules.tsv: at each
// character the first rule whose key and context match is applied, in the table's order; a rule's
// preceding context is matched against the text already converted, its following one against
// the text still to convert.
struct Rule {
    std::string before;     // characters one of which must come before; empty: no condition
    std::string key, out;
    std::string afterSet;   // characters one of which must follow; empty: no condition
    std::string afterText;  // text that must follow; empty: no condition
};
using RuleTable = std::map<std::string, std::vector<Rule>, std::less<>>;  // by the key's first character

bool parseRule(std::string_view line, Rule& r) {
    const std::size_t arrow = line.find(" > ");
    if (arrow == std::string_view::npos || line.empty() || line.back() != ';') return false;
    std::string_view lhs = line.substr(0, arrow);
    r.out = std::string(line.substr(arrow + 3, line.size() - arrow - 4));
    if (lhs.front() == '[') {
        const std::size_t close = lhs.find(']');
        if (close == std::string_view::npos) return false;
        r.before = std::string(lhs.substr(1, close - 1));
        lhs.remove_prefix(close + 1);
    }
    if (lhs.empty() || lhs.front() != '{') {
        r.key = std::string(lhs);
        return r.before.empty() && !r.key.empty();
    }
    const std::size_t close = lhs.find('}');
    if (close == std::string_view::npos) return false;
    r.key = std::string(lhs.substr(1, close - 1));
    const std::string_view after = lhs.substr(close + 1);
    if (!after.empty() && after.front() == '[') {
        if (after.back() != ']') return false;
        r.afterSet = std::string(after.substr(1, after.size() - 2));
    } else {
        r.afterText = std::string(after);
    }
    return !r.key.empty();
}

const RuleTable* ruleTable(bool toTrad) {
    static const std::pair<RuleTable, RuleTable> tables = [] {
        std::pair<RuleTable, RuleTable> t;
        std::string_view data = embeddedResource("data/hant_rules.tsv");
        while (!data.empty()) {
            const std::size_t nl = data.find('\n');
            const std::string_view line = data.substr(0, nl);
            data = nl == std::string_view::npos ? std::string_view{} : data.substr(nl + 1);
            Rule r;
            if (line.size() < 3 || line[1] != '\t' || !parseRule(line.substr(2), r)) continue;
            std::size_t end = 0;
            text::nextUtf8Char(r.key, end);
            (line[0] == 'T' ? t.first : t.second)[r.key.substr(0, end)].push_back(std::move(r));
        }
        return t;
    }();
    const RuleTable& t = toTrad ? tables.first : tables.second;
    return t.empty() ? nullptr : &t;
}

// Whether the UTF-8 character `ch` is one of the characters of `set`.
bool inSet(std::string_view set, std::string_view ch) { return !ch.empty() && set.find(ch) != std::string_view::npos; }

std::string_view lastChar(std::string_view s) {
    std::size_t start = s.size();
    while (start > 0 && (static_cast<unsigned char>(s[start - 1]) & 0xC0) == 0x80) --start;
    return s.substr(start > 0 ? start - 1 : 0);
}

std::string runTable(const RuleTable* t, std::string_view utf8) {
    if (!t) return std::string(utf8);
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t next = i;
        text::nextUtf8Char(utf8, next);
        const std::string_view ch = utf8.substr(i, next - i);
        const auto it = t->find(ch);
        const Rule* applied = nullptr;
        // The rules are walked in place: `applied` points into the table after the loop.
        static const std::vector<Rule> kNoRules;
        for (const Rule& r : it == t->end() ? kNoRules : it->second) {
            if (utf8.substr(i, r.key.size()) != r.key) continue;
            if (!r.before.empty() && !inSet(r.before, lastChar(out))) continue;
            const std::string_view rest = utf8.substr(i + r.key.size());
            if (!r.afterText.empty() && rest.substr(0, r.afterText.size()) != r.afterText) continue;
            if (!r.afterSet.empty()) {
                std::size_t e = 0;
                if (rest.empty()) continue;
                text::nextUtf8Char(rest, e);
                if (!inSet(r.afterSet, rest.substr(0, e))) continue;
            }
            applied = &r;
            break;
        }
        out += applied ? std::string_view(applied->out) : ch;
        i += applied ? applied->key.size() : ch.size();
    }
    return out;
}

// One direction of the general conversion.
struct General {
    bool toTrad;
    std::string run(std::string_view utf8) const { return runTable(ruleTable(toTrad), utf8); }
};

bool hasGbkForm(std::string_view utf8) {
    std::string ignored;
    return text::utf8ToGbk(utf8, ignored);
}

// The general conversion of a run, keeping GBK-holdable text GBK-holdable: when the converted
// run has a character GBK lacks, the run is converted again character by character and such a
// character keeps its source form.
std::string convertRun(const General& t, std::string_view run) {
    std::string out = t.run(run);
    if (hasGbkForm(out) || !hasGbkForm(run)) return out;
    out.clear();
    for (std::size_t i = 0; i < run.size();) {
        const std::size_t start = i;
        text::nextUtf8Char(run, i);
        const std::string_view ch = run.substr(start, i - start);
        const std::string c = t.run(ch);
        out += hasGbkForm(c) ? c : std::string(ch);
    }
    return out;
}

}  // namespace

bool available() { return ruleTable(true) && ruleTable(false); }

std::string toTraditional(std::string_view utf8, const std::vector<std::string>& keep) {
    if (!text::isValidUtf8(utf8)) return std::string(utf8);
    const General t{true};
    std::string out;
    out.reserve(utf8.size());
    std::size_t runStart = 0;
    auto flush = [&](std::size_t end) {
        out += convertRun(t, utf8.substr(runStart, end - runStart));
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const std::string_view rest = utf8.substr(i);
        std::size_t kept = 0;
        for (const std::string& k : keep)
            if (!k.empty() && k.size() > kept && rest.substr(0, k.size()) == k) kept = k.size();
        const Phrase* p = kept ? nullptr : phraseAt(rest);
        if (!kept && !p) {
            text::nextUtf8Char(utf8, i);
            continue;
        }
        flush(i);
        if (kept) out += rest.substr(0, kept);
        else out += p->traditional;
        i += kept ? kept : p->simplified.size();
        runStart = i;
    }
    flush(utf8.size());
    return out;
}

std::string toSimplified(std::string_view utf8) {
    if (!text::isValidUtf8(utf8)) return std::string(utf8);
    const General t{false};
    std::string out;
    out.reserve(utf8.size());
    std::size_t runStart = 0;
    constexpr std::string_view kQian = "乾";
    for (std::size_t i = 0; i < utf8.size();) {
        if (utf8.substr(i, kQian.size()) != kQian) {
            text::nextUtf8Char(utf8, i);
            continue;
        }
        out += convertRun(t, utf8.substr(runStart, i - runStart));
        out += kQian;
        i += kQian.size();
        runStart = i;
    }
    out += convertRun(t, utf8.substr(runStart));
    return out;
}

std::string simplifiedCharacter(std::string_view ch) { return toSimplified(ch); }

std::string detail::generalConversion(std::string_view utf8, bool toTraditional) {
    return General{toTraditional}.run(utf8);
}

}  // namespace hj::traditional
