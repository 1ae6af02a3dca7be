#pragma once
// Relations between pillars: which stems combine or clash, which branches combine, meet,
// clash, punish, harm and break each other. The classical tables live once, in relations.cpp,
// written as the books write them ("子丑土"); one function reads them.
//
// A relation holds between the pillars at given places, never between bare characters: two
// 子 and one 午 give two 六冲, one for each 子. What is listed (the choices of this program):
// - every pair of places is tried, adjacent or not; three-branch relations take every three
//   places;
// - 三合 is the whole frame (申子辰 …); 半合 is its middle branch (子午卯酉) with one other,
//   拱合 its two ends; a pair inside a listed 三合 of the same places is not listed again;
// - 三刑 is a whole set 寅巳申 or 丑戌未; 相刑 is a pair of punishing branches: two of 寅巳申,
//   two of 丑戌未, or 子卯; a pair inside a listed 三刑 is not listed again; 自刑 is two equal
//   branches of 辰午酉亥;
// - one pair may stand in several relations (寅亥 六合 and 六破; 巳申 六合, 相刑 and 六破):
//   each is listed.
// Indices as everywhere: cycle 1 = 甲子 … 0 = 癸亥; elements 0 水 1 木 2 火 3 土 4 金.
#include <string>
#include <string_view>
#include <vector>

namespace hj::analysis {

// In the order they are listed.
enum class RelationKind {
    StemCombine,   // 五合
    StemClash,     // 相冲
    SixCombine,    // 六合
    ThreeCombine,  // 三合
    HalfCombine,   // 半合
    ArchCombine,   // 拱合
    ThreeMeet,     // 三会
    SixClash,      // 六冲
    ThreePunish,   // 三刑
    Punish,        // 相刑
    SelfPunish,    // 自刑
    Harm,          // 六害
    Break,         // 六破
};
inline constexpr int kRelationKinds = 13;

// "五合", "相冲", … as shown and as written in JSON.
std::string_view relationKindName(RelationKind kind);
// Combinations and meetings (五合 六合 三合 半合 拱合 三会) are favourable; the rest are clashes.
bool isFavourable(RelationKind kind);

// One pillar taking part: its label (年 月 日 时 运 岁, …) and cycle index.
struct PillarSlot {
    std::string label;
    int pillar = 0;
};

struct Relation {
    RelationKind kind = RelationKind::StemCombine;
    std::vector<int> places;          // indices into the pillars given, ascending
    std::string chars;                // the characters, in the order of the places
    std::vector<std::string> labels;  // the labels of the places
    int element = -1;                 // resulting element, -1 when the tradition gives none
};

// Every relation among the pillars given, by kind in the order above, then by places.
std::vector<Relation> findRelations(const std::vector<PillarSlot>& given);

// How element `a` stands to element `b` (codes 0 水 … 4 金): 比和, a 生 b, b 生 a, a 克 b, b 克 a.
enum class ElementRelation { Same, Generates, GeneratedBy, Overcomes, OvercomeBy };
ElementRelation elementRelation(int a, int b);

}  // namespace hj::analysis
