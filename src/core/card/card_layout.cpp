#include "core/card/card_layout.h"

#include <algorithm>

#include "core/calendar/datetime.h"
#include "core/text/utf8.h"
#include "core/traditional/conversion.h"

namespace hj::card {
namespace {

constexpr double kMargin = 16;
constexpr double kLabelWidth = 56;  // the row labels left of the pillar columns
constexpr double kBodyX = kMargin + kLabelWidth;
constexpr double kBodyWidth = kCardWidth - kMargin - kBodyX;
constexpr double kColumn = kBodyWidth / 4;

constexpr Colour kInk{34, 34, 34};
constexpr Colour kMuted{96, 96, 96};
constexpr Colour kRule{200, 200, 200};
constexpr Colour kDayColumn{247, 243, 233};
constexpr Colour kChosenFill{255, 242, 212};
constexpr Colour kChosenEdge{176, 138, 62};
constexpr Colour kMark{192, 32, 32};
// As the analysis dock colours its rows.
constexpr Colour kFavourable{26, 127, 55};
constexpr Colour kClash{192, 32, 32};
// Luck pillars and years that bring the useful elements, or the adverse ones: a light fill and
// a bar along the foot of the cell (the bar still tells them apart in grey print: solid or thin).
constexpr Colour kGoodFill{234, 246, 236};
constexpr Colour kBadFill{252, 236, 236};

// By element code 0 水 1 木 2 火 3 土 4 金.
constexpr Colour kElements[5] = {{21, 78, 160}, {46, 125, 50}, {198, 40, 40}, {141, 90, 27}, {150, 110, 0}};

// Width a text will roughly take: ideographs a full em, other characters about half. Used only
// to pack the stars into lines and to clear room behind a relation's label.
double roughWidth(std::string_view s, double size) {
    double w = 0;
    for (std::size_t i = 0; i < s.size();) w += text::nextUtf8Char(s, i) < 0x80 ? 0.55 * size : size;
    return w;
}

struct Painter {
    Drawing& d;
    bool traditional;

