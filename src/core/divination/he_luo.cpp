#include "core/divination/he_luo.h"

#include <cmath>
#include <numbers>
#include <string_view>

namespace hj {
namespace {

constexpr std::string_view kNumberNames[10] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};

struct Dir {
    int dx, dy;
};
// Sectors 1..4: right, up, left, down.
constexpr Dir kDirections[4] = {{1, 0}, {0, -1}, {-1, 0}, {0, 1}};

// Drops the fraction; a value within rounding noise of an integer counts as that integer, so
// that a point on an axis (cos 90 = 6e-17) does not slip a pixel.
int dropFraction(double v) {
    const double nearest = std::round(v);
    return std::fabs(v - nearest) < 1e-6 ? static_cast<int>(nearest) : static_cast<int>(std::trunc(v));
}

PictureColour colourOf(int number) { return number % 2 != 0 ? kPictureRed : kPictureBlack; }

class Canvas {
public:
    Canvas(const PictureMetrics& m, std::vector<DrawOp>& ops) : m_(m), ops_(ops) {}
    PictureColour pen = kPictureBlack;

    void fill() { push(make(DrawOp::Kind::FillRect, 0, 0, m_.width, m_.height)); }
    void circle(int x, int y, int r) {
        DrawOp op = make(DrawOp::Kind::Circle, x, y);
        op.r = r;
        push(op);
    }
    void dot(int x, int y) {
        DrawOp op = make(DrawOp::Kind::Dot, x, y);
        op.r = kDotRadius;
        push(op);
    }
    void dot(PicturePoint p) { dot(p.x, p.y); }
    void arc(int x, int y, int r, double start, double end) {
        DrawOp op = make(DrawOp::Kind::Arc, x, y);
        op.r = r;
        op.startDeg = start;
        op.endDeg = end;
        push(op);
    }
    void line(int x1, int y1, int x2, int y2) { push(make(DrawOp::Kind::Line, x1, y1, x2, y2)); }
    void line(PicturePoint a, PicturePoint b) { line(a.x, a.y, b.x, b.y); }
    void text(int x, int y, std::string_view s, PictureColour colour = kPictureBlack, int size = 10) {
        DrawOp op = make(DrawOp::Kind::Text, x, y);
        op.colour = colour;
        op.text = std::string(s);
        op.pointSize = size;
        push(op);
    }
    // A name centred in the circle around it.
    void pinnedText(int x, int y, std::string_view s) {
        text(x, y, s);
        ops_.back().pinned = true;
    }

private:
    DrawOp make(DrawOp::Kind kind, int x1, int y1, int x2 = 0, int y2 = 0) const {
        DrawOp op;
        op.kind = kind;
        op.colour = pen;
        op.x1 = x1;
        op.y1 = y1;
        op.x2 = x2;
        op.y2 = y2;
        return op;
    }
    void push(DrawOp op) { ops_.push_back(std::move(op)); }
    const PictureMetrics& m_;
    std::vector<DrawOp>& ops_;
};

double wrap360(double a) {
    a = std::fmod(a, 360.0);
    return a < 0 ? a + 360.0 : a;
}

// Background, outline colour and title; the picture follows.
void frame(Canvas& c, std::string_view title) {
    c.pen = kPictureBlack;
    c.fill();
    c.text(6, 6, title, kPictureBlue, 14);
}

// `count` dots in `colour` spread over sector k on the circle of radius r: from edge to edge,
// or one in the middle.
void sectorDots(Canvas& c, int cx, int cy, int k, int r, int count) {
    const double a = sectorStart(k);
    if (count == 1) {
        c.dot(polarPoint(cx, cy, r, a + 22.5));
        return;
    }
    for (int j = 0; j < count; ++j) c.dot(polarPoint(cx, cy, r, a + j * 45.0 / (count - 1)));
}

// A label at distance `dist` in the direction of sector k, moved off the axis so it sits beside
// the dots rather than on them.
void sectorLabel(Canvas& c, const PictureMetrics& m, int cx, int cy, int k, int dist, std::string_view s,
                 bool outerBelow) {
    const Dir d = kDirections[k - 1];
    int x = cx + dist * d.dx, y = cy + dist * d.dy;
    switch (k) {
    case 2: x -= m.tw; y -= 2 * m.th; break;
    case 3: x -= 2 * m.tw; break;
    case 4: x -= m.tw; if (outerBelow) y += m.th; break;
    default: break;
    }
    c.text(x, y, s);
}

std::string numberLabel(int n) { return std::string(kNumberNames[n]) + (n % 2 != 0 ? "天" : "地"); }

}  // namespace

PicturePoint polarPoint(int cx, int cy, double r, double angleDeg) {
    const double rad = angleDeg * std::numbers::pi / 180.0;
    return {dropFraction(cx + r * std::cos(rad)), dropFraction(cy - r * std::sin(rad))};
}

double sectorStart(int k) { return wrap360((k - 1) * 90.0 - 22.5); }

