#pragma once
// The marked report as a styled document, the one conversion behind every report file: the
// report pane builds its contents from it, and `cases add` writes it as RTF, so both give the
// same file for the same chart.
#include <string>
#include <string_view>
#include <vector>

#include "core/report/report.h"
#include "core/rtf/rtf.h"

namespace hj {

// One paragraph per line of `report` ("\r\n", "\n" or a lone "\r" end a line), every one with
// the first-line indent `indentTwips`. Characters start in `base`; the spans apply in order, a
// span changing only what it sets: the colour when setColor, bold when bold, and the size when
// sizeDelta is not 0 (base size plus sizeDelta points, at least one point). So a colour
// mark inside the smaller closing part keeps it smaller.
rtf::Document styledReport(std::string_view report, const std::vector<StyleSpan>& spans, const rtf::CharFormat& base,
                           int indentTwips);

// The document of a report as the pane shows it: characters in `font` (the pane font of
// [minggao], ReportSettings::font), every paragraph's first line indented by `leftpos` pixels
// at 96 dpi (the setting leftpos, 15 twips a pixel).
rtf::Document reportDocument(const Report& report, const rtf::CharFormat& font, int leftpos);

}  // namespace hj
