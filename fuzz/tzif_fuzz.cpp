// A zone file of the system (or of $TZDIR): any bytes are refused or read, and rules that were
// read answer every instant without a fault, a change before an instant lying before it.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "core/zones/zone_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hj::zones::rules;
    std::unique_ptr<const ZoneRules> rules(detail::parseTzif(std::string_view(reinterpret_cast<const char*>(data), size)));
    if (!rules) return 0;
    for (const double ms : {-8e13, -2.2e12, 0.0, 5.7e11, 1.7e12, 2.2e12, 4.1e12, 8e13}) {
        rules->offsetsAt(ms);
        double when = 0;
        if (rules->previousTransition(ms, true, when) && when > ms) std::abort();
        if (rules->previousTransition(ms, false, when) && when >= ms) std::abort();
    }
    return 0;
}
