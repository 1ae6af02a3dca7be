// The shipped texts read together: every reading the three-lives rules can choose, built by the
// engine from the texts that ship, must not contradict itself. Its lifespan texts name no age (the
// age is 推寿数长短's alone), it names at most one number of children, the two marriage texts and
// the three previous-life texts agree, and spouse words chosen regardless of sex fit either reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/calendar/datetime.h"
#include "core/chart/chart.h"
#include "core/chart/derived.h"
#include "core/chart/text_table.h"
#include "core/report/chart_sections.h"
#include "core/text/file_io.h"
#include "core/text/gbk.h"
#include "core/threelives/three_lives.h"

using namespace hj;

namespace {

using Words = std::vector<std::string_view>;

bool containsAny(std::string_view s, const Words& words) {
    for (std::string_view w : words)
        if (s.find(w) != std::string_view::npos) return true;
    return false;
}

std::size_t charLength(std::string_view s, std::size_t at) {
    unsigned char c = static_cast<unsigned char>(s[at]);
    return c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
}

// Labels the program fixes; the text after each gives its sense (四男 are the four bearers).
std::string_view withoutFixedLabel(std::string_view line) {
    for (std::string_view label : {"四男送老", "离妻。", "重夫。"})
        if (line.substr(0, label.size()) == label) return line.substr(label.size());
    if (line.substr(0, 3) == "【") {
        std::size_t close = line.find("】");
        if (close != std::string_view::npos) return line.substr(close + 3);
    }
    return line;
}

// Runs of numerals, each with the character that follows it.
struct Run {
    std::string digits;
    std::string next;
};

std::vector<Run> numeralRuns(std::string_view s) {
    static const Words numerals = {"一", "二", "两", "三", "四", "五", "六", "七", "八", "九", "十", "百"};
    std::vector<Run> runs;
    Run run;
    for (std::size_t i = 0; i < s.size();) {
        std::string_view ch = s.substr(i, charLength(s, i));
        bool numeral = false;
        for (std::string_view n : numerals) numeral = numeral || ch == n;
        if (numeral) {
            run.digits += ch;
        } else if (!run.digits.empty()) {
            run.next = std::string(ch);
            runs.push_back(run);
            run = {};
        }
        i += ch.size();
    }
    if (!run.digits.empty()) runs.push_back(run);
    return runs;
}

// An age: a number of tens or hundreds (七十, 八十一, 百) or a number of 旬/岁.
bool isAge(const Run& r) {
    bool tens = r.digits.find("十") != std::string::npos || r.digits.find("百") != std::string::npos;
    return (tens && r.digits.size() > 3) || r.next == "旬" || r.next == "岁" || r.next == "秩";
}

bool namesAge(std::string_view s) {
    for (const Run& r : numeralRuns(s))
        if (isAge(r)) return true;
    return false;
}

// A lifespan claim anywhere: 寿 followed, in the same clause, by an age.
bool namesLifespan(std::string_view s) {
    for (std::size_t at = s.find("寿"); at != std::string_view::npos; at = s.find("寿", at + 1)) {
        std::string_view clause = s.substr(at);
        clause = clause.substr(0, std::min({clause.find("，"), clause.find("。"), clause.find("；")}));
        if (namesAge(clause)) return true;
    }
    return false;
}

// The numbers of children a text names ("五子", "子息二三", "无子"), joined into one statement.
std::string childCounts(std::string_view line) {
    line = withoutFixedLabel(line);
    std::string counts;
    for (const Run& r : numeralRuns(line))
        if (r.next == "子" || r.next == "男" || r.next == "女" || r.next == "儿") counts += r.digits + r.next + " ";
    for (std::string_view lead : {"子息", "有子"})
        for (std::size_t at = line.find(lead); at != std::string_view::npos; at = line.find(lead, at + 1)) {
            std::vector<Run> after = numeralRuns(line.substr(at + lead.size(), 3));
            if (!after.empty()) counts += std::string(lead) + after[0].digits + " ";
        }
    for (std::string_view none : {"无子", "无男", "无儿", "绝嗣"})
        if (line.find(none) != std::string_view::npos) counts += std::string(none) + " ";
    return counts;
}

// A spouse word chosen regardless of sex must stand after a qualifier of its own sex in the
// same sentence ("男命……妻", "女命……嫁"). Returns the offending word, or "".
std::string misplacedSpouseWord(std::string_view text) {
    static const Words husbandSide = {"妻", "娶", "续弦", "岳", "内助", "媳"};
    static const Words wifeSide = {"嫁", "夫君", "丈夫", "夫家", "夫婿", "帮夫", "旺夫", "助夫",
                                   "夫荣", "夫贵", "公婆", "翁姑", "婆家"};
    static const Words men = {"男命", "男人", "男子", "乾造"};
    static const Words women = {"女命", "女人", "妇人", "女子", "坤造"};
    text = withoutFixedLabel(text);
    auto lastOf = [](std::string_view s, const Words& words) {
        std::size_t best = std::string_view::npos;
        for (std::string_view w : words) {
            std::size_t at = s.rfind(w);
            if (at != std::string_view::npos && (best == std::string_view::npos || at > best)) best = at;
        }
        return best;
    };
    while (!text.empty()) {
        std::size_t end = std::min(text.find("。"), text.find("；"));
        std::string_view sentence = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 3);
        for (bool husband : {true, false})
            for (std::string_view w : husband ? husbandSide : wifeSide)
                for (std::size_t at = sentence.find(w); at != std::string_view::npos; at = sentence.find(w, at + 1)) {
                    std::string_view before = sentence.substr(0, at);
                    if (w == "妻" && before.size() >= 3 && before.substr(before.size() - 3) == "夫") continue;
                    if (w == "嫁" && before.size() >= 3 &&
                        (before.substr(before.size() - 3) == "婚" || before.substr(before.size() - 3) == "作"))
                        continue;
                    std::size_t m = lastOf(before, men), f = lastOf(before, women);
                    std::size_t own = husband ? m : f, other = husband ? f : m;
                    if (own == std::string_view::npos || (other != std::string_view::npos && other > own))
                        return std::string(w);
                }
    }
    return "";
}

