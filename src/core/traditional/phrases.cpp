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
    // 发 as hair in a likeness; 系 as tying; 干 of adoptive kin; 准 as a standard.
    {"如发", "如髮"}, {"一发千钧", "一髮千鈞"}, {"红绳系", "紅繩繫"}, {"系腕", "繫腕"}, {"系足", "繫足"},
    {"系念", "繫念"}, {"维系", "維繫"}, {"联系", "聯繫"}, {"干亲", "乾親"}, {"干爹", "乾爹"}, {"干娘", "乾娘"},
    {"干妈", "乾媽"}, {"定准", "定準"}, {"准则", "準則"}, {"准确", "準確"}, {"标准", "標準"}, {"准备", "準備"},
    {"水准", "水準"}, {"准绳", "準繩"},
    // 舍 as giving: 施茶捨飯.
    {"舍饭", "捨飯"}, {"舍药", "捨藥"}, {"舍财", "捨財"},
    // 游: 遊 for travelling and keeping company, 游 for swimming only.
    {"远游", "遠遊"}, {"四方游", "四方遊"}, {"游幕", "遊幕"}, {"交游", "交遊"}, {"出游", "出遊"}, {"游说", "遊說"},
    {"游历", "遊歷"}, {"优游", "優遊"}, {"游玩", "遊玩"}, {"游子", "遊子"}, {"游荡", "遊蕩"}, {"游学", "遊學"},
    {"云游", "雲遊"}, {"游方", "遊方"}, {"周游", "周遊"}, {"游览", "遊覽"}, {"游乐", "遊樂"}, {"游手好闲", "遊手好閒"},
    {"游走", "遊走"}, {"游戏", "遊戲"}, {"游宦", "遊宦"}, {"游艺", "遊藝"}, {"游街", "遊街"},
    // 获: 穫 for a harvest, 獲 for gaining.
    {"秋获", "秋穫"}, {"收获", "收穫"}, {"获稻", "穫稻"},
    // 台: 臺 for raised buildings and platforms; 台 stays in names and the honorific.
    {"楼台", "樓臺"}, {"墙台", "牆臺"}, {"高台", "高臺"}, {"亭台", "亭臺"}, {"台阶", "臺階"}, {"舞台", "舞臺"},
    {"灯台", "燈臺"}, {"镜台", "鏡臺"}, {"妆台", "妝臺"}, {"戏台", "戲臺"}, {"台榭", "臺榭"},
    // 吊: 弔 for mourning (弔客, 弔喪), 吊 for hanging (天吊關).
    {"吊客", "弔客"}, {"吊丧", "弔喪"}, {"吊唁", "弔唁"}, {"吊孝", "弔孝"}, {"吊祭", "弔祭"}, {"凭吊", "憑弔"},
    // 托 as entrusting (託), and 託化, a life entrusted to a new body.
    {"托化", "託化"}, {"之托", "之託"}, {"可托", "可託"}, {"多托", "多託"}, {"有托", "有託"}, {"相托", "相託"}, {"所托", "所託"},
    {"依托", "依託"}, {"托付", "託付"}, {"寄托", "寄託"}, {"嘱托", "囑託"},
    // 克 as overcoming in the field's sense (刑剋, 相剋); 克己 and 以柔克刚 keep 克.
    {"刑克", "刑剋"}, {"相克", "相剋"}, {"克害", "剋害"}, {"克子", "剋子"}, {"克夫", "剋夫"}, {"克妻", "剋妻"},
    {"克伤", "剋傷"}, {"克木", "剋木"}, {"克火", "剋火"}, {"克土", "剋土"}, {"克金", "剋金"}, {"克水", "剋水"},
    // Single words the general conversion gets wrong in these texts.
    {"干爽", "乾爽"}, {"跌仆", "跌仆"}, {"反复", "反覆"}, {"备注", "備註"}, {"目录里", "目錄裡"}, {"文采", "文采"},
    {"抑郁", "抑鬱"}, {"忧郁", "憂鬱"}, {"郁闷", "鬱悶"}, {"易郁", "易鬱"}, {"气郁", "氣鬱"}, {"郁结", "鬱結"},
    {"一并", "一併"}, {"合并", "合併"}, {"轮回", "輪迴"}, {"回向", "迴向"}, {"意自松", "意自鬆"}, {"放松", "放鬆"},
    {"轻松", "輕鬆"}, {"梁上", "樑上"}, {"两梁", "兩樑"}, {"架梁", "架樑"}, {"画梁", "畫樑"}, {"游姑", "遊姑"},
    {"无系", "無繫"}, {"家具", "家具"}, {"彷徨", "彷徨"},
    // Words the general conversion writes with a less usual character.
    {"凭借", "憑藉"}, {"重复", "重複"}, {"笔划", "筆劃"}, {"称赞", "稱讚"}, {"栋梁", "棟樑"},
    {"堂里", "堂裡"}, {"马系堂中", "馬繫堂中"}, {"静里", "靜裡"}, {"窟里", "窟裡"}, {"乡里", "鄉里"}, {"伙养", "夥養"},
    {"合伙", "合夥"}, {"困乏", "困乏"},
    {"钱谷", "錢穀"}, {"布施", "布施"},
    // 斗 the lunar mansion (二十八宿：斗) and the dipper keep 斗; 鬥 is fighting only.
    {"宿：斗", "宿：斗"}, {"斗宿", "斗宿"}, {"北斗", "北斗"}, {"南斗", "南斗"}, {"星斗", "星斗"},
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
