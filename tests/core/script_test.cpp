// Traditional script: the field's vocabulary as a reader of Traditional Chinese writes it, the
// phrase list against the general conversion, names kept as typed, GBK kept, input read back to
// simplified, stroke lookups of traditional characters, and a whole report converted.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "chart_test_support.h"
#include "core/divination/stroke_dictionary.h"
#include "core/traditional/display.h"
#include "core/traditional/conversion.h"
#include "core/text/gbk.h"

namespace {

using hj::traditional::toSimplified;
using hj::traditional::toTraditional;

struct Case {
    const char* simplified;
    const char* traditional;
};

void expectAll(const std::vector<Case>& cases) {
    for (const Case& c : cases) EXPECT_EQ(toTraditional(c.simplified), c.traditional) << c.simplified;
}

std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

}  // namespace

TEST(Script, ConversionDataPresent) { ASSERT_TRUE(hj::traditional::available()); }

TEST(Script, TenGodsAndStems) {
    expectAll({
        {"比肩 劫财 食神 伤官 偏财 正财 七杀 正官 偏印 正印", "比肩 劫財 食神 傷官 偏財 正財 七殺 正官 偏印 正印"},
        {"天干 地支 干支 藏干 日干 时干 月干 年干 十干 透干", "天干 地支 干支 藏干 日干 時干 月干 年干 十干 透干"},
        {"乾造 坤造", "乾造 坤造"},
        {"乙丑 丁丑 己丑 辛丑 癸丑 丑时 丑未相冲", "乙丑 丁丑 己丑 辛丑 癸丑 丑時 丑未相沖"},
        {"六冲 相冲 冲太岁 岁破冲太岁", "六沖 相沖 沖太歲 歲破沖太歲"},
        {"长生 沐浴 冠带 临官 帝旺 衰 病 死 墓 绝 胎 养", "長生 沐浴 冠帶 臨官 帝旺 衰 病 死 墓 絕 胎 養"},
    });
}

TEST(Script, StarsAndNaYin) {
    expectAll({
        {"天乙贵人 驿马 华盖 桃花 将星 亡神 劫煞 孤辰 寡宿 红鸾 天喜 文昌 天医 咸池 丧门 吊客 羊刃 魁罡",
         "天乙貴人 驛馬 華蓋 桃花 將星 亡神 劫煞 孤辰 寡宿 紅鸞 天喜 文昌 天醫 咸池 喪門 弔客 羊刃 魁罡"},
        {"天罗地网 十恶大败 阴差阳错 孤鸾 童子 太极 福星 天德 月德 金舆 禄神",
         "天羅地網 十惡大敗 陰差陽錯 孤鸞 童子 太極 福星 天德 月德 金輿 祿神"},
        {"海中金 炉中火 大林木 路旁土 剑锋金 山头火 涧下水 城头土 白蜡金 杨柳木 泉中水 屋上土 霹雳火 "
         "松柏木 长流水 沙中金 山下火 平地木 壁上土 金箔金 覆灯火 天河水 大驿土 钗钏金 桑柘木 大溪水 "
         "沙中土 天上火 石榴木 大海水",
         "海中金 爐中火 大林木 路旁土 劍鋒金 山頭火 澗下水 城頭土 白蠟金 楊柳木 泉中水 屋上土 霹靂火 "
         "松柏木 長流水 沙中金 山下火 平地木 壁上土 金箔金 覆燈火 天河水 大驛土 釵釧金 桑柘木 大溪水 "
         "沙中土 天上火 石榴木 大海水"},
    });
}

TEST(Script, SolarTermsAndCalendar) {
    expectAll({
        {"立春 雨水 惊蛰 春分 清明 谷雨 立夏 小满 芒种 夏至 小暑 大暑",
         "立春 雨水 驚蟄 春分 清明 穀雨 立夏 小滿 芒種 夏至 小暑 大暑"},
        {"立秋 处暑 白露 秋分 寒露 霜降 立冬 小雪 大雪 冬至 小寒 大寒",
         "立秋 處暑 白露 秋分 寒露 霜降 立冬 小雪 大雪 冬至 小寒 大寒"},
        {"农历 公历 万年历 历法 日历 阴历 阳历", "農曆 公曆 萬年曆 曆法 日曆 陰曆 陽曆"},
        {"经历 历史 来历 历尽艰难", "經歷 歷史 來歷 歷盡艱難"},
        {"正月 腊月 闰月 初一 廿三 星期四 北京时间", "正月 臘月 閏月 初一 廿三 星期四 北京時間"},
    });
}

TEST(Script, ThreeLivesLabels) {
    expectAll({
        {"推三世吉凶 前世福禄 前世手艺 前世寿命 前世托化 现世属相 现世何地托化 六亲助力 幼童开度桥 小儿关煞",
         "推三世吉凶 前世福祿 前世手藝 前世壽命 前世託化 現世屬相 現世何地託化 六親助力 幼童開度橋 小兒關煞"},
        {"推有无刑克 推兄弟关系 推夫妇和睦 推子女命数 推寿数长短 推死后终身 流年神煞和九星 八字称骨",
         "推有無刑剋 推兄弟關係 推夫婦和睦 推子女命數 推壽數長短 推死後終身 流年神煞和九星 八字稱骨"},
    });
}

