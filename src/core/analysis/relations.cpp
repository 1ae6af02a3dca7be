#include "core/analysis/relations.h"

#include <algorithm>
#include <array>

#include "core/calendar/datetime.h"
#include "core/chart/derived.h"

namespace hj::analysis {
namespace {

// The tables as the books give them: the characters, then the resulting element if any.
constexpr std::string_view kStemCombines[] = {"甲己土", "乙庚金", "丙辛水", "丁壬木", "戊癸火"};
constexpr std::string_view kStemClashes[] = {"甲庚", "乙辛", "丙壬", "丁癸"};
constexpr std::string_view kSixCombines[] = {"子丑土", "寅亥木", "卯戌火", "辰酉金", "巳申水", "午未土"};
// Each frame in the order 长生, 帝旺, 墓: the middle branch is the frame's prime.
constexpr std::string_view kThreeCombines[] = {"申子辰水", "亥卯未木", "寅午戌火", "巳酉丑金"};
constexpr std::string_view kThreeMeets[] = {"寅卯辰木", "巳午未火", "申酉戌金", "亥子丑水"};
constexpr std::string_view kSixClashes[] = {"子午", "丑未", "寅申", "卯酉", "辰戌", "巳亥"};
constexpr std::string_view kThreePunishments[] = {"寅巳申", "丑戌未"};
// 子卯 punish each other without a third; the other punishing pairs come from the sets above.
constexpr std::string_view kPairPunishments[] = {"子卯"};
constexpr std::string_view kSelfPunishments = "辰午酉亥";
constexpr std::string_view kHarms[] = {"子未", "丑午", "寅巳", "卯辰", "申亥", "酉戌"};
constexpr std::string_view kBreaks[] = {"子酉", "卯午", "辰丑", "未戌", "寅亥", "巳申"};

// The elements produce (生) and overcome (克) each other in these pairs.
constexpr std::string_view kGenerations[] = {"木火", "火土", "土金", "金水", "水木"};
constexpr std::string_view kOvercomings[] = {"木土", "土水", "水火", "火金", "金木"};

constexpr std::string_view kKindNames[kRelationKinds] = {"五合", "相冲", "六合", "三合", "半合", "拱合", "三会",
                                                         "六冲", "三刑", "相刑", "自刑", "六害", "六破"};

// Reads a table entry: names of `table` one after another, then an optional element name.
struct Entry {
    std::vector<int> members;
    int element = -1;
};
template <std::size_t N>
Entry parse(std::string_view text, const std::string_view (&table)[N]) {
    Entry e;
    std::size_t pos = 0;
    while (pos < text.size()) {
        bool found = false;
        for (std::size_t i = 0; i < N && !found; ++i)
            if (text.compare(pos, table[i].size(), table[i]) == 0) {
                e.members.push_back(static_cast<int>(i));
                pos += table[i].size();
                found = true;
            }
        for (int el = 0; el < 5 && !found; ++el)
            if (text.compare(pos, kElementNames[el].size(), kElementNames[el]) == 0) {
                e.element = el;
                pos += kElementNames[el].size();
                found = true;
            }
        if (!found) break;  // cannot happen with the tables above
    }
    return e;
}

// A pair relation found by looking up two indices; -2 means none, otherwise the element (-1 none).
using PairTable = std::array<std::array<int, 12>, 12>;

struct Tables {
    PairTable stemCombine, stemClash;
    std::array<PairTable, kRelationKinds> branchPair;  // by kind; only the pair kinds are filled
    std::array<bool, 12> selfPunish{};
    std::array<std::array<bool, 5>, 5> generates{}, overcomes{};
    struct Triple {
        RelationKind kind;
        std::array<int, 3> members;
        int element;
    };
    std::vector<Triple> triples;

    static void fill(PairTable& t) {
        for (auto& row : t) row.fill(-2);
    }
    static void set(PairTable& t, int a, int b, int element) { t[a][b] = t[b][a] = element; }

