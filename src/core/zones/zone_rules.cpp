// The zone rules from the compiled tz files (RFC 8536 TZif, version 2 and later): the system's,
// else the program's own copy; zone ids and Chinese names from the program's tables.
//
// A TZif file gives each period's total offset and whether it is summer time, not the shift: the
// shift of a summer period is its offset less that of a standard period next to it (see
// standardNear), which is how the tz source states it. After the last transition the
// file's footer (a POSIX TZ string such as "EST5EDT,M3.2.0,M11.1.0") gives the rule.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "core/platform/platform.h"
#include "core/resources.h"
#include "core/text/file_io.h"
#include "core/zones/zone_rules.h"

namespace hj::zones::rules::detail {
namespace {

std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * static_cast<unsigned>(m > 2 ? m - 3 : m + 9) + 2) / 5 + static_cast<unsigned>(d) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool isLeap(std::int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int monthLength(std::int64_t y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

std::int64_t yearOfDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    return static_cast<std::int64_t>(yoe) + era * 400 + (mp >= 10);
}

// The rule of a POSIX TZ string: standard offset, and optionally summer time between two dates.
struct PosixRule {
    struct Date {
        char kind = 'M';  // 'J' (1–365, no Feb 29), 'D' (0–365), 'M' (month, week, weekday)
        int day = 0, month = 0, week = 0;
        std::int64_t seconds = 7200;  // local time of day of the change
    };
    bool valid = false;
    int stdOffset = 0, dstOffset = 0;  // east of UT
    bool hasDst = false;
    Date start, end;

    // Seconds of the day `d` in year `y`, local time, since 1970.
    static std::int64_t localSeconds(std::int64_t y, const Date& d) {
        std::int64_t days = 0;
        if (d.kind == 'J') {
            days = daysFromCivil(y, 1, 1) + d.day - 1 + (isLeap(y) && d.day >= 60 ? 1 : 0);
        } else if (d.kind == 'D') {
            days = daysFromCivil(y, 1, 1) + d.day;
        } else {
            const std::int64_t first = daysFromCivil(y, d.month, 1);
            const int weekdayOfFirst = static_cast<int>(((first + 4) % 7 + 7) % 7);  // 1970-01-01 was a Thursday
            int mday = 1 + (d.day - weekdayOfFirst + 7) % 7 + 7 * (d.week - 1);
            while (mday > monthLength(y, d.month)) mday -= 7;
            days = first + mday - 1;
        }
        return days * 86400 + d.seconds;
    }
    std::int64_t startUt(std::int64_t y) const { return localSeconds(y, start) - stdOffset; }
    std::int64_t endUt(std::int64_t y) const { return localSeconds(y, end) - dstOffset; }

    Offsets at(std::int64_t t) const {
        if (!hasDst) return {stdOffset, 0};
        const std::int64_t y = yearOfDays((t + stdOffset) >= 0 ? (t + stdOffset) / 86400 : -((-(t + stdOffset) + 86399) / 86400));
        const std::int64_t s = startUt(y), e = endUt(y);
        const bool summer = s < e ? (t >= s && t < e) : !(t >= e && t < s);
        return summer ? Offsets{stdOffset, dstOffset - stdOffset} : Offsets{stdOffset, 0};
    }
};

class Parser {
public:
    explicit Parser(std::string_view s) : s_(s) {}
    bool done() const { return i_ >= s_.size(); }
    bool eat(char c) {
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    bool name() {
        if (eat('<')) {
            while (i_ < s_.size() && s_[i_] != '>') ++i_;
            return eat('>');
        }
        const std::size_t from = i_;
        while (i_ < s_.size() && ((s_[i_] >= 'A' && s_[i_] <= 'Z') || (s_[i_] >= 'a' && s_[i_] <= 'z'))) ++i_;
        return i_ - from >= 3;
    }
    bool number(int& v) {
        const std::size_t from = i_;
        v = 0;
        while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') v = v * 10 + (s_[i_++] - '0');
        return i_ > from;
    }
    // [+-]hh[:mm[:ss]] → seconds
    bool time(std::int64_t& seconds) {
        const bool negative = eat('-');
        if (!negative) eat('+');
        int h = 0, m = 0, sec = 0;
        if (!number(h)) return false;
        if (eat(':') && !number(m)) return false;
        if (eat(':') && !number(sec)) return false;
        seconds = (static_cast<std::int64_t>(h) * 3600 + m * 60 + sec) * (negative ? -1 : 1);
        return true;
    }
    bool date(PosixRule::Date& d) {
        if (eat('M')) {
            d.kind = 'M';
            if (!number(d.month) || !eat('.') || !number(d.week) || !eat('.') || !number(d.day)) return false;
            if (d.month < 1 || d.month > 12 || d.week < 1 || d.week > 5 || d.day > 6) return false;
        } else {
            d.kind = eat('J') ? 'J' : 'D';
            if (!number(d.day)) return false;
        }
        d.seconds = 7200;
        return !eat('/') || time(d.seconds);
    }
    char peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }

private:
    std::string_view s_;
    std::size_t i_ = 0;
};

PosixRule parsePosix(std::string_view tz) {
    PosixRule r;
    Parser p(tz);
    std::int64_t off = 0;
    if (!p.name() || !p.time(off)) return r;
    r.stdOffset = static_cast<int>(-off);  // POSIX counts west of UT
    r.valid = true;
    if (p.done()) return r;
    if (!p.name()) return PosixRule{};
    r.hasDst = true;
    r.dstOffset = r.stdOffset + 3600;
    if (p.peek() != ',' && !p.done()) {
        if (!p.time(off)) return PosixRule{};
        r.dstOffset = static_cast<int>(-off);
    }
    // Without dates, the US rules of 2007 are the POSIX default.
    r.start = {'M', 0, 3, 2, 7200};
    r.end = {'M', 0, 11, 1, 7200};
    if (p.eat(',') && !(p.date(r.start) && p.eat(',') && p.date(r.end))) return PosixRule{};
    return p.done() ? r : PosixRule{};
}

std::uint32_t be32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}
std::int64_t be64(const unsigned char* p) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(be32(p)) << 32 | be32(p + 4));
}

