#pragma once
// The reverse chart search's own term table: for every month from January 1900 to December
// 2050, the month's jie term (小寒 in January, 立春 in February, …, 大雪 in December) and its
// mid term (大寒, 雨水, …, 冬至), Beijing time, to the minute.
//
// Entry (year - 1900) * 12 + (month - 1) packs
//   bits  0-4  day,  5-9  hour, 10-15 minute of the jie term,
//   bits 16-20 day, 21-25 hour, 26-31 minute of the mid term.
// The values are generated from the program's own ephemeris by tools/gen_jie_table.cpp
// (jie_table.cpp is its output; regenerate rather than edit).
#include <array>
#include <cstdint>

namespace hj {

inline constexpr int kJieTableFirstYear = 1900;
inline constexpr int kJieTableLastYear = 2050;
inline constexpr int kJieTableSize = (kJieTableLastYear - kJieTableFirstYear + 1) * 12;

extern const std::array<std::uint32_t, kJieTableSize> JieTable;

// Packs one month's two instants in the layout above.
constexpr std::uint32_t packJieEntry(int jieDay, int jieHour, int jieMinute, int midDay, int midHour,
                                     int midMinute) {
    return static_cast<std::uint32_t>(jieDay) | static_cast<std::uint32_t>(jieHour) << 5 |
           static_cast<std::uint32_t>(jieMinute) << 10 | static_cast<std::uint32_t>(midDay) << 16 |
           static_cast<std::uint32_t>(midHour) << 21 | static_cast<std::uint32_t>(midMinute) << 26;
}

}  // namespace hj
