#pragma once
// 合婚: two charts compared as the tradition compares them for marriage. Each aspect gives
// items naming the relation and the characters involved, with a verdict 吉, 凶 or 平 read from
// one table (match.cpp):
//   生肖  the year branches: 六合, 半合, 拱合, 六冲, 六害, 相刑, 自刑, 六破 as analysis names
//         them; a pair in several relations is one item, judged by its first (合 before 冲,
//         刑, 害, 破), the others beside it;
//   纳音  the year pillars' 纳音 elements: 相生, 比和, 相克 (who overcomes whom is said, but
//         judged alike either way);
//   日干  the day stems: 五合, 相冲;
//   日支  the day branches, the spouse palace: as 生肖;
//   五行  an element one chart lacks that the other has, or has least that the other has most
//         (互补), each way.
// An aspect without a relation has one item of kind 无 (平). The other pillar pairs' relations
// are listed beside the items, without verdicts. There is no score: the items speak.
//
// The relations are those of analysis/relations.h; nothing here types a second table. The two
// people are named 男 and 女 when their sexes differ, 甲方 and 乙方 when they are the same.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/report/report.h"

namespace hj {
struct Chart;
}

namespace hj::match {

enum class Verdict { Good, Bad, Neutral };  // 吉 凶 平
std::string_view verdictName(Verdict v);

// The aspects, in the order items are listed.
inline constexpr std::string_view kAspects[5] = {"生肖", "纳音", "日干", "日支", "五行"};

// The verdict of `kind` in `aspect` (`direction` is read only by a rule that names one; none
// does now). 平 for anything the table does not name.
Verdict verdictOf(std::string_view aspect, std::string_view kind, std::string_view direction = {});

struct MatchItem {
    std::string aspect;     // one of kAspects
    std::string kind;       // 六合 半合 拱合 六冲 六害 相刑 自刑 六破 五合 相冲 相生 比和 相克 互补 无
    std::string chars;      // the characters: "午未", "男土生女金", "男多金，女少金"
    std::string direction;  // 纳音 相克 between the sexes: 男克女 or 女克男; else ""
    Verdict verdict = Verdict::Neutral;  // of `kind`
    std::vector<std::string> also;       // the pair's other relations (巳申 六合: 相刑, 六破)
    std::string note;                    // what the tradition says of it, in plain words
};

// One of the two people as the comparison shows them.
struct MatchParty {
    std::string label;  // 男 女 甲方 乙方
    std::string name;
    bool male = true;
    std::array<int, 4> pillars{};     // year, month, day, hour: cycle indices
    std::array<int, 4> nayin{};       // 纳音 element of each pillar (0 水 … 4 金)
    std::array<std::string, 4> nayinNames;  // as the chart's settings name them
    std::array<int, 5> elements{};    // the eight visible characters by element code
    std::string place;
    // The birth times as the report gives them: the clock reading abroad or in summer time,
    // Beijing time, and local mean or true solar time when the chart is cast on it.
    std::vector<std::string> times;
};

// A relation between a pillar of one and a pillar of the other, listed without a verdict.
struct PillarPairRelation {
    int pillarA = 0, pillarB = 0;  // 0 year … 3 hour
    std::string kind;              // as analysis names it (五合 六合 半合 拱合 六冲 …)
    std::string chars;             // a's character first
    std::vector<std::string> also;  // the same pair's other relations (巳申 六合: 相刑, 六破)
};

struct MatchResult {
    std::array<MatchParty, 2> parties;  // a, b
    bool sameSex = false;
    std::vector<MatchItem> items;       // by aspect in the order of kAspects
    // complement[0]: the elements a lacks or has least that b has most; complement[1] the
    // other way. Codes in the shown order 木 火 土 金 水.
    std::array<std::vector<int>, 2> complement;
    std::vector<PillarPairRelation> others;  // every pair but the ones the items judge
    int count(Verdict v) const;
};

MatchResult compareCharts(const Chart& a, const Chart& b);

// Colours of the verdicts in the text (0xRRGGBB), those of the analysis dock.
inline constexpr std::uint32_t kGoodColor = 0x1A7F37;
inline constexpr std::uint32_t kBadColor = 0xC02020;

// The comparison as text, lines ended by "\n":
//   合婚对照：张三、李四
//   男：张三　乾造　庚午 辛巳 壬午 甲辰
//   　纳音 路旁土 白蜡金 杨柳木 佛灯火
//   　出生 北京　1990年5月17日8时30分(北京时间)；…(真太阳时)
//   女：…
//   生肖：六合　巳申　吉（兼相刑、六破，以合为主）
//   纳音：相克　男…克女…　平
//   　旧说纳音相克…
//   …
//   其他柱间（只列不断）：男年·女月 五合 丙辛；…
//   合计：吉 3 项，凶 1 项。
//   以上依传统合婚之说列出，仅供参考。
// with the marking of each 吉 (green) and 凶 (red), positions as StyleSpan counts them. With
// `traditional` the text is in Traditional characters, the names as typed.
struct MatchText {
    std::string text;
    std::vector<StyleSpan> spans;
};
MatchText matchText(const MatchResult& r, bool traditional);

// 年 月 日 时 for 0..3.
std::string_view pillarLabel(int i);

}  // namespace hj::match
