#pragma once
// The almanac (黄历) of a civil day: what the day holds by the almanac's tradition — 建除,
// 值神 and 黄道, the mansion, 冲 and 煞, 彭祖百忌, 胎神, the gods' directions, 纳音 and the day's
// nine star, the gods of the month and the 宜 and 忌 drawn from them, the twelve double
// hours, the season (候, 数九, 三伏, 梅, 社日, 寒食, 上巳) and the Moon's phase.
//
// The day's month is the solar month of the almanac: a month begins on the civil day its 节
// falls on (the whole day, whatever the hour), and its year begins on the day of 立春. Every
// instant is Beijing time. The tables and their sources are in almanac_tables.h; the rules
// that span days are here:
//   数九: 一九 begins on the day of 冬至, each nine lasts nine days, 九九 ends on day 81.
//   三伏: 初伏 on the third 庚 day counted from the day of 夏至 (that day included), 中伏 on the
//     fourth, 末伏 on the first 庚 day from the day of 立秋; 初伏 and 末伏 last ten days, 中伏
//     runs to 末伏 (ten or twenty days).
//   入梅 on the first 丙 day from the day of 芒种, 出梅 on the first 未 day from 小暑 (each
//     day included, as for 三伏).
//   社日: the fifth 戊 day from 立春 (春社) and from 立秋 (秋社); 寒食: the day before 清明 (as kept
//     today; the older count of 105 days from 冬至 may differ by a day);
//   上巳: 三月初三.
//   九星 of the day (日家紫白): from the first 甲子 day on or after 冬至 一白 ascending, from the
//     first 甲子 day on or after 夏至 九紫 descending, each run continuing to the next.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/calendar/calendar.h"
#include "core/calendar/ical.h"

namespace hj::almanac {

struct HourInfo {
    std::string ganzhi;    // "甲子"
    std::string tianshen;  // "天牢"
    bool lucky = false;    // 黄道 hour
    std::string chong;     // the clashing branch, "午"
};

struct Counted {
    std::string name;  // "六九", "初伏"
    int day = 0;       // 1 on the first day
};

struct MoonPhase {
    std::string phase;  // 朔 上弦 望 下弦
    DateTime time;      // Beijing time, to the minute
};

struct Directions {
    std::string xi, fu, cai, yanggui, yingui;
};

struct AlmanacDay {
    DateTime date;  // astronomical year
    int weekday = 0;  // 0 = Sunday
    DateTime lunar;   // its lunar date
    bool lunarLeap = false;
    int yearPillar = 0, monthPillar = 0, dayPillar = 0;  // 0 = 甲子 … 59 = 癸亥
    std::string nayin;
    std::string jianchu;
    std::string tianshen;
    bool huangdao = false;
    std::string xiu;
    bool xiuLucky = false;
    std::string chong, chongDesc, sha;
    std::vector<std::string> pengzu;  // the stem's line, the branch's line
    std::string taishen;
    Directions directions;
    std::vector<std::string> jishen, xiongsha, yi, ji;
    std::vector<HourInfo> hours;  // 子 … 亥
    std::string hou;
    std::optional<Counted> shujiu, fu;
    std::optional<MoonPhase> moon;
    std::vector<std::string> seasonal;  // 入梅 出梅 春社 秋社 寒食 上巳 and the term's day
    std::vector<std::string> holidays;  // 妇女节 植树节 (beside the calendar's own festivals)
    std::string nineStar;
};

// The days' 冲 description, "冲狗(戊戌)", for a day pillar 0..59.
std::string chongDescription(int cycle0);

// Builds almanac days; keeps the terms and Moon phases of the years it has seen.
class AlmanacBuilder {
public:
    // The day (astronomical year, kFirstYear..kLastYear); false with lastError.
    bool build(const DateTime& civil, AlmanacDay& out);
    const std::string& lastError() const { return error_; }

    static constexpr int kFirstYear = -4711, kLastYear = 9998;

private:
    struct TermDay {
        int day;    // day number, 0 = 2000-01-01
        int index;  // 0 = 小寒 … 23 = 冬至
        int year;   // civil year of the term
    };
    struct YearData {
        std::vector<TermDay> terms;  // the terms of the year before, the year and the year after
        std::vector<std::pair<int, MoonPhase>> phases;  // by day number, the year's phases
    };
    const YearData& yearData(int year);
    // Day number of the term `index` of civil year `year` (searched in data).
    static int termDay(const YearData& data, int year, int index);
    // The first day from `from` (included) whose stem (or branch) is the one asked for.
    static int firstStemDay(int from, int stem);
    static int firstBranchDay(int from, int branch);

    Calendar cal_;
    std::map<int, YearData> years_;
    std::string error_;
};

// Day number (0 = 2000-01-01) of a civil date and back.
int dayNumberOf(const DateTime& civil);
DateTime dateOfDayNumber(int day);

// The first days of the 伏 and of the nines that fall in a civil year ("初伏", "一九" …), for
// the calendar export; empty outside the almanac's years.
std::vector<IcalExtraDay> seasonStarts(AlmanacBuilder& builder, int year);

// What the almanac is, where each of its rules comes from and which reading it follows (the
// help of the almanac's windows and command).
std::string almanacNotes();

// One day as a block of text lines ("\n" line ends), for the command line.
std::string almanacText(const AlmanacDay& day);

// The 彭祖百忌 lines as the text and the window show them: each saying's precept, its first four
// characters ("甲不开仓", "辰不哭泣"), without the dire consequence the full saying goes on to
// threaten. The JSON keeps the whole sayings.
std::vector<std::string> pengzuPrecepts(const AlmanacDay& day);

}  // namespace hj::almanac
