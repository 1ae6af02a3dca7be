#pragma once
// Checks of the short texts a user types or pastes into a stored field: names, classes, notes
// and place names. A control character in one would split the case list's lines or reach a
// terminal as an escape; a name or class of nothing but spaces names nothing. Every front end
// (the windows, the command line, pasted parameters) uses these, with the same messages.
#include <string>
#include <string_view>

namespace hj::text {

// True when the text holds a control character: C0 (tab, line feed, CR, ESC, BEL, …), DEL, C1,
// or the Unicode line and paragraph separators.
bool hasControlCharacter(std::string_view utf8);

// True when the text is empty or holds only white space of any width: ASCII blanks, the
// no-break and ideographic spaces (U+00A0, U+3000), the typographic spaces U+2000–U+200B, …
bool isBlankText(std::string_view utf8);

// The check of one field, named by `label` in the message ("姓名", "类别名", "附加信息", "地名"):
// no control characters, and when `needsText` something besides spaces. False with a Chinese
// message in `error`.
bool checkFieldText(std::string_view utf8, std::string_view label, bool needsText, std::string* error);

}  // namespace hj::text
