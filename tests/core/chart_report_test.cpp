#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "chart_test_support.h"
#include "core/chart/chart.h"
#include "core/chart/chart_settings.h"
#include "core/chart/text_table.h"
#include "core/report/chart_sections.h"
#include "core/report/report.h"
#include "core/report/report_rtf.h"
#include "core/report/report_settings.h"
#include "core/threelives/three_lives.h"
#include "core/text/gbk.h"
#include "core/text/ini.h"
#include "rule_fixture.h"

using namespace hj;
namespace fs = std::filesystem;

namespace {

ChartRequest example() {
    ChartRequest q;
    q.name = "某人";
    q.year = 2000;
    q.month = 1;
    q.day = 1;
    q.hour = 12;
    q.minute = 0;
    q.place = "未知";
    return q;
}

// Sections 1 to 12 of the worked chart (2000-01-01 12:00, male, Beijing time, 横排).
const std::string kExampleChart =
    "命主姓名:某人  出生地:未知。\r\n"
    "出生公历：2000年1月1日12时0分(北京时间)，星期六。\r\n"
    "出生农历：一九九九年 十一月 廿五日 午时。\r\n\r\n"
    "      劫          枭          日元        比          \r\n"
    "乾造  己卯        丙子        戊午        戊午 (日空子、丑)\r\n"
    "藏干  乙          癸          己丁        己丁        \r\n"
    "      官          财          劫印        劫印        \r\n"
    "纳音  城墙土      洞下水      天上火      天上火      \r\n\r\n"
    "起大运周岁：8岁 2个月 11天，每一交大运年 3月 12日起运(公历)。\r\n"
    "     官    杀    财    才    伤    食    劫    比    \r\n"
    "大运 乙亥  甲戌  癸酉  壬申  辛未  庚午  己巳  戊辰  \r\n"
    "     绝    墓    死    病    衰    帝旺  临官  冠带  \r\n"
    "岁数 9     19    29    39    49    59    69    79    \r\n"
    "年份 2008  2018  2028  2038  2048  2058  2068  2078  \r\n"
    "\r\n胎元：丁卯(炉中火)  命宫：乙亥(山头火)\r\n\r\n吉神凶煞：\r\n"
    "  年柱 桃花 \r\n"
    "  月柱 灾煞 桃花 勾煞 空亡 \r\n"
    "  日柱 绞煞 羊刃 孤鸾 \r\n"
    "  时柱 将星 绞煞 羊刃 孤鸾 \r\n"
    "\r\n☆星座：摩羯座  生肖：兔  二十八宿：胃。\r\n"
    "☆命主福元：坎宫，属东四命。\r\n\r\n";

struct TempDir {
    fs::path path;
    TempDir() {
        path = fs::temp_directory_path() / ("hj_chart_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path);
        fs::create_directories(path / "dat");
    }
    ~TempDir() { fs::remove_all(path); }
    void write(const std::string& file, const std::string& utf8) {
        std::string gbk;
        ASSERT_TRUE(text::utf8ToGbk(utf8, gbk));
        std::ofstream(path / "dat" / file, std::ios::binary) << gbk;
    }
};

using fixtures::Built;

// A chart and its report with the fixture texts, made as a front end makes them.
Built build(const ChartRequest& q, const std::string& dataDir = {}, const ChartSettings* settings = nullptr) {
    return fixtures::buildChart(q, dataDir, &fixtures::idTextTable(), settings);
}

}  // namespace

TEST(ChartReport, WorkedExampleByteForByte) {
    const Built b = build(example());
    ASSERT_TRUE(b.ok) << b.error;
    const Chart& r = b.chart;
    const std::string& report = b.report.text;
    ASSERT_GE(report.size(), kExampleChart.size());
    EXPECT_EQ(report.substr(0, kExampleChart.size()), kExampleChart);
    const std::string rest = report.substr(kExampleChart.size());
    const std::string verses =
        "※推年月日时：\r\n★己卯年生:T1116\r\n●T1211\r\n●T1245\r\n●H1267a\r\n    H1267b\r\n    H1267c\r\n\r\n"
        "※八字称骨：【5两3钱】 年1.9两、月0.9两、日1.5两、时1.0两。\r\n袁天罡断：T7063\r\n\r\n" +
        std::string(kThreeLivesNote) + "\r\n※推三世吉凶：T10360\r\n\r\n";
    EXPECT_EQ(rest.substr(0, verses.size()), verses);
    // The maker line names the maker alone unless the build set an address.
    const std::string maker = kMakerAddress.empty() ? std::string("※软件开发商:墨衡周易软件※")
                                                    : "※软件开发商:墨衡周易软件(" + std::string(kMakerAddress) + ")※";
    EXPECT_EQ(maker.find("example"), std::string::npos);
    const std::string tail = maker + "\r\n☆以上批语仅供参考，须知人生命运妙在阴阳五行的无穷变化☆";
    ASSERT_GE(report.size(), tail.size());
    EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
    EXPECT_NE(report.find("流年神煞和九星：\r\n【1岁流年：己卯1999年】"), std::string::npos);
    // The report can be written to a GBK file.
    std::string gbk;
    EXPECT_TRUE(text::utf8ToGbk(report, gbk));
    EXPECT_EQ(r.nayinElements, (std::array<std::uint8_t, 4>{3, 0, 2, 2}));
    EXPECT_EQ(r.conceptionPillar, 4);   // 丁卯
    EXPECT_EQ(r.lifePalace, 12);        // 乙亥
    EXPECT_EQ(r.luck.startAge, 9);
    EXPECT_EQ(r.starSign, 9);
}

TEST(ChartReport, VerticalPillarsTrueSolarTimeFemale) {
    TempDir dir;
    dir.write("bzinit.ini", "[set]\r\npai=1\r\nidate=1\r\n");
    ChartRequest q = example();
    q.male = false;
    q.longitude = 116.0f + 24.0f / 60.0f;
    q.latitude = 39.9f;
    q.place = "北京市-北京市";
    const Built b = build(q, dir.path.string());
    ASSERT_TRUE(b.ok) << b.error;
    const std::string& report = b.report.text;
    EXPECT_EQ(b.chart.settings.pai, 1);
    const std::string head =
        "命主姓名:某人  出生地:北京市-北京市,经度:116度24分,纬度:39度54分。\r\n"
        "出生公历：2000年1月1日12时0分(北京时间)。\r\n"
        "出生公历：2000年1月1日11时42分(真太阳时)，星期六。\r\n"
        "出生农历：一九九九年 十一月 廿五日 午时。\r\n\r\n"
        "      劫          枭          日元        比          \r\n"
        "坤造  己          丙          戊          戊 (日空子、丑)\r\n"
        "      卯          子          午          午\r\n"
        "藏干  乙          癸          己丁        己丁        \r\n";
    EXPECT_EQ(report.substr(0, head.size()), head);
    // A woman of a yin year counts her luck forward.
    EXPECT_NE(report.find("大运 丁丑  戊寅  己卯"), std::string::npos);
}

TEST(ChartReport, BoneWeight) {
    const TextTable& t = fixtures::idTextTable();
    EXPECT_EQ(boneWeightText(1, 1, 1, 1, true, t), "【3两9钱】 年1.2两、月0.6两、日0.5两、时1.6两。\r\n袁天罡断：T7049");
    EXPECT_EQ(boneWeightText(1, 1, 1, 1, false, t), "【3两9钱】 年1.2两、月0.6两、日0.5两、时1.6两。\r\n袁天罡断：T8019");
    // Lightest possible: 0.5 + 0.5 + 0.5 + 0.6 = 2.1; heaviest 1.9 + 1.8 + 1.8 + 1.6 = 7.1.
    EXPECT_NE(boneWeightText(6, 5, 1, 2, true, t).find("【2两1钱】"), std::string::npos);
    EXPECT_NE(boneWeightText(6, 5, 1, 2, true, t).find("T7031"), std::string::npos);
    EXPECT_NE(boneWeightText(6, 5, 1, 2, false, t).find("T8001"), std::string::npos);
    const std::string heavy = boneWeightText(16, 3, 18, 1, true, t);
    EXPECT_NE(heavy.find("【7两1钱】"), std::string::npos);
    EXPECT_NE(heavy.find("T7081"), std::string::npos);
    EXPECT_NE(boneWeightText(16, 3, 18, 1, false, t).find("T8051"), std::string::npos);
    // 癸亥 (index 0) is the sixtieth year weight, 0.7.
    EXPECT_NE(boneWeightText(0, 1, 1, 12, true, t).find("年0.7两"), std::string::npos);
    EXPECT_NE(boneWeightText(0, 1, 1, 12, true, t).find("时0.6两"), std::string::npos);
}

// Every bone weight against the book's lists (typed in a fixture): one input varies, the others
// stay at 甲子, the first month, the first day and the 子 hour.
TEST(ChartReport, BoneWeightTables) {
    const fixtures::RuleBook weights("bone_weights.txt");
    const TextTable& t = fixtures::idTextTable();
    struct Table { const char* label; std::size_t size; };
    for (const Table& table : {Table{"年", 60}, Table{"月", 12}, Table{"日", 30}, Table{"时", 12}}) {
        const auto& rows = weights.table(table.label, 2);
        EXPECT_EQ(rows.size(), table.size) << table.label;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::string label = table.label;
            int year = 1, month = 1, day = 1, hour = 1;
            if (label == "年") year = fixtures::pillarIndex(rows[i].fields[0]);
            if (label == "月") month = static_cast<int>(i) + 1;
            if (label == "日") day = static_cast<int>(i) + 1;
            if (label == "时") hour = (fixtures::branchIndex(rows[i].fields[0]) + 11) % 12 + 1;  // 子 = 1 … 亥 = 12
            const std::string text = boneWeightText(year, month, day, hour, true, t);
            EXPECT_NE(text.find(label + rows[i].fields[1] + "两"), std::string::npos)
                << "称骨 " << label << " " << rows[i].fields[0] << ": " << text;
        }
    }
}

