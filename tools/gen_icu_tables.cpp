// Writes, on the build machine, the data a build without ICU (Windows) needs in order to give the
// same charts and the same Traditional text as a build with it:
//   gen_icu_tables OUT_DIR ZONEINFO_DIR WORLD_PLACES.tsv
// OUT_DIR/zone_ids.tsv    every zone id ICU knows, with ICU's canonical id ("id<TAB>canonical")
// OUT_DIR/tzif.bin        the compiled tz rules (RFC 8536 TZif files from ZONEINFO_DIR) of every
//                         canonical zone: "id\0", a 4-byte little-endian length, the file
// OUT_DIR/zone_names.tsv  "Z<TAB>zone<TAB>city" (the Chinese exemplar city) and
//                         "C<TAB>code<TAB>country" (the Chinese country name) for the world places
// OUT_DIR/hant.tsv        "T<TAB>rule" and "S<TAB>rule": the rules of ICU's Hans-Hant and Hant-Hans
//                         transliterators in their order ("KEY > OUT;", with a context as
//                         "[SET]{KEY} > OUT;" or "{KEY}[SET] > OUT;" or "{KEY}TEXT > OUT;")
// The generated files are not committed: they are made from the ICU and tz data of the build.
#include <unicode/locid.h>
#include <unicode/strenum.h>
#include <unicode/timezone.h>
#include <unicode/translit.h>
#include <unicode/tznames.h>

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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: gen_icu_tables OUT_DIR ZONEINFO_DIR WORLD_PLACES.tsv\n");
        return 1;
    }
    const std::string outDir = argv[1], zoneinfo = argv[2];
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::StringEnumeration> ids(icu::TimeZone::createTimeZoneIDEnumeration(UCAL_ZONE_TYPE_ANY, nullptr, nullptr, status));
    if (U_FAILURE(status)) return 1;
    std::string idTable, tzif;
    std::map<std::string, std::set<std::string>> aliases;  // canonical → every id naming it
    while (const char* id = ids->next(nullptr, status)) {
        const std::string canonical = canonicalOf(id);
        if (canonical.empty()) continue;
        idTable += std::string(id) + '\t' + canonical + '\n';
        aliases[canonical].insert(id);
    }
    for (const auto& [canonical, names] : aliases) {
        std::string bytes;
        bool found = readFile(zoneinfo + "/" + canonical, bytes);
        for (auto it = names.begin(); !found && it != names.end(); ++it) found = readFile(zoneinfo + "/" + *it, bytes);
        if (!found || bytes.compare(0, 4, "TZif") != 0) continue;  // ICU's own zones without tz files (e.g. "EST")
        const auto n = static_cast<std::uint32_t>(bytes.size());
        tzif += canonical + '\0';
        for (int k = 0; k < 4; ++k) tzif += static_cast<char>(n >> (8 * k) & 0xFF);
        tzif += bytes;
    }

    // Names of the world places: the city of each zone, the country of each code.
    const icu::Locale zh("zh");
    std::unique_ptr<icu::TimeZoneNames> tzNames(icu::TimeZoneNames::createInstance(zh, status));
    std::string places, names;
    if (!readFile(argv[3], places) || U_FAILURE(status)) return 1;
    std::set<std::string> zones, countries;
    std::istringstream lines(places);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        const auto t1 = line.find('\t'), t2 = line.find('\t', t1 + 1);
        countries.insert(line.substr(0, t1));
        zones.insert(line.substr(t1 + 1, t2 - t1 - 1));
    }
    for (const std::string& z : zones) {
        const std::string canonical = canonicalOf(z);
        icu::UnicodeString city;
        if (!canonical.empty()) tzNames->getExemplarLocationName(unicodeOf(canonical), city);
        if (!city.isEmpty()) names += "Z\t" + canonical + '\t' + utf8Of(city) + '\n';
    }
    for (const std::string& c : countries) {
        icu::UnicodeString country;
        icu::Locale(nullptr, c.c_str()).getDisplayCountry(zh, country);
        names += "C\t" + c + '\t' + utf8Of(country) + '\n';
    }

    std::string hant;
    if (!ruleTable("Hans-Hant", 'T', hant) || !ruleTable("Hant-Hans", 'S', hant)) return 1;

    const bool ok = writeFile(outDir + "/zone_ids.tsv", idTable) && writeFile(outDir + "/tzif.bin", tzif) &&
                    writeFile(outDir + "/zone_names.tsv", names) && writeFile(outDir + "/hant.tsv", hant);
    if (!ok) std::fprintf(stderr, "gen_icu_tables: cannot write into %s\n", outDir.c_str());
    return ok ? 0 : 1;
}
