// Place values of dili.ini ("116:28*39:54").
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/places/places.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hj::PlaceCoordinates c;
    std::string error;
    if (hj::parsePlaceValue(std::string_view(reinterpret_cast<const char*>(data), size), c, &error)) {
        if (!std::isfinite(c.longitude) || !std::isfinite(c.latitude)) std::abort();
    } else if (error.empty()) {
        std::abort();  // a refusal always says why
    }
    return 0;
}