TEST(ChartReport, LunarDateText) {
    struct Case { DateTime d; bool leap; const char* text; };
    const Case cases[] = {
        {{1999, 11, 25, 12, 0}, false, "一九九九年 十一月 廿五日 午时。"},
        {{2020, 4, 10, 23, 0}, true, "二○二○年 闰四月 初十日 子时。"},
        {{2020, 1, 20, 0, 0}, false, "二○二○年 正月 二十日 子时。"},
        {{2023, 1, 21, 1, 0}, true, "二○二三年 闰正月 廿一日 丑时。"},
        {{2023, 12, 30, 22, 0}, false, "二○二三年 十二月 三十日 亥时。"},
        {{2023, 2, 1, 21, 59}, false, "二○二三年 二月 初一日 亥时。"},
        {{-27, 6, 16, 16, 0}, false, "前○○二七年 六月 十六日 申时。"},
    };
    for (const Case& c : cases) EXPECT_EQ(lunarDateText(c.d, c.leap), c.text);
}

TEST(ChartReport, FooterSettingsAndPane) {
    TempDir dir;
    dir.write("bzinit.ini", "[set]\r\nendinfo=1\r\nleftpos=40\r\n");
    dir.write("EndInfo.txt", "第一行\r\n第二行");
    Built b = build(example(), dir.path.string());
    ASSERT_TRUE(b.ok);
    const std::string tail = "☆以上批语仅供参考，须知人生命运妙在阴阳五行的无穷变化☆第一行\r\n第二行\r\n";
    EXPECT_EQ(b.report.text.substr(b.report.text.size() - tail.size()), tail);
    // What the window hands its pane: the indent of the settings, the text without "\r".
    EXPECT_EQ(b.chart.settings.leftpos, 40);
    EXPECT_EQ(paneText(b.report.text).find('\r'), std::string::npos);

    // A changed file takes effect with the next chart; the footer file stays but is skipped,
    // even when a caller hands its lines in.
    dir.write("bzinit.ini", "[set]\r\nendinfo=0\r\n");
    b = build(example(), dir.path.string());
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(b.report.text.substr(b.report.text.size() - 3), "☆");
    ReportSources withFooter;
    withFooter.texts = &fixtures::idTextTable();
    withFooter.footer = {"第一行"};
    EXPECT_EQ(buildReport(b.chart, withFooter).text, b.report.text);
    // A failed chart gives no report.
    ChartRequest bad = example();
    bad.year = 2101;
    EXPECT_FALSE(build(bad, dir.path.string()).ok);
    // A missing footer file is no error.
    dir.write("bzinit.ini", "[set]\r\nendinfo=1\r\n");
    fs::remove(dir.path / "dat" / "EndInfo.txt");
    b = build(example(), dir.path.string());
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(b.report.text.substr(b.report.text.size() - 3), "☆");
}