class TzifRules : public ZoneRules {
public:
    bool parse(std::string_view bytes) {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
        const std::size_t n = bytes.size();
        if (n < 44 || bytes.substr(0, 4) != "TZif" || b[4] < '2') return false;
        auto counts = [&](std::size_t at, std::uint32_t c[6]) {
            for (int k = 0; k < 6; ++k) c[k] = be32(b + at + 20 + 4 * k);
        };
        std::uint32_t c[6];  // isutcnt, isstdcnt, leapcnt, timecnt, typecnt, charcnt
        counts(0, c);
        const std::size_t v1 = 44 + c[3] * 5ull + c[4] * 6ull + c[5] + c[2] * 8ull + c[1] + c[0];
        if (n < v1 + 44 || bytes.substr(v1, 4) != "TZif") return false;
        counts(v1, c);
        const std::size_t timecnt = c[3], typecnt = c[4];
        std::size_t at = v1 + 44;
        const std::size_t size = timecnt * 9 + typecnt * 6 + c[5] + c[2] * 12ull + c[1] + c[0];
        if (typecnt == 0 || n < at + size) return false;
        std::vector<std::int64_t> times(timecnt);
        std::vector<std::uint8_t> index(timecnt);
        for (std::size_t i = 0; i < timecnt; ++i) times[i] = be64(b + at + 8 * i);
        at += 8 * timecnt;
        for (std::size_t i = 0; i < timecnt; ++i) index[i] = b[at + i];
        at += timecnt;
        struct Type {
            int utoff;
            bool isdst;
        };
        std::vector<Type> types(typecnt);
        for (std::size_t i = 0; i < typecnt; ++i)
            types[i] = {static_cast<int>(static_cast<std::int32_t>(be32(b + at + 6 * i))), b[at + 6 * i + 4] != 0};
        at += typecnt * 6;
        for (std::uint8_t k : index)
            if (k >= typecnt) return false;
        // The footer: "\n" TZ "\n" after the data.
        const std::size_t footer = v1 + 44 + size;
        if (footer < n && bytes[footer] == '\n') {
            const std::size_t endLine = bytes.find('\n', footer + 1);
            if (endLine != std::string_view::npos) footer_ = parsePosix(bytes.substr(footer + 1, endLine - footer - 1));
        }
        // The offsets of each period: type 0 before the first transition.
        // The standard offset under a summer period: that of the standard period after it, to
        // which the clocks go back (Paris went from WET to CEST in 1940 and from CEST to WEMT
        // in 1944), else that of the one before it (summer time that became standard time).
        auto standardNear = [&](std::size_t i) -> int {
            const int utoff = types[index[i]].utoff;
            for (std::size_t k = i + 1; k < timecnt; ++k)
                if (!types[index[k]].isdst) {
                    const int shift = utoff - types[index[k]].utoff;
                    if (shift > 0 && shift <= 7200) return types[index[k]].utoff;
                    break;
                }
            for (std::size_t k = i + 1; k-- > 0;)
                if (!types[index[k]].isdst) return types[index[k]].utoff;
            return utoff - 3600;
        };
        initial_ = {types[0].utoff, 0};
        if (types[0].isdst) initial_ = {types[0].utoff - 3600, 3600};
        for (std::size_t i = 0; i < timecnt; ++i) {
            const Type& t = types[index[i]];
            const Offsets o = t.isdst ? Offsets{standardNear(i), t.utoff - standardNear(i)} : Offsets{t.utoff, 0};
            // A change of name only is no change of the clock.
            if (!periods_.empty() ? periods_.back().offsets == o : initial_ == o) continue;
            periods_.push_back({times[i], o});
        }
        lastTime_ = timecnt ? times.back() : INT64_MIN;
        return true;
    }

