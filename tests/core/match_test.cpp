// 合婚: every pair of year (and day) branches and every pair of 纳音 elements with the sexes,
// checked against the book's tables in fixtures/match_rules.txt and derived_rules.txt; then
// random pairs of cast charts checked the same way, day stems, the element complement and the
// other pillar pairs included.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "core/chart/chart.h"
#include "core/chart/derived.h"
#include "core/match/match.h"
#include "rule_fixture.h"

namespace hj {
namespace {

using fixtures::branchesIn;
using fixtures::chars;
using fixtures::pillarIndex;
using fixtures::pillarOnBranch;
using fixtures::Rule;
using fixtures::RuleBook;
using fixtures::stemsIn;
using match::MatchItem;
using match::MatchResult;

const RuleBook& matchRules() {
    static const RuleBook book("match_rules.txt");
    return book;
}
const RuleBook& derivedRules() {
    static const RuleBook book("derived_rules.txt");
    return book;
}

// ---- the book's tables ----

int elementCode(const std::string& name) {
    const auto& order = derivedRules().table("五行序", 5)[0].fields;
    for (std::size_t i = 0; i < order.size(); ++i)
        if (order[i] == name) return static_cast<int>(i);
    ADD_FAILURE() << "no element " << name;
    return 0;
}
std::string elementName(int code) { return derivedRules().table("五行序", 5)[0].fields[static_cast<std::size_t>(code)]; }

// Element of a stem (干五行) or branch (支五行) index.
int elementOf(const std::string& table, int index) {
    for (const Rule& r : derivedRules().table(table, 2)) {
        const auto members = table == "干五行" ? stemsIn(r.fields[0]) : branchesIn(r.fields[0]);
        if (fixtures::holds(members, index)) return elementCode(r.fields[1]);
    }
    ADD_FAILURE() << table << " has no " << index;
    return 0;
}

// The 纳音 of a pillar: its name and element.
std::pair<std::string, int> nayinOf(int pillar) {
    for (const Rule& r : derivedRules().table("纳音", 2)) {
        const auto c = chars(r.fields[0]);
        if (pillarIndex(c[0] + c[1]) == pillar || pillarIndex(c[2] + c[3]) == pillar)
            return {r.fields[1], elementCode(chars(r.fields[1]).back())};
    }
    ADD_FAILURE() << "no 纳音 for " << pillar;
    return {};
}

bool pairListed(const std::string& table, const std::string& x, const std::string& y) {
    for (const std::string& f : derivedRules().table(table, 5)[0].fields)
        if (f == x + y) return true;
    return false;
}

bool samePair(const std::vector<int>& listed, int x, int y) {
    return listed.size() == 2 && ((listed[0] == x && listed[1] == y) || (listed[0] == y && listed[1] == x));
}

// The kinds the book gives between branches x and y (三合 for two of one frame).
std::multiset<std::string> branchKinds(int x, int y) {
    std::multiset<std::string> out;
    for (const char* kind : {"六合", "六冲", "六害", "相刑", "六破"})
        for (const std::string& f : matchRules().table(kind, 1)[0].fields)
            if (samePair(branchesIn(f), x, y)) out.insert(kind);
    for (const std::string& f : matchRules().table("三合", 4)[0].fields) {
        const auto frame = branchesIn(f);
        if (x != y && fixtures::holds(frame, x) && fixtures::holds(frame, y)) out.insert("三合");
    }
    for (const std::string& f : matchRules().table("自刑", 4)[0].fields)
        if (branchesIn(f)[0] == x && x == y) out.insert("自刑");
    return out;
}
std::multiset<std::string> stemKinds(int x, int y) {
    std::multiset<std::string> out;
    for (const char* kind : {"五合", "相冲"})
        for (const std::string& f : matchRules().table(kind, 4)[0].fields)
            if (samePair(stemsIn(f), x, y)) out.insert(kind);
    return out;
}

// The verdict the book's list gives `key` (a kind, or 男克女 / 女克男) in `aspect`.
std::string verdictFor(const std::string& aspect, const std::string& key) {
    for (const Rule& r : matchRules().table("断", 3))
        if (r.fields[0] == aspect && std::find(r.fields.begin() + 2, r.fields.end(), key) != r.fields.end())
            return r.fields[1];
    return "平";
}

// ---- charts ----

Chart chartOf(std::array<int, 4> pillars, bool male) {
    Chart c;
    c.request.male = male;
    for (int i = 0; i < 4; ++i) {
        c.pillars[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(pillars[static_cast<std::size_t>(i)]);
        c.nayinElements[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(nayinOf(pillars[static_cast<std::size_t>(i)]).second);
    }
    return c;
}

std::vector<MatchItem> itemsOf(const MatchResult& r, const std::string& aspect) {
    std::vector<MatchItem> out;
    for (const MatchItem& i : r.items)
        if (i.aspect == aspect) out.push_back(i);
    return out;
}

// The items of a branch or stem aspect against the kinds the book gives; `where` names the case.
void expectRelationItems(const MatchResult& r, const std::string& aspect, const std::multiset<std::string>& book,
                         const std::string& pairChars, const std::string& where) {
    const auto items = itemsOf(r, aspect);
    if (book.empty()) {
        ASSERT_EQ(items.size(), 1u) << where;
        EXPECT_EQ(items[0].kind, "无") << where;
        EXPECT_EQ(items[0].verdict, match::Verdict::Neutral) << where;
        return;
    }
    std::multiset<std::string> got;
    for (const MatchItem& i : items) {
        got.insert(i.kind);
        EXPECT_EQ(i.chars, pairChars) << where << " " << i.kind;
        EXPECT_EQ(match::verdictName(i.verdict), verdictFor(aspect, i.kind)) << where << " " << i.kind;
    }
    EXPECT_EQ(got, book) << where;
}

// The 纳音 item against the book: kind, who comes first in the characters, direction, verdict.
void expectNayinItem(const MatchResult& r, const std::string& where) {
    const auto items = itemsOf(r, "纳音");
    ASSERT_EQ(items.size(), 1u) << where;
    const MatchItem& item = items[0];
    const auto& a = r.parties[0];
    const auto& b = r.parties[1];
    const std::string ea = elementName(nayinOf(a.pillars[0]).second), eb = elementName(nayinOf(b.pillars[0]).second);
    std::string kind, first, direction;
    if (ea == eb) {
        kind = "比和";
        first = a.label;
    } else if (pairListed("相生", ea, eb) || pairListed("相生", eb, ea)) {
        kind = "相生";
        first = pairListed("相生", ea, eb) ? a.label : b.label;
    } else {
        kind = "相克";
        const bool aWins = pairListed("相克", ea, eb);
        ASSERT_TRUE(aWins || pairListed("相克", eb, ea)) << where << ": " << ea << eb << " neither 生 nor 克";
        const auto& winner = aWins ? a : b;
        first = winner.label;
        if (a.male != b.male) direction = winner.male ? "男克女" : "女克男";
    }
    EXPECT_EQ(item.kind, kind) << where;
    EXPECT_EQ(item.chars.rfind(first, 0), 0u) << where << ": " << item.chars;
    EXPECT_EQ(item.direction, direction) << where;
    EXPECT_EQ(match::verdictName(item.verdict), verdictFor("纳音", direction.empty() ? kind : direction)) << where;
}

std::string labelOf(bool male, bool otherMale, bool first) {
    if (male != otherMale) return male ? "男" : "女";
    return first ? "甲方" : "乙方";
}

TEST(MatchTables, EveryPairOfBranches) {
    for (int x = 0; x < 12; ++x)
        for (int y = 0; y < 12; ++y) {
            const int px = pillarOnBranch(x), py = pillarOnBranch(y);
            // The year pair and the day pair on the same branches, the other pillars quiet.
            const MatchResult r = match::compareCharts(chartOf({px, 1, px, 1}, true), chartOf({py, 1, py, 1}, false));
            const std::string pair = std::string(kBranches[x]) + std::string(kBranches[y]);
            expectRelationItems(r, "生肖", branchKinds(x, y), pair, "生肖 " + pair);
            expectRelationItems(r, "日支", branchKinds(x, y), pair, "日支 " + pair);
        }
}

TEST(MatchTables, EveryPairOfNayinElementsWithTheSexes) {
    // A year pillar of each 纳音 element, from the book's list.
    std::array<int, 5> pillarOf{};
    std::array<bool, 5> found{};
    for (int p = 0; p < 60; ++p) {
        const int e = nayinOf(p).second;
        if (!found[static_cast<std::size_t>(e)]) pillarOf[static_cast<std::size_t>(e)] = p;
        found[static_cast<std::size_t>(e)] = true;
    }
    const std::pair<bool, bool> sexes[] = {{true, false}, {false, true}, {true, true}, {false, false}};
    for (int ea = 0; ea < 5; ++ea)
        for (int eb = 0; eb < 5; ++eb)
            for (auto [maleA, maleB] : sexes) {
                const MatchResult r = match::compareCharts(chartOf({pillarOf[ea], 1, 1, 1}, maleA),
                                                           chartOf({pillarOf[eb], 1, 1, 1}, maleB));
                const std::string where = "纳音 " + elementName(ea) + elementName(eb) + (maleA ? " 男" : " 女") +
                                          (maleB ? "男" : "女");
                EXPECT_EQ(r.parties[0].label, labelOf(maleA, maleB, true)) << where;
                EXPECT_EQ(r.parties[1].label, labelOf(maleB, maleA, false)) << where;
                expectNayinItem(r, where);
            }
}

// Random births: every aspect and the other pillar pairs against the book.
TEST(MatchHeldOut, RandomPairsOfChartsAgreeWithTheBook) {
    std::mt19937 rng(20240531);
    auto uniform = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto randomChart = [&] {
        ChartRequest q;
        q.year = static_cast<std::int16_t>(uniform(1900, 2100));
        q.month = static_cast<std::int16_t>(uniform(1, 12));
        q.day = static_cast<std::int16_t>(uniform(1, 28));
        q.hour = static_cast<std::int16_t>(uniform(0, 23));
        q.minute = static_cast<std::int16_t>(uniform(0, 59));
        q.male = uniform(0, 1) == 1;
        q.yearly = false;
        std::string error;
        std::optional<Chart> c = castChart(q, ChartSettings{}, error);
        EXPECT_TRUE(c) << error;
        return c ? *c : Chart{};
    };
    auto mapped = [](const std::string& kind) { return kind == "半合" || kind == "拱合" ? std::string("三合") : kind; };
    for (int n = 0; n < 300; ++n) {
        const Chart a = randomChart(), b = randomChart();
        const MatchResult r = match::compareCharts(a, b);
        const std::string where = "pair " + std::to_string(n) + ": " + pillarName(a.pillars[0]) + pillarName(a.pillars[2]) +
                                  " / " + pillarName(b.pillars[0]) + pillarName(b.pillars[2]);
        auto stem = [](int p) { return cycleMod(p, 60) % 10; };
        auto branch = [](int p) { return cycleMod(p, 60) % 12; };
        const int ya = branch(a.pillars[0]), yb = branch(b.pillars[0]);
        const int da = branch(a.pillars[2]), db = branch(b.pillars[2]);
        expectRelationItems(r, "生肖", branchKinds(ya, yb), std::string(kBranches[ya]) + std::string(kBranches[yb]), where);
        expectRelationItems(r, "日支", branchKinds(da, db), std::string(kBranches[da]) + std::string(kBranches[db]), where);
        const int sa = stem(a.pillars[2]), sb = stem(b.pillars[2]);
        expectRelationItems(r, "日干", stemKinds(sa, sb), std::string(kStems[sa]) + std::string(kStems[sb]), where);
        expectNayinItem(r, where);

        // The eight characters' elements, counted from the book's element tables.
        std::array<std::array<int, 5>, 2> counts{};
        for (int side = 0; side < 2; ++side)
            for (int p : (side == 0 ? a : b).pillars) {
                ++counts[side][static_cast<std::size_t>(elementOf("干五行", stem(p)))];
                ++counts[side][static_cast<std::size_t>(elementOf("支五行", branch(p)))];
            }
        for (int to = 0; to < 2; ++to) {
            const auto& weak = counts[static_cast<std::size_t>(to)];
            const auto& strong = counts[static_cast<std::size_t>(1 - to)];
            std::set<int> expected;
            for (int e = 0; e < 5; ++e)
                if (weak[e] == *std::min_element(weak.begin(), weak.end()) &&
                    strong[e] == *std::max_element(strong.begin(), strong.end()) && strong[e] > weak[e])
                    expected.insert(e);
            const auto& got = r.complement[static_cast<std::size_t>(to)];
            EXPECT_EQ(std::set<int>(got.begin(), got.end()), expected) << where << " complement " << to;
        }
        const auto elementItems = itemsOf(r, "五行");
        const std::size_t ways = !r.complement[0].empty() + !r.complement[1].empty();
        EXPECT_EQ(elementItems.size(), std::max<std::size_t>(ways, 1)) << where;
        for (const MatchItem& i : elementItems)
            EXPECT_EQ(match::verdictName(i.verdict), verdictFor("五行", i.kind)) << where;

        // Every other pillar pair: what the book relates, and nothing else.
        std::multiset<std::string> expectedOthers, gotOthers;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                const std::string at = std::to_string(i) + std::to_string(j);
                if (!(i == 2 && j == 2))
                    for (const std::string& k : stemKinds(stem(a.pillars[i]), stem(b.pillars[j]))) expectedOthers.insert(at + k);
                if (!(i == 2 && j == 2) && !(i == 0 && j == 0))
                    for (const std::string& k : branchKinds(branch(a.pillars[i]), branch(b.pillars[j])))
                        expectedOthers.insert(at + k);
            }
        for (const match::PillarPairRelation& o : r.others)
            gotOthers.insert(std::to_string(o.pillarA) + std::to_string(o.pillarB) + mapped(o.kind));
        EXPECT_EQ(gotOthers, expectedOthers) << where;
    }
}

}  // namespace
}  // namespace hj
