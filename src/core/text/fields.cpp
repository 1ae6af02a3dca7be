#include "core/text/fields.h"

#include "core/text/gbk.h"

namespace hj::text {
namespace {

bool isControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029; }

bool isSpace(char32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == 0xA0 || c == 0x1680 ||
           c == 0x180E || (c >= 0x2000 && c <= 0x200B) || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

}  // namespace

bool hasControlCharacter(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();)
        if (isControl(nextUtf8Char(utf8, i))) return true;
    return false;
}

bool isBlankText(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();)
        if (!isSpace(nextUtf8Char(utf8, i))) return false;
    return true;
}

bool checkFieldText(std::string_view utf8, std::string_view label, bool needsText, std::string* error) {
    if (hasControlCharacter(utf8)) {
        if (error) *error = std::string(label) + "不能包含制表符、换行等控制字符";
        return false;
    }
    if (needsText && isBlankText(utf8)) {
        if (error) *error = std::string(label) + (utf8.empty() ? "不能为空" : "不能只有空格");
        return false;
    }
    return true;
}

}  // namespace hj::text
