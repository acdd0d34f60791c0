// Shape functions of the plain facets, as the eqc sibling library gives them to the surface
// geometry: 3- and 6-node triangles in the area coordinates (xi, eta) of vertices 2 and 3, 4-node
// bilinear, 8-node serendipity and 9-node Lagrange quadrilaterals on [-1, 1] x [-1, 1].
//
// Node order. Triangles: vertices 1 (0, 0), 2 (1, 0), 3 (0, 1); midside 4 on 1-2, 5 on 2-3, 6 on
// 3-1. Quadrilaterals: corners 1 to 4 at (-1, -1), (1, -1), (1, 1), (-1, 1); midside 5 to 8 on
// the sides eta = -1, xi = 1, eta = 1, xi = -1; node 9 at the centre.
//
// Array layout for n nodes: mode 1 writes the n derivatives by xi and then the n by eta from
// entry 1 (2n reals); any other mode writes the n values, then those 2n derivatives (3n reals).
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
ZMX_EXPORT void EQC_INTT3(const Real* xi, const Real* eta, Real* shape, const Int* mode);
ZMX_EXPORT void EQC_INTQ4(const Real* xi, const Real* eta, Real* shape, const Int* mode);
ZMX_EXPORT void EQC_INTT6(const Real* xi, const Real* eta, Real* shape, const Int* mode);
ZMX_EXPORT void EQC_INTQ8(const Real* xi, const Real* eta, Real* shape, const Int* mode);
ZMX_EXPORT void EQC_INTQ9(const Real* xi, const Real* eta, Real* shape, const Int* mode);
}