    Offsets offsetsAt(double ms) const override {
        const auto t = static_cast<std::int64_t>(std::floor(ms / 1000.0));
        if (footer_.valid && t > lastTime_) return footer_.at(t);
        auto it = std::upper_bound(periods_.begin(), periods_.end(), t, [](std::int64_t v, const Period& p) { return v < p.from; });
        return it == periods_.begin() ? initial_ : std::prev(it)->offsets;
    }

    bool previousTransition(double ms, bool inclusive, double& when) const override {
        const auto t = static_cast<std::int64_t>(std::floor(ms / 1000.0));
        auto before = [&](std::int64_t v) { return inclusive ? v <= t : v < t; };
        std::int64_t best = INT64_MIN;
        bool found = false;
        if (footer_.valid && footer_.hasDst && t > lastTime_) {
            const std::int64_t y = yearOfDays(t / 86400);
            for (std::int64_t yy = y - 1; yy <= y + 1; ++yy)
                for (std::int64_t v : {footer_.startUt(yy), footer_.endUt(yy)})
                    if (v > lastTime_ && before(v) && (!found || v > best)) {
                        best = v;
                        found = true;
                    }
        }
        if (!found) {
            for (auto it = periods_.rbegin(); it != periods_.rend(); ++it)
                if (before(it->from)) {
                    best = it->from;
                    found = true;
                    break;
                }
        }
        if (found) when = static_cast<double>(best) * 1000.0;
        return found;
    }

private:
    struct Period {
        std::int64_t from;
        Offsets offsets;
    };
    Offsets initial_;
    std::vector<Period> periods_;
    std::int64_t lastTime_ = INT64_MIN;
    PosixRule footer_;
};

// The id table: "id<TAB>canonical<TAB>tz zone" lines; '#' lines are comments.
// Each line of an embedded table that has at least three tab-separated fields, with the
// positions of its first two tabs.
template <class F>
void forEachTsvLine(std::string_view data, F&& f) {
    while (!data.empty()) {
        const std::size_t nl = data.find('\n');
        const std::string_view line = data.substr(0, nl);
        data = nl == std::string_view::npos ? std::string_view{} : data.substr(nl + 1);
        const std::size_t t1 = line.find('\t');
        const std::size_t t2 = t1 == std::string_view::npos ? t1 : line.find('\t', t1 + 1);
        if (t2 != std::string_view::npos) f(line, t1, t2);
    }
}

struct IdEntry {
    std::string canonical, tzZone;
};

