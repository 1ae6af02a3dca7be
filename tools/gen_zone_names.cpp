// Writes resources/data/zone_names.tsv: the Chinese name of every time-zone id ICU knows
// (aliases included), so that the report names a birth's zone in Chinese on any build.
//
//   build/tools/hj_gen_zone_names resources/data/zone_names.tsv
//
// The name is ICU's generic one for the zh locale (北美东部时间); where that is only a standard
// time name (中国标准时间, a zone without summer time today, which may have kept one once) the
// place's generic name (中国时间) is taken instead. Ids whose name is just a GMT offset are
// left out: the report gives the offset in any case.
#include <unicode/locid.h>
#include <unicode/strenum.h>
#include <unicode/timezone.h>

#include <cstdio>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.tsv\n", argv[0]);
        return 2;
    }
    UErrorCode e = U_ZERO_ERROR;
    std::unique_ptr<icu::StringEnumeration> ids(icu::TimeZone::createEnumeration(e));
    if (U_FAILURE(e)) return 1;
    const icu::Locale zh("zh");
    std::string out =
        "# Chinese names of the time zones, by tools/gen_zone_names.cpp from ICU's zh display names\n"
        "# zone\tname\n";
    int count = 0;
    while (const char* id = ids->next(nullptr, e)) {
        std::unique_ptr<icu::TimeZone> tz(icu::TimeZone::createTimeZone(id));
        icu::UnicodeString u;
        std::string name;
        tz->getDisplayName(false, icu::TimeZone::LONG_GENERIC, zh, u);
        u.toUTF8String(name);
        if (name.find("标准时间") != std::string::npos) {
            name.clear();
            tz->getDisplayName(false, icu::TimeZone::GENERIC_LOCATION, zh, u);
            u.toUTF8String(name);
        }
        if (name.empty() || name.rfind("GMT", 0) == 0) continue;
        out += std::string(id) + "\t" + name + "\n";
        ++count;
    }
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::fprintf(stderr, "%d zones\n", count);
    return 0;
}
