#pragma once
// Stroke counts of Chinese characters from dat/hzlen.dat, and the five grids (五格) of a name.
//
// hzlen.dat holds one 4-byte record per slot of the GB2312 hanzi rows (B0A1 啊 … F7FE), 6768
// in code order: the character's two GBK bytes, then its stroke count as a little-endian
// signed 16-bit number (0 or less: no entry). The record of a character is found by
// arithmetic; the file is read per lookup, never cached.
//
// Texts in and out are UTF-8; the byte rules (a character is two bytes, hanzi bytes are at
// least 0xA0) are applied to the GBK form.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace hj {

inline constexpr int kStrokeRecordCount = 6768;
inline constexpr int kStrokeRecordSize = 4;

// Element codes: 0 水, 1 木, 2 火, 3 土, 4 金.
std::string_view elementName(int code);  // empty for a code outside 0..4
// Element of a stroke count by its last decimal digit (1, 2 木; 3, 4 火; 5, 6 土; 7, 8 金; 9, 0 水).
int elementOfStrokes(int strokes);

// Record index of the GB2312 hanzi with GBK bytes b1 b2, or -1 when the pair is not one of the
// 6768 slots (symbols, GBK extension characters, ASCII).
int strokeRecordIndex(unsigned char b1, unsigned char b2);

struct NameGrids {
    int tian = 0, di = 0, ren = 0, zong = 0, wai = 0;  // 天格 地格 人格 总格 外格
    int count = 0;                                      // characters of the name, 2..4
    std::array<std::string, 4> characters;              // UTF-8
    std::array<int, 4> strokes{};
};

class StrokeDictionary {
public:
    // Reads the file at `path` at each operation.
    explicit StrokeDictionary(std::string path);
    // Reads a dictionary held in memory (the bytes a file would hold).
    static StrokeDictionary fromImage(std::string image);

    const std::string& path() const { return path_; }
    // UTF-8 text of the last failure.
    const std::string& errorText() const { return errorText_; }

    // Strokes of one character; 0 on failure with `errorText` set.
    int strokesOf(std::string_view character);

    // The five grids of `name` (单姓 when `singleSurname`, else 复姓); false with `errorText`.
    bool computeGrids(std::string_view name, bool singleSurname, NameGrids& out);

    // "属X的汉字:\n" and every character of element `element` (0..4), ten a line; false when
    // the element is unknown or the file cannot be read.
    bool listCharactersOfElement(int element, std::string& text);

private:
    StrokeDictionary() = default;
    enum class Read { Ok, NoFile, Short };
    // The record of slot k (0 <= k < kStrokeRecordCount).
    Read readRecord(int k, unsigned char rec[4]) const;
    bool readAll(std::string& bytes) const;
    void setError(std::string_view utf8);

    std::string path_;
    std::string image_;
    bool inMemory_ = false;
    std::string errorText_;
};

// The memo text of 求五格 for a computed name.
std::string gridsText(std::string_view name, const NameGrids& g);
// The memo text of 计算: "明字:8画,五行属:金。".
std::string characterText(std::string_view character, int strokes);

// Messages of the dictionary.
inline constexpr std::string_view kMsgOneCharacter = "请输入一个汉字";
inline constexpr std::string_view kMsgBadNameLength = "单姓：名1-2位，复姓：名1-2位,无效的姓名";
inline constexpr std::string_view kMsgNotHanzi = "必须输入汉字";
inline constexpr std::string_view kMsgNoStrokes = "找不到其中一个汉字的笔划";
inline constexpr std::string_view kMsgNoStrokesOf = "找不到这个字的笔划：";  // followed by the character
inline constexpr std::string_view kMsgDictionaryMissing = "姓名文件丢失";

}  // namespace hj
