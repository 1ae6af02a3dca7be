#include "cli/birth_options.h"

#include <cstdio>
#include <filesystem>

#include "cli/traditional_output.h"
#include "core/calendar/date_text.h"

namespace hj::cli {
namespace {

bool parseTime(const std::string& text, std::int16_t& hour, std::int16_t& minute) {
    int h = -1, m = -1;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%d:%d%c", &h, &m, &extra) != 2) return false;
    if (h < 0 || h > 23 || m < 0 || m > 59) return false;
    hour = static_cast<std::int16_t>(h);
    minute = static_cast<std::int16_t>(m);
    return true;
}

// Fills the request's place from the options; false with a message.
bool fillPlace(const BirthOptions& o, const std::string& dataDir, ChartRequest& q, std::string& error) {
    const bool haveProvince = o.given(o.provinceOption);
    const bool haveLon = o.given(o.lonOption), haveLat = o.given(o.latOption);
    if (o.abroad.any() && haveProvince) {
        error = o.flag("province/") + o.flag("city and ") + o.flag("tz/") + o.flag("world-place exclude each other");
        return false;
    }
    // A repeated clock time is one at a Chinese place too (summer time ended in 1986–1991).
    q.fold = o.abroad.fold;
    if (haveLon || haveLat || !o.place.empty() || o.abroad.any()) {
        if (haveProvince) {
            error = o.flag("province/") + o.flag("city and ") + o.flag("lon/") + o.flag("lat/") +
                    o.flag("place exclude each other");
            return false;
        }
        q.province = ProvinceTable::kUnknown;
        q.longitude = static_cast<float>(o.lon);
        q.latitude = static_cast<float>(o.lat);
        q.place = o.place.empty() ? "未知" : o.place;
        if (!fillAbroadPlace(o.abroad, haveLon || haveLat, dataDir, q, error, o.prefix)) return false;
        if (!o.place.empty()) q.place = o.place;
        return true;
    }
    return fillListedPlace(o.province, o.city, dataDir, q, error, o.prefix);
}

}  // namespace

std::string dataFolder(const Context& ctx) { return dataFolderOf(ctx); }

void addBirthOptions(CLI::App& command, BirthOptions& o) {
    command.add_option(o.flag("name"), o.name, "Name (at most 12 GBK bytes are kept)");
    o.dateOption = command.add_option(o.flag("date"), o.date, "Birth date YYYY-MM-DD (lunar with " + o.flag("lunar") + ")");
    o.timeOption = command.add_option(o.flag("time"), o.time,
                                      "Birth time HH:MM, the clock time (Beijing time; the zone's with " + o.flag("tz") + ")");
    command.add_flag(o.flag("lunar"), o.lunar, "The date is a lunar date");
    command.add_flag(o.flag("leap"), o.leap, "The lunar month is the leap month");
    command.add_flag(o.flag("female"), o.female, "坤造 (default 乾造)");
    o.provinceOption = command.add_option(o.flag("province"), o.province, "Province index 0..34 (34 未知地)");
    command.add_option(o.flag("city"), o.city, "City index in the province's section of dat/dili.ini")->needs(o.provinceOption);
    o.lonOption = command.add_option(o.flag("lon"), o.lon, "Longitude, degrees east")->check(CLI::Range(-180.0, 180.0));
    o.latOption = command.add_option(o.flag("lat"), o.lat, "Latitude, degrees north")->check(CLI::Range(-90.0, 90.0));
    command.add_option(o.flag("place"), o.place, "Place text of the report");
    addAbroadOptions(command, o.abroad, o.prefix);
}

bool birthRequest(const BirthOptions& o, const std::string& dataDir, bool anyHour, ChartRequest& q, std::string& error) {
    q.name = o.name;
    keepAsTyped(o.name);  // a name or place keeps its characters under --traditional
    keepAsTyped(o.place);
    q.male = !o.female;
    q.lunar = o.lunar;
    q.leap = o.leap;
    DateTime d;
    if (!parseDate(o.date, d, error)) return false;
    // Said in this command's own terms: its years are astronomical (the windows' message speaks
    // of years as typed there, where -120 is 120 BC).
    if (d.year < -849 || d.year > 2100) {
        error = "年份超出范围：--date 的年份应在 -849 到 2100 之间（天文纪年：0000 为公元前1年，-0120 为公元前121年）：" +
                std::to_string(d.year);
        return false;
    }
    q.year = d.year;
    q.month = d.month;
    q.day = d.day;
    if (anyHour && o.time.empty()) {
        q.hour = 12;
        q.minute = 0;
    } else if (!parseTime(o.time, q.hour, q.minute)) {
        error = o.flag("time") + " takes HH:MM (00:00..23:59), not " + o.time;
        return false;
    }
    return fillPlace(o, dataDir, q, error);
}

}  // namespace hj::cli
