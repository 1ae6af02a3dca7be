// Geometry of the He Tu and Luo Shu pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "core/divination/he_luo.h"

namespace {

using hj::DrawOp;
using Kind = hj::DrawOp::Kind;

const hj::PictureMetrics kMetrics{450, 450, 13, 15};
constexpr int cx = 225, cy = 225;

std::vector<DrawOp> ofKind(const std::vector<DrawOp>& ops, Kind kind) {
    std::vector<DrawOp> out;
    std::copy_if(ops.begin(), ops.end(), std::back_inserter(out), [kind](const DrawOp& o) { return o.kind == kind; });
    return out;
}

// Dots whose centre lies at distance r from the centre (within the pixel cut).
std::vector<DrawOp> dotsOnRadius(const std::vector<DrawOp>& ops, double r) {
    std::vector<DrawOp> out;
    for (const DrawOp& o : ofKind(ops, Kind::Dot)) {
        const double d = std::hypot(o.x1 - cx, o.y1 - cy);
        if (std::abs(d - r) < 1.5) out.push_back(o);
    }
    return out;
}

const DrawOp* textOp(const std::vector<DrawOp>& ops, const std::string& s) {
    for (const DrawOp& o : ops)
        if (o.kind == Kind::Text && o.text == s) return &o;
    return nullptr;
}

std::size_t count(const std::vector<DrawOp>& ops, hj::PictureColour colour) {
    return static_cast<std::size_t>(std::count_if(ops.begin(), ops.end(), [&](const DrawOp& o) { return o.colour == colour; }));
}

}  // namespace

TEST(HeLuo, PolarPointsAndSectors) {
    EXPECT_EQ(hj::polarPoint(cx, cy, 140, 270), (hj::PicturePoint{225, 365}));  // no pixel lost on an axis
    EXPECT_EQ(hj::polarPoint(cx, cy, 200, 180), (hj::PicturePoint{25, 225}));
    EXPECT_EQ(hj::polarPoint(cx, cy, 50, 36), (hj::PicturePoint{265, 195}));      // 265.45, 195.61
    EXPECT_EQ(hj::polarPoint(cx, cy, 140, 337.5), (hj::PicturePoint{354, 278}));  // 354.34, 278.58
    EXPECT_DOUBLE_EQ(hj::sectorStart(1), 337.5);
    EXPECT_DOUBLE_EQ(hj::sectorStart(2), 67.5);
    EXPECT_DOUBLE_EQ(hj::sectorStart(4), 247.5);
}

TEST(HeLuo, FrameClearsAndTitles) {
    for (const auto& ops : {hj::drawHeTu(kMetrics), hj::drawLuoShu(kMetrics)}) {
        ASSERT_GE(ops.size(), 2u);
        EXPECT_EQ(ops[0].kind, Kind::FillRect);
        EXPECT_EQ(ops[0].x2, 450);
        EXPECT_EQ(ops[0].y2, 450);
        EXPECT_EQ(ops[1].kind, Kind::Text);
        EXPECT_EQ(ops[1].colour, hj::kPictureBlue);
        EXPECT_EQ(ops[1].pointSize, 14);
        EXPECT_EQ(ops[1].x1, 6);
        EXPECT_EQ(ops[1].y1, 6);
    }
    EXPECT_EQ(hj::drawHeTu(kMetrics)[1].text, "河图");
    EXPECT_EQ(hj::drawLuoShu(kMetrics)[1].text, "洛书");
}

