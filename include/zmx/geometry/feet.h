// Surface geometry: feet of points on facets and curve segments with smoothed nodal normals, and
// the facet coordinates of a point on a facet.
#pragma once

#include "zmx/types.h"

extern "C" {

// ---- Facet coordinates of a point on a facet -----------------------------------------------------
//
// x(3, n) the facet nodes (3, 4, 6, 8 or 9; 6 or 9 when cylindrical), pt the point. where: 1 at a
// vertex, 2 on an edge, 3 anywhere (other values start like 3 and never restart). marks(n): 1 the
// first end of the edge (or the vertex), 2 or 3 the other end; s the fraction along the edge (an
// axial distance on the edges along a cylinder). k: the sub-region of a 6-node triangle worked as
// sub-quadrilaterals (subRegion), set here. c the cylinder's angle record. tol the extension
// allowed in facet units. result 0 found, 1 not (xi = eta = 0).
ZMX_EXPORT void FNDPARACOORDONSURF(const Real* x, const Int* n, const Real* pt, Real* xi, Real* eta, const Int* where,
                                   const Int* marks, const Real* s, Int* k, const Logical* subRegion,
                                   const Logical* cylindrical, const Real* c, const Real* tol, Int* result);

}  // extern "C"
