#include "core/card/chart_card.h"

#include "core/analysis/chart_analysis.h"
#include "core/calendar/datetime.h"
#include "core/chart/chart.h"
#include "core/chart/derived.h"
#include "core/judgement/judgement.h"
#include "core/report/chart_sections.h"
#include "core/traditional/conversion.h"
#include "core/uncertainty/boundaries.h"
#include "core/zones/birth_zone.h"

namespace hj::card {
namespace {

std::string str(std::string_view v) { return std::string(v); }

std::string godOf(int day, int stem) { return str(kTenGodShort[tenGodIndex(day, stem)]); }

std::vector<std::string> words(const std::string& s) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < s.size()) {
        std::size_t end = s.find(' ', pos);
        if (end == std::string::npos) end = s.size();
        if (end > pos) out.push_back(s.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

std::string conventionsText(const ChartSettings& s, bool abroad) {
    std::string t;
    for (const Convention& c : chartConventions(s, abroad)) {
        if (c.key == "pai") continue;  // how the report lines up its pillars: not the card's concern
        if (!t.empty()) t += "  ";
        t += c.label + "：" + c.value;
    }
    return t;
}

// Every text of the card in Traditional characters in one conversion: the texts joined by line
// feeds (none holds one) and split again.
void convertCard(ChartCard& card, const std::vector<std::string>& keep) {
    std::vector<std::string*> all;
    CardHeader& h = card.header;
    for (std::string* s : {&h.sex, &h.lunar, &h.animal, &h.lifePalace, &h.conception, &h.luckStart, &h.conventions})
        all.push_back(s);
    for (std::string& s : h.times) all.push_back(&s);
    for (PillarDetail& p : card.pillars) {
        for (std::string* s : {&p.pillar, &p.stem, &p.branch, &p.stemGod, &p.nayin, &p.stage}) all.push_back(s);
        for (HiddenStem& hs : p.hidden) {
            all.push_back(&hs.stem);
            all.push_back(&hs.god);
        }
        for (std::string& s : p.stars) all.push_back(&s);
    }
    for (CardRelation& r : card.relations) {
        all.push_back(&r.kind);
        all.push_back(&r.chars);
    }
    for (std::string& s : card.elementNames) all.push_back(&s);
    all.push_back(&card.judgement);
    for (LuckStep& l : card.luck) {
        all.push_back(&l.pillar);
        all.push_back(&l.god);
    }
    for (YearCell& y : card.years) {
        all.push_back(&y.pillar);
        all.push_back(&y.god);
    }
    std::string joined;
    for (const std::string* s : all) {
        joined += *s;
        joined += '\n';
    }
    const std::string converted = traditional::toTraditional(joined, keep);
    std::size_t pos = 0, k = 0;
    while (k < all.size() && pos < converted.size()) {
        std::size_t end = converted.find('\n', pos);
        if (end == std::string::npos) end = converted.size();
        *all[k++] = converted.substr(pos, end - pos);
        pos = end + 1;
    }
}

}  // namespace

int luckStartYear(const Chart& chart, int i) {
    return astronomicalYear(displayYear(chart.birthLocal.year) + chart.luck.startAge - 1 + 10 * i);
}

int luckRunningIn(const Chart& chart, int year) {
    for (int i = 7; i >= 0; --i) {
        const int start = luckStartYear(chart, i);
        if (year >= start) return year - start < 10 ? i : -1;
    }
    return -1;
}

ChartCard buildChartCard(const Chart& c, const CardChoice& choice) {
    ChartCard card;
    const int day = c.pillars[2];
    CardHeader& h = card.header;
    h.name = c.request.name;
    h.sex = c.request.male ? "乾造" : "坤造";
    h.times = birthTimeLines(c);
    h.lunar = lunarDateText(c.birthLunar, c.birthLunarLeap);
    if (h.lunar.size() >= 3 && h.lunar.compare(h.lunar.size() - 3, 3, "。") == 0) h.lunar.resize(h.lunar.size() - 3);
    h.place = c.request.place;
    h.animal = "属" + str(kAnimals[cycleMod(c.pillars[0], 12)]);
    h.lifePalace = "命宫 " + pillarName(c.lifePalace);
    h.conception = "胎元 " + pillarName(c.conceptionPillar);
    h.luckStart = "起运 " + luckStartText(c.luck);
    h.conventions = conventionsText(c.settings, c.birthZone.abroad);

    static constexpr std::string_view kLabels[4] = {"年", "月", "日", "时"};
    const std::array<int, 2> voids = voidBranches(day);
    for (int i = 0; i < 4; ++i) {
        const int p = cycleMod(c.pillars[i], 60);
        PillarDetail& d = card.pillars[i];
        d.pillar = str(kLabels[i]);
        d.stem = str(kStems[p % 10]);
        d.branch = str(kBranches[p % 12]);
        d.stemElement = stemElement(p % 10);
        d.branchElement = branchElement(p % 12);
        d.stemGod = i == 2 ? (c.request.male ? "元男" : "元女") : godOf(day, p);
        for (char digit : kHiddenStems[p % 12]) {
            const int s = digit - '0';
            d.hidden.push_back({str(kStems[s]), godOf(day, s), stemElement(s)});
        }
        d.nayin = str(nayinName(p, c.settings.nayin == 1));
        d.stage = str(kLifeStages[lifeStageIndex(day % 10, p % 12)]);
        d.isVoid = p % 12 == voids[0] || p % 12 == voids[1];
        d.stars = words(c.stars[i]);
    }

    std::vector<analysis::PillarSlot> slots;
    for (int i = 0; i < 4; ++i) slots.push_back({str(kLabels[i]), c.pillars[i]});
    for (const analysis::Relation& r : analysis::findRelations(slots)) {
        const bool stems = r.kind == analysis::RelationKind::StemCombine || r.kind == analysis::RelationKind::StemClash;
        card.relations.push_back({str(analysis::relationKindName(r.kind)), r.chars, r.places, stems,
                                  analysis::isFavourable(r.kind), r.element});
    }
    const analysis::ElementBalance balance = analysis::elementBalance({c.pillars[0], c.pillars[1], c.pillars[2], c.pillars[3]});
    for (int e = 0; e < 5; ++e) {
        card.visible[e] = balance.visible[e];
        card.hidden[e] = static_cast<int>(balance.hiddenStems[e].size());
        card.elementNames[e] = str(kElementNames[e]);
    }

    // The chart judged: its line, and each luck pillar and year tinted by what it brings.
    const judgement::Judgement judged = judgement::judge({c.pillars[0], c.pillars[1], c.pillars[2], c.pillars[3]});
    card.judgement = judgement::summaryLine(judged);
    const auto tint = [](const judgement::PillarReading& r) {
        const auto weigh = [](judgement::Role x) {
            return x == judgement::Role::Yong || x == judgement::Role::Xi ? 1 : x == judgement::Role::Ji || x == judgement::Role::Chou ? -1 : 0;
        };
        const int w = weigh(r.stem) + weigh(r.branch);
        return w > 0 ? 1 : w < 0 ? -1 : 0;
    };

    const int running = luckRunningIn(c, choice.year);
    if (choice.luck >= 1 && choice.luck <= 8) card.chosenLuck = choice.luck - 1;
    else if (running >= 0) card.chosenLuck = running;
    else card.chosenLuck = choice.year < luckStartYear(c, 0) ? 0 : 7;
    for (int i = 0; i < 8; ++i) {
        const int p = c.luck.pillars[i];
        LuckStep& l = card.luck[i];
        l.pillar = pillarName(p);
        l.god = godOf(day, p);
        l.stemElement = stemElement(p % 10);
        l.branchElement = branchElement(p % 12);
        l.startAge = c.luck.startAge + 10 * i;
        l.startYear = luckStartYear(c, i);
        l.current = i == running;
        l.chosen = i == card.chosenLuck;
        l.tint = tint(judgement::readLuck(judged, p));
    }
    const int first = card.luck[card.chosenLuck].startYear;
    for (int k = 0; k < 10; ++k) {
        YearCell& y = card.years[k];
        y.year = astronomicalYear(displayYear(first) + k);
        const int p = analysis::yearPillarOf(y.year);
        y.pillar = pillarName(p);
        y.god = godOf(day, p);
        y.stemElement = stemElement(p % 10);
        y.branchElement = branchElement(p % 12);
        y.age = card.luck[card.chosenLuck].startAge + k;
        y.current = choice.markYear && y.year == choice.year;
        y.tint = tint(judgement::readYear(judged, y.year, c.luck.pillars[card.chosenLuck]));
    }
    card.traditional = choice.traditional;
    if (choice.traditional) convertCard(card, {c.request.name, c.request.place});
    return card;
}

}  // namespace hj::card
