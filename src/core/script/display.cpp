#include "core/script/display.h"

#include "core/text/file_io.h"
#include "core/text/ini.h"

namespace hj::script {

bool traditionalDisplay(const text::IniFile& ini) { return ini.readBool(kDisplaySection, kTraditionalKey, false); }

bool traditionalDisplay(const std::string& dataDir) {
    if (dataDir.empty()) return false;
    text::IniFile ini(text::dataFilePath(dataDir, "bzinit.ini"));
    return ini.reload() && traditionalDisplay(ini);
}

bool setTraditionalDisplay(const std::string& dataDir, bool on, std::string* error) {
    text::IniFile ini(text::dataFilePath(dataDir, "bzinit.ini"));
    if (!ini.reload() || !ini.writeInt(kDisplaySection, kTraditionalKey, on ? 1 : 0)) {
        if (error) *error = ini.lastError();
        return false;
    }
    return true;
}

}  // namespace hj::script
