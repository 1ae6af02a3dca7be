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
    // A control byte past the sniffed start does not make a long text binary.
    std::string longText(10000, 'a');
    longText += '\x01';
    EXPECT_EQ(importedKind(longText), ImportedKind::Text);
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
