// Label placement of the He Tu and Luo Shu pictures. The drawing gives each label a place
// measured for one particular font; with another font's size a label lands on a dot or an arc
// and, being drawn opaque, hides it. Each label therefore moves to the nearest free place.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>

#include "core/divination/he_luo.h"

namespace hj {
namespace {

// Which pixels carry ink, with a summed-area table for asking about rectangles.
class InkMap {
public:
    InkMap(int w, int h) : w_(w), h_(h), ink_(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0) {}

    void mark(double x, double y) {
        const int i = static_cast<int>(std::floor(x)), j = static_cast<int>(std::floor(y));
        if (i >= 0 && j >= 0 && i < w_ && j < h_) ink_[index(i, j)] = 1;
    }
    void markRect(int l, int t, int r, int b) {
        for (int j = std::max(t, 0); j < std::min(b, h_); ++j)
            for (int i = std::max(l, 0); i < std::min(r, w_); ++i) ink_[index(i, j)] = 1;
    }
    // Shapes are painted half a pixel in, on pixel centres.
    void markDot(int x, int y, int r) {
        const int reach = r + 1;
        for (int j = -reach; j <= reach; ++j)
            for (int i = -reach; i <= reach; ++i)
                if (i * i + j * j <= reach * reach) mark(x + i + 0.5, y + j + 0.5);
    }
    void markArc(int x, int y, int r, double startDeg, double spanDeg) {
        const double step = 0.25 / std::max(r, 1);
        const double a0 = startDeg * std::numbers::pi / 180, a1 = a0 + spanDeg * std::numbers::pi / 180;
        for (double a = a0; a <= a1 + step / 2; a += step) mark(x + 0.5 + r * std::cos(a), y + 0.5 - r * std::sin(a));
    }
    void markLine(int x1, int y1, int x2, int y2) {
        const double len = std::hypot(x2 - x1, y2 - y1);
        const int n = std::max(1, static_cast<int>(std::ceil(len * 4)));
        for (int k = 0; k <= n; ++k) {
            const double t = static_cast<double>(k) / n;
            mark(x1 + 0.5 + t * (x2 - x1), y1 + 0.5 + t * (y2 - y1));
        }
    }

    void sum() {
        sums_.assign(static_cast<std::size_t>(w_ + 1) * static_cast<std::size_t>(h_ + 1), 0);
        for (int j = 0; j < h_; ++j)
            for (int i = 0; i < w_; ++i)
                sums_[sumIndex(i + 1, j + 1)] = ink_[index(i, j)] + sums_[sumIndex(i, j + 1)] + sums_[sumIndex(i + 1, j)] -
                                                sums_[sumIndex(i, j)];
    }
    // Any ink in [l, r) x [t, b), clipped to the picture.
    bool any(int l, int t, int r, int b) const {
        l = std::clamp(l, 0, w_);
        r = std::clamp(r, 0, w_);
        t = std::clamp(t, 0, h_);
        b = std::clamp(b, 0, h_);
        if (l >= r || t >= b) return false;
        return sums_[sumIndex(r, b)] - sums_[sumIndex(l, b)] - sums_[sumIndex(r, t)] + sums_[sumIndex(l, t)] > 0;
    }

private:
    std::size_t index(int i, int j) const { return static_cast<std::size_t>(j) * static_cast<std::size_t>(w_) + static_cast<std::size_t>(i); }
    std::size_t sumIndex(int i, int j) const {
        return static_cast<std::size_t>(j) * static_cast<std::size_t>(w_ + 1) + static_cast<std::size_t>(i);
    }
    int w_, h_;
    std::vector<unsigned char> ink_;
    std::vector<int> sums_;
};

bool isLabel(const DrawOp& op) { return op.kind == DrawOp::Kind::Text && op.pointSize == 10 && !op.pinned; }

// Offsets within kLabelSearch, nearest first; among equals, vertical moves before horizontal.
const std::vector<std::pair<int, int>>& searchOrder() {
    static const std::vector<std::pair<int, int>> order = [] {
        std::vector<std::tuple<int, int, int, int>> v;
        for (int dy = -kLabelSearch; dy <= kLabelSearch; ++dy)
            for (int dx = -kLabelSearch; dx <= kLabelSearch; ++dx)
                if (dx * dx + dy * dy <= kLabelSearch * kLabelSearch) v.emplace_back(dx * dx + dy * dy, std::abs(dx), dy, dx);
        std::sort(v.begin(), v.end());
        std::vector<std::pair<int, int>> out;
        out.reserve(v.size());
        for (const auto& [d, adx, dy, dx] : v) out.emplace_back(dx, dy);
        return out;
    }();
    return order;
}

}  // namespace

std::vector<TextRun> textRuns(const DrawOp& text, const PictureMetrics& m) {
    const int full = (m.tw * text.pointSize + 5) / 10, half = full / 2;
    const int height = (m.th * text.pointSize + 5) / 10;
    std::vector<TextRun> runs;
    int x = text.x1;
    bool open = false;
    for (std::size_t i = 0; i < text.text.size();) {
        const auto lead = static_cast<unsigned char>(text.text[i]);
        const std::size_t len = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const int advance = lead < 0x80 ? half : full;
        if (lead == ' ') {
            open = false;
        } else {
            if (!open) runs.push_back({x, text.y1, x, text.y1 + height, i, 0});
            open = true;
            runs.back().right = x + advance;
            runs.back().length = i + len - runs.back().from;
        }
        x += advance;
        i += len;
    }
    return runs;
}

void placeLabels(std::vector<DrawOp>& ops, const PictureMetrics& m) {
    InkMap ink(m.width, m.height);
    for (const DrawOp& op : ops) {
        switch (op.kind) {
        case DrawOp::Kind::Dot: ink.markDot(op.x1, op.y1, op.r); break;
        case DrawOp::Kind::Circle: ink.markArc(op.x1, op.y1, op.r, 0, 360); break;
        case DrawOp::Kind::Arc: {
            double span = op.endDeg - op.startDeg;
            if (span <= 0) span += 360;
            ink.markArc(op.x1, op.y1, op.r, op.startDeg, span);
            break;
        }
        case DrawOp::Kind::Line: ink.markLine(op.x1, op.y1, op.x2, op.y2); break;
        case DrawOp::Kind::Text:
            if (op.pinned)
                for (const TextRun& r : textRuns(op, m)) ink.markRect(r.left, r.top, r.right, r.bottom);
            break;
        case DrawOp::Kind::FillRect: break;
        }
    }
    ink.sum();
    for (DrawOp& op : ops) {
        if (!isLabel(op)) continue;
        const std::vector<TextRun> runs = textRuns(op, m);
        const auto fits = [&](int dx, int dy) {
            for (const TextRun& r : runs) {
                const int l = r.left + dx, t = r.top + dy, rr = r.right + dx, b = r.bottom + dy;
                if (l < 0 || t < 0 || rr > m.width || b > m.height) return false;
                if (ink.any(l - kLabelGap, t - kLabelGap, rr + kLabelGap, b + kLabelGap)) return false;
            }
            return true;
        };
        for (const auto& [dx, dy] : searchOrder()) {
            if (!fits(dx, dy)) continue;
            op.x1 += dx;
            op.y1 += dy;
            break;
        }
        // Later labels keep clear of this one.
        for (const TextRun& r : textRuns(op, m)) ink.markRect(r.left, r.top, r.right, r.bottom);
        ink.sum();
    }
}

}  // namespace hj
