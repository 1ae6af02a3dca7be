#include "core/presentation/chart_inputs.h"

#include <charconv>

#include "core/calendar/datetime.h"

namespace hj::presentation {

std::string hourItemText(int hour) {
    return std::to_string(hour) + "时" + std::string(kBranches[hourBranchOf(hour)]);
}

int intFromField(std::string_view text, int def) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return def;
    return v;
}

}  // namespace hj::presentation
