#include "core/presentation/chart_inputs.h"

#include <charconv>

#include "core/calendar/datetime.h"

namespace hj::presentation {

std::string hourItemText(int hour) {
    // An odd hour opens the next double hour (1时 is already 丑).
    const int h = (hour % 2 != 0) ? (hour + 1) % 24 : hour;
    return std::to_string(hour) + "时" + std::string(kBranches[(h / 2 + 1) % 12]);
}

int intFromField(std::string_view text, int def) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return def;
    return v;
}

}  // namespace hj::presentation
