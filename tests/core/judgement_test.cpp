// The judgement of a chart: worked examples from the books, the typed tables against the
// rules they come from, and properties over random charts.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "core/calendar/datetime.h"
#include "core/chart/derived.h"
#include "core/judgement/judgement.h"
#include "core/judgement/tables.h"

using namespace hj;
using namespace hj::judgement;

namespace {

int cycleOf(int stem, int branch) {
    for (int c = 0; c < 60; ++c)
        if (c % 10 == stem && c % 12 == branch) return c;
    return -1;
}

int indexIn(const std::string_view* table, int n, std::string_view s) {
    for (int i = 0; i < n; ++i)
        if (table[i] == s) return i;
    return -1;
}

// "己亥" → its cycle index, -1 when not a pillar.
int pillarOf(std::string_view s) {
    if (s.size() != 6) return -1;
    const int st = indexIn(kStems, 10, s.substr(0, 3)), br = indexIn(kBranches, 12, s.substr(3, 3));
    return st < 0 || br < 0 ? -1 : cycleOf(st, br);
}

std::string elementName(int e) { return std::string(kElementNames[e]); }

bool hasFactor(const Judgement& j, std::string_view name) {
    for (const Factor& f : j.strength.factors)
        if (f.factor == name) return true;
    return false;
}

std::array<int, 4> randomChart(std::mt19937& rng) {
    std::uniform_int_distribution<int> any(0, 59);
    return {any(rng), any(rng), any(rng), any(rng)};
}

}  // namespace

TEST(Judgement, WorkedExamplesFromTheBooks) {
    std::ifstream in(std::string(HJ_SOURCE_DIR) + "/tests/core/fixtures/judgement_examples.txt");
    ASSERT_TRUE(in) << "fixture missing";
    std::string line;
    int charts = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t bar1 = line.find(" | "), bar2 = line.find(" | ", bar1 + 3);
        ASSERT_NE(bar2, std::string::npos) << line;
        std::istringstream pillars(line.substr(0, bar1)), checks(line.substr(bar1 + 3, bar2 - bar1 - 3));
        std::array<int, 4> natal{};
        for (int& p : natal) {
            std::string s;
            pillars >> s;
            p = pillarOf(s);
            ASSERT_GE(p, 0) << "not a pillar: " << s << " in " << line;
        }
        ASSERT_NE(line.find("穷通宝鉴"), std::string::npos) << "no source named: " << line;
        const Judgement j = judge(natal);
        const std::string shown = line.substr(0, bar1) + " → " + summaryLine(j) + " (" + j.pattern.reason + ")";
        std::string check;
        while (checks >> check) {
            const std::size_t eq = check.find('=');
            ASSERT_NE(eq, std::string::npos) << check;
            const std::string key = check.substr(0, eq), want = check.substr(eq + 1);
            const Verdict v = j.strength.verdict;
            if (key == "pattern") {
                EXPECT_EQ(j.pattern.name, want) << shown;
            } else if (key == "broken") {
                EXPECT_EQ(j.pattern.broken, want == "1") << shown;
            } else if (key == "kind") {
                EXPECT_EQ(patternKindName(j.pattern.kind), want) << shown;
            } else if (key == "weak") {
                EXPECT_TRUE(v == Verdict::Weak || v == Verdict::FairlyWeak) << shown;
            } else if (key == "strong") {
                EXPECT_TRUE(v == Verdict::Strong || v == Verdict::FairlyStrong) << shown;
            } else if (key == "yong") {
                EXPECT_EQ(elementName(j.useful.yong), want) << shown << " " << j.useful.reason;
            } else if (key == "yongxi") {
                const std::string both = elementName(j.useful.yong) + elementName(j.useful.xi);
                EXPECT_TRUE(both == want || both == want.substr(3) + want.substr(0, 3)) << shown;
            } else if (key == "yongin") {
                EXPECT_NE(want.find(elementName(j.useful.yong)), std::string::npos) << shown;
            } else if (key == "xi") {
                EXPECT_EQ(elementName(j.useful.xi), want) << shown;
            } else if (key == "factor") {
                EXPECT_TRUE(hasFactor(j, want)) << shown << " lacks " << want;
            } else if (key == "nofactor") {
                EXPECT_FALSE(hasFactor(j, want)) << shown << " has " << want;
            } else {
                ADD_FAILURE() << "unknown check " << key << " in " << line;
            }
        }
        ++charts;
    }
    EXPECT_GE(charts, 10);
}

