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

// The 4-node quadrilateral: the functions of EQC_INTQ4 and their one second derivative that is not
// zero (the cross one), summed in the same order as for every other facet, without a call per
// evaluation on the projections' hot path.
inline bool bilinearProperties(bool withSecond, bool pointOnly, Real xi, Real eta, const Real* x, Int ld, Real* point,
                               Real* normal, Real* tangents, Real* second, Int* status) {
  // The corners are read before anything is written, as the general path does.
  Real c[4][3];
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < 3; ++i) c[j][i] = x[j * static_cast<long long>(ld) + i];
  const auto sum = [&](const Real(&w)[4], int i) {
    return 0.0 + w[0] * c[0][i] + w[1] * c[1][i] + w[2] * c[2][i] + w[3] * c[3][i];
  };
  const Real xm = 1.0 - xi, xp = 1.0 + xi, em = 1.0 - eta, ep = 1.0 + eta;
  const Real value[4] = {0.25 * xm * em, 0.25 * xp * em, 0.25 * xp * ep, 0.25 * xm * ep};
  for (int i = 0; i < 3; ++i) point[i] = sum(value, i);
  if (pointOnly) return true;
  const Real dXi[4] = {-0.25 * em, 0.25 * em, 0.25 * ep, -0.25 * ep};
  const Real dEta[4] = {-0.25 * xm, -0.25 * xp, 0.25 * xp, 0.25 * xm};
  for (int i = 0; i < 3; ++i) tangents[i] = sum(dXi, i), tangents[3 + i] = sum(dEta, i);
  if (!unitCross(tangents, tangents + 3, normal)) *status = 1;
  if (!withSecond) return true;
  static constexpr Real kNone[4] = {0.0, 0.0, 0.0, 0.0}, kCross[4] = {0.25, -0.25, 0.25, -0.25};
  for (int i = 0; i < 3; ++i) {
    second[i] = sum(kNone, i);
    second[3 + i] = second[6 + i] = sum(kCross, i);
    second[9 + i] = sum(kNone, i);
  }
  return true;
}

// A facet of three-dimensional surface: point; unless pointOnly the tangents (3 x 2), the unit
// normal t1 x t2 / |t1 x t2| and, when withSecond, the second derivatives (d2/dxi2, d2/dxi deta,
// d2/deta dxi, d2/deta2, 3 reals each). status non-zero when the normal has no length.
bool facetProperties(bool withSecond, bool pointOnly, Real xi, Real eta, Int n, bool subRegion, Int k,
                     bool cylindrical, const Real* cylinder, const Real* x, Int ld, Real* point, Real* normal,
                     Real* tangents, Real* second, Int* status);

}  // namespace zmx::geometry
