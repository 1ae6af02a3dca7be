// The calendar as an iCalendar file: ical.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "cli/commands.h"
#include "cli/output.h"
#include "core/almanac/almanac.h"
#include "core/calendar/date_text.h"
#include "core/calendar/ical.h"

namespace hj::cli {
namespace {

// DTSTAMP: now, or SOURCE_DATE_EPOCH when set, so that a file can be made again byte for byte.
long long stampSeconds() {
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        char* end = nullptr;
        const long long v = std::strtoll(epoch, &end, 10);
        if (end && *end == '\0' && end != epoch && v >= 0) return v;
    }
    return static_cast<long long>(std::time(nullptr));
}

int runIcal(const std::string& from, const std::string& to, bool winterNames, bool seasons) {
    std::string error;
    int first = 0, last = 0;
    if (!parseYear(from, first, error)) return fail(error);
    if (to.empty()) last = first;
    else if (!parseYear(to, last, error)) return fail(error);
    if (!IcalWriter::yearsAccepted(first, last, error)) return fail(error);

    Calendar cal;
    IcalWriter writer(cal, {icalStamp(stampSeconds()), winterNames});
    almanac::AlmanacBuilder almanac;
    std::string out = writer.begin();
    for (int y = first; y <= last; ++y) {
        out += seasons ? writer.events(y, almanac::seasonStarts(almanac, y)) : writer.events(y);
        writeOut(out);
        out.clear();
    }
    out = IcalWriter::end();
    writeOut(out);
    return std::fflush(stdout) == 0 ? 0 : fail("写入失败");
}

void setup(CLI::App& app, Context& ctx) {
    static std::string from, to;
    static bool winterNames = false, seasons = false;
    auto* ical = app.add_subcommand("ical", "iCalendar file (RFC 5545) of the years YEAR..YEAR2 on stdout: solar terms, "
                                            "festivals and the first day of each lunar month, as all-day events");
    ical->add_option("YEAR", from, "First year (1583..9999)")->required();
    ical->add_option("YEAR2", to, "Last year (default: YEAR)");
    ical->add_flag("--winter-names", winterNames, "Name the 11th and 12th lunar months 冬月 and 腊月");
    ical->add_flag("--seasons", seasons, "Also the first days of 三伏 and of the nines of 数九 (category 黄历)");
    ical->callback([&ctx] { ctx.exitCode = runIcal(from, to, winterNames, seasons); });
}

const CommandRegistrar registrar(11, &setup);

}  // namespace
}  // namespace hj::cli