// One reading: the texts under each heading, a line apiece.
using Reading = std::map<std::string, std::vector<std::string>>;

Reading parseReading(std::string_view report) {
    Reading out;
    const std::string_view mark = "※", colon = "：";
    for (std::size_t at = report.find(mark); at != std::string_view::npos;) {
        std::size_t next = report.find(mark, at + mark.size());
        std::string_view section = report.substr(at, next == std::string_view::npos ? next : next - at);
        at = next;
        std::size_t c = section.find(colon);
        if (c == std::string_view::npos) continue;
        auto& lines = out[std::string(section.substr(0, c + colon.size()))];
        std::string_view body = section.substr(c + colon.size());
        while (!body.empty()) {
            std::size_t end = body.find("\r\n");
            std::string_view line = body.substr(0, end);
            body = end == std::string_view::npos ? std::string_view{} : body.substr(end + 2);
            for (std::string_view lead : {"　", "●", " "})
                while (line.substr(0, lead.size()) == lead) line.remove_prefix(lead.size());
            if (!line.empty()) lines.emplace_back(line);
        }
    }
    return out;
}

// Every combination of year pillar, month, sex and hour branch (which walks the child star
// through all twelve stages under a 甲 day); the lunar day and the third of the hour turn with
// the outer loops so that every day verse, both halves of the month and every third are read.
const std::vector<Reading>& allReadings() {
    static const std::vector<Reading> readings = [] {
        std::vector<Reading> out;
        const TextTable& texts = TextTable::builtin();
        Chart r;
        int turn = 0;
        for (int year = 0; year < 60; ++year)
            for (int month = 1; month <= 12; ++month)
                for (bool male : {true, false})
                    for (int hour = 0; hour < 12; ++hour, ++turn) {
                        r.pillars = {static_cast<std::int16_t>(year), 3, 1, static_cast<std::int16_t>(1 + hour)};
                        for (int i = 0; i < 4; ++i)
                            r.nayinElements[i] = static_cast<std::uint8_t>(nayinElement(r.pillars[i]));
                        auto n = [](int v) { return static_cast<std::int16_t>(v); };
                        const int slow = turn / 12;  // turns once per hour cycle
                        r.birthLunar = DateTime{2000, n(month), n(1 + slow % 30), n(2 * hour), 0};
                        r.birthLocal = DateTime{2000, 6, 1, n((2 * hour + 23) % 24), n(40 * (slow / 30 % 3))};
                        r.request.male = male;
                        r.request.yearly = false;
                        r.settings = ChartSettings{};
                        const std::string report = "※推年月日时：\r\n" + birthVerses(r, texts) + "\r\n\r\n" +
                                                   threeLivesReading(r, texts) +
                                                   previousLifeSections(r, threeLivesMonthOf(r),
                                                                        builtinThreeLivesLines(), texts);
                        out.push_back(parseReading(report));
                    }
        return out;
    }();
    return readings;
}