TEST(ChartReport, StyleSpans) {
    Built built = build(example());
    ASSERT_TRUE(built.ok);
    const std::u32string pane = [&] {
        std::u32string s;
        const std::string t = paneText(built.report.text);
        for (std::size_t i = 0; i < t.size();) {  // enough UTF-8 decoding for the test
            unsigned char b = static_cast<unsigned char>(t[i]);
            int len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            char32_t cp = len == 1 ? b : b & (0xFF >> (len + 1));
            for (int k = 1; k < len; ++k) cp = (cp << 6) | (t[i + k] & 0x3F);
            s += cp;
            i += len;
        }
        return s;
    }();
    auto at = [&](const StyleSpan& s) { return pane.substr(s.start, s.length); };
    const auto& spans = built.report.spans;
    ASSERT_GE(spans.size(), 5u);
    EXPECT_EQ(at(spans[0]).substr(0, 4), U"乾造  ");
    EXPECT_EQ(pane.substr(spans[0].start + spans[0].length, 2), U"藏干");
    EXPECT_TRUE(spans[0].setColor);
    EXPECT_EQ(spans[0].color, kReportRed);
    EXPECT_EQ(at(spans[1]), U"吉神凶煞：");
    EXPECT_TRUE(spans[1].bold);
    EXPECT_EQ(spans[1].color, kReportBlue);
    EXPECT_EQ(at(spans[2]).substr(0, 7), U"※推年月日时：");
    EXPECT_EQ(spans[2].sizeDelta, -1);
    EXPECT_EQ(spans[2].start + spans[2].length, static_cast<std::int32_t>(pane.size()));
    EXPECT_EQ(at(spans[3]), U"※推年月日时：");
    EXPECT_EQ(at(spans[4]), U"※八字称骨：");
    int yearly = -1, red = 0;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        if (at(spans[i]) == U"流年神煞和九星：") yearly = static_cast<int>(i);
        if (yearly >= 0 && static_cast<int>(i) > yearly) {
            EXPECT_EQ(spans[i].color, kReportRed);
            EXPECT_EQ(at(spans[i]).front(), U'【');
            EXPECT_EQ(at(spans[i]).back(), U'】');
            ++red;
        }
    }
    ASSERT_GE(yearly, 0);
    EXPECT_EQ(red, 81);

    // Without the yearly block nothing of it is marked; a text without headings gets no spans.
    ChartRequest q = example();
    q.yearly = false;
    built = build(q);
    ASSERT_TRUE(built.ok);
    for (const StyleSpan& s : built.report.spans) EXPECT_NE(at(s), U"流年神煞和九星：");
    EXPECT_TRUE(reportStyleSpans("no headings here ※ only").empty());
}

