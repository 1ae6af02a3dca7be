#pragma once
// Text for a user at a terminal (help, version, option errors).
#include <string_view>

namespace hj::platform {

// Writes UTF-8 text to standard output (or error). A Windows program without a console of its
// own (the desktop program) writes to the console it was started from, if any; output sent to a
// file or pipe gets the bytes as they are.
void writeToTerminal(std::string_view utf8, bool toStandardError);

}  // namespace hj::platform
