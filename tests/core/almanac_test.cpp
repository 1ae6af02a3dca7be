// The almanac: its tables cell by cell against the rules as the books state them, a worked day,
// the rules that span days worked by hand for whole years, and the Moon's phases against the
// calendar's own new moons.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "core/almanac/almanac.h"
#include "core/almanac/almanac_tables.h"
#include "core/calendar/calendar.h"
#include "core/calendar/date_text.h"
#include "core/chart/stars.h"
#include "rule_fixture.h"

using namespace hj;
using namespace hj::almanac;
using hj::fixtures::chars;

namespace {

const fixtures::RuleBook& book() {
    static const fixtures::RuleBook b("almanac_rules.txt");
    return b;
}

// Index 0 = 甲 / 子 in the almanac's own order.
int stem0(const std::string& s) { return cycleMod(fixtures::stemIndex(s) - 1, 10); }
int branch0(const std::string& s) { return cycleMod(fixtures::branchIndex(s) - 1, 12); }
int pillar0(const std::string& s) { return cycleMod(fixtures::pillarIndex(s) - 1, 60); }

// The months a fixture's month field names, as indexes from the 寅 month.
std::vector<int> monthsOf(const std::string& field) {
    static const std::map<std::string, std::string> kGroups = {
        {"春", "寅卯辰"}, {"夏", "巳午未"}, {"秋", "申酉戌"}, {"冬", "亥子丑"},
        {"孟", "寅巳申亥"}, {"仲", "卯午酉子"}, {"季", "辰未戌丑"}};
    auto it = kGroups.find(field);
    std::vector<int> out;
    for (const std::string& b : chars(it == kGroups.end() ? field : it->second)) out.push_back(cycleMod(branch0(b) - 2, 12));
    return out;
}

std::set<std::string> cellSet(std::string_view cell) {
    std::set<std::string> out;
    std::size_t pos = 0;
    while (pos < cell.size()) {
        std::size_t end = cell.find(' ', pos);
        if (end == std::string_view::npos) end = cell.size();
        out.emplace(cell.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

AlmanacDay dayOf(AlmanacBuilder& b, const char* iso) {
    DateTime d;
    std::string error;
    EXPECT_TRUE(parseDate(iso, d, error)) << iso;
    AlmanacDay out;
    EXPECT_TRUE(b.build(d, out)) << iso << ": " << b.lastError();
    return out;
}

std::string counted(const std::optional<Counted>& c) { return c ? c->name + std::to_string(c->day) : "-"; }

}  // namespace

TEST(AlmanacTables, JianChuAndTianShen) {
    const auto& order = book().table("建除次序", 12)[0].fields;
    for (std::size_t i = 0; i < 12; ++i) EXPECT_EQ(kJianChu[i], order[i]) << i;
    for (const auto& r : book().table("建日", 2))  // the day of the month's own branch is 建
        EXPECT_EQ(branch0(r.fields[0]), branch0(r.fields[1])) << "line " << r.line;
    const auto& gods = book().table("值神次序", 12)[0].fields;
    const auto& yellow = book().table("黄道", 6)[0].fields;
    for (std::size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(kTianShen[i].name, gods[i]) << i;
        EXPECT_EQ(kTianShen[i].huangdao, std::find(yellow.begin(), yellow.end(), gods[i]) != yellow.end()) << gods[i];
    }
    int seen = 0;
    for (const auto& r : book().table("青龙", 2))
        for (const std::string& m : chars(r.fields[0])) {
            EXPECT_EQ(kQingLongStart[branch0(m)], branch0(r.fields[1])) << "line " << r.line << " " << m;
            ++seen;
        }
    EXPECT_EQ(seen, 12);
}

TEST(AlmanacTables, ChongShaPengZuDirections) {
    for (const auto& r : book().table("冲", 2)) {
        const int a = branch0(r.fields[0]), b = branch0(r.fields[1]);
        // The clash of a day with the pillar six days back: same branch pair, stem overcome.
        for (int c = 0; c < 60; ++c) {
            if (c % 12 != a && c % 12 != b) continue;
            const std::string desc = chongDescription(c);
            const int other = c % 12 == a ? b : a;
            EXPECT_NE(desc.find(std::string(kAnimalNames[other])), std::string::npos) << desc;
            EXPECT_NE(desc.find(std::string(kBranchNames[other]) + ")"), std::string::npos) << desc;
        }
    }
    for (const auto& r : book().table("煞方", 2))
        for (const std::string& b : chars(r.fields[0])) EXPECT_EQ(kSha[branch0(b)], r.fields[1]) << "line " << r.line;
    int lines = 0;
    for (const auto& r : book().table("彭祖", 2)) {
        const std::string& key = r.fields[0];
        const bool isStem = std::string_view("甲乙丙丁戊己庚辛壬癸").find(key) != std::string_view::npos;
        EXPECT_EQ(isStem ? kPengZuStem[stem0(key)] : kPengZuBranch[branch0(key)], r.fields[1]) << "line " << r.line;
        ++lines;
    }
    EXPECT_EQ(lines, 22);
    const auto directions = [](const char* table, const string_view* column) {
        int cells = 0;
        for (const auto& r : book().table(table, 2))
            for (const std::string& s : chars(r.fields[0])) {
                EXPECT_EQ(column[stem0(s)], r.fields[1]) << table << " line " << r.line;
                ++cells;
            }
        EXPECT_EQ(cells, 10) << table;
    };
    directions("喜神", kXiShen);
    directions("福神", kFuShen);
    directions("财神", kCaiShen);
    std::map<int, std::string> compass;
    for (const auto& r : book().table("方位", 2))
        for (const std::string& b : chars(r.fields[0])) compass[branch0(b)] = r.fields[1];
    for (int b = 0; b < 12; ++b) EXPECT_EQ(kBranchDirection[b], compass[b]) << b;
    for (const auto& r : book().table("贵人", 3)) {
        EXPECT_EQ(kYangGui[stem0(r.fields[0])], branch0(r.fields[1])) << "line " << r.line;
        EXPECT_EQ(kYinGui[stem0(r.fields[0])], branch0(r.fields[2])) << "line " << r.line;
    }
}

TEST(AlmanacTables, TaiShenEveryDay) {
    // The name holds the stem's place and the branch's place of the verses (a doubled place is
    // written once, as 占大门 or 占碓磨); the direction holds for the runs of days listed.
    std::map<int, std::string> stemPart, branchPart, where;
    for (const auto& r : book().table("胎神干", 2))
        for (const std::string& s : chars(r.fields[0])) stemPart[stem0(s)] = r.fields[1];
    for (const auto& r : book().table("胎神支", 2))
        for (const std::string& b : chars(r.fields[0])) branchPart[branch0(b)] = r.fields[1];
    for (const auto& r : book().table("胎神方", 3))
        for (int c = pillar0(r.fields[0]);; c = (c + 1) % 60) {
            where[c] = r.fields[2];
            if (c == pillar0(r.fields[1])) break;
        }
    ASSERT_EQ(where.size(), 60u);
    for (int c = 0; c < 60; ++c) {
        const std::string text(kTaiShen[c]);
        const std::size_t blank = text.find(' ');
        ASSERT_NE(blank, std::string::npos) << c;
        const std::string name = text.substr(0, blank);
        EXPECT_NE(name.find(stemPart[c % 10]), std::string::npos) << ganZhiName(c + 1) << " " << text;
        EXPECT_NE(name.find(branchPart[c % 12]), std::string::npos) << ganZhiName(c + 1) << " " << text;
        EXPECT_EQ(text.substr(blank + 1), where[c]) << ganZhiName(c + 1);
    }
}

TEST(AlmanacTables, MansionsAndHou) {
    std::map<std::string, bool> luck;
    for (const auto& r : book().table("宿吉", 14)) for (const auto& m : r.fields) luck[m] = true;
    for (const auto& r : book().table("宿凶", 14)) for (const auto& m : r.fields) luck[m] = false;
    ASSERT_EQ(luck.size(), 28u);
    for (int i = 0; i < 28; ++i) EXPECT_EQ(kMansionLucky[i], luck.at(std::string(kMansions[i]))) << kMansions[i];
    int terms = 0;
    for (const auto& r : book().table("候", 4)) {
        int t = 0;
        while (t < 24 && kTermNames[t] != r.fields[0]) ++t;
        ASSERT_LT(t, 24) << r.fields[0];
        for (int i = 0; i < 3; ++i) EXPECT_EQ(kHou[t * 3 + i], r.fields[1 + static_cast<std::size_t>(i)]) << r.fields[0];
        ++terms;
    }
    EXPECT_EQ(terms, 24);
}

TEST(AlmanacTables, GodsOfTheMonth) {
    // Every god of the table, every month: the fixture's alternatives, no more and no fewer.
    std::map<std::string, std::array<std::set<std::string>, 12>> expected;
    std::map<std::string, bool> lucky;
    for (const char* table : {"神", "煞"})
        for (const auto& r : book().table(table, 3)) {
            lucky[r.fields[0]] = std::string(table) == "神";
            for (int m : monthsOf(r.fields[1]))
                for (std::size_t i = 2; i < r.fields.size(); ++i) expected[r.fields[0]][static_cast<std::size_t>(m)].insert(r.fields[i]);
        }
    std::set<std::string> inTable;
    for (const MonthGod& g : kMonthGods) {
        inTable.emplace(g.name);
        ASSERT_TRUE(expected.count(std::string(g.name))) << g.name << " has no rule in the fixture";
        EXPECT_EQ(g.lucky, lucky[std::string(g.name)]) << g.name;
        for (std::size_t m = 0; m < 12; ++m)
            EXPECT_EQ(cellSet(g.cells[m]), expected[std::string(g.name)][m]) << g.name << " month " << kBranchNames[(m + 2) % 12];
    }
    EXPECT_EQ(inTable.size(), expected.size());
}

TEST(Almanac, WorkedDay) {
    AlmanacBuilder b;
    const AlmanacDay d = dayOf(b, "2024-02-10");
    EXPECT_EQ(ganZhiName(d.yearPillar + 1) + ganZhiName(d.monthPillar + 1) + ganZhiName(d.dayPillar + 1), "甲辰丙寅甲辰");
    EXPECT_EQ(d.nayin, "佛灯火");
    EXPECT_EQ(d.jianchu, "满");
    EXPECT_EQ(d.tianshen, "金匮");
    EXPECT_TRUE(d.huangdao);
    EXPECT_EQ(d.xiu, "氐");
    EXPECT_FALSE(d.xiuLucky);
    EXPECT_EQ(d.chong, "戌");
    EXPECT_EQ(d.chongDesc, "冲狗(戊戌)");
    EXPECT_EQ(d.sha, "南");
    EXPECT_EQ(d.taishen, "占门栖 房内东");
    EXPECT_EQ(d.directions.xi, "东北");
    EXPECT_EQ(d.directions.cai, "东北");
    ASSERT_EQ(d.hours.size(), 12u);
    EXPECT_EQ(d.hours[0].ganzhi + d.hours[0].tianshen + d.hours[0].chong, "甲子天牢午");
    EXPECT_FALSE(d.hours[0].lucky);
    EXPECT_EQ(d.hou, "蛰虫始振");
    EXPECT_EQ(counted(d.shujiu), "六九6");
    EXPECT_EQ(counted(d.fu), "-");
    ASSERT_TRUE(d.moon.has_value());
    EXPECT_EQ(d.moon->phase + " " + formatDateTime(d.moon->time), "朔 2024-02-10 06:59");
    EXPECT_EQ(d.lunar.month * 100 + d.lunar.day, 101);
    // The text gives each saying's precept only; the threat that follows it stays out.
    const std::vector<std::string> precepts = pengzuPrecepts(d);
    EXPECT_EQ(precepts, (std::vector<std::string>{"甲不开仓", "辰不哭泣"}));
    EXPECT_NE(almanacText(d).find("彭祖百忌：甲不开仓"), std::string::npos);
    EXPECT_EQ(almanacText(d).find("重丧"), std::string::npos);
}

TEST(Almanac, MonthTurnsOnTheDayOfItsJie) {
    // 立春 2024 fell at 16:27 on February 4: the whole day is already the 寅 month (its 建除
    // repeats the day before's), and the day before is still 丑.
    AlmanacBuilder b;
    const AlmanacDay before = dayOf(b, "2024-02-03"), on = dayOf(b, "2024-02-04");
    EXPECT_EQ(ganZhiName(before.monthPillar + 1), "乙丑");
    EXPECT_EQ(ganZhiName(before.yearPillar + 1), "癸卯");
    EXPECT_EQ(ganZhiName(on.monthPillar + 1), "丙寅");
    EXPECT_EQ(ganZhiName(on.yearPillar + 1), "甲辰");
    EXPECT_EQ(before.jianchu, on.jianchu);
    EXPECT_NE(std::find(before.xiongsha.begin(), before.xiongsha.end(), "四绝"), before.xiongsha.end());
}

TEST(Almanac, SpansWorkedByHand) {
    // 2023: 夏至 on 6-21, a 庚戌 day, so it is the first 庚 day: 初伏 7-11, 中伏 7-21 (twenty
    // days, since 立秋 8-08 is 戊戌 and its first 庚 day is 8-10), 末伏 8-10 to 8-19.
    // 数九 from 冬至 2023-12-22 over the new year to 九九's last day 2024-03-11.
    // 2024: 芒种 6-05 (庚子), first 丙 day 6-11 入梅; 小暑 7-06 is itself a 未 day: 出梅, and
    // not twelve days later; 夏至 6-21 is 丙辰, so 初伏 is the 庚 day 7-15.
    // 立春 2024-02-04 is a 戊 day: the fifth 戊 day from it, 3-15, is 春社.
    struct Case {
        const char* date;
        const char* shujiu;
        const char* fu;
        const char* seasonal;
    };
    const Case cases[] = {
        {"2023-07-10", "-", "-", ""},          {"2023-07-11", "-", "初伏1", ""},
        {"2023-07-20", "-", "初伏10", ""},     {"2023-07-21", "-", "中伏1", ""},
        {"2023-08-09", "-", "中伏20", ""},     {"2023-08-10", "-", "末伏1", ""},
        {"2023-08-19", "-", "末伏10", ""},     {"2023-08-20", "-", "-", ""},
        {"2023-12-21", "-", "-", ""},          {"2023-12-22", "一九1", "-", ""},
        {"2023-12-31", "二九1", "-", ""},      {"2024-01-01", "二九2", "-", ""},
        {"2024-03-11", "九九9", "-", ""},      {"2024-03-12", "-", "-", ""},
        {"2024-06-10", "-", "-", ""},          {"2024-06-11", "-", "-", "入梅"},
        {"2024-07-06", "-", "-", "出梅"},      {"2024-07-18", "-", "初伏4", ""},
        {"2024-03-15", "-", "-", "春社"},      {"2024-04-03", "-", "-", "寒食"},
        {"2024-04-11", "-", "-", "上巳"},
    };
    AlmanacBuilder b;
    for (const Case& c : cases) {
        const AlmanacDay d = dayOf(b, c.date);
        std::string seasonal;
        for (const std::string& s : d.seasonal) seasonal += s;
        EXPECT_EQ(counted(d.shujiu), c.shujiu) << c.date;
        EXPECT_EQ(counted(d.fu), c.fu) << c.date;
        EXPECT_EQ(seasonal, c.seasonal) << c.date;
    }
}

TEST(Almanac, NewAndFullMoonsAgainstTheCalendar) {
    // Every 朔 lies on a day the lunar calendar starts a month on, within three minutes of the
    // calendar's own quick instant (which is made exact to the second only near midnight, where
    // the day depends on it); each 望 lies 13 to 16 days after its 朔.
    for (int year : {1900, 2024, 2033}) {
        Calendar cal;
        AlmanacBuilder b;
        std::vector<int> newMoons, fullMoons;
        std::map<int, DateTime> times;
        for (int n = dayNumberOf({static_cast<std::int16_t>(year), 1, 1, 0, 0});
             n < dayNumberOf({static_cast<std::int16_t>(year + 1), 1, 1, 0, 0}); ++n) {
            AlmanacDay d;
            ASSERT_TRUE(b.build(dateOfDayNumber(n), d));
            if (!d.moon) continue;
            if (d.moon->phase == "朔") {
                newMoons.push_back(n);
                times[n] = d.moon->time;
            }
            if (d.moon->phase == "望") fullMoons.push_back(n);
        }
        ASSERT_GE(newMoons.size(), 12u) << year;
        for (int n : newMoons) {
            cal.buildLunarYear(n);
            EXPECT_NE(std::find(cal.newMoonDays.begin(), cal.newMoonDays.end(), n), cal.newMoonDays.end())
                << year << " " << formatDateTime(times[n]);
            const double k = std::round((n - 5.6) / 29.530588);
            const DateTime calendars = cal.dateTimeOf(Calendar::newMoonInstant(k * 2 * 3.14159265) + 2451545);
            const double minutes = std::abs(cal.julianDayOf(calendars) - cal.julianDayOf(times[n])) * 1440;
            EXPECT_LE(minutes, 3.01) << formatDateTime(calendars) << " " << formatDateTime(times[n]);
        }
        for (int f : fullMoons) {
            auto next = std::upper_bound(newMoons.begin(), newMoons.end(), f);
            if (next == newMoons.begin()) continue;
            const int gap = f - *(next - 1);
            EXPECT_GE(gap, 13) << year;
            EXPECT_LE(gap, 16) << year;
        }
    }
}

TEST(Almanac, NineStarRunsAndRefusals) {
    AlmanacBuilder b;
    // The runs change direction only at a 甲子 day after a solstice: elsewhere consecutive days
    // step by one, up in winter's run, down in summer's.
    int turns = 0;
    AlmanacDay prev = dayOf(b, "2024-01-01");
    for (int n = dayNumberOf({2024, 1, 2, 0, 0}); n < dayNumberOf({2025, 1, 1, 0, 0}); ++n) {
        AlmanacDay d;
        ASSERT_TRUE(b.build(dateOfDayNumber(n), d));
        const auto idx = [](const std::string& s) {
            for (int i = 0; i < 9; ++i)
                if (kNineStars[i] == s) return i;
            return -1;
        };
        const int step = cycleMod(idx(d.nineStar) - idx(prev.nineStar), 9);
        if (step != 1 && step != 8) {
            EXPECT_EQ(d.dayPillar, 0) << formatDate(d.date);
            // Winter's run opens with 一白, summer's with 九紫.
            EXPECT_EQ(d.nineStar, d.date.month <= 3 || d.date.month == 12 ? "一白" : "九紫") << formatDate(d.date);
            ++turns;
        }
        prev = d;
    }
    EXPECT_EQ(turns, 2);
    AlmanacDay d;
    EXPECT_FALSE(b.build({2023, 2, 29, 0, 0}, d));
    EXPECT_FALSE(b.build({9999, 12, 31, 0, 0}, d));
    // The ends of the range, year 1 and the days around the Gregorian reform are all built.
    struct Edge {
        DateTime date;
        bool built;
    };
    const Edge edges[] = {{{1, 1, 1, 0, 0}, true},          {{-4711, 1, 1, 0, 0}, true}, {{-4712, 12, 31, 0, 0}, false},
                          {{9998, 12, 31, 0, 0}, true},     {{1582, 10, 4, 0, 0}, true}, {{1582, 10, 15, 0, 0}, true},
                          {{1582, 10, 10, 0, 0}, false}};
    for (const Edge& e : edges) EXPECT_EQ(b.build(e.date, d), e.built) << formatDate(e.date) << " " << b.lastError();
    // 1582-10-04 (Julian) and 10-15 (Gregorian) are consecutive days: the cycle runs on.
    AlmanacDay before, after;
    ASSERT_TRUE(b.build({1582, 10, 4, 0, 0}, before));
    ASSERT_TRUE(b.build({1582, 10, 15, 0, 0}, after));
    EXPECT_EQ(cycleMod(after.dayPillar - before.dayPillar, 60), 1);
}