// The report file: everything from the first ※ on is one point smaller, and the later colour
// and bold marks there (※ headings, the yearly heading, 【…】 headers) keep that size.
TEST(ChartReport, StyledDocumentKeepsTheClosingPartSmaller) {
    const Built b = build(example());
    ASSERT_TRUE(b.ok);
    rtf::CharFormat base;
    base.halfPoints = 24;
    const rtf::Document doc = styledReport(b.report.text, b.report.spans, base, 300);
    EXPECT_EQ(rtf::plainText(doc, "\r\n"), b.report.text);
    // The report file of a chart: the same document, the indent in pixels of 15 twips.
    EXPECT_EQ(reportDocument(b.report, base, 20), doc);
    bool smaller = false;
    int red = 0, blue = 0, boldSmall = 0;
    for (const rtf::Paragraph& p : doc.paragraphs) {
        EXPECT_EQ(p.firstLineIndent, 300);
        for (const rtf::Run& run : p.runs) {
            if (run.text.find("※") != std::string::npos) smaller = true;
            EXPECT_EQ(run.format.halfPoints, smaller ? 22 : 24) << run.text;
            if (!smaller) continue;
            red += run.format.color == kReportRed;
            blue += run.format.color == kReportBlue;
            boldSmall += run.format.bold;
        }
    }
    EXPECT_TRUE(smaller);
    EXPECT_EQ(red, 81);         // the yearly headers
    EXPECT_GE(blue, 3);         // ※ headings and the yearly heading
    EXPECT_EQ(boldSmall, 1);    // 流年神煞和九星：
    // Spans past the end or empty change nothing.
    const rtf::Document plain = styledReport("甲\r\n乙", {StyleSpan{1, 0, true, kReportRed}, StyleSpan{7, 3, true, kReportRed}}, base, 0);
    ASSERT_EQ(plain.paragraphs.size(), 2u);
    EXPECT_EQ(plain.paragraphs[1].runs.at(0).format, base);
}

