// Helpers shared by the material and section merges: records of 8-byte slots read with their
// length in slot 1, the real tolerance, and the reading of a range of the slide-line database
// into a mirror.
#pragma once

#include <cmath>
#include <cstring>
#include <vector>

#include "runtime/record.h"
#include "zmx/types.h"

namespace zmx::model::merge {

// A record of 8-byte slots; slot 1 its length. A slot past the length is never read.
struct SlotRecord {
  const Real* slots;
  long length;

  static SlotRecord of(const Real* r) { return {r, rec::slotI(r, 1)}; }
  bool holds(long k) const { return k >= 1 && k <= length; }
  Int integer(long k) const { return rec::slotI(slots, k); }
  Real real(long k) const { return rec::slotR(slots, k); }
  bool sameBits(long k, const SlotRecord& other, long m) const {
    return std::memcmp(slots + (k - 1), other.slots + (m - 1), sizeof(Real)) == 0;
  }
};

// Equal within 2.22e-16 of the larger magnitude (so 0 equals only 0).
inline bool sameReal(Real a, Real b) { return std::fabs(a - b) <= 2.22e-16 * std::max(std::fabs(a), std::fabs(b)); }

// Reads the records from address start (inclusive) to end (exclusive) into the mirror, each at
// its address's place (slot address - start + 1); returns their offsets (address - start). A
// length below 1, or a record that would run past end, ends the walk without being copied (the
// read reports it at level -3).
std::vector<long> readRecords(Real* mirror, Int start, Int end);

}  // namespace zmx::model::merge
