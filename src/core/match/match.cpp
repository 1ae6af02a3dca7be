#include "core/match/match.h"

#include <algorithm>

#include "core/analysis/chart_analysis.h"
#include "core/analysis/relations.h"
#include "core/calendar/datetime.h"
#include "core/chart/chart.h"
#include "core/chart/derived.h"
#include "core/report/chart_sections.h"

namespace hj::match {
namespace {

using analysis::RelationKind;

// The verdicts, per aspect: the first row whose aspect and kind match and whose direction is
// empty or the item's. A kind not named here is 平.
struct VerdictRule {
    std::string_view aspect, kind, direction;
    Verdict verdict;
};
constexpr Verdict G = Verdict::Good, B = Verdict::Bad, N = Verdict::Neutral;
constexpr VerdictRule kVerdicts[] = {
    {"生肖", "六合", "", G}, {"生肖", "半合", "", G}, {"生肖", "拱合", "", G}, {"生肖", "六冲", "", B},
    {"生肖", "六害", "", B}, {"生肖", "相刑", "", B}, {"生肖", "自刑", "", B}, {"生肖", "六破", "", B},
    {"生肖", "无", "", N},
    // 相生 best, 比和 next. 相克 is judged alike whoever overcomes whom: reading one sex's side
    // as worse would blame one person for a relation both share.
    {"纳音", "相生", "", G}, {"纳音", "比和", "", G}, {"纳音", "相克", "", N},
    {"日干", "五合", "", G}, {"日干", "相冲", "", B}, {"日干", "无", "", N},
    {"日支", "六合", "", G}, {"日支", "半合", "", G}, {"日支", "拱合", "", G}, {"日支", "六冲", "", B},
    {"日支", "六害", "", B}, {"日支", "相刑", "", B}, {"日支", "自刑", "", B}, {"日支", "六破", "", B},
    {"日支", "无", "", N},
    {"五行", "互补", "", G}, {"五行", "无", "", N},
};

constexpr std::string_view kPillarLabels[4] = {"年", "月", "日", "时"};

constexpr std::string_view kOvercomeNote =
    "旧说纳音相克不及相生、比和，又以女克男为忌；此处不分男女，谁克谁都同论为平。";

std::vector<analysis::Relation> pairRelations(int pillarA, int pillarB) {
    return analysis::findRelations({{"", pillarA}, {"", pillarB}});
}

bool isStemKind(RelationKind k) { return k == RelationKind::StemCombine || k == RelationKind::StemClash; }

MatchItem& addItem(MatchResult& r, std::string_view aspect, std::string_view kind, std::string chars,
                   std::string direction = {}) {
    MatchItem item;
    item.aspect = aspect;
    item.kind = kind;
    item.chars = std::move(chars);
    item.direction = std::move(direction);
    item.verdict = verdictOf(aspect, kind, item.direction);
    r.items.push_back(std::move(item));
    return r.items.back();
}

// 生肖 and 日支: the branch relations of one pillar of each, as one item. findRelations lists
// a pair's kinds 合 first, then 冲, 刑, 害, 破: the first is the one the tradition judges the
// pair by (巳申 is a 六合 match though the two also punish and break), the rest go beside it.
void compareBranches(MatchResult& r, std::string_view aspect, int pillar) {
    const int pa = r.parties[0].pillars[pillar], pb = r.parties[1].pillars[pillar];
    MatchItem* item = nullptr;
    for (const analysis::Relation& rel : pairRelations(pa, pb)) {
        if (isStemKind(rel.kind)) continue;
        if (item)
            item->also.emplace_back(analysis::relationKindName(rel.kind));
        else
            item = &addItem(r, aspect, analysis::relationKindName(rel.kind), rel.chars);
    }
    if (!item) addItem(r, aspect, "无", std::string(kBranches[pa % 12]) + std::string(kBranches[pb % 12]));
}

void compareDayStems(MatchResult& r) {
    const int pa = r.parties[0].pillars[2], pb = r.parties[1].pillars[2];
    bool any = false;
    for (const analysis::Relation& rel : pairRelations(pa, pb)) {
        if (!isStemKind(rel.kind)) continue;
        addItem(r, "日干", analysis::relationKindName(rel.kind), rel.chars);
        any = true;
    }
    if (!any) addItem(r, "日干", "无", std::string(kStems[pa % 10]) + std::string(kStems[pb % 10]));
}

void compareNayin(MatchResult& r) {
    const MatchParty& a = r.parties[0];
    const MatchParty& b = r.parties[1];
    const std::string na = a.label + a.nayinNames[0];
    const std::string nb = b.label + b.nayinNames[0];
    // Who overcomes whom, by sex; "" between two of one sex.
    auto direction = [&r](const MatchParty& winner) -> std::string {
        if (r.sameSex) return {};
        return winner.male ? "男克女" : "女克男";
    };
    switch (analysis::elementRelation(a.nayin[0], b.nayin[0])) {
    case analysis::ElementRelation::Same: addItem(r, "纳音", "比和", na + "、" + nb); break;
    case analysis::ElementRelation::Generates: addItem(r, "纳音", "相生", na + "生" + nb); break;
    case analysis::ElementRelation::GeneratedBy: addItem(r, "纳音", "相生", nb + "生" + na); break;
    case analysis::ElementRelation::Overcomes: addItem(r, "纳音", "相克", na + "克" + nb, direction(a)); break;
    case analysis::ElementRelation::OvercomeBy: addItem(r, "纳音", "相克", nb + "克" + na, direction(b)); break;
    }
    if (r.items.back().kind == "相克") r.items.back().note = kOvercomeNote;
}

// The elements `weak` lacks that `strong` has at all, and those `weak` has least that `strong`
// has most (and more of than `weak`).
std::vector<int> complementOf(const MatchParty& weak, const MatchParty& strong) {
    const auto& w = weak.elements;
    const auto& s = strong.elements;
    const int least = *std::min_element(w.begin(), w.end());
    const int most = *std::max_element(s.begin(), s.end());
    std::vector<int> out;
    for (int e : analysis::kShownElementOrder)
        if ((w[e] == 0 && s[e] > 0) || (w[e] == least && s[e] == most && s[e] > w[e])) out.push_back(e);
    return out;
}

std::string elementList(const std::vector<int>& els) {
    std::string names;
    for (int e : els) names += (names.empty() ? "" : "、") + std::string(kElementNames[e]);
    return names;
}

// What was compared when neither fills the other's gap: each one's scarcest elements and the
// other's share of them ("男缺金，女亦缺；女少火，男亦不多").
std::string noComplementText(const MatchResult& r) {
    std::string out;
    for (int to = 0; to < 2; ++to) {
        const MatchParty& weak = r.parties[to];
        const MatchParty& strong = r.parties[1 - to];
        const int least = *std::min_element(weak.elements.begin(), weak.elements.end());
        std::vector<int> scarce;
        for (int e : analysis::kShownElementOrder)
            if (weak.elements[e] == least) scarce.push_back(e);
        if (!out.empty()) out += "；";
        out += weak.label + (least == 0 ? "缺" : "少") + elementList(scarce) + "，" + strong.label +
               (least == 0 ? "亦缺" : "亦不多");
    }
    return out;
}

void compareElements(MatchResult& r) {
    r.complement[0] = complementOf(r.parties[0], r.parties[1]);
    r.complement[1] = complementOf(r.parties[1], r.parties[0]);
    bool any = false;
    for (int to = 0; to < 2; ++to) {
        const std::vector<int>& els = r.complement[to];
        if (els.empty()) continue;
        const MatchParty& weak = r.parties[to];
        const MatchParty& strong = r.parties[1 - to];
        // Lacking and having least read apart: "男有金、水，女缺金、水；男多火，女少火".
        std::vector<int> lacked, fewer;
        for (int e : els) (weak.elements[e] == 0 ? lacked : fewer).push_back(e);
        std::string chars;
        if (!lacked.empty())
            chars = strong.label + "有" + elementList(lacked) + "，" + weak.label + "缺" + elementList(lacked);
        if (!fewer.empty())
            chars += (chars.empty() ? "" : "；") + strong.label + "多" + elementList(fewer) + "，" + weak.label + "少" +
                     elementList(fewer);
        addItem(r, "五行", "互补", chars);
        any = true;
    }
    if (!any) addItem(r, "五行", "无", noComplementText(r));
}

void listOthers(MatchResult& r) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            const std::size_t first = r.others.size();
            for (const analysis::Relation& rel : pairRelations(r.parties[0].pillars[i], r.parties[1].pillars[j])) {
                const bool stems = isStemKind(rel.kind);
                // The items judge the day stems and the year and day branches already.
                if (i == 2 && j == 2) continue;
                if (!stems && i == 0 && j == 0) continue;
                // A pair of branches in several relations is one line, as in the items.
                if (!stems && r.others.size() > first && r.others.back().chars == rel.chars)
                    r.others.back().also.emplace_back(analysis::relationKindName(rel.kind));
                else
                    r.others.push_back({i, j, std::string(analysis::relationKindName(rel.kind)), rel.chars, {}});
            }
        }
}

