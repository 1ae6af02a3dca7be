#include "core/calendar/ical.h"

#include <array>
#include <cstdio>
#include <ctime>

#include "core/calendar/date_text.h"
#include "core/calendar/festivals.h"
#include "core/platform/platform.h"
#include "core/version.h"

namespace hj {
namespace {

constexpr std::string_view kUidDomain = "hengjian.example.org";

// TEXT values escape backslash, semicolon, comma and line ends.
std::string escaped(std::string_view text) {
    std::string s;
    for (char c : text) {
        if (c == '\\' || c == ';' || c == ',') s += '\\';
        if (c == '\n') {
            s += "\\n";
            continue;
        }
        s += c;
    }
    return s;
}

// One content line, folded so that no line passes 75 octets: each continuation starts with a
// space, and a break never falls inside a UTF-8 sequence.
void addLine(std::string& out, std::string_view line) {
    std::size_t limit = 75;
    while (line.size() > limit) {
        std::size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        limit = 74;  // the leading space counts
    }
    out.append(line);
    out += "\r\n";
}

std::string compactDate(const DateTime& d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year, d.month, d.day);
    return buf;
}

std::string lunarDayText(int day) { return (day <= 10 ? "初" : "") + chineseNumber(day); }

}  // namespace

std::string icalStamp(long long unixSeconds) {
    platform::CivilTime t;
    platform::utcTime(unixSeconds, t);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d%02d%02dT%02d%02d%02dZ", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return buf;
}

bool IcalWriter::yearsAccepted(int first, int last, std::string& error) {
    if (first < kFirstIcalYear || last > kLastIcalYear || first > last) {
        error = first > last ? "结束年份早于开始年份"
                             : "iCalendar 只用公历（格里历），年份须在 " + std::to_string(kFirstIcalYear) + " 至 " +
                                   std::to_string(kLastIcalYear) + " 之间";
        return false;
    }
    return true;
}

std::string IcalWriter::begin() const {
    std::string out;
    addLine(out, "BEGIN:VCALENDAR");
    addLine(out, "VERSION:2.0");
    addLine(out, "PRODID:-//example.org//hengjian " HJ_VERSION "//ZH");
    addLine(out, "CALSCALE:GREGORIAN");
    addLine(out, "METHOD:PUBLISH");
    addLine(out, "X-WR-CALNAME:" + escaped("农历、节气与节日"));
    return out;
}

std::string IcalWriter::end() {
    std::string out;
    addLine(out, "END:VCALENDAR");
    return out;
}

std::string IcalWriter::events(int year) { return events(year, {}); }

std::string IcalWriter::events(int year, const std::vector<IcalExtraDay>& extra) {
    std::string out;
    const auto event = [&](const DateTime& day, const std::string& uid, std::string_view category,
                           const std::string& summary, const std::string& description) {
        DateTime next = day;
        cal_.nextDay(next);
        addLine(out, "BEGIN:VEVENT");
        addLine(out, "UID:" + compactDate(day) + "-" + uid + "@" + std::string(kUidDomain));
        addLine(out, "DTSTAMP:" + options_.stamp);
        addLine(out, "DTSTART;VALUE=DATE:" + compactDate(day));
        addLine(out, "DTEND;VALUE=DATE:" + compactDate(next));
        addLine(out, "SUMMARY:" + escaped(summary));
        addLine(out, "DESCRIPTION:" + escaped(description));
        addLine(out, "CATEGORIES:" + escaped(category));
        addLine(out, "TRANSP:TRANSPARENT");
        addLine(out, "END:VEVENT");
    };

    // The day of each term; two terms never share a day.
    const std::vector<TermEntry> terms = cal_.termsOfYear(year);
    const auto termOn = [&terms](const DateTime& d) -> const TermEntry* {
        for (const TermEntry& t : terms)
            if (t.time.year == d.year && t.time.month == d.month && t.time.day == d.day) return &t;
        return nullptr;
    };

    char buf[160];
    for (DateTime d{static_cast<std::int16_t>(year), 1, 1, 12, 0}; d.year == year; cal_.nextDay(d)) {
        const TermEntry* term = termOn(d);
        const DayFacts facts = dayFactsOf(cal_, d, term ? term->index : -1);
        const std::string monthName = (facts.leap ? "闰" : "") + lunarMonthName(facts.lunar.month, options_.winterNames);
        const std::string lunarDate = "农历" + monthName + lunarDayText(facts.lunar.day);

        if (term) {
            event(d, std::string("term") + std::to_string(term->index), "节气", std::string(kTermNames[term->index]),
                  "交节时刻：" + formatDateTime(term->time) + "（北京时间），" + lunarDate);
        }
        for (const Festival* f : festivalsOf(facts)) {
            // 清明 and 冬至 are terms and festivals under one name: one event, the term's.
            if (term && f->kind == FestivalKind::Term) continue;
            event(d, "festival" + std::to_string(f - kFestivals), "节日", std::string(f->name), lunarDate);
        }
        if (facts.lunar.day == 1) {
            // The month has 30 days when its 30th day exists.
            DateTime day30 = d;
            for (int i = 0; i < 29; ++i) cal_.nextDay(day30);
            bool leap30 = false;
            const int length = cal_.solarToLunar(day30, leap30).day == 30 ? 30 : 29;
            const int yearIndex = cycleMod(facts.lunar.year + 6897, 60);
            std::snprintf(buf, sizeof buf, "农历%s（%s）年%s初一，本月%d天", ganZhiName(yearIndex).c_str(),
                          std::string(kAnimals[yearIndex % 12]).c_str(), monthName.c_str(), length);
            event(d, "month", "农历", "农历" + monthName, buf);
        }
        int n = 0;
        for (const IcalExtraDay& x : extra) {
            ++n;
            if (x.day.year == d.year && x.day.month == d.month && x.day.day == d.day)
                event(d, "almanac" + std::to_string(n), "黄历", x.summary, x.description);
        }
    }
    return out;
}

}  // namespace hj
