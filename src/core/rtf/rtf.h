#pragma once
// Reports as rich text: a small styled-text model (paragraphs of runs), a writer that emits RTF
// word processors open (\ansicpg936, GBK \'hh escapes, \uN for characters outside GBK), and a
// tolerant reader for that and for RTF written by common word processors and rich-edit
// controls.
//
// Written by hand: no packaged library reads and writes RTF with GBK code pages. The reader
// works on a memory image, never recurses, and bounds group depth, table sizes and output, so
// garbage, truncated or deeply nested input cannot crash or hang it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hj::rtf {

inline constexpr std::string_view kDefaultFont = "宋体";

struct CharFormat {
    std::string font{kDefaultFont};  // UTF-8 font name
    int halfPoints = 24;             // font size in half points (RTF \fs): 24 = 12 pt
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::uint32_t color = 0x000000;  // 0xRRGGBB
    friend bool operator==(const CharFormat&, const CharFormat&) = default;
};

struct Run {
    std::string text;  // UTF-8; '\t' is a tab, '\n' a line break inside the paragraph
    CharFormat format;
    friend bool operator==(const Run&, const Run&) = default;
};

struct Paragraph {
    std::vector<Run> runs;
    int firstLineIndent = 0;  // twips (RTF \fi); 20 twips = 1 pt
    friend bool operator==(const Paragraph&, const Paragraph&) = default;
};

struct Document {
    std::vector<Paragraph> paragraphs;
    friend bool operator==(const Document&, const Document&) = default;
};

// The document as RTF bytes (ASCII only: every other character is escaped). Never fails.
std::string writeRtf(const Document& doc);

// Limits of the reader.
inline constexpr std::size_t kMaxInputBytes = 16u << 20;  // larger input is refused
inline constexpr int kMaxGroupDepth = 200;                // deeper groups are ignored
inline constexpr int kMaxTableEntries = 4096;             // fonts and colours kept
inline constexpr std::size_t kMaxParagraphs = 1u << 20;   // further breaks become line breaks
inline constexpr std::size_t kMaxRuns = 1u << 20;         // further text keeps the last format

// Reads RTF. Unknown control words are skipped; skipped destinations (\*, stylesheet, info,
// pict, …) are not shown; truncated input yields what was read. False with a message only
// when the input is not RTF at all or is larger than kMaxInputBytes.
bool readRtf(std::string_view bytes, Document& out, std::string* error = nullptr);

// The text of the document: paragraphs joined by `eol` (runs' '\n' become `eol` too).
std::string plainText(const Document& doc, std::string_view eol = "\r\n");

// A document of one run per line of `utf8` (split at "\r\n", "\n" or "\r"), all in `format`,
// every paragraph with the given first-line indent.
Document fromPlainText(std::string_view utf8, const CharFormat& format = {}, int firstLineIndent = 0);

// Appends `text` to the paragraph, merging with the last run when the format is the same.
void appendText(Paragraph& p, std::string_view text, const CharFormat& format);

}  // namespace hj::rtf
