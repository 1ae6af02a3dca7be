#pragma once
// 测怀孕: the old court chart of a child's sex by the mother's nominal age (虚岁 18..45) and the
// lunar month of conception (1..12).
#include <string>
#include <string_view>

namespace hj {

inline constexpr int kConceptionMinAge = 18, kConceptionMaxAge = 45;

// The age typed into the dialog: a decimal integer (optional sign, blanks around it), 0 when the
// text is not a number.
int parseMotherAge(std::string_view text);

// True for a boy; false with `error` set when the age or month is outside the chart.
bool predictBoy(int age, int month, bool& boy, std::string& error);

// "生男孩" or "生女孩".
std::string_view conceptionText(bool boy);

inline constexpr std::string_view kMsgMotherAge = "母亲年龄在18-45岁";

}  // namespace hj
