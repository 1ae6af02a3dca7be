#pragma once
// The chart engine: one ChartRequest in, the four pillars, their derived data, the stars and
// the whole report text (命稿) out.
//
// One ChartRecord lives as long as its owner (the main window, a command) and is handed a new
// request for every chart. Failures are a false result plus `lastError`; nothing throws.
// In memory every text is UTF-8; widths of the report count GBK bytes.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <string_view>
#include <vector>

#include "core/calendar/calendar.h"
#include "core/calendar/datetime.h"
#include "core/chart/chart_settings.h"
#include "core/zones/birth_zone.h"

namespace hj {

class TextTable;

// The birth data handed to the engine (the main window fills it from its inputs).
struct ChartRequest {
    bool yearly = true;        // add the 81-year block 流年神煞和九星
    std::string name;          // at most 12 GBK bytes are kept
    std::int16_t year = 2000;  // astronomical year (0 = 1 BC)
    std::int16_t month = 1;    // 1..12 (lunar month number when `lunar`)
    std::int16_t day = 1;      // 1..31 (lunar 1..30)
    std::int16_t hour = 12;    // 0..23, Beijing time
    std::int16_t minute = 0;   // 0..59
    bool lunar = false;        // the date is a lunar date
    bool leap = false;         // the lunar month is the leap month
    bool male = true;          // 乾造; false: 坤造
    std::int16_t province = 34;  // ProvinceTable index (not read by the engine)
    std::int16_t city = 0;       // city list index (not read by the engine)
    float longitude = 120.0f;    // degrees east
    float latitude = 30.0f;      // degrees north
    std::string place = "未知";  // place text (出生地), at most 31 GBK bytes are kept
    // A birth abroad: the time-zone id of the place ("America/New_York"); the date and time
    // are then the clock time there. Empty: a Chinese place, Beijing time (summer time of the
    // province's zone removed, setting `dst`).
    std::string zone;
    int fold = 1;                // a clock time that occurred twice: 1 the first, 2 the second

    DateTime entered() const { return DateTime{year, month, day, hour, minute}; }
};

// Marking of the report in the pane. Positions count the characters of paneText(report):
// Unicode characters, each "\r\n" taken as one paragraph break. Every character of a report
// lies in the Basic Multilingual Plane, so the positions are also QString indices of that text.
struct StyleSpan {
    std::int32_t start = 0;
    std::int32_t length = 0;
    bool setColor = false;
    std::uint32_t color = 0;  // 0xRRGGBB, when setColor
    bool bold = false;
    std::int32_t sizeDelta = 0;  // points added to the pane's font size (-1: one point smaller)
};
inline constexpr std::uint32_t kReportRed = 0xFF0000;
inline constexpr std::uint32_t kReportBlue = 0x0000FF;

// The report text as the pane holds it: every "\r\n" (and any lone "\r") becomes "\n".
std::string paneText(std::string_view report);

// Where a finished report goes (the main window's report pane). The window clears the pane,
// sets the default attributes (pane font size, black, no style), a first-line indent of
// `leftIndent` for every paragraph, puts `paneText` in, applies the spans in order and puts the
// caret at the start.
class ReportPane {
public:
    virtual ~ReportPane() = default;
    virtual void showReport(const std::string& paneText, const std::vector<StyleSpan>& spans,
                            int leftIndent) = 0;
};

// The luck pillars (大运) with their start.
struct LuckInfo {
    int direction = 1;                  // +1 forward, -1 backward
    int startYears = 0, startMonths = 0, startDays = 0;
    DateTime startDate;                 // birthLocal moved on by the start distance
    int startAge = 0;                   // nominal age (虚岁) of the first luck pillar
    std::array<int, 8> pillars{};       // cycle indices 0..59
};

class ChartRecord {
public:
    // `dataDir` holds dat/ (bzinit.ini for the [set] keys, EndInfo.txt for the footer); an
    // empty text means no data folder (default settings, no footer). `pane` may be null.
    explicit ChartRecord(std::string dataDir = {}, ReportPane* pane = nullptr);

