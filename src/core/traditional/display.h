#pragma once
// The display setting: [display] fanti=1 in dat/bzinit.ini shows the program, its reports and
// calendars in Traditional characters. Off by default and when the key or file is missing, so
// nothing changes for a profile that does not name it. A report is converted when it is made;
// stored reports keep the characters they were saved with, and files stay GBK.
#include <string>
#include <string_view>

namespace hj::text {
class IniFile;
}

namespace hj::traditional {

inline constexpr std::string_view kDisplaySection = "display";
inline constexpr std::string_view kTraditionalKey = "fanti";

bool traditionalDisplay(const text::IniFile& ini);
// The same from <dataDir>/dat/bzinit.ini; false for an empty dataDir or an unreadable file.
bool traditionalDisplay(const std::string& dataDir);
// Writes the key; false with the reason in `error`.
bool setTraditionalDisplay(const std::string& dataDir, bool on, std::string* error = nullptr);

}  // namespace hj::traditional
