#pragma once
// The chart command's pictures: --svg FILE and --png FILE write the chart as a picture (命盘),
// --scale N its size (2: about 1080 pixels wide). SVG is plain text from the engine; PNG needs
// Qt's painter, which a build without Qt lacks (it says so and fails).
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <string>

#include "core/card/chart_card.h"
#include "core/chart/chart.h"

namespace hj::cli {

struct PictureOptions {
    std::string svg, png;
    int scale = 2;
    bool any() const { return !svg.empty() || !png.empty(); }
};

void addPictureOptions(CLI::App* chart, PictureOptions& o);

// Writes the pictures asked for, each file replaced whole or not at all; false with a message.
bool writePictures(const Chart& chart, const card::CardChoice& choice, const PictureOptions& o, std::string& error);

// The JSON of the card's pillars: "pillarsDetail" of the chart object.
nlohmann::json pillarsDetailJson(const card::ChartCard& card);

}  // namespace hj::cli