TEST(ChartSettings, DefaultsRangesAndOverrides) {
    text::IniFile ini;
    ini.loadFromBytes("");
    ChartSettings s = loadChartSettings(ini);
    EXPECT_FALSE(s.endinfo);
    EXPECT_FALSE(s.zishi);
    EXPECT_EQ(s.mgong, 0);
    EXPECT_EQ(s.pai, 0);
    EXPECT_EQ(s.idate, 0);
    EXPECT_FALSE(s.save);
    EXPECT_EQ(s.leftpos, 0);
    EXPECT_EQ(s.zhong, 1);
    EXPECT_EQ(s.yue, 1);
    ini.loadFromBytes("[SET]\r\nzishi=1\r\nmgong=1\r\nidate=2\r\nsave=1\r\nleftpos=500\r\nzhong=0\r\nyue=0\r\npai=1\r\n");
    s = loadChartSettings(ini);
    EXPECT_TRUE(s.zishi);
    EXPECT_EQ(s.mgong, 1);
    EXPECT_EQ(s.idate, 2);
    EXPECT_TRUE(s.save);
    EXPECT_EQ(s.leftpos, 500);
    EXPECT_EQ(s.zhong, 0);
    EXPECT_EQ(s.yue, 0);
    EXPECT_EQ(s.pai, 1);
    // Values the engine does not know read as the defaults.
    ini.loadFromBytes("[set]\r\nidate=7\r\nleftpos=501\r\nmgong=-1\r\nzhong=abc\r\n");
    s = loadChartSettings(ini);
    EXPECT_EQ(s.idate, 0);
    EXPECT_EQ(s.leftpos, 0);
    EXPECT_EQ(s.mgong, 0);
    EXPECT_EQ(s.zhong, 1);
    EXPECT_EQ(loadChartSettings(std::string("/nonexistent/folder")).zhong, 1);

    std::string error;
    EXPECT_TRUE(applyChartSetting(s, "idate", "1", &error));
    EXPECT_EQ(s.idate, 1);
    EXPECT_FALSE(applyChartSetting(s, "idate", "3", &error));
    EXPECT_FALSE(applyChartSetting(s, "leftpos", "-1", &error));
    EXPECT_FALSE(applyChartSetting(s, "nosuch", "1", &error));
    EXPECT_FALSE(applyChartSetting(s, "pai", "1x", &error));
    EXPECT_EQ(s.idate, 1);

    // An override of the command line reaches the chart and its report.
    ChartSettings overridden;
    error.clear();
    EXPECT_FALSE(applyChartSetting(overridden, "idate", "9", &error));
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(applyChartSetting(overridden, "pai", "1", &error));
    const Built b = build(example(), {}, &overridden);
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(b.chart.settings.pai, 1);
    EXPECT_NE(b.report.text.find("\r\n      卯          子          午          午\r\n"), std::string::npos);
}

