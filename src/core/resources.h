#pragma once
// Files under resources/data and resources/texts, compiled into the program.
#include <string_view>

namespace hj {

// The bytes of an embedded file named by its path below resources/ (for example
// "data/era_table.csv"); an empty view when there is no such file.
std::string_view embeddedResource(std::string_view name);

}  // namespace hj
