#pragma once
// Stock commentary sentences (dat/bzpingyu.dat), grouped by topic.
#include <array>
#include <string>
#include <string_view>

namespace hj::text { class IniFile; }

namespace hj::presentation {

inline constexpr std::array<std::string_view, 13> kCommentaryTopics = {
    "性格", "职业", "财运", "官运", "婚姻", "学业", "祖业", "父母兄姐", "子女", "名气", "病伤", "仪表", "僧佛艺术"};

// The entries of a topic, one "n:text\n" line each for n = 1..tol; a missing entry reads as a
// blank, a missing section or tol as no entries.
std::string commentaryText(const text::IniFile& file, std::string_view topic);

}  // namespace hj::presentation