    Tables() {
        fill(stemCombine);
        fill(stemClash);
        for (auto& t : branchPair) fill(t);
        for (auto s : kStemCombines) {
            Entry e = parse(s, kStems);
            set(stemCombine, e.members[0], e.members[1], e.element);
        }
        for (auto s : kStemClashes) {
            Entry e = parse(s, kStems);
            set(stemClash, e.members[0], e.members[1], -1);
        }
        auto pairs = [this](RelationKind kind, std::string_view s) {
            Entry e = parse(s, kBranches);
            set(branchPair[static_cast<int>(kind)], e.members[0], e.members[1], e.element);
        };
        for (auto s : kSixCombines) pairs(RelationKind::SixCombine, s);
        for (auto s : kSixClashes) pairs(RelationKind::SixClash, s);
        for (auto s : kHarms) pairs(RelationKind::Harm, s);
        for (auto s : kBreaks) pairs(RelationKind::Break, s);
        for (auto s : kPairPunishments) pairs(RelationKind::Punish, s);
        for (auto s : kThreeCombines) {
            Entry e = parse(s, kBranches);
            const auto& m = e.members;
            triples.push_back({RelationKind::ThreeCombine, {m[0], m[1], m[2]}, e.element});
            set(branchPair[static_cast<int>(RelationKind::HalfCombine)], m[0], m[1], e.element);
            set(branchPair[static_cast<int>(RelationKind::HalfCombine)], m[1], m[2], e.element);
            set(branchPair[static_cast<int>(RelationKind::ArchCombine)], m[0], m[2], e.element);
        }
        for (auto s : kThreeMeets) {
            Entry e = parse(s, kBranches);
            triples.push_back({RelationKind::ThreeMeet, {e.members[0], e.members[1], e.members[2]}, e.element});
        }
        for (auto s : kThreePunishments) {
            Entry e = parse(s, kBranches);
            const auto& m = e.members;
            triples.push_back({RelationKind::ThreePunish, {m[0], m[1], m[2]}, -1});
            for (int i = 0; i < 3; ++i) set(branchPair[static_cast<int>(RelationKind::Punish)], m[i], m[(i + 1) % 3], -1);
        }
        for (int b : parse(kSelfPunishments, kBranches).members) selfPunish[b] = true;
        for (auto s : kGenerations) {
            Entry e = parse(s, kElementNames);
            generates[e.members[0]][e.members[1]] = true;
        }
        for (auto s : kOvercomings) {
            Entry e = parse(s, kElementNames);
            overcomes[e.members[0]][e.members[1]] = true;
        }
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

// The pair kinds of branches, in listing order.
constexpr RelationKind kBranchPairKinds[] = {RelationKind::SixCombine, RelationKind::HalfCombine,
                                             RelationKind::ArchCombine, RelationKind::SixClash,
                                             RelationKind::Punish, RelationKind::Harm, RelationKind::Break};

// The branches of three places form the set `members` in some order.
bool formsSet(std::array<int, 3> branches, std::array<int, 3> members) {
    std::sort(branches.begin(), branches.end());
    std::sort(members.begin(), members.end());
    return branches == members;
}

}  // namespace

std::string_view relationKindName(RelationKind kind) { return kKindNames[static_cast<int>(kind)]; }

bool isFavourable(RelationKind kind) {
    switch (kind) {
    case RelationKind::StemCombine: case RelationKind::SixCombine: case RelationKind::ThreeCombine:
    case RelationKind::HalfCombine: case RelationKind::ArchCombine: case RelationKind::ThreeMeet:
        return true;
    default:
        return false;
    }
}

std::vector<Relation> findRelations(const std::vector<PillarSlot>& given) {
    const Tables& t = tables();
    const int n = static_cast<int>(given.size());
    std::vector<int> stem(n), branch(n);
    for (int i = 0; i < n; ++i) {
        stem[i] = cycleMod(given[i].pillar, 60) % 10;
        branch[i] = cycleMod(given[i].pillar, 60) % 12;
    }
    std::vector<Relation> out;
    auto add = [&](RelationKind kind, std::vector<int> places, bool stems, int element) {
        Relation r;
        r.kind = kind;
        r.element = element;
        for (int p : places) {
            r.chars += stems ? kStems[stem[p]] : kBranches[branch[p]];
            r.labels.push_back(given[p].label);
        }
        r.places = std::move(places);
        out.push_back(std::move(r));
    };
    // Pairs covered by a listed three-branch relation of the kind given.
    auto coveredBy = [&out](RelationKind tripleKind, int a, int b) {
        for (const Relation& r : out)
            if (r.kind == tripleKind && std::count(r.places.begin(), r.places.end(), a) &&
                std::count(r.places.begin(), r.places.end(), b))
                return true;
        return false;
    };

    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            if (int e = t.stemCombine[stem[i]][stem[j]]; e != -2) add(RelationKind::StemCombine, {i, j}, true, e);
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            if (t.stemClash[stem[i]][stem[j]] != -2) add(RelationKind::StemClash, {i, j}, true, -1);

    // Three-branch relations first, so that the pairs inside them can be left out.
    for (const auto& tr : t.triples)
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j)
                for (int k = j + 1; k < n; ++k)
                    if (formsSet({branch[i], branch[j], branch[k]}, tr.members)) add(tr.kind, {i, j, k}, false, tr.element);
    for (RelationKind kind : kBranchPairKinds) {
        const PairTable& pt = t.branchPair[static_cast<int>(kind)];
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j) {
                const int e = pt[branch[i]][branch[j]];
                if (e == -2) continue;
                if ((kind == RelationKind::HalfCombine || kind == RelationKind::ArchCombine) &&
                    coveredBy(RelationKind::ThreeCombine, i, j))
                    continue;
                if (kind == RelationKind::Punish && coveredBy(RelationKind::ThreePunish, i, j)) continue;
                add(kind, {i, j}, false, e);
            }
    }
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            if (branch[i] == branch[j] && t.selfPunish[branch[i]]) add(RelationKind::SelfPunish, {i, j}, false, -1);

    std::stable_sort(out.begin(), out.end(), [](const Relation& a, const Relation& b) {
        if (a.kind != b.kind) return a.kind < b.kind;
        return a.places < b.places;
    });
    return out;
}

ElementRelation elementRelation(int a, int b) {
    const Tables& t = tables();
    a = cycleMod(a, 5);
    b = cycleMod(b, 5);
    if (t.generates[a][b]) return ElementRelation::Generates;
    if (t.generates[b][a]) return ElementRelation::GeneratedBy;
    if (t.overcomes[a][b]) return ElementRelation::Overcomes;
    if (t.overcomes[b][a]) return ElementRelation::OvercomeBy;
    return ElementRelation::Same;
}

}  // namespace hj::analysis