// The hidden stems by rank are the chart's own hidden stems, the 本气 of the branch's element.
TEST(JudgementTables, HiddenStemsByRankAreTheChartsOwn) {
    for (int b = 0; b < 12; ++b) {
        std::multiset<char> ranked(kHiddenByRank[b].begin(), kHiddenByRank[b].end());
        std::multiset<char> chart(kHiddenStems[b].begin(), kHiddenStems[b].end());
        EXPECT_EQ(ranked, chart) << kBranches[b];
        EXPECT_EQ(stemElement(kHiddenByRank[b][0] - '0'), branchElement(b)) << kBranches[b] << ": 本气 not first";
    }
}

// Each season's states follow the rule "当令者旺，令生者相，生令者休，克令者囚，令克者死".
TEST(JudgementTables, SeasonStatesFollowTheRule) {
    const std::string_view elements = "水木火土金";  // codes 0..4
    std::set<std::string_view> seen;
    for (const Season& s : kSeasons) {
        ASSERT_EQ(s.states.size(), 30u) << s.name;
        const int ruler = static_cast<int>(elements.find(s.states.substr(0, 3)) / 3);
        for (std::size_t at = 0; at < 30; at += 6) {
            const int e = static_cast<int>(elements.find(s.states.substr(at, 3)) / 3);
            const std::string_view state = s.states.substr(at + 3, 3);
            const char* want = e == ruler                 ? "旺"
                               : e == (ruler + 1) % 5     ? "相"
                               : (e + 1) % 5 == ruler     ? "休"
                               : (e + 2) % 5 == ruler     ? "囚"
                                                          : "死";
            EXPECT_EQ(state, want) << s.name << " " << s.states.substr(at, 3);
        }
        for (std::size_t at = 0; at < s.branches.size(); at += 3) seen.insert(s.branches.substr(at, 3));
        // the ruling element is the element of the season's branches
        for (std::size_t at = 0; at < s.branches.size(); at += 3)
            EXPECT_EQ(branchElement(indexIn(kBranches, 12, s.branches.substr(at, 3))), ruler) << s.name;
    }
    EXPECT_EQ(seen.size(), 12u);
}

TEST(JudgementTables, SeasonalRemedyEntriesAreStems) {
    for (int row = 0; row < 10; ++row)
        for (int col = 0; col < 6; ++col) {
            const std::string_view e = kTiaohou[row][col];
            ASSERT_FALSE(e.empty());
            ASSERT_EQ(e.size() % 3, 0u);
            for (std::size_t at = 0; at < e.size(); at += 3)
                EXPECT_GE(indexIn(kStems, 10, e.substr(at, 3)), 0) << row << "," << col << ": " << e;
        }
}

// The seasonal remedy is given for the hot and cold months only, as the table's stems.
TEST(Judgement, SeasonalRemedyOnlyInHotAndColdMonths) {
    struct Case {
        const char* pillars[4];
        const char* stems;  // "" none
    };
    const Case cases[] = {
        {{"甲子", "丙子", "甲子", "甲子"}, "丁庚丙"},  // 十一月甲木
        {{"甲子", "己巳", "甲子", "甲子"}, "癸丁"},    // 四月甲木
        {{"甲子", "丁丑", "癸亥", "甲子"}, "丙"},      // 十二月癸水
        {{"甲子", "乙亥", "己巳", "甲子"}, "丙甲戊"},  // 三冬己土: 戊 only against 初冬's 壬
        {{"甲子", "丙子", "己巳", "甲子"}, "丙甲"},    // 三冬己土: "戊土癸水不用"
        {{"甲子", "丙寅", "甲子", "甲子"}, ""},        // 正月: none
        {{"甲子", "甲戌", "庚子", "甲子"}, ""},        // 九月: none
    };
    for (const Case& c : cases) {
        std::array<int, 4> natal{};
        for (int i = 0; i < 4; ++i) natal[i] = pillarOf(c.pillars[i]);
        const Judgement j = judge(natal);
        std::string got;
        if (j.tiaohou)
            for (int s : j.tiaohou->stems) got += kStems[s];
        EXPECT_EQ(got, c.stems) << c.pillars[1] << " " << c.pillars[2];
    }
}

