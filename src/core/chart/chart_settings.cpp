#include "core/chart/chart_settings.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "core/text/file_io.h"
#include "core/text/ini.h"

namespace hj {
namespace {

constexpr std::string_view kSection = "set";

struct KeyRange {
    std::string_view key;
    int low, high;
};
constexpr KeyRange kKeys[] = {{"endinfo", 0, 1}, {"zishi", 0, 1}, {"mgong", 0, 1},   {"pai", 0, 1},  {"idate", 0, 2},
                              {"save", 0, 1},    {"leftpos", 0, 500}, {"zhong", 0, 1}, {"yue", 0, 1},
                              {"dst", 0, 1}, {"bianjie", 0, 720}, {"fenxi", 0, 1},
                              {"xingbie", 0, 1}, {"wenhe", 0, 1}, {"jinnian", 0, 1}, {"nayin", 0, 1}};

// The keys read as booleans (any non-zero is on).
constexpr std::string_view kBoolKeys[] = {"endinfo", "zishi", "save", "dst", "fenxi", "xingbie", "wenhe", "jinnian"};

void assign(ChartSettings& s, std::string_view key, int v) {
    if (key == "endinfo") s.endinfo = v != 0;
    else if (key == "zishi") s.zishi = v != 0;
    else if (key == "mgong") s.mgong = static_cast<std::uint8_t>(v);
    else if (key == "pai") s.pai = static_cast<std::uint8_t>(v);
    else if (key == "idate") s.idate = static_cast<std::uint8_t>(v);
    else if (key == "save") s.save = v != 0;
    else if (key == "leftpos") s.leftpos = v;
    else if (key == "zhong") s.zhong = static_cast<std::uint8_t>(v);
    else if (key == "yue") s.yue = static_cast<std::uint8_t>(v);
    else if (key == "dst") s.dst = v != 0;
    else if (key == "bianjie") s.bianjie = v;
    else if (key == "fenxi") s.fenxi = v != 0;
    else if (key == "xingbie") s.xingbie = v != 0;
    else if (key == "wenhe") s.wenhe = v != 0;
    else if (key == "jinnian") s.jinnian = v != 0;
    else if (key == "nayin") s.nayin = static_cast<std::uint8_t>(v);
}

// A value outside what the engine understands reads as the key's default, so a hand-edited
// file can never select a mode that does not exist.
int readKey(const text::IniFile& ini, const KeyRange& k, int def) {
    int v = ini.readInt(kSection, k.key, def);
    return (v < k.low || v > k.high) ? def : v;
}

}  // namespace

ChartSettings loadChartSettings(const text::IniFile& ini) {
    ChartSettings s;
    const ChartSettings d;
    s.endinfo = ini.readBool(kSection, "endinfo", d.endinfo);
    s.zishi = ini.readBool(kSection, "zishi", d.zishi);
    s.save = ini.readBool(kSection, "save", d.save);
    s.dst = ini.readBool(kSection, "dst", d.dst);
    s.fenxi = ini.readBool(kSection, "fenxi", d.fenxi);
    s.xingbie = ini.readBool(kSection, "xingbie", d.xingbie);
    s.wenhe = ini.readBool(kSection, "wenhe", d.wenhe);
    s.jinnian = ini.readBool(kSection, "jinnian", d.jinnian);
    for (const KeyRange& k : kKeys) {
        if (std::find(std::begin(kBoolKeys), std::end(kBoolKeys), k.key) != std::end(kBoolKeys)) continue;
        int def = k.key == "mgong" ? d.mgong : k.key == "pai" ? d.pai : k.key == "idate" ? d.idate
                : k.key == "leftpos" ? d.leftpos : k.key == "zhong" ? d.zhong
                : k.key == "bianjie" ? d.bianjie : k.key == "nayin" ? d.nayin : d.yue;
        assign(s, k.key, readKey(ini, k, def));
    }
    return s;
}

ChartSettings loadChartSettings(const std::string& dataDir) {
    if (dataDir.empty()) return ChartSettings{};
    text::IniFile ini(text::dataFilePath(dataDir, "bzinit.ini"));
    if (!ini.reload()) return ChartSettings{};
    return loadChartSettings(ini);
}

bool applyChartSetting(ChartSettings& settings, std::string_view key, std::string_view value,
                       std::string* error) {
    for (const KeyRange& k : kKeys) {
        if (k.key != key) continue;
        int v = 0;
        auto [p, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
        if (ec != std::errc() || p != value.data() + value.size() || v < k.low || v > k.high) {
            if (error)
                *error = "setting " + std::string(key) + " takes an integer from " + std::to_string(k.low) +
                         " to " + std::to_string(k.high) + ", not \"" + std::string(value) + "\"";
            return false;
        }
        assign(settings, key, v);
        return true;
    }
    if (error) *error = "unknown setting \"" + std::string(key) + "\"";
    return false;
}

}  // namespace hj
