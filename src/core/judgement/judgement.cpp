#include "core/judgement/judgement.h"

#include <algorithm>
#include <cstdio>

#include "core/analysis/chart_analysis.h"
#include "core/analysis/relations.h"
#include "core/calendar/datetime.h"
#include "core/chart/chart.h"
#include "core/chart/derived.h"
#include "core/judgement/tables.h"

namespace hj::judgement {
namespace {

using analysis::Relation;
using analysis::RelationKind;

constexpr std::string_view kPlaceNames[4] = {"年", "月", "日", "时"};

int producedBy(int e) { return (e + 4) % 5; }   // the element producing e
int produces(int e) { return (e + 1) % 5; }     // the element e produces
int overcomerOf(int e) { return (e + 3) % 5; }  // the element overcoming e
int overcomes(int e) { return (e + 2) % 5; }    // the element e overcomes

Group groupOf(int day, int element) { return static_cast<Group>(cycleMod(element - day, 5)); }
int elementOf(int day, Group g) { return (day + static_cast<int>(g)) % 5; }
bool supports(Group g) { return g == Group::Peer || g == Group::Resource; }

std::string el(int e) { return std::string(kElementNames[e]); }
std::string stemName(int s) { return std::string(kStems[cycleMod(s, 10)]); }
std::string branchName(int b) { return std::string(kBranches[cycleMod(b, 12)]); }

// Rounded to the nearest whole, halves away from zero.
int divRound(long a, long b) { return static_cast<int>(a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b)); }

// One weighed character: a stem of the year, month or hour, or a hidden stem of a branch.
struct Unit {
    int place = 0;
    int rank = -1;  // -1 a stem; 0 本气, 1 中气, 2 余气
    int stem = 0;
    int element = 0, amount = 0;        // as it stands
    int effElement = 0, effAmount = 0;  // after the combinations
};

int contribution(const Unit& u, int day) {
    return divRound(static_cast<long>(u.effAmount) * kGroupFactor[static_cast<int>(groupOf(day, u.effElement))], 100);
}

int stemOfChar(std::string_view s, std::size_t at) {
    for (int i = 0; i < 10; ++i)
        if (s.compare(at, kStems[i].size(), kStems[i]) == 0) return i;
    return -1;
}

// The state (旺 …) of element `e` in the season of month branch `branch`, from the table.
SeasonState seasonState(int branch, int e) {
    const std::string_view b = kBranches[cycleMod(branch, 12)];
    for (const Season& s : kSeasons) {
        if (s.branches.find(b) == std::string_view::npos) continue;
        const std::size_t at = s.states.find(kElementNames[e]);
        const std::string_view state = s.states.substr(at + kElementNames[e].size(), 3);
        for (int k = 0; k < 5; ++k)
            if (kSeasonStateNames[k] == state) return static_cast<SeasonState>(k);
    }
    return SeasonState::Xiu;  // not reached: every branch is in one season
}

std::string factorName(Group g, bool stem) {
    switch (g) {
    case Group::Peer: return stem ? "得助" : "得地";
    case Group::Resource: return stem ? "得生" : "得地";
    case Group::Output: return "泄";
    case Group::Wealth: return "耗";
    case Group::Power: return "克";
    }
    return "";
}

std::string labelsOf(const std::vector<int>& places) {
    std::string s;
    for (int p : places) s += kPlaceNames[p];
    return s;
}

struct Work {
    std::array<int, 4> natal{};
    int dayStem = 0, day = 0, monthBranch = 0;
    std::vector<Unit> units;
    std::vector<Relation> relations;  // among the natal pillars
    std::array<bool, 4> branchHeld{};  // taken into a combination that changed its element
    Strength strength;
};

int sumOf(const Work& w, const std::vector<int>& which) {
    int s = 0;
    for (int i : which) s += contribution(w.units[i], w.day);
    return s;
}

std::vector<int> unitsOfBranch(const Work& w, int place) {
    std::vector<int> out;
    for (std::size_t i = 0; i < w.units.size(); ++i)
        if (w.units[i].place == place && w.units[i].rank >= 0) out.push_back(static_cast<int>(i));
    return out;
}

// Turns the units given into `element`, recording the change as one factor.
void transform(Work& w, const std::vector<int>& which, int element, const std::string& name,
               const std::string& pillars, const std::string& chars, const std::string& reason) {
    const int before = sumOf(w, which);
    for (int i : which) w.units[i].effElement = element;
    w.strength.factors.push_back({name, pillars, chars, sumOf(w, which) - before, reason});
}

void weighUnits(Work& w) {
    for (int p = 0; p < 4; ++p) {
        const int pillar = w.natal[p];
        {
            Unit u;
            u.place = p;
            u.stem = pillar % 10;
            u.element = u.effElement = stemElement(u.stem);
            u.amount = u.effAmount = kStemPlace[p];
            w.units.push_back(u);
        }
        const std::string_view hidden = kHiddenByRank[pillar % 12];
        for (std::size_t r = 0; r < hidden.size(); ++r) {
            Unit u;
            u.place = p;
            u.rank = static_cast<int>(r);
            u.stem = hidden[r] - '0';
            u.element = u.effElement = stemElement(u.stem);
            u.amount = u.effAmount = kBranchPlace[p] * kRankShare[r] / 100;
            w.units.push_back(u);
        }
    }
    const std::string dayName = stemName(w.dayStem) + el(w.day);
    for (const Unit& u : w.units) {
        const Group g = groupOf(w.day, u.element);
        const std::string god(kTenGodShort[tenGodIndex(w.dayStem, u.stem)]);
        Factor f;
        f.pillar = std::string(kPlaceNames[u.place]);
        f.weight = contribution(u, w.day);
        if (u.rank < 0 && u.place == 2) {
            f.factor = "日主";
            f.chars = stemName(u.stem);
            f.reason = "日干" + dayName + "本身";
        } else if (u.rank < 0) {
            f.factor = factorName(g, true);
            f.chars = stemName(u.stem);
            f.reason = f.pillar + "干" + f.chars + "为" + god + "（" + std::string(kGroupNames[static_cast<int>(g)]) +
                       "），" + (u.place == 0 ? "隔位，力减" : "紧贴日主");
        } else if (u.place == 1 && u.rank == 0) {
            f.factor = "得令";
            f.chars = branchName(w.natal[1]);
            f.reason = dayName + "生于" + f.chars + "月，" +
                       std::string(kSeasonStateNames[static_cast<int>(seasonState(w.monthBranch, w.day))]) +
                       "（月令本气" + stemName(u.stem) + "，" + god + "）";
        } else {
            f.factor = factorName(g, false);
            f.chars = branchName(w.natal[u.place]);
            f.reason = f.pillar + "支" + f.chars + "藏" + stemName(u.stem) + "（" + std::string(kRankNames[u.rank]) + "），" +
                       god + (supports(g) ? "，为日主之根" : "");
        }
        w.strength.factors.push_back(std::move(f));
    }
}

bool adjacent(const Relation& r) { return r.places.size() == 2 && r.places[1] - r.places[0] == 1; }
bool onStems(RelationKind k) { return k == RelationKind::StemCombine || k == RelationKind::StemClash; }

bool branchClashed(const Work& w, int place) {
    for (const Relation& r : w.relations)
        if (r.kind == RelationKind::SixClash && std::find(r.places.begin(), r.places.end(), place) != r.places.end())
            return true;
    return false;
}

void applyCombinations(Work& w) {
    const int season = branchElement(w.monthBranch);
    // 三会 and 三合: a whole meeting or frame turns its three branches into its element.
    for (RelationKind kind : {RelationKind::ThreeMeet, RelationKind::ThreeCombine}) {
        for (const Relation& r : w.relations) {
            if (r.kind != kind) continue;
            std::vector<int> which;
            for (int p : r.places)
                if (!w.branchHeld[p]) {
                    w.branchHeld[p] = true;
                    for (int i : unitsOfBranch(w, p)) which.push_back(i);
                }
            if (which.empty()) continue;
            const std::string name(analysis::relationKindName(kind));
            transform(w, which, r.element, name, labelsOf(r.places), r.chars,
                      r.chars + name + el(r.element) + "局，三支皆作" + el(r.element) + "论");
        }
    }
    // 半合 side by side, with its element showing among the stems, turns the outer branch.
    for (const Relation& r : w.relations) {
        if (r.kind != RelationKind::HalfCombine || !adjacent(r)) continue;
        if (w.branchHeld[r.places[0]] || w.branchHeld[r.places[1]]) continue;
        bool shows = false;
        for (int p = 0; p < 4; ++p) shows = shows || stemElement(w.natal[p] % 10) == r.element;
        if (!shows) continue;
        std::vector<int> which;
        for (int p : r.places) {
            w.branchHeld[p] = true;
            for (int i : unitsOfBranch(w, p)) which.push_back(i);
        }
        transform(w, which, r.element, "半合", labelsOf(r.places), r.chars,
                  r.chars + "相邻半合，" + el(r.element) + "透干，结" + el(r.element) + "局");
    }
    // 六合 transforms only side by side, with its element ruling the month, and unclashed.
    for (const Relation& r : w.relations) {
        if (r.kind != RelationKind::SixCombine || !adjacent(r) || r.element != season) continue;
        if (w.branchHeld[r.places[0]] || w.branchHeld[r.places[1]]) continue;
        if (branchClashed(w, r.places[0]) || branchClashed(w, r.places[1])) continue;
        std::vector<int> which = unitsOfBranch(w, r.places[0]);
        for (int i : unitsOfBranch(w, r.places[1])) which.push_back(i);
        w.branchHeld[r.places[0]] = w.branchHeld[r.places[1]] = true;
        transform(w, which, r.element, "六合化", labelsOf(r.places), r.chars,
                  r.chars + "相邻六合，化神" + el(r.element) + "当令，合而化" + el(r.element));
    }
    // 五合 of the year and month stems: with its element ruling the month, unclashed and
    // without a third stem contending (争合).
    for (const Relation& r : w.relations) {
        if (r.kind != RelationKind::StemCombine || r.places != std::vector<int>{0, 1} || r.element != season) continue;
        bool spoiled = false;
        for (const Relation& o : w.relations)
            if (onStems(o.kind) && &o != &r &&
                (std::find(o.places.begin(), o.places.end(), 0) != o.places.end() ||
                 std::find(o.places.begin(), o.places.end(), 1) != o.places.end()))
                spoiled = true;
        if (spoiled) continue;
        std::vector<int> which;
        for (std::size_t i = 0; i < w.units.size(); ++i)
            if (w.units[i].rank < 0 && w.units[i].place <= 1) which.push_back(static_cast<int>(i));
        transform(w, which, r.element, "五合化", "年月", r.chars,
                  r.chars + "相邻五合，化神" + el(r.element) + "当令，合而化" + el(r.element));
    }
    // 冲 side by side shakes the roots in the branch that is overcome, once however many clash
    // it; earth against earth (辰戌 丑未) opens its stores and uproots nothing.
    std::array<bool, 4> shakenAlready{};
    for (const Relation& r : w.relations) {
        if (r.kind != RelationKind::SixClash || !adjacent(r)) continue;
        const int a = r.places[0], b = r.places[1];
        if (w.branchHeld[a] || w.branchHeld[b]) continue;
        const int ea = branchElement(w.natal[a] % 12), eb = branchElement(w.natal[b] % 12);
        if (ea == 3 && eb == 3) continue;
        const int shaken = overcomes(ea) == eb ? b : a;
        if (shakenAlready[shaken]) continue;
        shakenAlready[shaken] = true;
        std::vector<int> roots;
        for (int i : unitsOfBranch(w, shaken))
            if (supports(groupOf(w.day, w.units[i].effElement))) roots.push_back(i);
        if (roots.empty()) continue;
        const int before = sumOf(w, roots);
        for (int i : roots) w.units[i].effAmount = w.units[i].effAmount * kShakenShare / 100;
        w.strength.factors.push_back({"冲", labelsOf(r.places), r.chars, sumOf(w, roots) - before,
                                      r.chars + "相冲，" + std::string(kPlaceNames[shaken]) + "支" +
                                          branchName(w.natal[shaken]) + "受克，其根动摇"});
    }
}

Verdict verdictOf(int score) {
    if (score >= kStrongFrom) return Verdict::Strong;
    if (score >= kFairlyStrongFrom) return Verdict::FairlyStrong;
    if (score > kBalancedAbove) return Verdict::Balanced;
    if (score > kFairlyWeakAbove) return Verdict::FairlyWeak;
    return Verdict::Weak;
}

// --- the pattern ---------------------------------------------------------------------------------

struct Shown {
    std::array<int, 10> gods{};  // ten gods among the year, month and hour stems
    bool any(std::initializer_list<int> which) const {
        for (int g : which)
            if (gods[g] > 0) return true;
        return false;
    }
};
enum God { Bi, Jie, Shi, Shang, Cai, Zheng, Sha, Guan, Xiao, Yin };

std::optional<Pattern> transformPattern(const Work& w) {
    std::vector<Relation> withDay;
    for (const Relation& r : w.relations)
        if (r.kind == RelationKind::StemCombine &&
            std::find(r.places.begin(), r.places.end(), 2) != r.places.end())
            withDay.push_back(r);
    if (withDay.size() != 1) return std::nullopt;  // none, or contended (争合)
    const Relation& r = withDay[0];
    const int partner = r.places[0] == 2 ? r.places[1] : r.places[0];
    if (partner != 1 && partner != 3) return std::nullopt;  // only beside the day
    for (const Relation& o : w.relations)
        if (o.kind == RelationKind::StemCombine && o.places != r.places &&
            std::find(o.places.begin(), o.places.end(), partner) != o.places.end())
            return std::nullopt;
    const int e = r.element;
    if (branchElement(w.monthBranch) != e) return std::nullopt;
    for (int p : {0, 1, 3})
        if (p != partner && stemElement(w.natal[p] % 10) == overcomerOf(e)) return std::nullopt;
    for (const Unit& u : w.units)
        if (u.rank >= 0 && u.element == w.day) return std::nullopt;
    Pattern p;
    p.name = std::string(kTransformNames[e]);
    p.kind = PatternKind::Transform;
    p.element = e;
    p.reason = "日干与" + std::string(kPlaceNames[partner]) + "干" + r.chars + "相合，化神" + el(e) +
               "当令，干无克化之神，日干无根，从化为" + el(e);
    return p;
}

std::optional<Pattern> dominantPattern(const Work& w) {
    const int d = w.day;
    if (branchElement(w.monthBranch) != d) return std::nullopt;
    int same = 0, output = 0;
    for (int p = 0; p < 4; ++p) {
        std::vector<int> elements = {branchElement(w.natal[p] % 12)};
        if (p != 2) elements.push_back(stemElement(w.natal[p] % 10));
        for (int e : elements) {
            const Group g = groupOf(d, e);
            if (g == Group::Power || g == Group::Wealth) return std::nullopt;
            if (g == Group::Peer) ++same;
            if (g == Group::Output) ++output;
        }
    }
    for (const Unit& u : w.units)
        if (u.place == 1 && groupOf(d, u.element) == Group::Power) return std::nullopt;
    if (same < 4 || output > 1) return std::nullopt;
    Pattern p;
    p.name = std::string(kDominantNames[d]);
    p.kind = PatternKind::Dominant;
    p.element = d;
    p.reason = "日主" + el(d) + "当令，七字中同类" + std::to_string(same) + "见，不见官杀与财，一气专旺";
    return p;
}

std::optional<Pattern> followPattern(const Work& w) {
    const int d = w.day;
    for (const Unit& u : w.units)
        if (!(u.rank < 0 && u.place == 2) && supports(groupOf(d, u.element)))
            return std::nullopt;  // a root, a helping stem: no following
    std::array<int, 5> byGroup{};
    for (int e = 0; e < 5; ++e) byGroup[static_cast<int>(groupOf(d, e))] += w.strength.elementWeight[e];
    const int opposing = byGroup[1] + byGroup[2] + byGroup[3];
    Group top = Group::Output;
    for (Group g : {Group::Wealth, Group::Power})
        if (byGroup[static_cast<int>(g)] > byGroup[static_cast<int>(top)]) top = g;
    const bool ruling = groupOf(d, branchElement(w.monthBranch)) == top;
    Pattern p;
    p.kind = PatternKind::Follow;
    if (ruling && byGroup[static_cast<int>(top)] * 2 >= opposing) {
        p.name = top == Group::Output ? "从儿格" : top == Group::Wealth ? "从财格" : "从杀格";
        p.element = elementOf(d, top);
        p.reason = "日主" + el(d) + "无根无印，月令" + std::string(kGroupNames[static_cast<int>(top)]) + "当权，势成一方，弃命相从";
    } else {
        p.name = "从势格";
        p.element = elementOf(d, Group::Wealth);
        p.reason = "日主" + el(d) + "无根无印，食伤财官杀并见而无一独旺，从其势，以财通之";
    }
    return p;
}

const char* const kPatternByGod[10] = {"", "", "食神格", "伤官格", "偏财格", "正财格", "七杀格", "正官格", "偏印格", "正印格"};

Pattern regularPattern(const Work& w, Verdict verdict) {
    Shown shown;
    for (int p : {0, 1, 3}) shown.gods[tenGodIndex(w.dayStem, w.natal[p] % 10)] += 1;
    Pattern p;
    const std::string month = branchName(w.monthBranch);
    const bool yang = w.dayStem % 2 == 1;
    int god = -1;
    if (lifeStageIndex(w.dayStem, w.monthBranch) == 3) {
        p.name = "建禄格";
        p.reason = "月令" + month + "为日主之禄";
    } else if (yang && lifeStageIndex(w.dayStem, w.monthBranch) == 4) {
        p.name = "月刃格";
        p.reason = "月令" + month + "为日主之刃";
    } else {
        const std::string_view hidden = kHiddenByRank[w.monthBranch];
        int chosen = -1;
        for (std::size_t r = 0; r < hidden.size() && chosen < 0; ++r)
            for (int q : {0, 1, 3})
                if (w.natal[q] % 10 == hidden[r] - '0' && tenGodIndex(w.dayStem, hidden[r] - '0') >= Shi) chosen = static_cast<int>(r);
        const bool shows = chosen >= 0;
        if (!shows) chosen = 0;
        const int stem = hidden[chosen] - '0';
        god = tenGodIndex(w.dayStem, stem);
        if (god <= Jie) {
            p.name = "月劫格";
            p.reason = "月令" + month + "本气" + stemName(stem) + "为比劫，不透财官，以月劫论";
        } else {
            p.name = kPatternByGod[god];
            p.reason = "月令" + month + std::string(kRankNames[chosen]) + stemName(stem) + "为" +
                       std::string(kTenGodShort[god]) + (shows ? "，透出天干" : "，不透，取本气");
        }
    }
    auto fail = [&](const std::string& why) {
        p.broken = true;
        p.reason += "；破格：" + why;
    };
    auto hold = [&](const std::string& why) { p.reason += "；成格：" + why; };
    const bool monthClashed = [&] {
        for (const Relation& r : w.relations)
            if (r.kind == RelationKind::SixClash && adjacent(r) &&
                std::find(r.places.begin(), r.places.end(), 1) != r.places.end())
                return true;
        return false;
    }();
    if (p.name == "建禄格" || p.name == "月刃格" || p.name == "月劫格") {
        if (shown.any({Guan, Sha})) hold("透出官杀，" + std::string(p.name == "月刃格" ? "刃得制伏" : "禄劫用官"));
        else if (p.name != "月刃格" && shown.any({Cai, Zheng})) hold("透财可用");
        else fail("不见财官，无可取用");
    } else if (god == Guan) {
        if (shown.any({Shang})) fail("伤官见官");
        else if (shown.any({Sha})) fail("官杀混杂");
        else if (monthClashed) fail("官星逢冲");
        else hold(shown.any({Cai, Zheng, Xiao, Yin}) ? "官逢财印" : "官星清纯");
    } else if (god == Sha) {
        if (shown.any({Shi})) hold("食神制杀");
        else if (shown.any({Xiao, Yin})) hold("杀印相生");
        else if (shown.any({Cai, Zheng})) fail("财党杀，无制无化");
        else fail("七杀无制");
    } else if (god == Cai || god == Zheng) {
        if (shown.any({Bi, Jie}) && !shown.any({Guan, Sha, Shi, Shang})) fail("比劫夺财");
        else if (shown.any({Guan, Sha})) hold("财旺生官");
        else if (shown.any({Shi, Shang})) hold("食伤生财");
        else if (verdict == Verdict::Weak) fail("财多身弱");
        else hold("身能任财");
    } else if (god == Xiao || god == Yin) {
        if (shown.any({Cai, Zheng}) && !shown.any({Bi, Jie})) fail("贪财坏印");
        else hold(shown.any({Guan, Sha}) ? "官杀生印" : "印绶清纯");
    } else if (god == Shi) {
        if (shown.any({Xiao}) && !shown.any({Cai, Zheng})) fail("枭神夺食");
        else hold(shown.any({Cai, Zheng}) ? "食神生财" : shown.any({Sha}) ? "食神制杀" : "食神清纯");
    } else if (god == Shang) {
        if (shown.any({Guan}) && !shown.any({Yin, Xiao})) fail("伤官见官");
        else hold(shown.any({Cai, Zheng}) ? "伤官生财" : shown.any({Yin, Xiao}) ? "伤官佩印" : "伤官清纯");
    }
    return p;
}

// --- the useful element ----------------------------------------------------------------------

// 喜 is the element producing 用, unless `childHelps`: then the one 用 produces.
void companions(Useful& u, int yong, bool childHelps) {
    u.yong = yong;
    u.xi = childHelps ? produces(yong) : producedBy(yong);
    u.ji = overcomerOf(yong);
    u.chou = producedBy(u.ji);
    for (int e = 0; e < 5; ++e)
        if (e != u.yong && e != u.xi && e != u.ji && e != u.chou) u.xian = e;
}

std::optional<Tiaohou> tiaohouOf(int dayStem, int monthBranch) {
    const std::size_t col = kTiaohouMonths.find(kBranches[monthBranch]);
    if (col == std::string_view::npos) return std::nullopt;
    const std::size_t row = kTiaohouStems.find(kStems[dayStem]) / kStems[dayStem].size();
    const std::string_view stems = kTiaohou[row][col / kBranches[monthBranch].size()];
    Tiaohou t;
    std::string names;
    for (std::size_t at = 0; at < stems.size(); at += 3) {
        const int s = stemOfChar(stems, at);
        t.stems.push_back(s);
        names += kStems[s];
        if (std::find(t.elements.begin(), t.elements.end(), stemElement(s)) == t.elements.end())
            t.elements.push_back(stemElement(s));
    }
    const bool hot = col / 3 < 3;
    t.reason = stemName(dayStem) + "生" + branchName(monthBranch) + "月，" + (hot ? "夏令炎热" : "冬令寒冻") +
               "，调候取" + names + "（穷通宝鉴）";
    return t;
}

Useful usefulOf(const Work& w, const Pattern& pattern, const std::optional<Tiaohou>& tiaohou, const Options& o) {
    Useful u;
    const int d = w.day;
    const auto& ew = w.strength.elementWeight;
    if (pattern.kind != PatternKind::Regular) {
        companions(u, pattern.element, false);
        u.method = std::string(patternKindName(pattern.kind));
        u.reason = pattern.name + "，顺其势，以所从之" + el(pattern.element) + "为用";
        return u;
    }
    auto weight = [&](Group g) { return ew[elementOf(d, g)]; };
    const int score = w.strength.score;
    const std::string verdict(verdictName(w.strength.verdict));
    Group yong;
    bool childHelps = false;
    std::string why;
    if (score >= 0) {
        if (weight(Group::Resource) > weight(Group::Peer)) {
            yong = Group::Wealth;
            why = "印重，取财损印";
        } else if (weight(Group::Power) > 0) {
            yong = Group::Power;
            why = "比劫重，取官杀制之";
        } else {
            yong = Group::Output;
            childHelps = true;
            why = "比劫重而无官杀，取食伤泄秀";
        }
    } else {
        const Group heaviest = weight(Group::Wealth) > std::max(weight(Group::Power), weight(Group::Output)) ? Group::Wealth
                               : weight(Group::Power) >= weight(Group::Output)                               ? Group::Power
                                                                                                             : Group::Output;
        if (heaviest == Group::Wealth) {
            yong = Group::Peer;
            why = "财重身轻，取比劫分财";
        } else {
            yong = Group::Resource;
            childHelps = true;
            why = heaviest == Group::Power ? "官杀重，取印化杀生身" : "食伤重，取印制伤生身";
        }
    }
    companions(u, elementOf(d, yong), childHelps);
    u.method = "扶抑";
    u.reason = "日主" + verdict + "，" + why;
    int total = 0;
    for (int x : ew) total += x;
    // 通关: two forces, one overcoming the other, each holding much of the chart.
    if (score > kFairlyWeakAbove && score < kStrongFrom && total > 0) {
        for (int a = 0; a < 5; ++a) {
            const int b = overcomes(a);
            if (ew[a] * 100 >= 35 * total && ew[b] * 100 >= 35 * total) {
                companions(u, produces(a), false);
                u.method = "通关";
                u.reason = el(a) + "与" + el(b) + "两强相战，取" + el(produces(a)) + "通关";
            }
        }
    }
    // 病药: the element the useful one overcomes fills the chart.
    if (u.method == "扶抑" && total > 0 && ew[overcomes(u.yong)] * 100 >= 55 * total) {
        u.method = "病药";
        u.reason += "；" + el(overcomes(u.yong)) + "过旺为病，" + el(u.yong) + "制之为药";
    }
    if (tiaohou) {
        const int first = tiaohou->elements.front();
        const bool hot = branchElement(w.monthBranch) == 2 || w.monthBranch == 8;  // 巳午 or 未
        const int excess = hot ? 2 : 0;
        const bool opposed = u.yong == excess;
        if (o.tiaohou == TiaohouRule::Always || (o.tiaohou == TiaohouRule::WhenOpposed && opposed)) {
            if (first != u.yong) {
                const std::string was = u.method + "取" + el(u.yong);
                companions(u, first, false);
                u.method = "调候";
                u.reason = tiaohou->reason + "；" + was + "，" + (opposed ? "与时令相悖，" : "") + "以调候为先";
            }
        } else if (std::find(tiaohou->elements.begin(), tiaohou->elements.end(), u.yong) != tiaohou->elements.end()) {
            u.reason += "；与调候所取相合";
        }
    }
    return u;
}

}  // namespace

