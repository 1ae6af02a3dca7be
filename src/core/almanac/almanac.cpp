#include "core/almanac/almanac.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "core/almanac/almanac_tables.h"
#include "core/calendar/ephemeris.h"
#include "core/calendar/festivals.h"
#include "core/chart/derived.h"
#include "core/chart/stars.h"

namespace hj::almanac {
namespace {

constexpr int kJ2000 = 2451545;
constexpr int kGeng = 6, kBing = 2, kWu = 4, kWei = 7;  // 庚 丙 戊 (stems), 未 (branch)

int cycleOfDay(int day) { return cycleMod(day + kJ2000 + 49, 60); }
std::string name0(int cycle0) {
    const int c = cycleMod(cycle0, 60);
    return std::string(kStemNames[c % 10]) + std::string(kBranchNames[c % 12]);
}
// The cycle index 0..59 of a stem and a branch of equal parity.
int cycleOf(int stem, int branch) { return cycleMod(6 * stem - 5 * branch, 60); }

void addUnique(std::vector<std::string>& list, std::string_view words) {
    std::size_t pos = 0;
    while (pos < words.size()) {
        std::size_t end = words.find(' ', pos);
        if (end == std::string_view::npos) end = words.size();
        if (end > pos) {
            std::string w(words.substr(pos, end - pos));
            if (std::find(list.begin(), list.end(), w) == list.end()) list.push_back(w);
        }
        pos = end + 1;
    }
}

bool cellHolds(std::string_view cell, std::string_view pillar, std::string_view stem, std::string_view branch) {
    std::size_t pos = 0;
    while (pos < cell.size()) {
        std::size_t end = cell.find(' ', pos);
        if (end == std::string_view::npos) end = cell.size();
        const std::string_view alt = cell.substr(pos, end - pos);
        if (alt == pillar || alt == stem || alt == branch) return true;
        pos = end + 1;
    }
    return false;
}

const Usage* usageOf(std::string_view name) {
    for (const Usage& u : kGodUsage)
        if (u.name == name) return &u;
    return nullptr;
}

constexpr std::string_view kNothingElse = "余事勿取";

}  // namespace

int dayNumberOf(const DateTime& civil) {
    return static_cast<int>(std::floor(civilJulianDay(civil.year, civil.month, civil.day) + 0.5)) - kJ2000;
}

DateTime dateOfDayNumber(int day) {
    static const Calendar cal;
    DateTime d = cal.dateFromJulianDay(day + static_cast<double>(kJ2000));
    d.hour = 0;
    d.minute = 0;
    return d;
}

std::string chongDescription(int cycle0) {
    const int c = cycleMod(cycle0, 60);
    return "冲" + std::string(kAnimalNames[(c + 6) % 12]) + "(" + name0(c - 6) + ")";
}

const AlmanacBuilder::YearData& AlmanacBuilder::yearData(int year) {
    auto it = years_.find(year);
    if (it != years_.end()) return it->second;
    if (years_.size() >= 8) years_.clear();  // a window browsing the centuries keeps a few years
    YearData data;
    for (int y = year - 1; y <= year + 1; ++y)
        for (const TermEntry& t : cal_.termsOfYear(y)) data.terms.push_back({dayNumberOf(t.time), t.index, y});
    std::sort(data.terms.begin(), data.terms.end(), [](const TermDay& a, const TermDay& b) { return a.day < b.day; });
    // The quarters of the lunations around the year, from the mean new moon of 2000-01-06.
    DateTime first{};
    first.year = static_cast<std::int16_t>(year);
    const int d0 = dayNumberOf(first);
    first.year = static_cast<std::int16_t>(year + 1);
    const int d1 = dayNumberOf(first);
    static constexpr std::string_view kPhases[4] = {"朔", "上弦", "望", "下弦"};
    const int k0 = static_cast<int>(std::floor((d0 - 5.6) / 29.530588)) - 1;
    for (int k = k0; k <= k0 + 15; ++k) {
        for (int p = 0; p < 4; ++p) {
            const double w = k * eph::kTwoPi + p * eph::kHalfPi;
            // Solved on the full series every time: the calendar's quick new moon is exact
            // enough for its days, not always for the minute.
            double x = eph::timeOfElongation(w) * 36525;
            x = x - eph::deltaTDays(x) + eph::kBeijing;
            const DateTime t = cal_.dateTimeOf(x + kJ2000);
            const int day = dayNumberOf(t);
            if (day >= d0 && day < d1) data.phases.push_back({day, MoonPhase{std::string(kPhases[p]), t}});
        }
    }
    return years_.emplace(year, std::move(data)).first->second;
}

int AlmanacBuilder::termDay(const YearData& data, int year, int index) {
    for (const TermDay& t : data.terms)
        if (t.year == year && t.index == index) return t.day;
    return 0;  // never: the data hold every term of the three years
}

int AlmanacBuilder::firstStemDay(int from, int stem) { return from + cycleMod(stem - cycleOfDay(from) % 10, 10); }
int AlmanacBuilder::firstBranchDay(int from, int branch) {
    return from + cycleMod(branch - cycleOfDay(from) % 12, 12);
}

bool AlmanacBuilder::build(const DateTime& civil, AlmanacDay& out) {
    if (civil.year < kFirstYear || civil.year > kLastYear) {
        error_ = "黄历只排" + std::to_string(displayYear(kFirstYear)) + "年至" + std::to_string(kLastYear) + "年";
        return false;
    }
    DateTime noon = civil;
    noon.hour = 12;
    noon.minute = 0;
    if (!cal_.dayExists(noon)) {
        error_ = "没有这一天：" + std::to_string(displayYear(civil.year)) + "年" + std::to_string(civil.month) + "月" +
                 std::to_string(civil.day) + "日";
        return false;
    }
    out = AlmanacDay{};
    out.date = civil;
    out.date.hour = 0;
    out.date.minute = 0;
    const int dn = dayNumberOf(civil);
    const YearData& data = yearData(civil.year);
    out.weekday = cycleMod(dn + kJ2000 + 1, 7);
    out.lunar = cal_.solarToLunar(noon, out.lunarLeap);

    // Pillars: the solar month opened by the last 节 on or before the day.
    const TermDay* jie = nullptr;
    const TermDay* term = nullptr;
    for (const TermDay& t : data.terms) {
        if (t.day > dn) break;
        term = &t;
        if (t.index % 2 == 0) jie = &t;
    }
    if (!jie || !term) {  // never inside the accepted years: the terms of the year before are held
        error_ = "这一天的节气无法推算";
        return false;
    }
    const int monthBranch = (jie->index / 2 + 1) % 12;
    const int solarYear = jie->year - (jie->index == 0 ? 1 : 0);
    const int k = cycleMod(monthBranch - 2, 12);  // 寅 month = 0
    out.yearPillar = cycleMod(solarYear - 1984, 60);
    out.monthPillar = cycleMod(12 * (solarYear - 1984) + 2 + k, 60);
    const int c = cycleOfDay(dn);
    out.dayPillar = c;
    const int stem = c % 10, branch = c % 12;
    out.nayin = std::string(nayinName(c + 1));

    out.jianchu = std::string(kJianChu[cycleMod(branch - monthBranch, 12)]);
    const TianShen& god = kTianShen[cycleMod(branch - kQingLongStart[monthBranch], 12)];
    out.tianshen = std::string(god.name);
    out.huangdao = god.huangdao;
    const int mansion = mansionIndex(static_cast<long>(dn) + kJ2000 - 1410961);
    out.xiu = std::string(kMansions[mansion]);
    out.xiuLucky = kMansionLucky[mansion];
    out.chong = std::string(kBranchNames[(branch + 6) % 12]);
    out.chongDesc = chongDescription(c);
    out.sha = std::string(kSha[branch]);
    out.pengzu = {std::string(kPengZuStem[stem]), std::string(kPengZuBranch[branch])};
    out.taishen = std::string(kTaiShen[c]);
    out.directions = {std::string(kXiShen[stem]), std::string(kFuShen[stem]), std::string(kCaiShen[stem]),
                      std::string(kBranchDirection[kYangGui[stem]]), std::string(kBranchDirection[kYinGui[stem]])};

    // The gods of the month on this day, then 宜 and 忌.
    const std::string pillar = name0(c);
    bool virtue = false;
    addUnique(out.yi, kJianChuUsage[cycleMod(branch - monthBranch, 12)].yi);
    addUnique(out.ji, kJianChuUsage[cycleMod(branch - monthBranch, 12)].ji);
    const auto take = [&](std::string_view name, bool lucky) {
        (lucky ? out.jishen : out.xiongsha).emplace_back(name);
        if (const Usage* u = usageOf(name)) {
            addUnique(out.yi, u->yi);
            addUnique(out.ji, u->ji);
        }
        if (name == "天德" || name == "天德合" || name == "月德" || name == "月德合" || name == "天赦") virtue = true;
    };
    for (const MonthGod& g : kMonthGods)
        if (cellHolds(g.cells[static_cast<std::size_t>(k)], pillar, kStemNames[stem], kBranchNames[branch]))
            take(g.name, g.lucky);
    for (const TermDay& t : data.terms) {
        if (t.day != dn + 1) continue;
        if (t.index == 5 || t.index == 11 || t.index == 17 || t.index == 23) take("四离", false);
        if (t.index == 2 || t.index == 8 || t.index == 14 || t.index == 20) take("四绝", false);
    }
    if (std::find(out.ji.begin(), out.ji.end(), kNothingElse) != out.ji.end()) {
        // A 破 or 四废 day: only what the 破 day itself favours stays, everything else waits.
        std::vector<std::string> kept;
        if (out.jianchu == "破") addUnique(kept, kJianChuUsage[6].yi);
        out.yi = kept;
        out.ji = {std::string(kNothingElse)};
    } else {
        // An activity both favoured and advised against: a 德 day keeps it favoured, any other
        // day leaves it out of the favoured ones.
        std::vector<std::string> yi, ji;
        for (const std::string& a : out.yi)
            if (virtue || std::find(out.ji.begin(), out.ji.end(), a) == out.ji.end()) yi.push_back(a);
        for (const std::string& a : out.ji)
            if (!virtue || std::find(out.yi.begin(), out.yi.end(), a) == out.yi.end()) ji.push_back(a);
        out.yi = std::move(yi);
        out.ji = std::move(ji);
    }

    // The twelve double hours.
    for (int h = 0; h < 12; ++h) {
        const int hs = ((stem % 5) * 2 + h) % 10;
        const TianShen& hg = kTianShen[cycleMod(h - kQingLongStart[branch], 12)];
        out.hours.push_back({name0(cycleOf(hs, h)), std::string(hg.name), hg.huangdao,
                             std::string(kBranchNames[(h + 6) % 12])});
    }

    // The season.
    out.hou = std::string(kHou[term->index * 3 + std::min((dn - term->day) / 5, 2)]);
    const int y = civil.year;
    const int winter = termDay(data, dn >= termDay(data, y, 23) ? y : y - 1, 23);
    if (dn - winter < 81) out.shujiu = Counted{std::string(kNines[(dn - winter) / 9]), (dn - winter) % 9 + 1};
    const int firstFu = firstStemDay(termDay(data, y, 11), kGeng) + 20;
    const int lastFu = firstStemDay(termDay(data, y, 14), kGeng);
    if (dn >= firstFu && dn < firstFu + 10) out.fu = Counted{"初伏", dn - firstFu + 1};
    else if (dn >= firstFu + 10 && dn < lastFu) out.fu = Counted{"中伏", dn - firstFu - 9};
    else if (dn >= lastFu && dn < lastFu + 10) out.fu = Counted{"末伏", dn - lastFu + 1};
    if (dn == firstStemDay(termDay(data, y, 10), kBing)) out.seasonal.emplace_back("入梅");
    if (dn == firstBranchDay(termDay(data, y, 12), kWei)) out.seasonal.emplace_back("出梅");
    if (dn == firstStemDay(termDay(data, y, 2), kWu) + 40) out.seasonal.emplace_back("春社");
    if (dn == firstStemDay(termDay(data, y, 14), kWu) + 40) out.seasonal.emplace_back("秋社");
    if (dn == termDay(data, y, 6) - 1) out.seasonal.emplace_back("寒食");
    if (!out.lunarLeap && out.lunar.month == 3 && out.lunar.day == 3) out.seasonal.emplace_back("上巳");
    if (civil.month == 3 && civil.day == 8 && y >= 1950) out.holidays.emplace_back("妇女节");
    if (civil.month == 3 && civil.day == 12 && y >= 1979) out.holidays.emplace_back("植树节");

    // The day's nine star: the last switch on or before the day.
    int start = dn;
    bool ascending = true, found = false;
    for (const TermDay& t : data.terms) {
        if (t.index != 11 && t.index != 23) continue;
        const int s = t.day + cycleMod(-cycleOfDay(t.day), 60);
        if (s <= dn && (!found || s > start)) {
            start = s;
            ascending = t.index == 23;
            found = true;
        }
    }
    const int step = (dn - start) % 9;
    out.nineStar = std::string(kNineStars[ascending ? step : 8 - step]);

    for (const auto& [day, phase] : data.phases)
        if (day == dn) out.moon = phase;
    return true;
}

std::vector<IcalExtraDay> seasonStarts(AlmanacBuilder& builder, int year) {
    std::vector<IcalExtraDay> out;
    if (year < AlmanacBuilder::kFirstYear || year > AlmanacBuilder::kLastYear) return out;
    const int first = dayNumberOf({static_cast<std::int16_t>(year), 1, 1, 0, 0});
    const int last = dayNumberOf({static_cast<std::int16_t>(year + 1), 1, 1, 0, 0});
    AlmanacDay d;
    for (int n = first; n < last; ++n) {
        if (!builder.build(dateOfDayNumber(n), d)) return {};
        for (const auto* span : {&d.fu, &d.shujiu})
            if (*span && (*span)->day == 1) {
                const bool fu = span == &d.fu;
                out.push_back({d.date, (*span)->name,
                               fu ? "三伏：夏至起第三个庚日入初伏，第四个庚日入中伏，立秋起第一个庚日入末伏"
                                  : "数九：冬至起每九天为一九，共九九八十一天"});
            }
    }
    return out;
}

std::string almanacNotes() {
    return "黄历所列是传统历书的内容，供了解民俗之用；宜忌是历书相沿的说法，不是对吉凶的预言。\n"
           "来源与取法：\n"
           "· 建除十二神，黄道黑道十二神（青龙至勾陈），天德、月德、天赦等吉神与月破、月厌等凶煞，"
           "天乙贵人（阳贵、阴贵）：依《协纪辨方书》义例。\n"
           "· 七十二候：依《逸周书·时训解》。\n"
           "· 彭祖百忌、胎神占方、喜神福神财神的方位、二十八宿的吉凶：依民间通书的歌诀，未能查到确切的书名与卷次。\n"
           "· 宜忌：由当日建除与所列吉神凶煞各自的宜忌合成，是对书中说法的简化，不是《协纪辨方书》用事各条的照录。"
           "吉神与建除所宜合为“宜”，凶煞与建除所忌合为“忌”；一事既宜又忌时，逢天德、月德、天德合、月德合或天赦之日"
           "仍列为宜，其余日子不列为宜；月破、四废之日，除破日本身所宜外余事勿取。母仓只按四季取，不计土王用事。\n"
           "· 月份以交节之日整日起算，年份以立春之日起算。时辰的值神以日支起青龙，黄道为吉，黑道为凶。\n"
           "· 九星（日家紫白）：冬至起（含当日）第一个甲子日起一白顺行，夏至起第一个甲子日起九紫逆行。\n"
           "· 三伏：夏至起（含当日）第三个庚日入初伏，第四个庚日入中伏，立秋起第一个庚日入末伏。"
           "数九：冬至当日为一九第一天。入梅：芒种起第一个丙日；出梅：小暑起第一个未日（各家起算不一，"
           "此处含节气当日）。社日：立春、立秋起第五个戊日。寒食：清明前一日。上巳：三月初三。\n"
           "· 月相（朔、上弦、望、下弦）：本程序的日月历表算出的北京时间，到分钟。\n";
}

std::vector<std::string> pengzuPrecepts(const AlmanacDay& d) {
    std::vector<std::string> out;
    for (const auto& line : d.pengzu) {
        // Four characters, counted by UTF-8 lead bytes.
        std::size_t end = 0;
        for (int chars = 0; end < line.size() && chars < 4; ++chars) {
            ++end;
            while (end < line.size() && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80) ++end;
        }
        out.push_back(line.substr(0, end));
    }
    return out;
}

std::string almanacText(const AlmanacDay& d) {
    static constexpr std::string_view kWeek[7] = {"日", "一", "二", "三", "四", "五", "六"};
    const auto join = [](const std::vector<std::string>& v) {
        std::string s;
        for (const std::string& x : v) s += (s.empty() ? "" : " ") + x;
        return s.empty() ? std::string("—") : s;
    };
    const auto two = [](int n) {
        std::string s = std::to_string(n);
        if (n < 10) s.insert(s.begin(), '0');
        return s;
    };
    std::string t = std::to_string(d.date.year) + "-" + two(d.date.month) + "-" + two(d.date.day) + " 星期" +
                    std::string(kWeek[d.weekday]) + "  农历" + (d.lunarLeap ? "闰" : "") +
                    lunarMonthName(d.lunar.month, false) + (d.lunar.day <= 10 ? "初" : "") +
                    chineseNumber(d.lunar.day) + "\n";
    t += "干支：" + name0(d.yearPillar) + "年 " + name0(d.monthPillar) + "月 " + name0(d.dayPillar) + "日  纳音：" +
         d.nayin + "  九星：" + d.nineStar + "\n";
    t += "建除：" + d.jianchu + "  值神：" + d.tianshen + (d.huangdao ? "（黄道）" : "（黑道）") + "  宿：" + d.xiu +
         (d.xiuLucky ? "（吉）" : "（凶）") + "\n";
    t += "冲煞：" + d.chongDesc + " 煞" + d.sha + "  胎神：" + d.taishen + "\n";
    t += "彭祖百忌：" + join(pengzuPrecepts(d)) + "\n";
    t += "方位：喜神" + d.directions.xi + " 福神" + d.directions.fu + " 财神" + d.directions.cai + " 阳贵" +
         d.directions.yanggui + " 阴贵" + d.directions.yingui + "\n";
    t += "吉神宜趋：" + join(d.jishen) + "\n凶煞宜忌：" + join(d.xiongsha) + "\n";
    t += "宜：" + join(d.yi) + "\n忌：" + join(d.ji) + "\n";
    t += "时辰：";
    for (std::size_t i = 0; i < d.hours.size(); ++i)
        t += (i ? " " : "") + d.hours[i].ganzhi + d.hours[i].tianshen + (d.hours[i].lucky ? "吉" : "凶");
    t += "\n物候：" + d.hou;
    if (d.shujiu) t += "  " + d.shujiu->name + "第" + std::to_string(d.shujiu->day) + "天";
    if (d.fu) t += "  " + d.fu->name + "第" + std::to_string(d.fu->day) + "天";
    for (const std::string& s : d.seasonal) t += "  " + s;
    for (const std::string& s : d.holidays) t += "  " + s;
    if (d.moon) t += "\n月相：" + d.moon->phase + " " + two(d.moon->time.hour) + ":" + two(d.moon->time.minute);
    return t + "\n";
}

}  // namespace hj::almanac
