// The calendar as an iCalendar file: ical.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "cli/commands.h"
#include "cli/output.h"
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

int runIcal(const std::string& from, const std::string& to, bool winterNames) {
    std::string error;
    int first = 0, last = 0;
    if (!parseYear(from, first, error)) return fail(error);
    if (to.empty()) last = first;
    else if (!parseYear(to, last, error)) return fail(error);
    if (!IcalWriter::yearsAccepted(first, last, error)) return fail(error);

    Calendar cal;
    IcalWriter writer(cal, {icalStamp(stampSeconds()), winterNames});
    std::string out = writer.begin();
    for (int y = first; y <= last; ++y) {
        out += writer.events(y);
        writeOut(out);
        out.clear();
    }
    out = IcalWriter::end();
    writeOut(out);
    return std::fflush(stdout) == 0 ? 0 : fail("写入失败");
}

void setup(CLI::App& app, Context& ctx) {
    static std::string from, to;
    static bool winterNames = false;
    auto* ical = app.add_subcommand("ical", "iCalendar file (RFC 5545) of the years YEAR..YEAR2 on stdout: solar terms, "
                                            "festivals and the first day of each lunar month, as all-day events");
    ical->add_option("YEAR", from, "First year (1583..9999)")->required();
    ical->add_option("YEAR2", to, "Last year (default: YEAR)");
    ical->add_flag("--winter-names", winterNames, "Name the 11th and 12th lunar months 冬月 and 腊月");
    ical->callback([&ctx] { ctx.exitCode = runIcal(from, to, winterNames); });
}

const CommandRegistrar registrar(11, &setup);

}  // namespace
}  // namespace hj::cli
