// The chart card (命盘): its data against charts worked by hand from the book rules, the luck
// pillar and year it shows, the Traditional display, and the picture's SVG holding every item.
//
// Ten gods: the element relation to the day stem (same 比劫, I produce 食伤, I control 财,
// controls me 官杀, produces me 印) with same polarity 比 食 才 杀 枭, opposite 劫 伤 财 官 印.
// Stages: yang stems forward from their 长生 (甲 亥, 丙戊 寅, 庚 巳, 壬 申), yin stems backward
// (乙 午, 丁己 酉, 辛 子, 癸 卯). 空亡: the two branches the day's decade of the cycle leaves out.
// Hidden stems are listed in the order the report lists them; na yin names as the report
// prints them (this program writes 佛灯火, 洞下水, 城墙土 for 覆灯火, 涧下水, 城头土).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/card/card_layout.h"
#include "core/card/chart_card.h"
#include "core/chart/chart.h"
#include "core/judgement/judgement.h"

#include <set>
#include <variant>

namespace {

using namespace hj;
using namespace hj::card;

struct PillarCase {
    const char* stem;
    const char* branch;
    const char* god;
    std::vector<std::pair<const char*, const char*>> hidden;
    const char* nayin;
    const char* stage;
    bool isVoid;
};

struct Case {
    const char* name;
    ChartRequest request;
    PillarCase pillars[4];
    const char* sex;
};

ChartRequest request(int y, int m, int d, int h, int min, bool male, std::string zone = {}, float lon = 120.0f,
                     float lat = 30.0f) {
    ChartRequest q;
    q.yearly = false;
    q.name = "张三";
    q.year = static_cast<std::int16_t>(y);
    q.month = static_cast<std::int16_t>(m);
    q.day = static_cast<std::int16_t>(d);
    q.hour = static_cast<std::int16_t>(h);
    q.minute = static_cast<std::int16_t>(min);
    q.male = male;
    q.zone = std::move(zone);
    q.longitude = lon;
    q.latitude = lat;
    if (!q.zone.empty()) q.place = "纽约";
    return q;
}

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        // 壬 day (yang water): 庚 枭, 辛 印, 甲 食; 长生 申 … 绝 巳 胎 午 墓 辰; 壬午 of the 甲戌
        // decade: 申酉 void. Beijing 1990 kept summer time: 08:30 on the clock is 07:30, still 辰.
        {"man",
         request(1990, 5, 17, 8, 30, true, {}, 116.4f, 39.9f),
         {{"庚", "午", "枭", {{"己", "官"}, {"丁", "财"}}, "路旁土", "胎", false},
          {"辛", "巳", "印", {{"庚", "枭"}, {"丙", "才"}, {"戊", "杀"}}, "白蜡金", "绝", false},
          {"壬", "午", "元男", {{"己", "官"}, {"丁", "财"}}, "杨柳木", "胎", false},
          {"甲", "辰", "食", {{"乙", "伤"}, {"戊", "杀"}, {"癸", "劫"}}, "佛灯火", "墓", false}},
         "乾造"},
        // 戊 day (yang earth): 己 劫, 丙 枭, 戊 比; 长生 寅: 卯 沐浴, 子 胎, 午 帝旺; 戊午 of the
        // 甲寅 decade: 子丑 void, so the month's 子.
        {"woman",
         request(2000, 1, 1, 12, 0, false),
         {{"己", "卯", "劫", {{"乙", "官"}}, "城墙土", "沐浴", false},
          {"丙", "子", "枭", {{"癸", "财"}}, "洞下水", "胎", true},
          {"戊", "午", "元女", {{"己", "劫"}, {"丁", "印"}}, "天上火", "帝旺", false},
          {"戊", "午", "比", {{"己", "劫"}, {"丁", "印"}}, "天上火", "帝旺", false}},
         "坤造"},
        // 23:30 is 子时 of the next day (23:00 opens it): 2000-01-02 己未, hour 甲子 (甲己 days
        // begin with 甲子). 己 day (yin earth): 己 比, 丙 印, 甲 官; 长生 酉 backwards: 卯 病,
        // 子 绝, 未 冠带; 己未 of the 甲寅 decade: 子丑 void, month and hour.
        {"zi hour",
         request(2000, 1, 1, 23, 30, true),
         {{"己", "卯", "比", {{"乙", "杀"}}, "城墙土", "病", false},
          {"丙", "子", "印", {{"癸", "才"}}, "洞下水", "绝", true},
          {"己", "未", "元男", {{"乙", "杀"}, {"己", "比"}, {"丁", "枭"}}, "天上火", "冠带", false},
          {"甲", "子", "官", {{"癸", "才"}}, "海中金", "绝", true}},
         "乾造"},
        // New York, 10:00 summer time = 09:00 standard time there: year and month by Beijing
        // time (22:00, 庚辰 癸未), day and hour by the place's own time: 2000-07-15 甲戌, 巳时
        // 己巳. 甲 day (yang wood): 庚 杀, 癸 印, 己 财; 长生 亥: 辰 衰, 未 墓, 戌 养, 巳 病;
        // 甲戌 decade: 申酉 void.
        {"abroad",
         request(2000, 7, 15, 10, 0, false, "America/New_York", -74.0f, 40.7f),
         {{"庚", "辰", "杀", {{"乙", "劫"}, {"戊", "才"}, {"癸", "印"}}, "白蜡金", "衰", false},
          {"癸", "未", "印", {{"乙", "劫"}, {"己", "财"}, {"丁", "伤"}}, "杨柳木", "墓", false},
          {"甲", "戌", "元女", {{"辛", "官"}, {"丁", "伤"}, {"戊", "才"}}, "山头火", "养", false},
          {"己", "巳", "财", {{"庚", "杀"}, {"丙", "食"}, {"戊", "才"}}, "大林木", "病", false}},
         "坤造"},
    };
    return all;
}

