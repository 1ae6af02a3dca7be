#pragma once
// A report file read from outside (导入命稿), judged from its bytes before it is shown: RTF,
// plain text, or something else. The program's own files are GBK unless they start with the
// UTF-8 byte-order mark; a text from elsewhere is often UTF-8 without it, which would show as
// mojibake, so a text that reads as UTF-8 and holds bytes beyond ASCII is asked about.
#include <cstddef>
#include <string>
#include <string_view>

namespace hj::text {

enum class ImportedKind {
    Rtf,     // starts with "{\rtf"
    Text,    // plain text (GBK, or UTF-8 with or without the byte-order mark)
    Binary,  // a NUL byte anywhere, or in its start control characters no text holds
};
ImportedKind importedKind(std::string_view bytes);

// A text in UTF-16 with its byte-order mark (FF FE little-endian, FE FF big-endian) becomes the
// same text in UTF-8 with its mark, which the rest reads as UTF-8. False, `bytes` unchanged,
// for anything else or for malformed UTF-16 (an odd length, a lone surrogate): that is then
// judged as it is, and its NUL bytes make it binary.
bool utf16AsUtf8(std::string& bytes);

// Plain text whose encoding cannot be told: well-formed UTF-8 without the byte-order mark that
// holds bytes beyond ASCII (as GBK it would also read, differently).
bool encodingIsAmbiguous(std::string_view bytes);

// The first line that holds a byte beyond ASCII, cut to at most `maxBytes` bytes on a line
// break; empty when there is none. For showing the two readings side by side.
std::string_view firstNonAsciiLine(std::string_view bytes, std::size_t maxBytes);

}  // namespace hj::text
