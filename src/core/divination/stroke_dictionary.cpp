#include "core/divination/stroke_dictionary.h"


#include <algorithm>
#include <cerrno>
#include <utility>

#include "core/platform/platform.h"
#include "core/traditional/conversion.h"
#include "core/text/file_io.h"
#include "core/text/gbk.h"
#include "core/text/utf8.h"

namespace hj {
namespace {

constexpr std::string_view kElementNames[5] = {"水", "木", "火", "土", "金"};
// Element by the last digit of a count: 水 木 木 火 火 土 土 金 金 水.
constexpr int kElementOfDigit[10] = {0, 1, 1, 2, 2, 3, 3, 4, 4, 0};
// The first of the two digits of each element (水 9 and 0, 木 1 and 2, …).
constexpr int kDigitOfElement[5] = {9, 1, 3, 5, 7};

// Error texts are kept within the 119 GBK bytes the dialog's message field holds.
constexpr std::size_t kErrorTextBytes = 119;

int strokesInRecord(const unsigned char rec[4]) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(rec[2] | rec[3] << 8));
}

std::string pairToUtf8(unsigned char b1, unsigned char b2) {
    const char pair[2] = {static_cast<char>(b1), static_cast<char>(b2)};
    return text::gbkToUtf8(std::string_view(pair, 2));
}

// The CJK ideograph blocks GBK draws its hanzi from (basic, extension A, compatibility).
bool isCjkIdeograph(char32_t c) {
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF);
}

bool isGb2312Pair(std::string_view gbk) {
    return gbk.size() == 2 && static_cast<unsigned char>(gbk[0]) >= 0xA0 && static_cast<unsigned char>(gbk[1]) >= 0xA0;
}

// The GBK bytes under which `character` is found in the dictionary: its own when it is a
// GB2312 hanzi, else those of its simplified form (龍 → 龙), whose count the file gives as the
// 康熙 count of the traditional form. Empty when neither is a two-byte GBK character.
std::string lookupBytes(std::string_view character) {
    std::string gbk;
    if (!text::utf8ToGbk(character, gbk) || gbk.size() != 2) return {};
    if (isGb2312Pair(gbk)) return gbk;
    std::string simplified;
    if (text::utf8ToGbk(traditional::simplifiedCharacter(character), simplified) && isGb2312Pair(simplified)) return simplified;
    return gbk;
}

}  // namespace

std::string_view elementName(int code) { return code >= 0 && code < 5 ? kElementNames[code] : std::string_view(); }

int elementOfStrokes(int strokes) { return kElementOfDigit[(strokes % 10 + 10) % 10]; }

int strokeRecordIndex(unsigned char b1, unsigned char b2) {
    // Rows 16..87 of GB2312 (lead bytes B0..F7), cells 1..94 (trail bytes A1..FE). Other trail
    // bytes would fall on a neighbouring slot under the row/cell arithmetic, so they are refused.
    if (b1 < 0xB0 || b1 > 0xF7 || b2 < 0xA1 || b2 > 0xFE) return -1;
    return (b1 - 0xB0) * 94 + (b2 - 0xA1);
}

StrokeDictionary::StrokeDictionary(std::string path) : path_(std::move(path)) {}

StrokeDictionary StrokeDictionary::fromImage(std::string image) {
    StrokeDictionary d;
    d.path_ = "(memory)";
    d.image_ = std::move(image);
    d.inMemory_ = true;
    return d;
}

void StrokeDictionary::setError(std::string_view utf8) { errorText_ = text::truncateGbk(utf8, kErrorTextBytes); }

StrokeDictionary::Read StrokeDictionary::readRecord(int k, unsigned char rec[4]) const {
    const auto offset = static_cast<std::size_t>(k) * kStrokeRecordSize;
    if (inMemory_) {
        if (image_.size() < offset + kStrokeRecordSize) return Read::Short;
        for (int i = 0; i < 4; ++i) rec[i] = static_cast<unsigned char>(image_[offset + static_cast<std::size_t>(i)]);
        return Read::Ok;
    }
    // Only a regular file is read: a link or a FIFO in its place is refused, never waited on.
    const platform::Handle h = text::openRegularFile(path_, nullptr);
    if (h == platform::kNoHandle) return Read::NoFile;
    char buf[4];
    const std::int64_t n = platform::readAt(h, static_cast<std::int64_t>(offset), buf, 4);
    platform::closeFile(h);
    if (n != 4) return Read::Short;
    for (int i = 0; i < 4; ++i) rec[i] = static_cast<unsigned char>(buf[i]);
    return Read::Ok;
}

