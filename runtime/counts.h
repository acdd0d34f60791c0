// Arithmetic on counts that callers pass in (values per item, points, section points, record
// words): worked out in 64 bits, and stored into a 4-byte word capped at its largest (smallest)
// value, so a request beyond any work space still reads as one that is too large.
#pragma once

#include <algorithm>
#include <limits>

#include "runtime/fortran_types.h"

namespace zmx::counts {

using Wide = long long;

// a x b, held at the end of the 64-bit range that its sign points to when it leaves that range.
inline Wide times(Wide a, Wide b) {
  Wide product = 0;
  if (!__builtin_mul_overflow(a, b, &product)) return product;
  return (a < 0) != (b < 0) ? std::numeric_limits<Wide>::min() : std::numeric_limits<Wide>::max();
}

inline Wide times(Wide a, Wide b, Wide c) { return times(times(a, b), c); }

inline Int capped(Wide value) {
  return static_cast<Int>(std::clamp<Wide>(value, std::numeric_limits<Int>::min(), std::numeric_limits<Int>::max()));
}

}  // namespace zmx::counts
