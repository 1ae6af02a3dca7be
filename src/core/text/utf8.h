#pragma once
// UTF-8, the program's text in memory: checking it, reading it a character at a time and
// writing characters, the one home of these rules (GBK lives in gbk.h).
#include <cstddef>
#include <string>
#include <string_view>

namespace hj::text {

// True when `bytes` is well-formed UTF-8.
bool isValidUtf8(std::string_view bytes);

// The character at byte `pos` of a UTF-8 text, moving `pos` past it; a malformed byte reads as
// U+FFFD and moves one byte.
char32_t nextUtf8Char(std::string_view utf8, std::size_t& pos);
// Length of the well-formed UTF-8 sequence at s[i], 0 when it is not one (overlong forms,
// surrogates and values beyond U+10FFFF included).
std::size_t utf8SeqLen(std::string_view s, std::size_t i);
// Appends the UTF-8 form of `cp`; a surrogate or a value beyond U+10FFFF is written as U+FFFD.
void appendUtf8(std::string& out, char32_t cp);

}  // namespace hj::text