const std::map<std::string, IdEntry, std::less<>>& zoneIds() {
    static const auto table = [] {
        std::map<std::string, IdEntry, std::less<>> out;
        forEachTsvLine(embeddedResource("data/zone_ids.tsv"), [&](std::string_view line, std::size_t t1, std::size_t t2) {
            if (line[0] == '#') return;
            out.emplace(std::string(line.substr(0, t1)),
                        IdEntry{std::string(line.substr(t1 + 1, t2 - t1 - 1)), std::string(line.substr(t2 + 1))});
        });
        return out;
    }();
    return table;
}

// The place names: "Z<TAB>zone<TAB>city" and "C<TAB>code<TAB>country".
const std::map<std::string, std::string, std::less<>>& placeNames(char tag) {
    static const auto tables = [] {
        std::map<char, std::map<std::string, std::string, std::less<>>> out;
        forEachTsvLine(embeddedResource("data/zone_places.tsv"), [&](std::string_view line, std::size_t t1, std::size_t t2) {
            if (t1 != 1) return;
            out[line[0]].emplace(std::string(line.substr(2, t2 - 2)), std::string(line.substr(t2 + 1)));
        });
        return out;
    }();
    static const std::map<std::string, std::string, std::less<>> none;
    const auto it = tables.find(tag);
    return it == tables.end() ? none : it->second;
}

// The program's own TZif files by tz zone: records "name\0", a 4-byte little-endian length, the
// bytes; "#version" holds the release.
const std::map<std::string, std::string_view, std::less<>>& builtInFiles() {
    static const auto index = [] {
        std::map<std::string, std::string_view, std::less<>> out;
        std::string_view data = embeddedResource("data/tzif.bin");
        while (!data.empty()) {
            const std::size_t nul = data.find('\0');
            if (nul == std::string_view::npos || data.size() < nul + 5) break;
            const auto* p = reinterpret_cast<const unsigned char*>(data.data() + nul + 1);
            const std::size_t len = p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::size_t>(p[3]) << 24;
            if (data.size() < nul + 5 + len) break;
            out.emplace(std::string(data.substr(0, nul)), data.substr(nul + 5, len));
            data.remove_prefix(nul + 5 + len);
        }
        return out;
    }();
    return index;
}

std::string_view builtInFile(std::string_view zone) {
    const auto it = builtInFiles().find(zone);
    return it == builtInFiles().end() ? std::string_view{} : it->second;
}

// A TZif file is a few kilobytes; anything far larger is not one.
constexpr std::size_t kMaxTzifBytes = 1 << 20;

bool readSystemFile(std::string_view zone, std::string& bytes) {
    const std::string& folder = systemFolder();
    if (folder.empty() || !isSafeZonePath(zone)) return false;
    return text::readRegularFile(folder + "/" + std::string(zone), kMaxTzifBytes, bytes, nullptr);
}

// The file a zone's rules are read from: the tz zone the table names, else (a zone newer than
// the table) the id itself.
std::string fileOf(std::string_view id) {
    const auto it = zoneIds().find(id);
    if (it != zoneIds().end()) return it->second.tzZone;
    return std::string(id);
}

// The first bytes of a file; "" when it cannot be read.
std::string fileStart(const std::string& path, std::size_t n) {
    const platform::Handle h = text::openRegularFile(path, nullptr);
    if (h == platform::kNoHandle) return {};
    std::string bytes(n, '\0');
    const std::int64_t got = platform::readAt(h, 0, bytes.data(), n);
    platform::closeFile(h);
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
}

// The release of the system's files: the "# version" line tzdata.zi starts with, else +VERSION.
std::string systemVersion() {
    const std::string folder = systemFolder();
    if (folder.empty()) return {};
    auto firstLine = [](std::string bytes) {
        bytes = bytes.substr(0, bytes.find_first_of("\r\n"));
        while (!bytes.empty() && bytes.back() == ' ') bytes.pop_back();
        return bytes;
    };
    constexpr std::string_view kTag = "# version ";
    const std::string zi = firstLine(fileStart(folder + "/tzdata.zi", 64));
    if (zi.size() > kTag.size() && zi.compare(0, kTag.size(), kTag) == 0) return zi.substr(kTag.size());
    const std::string version = firstLine(fileStart(folder + "/+VERSION", 32));
    return version.empty() ? "unknown" : version;
}

struct Loaded {
    std::unique_ptr<const ZoneRules> rules;
    bool system = false;  // read from the system's files
};

}  // namespace