MatchParty partyOf(const Chart& c) {
    MatchParty p;
    p.name = c.request.name;
    p.male = c.request.male;
    for (int i = 0; i < 4; ++i) {
        p.pillars[i] = cycleMod(c.pillars[i], 60);
        p.nayin[i] = c.nayinElements[i] % 5;
        p.nayinNames[i] = nayinName(p.pillars[i], c.settings.nayin == 1);
    }
    p.elements = analysis::elementBalance(p.pillars).visible;
    p.place = c.request.place;
    p.times = birthTimeLines(c);
    return p;
}

}  // namespace

std::string_view verdictName(Verdict v) {
    switch (v) {
    case Verdict::Good: return "吉";
    case Verdict::Bad: return "凶";
    default: return "平";
    }
}

Verdict verdictOf(std::string_view aspect, std::string_view kind, std::string_view direction) {
    for (const VerdictRule& rule : kVerdicts)
        if (rule.aspect == aspect && rule.kind == kind && (rule.direction.empty() || rule.direction == direction))
            return rule.verdict;
    return Verdict::Neutral;
}

std::string_view pillarLabel(int i) { return kPillarLabels[cycleMod(i, 4)]; }

int MatchResult::count(Verdict v) const {
    return static_cast<int>(std::count_if(items.begin(), items.end(), [v](const MatchItem& i) { return i.verdict == v; }));
}

MatchResult compareCharts(const Chart& a, const Chart& b) {
    MatchResult r;
    r.parties = {partyOf(a), partyOf(b)};
    r.sameSex = a.request.male == b.request.male;
    if (r.sameSex) {
        r.parties[0].label = "甲方";
        r.parties[1].label = "乙方";
    } else {
        r.parties[0].label = a.request.male ? "男" : "女";
        r.parties[1].label = b.request.male ? "男" : "女";
    }
    compareBranches(r, "生肖", 0);
    compareNayin(r);
    compareDayStems(r);
    compareBranches(r, "日支", 2);
    compareElements(r);
    listOthers(r);
    return r;
}

}  // namespace hj::match
