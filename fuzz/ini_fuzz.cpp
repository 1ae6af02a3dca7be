// Settings and place files edited by hand: every read takes its default or a value, and the
// image written back reads the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/text/ini.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hj::text::IniFile ini;
    ini.loadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const std::string& section : ini.sections()) {
        for (const std::string& key : ini.sectionKeys(section)) {  // every key: lookups must stay cheap
            (void)ini.readInt(section, key, 7);
            (void)ini.readBool(section, key, true);
            if (!ini.hasKey(section, key)) std::abort();
            (void)ini.readString(section, key, "");
        }
    }
    std::string image;
    if (ini.serialize(image)) {
        hj::text::IniFile again;
        again.loadFromBytes(image);
        if (again.sections() != ini.sections()) std::abort();
    }
    return 0;
}
