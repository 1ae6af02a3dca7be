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

TEST(HeTu, Labels) {
    const auto ops = hj::drawHeTu(kMetrics);
    const int tw = kMetrics.tw, th = kMetrics.th;
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
        EXPECT_EQ(t->x1, c.x) << c.text;
        EXPECT_EQ(t->y1, c.y) << c.text;
        EXPECT_EQ(t->colour, hj::kPictureBlack) << c.text;
    }
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
    const DrawOp* heihei = textOp(ops, "二黑");
    ASSERT_NE(heihei, nullptr);
    EXPECT_EQ(heihei->x1, hj::polarPoint(cx, cy, 175, 50).x);
    const DrawOp* lv = textOp(ops, "四绿");
    ASSERT_NE(lv, nullptr);
    EXPECT_EQ(lv->x1, hj::polarPoint(cx, cy, 175, 140).x - 3 * tw - 2);
    EXPECT_EQ(lv->y1, hj::polarPoint(cx, cy, 175, 140).y - 28);
}