std::string_view verdictName(Verdict v) {
    static constexpr std::string_view names[] = {"身强", "偏强", "中和", "偏弱", "身弱"};
    return names[static_cast<int>(v)];
}

std::string_view patternKindName(PatternKind k) {
    static constexpr std::string_view names[] = {"正格", "从格", "专旺", "化气"};
    return names[static_cast<int>(k)];
}

std::string_view roleName(Role r) {
    static constexpr std::string_view names[] = {"用", "喜", "忌", "仇", "闲"};
    return names[static_cast<int>(r)];
}

Role Useful::roleOf(int element) const {
    if (element == yong) return Role::Yong;
    if (element == xi) return Role::Xi;
    if (element == ji) return Role::Ji;
    if (element == chou) return Role::Chou;
    return Role::Xian;
}

Judgement judge(const std::array<int, 4>& natal, const Options& options) {
    Work w;
    for (int i = 0; i < 4; ++i) w.natal[i] = cycleMod(natal[i], 60);
    w.dayStem = w.natal[2] % 10;
    w.day = stemElement(w.dayStem);
    w.monthBranch = w.natal[1] % 12;
    std::vector<analysis::PillarSlot> slots;
    for (int i = 0; i < 4; ++i) slots.push_back({std::string(kPlaceNames[i]), w.natal[i]});
    w.relations = analysis::findRelations(slots);
    weighUnits(w);
    applyCombinations(w);
    // The score from the units as they finally stand; the factors must add up to it.
    int score = 0;
    for (const Unit& u : w.units) {
        score += contribution(u, w.day);
        w.strength.elementWeight[u.effElement] += u.effAmount;
    }
    w.strength.score = score;
    w.strength.verdict = verdictOf(score);

    Judgement j;
    j.natal = w.natal;
    j.dayStem = w.dayStem;
    j.dayElement = w.day;
    std::optional<Pattern> special = transformPattern(w);
    if (!special) special = dominantPattern(w);
    if (!special) special = followPattern(w);
    j.pattern = special ? *special : regularPattern(w, w.strength.verdict);
    j.tiaohou = tiaohouOf(w.dayStem, w.monthBranch);
    j.useful = usefulOf(w, j.pattern, j.tiaohou, options);
    j.strength = std::move(w.strength);
    return j;
}