// The rule for the seasonal remedy changes the method only where it says it does.
TEST(Judgement, SeasonalRemedyRule) {
    // 戊 in 子 month, strong with much 印 (寅午 半合 with 丙 showing): 扶抑 would take 水, the
    // element winter has too much of.
    const std::array<int, 4> natal = {pillarOf("癸亥"), pillarOf("甲子"), pillarOf("戊寅"), pillarOf("丙午")};
    Options never{TiaohouRule::Never}, opposed{TiaohouRule::WhenOpposed}, always{TiaohouRule::Always};
    const Judgement a = judge(natal, never), b = judge(natal, opposed), c = judge(natal, always);
    EXPECT_EQ(elementName(a.useful.yong), "水");
    EXPECT_EQ(a.useful.method, "扶抑");
    EXPECT_EQ(b.useful.method, "调候");
    EXPECT_EQ(elementName(b.useful.yong), "火");
    EXPECT_EQ(c.useful.method, "调候");
    EXPECT_EQ(a.strength.score, b.strength.score);  // the strength does not depend on it
}

TEST(JudgementProperties, FactorsAddUpToTheScore) {
    std::mt19937 rng(20261208);
    for (int n = 0; n < 3000; ++n) {
        const std::array<int, 4> natal = randomChart(rng);
        const Judgement j = judge(natal);
        int sum = 0;
        for (const Factor& f : j.strength.factors) sum += f.weight;
        ASSERT_EQ(sum, j.strength.score) << pillarName(natal[0]) << pillarName(natal[1]) << pillarName(natal[2])
                                         << pillarName(natal[3]);
        // the five roles are five different elements
        const std::set<int> roles = {j.useful.yong, j.useful.xi, j.useful.ji, j.useful.chou, j.useful.xian};
        ASSERT_EQ(roles.size(), 5u);
    }
}

// Turning a character that does not help the day master (neither its element nor the one
// producing it) into the day master's own kind (the day stem itself for a stem, a branch
// of the day's element for a branch) never lowers the score, unless the new character is
// taken into a combination that changes its element, or the change makes or unmakes such a
// combination elsewhere (a clash removed lets a 合 transform): then the characters compared
// are no longer of the kind they seem.
TEST(JudgementProperties, AddingSupportNeverLowersTheScore) {
    std::mt19937 rng(7);
    int tried = 0;
    for (int n = 0; n < 3000; ++n) {
        const std::array<int, 4> natal = randomChart(rng);
        const Judgement before = judge(natal);
        const int dayStem = natal[2] % 10, day = stemElement(dayStem);
        for (int place = 0; place < 4; ++place) {
            for (int part = 0; part < 2; ++part) {
                if (place == 2 && part == 0) continue;  // the day stem is the day master
                std::array<int, 4> changed = natal;
                int stem = natal[place] % 10, branch = natal[place] % 12;
                auto helps = [&](int e) { return e == day || (e + 1) % 5 == day; };
                if (part == 0) {
                    if (helps(stemElement(stem))) continue;
                    stem = dayStem;
                } else {
                    if (helps(branchElement(branch))) continue;
                    for (int b = 0; b < 12; ++b)
                        if (branchElement(b) == day && (b % 2) == (branch % 2)) branch = b;
                    if (branchElement(branch) != day) continue;  // no branch of that parity
                }
                changed[place] = cycleOf(stem, branch);
                if (changed[place] < 0) continue;
                const Judgement after = judge(changed);
                // the combinations that turn characters into another element, with their places
                auto transforms = [](const Judgement& j) {
                    std::set<std::string> t;
                    for (const Factor& f : j.strength.factors)
                        if (f.factor == "三合" || f.factor == "三会" || f.factor == "半合" || f.factor == "六合化" ||
                            f.factor == "五合化")
                            t.insert(f.factor + f.pillar);
                    return t;
                };
                const std::set<std::string> was = transforms(before), is = transforms(after);
                const std::string placeName = place == 0 ? "年" : place == 1 ? "月" : place == 2 ? "日" : "时";
                bool transformed = was != is;
                for (const std::string& t : is) transformed = transformed || t.find(placeName) != std::string::npos;
                if (transformed) continue;
                ++tried;
                ASSERT_GE(after.strength.score, before.strength.score)
                    << pillarName(natal[0]) << pillarName(natal[1]) << pillarName(natal[2]) << pillarName(natal[3])
                    << " → place " << place << " " << pillarName(changed[place]);
            }
        }
    }
    EXPECT_GT(tried, 5000);
}

