#include "cli/traditional_output.h"

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "core/platform/platform.h"
#include "core/traditional/conversion.h"
#include "core/text/file_io.h"
#include "core/text/gbk.h"

namespace hj::cli {
namespace {

struct State {
    bool on = false;         // the pipe is in place
    bool requested = false;  // --traditional was given: messages are converted to the end
    platform::StdoutDiversion diversion;
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
        if (s.writeErrno == 0 && !s.diversion.writeReal(traditionalLine(line))) s.writeErrno = errno ? errno : EIO;
    };
    for (;;) {
        const std::int64_t n = s.diversion.read(buf, sizeof buf);
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
    if (!s.diversion.start()) {
        error = "无法转换为繁体输出：" + text::reasonOf(errno);
        return false;
    }
    s.reader = std::thread(readLoop);
    s.on = true;
    return true;
}

bool finishTraditionalOutput(std::string& error, int* err) {
    State& s = state();
    if (!s.on) return true;
    // Putting the real output back closes the pipe's last write end: the reader sees its end.
    s.diversion.stop();
    s.reader.join();
    s.diversion.close();
    s.on = false;
    if (s.writeErrno == 0) return true;
    if (err) *err = s.writeErrno;
    error = "无法写出结果：" + text::reasonOf(s.writeErrno);
    return false;
}

}  // namespace hj::cli
