#pragma once
// The built-in province list: its index is what requests, stored cases, search criteria and
// the clipboard text carry, and its names are the section names of dat/dili.ini.
#include <array>
#include <string>
#include <string_view>

namespace hj {

struct ProvinceTable {
    static constexpr int kCount = 35;
    // The last row, "未知地": no place given (120°E, 30°N, place text "未知").
    static constexpr int kUnknown = 34;
    static constexpr float kUnknownLongitude = 120.0f;
    static constexpr float kUnknownLatitude = 30.0f;
    // Each name fits the 9-byte NUL-padded GBK field of the record files.
    static constexpr std::array<std::string_view, kCount> names = {
        "福建省", "北京市", "天津市", "河北省", "山西省", "内蒙古", "辽宁省",
        "吉林省", "黑龙江省", "上海市", "江苏省", "浙江省", "安徽省", "江西省",
        "山东省", "河南省", "湖北省", "湖南省", "广东省", "广西", "海南省",
        "四川省", "重庆市", "贵州省", "云南省", "西藏", "陕西省", "甘肃省",
        "青海省", "宁夏", "新疆", "台湾省", "香港", "澳门", "未知地"};

    static constexpr bool valid(int index) { return index >= 0 && index < kCount; }
    // The name of a row; an empty view outside 0..34.
    static constexpr std::string_view name(int index) { return valid(index) ? names[index] : std::string_view{}; }
    // The row of a name, -1 when it is none of the 35.
    static int indexOf(std::string_view name);
    // The place text of a request: "未知" for the last row, else province + "-" + city, cut to
    // the 31 bytes the request's field holds (never splitting a character).
    static std::string placeText(int province, std::string_view city);
};

}  // namespace hj
