// match: two births compared for marriage (合婚), each typed (--a-date …, --b-date …) or taken
// from the case store (--a-case, --b-case).
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/birth_options.h"
#include "cli/case_names.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/traditional_output.h"
#include "core/casestore/case_store.h"
#include "core/chart/chart.h"
#include "core/chart/derived.h"
#include "core/match/match.h"
#include "core/presentation/case_session.h"
#include "core/report/report_settings.h"

namespace hj::cli {
namespace {

struct MatchSide {
    BirthOptions birth;
    std::string caseText;
    CLI::Option* caseOption = nullptr;
};

struct MatchOptions {
    std::array<MatchSide, 2> sides;
    bool json = false;
};

// The request of one side; false after a message on stderr.
bool sideRequest(const MatchSide& s, const std::string& dataDir, ChartRequest& q) {
    const BirthOptions& b = s.birth;
    if (s.caseOption->count() == 0) {
        if (!b.given(b.dateOption) || !b.given(b.timeOption)) {
            fail(b.flag("date") + " and " + b.flag("time") + " are required (or " + b.flag("case") + ")");
            return false;
        }
        std::string error;
        if (!birthRequest(b, dataDir, false, q, error)) {
            fail(error);
            return false;
        }
        return true;
    }
    casestore::CaseStore store;
    if (!store.openExisting(dataDir)) {
        fail(store.lastError());
        return false;
    }
    const int index = caseNamed(store, s.caseText, {}, b.flag("case")).slot;
    if (index < 0) return false;
    casestore::CaseRecord r;
    if (!store.readCase(index, r, nullptr, nullptr)) {
        fail(store.lastError().empty() ? "没有第" + std::to_string(index) + "号命例" : store.lastError());
        return false;
    }
    q = presentation::requestFromRecord(r);
    keepAsTyped(q.name);
    keepAsTyped(q.place);
    return true;
}

nlohmann::json partyJson(const match::MatchParty& p) {
    nlohmann::json pillars = nlohmann::json::array(), nayin = nlohmann::json::array();
    for (int i = 0; i < 4; ++i) {
        pillars.push_back(pillarName(p.pillars[i]));
        nayin.push_back(p.nayinNames[i]);
    }
    return {{"name", p.name},     {"sex", p.male ? "男" : "女"}, {"label", p.label}, {"pillars", pillars},
            {"nayin", nayin},     {"place", p.place},           {"times", p.times}};
}

nlohmann::json resultJson(const match::MatchResult& r) {
    using nlohmann::json;
    json items = json::array();
    for (const match::MatchItem& i : r.items) {
        json item = {{"aspect", i.aspect}, {"kind", i.kind}, {"chars", i.chars}, {"verdict", match::verdictName(i.verdict)}};
        if (!i.direction.empty()) item["direction"] = i.direction;
        if (!i.also.empty()) item["also"] = i.also;
        if (!i.note.empty()) item["note"] = i.note;
        items.push_back(item);
    }
    auto elements = [](const std::vector<int>& codes) {
        json a = json::array();
        for (int e : codes) a.push_back(kElementNames[e]);
        return a;
    };
    json others = json::array();
    for (const match::PillarPairRelation& o : r.others) {
        json other = {{"pillars", {match::pillarLabel(o.pillarA), match::pillarLabel(o.pillarB)}},
                      {"kind", o.kind},
                      {"chars", o.chars}};
        if (!o.also.empty()) other["also"] = o.also;
        others.push_back(other);
    }
    return {{"ok", true},
            {"a", partyJson(r.parties[0])},
            {"b", partyJson(r.parties[1])},
            {"items", items},
            {"complement", {{"a", elements(r.complement[0])}, {"b", elements(r.complement[1])}}},
            {"others", others},
            {"count", {{"good", r.count(match::Verdict::Good)}, {"bad", r.count(match::Verdict::Bad)}}}};
}

int runMatch(const MatchOptions& o, const Context& ctx) {
    const std::string dataDir = dataFolder(ctx);
    const ReportSettings settings = loadReportSettings(dataDir);
    std::array<std::optional<Chart>, 2> charts;
    std::array<ChartRequest, 2> requests;
    for (int i = 0; i < 2; ++i) {
        ChartRequest& q = requests[i];
        if (!sideRequest(o.sides[i], dataDir, q)) return 1;
        std::string error;
        charts[i] = castChart(q, settings.chart, error);
        if (!charts[i]) return fail(std::string(i == 0 ? "第一个八字（--a-…）：" : "第二个八字（--b-…）：") + error);
    }
    // One birth of one person twice: a case matched with itself.
    const ChartRequest &a = requests[0], &b = requests[1];
    if (a.name == b.name && a.male == b.male && a.entered() == b.entered() && a.lunar == b.lunar && a.leap == b.leap &&
        a.longitude == b.longitude && a.latitude == b.latitude && a.place == b.place && a.zone == b.zone)
        return fail("两个八字是同一个人的同一个八字，不能与自己合婚");
    const match::MatchResult r = match::compareCharts(*charts[0], *charts[1]);
    const std::string out = o.json ? resultJson(r).dump(2) + "\n" : match::matchText(r, false).text;
    writeOut(out);
    return 0;
}

void setup(CLI::App& app, Context& ctx) {
    static MatchOptions mo;
    auto* match = app.add_subcommand(
        "match", "合婚: two births compared (生肖, 纳音, 日干, 日支, 五行) as text, or a JSON object");
    for (int i = 0; i < 2; ++i) {
        MatchSide& s = mo.sides[i];
        s.birth.prefix = i == 0 ? "a-" : "b-";
        addBirthOptions(*match, s.birth);
        s.caseOption = match->add_option(s.birth.flag("case"), s.caseText,
                                         "A stored case instead: its index or identity, as cases show takes it");
        s.caseOption->excludes(s.birth.dateOption)->excludes(s.birth.timeOption);
    }
    match->add_flag("--json", mo.json,
                    "Print a JSON object: a, b (with place and times), items (aspect, kind, chars, verdict, also: the "
                    "pair's other relations, note), complement (the elements each lacks that the other has, or has "
                    "least that the other has most), others (the other pillar pairs), count (good: 吉, bad: 凶)");
    match->callback([&ctx] { ctx.exitCode = runMatch(mo, ctx); });
}

const CommandRegistrar registrar(22, &setup);

}  // namespace
}  // namespace hj::cli
