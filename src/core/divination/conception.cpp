#include "core/divination/conception.h"

#include <charconv>

namespace hj {
namespace {

// One row per age from 18, one character per month from 1: '1' boy, '0' girl.
constexpr std::string_view kChart[kConceptionMaxAge - kConceptionMinAge + 1] = {
    "010111111111",  // 18
    "101001111100",  // 19
    "010111111011",  // 20
    "100000000000",  // 21
    "011010010000",  // 22
    "110110101110",  // 23
    "101101100000",  // 24
    "011001011111",  // 25
    "101001010000",  // 26
    "010100111101",  // 27
    "101000111100",  // 28
    "010011111000",  // 29
    "100000000011",  // 30
    "101000000001",  // 31
    "101000000001",  // 32
    "010100010001",  // 33
    "101000000011",  // 34
    "110100010011",  // 35
    "011010001111",  // 36
    "101101010101",  // 37
    "010110101010",  // 38
    "101110010100",  // 39
    "010101101010",  // 40
    "101010110101",  // 41
    "010101011010",  // 42
    "101010101111",  // 43
    "110111010100",  // 44
    "011000101011",  // 45
};

}  // namespace

int parseMotherAge(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() ? value : 0;
}

bool predictBoy(int age, int month, bool& boy, std::string& error) {
    if (age < kConceptionMinAge || age > kConceptionMaxAge) {
        error = kMsgMotherAge;
        return false;
    }
    if (month < 1 || month > 12) {
        error = "怀孕月份在1-12月";
        return false;
    }
    boy = kChart[age - kConceptionMinAge][static_cast<std::size_t>(month - 1)] == '1';
    return true;
}

std::string_view conceptionText(bool boy) { return boy ? "生男孩" : "生女孩"; }

}  // namespace hj