std::vector<DrawOp> drawHeTu(const PictureMetrics& m) {
    std::vector<DrawOp> ops;
    Canvas c(m, ops);
    const int cx = m.width / 2, cy = m.height / 2;
    frame(c, "河图");

    c.pen = kPictureBlack;
    c.circle(cx, cy, (m.width - 10) / 2);
    c.circle(cx, cy, 50);
    c.pen = kPictureRed;
    c.dot(cx, cy);
    c.pen = kPictureBlack;
    for (int j = 0; j < 10; ++j) c.dot(polarPoint(cx, cy, 50, j * 36.0));
    c.text(cx - 49, cy - 5, "十地");
    c.text(cx + 23, cy - 5, "十地");
    c.text(cx - 18, cy - 18, "五  天");

    constexpr int kInner[4] = {4, 2, 3, 1};
    for (int k = 1; k <= 4; ++k) {
        const Dir d = kDirections[k - 1];
        const int p = kInner[k - 1], q = p + 5;
        const double a = sectorStart(k), b = wrap360(a + 45);
        c.pen = kPictureRed;
        c.line(cx + 6 * d.dx, cy + 6 * d.dy, cx + 21 * d.dx, cy + 21 * d.dy);
        c.dot(cx + 18 * d.dx, cy + 18 * d.dy);
        if (k < 4) {
            c.pen = colourOf(p);
            c.arc(cx, cy, 140, a, b);
        }
        c.pen = colourOf(q);
        c.arc(cx, cy, 200, a, b);
        sectorLabel(c, m, cx, cy, k, 110, numberLabel(p), false);
        c.pen = colourOf(p);
        sectorDots(c, cx, cy, k, 140, p);
        sectorLabel(c, m, cx, cy, k, 170, numberLabel(q), true);
        c.pen = colourOf(q);
        sectorDots(c, cx, cy, k, 200, q);
    }
    placeLabels(ops, m);
    return ops;
}

std::vector<DrawOp> drawLuoShu(const PictureMetrics& m) {
    std::vector<DrawOp> ops;
    Canvas c(m, ops);
    const int cx = m.width / 2, cy = m.height / 2;
    const int small = (m.tw + 10) / 2;
    frame(c, "洛书");

    c.pen = kPictureBlack;
    c.circle(cx, cy, (m.width - 10) / 2);
    c.circle(cx, cy, 90);
    c.pen = kPictureRed;
    c.circle(cx, cy, small);
    c.pinnedText(cx - m.tw / 2, cy - m.th / 2, "土");
    c.text(cx - 22, cy + 30, "五   黄");

    constexpr std::string_view kElements[4] = {"金", "火", "木", "水"};
    constexpr int kCardinal[4] = {7, 9, 3, 1};
    constexpr std::string_view kCardinalNames[4] = {"七赤", "九紫", "三碧", "一白"};
    for (int k = 1; k <= 4; ++k) {
        const Dir d = kDirections[k - 1];
        const double a = sectorStart(k), b = wrap360(a + 45);
        c.pen = kPictureRed;
        const int x0 = cx + d.dx * m.tw, y0 = cy + d.dy * m.th;
        c.line(x0, y0, x0 + 35 * d.dx, y0 + 35 * d.dy);
        c.dot(cx + d.dx * (m.tw + 36), cy + d.dy * (m.th + 36));
        const int ex = cx + 130 * d.dx, ey = cy + 130 * d.dy;
        c.circle(ex, ey, small);
        c.pinnedText(ex - m.tw / 2, ey - m.th / 2, kElements[k - 1]);
        if (k < 4) c.arc(cx, cy, 200, a, b);
        sectorLabel(c, m, cx, cy, k, 170, kCardinalNames[k - 1], false);
        sectorDots(c, cx, cy, k, 200, kCardinal[k - 1]);
    }

    constexpr int kCornerNumber[4] = {2, 4, 8, 6};
    constexpr std::string_view kCornerNames[4] = {"二黑", "四绿", "八白", "六白"};
    c.pen = kPictureBlack;
    for (int k = 1; k <= 4; ++k) {
        const double e = k * 90.0 - 45;
        const int dots = k == 1 ? 2 : kCornerNumber[k - 1] / 2;
        PicturePoint at = polarPoint(cx, cy, 175, e + 5);
        switch (k) {
        case 2: at.x -= 3 * m.tw + 2; at.y -= 28; break;
        case 3: at.x -= 2 * m.tw; at.y += 6; break;
        case 4: at.x += 4; at.y += 6; break;
        default: break;
        }
        c.text(at.x, at.y, kCornerNames[k - 1]);
        const int rays = k == 1 ? 1 : 2;
        for (int ray = 0; ray < rays; ++ray) {
            const double angle = e + 10 * ray;
            for (int i = 0; i < dots; ++i) {
                const int r = 210 - 15 * i;
                c.dot(polarPoint(cx, cy, r, angle));
                if (k > 1 && i + 1 < dots)
                    c.line(polarPoint(cx, cy, r - 6, angle), polarPoint(cx, cy, r - 12, angle));
            }
            if (k > 1 && ray == 0) {
                const int inner = 210 - 15 * (dots - 1);
                c.line(polarPoint(cx, cy, inner, e), polarPoint(cx, cy, inner, e + 10));
            }
        }
    }
    placeLabels(ops, m);
    return ops;
}

}  // namespace hj
