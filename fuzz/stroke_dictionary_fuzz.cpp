// A stroke dictionary of any size and content: lookups, grids and listings fail cleanly.
#include <cstdint>
#include <string>

#include "core/divination/stroke_dictionary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hj::StrokeDictionary dict =
        hj::StrokeDictionary::fromImage(std::string(reinterpret_cast<const char*>(data), size));
    (void)dict.strokesOf("张");
    (void)dict.strokesOf("齄");
    hj::NameGrids g;
    (void)dict.computeGrids("张三丰", true, g);
    (void)dict.computeGrids("欧阳明月", false, g);
    std::string text;
    (void)dict.listCharactersOfElement(static_cast<int>(size % 6), text);
    return 0;
}
