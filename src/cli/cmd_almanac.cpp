// The almanac of days on the command line: almanac FROM [TO] [--json].
#include <nlohmann/json.hpp>

#include <string>

#include "cli/commands.h"
#include "cli/output.h"
#include "core/almanac/almanac.h"
#include "core/calendar/date_text.h"

namespace hj::cli {
namespace {

// Ten years of days at most in one run.
constexpr int kMaxDays = 3660;

nlohmann::ordered_json dayJson(const almanac::AlmanacDay& d) {
    using nlohmann::ordered_json;
    const auto counted = [](const std::optional<almanac::Counted>& c) {
        return c ? ordered_json{{"name", c->name}, {"day", c->day}} : ordered_json(nullptr);
    };
    ordered_json hours = ordered_json::array();
    for (const almanac::HourInfo& h : d.hours)
        hours.push_back({{"ganzhi", h.ganzhi}, {"tianshen", h.tianshen}, {"luck", h.lucky ? "吉" : "凶"}, {"chong", h.chong}});
    ordered_json j;
    j["date"] = formatDate(d.date);
    j["pillars"] = {ganZhiName(d.yearPillar + 1), ganZhiName(d.monthPillar + 1), ganZhiName(d.dayPillar + 1)};
    j["nayin"] = d.nayin;
    j["jianchu"] = d.jianchu;
    j["tianshen"] = d.tianshen;
    j["huangdao"] = d.huangdao;
    j["xiu"] = d.xiu;
    j["xiuLuck"] = d.xiuLucky ? "吉" : "凶";
    j["chong"] = d.chong;
    j["chongDesc"] = d.chongDesc;
    j["sha"] = d.sha;
    j["pengzu"] = d.pengzu;
    j["taishen"] = d.taishen;
    j["directions"] = {{"xi", d.directions.xi}, {"fu", d.directions.fu}, {"cai", d.directions.cai},
                       {"yanggui", d.directions.yanggui}, {"yingui", d.directions.yingui}};
    j["jishen"] = d.jishen;
    j["xiongsha"] = d.xiongsha;
    j["yi"] = d.yi;
    j["ji"] = d.ji;
    j["hours"] = hours;
    j["hou"] = d.hou;
    j["shujiu"] = counted(d.shujiu);
    j["fu"] = counted(d.fu);
    j["moon"] = d.moon ? ordered_json{{"phase", d.moon->phase}, {"time", formatDateTime(d.moon->time)}}
                       : ordered_json(nullptr);
    j["seasonal"] = d.seasonal;
    j["nineStar"] = d.nineStar;
    return j;
}

int runAlmanac(const std::string& fromText, const std::string& toText, bool json) {
    std::string error;
    DateTime from, to;
    if (!parseDate(fromText, from, error)) return fail(error);
    to = from;
    if (!toText.empty() && !parseDate(toText, to, error)) return fail(error);
    almanac::AlmanacBuilder builder;
    almanac::AlmanacDay day;
    // Both ends are checked before anything is printed.
    if (!builder.build(from, day) || !builder.build(to, day)) return fail(builder.lastError());
    const int first = almanac::dayNumberOf(from), last = almanac::dayNumberOf(to);
    if (last < first) return fail("结束日期早于开始日期：" + fromText + " " + toText);
    if (last - first >= kMaxDays) return fail("一次最多排" + std::to_string(kMaxDays) + "天");
    nlohmann::ordered_json all = nlohmann::ordered_json::array();
    for (int n = first; n <= last && outputOk(); ++n) {
        if (!builder.build(almanac::dateOfDayNumber(n), day)) return fail(builder.lastError());
        if (json) all.push_back(dayJson(day));
        else if (n == first) writeOut(almanac::almanacText(day));
        else writeOut("\n" + almanac::almanacText(day));
    }
    if (json) writeOut(all.dump(1) + "\n");
    return 0;
}

void setup(CLI::App& app, Context& ctx) {
    static std::string fromText, toText;
    static bool json = false;
    auto* cmd = app.add_subcommand("almanac", "The almanac (黄历) of a day or of each day of a range: 建除, 值神, "
                                              "宿, 冲煞, 彭祖百忌, 胎神, directions, 宜忌 by the almanac's tradition, "
                                              "the twelve hours, the season and the Moon's phase");
    cmd->add_option("FROM", fromText, "First day YYYY-MM-DD (astronomical years: 0000 = 1 BC)")->required();
    cmd->add_option("TO", toText, "Last day YYYY-MM-DD (default: FROM; at most 3660 days)");
    cmd->add_flag("--json", json, "An array of objects, one a day");
    cmd->footer("\n" + almanac::almanacNotes());
    cmd->callback([&ctx] { ctx.exitCode = runAlmanac(fromText, toText, json); });
}

const CommandRegistrar registrar(16, &setup);

}  // namespace
}  // namespace hj::cli