TEST(ChartTexts, TableLoader) {
    const TextTable t = TextTable::fromTsv(
        "\xEF\xBB\xBF# comment\r\n1100\t林下之猪\r\n\r\n1260\t亥时*适业*年\\n份\r\nx\tbad\r\n1100\t重复\r\nnotab\r\n");
    EXPECT_EQ(t.text(1100), "林下之猪");
    EXPECT_EQ(t.text(1260), "亥时*适业*年\n份");
    EXPECT_EQ(t.text(1101), "");
    EXPECT_EQ(t.text(-1), "");
    EXPECT_EQ(t.text(999999), "");
    EXPECT_TRUE(t.contains(1100));
    EXPECT_FALSE(t.contains(1101));
    EXPECT_EQ(t.size(), 2u);
    EXPECT_EQ(t.badLines(), 2);
    // The compiled-in table: a missing id still yields an empty text.
    EXPECT_EQ(TextTable::builtin().text(5), "");
}

TEST(ChartReport, NameAndPlaceAreCutToTheirFields) {
    ChartRequest q = example();
    q.name = "一二三四五六七";  // 14 bytes
    q.place = std::string(40, 'p');
    const Built b = build(q);
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(b.chart.request.name, "一二三四五六");
    EXPECT_EQ(b.chart.request.place, std::string(31, 'p'));
    const std::string head = "命主姓名:一二三四五六  出生地:" + std::string(31, 'p') + "。\r\n";
    EXPECT_EQ(b.report.text.substr(0, head.size()), head);
}

TEST(ChartReport, EveryKindOfChartBuilds) {
    // Births over the whole range, both calendars and sexes, every setting: each chart that
    // exists builds a whole report with all its fixed sections.
    TempDir dir;
    unsigned seed = 12345;
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<unsigned>(n));
    };
    int built = 0;
    for (int i = 0; i < 240; ++i) {
        dir.write("bzinit.ini", "[set]\r\nzishi=" + std::to_string(next(2)) + "\r\nmgong=" + std::to_string(next(2)) +
                                    "\r\npai=" + std::to_string(next(2)) + "\r\nidate=" + std::to_string(next(3)) +
                                    "\r\nzhong=" + std::to_string(next(2)) + "\r\nyue=" + std::to_string(next(2)) + "\r\n");
        ChartRequest q = example();
        q.year = static_cast<std::int16_t>(i < 20 ? -849 + next(3) : i < 40 ? 2098 + next(3) : -849 + next(2950));
        q.month = static_cast<std::int16_t>(1 + next(12));
        q.day = static_cast<std::int16_t>(1 + next(i % 3 == 0 ? 30 : 28));
        q.hour = static_cast<std::int16_t>(next(24));
        q.minute = static_cast<std::int16_t>(next(60));
        q.lunar = i % 3 == 0;
        q.male = next(2) == 0;
        q.yearly = next(2) == 0;
        q.longitude = static_cast<float>(73 + next(63));
        const Built b = build(q, dir.path.string());
        if (!b.ok) {
            EXPECT_FALSE(b.error.empty());
            continue;
        }
        ++built;
        const Chart& r = b.chart;
        for (const char* heading : {"吉神凶煞：", "※推年月日时：", "※八字称骨：【", "※推白虎性情：", "※小儿关煞：",
                                    "※软件开发商:"})
            EXPECT_NE(b.report.text.find(heading), std::string::npos) << heading << " in chart " << i;
        EXPECT_EQ(b.report.text.find("流年神煞和九星：") != std::string::npos, q.yearly);
        std::string gbk;
        EXPECT_TRUE(text::utf8ToGbk(b.report.text, gbk)) << i;
        for (int p = 0; p < 4; ++p) EXPECT_TRUE(r.pillars[p] >= 0 && r.pillars[p] < 60);
        EXPECT_GE(threeLivesMonthOf(r), 1);
        EXPECT_LE(threeLivesMonthOf(r), 12);
    }
    EXPECT_GT(built, 200);
}

