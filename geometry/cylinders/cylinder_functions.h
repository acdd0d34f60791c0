// Circular-arc interpolation and the cylindrical facets' shape functions, as the facet routines
// use them inside the library.
#pragma once

#include "runtime/fortran_types.h"

namespace zmx::geometry {

// Values, first and (when second) second derivatives by the angle of the interpolation through
// three nodes at angles[0..2] (angles[1] the midside node), at theta.
void arcFunctions(const Real* angles, Real theta, bool second, Real* n, Real* dn, Real* d2n);

// Every shape function of a facet at one point: value, derivatives by xi and eta and the second
// derivatives d2/dxi2, d2/dxi deta, d2/deta2, node j at index j - 1.
struct FacetFunctions {
  Real f[9], fx[9], fe[9], fxx[9], fxe[9], fee[9];
};

// The functions of the 6-node (nodes 6) or 9-node cylindrical facet with the angle record
// cylinder; second derivatives only when second. A total angle at most 2.22e-16 gives the flat
// facet's quadratic functions of eta in [-1, 1].
void cylinderFunctions(int nodes, Real xi, Real eta, const Real* cylinder, bool second, FacetFunctions& out);

// The total angle above which a cylindrical facet is curved.
inline constexpr Real kFlatAngle = 2.22e-16;

}  // namespace zmx::geometry