bool StrokeDictionary::readAll(std::string& bytes) const {
    if (inMemory_) {
        bytes = image_;
        return true;
    }
    const platform::Handle h = text::openRegularFile(path_, nullptr);
    if (h == platform::kNoHandle) return false;
    // The dictionary has a fixed size; anything past its last slot is not read.
    bytes.assign(static_cast<std::size_t>(kStrokeRecordCount) * kStrokeRecordSize, '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const std::int64_t n = platform::readSome(h, bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            platform::closeFile(h);
            return false;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    platform::closeFile(h);
    bytes.resize(got);
    return true;
}

int StrokeDictionary::strokesOf(std::string_view character) {
    const std::string gbk = lookupBytes(character);
    if (gbk.empty()) {
        setError(kMsgOneCharacter);
        return 0;
    }
    const auto b1 = static_cast<unsigned char>(gbk[0]), b2 = static_cast<unsigned char>(gbk[1]);
    const int k = strokeRecordIndex(b1, b2);
    if (k < 0) {
        setError("字库中没有这个汉字：" + std::string(character));
        return 0;
    }
    unsigned char rec[4];
    switch (readRecord(k, rec)) {
    case Read::NoFile:
        setError("无法打开笔划文件：" + path_);
        return 0;
    case Read::Short:
        setError("笔划文件不完整：" + path_);
        return 0;
    case Read::Ok:
        break;
    }
    // A record that names another character means the file is shifted or overwritten: its
    // counts cannot be trusted.
    if (rec[0] != b1 || rec[1] != b2) {
        setError("笔划文件已损坏：" + path_);
        return 0;
    }
    const int strokes = strokesInRecord(rec);
    if (strokes <= 0) {
        setError("字库中没有这个汉字的笔划：" + std::string(character));
        return 0;
    }
    return strokes;
}

bool StrokeDictionary::computeGrids(std::string_view name, bool single, NameGrids& out) {
    const std::string gbk = text::utf8ToGbkLossy(name);
    const std::size_t n = gbk.size() / 2;
    if (n < 2 || gbk.size() % 2 != 0) {
        setError(kMsgBadNameLength);
        return false;
    }
    // Traditional characters outside GB2312 count as hanzi through their simplified form. Other
    // Chinese characters GBK has (镕) are hanzi the dictionary lacks: say which one.
    for (std::size_t i = 0; i < n; ++i) {
        const std::string ch = text::gbkToUtf8(std::string_view(gbk).substr(2 * i, 2));
        if (!isGb2312Pair(lookupBytes(ch))) {
            std::size_t pos = 0;
            setError(isCjkIdeograph(text::nextUtf8Char(ch, pos)) ? std::string(kMsgNoStrokesOf) + ch
                                                                 : std::string(kMsgNotHanzi));
            return false;
        }
    }
    // Single surnames take one or two given-name characters, compound ones the same after two
    // surname characters; nothing longer has grids.
    if ((single && n > 3) || (!single && (n < 3 || n > 4))) {
        setError(kMsgBadNameLength);
        return false;
    }
    NameGrids g;
    g.count = static_cast<int>(n);
    for (std::size_t i = 0; i < n; ++i) {
        g.characters[i] = text::gbkToUtf8(std::string_view(gbk).substr(2 * i, 2));
        g.strokes[i] = strokesOf(g.characters[i]);
        if (g.strokes[i] == 0) {
            setError(kMsgNoStrokes);
            return false;
        }
    }
    const auto& v = g.strokes;
    const bool twoGiven = (single && n == 3) || (!single && n == 4);
    g.tian = single ? v[0] + 1 : v[0] + v[1];
    g.di = twoGiven ? v[n - 1] + v[n - 2] : v[n - 1] + 1;
    g.ren = single ? v[0] + v[1] : v[1] + v[2];
    for (std::size_t i = 0; i < n; ++i) g.zong += v[i];
    if (single) g.wai = n == 2 ? g.zong + 2 - g.ren : g.zong + 1 - g.ren;
    else g.wai = n == 3 ? g.zong + 1 - g.ren : g.zong - g.ren;
    out = std::move(g);
    return true;
}

bool StrokeDictionary::listCharactersOfElement(int element, std::string& text) {
    if (element < 0 || element > 4) {
        setError("未知的五行：" + std::to_string(element));
        return false;
    }
    std::string bytes;
    if (!readAll(bytes)) {
        setError("无法打开笔划文件：" + path_);
        return false;
    }
    const int d = kDigitOfElement[element];
    text = "属";
    text += kElementNames[element];
    text += "的汉字:\n";
    const std::size_t records = std::min<std::size_t>(bytes.size() / kStrokeRecordSize, kStrokeRecordCount);
    int written = 0;
    for (std::size_t k = 0; k < records; ++k) {
        unsigned char rec[4];
        for (std::size_t i = 0; i < 4; ++i) rec[i] = static_cast<unsigned char>(bytes[4 * k + i]);
        const int strokes = strokesInRecord(rec);
        if (strokes <= 0) continue;
        const int digit = strokes % 10;
        if (digit != d && digit != (d + 1) % 10) continue;
        // Only a record holding its own slot's character is listed.
        if (strokeRecordIndex(rec[0], rec[1]) != static_cast<int>(k)) continue;
        text += pairToUtf8(rec[0], rec[1]);
        text += ' ';
        if (++written % 10 == 0) text += '\n';
    }
    return true;
}

std::string gridsText(std::string_view name, const NameGrids& g) {
    std::string s = "姓名:";
    s += name;
    s += '\n';
    for (int i = 0; i < g.count; ++i) {
        s += g.characters[static_cast<std::size_t>(i)];
        s += ':' + std::to_string(g.strokes[static_cast<std::size_t>(i)]) + "画 ";
    }
    const std::pair<std::string_view, int> grids[5] = {
        {"天格", g.tian}, {"地格", g.di}, {"人格", g.ren}, {"总格", g.zong}, {"外格", g.wai}};
    s += "\n\n";
    for (int i = 0; i < 5; ++i) {
        s += grids[i].first;
        s += std::to_string(grids[i].second) + "画,五行属";
        s += kElementNames[elementOfStrokes(grids[i].second)];
        s += i < 4 ? "。\n\n" : "。";
    }
    return s;
}

std::string characterText(std::string_view character, int strokes) {
    std::string s(character);
    s += "字:" + std::to_string(strokes) + "画,五行属:";
    s += kElementNames[elementOfStrokes(strokes)];
    s += "。";
    return s;
}

}  // namespace hj