// What a caller reads from the data folder for a chart: one read of bzinit.ini for the [set]
// keys, the display script and the pane font; the footer lines only from EndInfo.txt.
TEST(ReportSettings, ReadFromTheDataFolder) {
    struct Case {
        const char* what;
        const char* ini;  // nullptr: no file
        bool endinfo, traditional;
        const char* font;
        int halfPoints;
    };
    const Case cases[] = {
        {"no file", nullptr, false, false, "宋体", 24},
        {"every section", "[set]\r\nendinfo=1\r\n[display]\r\nfanti=1\r\n[minggao]\r\nfname=黑体\r\nfsize=14\r\n", true, true,
         "黑体", 28},
        {"a size no font has", "[minggao]\r\nfsize=0\r\n", false, false, "宋体", 24},
        {"a size beyond any paper", "[minggao]\r\nfsize=1000\r\n", false, false, "宋体", 24},
    };
    for (const Case& c : cases) {
        TempDir dir;
        if (c.ini) dir.write("bzinit.ini", c.ini);
        const ReportSettings s = loadReportSettings(dir.path.string());
        EXPECT_EQ(s.chart.endinfo, c.endinfo) << c.what;
        EXPECT_EQ(s.traditional, c.traditional) << c.what;
        EXPECT_EQ(s.font.font, c.font) << c.what;
        EXPECT_EQ(s.font.halfPoints, c.halfPoints) << c.what;
    }
    // No data folder: the defaults.
    EXPECT_EQ(loadReportSettings("").font, rtf::CharFormat{});

    TempDir dir;
    std::vector<std::string> lines{"left over"};
    std::string error;
    EXPECT_TRUE(readFooter(dir.path.string(), lines, error));  // missing: no lines, no error
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(error.empty());
    dir.write("EndInfo.txt", "第一行\r\n\r\n第三行");
    ASSERT_TRUE(readFooter(dir.path.string(), lines, error)) << error;
    EXPECT_EQ(lines, (std::vector<std::string>{"第一行", "", "第三行"}));
    fs::remove(dir.path / "dat" / "EndInfo.txt");
    fs::create_directory(dir.path / "dat" / "EndInfo.txt");  // there, but no file
    EXPECT_FALSE(readFooter(dir.path.string(), lines, error));
    EXPECT_NE(error.find("EndInfo.txt"), std::string::npos) << error;
}

// The report's options beyond the described report, each off by default: on, each changes only
// what it names; off, the report is the described one.
namespace {
Report reportWith(const ChartRequest& q, const std::string& key, int thisYear = 0) {
    ChartSettings s;
    std::string error;
    if (!key.empty()) {
        EXPECT_TRUE(applyChartSetting(s, key, "1", &error)) << error;
    }
    std::optional<Chart> c = castChart(q, s, error);
    EXPECT_TRUE(c) << error;
    if (!c) return {};
    ReportSources sources;
    sources.thisYear = thisYear;
    return buildReport(*c, sources);
}
}  // namespace

TEST(ReportOptions, EachChangesOnlyWhatItNames) {
    ChartRequest q = example();  // 2000-01-01: a 己卯 year, the yearly block from 1999
    const std::string plain = reportWith(q, "").text;
    struct Case {
        const char* key;
        int thisYear;
        std::vector<std::string> gone, added;
    };
    const Case cases[] = {
        {"wenhe", 2026, {"※推寿数长短：", "※推死后终身：", "※小儿关煞："}, {}},
        // The yearly block from 2026 on: the first entry is the 28th year.
        {"jinnian", 2026, {"【1岁流年：", "【27岁流年："}, {"【28岁流年：", "2026年】"}},
        {"nayin", 2026, {}, {}},
        {"xingbie", 2026, {}, {}},
    };
    for (const Case& c : cases) {
        const std::string with = reportWith(q, c.key, c.thisYear).text;
        for (const std::string& g : c.gone) {
            EXPECT_NE(plain.find(g), std::string::npos) << c.key << " plain lacks " << g;
            EXPECT_EQ(with.find(g), std::string::npos) << c.key << " keeps " << g;
        }
        for (const std::string& a : c.added) EXPECT_NE(with.find(a), std::string::npos) << c.key << " lacks " << a;
        // Everything before the three-lives block stays, the chart's own sections above all.
        const std::size_t block = plain.find("※推三世吉凶：");
        ASSERT_NE(block, std::string::npos);
        if (std::string(c.key) != "nayin") {
            EXPECT_EQ(with.substr(0, block), plain.substr(0, block)) << c.key;
        }
    }
    // Without a year to start from, or with one outside the 81, the whole block stays.
    EXPECT_EQ(reportWith(q, "jinnian", 0).text, plain);
    EXPECT_EQ(reportWith(q, "jinnian", 1980).text, plain);
    EXPECT_EQ(reportWith(q, "jinnian", 2100).text, plain);
    // This year as the first year of life: nothing passed over.
    EXPECT_EQ(reportWith(q, "jinnian", 1999).text, plain);
}

