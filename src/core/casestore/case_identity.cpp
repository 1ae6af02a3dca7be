#include "core/casestore/case_identity.h"

#include <chrono>
#include <cstring>
#include <random>

#include "core/casestore/record_layout.h"

namespace hj::casestore {
namespace {
using namespace detail;

constexpr std::size_t kOffIdentity = kOffNote + kNoteField - kIdentityTail;
static_assert(kOffIdentity == 1136 && kNoteWithIdentity + 1 == kNoteField - kIdentityTail);
constexpr std::size_t kOffRevision = kOffIdentity - kRevisionTail;
static_assert(kOffRevision == 1128 && kNoteWithRevision + 1 == kNoteField - kIdentityTail - kRevisionTail);
constexpr char kMagic[4] = {'H', 'J', 'I', 'D'};
constexpr std::uint64_t kFingerprintBit = std::uint64_t{1} << 63;

std::uint64_t getLE(const char* p, int n) {
    std::uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}
void putLE(char* p, std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::uint32_t checkOf(const char* record, const char* idBytes) {
    std::uint32_t h = 2166136261u;  // FNV-1a
    const auto mix = [&h](const char* p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            h ^= static_cast<unsigned char>(p[i]);
            h *= 16777619u;
        }
    };
    mix(idBytes, 8);
    mix(record + kOffName, kOffPad45 - kOffName);  // name, class, date, calendar, sex
    return h;
}

std::uint32_t revisionCheck(const char* record, std::uint32_t revision) {
    std::uint32_t h = 2166136261u ^ 0x52u;  // FNV-1a, seeded apart from the identity's check
    const auto mix = [&h](const char* p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            h ^= static_cast<unsigned char>(p[i]);
            h *= 16777619u;
        }
    };
    char rev[4];
    putLE(rev, revision, 4);
    mix("HJRV", 4);
    mix(rev, 4);
    mix(record + kOffIdentity, kIdentityTail);
    return h;
}

std::uint64_t fingerprint(const char* b) {
    std::uint64_t h = 14695981039346656037ull;  // FNV-1a 64 over everything but the index field
    for (std::size_t i = kOffDeleted; i < kRecordSize; ++i) {
        h ^= static_cast<unsigned char>(b[i]);
        h *= 1099511628211ull;
    }
    return h | kFingerprintBit;
}

bool revisionRoom(const char* record) {
    return std::memchr(record + kOffNote, 0, kNoteWithRevision + 1) != nullptr;
}

// The stored revision, 0 when there is none.
std::uint32_t storedRevision(const char* b) {
    if (!revisionRoom(b) || !isStoredIdentity(identityOf(b))) return 0;
    const auto rev = static_cast<std::uint32_t>(getLE(b + kOffRevision, 4));
    if (rev == 0 || getLE(b + kOffRevision + 4, 4) != revisionCheck(b, rev)) return 0;
    return rev;
}

// The note's text ends early enough to leave the tail free.
bool tailFree(const char* record) {
    return std::memchr(record + kOffNote, 0, kNoteWithIdentity + 1) != nullptr;
}
}  // namespace

std::uint64_t newCaseIdentity() {
    std::uint64_t id = 0;
    try {
        std::random_device rd;
        id = (static_cast<std::uint64_t>(rd()) << 32) ^ rd();
    } catch (...) {
        // No entropy source: the clock and a counter still make identities that do not repeat
        // within one folder in practice.
        static std::uint64_t counter = 0;
        std::mt19937_64 g(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) +
                          static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) +
                          ++counter);
        id = g();
    }
    id &= ~kFingerprintBit;
    return id == 0 ? 1 : id;
}

std::uint64_t identityOf(const char* b) {
    const char* t = b + kOffIdentity;
    if (tailFree(b) && std::memcmp(t, kMagic, 4) == 0 && getLE(t + 12, 4) == checkOf(b, t + 4)) {
        const std::uint64_t id = getLE(t + 4, 8);
        if (isStoredIdentity(id)) return id;
    }
    return fingerprint(b);
}

std::uint64_t revisionOf(const char* b) {
    const std::uint32_t rev = storedRevision(b);
    return rev != 0 ? rev : fingerprint(b);
}

std::uint32_t nextRevision(const char* b) {
    const std::uint32_t rev = storedRevision(b);
    return rev == 0xFFFFFFFFu ? 1 : rev + 1;
}

bool putRevision(char* b, std::uint32_t revision) {
    if (revision == 0 || !revisionRoom(b) || !isStoredIdentity(identityOf(b))) return false;
    putLE(b + kOffRevision, revision, 4);
    putLE(b + kOffRevision + 4, revisionCheck(b, revision), 4);
    return true;
}

bool putIdentity(char* b, std::uint64_t id) {
    if (!isStoredIdentity(id) || !tailFree(b)) return false;
    char* t = b + kOffIdentity;
    std::memcpy(t, kMagic, 4);
    putLE(t + 4, id, 8);
    putLE(t + 12, checkOf(b, t + 4), 4);
    return true;
}

std::string identityText(std::uint64_t id) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string s(16, '0');
    for (int i = 15; i >= 0; --i, id >>= 4) s[static_cast<std::size_t>(i)] = kHex[id & 0xF];
    return s;
}

bool parseIdentity(std::string_view text, std::uint64_t& id) {
    if (text.size() != 16) return false;
    std::uint64_t v = 0;
    for (char c : text) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = (v << 4) | static_cast<std::uint64_t>(d);
    }
    if (v == 0) return false;
    id = v;
    return true;
}

}  // namespace hj::casestore
