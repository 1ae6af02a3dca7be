// The SVG replay of a Drawing: plain text, no library.
#include <charconv>
#include <cmath>

#include "core/card/drawing.h"

namespace hj::card {
namespace {

// Locale-free numbers (a window's locale may use decimal commas): at most two decimals.
std::string num(double v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::round(v * 100) / 100, std::chars_format::fixed, 2);
    std::string s(buf, r.ptr);
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

std::string colour(const Colour& c) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string s = "#";
    for (std::uint8_t v : {c.r, c.g, c.b}) {
        s += kHex[v >> 4];
        s += kHex[v & 15];
    }
    return s;
}

std::string opacity(const char* attribute, const Colour& c) {
    return c.a == 255 ? std::string() : std::string(" ") + attribute + "=\"" + num(c.a / 255.0) + "\"";
}

std::string escaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += ch;
        }
    }
    return out;
}

void write(std::string& s, const BoxItem& b) {
    s += "<rect x=\"" + num(b.rect.x) + "\" y=\"" + num(b.rect.y) + "\" width=\"" + num(b.rect.w) + "\" height=\"" +
         num(b.rect.h) + "\"";
    if (b.radius > 0) s += " rx=\"" + num(b.radius) + "\"";
    s += b.filled ? " fill=\"" + colour(b.fill) + "\"" + opacity("fill-opacity", b.fill) : std::string(" fill=\"none\"");
    if (b.strokeWidth > 0)
        s += " stroke=\"" + colour(b.stroke) + "\" stroke-width=\"" + num(b.strokeWidth) + "\"" + opacity("stroke-opacity", b.stroke);
    s += "/>\n";
}

void write(std::string& s, const LineItem& l) {
    s += "<line x1=\"" + num(l.x1) + "\" y1=\"" + num(l.y1) + "\" x2=\"" + num(l.x2) + "\" y2=\"" + num(l.y2) +
         "\" stroke=\"" + colour(l.colour) + "\" stroke-width=\"" + num(l.width) + "\"" + opacity("stroke-opacity", l.colour);
    if (l.dashed) s += " stroke-dasharray=\"" + num(3 * l.width) + " " + num(2 * l.width) + "\"";
    s += "/>\n";
}

void write(std::string& s, const TextItem& t) {
    const double x = t.align == Align::Left ? t.box.x : t.align == Align::Center ? t.box.x + t.box.w / 2 : t.box.x + t.box.w;
    // The baseline of a line of CJK text centred in its box: the ideographs' body sits about
    // 0.88 em above the baseline and 0.12 em below it.
    const double y = t.box.y + t.box.h / 2 + 0.36 * t.size;
    s += "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\" font-size=\"" + num(t.size) + "\"";
    if (t.align != Align::Left) s += t.align == Align::Center ? " text-anchor=\"middle\"" : " text-anchor=\"end\"";
    if (t.bold) s += " font-weight=\"bold\"";
    s += " fill=\"" + colour(t.colour) + "\"" + opacity("fill-opacity", t.colour) + ">" + escaped(t.text) + "</text>\n";
}

}  // namespace

std::string writeSvg(const Drawing& d, double scale) {
    std::string families;
    for (const std::string& f : d.fontFamilies) families += (families.empty() ? "" : ", ") + (f.find(' ') != std::string::npos && f != "sans-serif" ? "'" + f + "'" : f);
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(d.width * scale) + "\" height=\"" + num(d.height * scale) +
         "\" viewBox=\"0 0 " + num(d.width) + " " + num(d.height) + "\">\n";
    s += "<rect width=\"100%\" height=\"100%\" fill=\"" + colour(d.background) + "\"/>\n";
    s += "<g font-family=\"" + escaped(families) + "\">\n";
    for (const DrawItem& item : d.items) std::visit([&s](const auto& i) { write(s, i); }, item);
    s += "</g>\n</svg>\n";
    return s;
}

}  // namespace hj::card
