#include "core/zones/case_zone.h"

#include "core/zones/world_places.h"

namespace hj::zones {
namespace {

constexpr std::uint8_t kCheck = 0x5A;
constexpr std::uint16_t kSecondFold = 0x8000;

std::uint8_t checkOf(std::uint16_t word) {
    return static_cast<std::uint8_t>(kCheck ^ (word & 0xFF) ^ (word >> 8));
}

}  // namespace

bool storeZone(casestore::CaseRecord& r, std::string_view zone, int fold) {
    r.pad45 = 0;
    r.pad50 = 0;
    const int code = zone.empty() ? 0 : zoneCode(zone);
    if (!zone.empty() && code <= 0) return false;
    if (code == 0 && fold != 2) return true;
    r.pad50 = static_cast<std::uint16_t>(code | (fold == 2 ? kSecondFold : 0));
    r.pad45 = checkOf(r.pad50);
    return true;
}

bool storedZone(const casestore::CaseRecord& r, std::string& zone, int& fold) {
    zone.clear();
    fold = 1;
    if (r.pad50 == 0 || r.pad45 != checkOf(r.pad50)) return false;
    const int code = r.pad50 & ~kSecondFold;
    zone = zoneOfCode(code);
    if (zone.empty() && code != 0) return false;
    fold = (r.pad50 & kSecondFold) ? 2 : 1;
    return !zone.empty();
}

}  // namespace hj::zones
