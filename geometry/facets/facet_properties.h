// Facet properties as the projections of the library call them, without the exported routines'
// pointer arguments.
#pragma once

#include "runtime/fortran_types.h"

namespace zmx::geometry {

inline Real dot3(const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Scales v (count components) to unit length; false, v unchanged, when it has no finite length.
bool unitLength(Real* v, int count);
// n := a x b scaled to unit length; false when it has none (n is then the cross product).
bool unitCross(const Real* a, const Real* b, Real* n);

// A line facet of 2 or 3 nodes (or one straight half of a 3-node line): point (2); unless
// pointOnly the tangent, the unit normal (-t_y, t_x) and, when withSecond, the second derivative.
void lineProperties(bool withSecond, bool pointOnly, Real xi, Int n, bool halves, Int half, const Real* x, Int ld,
                    Real* point, Real* normal, Real* tangent, Real* second, Int* status);

// A facet of three-dimensional surface: point; unless pointOnly the tangents (3 x 2), the unit
// normal t1 x t2 / |t1 x t2| and, when withSecond, the second derivatives (d2/dxi2, d2/dxi deta,
// d2/deta dxi, d2/deta2, 3 reals each). status non-zero when the normal has no length.
bool facetProperties(bool withSecond, bool pointOnly, Real xi, Real eta, Int n, bool subRegion, Int k,
                     bool cylindrical, const Real* cylinder, const Real* x, Int ld, Real* point, Real* normal,
                     Real* tangents, Real* second, Int* status);

}  // namespace zmx::geometry
