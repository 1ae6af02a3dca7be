#include "core/report/chart_sections.h"

#include <cmath>
#include <cstdio>

#include "core/calendar/calendar.h"
#include "core/places/places.h"
#include "core/chart/chart.h"
#include "core/chart/derived.h"
#include "core/chart/stars.h"
#include "core/chart/text_table.h"
#include "core/text/gbk.h"
#include "core/zones/birth_zone.h"

namespace hj {
namespace {

constexpr std::string_view kWeekdays[7] = {"日", "一", "二", "三", "四", "五", "六"};

// Bone weights (两): 60 by year pillar (甲子 first), 12 by month, 30 by lunar day, 12 by hour (子 first).
constexpr float kYearWeights[60] = {1.2f, 0.9f, 0.6f, 0.7f, 1.2f, 0.5f, 0.9f, 0.8f, 0.7f, 0.8f, 1.5f, 0.9f,
                                    1.6f, 0.8f, 0.8f, 1.9f, 1.2f, 0.6f, 0.8f, 0.7f, 0.5f, 1.5f, 0.6f, 1.6f,
                                    1.5f, 0.7f, 0.9f, 1.2f, 1.0f, 0.7f, 1.5f, 0.6f, 0.5f, 1.4f, 1.4f, 0.9f,
                                    0.7f, 0.7f, 0.9f, 1.2f, 0.8f, 0.7f, 1.3f, 0.5f, 1.4f, 0.5f, 0.9f, 1.7f,
                                    0.5f, 0.7f, 1.2f, 0.8f, 0.8f, 0.6f, 1.9f, 0.6f, 0.8f, 1.6f, 1.0f, 0.7f};
constexpr float kMonthWeights[12] = {0.6f, 0.7f, 1.8f, 0.9f, 0.5f, 1.6f, 0.9f, 1.5f, 1.8f, 0.8f, 0.9f, 0.5f};
constexpr float kDayWeights[30] = {0.5f, 1.5f, 0.8f, 1.5f, 1.6f, 1.5f, 0.8f, 1.6f, 0.8f, 1.6f,
                                   0.9f, 1.7f, 0.8f, 1.7f, 1.0f, 0.8f, 0.9f, 1.8f, 0.5f, 1.5f,
                                   1.0f, 0.9f, 0.8f, 0.9f, 1.5f, 1.8f, 0.7f, 0.8f, 1.6f, 0.6f};
constexpr float kHourWeights[12] = {1.6f, 0.6f, 0.7f, 1.0f, 0.9f, 1.6f, 1.0f, 0.8f, 0.8f, 0.9f, 0.6f, 0.6f};

std::string fmt(const char* f, auto... args) {
    char buf[256];
    int n = std::snprintf(buf, sizeof buf, f, args...);
    return std::string(buf, n < 0 ? 0 : static_cast<std::size_t>(n) < sizeof buf ? n : sizeof buf - 1);
}

std::string name(std::string_view v) { return std::string(v); }

}  // namespace

namespace {
std::string timeText(const DateTime& d) {
    return std::to_string(displayYear(d.year)) + "年" + std::to_string(d.month) + "月" + std::to_string(d.day) + "日" +
           std::to_string(d.hour) + "时" + std::to_string(d.minute) + "分";
}
}  // namespace

std::vector<std::string> birthTimeLines(const Chart& c) {
    std::vector<std::string> out;
    std::string clock = zones::clockLineText(c.birthZone);
    const std::string_view head = "出生公历：", tail = "。\r\n";
    if (clock.size() > head.size() + tail.size()) out.push_back(clock.substr(head.size(), clock.size() - head.size() - tail.size()));
    out.push_back(timeText(c.birthClock) + "(北京时间)");
    if (c.settings.idate != 0 || c.birthZone.abroad) {
        const char* kind = c.settings.idate == 1 ? "(真太阳时)" : c.settings.idate == 2 ? "(地方时)" : "(当地标准时间)";
        out.push_back(timeText(c.birthLocal) + kind);
    }
    return out;
}

std::string lunarDateText(const DateTime& lunar, bool leap) {
    std::string s = chineseNumber(lunar.year) + "年";
    std::string month = lunar.month == 1 ? std::string(" 正月 ") : " " + chineseNumber(lunar.month) + "月 ";
    if (leap) month = " 闰" + month.substr(1);
    s += month;
    if (lunar.day >= 1 && lunar.day <= 10) s += "初";
    s += chineseNumber(lunar.day) + "日";
    s += " ";
    s += kBranches[hourBranchOf(lunar.hour)];
    s += "时。";
    return s;
}

std::string birthVerses(const Chart& chart, const TextTable& texts) {
    const TextTable& t = texts;
    const int year = cycleMod(chart.pillars[0], 60);
    std::string s = "★" + pillarName(year) + "年生:";
    s += t.text(1100 + year);
    s += "\r\n●";
    s += t.text(1200 + chart.birthLunar.month);
    s += "\r\n●";
    s += t.text(1220 + chart.birthLunar.day);
    s += "\r\n●";
    std::string_view hour = t.text(1260 + cycleMod(chart.pillars[3], 60) % 12);
    std::size_t a = hour.find('*');
    std::size_t b = a == std::string_view::npos ? a : hour.find('*', a + 1);
    s += hour.substr(0, a);
    s += "\r\n    ";
    if (a != std::string_view::npos) s += hour.substr(a + 1, b == std::string_view::npos ? b : b - a - 1);
    s += "\r\n    ";
    if (b != std::string_view::npos) s += hour.substr(b + 1);
    return s;
}

std::string boneWeightText(int yearPillar, int month, int lunarDay, int hourNumber, bool male,
                           const TextTable& texts) {
    int y = cycleMod(yearPillar, 60);
    if (y == 0) y = 60;
    const float w[4] = {kYearWeights[y - 1], kMonthWeights[cycleMod(month - 1, 12)],
                        kDayWeights[cycleMod(lunarDay - 1, 30)], kHourWeights[cycleMod(hourNumber - 1, 12)]};
    static constexpr std::string_view kLabels[4] = {"年", "月", "日", "时"};
    std::string parts;
    double total = 0;
    for (int i = 0; i < 4; ++i) {
        int b = static_cast<int>(std::floor((static_cast<double>(w[i]) + 0.03) * 10));
        if (i) parts += "、";
        parts += kLabels[i];
        parts += fmt("%d.%d两", b / 10, b % 10);
        total += w[i];
    }
    parts += "。";
    total += 0.03;
    std::string digits = fmt("%1.1f", total);
    std::string s = "【";
    s += digits.front();
    s += "两";
    s += digits.back();
    s += "钱】 ";
    s += parts;
    s += "\r\n袁天罡断：";
    s += texts.text(static_cast<int>(std::floor(total * 10)) + (male ? 7010 : 7980));
    return s;
}

std::string boneWeightText(const Chart& chart, const TextTable& texts) {
    int month = chart.birthLunar.month;
    if (chart.settings.zhong != 1) {
        month = chart.monthBranch - 2;
        if (month <= 0) month += 12;
    }
    int hour = cycleMod(chart.pillars[3], 60) % 12;
    if (hour == 0) hour = 12;
    return boneWeightText(chart.pillars[0], month, chart.birthLunar.day, hour, chart.request.male, texts);
}

std::string chartSections(const Chart& chart) {
    const ChartRequest& request = chart.request;
    const ChartSettings& settings = chart.settings;
    const auto& pillars = chart.pillars;
    const LuckInfo& luck = chart.luck;
    const DateTime& birthLocal = chart.birthLocal;
    Calendar calendar;
    std::string r;
    r.reserve(2048);
    r += "命主姓名:" + request.name + "  出生地:";
    const DateTime& L = birthLocal;
    const std::string weekday = "星期" + name(kWeekdays[calendar.weekdayOf(L)]) + "。\r\n";
    // A birth abroad always shows its coordinates, the clock reading there and both times.
    if (settings.idate == 0 && !chart.birthZone.abroad) {
        r += request.place + "。\r\n";
        r += zones::clockLineText(chart.birthZone);
        r += fmt("出生公历：%d年%d月%d日%d时%d分(北京时间)，", displayYear(L.year), L.month, L.day, L.hour, L.minute);
    } else {
        // The minutes take the sign of the coordinate: -10度30分 is 10.5° west.
        const DegreesMinutes lon = degreesMinutesOf(request.longitude), lat = degreesMinutesOf(request.latitude);
        r += request.place + ",";
        if (chart.birthZone.abroad) {
            // Abroad the hemispheres are named: 西经74度0分 reads where -74度 would puzzle.
            r += fmt("%s%d度%d分,", lon.negative ? "西经" : "东经", lon.degrees, lon.minutes);
            r += fmt("%s%d度%d分。\r\n", lat.negative ? "南纬" : "北纬", lat.degrees, lat.minutes);
        } else {
            r += fmt("经度:%s%d度%d分,", lon.negative ? "-" : "", lon.degrees, lon.minutes);
            r += fmt("纬度:%s%d度%d分。\r\n", lat.negative ? "-" : "", lat.degrees, lat.minutes);
        }
        r += zones::clockLineText(chart.birthZone);
        const DateTime& C = chart.birthClock;
        r += fmt("出生公历：%d年%d月%d日%d时%d分(北京时间)。\r\n", displayYear(C.year), C.month, C.day, C.hour,
                 C.minute);
        r += fmt("出生公历：%d年%d月%d日%d时%d分", displayYear(L.year), L.month, L.day, L.hour, L.minute);
        r += settings.idate == 1 ? "(真太阳时)，" : settings.idate == 2 ? "(地方时)，" : "(当地标准时间)，";
    }
    r += weekday;
    r += "出生农历：" + lunarDateText(chart.birthLunar, chart.birthLunarLeap) + "\r\n\r\n";

    // The chart block: twelve-byte columns.
    const int day = pillars[2];
    r += "      ";
    for (int i = 0; i < 4; ++i) r += i == 2 ? "日元        " : name(kTenGodShort[tenGodIndex(day, pillars[i])]) + "          ";
    r += "\r\n";
    r += request.male ? "乾造  " : "坤造  ";
    const auto voids = voidBranches(day);
    const std::string voidText = fmt(" (日空%s、%s)\r\n", kBranches[voids[0]].data(), kBranches[voids[1]].data());
    if (settings.pai == 1) {
        for (int i = 0; i < 4; ++i) r += name(kStems[pillars[i] % 10]) + (i < 3 ? "          " : "");
        r += voidText;
        r += "      ";
        for (int i = 0; i < 4; ++i) r += name(kBranches[pillars[i] % 12]) + (i < 3 ? "          " : "");
        r += "\r\n";
    } else {
        for (int i = 0; i < 4; ++i) r += pillarName(pillars[i]) + (i < 3 ? "        " : "");
        r += voidText;
    }
    r += "藏干  ";
    std::string gods = "      ";
    for (int i = 0; i < 4; ++i) {
        std::string stems, g;
        for (char digit : kHiddenStems[pillars[i] % 12]) {
            stems += kStems[digit - '0'];
            g += kTenGodShort[tenGodIndex(day, digit - '0')];
        }
        r += text::padRight(stems, 12);
        gods += text::padRight(g, 12);
    }
    r += "\r\n" + gods + "\r\n";
    r += "纳音  ";
    const bool commonNayin = settings.nayin == 1;
    for (int i = 0; i < 4; ++i) r += text::padRight(nayinName(pillars[i], commonNayin), 12);
    r += "\r\n\r\n";

    r += fmt("起大运周岁：%d岁 %d个月 %d天，", luck.startYears, luck.startMonths, luck.startDays);
    r += fmt("每一交大运年 %d月 %d日起运(公历)。\r\n", luck.startDate.month, luck.startDate.day);
    std::string row1 = "     ", row2 = "大运 ", row3 = "     ", row4 = "岁数 ", row5 = "年份 ";
    for (int i = 0; i < 8; ++i) {
        const int p = luck.pillars[i];
        row1 += name(kTenGodShort[tenGodIndex(day, p)]) + "    ";
        row2 += pillarName(p) + "  ";
        row3 += text::padRight(kLifeStages[lifeStageIndex(day % 10, p % 12)], 6);
        row4 += text::padRight(std::to_string(luck.startAge + 10 * i), 6);
        row5 += text::padRight(std::to_string(displayYear(birthLocal.year) + luck.startAge - 1 + 10 * i), 6);
    }
    r += row1 + "\r\n" + row2 + "\r\n" + row3 + "\r\n" + row4 + "\r\n" + row5 + "\r\n";

    r += "\r\n胎元：" + pillarName(chart.conceptionPillar) + "(" + name(nayinName(chart.conceptionPillar, commonNayin)) + ")  ";
    r += "命宫：" + pillarName(chart.lifePalace) + "(" + name(nayinName(chart.lifePalace, commonNayin)) + ")";
    r += "\r\n\r\n吉神凶煞：\r\n";
    static constexpr std::string_view kPillarLabels[4] = {"  年柱 ", "  月柱 ", "  日柱 ", "  时柱 "};
    for (int i = 0; i < 4; ++i) r += name(kPillarLabels[i]) + chart.stars[i] + "\r\n";
    r += chart.chartMarks;

    const int trigram = lifeTrigramIndex(birthLocal.year, pillars[0], request.male);
    r += "\r\n☆星座：" + name(kSunSigns[chart.starSign]) + "座  ";
    r += "生肖：" + name(kAnimals[pillars[0] % 12]);
    r += "  二十八宿：" + name(kMansions[mansionIndex(chart.dayNumber)]) + "。\r\n";
    r += "☆命主福元：" + name(kTrigrams[trigram]) + "宫，属";
    r += isEastGroup(trigram) ? "东四命。\r\n\r\n" : "西四命。\r\n\r\n";
    return r;
}

}  // namespace hj
