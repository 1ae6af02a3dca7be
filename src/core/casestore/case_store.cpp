// The case store's record operations: open, read, write, add, remove, search.
#include "core/casestore/case_store.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/casestore/record_layout.h"
#include "core/casestore/store_session.h"
#include "core/text/file_io.h"
#include "core/text/gbk.h"
#include "core/text/ini.h"

namespace hj::casestore {
using detail::StoreFile;
namespace fs = std::filesystem;

namespace {
constexpr std::int32_t kScanBlock = 256;  // slots read at a time by a scan (about 300 KB)

std::string withoutTrailingSlash(std::string p) {
    while (p.size() > 1 && (p.back() == '/' || p.back() == '\\')) p.pop_back();
    return p;
}
}  // namespace

// ---- session ----

bool StoreSession::begin(bool exclusive) {
    exclusive_ = exclusive;
    if (!store_.isOpen()) return fail("命例库尚未打开");
    std::string err;
    bool missing = false;
    if (!f0_.open(store_.recordFilePath(0), exclusive ? StoreFile::Mode::ReadWrite : StoreFile::Mode::Read, &err,
                  &missing))
        return fail(missing ? "命例库文件不存在：" + store_.recordFilePath(0) : err);
    if (!f0_.lock(exclusive, &err)) return fail(err);
    HeaderBytes hb{};
    if (!f0_.readExact(0, hb.data(), hb.size())) return fail("命例库文件头不完整：" + store_.recordFilePath(0));
    h = decodeHeader(hb.data());
    if (!checkHeader(h, store_.kind_, &err)) return fail(err + "（" + store_.recordFilePath(0) + "）");
    store_.header_ = h;
    return true;
}

StoreFile* StoreSession::file(int k, bool create, std::string* error) {
    if (error) error->clear();
    if (k == 0) return &f0_;
    auto it = files_.find(k);
    if (it != files_.end()) return &it->second;
    StoreFile f;
    bool missing = false;
    const auto mode = create ? StoreFile::Mode::Create : exclusive_ ? StoreFile::Mode::ReadWrite : StoreFile::Mode::Read;
    std::string err;
    if (!f.open(store_.recordFilePath(k), mode, &err, &missing)) {
        if (error && !missing) *error = err;
        return nullptr;
    }
    return &files_.emplace(k, std::move(f)).first->second;
}

bool StoreSession::writeHeader() {
    const HeaderBytes hb = encodeHeader(h);
    if (!f0_.writeAt(0, hb.data(), hb.size()) || !f0_.sync())
        return fail("无法写入命例库文件头：" + store_.recordFilePath(0) + "：" + detail::errnoText());
    store_.header_ = h;
    return true;
}

std::int64_t StoreSession::slotOffset(std::int64_t i) {
    const int k = static_cast<int>(i / kRecordsPerFile);
    return fileBase(k) + (i % kRecordsPerFile) * static_cast<std::int64_t>(kRecordSize);
}

std::int64_t StoreSession::slotsPresent(int k) {
    StoreFile* f = file(k, false, nullptr);
    if (!f) return 0;
    const std::int64_t size = f->size();
    if (size <= fileBase(k)) return 0;
    return std::min<std::int64_t>((size - fileBase(k)) / static_cast<std::int64_t>(kRecordSize), kRecordsPerFile);
}

bool StoreSession::scan(std::int32_t first, std::int32_t last,
                        const std::function<bool(std::int32_t, const char*)>& fn, std::int64_t* missing) {
    if (missing) *missing = 0;
    first = std::max(first, 0);
    last = std::min(last, h.count);
    std::vector<char> buf(static_cast<std::size_t>(kScanBlock) * kRecordSize);
    std::int32_t i = first;
    while (i < last) {
        const int k = i / kRecordsPerFile;
        const std::int32_t fileFirst = k * kRecordsPerFile;
        const std::int32_t fileEnd = std::min(last, fileFirst + kRecordsPerFile);
        std::string err;
        StoreFile* f = file(k, false, &err);
        if (!f && !err.empty()) return fail(err);
        const std::int64_t present = f ? slotsPresent(k) : 0;
        const std::int32_t presentEnd = static_cast<std::int32_t>(std::min<std::int64_t>(fileEnd, fileFirst + present));
        while (i < presentEnd) {
            const std::int32_t n = std::min(kScanBlock, presentEnd - i);
            const std::size_t bytes = static_cast<std::size_t>(n) * kRecordSize;
            if (!f->readExact(slotOffset(i), buf.data(), bytes))
                return fail("无法读取记录文件 " + f->path() + "：" + detail::errnoText());
            for (std::int32_t j = 0; j < n; ++j)
                if (!fn(i + j, buf.data() + static_cast<std::size_t>(j) * kRecordSize)) return true;
            i += n;
        }
        if (missing && fileEnd > i) *missing += fileEnd - i;
        i = fileEnd;
    }
    return true;
}

// ---- store ----

bool CaseStore::fail(std::string message) {
    lastError_ = std::move(message);
    return false;
}

std::string CaseStore::recordFilePath(int k) const { return datDir_ + "/" + prefix_ + std::to_string(k) + ".dat"; }

std::string CaseStore::reportPath(int i) const { return reportDir_ + "/" + std::to_string(i) + ".rtf"; }

bool CaseStore::openStore(const std::string& programDir, std::uint8_t kind) {
    lastError_.clear();
    if (kind != kKindBazi) return fail("不支持的记录类型 " + std::to_string(kind));
    kind_ = kind;
    programDir_ = withoutTrailingSlash(programDir.empty() ? std::string(".") : programDir);
    datDir_ = programDir_ + "/dat";
    reportDir_ = programDir_ + "/" + prefix_ + "_f";
    header_ = StoreHeader{};
    std::error_code ec;
    for (const std::string& d : {datDir_, reportDir_}) {
        fs::create_directories(d, ec);
        if (ec || !fs::is_directory(d, ec)) return fail("无法创建文件夹 " + d);
    }
    const std::string f0 = recordFilePath(0);
    if (!fs::exists(f0, ec)) {
        StoreHeader fresh;
        fresh.kind = kind_;
        const HeaderBytes hb = encodeHeader(fresh);
        std::string err;
        // Created whole through a rename: a crash never leaves a header-less record file 0.
        if (!text::writeFileAtomically(f0, std::string_view(hb.data(), hb.size()), &err)) return fail(err);
        header_ = fresh;
        return true;
    }
    StoreHeader h;
    return readHeader(h);
}

bool CaseStore::readHeader(StoreHeader& out) {
    lastError_.clear();
    StoreSession s(*this);
    if (!s.begin(false)) return false;
    out = s.h;
    return true;
}

int CaseStore::recordCount() {
    StoreHeader h;
    return readHeader(h) ? h.count : -1;
}

bool CaseStore::readRecord(int i, CaseRecord& out) {
    lastError_.clear();
    StoreSession s(*this);
    if (!s.begin(false)) return false;
    if (i < 0 || i >= s.h.count) return false;
    const int k = i / kRecordsPerFile;
    std::string err;
    StoreFile* f = s.file(k, false, &err);
    if (!f) return fail(err.empty() ? "记录文件不存在：" + recordFilePath(k) : err);
    RecordBytes b{};
    if (!f->readExact(StoreSession::slotOffset(i), b.data(), b.size()))
        return fail("记录文件不完整，第" + std::to_string(i) + "号命例不在其中：" + f->path());
    out = decodeRecord(b.data());
    return out.deleted == 0;
}

bool CaseStore::readRecords(const std::vector<int>& indices, std::vector<CaseRecord>& out) {
    lastError_.clear();
    out.clear();
    StoreSession s(*this);
    if (!s.begin(false)) return false;
    RecordBytes b{};
    for (int i : indices) {
        if (i < 0 || i >= s.h.count) continue;
        std::string err;
        StoreFile* f = s.file(i / kRecordsPerFile, false, &err);
        if (!f) {
            if (!err.empty()) return fail(err);
            continue;
        }
        if (!f->readExact(StoreSession::slotOffset(i), b.data(), b.size())) continue;
        if (b[detail::kOffDeleted] != 0) continue;
        out.push_back(decodeRecord(b.data()));
    }
    return true;
}

bool CaseStore::readAllRecords(std::vector<CaseRecord>& out) {
    lastError_.clear();
    out.clear();
    StoreSession s(*this);
    if (!s.begin(false)) return false;
    return s.scan(0, s.h.count, [&](std::int32_t, const char* b) {
        if (b[detail::kOffDeleted] == 0) out.push_back(decodeRecord(b));
        return true;
    });
}

// The record file holding live slot i of an open session, or null with the reason in `error`
// (no such slot, file missing or cut short, or the slot deleted: "第i号命例" + `deletedWhy`).
StoreFile* liveSlot(const CaseStore& store, StoreSession& s, int i, const char* deletedWhy, std::string& error) {
    const std::string which = "第" + std::to_string(i) + "号命例";
    if (i < 0 || i >= s.h.count) {
        error = "没有" + which;
        return nullptr;
    }
    StoreFile* f = s.file(i / kRecordsPerFile, false, &error);
    if (!f) {
        if (error.empty()) error = "记录文件不存在：" + store.recordFilePath(i / kRecordsPerFile);
        return nullptr;
    }
    const std::int64_t off = StoreSession::slotOffset(i);
    char deleted = 0;
    if (f->size() < off + static_cast<std::int64_t>(kRecordSize) ||
        !f->readExact(off + static_cast<std::int64_t>(detail::kOffDeleted), &deleted, 1)) {
        error = "记录文件不完整，" + which + "不在其中：" + f->path();
        return nullptr;
    }
    if (deleted != 0) {
        error = which + deletedWhy;
        return nullptr;
    }
    return f;
}

bool CaseStore::writeRecord(int i, const CaseRecord& r) {
    lastError_.clear();
    CaseRecord copy = r;
    copy.index = i;
    copy.deleted = 0;
    RecordBytes b{};
    if (!encodeRecord(copy, b, &lastError_)) return false;
    StoreSession s(*this);
    if (!s.begin(true)) return false;
    std::string err;
    StoreFile* f = liveSlot(*this, s, i, "已被删除，不能再保存到这个位置", err);
    if (!f) return fail(err);
    const std::int64_t off = StoreSession::slotOffset(i);
    if (!f->writeAt(off, b.data(), b.size()) || !f->sync())
        return fail("无法写入记录文件 " + f->path() + "：" + detail::errnoText());
    return true;
}

int CaseStore::addRecord(const CaseRecord& r) {
    lastError_.clear();
    auto failed = [this](std::string message) {
        fail(std::move(message));
        return -1;
    };
    CaseRecord copy = r;
    copy.deleted = 0;
    RecordBytes b{};
    if (!encodeRecord(copy, b, &lastError_)) return -1;  // checked before anything is touched
    StoreSession s(*this);
    if (!s.begin(true)) return -1;

    if (s.h.reuse != 0 && s.h.deletedCount > 0) {
        std::int32_t hole = -1;
        if (!s.scan(0, s.h.count, [&](std::int32_t i, const char* slot) {
                if (slot[detail::kOffDeleted] == 0) return true;
                hole = i;
                return false;
            }))
            return -1;
        if (hole >= 0) {
            copy.index = hole;
            if (!encodeRecord(copy, b, &lastError_)) return -1;
            std::string err;
            StoreFile* f = s.file(hole / kRecordsPerFile, false, &err);
            if (!f || !f->writeAt(StoreSession::slotOffset(hole), b.data(), b.size()) || !f->sync())
                return failed("无法写入记录文件 " + recordFilePath(hole / kRecordsPerFile) + "：" + detail::errnoText());
            // The record is on disk; only now does the header count the hole as used.
            s.h.deletedCount -= 1;
            if (s.h.deletedCount <= 0) {
                s.h.deletedCount = 0;
                s.h.reuse = 0;
            }
            return s.writeHeader() ? hole : -1;
        }
    }
    // No hole to fill (or none left although the header counted some): append, and let the
    // header count exactly the holes that exist, i.e. none before the gap handling below.
    if (s.h.reuse != 0 || s.h.deletedCount > 0) {
        if (s.h.reuse != 0) s.h.deletedCount = 0;
        s.h.reuse = 0;
    }
    const std::int32_t idx = s.h.count;
    if (static_cast<std::int64_t>(idx) + 1 > static_cast<std::int64_t>(kMaxFileCount) * kRecordsPerFile)
        return failed("命例库已满");
    const int k = idx / kRecordsPerFile;
    std::string err;
    StoreFile* f = s.file(k, true, &err);
    if (!f) return failed(err.empty() ? "无法创建记录文件 " + recordFilePath(k) : err);

    // A record file shorter than the count says (damaged, or cut off by another tool): its
    // missing slots become holes, so nothing past its end is read as a live record later.
    const std::int32_t fileFirst = k * kRecordsPerFile;
    const std::int32_t present = static_cast<std::int32_t>(s.slotsPresent(k));
    const std::int32_t gapFirst = std::min(fileFirst + present, idx);
    std::vector<char> block;
    block.reserve(static_cast<std::size_t>(kScanBlock) * kRecordSize);
    std::int32_t gapCount = 0;
    for (std::int32_t i = gapFirst; i <= idx; ++i) {
        if (i < idx) {
            RecordBytes hole{};
            for (int byte = 0; byte < 4; ++byte)
                hole[detail::kOffIndex + static_cast<std::size_t>(byte)] = static_cast<char>((static_cast<std::uint32_t>(i) >> (8 * byte)) & 0xFF);
            hole[detail::kOffDeleted] = 1;
            block.insert(block.end(), hole.begin(), hole.end());
            ++gapCount;
        } else {
            copy.index = idx;
            if (!encodeRecord(copy, b, &lastError_)) return -1;
            block.insert(block.end(), b.begin(), b.end());
        }
        if (i == idx || block.size() >= static_cast<std::size_t>(kScanBlock) * kRecordSize) {
            const std::int32_t blockFirst = i + 1 - static_cast<std::int32_t>(block.size() / kRecordSize);
            if (!f->writeAt(StoreSession::slotOffset(blockFirst), block.data(), block.size()))
                return failed("无法写入记录文件 " + f->path() + "：" + detail::errnoText());
            block.clear();
        }
    }
    if (!f->sync()) return failed("无法写入记录文件 " + f->path() + "：" + detail::errnoText());
    // The record is on disk; the header now makes it visible.
    s.h.count = idx + 1;
    s.h.fileCount = static_cast<std::int16_t>(std::max<std::int32_t>(s.h.fileCount, filesForCount(s.h.count)));
    s.h.deletedCount += gapCount;
    if (s.h.deletedCount >= kReuseThreshold) s.h.reuse = 1;
    return s.writeHeader() ? idx : -1;
}

bool CaseStore::removeRecord(int i) {
    lastError_.clear();
    StoreSession s(*this);
    if (!s.begin(true)) return false;
    std::string err;
    StoreFile* f = liveSlot(*this, s, i, "已经删除", err);
    if (!f) return fail(err);
    const std::int64_t off = StoreSession::slotOffset(i);
    const char one = 1;
    if (!f->writeAt(off + static_cast<std::int64_t>(detail::kOffDeleted), &one, 1) || !f->sync())
        return fail("无法写入记录文件 " + f->path() + "：" + detail::errnoText());
    s.h.deletedCount += 1;
    if (s.h.deletedCount >= kReuseThreshold) s.h.reuse = 1;
    return s.writeHeader();
}

namespace {

// `needle` occurs in `hay` starting at a character boundary (GBK: a byte 0x81..0xFE leads a
// two-byte character), so a match never pairs the second half of one character with the
// first half of the next.
bool containsGbk(std::string_view hay, std::string_view needle) {
    if (needle.empty()) return true;
    std::size_t p = 0;
    while (p + needle.size() <= hay.size()) {
        if (std::memcmp(hay.data() + p, needle.data(), needle.size()) == 0) return true;
        const auto c = static_cast<unsigned char>(hay[p]);
        p += (c >= 0x81 && c <= 0xFE && p + 1 < hay.size()) ? 2 : 1;
    }
    return false;
}

struct TextCriterion {
    std::uint8_t mode = kMatchIgnore;
    bool impossible = false;  // the text has no GBK form: no record can hold it
    std::string gbk;