// 纳音 names: the common names where the program's table has its own, in the chart block and
// the 胎元 and 命宫 lines; the default keeps the program's own.
TEST(ReportOptions, CommonNayinNames) {
    struct Case {
        const char* name;
        int year, month, day;
        const char* own;
        const char* common;
    };
    const Case cases[] = {
        {"戊寅 城墙土", 1998, 6, 1, "城墙土", "城头土"},
        {"己丑 霹雷火", 2009, 6, 1, "霹雷火", "霹雳火"},
        {"壬子 桑松木", 1972, 6, 1, "桑松木", "桑柘木"},
        {"丙子 洞下水", 1996, 6, 1, "洞下水", "涧下水"},
        {"甲辰 佛灯火", 1964, 6, 1, "佛灯火", "覆灯火"},
    };
    for (const Case& c : cases) {
        ChartRequest q = example();
        q.year = static_cast<std::int16_t>(c.year), q.month = static_cast<std::int16_t>(c.month), q.day = static_cast<std::int16_t>(c.day);
        const std::string own = reportWith(q, "").text, common = reportWith(q, "nayin").text;
        const std::size_t row = own.find("\r\n纳音  ");
        ASSERT_NE(row, std::string::npos) << c.name;
        EXPECT_NE(own.find(c.own, row), std::string::npos) << c.name;
        EXPECT_NE(common.find(std::string("\r\n纳音  ") + c.common), std::string::npos) << c.name;
        EXPECT_EQ(common.find(std::string("\r\n纳音  ") + c.own), std::string::npos) << c.name;
    }
}

// 按命主性别选句: over many births of each sex, no line that speaks to the other sex is read
// to them, and some line was replaced (so the check saw the lines at all).
TEST(ReportOptions, LinesForTheChartsSex) {
    struct Side {
        bool male;
        std::vector<std::string> foreign;  // lines that speak to the other sex
    };
    const Side sides[] = {
        {true, {"重夫。", "女命重夫", "女人平稳好"}},
        {false, {"定是发财郎", "执掌权衡立朝班", "君子近公侯", "离妻。", "秀才。"}},
    };
    for (const Side& side : sides) {
        int changed = 0, metBefore = 0;
        for (int i = 0; i < 240; ++i) {
            ChartRequest q = example();
            q.year = static_cast<std::int16_t>(1940 + i % 80);
            q.month = static_cast<std::int16_t>(1 + (i * 7) % 12);
            q.day = static_cast<std::int16_t>(1 + (i * 11) % 28);
            q.hour = static_cast<std::int16_t>((i * 5) % 24);
            q.male = side.male;
            q.yearly = false;
            const std::string plain = reportWith(q, "").text, sexed = reportWith(q, "xingbie").text;
            bool met = false;
            for (const std::string& f : side.foreign) {
                met = met || plain.find(f) != std::string::npos;
                EXPECT_EQ(sexed.find(f), std::string::npos) << (side.male ? "男 " : "女 ") << i << " reads " << f;
            }
            metBefore += met;
            changed += plain != sexed;
        }
        EXPECT_GT(metBefore, 0) << (side.male ? "男" : "女");
        EXPECT_GT(changed, 0) << (side.male ? "男" : "女");
    }
}
