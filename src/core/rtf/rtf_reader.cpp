// Tolerant RTF reader: one pass over a memory image, no recursion. Group state lives on an
// explicit stack of at most kMaxGroupDepth entries; deeper groups are skipped by counting
// braces. Every table and the output are capped, so no input can make it allocate without
// bound, and every loop advances through the input, so none can make it hang.

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_map>

#include "core/platform/platform.h"
#include "core/rtf/rtf.h"
#include "core/text/gbk.h"
#include "core/text/utf8.h"

namespace hj::rtf {
namespace {

enum class Dest : std::uint8_t { Text, FontTable, ColorTable, Skip };

struct GroupState {
    Dest dest = Dest::Text;
    int font = -1;  // -1: the document's default font
    int halfPoints = 24;
    bool bold = false, italic = false, underline = false;
    int color = 0;  // colour table index; 0 is "auto"
    int uc = 1;     // characters that follow \uN as its fallback
    int firstLineIndent = 0;
};

struct FontEntry {
    std::string nameBytes;
    int charset = -1;
    int codepage = 0;
    bool decoded = false;  // `name` holds nameBytes decoded
    std::string name;
};

constexpr std::size_t kMaxFontNameBytes = 256;

// Windows-1252 bytes 0x80..0x9F; the rest of the code page is Latin-1.
constexpr char16_t kCp1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                      0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

std::string decodeCp1252(std::string_view bytes) {
    std::string out;
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        text::appendUtf8(out, b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b);
    }
    return out;
}

// Other code pages through the system's converter; a byte that does not convert becomes U+FFFD.
std::string decodeOther(std::string_view bytes, int codepage) {
    std::string out;
    return platform::decodeCodePage(codepage, bytes, out) ? out : text::gbkToUtf8(bytes);
}

int codepageOfCharset(int charset, int ansiCodepage) {
    switch (charset) {
        case 0:
        case 1:
        case 2:
            // Sloppy writers put double-byte text in "western" fonts of a Chinese document.
            return ansiCodepage == 936 || ansiCodepage == 950 || ansiCodepage == 932 || ansiCodepage == 949
                       ? ansiCodepage
                       : 1252;
        case 77: return 10000;
        case 128: return 932;
        case 129: return 949;
        case 130: return 1361;
        case 134: return 936;
        case 136: return 950;
        case 161: return 1253;
        case 162: return 1254;
        case 163: return 1258;
        case 177: return 1255;
        case 178: return 1256;
        case 186: return 1257;
        case 204: return 1251;
        case 222: return 874;
        case 238: return 1250;
        case 255: return 437;
        default: return ansiCodepage;
    }
}

std::string decodeBytes(std::string_view bytes, int codepage) {
    bool ascii = true;
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) return std::string(bytes);
    switch (codepage) {
        case 936: return text::gbkToUtf8(bytes);
        case 1252: return decodeCp1252(bytes);
        case 932:
        case 949:
        case 950:
        case 1361:
        case 10000:
        case 437:
        case 874: return decodeOther(bytes, codepage);
        default:
            if (codepage >= 1250 && codepage <= 1258) return decodeOther(bytes, codepage);
            return text::gbkToUtf8(bytes);
    }
}

// Destinations whose text is never shown.
bool isSkippedDestination(std::string_view w) {
    static constexpr std::string_view kWords[] = {
        "stylesheet", "info",      "pict",        "header",    "headerl",   "headerr",    "headerf",
        "footer",     "footerl",   "footerr",     "footerf",   "footnote",  "annotation", "object",
        "themedata",  "colorschememapping", "latentstyles", "listtable", "listoverridetable", "rsidtbl",
        "xmlnstbl",   "mmathPr",   "generator",   "datastore", "filetbl",   "revtbl",     "fldinst",
        "nonshppict", "bkmkstart", "bkmkend",     "txe",       "xe",        "tc",         "private",
        "pgdsctbl",   "atnid",     "atnauthor",   "comment",   "keywords",  "author",     "operator",
        "title",      "subject",   "doccomm",     "pn",        "protusertbl", "wgrffmtfilter", "falt", "panose"};
    return std::find(std::begin(kWords), std::end(kWords), w) != std::end(kWords);
}