Chart cast(const ChartRequest& q) {
    std::string error;
    std::optional<Chart> c = castChart(q, ChartSettings{}, error);
    EXPECT_TRUE(c) << error;
    return c ? *c : Chart{};
}

TEST(ChartCard, PillarsAsWorkedByHand) {
    for (const Case& k : cases()) {
        SCOPED_TRACE(k.name);
        const ChartCard card = buildChartCard(cast(k.request), {});
        EXPECT_EQ(card.header.sex, k.sex);
        for (int i = 0; i < 4; ++i) {
            const PillarCase& want = k.pillars[i];
            const PillarDetail& got = card.pillars[i];
            SCOPED_TRACE(got.pillar);
            EXPECT_EQ(got.stem, want.stem);
            EXPECT_EQ(got.branch, want.branch);
            EXPECT_EQ(got.stemGod, want.god);
            ASSERT_EQ(got.hidden.size(), want.hidden.size());
            for (std::size_t h = 0; h < want.hidden.size(); ++h) {
                EXPECT_EQ(got.hidden[h].stem, want.hidden[h].first);
                EXPECT_EQ(got.hidden[h].god, want.hidden[h].second);
            }
            EXPECT_EQ(got.nayin, want.nayin);
            EXPECT_EQ(got.stage, want.stage);
            EXPECT_EQ(got.isVoid, want.isVoid);
        }
    }
}

TEST(ChartCard, HeaderOfABirthAbroadGivesBothClocks) {
    const ChartCard card = buildChartCard(cast(cases()[3].request), {});
    ASSERT_EQ(card.header.times.size(), 3u);
    EXPECT_EQ(card.header.times[0], "2000年7月15日10时0分(钟表时间，北美东部时间，西五区，夏令时，已减1小时)");
    EXPECT_EQ(card.header.times[1], "2000年7月15日22时0分(北京时间)");
    EXPECT_EQ(card.header.times[2], "2000年7月15日9时0分(当地标准时间)");
    EXPECT_EQ(card.header.place, "纽约");
    EXPECT_EQ(card.header.animal, "属龙");
}

// 庚午 辛巳 壬午 甲辰: 甲庚 clash across the year and hour stems, 午午 punish themselves. Eight
// visible: 木1 火3 土1 金2 水1; hidden: 己丁 twice, 庚丙戊, 乙戊癸.
TEST(ChartCard, RelationsAndElements) {
    const ChartCard card = buildChartCard(cast(cases()[0].request), {});
    ASSERT_EQ(card.relations.size(), 2u);
    EXPECT_EQ(card.relations[0].kind, "相冲");
    EXPECT_EQ(card.relations[0].places, (std::vector<int>{0, 3}));
    EXPECT_TRUE(card.relations[0].onStems);
    EXPECT_FALSE(card.relations[0].favourable);
    EXPECT_EQ(card.relations[1].kind, "自刑");
    EXPECT_EQ(card.relations[1].places, (std::vector<int>{0, 2}));
    EXPECT_FALSE(card.relations[1].onStems);
    // By element code 0 水 1 木 2 火 3 土 4 金.
    EXPECT_EQ(card.visible, (std::array<int, 5>{1, 1, 3, 1, 2}));
    EXPECT_EQ(card.hidden, (std::array<int, 5>{1, 1, 3, 4, 1}));
}

