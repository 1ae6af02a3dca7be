#pragma once
// --traditional: everything the commands print to standard output passes through the
// Traditional conversion, line by line, on its way out, so no command needs to know of it.
// Standard output is replaced by a pipe whose reader converts each line and writes it to the
// real output; a line that is not UTF-8 is taken as GBK (chart --gbk) and written back as GBK.
#include <string>
#include <string_view>

namespace hj::cli {

// Starts the conversion; false with the reason in `error` when the pipe cannot be set up.
bool startTraditionalOutput(std::string& error);
// True once the conversion was asked for (messages on stderr are converted too).
bool traditionalOutputOn();
// Words printed as typed (a person's name, a place): the chart commands name them.
void keepAsTyped(const std::string& word);
// The conversion of one line as the output sees it (also used for messages on stderr).
std::string traditionalLine(std::string_view line);
// Flushes standard output, waits for the last line and restores the real output; false with
// the reason in `error` (its errno in `*err`) when a write to the real output failed.
bool finishTraditionalOutput(std::string& error, int* err = nullptr);

}  // namespace hj::cli
