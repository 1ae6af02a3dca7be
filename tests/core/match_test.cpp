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

// The kinds the book gives between branches x and y (半合 or 拱合 for two of one frame).
std::multiset<std::string> branchKinds(int x, int y) {
    std::multiset<std::string> out;
    for (const char* kind : {"六合", "六冲", "六害", "相刑", "六破"})
        for (const std::string& f : matchRules().table(kind, 1)[0].fields)
            if (samePair(branchesIn(f), x, y)) out.insert(kind);
    const auto middles = branchesIn(matchRules().table("三合中", 1)[0].fields[0]);
    for (const std::string& f : matchRules().table("三合", 4)[0].fields) {
        const auto frame = branchesIn(f);
        if (x != y && fixtures::holds(frame, x) && fixtures::holds(frame, y))
            out.insert(fixtures::holds(middles, x) || fixtures::holds(middles, y) ? "半合" : "拱合");
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

// The book's kinds in the order a pair is named by: the principal first.
std::vector<std::string> principalFirst(const std::multiset<std::string>& kinds) {
    std::vector<std::string> out, order = matchRules().table("主", 8)[0].fields;
    order.insert(order.end(), {"五合", "相冲"});  // the stems: a pair has one of them at most
    for (const std::string& k : order)
        for (std::size_t n = kinds.count(k); n > 0; --n) out.push_back(k);
    EXPECT_EQ(out.size(), kinds.size()) << "a kind missing from the order 主";
    return out;
}

// The one item of a branch or stem aspect against the kinds the book gives: named by the
// principal kind and judged by it, the rest beside it; `where` names the case.
void expectRelationItems(const MatchResult& r, const std::string& aspect, const std::multiset<std::string>& book,
                         const std::string& pairChars, const std::string& where) {
    const auto items = itemsOf(r, aspect);
    ASSERT_EQ(items.size(), 1u) << where;
    const MatchItem& i = items[0];
    if (book.empty()) {
        EXPECT_EQ(i.kind, "无") << where;
        EXPECT_EQ(i.verdict, match::Verdict::Neutral) << where;
        EXPECT_TRUE(i.also.empty()) << where;
        return;
    }
    const std::vector<std::string> ordered = principalFirst(book);
    ASSERT_FALSE(ordered.empty()) << where;
    EXPECT_EQ(i.kind, ordered[0]) << where;
    EXPECT_EQ(i.also, std::vector<std::string>(ordered.begin() + 1, ordered.end())) << where;
    EXPECT_EQ(i.chars, pairChars) << where;
    EXPECT_EQ(match::verdictName(i.verdict), verdictFor(aspect, i.kind)) << where;
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
    EXPECT_EQ(match::verdictName(item.verdict), verdictFor("纳音", kind)) << where;
    EXPECT_EQ(item.note.empty(), kind != "相克") << where;
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

// Every relation judged the same whichever side has which character and whichever is the man:
// a pair in several relations is one item, counted once in the total.
TEST(MatchVerdicts, EveryRelationBothWays) {
    struct Case {
        const char* pair;  // the first person's character, then the second's
        const char* kind;
        std::vector<std::string> also;
        const char* verdict;
    };
    const Case branchCases[] = {
        {"巳申", "六合", {"相刑", "六破"}, "吉"}, {"寅亥", "六合", {"六破"}, "吉"}, {"午未", "六合", {}, "吉"},
        {"子辰", "半合", {}, "吉"},               {"申辰", "拱合", {}, "吉"},       {"子午", "六冲", {}, "凶"},
        {"丑未", "六冲", {"相刑"}, "凶"},         {"子卯", "相刑", {}, "凶"},       {"未戌", "相刑", {"六破"}, "凶"},
        {"午午", "自刑", {}, "凶"},               {"子未", "六害", {}, "凶"},       {"卯午", "六破", {}, "凶"},
        {"子寅", "无", {}, "平"},
    };
    const Case stemCases[] = {{"甲己", "五合", {}, "吉"}, {"丁壬", "五合", {}, "吉"}, {"甲庚", "相冲", {}, "凶"},
                              {"甲丙", "无", {}, "平"}};
    for (const bool swap : {false, true})
        for (const bool firstMale : {true, false}) {
            const std::string how = std::string(swap ? " swapped" : "") + (firstMale ? " 男女" : " 女男");
            for (const Case& c : branchCases) {
                auto bs = branchesIn(c.pair);
                if (swap) std::swap(bs[0], bs[1]);
                const int pa = pillarOnBranch(bs[0]), pb = pillarOnBranch(bs[1]);
                const MatchResult r =
                    match::compareCharts(chartOf({pa, 1, pa, 1}, firstMale), chartOf({pb, 1, pb, 1}, !firstMale));
                for (const char* aspect : {"生肖", "日支"}) {
                    const std::string where = std::string(aspect) + " " + c.pair + how;
                    const auto items = itemsOf(r, aspect);
                    ASSERT_EQ(items.size(), 1u) << where;
                    EXPECT_EQ(items[0].kind, c.kind) << where;
                    EXPECT_EQ(items[0].also, c.also) << where;
                    EXPECT_EQ(match::verdictName(items[0].verdict), c.verdict) << where;
                    EXPECT_EQ(items[0].chars, std::string(kBranches[bs[0]]) + std::string(kBranches[bs[1]])) << where;
                }
            }
            for (const Case& c : stemCases) {
                auto ss = stemsIn(c.pair);
                if (swap) std::swap(ss[0], ss[1]);
                const MatchResult r = match::compareCharts(chartOf({1, 1, fixtures::pillarOnStem(ss[0]), 1}, firstMale),
                                                           chartOf({1, 1, fixtures::pillarOnStem(ss[1]), 1}, !firstMale));
                const std::string where = std::string("日干 ") + c.pair + how;
                const auto items = itemsOf(r, "日干");
                ASSERT_EQ(items.size(), 1u) << where;
                EXPECT_EQ(items[0].kind, c.kind) << where;
                EXPECT_EQ(match::verdictName(items[0].verdict), c.verdict) << where;
            }
        }
}

// 纳音 相克 judged alike whoever overcomes whom, with the tradition's word beside it.
TEST(MatchVerdicts, NayinOvercomingBothWays) {
    std::array<int, 5> pillarOf{};
    for (int p = 60; p >= 1; --p) pillarOf[static_cast<std::size_t>(nayinOf(p % 60).second)] = p % 60;
    const int metal = pillarOf[static_cast<std::size_t>(elementCode("金"))];
    const int wood = pillarOf[static_cast<std::size_t>(elementCode("木"))];
    struct Case {
        bool firstMale;
        int first, second;
        const char* direction;
    };
    const Case cases[] = {{true, metal, wood, "男克女"}, {false, metal, wood, "女克男"},
                          {true, wood, metal, "女克男"}, {false, wood, metal, "男克女"}};
    for (const Case& c : cases) {
        const MatchResult r = match::compareCharts(chartOf({c.first, 1, 1, 1}, c.firstMale), chartOf({c.second, 1, 1, 1}, !c.firstMale));
        const std::string where = std::string(c.direction) + (c.firstMale ? " first 男" : " first 女");
        const auto items = itemsOf(r, "纳音");
        ASSERT_EQ(items.size(), 1u) << where;
        EXPECT_EQ(items[0].kind, "相克") << where;
        EXPECT_EQ(items[0].direction, c.direction) << where;
        EXPECT_EQ(items[0].verdict, match::Verdict::Neutral) << where;
        EXPECT_FALSE(items[0].note.empty()) << where;
        EXPECT_EQ(match::matchText(r, false).text.find("女克男　凶"), std::string::npos) << where;
    }
}

// 五行: an element one lacks and the other has at all fills the gap, even when it is not the
// other's most; with no gap filled the item says what was compared.
TEST(MatchElements, LackedElementsAndTheWordsOfNone) {
    struct Case {
        const char* name;
        std::array<const char*, 4> a, b;
        std::string chars;  // of the 五行 items, joined by " | "
    };
    const Case cases[] = {
        // 木4 火4 水1 beside 金1 火6 木2: each lacks what the other has one of.
        {"one each", {"甲寅", "甲寅", "丙午", "壬午"}, {"庚午", "丙午", "丙寅", "甲午"}, "女有金，男缺金 | 男有水，女缺水"},
        // 木8 beside 木8: nothing to give.
        {"none", {"甲寅", "甲寅", "甲寅", "甲寅"}, {"甲寅", "甲寅", "甲寅", "甲寅"},
         "男缺火、土、金、水，女亦缺；女缺火、土、金、水，男亦缺"},
        // Least but not lacking: 木2 火2 土2 金1 水1 each; neither has a most the other lacks.
        {"least", {"甲午", "戊子", "庚寅", "丙辰"}, {"甲午", "戊子", "庚寅", "丙辰"},
         "男少金、水，女亦不多；女少金、水，男亦不多"},
    };
    for (const Case& c : cases) {
        std::array<int, 4> pa{}, pb{};
        for (int i = 0; i < 4; ++i) {
            pa[static_cast<std::size_t>(i)] = pillarIndex(c.a[static_cast<std::size_t>(i)]);
            pb[static_cast<std::size_t>(i)] = pillarIndex(c.b[static_cast<std::size_t>(i)]);
        }
        const MatchResult r = match::compareCharts(chartOf(pa, true), chartOf(pb, false));
        std::string got;
        for (const MatchItem& i : itemsOf(r, "五行")) got += (got.empty() ? "" : " | ") + i.chars;
        EXPECT_EQ(got, c.chars) << c.name;
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
                if ((weak[e] == 0 && strong[e] > 0) ||
                    (weak[e] == *std::min_element(weak.begin(), weak.end()) &&
                     strong[e] == *std::max_element(strong.begin(), strong.end()) && strong[e] > weak[e]))
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
        for (const match::PillarPairRelation& o : r.others) {
            gotOthers.insert(std::to_string(o.pillarA) + std::to_string(o.pillarB) + o.kind);
            for (const std::string& k : o.also) gotOthers.insert(std::to_string(o.pillarA) + std::to_string(o.pillarB) + k);
        }
        EXPECT_EQ(gotOthers, expectedOthers) << where;
    }
}

}  // namespace
}  // namespace hj