TEST(HeLuo, HeTuNumbers) {
    const auto ops = hj::drawHeTu(kMetrics);
    EXPECT_EQ(ofKind(ops, Kind::Dot).size(), 55u);  // 1 + 2 + … + 10
    const auto inner = dotsOnRadius(ops, 140), outer = dotsOnRadius(ops, 200);
    EXPECT_EQ(inner.size(), 10u);  // 4 + 2 + 3 + 1
    EXPECT_EQ(outer.size(), 30u);  // 9 + 7 + 8 + 6
    EXPECT_EQ(count(inner, hj::kPictureRed), 4u);   // 3 and 1
    EXPECT_EQ(count(outer, hj::kPictureRed), 16u);  // 9 and 7
    EXPECT_EQ(dotsOnRadius(ops, 50).size(), 10u);
    EXPECT_EQ(count(dotsOnRadius(ops, 50), hj::kPictureBlack), 10u);
    EXPECT_EQ(count(dotsOnRadius(ops, 18), hj::kPictureRed), 4u);

    // Sector 4 (down) has no inner arc and its one dot sits straight below the centre.
    const auto arcs = ofKind(ops, Kind::Arc);
    ASSERT_EQ(arcs.size(), 7u);
    EXPECT_EQ(std::count_if(arcs.begin(), arcs.end(), [](const DrawOp& a) { return a.r == 140; }), 3);
    EXPECT_FALSE(std::any_of(arcs.begin(), arcs.end(), [](const DrawOp& a) { return a.r == 140 && a.startDeg == 247.5; }));
    ASSERT_EQ(std::count_if(inner.begin(), inner.end(), [](const DrawOp& d) { return d.y1 > cy + 100; }), 1);
    const auto one = std::find_if(inner.begin(), inner.end(), [](const DrawOp& d) { return d.y1 > cy + 100; });
    EXPECT_EQ(one->x1, cx);
    EXPECT_EQ(one->y1, cy + 140);
    EXPECT_EQ(one->colour, hj::kPictureRed);

    // Sector 1 wraps over 0: its arcs run from 337.5 to 22.5, the 4 black dots end on its edges.
    for (const DrawOp& a : arcs) {
        if (a.startDeg != 337.5) continue;
        EXPECT_DOUBLE_EQ(a.endDeg, 22.5);
        EXPECT_EQ(a.colour, a.r == 140 ? hj::kPictureBlack : hj::kPictureRed);  // 4 even, 9 odd
    }
    std::vector<hj::PicturePoint> right;
    for (const DrawOp& d : inner)
        if (d.x1 > cx + 100) right.push_back({d.x1, d.y1});
    const std::vector<hj::PicturePoint> expected = {hj::polarPoint(cx, cy, 140, 337.5), hj::polarPoint(cx, cy, 140, 352.5),
                                                    hj::polarPoint(cx, cy, 140, 7.5), hj::polarPoint(cx, cy, 140, 22.5)};
    EXPECT_EQ(right, expected);
}

TEST(HeTu, LabelsStayNearTheirPlaces) {
    const auto ops = hj::drawHeTu(kMetrics);
    const int tw = kMetrics.tw, th = kMetrics.th;
    // The places the drawing gives; a label may move off a dot or an arc, but not far.
    const struct { const char* text; int x, y; } cases[] = {
        {"四地", cx + 110, cy},               {"九天", cx + 170, cy},
        {"二地", cx - tw, cy - 110 - 2 * th}, {"七天", cx - tw, cy - 170 - 2 * th},
        {"三天", cx - 110 - 2 * tw, cy},      {"八地", cx - 170 - 2 * tw, cy},
        {"一天", cx - tw, cy + 110},          {"六地", cx - tw, cy + 170 + th},
        {"五  天", cx - 18, cy - 18},
    };
    for (const auto& c : cases) {
        const DrawOp* t = textOp(ops, c.text);
        ASSERT_NE(t, nullptr) << c.text;
        EXPECT_LE(std::hypot(t->x1 - c.x, t->y1 - c.y), 2.0 * th) << c.text;
        EXPECT_EQ(t->colour, hj::kPictureBlack) << c.text;
    }
    // Inner numbers stay inside the radius-140 ring, outer ones between the two rings.
    for (const char* inner : {"四地", "二地", "三天", "一天"}) {
        const auto run = hj::textRuns(*textOp(ops, inner), kMetrics).at(0);
        EXPECT_LT(std::hypot((run.left + run.right) / 2.0 - cx, (run.top + run.bottom) / 2.0 - cy), 140) << inner;
    }
    for (const char* outer : {"九天", "七天", "八地", "六地"}) {
        const auto run = hj::textRuns(*textOp(ops, outer), kMetrics).at(0);
        const double d = std::hypot((run.left + run.right) / 2.0 - cx, (run.top + run.bottom) / 2.0 - cy);
        EXPECT_GT(d, 140) << outer;
        EXPECT_LT(d, 200) << outer;
    }
}