class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}
    Document run();

private:
    void openGroup();
    bool closeGroup();  // false: the document's outer group has ended
    void controlWord(std::string_view word, bool hasParam, long param);
    void controlSymbol(char c);
    void textByte(char c);
    void emitCodepoint(char32_t cp);
    void flush();
    void emit(std::string_view utf8);
    void endParagraph();
    void finishFontEntry();
    CharFormat currentFormat();
    int currentCodepage() const;

    std::string_view in_;
    std::size_t pos_ = 0;
    GroupState st_;
    std::vector<GroupState> stack_;
    long ignoredDepth_ = 0;  // open groups beyond kMaxGroupDepth

    std::unordered_map<int, FontEntry> fonts_;
    int fontEntry_ = -1;  // font table entry being read
    std::vector<std::uint32_t> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    int deff_ = 0;
    int ansiCodepage_ = 1252;

    std::string pending_;  // text bytes not yet decoded (double-byte characters may span tokens)
    int skip_ = 0;         // fallback characters after \uN still to drop
    char32_t highSurrogate_ = 0;

    Document doc_;
    Paragraph para_;
    std::size_t runCount_ = 0;
};

Document Reader::run() {
    const std::size_t n = in_.size();
    while (pos_ < n) {
        const char c = in_[pos_++];
        if (ignoredDepth_ > 0) {
            // Too deep: only follow the braces (and escaped ones) until the group ends.
            if (c == '{') {
                ++ignoredDepth_;
            } else if (c == '}') {
                --ignoredDepth_;
            } else if (c == '\\' && pos_ < n) {
                ++pos_;
            }
            continue;
        }
        switch (c) {
            case '{':
                openGroup();
                break;
            case '}':
                if (!closeGroup()) pos_ = n;
                break;
            case '\\': {
                if (pos_ >= n) break;
                const char d = in_[pos_];
                if ((d >= 'a' && d <= 'z') || (d >= 'A' && d <= 'Z')) {
                    const std::size_t start = pos_;
                    while (pos_ < n && ((in_[pos_] >= 'a' && in_[pos_] <= 'z') || (in_[pos_] >= 'A' && in_[pos_] <= 'Z')))
                        ++pos_;
                    std::string_view word = in_.substr(start, std::min<std::size_t>(pos_ - start, 32));
                    bool hasParam = false;
                    bool negative = false;
                    long param = 0;
                    if (pos_ < n && in_[pos_] == '-' && pos_ + 1 < n && in_[pos_ + 1] >= '0' && in_[pos_ + 1] <= '9') {
                        negative = true;
                        ++pos_;
                    }
                    int digits = 0;
                    while (pos_ < n && in_[pos_] >= '0' && in_[pos_] <= '9') {
                        if (digits++ < 10) param = param * 10 + (in_[pos_] - '0');
                        hasParam = true;
                        ++pos_;
                    }
                    param = std::clamp<long>(negative ? -param : param, -2147483647L, 2147483647L);
                    if (pos_ < n && in_[pos_] == ' ') ++pos_;
                    controlWord(word, hasParam, param);
                } else {
                    ++pos_;
                    controlSymbol(d);
                }
                break;
            }
            case '\r':
            case '\n':
                break;
            default:
                textByte(c);
                break;
        }
    }
    flush();
    if (!para_.runs.empty() || !doc_.paragraphs.empty()) {
        para_.firstLineIndent = st_.firstLineIndent;
        doc_.paragraphs.push_back(std::move(para_));
    }
    return std::move(doc_);
}

void Reader::openGroup() {
    flush();
    skip_ = 0;
    if (stack_.size() >= static_cast<std::size_t>(kMaxGroupDepth)) {
        ignoredDepth_ = 1;
        return;
    }
    stack_.push_back(st_);
}

