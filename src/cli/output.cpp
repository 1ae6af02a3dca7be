#include "cli/output.h"

#include <cerrno>

#include "core/text/file_io.h"

namespace hj::cli {
namespace {
int firstWriteErrno = 0;  // errno of the first failed write to standard output
}  // namespace

bool writeOut(std::string_view bytes) {
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() && firstWriteErrno == 0)
        firstWriteErrno = errno ? errno : EIO;
    return outputOk();
}

bool outputOk() { return !std::ferror(stdout); }

bool finishOutput(std::string& error) {
    // A command that wrote with fwrite directly left the reason only in errno; take it when it
    // is one a write gives.
    const int earlier = errno;
    const bool writeReason = earlier == ENOSPC || earlier == EDQUOT || earlier == EFBIG || earlier == EPIPE ||
                             earlier == EIO || earlier == EBADF;
    errno = 0;
    if (std::fflush(stdout) != 0 && firstWriteErrno == 0) firstWriteErrno = errno ? errno : EIO;
    if (!std::ferror(stdout)) return true;
    if (firstWriteErrno == 0) firstWriteErrno = writeReason ? earlier : EIO;
    error = "无法写出结果：" + text::reasonOf(firstWriteErrno);
    return false;
}

LineRead readBatchLine(std::FILE* in, std::string& line, std::string& error, std::size_t maxBytes) {
    line.clear();
    bool tooLong = false, any = false;
    for (;;) {
        const int c = getc_unlocked(in);
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
