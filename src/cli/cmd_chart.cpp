// Chart commands: pillars (one moment or a batch) and chart (the whole report).
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#include "cli/analysis_options.h"
#include "cli/birth_options.h"
#include "cli/chart_picture.h"
#include "cli/chart_uncertainty.h"
#include "cli/commands.h"
#include "cli/traditional_output.h"
#include "cli/output.h"
#include "cli/this_year.h"
#include "cli/place_options.h"
#include "core/platform/platform.h"
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
#include "core/zones/zone_rules.h"

namespace hj::cli {
namespace {

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
        writeOut(line + "\n");
        return 0;
    }
    std::FILE* in = stdin;
    if (o.batch != "-") {
        in = platform::openStream(o.batch, "rb");
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
    BirthOptions birth;
    bool noYearly = false, json = false, gbk = false;
    bool boundaries = false, unknownHour = false;
    std::vector<std::string> sets;
    AnalysisRequest analysis;
    PictureOptions picture;
};

nlohmann::json failure(const std::string& error) { return {{"ok", false}, {"error", error}}; }

// Chinese text is written as it is (UTF-8), never as \u escapes.
std::string dumpJson(const nlohmann::json& j) { return j.dump(2, ' ', false); }

int emitFailure(bool json, const std::string& error) {
    if (json) {
        writeOut(dumpJson(failure(error)) + "\n");
        return 1;
    }
    return fail(error);
}

// The zone the clock was read with: the request's, or for a Chinese place the zone whose summer
// time was looked up ("" with the setting dst off).
// The tz data the chart's zone was read from (the data in use when it read none).
nlohmann::json zoneDataJson(const Chart& r) {
    const zones::rules::DataInfo info = zones::rules::dataInfo(r.birthZone.zone);
    return {{"version", info.version}, {"source", info.source}};
}

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
    json luckNames = json::array(), luckYears = json::array(), luckGods = json::array(), luckStages = json::array();
    const int day = r.pillars[2];
    for (int p : r.luck.pillars) {
        luckNames.push_back(pillarName(p));
        // As the report's luck block prints them: the stem's ten god, the day stem's stage.
        luckGods.push_back(kTenGodShort[tenGodIndex(day, p)]);
        luckStages.push_back(kLifeStages[lifeStageIndex(day % 10, p % 12)]);
    }
    const card::ChartCard card = card::buildChartCard(r, {});
    for (const card::LuckStep& l : card.luck) luckYears.push_back(displayYear(l.startYear));
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
            {"zoneData", zoneDataJson(r)},
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
              {"pillars", luckNames},
              {"years", luckYears},
              {"gods", luckGods},
              {"stages", luckStages}}},
            {"conception", pillarName(r.conceptionPillar)},
            {"lifePalace", pillarName(r.lifePalace)},
            {"pillarsDetail", pillarsDetailJson(card)},
            {"stars",
             {{"year", starList(r.stars[0])}, {"month", starList(r.stars[1])}, {"day", starList(r.stars[2])},
              {"hour", starList(r.stars[3])}}},
            {"report", report}};
}

// The picture shows the luck pillar and year --luck and --year name, else this year's.
card::CardChoice pictureChoice(const ChartOptions& o, bool traditional) {
    card::CardChoice c;
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    platform::CivilTime local;
    platform::localTime(static_cast<std::int64_t>(now), local);
    c.year = o.analysis.withYear ? o.analysis.year : local.year;
    c.luck = o.analysis.luck;
    c.traditional = traditional;
    return c;
}