const std::vector<std::string>& textsOf(const Reading& reading, const std::string& heading) {
    static const std::vector<std::string> none;
    auto it = reading.find(heading);
    return it == reading.end() ? none : it->second;
}

}  // namespace

// The readings cover every text the rules under test choose from, so no check passes empty.
TEST(TextAgreement, ReadingsCoverEveryChoice) {
    std::map<std::string, std::set<std::string>> seen;
    for (const Reading& reading : allReadings())
        for (const auto& [heading, lines] : reading) seen[heading].insert(lines.begin(), lines.end());
    EXPECT_EQ(allReadings().size(), 60u * 12 * 2 * 12);
    EXPECT_EQ(seen["※推命终寿："].size(), 12u);
    EXPECT_EQ(seen["※时辰论命："].size(), 36u);
    EXPECT_EQ(seen["※推子女命数："].size(), 12u);
    EXPECT_EQ(seen["※推死后终身："].size(), 12u);
    EXPECT_EQ(seen["※推子息多少："].size(), 10u);  // twelve stages, ten phrases
    EXPECT_EQ(seen["※推夫妇和睦："].size(), 24u);
    EXPECT_EQ(seen["※前世福禄："].size(), 12u);
    EXPECT_EQ(seen["※前世寿命："].size(), 8u);
    EXPECT_EQ(seen["※现世属相："].size(), 84u);
}

TEST(TextAgreement, LifespanTextsNameNoAge) {
    std::set<std::string> reported;
    for (const Reading& reading : allReadings()) {
        std::vector<std::string> lifespan = textsOf(reading, "※推命终寿：");
        for (const std::string& line : textsOf(reading, "※现世属相："))
            if (line.rfind("寿限：", 0) == 0) lifespan.push_back(line);
        ASSERT_EQ(lifespan.size(), 2u);
        for (const std::string& line : lifespan)
            if (namesAge(line) && reported.insert(line).second) ADD_FAILURE() << "age in " << line;
        // Nor may any other text of the present life put a number to it.
        for (const auto& [heading, lines] : reading) {
            if (heading == "※前世寿命：") continue;  // the former life's span is its own
            for (const std::string& line : lines)
                if (namesLifespan(line) && reported.insert(line).second) ADD_FAILURE() << "lifespan in " << line;
        }
    }
}

TEST(TextAgreement, AtMostOneNumberOfChildrenPerReading) {
    std::map<std::string, std::string> counts;  // text → its statement, computed once
    std::set<std::string> reported;
    std::size_t withCount = 0;
    for (const Reading& reading : allReadings()) {
        std::map<std::string, std::string> statements;  // statement → a text that makes it
        for (const auto& [heading, lines] : reading)
            for (const std::string& line : lines) {
                auto it = counts.find(line);
                if (it == counts.end()) it = counts.emplace(line, childCounts(line)).first;
                if (!it->second.empty()) statements.emplace(it->second, line);
            }
        withCount += !statements.empty();
        if (statements.size() > 1) {
            std::string both;
            for (const auto& [statement, line] : statements) both += "\n  " + line;
            if (reported.insert(both).second) ADD_FAILURE() << "two numbers of children:" << both;
        }
    }
    EXPECT_GT(withCount, allReadings().size() / 2);  // 子息多少 names a number in most readings
}