    TextCriterion(std::uint8_t m, const std::string& utf8) : mode(m) {
        if (mode != kMatchIgnore && !text::utf8ToGbk(utf8, gbk)) impossible = true;
    }
    bool matches(const char* field, std::size_t width) const {
        if (mode == kMatchIgnore) return true;
        if (impossible) return false;
        const std::string_view v = text::gbkField(field, width);
        if (mode == kMatchEquals) return v == gbk;
        return containsGbk(v, gbk);
    }
};

std::int16_t rawInt16(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(b[0] | (b[1] << 8)));
}

}  // namespace

bool CaseStore::searchRecords(const SearchCriteria& c, std::vector<int>& out) {
    lastError_.clear();
    out.clear();
    StoreSession s(*this);
    if (!s.begin(false)) return false;
    const TextCriterion name(c.nameMode, c.name);
    const TextCriterion cls(c.classMode, c.className);
    // The place criterion belongs to record kinds 3 and up, which keep their place elsewhere.
    const TextCriterion place(s.h.kind < 3 ? kMatchIgnore : c.placeMode, c.place);
    using namespace detail;
    return s.scan(0, s.h.count, [&](std::int32_t i, const char* b) {
        if (b[kOffDeleted] != 0) return true;
        if (!name.matches(b + kOffName, kNameField)) return true;
        if (!cls.matches(b + kOffClass, kClassField)) return true;
        if (!place.matches(b + kOffPlace, kPlaceField)) return true;
        if (c.sexOn && static_cast<std::uint8_t>(b[kOffMale]) != c.sexValue) return true;
        if (c.yearOn) {
            const std::int16_t y = rawInt16(b + kOffYear);
            if (y < c.yearFrom || y > c.yearTo) return true;
        }
        if (c.province != -1 && rawInt16(b + kOffProvince) != c.province) return true;
        out.push_back(i);
        return true;
    });
}

