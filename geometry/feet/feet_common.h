// What the feet routines share: their markers and tolerances, the message on a facet of an
// unsupported node count, and the sub-quadrilaterals of a 6-node triangle (sub-region k around
// vertex k) with the acceptance of a triangle point in area coordinates.
#pragma once

#include <algorithm>
#include <string_view>

#include "runtime/fortran_types.h"
#include "siblings/eqc/eqc_messages.h"

namespace zmx::geometry {

inline constexpr Real kNone = 1e36;           // not computed
inline constexpr Real kNoDistance = -1e36;    // no distance found
inline constexpr Real kFlat = 2.22e-16;       // ties and flatness
inline constexpr Real kTiny = 1e-36;          // a divisor or determinant that counts as zero
inline constexpr Real kInside = 1.0000000000000004;  // a facet coordinate still on the facet

// "... A SURFACE FACET OF MASTER %S CANNOT HAVE %I NODES" at level -3, the master's name read as
// at most 8 characters and blank-padded to 8.
inline void reportNodeCount(std::string_view text, const char* name, Int nameLength, Int nodes) {
  char label[8];
  std::fill(label, label + 8, ' ');
  std::copy_n(name, std::clamp<Int>(nameLength, 0, 8), label);
  const Int level = -3, ints[2] = {nodes, 0};
  const Real reals[2] = {0.0, 0.0};
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), ints, reals, label, 8);
}

struct AreaPoint {
  Real a, b;
};

inline AreaPoint subRegionToArea(Int k, Real xi, Real eta) {
  const Real around1 = (5.0 * xi + 5.0 - eta - xi * eta) / 24.0;
  const Real around2 = (5.0 * eta + 5.0 - xi - xi * eta) / 24.0;
  const Real far = (7.0 - 2.0 * xi - 2.0 * eta + xi * eta) / 12.0;
  switch (k) {
    case 1: return {around1, around2};
    case 2: return {far, around1};
    default: return {around2, far};
  }
}

// All three area coordinates at least -tolerance.
inline bool insideTriangle(Real a, Real b, Real tolerance) {
  return a >= -tolerance && b >= -tolerance && 1.0 - a - b >= -tolerance;
}

}  // namespace zmx::geometry
