#pragma once
// The almanac's tables, each typed once from the statement of its source.
//
// Index order, unless a table says otherwise: stems 0 = 甲 … 9 = 癸, branches 0 = 子 … 11 = 亥
// (note: kStems and kBranches of the calendar start one earlier, with 癸 and 亥); month tables
// run from the 寅 month (正月) to the 丑 month (十二月), as the books list them.
//
// References
//   协纪辨方书 (钦定, 乾隆四年), 义例 (the gods of the month and of the day): 建除十二神,
//     黄道黑道 (青龙 … 勾陈), 天德 天德合 月德 月德合 月空 天赦 月恩 四相 时德 天马 驿马 天喜 母仓,
//     王日 官日 守日 相日 民日, 六合 三合 天恩, 月破 月厌 月煞 劫煞 灾煞 月刑 月害 天吏 大时 天罡 河魁 四废 归忌
//     四离 四绝, 天乙贵人 (阳贵 阴贵).
//   逸周书·时训解: the seventy-two 候, three to a solar term.
//   The 通书 verses of the folk almanac (no book and chapter found for these; the help says so):
//     彭祖百忌, 胎神 (the sixty-day 占方 table), 喜神 福神 财神, 二十八宿 吉凶.
#include <array>
#include <string_view>

namespace hj::almanac {

using std::string_view;

inline constexpr string_view kStemNames[10] = {"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"};
inline constexpr string_view kBranchNames[12] = {"子", "丑", "寅", "卯", "辰", "巳",
                                                 "午", "未", "申", "酉", "戌", "亥"};
inline constexpr string_view kAnimalNames[12] = {"鼠", "牛", "虎", "兔", "龙", "蛇",
                                                 "马", "羊", "猴", "鸡", "狗", "猪"};

// 建除十二神: the day whose branch is the month's branch is 建, the next 除, and so on.
inline constexpr string_view kJianChu[12] = {"建", "除", "满", "平", "定", "执", "破", "危", "成", "收", "开", "闭"};

// 黄道黑道十二神, in their order; true for the six of 黄道.
struct TianShen {
    string_view name;
    bool huangdao;
};
inline constexpr TianShen kTianShen[12] = {{"青龙", true},  {"明堂", true},  {"天刑", false}, {"朱雀", false},
                                           {"金匮", true},  {"天德", true},  {"白虎", false}, {"玉堂", true},
                                           {"天牢", false}, {"玄武", false}, {"司命", true},  {"勾陈", false}};
// Where 青龙 stands, by the month's branch for the days and by the day's branch for the hours
// (寅申 子, 卯酉 寅, 辰戌 辰, 巳亥 午, 子午 申, 丑未 戌). Index: branch 子 … 亥.
inline constexpr int kQingLongStart[12] = {8, 10, 0, 2, 4, 6, 8, 10, 0, 2, 4, 6};

// 煞 of the day by its branch (申子辰 南, 寅午戌 北, 巳酉丑 东, 亥卯未 西). Index: branch.
inline constexpr string_view kSha[12] = {"南", "东", "北", "西", "南", "东", "北", "西", "南", "东", "北", "西"};

// 彭祖百忌: the stem's line and the branch's line.
inline constexpr string_view kPengZuStem[10] = {"甲不开仓财物耗散", "乙不栽植千株不长", "丙不修灶必见灾殃",
                                                "丁不剃头头必生疮", "戊不受田田主不祥", "己不破券二比并亡",
                                                "庚不经络织机虚张", "辛不合酱主人不尝", "壬不泱水更难提防",
                                                "癸不词讼理弱敌强"};
inline constexpr string_view kPengZuBranch[12] = {"子不问卜自惹祸殃", "丑不冠带主不还乡", "寅不祭祀神鬼不尝",
                                                  "卯不穿井水泉不香", "辰不哭泣必主重丧", "巳不远行财物伏藏",
                                                  "午不苫盖屋主更张", "未不服药毒气入肠", "申不安床鬼祟入房",
                                                  "酉不会客醉坐颠狂", "戌不吃犬作怪上床", "亥不嫁娶不利新郎"};

// 胎神 of the day: where it stays, by the sixty-day cycle from 甲子 (the 通书's table).
inline constexpr string_view kTaiShen[60] = {
    "占门碓 外东南", "碓磨厕 外东南", "厨灶炉 外正南", "仓库门 外正南", "房床栖 外正南", "占门床 外正南",
    "占碓磨 外正南", "厨灶厕 外西南", "仓库炉 外西南", "房床门 外西南", "占门栖 外西南", "碓磨床 外西南",
    "厨灶碓 外西南", "仓库厕 外正西", "房床炉 外正西", "占大门 外正西", "碓磨栖 外正西", "厨灶床 外正西",
    "仓库碓 外西北", "房床厕 外西北", "占门炉 外西北", "碓磨门 外西北", "厨灶栖 外西北", "仓库床 外西北",
    "房床碓 外正北", "占门厕 外正北", "碓磨炉 外正北", "厨灶门 外正北", "仓库栖 外正北", "占房床 房内北",
    "占门碓 房内北", "碓磨厕 房内北", "厨灶炉 房内北", "仓库门 房内北", "房床栖 房内中", "占门床 房内中",
    "占碓磨 房内东", "厨灶厕 房内东", "仓库炉 房内东", "房床门 房内东", "占门栖 房内东", "碓磨床 房内南",
    "厨灶碓 房内南", "仓库厕 房内南", "房床炉 房内南", "占大门 外东北", "碓磨栖 外东北", "厨灶床 外东北",
    "仓库碓 外东北", "房床厕 外东北", "占门炉 外东北", "碓磨门 外正东", "厨灶栖 外正东", "仓库床 外正东",
    "房床碓 外正东", "占门厕 外正东", "碓磨炉 外东南", "厨灶门 外东南", "仓库栖 外东南", "占房床 外东南"};

// Directions of the gods by the day's stem (通书 verses; 阳贵 阴贵 are the 天乙贵人 of the day
// and of the night, turned into the direction of their branch).
inline constexpr string_view kXiShen[10] = {"东北", "西北", "西南", "正南", "东南",
                                            "东北", "西北", "西南", "正南", "东南"};
inline constexpr string_view kFuShen[10] = {"东南", "东南", "正东", "正东", "正北",
                                            "正南", "西南", "西南", "西北", "正西"};
inline constexpr string_view kCaiShen[10] = {"东北", "东北", "西南", "西南", "正北",
                                             "正北", "正东", "正东", "正南", "正南"};
// 阳贵 and 阴贵 as branches (甲 未 丑, 乙 申 子, 丙 酉 亥, 丁 亥 酉, 戊 丑 未, 己 子 申,
// 庚 丑 未, 辛 寅 午, 壬 卯 巳, 癸 巳 卯).
inline constexpr int kYangGui[10] = {7, 8, 9, 11, 1, 0, 1, 2, 3, 5};
inline constexpr int kYinGui[10] = {1, 0, 11, 9, 7, 8, 7, 6, 5, 3};
// The direction of a branch on the compass of eight.
inline constexpr string_view kBranchDirection[12] = {"正北", "东北", "东北", "正东", "东南", "东南",
                                                     "正南", "西南", "西南", "正西", "西北", "西北"};

// 二十八宿 吉凶, in the order of the calendar's mansion table (轸 角 亢 … 翼): true for 吉.
inline constexpr bool kMansionLucky[28] = {true,  true,  false, false, true,  false, true,
                                           true,  true,  false, false, false, false, true,
                                           true,  false, true,  true,  false, true,  false,
                                           true,  true,  false, false, false, true,  false};

// 七十二候, three to a term, terms from 小寒 as the calendar numbers them.
inline constexpr string_view kHou[72] = {
    "雁北乡", "鹊始巢", "雉始雊", "鸡始乳", "征鸟厉疾", "水泽腹坚", "东风解冻", "蛰虫始振", "鱼陟负冰",
    "獭祭鱼", "候雁北", "草木萌动", "桃始华", "仓庚鸣", "鹰化为鸠", "玄鸟至", "雷乃发声", "始电",
    "桐始华", "田鼠化为鴽", "虹始见", "萍始生", "鸣鸠拂其羽", "戴胜降于桑", "蝼蝈鸣", "蚯蚓出", "王瓜生",
    "苦菜秀", "靡草死", "麦秋至", "螳螂生", "鵙始鸣", "反舌无声", "鹿角解", "蜩始鸣", "半夏生",
    "温风至", "蟋蟀居壁", "鹰始挚", "腐草为萤", "土润溽暑", "大雨时行", "凉风至", "白露降", "寒蝉鸣",
    "鹰乃祭鸟", "天地始肃", "禾乃登", "鸿雁来", "玄鸟归", "群鸟养羞", "雷始收声", "蛰虫坯户", "水始涸",
    "鸿雁来宾", "雀入大水为蛤", "菊有黄华", "豺乃祭兽", "草木黄落", "蛰虫咸俯", "水始冰", "地始冻", "雉入大水为蜃",
    "虹藏不见", "天气上升地气下降", "闭塞而成冬", "鹖鴠不鸣", "虎始交", "荔挺出", "蚯蚓结", "麋角解", "水泉动"};

inline constexpr string_view kNineStars[9] = {"一白", "二黑", "三碧", "四绿", "五黄", "六白", "七赤", "八白", "九紫"};
inline constexpr string_view kNines[9] = {"一九", "二九", "三九", "四九", "五九", "六九", "七九", "八九", "九九"};

// ---- the gods of the month (义例) ----
// Each god names, for each month from 寅 to 丑, the stems, branches or pillars its days carry:
// a cell lists alternatives separated by blanks ("丙 丁" = a 丙 or a 丁 day; "戊寅" = that pillar).
struct MonthGod {
    string_view name;
    bool lucky;
    std::array<string_view, 12> cells;
};

// 天恩 falls on the same fifteen days of the cycle in every month.
inline constexpr string_view kTianEn = "甲子 乙丑 丙寅 丁卯 戊辰 己卯 庚辰 辛巳 壬午 癸未 己酉 庚戌 辛亥 壬子 癸丑";

inline constexpr MonthGod kMonthGods[] = {
    // 吉神
    {"天德", true, {"丁", "申", "壬", "辛", "亥", "甲", "癸", "寅", "丙", "乙", "巳", "庚"}},
    {"天德合", true, {"壬", "巳", "丁", "丙", "寅", "己", "戊", "亥", "辛", "庚", "申", "乙"}},
    {"月德", true, {"丙", "甲", "壬", "庚", "丙", "甲", "壬", "庚", "丙", "甲", "壬", "庚"}},
    {"月德合", true, {"辛", "己", "丁", "乙", "辛", "己", "丁", "乙", "辛", "己", "丁", "乙"}},
    {"天赦", true, {"戊寅", "戊寅", "戊寅", "甲午", "甲午", "甲午", "戊申", "戊申", "戊申", "甲子", "甲子", "甲子"}},
    {"月空", true, {"壬", "庚", "丙", "甲", "壬", "庚", "丙", "甲", "壬", "庚", "丙", "甲"}},
    {"月恩", true, {"丙", "丁", "庚", "己", "戊", "辛", "壬", "癸", "庚", "乙", "甲", "辛"}},
    {"四相", true, {"丙 丁", "丙 丁", "丙 丁", "戊 己", "戊 己", "戊 己", "壬 癸", "壬 癸", "壬 癸", "甲 乙", "甲 乙", "甲 乙"}},
    {"时德", true, {"午", "午", "午", "辰", "辰", "辰", "子", "子", "子", "寅", "寅", "寅"}},
    {"王日", true, {"寅", "寅", "寅", "巳", "巳", "巳", "申", "申", "申", "亥", "亥", "亥"}},
    {"官日", true, {"卯", "卯", "卯", "午", "午", "午", "酉", "酉", "酉", "子", "子", "子"}},
    {"守日", true, {"酉", "酉", "酉", "子", "子", "子", "卯", "卯", "卯", "午", "午", "午"}},
    {"相日", true, {"巳", "巳", "巳", "申", "申", "申", "亥", "亥", "亥", "寅", "寅", "寅"}},
    {"民日", true, {"午", "午", "午", "酉", "酉", "酉", "子", "子", "子", "卯", "卯", "卯"}},
    {"天马", true, {"午", "申", "戌", "子", "寅", "辰", "午", "申", "戌", "子", "寅", "辰"}},
    {"驿马", true, {"申", "巳", "寅", "亥", "申", "巳", "寅", "亥", "申", "巳", "寅", "亥"}},
    {"天喜", true, {"戌", "亥", "子", "丑", "寅", "卯", "辰", "巳", "午", "未", "申", "酉"}},
    {"母仓", true, {"亥 子", "亥 子", "亥 子", "寅 卯", "寅 卯", "寅 卯", "辰 戌 丑 未", "辰 戌 丑 未",
                     "辰 戌 丑 未", "申 酉", "申 酉", "申 酉"}},
    {"六合", true, {"亥", "戌", "酉", "申", "未", "午", "巳", "辰", "卯", "寅", "丑", "子"}},
    {"三合", true, {"午 戌", "亥 未", "子 申", "酉 丑", "寅 戌", "亥 卯", "子 辰", "巳 丑", "寅 午", "卯 未", "申 辰", "巳 酉"}},
    {"天恩", true, {kTianEn, kTianEn, kTianEn, kTianEn, kTianEn, kTianEn, kTianEn, kTianEn, kTianEn, kTianEn, kTianEn, kTianEn}},
    // 凶煞
    {"月破", false, {"申", "酉", "戌", "亥", "子", "丑", "寅", "卯", "辰", "巳", "午", "未"}},
    {"月厌", false, {"戌", "酉", "申", "未", "午", "巳", "辰", "卯", "寅", "丑", "子", "亥"}},
    {"月煞", false, {"丑", "戌", "未", "辰", "丑", "戌", "未", "辰", "丑", "戌", "未", "辰"}},
    {"劫煞", false, {"亥", "申", "巳", "寅", "亥", "申", "巳", "寅", "亥", "申", "巳", "寅"}},
    {"灾煞", false, {"子", "酉", "午", "卯", "子", "酉", "午", "卯", "子", "酉", "午", "卯"}},
    {"月刑", false, {"巳", "子", "辰", "申", "午", "丑", "寅", "酉", "未", "亥", "卯", "戌"}},
    {"月害", false, {"巳", "辰", "卯", "寅", "丑", "子", "亥", "戌", "酉", "申", "未", "午"}},
    {"天吏", false, {"酉", "午", "卯", "子", "酉", "午", "卯", "子", "酉", "午", "卯", "子"}},
    {"大时", false, {"卯", "子", "酉", "午", "卯", "子", "酉", "午", "卯", "子", "酉", "午"}},
    {"天罡", false, {"巳", "子", "未", "寅", "酉", "辰", "亥", "午", "丑", "申", "卯", "戌"}},
    {"河魁", false, {"亥", "午", "丑", "申", "卯", "戌", "巳", "子", "未", "寅", "酉", "辰"}},
    {"四废", false, {"庚申 辛酉", "庚申 辛酉", "庚申 辛酉", "壬子 癸亥", "壬子 癸亥", "壬子 癸亥", "甲寅 乙卯",
                      "甲寅 乙卯", "甲寅 乙卯", "丙午 丁巳", "丙午 丁巳", "丙午 丁巳"}},
    {"归忌", false, {"丑", "寅", "子", "丑", "寅", "子", "丑", "寅", "子", "丑", "寅", "子"}},
};

// ---- 宜 and 忌 ----
// What each 建除 day and each god is taken to favour and to advise against, in the almanac's
// words. This is the program's abridged reading of the book's statements, not a transcription
// (the help says so); the rules that combine them are in almanac.cpp.
struct Usage {
    string_view name;
    string_view yi;  // blank-separated
    string_view ji;
};
inline constexpr Usage kJianChuUsage[12] = {
    {"建", "出行 上官赴任 祭祀 祈福", "动土 开仓 嫁娶"},
    {"除", "祭祀 解除 沐浴 求医疗病 扫舍宇", "出货财"},
    {"满", "祭祀 祈福 开市 纳财 裁衣", "上官赴任 栽种 动土"},
    {"平", "修饰垣墙 平治道涂", "栽种 开渠穿井"},
    {"定", "祭祀 纳采 嫁娶 会亲友 立券交易", "出行 词讼"},
    {"执", "捕捉 祭祀 纳畜", "开市 移徙 出行"},
    {"破", "破屋坏垣 求医疗病", "余事勿取"},
    {"危", "祭祀 安床 纳畜", "登高 出行 行船"},
    {"成", "嫁娶 开市 入学 移徙 上官赴任 立券交易", "词讼"},
    {"收", "纳财 捕捉 纳畜 栽种", "出行 安葬"},
    {"开", "祭祀 祈福 出行 嫁娶 开市 入学 修造动土", "安葬 破土"},
    {"闭", "补垣塞穴 筑堤防 安葬", "出行 开市 求医疗病 开渠穿井"},
};
inline constexpr Usage kGodUsage[] = {
    {"天德", "祭祀 祈福 上官赴任 嫁娶 移徙 修造动土 会亲友", "畋猎"},
    {"天德合", "祭祀 祈福 上官赴任 嫁娶 移徙 修造动土", "畋猎"},
    {"月德", "祭祀 祈福 上官赴任 嫁娶 移徙 修造动土 会亲友", "畋猎"},
    {"月德合", "祭祀 祈福 上官赴任 嫁娶 移徙 修造动土", "畋猎"},
    {"天赦", "祭祀 祈福 解除 求医疗病", "畋猎"},
    {"月空", "上表章 修造动土", ""},
    {"月恩", "修造动土 嫁娶 移徙 祭祀 上官赴任 纳财", ""},
    {"四相", "修造动土 栽种 移徙 出行", ""},
    {"时德", "会亲友 宴会", ""},
    {"王日", "上官赴任 出行", ""},
    {"官日", "上官赴任", ""},
    {"守日", "安抚边境", ""},
    {"相日", "上官赴任", ""},
    {"民日", "宴会 嫁娶 纳畜", ""},
    {"天马", "出行 移徙", ""},
    {"驿马", "出行 移徙", ""},
    {"天喜", "纳采 嫁娶 会亲友", ""},
    {"母仓", "纳畜 栽种", ""},
    {"六合", "宴会 纳采 会亲友 立券交易", ""},
    {"三合", "嫁娶 纳采 会亲友 立券交易 修造动土 移徙", ""},
    {"天恩", "祭祀 会亲友", ""},
    {"月破", "", "余事勿取"},
    {"月厌", "", "嫁娶 出行 移徙"},
    {"月煞", "", "修造动土 开市 纳财"},
    {"劫煞", "", "出行 嫁娶 修造动土"},
    {"灾煞", "", "修造动土 移徙"},
    {"月刑", "", "上官赴任 词讼"},
    {"月害", "", "会亲友 纳采"},
    {"天吏", "", "上官赴任 出行 词讼"},
    {"大时", "", "出行 修造动土"},
    {"天罡", "", "修造动土 嫁娶"},
    {"河魁", "", "修造动土 嫁娶"},
    {"四废", "", "余事勿取"},
    {"归忌", "", "移徙 远回 嫁娶"},
    {"四离", "", "出行 嫁娶"},
    {"四绝", "", "出行 上官赴任"},
};

}  // namespace hj::almanac
