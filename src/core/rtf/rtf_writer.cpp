// RTF writer and the helpers of the styled-text model.
#include <cstdio>
#include <map>

#include "core/rtf/rtf.h"
#include "core/text/gbk.h"

namespace hj::rtf {
namespace {

// Length of the UTF-8 sequence at s[i] (1 for a broken byte, which is then dropped).
std::size_t seqLen(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
    return i + n <= s.size() ? n : 1;
}

char32_t decodeUtf8(std::string_view s) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (s.size() == 2) return ((b0 & 0x1Fu) << 6) | (static_cast<unsigned char>(s[1]) & 0x3Fu);
    if (s.size() == 3)
        return ((b0 & 0x0Fu) << 12) | ((static_cast<unsigned char>(s[1]) & 0x3Fu) << 6) |
               (static_cast<unsigned char>(s[2]) & 0x3Fu);
    if (s.size() == 4)
        return ((b0 & 0x07u) << 18) | ((static_cast<unsigned char>(s[1]) & 0x3Fu) << 12) |
               ((static_cast<unsigned char>(s[2]) & 0x3Fu) << 6) | (static_cast<unsigned char>(s[3]) & 0x3Fu);
    return 0xFFFD;
}

void hexByte(std::string& out, unsigned char b) {
    static const char* digits = "0123456789abcdef";
    out += "\\'";
    out += digits[b >> 4];
    out += digits[b & 0xF];
}

void unicodeEscape(std::string& out, char32_t cp) {
    auto one = [&](unsigned v) {
        const int n = v < 0x8000 ? static_cast<int>(v) : static_cast<int>(v) - 0x10000;
        out += "\\u" + std::to_string(n) + "?";
    };
    if (cp >= 0x10000) {
        cp -= 0x10000;
        one(0xD800 + static_cast<unsigned>(cp >> 10));
        one(0xDC00 + static_cast<unsigned>(cp & 0x3FF));
    } else {
        one(static_cast<unsigned>(cp));
    }
}

// Non-ASCII text: GBK bytes as \'hh; characters outside GBK as \uN with '?' for old readers.
// GBK bytes for `utf8` only when they read back as the same characters.
bool toGbkExactly(std::string_view utf8, std::string& gbk) {
    return text::utf8ToGbk(utf8, gbk) && text::gbkToUtf8(gbk) == utf8;
}

void escapeWide(std::string& out, std::string_view utf8) {
    std::string gbk;
    if (toGbkExactly(utf8, gbk)) {
        for (char c : gbk) hexByte(out, static_cast<unsigned char>(c));
        return;
    }
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t n = seqLen(utf8, i);
        const std::string_view ch = utf8.substr(i, n);
        i += n;
        if (n == 1) continue;  // a broken UTF-8 byte: nothing to write
        if (toGbkExactly(ch, gbk)) {
            for (char c : gbk) hexByte(out, static_cast<unsigned char>(c));
        } else {
            unicodeEscape(out, decodeUtf8(ch));
        }
    }
}

void escapeText(std::string& out, std::string_view utf8) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x80) {
            std::size_t j = i;
            while (j < utf8.size() && static_cast<unsigned char>(utf8[j]) >= 0x80) ++j;
            escapeWide(out, utf8.substr(i, j - i));
            i = j;
            continue;
        }
        ++i;
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c == '\n') {
            out += "\\line ";
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        }
        // other control characters have no place in a report and are left out
    }
}

}  // namespace

std::string writeRtf(const Document& doc) {
    std::map<std::string, int> fontIndex;
    std::vector<std::string> fonts;
    std::map<std::uint32_t, int> colorIndex;
    std::vector<std::uint32_t> colors;
    for (const Paragraph& p : doc.paragraphs)
        for (const Run& r : p.runs) {
            if (fontIndex.emplace(r.format.font, static_cast<int>(fonts.size())).second) fonts.push_back(r.format.font);
            const std::uint32_t rgb = r.format.color & 0xFFFFFF;
            if (colorIndex.emplace(rgb, static_cast<int>(colors.size()) + 1).second) colors.push_back(rgb);
        }
    if (fonts.empty()) fonts.emplace_back(kDefaultFont);

    std::string out = "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl";
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset134 ";
        escapeText(out, fonts[i]);
        out += ";}";
    }
    out += "}\r\n{\\colortbl ;";
    for (std::uint32_t rgb : colors) {
        char buf[48];
        std::snprintf(buf, sizeof buf, "\\red%u\\green%u\\blue%u;", (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
        out += buf;
    }
    out += "}\r\n\\viewkind4\\uc1";

    bool known = false;  // the character format below is in force
    CharFormat cur;
    for (std::size_t pi = 0; pi < doc.paragraphs.size(); ++pi) {
        const Paragraph& p = doc.paragraphs[pi];
        out += "\\pard";
        if (p.firstLineIndent != 0) out += "\\fi" + std::to_string(p.firstLineIndent);
        bool needSpace = true;
        for (const Run& r : p.runs) {
            if (r.text.empty()) continue;
            const CharFormat& f = r.format;
            const std::size_t before = out.size();
            if (!known || f.font != cur.font) out += "\\f" + std::to_string(fontIndex[f.font]);
            if (!known || f.halfPoints != cur.halfPoints) out += "\\fs" + std::to_string(f.halfPoints);
            if (!known || (f.color & 0xFFFFFF) != (cur.color & 0xFFFFFF))
                out += "\\cf" + std::to_string(colorIndex[f.color & 0xFFFFFF]);
            if (!known || f.bold != cur.bold) out += f.bold ? "\\b" : "\\b0";
            if (!known || f.italic != cur.italic) out += f.italic ? "\\i" : "\\i0";
            if (!known || f.underline != cur.underline) out += f.underline ? "\\ul" : "\\ulnone";
            if (out.size() != before) needSpace = true;
            if (needSpace) out += ' ';
            needSpace = false;
            known = true;
            cur = f;
            escapeText(out, r.text);
            // A control word written by the text (\tab, \line) already ends in its space.
        }
        if (needSpace && p.runs.empty()) out += ' ';
        if (pi + 1 < doc.paragraphs.size()) out += "\\par\r\n";
    }
    out += "}\r\n";
    return out;
}

std::string plainText(const Document& doc, std::string_view eol) {
    std::string out;
    for (std::size_t i = 0; i < doc.paragraphs.size(); ++i) {
        if (i > 0) out += eol;
        for (const Run& r : doc.paragraphs[i].runs)
            for (char c : r.text) {
                if (c == '\n')
                    out += eol;
                else
                    out += c;
            }
    }
    return out;
}

void appendText(Paragraph& p, std::string_view text, const CharFormat& format) {
    if (text.empty()) return;
    if (!p.runs.empty() && p.runs.back().format == format) {
        p.runs.back().text += text;
        return;
    }
    p.runs.push_back(Run{std::string(text), format});
}

Document fromPlainText(std::string_view utf8, const CharFormat& format, int firstLineIndent) {
    Document doc;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = utf8.find_first_of("\r\n", start);
        Paragraph p;
        p.firstLineIndent = firstLineIndent;
        appendText(p, utf8.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start), format);
        doc.paragraphs.push_back(std::move(p));
        if (end == std::string_view::npos) break;
        start = end + ((utf8[end] == '\r' && end + 1 < utf8.size() && utf8[end + 1] == '\n') ? 2 : 1);
    }
    return doc;
}

}  // namespace hj::rtf
