#pragma once
// The card laid out once, for every target: the header, the four pillars in columns, the
// relations drawn between the columns they join, the element bars, the luck strip and the
// years of the chosen luck pillar. kCardWidth logical pixels wide (2× gives a picture about
// 1080 pixels wide, as phones show it); the height follows the content.
//
// Colours: the elements in their traditional colours (木 green, 火 red, 土 ochre, 金 gold,
// 水 blue), dark enough to read in grey print; combinations green and solid, clashes red and
// dashed, so the two stay apart without colour too.
#include "core/card/chart_card.h"
#include "core/card/drawing.h"

namespace hj::card {

inline constexpr double kCardWidth = 540;

struct CardLayoutOptions {
    bool luck = true;   // the luck strip
    bool years = true;  // the ten years of the chosen luck pillar (needs `luck`)
    bool judgement = true;  // the judgement's line under the elements
};

// The colour of element `element` (0 水 … 4 金); `light` for hidden stems.
Colour elementColour(int element, bool light = false);

Drawing layoutChartCard(const ChartCard& card, const CardLayoutOptions& options = {});

}  // namespace hj::card
