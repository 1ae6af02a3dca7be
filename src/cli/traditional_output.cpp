#include "cli/traditional_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "core/traditional/conversion.h"
#include "core/text/file_io.h"
#include "core/text/gbk.h"

namespace hj::cli {
namespace {

struct State {
    bool on = false;         // the pipe is in place
    bool requested = false;  // --traditional was given: messages are converted to the end
    int realFd = -1;
    int readFd = -1;
    int writeErrno = 0;
    std::thread reader;
    std::mutex keepMutex;
    std::vector<std::string> keep;
};

State& state() {
    static State s;
    return s;
}

void readLoop() {
    State& s = state();
    std::string pending;
    char buf[65536];
    auto emit = [&s](std::string_view line) {
        if (s.writeErrno == 0 && !text::writeAll(s.realFd, traditionalLine(line))) s.writeErrno = errno ? errno : EIO;
    };
    for (;;) {
        const ssize_t n = ::read(s.readFd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        pending.append(buf, static_cast<std::size_t>(n));
        std::size_t start = 0;
        for (std::size_t nl; (nl = pending.find('\n', start)) != std::string::npos; start = nl + 1)
            emit(std::string_view(pending).substr(start, nl + 1 - start));
        pending.erase(0, start);
    }
    if (!pending.empty()) emit(pending);
}

}  // namespace

bool traditionalOutputOn() { return state().requested; }

void keepAsTyped(const std::string& word) {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.keepMutex);
    if (!word.empty()) s.keep.push_back(word);
}

std::string traditionalLine(std::string_view line) {
    State& s = state();
    std::vector<std::string> keep;
    {
        std::lock_guard<std::mutex> lock(s.keepMutex);
        keep = s.keep;
    }
    if (text::isValidUtf8(line)) return traditional::toTraditional(line, keep);
    std::string gbk;
    if (text::utf8ToGbk(traditional::toTraditional(text::gbkToUtf8(line), keep), gbk)) return gbk;
    return std::string(line);
}

bool startTraditionalOutput(std::string& error) {
    State& s = state();
    if (s.on) return true;
    s.requested = true;
    int fds[2];
    std::fflush(stdout);
    if (::pipe(fds) != 0) {
        error = "无法转换为繁体输出：" + text::reasonOf(errno);
        return false;
    }
    s.realFd = ::dup(STDOUT_FILENO);
    if (s.realFd < 0 || ::dup2(fds[1], STDOUT_FILENO) < 0) {
        error = "无法转换为繁体输出：" + text::reasonOf(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        if (s.realFd >= 0) ::close(s.realFd);
        return false;
    }
    ::close(fds[1]);
    s.readFd = fds[0];
    s.reader = std::thread(readLoop);
    s.on = true;
    return true;
}

bool finishTraditionalOutput(std::string& error, int* err) {
    State& s = state();
    if (!s.on) return true;
    std::fflush(stdout);
    // Putting the real output back closes the pipe's last write end: the reader sees its end.
    ::dup2(s.realFd, STDOUT_FILENO);
    s.reader.join();
    ::close(s.readFd);
    ::close(s.realFd);
    s.on = false;
    if (s.writeErrno == 0) return true;
    if (err) *err = s.writeErrno;
    error = "无法写出结果：" + text::reasonOf(s.writeErrno);
    return false;
}

}  // namespace hj::cli