// The two marriage texts are always printed together; neither may be all harmony while the
// other is all strife, nor may one promise a first marriage to old age while the other remarries.
TEST(TextAgreement, PairedMarriageTextsAgree) {
    const Words harmony = {"和睦", "和顺", "和合", "和好", "和美", "同心", "恩爱", "相敬", "琴瑟", "情笃", "旺家"};
    const Words strife = {"不和", "争闹", "争执", "口角", "相嫌", "反复", "生离", "分居", "刑克", "刑伤", "克伤",
                          "分张", "不投"};
    const Words oneMarriage = {"偕老", "白头", "白首", "到老"};
    const Words remarriage = {"再娶", "再嫁", "再配", "再合", "再结", "续弦", "续缘", "重婚", "两番"};
    // 1: only the first list, 2: only the second, 0: neither or both.
    auto stance = [](const std::string& s, const Words& a, const Words& b) {
        bool x = containsAny(s, a), y = containsAny(s, b);
        return x == y ? 0 : x ? 1 : 2;
    };
    std::set<std::pair<std::string, std::string>> pairs;
    for (const Reading& reading : allReadings()) {
        const auto& texts = textsOf(reading, "※推夫妇和睦：");
        ASSERT_EQ(texts.size(), 2u);
        pairs.emplace(texts[0], texts[1]);
    }
    EXPECT_EQ(pairs.size(), 12u);
    for (const auto& [first, second] : pairs) {
        int a = stance(first, harmony, strife), b = stance(second, harmony, strife);
        EXPECT_FALSE(a && b && a != b) << first << "\n" << second;
        a = stance(first, oneMarriage, remarriage);
        b = stance(second, oneMarriage, remarriage);
        EXPECT_FALSE(a && b && a != b) << first << "\n" << second;
    }
}

// 前世福禄, 前世手艺 and 前世寿命 are chosen by one index: they tell of one former life, so
// their former-life parts name at most one calling (and no child's death beside a calling).
TEST(TextAgreement, PreviousLifeTextsTellOneLife) {
    const std::vector<Words> callings = {
        {"官宦", "文官", "为官", "书吏"}, {"商贾", "行商", "坐贾"}, {"农夫", "农家", "粮户"},
        {"僧道", "出家"},                 {"铁匠"},                 {"木匠"},
        {"医生", "郎中"},                 {"裁缝"},                 {"厨师"},
        {"乐师"},                         {"画匠", "塑匠"},         {"船家"},
        {"奴仆"},                         {"渔猎"},                 {"富家之子"},
        {"夭折", "夭亡"},
    };
    std::set<std::string> checked;
    for (const Reading& reading : allReadings()) {
        std::string former;
        for (const char* heading : {"※前世福禄：", "※前世手艺：", "※前世寿命："})
            for (const std::string& line : textsOf(reading, heading)) {
                std::size_t a = line.find("前世："), b = line.find("影响现世：");
                ASSERT_TRUE(a != std::string::npos && b != std::string::npos && a < b) << line;
                former += line.substr(a, b - a) + "\n";
            }
        if (!checked.insert(former).second) continue;
        int named = 0;
        for (const Words& calling : callings) named += containsAny(former, calling);
        EXPECT_LE(named, 1) << former;
    }
    EXPECT_EQ(checked.size(), 12u);
}

// Only the bone-weight verses are chosen by sex; every other text reaches men and women alike.
TEST(TextAgreement, SpouseWordsFitEitherReader) {
    std::vector<std::string> texts;
    const TextTable& table = TextTable::builtin();
    for (int id = 0; id < 100000; ++id)
        if (table.contains(id) && !(id >= 7031 && id <= 8051)) texts.push_back(table.text(id));
    const std::vector<std::string>& lines = builtinThreeLivesLines();  // as the report reads them
    texts.insert(texts.end(), lines.begin(), lines.end());
    ASSERT_GT(texts.size(), 600u);
    for (const std::string& text : texts) {
        std::string word = misplacedSpouseWord(text);
        EXPECT_EQ(word, "") << text;
    }
}

