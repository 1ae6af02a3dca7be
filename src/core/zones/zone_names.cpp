#include "core/zones/zone_names.h"

#include <cstdlib>
#include <map>

#include "core/calendar/datetime.h"
#include "core/resources.h"

namespace hj::zones {

std::string_view zoneChineseName(std::string_view zone) {
    // zone TAB name, one a line; '#' lines are comments.
    static const std::map<std::string_view, std::string_view, std::less<>> names = [] {
        std::map<std::string_view, std::string_view, std::less<>> m;
        std::string_view data = embeddedResource("data/zone_names.tsv");
        while (!data.empty()) {
            const std::size_t nl = data.find('\n');
            std::string_view line = data.substr(0, nl);
            data = nl == std::string_view::npos ? std::string_view{} : data.substr(nl + 1);
            const std::size_t tab = line.find('\t');
            if (line.empty() || line.front() == '#' || tab == std::string_view::npos) continue;
            m.emplace(line.substr(0, tab), line.substr(tab + 1));
        }
        return m;
    }();
    const auto it = names.find(zone);
    return it == names.end() ? std::string_view{} : it->second;
}

std::string offsetChineseText(int seconds) {
    const int a = std::abs(seconds);
    if (a == 0) return "零时区";
    if (a % 3600 == 0 && a <= 12 * 3600) return (seconds > 0 ? "东" : "西") + chineseNumber(a / 3600) + "区";
    const int h = a / 3600, m = a / 60 % 60, s = a % 60;
    std::string r = seconds > 0 ? "比世界时早" : "比世界时晚";
    if (h) r += std::to_string(h) + "小时";
    if (m) r += std::to_string(m) + "分";
    if (s) r += std::to_string(s) + "秒";
    return r;
}

}  // namespace hj::zones
