// Clipboard text pasted into the main window: parse, and a parsed value formats back to
// text that parses to the same value.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/presentation/chart_params.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hj::presentation::ChartParameters p;
    if (!hj::presentation::parseChartParameters(std::string_view(reinterpret_cast<const char*>(data), size), p)) return 0;
    hj::presentation::ChartParameters q;
    if (!hj::presentation::parseChartParameters(hj::presentation::formatChartParameters(p), q)) std::abort();
    if (q.year != p.year || q.month != p.month || q.day != p.day || q.hour != p.hour || q.minute != p.minute ||
        q.kind != p.kind || q.male != p.male || q.province != p.province || q.city != p.city)
        std::abort();
    return 0;
}
