#include "core/chart/stars.h"

#include "core/calendar/datetime.h"
#include "core/chart/derived.h"

namespace hj {
namespace {

// Branch indices (亥 = 0 … 戌 = 11) and stems (癸 = 0 … 壬 = 9) by name, for readable tables.
enum Br { HAI, ZI, CHOU, YIN, MAO, CHEN, SI, WU, WEI, SHEN, YOU, XU, NONE = -1 };
enum St { GUI, JIA, YI, BING, DING, WU_S, JI, GENG, XIN, REN };

constexpr int pillarOf(int stem, int branch) {
    int c = ((stem - branch) % 12 + 12) % 12;
    return stem + 10 * (c / 2);
}

// Rule tables by day stem (癸 first): up to four branches each.
using Cell = std::array<int, 4>;
constexpr Cell kTianYi[10] = {{MAO, SI, NONE, NONE}, {CHOU, WEI, NONE, NONE}, {ZI, SHEN, NONE, NONE},
                              {HAI, YOU, NONE, NONE}, {HAI, YOU, NONE, NONE}, {CHOU, WEI, NONE, NONE},
                              {ZI, SHEN, NONE, NONE}, {YIN, WU, NONE, NONE}, {YIN, WU, NONE, NONE},
                              {MAO, SI, NONE, NONE}};
constexpr Cell kTaiJi[10] = {{SI, SHEN, NONE, NONE}, {ZI, WU, NONE, NONE},  {ZI, WU, NONE, NONE},
                             {MAO, YOU, NONE, NONE}, {MAO, YOU, NONE, NONE}, {CHOU, CHEN, WEI, XU},
                             {CHOU, CHEN, WEI, XU},  {YIN, HAI, NONE, NONE}, {YIN, HAI, NONE, NONE},
                             {SI, SHEN, NONE, NONE}};
constexpr Cell kFuXing[10] = {{CHOU, MAO, NONE, NONE}, {ZI, YIN, NONE, NONE}, {CHOU, MAO, NONE, NONE},
                              {ZI, YIN, NONE, NONE},   {HAI, NONE, NONE, NONE}, {SHEN, NONE, NONE, NONE},
                              {WEI, NONE, NONE, NONE}, {WU, NONE, NONE, NONE},  {SI, NONE, NONE, NONE},
                              {CHEN, NONE, NONE, NONE}};
constexpr Cell kWenChang[10] = {{MAO, NONE, NONE, NONE}, {SI, WU, NONE, NONE},  {SI, WU, NONE, NONE},
                                {SHEN, NONE, NONE, NONE}, {YOU, NONE, NONE, NONE}, {SHEN, NONE, NONE, NONE},
                                {YOU, NONE, NONE, NONE},  {HAI, NONE, NONE, NONE}, {ZI, NONE, NONE, NONE},
                                {YIN, NONE, NONE, NONE}};
constexpr int kGuoYin[10] = {SHEN, XU, HAI, CHOU, YIN, CHOU, YIN, CHEN, SI, WEI};
constexpr int kLu[10] = {ZI, YIN, MAO, SI, WU, SI, WU, SHEN, YOU, HAI};
constexpr int kYangRen[10] = {HAI, MAO, YIN, WU, SI, WU, SI, YOU, SHEN, ZI};
// 词馆 pillar by day stem.
constexpr int kCiGuan[10] = {pillarOf(REN, XU),  pillarOf(GENG, YIN), pillarOf(XIN, MAO), pillarOf(YI, SI),
                             pillarOf(WU_S, WU), pillarOf(DING, SI),  pillarOf(GENG, WU), pillarOf(REN, SHEN),
                             pillarOf(GUI, YOU), pillarOf(GUI, HAI)};
// 学堂 pillar by element of the day stem (水 木 火 土 金).
constexpr int kXueTang[5] = {pillarOf(JIA, SHEN), pillarOf(JI, HAI), pillarOf(BING, YIN), pillarOf(WU_S, SHEN),
                             pillarOf(XIN, SI)};
// 天德 sign by month branch (亥 first): the name of a stem or a branch.
constexpr std::string_view kTianDe[12] = {"乙", "巳", "庚", "丁", "申", "壬", "辛", "亥", "甲", "癸", "寅", "丙"};

// Three-harmony rows by key-branch group (branch % 4: 0 亥卯未, 1 申子辰, 2 巳酉丑, 3 寅午戌),
// columns 驿马 华盖 将星 桃花 劫煞 灾煞 亡神.
constexpr std::string_view kHarmonyStars[7] = {"驿马", "华盖", "将星", "桃花", "劫煞", "灾煞", "亡神"};
constexpr int kHarmony[4][7] = {{SI, WEI, MAO, ZI, SHEN, YOU, YIN},
                                {YIN, CHEN, ZI, YOU, SI, WU, HAI},
                                {HAI, CHOU, YOU, WU, YIN, MAO, SHEN},
                                {SHEN, XU, WU, MAO, HAI, ZI, SI}};

bool in(const Cell& cell, int w) {
    for (int b : cell)
        if (b == w) return true;
    return false;
}

// Season of a branch: 0 winter 亥子丑, 1 spring, 2 summer, 3 autumn.
int season(int branch) { return branch / 3; }

int harmonyStar(int keyBranch, int w) {
    const int* row = kHarmony[keyBranch % 4];
    for (int i = 0; i < 7; ++i)
        if (row[i] == w) return i;
    return -1;
}

bool isOneOf(int pillar, std::initializer_list<int> list) {
    for (int p : list)
        if (p == pillar) return true;
    return false;
}

bool isGuLuan(int p) {
    return isOneOf(p, {pillarOf(YI, SI), pillarOf(DING, SI), pillarOf(XIN, HAI), pillarOf(WU_S, SHEN),
                       pillarOf(REN, YIN), pillarOf(WU_S, WU), pillarOf(REN, ZI), pillarOf(BING, WU)});
}

}  // namespace

std::string pillarStars(const std::array<std::int16_t, 4>& pillars, bool male, int yearNayinElement,
                        int position) {
    const int p = cycleMod(pillars[position], 60);
    const int w = p % 12, s = p % 10;
    const int ds = cycleMod(pillars[2], 60) % 10;
    const int dayBranch = cycleMod(pillars[2], 60) % 12;
    const int y = cycleMod(pillars[0], 60) % 12;
    const int m = cycleMod(pillars[1], 60) % 12;
    const bool yangMaleYinFemale = male == (cycleMod(pillars[0], 60) % 2 == 1);
    std::string out;
    auto add = [&out](std::string_view star) {
        out += star;
        out += ' ';
    };

    if (in(kTianYi[ds], w)) add("天乙");
    if (in(kTaiJi[ds], w)) add("太极");
    {
        static constexpr int kYueDe[4] = {JIA, REN, GENG, BING};  // by month-branch group (branch % 4)
        if (s == kYueDe[m % 4]) add("月德");
    }
    if (kTianDe[m] == kBranches[w] || kTianDe[m] == kStems[s]) add("天德");
    if (in(kFuXing[ds], w)) add("福星");
    if (in(kWenChang[ds], w)) add("文昌");
    if (kGuoYin[ds] == w) add("国印");
    int byDay = -1;
    if (position != 2) {
        byDay = harmonyStar(dayBranch, w);
        if (byDay >= 0) add(kHarmonyStars[byDay]);
    }
    if (position != 0) {
        int byYear = harmonyStar(y, w);
        if (byYear >= 0 && byYear != byDay) add(kHarmonyStars[byYear]);
        int gou = yangMaleYinFemale ? (y + 3) % 12 : (y + 9) % 12;
        int jiao = yangMaleYinFemale ? (y + 9) % 12 : (y + 3) % 12;
        if (w == gou) add("勾煞");
        if (w == jiao) add("绞煞");
        if (w == (yangMaleYinFemale ? (y + 7) % 12 : (y + 5) % 12)) add("大耗");
    }
    if (position >= 2) {
        int se = season(m);
        bool tong = false;
        if ((se == 0 || se == 2) && (w == MAO || w == CHEN || w == WEI)) tong = true;
        if ((se == 1 || se == 3) && (w == ZI || w == YIN)) tong = true;
        switch (yearNayinElement) {
        case 0: case 2: if (w == YOU || w == XU) tong = true; break;
        case 3: if (w == CHEN || w == SI) tong = true; break;
        case 1: case 4: if (w == MAO || w == WU) tong = true; break;
        default: break;
        }
        if (tong) add("童子");
    }
    const int de = stemElement(ds);
    if (de == 2 && (w == XU || w == HAI)) add("天罗");
    if ((de == 0 || de == 3) && (w == CHEN || w == SI)) add("地网");
    if (p == kXueTang[de]) add("学堂");
    if (p == kCiGuan[ds]) add("词馆");
    if (w + 1 == (m == HAI ? 12 : m)) add("天医");
    if (w == kLu[ds]) add("禄神");
    if (w == (kLu[ds] + 2) % 12) add("金舆");
    if (w == kYangRen[ds]) add("羊刃");
    const int guChen = (y / 3 * 3 + 3) % 12;
    if (w == guChen) add("孤辰");
    if (w == cycleMod(guChen - 4, 12)) add("寡宿");
    auto voids = voidBranches(pillars[2]);
    if (w == voids[0] || w == voids[1]) add("空亡");
    return out;
}

std::string dayMarks(int dayPillar, int monthBranch) {
    const int d = cycleMod(dayPillar, 60);
    const int se = season(cycleMod(monthBranch, 12));
    std::string out;
    if (isOneOf(d, {pillarOf(GENG, CHEN), pillarOf(REN, CHEN), pillarOf(WU_S, XU), pillarOf(GENG, XU)}))
        out += "魁罡 ";
    if (isOneOf(d, {pillarOf(YI, CHOU), pillarOf(JI, SI), pillarOf(GUI, YOU)})) out += "金神 ";
    if (isOneOf(d, {pillarOf(BING, ZI), pillarOf(DING, CHOU), pillarOf(WU_S, YIN), pillarOf(XIN, MAO),
                    pillarOf(REN, CHEN), pillarOf(GUI, SI), pillarOf(BING, WU), pillarOf(DING, WEI),
                    pillarOf(WU_S, SHEN), pillarOf(XIN, YOU), pillarOf(REN, XU), pillarOf(GUI, HAI)}))
        out += "阴阳差错 ";
    {
        static constexpr int kSheByseason[4] = {pillarOf(JIA, ZI), pillarOf(WU_S, YIN), pillarOf(JIA, WU),
                                                pillarOf(WU_S, SHEN)};
        if (d == kSheByseason[se]) out += "天赦 ";
    }
    if (isOneOf(d, {pillarOf(JIA, CHEN), pillarOf(YI, SI), pillarOf(BING, SHEN), pillarOf(DING, HAI),
                    pillarOf(WU_S, XU), pillarOf(JI, CHOU), pillarOf(GENG, CHEN), pillarOf(XIN, SI),
                    pillarOf(REN, SHEN), pillarOf(GUI, HAI)}))
        out += "十恶大败 ";
    {
        static constexpr int kSiFei[4][2] = {{pillarOf(BING, WU), pillarOf(DING, SI)},
                                             {pillarOf(GENG, SHEN), pillarOf(XIN, YOU)},
                                             {pillarOf(REN, ZI), pillarOf(GUI, HAI)},
                                             {pillarOf(JIA, YIN), pillarOf(YI, MAO)}};
        if (d == kSiFei[se][0] || d == kSiFei[se][1]) out += "四废 ";
    }
    if (isGuLuan(d)) out += "孤鸾 ";
    return out;
}

std::string hourMarks(int hourPillar) { return isGuLuan(cycleMod(hourPillar, 60)) ? "孤鸾 " : ""; }

int threeWonders(const std::array<std::int16_t, 4>& pillars) {
    int s[4];
    for (int i = 0; i < 4; ++i) s[i] = cycleMod(pillars[i], 60) % 10;
    auto run = [&s](int a, int b, int c) {
        return (s[0] == a && s[1] == b && s[2] == c) || (s[1] == a && s[2] == b && s[3] == c);
    };
    if (run(JIA, WU_S, GENG)) return 1;
    if (run(YI, BING, DING)) return 2;
    if (run(REN, GUI, XIN)) return 3;
    return 0;
}

bool hasDeXiu(const std::array<std::int16_t, 4>& pillars) {
    bool has[10] = {};
    for (auto p : pillars) has[cycleMod(p, 60) % 10] = true;
    switch (cycleMod(pillars[1], 60) % 12 % 4) {
    case 0: return (has[JIA] || has[YI]) && has[DING] && has[REN];                    // 亥卯未
    case 1: return ((has[REN] || has[GUI]) && has[BING] && has[XIN]) ||                // 申子辰
                   ((has[WU_S] || has[JI]) && has[JIA] && has[JI]);
    case 2: return (has[GENG] || has[XIN]) && has[YI] && has[GENG];                   // 巳酉丑
    default: return (has[BING] || has[DING]) && has[WU_S] && has[GUI];                // 寅午戌
    }
}

bool hasGongLu(int dayPillar, int hourPillar) {
    const int d = cycleMod(dayPillar, 60), h = cycleMod(hourPillar, 60);
    static constexpr int kPairs[5][2] = {{pillarOf(GUI, HAI), pillarOf(GUI, CHOU)},
                                         {pillarOf(GUI, CHOU), pillarOf(GUI, HAI)},
                                         {pillarOf(DING, SI), pillarOf(DING, WEI)},
                                         {pillarOf(JI, WEI), pillarOf(JI, SI)},
                                         {pillarOf(WU_S, CHEN), pillarOf(WU_S, WU)}};
    for (const auto& pr : kPairs)
        if (d == pr[0] && h == pr[1]) return true;
    return false;
}

std::string chartMarkLines(const std::array<std::int16_t, 4>& pillars) {
    static constexpr std::string_view kWonders[4] = {"", "  ☆命带天上三奇\r\n", "  ☆命带地下三奇\r\n",
                                                     "  ☆命带人中三奇\r\n"};
    std::string out(kWonders[threeWonders(pillars)]);
    bool deXiu = hasDeXiu(pillars), gongLu = hasGongLu(pillars[2], pillars[3]);
    if (deXiu || gongLu) {
        out += "  ☆";
        if (deXiu) out += "德秀 ";
        if (gongLu) out += "拱禄 ";
        out += "\r\n";
    }
    return out;
}

int sunSignIndex(int gregorianMonth, bool atOrAfterMidTerm) {
    return (gregorianMonth + (atOrAfterMidTerm ? 1 : 0) + 8) % 12;
}

int mansionIndex(long dayNumber) { return static_cast<int>(((dayNumber + 25) % 28 + 28) % 28); }

int lifeTrigramIndex(int localYear, int yearPillar, bool male) {
    int y = localYear;
    if (cycleMod(y + 897, 60) != cycleMod(yearPillar, 60)) y -= 1;  // born before 立春
    int z = cycleMod(y + 1016, 9);
    int b;
    if (male) {
        b = cycleMod(19 - z, 9);
        if (b == 5) b = 2;
    } else {
        b = (z + 5) % 9;
        if (b == 5) b = 8;
    }
    return b;
}

bool isEastGroup(int trigramIndex) {
    return trigramIndex == 0 || trigramIndex == 1 || trigramIndex == 3 || trigramIndex == 4;
}

}  // namespace hj