// ---- report files ----

bool CaseStore::saveReport(int i, std::string_view rtfBytes) {
    lastError_.clear();
    if (!isOpen()) return fail("命例库尚未打开");
    std::error_code ec;
    fs::create_directories(reportDir_, ec);
    return text::writeFileAtomically(reportPath(i), rtfBytes, &lastError_);
}

bool CaseStore::loadReport(int i, std::string& rtfBytes) {
    lastError_.clear();
    if (!isOpen()) return fail("命例库尚未打开");
    std::error_code ec;
    if (!fs::exists(reportPath(i), ec)) return fail("命稿文件不存在：" + reportPath(i));
    if (!text::readWholeFile(reportPath(i), rtfBytes)) return fail("无法读取命稿文件 " + reportPath(i));
    return true;
}

bool CaseStore::reportExists(int i) const {
    std::error_code ec;
    return isOpen() && fs::is_regular_file(reportPath(i), ec);
}

bool CaseStore::removeReport(int i) {
    lastError_.clear();
    if (!isOpen()) return fail("命例库尚未打开");
    std::error_code ec;
    fs::remove(reportPath(i), ec);
    if (ec) return fail("无法删除命稿文件 " + reportPath(i) + "：" + text::reasonOf(ec.value()));
    return true;
}

}  // namespace hj::casestore
