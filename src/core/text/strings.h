#pragma once
// The small text helpers every module needs, each written once: trimming and comparing without
// letter case. Bytes are compared as they are, so both work on UTF-8 and GBK alike.
#include <string_view>

namespace hj::text {

inline constexpr std::string_view kSpaceTab = " \t";
inline constexpr std::string_view kWhitespace = " \t\r\n\f\v";

// `s` without the bytes of `blanks` at either end.
std::string_view trimmed(std::string_view s, std::string_view blanks = kWhitespace);
// `s` without spaces and control bytes (0x00..0x20) at either end.
std::string_view trimmedControls(std::string_view s);
// Equal when ASCII letters are taken without case; every other byte must match.
bool equalsNoCase(std::string_view a, std::string_view b);

}  // namespace hj::text
