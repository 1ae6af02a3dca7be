// The three-lives texts (ids 10001-10541) as they ship in the numbered text table: every id the
// three-lives sections and the yearly block can ask for is there once, opens with its label, and
// converts to GBK; nothing else sits in the range.
#include <gtest/gtest.h>

#include <charconv>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/resources.h"
#include "core/text/gbk.h"

namespace {

struct Group {
    int first;
    const char* section;
    std::vector<const char*> labels;  // one per id from `first`; "" = no fixed opening
};

const std::vector<Group>& groups() {
    static const std::vector<Group> g = {
        {10001, "四季皇帝", {"生在黄帝头", "生在黄帝手", "生在黄帝肩", "生在黄帝腹", "生在黄帝阴", "生在黄帝膝", "生在黄帝足"}},
        {10010, "六道神数", {"佛道", "修仙", "人道", "鬼道", "修罗", "畜道"}},
        {10020, "六道宫星", {"亥宫天寿星", "子宫天贵星", "丑宫天厄星", "寅宫天权星", "卯宫天破星", "辰宫天奸星",
                             "巳宫天文星", "午宫天福星", "未宫天驿星", "申宫天孤星", "酉宫天刃星", "戌宫天艺星"}},
        {10060, "飞星禄位", {"宫金", "商木", "角水", "徵火", "羽土", "金宫", "木商", "水角", "火徵", "土羽"}},
        {10070, "夫妇和睦一", {"和合", "商量", "忤逆", "保守", "入舍", "离妻", "重夫", "重婚", "克子", "相嫌", "隔山", "求子"}},
        {10090, "夫妇和睦二", {"长生", "沐浴", "冠带", "临官", "帝旺", "衰", "病", "死", "墓", "绝", "胎", "养"}},
        {10110, "时辰论命", {"亥时初", "亥时中", "亥时末", "子时初", "子时中", "子时末", "丑时初", "丑时中", "丑时末",
                             "寅时初", "寅时中", "寅时末", "卯时初", "卯时中", "卯时末", "辰时初", "辰时中", "辰时末",
                             "巳时初", "巳时中", "巳时末", "午时初", "午时中", "午时末", "未时初", "未时中", "未时末",
                             "申时初", "申时中", "申时末", "酉时初", "酉时中", "酉时末", "戌时初", "戌时中", "戌时末"}},
        {10150, "有无屋宅", {"空宅", "亡宅", "败宅", "向宅", "合宅", "向宅", "建宅", "建宅", "向宅", "背宅", "破宅", "空宅"}},
        {10170, "有无田地", {"建田", "向田", "破田", "背田", "空田", "合田"}},
        {10180, "有无牛", {"建牛", "背牛", "背牛", "背牛", "空牛", "库牛", "破牛", "合牛", "合牛", "合牛", "向牛", "向牛"}},
        {10200, "有无猪", {"建猪", "背猪", "背猪", "背猪", "空猪", "库猪", "破猪", "合猪", "合猪", "合猪", "向猪", "向猪"}},
        {10220, "一生衣禄", {"建禄", "除禄", "满禄", "平禄", "定禄", "执禄", "破禄", "危禄", "成禄", "收禄", "开禄", "闭禄"}},
        {10240, "有无学堂", {"主居建合", "生来空背", "生来空背", "生来空背", "生来空背", "生来空背", "生来空背",
                             "命中向学", "命中向学", "命中向学", "主居建合", "主居建合"}},
        {10260, "命终寿", {"长生", "沐浴", "冠带", "临官", "帝旺", "衰", "病", "死", "墓", "绝", "胎", "养"}},
        {10280, "有无蚕桑", {"建向库中", "空破背蚕", "空破背蚕", "空破背蚕", "空破背蚕", "空破背蚕", "建向库中",
                             "建向库中", "天气融和", "天气融和", "建向库中", "建向库中"}},
        {10300, "死后终身", {"四男送老", "", "", "", "", "", "", "", "", "", "", ""}},
        {10320, "有无手艺", {"官人", "屠宰", "秀才", "打铁", "师术", "生管", "音乐", "店药", "僧道", "裁缝", "皂隶", "营谋"}},
        {10350, "三世吉凶", {"正月生人", "二月生人", "三月生人", "四月生人", "五月生人", "六月生人", "七月生人",
                             "八月生人", "九月生人", "十月生人", "十一月生人", "十二月生人"}},
        {10370, "所值星辰", {"太阳", "太阴", "天父", "天母", "天帝", "天皇"}},
        {10380, "人命形状", {"凤凰", "狮子", "金鸡", "鸂鶒", "燕子", "鸿鹄", "山鹿", "孔雀", "鹁鸠", "朱雀", "角鹰", "白鹤"}},
        {10400, "子女命数", {"一桥", "二桥", "三桥", "四桥", "五桥", "六桥", "七桥", "八桥", "九桥", "十桥", "十一桥", "十二桥"}},
        {10420, "白虎性情", {"火命", "木命", "土命", "金命", "水命"}},
        {10430, "青龙性情", {"亥时生在龙尾端", "子时", "丑时", "寅时", "卯时", "辰时", "巳时", "午时", "未时", "申时",
                             "酉时", "戌时"}},
        {10450, "兄弟关系", {"长生", "沐浴", "冠带", "临官", "帝旺", "衰", "病", "死", "墓", "绝", "胎", "养"}},
        {10470, "有无刑克", {"客人", "梢公", "打银", "光瞎", "陀背", "树跌", "火烧", "马踏", "水伤", "蛇虎咬"}},
        {10480, "北斗坐命", {"亥年巨门", "子年贪狼", "丑年巨门", "寅年廉贞", "卯年武曲", "辰年廉贞", "巳年武曲",
                             "午年破军", "未年武曲", "申年廉贞", "酉年文曲", "戌年禄存"}},
        {10500, "流年神煞", {"太岁", "太阳", "丧门", "太阴", "官符", "死符", "岁破", "月德", "白虎", "福德", "吊客", "病符"}},
        {10520, "流年九星", {"行年值罗喉", "行年值土星", "行年值水星", "行年值金星", "行年值太阳", "行年值火星",
                             "行年值计都", "行年值太阴", "行年值木星"}},
        {10530, "所属骨骼", {"猪骨", "鼠骨", "牛骨", "虎骨", "兔骨", "龙骨", "蛇骨", "马骨", "羊骨", "猴骨", "鸡骨", "狗骨"}},
    };
    return g;
}

struct Table {
    std::map<int, std::string> texts;
    std::vector<std::string> problems;  // malformed or repeated lines
};

Table loadTable() {
    Table t;
    std::string_view data = hj::embeddedResource("texts/numbered.tsv");
    while (!data.empty()) {
        std::size_t end = data.find('\n');
        std::string_view line = data.substr(0, end);
        data = end == std::string_view::npos ? std::string_view{} : data.substr(end + 1);
        if (line.empty()) continue;
        std::size_t tab = line.find('\t');
        int id = 0;
        auto [ptr, ec] = std::from_chars(line.data(), line.data() + (tab == std::string_view::npos ? 0 : tab), id);
        if (tab == std::string_view::npos || ec != std::errc{} || ptr != line.data() + tab) {
            t.problems.emplace_back(line.substr(0, 40));
            continue;
        }
        if (!t.texts.emplace(id, std::string(line.substr(tab + 1))).second)
            t.problems.push_back("id " + std::to_string(id) + " twice");
    }
    return t;
}

const Table& table() {
    static const Table t = loadTable();
    return t;
}

bool startsWith(const std::string& s, std::string_view prefix) { return std::string_view(s).substr(0, prefix.size()) == prefix; }

}  // namespace

