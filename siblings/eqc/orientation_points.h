// Records of type 23 of the paged main-memory store: the orientation points of beams. DBML with
// block 23 reads them in sequence: key 0 reads the first record, each read advances the key by
// one, and a key past the last record gives status 1 with nothing read.
#pragma once

#include <vector>

#include "runtime/fortran_types.h"

namespace eqc_detail {
inline constexpr Int kOrientationPointRecords = 23;
// Reads the record the key names into buffer (room 8-byte slots) and advances the key; status 0,
// or 1 with nothing read past the last record or for a record longer than room.
void readOrientationRecord(void* buffer, long long room, Int* key, Int* status);
}  // namespace eqc_detail

namespace eqc_testing {
// The type-23 records in order, each as its 8-byte slots (integers as integer slots).
ZMX_EXPORT void setOrientationRecords(std::vector<std::vector<double>> records);
}  // namespace eqc_testing
