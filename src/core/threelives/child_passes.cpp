// The child passes (小儿关煞) and the 81-year block (流年神煞和九星).
#include <cstdio>

#include "core/calendar/datetime.h"
#include "core/chart/chart.h"
#include "core/chart/text_table.h"
#include "core/threelives/three_lives.h"

namespace hj {
namespace {

struct Pass {
    std::string_view line;
    std::string_view cells[12];  // hour branches that meet the pass, by key (子 first; stems 甲 first)
};

// Rules 1-9 keyed by the year branch, 10-23 by the month branch, 24-31 by the day stem.
constexpr Pass kPasses[31] = {
    {"◆短命关（主夜叫惊啼患，幼年宜小心看护养育。）\r\n", {"巳", "寅", "辰", "未", "巳", "寅", "辰", "未", "巳", "寅", "辰", "未"}},
    {"◆五鬼关（勿见棺木，勿过墓地。）\r\n", {"辰", "巳", "午", "未", "申", "酉", "戌", "亥", "子", "丑", "寅", "卯"}},
    {"◆休庵关（又名休庵和尚关，忌入庵庙。）\r\n", {"丑辰未戌", "子卯午酉", "寅巳申亥", "丑辰未戌", "子卯午酉", "寅巳申亥", "丑辰未戌", "子卯午酉", "寅巳申亥", "丑辰未戌", "子卯午酉", "寅巳申亥"}},
    {"◆天吊关（宜过房或认养父母。）\r\n", {"巳午", "子卯", "辰午", "午申", "巳午", "子卯", "辰午", "午申", "巳午", "子卯", "辰午", "午申"}},
    {"◆鬼门关（忌远行。）\r\n", {"酉", "午", "未", "申", "亥", "戌", "丑", "寅", "卯", "子", "巳", "辰"}},
    {"◆撞命关（难养宜过房。）\r\n", {"卯", "未", "巳", "子", "午", "午", "辰", "丑", "午", "亥", "未", "酉"}},
    {"◆汤火关（宜小心汤火。）\r\n", {"午", "未", "寅", "午", "未", "寅", "午", "未", "寅", "午", "未", "寅"}},
    {"◆埋儿关（勿观丧，食白宴。）\r\n", {"丑", "卯", "申", "丑", "卯", "申", "丑", "卯", "申", "丑", "卯", "申"}},
    {"◆天狗关（防血光、破相之伤。）\r\n", {"戌", "亥", "子", "丑", "寅", "卯", "辰", "巳", "午", "未", "申", "酉"}},
    {"◆四柱关（忌远行，坐车小心。）\r\n", {"丑未", "子午", "巳亥", "卯酉", "卯酉", "寅申", "丑未", "子午", "巳亥", "辰戌", "卯酉", "寅申"}},
    {"◆四季关（幼年多病厄，人命逢之有始无终。）\r\n", {"寅戌", "寅戌", "丑巳", "丑巳", "丑巳", "辰申", "辰申", "辰申", "未亥", "未亥", "未亥", "寅戌"}},
    {"◆阎王关（勿看佛事功德。）\r\n", {"寅卯", "寅卯", "丑未", "丑未", "丑未", "辰戌", "辰戌", "辰戌", "子午", "子午", "子午", "寅卯"}},
    {"◆水穴关（勿近水边井边。）\r\n", {"丑", "丑", "未戌", "未戌", "未戌", "丑辰", "丑辰", "丑辰", "酉", "酉", "酉", "丑"}},
    {"◆急脚煞（勿看房舍修造、动土。）\r\n", {"丑辰", "丑辰", "子亥", "子亥", "子亥", "卯未", "卯未", "卯未", "寅戌", "寅戌", "寅戌", "丑辰"}},
    {"◆将军箭（勿入阴庙，三、六、九、十二月忌去将军庙。）\r\n", {"巳申亥", "巳申亥", "辰酉戌", "辰酉戌", "辰酉戌", "子卯未", "子卯未", "子卯未", "丑寅午", "丑寅午", "丑寅午", "巳申亥"}},
    {"◆无情煞（生父母偏呼或重拜父母。）\r\n", {"子午", "子午", "子寅酉", "子寅酉", "子寅酉", "巳戌亥", "巳戌亥", "巳戌亥", "申酉", "申酉", "申酉", "子午"}},
    {"◆浴盆煞（三朝洗儿宜小心。）\r\n", {"丑", "丑", "辰", "辰", "辰", "未", "未", "未", "戌", "戌", "戌", "丑"}},
    {"◆夜啼关（夜间忌火光。）\r\n", {"卯", "卯", "午", "午", "午", "酉", "酉", "酉", "子", "子", "子", "卯"}},
    {"◆水火关（防水火之厄。）\r\n", {"辰未", "辰未", "未戌", "未戌", "未戌", "丑辰", "丑辰", "丑辰", "丑辰", "丑辰", "丑辰", "辰未"}},
    {"◆深水关（勿近河池水边。）\r\n", {"丑", "丑", "寅申", "寅申", "寅申", "未", "未", "未", "酉", "酉", "酉", "丑"}},
    {"◆金锁关（勿带金银锁片、钱币恐入口内。）\r\n", {"子", "丑", "申", "酉", "戌", "亥", "子", "丑", "申", "酉", "戌", "亥"}},
    {"◆断桥关（勿过桥、渡舟、摇篮睡。）\r\n", {"亥", "子", "寅", "卯", "申", "丑", "戌", "酉", "辰", "巳", "午", "未"}},
    {"◆百日关（百日内忌远行恐惊风。）\r\n", {"寅巳申亥", "子卯午酉", "丑辰未戌", "寅巳申亥", "子卯午酉", "丑辰未戌", "寅巳申亥", "子卯午酉", "丑辰未戌", "寅巳申亥", "子卯午酉", "丑辰未戌"}},
    {"◆午日关（午日内勿往外婆家，主惊风吐乳，意恐外婆疼外孙，给予零嘴喂食。）\r\n", {"午", "午", "申", "申", "巳", "巳", "寅", "寅", "丑寅", "丑寅"}},
    {"◆雷公关（勿抱高空或高处爬玩，命带天月二德贵人可解。）\r\n", {"丑", "午", "子", "子", "戌", "戌", "寅", "寅", "酉", "亥"}},
    {"◆落井关（勿近水井坑洞。）\r\n", {"巳", "子", "申", "戌", "卯", "巳", "子", "申", "戌", "卯"}},
    {"◆白虎煞（主有血光惊风破相。）\r\n", {"酉", "酉", "子", "子", "午", "午", "卯", "卯", "午", "午"}},
    {"◆断肠关（勿看杀猪、羊、鸡、鸭等宰杀之事恐惊吓。）\r\n", {"午未", "午未", "辰", "辰", "巳", "巳", "寅", "寅", "丑", "丑"}},
    {"◆铁蛇关（出疹宜小心。）\r\n", {"辰", "辰", "未申", "未申", "寅", "寅", "戌", "戌", "丑", "丑"}},
    {"◆鸡飞关（防鸡飞过头、鸡啄等惊吓。）\r\n", {"丑酉", "子巳", "子巳", "子巳", "子巳", "丑酉", "卯未亥", "卯未亥", "寅午戌", "寅午戌"}},
    {"◆取命关（日主旺，则多疾病；日主弱，则难养成。）\r\n", {"子辰申", "子辰申", "子辰申", "子辰申", "卯未亥", "卯未亥", "卯未亥", "寅午戌", "寅午戌", "寅午戌"}},
};

// Nine-star order of the yearly block by sex.
constexpr int kStarsMale[9] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
constexpr int kStarsFemale[9] = {6, 5, 8, 7, 1, 0, 4, 3, 2};

}  // namespace

std::string listChildPasses(const Chart& chart) {
    const int yb = cycleMod(chart.pillars[0], 60) % 12;
    const int mb = cycleMod(chart.pillars[1], 60) % 12;
    const int ds = cycleMod(chart.pillars[2], 60) % 10;
    const std::string_view hour = kBranches[cycleMod(chart.pillars[3], 60) % 12];
    std::string out;
    for (int i = 0; i < 31; ++i) {
        // Branch columns start at 子 (index 1), stem columns at 甲 (index 1).
        const int column = i < 9 ? cycleMod(yb - 1, 12) : i < 23 ? cycleMod(mb - 1, 12) : cycleMod(ds - 1, 10);
        if (kPasses[i].cells[column].find(hour) != std::string_view::npos) out += kPasses[i].line;
    }
    return out;
}

std::string listYearlyFortune(const Chart& chart, const TextTable& texts, int fromYear) {
    const TextTable& t = texts;
    const int yearPillar = cycleMod(chart.pillars[0], 60);
    const int y = chart.birthLocal.year;
    int p = cycleMod(y + 897, 60) != yearPillar ? y - 1 : y;  // born before the pillar year began
    if (p == 0) p = -1;
    const int* order = chart.request.male ? kStarsMale : kStarsFemale;
    std::string out;
    out.reserve(81 * 400);
    char buf[128];
    // From a later year on: the entries before it are passed over, their years still counted.
    // A year outside the 81 (before birth or past them) keeps the whole block.
    const int last = p + 80 + (p < 0 && p + 80 >= 0 ? 1 : 0);
    const bool fromLater = fromYear != 0 && fromYear > p && fromYear <= last;
    for (int i = 1; i <= 81; ++i) {
        if (fromLater && p < fromYear) {
            p += 1;
            if (p == 0) p = 1;
            continue;
        }
        const int e = (i + yearPillar + 59) % 60;
        std::snprintf(buf, sizeof buf, "【%d岁流年：%s%s%d年】", i, std::string(kStems[e % 10]).c_str(),
                      std::string(kBranches[e % 12]).c_str(), p);
        out += buf;
        out += t.text(10500 + (i - 1) % 12);
        out += "\r\n　　";
        out += t.text(10520 + order[(i - 1) % 9]);
        out += "\r\n\r\n";
        p += 1;
        if (p == 0) p = 1;
    }
    return out;
}

}  // namespace hj
