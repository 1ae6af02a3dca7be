#pragma once
// The zone of a birth abroad in a stored case, without changing the record layout: the pad
// bytes hold it. Bytes 50..51 (little-endian) are the zone's number in the world place list
// (1.., core/zones/world_places.h), bit 15 set for the second of a clock time that occurred
// twice (also for a Chinese place, with number 0); byte 45 is a check, 0x5A xor both bytes of that word. Records with zero pad bytes (every
// record written before, and every Chinese birth) have no zone; a check that does not fit means
// the pad bytes hold something else, and the record is read without a zone.
#include <string>
#include <string_view>

#include "core/casestore/case_store.h"

namespace hj::zones {

// Puts the zone (empty: none) and fold into the record's pad bytes. False when the zone has no
// number in the world place list (the pad bytes are then cleared).
bool storeZone(casestore::CaseRecord& r, std::string_view zone, int fold);
// The zone and fold kept in the record; false (zone empty) when it keeps no zone, with the fold
// of a Chinese place's repeated hour (else 1).
bool storedZone(const casestore::CaseRecord& r, std::string& zone, int& fold);

}  // namespace hj::zones
