#pragma once
// Simplified <-> Traditional Chinese for display and input.
//
// toTraditional runs the general character and word conversion (the Hans-Hant rules of
// resources/data/hant_rules.tsv, the same on every system) with this program's own list of the field's terms in front of it: a phrase of the list is written as
// the list says and never reaches the general conversion, so 天干 keeps 干, the branch 丑 is
// never 醜, 六冲 becomes 六沖 and 农历 農曆. Words the caller names in `keep` (a person's
// name, a place) pass unchanged, so 于 and 范 in names stay as typed.
//
// Every character of the result has a GBK form whenever the input's character had one: files
// of the program stay GBK, so a converted character GBK cannot hold falls back to its source.
// Text that is not UTF-8, and every text when the rules could not be read, passes unchanged
// (`available()` says which); nothing throws.
#include <string>
#include <string_view>
#include <vector>

namespace hj::traditional {

// True when the conversion data could be loaded.
bool available();

// Simplified (or mixed) UTF-8 text in Traditional characters.
std::string toTraditional(std::string_view utf8, const std::vector<std::string>& keep = {});

// Traditional (or mixed) UTF-8 text in Simplified characters, for looking up what the user
// typed. 乾 stays 乾 (乾造, 乾卦): it is a character of its own in simplified text too.
std::string toSimplified(std::string_view utf8);

// The simplified form of one character `ch` (UTF-8) when it has one that differs, else `ch`.
std::string simplifiedCharacter(std::string_view ch);

namespace detail {
// The general conversion alone (the rule table, no phrase list, no GBK fallback), for the test
// that holds the table against the conversion it was written from.
std::string generalConversion(std::string_view utf8, bool toTraditional);
}  // namespace detail

}  // namespace hj::traditional
