// Report files from anywhere: the reader must return or refuse, never crash or hang, and what
// it read must survive a write and a second read.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/rtf/rtf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    hj::rtf::Document doc;
    std::string error;
    if (!hj::rtf::readRtf(bytes, doc, &error)) return 0;
    std::string text = hj::rtf::plainText(doc);
    hj::rtf::Document again;
    if (!hj::rtf::readRtf(hj::rtf::writeRtf(doc), again, &error)) std::abort();  // our own output must read
    if (hj::rtf::plainText(again) != text) std::abort();
    return 0;
}
