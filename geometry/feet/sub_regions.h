// The sub-quadrilaterals of a 6-node triangle (sub-region k around vertex k): the bilinear map of
// sub-quadrilateral coordinates (xi, eta) to the triangle's area coordinates (a, b) of vertices 2
// and 3, and the acceptance of a triangle point in area coordinates.
#pragma once

#include "runtime/fortran_types.h"

namespace zmx::geometry {

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