TEST(ThreeLivesTexts, TableParsesWithoutRepeats) {
    ASSERT_FALSE(table().texts.empty()) << "texts/numbered.tsv is not embedded";
    EXPECT_TRUE(table().problems.empty()) << table().problems.front();
}

TEST(ThreeLivesTexts, EveryIdPresentWithItsLabel) {
    const auto& texts = table().texts;
    for (const Group& g : groups()) {
        for (std::size_t i = 0; i < g.labels.size(); ++i) {
            int id = g.first + static_cast<int>(i);
            auto it = texts.find(id);
            ASSERT_TRUE(it != texts.end()) << g.section << ": id " << id << " missing";
            const std::string& text = it->second;
            EXPECT_TRUE(startsWith(text, g.labels[i])) << id << " should open with " << g.labels[i] << ": " << text;
            // A text is more than its label: at least a line of verse follows.
            EXPECT_GT(hj::text::gbkLength(text), hj::text::gbkLength(g.labels[i]) + 20) << id;
            // No control characters and no backslash, which the table reader would take as an escape.
            EXPECT_EQ(text.find_first_of("\r\n\t\\"), std::string::npos) << id;
            std::string gbk;
            EXPECT_TRUE(hj::text::utf8ToGbk(text, gbk)) << id << " has a character outside GBK";
        }
    }
}

TEST(ThreeLivesTexts, NothingOutsideTheGroups) {
    std::set<int> known;
    for (const Group& g : groups())
        for (std::size_t i = 0; i < g.labels.size(); ++i) known.insert(g.first + static_cast<int>(i));
    EXPECT_EQ(known.size(), 335u);
    for (auto it = table().texts.lower_bound(10001); it != table().texts.end() && it->first <= 10541; ++it)
        EXPECT_TRUE(known.count(it->first)) << "stray id " << it->first;
}

TEST(ThreeLivesTexts, QuotedTextsExact) {
    struct Quoted { int id; const char* text; };
    for (const Quoted& q : {
             Quoted{10001, "生在黄帝头，一世永无忧，为人多富贵，衣禄自然周，求官必有分，君子近公侯，女人平稳好，嫁得俊儒流。"},
             Quoted{10380, "凤凰。凤凰在朝阳，心性甚是良，若不居官禄，定是发财郎。"},
             Quoted{10500, "太岁当头坐，诸神不敢当，自身无克害，须用哭爹娘。太岁有压众煞的功能，岁运逢之，凶多吉少，主有不测之灾，宜向太岁作福。"},
         }) {
        auto it = table().texts.find(q.id);
        ASSERT_TRUE(it != table().texts.end()) << q.id;
        EXPECT_EQ(it->second, q.text) << q.id;
    }
}

// Entries that share a label (向宅 three times, 背牛 three times, …) must still be different
// readings, and no two entries anywhere in the range may repeat each other.
TEST(ThreeLivesTexts, NoTwoTextsAlike) {
    std::map<std::string, int> seen;
    for (auto it = table().texts.lower_bound(10001); it != table().texts.end() && it->first <= 10541; ++it) {
        auto [pos, fresh] = seen.emplace(it->second, it->first);
        EXPECT_TRUE(fresh) << it->first << " repeats " << pos->second;
    }
}