// Words where the general conversion alone picks the wrong character.
TEST(Script, WordsBySense) {
    expectAll({
        {"发财 头发 须发 结发夫妻", "發財 頭髮 鬚髮 結髮夫妻"},
        {"之后 皇后 后土 太后", "之後 皇后 后土 太后"},
        {"钟表 钟情", "鐘錶 鍾情"},
        {"天干物燥 干燥 才干 能干", "天乾物燥 乾燥 才幹 能幹"},
        {"小丑 丑陋 冲动 冲突 沉稳 沉淀", "小丑 醜陋 衝動 衝突 沉穩 沉澱"},
        {"余气 有余 余晖 宅舍 施舍 堂里之马 钱谷", "餘氣 有餘 餘暉 宅舍 施捨 堂裡之馬 錢穀"},
        {"几个 茶几 面条 方面 云雨 诗云", "幾個 茶几 麵條 方面 雲雨 詩云"},
    });
}

TEST(Script, KeptWordsAndText) {
    // Names pass as typed; what is around them is converted.
    EXPECT_EQ(toTraditional("命主姓名:于丹  出生地:范县", {"于丹", "范县"}), "命主姓名:于丹  出生地:范县");
    EXPECT_EQ(toTraditional("余华的命", {"余华"}), "余华的命");
    // Already traditional text, ASCII, empty text and broken UTF-8 pass without harm.
    for (const char* s : {"張三豐 農曆 乾造", "abc 123\t\n", "", "\xE4\xB8"}) EXPECT_EQ(toTraditional(s), s) << s;
    // Every result stays in GBK.
    std::string gbk;
    EXPECT_TRUE(hj::text::utf8ToGbk(toTraditional("为这个团体发展历程而干杯"), gbk));
}

TEST(Script, InputToSimplified) {
    const std::vector<Case> cases = {
        {"张三丰", "張三豐"}, {"龙", "龍"}, {"刘", "劉"}, {"乾造", "乾造"}, {"万年历 经历", "萬年曆 經歷"}, {"北京", "北京"},
    };
    for (const Case& c : cases) EXPECT_EQ(toSimplified(c.traditional), c.simplified) << c.traditional;
}

TEST(Script, TraditionalNamesInStrokeDictionary) {
    hj::StrokeDictionary d(HJ_SOURCE_DIR "/resources/dat/hzlen.dat");
    // 康熙 counts of the traditional forms, which the dictionary keeps under the simplified ones.
    for (auto [ch, n] : std::vector<std::pair<const char*, int>>{{"龍", 16}, {"張", 11}, {"劉", 15}, {"豐", 18}, {"乾", 11}})
        EXPECT_EQ(d.strokesOf(ch), n) << ch << " " << d.errorText();
    hj::NameGrids t, s;
    ASSERT_TRUE(d.computeGrids("張三豐", true, t)) << d.errorText();
    ASSERT_TRUE(d.computeGrids("张三丰", true, s)) << d.errorText();
    EXPECT_EQ(std::vector<int>({t.tian, t.di, t.ren, t.zong, t.wai}), std::vector<int>({s.tian, s.di, s.ren, s.zong, s.wai}));
    EXPECT_EQ(t.characters[2], "豐");  // shown as typed
    hj::NameGrids m;
    EXPECT_TRUE(d.computeGrids("张龍", true, m)) << d.errorText();
    // A GBK hanzi with no simplified form in the dictionary is still refused, by name.
    EXPECT_FALSE(d.computeGrids("张丂", true, m));
    EXPECT_EQ(d.errorText(), "找不到这个字的笔划：丂");
}

// A whole report of one fixed chart in Traditional characters, read through once by a reader
// of Traditional Chinese and kept as written.
TEST(Script, WholeReport) {
    const std::string dir = HJ_SOURCE_DIR "/tests/core/fixtures/";
    const std::string simplified = readFile(dir + "report_1990_simplified.txt");
    const std::string traditional = readFile(dir + "report_1990_traditional.txt");
    ASSERT_FALSE(simplified.empty());
    ASSERT_FALSE(traditional.empty());
    EXPECT_EQ(toTraditional(simplified, {"于丹", "北京"}), traditional);
}

// [display] fanti=1 makes the report in Traditional characters with its marking intact; without
// the key (or with fanti=0) the report is as before.
TEST(Script, ReportFollowsDisplaySetting) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("hj_script_" + std::to_string(::getpid()));
    fs::create_directories(dir / "dat");
    hj::ChartRequest q;
    q.name = "于丹";
    q.place = "范县";
    q.year = 1990, q.month = 5, q.day = 17, q.hour = 8, q.minute = 30;
    q.longitude = 116.4f, q.latitude = 39.9f;
    struct Setting {
        const char* ini;
        bool traditional;
    };
    std::string plain;
    std::size_t plainSpans = 0;
    for (const Setting& c : {Setting{"[set]\r\nendinfo=0\r\n", false}, Setting{"[display]\r\nfanti=0\r\n", false},
                             Setting{"[display]\r\nfanti=1\r\n", true}}) {
        std::ofstream(dir / "dat" / "bzinit.ini", std::ios::binary) << c.ini;
        EXPECT_EQ(hj::traditional::traditionalDisplay(dir.string()), c.traditional) << c.ini;
        const hj::fixtures::Built r = hj::fixtures::buildChart(q, dir.string());
        ASSERT_TRUE(r.ok) << r.error;
        if (plain.empty()) plain = r.report.text, plainSpans = r.report.spans.size();
        EXPECT_EQ(r.report.text == plain, !c.traditional) << c.ini;
        EXPECT_EQ(r.report.text.find("出生農曆") != std::string::npos, c.traditional) << c.ini;
        EXPECT_EQ(r.report.text.find("命主姓名:于丹  出生地:范县"), 0u) << c.ini;
        EXPECT_EQ(r.report.spans.size(), plainSpans) << c.ini;
    }
    std::string error;
    EXPECT_TRUE(hj::traditional::setTraditionalDisplay(dir.string(), false, &error)) << error;
    EXPECT_FALSE(hj::traditional::traditionalDisplay(dir.string()));
    fs::remove_all(dir);
}
