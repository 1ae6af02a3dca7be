#pragma once
// Zones named in Chinese for the report: the zone of a clock reading (北美东部时间) and its
// standard offset (西五区). The names come from resources/data/zone_names.tsv, generated once from
// ICU's Chinese zone names, so a build without ICU reads them alike.
#include <string>
#include <string_view>

namespace hj::zones {

// The Chinese name of the zone id `zone` ("America/New_York" → "北美东部时间"); "" when the table
// has none (an id named only by its offset, or an unknown one).
std::string_view zoneChineseName(std::string_view zone);

// A standard offset from UT: whole hours up to twelve as the zone number ("东八区", "西五区",
// "零时区"), anything else as its difference ("比世界时早5小时30分", "比世界时晚4小时56分2秒").
std::string offsetChineseText(int seconds);

}  // namespace hj::zones
