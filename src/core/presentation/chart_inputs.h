#pragma once
// Rules of the main window's birth-data inputs that do not depend on any window: the hour
// list's texts and the year field.
#include <string>
#include <string_view>

namespace hj::presentation {

inline constexpr int kMinShownYear = -850;
inline constexpr int kMaxShownYear = 2100;
inline constexpr int kNameMaxBytes = 10;    // GBK bytes the name edit takes

// "0时子", "1时丑", "2时丑", … "23时子".
std::string hourItemText(int hour);

// A field's text as a whole decimal integer (optional sign), `def` for anything else.
int intFromField(std::string_view text, int def);

// The year edit's text as a number; anything that is not a whole integer reads as -1000.
inline int yearFromField(std::string_view text) { return intFromField(text, -1000); }

// A shown year the chart request takes: -850..2100 without year 0.
constexpr bool yearIsAccepted(int shown) { return shown >= kMinShownYear && shown <= kMaxShownYear && shown != 0; }

}  // namespace hj::presentation
