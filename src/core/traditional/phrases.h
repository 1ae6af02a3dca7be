#pragma once
// The field's own words for the Traditional conversion (see conversion.h).
#include <string_view>

namespace hj::traditional {

struct Phrase {
    std::string_view simplified;
    std::string_view traditional;
};

// The longest phrase of the list that `text` starts with; null when none does.
const Phrase* phraseAt(std::string_view text);

}  // namespace hj::traditional