namespace {

// Every text of the numbered table and the resource that a report can print regardless of sex.
std::vector<std::string> textsForEitherSex() {
    std::vector<std::string> texts;
    const TextTable& table = TextTable::builtin();
    for (int id = 0; id < 100000; ++id)
        if (table.contains(id) && !(id >= 7031 && id <= 8051)) texts.push_back(table.text(id));
    const std::vector<std::string>& lines = builtinThreeLivesLines();
    texts.insert(texts.end(), lines.begin(), lines.end());
    return texts;
}

// The first word of `words` that `s` holds, or "".
std::string firstOf(std::string_view s, const Words& words) {
    for (std::string_view w : words)
        if (s.find(w) != std::string_view::npos) return std::string(w);
    return "";
}

// Runs `check` over each distinct reading (all its lines joined) and reports each failing
// combination of texts once.
void forEachReading(const std::function<std::string(const std::string&)>& check) {
    std::set<std::string> seen, reported;
    for (const Reading& reading : allReadings()) {
        std::string all;
        for (const auto& [heading, lines] : reading)
            for (const std::string& line : lines) all += heading + line + "\n";
        if (!seen.insert(all).second) continue;
        const std::string why = check(all);
        if (!why.empty() && reported.insert(why).second) ADD_FAILURE() << why;
    }
}

// The line of `all` (a joined reading) that holds `word`.
std::string lineWith(const std::string& all, const std::string& word) {
    const std::size_t at = all.find(word);
    const std::size_t a = all.rfind('\n', at), b = all.find('\n', at);
    return all.substr(a == std::string::npos ? 0 : a + 1, b - (a == std::string::npos ? 0 : a + 1));
}

// Two word lists that must not both speak in one reading: returns the two lines, or "".
std::string clash(const std::string& all, const Words& one, const Words& other) {
    const std::string a = firstOf(all, one), b = firstOf(all, other);
    if (a.empty() || b.empty()) return "";
    return "「" + a + "」 " + lineWith(all, a) + "\n  against 「" + b + "」 " + lineWith(all, b);
}

}  // namespace

// The temperament one section gives is not denied by another: no reading calls the native
// gentle and broad in one place and hasty and fierce in another.
TEST(TextAgreement, OneTemperamentPerReading) {
    const Words gentle = {"宽厚", "宽和", "宽平", "温和", "温顺", "温厚", "和顺", "柔顺", "性缓", "和善"};
    const Words hasty = {"性急", "急躁", "刚烈", "急烈", "性烈", "躁进", "暴躁", "性暴"};
    forEachReading([&](const std::string& all) { return clash(all, gentle, hasty); });
}

// The ancestral estate (祖业) is 有无屋宅's and 有无田地's to tell through the house and the fields;
// no reading has it both kept and lost. Leaving home (离祖) is no word on the estate.
TEST(TextAgreement, OneAncestralEstatePerReading) {
    const Words kept = {"祖业有根", "祖业可守", "守祖业", "继祖业", "继承祖业", "祖荫可承", "田产承祖荫", "祖业分来",
                        "祖有分", "承父业", "祖上富有", "祖基兴旺", "承祖业"};
    const Words lost = {"祖基倾", "祖业难", "祖业轻", "祖业不能留", "祖业薄弱", "祖业少靠", "祖业飘零", "祖业虚浮",
                        "祖遗田产卖", "祖遗产业散", "祖业虽薄"};
    forEachReading([&](const std::string& all) { return clash(all, kept, lost); });
}

