// Imported report files judged from their bytes: RTF, text or binary, and whether the
// encoding of a text must be asked.
#include <gtest/gtest.h>

#include "core/text/imported_text.h"

namespace hj::text {
namespace {

using namespace std::string_view_literals;

TEST(ImportedText, KindAndEncoding) {
    struct Case {
        std::string_view bytes;
        ImportedKind kind;
        bool ambiguous;
        const char* why;
    } cases[] = {
        {"{\\rtf1\\ansi 命主}", ImportedKind::Rtf, false, "RTF"},
        {"\xC3\xFC\xD6\xF7:\xD5\xC5\xC8\xFD\r\n", ImportedKind::Text, false, "GBK 命主:张三, not UTF-8"},
        {"命主:张三\r\n第二行\n", ImportedKind::Text, true, "UTF-8 without a mark"},
        {"\xEF\xBB\xBF命主:张三\n", ImportedKind::Text, false, "UTF-8 with its mark"},
        {"plain ASCII\ttext\f\x1A", ImportedKind::Text, false, "ASCII reads the same either way"},
        {"PK\x03\x04zip"sv, ImportedKind::Binary, false, "a zip archive"},
        {"MZ\x90\x00\x03"sv, ImportedKind::Binary, false, "NUL bytes"},
        {"", ImportedKind::Text, false, "empty"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(importedKind(c.bytes), c.kind) << c.why;
        if (c.kind == ImportedKind::Text) {
            EXPECT_EQ(encodingIsAmbiguous(c.bytes), c.ambiguous) << c.why;
        }
    }
    // A control byte past the sniffed start does not make a long text binary; a NUL byte does,
    // wherever it is (a binary part after a text start).
    std::string longText(10000, 'a');
    longText += '\x01';
    EXPECT_EQ(importedKind(longText), ImportedKind::Text);
    longText += std::string("\x00\x01\x02PK"sv);
    EXPECT_EQ(importedKind(longText), ImportedKind::Binary);
}

// UTF-16 with its mark, either byte order, becomes UTF-8 with its mark; malformed UTF-16 and
// everything else stay as they are.
TEST(ImportedText, Utf16WithItsMark) {
    struct Case {
        std::string_view bytes;
        bool converted;
        std::string_view utf8;  // after the mark, when converted
        const char* why;
    } cases[] = {
        {"\xFF\xFE\x7D\x54\x3B\x4E:\x00\r\x00\n\x00"sv, true, "命主:\r\n", "little-endian 命主"},
        {"\xFE\xFF\x54\x7D\x4E\x3B"sv, true, "命主", "big-endian"},
        {"\xFF\xFE\x3D\xD8\x00\xDE"sv, true, "\xF0\x9F\x98\x80", "a surrogate pair"},
        {"\xFF\xFE"sv, true, "", "the mark alone"},
        {"\xFF\xFE\x7D"sv, false, "", "odd length"},
        {"\xFF\xFE\x3D\xD8\x41\x00"sv, false, "", "a high surrogate without its low one"},
        {"\xFF\xFE\x00\xDE"sv, false, "", "a lone low surrogate"},
        {"\xEF\xBB\xBF命主"sv, false, "", "UTF-8"},
        {"\xC3\xFC\xD6\xF7"sv, false, "", "GBK"},
    };
    for (const Case& c : cases) {
        std::string bytes(c.bytes);
        EXPECT_EQ(utf16AsUtf8(bytes), c.converted) << c.why;
        if (c.converted) {
            EXPECT_EQ(bytes, "\xEF\xBB\xBF" + std::string(c.utf8)) << c.why;
            EXPECT_EQ(importedKind(bytes), ImportedKind::Text) << c.why;
            EXPECT_FALSE(encodingIsAmbiguous(bytes)) << c.why;
        } else {
            EXPECT_EQ(bytes, c.bytes) << c.why;
        }
    }
    // Left as it was, malformed UTF-16 is refused as binary.
    std::string bad("\xFF\xFE\x3D\xD8\x41\x00"sv);
    utf16AsUtf8(bad);
    EXPECT_EQ(importedKind(bad), ImportedKind::Binary);
}

TEST(ImportedText, PreviewLine) {
    EXPECT_EQ(firstNonAsciiLine("abc\r\n命主:张三\r\nx", 100), "命主:张三");
    EXPECT_EQ(firstNonAsciiLine("only ascii\n", 100), "");
    // Cut on a character's first byte, never inside one.
    EXPECT_EQ(firstNonAsciiLine("命主张三", 7), "命主");
    EXPECT_EQ(firstNonAsciiLine("命主张三", 6), "命主");
}

}  // namespace
}  // namespace hj::text