// The man of 1990: luck forward from 辛巳 (a yang year, a man), 壬午 first; the years and ages
// follow the report's 年份 row.
TEST(ChartCard, LuckPillarAndYearShown) {
    const Chart chart = cast(cases()[0].request);
    const int first = luckStartYear(chart, 0);
    const int age = chart.luck.startAge;
    EXPECT_EQ(first, 1990 + age - 1);
    struct Choice {
        int year, luck;
        int chosen, current, markedYear;  // -1: none
    };
    const Choice choices[] = {
        {first + 23, 0, 2, 2, first + 23},  // the third pillar runs, its years shown, the year marked
        {first + 23, 5, 4, 2, -1},          // another pillar's years: the year is not among them
        {first - 1, 0, 0, -1, -1},          // before the first pillar: its years, nothing running
        {first + 80, 0, 7, -1, -1},         // after the last one's ten years
    };
    for (const Choice& c : choices) {
        SCOPED_TRACE(std::to_string(c.year) + " luck " + std::to_string(c.luck));
        const ChartCard card = buildChartCard(chart, {c.year, c.luck, false});
        EXPECT_EQ(card.chosenLuck, c.chosen);
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(card.luck[i].chosen, i == c.chosen);
            EXPECT_EQ(card.luck[i].current, i == c.current);
            EXPECT_EQ(card.luck[i].startYear, first + 10 * i);
            EXPECT_EQ(card.luck[i].startAge, age + 10 * i);
        }
        EXPECT_EQ(card.luck[0].pillar, "壬午");
        EXPECT_EQ(card.luck[7].pillar, "己丑");
        for (int k = 0; k < 10; ++k) {
            const YearCell& y = card.years[k];
            EXPECT_EQ(y.year, first + 10 * c.chosen + k);
            EXPECT_EQ(y.age, y.year - 1990 + 1);
            EXPECT_EQ(y.current, y.year == c.markedYear);
        }
    }
    // 2020 is 庚子, to 壬 day 枭.
    const ChartCard card = buildChartCard(chart, {2020, 0, false});
    const YearCell* y2020 = nullptr;
    for (const YearCell& y : card.years)
        if (y.year == 2020) y2020 = &y;
    ASSERT_TRUE(y2020);
    EXPECT_EQ(y2020->pillar, "庚子");
    EXPECT_EQ(y2020->god, "枭");
}

// The judgement's line and the tints: the same reading the judgement gives, the line drawn
// (or left out when asked), a tint where the roles lean one way and none where they balance.
TEST(ChartCard, JudgementLineAndTints) {
    const Chart chart = cast(cases()[0].request);
    const ChartCard card = buildChartCard(chart, {2020, 0, false});
    const judgement::Judgement j = judgement::judge({chart.pillars[0], chart.pillars[1], chart.pillars[2], chart.pillars[3]});
    EXPECT_EQ(card.judgement, judgement::summaryLine(j));
    const auto lean = [](const judgement::PillarReading& r) {
        const auto w = [](judgement::Role x) {
            return x == judgement::Role::Yong || x == judgement::Role::Xi ? 1 : x == judgement::Role::Ji || x == judgement::Role::Chou ? -1 : 0;
        };
        const int s = w(r.stem) + w(r.branch);
        return s > 0 ? 1 : s < 0 ? -1 : 0;
    };
    std::set<int> seen;
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(card.luck[i].tint, lean(judgement::readLuck(j, chart.luck.pillars[i]))) << i;
        seen.insert(card.luck[i].tint);
    }
    for (const YearCell& y : card.years) {
        EXPECT_EQ(y.tint, lean(judgement::readYear(j, y.year, chart.luck.pillars[card.chosenLuck]))) << y.year;
        seen.insert(y.tint);
    }
    EXPECT_GE(seen.size(), 2u);  // not all alike: the tints say something
    const auto hasText = [](const Drawing& d, const std::string& t) {
        for (const auto& item : d.items)
            if (const auto* text = std::get_if<TextItem>(&item); text && text->text == t) return true;
        return false;
    };
    EXPECT_TRUE(hasText(layoutChartCard(card), card.judgement));
    CardLayoutOptions without;
    without.judgement = false;
    EXPECT_FALSE(hasText(layoutChartCard(card, without), card.judgement));
    EXPECT_LT(layoutChartCard(card, without).height, layoutChartCard(card).height);
}