// A special pattern only where its conditions hold, checked here from the characters with the
// chart's own hidden-stem table.
TEST(JudgementProperties, SpecialPatternsOnlyWhereTheirConditionsHold) {
    std::mt19937 rng(99);
    std::map<PatternKind, int> seen;
    for (int n = 0; n < 20000; ++n) {
        const std::array<int, 4> natal = randomChart(rng);
        const Judgement j = judge(natal);
        seen[j.pattern.kind] += 1;
        const int dayStem = natal[2] % 10, day = stemElement(dayStem);
        const int month = branchElement(natal[1] % 12);
        const std::string name = pillarName(natal[0]) + pillarName(natal[1]) + pillarName(natal[2]) + pillarName(natal[3]);
        if (j.pattern.kind == PatternKind::Follow) {
            for (int p = 0; p < 4; ++p) {
                if (p != 2) {
                    const int e = stemElement(natal[p] % 10);
                    EXPECT_TRUE(e != day && (e + 1) % 5 != day) << name << ": a helping stem";
                }
                for (char c : kHiddenStems[natal[p] % 12]) {
                    const int e = stemElement(c - '0');
                    EXPECT_TRUE(e != day && (e + 1) % 5 != day) << name << ": a root";
                }
            }
        } else if (j.pattern.kind == PatternKind::Dominant) {
            EXPECT_EQ(month, day) << name;
            for (int p = 0; p < 4; ++p) {
                const int b = branchElement(natal[p] % 12);
                EXPECT_NE((b + 3) % 5, day) << name << ": 官杀 branch";
                if (p != 2) {
                    EXPECT_NE((stemElement(natal[p] % 10) + 3) % 5, day) << name << ": 官杀 stem";
                }
            }
        } else if (j.pattern.kind == PatternKind::Transform) {
            // the day stem combines (五合: stems five apart) with the month or the hour stem,
            // into the element ruling the month
            const int m = natal[1] % 10, h = natal[3] % 10;
            const bool withMonth = cycleMod(m - dayStem, 10) == 5, withHour = cycleMod(h - dayStem, 10) == 5;
            EXPECT_TRUE(withMonth != withHour) << name;
            EXPECT_EQ(j.pattern.element, month) << name;
            for (char c : std::string(kHiddenStems[natal[0] % 12]) + std::string(kHiddenStems[natal[1] % 12]) +
                              std::string(kHiddenStems[natal[2] % 12]) + std::string(kHiddenStems[natal[3] % 12]))
                EXPECT_NE(stemElement(c - '0'), day) << name << ": the day stem has a root";
        }
    }
    // random charts reach every kind, so the checks above ran
    EXPECT_GT(seen[PatternKind::Follow], 0);
    EXPECT_GT(seen[PatternKind::Dominant], 0);
    EXPECT_GT(seen[PatternKind::Transform], 0);
}

