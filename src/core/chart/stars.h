#pragma once
// Auspicious and baleful stars (神煞) and the chart-wide marks of the report's 吉神凶煞 section.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace hj {

// Stars of the pillar at `position` (0 year, 1 month, 2 day, 3 hour), each name followed by a
// blank, in rule order; the day pillar's marks and the hour pillar's 孤鸾 are not included.
// `yearNayinElement` is the element of the year pillar's na yin.
std::string pillarStars(const std::array<std::int16_t, 4>& pillars, bool male, int yearNayinElement,
                        int position);
// 魁罡 金神 阴阳差错 天赦 十恶大败 四废 孤鸾 of the day pillar, each followed by a blank.
std::string dayMarks(int dayPillar, int monthBranch);
// "孤鸾 " when the hour pillar is one of the eight 孤鸾 pillars, else "".
std::string hourMarks(int hourPillar);
// 0 none, 1 天上三奇, 2 地下三奇, 3 人中三奇.
int threeWonders(const std::array<std::int16_t, 4>& pillars);
bool hasDeXiu(const std::array<std::int16_t, 4>& pillars);
bool hasGongLu(int dayPillar, int hourPillar);
// The ☆ lines of 三奇, 德秀 and 拱禄 ("" when none holds).
std::string chartMarkLines(const std::array<std::int16_t, 4>& pillars);

inline constexpr std::string_view kSunSigns[12] = {"白羊", "金牛", "双子", "巨蟹", "狮子", "处女",
                                                   "天秤", "天蝎", "人马", "摩羯", "宝瓶", "双鱼"};
inline constexpr std::string_view kMansions[28] = {"轸", "角", "亢", "氐", "房", "心", "尾",
                                                   "箕", "斗", "牛", "女", "虚", "危", "室",
                                                   "壁", "奎", "娄", "胃", "昴", "毕", "觜",
                                                   "参", "井", "鬼", "柳", "星", "张", "翼"};
inline constexpr std::string_view kTrigrams[9] = {"离", "坎", "坤", "震", "巽", "中", "乾", "兑", "艮"};

// Sun sign index of a Gregorian month, by whether the birth is at or after its mid term.
int sunSignIndex(int gregorianMonth, bool atOrAfterMidTerm);
// Lunar mansion index from the day number n = floor(JD(birthLocal) - 1410960.5).
int mansionIndex(long dayNumber);
// Life trigram (命主福元) index into kTrigrams; east group (东四命) when it is 离 坎 震 巽.
int lifeTrigramIndex(int localYear, int yearPillar, bool male);
bool isEastGroup(int trigramIndex);

}  // namespace hj