int runChart(const ChartOptions& o, const Context& ctx) {
    const std::string dataDir = dataFolder(ctx);
    ChartRequest q;
    q.yearly = !o.noYearly;
    std::string error;
    if (o.unknownHour && o.analysis.on) return emitFailure(o.json, "--analysis needs the birth hour: it cannot go with --unknown-hour");
    if (o.unknownHour && o.picture.any()) return emitFailure(o.json, "--svg/--png need the birth hour: they cannot go with --unknown-hour");
    const int toStdout = (o.picture.svgGiven && o.picture.svg == "-" ? 1 : 0) + (o.picture.pngGiven && o.picture.png == "-" ? 1 : 0) +
                         (o.json ? 1 : 0);
    if (toStdout > 1)
        return fail("标准输出只能写一样东西：--svg -、--png - 和 --json 只能用其中一个");
    // Without --time under --unknown-hour any hour does: the table runs through all twelve.
    if (!birthRequest(o.birth, dataDir, o.unknownHour, q, error)) return emitFailure(o.json, error);

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
    sources.thisYear = thisYear();
    if (r->settings.endinfo && !readFooter(dataDir, sources.footer, error)) return emitFailure(o.json, error);
    const Report report = buildReport(*r, sources);
    nlohmann::json analysis;
    std::string analysisBlock;
    AnalysisRequest asked = o.analysis;
    // A report with the section has its member (not for an unknown hour: no hour to analyse).
    asked.on = asked.on || (o.json && r->settings.fenxi && !o.unknownHour);
    if (!analysisOutput(*r, report.text, asked, analysis, analysisBlock, error))
        return emitFailure(o.json, error);
    if (o.picture.any()) {
        if (!writePictures(*r, pictureChoice(o, ctx.traditional || settings.traditional), o.picture, error))
            return emitFailure(o.json, error);
        if (!o.json) return 0;  // the picture is the output; --json still prints the object
    }
    if (o.json && o.unknownHour) {
        writeOut(dumpJson(unknownHourJson(*r)) + "\n");
        return 0;
    }
    if (o.json) {
        nlohmann::json out = chartJson(*r, report.text);
        addUncertaintyJson(*r, false, out);
        if (asked.on) out["analysis"] = analysis;
        writeOut(dumpJson(out) + "\n");
        return 0;
    }
    std::string shown = o.unknownHour ? unknownHourTable(*r) : report.text + analysisBlock;
    if (o.boundaries) shown = boundaryLines(*r) + shown;
    if (o.gbk) {
        std::string bytes, bad;
        if (!text::utf8ToGbk(shown, bytes, &bad)) return fail("the report holds a character GBK cannot encode: " + bad);
        setGbkOutput();
    }
    writeOut(shown);
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
    addBirthOptions(*chart, co.birth);
    co.birth.dateOption->required();
    chart->add_flag("--no-yearly", co.noYearly, "Leave out the yearly block 流年神煞和九星");
    chart->add_option("--set", co.sets, "KEY=VALUE: a [set] key of dat/bzinit.ini for this run (endinfo, zishi, mgong, pai, "
                                          "save, zhong, yue, dst, fenxi: 0|1; idate: 0|1|2; leftpos: 0..500; bianjie: 0..720 minutes)");
    chart->add_flag("--json", co.json, "Print a JSON object");
    chart->add_flag("--gbk", co.gbk, "Print the report in GBK");
    addAnalysisOptions(chart, co.analysis);
    addPictureOptions(chart, co.picture);
    chart->add_flag("--boundaries", co.boundaries,
                    "Print first the boundaries (节, 时辰, 子时, 日) within the [set] window bianjie (default 30 minutes)");
    chart->add_flag("--unknown-hour", co.unknownHour,
                    "时辰不详: the twelve possible hours of the day instead of the report (JSON: \"hours\")");
    chart->callback([&ctx] {
        if (co.birth.timeOption->count() == 0 && !co.unknownHour) {
            ctx.exitCode = fail("--time is required (leave it out only with --unknown-hour)");
            return;
        }
        applyAnalysisOptions(co.analysis);
        ctx.exitCode = runChart(co, ctx);
    });
}

const CommandRegistrar registrar(20, &setup);

}  // namespace
}  // namespace hj::cli