bool Reader::closeGroup() {
    flush();
    skip_ = 0;
    if (st_.dest == Dest::FontTable) finishFontEntry();  // an entry may end with its group instead of ';'
    // The document's own group ends: its state stays, for the last paragraph.
    if (stack_.size() <= 1) return false;
    st_ = stack_.back();
    stack_.pop_back();
    return true;
}

void Reader::finishFontEntry() {
    if (fontEntry_ < 0) return;
    auto it = fonts_.find(fontEntry_);
    if (it != fonts_.end()) {
        // Trailing blanks and a stray ';' are not part of the name.
        std::string& b = it->second.nameBytes;
        while (!b.empty() && (b.back() == ' ' || b.back() == ';')) b.pop_back();
    }
    fontEntry_ = -1;
}

void Reader::controlSymbol(char c) {
    switch (c) {
        case '\\':
        case '{':
        case '}':
            textByte(c);
            break;
        case '\'': {
            auto hex = [](char h) {
                if (h >= '0' && h <= '9') return h - '0';
                if (h >= 'a' && h <= 'f') return h - 'a' + 10;
                if (h >= 'A' && h <= 'F') return h - 'A' + 10;
                return -1;
            };
            const int hi = pos_ < in_.size() ? hex(in_[pos_]) : -1;
            const int lo = pos_ + 1 < in_.size() ? hex(in_[pos_ + 1]) : -1;
            if (hi < 0 || lo < 0) {
                if (hi >= 0) ++pos_;
                break;
            }
            pos_ += 2;
            textByte(static_cast<char>(hi * 16 + lo));
            break;
        }
        case '*':
            flush();
            st_.dest = Dest::Skip;
            break;
        case '~':
            if (skip_ > 0) {
                --skip_;
            } else {
                emitCodepoint(0x00A0);
            }
            break;
        case '_':
            emitCodepoint('-');
            break;
        case '\r':
        case '\n':
            controlWord("par", false, 0);
            break;
        default:
            if (skip_ > 0) --skip_;
            break;  // \- optional hyphen, \: index marks, \| formula: nothing to show
    }
}

void Reader::textByte(char c) {
    switch (st_.dest) {
        case Dest::Text:
            if (skip_ > 0) {
                --skip_;
                return;
            }
            if (c == '\t') {
                flush();
                emit("\t");
                return;
            }
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return;
            pending_ += c;
            return;
        case Dest::FontTable: {
            if (skip_ > 0) {
                --skip_;
                return;
            }
            if (c == ';') {
                finishFontEntry();
                return;
            }
            if (fontEntry_ < 0) return;
            auto it = fonts_.find(fontEntry_);
            if (it != fonts_.end() && it->second.nameBytes.size() < kMaxFontNameBytes) it->second.nameBytes += c;
            return;
        }
        case Dest::ColorTable:
            if (c == ';' && colors_.size() < static_cast<std::size_t>(kMaxTableEntries)) {
                colors_.push_back((static_cast<std::uint32_t>(red_ & 0xFF) << 16) |
                                  (static_cast<std::uint32_t>(green_ & 0xFF) << 8) |
                                  static_cast<std::uint32_t>(blue_ & 0xFF));
                red_ = green_ = blue_ = 0;
            }
            return;
        case Dest::Skip:
            return;
    }
}

int Reader::currentCodepage() const {
    auto it = fonts_.find(st_.font < 0 ? deff_ : st_.font);
    if (it == fonts_.end()) return ansiCodepage_;
    if (it->second.codepage > 0) return it->second.codepage;
    if (it->second.charset >= 0) return codepageOfCharset(it->second.charset, ansiCodepage_);
    return ansiCodepage_;
}

