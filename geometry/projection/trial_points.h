// Trial points of the facet projections, as the library calls them.
#pragma once

#include "runtime/fortran_types.h"

namespace zmx::geometry {

// Start coordinates (xi, eta) for the perpendicular projection of p onto a 3-node triangle, a
// 4-node quadrilateral or sub-quadrilateral `corner` of a 6-node triangle; status 0 found, 1
// none (degenerate), 2 outside the facet's neighbourhood.
void estimateTrialPoint(const Real* p, Int n, const Real* x, Int ld, Int corner, Real* xi, Real* eta, Int* status);

}  // namespace zmx::geometry
