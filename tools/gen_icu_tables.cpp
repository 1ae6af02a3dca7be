// Writes the zone, place-name and Traditional-character tables the program carries in
// resources/data (committed; `make tables` runs this again):
//   gen_icu_tables OUT_DIR ZONEINFO_DIR WORLD_PLACES.tsv
// OUT_DIR/zone_ids.tsv     every zone id ICU or the tz release knows: "id<TAB>canonical<TAB>tz zone",
//                          the canonical id as ICU gives it (as cases store it) and the zone of
//                          the tz release whose rules it follows ("" when the release has none)
// OUT_DIR/tzif.bin         the compiled rules (RFC 8536 TZif, from ZONEINFO_DIR) of every tz zone
//                          named there: records "name\0", a 4-byte little-endian length, the
//                          bytes; the first record, "#version", holds the tz release. The files
//                          keep only their 64-bit part (an empty 32-bit part, as slim files have).
// OUT_DIR/zone_places.tsv  "Z<TAB>zone<TAB>city" (the Chinese exemplar city) and
//                          "C<TAB>code<TAB>country" (the Chinese country name) for the world places
// OUT_DIR/hant_rules.tsv   "T<TAB>rule" and "S<TAB>rule": the rules of ICU's Hans-Hant and
//                          Hant-Hans transliterators in their order ("KEY > OUT;", with a context
//                          as "[SET]{KEY} > OUT;" or "{KEY}[SET] > OUT;" or "{KEY}TEXT > OUT;")
// Each .tsv starts with '#' lines naming its source and versions; the output depends only on
// the ICU and the tz release given, never on the order of a folder listing.
#include <unicode/locid.h>
#include <unicode/strenum.h>
#include <unicode/timezone.h>
#include <unicode/translit.h>
#include <unicode/tznames.h>
#include <unicode/uversion.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string utf8Of(const icu::UnicodeString& s) {
    std::string out;
    s.toUTF8String(out);
    return out;
}

icu::UnicodeString unicodeOf(const std::string& s) { return icu::UnicodeString::fromUTF8(s); }

bool readFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out.flush());
}

std::string canonicalOf(const std::string& id) {
    icu::UnicodeString canonical;
    UBool isSystem = false;
    UErrorCode status = U_ZERO_ERROR;
    icu::TimeZone::getCanonicalID(unicodeOf(id), canonical, isSystem, status);
    return U_FAILURE(status) || !isSystem ? std::string() : utf8Of(canonical);
}

// The rules of a transliterator, one a line, in their order.
bool ruleTable(const char* id, char tag, std::string& out) {
    UErrorCode e = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> t(icu::Transliterator::createInstance(id, UTRANS_FORWARD, e));
    if (U_FAILURE(e)) return false;
    icu::UnicodeString rules;
    t->toRules(rules, false);
    std::istringstream lines(utf8Of(rules));
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) out += std::string(1, tag) + '\t' + line + '\n';
    return true;
}

std::uint32_t be32(const std::string& b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 8 | static_cast<unsigned char>(b[at + 3]);
}

// A TZif file of version 2 or later without its 32-bit data: the header with zero counts, then
// the 64-bit header, data and footer unchanged. "" when the file is not one.
std::string slimTzif(const std::string& bytes) {
    if (bytes.size() < 44 || bytes.compare(0, 4, "TZif") != 0 || bytes[4] < '2') return {};
    std::uint32_t c[6];
    for (int k = 0; k < 6; ++k) c[k] = be32(bytes, 20 + 4 * static_cast<std::size_t>(k));
    const std::size_t v1 = 44 + c[3] * 5ull + c[4] * 6ull + c[5] + c[2] * 8ull + c[1] + c[0];
    if (bytes.size() < v1 + 44 || bytes.compare(v1, 4, "TZif") != 0) return {};
    return bytes.substr(0, 20) + std::string(24, '\0') + bytes.substr(v1);
}

// The tz release's own index (tzdata.zi): its version, its zones and its links.
struct TzRelease {
    std::string version;
    std::set<std::string> zones;
    std::map<std::string, std::string> links;  // link → zone
    // The zone an id of the release follows; "" when the release does not know it.
    std::string zoneOf(const std::string& id) const {
        if (zones.count(id)) return id;
        const auto it = links.find(id);
        return it != links.end() && zones.count(it->second) ? it->second : std::string();
    }
};

