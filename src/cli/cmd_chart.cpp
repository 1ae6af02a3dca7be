// Chart commands: pillars (one moment or a batch) and chart (the whole report).
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <cerrno>
#include <iostream>
#include <string>
#include <vector>

#include "cli/analysis_options.h"
#include "cli/chart_uncertainty.h"
#include "cli/commands.h"
#include "cli/traditional_output.h"
#include "cli/output.h"
#include "cli/place_options.h"
#include "core/calendar/date_text.h"
#include "core/places/places.h"
#include "core/chart/chart.h"
#include "core/chart/derived.h"
#include "core/places/province_table.h"
#include "core/report/report.h"
#include "core/report/report_settings.h"
#include "core/text/file_io.h"
#include "core/text/gbk.h"
#include "core/text/ini.h"

namespace hj::cli {
namespace {

// The data folder: --data-dir / $HENGJIAN_HOME, else the folder of the executable.
std::string dataFolder(const Context& ctx) {
    if (!ctx.dataDir.empty()) return ctx.dataDir;
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

std::string pillarLine(const BirthPillars& r) {
    return pillarName(r.pillars[0]) + " " + pillarName(r.pillars[1]) + " " + pillarName(r.pillars[2]) + " " +
           pillarName(r.pillars[3]);
}

struct PillarsOptions {
    std::string moment, batch;
    bool zishi = false;
    int idate = 0;
    double lon = 120.0;
};

// The pillars of one moment a line: the caster keeps the solar terms from line to line.
struct PillarsRun {
    ChartCaster caster;
    ChartSettings settings;
    ChartRequest request;

    // Pillars of one moment through the same engine path as a chart.
    bool pillarsOf(std::string_view text, std::string& line, std::string& error) {
        DateTime d;
        if (!parseDateTime(text, d, error)) return false;
        request.year = d.year;
        request.month = d.month;
        request.day = d.day;
        request.hour = d.hour;
        request.minute = d.minute;
        const std::optional<BirthPillars> p = caster.castPillars(request, settings, error);
        if (!p) return false;
        line = pillarLine(*p);
        return true;
    }
};

int runPillars(const PillarsOptions& o) {
    PillarsRun r;
    r.settings.zishi = o.zishi;
    r.settings.idate = static_cast<std::uint8_t>(o.idate);
    r.settings.dst = false;  // the moment is Beijing standard time, as the command says
    r.request.longitude = static_cast<float>(o.lon);
    std::string line, error;
    if (o.batch.empty()) {
        if (o.moment.empty()) return fail("pillars needs DATETIME or --batch FILE");
        if (!r.pillarsOf(o.moment, line, error)) return fail(error);
        std::printf("%s\n", line.c_str());
        return 0;
    }
    std::FILE* in = stdin;
    if (o.batch != "-") {
        in = std::fopen(o.batch.c_str(), "rb");
        if (!in) return fail("无法打开 " + o.batch + "：" + text::reasonOf(errno));
    }
    std::string text;
    int lineNo = 0, bad = 0;
    for (;;) {
        const LineRead got = readBatchLine(in, text, error);
        if (got == LineRead::End) break;
        if (got == LineRead::Error) {
            if (in != stdin) std::fclose(in);
            return fail(error);
        }
        ++lineNo;
        bool ok = got == LineRead::Line && r.pillarsOf(text, line, error);
        if (got == LineRead::TooLong) error = "行太长（最多 " + std::to_string(kMaxBatchLineBytes) + " 字节）";
        if (!ok) {
            // An empty output line keeps the output aligned with the input.
            std::fprintf(stderr, "hengjian-cli: line %d: %s\n", lineNo, error.c_str());
            ++bad;
            line.clear();
        }
        line += '\n';
        if (!writeOut(line)) break;  // main() reports the failed write
    }
    if (in != stdin) std::fclose(in);
    return bad ? 1 : 0;
}

struct ChartOptions {
    std::string name = "某人", date, time, place;
    bool lunar = false, leap = false, female = false, noYearly = false, json = false, gbk = false;
    bool boundaries = false, unknownHour = false;
    int province = ProvinceTable::kUnknown, city = 0;
    double lon = 120.0, lat = 30.0;
    bool haveLon = false, haveLat = false, haveProvince = false;
    std::vector<std::string> sets;
    AbroadOptions abroad;
    AnalysisRequest analysis;
};

bool parseTime(const std::string& text, std::int16_t& hour, std::int16_t& minute) {
    int h = -1, m = -1;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%d:%d%c", &h, &m, &extra) != 2) return false;
    if (h < 0 || h > 23 || m < 0 || m > 59) return false;
    hour = static_cast<std::int16_t>(h);
    minute = static_cast<std::int16_t>(m);
    return true;
}

nlohmann::json failure(const std::string& error) { return {{"ok", false}, {"error", error}}; }

// Chinese text is written as it is (UTF-8), never as \u escapes.
std::string dumpJson(const nlohmann::json& j) { return j.dump(2, ' ', false); }

int emitFailure(bool json, const std::string& error) {
    if (json) {
        std::printf("%s\n", dumpJson(failure(error)).c_str());
        return 1;
    }
    return fail(error);
}

// Fills the request's place from the options; false with a message.
bool fillPlace(const ChartOptions& o, const std::string& dataDir, ChartRequest& q, std::string& error) {
    if (o.abroad.any() && o.haveProvince) {
        error = "--province/--city and --tz/--world-place exclude each other";
        return false;
    }
    if (o.haveLon || o.haveLat || !o.place.empty() || o.abroad.any()) {
        if (o.haveProvince) {
            error = "--province/--city and --lon/--lat/--place exclude each other";
            return false;
        }
        q.province = ProvinceTable::kUnknown;
        q.longitude = static_cast<float>(o.lon);
        q.latitude = static_cast<float>(o.lat);
        q.place = o.place.empty() ? "未知" : o.place;
        if (!fillAbroadPlace(o.abroad, o.haveLon || o.haveLat, dataDir, q, error)) return false;
        if (!o.place.empty()) q.place = o.place;
        return true;
    }
    return fillListedPlace(o.province, o.city, dataDir, q, error);
}

// The zone the clock was read with: the request's, or for a Chinese place the zone whose summer
// time was looked up ("" with the setting dst off).
std::string zoneOf(const Chart& r) {
    if (r.birthZone.converted || !r.request.zone.empty()) return r.birthZone.zone;
    return r.settings.dst ? std::string(zones::chinaZoneOf(r.request.province)) : std::string();
}

nlohmann::json chartJson(const Chart& r, const std::string& report) {
    using nlohmann::json;
    json names = json::array(), indices = json::array();
    for (auto p : r.pillars) {
        names.push_back(pillarName(p));
        indices.push_back(p);
    }
    json luckNames = json::array();
    for (int p : r.luck.pillars) luckNames.push_back(pillarName(p));
    auto starList = [](const std::string& s) {
        json a = json::array();
        std::size_t pos = 0;
        while (pos < s.size()) {
            std::size_t end = s.find(' ', pos);
            if (end == std::string::npos) end = s.size();
            if (end > pos) a.push_back(s.substr(pos, end - pos));
            pos = end + 1;
        }
        return a;
    };
    return {{"ok", true},
            {"pillars", names},
            {"pillarIndices", indices},
            {"lunar",
             {{"year", r.birthLunar.year}, {"month", r.birthLunar.month}, {"day", r.birthLunar.day}, {"leap", r.birthLunarLeap}}},
            {"birthClock", formatDateTime(r.birthClock)},
            {"birthLocal", formatDateTime(r.birthLocal)},
            {"zone", zoneOf(r)},
            {"zoneOffsetMinutes", static_cast<int>(std::lround(r.birthZone.standardSeconds / 60.0))},
            {"dstMinutes", static_cast<int>(std::lround(r.birthZone.dstSeconds / 60.0))},
            {"repeatedHour", r.birthZone.repeated},
            {"fold", r.birthZone.fold},
            {"luck",
             {{"direction", r.luck.direction},
              {"startYears", r.luck.startYears},
              {"startMonths", r.luck.startMonths},
              {"startDays", r.luck.startDays},
              {"startDate", formatDateTime(r.luck.startDate)},
              {"startAge", r.luck.startAge},
              {"pillars", luckNames}}},
            {"conception", pillarName(r.conceptionPillar)},
            {"lifePalace", pillarName(r.lifePalace)},
            {"stars",
             {{"year", starList(r.stars[0])}, {"month", starList(r.stars[1])}, {"day", starList(r.stars[2])},
              {"hour", starList(r.stars[3])}}},
            {"report", report}};
}

int runChart(const ChartOptions& o, const Context& ctx) {
    const std::string dataDir = dataFolder(ctx);
    ChartRequest q;
    q.name = o.name;
    keepAsTyped(o.name);  // a name or place keeps its characters under --traditional
    keepAsTyped(o.place);
    q.male = !o.female;
    q.lunar = o.lunar;
    q.leap = o.leap;
    q.yearly = !o.noYearly;
    std::string error;
    DateTime d;
    if (!parseDate(o.date, d, error)) return emitFailure(o.json, error);
    q.year = d.year;
    q.month = d.month;
    q.day = d.day;
    if (o.unknownHour && o.analysis.on) return emitFailure(o.json, "--analysis needs the birth hour: it cannot go with --unknown-hour");
    if (o.unknownHour && o.time.empty()) {
        q.hour = 12;  // any hour: the table runs through all twelve
        q.minute = 0;
    } else if (!parseTime(o.time, q.hour, q.minute)) return emitFailure(o.json, "--time takes HH:MM (00:00..23:59), not " + o.time);
    if (!fillPlace(o, dataDir, q, error)) return emitFailure(o.json, error);

    // The settings as the data folder holds them, each --set applied over them.
    ReportSettings settings = loadReportSettings(dataDir);
    for (const std::string& s : o.sets) {
        auto eq = s.find('=');
        if (eq == std::string::npos) return emitFailure(o.json, "--set takes KEY=VALUE, not " + s);
        if (!applyChartSetting(settings.chart, s.substr(0, eq), s.substr(eq + 1), &error))
            return emitFailure(o.json, error);
    }
    const std::optional<Chart> r = castChart(q, settings.chart, error);
    if (!r) return emitFailure(o.json, error);
    ReportSources sources;
    sources.traditional = settings.traditional;
    if (r->settings.endinfo && !readFooter(dataDir, sources.footer, error)) return emitFailure(o.json, error);
    const Report report = buildReport(*r, sources);
    nlohmann::json analysis;
    std::string analysisBlock;
    AnalysisRequest asked = o.analysis;
    // A report with the section has its member (not for an unknown hour: no hour to analyse).
    asked.on = asked.on || (o.json && r->settings.fenxi && !o.unknownHour);
    if (!analysisOutput(*r, report.text, asked, analysis, analysisBlock, error))
        return emitFailure(o.json, error);
    if (o.json) {
        nlohmann::json out = chartJson(*r, report.text);
        addUncertaintyJson(*r, o.unknownHour, out);
        if (asked.on) out["analysis"] = analysis;
        std::printf("%s\n", dumpJson(out).c_str());
        return 0;
    }
    std::string shown = o.unknownHour ? unknownHourTable(*r) : report.text + analysisBlock;
    if (o.boundaries) shown = boundaryLines(*r) + shown;
    if (o.gbk) {
        std::string bytes, bad;
        if (!text::utf8ToGbk(shown, bytes, &bad)) return fail("the report holds a character GBK cannot encode: " + bad);
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    } else {
        std::fwrite(shown.data(), 1, shown.size(), stdout);
    }
    return 0;
}

void setup(CLI::App& app, Context& ctx) {
    static PillarsOptions po;
    auto* pillars = app.add_subcommand("pillars", "Four pillars of a Beijing-time moment: \"年柱 月柱 日柱 时柱\"");
    pillars->add_option("DATETIME", po.moment, "YYYY-MM-DD HH:MM (astronomical years); leave out with --batch");
    pillars->add_flag("--zishi", po.zishi, "23:00-23:59 keeps its day pillar (夜子时)");
    pillars->add_option("--idate", po.idate, "0 Beijing time, 1 true solar time, 2 local mean time")->check(CLI::Range(0, 2));
    pillars->add_option("--lon", po.lon, "Longitude, degrees east (for --idate 1 and 2)")->check(CLI::Range(-180.0, 180.0));
    pillars->add_option("--batch", po.batch, "One moment a line from FILE (- for standard input)");
    pillars->callback([&ctx] { ctx.exitCode = runPillars(po); });

    static ChartOptions co;
    auto* chart = app.add_subcommand("chart", "The whole report (命稿) of a birth, or a JSON object");
    chart->add_option("--name", co.name, "Name (at most 12 GBK bytes are kept)");
    chart->add_option("--date", co.date, "Birth date YYYY-MM-DD (lunar with --lunar)")->required();
    auto* time = chart->add_option("--time", co.time, "Birth time HH:MM, the clock time (Beijing time; the zone's with --tz)");
    chart->add_flag("--lunar", co.lunar, "The date is a lunar date");
    chart->add_flag("--leap", co.leap, "The lunar month is the leap month");
    chart->add_flag("--female", co.female, "坤造 (default 乾造)");
    auto* prov = chart->add_option("--province", co.province, "Province index 0..34 (34 未知地)");
    chart->add_option("--city", co.city, "City index in the province's section of dat/dili.ini")->needs(prov);
    auto* lon = chart->add_option("--lon", co.lon, "Longitude, degrees east")->check(CLI::Range(-180.0, 180.0));
    auto* lat = chart->add_option("--lat", co.lat, "Latitude, degrees north")->check(CLI::Range(-90.0, 90.0));
    chart->add_option("--place", co.place, "Place text of the report");
    addAbroadOptions(*chart, co.abroad);
    chart->add_flag("--no-yearly", co.noYearly, "Leave out the yearly block 流年神煞和九星");
    chart->add_option("--set", co.sets, "KEY=VALUE: a [set] key of dat/bzinit.ini for this run (endinfo, zishi, mgong, pai, "
                                          "save, zhong, yue, dst, fenxi: 0|1; idate: 0|1|2; leftpos: 0..500; bianjie: 0..720 minutes)");
    chart->add_flag("--json", co.json, "Print a JSON object");
    chart->add_flag("--gbk", co.gbk, "Print the report in GBK");
    addAnalysisOptions(chart, co.analysis);
    chart->add_flag("--boundaries", co.boundaries,
                    "Print first the boundaries (节, 时辰, 子时, 日) within the [set] window bianjie (default 30 minutes)");
    chart->add_flag("--unknown-hour", co.unknownHour,
                    "时辰不详: the twelve possible hours of the day instead of the report (JSON: \"hours\")");
    chart->callback([&ctx, prov, lon, lat, time] {
        if (time->count() == 0 && !co.unknownHour) {
            ctx.exitCode = fail("--time is required (leave it out only with --unknown-hour)");
            return;
        }
        co.haveProvince = prov->count() > 0;
        co.haveLon = lon->count() > 0;
        co.haveLat = lat->count() > 0;
        applyAnalysisOptions(co.analysis);
        ctx.exitCode = runChart(co, ctx);
    });
}

const CommandRegistrar registrar(20, &setup);

}  // namespace
}  // namespace hj::cli
