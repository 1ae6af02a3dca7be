#pragma once
// GBK (code page 936) <-> UTF-8 and the byte arithmetic of GBK texts.
//
// In memory every text is UTF-8. Files, records and column widths of the program count GBK
// bytes: ASCII is one byte, every other character two. All widths and limits go through the
// helpers here, never through UTF-8 byte counts.
#include <cstddef>
#include <string>
#include <string_view>

#include "core/text/utf8.h"

namespace hj::text {

// GBK bytes to UTF-8; never fails. The user-defined characters (AAA1–AFFE, F8A1–FEFE,
// A140–A7A0) become the Private Use characters U+E000–U+E765 and convert back unchanged. A
// lead byte with a trail byte that maps to nothing becomes one U+FFFD; any other bad byte
// becomes one U+FFFD of its own.
std::string gbkToUtf8(std::string_view gbk);

// UTF-8 to GBK. Returns false when a character has no GBK form or the input is not valid UTF-8;
// then `badChar` (when given) receives the offending character as UTF-8 (or "\xEF\xBF\xBD"
// for broken UTF-8) and `out` is left unspecified.
bool utf8ToGbk(std::string_view utf8, std::string& out, std::string* badChar = nullptr);

// UTF-8 to GBK where a lossless result is not needed (display, diagnostics): characters
// without a GBK form become '?'.
std::string utf8ToGbkLossy(std::string_view utf8);


// Text of one of the program's files: UTF-8 when it starts with the UTF-8 byte-order mark,
// otherwise GBK (many GBK texts are also valid UTF-8, so the bytes are never guessed at).
// Result is UTF-8 without BOM.
std::string decodeFileText(std::string_view bytes);

// Length of a UTF-8 text in GBK bytes: 1 for ASCII, 2 for anything else.
std::size_t gbkLength(std::string_view utf8);

// The longest prefix of `utf8` whose GBK length is at most `maxBytes`; never splits a character.
std::string truncateGbk(std::string_view utf8, std::size_t maxBytes);

// `utf8` followed (padRight) or preceded (padLeft) by blanks up to `width` GBK bytes; a text
// already at least that wide is returned unchanged.
std::string padRight(std::string_view utf8, std::size_t width);
std::string padLeft(std::string_view utf8, std::size_t width);

// A GBK field of fixed width (record files): the text up to the first NUL.
std::string_view gbkField(const char* data, std::size_t width);

}  // namespace hj::text
