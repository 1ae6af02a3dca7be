// The reader's test: many charts of every kind, each report read whole as a reader would. No
// report may hold a pair of lines that deny each other, advice on organs or illness, a line for
// the other sex, a zone or address a reader cannot read, or the analysis away from the chart.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "chart_test_support.h"
#include "core/threelives/three_lives.h"

namespace hj {
namespace {

bool has(std::string_view s, std::string_view w) { return s.find(w) != std::string_view::npos; }

struct Pair {
    std::string_view one, other;
};

// Lines a reader found side by side in one report, each denying the other.
constexpr Pair kDenials[] = {
    {"子息兴旺", "应无子"},           {"儿女满庭芳", "应无子"},
    {"子息兴旺", "命中难养男与女"},   {"儿女满庭芳", "命中难养男与女"},
    {"祖业有根", "祖基倾"},           {"衣食随时天自给", "早年衣禄欠缺"},
    {"性情宽厚", "性急多刚烈"},
};
// Promises of old age, which a short 推寿数长短 denies.
constexpr std::string_view kOldAge[] = {"到老", "白首", "偕老", "自得长久", "添丁"};
// Advice on organs and illness, and fear in the house (the child passes' own lines aside: the
// rules give them).
constexpr std::string_view kMedicine[] = {"肾元", "开窍", "肝", "驼背", "残疾", "疾病"};
// A former calling or being named outright; only 六道神数's rule may name one.
constexpr std::string_view kFormerBeing[] = {"前世是", "前生是", "前生本是", "前生原是"};
// Lines for one sex.
const std::vector<std::string_view> kForWomen = {"女命宜迟婚"};
const std::vector<std::string_view> kForMen = {"长子当家", "秀才郎"};
// Words of a zone or an address no reader of the report can read.
constexpr std::string_view kUnreadable[] = {"Asia/", "America/", "Europe/", "Australia/", "UTC", "example.org"};

ChartRequest randomRequest(std::mt19937& rng) {
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    ChartRequest q;
    q.year = static_cast<std::int16_t>(pick(1905, 2020));
    q.month = static_cast<std::int16_t>(pick(1, 12));
    q.day = static_cast<std::int16_t>(pick(1, 28));
    q.hour = static_cast<std::int16_t>(pick(0, 23));
    q.minute = static_cast<std::int16_t>(pick(0, 59));
    q.male = pick(0, 1) == 1;
    q.lunar = pick(0, 4) == 0;
    switch (pick(0, 5)) {
    case 0:  // abroad
        q.zone = std::vector<std::string>{"America/New_York", "Europe/London", "Australia/Sydney", "Asia/Kolkata"}[pick(0, 3)];
        q.place = "海外";
        q.longitude = -74.0f;
        q.latitude = -33.9f;
        break;
    case 1:
        q.province = 1;  // summer time of the mainland zone in 1986-1991
        q.year = static_cast<std::int16_t>(pick(1986, 1991));
        q.month = static_cast<std::int16_t>(pick(5, 8));
        break;
    default: break;
    }
    return q;
}

TEST(TextsReader, ManyChartsReadRight) {
    std::mt19937 rng(20261208);
    int read = 0, abroad = 0, analysed = 0, women = 0, passes = 0, shortLives = 0;
    for (int n = 0; n < 1500; ++n) {
        const ChartRequest q = randomRequest(rng);
        ChartSettings settings;
        settings.fenxi = n % 3 == 0;
        const fixtures::Built b = fixtures::buildChart(q, {}, nullptr, &settings);
        if (!b.ok) continue;  // a clock time summer time skipped, say
        ++read;
        const std::string& r = b.report.text;
        const std::string what = std::to_string(q.year) + "-" + std::to_string(q.month) + "-" + std::to_string(q.day) +
                                 " " + std::to_string(q.hour) + ":" + std::to_string(q.minute) +
                                 (q.male ? " 乾造" : " 坤造") + (q.lunar ? " lunar " : " ") + q.zone;
        for (const Pair& p : kDenials) EXPECT_FALSE(has(r, p.one) && has(r, p.other)) << what << ": " << p.one << " / " << p.other;
        // 推寿数长短 short of the yearly block's 81 years: nothing promises old age.
        const std::size_t life = r.find("※推寿数长短：");
        ASSERT_NE(life, std::string::npos) << what;
        const int years = std::atoi(r.c_str() + life + std::string_view("※推寿数长短：").size());
        shortLives += years < 81;
        for (std::string_view w : kOldAge) EXPECT_FALSE(years < 81 && has(r, w)) << what << ": " << years << "岁 / " << w;
        // The number is never bare.
        EXPECT_EQ(r.find(kLifeSpanNote, life), r.find("\r\n", life) + 2) << what;
        std::string ours = r;
        for (std::size_t at = ours.find("◆"); at != std::string::npos; at = ours.find("◆", at))
            ours.erase(at, ours.find("\r\n", at) + 2 - at);
        for (std::string_view w : kMedicine) EXPECT_FALSE(has(ours, w)) << what << ": " << w;
        int beings = 0;
        for (std::string_view w : kFormerBeing)
            for (std::size_t at = r.find(w); at != std::string::npos; at = r.find(w, at + 1)) ++beings;
        EXPECT_LE(beings, 1) << what;
        for (std::string_view w : q.male ? kForWomen : kForMen) EXPECT_FALSE(has(r, w)) << what << ": " << w;
        for (std::string_view w : kUnreadable) EXPECT_FALSE(has(r, w)) << what << ": " << w;
        // The child passes come under their note, which says they concern childhood.
        const std::size_t pass = r.find("◆");
        if (pass != std::string::npos) {
            ++passes;
            EXPECT_EQ(r.rfind(kChildPassesNote, pass), r.find("※小儿关煞：\r\n") + std::string_view("※小儿关煞：\r\n").size())
                << what;
        }
        // The analysis stands under the chart block, before the birth verses.
        if (settings.fenxi) {
            ++analysed;
            EXPECT_LT(r.find("※八字分析："), r.find("※推年月日时：")) << what;
            EXPECT_GT(r.find("※八字分析："), r.find("☆命主福元：")) << what;
        }
        abroad += !q.zone.empty();
        women += !q.male;
    }
    // The walk reached every kind of chart it is meant to read.
    EXPECT_GT(read, 1400);
    EXPECT_GT(abroad, 150);
    EXPECT_GT(analysed, 400);
    EXPECT_GT(women, 600);
    EXPECT_GT(passes, 500);
    EXPECT_GT(shortLives, 1000);
}

}  // namespace
}  // namespace hj
