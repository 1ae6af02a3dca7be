#include "core/calendar/datetime.h"

#include <cmath>
#include <cstdlib>

namespace hj {

double civilJulianDay(int year, int month, double day) {
    int y = month < 3 ? year - 1 : year;
    int m = month <= 2 ? month + 12 : month;
    double b = 0;
    if (std::floor(day) + 31.0 * month + 372.0 * year >= 588829) {  // on or after 1582-10-15
        int g = y / 100;
        b = 2 - g + g / 4;
    }
    return std::floor(365.25 * (y + 4716)) + std::floor(30.6001 * (m + 1)) + day + b - 1524.5;
}

std::string ganZhiName(int cycleIndex) {
    std::string s(kStems[cycleMod(cycleIndex, 10)]);
    s += kBranches[cycleMod(cycleIndex, 12)];
    return s;
}

int hourBranchOf(int hour) {
    const int h = hour % 2 != 0 ? (hour + 1) % 24 : hour;
    return (h / 2 + 1) % 12;
}

int cycleIndexOf(int stem, int branch) {
    int c = cycleMod(stem - branch, 12);
    return stem + 10 * (c / 2);
}

std::string chineseNumber(int n) {
    auto digit = [](int d) { return std::string(kChineseDigits[d]); };
    if (n >= 1 && n <= 9) return digit(n);
    if (n == 10) return "十";
    if (n >= 11 && n <= 19) return "十" + digit(n - 10);
    if (n == 20) return "二十";
    if (n >= 21 && n <= 29) return "廿" + digit(n - 20);
    if (n == 30) return "三十";
    std::string out;
    long long v = n;
    if (v < 0) {
        out = "前";
        v = -v;
    }
    // Digit by digit, ○ for zero: one digit for 1..9, two for 31..99, three for 100..999 and
    // four for every other value, so a negative 10..30 reads 前○○一二.
    int width = v >= 1 && v <= 9 ? 1 : v >= 31 && v <= 99 ? 2 : v >= 100 && v <= 999 ? 3 : 4;
    std::string digits = std::to_string(v);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    for (char c : digits) out += digit(c - '0');
    return out;
}

double roundTo(double x, int digits) {
    double p = std::pow(10.0, digits);
    double c = std::ceil(x * p), f = std::floor(x * p);
    return c - x * p >= x * p - f ? f / p : c / p;
}

}  // namespace hj
