#pragma once
// A picture as a list of drawing primitives, laid out once and replayed by each target: SVG
// text here (writeSvg), a QPainter on screen, in a PNG and on paper (src/paint). Coordinates
// are logical pixels, y downwards; a replay scales them as a whole.
//
// Texts carry a box and an alignment instead of a position: the replay places them with its own
// font metrics, so the layout needs none. A text is centred vertically in its box.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace hj::card {

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

struct Rect {
    double x = 0, y = 0, w = 0, h = 0;
    bool contains(double px, double py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

enum class Align { Left, Center, Right };

struct BoxItem {
    Rect rect;
    bool filled = false;
    Colour fill;
    double strokeWidth = 0;  // 0: no outline
    Colour stroke;
    double radius = 0;
};

struct LineItem {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double width = 1;
    Colour colour;
    bool dashed = false;
};

struct TextItem {
    Rect box;
    std::string text;  // UTF-8, one line
    double size = 12;  // pixel size
    bool bold = false;
    Colour colour;
    Align align = Align::Left;
};

using DrawItem = std::variant<BoxItem, LineItem, TextItem>;

// A place the user can click, and what it stands for.
struct HitBox {
    enum Kind { Luck, Year };
    Kind kind = Luck;
    int value = 0;  // Luck: 1..8; Year: astronomical year
    Rect rect;
};

struct Drawing {
    double width = 0, height = 0;
    Colour background{255, 255, 255, 255};
    std::vector<std::string> fontFamilies;  // first found is used
    std::vector<DrawItem> items;            // in painting order
    std::vector<HitBox> hits;
};

// The picture as an SVG document (UTF-8), `scale` times its logical size.
std::string writeSvg(const Drawing& drawing, double scale = 1.0);

}  // namespace hj::card