TEST(Judgement, LuckAndYearMeetings) {
    // 己卯 丙子 戊午 戊午
    const std::array<int, 4> natal = {pillarOf("己卯"), pillarOf("丙子"), pillarOf("戊午"), pillarOf("戊午")};
    const Judgement j = judge(natal, Options{TiaohouRule::Never});  // 用 木: strong, 乙 in 卯 the 官杀 to use
    struct Case {
        const char* luck;
        int year;  // 0: read the luck pillar
        const char* note;
        bool present;
    };
    const Case cases[] = {
        {"戊午", 0, "伏吟日柱", true},
        {"戊午", 0, "伏吟时柱", true},
        {"乙酉", 0, "反吟年柱", false},   // 乙己 are not a clashing pair
        {"乙酉", 0, "天克地冲年柱", true},  // 乙 overcomes 己, 酉 clashes 卯
        {"癸酉", 0, "天克地冲年柱", true},  // 己 overcomes 癸
        {"壬午", 0, "反吟月柱", true},      // 丙壬 clash, 子午 clash
        {"甲辰", 2024, "岁运并临", true},
        {"甲戌", 2024, "运岁相冲", true},
        {"甲戌", 2024, "岁运并临", false},
        {"甲子", 0, "伏吟月柱", false},
        {"乙酉", 0, "运冲用神之根（年支卯）", true},  // 木 is 用; 卯 holds it
        {"丙申", 0, "运冲用神之根（年支卯）", false},
        {"丙戌", 0, "运合用神之根（年支卯）", true},  // 卯戌 六合
    };
    for (const Case& c : cases) {
        if (pillarOf(c.luck) < 0) continue;
        const PillarReading r = c.year ? readYear(j, c.year, pillarOf(c.luck)) : readLuck(j, pillarOf(c.luck));
        const bool has = std::find(r.notes.begin(), r.notes.end(), std::string(c.note)) != r.notes.end();
        EXPECT_EQ(has, c.present) << c.luck << " " << c.year << " " << c.note;
    }
    ASSERT_EQ(elementName(j.useful.yong), "木");
    const PillarReading wood = readLuck(j, pillarOf("甲寅"));
    EXPECT_EQ(wood.stem, Role::Yong);
    EXPECT_EQ(wood.branch, Role::Yong);
    const PillarReading metal = readLuck(j, pillarOf("庚申"));
    EXPECT_EQ(metal.stem, j.useful.roleOf(4));
    EXPECT_EQ(metal.stem, Role::Ji);  // 金 overcomes 木
}

TEST(Judgement, TextAndSummary) {
    const std::array<int, 4> natal = {pillarOf("己卯"), pillarOf("丙子"), pillarOf("戊午"), pillarOf("戊午")};
    const Judgement j = judge(natal);
    const std::string t = judgementText(j, {readLuck(j, pillarOf("乙亥"))}, {readYear(j, 2024, pillarOf("甲戌"))}, "\n");
    EXPECT_NE(t.find("日主：戊土  "), std::string::npos) << t;
    EXPECT_NE(t.find("\n大运：乙亥 干"), std::string::npos) << t;
    EXPECT_NE(t.find("\n流年：2024甲辰 干"), std::string::npos) << t;
    EXPECT_NE(t.find(std::string(kTraditionalNote)), std::string::npos);
    const std::string s = summaryLine(j);
    EXPECT_EQ(s.find(std::string(verdictName(j.strength.verdict)) + " · " + j.pattern.name + " · 用神 "), 0u) << s;
    EXPECT_EQ(scoreText(435), "+4.35");
    EXPECT_EQ(scoreText(-50), "-0.50");
    EXPECT_EQ(scoreText(0), "0.00");
    EXPECT_EQ(scoreText(-1205), "-12.05");
}

// 穷通宝鉴·正月甲木: "正二月甲木，素无取从财从杀从化之理" — a 甲 day in 寅 or 卯 month never
// follows and never transforms, whatever the other six characters.
TEST(Judgement, SpringJiaNeverFollowsNorTransforms) {
    std::mt19937 rng(1);
    std::uniform_int_distribution<int> any(0, 59);
    int charts = 0;
    for (int n = 0; n < 20000; ++n) {
        std::array<int, 4> natal = {any(rng), any(rng), any(rng), any(rng)};
        if (natal[2] % 10 != 1) continue;  // 甲
        const int month = natal[1] % 12;
        if (month != 3 && month != 4) continue;  // 寅 卯
        ++charts;
        const Judgement j = judge(natal);
        EXPECT_TRUE(j.pattern.kind == PatternKind::Regular || j.pattern.kind == PatternKind::Dominant)
            << pillarName(natal[0]) << pillarName(natal[1]) << pillarName(natal[2]) << pillarName(natal[3]) << " "
            << j.pattern.name;
    }
    EXPECT_GT(charts, 50);
}
