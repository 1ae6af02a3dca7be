#pragma once
// The marked report as a styled document, the one conversion behind every report file: the
// report pane builds its contents from it, and `cases add` writes it as RTF, so both give the
// same file for the same chart.
#include <string>
#include <string_view>
#include <vector>

#include "core/chart/chart_record.h"
#include "core/rtf/rtf.h"

namespace hj {

// One paragraph per line of `report` ("\r\n", "\n" or a lone "\r" end a line), every one with
// the first-line indent `indentTwips`. Characters start in `base`; the spans apply in order, a
// span changing only what it sets: the colour when setColor, bold when bold, and the size when
// sizeDelta is not 0 (base size plus sizeDelta points, at least one point). So a colour
// mark inside the smaller closing part keeps it smaller.
rtf::Document styledReport(std::string_view report, const std::vector<StyleSpan>& spans, const rtf::CharFormat& base,
                           int indentTwips);

// The document of a chart just built with reportOutput off, as the pane would show it: the
// pane font of [minggao] in the data folder's bzinit.ini (宋体 12 by default), the first-line
// indent of the chart's settings (pixels at 96 dpi, 15 twips each).
rtf::Document reportDocumentOf(const ChartRecord& chart, const std::string& dataDir);

}  // namespace hj
