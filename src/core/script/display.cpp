#include "core/script/display.h"

#include "core/chart/chart_settings.h"
#include "core/text/ini.h"

namespace hj::script {

bool traditionalDisplay(const text::IniFile& ini) { return ini.readBool(kDisplaySection, kTraditionalKey, false); }

bool traditionalDisplay(const std::string& dataDir) {
    if (dataDir.empty()) return false;
    text::IniFile ini(dataFilePath(dataDir, "bzinit.ini"));
    return ini.reload() && traditionalDisplay(ini);
}

bool setTraditionalDisplay(const std::string& dataDir, bool on, std::string* error) {
    text::IniFile ini(dataFilePath(dataDir, "bzinit.ini"));
    if (!ini.reload() || !ini.writeInt(kDisplaySection, kTraditionalKey, on ? 1 : 0)) {
        if (error) *error = ini.lastError();
        return false;
    }
    return true;
}

}  // namespace hj::script