CharFormat Reader::currentFormat() {
    CharFormat f;
    auto it = fonts_.find(st_.font < 0 ? deff_ : st_.font);
    if (it != fonts_.end()) {
        FontEntry& e = it->second;
        if (!e.decoded) {
            const int cp = e.codepage > 0 ? e.codepage : e.charset >= 0 ? codepageOfCharset(e.charset, ansiCodepage_) : ansiCodepage_;
            e.name = decodeBytes(e.nameBytes, cp);
            e.decoded = true;
        }
        f.font = e.name;
    } else {
        f.font.clear();
    }
    f.halfPoints = st_.halfPoints;
    f.bold = st_.bold;
    f.italic = st_.italic;
    f.underline = st_.underline;
    f.color = st_.color > 0 && static_cast<std::size_t>(st_.color) < colors_.size() ? colors_[static_cast<std::size_t>(st_.color)]
                                                                                       : 0x000000;
    return f;
}

void Reader::flush() {
    if (pending_.empty()) return;
    const std::string text = decodeBytes(pending_, currentCodepage());
    pending_.clear();
    emit(text);
}

void Reader::emit(std::string_view utf8) {
    if (st_.dest != Dest::Text || utf8.empty()) return;
    std::string text;
    if (highSurrogate_ != 0) {  // a high surrogate not followed by its low half
        highSurrogate_ = 0;
        text::appendUtf8(text, 0xFFFD);
    }
    // Control characters other than tab and line break are no text of a report (and the
    // writer could not give them back); they are dropped here, whichever way they came.
    for (char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && c != '\t' && c != '\n') || b == 0x7F) continue;
        text += c;
    }
    if (text.empty()) return;
    const CharFormat f = currentFormat();
    if (!para_.runs.empty() && (para_.runs.back().format == f || runCount_ >= kMaxRuns)) {
        para_.runs.back().text += text;
        return;
    }
    if (runCount_ >= kMaxRuns) {
        // Out of runs: keep the text, formatted like the text before it.
        CharFormat last = f;
        if (!doc_.paragraphs.empty() && !doc_.paragraphs.back().runs.empty()) last = doc_.paragraphs.back().runs.back().format;
        para_.runs.push_back(Run{std::move(text), last});
        return;
    }
    para_.runs.push_back(Run{std::move(text), f});
    ++runCount_;
}

void Reader::emitCodepoint(char32_t cp) {
    flush();
    if (st_.dest != Dest::Text) return;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
        if (highSurrogate_ != 0) {  // the earlier one was lone
            highSurrogate_ = 0;
            emit("\xEF\xBF\xBD");
        }
        highSurrogate_ = cp;
        return;
    }
    if (cp >= 0xDC00 && cp <= 0xDFFF) {
        if (highSurrogate_ == 0) {
            cp = 0xFFFD;
        } else {
            cp = 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (cp - 0xDC00);
            highSurrogate_ = 0;
        }
    }
    std::string s;
    text::appendUtf8(s, cp);
    emit(s);
}

void Reader::endParagraph() {
    flush();
    if (st_.dest != Dest::Text) return;
    if (doc_.paragraphs.size() + 1 >= kMaxParagraphs) {
        emit("\n");
        return;
    }
    para_.firstLineIndent = st_.firstLineIndent;
    doc_.paragraphs.push_back(std::move(para_));
    para_ = Paragraph{};
}