// Distance from a point to a rectangle [l, r] x [t, b] (0 inside).
double distanceToBox(double x, double y, double l, double t, double r, double b) {
    const double dx = std::max({l - x, 0.0, x - r}), dy = std::max({t - y, 0.0, y - b});
    return std::hypot(dx, dy);
}

// Every label (and each run of it between spaces) keeps clear of every dot, circle, arc and
// line, and of the other labels, whatever the size of the font the window measured.
TEST(HeLuo, LabelsLeaveTheDrawingVisible) {
    const hj::PictureMetrics metrics[] = {{450, 450, 12, 14}, {450, 450, 13, 15}, {450, 450, 13, 17},
                                          {450, 450, 14, 19}, {450, 450, 16, 21}, {450, 450, 17, 23}};
    for (const auto& m : metrics) {
        for (const auto& ops : {hj::drawHeTu(m), hj::drawLuoShu(m)}) {
            const std::string pic = ops[1].text + " " + std::to_string(m.tw) + "x" + std::to_string(m.th);
            std::vector<std::pair<std::string, hj::TextRun>> runs;
            for (const DrawOp& t : ofKind(ops, Kind::Text))
                if (t.pointSize == 10 && !t.pinned)
                    for (const auto& r : hj::textRuns(t, m)) runs.emplace_back(t.text, r);
            ASSERT_GE(runs.size(), 10u);
            for (const auto& [text, r] : runs) {
                const std::string what = pic + " " + text;
                // Ink is drawn on pixel centres; the box's pixels span [left, right) x [top, bottom).
                const double l = r.left, t = r.top, rr = r.right, b = r.bottom;
                const auto clear = [&](double x, double y, double reach) {
                    return distanceToBox(x + 0.5, y + 0.5, l, t, rr, b) > reach;
                };
                EXPECT_TRUE(l >= 0 && t >= 0 && rr <= m.width && b <= m.height) << what;
                for (const DrawOp& o : ops) {
                    if (o.kind == Kind::Dot) {
                        EXPECT_TRUE(clear(o.x1, o.y1, o.r + 1.0)) << what << " on a dot at " << o.x1 << "," << o.y1;
                    } else if (o.kind == Kind::Circle || o.kind == Kind::Arc) {
                        double from = 0, span = 360;
                        if (o.kind == Kind::Arc) {
                            from = o.startDeg;
                            span = o.endDeg > o.startDeg ? o.endDeg - o.startDeg : o.endDeg + 360 - o.startDeg;
                        }
                        bool ok = true;
                        for (double a = from; a <= from + span; a += 0.1) {
                            const double rad = a * std::acos(-1.0) / 180;
                            ok = ok && clear(o.x1 + o.r * std::cos(rad), o.y1 - o.r * std::sin(rad), 1.0);
                        }
                        EXPECT_TRUE(ok) << what << " on the curve of radius " << o.r;
                    } else if (o.kind == Kind::Line) {
                        bool ok = true;
                        for (double k = 0; k <= 1.0; k += 0.01)
                            ok = ok && clear(o.x1 + k * (o.x2 - o.x1), o.y1 + k * (o.y2 - o.y1), 1.0);
                        EXPECT_TRUE(ok) << what << " on a line";
                    }
                }
                for (const auto& [other, q] : runs) {
                    if (&q == &r) continue;
                    const bool apart = q.right + 1 < r.left || r.right + 1 < q.left || q.bottom + 1 < r.top || r.bottom + 1 < q.top;
                    EXPECT_TRUE(apart) << what << " on " << other;
                }
            }
        }
    }
}

