#include "core/places/province_table.h"

#include "core/text/gbk.h"

namespace hj {

int ProvinceTable::indexOf(std::string_view n) {
    for (int i = 0; i < kCount; ++i)
        if (names[i] == n) return i;
    return -1;
}

std::string ProvinceTable::placeText(int province, std::string_view city) {
    if (province == kUnknown || !valid(province)) return "未知";
    std::string s(names[province]);
    s += '-';
    s += city;
    return text::truncateGbk(s, 31);
}

}  // namespace hj
