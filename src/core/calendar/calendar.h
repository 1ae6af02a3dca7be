#pragma once
// The calendar object: day numbers, solar terms, new moons and the lunar calendar.
//
// One instance per client (the chart engine keeps one, each calendar window its own). It is
// not re-entrant: conversions write its scratch time and its lunar-year fields, which keep
// describing the last conversion until the next one.
#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/calendar/datetime.h"

namespace hj {

// The calendar object's scratch time; a conversion from a DateTime fills it with second = 1.
struct CalcTime {
    std::int32_t year = 2000, month = 1, day = 1, hour = 12, minute = 0, second = 0;
};

// One solar term of a year: its instant (Beijing time, to the minute) and its index 0..23.
struct TermEntry {
    DateTime time;
    std::int16_t index = 0;
};

// What calcDay looks for.
enum class EventKind { Term, NewMoon };  // "气" and "朔"

class Calendar {
public:
    Calendar();

    // ---- Day numbers (JD: days from noon of -4712-01-01, Julian calendar) ----
    double julianDay(int year, int month, double dayWithFraction);
    // JD of a record plus one second (the program's rule: minute comparisons stay exact).
    double julianDayOf(const DateTime& rec);
    // The inverse conversion; `seconds` receives the truncated seconds.
    DateTime dateFromJulianDay(double jd, int* seconds = nullptr) const;
    // Fills a record from a JD rounded to the minute (more than 30 s rounds up).
    void dateTimeOf(double jd, DateTime& out) const;
    DateTime dateTimeOf(double jd) const;
    bool dayExists(const DateTime& rec);
    void nextDay(DateTime& rec);
    int weekdayOf(const DateTime& rec);      // 0 = Sunday
    int dayCycleIndex(const DateTime& rec);  // 0..59, of the civil day

    // ---- Solar terms and new moons ----
    // Instants in Beijing time as days from J2000 (0 = 2000-01-01 12:00).
    static double termInstantQuick(double w);
    static double newMoonInstantQuick(double w);
    static double termInstant(double w);
    static double newMoonInstant(double w);
    // Day number (JD of the civil noon - 2451545) of the term or new moon at or before d + 7
    // (terms) or d + 14 (new moons), by the historical rules up to 1960.
    int calcDay(double d, EventKind kind) const;
    // The jie (isJie) or mid term of a Gregorian month, Beijing time, to the minute.
    DateTime solarTermInstant(int year, int month, bool isJie);
    // The same instant unrounded, as a JD: the boundary termsAround compares with. The year
    // pillar compares with it too, so that year and month change together.
    static double solarTermJd(int year, int month, bool isJie);
    // Month branch (1 = 子, 3 = 寅, … 1-based as the branch table) of the solar month holding
    // the instant, with the jie opening it, its mid term and the next jie.
    int termsAround(const DateTime& rec, DateTime& jie, DateTime& mid, DateTime& nextJie);
    // Every solar term whose instant falls in the civil year, in time order (24 entries).
    std::vector<TermEntry> termsOfYear(int year);

    // ---- Lunar calendar ----
    // Fills the fields below for the lunar year (solstice to solstice) holding day number d.
    void buildLunarYear(int d);
    // Civil date → lunar date (year, month number, day; hour and minute copied) and leap flag.
    DateTime solarToLunar(const DateTime& rec, bool& isLeap);
    // Lunar date → civil date; false (and lastError) when no such lunar date exists.
    bool lunarToSolar(const DateTime& lunar, bool isLeap, DateTime& out);
    // Every era that covers the (astronomical) year, "[dynasty] title name era N年"; empty if none.
    std::string eraText(int year) const;

    const std::string& lastError() const { return lastError_; }
    const CalcTime& calcTime() const { return calcTime_; }

    // Fields of the lunar year last built.
    std::int32_t leapIndex = 0;                     // 0: none; else index 1..13 of the leap month
    std::array<std::int32_t, 14> monthNumbers{};    // month number of each of the 14 months
    std::array<std::int32_t, 27> termDays{};        // 25 terms from the solstice, then the 2 before it
    std::array<std::int32_t, 15> newMoonDays{};     // 15 new moons, the first on or before termDays[0]
    std::array<std::int32_t, 14> monthLengths{};
    std::int32_t currentDay = 0;

    // The expanded correction strings (one character per lunation / per term, '0' '1' '2').
    const std::string& newMoonCorrections() const;
    const std::string& termCorrections() const;

private:
    struct LunarYear {
        std::int32_t leapIndex;
        std::array<std::int32_t, 14> monthNumbers;
        std::array<std::int32_t, 27> termDays;
        std::array<std::int32_t, 15> newMoonDays;
        std::array<std::int32_t, 14> monthLengths;
    };
    // Builds the lunar year that starts with the winter solstice estimated at day w.
    void computeLunarYear(double w, LunarYear& y) const;

    // Built years, keyed by the estimate index k of buildLunarYear: the solstice check of k
    // and the years built from its estimate and from the one a year earlier.
    struct YearSlot {
        int solsticeDay = 0;
        bool hasThis = false, hasPrevious = false;
        LunarYear thisYear{}, previousYear{};
    };
    std::unordered_map<std::int64_t, YearSlot> yearCache_;

    CalcTime calcTime_;
    std::string lastError_;
};

}  // namespace hj