    // ---- the whole run ----
    // Copies the request, rereads the settings, computes the chart and builds the report;
    // when `reportOutput` is on and a pane is bound, shows it there. False: `lastError` says
    // why, and the pane is not touched.
    bool buildReport(const ChartRequest& req);
    // Checks the request copy, resolves the birth times, forms the pillars, derived data,
    // stars and the chart part of the report (sections 1 to 12).
    bool computeChart();
    // The first half of computeChart: the checks, the birth times and the four pillars only,
    // with the settings as they stand (no reload, no report). For batch work.
    bool computePillars();
    // Fills birthLocal, birthClock, birthClockJd, birthLunar; false with lastError.
    bool resolveBirthTime();
    // The low byte of each pillar index, year first.
    std::array<std::uint8_t, 4> pillarBytes() const;
    void pillarBytes(std::uint8_t out[4]) const;
    // The setting `save`: the window saves the case right after each successful chart.
    bool promptSave() const { return settings.save; }
    // Computes the marking of `report` into `styleSpans` and, when `reportOutput` is on and a
    // pane is bound, hands both to the pane.
    void showReport();

    // Overrides a [set] key for every following chart (the command line's --set); applied
    // after each reload of bzinit.ini. False with lastError for an unknown key or bad value.
    bool setSettingOverride(std::string_view key, std::string_view value);
    void clearSettingOverrides() { overrides_.clear(); }

    // Text sources. Both default to the resources compiled into the program; tests may set
    // their own. The table must outlive the record.
    void setTextTable(const TextTable* table);
    const TextTable& textTable() const { return *texts_; }
    // Replaces threeLivesLines with the lines of a three-lives resource image.
    void loadThreeLivesText(std::string_view utf8);
    const std::string& dataDir() const { return dataDir_; }
    void setDataDir(std::string dir) { dataDir_ = std::move(dir); }
    void setReportPane(ReportPane* pane) { reportPane = pane; }

    // ---- the record ----
    Calendar calendar;
    std::vector<std::string> threeLivesLines;  // the MOREDUAN resource, read once
    std::string report;                        // the report text (UTF-8, "\r\n" line ends)
    DateTime birthLocal;   // local mean / true solar time when `idate` asks for it, else birthClock
    DateTime birthLunar;   // lunar year, month, day of the birth day; hour and minute of birthLocal
    DateTime birthClock;   // Beijing civil time (for lunar input the converted solar date)
    std::int16_t luckStartAge = 0;
    double birthClockJd = 0;
    zones::BirthZone birthZone;  // how the clock reading became birthClock
    ReportPane* reportPane = nullptr;
    ChartRequest request;
    ChartSettings settings;
    std::array<std::int16_t, 4> pillars{};       // year, month, day, hour: cycle indices 0..59
    std::array<std::uint8_t, 4> nayinElements{};  // 0 水 1 木 2 火 3 土 4 金
    std::uint8_t starSign = 0;                    // 0 白羊 … 11 双鱼
    std::uint8_t lifePalace = 0;                  // cycle index of 命宫
    std::uint8_t conceptionPillar = 0;            // cycle index of 胎元
    std::int32_t threeLivesMonth = 0;             // set by the three-lives sections
    std::string lastError;
    bool reportOutput = true;

    // ---- kept for the report, the command line and the window ----
    int monthBranch = 0;                 // branch of the month pillar (亥 = 0)
    long dayNumber = 0;                  // floor(JD(birthLocal) - 1410960.5): day pillar and mansion
    DateTime previousJie, midTerm, nextJie;  // the solar month of the birth (Beijing time)
    LuckInfo luck;
    std::array<std::string, 4> stars;    // star text of each pillar (day marks and 孤鸾 included)
    std::string chartMarks;              // the ☆ lines of 三奇, 德秀, 拱禄 ("" when none)
    std::vector<StyleSpan> styleSpans;   // marking of the last shown report

private:
    void clearOutputs();
    void applyOverrides();
    void writeChartSections();
    double lichunJd(int year);
    int solarMonth(DateTime& jie, DateTime& mid, DateTime& next);

    // Solar-term results already computed: the 立春 instant of a year, and solar months by the
    // day number of their opening jie. Batch work hits the same years and months again and again.
    struct SolarMonth {
        double start = 0, end = 0;  // julianDayOf of the opening and the next jie
        int branch = 0;
        DateTime jie, mid, next;
    };
    std::unordered_map<int, double> lichunCache_;
    std::map<double, SolarMonth> monthCache_;

    std::string dataDir_;
    const TextTable* texts_;
    std::vector<std::pair<std::string, std::string>> overrides_;
};

}  // namespace hj