    // A label of the layout's own, converted with the card.
    std::string label(std::string_view s) const {
        return traditional ? traditional::toTraditional(s) : std::string(s);
    }
    void text(double x, double y, double w, double h, std::string s, double size, Colour c, Align a = Align::Left,
              bool bold = false) {
        if (!s.empty()) d.items.push_back(TextItem{{x, y, w, h}, std::move(s), size, bold, c, a});
    }
    void box(const Rect& r, Colour fill, double strokeWidth = 0, Colour stroke = {}, double radius = 0) {
        d.items.push_back(BoxItem{r, true, fill, strokeWidth, stroke, radius});
    }
    void outline(const Rect& r, double width, Colour stroke, double radius = 0) {
        d.items.push_back(BoxItem{r, false, {}, width, stroke, radius});
    }
    void line(double x1, double y1, double x2, double y2, Colour c, double width = 1, bool dashed = false) {
        d.items.push_back(LineItem{x1, y1, x2, y2, width, c, dashed});
    }
    void rule(double y) { line(kMargin, y, kCardWidth - kMargin, y, kRule); }
    // A pillar in two characters, each in its element's colour, meeting at the centre `cx`.
    void pillar(double cx, double y, double h, const std::string& name, int stemEl, int branchEl, double size,
                bool bold = true) {
        const std::size_t cut = name.empty() ? 0 : text::utf8SeqLen(name, 0);
        text(cx - 2 * size, y, 2 * size, h, name.substr(0, cut), size, kElements[stemEl], Align::Right, bold);
        text(cx, y, 2 * size, h, name.substr(cut), size, kElements[branchEl], Align::Left, bold);
    }
};

double columnCentre(int i) { return kBodyX + kColumn * (i + 0.5); }

// The stars of a pillar packed into lines that fit its column.
std::vector<std::string> starLines(const std::vector<std::string>& stars, double size) {
    std::vector<std::string> lines;
    const double room = kColumn - 8;
    for (const std::string& s : stars) {
        if (!lines.empty() && roughWidth(lines.back() + " " + s, size) <= room) lines.back() += " " + s;
        else lines.push_back(s);
    }
    return lines;
}

double header(Painter& p, const ChartCard& card, double y) {
    const CardHeader& h = card.header;
    p.text(kMargin, y, 360, 30, h.name + "  " + h.sex, 20, kInk, Align::Left, true);
    p.text(kCardWidth - kMargin - 160, y, 160, 30, h.animal, 14, kInk, Align::Right);
    y += 34;
    const double valueX = kMargin + 44, valueW = kCardWidth - kMargin - valueX;
    for (std::size_t i = 0; i < h.times.size(); ++i) {
        if (i == 0) p.text(kMargin, y, 44, 18, p.label("公历"), 12, kMuted);
        // A clock reading abroad names its zone in brackets: too long for one line, the
        // brackets go on the next.
        const std::string& t = h.times[i];
        const std::size_t bracket = t.find('(');
        if (roughWidth(t, 12) > valueW && bracket != std::string::npos) {
            p.text(valueX, y, valueW, 18, t.substr(0, bracket), 12, kInk);
            y += 18;
            p.text(valueX, y, valueW, 18, t.substr(bracket), 12, kInk);
        } else {
            p.text(valueX, y, valueW, 18, t, 12, kInk);
        }
        y += 18;
    }
    p.text(kMargin, y, 44, 18, p.label("农历"), 12, kMuted);
    p.text(valueX, y, valueW, 18, h.lunar, 12, kInk);
    y += 18;
    p.text(kMargin, y, 44, 18, p.label("出生地"), 12, kMuted);
    p.text(valueX, y, valueW, 18, h.place, 12, kInk);
    y += 18;
    const double third = (kCardWidth - 2 * kMargin) / 3;
    p.text(kMargin, y, third, 18, h.lifePalace, 12, kInk);
    p.text(kMargin + third, y, third, 18, h.conception, 12, kInk);
    p.text(kMargin + 2 * third, y, third, 18, h.luckStart, 12, kInk);
    y += 18;
    p.text(kMargin, y, kCardWidth - 2 * kMargin, 16, h.conventions, 10.5, kMuted);
    y += 20;
    p.rule(y);
    return y + 6;
}

double pillarsGrid(Painter& p, const ChartCard& card, double y) {
    const double top = y;
    // Row heights, then the rows.
    constexpr double kHead = 20, kGod = 20, kBig = 46, kHiddenLine = 17, kSmall = 19, kStarLine = 15;
    std::size_t hiddenLines = 1, starRows = 1;
    std::array<std::vector<std::string>, 4> stars;
    for (int i = 0; i < 4; ++i) {
        hiddenLines = std::max(hiddenLines, card.pillars[i].hidden.size());
        stars[i] = starLines(card.pillars[i].stars, 11);
        starRows = std::max(starRows, stars[i].size());
    }
    const double height = kHead + kGod + 2 * kBig + hiddenLines * kHiddenLine + 2 * kSmall + starRows * kStarLine + 8;
    p.box({kBodyX + 2 * kColumn, top, kColumn, height}, kDayColumn);
    for (int i = 1; i < 4; ++i) p.line(kBodyX + kColumn * i, top + 2, kBodyX + kColumn * i, top + height - 2, kRule);

    const auto rowLabel = [&](std::string_view l, double h) { p.text(kMargin, y, kLabelWidth, h, p.label(l), 12, kMuted); };
    for (int i = 0; i < 4; ++i)
        p.text(kBodyX + kColumn * i, y, kColumn, kHead, card.pillars[i].pillar + p.label("柱"), 13, kMuted, Align::Center);
    y += kHead;
    rowLabel("十神", kGod);
    for (int i = 0; i < 4; ++i)
        p.text(kBodyX + kColumn * i, y, kColumn, kGod, card.pillars[i].stemGod, 13, i == 2 ? kMark : kInk, Align::Center, i == 2);
    y += kGod;
    rowLabel("天干", kBig);
    for (int i = 0; i < 4; ++i)
        p.text(kBodyX + kColumn * i, y, kColumn, kBig, card.pillars[i].stem, 34, kElements[card.pillars[i].stemElement],
               Align::Center, true);
    y += kBig;
    rowLabel("地支", kBig);
    // A void branch (空亡) carries a mark beside it; its star list names it too.
    const std::string voidMark = p.label("空");
    for (int i = 0; i < 4; ++i) {
        p.text(kBodyX + kColumn * i, y, kColumn, kBig, card.pillars[i].branch, 34, kElements[card.pillars[i].branchElement],
               Align::Center, true);
        if (card.pillars[i].isVoid) {
            const Rect mark{columnCentre(i) + 22, y + 4, 16, 16};
            p.outline(mark, 1, kMark, 8);
            p.text(mark.x, mark.y, mark.w, mark.h, voidMark, 11, kMark, Align::Center, true);
        }
    }
    y += kBig;
    rowLabel("藏干", kHiddenLine);
    for (int i = 0; i < 4; ++i) {
        const double cx = columnCentre(i);
        double line = y;
        for (const HiddenStem& s : card.pillars[i].hidden) {
            p.text(cx - 34, line, 32, kHiddenLine, s.stem, 13, kElements[s.element], Align::Right);
            p.text(cx + 4, line, 34, kHiddenLine, s.god, 12, kMuted);
            line += kHiddenLine;
        }
    }
    y += hiddenLines * kHiddenLine;
    rowLabel("纳音", kSmall);
    for (int i = 0; i < 4; ++i) p.text(kBodyX + kColumn * i, y, kColumn, kSmall, card.pillars[i].nayin, 12, kInk, Align::Center);
    y += kSmall;
    rowLabel("星运", kSmall);
    for (int i = 0; i < 4; ++i) p.text(kBodyX + kColumn * i, y, kColumn, kSmall, card.pillars[i].stage, 12, kInk, Align::Center);
    y += kSmall;
    rowLabel("神煞", kStarLine);
    for (int i = 0; i < 4; ++i) {
        double line = y;
        for (const std::string& s : stars[i]) {
            p.text(kBodyX + kColumn * i, line, kColumn, kStarLine, s, 11, kInk, Align::Center);
            line += kStarLine;
        }
    }
    y = top + height;
    p.rule(y);
    return y + 4;
}

// Each relation on a row of its own: a bar from the first to the last column it joins, a dot
// at each pillar, its label on the bar.
double relations(Painter& p, const ChartCard& card, double y) {
    constexpr double kRow = 20;
    p.text(kMargin, y, kLabelWidth, kRow, p.label("刑冲合会"), 12, kMuted);
    if (card.relations.empty()) {
        p.text(kBodyX, y, kBodyWidth, kRow, p.label("无"), 12, kMuted, Align::Center);
        y += kRow;
    }
    for (const CardRelation& r : card.relations) {
        const Colour c = r.favourable ? kFavourable : kClash;
        const double mid = y + kRow / 2;
        const double x1 = columnCentre(r.places.front()), x2 = columnCentre(r.places.back());
        p.line(x1, mid, x2, mid, c, 1.5, !r.favourable);
        for (int place : r.places) p.box({columnCentre(place) - 3, mid - 3, 6, 6}, c, 0, {}, 3);
        std::string text = r.chars + " " + r.kind;
        if (r.element >= 0) text += " " + card.elementNames[r.element];
        const double w = roughWidth(text, 12) + 10;
        const double cx = (x1 + x2) / 2;
        p.box({cx - w / 2, y + 1, w, kRow - 2}, {255, 255, 255}, 0.8, c, 3);
        p.text(cx - w / 2, y + 1, w, kRow - 2, text, 12, c, Align::Center);
        y += kRow;
    }
    y += 4;
    p.rule(y);
    return y + 6;
}

// Two bars across the columns: the eight visible characters, then the hidden stems, lighter.
double elements(Painter& p, const ChartCard& card, double y) {
    static constexpr int kOrder[5] = {1, 2, 3, 4, 0};  // 木 火 土 金 水
    const auto bar = [&](const std::array<int, 5>& counts, double top, double h, bool light) {
        int total = 0;
        for (int n : counts) total += n;
        double x = kBodyX;
        for (int e : kOrder) {
            if (counts[e] == 0 || total == 0) continue;
            const double w = kBodyWidth * counts[e] / total;
            p.box({x, top, w, h}, elementColour(e, light), 1, {255, 255, 255});
            if (w >= 2 * h * 0.7 + 6)
                p.text(x, top, w, h, card.elementNames[e] + std::to_string(counts[e]), h * 0.62,
                       light ? kInk : Colour{255, 255, 255}, Align::Center, !light);
            x += w;
        }
    };
    p.text(kMargin, y, kLabelWidth, 22, p.label("五行"), 12, kMuted);
    bar(card.visible, y, 22, false);
    y += 24;
    p.text(kMargin, y, kLabelWidth, 16, p.label("藏干"), 11, kMuted);
    bar(card.hidden, y, 16, true);
    y += 18;
    // The counts in words too, so that a missing element is named.
    std::string counts, missing;
    for (int e : kOrder) {
        counts += card.elementNames[e] + std::to_string(card.visible[e]) + "(" + std::to_string(card.hidden[e]) + ")  ";
        if (card.visible[e] == 0) missing += card.elementNames[e];
    }
    p.text(kBodyX, y, kBodyWidth, 18, counts + p.label(missing.empty() ? "五行俱全" : "缺") + missing, 11, kMuted);
    y += 20;
    p.rule(y);
    return y + 6;
}

void chosenFrame(Painter& p, const Rect& r) { p.box(r, kChosenFill, 1.5, kChosenEdge, 4); }
void tintFill(Painter& p, const Rect& r, int tint) {
    if (tint != 0) p.box(r, tint > 0 ? kGoodFill : kBadFill, 0, {}, 4);
}
void tintBar(Painter& p, const Rect& r, int tint) {
    if (tint != 0) p.box({r.x + 6, r.y + r.h - 4, r.w - 12, tint > 0 ? 3.0 : 1.5}, tint > 0 ? kFavourable : kClash);
}

// The chart's judgement in one line, said to be a traditional method's reading.
double judgementLine(Painter& p, const ChartCard& card, double y) {
    p.text(kMargin, y, kLabelWidth, 20, p.label("判断"), 12, kMuted);
    p.text(kBodyX, y, kBodyWidth, 20, card.judgement, 13, kInk, Align::Left, true);
    y += 20;
    p.text(kBodyX, y, kBodyWidth, 14, p.label("传统子平法推断，仅供参考；大运流年底色绿为喜用、红为忌仇"), 10, kMuted);
    y += 18;
    p.rule(y);
    return y + 6;
}
// The luck pillar that runs in the year looked at (this year, until another is chosen).
void runningMark(Painter& p, const Rect& r) { p.box({r.x + r.w - 11, r.y + 5, 6, 6}, kMark, 0, {}, 3); }

double luckStrip(Painter& p, const ChartCard& card, double y) {
    constexpr double kHeight = 78;
    const double w = kBodyWidth / 8;
    p.text(kMargin, y, kLabelWidth, kHeight, p.label("大运"), 12, kMuted);
    for (int i = 0; i < 8; ++i) {
        const LuckStep& l = card.luck[i];
        const Rect r{kBodyX + w * i + 1, y, w - 2, kHeight};
        if (l.chosen) chosenFrame(p, r);
        else tintFill(p, r, l.tint);
        tintBar(p, r, l.tint);
        if (l.current) runningMark(p, r);
        const double cx = r.x + r.w / 2;
        p.text(r.x, y + 4, r.w, 16, l.god, 11, kMuted, Align::Center);
        p.pillar(cx, y + 20, 24, l.pillar, l.stemElement, l.branchElement, 17);
        p.text(r.x, y + 44, r.w, 15, std::to_string(l.startAge) + p.label("岁"), 11, kInk, Align::Center);
        p.text(r.x, y + 59, r.w, 15, std::to_string(displayYear(l.startYear)), 11, kInk, Align::Center);
        p.d.hits.push_back({HitBox::Luck, i + 1, r});
    }
    return y + kHeight + 6;
}

double yearStrip(Painter& p, const ChartCard& card, double y) {
    constexpr double kHeight = 70;
    const double w = kBodyWidth / 10;
    p.text(kMargin, y, kLabelWidth, kHeight, p.label("流年"), 12, kMuted);
    for (int k = 0; k < 10; ++k) {
        const YearCell& c = card.years[k];
        const Rect r{kBodyX + w * k + 1, y, w - 2, kHeight};
        if (c.current) chosenFrame(p, r);
        else tintFill(p, r, c.tint);
        tintBar(p, r, c.tint);
        const double cx = r.x + r.w / 2;
        p.text(r.x, y + 3, r.w, 15, std::to_string(displayYear(c.year)), 11, kInk, Align::Center, c.current);
        p.pillar(cx, y + 18, 22, c.pillar, c.stemElement, c.branchElement, 15);
        p.text(r.x, y + 40, r.w, 14, c.god, 11, kMuted, Align::Center);
        p.text(r.x, y + 54, r.w, 14, std::to_string(c.age) + p.label("岁"), 10, kMuted, Align::Center);
        p.d.hits.push_back({HitBox::Year, c.year, r});
    }
    return y + kHeight + 6;
}

}  // namespace

Colour elementColour(int element, bool light) {
    Colour c = kElements[cycleMod(element, 5)];
    if (!light) return c;
    // Mixed 40:60 with white: lighter, and still apart from the paper in grey.
    const auto mix = [](std::uint8_t v) { return static_cast<std::uint8_t>((v * 4 + 255 * 6) / 10); };
    return {mix(c.r), mix(c.g), mix(c.b), 255};
}

Drawing layoutChartCard(const ChartCard& card, const CardLayoutOptions& options) {
    Drawing d;
    d.width = kCardWidth;
    d.fontFamilies = {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Microsoft YaHei", "SimSun", "sans-serif"};
    Painter p{d, card.traditional};
    double y = kMargin;
    y = header(p, card, y);
    y = pillarsGrid(p, card, y);
    y = relations(p, card, y);
    y = elements(p, card, y);
    if (options.judgement && !card.judgement.empty()) y = judgementLine(p, card, y);
    if (options.luck) {
        y = luckStrip(p, card, y);
        if (options.years) y = yearStrip(p, card, y);
    }
    p.text(kMargin, y, kCardWidth - 2 * kMargin, 14, p.label("衡鉴 命盘"), 10, kMuted, Align::Right);
    d.height = y + 14 + kMargin / 2;
    return d;
}

}  // namespace hj::card