// --- luck pillars and years --------------------------------------------------------------------

namespace {

void meetings(const Judgement& j, const std::vector<analysis::PillarSlot>& slots, int at, std::vector<std::string>& notes) {
    const int pillar = slots[at].pillar;
    const std::string& label = slots[at].label;
    const std::vector<Relation> relations = analysis::findRelations(slots);
    auto related = [&](RelationKind kind, int natal) {
        for (const Relation& r : relations)
            if (r.kind == kind && r.places.size() == 2 && r.places[0] == natal && r.places[1] == at) return true;
        return false;
    };
    for (int p = 0; p < 4; ++p) {
        const std::string name = std::string(kPlaceNames[p]) + "柱";
        if (j.natal[p] == pillar) notes.push_back("伏吟" + name);
        if (!related(RelationKind::SixClash, p)) continue;
        const int a = stemElement(pillar % 10), b = stemElement(j.natal[p] % 10);
        if (related(RelationKind::StemClash, p)) notes.push_back("反吟" + name);
        else if (overcomes(a) == b || overcomes(b) == a) notes.push_back("天克地冲" + name);
    }
    for (int p = 0; p < 4; ++p) {
        bool root = false;
        for (char c : kHiddenByRank[j.natal[p] % 12]) root = root || stemElement(c - '0') == j.useful.yong;
        if (!root) continue;
        const std::string where = std::string(kPlaceNames[p]) + "支" + branchName(j.natal[p]);
        if (related(RelationKind::SixClash, p)) notes.push_back(label + "冲用神之根（" + where + "）");
        if (related(RelationKind::SixCombine, p)) notes.push_back(label + "合用神之根（" + where + "）");
    }
}

PillarReading readingOf(const Judgement& j, int pillar) {
    PillarReading r;
    r.pillar = cycleMod(pillar, 60);
    r.stem = j.useful.roleOf(stemElement(r.pillar % 10));
    r.branch = j.useful.roleOf(branchElement(r.pillar % 12));
    return r;
}

std::vector<analysis::PillarSlot> natalSlots(const Judgement& j) {
    std::vector<analysis::PillarSlot> slots;
    for (int i = 0; i < 4; ++i) slots.push_back({std::string(kPlaceNames[i]), j.natal[i]});
    return slots;
}

}  // namespace

