#include "core/zones/world_places.h"

#include <charconv>
#include <cstdio>
#include <cmath>
#include <memory>

#include "core/resources.h"
#include "core/text/fields.h"
#include "core/text/file_io.h"
#include "core/text/gbk.h"
#include "core/text/ini.h"
#include "core/zones/zone_clock.h"
#include "core/zones/zone_rules.h"

namespace hj::zones {
namespace {

constexpr std::string_view kUserFile = "worldpl.ini";
constexpr std::string_view kSection = "places";
constexpr std::size_t kNameMaxBytes = 20;

std::string cityOfZone(std::string_view zone) {
    std::string city(zone.substr(zone.rfind('/') == std::string_view::npos ? 0 : zone.rfind('/') + 1));
    for (char& c : city)
        if (c == '_') c = ' ';
    return city;
}

bool parseNumber(std::string_view s, double& v) {
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return !s.empty() && ec == std::errc() && p == s.data() + s.size() && std::isfinite(v);
}

// Lower-case ASCII, "_" as a blank: "new_york" finds "New York".
std::string folded(std::string_view s) {
    std::string r(s);
    for (char& c : r) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        else if (c == '_') c = ' ';
    }
    return r;
}

std::vector<WorldPlace> buildList() {
    std::vector<WorldPlace> list;
    std::string_view data = embeddedResource("data/world_places.tsv");
    while (!data.empty()) {
        std::size_t nl = data.find('\n');
        std::string_view line = data.substr(0, nl);
        data = nl == std::string_view::npos ? std::string_view{} : data.substr(nl + 1);
        if (line.empty() || line.front() == '#') continue;
        std::string_view f[4];
        for (int i = 0; i < 4; ++i) {
            std::size_t tab = line.find('\t');
            f[i] = line.substr(0, tab);
            line = tab == std::string_view::npos ? std::string_view{} : line.substr(tab + 1);
        }
        WorldPlace p;
        p.zone = std::string(f[1]);
        double lat = 0, lon = 0;
        parseNumber(f[2], lat);
        parseNumber(f[3], lon);
        p.latitude = static_cast<float>(lat);
        p.longitude = static_cast<float>(lon);
        p.englishCity = cityOfZone(p.zone);
        p.known = zoneExists(p.zone);
        // The names follow the zone's canonical id (Asia/Calcutta for Asia/Kolkata).
        const std::string city = rules::cityName(canonicalZone(p.zone));
        p.city = city.empty() ? p.englishCity : city;
        p.country = rules::countryName(f[0]);
        list.push_back(std::move(p));
    }
    return list;
}

}  // namespace

std::string WorldPlace::placeText() const {
    const std::string full = country.empty() || country == city ? city : country + "-" + city;
    return text::truncateGbk(full, 31);
}

const std::vector<WorldPlace>& builtinWorldPlaces() {
    static const std::vector<WorldPlace> list = buildList();
    return list;
}

int zoneCode(std::string_view zone) {
    const auto& list = builtinWorldPlaces();
    for (int pass = 0; pass < 2; ++pass) {
        const std::string id = pass == 0 ? std::string(zone) : canonicalZone(zone);
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i].zone == id) return static_cast<int>(i) + 1;
        // The table may hold the alias the library does not call canonical, or the other way.
        for (std::size_t i = 0; pass == 1 && i < list.size(); ++i)
            if (canonicalZone(list[i].zone) == id && !id.empty()) return static_cast<int>(i) + 1;
    }
    return 0;
}

std::string zoneOfCode(int code) {
    const auto& list = builtinWorldPlaces();
    if (code < 1 || code > static_cast<int>(list.size())) return {};
    return list[static_cast<std::size_t>(code - 1)].zone;
}

bool loadUserPlaces(const std::string& dataDir, std::vector<WorldPlace>& out, std::string& error) {
    out.clear();
    if (dataDir.empty()) return true;
    text::IniFile ini(text::dataFilePath(dataDir, kUserFile));
    if (!ini.reload()) {
        error = ini.lastError();
        return false;
    }
    for (const std::string& name : ini.sectionKeys(kSection)) {
        const std::string value = ini.readString(kSection, name, "");
        const std::size_t a = value.find('*');
        const std::size_t b = a == std::string::npos ? a : value.find('*', a + 1);
        if (b == std::string::npos) continue;
        double lon = 0, lat = 0;
        const std::string_view v(value);
        if (!parseNumber(v.substr(0, a), lon) || !parseNumber(v.substr(a + 1, b - a - 1), lat)) continue;
        WorldPlace p;
        p.city = name;
        p.zone = value.substr(b + 1);
        if (lon < -180 || lon > 180 || lat < -90 || lat > 90 || !zoneExists(p.zone)) continue;
        p.longitude = static_cast<float>(lon);
        p.latitude = static_cast<float>(lat);
        p.englishCity = cityOfZone(p.zone);
        p.user = true;
        out.push_back(std::move(p));
    }
    return true;
}

bool saveUserPlace(const std::string& dataDir, const WorldPlace& place, std::string& error) {
    if (!text::checkFieldText(place.city, "地名", true, &error)) return false;
    const std::size_t bytes = text::gbkLength(place.city);
    if (place.city.empty() || bytes > kNameMaxBytes || place.city.find_first_of("=[]*\r\n") != std::string::npos) {
        error = "地名不能为空，最多10个汉字，不能含有=[]*";
        return false;
    }
    if (!(place.longitude >= -180 && place.longitude <= 180) || !(place.latitude >= -90 && place.latitude <= 90)) {
        error = "经度在-180到180之间，纬度在-90到90之间";
        return false;
    }
    if (!zoneExists(place.zone)) {
        error = "不认识的时区：" + place.zone;
        return false;
    }
    text::IniFile ini(text::dataFilePath(dataDir, kUserFile));
    if (!ini.reload()) {
        error = ini.lastError();
        return false;
    }
    char value[96];
    std::snprintf(value, sizeof value, "%.4f*%.4f*", static_cast<double>(place.longitude),
                  static_cast<double>(place.latitude));
    if (!ini.writeString(kSection, place.city, value + place.zone)) {
        error = ini.lastError();
        return false;
    }
    return true;
}

bool removeUserPlace(const std::string& dataDir, std::string_view name, std::string& error) {
    text::IniFile ini(text::dataFilePath(dataDir, kUserFile));
    if (!ini.reload() || !ini.deleteKey(kSection, name)) {
        error = ini.lastError();
        return false;
    }
    return true;
}

std::vector<WorldPlace> findWorldPlaces(const std::vector<WorldPlace>& userPlaces, std::string_view what) {
    const std::string key = folded(what);
    std::vector<WorldPlace> exact, rest;
    auto visit = [&](const WorldPlace& p) {
        if (!p.known) return;
        if (key.empty()) {
            rest.push_back(p);
            return;
        }
        if (p.city == what || folded(p.englishCity) == key) {
            exact.push_back(p);
            return;
        }
        for (const std::string* field : {&p.city, &p.country, &p.englishCity, &p.zone}) {
            if (folded(*field).find(key) != std::string::npos) {
                rest.push_back(p);
                return;
            }
        }
    };
    for (const WorldPlace& p : userPlaces) visit(p);
    for (const WorldPlace& p : builtinWorldPlaces()) visit(p);
    exact.insert(exact.end(), rest.begin(), rest.end());
    return exact;
}

}  // namespace hj::zones
