#pragma once
// Honest input and output for every command. A write that failed (a full disk, /dev/full, a
// closed pipe) is an error of the command, never a success: main() flushes standard output at
// the end and exits 1 with a message when any write failed. Batch input is read line by line
// with a bound, so a read error is told apart from the end of input and an endless line can
// exhaust no memory.
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace hj::cli {

// Longest line of batch input; a longer one is an error of that line.
inline constexpr std::size_t kMaxBatchLineBytes = 4096;

// The one writer of standard output: UTF-8 text, written as it is, or (--traditional) line by
// line in Traditional characters, and (setGbkOutput) in GBK. False once any write has failed.
bool writeOut(std::string_view utf8);
// What follows is written in GBK (chart --gbk); the caller has checked that GBK holds it.
void setGbkOutput();
// True while no write to standard output has failed.
bool outputOk();
// Writes what is left of the last line and flushes standard output; false with the Chinese
// reason in `error` when any write failed (and was not told already through flushOutputNow).
bool finishOutput(std::string& error);
// Flushes standard output now, for a command that has changed something and must say so when
// its output is lost: false with the Chinese reason when any write failed. The command tells
// the failure itself, so finishOutput does not repeat it.
bool flushOutputNow(std::string& reason);

enum class LineRead { Line, End, TooLong, Error };
// Reads one line (without its "\n" or "\r\n") of at most `maxBytes` bytes. A longer line is
// skipped to its end and reported as TooLong; Error carries the reason in `error`.
LineRead readBatchLine(std::FILE* in, std::string& line, std::string& error,
                       std::size_t maxBytes = kMaxBatchLineBytes);

}  // namespace hj::cli