PillarReading readLuck(const Judgement& j, int luckPillar) {
    PillarReading r = readingOf(j, luckPillar);
    std::vector<analysis::PillarSlot> slots = natalSlots(j);
    slots.push_back({"运", r.pillar});
    meetings(j, slots, 4, r.notes);
    return r;
}

PillarReading readYear(const Judgement& j, int year, int luckPillar) {
    PillarReading r = readingOf(j, analysis::yearPillarOf(year));
    r.year = year;
    std::vector<analysis::PillarSlot> slots = natalSlots(j);
    if (luckPillar >= 0) slots.push_back({"运", cycleMod(luckPillar, 60)});
    slots.push_back({"岁", r.pillar});
    const int at = static_cast<int>(slots.size()) - 1;
    meetings(j, slots, at, r.notes);
    if (luckPillar >= 0) {
        if (cycleMod(luckPillar, 60) == r.pillar) r.notes.insert(r.notes.begin(), "岁运并临");
        for (const Relation& rel : analysis::findRelations(slots))
            if (rel.kind == RelationKind::SixClash && rel.places == std::vector<int>{4, 5}) r.notes.push_back("运岁相冲");
    }
    return r;
}

ChartJudgement judgeChart(const Chart& chart, int chosenLuck, int firstYear, const Options& options) {
    ChartJudgement c;
    c.judgement = judge({chart.pillars[0], chart.pillars[1], chart.pillars[2], chart.pillars[3]}, options);
    c.chosenLuck = std::clamp(chosenLuck, 0, 7);
    for (int p : chart.luck.pillars) c.luck.push_back(readLuck(c.judgement, p));
    for (int y = 0; y < 10; ++y)
        c.years.push_back(
            readYear(c.judgement, astronomicalYear(displayYear(firstYear) + y), chart.luck.pillars[c.chosenLuck]));
    return c;
}

