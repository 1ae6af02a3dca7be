#pragma once
// ICU, where the machine has it, as the reference the program's committed tables were written
// from (tools/gen_icu_tables.cpp): the tests that hold the tables against it check the generator.
// Without ICU `available()` is false and the rest gives nothing.
#include <string>
#include <string_view>

#include "core/zones/zone_rules.h"

namespace hj::test::icu {

bool available();
// ICU's Hans-Hant (toTraditional) or Hant-Hans transliteration of a whole text.
std::string transliterate(bool toTraditional, std::string_view utf8);
// ICU's own rules of a zone (from the tz data ICU carries), canonical id and Chinese names.
const zones::rules::ZoneRules* zoneRules(std::string_view id);
std::string canonicalId(std::string_view id);
std::string cityName(std::string_view canonicalZone);
std::string countryName(std::string_view isoCode);

}  // namespace hj::test::icu
