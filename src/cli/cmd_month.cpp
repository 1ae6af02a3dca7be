// The perpetual calendar and the reverse search on the command line: month, reverse.
#include <cstdio>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "cli/output.h"
#include "core/calendar/date_text.h"
#include "core/presentation/month_page.h"
#include "core/calendar/reverse_search.h"

namespace hj::cli {
namespace {

// Memo texts use "\r\n"; the terminal gets plain line ends.
std::string plainLines(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

int runMonth(const std::string& monthText, int day, const std::string& timeText) {
    std::string error;
    DateTime d;
    if (!parseDateTime(monthText + "-01 " + timeText, d, error)) return fail(error);
    if (d.year < kFirstShownYear + 1 || d.year > kLastShownYear)
        return fail("年份超出范围（-4712 至 9999，0000 为公元前1年）：" + std::to_string(d.year));
    MonthPageBuilder builder;
    MonthPage page;
    if (!builder.build(displayYear(d.year), d.month, day, d.hour, d.minute, page)) return fail(builder.lastError());

    std::string out = page.title + "\n";
    for (std::size_t i = 0; i < page.header.size(); ++i) out += (i ? "\t" : "") + page.header[i].text;
    out += '\n';
    std::size_t next = 0;
    for (int row = 1; next < page.cells.size(); ++row) {
        for (int column = 0; column < 7; ++column) {
            if (column) out += '\t';
            if (next < page.cells.size() && page.cells[next].row == row && page.cells[next].column == column) {
                out += page.cells[next].upper + " " + page.cells[next].lower;
                ++next;
            }
        }
        out += '\n';
    }
    out += '\n';
    std::string terms = plainLines(page.termText);
    // One line a term: the memo's blank line between terms is its own spacing.
    for (std::size_t pos; (pos = terms.find("\n\n")) != std::string::npos;) terms.erase(pos, 1);
    out += terms;
    if (!terms.empty()) out += '\n';
    out += page.eraLine + "\n" + plainLines(page.pillarText) + "\n";
    // The month's festivals after the page, one day a line ("10日 春节"): the page itself stays
    // as the window first drew it.
    std::string festivals;
    for (const DayCell& c : page.cells)
        if (!c.festivals.empty()) festivals += std::to_string(c.day) + "日 " + c.festivals + "\n";
    if (!festivals.empty()) out += "\n" + festivals;
    writeOut(out);
    return 0;
}

// "甲子 丙寅 甲子 甲子" (spaces optional) → the dialog's list choices.
bool parsePillars(std::string_view text, std::array<fantui::PillarChoice, 4>& out, std::string& error) {
    std::string compact;
    for (char c : text)
        if (c != ' ' && c != '\t') compact += c;
    const auto take = [&compact](std::size_t& pos, const std::string_view* names, int count, int first) {
        for (int i = 0; i < count; ++i) {
            const std::string_view name = names[(first + i) % count];
            if (compact.compare(pos, name.size(), name) == 0) {
                pos += name.size();
                return i;
            }
        }
        return -1;
    };
    std::size_t pos = 0;
    for (auto& p : out) {
        // List index 0 is 甲 (table index 1) and 子 (table index 1).
        p.stem = take(pos, kStems, 10, 1);
        p.branch = p.stem < 0 ? -1 : take(pos, kBranches, 12, 1);
        if (p.stem < 0 || p.branch < 0) {
            error = "四柱应为四个干支，如 \"甲子 丙寅 甲子 甲子\"：" + std::string(text);
            return false;
        }
    }
    if (pos != compact.size()) {
        error = "四柱应为四个干支，如 \"甲子 丙寅 甲子 甲子\"：" + std::string(text);
        return false;
    }
    return true;
}

int runReverse(const std::string& pillarText, int from, bool female) {
    fantui::SearchQuery query;
    std::string error;
    if (!parsePillars(pillarText, query.pillars, error)) return fail(error);
    query.startYear = from;
    const fantui::SearchResult r = fantui::runSearch(query);
    if (r.outcome == fantui::SearchOutcome::BadYear || r.outcome == fantui::SearchOutcome::BadPillar)
        return fail(plainLines(r.message));
    std::string memo;
    fantui::updateMemo(r, memo);
    std::string out = plainLines(memo);
    while (out.size() > 1 && out[out.size() - 1] == '\n' && out[out.size() - 2] == '\n') out.pop_back();
    // What 测算 hands to the chart: the moment (ISO, astronomical year) and the sex.
    if (r.outcome == fantui::SearchOutcome::Found)
        out += formatDateTime(r.found) + "\t" + (female ? "女" : "男") + "\n";
    writeOut(out);
    return 0;
}

void setup(CLI::App& app, Context& ctx) {
    static std::string monthText, timeText = "00:00", pillarText;
    static int day = 1, from = 1950;
    static bool female = false;

    auto* month = app.add_subcommand("month", "Perpetual-calendar page of a month: day cells with lunar dates and "
                                              "terms, the month's terms, era and the four pillars of the chosen moment, then the "
                                              "month's festivals (\"10日 春节\")");
    month->add_option("YYYY-MM", monthText, "Year and month (astronomical years: 0000 = 1 BC)")->required();
    month->add_option("--day", day, "Selected day for the pillars (default 1)");
    month->add_option("--time", timeText, "Selected time HH:MM, Beijing time (default 00:00)");
    month->callback([&ctx] { ctx.exitCode = runMonth(monthText, day, timeText); });

    auto* reverse = app.add_subcommand("reverse", "First date at or after a year carrying four pillars, as 反推 shows "
                                                  "it, then \"YYYY-MM-DD HH:MM<TAB>男|女\"");
    reverse->add_option("--pillars", pillarText, "Year, month, day and hour pillars, e.g. \"甲子 丙寅 甲子 甲子\"")->required();
    reverse->add_option("--from", from, "Start year as the dialog takes it: -120 is 120 BC, no year 0 (default 1950)");
    reverse->add_flag("--female", female, "The chart handed on is a woman's");
    reverse->callback([&ctx] { ctx.exitCode = runReverse(pillarText, from, female); });
}

const CommandRegistrar registrar(15, &setup);

}  // namespace
}  // namespace hj::cli
