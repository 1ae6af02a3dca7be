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
    bool svgGiven = false, pngGiven = false;  // the option was on the command line, even empty
    int scale = 2;
    bool any() const { return svgGiven || pngGiven; }
};

void addPictureOptions(CLI::App* chart, PictureOptions& o);

// Writes the pictures asked for; false with a message. A regular file (or a missing one) is
// replaced whole or not at all, through a link the file it names; a device or FIFO is written
// to as a stream, and so is standard output for "-". An empty name is refused.
bool writePictures(const Chart& chart, const card::CardChoice& choice, const PictureOptions& o, std::string& error);

// The JSON of the card's pillars: "pillarsDetail" of the chart object.
nlohmann::json pillarsDetailJson(const card::ChartCard& card);

}  // namespace hj::cli
