#pragma once
// Field offsets of the 1,184-byte case record, shared by the codec and the raw scans.
#include <cstddef>

#include "core/casestore/case_store.h"

namespace hj::casestore::detail {

inline constexpr std::size_t kOffIndex = 0, kOffDeleted = 4, kOffName = 5, kOffClass = 17, kOffYear = 32,
                             kOffMonth = 34, kOffDay = 36, kOffHour = 38, kOffMinute = 40, kOffLunar = 42,
                             kOffLeap = 43, kOffMale = 44, kOffPad45 = 45, kOffProvince = 46, kOffCity = 48, kOffPad50 = 50,
                             kOffLongitude = 52, kOffLatitude = 56, kOffNote = 60, kOffPlace = 1152;
static_assert(kOffPlace + kPlaceField == kRecordSize);
static_assert(kOffNote + kNoteField == kOffPlace);
static_assert(kOffClass + kClassField == kOffYear);
static_assert(kOffName + kNameField == kOffClass);

}  // namespace hj::casestore::detail
