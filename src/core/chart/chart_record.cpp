#include "core/chart/chart_record.h"

#include <cmath>
#include <cstdio>

#include "core/analysis/chart_analysis.h"
#include "core/calendar/places.h"
#include "core/chart/derived.h"
#include "core/chart/report.h"
#include "core/chart/stars.h"
#include "core/chart/text_table.h"
#include "core/resources.h"
#include "core/script/display.h"
#include "core/script/script.h"
#include "core/text/fields.h"
#include "core/text/file_io.h"
#include "core/text/gbk.h"
#include "core/text/ini.h"
#include "core/threelives/three_lives.h"

namespace hj {
namespace {

constexpr std::string_view kYearRangeMessage =
    "年份必须在-850到2100年之间，并且没有公元0年\r\n注意：公元前用负数，比如公元前120年，就输入-120";
constexpr std::string_view kGapMessage = "不存在1582-10-5到1582-10-14这10天时间。";
constexpr std::string_view kOutOfRangeMessage = "时间越界，年份在-850到2100之间";
constexpr std::string_view kNoSuchDateMessage = "不存在这个日期";
constexpr std::string_view kNoSuchTimeMessage = "不存在这个时间";
constexpr std::string_view kLunarRangeMessage = "公、农历正常转换年份在-850到2100之间";
constexpr std::string_view kNoSuchLunarDate = "不存在这个农历日期，无法转换到公历！";

bool yearInRange(int y) { return y >= -849 && y <= 2100; }

bool inGregorianGap(const DateTime& d) { return d.year == 1582 && d.month == 10 && d.day >= 5 && d.day <= 14; }

}  // namespace

ChartRecord::ChartRecord(std::string dataDir, ReportPane* pane)
    : reportPane(pane), dataDir_(std::move(dataDir)), texts_(&TextTable::builtin()) {
    // The embedded copy is kept in UTF-8 (not GBK like the program's files on disk).
    std::string_view moreduan = embeddedResource("texts/moreduan.txt");
    if (moreduan.substr(0, 3) == "\xEF\xBB\xBF") moreduan.remove_prefix(3);
    loadThreeLivesText(moreduan);
}

void ChartRecord::setTextTable(const TextTable* table) { texts_ = table ? table : &TextTable::builtin(); }

void ChartRecord::loadThreeLivesText(std::string_view utf8) { threeLivesLines = splitResourceLines(utf8); }

bool ChartRecord::setSettingOverride(std::string_view key, std::string_view value) {
    ChartSettings probe;
    if (!applyChartSetting(probe, key, value, &lastError)) return false;
    overrides_.emplace_back(std::string(key), std::string(value));
    return true;
}

void ChartRecord::applyOverrides() {
    for (const auto& [key, value] : overrides_) applyChartSetting(settings, key, value);
}

std::array<std::uint8_t, 4> ChartRecord::pillarBytes() const {
    return {static_cast<std::uint8_t>(pillars[0] & 0xFF), static_cast<std::uint8_t>(pillars[1] & 0xFF),
            static_cast<std::uint8_t>(pillars[2] & 0xFF), static_cast<std::uint8_t>(pillars[3] & 0xFF)};
}

void ChartRecord::pillarBytes(std::uint8_t out[4]) const {
    auto b = pillarBytes();
    for (int i = 0; i < 4; ++i) out[i] = b[i];
}

void ChartRecord::clearOutputs() {
    pillars = {};
    nayinElements = {};
    starSign = 0;
    lifePalace = 0;
    conceptionPillar = 0;
    luckStartAge = 0;
    threeLivesMonth = 0;
    monthBranch = 0;
    luck = LuckInfo{};
    stars = {};
    chartMarks.clear();
    styleSpans.clear();
    report.clear();
}

bool ChartRecord::buildReport(const ChartRequest& req) {
    // Texts that go into the report and the case record: no control characters, no name of
    // spaces only (an empty name is the front end's own rule).
    lastError.clear();
    if (!text::checkFieldText(req.name, "姓名", !req.name.empty(), &lastError) ||
        !text::checkFieldText(req.place, "出生地", false, &lastError))
        return false;
    request = req;
    // The fixed fields of the request hold 12 and 31 bytes of text.
    request.name = text::truncateGbk(request.name, 12);
    request.place = text::truncateGbk(request.place, 31);
    // One read of the profile gives the chart's options and the script of the display.
    settings = ChartSettings{};
    bool traditional = false;
    if (!dataDir_.empty()) {
        text::IniFile profile(text::dataFilePath(dataDir_, "bzinit.ini"));
        if (profile.reload()) {
            settings = loadChartSettings(profile);
            traditional = script::traditionalDisplay(profile);
        }
    }
    applyOverrides();
    clearOutputs();
    if (!computeChart()) return false;

    report += "※推年月日时：\r\n";
    report += appendBirthVerses(*this);
    report += "\r\n\r\n";
    report += "※八字称骨：";
    report += boneWeightText(*this);
    report += "\r\n\r\n";
    appendThreeLivesReading(*this);
    appendPreviousLifeSections(*this);
    if (settings.fenxi) report += analysis::analysisReportSection(*this);
    report += "※软件开发商:墨衡周易软件(";
    report += kMakerAddress;
    report += ")※\r\n";
    report += "☆以上批语仅供参考，须知人生命运妙在阴阳五行的无穷变化☆";
    if (settings.endinfo && !dataDir_.empty()) {
        std::string bytes, error;
        bool missing = false;
        if (text::readRegularFile(text::dataFilePath(dataDir_, "EndInfo.txt"), text::kMaxTextFileBytes, bytes, &error,
                                  &missing)) {
            std::string footer = text::decodeFileText(bytes);
            for (const std::string& line : splitResourceLines(footer)) {
                report += line;
                report += "\r\n";
            }
        } else if (!missing) {
            // Asked for and present but unreadable: a report without it would pass for complete.
            lastError = error;
            return false;
        }
    }
    // With the display in Traditional characters the report is made so; the name and place
    // keep the characters they were typed with.
    if (traditional) report = script::toTraditional(report, {request.name, request.place});
    showReport();
    return true;
}

void ChartRecord::showReport() {
    styleSpans = reportStyleSpans(report);
    if (reportOutput && reportPane) reportPane->showReport(paneText(report), styleSpans, settings.leftpos);
}

bool ChartRecord::resolveBirthTime() {
    lastError.clear();
    if (!checkCoordinates(request.longitude, request.latitude, &lastError)) return false;
    const DateTime entered = request.entered();
    if (request.hour < 0 || request.hour > 23 || request.minute < 0 || request.minute > 59) {
        lastError = kNoSuchTimeMessage;
        return false;
    }
    if (request.lunar) {
        if (request.month < 1 || request.month > 12 || request.day < 1 || request.day > 30) {
            lastError = kNoSuchLunarDate;
            return false;
        }
        DateTime solar;
        if (!calendar.lunarToSolar(entered, request.leap, solar)) {
            lastError = calendar.lastError().empty() ? std::string(kNoSuchLunarDate) : calendar.lastError();
            return false;
        }
        if (!yearInRange(solar.year)) {
            lastError = kOutOfRangeMessage;
            return false;
        }
        birthLocal = solar;
        birthLocal.hour = request.hour;
        birthLocal.minute = request.minute;
    } else {
        if (request.month < 1 || request.month > 12 || request.day < 1 || request.day > 31 ||
            !calendar.dayExists(entered)) {
            lastError = kNoSuchDateMessage;
            return false;
        }
        birthLocal = entered;
    }
    // The clock reading at the place becomes Beijing time (summer time removed, a zone abroad).
    if (!zones::resolveBirthZone(calendar, birthLocal, request.zone, request.province, request.fold, settings.dst,
                                 birthZone, birthClock, birthLocal, lastError))
        return false;
    if (!yearInRange(birthClock.year)) {
        lastError = kOutOfRangeMessage;
        return false;
    }
    birthClockJd = calendar.julianDayOf(birthClock);
    if (!birthZone.abroad) birthLocal = birthClock;
    if (settings.idate == kTrueSolarTime || settings.idate == kLocalMeanTime) {
        birthLocal = birthClock;
        applySolarTime(calendar, birthLocal, request.longitude, settings.idate);
    }

    DateTime copy = birthLocal;
    if (birthLocal.hour == 23 && !settings.zishi) calendar.nextDay(copy);
    if (!yearInRange(copy.year)) {
        lastError = kLunarRangeMessage;
        return false;
    }
    bool leap = false;
    birthLunar = calendar.solarToLunar(copy, leap);
    birthLunar.hour = copy.hour;
    birthLunar.minute = copy.minute;
    request.leap = leap;
    return true;
}

double ChartRecord::lichunJd(int year) {
    auto it = lichunCache_.find(year);
    if (it != lichunCache_.end()) return it->second;
    if (lichunCache_.size() > 4096) lichunCache_.clear();
    const double jd = Calendar::solarTermJd(year, 2, true);
    lichunCache_.emplace(year, jd);
    return jd;
}

// termsAround for birthClock. A moment more than two minutes inside a month already computed
// takes that month's result (the exact jie instants lie within a minute of the rounded ones).
int ChartRecord::solarMonth(DateTime& jie, DateTime& mid, DateTime& next) {
    constexpr double kMargin = 2.0 / 1440.0;
    auto it = monthCache_.upper_bound(birthClockJd);
    if (it != monthCache_.begin()) {
        const SolarMonth& m = std::prev(it)->second;
        if (birthClockJd >= m.start + kMargin && birthClockJd < m.end - kMargin) {
            jie = m.jie;
            mid = m.mid;
            next = m.next;
            return m.branch;
        }
    }
    SolarMonth m;
    m.branch = calendar.termsAround(birthClock, m.jie, m.mid, m.next);
    m.start = calendar.julianDayOf(m.jie);
    m.end = calendar.julianDayOf(m.next);
    if (monthCache_.size() > 4096) monthCache_.clear();
    monthCache_[m.start] = m;
    jie = m.jie;
    mid = m.mid;
    next = m.next;
    return m.branch;
}

bool ChartRecord::computePillars() {
    if (!yearInRange(request.year)) {
        lastError = kYearRangeMessage;
        return false;
    }
    if (!request.lunar && inGregorianGap(request.entered())) {
        lastError = kGapMessage;
        return false;
    }
    if (!resolveBirthTime()) return false;

    // Year pillar: the 立春 instant of the clock year is the boundary. It is compared exactly,
    // as the month test compares with its jie: in the minute of 立春 the minute-rounded instant
    // could say new year while the month is still 丑 (甲寅 丁丑), and only the exact instant
    // keeps year and month together at every moment, late December's 丑 month included.
    const double lichun = lichunJd(birthClock.year);
    pillars[0] = static_cast<std::int16_t>(cycleMod(birthClock.year + (birthClockJd >= lichun ? 1 : 0) + 896, 60));

    // Month pillar: the solar month around the clock time.
    monthBranch = cycleMod(solarMonth(previousJie, midTerm, nextJie), 12);
    pillars[1] = static_cast<std::int16_t>(monthPillarOf(pillars[0], cycleMod(monthBranch - 3, 12) + 1));

    // Day pillar from the corrected time; with zishi off 23:00 already belongs to the next day.
    dayNumber = static_cast<long>(std::floor(calendar.julianDayOf(birthLocal) - 1410960.5));
    int day = cycleMod(static_cast<int>(dayNumber % 60) + 51, 60);
    const bool lateRat = birthLocal.hour == 23;
    if (lateRat && !settings.zishi) day = (day + 1) % 60;
    pillars[2] = static_cast<std::int16_t>(day);

    // Hour pillar.
    {
        int h = birthLocal.hour;
        if (h % 2 == 1) h = (h + 1) % 24;
        const int branch = (h / 2 + 1) % 12;
        int d = day % 10;
        if (d == 0) d = 5;
        const int stem = (h / 2 + 2 * d - 1) % 10;
        int hour = cycleIndexOf(stem, branch);
        if (settings.zishi && lateRat) hour = (hour + 12) % 60;
        pillars[3] = static_cast<std::int16_t>(hour);
    }
    return true;
}

bool ChartRecord::computeChart() {
    if (!computePillars()) return false;

    // Derived data.
    for (int i = 0; i < 4; ++i) nayinElements[i] = static_cast<std::uint8_t>(nayinElement(pillars[i]));
    conceptionPillar = static_cast<std::uint8_t>(conceptionOf(pillars[1]));
    const bool afterMid = birthClockJd >= calendar.julianDayOf(midTerm);
    lifePalace = static_cast<std::uint8_t>(
        lifePalaceOf(palaceMonthNumber(monthBranch, settings.mgong, afterMid), pillars[3], pillars[0]));
    luck = luckPillars(*this);
    luckStartAge = static_cast<std::int16_t>(luck.startAge);

    // Stars and marks.
    for (int i = 0; i < 4; ++i) stars[i] = pillarStars(pillars, request.male, nayinElements[0], i);
    stars[2] += dayMarks(pillars[2], monthBranch);
    stars[3] += hourMarks(pillars[3]);
    chartMarks = chartMarkLines(pillars);
    {
        const DateTime mid = calendar.solarTermInstant(birthClock.year, birthClock.month, false);
        starSign = static_cast<std::uint8_t>(sunSignIndex(birthClock.month, birthClockJd >= calendar.julianDayOf(mid)));
    }

    writeChartSections();
    return true;
}

}  // namespace hj
