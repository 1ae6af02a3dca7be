#pragma once
// 河图 and 洛书 as a list of drawing primitives on a 450 x 450 picture (y grows downwards), so
// any 2-D surface can paint them and their geometry can be checked.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hj {

struct PictureColour {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const PictureColour&, const PictureColour&) = default;
};

inline constexpr PictureColour kPictureBackground{226, 234, 179};
inline constexpr PictureColour kPictureRed{255, 0, 0};
inline constexpr PictureColour kPictureBlack{0, 0, 0};
inline constexpr PictureColour kPictureBlue{0, 0, 255};

inline constexpr int kDotRadius = 3;

struct DrawOp {
    enum class Kind {
        FillRect,  // (x1, y1)-(x2, y2) filled with the background, no outline
        Circle,    // centre (x1, y1), radius r; outline in `colour`, inside filled with the background
        Dot,       // centre (x1, y1), radius kDotRadius, like Circle
        Arc,       // centre (x1, y1), radius r, counter-clockwise from startDeg to endDeg, no fill
        Line,      // (x1, y1)-(x2, y2)
        Text,      // `text` with its top-left corner at (x1, y1), in `colour`, `pointSize` points
    };
    Kind kind = Kind::Line;
    PictureColour colour;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0, r = 0;
    double startDeg = 0, endDeg = 0;  // Arc: angles in 0..360, 0 = right, 90 = up
    std::string text;                 // UTF-8
    int pointSize = 10;
    bool pinned = false;              // Text: the name inside a circle, never moved
    friend bool operator==(const DrawOp&, const DrawOp&) = default;
};

struct PictureMetrics {
    int width = 450, height = 450;
    int tw = 13, th = 13;  // width and height of "字" in the picture font, measured by the window
};

// A point at radius r and angle a (degrees, counter-clockwise from the right) around (cx, cy),
// each coordinate cut to an integer by dropping the fraction.
struct PicturePoint {
    int x, y;
    friend bool operator==(const PicturePoint&, const PicturePoint&) = default;
};
PicturePoint polarPoint(int cx, int cy, double r, double angleDeg);

// Start angle of sector k (1..4), the 45-degree sector centred on (k - 1) * 90, in 0..360.
double sectorStart(int k);

// The pictures. Their labels are moved from the places the drawing gives them to the nearest
// places that leave every dot, line, arc and circle visible (see placeLabels).
std::vector<DrawOp> drawHeTu(const PictureMetrics& m);
std::vector<DrawOp> drawLuoShu(const PictureMetrics& m);

// A run of a text's characters between spaces, as the picture lays it out: a Chinese
// character is tw wide and any other character half that (both scaled with the point size),
// th high. `from` and `length` are the run's bytes in the text; right and bottom are exclusive.
struct TextRun {
    int left = 0, top = 0, right = 0, bottom = 0;
    std::size_t from = 0, length = 0;
};
std::vector<TextRun> textRuns(const DrawOp& text, const PictureMetrics& m);

// Clearance in pixels between a label and any other ink.
inline constexpr int kLabelGap = 2;

// Moves each 10-point label that is not pinned to the nearest place (at most kLabelSearch pixels away) where its
// runs stay inside the picture and keep kLabelGap pixels clear of every dot, line, arc and
// circle and of the labels placed before it. A label with no such place stays where it was.
inline constexpr int kLabelSearch = 60;
void placeLabels(std::vector<DrawOp>& ops, const PictureMetrics& m);

}  // namespace hj
