#include "core/presentation/case_tree.h"

#include <algorithm>
#include <charconv>

#include "core/calendar/datetime.h"
#include "core/places/places.h"
#include "core/text/fields.h"
#include "core/text/gbk.h"
#include "core/text/ini.h"
#include "core/text/strings.h"

namespace hj::presentation {

std::string caseNodeText(const casestore::CaseRecord& r) {
    std::string t = r.name;
    t += r.lunar == 1 ? "  农" : "  公";
    if (r.lunar == 1 && r.leap == 1) t += "闰";
    t += std::to_string(displayYear(r.year)) + '-' + std::to_string(r.month) + '-' + std::to_string(r.day) + '|' +
         std::to_string(r.index);
    return t;
}

int caseIndexOfNodeText(std::string_view text) {
    const std::size_t bar = text.rfind('|');
    if (bar == std::string_view::npos) return -1;
    const std::string_view digits = text.substr(bar + 1);
    int value = -1;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size() || value < 0) return -1;
    return value;
}

std::string caseNameOfNodeText(std::string_view text) { return std::string(text.substr(0, text.find(' '))); }

std::string classKey(std::string_view name) {
    std::string k(name);
    for (char& c : k)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return k;
}

bool classNameAcceptable(std::string_view name) {
    std::string gbk;
    return text::checkFieldText(name, "类别名", true, nullptr) && text::utf8ToGbk(name, gbk) &&
           gbk.size() <= kClassNameMaxBytes;
}

bool checkCaseFields(const casestore::CaseRecord& r, std::string* error) {
    return text::checkFieldText(r.name, "姓名", true, error) && text::checkFieldText(r.className, "类别名", true, error) &&
           text::checkFieldText(r.note, "附加信息", false, error) && text::checkFieldText(r.place, "出生地", false, error) &&
           checkCoordinates(r.longitude, r.latitude, error);
}

namespace {
template <class Image>
int listCount(const Image& ini) {
    return std::clamp(ini.readInt("classes", "count", 0), 0, kClassListMax);
}
}  // namespace

std::vector<std::string> readClassList(const text::IniFile& ini, std::string_view missing) {
    std::vector<std::string> names;
    const int n = listCount(ini);
    names.reserve(static_cast<std::size_t>(n));
    for (int i = 1; i <= n; ++i) names.push_back(ini.readString("classes", std::to_string(i), missing));
    return names;
}

// Each change reads the list as it is on disk now, so that one added elsewhere is kept.
bool addToClassList(text::IniFile& ini, std::string_view name) {
    return ini.update([&](text::IniEditor& e) {
        const int n = listCount(e);
        for (int i = 1; i <= n; ++i)
            if (sameClassName(e.readString("classes", std::to_string(i), ""), name)) return true;
        return e.writeInt("classes", "count", n + 1) && e.writeString("classes", std::to_string(n + 1), name);
    });
}

bool renameInClassList(text::IniFile& ini, std::string_view from, std::string_view to) {
    return ini.update([&](text::IniEditor& e) {
        const int n = listCount(e);
        for (int i = 1; i <= n; ++i) {
            const std::string key = std::to_string(i);
            if (sameClassName(e.readString("classes", key, ""), from)) return e.writeString("classes", key, to);
        }
        return true;
    });
}

bool writeClassList(text::IniFile& ini, const std::vector<std::string>& names) {
    return ini.update([&](text::IniEditor& e) {
        for (std::size_t i = 0; i < names.size(); ++i)
            if (!e.writeString("classes", std::to_string(i + 1), names[i])) return false;
        return e.writeInt("classes", "count", static_cast<int>(names.size()));
    });
}

int firstBadClassLine(const std::vector<std::string>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!classNameAcceptable(std::string(text::trimmed(lines[i], " \t\r\n")))) return static_cast<int>(i + 1);
    return 0;
}

}  // namespace hj::presentation