void Reader::controlWord(std::string_view w, bool hasParam, long param) {
    if (w == "bin") {
        // Binary data: skipped whole, whatever it holds.
        flush();
        const std::size_t len = hasParam && param > 0 ? static_cast<std::size_t>(param) : 0;
        pos_ += std::min(len, in_.size() - pos_);
        return;
    }
    if (w != "u") flush();
    if (st_.dest == Dest::Skip) return;
    if (w == "fonttbl") {
        st_.dest = Dest::FontTable;
        return;
    }
    if (w == "colortbl") {
        st_.dest = Dest::ColorTable;
        return;
    }
    if (isSkippedDestination(w)) {
        st_.dest = Dest::Skip;
        return;
    }
    const int p = static_cast<int>(param);
    if (st_.dest == Dest::FontTable) {
        if (w == "f") {
            finishFontEntry();
            if (fonts_.count(p) || fonts_.size() < static_cast<std::size_t>(kMaxTableEntries)) {
                fonts_[p] = FontEntry{};
                fontEntry_ = p;
            }
        } else if (w == "fcharset" && fontEntry_ >= 0) {
            fonts_[fontEntry_].charset = p;
        } else if (w == "cpg" && fontEntry_ >= 0) {
            fonts_[fontEntry_].codepage = p;
        } else if (w == "u" && fontEntry_ >= 0) {
            skip_ = st_.uc;  // rare in names; the fallback text stands in
        }
        return;
    }
    if (st_.dest == Dest::ColorTable) {
        if (w == "red") red_ = p;
        else if (w == "green") green_ = p;
        else if (w == "blue") blue_ = p;
        return;
    }
    // Text destination.
    if (w == "par" || w == "sect" || w == "page" || w == "row") {
        endParagraph();
    } else if (w == "line") {
        emit("\n");
    } else if (w == "tab" || w == "cell") {
        emit("\t");
    } else if (w == "u") {
        if (skip_ > 0) {  // a \u inside another's fallback counts as one fallback character
            --skip_;
            return;
        }
        long v = param;
        if (v < 0) v += 65536;
        emitCodepoint(v >= 0 && v <= 0x10FFFF ? static_cast<char32_t>(v) : 0xFFFD);
        skip_ = st_.uc;
    } else if (w == "uc") {
        st_.uc = std::clamp(p, 0, 16);
    } else if (w == "ansicpg") {
        if (p > 0) ansiCodepage_ = p;
    } else if (w == "deff") {
        deff_ = p;
    } else if (w == "pard") {
        st_.firstLineIndent = 0;
    } else if (w == "fi") {
        st_.firstLineIndent = p;
    } else if (w == "plain") {
        st_.font = -1;
        st_.halfPoints = 24;
        st_.bold = st_.italic = st_.underline = false;
        st_.color = 0;
    } else if (w == "f") {
        st_.font = p;
    } else if (w == "fs") {
        st_.halfPoints = hasParam && p > 0 ? std::min(p, 3276) : 24;
    } else if (w == "cf") {
        st_.color = p;
    } else if (w == "b") {
        st_.bold = !hasParam || p != 0;
    } else if (w == "i") {
        st_.italic = !hasParam || p != 0;
    } else if (w == "ulnone") {
        st_.underline = false;
    } else if (w.substr(0, 2) == "ul" && w != "ulc") {
        st_.underline = !hasParam || p != 0;
    } else if (w == "emdash") {
        emitCodepoint(0x2014);
    } else if (w == "endash") {
        emitCodepoint(0x2013);
    } else if (w == "bullet") {
        emitCodepoint(0x2022);
    } else if (w == "lquote") {
        emitCodepoint(0x2018);
    } else if (w == "rquote") {
        emitCodepoint(0x2019);
    } else if (w == "ldblquote") {
        emitCodepoint(0x201C);
    } else if (w == "rdblquote") {
        emitCodepoint(0x201D);
    } else if (w == "emspace") {
        emitCodepoint(0x2003);
    } else if (w == "enspace") {
        emitCodepoint(0x2002);
    }
    // Anything else is formatting this model does not keep.
}

}  // namespace

bool readRtf(std::string_view bytes, Document& out, std::string* error) {
    out = Document{};
    if (bytes.size() > kMaxInputBytes) {
        if (error) *error = "RTF文件太大（超过" + std::to_string(kMaxInputBytes >> 20) + " MB）";
        return false;
    }
    std::size_t start = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") start = 3;
    while (start < bytes.size() && (bytes[start] == ' ' || bytes[start] == '\t' || bytes[start] == '\r' || bytes[start] == '\n'))
        ++start;
    if (bytes.substr(start, 5) != "{\\rtf") {
        if (error) *error = "不是RTF格式的文件";
        return false;
    }
    Reader reader(bytes.substr(start));
    out = reader.run();
    return true;
}

}  // namespace hj::rtf
