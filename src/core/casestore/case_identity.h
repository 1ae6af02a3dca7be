#pragma once
// The identity of a stored case, kept in the record without changing its layout: the last 16
// bytes of the note field (offsets 1136..1151), which a note of at most 1,075 GBK bytes leaves
// unused (the windows and the command line allow 1,000). They hold "HJID", the identity as a
// little-endian uint64 and a 32-bit check over the identity and the case's name, class, date,
// calendar and sex bytes. A record whose tail does not check (every record written before, or
// by another copy of the program, or rewritten with another case) keeps no identity; it is then
// named by a fingerprint of its bytes, so a change made to it elsewhere is still noticed, and it
// gets a stored identity at its next change.
//
// The case's revision sits just before the identity, in bytes 1128..1135, which a note of at
// most 1,067 GBK bytes leaves unused: the revision as a little-endian uint32 and a 32-bit check
// over it and the identity's 16 bytes. Every change this program makes to a case, to its record
// or its report, raises it by one; a save or removal that names the revision it read is refused
// when the case holds another one, so two windows never overwrite each other's edits. A record
// whose revision does not check (written before, by another copy of the program, or with a note
// too long to leave room) is named by the fingerprint of its bytes instead, which changes with
// any change to the record; its next change gives it a stored revision where the note allows.
// Both tails lie after the note's terminating NUL: readers that stop at the NUL, and every byte
// before it, are untouched by either.
//
// Stored identities are random, non-zero and below 2^63; fingerprints have bit 63 set, so the
// two never meet. Identities are never reused by this program: a new case always gets a new one.
#include <cstdint>
#include <string>
#include <string_view>

namespace hj::casestore {

inline constexpr std::size_t kIdentityTail = 16;      // bytes at the end of the note field
inline constexpr std::size_t kNoteWithIdentity = 1075;  // longest note (GBK bytes) that leaves room
inline constexpr std::size_t kRevisionTail = 8;       // bytes before the identity tail
inline constexpr std::size_t kNoteWithRevision = 1067;  // longest note that leaves room for both

// True for an identity a record can keep (not 0, not a fingerprint).
inline bool isStoredIdentity(std::uint64_t id) { return id != 0 && (id >> 63) == 0; }
// A fresh identity.
std::uint64_t newCaseIdentity();
// The identity of a record's 1,184 bytes: the stored one when its tail checks, else the
// fingerprint of the bytes (the index field left out, so the slot number does not matter).
std::uint64_t identityOf(const char* recordBytes);
// Writes `id` (a stored identity) into the tail of encoded record bytes whose other fields are
// final; false (bytes unchanged) when the note leaves no room.
bool putIdentity(char* recordBytes, std::uint64_t id);

// The revision of a record's 1,184 bytes: the stored one (1..2^32-1) when it and the identity
// check, else the fingerprint of the bytes (bit 63 set, the index field left out).
std::uint64_t revisionOf(const char* recordBytes);
// The revision the next change of a case with these bytes stores: its stored revision plus one
// (1 after 2^32-1), or 1.
std::uint32_t nextRevision(const char* recordBytes);
// Writes `revision` (not 0) before an identity already put; false (bytes unchanged) when the
// record has no stored identity or the note leaves no room.
bool putRevision(char* recordBytes, std::uint32_t revision);

// 16 lower-case hex digits; parseIdentity takes exactly that form (either case).
std::string identityText(std::uint64_t id);
bool parseIdentity(std::string_view text, std::uint64_t& id);

}  // namespace hj::casestore
