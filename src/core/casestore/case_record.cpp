// Byte layout of the store header and the case record.
#include <cstring>

#include "core/casestore/case_store.h"

#include <tuple>

#include "core/casestore/case_identity.h"
#include "core/casestore/record_layout.h"
#include "core/text/gbk.h"

namespace hj::casestore {
namespace {
using namespace detail;

void put16(char* p, std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    p[0] = static_cast<char>(u & 0xFF);
    p[1] = static_cast<char>(u >> 8);
}
void put32(char* p, std::uint32_t u) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}
std::int16_t get16(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(b[0] | (b[1] << 8)));
}
std::uint32_t get32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}
void putFloat(char* p, float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    put32(p, u);
}
float getFloat(const char* p) {
    const std::uint32_t u = get32(p);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

bool putText(char* field, std::size_t width, const std::string& utf8, const char* label, std::string* error) {
    std::string gbk, bad;
    if (!text::utf8ToGbk(utf8, gbk, &bad)) {
        if (error) *error = std::string(label) + "中的字符“" + bad + "”无法以GBK编码保存";
        return false;
    }
    if (gbk.find('\0') != std::string::npos) {
        if (error) *error = std::string(label) + "中含有空字符";
        return false;
    }
    if (gbk.size() + 1 > width) {
        if (error)
            *error = std::string(label) + "太长：最多" + std::to_string(width - 1) + "个字节（一个汉字占两个字节），现有" +
                     std::to_string(gbk.size()) + "个字节";
        return false;
    }
    std::memcpy(field, gbk.data(), gbk.size());
    return true;
}

std::string getText(const char* field, std::size_t width) { return text::gbkToUtf8(text::gbkField(field, width)); }

}  // namespace

HeaderBytes encodeHeader(const StoreHeader& h) {
    HeaderBytes b{};
    b[0] = static_cast<char>(h.kind);
    put32(&b[4], static_cast<std::uint32_t>(h.count));
    put32(&b[8], static_cast<std::uint32_t>(h.deletedCount));
    b[12] = static_cast<char>(h.reuse);
    put16(&b[14], h.fileCount);
    return b;
}

StoreHeader decodeHeader(const char* bytes) {
    StoreHeader h;
    h.kind = static_cast<std::uint8_t>(bytes[0]);
    h.count = static_cast<std::int32_t>(get32(bytes + 4));
    h.deletedCount = static_cast<std::int32_t>(get32(bytes + 8));
    h.reuse = static_cast<std::uint8_t>(bytes[12]);
    h.fileCount = get16(bytes + 14);
    return h;
}

bool checkHeader(const StoreHeader& h, std::uint8_t kind, std::string* error) {
    auto bad = [&](const std::string& why) {
        if (error) *error = "命例库文件头无效：" + why;
        return false;
    };
    if (h.kind != kind) return bad("记录类型为" + std::to_string(h.kind) + "，不是八字命例（" + std::to_string(kind) + "）");
    if (h.count < 0) return bad("记录数为负数（" + std::to_string(h.count) + "）");
    if (h.deletedCount < 0 || h.deletedCount > h.count)
        return bad("已删除记录数" + std::to_string(h.deletedCount) + "与记录数" + std::to_string(h.count) + "不符");
    if (h.fileCount < 1) return bad("记录文件数为" + std::to_string(h.fileCount));
    if (static_cast<std::int64_t>(h.count) > static_cast<std::int64_t>(h.fileCount) * kRecordsPerFile)
        return bad("记录数" + std::to_string(h.count) + "超出" + std::to_string(h.fileCount) + "个记录文件的容量");
    return true;
}

bool encodeRecord(const CaseRecord& r, RecordBytes& out, std::string* error) {
    out.fill(0);
    char* b = out.data();
    put32(b + kOffIndex, static_cast<std::uint32_t>(r.index));
    b[kOffDeleted] = static_cast<char>(r.deleted);
    if (!putText(b + kOffName, kNameField, r.name, "姓名", error)) return false;
    if (!putText(b + kOffClass, kClassField, r.className, "类别名", error)) return false;
    put16(b + kOffYear, r.year);
    put16(b + kOffMonth, r.month);
    put16(b + kOffDay, r.day);
    put16(b + kOffHour, r.hour);
    put16(b + kOffMinute, r.minute);
    b[kOffLunar] = static_cast<char>(r.lunar);
    b[kOffLeap] = static_cast<char>(r.leap);
    b[kOffMale] = static_cast<char>(r.male);
    b[kOffPad45] = static_cast<char>(r.pad45);
    put16(b + kOffPad50, static_cast<std::int16_t>(r.pad50));
    put16(b + kOffProvince, r.province);
    put16(b + kOffCity, r.city);
    putFloat(b + kOffLongitude, r.longitude);
    putFloat(b + kOffLatitude, r.latitude);
    if (!putText(b + kOffNote, kNoteField, r.note, "附加信息", error)) return false;
    if (!putText(b + kOffPlace, kPlaceField, r.place, "出生地", error)) return false;
    putIdentity(b, r.caseId);  // a note too long to leave room keeps the record without one
    if (r.revision > 0 && r.revision <= 0xFFFFFFFFu) putRevision(b, static_cast<std::uint32_t>(r.revision));
    return true;
}

CaseRecord decodeRecord(const char* b) {
    CaseRecord r;
    r.index = static_cast<std::int32_t>(get32(b + kOffIndex));
    r.deleted = static_cast<std::uint8_t>(b[kOffDeleted]);
    r.name = getText(b + kOffName, kNameField);
    r.className = getText(b + kOffClass, kClassField);
    r.year = get16(b + kOffYear);
    r.month = get16(b + kOffMonth);
    r.day = get16(b + kOffDay);
    r.hour = get16(b + kOffHour);
    r.minute = get16(b + kOffMinute);
    r.lunar = static_cast<std::uint8_t>(b[kOffLunar]);
    r.leap = static_cast<std::uint8_t>(b[kOffLeap]);
    r.male = static_cast<std::uint8_t>(b[kOffMale]);
    r.pad45 = static_cast<std::uint8_t>(b[kOffPad45]);
    r.pad50 = static_cast<std::uint16_t>(get16(b + kOffPad50));
    r.province = get16(b + kOffProvince);
    r.city = get16(b + kOffCity);
    r.longitude = getFloat(b + kOffLongitude);
    r.latitude = getFloat(b + kOffLatitude);
    r.note = getText(b + kOffNote, kNoteField);
    r.place = getText(b + kOffPlace, kPlaceField);
    r.caseId = identityOf(b);
    r.revision = revisionOf(b);
    return r;
}

bool CaseRecord::sameContents(const CaseRecord& a, const CaseRecord& b) {
    const auto fields = [](const CaseRecord& r) {
        return std::tie(r.index, r.deleted, r.name, r.className, r.year, r.month, r.day, r.hour, r.minute, r.lunar,
                        r.leap, r.male, r.province, r.city, r.longitude, r.latitude, r.note, r.place, r.pad45, r.pad50);
    };
    return fields(a) == fields(b);
}

}  // namespace hj::casestore
