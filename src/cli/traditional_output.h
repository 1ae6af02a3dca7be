#pragma once
// --traditional: everything the commands print passes through the Traditional conversion, line
// by line, in the one writer of standard output (output.h), so no command needs to know of it.
#include <string>
#include <string_view>

namespace hj::cli {

// Asks for the conversion (--traditional); messages on stderr are converted too.
void startTraditionalOutput();
// True once the conversion was asked for.
bool traditionalOutputOn();
// Words printed as typed (a person's name, a place): the chart commands name them.
void keepAsTyped(const std::string& word);
// The conversion of one line of UTF-8 text (also used for messages on stderr).
std::string traditionalLine(std::string_view line);

}  // namespace hj::cli