std::string judgementReportSection(const Chart& chart) {
    const Judgement j = judge({chart.pillars[0], chart.pillars[1], chart.pillars[2], chart.pillars[3]});
    std::vector<PillarReading> luck;
    for (int p : chart.luck.pillars) luck.push_back(readLuck(j, p));
    return "※命局判断：\r\n" + judgementText(j, luck, {}, "\r\n") + "\r\n";
}

// --- text ------------------------------------------------------------------------------------------

std::string scoreText(int h) {
    char buf[32];
    const int a = h < 0 ? -h : h;
    std::snprintf(buf, sizeof buf, "%s%d.%02d", h < 0 ? "-" : h > 0 ? "+" : "", a / 100, a % 100);
    return buf;
}

std::string summaryLine(const Judgement& j) {
    return std::string(verdictName(j.strength.verdict)) + " · " + j.pattern.name + " · 用神 " + el(j.useful.yong) +
           " · 喜 " + el(j.useful.xi) + " · 忌 " + el(j.useful.ji);
}

std::string judgementText(const Judgement& j, const std::vector<PillarReading>& luck,
                          const std::vector<PillarReading>& years, std::string_view eol) {
    std::string t;
    const std::string e(eol);
    t += "日主：" + stemName(j.dayStem) + el(j.dayElement) + "  " + std::string(verdictName(j.strength.verdict)) + "（得分 " +
         scoreText(j.strength.score) + "）" + e;
    for (const Factor& f : j.strength.factors) {
        if (f.weight == 0) continue;
        t += "  " + f.factor + " " + f.pillar + " " + f.chars + " " + scoreText(f.weight) + "  " + f.reason + e;
    }
    t += "格局：" + j.pattern.name + "（" + std::string(patternKindName(j.pattern.kind)) +
         (j.pattern.kind == PatternKind::Regular ? (j.pattern.broken ? "，破格" : "，成格") : "") + "）  " + j.pattern.reason + e;
    t += "用神：" + el(j.useful.yong) + "  喜 " + el(j.useful.xi) + "  忌 " + el(j.useful.ji) + "  仇 " + el(j.useful.chou) +
         "  闲 " + el(j.useful.xian) + "（" + j.useful.method + "）  " + j.useful.reason + e;
    if (j.tiaohou) {
        t += "调候：";
        for (int s : j.tiaohou->stems) t += stemName(s);
        t += "  " + j.tiaohou->reason + e;
    }
    auto reading = [&](const PillarReading& r) {
        std::string s = pillarName(r.pillar) + " 干" + std::string(roleName(r.stem)) + " 支" + std::string(roleName(r.branch));
        for (const std::string& n : r.notes) s += " " + n;
        return s;
    };
    if (!luck.empty()) {
        t += "大运：";
        for (std::size_t i = 0; i < luck.size(); ++i) t += (i ? "；" : "") + reading(luck[i]);
        t += e;
    }
    if (!years.empty()) {
        t += "流年：";
        for (std::size_t i = 0; i < years.size(); ++i)
            t += (i ? "；" : "") + std::to_string(displayYear(years[i].year)) + reading(years[i]);
        t += e;
    }
    t += std::string(kTraditionalNote) + e;
    return t;
}

}  // namespace hj::judgement
