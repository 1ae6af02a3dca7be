#include "core/calendar/date_text.h"

#include <cstdio>

namespace hj {
namespace {

// Reads an unsigned decimal of 1..maxDigits digits at `pos`.
bool readNumber(std::string_view s, std::size_t& pos, int maxDigits, int& value) {
    int digits = 0;
    long v = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && digits < maxDigits) {
        v = v * 10 + (s[pos] - '0');
        ++pos;
        ++digits;
    }
    if (digits == 0 || (pos < s.size() && s[pos] >= '0' && s[pos] <= '9')) return false;
    value = static_cast<int>(v);
    return true;
}

bool readDate(std::string_view s, std::size_t& pos, DateTime& out) {
    bool neg = false;
    if (pos < s.size() && (s[pos] == '-' || s[pos] == '+')) {
        neg = s[pos] == '-';
        ++pos;
    }
    int y, m, d;
    if (!readNumber(s, pos, 5, y)) return false;
    if (pos >= s.size() || s[pos] != '-') return false;
    ++pos;
    if (!readNumber(s, pos, 2, m)) return false;
    if (pos >= s.size() || s[pos] != '-') return false;
    ++pos;
    if (!readNumber(s, pos, 2, d)) return false;
    if (neg) y = -y;
    if (y < -32768 || y > 32767) return false;
    out = DateTime{static_cast<std::int16_t>(y), static_cast<std::int16_t>(m), static_cast<std::int16_t>(d), 12, 0};
    return true;
}

std::string quoted(std::string_view text) {
    std::string s(text.substr(0, 64));
    return "“" + s + "”";
}

}  // namespace

bool parseDate(std::string_view text, DateTime& out, std::string& error) {
    std::size_t pos = 0;
    DateTime d;
    if (!readDate(text, pos, d) || pos != text.size()) {
        error = "日期格式错误：" + quoted(text) + "（应为 YYYY-MM-DD）";
        return false;
    }
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31) {
        error = "日期超出范围：" + quoted(text);
        return false;
    }
    out = d;
    return true;
}

bool parseDateTime(std::string_view text, DateTime& out, std::string& error) {
    std::size_t pos = 0;
    DateTime d;
    int h = 0, mi = 0;
    bool ok = readDate(text, pos, d) && pos < text.size() && (text[pos] == ' ' || text[pos] == 'T');
    if (ok) {
        ++pos;
        ok = readNumber(text, pos, 2, h) && pos < text.size() && text[pos] == ':';
    }
    if (ok) {
        ++pos;
        ok = readNumber(text, pos, 2, mi) && pos == text.size();
    }
    if (!ok) {
        error = "时间格式错误：" + quoted(text) + "（应为 YYYY-MM-DD HH:MM）";
        return false;
    }
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31 || h > 23 || mi > 59) {
        error = "时间超出范围：" + quoted(text);
        return false;
    }
    d.hour = static_cast<std::int16_t>(h);
    d.minute = static_cast<std::int16_t>(mi);
    out = d;
    return true;
}

bool parseYear(std::string_view text, int& year, std::string& error) {
    std::size_t pos = 0;
    bool neg = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        neg = text[pos] == '-';
        ++pos;
    }
    int y;
    if (!readNumber(text, pos, 5, y) || pos != text.size()) {
        error = "年份格式错误：" + quoted(text);
        return false;
    }
    year = neg ? -y : y;
    return true;
}

std::string formatDate(const DateTime& d) {
    char buf[32];
    if (d.year < 0) std::snprintf(buf, sizeof buf, "-%04d-%02d-%02d", -d.year, d.month, d.day);
    else std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

std::string formatDateTime(const DateTime& d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, " %02d:%02d", d.hour, d.minute);
    return formatDate(d) + buf;
}

}  // namespace hj