TEST(ChartCard, TraditionalKeepsNameAndPlace) {
    ChartRequest q = cases()[0].request;
    q.name = "张于";
    q.place = "范县";
    const ChartCard card = buildChartCard(cast(q), {2020, 0, true});
    EXPECT_EQ(card.header.name, "张于");
    EXPECT_EQ(card.header.place, "范县");
    EXPECT_EQ(card.pillars[2].nayin, "楊柳木");
    EXPECT_EQ(card.pillars[1].stage, "絕");
    EXPECT_EQ(card.pillars[3].hidden[0].god, "傷");
    EXPECT_EQ(card.header.sex, "乾造");
    EXPECT_EQ(card.luck[0].pillar, "壬午");
}

// The picture holds every item of the card's pillars and its luck strip, the clickable places
// lie inside it, and no text leaves the card's width.
TEST(ChartCard, SvgHoldsEveryItem) {
    for (const Case& k : cases()) {
        SCOPED_TRACE(k.name);
        const Chart chart = cast(k.request);
        const ChartCard card = buildChartCard(chart, {2020, 0, false});
        const Drawing d = layoutChartCard(card);
        const std::string svg = writeSvg(d, 2);
        const auto has = [&svg](const std::string& s) { return svg.find(">" + s + "<") != std::string::npos; };
        const auto holds = [&svg](const std::string& s) { return svg.find(s) != std::string::npos; };
        EXPECT_TRUE(holds("width=\"1080\"")) << svg.substr(0, 300);
        const auto count = [&svg](const std::string& s) {
            long n = 0;
            for (std::size_t p = svg.find(s); p != std::string::npos; p = svg.find(s, p + 1)) ++n;
            return n;
        };
        long voids = 0;
        for (const PillarDetail& p : card.pillars) {
            EXPECT_TRUE(has(p.stem) && has(p.branch) && has(p.stemGod) && has(p.nayin) && has(p.stage)) << p.pillar;
            for (const HiddenStem& h : p.hidden) EXPECT_TRUE(has(h.stem) && has(h.god)) << h.stem;
            for (const std::string& s : p.stars) EXPECT_TRUE(holds(s)) << s;
            voids += p.isVoid ? 1 : 0;
        }
        EXPECT_EQ(count(">空<"), voids);  // the mark beside each void branch
        int luckHits = 0, yearHits = 0;
        for (const LuckStep& l : card.luck) {
            EXPECT_TRUE(has(l.pillar.substr(0, 3)) && has(l.pillar.substr(3)) && has(l.god)) << l.pillar;
            EXPECT_TRUE(has(std::to_string(l.startAge) + "岁") && has(std::to_string(l.startYear))) << l.pillar;
        }
        for (const HitBox& h : d.hits) {
            (h.kind == HitBox::Luck ? luckHits : yearHits) += 1;
            EXPECT_TRUE(h.rect.x >= 0 && h.rect.x + h.rect.w <= d.width && h.rect.y + h.rect.h <= d.height);
        }
        EXPECT_EQ(luckHits, 8);
        EXPECT_EQ(yearHits, 10);
        for (const DrawItem& item : d.items) {
            if (const auto* t = std::get_if<TextItem>(&item)) {
                EXPECT_TRUE(t->box.x >= 0 && t->box.x + t->box.w <= d.width && t->box.y + t->box.h <= d.height) << t->text;
            }
        }
        // One element a primitive, every text closed.
        long texts = 0;
        for (const DrawItem& item : d.items) texts += std::holds_alternative<TextItem>(item) ? 1 : 0;
        EXPECT_EQ(count("<text "), texts);
        EXPECT_EQ(count("</text>"), texts);
        EXPECT_EQ(count("<rect ") + count("<line "), static_cast<long>(d.items.size()) - texts + 1);  // and the background
    }
}

TEST(ChartCard, SvgEscapesMarkup) {
    ChartRequest q = cases()[0].request;
    q.name = "A<&>";
    const std::string svg = writeSvg(layoutChartCard(buildChartCard(cast(q), {})));
    EXPECT_NE(svg.find("A&lt;&amp;&gt;"), std::string::npos);
    EXPECT_EQ(svg.find("A<&>"), std::string::npos);
}

}  // namespace
