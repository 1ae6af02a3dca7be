#include "cli/output.h"

#include <cerrno>

#include "cli/traditional_output.h"
#include "core/platform/platform.h"
#include "core/text/file_io.h"
#include "core/text/gbk.h"

namespace hj::cli {
namespace {
int firstWriteErrno = 0;  // errno of the first failed write to standard output
bool gbkOutput = false;
std::string pendingLine;  // under --traditional: the start of a line not yet ended

void put(std::string_view bytes) {
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() && firstWriteErrno == 0)
        firstWriteErrno = errno ? errno : EIO;
}

// One whole line (its "\n" included, as the conversion has always seen it), converted.
void putLine(std::string_view line) {
    const std::string shown = traditionalOutputOn() ? traditionalLine(line) : std::string(line);
    if (!gbkOutput) return put(shown);
    std::string bytes;
    put(text::utf8ToGbk(shown, bytes) || text::utf8ToGbk(line, bytes) ? bytes : text::utf8ToGbkLossy(line));
}

void flushPendingLine() {
    if (!pendingLine.empty()) putLine(pendingLine);
    pendingLine.clear();
}
}  // namespace

void setGbkOutput() {
    flushPendingLine();
    gbkOutput = true;
}

bool writeOut(std::string_view utf8) {
    if (!traditionalOutputOn() && !gbkOutput) {
        put(utf8);
        return outputOk();
    }
    // A line is converted whole: a phrase never spans two writes.
    for (std::size_t nl; (nl = utf8.find('\n')) != std::string_view::npos; utf8.remove_prefix(nl + 1)) {
        if (pendingLine.empty()) {
            putLine(utf8.substr(0, nl + 1));
        } else {
            pendingLine.append(utf8.substr(0, nl + 1));
            flushPendingLine();
        }
    }
    pendingLine.append(utf8);
    return outputOk();
}

bool outputOk() { return !std::ferror(stdout); }

namespace {
bool failureTold = false;  // flushOutputNow has handed the failure to its command

// Flushes standard output; false with the errno of the first failed write.
bool flushStdout(int& err) {
    // A command that wrote with fwrite directly left the reason only in errno; take it when it
    // is one a write gives.
    const int earlier = errno;
    const bool writeReason = earlier == ENOSPC || earlier == EFBIG || earlier == EPIPE || earlier == EIO ||
#ifdef EDQUOT
                             earlier == EDQUOT ||
#endif
                             earlier == EBADF;
    flushPendingLine();
    errno = 0;
    if (std::fflush(stdout) != 0 && firstWriteErrno == 0) firstWriteErrno = errno ? errno : EIO;
    if (!std::ferror(stdout)) return true;
    if (firstWriteErrno == 0) firstWriteErrno = writeReason ? earlier : EIO;
    err = firstWriteErrno;
    return false;
}
}  // namespace

bool finishOutput(std::string& error) {
    int err = 0;
    if (flushStdout(err) || failureTold) return true;
    error = "无法写出结果：" + text::reasonOf(err);
    return false;
}

bool flushOutputNow(std::string& reason) {
    int err = 0;
    if (flushStdout(err)) return true;
    failureTold = true;
    reason = text::reasonOf(err);
    return false;
}

LineRead readBatchLine(std::FILE* in, std::string& line, std::string& error, std::size_t maxBytes) {
    line.clear();
    bool tooLong = false, any = false;
    for (;;) {
        const int c = platform::readByte(in);
        if (c == EOF) {
            if (std::ferror(in)) {
                error = "读取输入出错：" + text::reasonOf(errno ? errno : EIO);
                return LineRead::Error;
            }
            if (!any) return LineRead::End;
            break;
        }
        any = true;
        if (c == '\n') break;
        if (line.size() < maxBytes + 1) line += static_cast<char>(c);
        else tooLong = true;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (tooLong || line.size() > maxBytes) {
        line.clear();
        return LineRead::TooLong;
    }
    return LineRead::Line;
}

}  // namespace hj::cli
