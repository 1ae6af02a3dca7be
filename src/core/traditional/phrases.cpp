#include "core/traditional/phrases.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace hj::traditional {
namespace {

// Simplified phrase → its Traditional form, where the general conversion would choose the
// wrong character. Single characters set this field's default reading of a character; the
// longer phrases the exceptions to it. Order does not matter: the longest match wins.
constexpr Phrase kPhrases[] = {
    // 干: the heavenly stems (天干, 日干, 干支, 透干, 干合); 乾/幹 only in the words below.
    {"干", "干"},
    {"干燥", "乾燥"}, {"干旱", "乾旱"}, {"干净", "乾淨"}, {"干枯", "乾枯"}, {"干脆", "乾脆"},
    {"干杯", "乾杯"}, {"干涸", "乾涸"}, {"外强中干", "外強中乾"}, {"天干物燥", "天乾物燥"},
    {"才干", "才幹"}, {"能干", "能幹"}, {"干部", "幹部"}, {"树干", "樹幹"}, {"主干", "主幹"},
    {"骨干", "骨幹"}, {"干事", "幹事"}, {"干活", "幹活"}, {"干练", "幹練"}, {"干劲", "幹勁"},
    {"实干", "實幹"}, {"苦干", "苦幹"}, {"精干", "精幹"}, {"干线", "幹線"}, {"躯干", "軀幹"},
    // 丑: the branch (丑时, 乙丑, 丑未相冲); 醜 only for ugliness.
    {"丑", "丑"},
    {"丑陋", "醜陋"}, {"丑恶", "醜惡"}, {"美丑", "美醜"}, {"出丑", "出醜"}, {"丑闻", "醜聞"},
    {"家丑", "家醜"}, {"丑化", "醜化"}, {"丑态", "醜態"}, {"丑八怪", "醜八怪"},
    // 冲: the clash of branches is 沖 (六沖, 相沖, 沖太歲); 衝 for rushing and conflict.
    {"冲", "沖"},
    {"冲动", "衝動"}, {"冲突", "衝突"}, {"冲击", "衝擊"}, {"冲破", "衝破"}, {"冲锋", "衝鋒"},
    {"冲刺", "衝刺"}, {"冲撞", "衝撞"}, {"要冲", "要衝"}, {"冲劲", "衝勁"}, {"冲出", "衝出"},
    {"冲进", "衝進"}, {"首当其冲", "首當其衝"}, {"怒发冲冠", "怒髮衝冠"},
    // 沉 is its own character, never 沈.
    {"沉", "沉"}, {"沉淀", "沉澱"},
    // 余: 餘 (餘氣, 有餘, 餘暉); the surname 余 in a name is kept by the caller.
    {"余", "餘"}, {"余姓", "余姓"}, {"姓余", "姓余"},
    // 历: 曆 for calendars, 歷 for what is lived through.
    {"农历", "農曆"}, {"皇历", "皇曆"}, {"夏历", "夏曆"}, {"新历", "新曆"}, {"星历", "星曆"},
    {"历数", "曆數"}, {"历元", "曆元"}, {"历表", "曆表"}, {"历谱", "曆譜"}, {"历日", "曆日"},
    {"干支历", "干支曆"}, {"历书", "曆書"}, {"历法", "曆法"}, {"日历", "日曆"}, {"月历", "月曆"},
    {"年历", "年曆"}, {"台历", "檯曆"}, {"挂历", "掛曆"}, {"万年历", "萬年曆"}, {"阴历", "陰曆"},
    {"阳历", "陽曆"}, {"公历", "公曆"}, {"旧历", "舊曆"}, {"历代", "歷代"}, {"历史", "歷史"},
    {"经历", "經歷"}, {"阅历", "閱歷"}, {"来历", "來歷"}, {"历程", "歷程"}, {"历年", "歷年"},
    // 发: 髮 for hair.
    {"头发", "頭髮"}, {"须发", "鬚髮"}, {"毛发", "毛髮"}, {"白发", "白髮"}, {"黑发", "黑髮"},
    {"华发", "華髮"}, {"发型", "髮型"}, {"发丝", "髮絲"}, {"理发", "理髮"}, {"落发", "落髮"},
    {"削发", "削髮"}, {"束发", "束髮"}, {"结发", "結髮"}, {"鬓发", "鬢髮"}, {"发髻", "髮髻"},
    {"须眉", "鬚眉"},
    // 钟: 鍾 for affection and in names.
    {"钟情", "鍾情"}, {"钟爱", "鍾愛"}, {"钟灵毓秀", "鍾靈毓秀"}, {"钟离", "鍾離"}, {"钟馗", "鍾馗"},
    // 后: queens and the earth goddess keep 后.
    {"后土", "后土"}, {"皇后", "皇后"}, {"王后", "王后"}, {"太后", "太后"}, {"母后", "母后"},
    {"天后", "天后"}, {"后妃", "后妃"}, {"后羿", "后羿"},
    // 于, 范, 云 as names and in quotations.
    {"于谦", "于謙"}, {"姓于", "姓于"}, {"于姓", "于姓"}, {"范仲淹", "范仲淹"}, {"范蠡", "范蠡"},
    {"姓范", "姓范"}, {"范姓", "范姓"}, {"范氏", "范氏"}, {"云云", "云云"}, {"诗云", "詩云"},
    {"书云", "書云"}, {"经云", "經云"}, {"古云", "古云"}, {"人云亦云", "人云亦云"},
    // 谷雨 is the grain rain, 穀雨; a valley keeps 谷.
    {"谷雨", "穀雨"}, {"山谷", "山谷"}, {"谷神", "谷神"},
    // 舍: a dwelling (宅舍, 房舍); 捨 only for giving up.
    {"舍", "舍"},
    {"施舍", "施捨"}, {"舍得", "捨得"}, {"舍不得", "捨不得"}, {"舍弃", "捨棄"}, {"取舍", "取捨"},
    {"割舍", "割捨"}, {"舍身", "捨身"}, {"舍己", "捨己"}, {"难舍", "難捨"}, {"四舍五入", "四捨五入"},
    {"锲而不舍", "鍥而不捨"},
    // Words the general conversion writes with a less usual character.
    {"凭借", "憑藉"}, {"重复", "重複"}, {"笔划", "筆劃"}, {"称赞", "稱讚"}, {"栋梁", "棟樑"},
    {"堂里", "堂裡"}, {"马系堂中", "馬繫堂中"}, {"静里", "靜裡"}, {"窟里", "窟裡"}, {"乡里", "鄉里"}, {"伙养", "夥養"},
    {"合伙", "合夥"}, {"困乏", "困乏"},
    {"钱谷", "錢穀"}, {"布施", "布施"},
};

std::string_view firstCharacter(std::string_view s) {
    const auto b = static_cast<unsigned char>(s[0]);
    const std::size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    return s.substr(0, n);
}

}  // namespace

const Phrase* phraseAt(std::string_view text) {
    // Phrases by their first character (the lead byte and length of its UTF-8 form suffice to
    // cut the list to a few), longest first.
    static const auto byFirst = [] {
        std::unordered_map<std::string_view, std::vector<const Phrase*>> m;
        for (const Phrase& p : kPhrases) m[firstCharacter(p.simplified)].push_back(&p);
        for (auto& [first, list] : m)
            std::stable_sort(list.begin(), list.end(), [](const Phrase* a, const Phrase* b) {
                return a->simplified.size() > b->simplified.size();
            });
        return m;
    }();
    if (text.empty()) return nullptr;
    const auto it = byFirst.find(firstCharacter(text));
    if (it == byFirst.end()) return nullptr;
    for (const Phrase* p : it->second)
        if (text.substr(0, p->simplified.size()) == p->simplified) return p;
    return nullptr;
}

}  // namespace hj::traditional
