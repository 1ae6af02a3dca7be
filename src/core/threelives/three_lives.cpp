// The 26 sections of numbered texts that open the three-lives block.
#include "core/threelives/three_lives.h"

#include <cstdio>

#include "core/calendar/datetime.h"
#include "core/chart/chart.h"
#include "core/chart/derived.h"
#include "core/chart/text_table.h"

namespace hj {
namespace {

constexpr std::string_view kIndent7 = "　　　　　　　";

// With the setting xingbie: the numbered texts that speak to one sex, as this program reads
// them to the other (or, where the text gives both in turn, to the chart's own sex alone).
struct SexedText {
    int id;
    bool male;  // the reader the text is for
    std::string_view text;
};
constexpr SexedText kSexedTexts[] = {
    {10001, true, "生在黄帝头，一世永无忧，为人多富贵，衣禄自然周，求官必有分，君子近公侯。"},
    {10001, false, "生在黄帝头，一世永无忧，为人多富贵，衣禄自然周，女人平稳好，嫁得俊儒流。"},
    {10075, false, "离夫。初婚缘分易分张，早配难期岁月长，迟结丝萝方和美，宜缓莫急免悲伤。主初配多刑克，男命女命皆然，迟婚则可解。"},
    {10076, true, "续弦。男命续弦缘不全，初婚难得久团圆，迟娶贤妻方和好，宜缓莫急免忧煎。主初配难全，宜迟婚，择稳重贤淑者为配。"},
    {10322, false, "才女。文星照命近书香，宜读诗书入学堂，教书授徒人敬重，笔耕砚田禄自长。"},
    {10374, false, "天帝。天帝星临命不凡，聪明智慧过人间，出言有理能服众，内外权衡一手担。此星值命，主有领众之才，宜任事掌权，志向高远。"},
    {10380, false, "凤凰。凤凰在朝阳，心性甚是良，若不居官禄，定是旺家娘。"},
};

// Body part (0 头 … 6 足) by season of the month branch (冬 春 夏 秋) and hour branch (亥 first).
constexpr int kEmperorPart[4][12] = {{1, 4, 5, 3, 2, 6, 0, 1, 5, 3, 2, 6},
                                     {3, 0, 3, 6, 2, 5, 1, 4, 1, 6, 2, 5},
                                     {3, 4, 1, 6, 2, 5, 1, 0, 3, 6, 2, 5},
                                     {0, 2, 1, 5, 3, 6, 1, 2, 3, 4, 5, 6}};
constexpr std::string_view kSeasonWords[4] = {"冬季", "春季", "夏季", "秋季"};

// 飞星禄位: month of each row by hour branch (子 first).
constexpr int kFlyingStar[10][12] = {{2, 4, 8, 3, 9, 12, 5, 1, 11, 6, 10, 7},  {4, 7, 12, 10, 5, 2, 3, 9, 6, 1, 8, 11},
                                     {3, 9, 2, 4, 8, 1, 12, 6, 5, 11, 7, 10},  {9, 5, 10, 8, 2, 11, 4, 12, 3, 7, 1, 6},
                                     {1, 8, 7, 11, 6, 3, 2, 10, 4, 12, 9, 5},  {8, 1, 4, 2, 3, 9, 11, 5, 12, 10, 6, 8},
                                     {5, 2, 11, 6, 12, 4, 9, 7, 10, 8, 3, 1},  {7, 10, 6, 1, 11, 5, 8, 4, 2, 3, 12, 9},
                                     {12, 6, 5, 9, 7, 8, 10, 11, 1, 4, 2, 3},  {11, 12, 9, 4, 10, 1, 3, 8, 7, 6, 5, 2}};

// 有无屋宅 offset by year branch (亥 first).
constexpr int kHouse[12] = {10, 7, 4, 10, 7, 4, 1, 10, 7, 1, 4, 1};

// Month lists end at the first 0.
using Months = std::array<int, 5>;
// 有无田地: six groups of months by year element (水 木 火 土 金).
constexpr Months kFields[5][6] = {
    {{4, 2, 3}, {10, 6, 3}, {5}, {4}, {7, 8, 6}, {5, 9}},
    {{11, 5, 4}, {1, 3, 6}, {8}, {7, 8}, {9, 10, 11}, {9, 10, 2}},
    {{5, 4, 8}, {4, 6, 9}, {10, 11}, {10}, {2, 12}, {3}},
    {{2}, {10, 12, 2}, {5}, {4}, {7, 8, 6}, {9}},
    {{10, 12}, {1, 7, 9, 12}, {2}, {1}, {3, 4, 5}, {6, 10, 2}}};
// 有无刑克 group a: six rows by year element.
constexpr Months kHarmA[6][5] = {
    {{4, 6, 7}, {2, 6, 12}, {1, 10}, {5, 6, 8, 11}, {4, 6, 7, 8}},
    {{4, 6, 9, 10}, {3, 6, 12}, {2, 6, 11}, {1, 6, 8, 10}, {1, 5, 9, 10}},
    {{11, 12}, {6, 10}, {1, 5}, {3, 12}, {8, 9}},
    {{1, 4, 6, 9}, {5, 6, 8, 9}, {1, 4, 5, 7}, {1, 4, 8, 9}, {4, 5, 7, 9}},
    {{1, 4, 8, 9}, {1, 6, 7, 8}, {1, 4, 6, 7}, {3, 4, 5, 7}, {2, 5, 7, 8}},
    {{1, 2}, {7, 11}, {4, 7}, {4, 12}, {5, 6}}};
// Group b: three rows of two months by year branch (亥 first).
constexpr int kHarmB[3][12][2] = {
    {{6, 9}, {3, 7}, {1, 9}, {6, 8}, {4, 6}, {2, 4}, {10, 11}, {2, 4}, {2, 5}, {5, 9}, {1, 12}, {8, 10}},
    {{5, 8}, {1, 6}, {3, 5}, {4, 5}, {1, 5}, {3, 8}, {7, 10}, {5, 11}, {7, 8}, {10, 11}, {3, 11}, {4, 5}},
    {{5, 6}, {2, 7}, {1, 7}, {6, 8}, {4, 6}, {4, 10}, {7, 10}, {2, 4}, {2, 8}, {5, 9}, {1, 3}, {8, 10}}};
// Group c: months by the year branch's triad (branch % 4: 亥卯未, 申子辰, 巳酉丑, 寅午戌).
constexpr Months kHarmC[4] = {{5, 7}, {1, 7, 11}, {4, 6, 9, 11}, {4, 7}};

// Table F by year element: L, L2, Lf, k.
constexpr int kL[5] = {7, 10, 1, 7, 4};
constexpr int kL2[5] = {9, 12, 3, 9, 6};
constexpr int kLf[5] = {2, 5, 8, 2, 11};
constexpr int kAfterDeath[5] = {3, 2, 4, 5, 1};

constexpr std::string_view kSons[12] = {"生四子", "生二子", "生三子", "生三子", "生五子", "生二子",
                                        "生一子", "无子", "有子也夭亡", "有养子", "少子", "三子存一"};

// 寿数长短 by year element, half of the month (days 1-15, 16 on) and month.
constexpr int kLifeSpan[5][2][12] = {
    {{53, 26, 36, 45, 63, 26, 41, 49, 31, 35, 49, 25}, {82, 72, 59, 61, 75, 82, 62, 64, 73, 69, 81, 79}},
    {{35, 16, 39, 35, 36, 49, 26, 61, 31, 45, 25, 35}, {74, 76, 59, 72, 83, 83, 75, 75, 73, 73, 63, 67}},
    {{49, 36, 13, 29, 28, 51, 39, 16, 23, 36, 22, 51}, {71, 73, 65, 59, 64, 69, 59, 76, 71, 59, 71, 59}},
    {{39, 47, 25, 37, 46, 17, 13, 15, 51, 15, 51, 80}, {77, 59, 72, 68, 59, 59, 49, 66, 67, 64, 59, 83}},
    {{45, 68, 37, 51, 39, 25, 38, 45, 59, 45, 35, 43}, {67, 73, 63, 81, 76, 61, 59, 82, 72, 66, 59, 68}}};

bool holds(const Months& list, int m) {
    for (int v : list) {
        if (v == 0) break;
        if (v == m) return true;
    }
    return false;
}

int mod12(int x) { return cycleMod(x, 12); }

}  // namespace

int threeLivesMonthOf(const Chart& chart) {
    if (chart.settings.yue == 1) return chart.birthLunar.month;
    int m = cycleMod(chart.pillars[1], 60) % 12 - 2;
    if (m < 1) m += 12;
    return m;
}

std::string threeLivesReading(const Chart& chart, const TextTable& texts) {
    const TextTable& t = texts;
    const int M = threeLivesMonthOf(chart);
    const int year = cycleMod(chart.pillars[0], 60);
    const int Y0 = year % 12;
    const int Y = Y0 == 0 ? 12 : Y0;
    const int Ys = year % 10 == 0 ? 10 : year % 10;
    const int B0 = cycleMod(chart.pillars[1], 60) % 12;
    const int H0 = cycleMod(chart.pillars[3], 60) % 12;
    const int H1 = mod12(H0 - 1);
    int DB = cycleMod(chart.pillars[2], 60) % 12 + 10;
    if (DB > 12) DB -= 12;
    const int D = chart.birthLunar.day;
    const int E = chart.nayinElements[0] % 5;
    const int Ed = chart.nayinElements[2] % 5;
    const int dir = chart.request.male ? 1 : -1;

    std::string out;
    out.reserve(8192);
    auto text = [&](int id) -> std::string_view {
        if (chart.settings.xingbie)
            for (const SexedText& s : kSexedTexts)
                if (s.id == id && s.male == chart.request.male) return s.text;
        return t.text(id);
    };
    auto one = [&](std::string_view heading, int id) {
        out += heading;
        out += text(id);
        out += "\r\n\r\n";
    };
    auto two = [&](std::string_view heading, int id1, int id2) {
        out += heading;
        out += text(id1);
        out += "\r\n";
        out += kIndent7;
        out += text(id2);
        out += "\r\n\r\n";
    };

    one("※推三世吉凶：", 10349 + M);
    one("※推北斗坐命：", 10480 + Y0);
    {
        const int season = B0 / 3;
        out += "※推四季皇帝：";
        out += kSeasonWords[season];
        out += kBranches[H0];
        out += "时，";
        out += text(10001 + kEmperorPart[season][H0]);
        out += "\r\n\r\n";
    }
    {
        const int minutes = (60 * chart.birthLocal.hour + chart.birthLocal.minute + 60) % 1440;
        one("※时辰论命：", 10110 + 3 * H0 + (minutes / 40) % 3);
    }
    one("※推所值星辰：", 10370 + cycleMod(D - 1, 6));
    one("※推人命形状：", 10380 + mod12(M - Y));
    {
        static constexpr int kPath[6] = {1, 0, 2, 3, 5, 4};
        const int w = cycleMod(Y0 + dir * ((M - 1) + H1 + (D - 1)) + 120, 12);
        two("※推六道神数：", 10010 + kPath[w % 6], 10020 + w);
    }
    {
        int b = Y0 + 11;
        if (b > 12) b -= 12;
        one("※推所属骨骼：", 10530 + mod12(M - b));
    }
    {
        int row = -1;
        for (int r = 0; r < 10 && row < 0; ++r)
            if (kFlyingStar[r][H1] == M) row = r;
        if (row < 0) out += "※推飞星禄位：无。\r\n\r\n";
        else one("※推飞星禄位：", 10060 + row);
    }
    one("※推一生衣禄：", 10220 + mod12(DB - M));
    one("※推有无手艺：", 10320 + mod12(M - Ys));
    {
        static constexpr int kSchool[4] = {10, 7, 4, 1};  // 亥卯未, 申子辰, 巳酉丑, 寅午戌
        one("※推有无学堂：", 10240 + mod12(M - kSchool[Y0 % 4]));
    }
    one("※推有无屋宅：", 10150 + mod12(M - kHouse[Y0]));
    {
        int g = -1;
        for (int i = 0; i < 6 && g < 0; ++i)
            if (holds(kFields[E][i], M)) g = i;
        if (g < 0) out += "※推有无田地：无。\r\n\r\n";
        else one("※推有无田地：", 10170 + g);
    }
    const int u = mod12(M - Y);
    two("※推有无牛猪：", 10180 + u, 10200 + u);
    one("※推有无蚕桑：", 10280 + u);
    {
        std::string section = "※推有无刑克：";
        const std::size_t headingSize = section.size();
        auto add = [&](int id) {
            if (section.size() > headingSize) section += kIndent7;
            section += t.text(id);
            section += "\r\n\r\n";
        };
        for (int k = 0; k < 6; ++k)
            if (holds(kHarmA[k][E], M)) add(10470 + k);
        for (int k = 0; k < 3; ++k)
            if (kHarmB[k][Y0][0] == M || kHarmB[k][Y0][1] == M) add(10476 + k);
        if (holds(kHarmC[Y0 % 4], M)) add(10479);
        if (section.size() == headingSize) section += "无。\r\n\r\n";
        out += section;
    }
    one("※推兄弟关系：", 10450 + mod12(M - kL[E]));
    two("※推夫妇和睦：", 10070 + mod12(M - kL[E]), 10090 + mod12(M - kL2[E]));
    one("※推子女命数：", 10400 + (chart.request.male ? mod12(M - kL[E]) : mod12(kLf[E] - M)));
    out += "※推子息多少：观子星落宫，应";
    out += kSons[lifeStageIndex(cycleMod(chart.pillars[2], 60) % 10, H0)];
    out += "。\r\n\r\n";
    one("※推命终寿：", 10260 + mod12(M - kL[E]));
    // The setting wenhe spares the reader a number of years to live and the funeral.
    if (!chart.settings.wenhe) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "※推寿数长短：%d岁。\r\n", kLifeSpan[E][D >= 16 ? 1 : 0][mod12(M - 1)]);
        out += buf;
        // The number never stands alone: the method's own word on it follows.
        out += kLifeSpanNote;
        out += "\r\n\r\n";
        one("※推死后终身：", 10300 + mod12(M - kAfterDeath[E]));
    }
    one("※推青龙性情：", 10430 + H0);
    {
        static constexpr int kTiger[5] = {4, 1, 0, 2, 3};  // by day na-yin element 水 木 火 土 金
        one("※推白虎性情：", 10420 + kTiger[Ed]);
    }
    return out;
}

}  // namespace hj