// A run is as wide as its characters: Chinese ones tw, others half that; spaces split runs.
TEST(HeLuo, TextRuns) {
    DrawOp five;
    five.kind = Kind::Text;
    five.x1 = 100;
    five.y1 = 50;
    five.text = "五  天";
    const auto runs = hj::textRuns(five, kMetrics);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].left, 100);
    EXPECT_EQ(runs[0].right, 113);
    EXPECT_EQ(runs[1].left, 113 + 2 * 6);
    EXPECT_EQ(runs[1].bottom, 50 + 15);
    EXPECT_EQ(five.text.substr(runs[1].from, runs[1].length), "天");
    five.pointSize = 14;  // the title's size scales the cells
    five.text = "河图";
    EXPECT_EQ(hj::textRuns(five, kMetrics).at(0).right, 100 + 2 * 18);
}

TEST(HeLuo, LuoShuNumbers) {
    const auto ops = hj::drawLuoShu(kMetrics);
    const auto rim = dotsOnRadius(ops, 200);
    EXPECT_EQ(rim.size(), 20u);  // 7 + 9 + 3 + 1
    EXPECT_EQ(count(rim, hj::kPictureRed), 20u);
    ASSERT_EQ(std::count_if(rim.begin(), rim.end(), [](const DrawOp& d) { return d.y1 > cy + 150; }), 1);
    const auto one = std::find_if(rim.begin(), rim.end(), [](const DrawOp& d) { return d.y1 > cy + 150; });
    EXPECT_EQ(one->x1, cx);
    EXPECT_EQ(one->y1, cy + 200);

    const auto arcs = ofKind(ops, Kind::Arc);
    ASSERT_EQ(arcs.size(), 3u);  // none for sector 4
    EXPECT_DOUBLE_EQ(arcs[0].startDeg, 337.5);
    EXPECT_DOUBLE_EQ(arcs[0].endDeg, 22.5);

    // The corners' black dots: 2, 2 x 2, 2 x 4 and 2 x 3, chained by 15 short lines.
    std::size_t black = 0;
    for (const DrawOp& d : ofKind(ops, Kind::Dot)) black += d.colour == hj::kPictureBlack;
    EXPECT_EQ(black, 20u);
    std::size_t blackLines = 0;
    for (const DrawOp& l : ofKind(ops, Kind::Line)) blackLines += l.colour == hj::kPictureBlack;
    EXPECT_EQ(blackLines, 15u);
    // Corner 1: one ray at 45 degrees, dots at radii 210 and 195.
    std::vector<hj::PicturePoint> upperRight;
    for (const DrawOp& d : ofKind(ops, Kind::Dot))
        if (d.colour == hj::kPictureBlack && d.x1 > cx && d.y1 < cy) upperRight.push_back({d.x1, d.y1});
    EXPECT_EQ(upperRight, (std::vector<hj::PicturePoint>{hj::polarPoint(cx, cy, 210, 45), hj::polarPoint(cx, cy, 195, 45)}));

    // Element circles at 130 with their names centred.
    const int tw = kMetrics.tw, th = kMetrics.th;
    const DrawOp* shui = textOp(ops, "水");
    ASSERT_NE(shui, nullptr);
    EXPECT_EQ(shui->x1, cx - tw / 2);
    EXPECT_EQ(shui->y1, cy + 130 - th / 2);
    EXPECT_TRUE(textOp(ops, "水")->pinned);
    // Corner names start from their polar places and move off the rays only a little.
    const DrawOp* heihei = textOp(ops, "二黑");
    ASSERT_NE(heihei, nullptr);
    const hj::PicturePoint heiAt = hj::polarPoint(cx, cy, 175, 50);
    EXPECT_LE(std::hypot(heihei->x1 - heiAt.x, heihei->y1 - heiAt.y), 2.0 * th);
    const DrawOp* lv = textOp(ops, "四绿");
    ASSERT_NE(lv, nullptr);
    const hj::PicturePoint lvAt = hj::polarPoint(cx, cy, 175, 140);
    EXPECT_LE(std::hypot(lv->x1 - (lvAt.x - 3 * tw - 2), lv->y1 - (lvAt.y - 28)), 2.0 * th);
}