// Children: where 子息多少 finds none, or none that live, no text promises a full house of them.
TEST(TextAgreement, NoFullHouseOfChildrenAgainstTheCount) {
    const Words none = {"应无子", "应有子也夭亡", "命中难养男与女"};
    const Words many = {"子息兴旺", "满庭芳", "儿孙满堂", "子孙满堂", "儿孙满眼", "子孙荣昌", "人丁大旺", "人丁盛",
                        "儿孙绕膝", "后嗣兴旺", "子孝孙贤", "儿女俱成名", "个个多孝顺"};
    forEachReading([&](const std::string& all) { return clash(all, none, many); });
}

// Marriage and lifespan texts promise no old age: the age is 推寿数长短's, and it may be short.
TEST(TextAgreement, NoOldAgePromised) {
    const Words oldAge = {"到老", "白首", "白头", "偕老", "老来相守", "自得长久", "添丁"};
    for (const std::string& text : textsForEitherSex()) EXPECT_EQ(firstOf(text, oldAge), "") << text;
}

// A former life is told by the sections whose rules name one (六道神数, 前世托化, 现世何地托化)
// and by the three 前世 sections, which tell one life; the others name no former calling.
TEST(TextAgreement, FormerLivesOnlyWhereTheRulesTellThem) {
    const Words told = {"※推六道神数：", "※前世托化：", "※现世何地托化：", "※前世福禄：", "※前世手艺：",
                        "※前世寿命："};
    const Words identity = {"前世是", "前世为", "前生是", "前生为", "前生原是", "前生本是", "前身", "前生锻炼",
                            "前生守宅", "前生修定"};
    forEachReading([&](const std::string& all) -> std::string {
        std::size_t start = 0;
        while (start < all.size()) {
            const std::size_t end = all.find('\n', start);
            const std::string line = all.substr(start, end - start);
            start = end == std::string::npos ? all.size() : end + 1;
            if (!firstOf(line, told).empty()) continue;
            const std::string word = firstOf(line, identity);
            if (!word.empty()) return "former life 「" + word + "」 in " + line;
        }
        return "";
    });
}

// A text chosen regardless of sex speaks to both when it speaks to one (男命…女命…), and no
// such text gives one sex's role (长子当家, 秀才郎) as the reader's. The seven 四季皇帝 verses keep
// the closing couplet for women that the quoted first verse gives them.
TEST(TextAgreement, OneSexLinesWordedForBoth) {
    const Words men = {"男命", "男人"}, women = {"女命", "女人"};
    const Words roles = {"长子当家", "秀才郎", "大丈夫", "男儿"};
    const TextTable& table = TextTable::builtin();
    for (const std::string& text : textsForEitherSex()) {
        bool emperor = false;
        for (int id = 10001; id <= 10007; ++id) emperor = emperor || (table.contains(id) && table.text(id) == text);
        if (emperor) continue;
        EXPECT_EQ(firstOf(text, men).empty(), firstOf(text, women).empty()) << text;
        EXPECT_EQ(firstOf(text, roles), "") << text;
    }
}

// No text advises on organs, illness or treatment, nor foretells illness in the house.
TEST(TextAgreement, NoMedicine) {
    const Words medicine = {"肝", "肾", "脾", "肺", "膀胱", "大肠", "开窍", "心火", "血脉", "气血", "驼背", "残疾",
                            "汤药", "服药", "调治", "病恙", "旧恙", "眼疾", "疾病", "病患", "病痛", "惊风"};
    std::vector<std::string> texts = textsForEitherSex();
    for (int id = 7031; id <= 8051; ++id)
        if (TextTable::builtin().contains(id)) texts.push_back(TextTable::builtin().text(id));
    // The commentary sentences (GBK, one a line) too.
    std::string bytes;
    ASSERT_TRUE(text::readWholeFile(HJ_SOURCE_DIR "/resources/dat/bzpingyu.dat", bytes));
    const std::string commentary = text::gbkToUtf8(bytes);
    for (std::size_t at = 0; at < commentary.size();) {
        const std::size_t end = commentary.find('\n', at);
        texts.push_back(commentary.substr(at, end - at));
        at = end == std::string::npos ? commentary.size() : end + 1;
    }
    ASSERT_GT(texts.size(), 900u);
    for (const std::string& text : texts) EXPECT_EQ(firstOf(text, medicine), "") << text;
}
