#include "cli/traditional_output.h"

#include <vector>

#include "core/traditional/conversion.h"

namespace hj::cli {
namespace {

struct State {
    bool requested = false;
    std::vector<std::string> keep;
};

State& state() {
    static State s;
    return s;
}

}  // namespace

void startTraditionalOutput() { state().requested = true; }

bool traditionalOutputOn() { return state().requested; }

void keepAsTyped(const std::string& word) {
    if (!word.empty()) state().keep.push_back(word);
}

std::string traditionalLine(std::string_view line) { return traditional::toTraditional(line, state().keep); }

}  // namespace hj::cli