const ZoneRules* parseTzif(std::string_view bytes) {
    auto rules = std::make_unique<TzifRules>();
    return rules->parse(bytes) ? rules.release() : nullptr;
}

bool isSafeZonePath(std::string_view id) {
    if (id.empty() || id.size() > 64) return false;
    std::size_t partStart = 0;
    for (std::size_t i = 0; i <= id.size(); ++i) {
        if (i == id.size() || id[i] == '/') {
            const std::string_view part = id.substr(partStart, i - partStart);
            if (part.empty() || part == "." || part == "..") return false;
            partStart = i + 1;
            continue;
        }
        const char c = id[i];
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                        c == '-' || c == '+';
        if (!ok) return false;
    }
    return true;
}

namespace {

// The rules of `id` from one source, loaded once.
const Loaded* loaded(std::string_view id, Source s) {
    static std::mutex mutex;
    static std::map<std::string, Loaded, std::less<>> cache[2];
    const std::string file = fileOf(id);
    if (file.empty()) return nullptr;
    auto& c = cache[s == Source::System ? 0 : 1];
    std::lock_guard<std::mutex> lock(mutex);
    if (auto it = c.find(file); it != c.end()) return it->second.rules ? &it->second : nullptr;
    Loaded l;
    std::string bytes;
    if (s == Source::System && readSystemFile(file, bytes)) {
        l.rules.reset(parseTzif(bytes));
        l.system = l.rules != nullptr;
    }
    // A zone the system's files lack (or hold broken), or one newer than them: the program's own.
    if (!l.rules) l.rules.reset(parseTzif(builtInFile(file)));
    // An id neither table nor files know is not kept: typed ids must not fill the cache.
    if (!l.rules && !zoneIds().count(id)) return nullptr;
    const auto it = c.emplace(file, std::move(l)).first;
    return it->second.rules ? &it->second : nullptr;
}

}  // namespace

}  // namespace hj::zones::rules::detail

namespace hj::zones::rules {

std::string systemFolder() {
    static const std::string folder = [] {
        std::string dir = platform::environment("TZDIR");
#ifndef _WIN32
        if (dir.empty()) dir = "/usr/share/zoneinfo";
#endif
        while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
        return dir;
    }();
    return folder;
}

std::string dataText(const DataInfo& info) {
    return "tz " + info.version + "（" + (info.source == "built-in" ? std::string("程序内置") : info.source) + "）";
}

std::string builtInVersion() { return std::string(detail::builtInFile("#version")); }

DataInfo dataInfo(std::string_view zone) {
    static const DataInfo system = [] {
        const std::string version = detail::systemVersion();
        return version.empty() || platform::kindOf(systemFolder()) != platform::Kind::Folder
                   ? DataInfo{builtInVersion(), "built-in"}
                   : DataInfo{version, systemFolder()};
    }();
    if (zone.empty()) return system;
    const detail::Loaded* l = detail::loaded(zone, Source::System);
    return l && l->system ? system : DataInfo{builtInVersion(), "built-in"};
}

const ZoneRules* zoneRules(std::string_view id, Source s) {
    if (id.empty() || id.size() > 64) return nullptr;
    const detail::Loaded* l = detail::loaded(id, s);
    return l ? l->rules.get() : nullptr;
}

std::string canonicalId(std::string_view id) {
    if (id.empty() || id.size() > 64) return {};
    const auto& ids = detail::zoneIds();
    if (const auto it = ids.find(id); it != ids.end()) return it->second.tzZone.empty() ? std::string() : it->second.canonical;
    // A zone newer than the table, from the system's files: only a real zone file counts.
    return detail::isSafeZonePath(id) && zoneRules(id, Source::System) ? std::string(id) : std::string();
}

std::string cityName(std::string_view canonicalZone) {
    const auto& names = detail::placeNames('Z');
    const auto it = names.find(canonicalZone);
    return it == names.end() ? std::string() : it->second;
}

std::string countryName(std::string_view isoCode) {
    const auto& names = detail::placeNames('C');
    const auto it = names.find(isoCode);
    return it == names.end() ? std::string() : it->second;
}

}  // namespace hj::zones::rules
