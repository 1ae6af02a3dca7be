#pragma once
// The chart engine: a birth request and the settings in, the birth times, the four pillars,
// their derived data and the stars out, as a value.
//
// castChart takes every input as an argument and keeps nothing between calls. ChartCaster
// gives the same results for many charts in a row (a batch, a scan along the clock): it keeps
// the solar terms and lunar years it has computed. Failures are an empty result and a Chinese
// message; nothing throws. Texts are UTF-8; the request's text fields count GBK bytes.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

#include "core/calendar/calendar.h"
#include "core/calendar/datetime.h"
#include "core/chart/chart_settings.h"
#include "core/zones/birth_zone.h"

namespace hj {

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
    std::int16_t province = 34;  // ProvinceTable index (the engine reads only its summer-time zone)
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

// The luck pillars (大运) with their start.
struct LuckInfo {
    int direction = 1;                  // +1 forward, -1 backward
    int startYears = 0, startMonths = 0, startDays = 0;
    DateTime startDate;                 // birthLocal moved on by the start distance
    int startAge = 0;                   // nominal age (虚岁) of the first luck pillar
    std::array<int, 8> pillars{};       // cycle indices 0..59
};

// A birth moment and its four pillars: the first part of every chart, all that castPillars
// computes.
struct BirthPillars {
    ChartRequest request;    // as asked (castChart: the name and place cut to their fields)
    ChartSettings settings;  // the settings it was cast with
    DateTime birthLocal;     // local mean / true solar time when `idate` asks for it, else birthClock
                             // (abroad: the place's standard clock time)
    DateTime birthLunar;     // lunar year, month, day of the birth day; hour and minute of birthLocal
    bool birthLunarLeap = false;  // the month of birthLunar is a leap month
    DateTime birthClock;     // Beijing civil time (for lunar input the converted solar date)
    double birthClockJd = 0;
    zones::BirthZone birthZone;  // how the clock reading became birthClock
    std::array<std::int16_t, 4> pillars{};  // year, month, day, hour: cycle indices 0..59
    int monthBranch = 0;     // branch of the month pillar (亥 = 0)
    long dayNumber = 0;      // floor(JD(birthLocal) - 1410960.5): day pillar and mansion
    DateTime previousJie, midTerm, nextJie;  // the solar month of the birth (Beijing time)

    // The low byte of each pillar index, year first: what a stored case keeps.
    std::array<std::uint8_t, 4> pillarBytes() const;
};

// A whole chart: the pillars and everything derived from them.
struct Chart : BirthPillars {
    std::array<std::uint8_t, 4> nayinElements{};  // 0 水 1 木 2 火 3 土 4 金
    std::uint8_t starSign = 0;                    // 0 白羊 … 11 双鱼
    std::uint8_t lifePalace = 0;                  // cycle index of 命宫
    std::uint8_t conceptionPillar = 0;            // cycle index of 胎元
    LuckInfo luck;
    std::array<std::string, 4> stars;  // star text of each pillar (day marks and 孤鸾 included)
    std::string chartMarks;            // the ☆ lines of 三奇, 德秀, 拱禄 ("" when none)
};

// The whole chart of a request: the texts checked and cut to their fields, the date and time
// checked, the birth times resolved, the pillars, derived data and stars. Empty with `error`.
std::optional<Chart> castChart(const ChartRequest& request, const ChartSettings& settings, std::string& error);
// The checks of the date and time, the birth times and the four pillars only (the name and
// place are not read). Empty with `error`.
std::optional<BirthPillars> castPillars(const ChartRequest& request, const ChartSettings& settings,
                                        std::string& error);

// castChart and castPillars for many charts in a row. Not re-entrant: one caster per thread.
class ChartCaster {
public:
    std::optional<Chart> cast(const ChartRequest& request, const ChartSettings& settings, std::string& error);
    std::optional<BirthPillars> castPillars(const ChartRequest& request, const ChartSettings& settings,
                                            std::string& error);

private:
    bool formPillars(BirthPillars& p, std::string& error);
    bool resolveBirthTime(BirthPillars& p, std::string& error);
    void derive(Chart& c);
    double lichunJd(int year);
    int solarMonth(const BirthPillars& p, DateTime& jie, DateTime& mid, DateTime& next);

    Calendar calendar_;
    // Solar-term results already computed: the 立春 instant of a year, and solar months by the
    // day number of their opening jie. Batch work hits the same years and months again and again.
    struct SolarMonth {
        double start = 0, end = 0;  // julianDayOf of the opening and the next jie
        int branch = 0;
        DateTime jie, mid, next;
    };
    std::unordered_map<int, double> lichunCache_;
    std::map<double, SolarMonth> monthCache_;
};

}  // namespace hj