bool readRelease(const std::string& path, TzRelease& r) {
    std::string text;
    if (!readFile(path, text)) return false;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string kind, a, b;
        words >> kind >> a >> b;
        if (kind == "#" && a == "version") r.version = b;
        else if (kind == "Z") r.zones.insert(a);
        else if (kind == "L") r.links[b] = a;
    }
    return !r.version.empty() && !r.zones.empty();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: gen_icu_tables OUT_DIR ZONEINFO_DIR WORLD_PLACES.tsv\n");
        return 1;
    }
    const std::string outDir = argv[1], zoneinfo = argv[2];
    TzRelease tz;
    if (!readRelease(zoneinfo + "/tzdata.zi", tz)) {
        std::fprintf(stderr, "gen_icu_tables: %s/tzdata.zi does not name a tz release\n", zoneinfo.c_str());
        return 1;
    }
    const std::string versions = "# ICU " U_ICU_VERSION ", tz " + tz.version + "\n";
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::StringEnumeration> ids(icu::TimeZone::createTimeZoneIDEnumeration(UCAL_ZONE_TYPE_ANY, nullptr, nullptr, status));
    if (U_FAILURE(status)) return 1;
    std::map<std::string, std::pair<std::string, std::string>> table;  // id → canonical, tz zone
    while (const char* id = ids->next(nullptr, status)) {
        const std::string canonical = canonicalOf(id);
        if (canonical.empty()) continue;
        std::string zone = tz.zoneOf(id);
        if (zone.empty()) zone = tz.zoneOf(canonical);
        table[id] = {canonical, zone};
    }
    // Zones and links of the release that this ICU does not know yet (America/Ciudad_Juarez).
    std::set<std::string> tzIds = tz.zones;
    for (const auto& [link, target] : tz.links) tzIds.insert(link);
    for (const std::string& id : tzIds) {
        if (table.count(id)) continue;
        const std::string zone = tz.zoneOf(id);
        if (zone.empty()) continue;
        const std::string canonical = canonicalOf(zone);
        table[id] = {canonical.empty() ? zone : canonical, zone};
    }
    std::string idTable = "# Zone ids: id, canonical id (ICU's), zone of the tz release; by tools/gen_icu_tables.cpp\n" + versions;
    std::set<std::string> used;
    for (const auto& [id, v] : table) {
        idTable += id + '\t' + v.first + '\t' + v.second + '\n';
        if (!v.second.empty()) used.insert(v.second);
    }
    std::string tzif;
    auto record = [&tzif](const std::string& name, const std::string& bytes) {
        const auto n = static_cast<std::uint32_t>(bytes.size());
        tzif += name + '\0';
        for (int k = 0; k < 4; ++k) tzif += static_cast<char>(n >> (8 * k) & 0xFF);
        tzif += bytes;
    };
    record("#version", tz.version);
    for (const std::string& zone : used) {
        std::string bytes;
        const std::string slim = readFile(zoneinfo + "/" + zone, bytes) ? slimTzif(bytes) : std::string();
        if (slim.empty()) {
            std::fprintf(stderr, "gen_icu_tables: no TZif file for %s\n", zone.c_str());
            return 1;
        }
        record(zone, slim);
    }

    // Names of the world places: the city of each zone, the country of each code.
    const icu::Locale zh("zh");
    std::unique_ptr<icu::TimeZoneNames> tzNames(icu::TimeZoneNames::createInstance(zh, status));
    std::string places;
    if (!readFile(argv[3], places) || U_FAILURE(status)) return 1;
    std::string names = "# Chinese names of the world places' zones (Z) and countries (C), ICU's zh data; by "
                        "tools/gen_icu_tables.cpp\n" + versions;
    std::set<std::string> zones, countries;
    std::istringstream lines(places);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        const auto t1 = line.find('\t'), t2 = line.find('\t', t1 + 1);
        countries.insert(line.substr(0, t1));
        zones.insert(line.substr(t1 + 1, t2 - t1 - 1));
    }
    // Zones of the tz release newer than this ICU's names, named by hand as later zh data names them.
    const std::map<std::string, std::string> newer = {{"America/Ciudad_Juarez", "华雷斯城"},
                                                      {"America/Coyhaique", "科伊艾克"}};
    for (const std::string& z : zones) {
        std::string canonical = canonicalOf(z);
        icu::UnicodeString city;
        if (!canonical.empty()) tzNames->getExemplarLocationName(unicodeOf(canonical), city);
        if (canonical.empty() && newer.count(z)) {
            canonical = z;
            city = unicodeOf(newer.at(z));
        }
        if (!city.isEmpty()) names += "Z\t" + canonical + '\t' + utf8Of(city) + '\n';
    }
    for (const std::string& c : countries) {
        icu::UnicodeString country;
        icu::Locale(nullptr, c.c_str()).getDisplayCountry(zh, country);
        names += "C\t" + c + '\t' + utf8Of(country) + '\n';
    }

    std::string hant = "# ICU's Hans-Hant (T) and Hant-Hans (S) rules in their order; by tools/gen_icu_tables.cpp\n"
                       "# ICU " U_ICU_VERSION "\n";
    if (!ruleTable("Hans-Hant", 'T', hant) || !ruleTable("Hant-Hans", 'S', hant)) return 1;

    const bool ok = writeFile(outDir + "/zone_ids.tsv", idTable) && writeFile(outDir + "/tzif.bin", tzif) &&
                    writeFile(outDir + "/zone_places.tsv", names) && writeFile(outDir + "/hant_rules.tsv", hant);
    if (!ok) std::fprintf(stderr, "gen_icu_tables: cannot write into %s\n", outDir.c_str());
    return ok ? 0 : 1;
}
