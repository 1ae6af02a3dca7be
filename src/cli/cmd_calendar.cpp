// Calendar commands: lunar, solar, terms, era.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/output.h"
#include "core/calendar/calendar.h"
#include "core/calendar/date_text.h"

namespace hj::cli {
namespace {

// Years the calendar commands accept (the day numbers stay non-negative from -4712 on).
constexpr int kMinYear = -4712, kMaxYear = 9999;

bool yearInRange(int year, std::string& error) {
    if (year >= kMinYear && year <= kMaxYear) return true;
    error = "年份超出范围（" + std::to_string(kMinYear) + " 至 " + std::to_string(kMaxYear) + "）：" + std::to_string(year);
    return false;
}

// A civil date that exists in the calendar and lies in range.
bool civilDate(Calendar& cal, const std::string& text, DateTime& d, std::string& error) {
    if (!parseDate(text, d, error) || !yearInRange(d.year, error)) return false;
    if (!cal.dayExists(d)) {
        error = d.year == 1582 && d.month == 10 && d.day >= 5 && d.day <= 14
                    ? "不存在1582-10-5到1582-10-14这10天时间。"
                    : "不存在这个日期：" + text;
        return false;
    }
    return true;
}

int runLunar(const std::string& from, const std::string& to) {
    Calendar cal;
    std::string error;
    DateTime a, b;
    if (!civilDate(cal, from, a, error)) return fail(error);
    if (to.empty()) b = a;
    else if (!civilDate(cal, to, b, error)) return fail(error);
    double ja = cal.julianDayOf(a), jb = cal.julianDayOf(b);
    if (jb < ja) return fail("结束日期早于开始日期");
    std::string out;
    out.reserve(static_cast<std::size_t>((jb - ja + 1) * 32));
    char buf[96];
    DateTime d = a;
    for (double j = ja; j <= jb + 0.5; j += 1) {
        bool leap = false;
        DateTime l = cal.solarToLunar(d, leap);
        std::snprintf(buf, sizeof buf, "\t%d\t%d\t%d\t%d\n", l.year, l.month, l.day, leap ? 1 : 0);
        out += formatDate(d);
        out += buf;
        if (out.size() > (1u << 20)) {
            writeOut(out);
            out.clear();
        }
        cal.nextDay(d);
    }
    writeOut(out);
    return 0;
}

int runSolar(const std::string& text, bool leap) {
    Calendar cal;
    std::string error;
    DateTime l;
    if (!parseDate(text, l, error)) return fail(error);
    if (!yearInRange(l.year, error)) return fail(error);
    DateTime out;
    if (!cal.lunarToSolar(l, leap, out)) return fail(cal.lastError());
    writeOut(formatDate(out) + "\n");
    return 0;
}

int runTerms(const std::string& from, const std::string& to) {
    std::string error;
    int y1, y2;
    if (!parseYear(from, y1, error) || !yearInRange(y1, error)) return fail(error);
    if (to.empty()) y2 = y1;
    else if (!parseYear(to, y2, error) || !yearInRange(y2, error)) return fail(error);
    if (y2 < y1) return fail("结束年份早于开始年份");
    Calendar cal;
    std::string out;
    for (int y = y1; y <= y2; ++y) {
        for (const TermEntry& e : cal.termsOfYear(y)) {
            out += formatDateTime(e.time);
            out += '\t';
            out += kTermNames[e.index];
            out += '\n';
        }
    }
    writeOut(out);
    return 0;
}

int runEra(const std::string& text) {
    std::string error;
    int year;
    if (!parseYear(text, year, error) || !yearInRange(year, error)) return fail(error);
    Calendar cal;
    std::string era = cal.eraText(year);
    if (era.empty()) return fail("没有年号覆盖这一年：" + text);
    writeOut(era + "\n");
    return 0;
}

void setup(CLI::App& app, Context& ctx) {
    static std::string from, to, solarText, termsFrom, termsTo, eraYear;
    static bool leap = false;

    auto* lunar = app.add_subcommand("lunar", "Lunar date of each civil day DATE..DATE2: \"YYYY-MM-DD<TAB>LY<TAB>LM<TAB>LD<TAB>LEAP\"");
    lunar->add_option("DATE", from, "First civil date, YYYY-MM-DD (astronomical years: 0000 = 1 BC)")->required();
    lunar->add_option("DATE2", to, "Last civil date (default: DATE)");
    lunar->callback([&ctx] { ctx.exitCode = runLunar(from, to); });

    auto* solar = app.add_subcommand("solar", "Civil date \"YYYY-MM-DD\" of a lunar date");
    solar->add_option("LY-LM-LD", solarText, "Lunar year, month number and day")->required();
    solar->add_flag("--leap", leap, "The month is the leap month of that number");
    solar->callback([&ctx] { ctx.exitCode = runSolar(solarText, leap); });

    auto* terms = app.add_subcommand("terms", "Every solar term of each civil year: \"YYYY-MM-DD HH:MM<TAB>NAME\" (Beijing time)");
    terms->add_option("YEAR", termsFrom, "First year")->required();
    terms->add_option("YEAR2", termsTo, "Last year (default: YEAR)");
    terms->callback([&ctx] { ctx.exitCode = runTerms(termsFrom, termsTo); });

    auto* era = app.add_subcommand("era", "The era names (年号) that cover a year");
    era->add_option("YEAR", eraYear, "Astronomical year (0 = 1 BC)")->required();
    era->callback([&ctx] { ctx.exitCode = runEra(eraYear); });
}

const CommandRegistrar registrar(10, &setup);

}  // namespace
}  // namespace hj::cli
