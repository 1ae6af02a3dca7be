#include "core/presentation/chart_params.h"

#include <charconv>
#include <cstdio>
#include <utility>

#include "core/text/fields.h"
#include "core/text/strings.h"

namespace hj::presentation {
namespace {

// A whole field as a decimal integer, `def` when it is anything else.
int toIntDef(std::string_view s, int def) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    int v = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || ptr != s.data() + s.size() || s.empty()) return def;
    return v;
}

std::string_view trim(std::string_view s) { return text::trimmed(s); }

// Takes the text up to `sep` from `rest`, dropping the separator; false when there is none.
bool takeUntil(std::string_view& rest, char sep, std::string_view& part) {
    const auto pos = rest.find(sep);
    if (pos == std::string_view::npos) return false;
    part = rest.substr(0, pos);
    rest.remove_prefix(pos + 1);
    return true;
}

}  // namespace

std::string formatChartParameters(const ChartParameters& p) {
    char date[96];
    std::snprintf(date, sizeof date, "%d %d %d %d %d %d#", p.year, p.month, p.day, p.hour, p.minute, p.kind);
    std::string s(kChartParamsTag);
    s += '#';
    s += date;
    s += p.male ? "1#" : "0#";
    s += p.name;
    s += '#';
    s += std::to_string(p.province) + " " + std::to_string(p.city);
    return s;
}

bool parseChartParameters(std::string_view text, ChartParameters& out) {
    std::string_view rest = trim(text);
    std::string_view part;
    if (!takeUntil(rest, '#', part) || part != kChartParamsTag) return false;

    ChartParameters p;
    std::string_view date;
    if (!takeUntil(rest, '#', date)) return false;
    std::string_view f;
    if (!takeUntil(date, ' ', f)) return false;
    p.year = toIntDef(f, 0);
    if (p.year == 0 || p.year < -4713 || p.year >= 10000) return false;
    if (!takeUntil(date, ' ', f)) return false;
    p.month = toIntDef(f, 0);
    if (p.month < 1 || p.month > 12) return false;
    if (!takeUntil(date, ' ', f)) return false;
    p.day = toIntDef(f, 0);
    if (p.day < 1 || p.day > 31) return false;
    if (!takeUntil(date, ' ', f)) return false;
    p.hour = toIntDef(f, -1);
    if (p.hour < 0 || p.hour > 23) return false;
    if (takeUntil(date, ' ', f)) {
        p.minute = toIntDef(f, -1);
        p.kind = toIntDef(date, 0);
    } else {
        p.minute = toIntDef(date, -1);
        p.kind = 1;
    }
    if (p.minute < 0 || p.minute > 59 || p.kind < 1 || p.kind > 3) return false;

    std::string_view sex;
    if (!takeUntil(rest, '#', sex) || sex.empty()) return false;
    p.male = sex.front() == '1';

    std::string_view name;
    if (!takeUntil(rest, '#', name) || !text::checkFieldText(name, "姓名", true, nullptr)) return false;
    p.name = std::string(name);

    if (rest.size() <= 2) return false;
    const auto space = rest.find(' ');
    if (space == std::string_view::npos) {
        p.province = toIntDef(rest, 0);
        p.city = 0;
    } else {
        p.province = toIntDef(rest.substr(0, space), 0);
        p.city = toIntDef(rest.substr(space + 1), 0);
    }
    out = std::move(p);
    return true;
}

}  // namespace hj::presentation
