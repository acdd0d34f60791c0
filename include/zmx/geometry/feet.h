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

// ---- Normal distance of a point to a two-dimensional segment -------------------------------------
//
// x(ldx, m) and nn(ldn, m) the nodes (x, y) and their unit normals; a straight 2-node segment when
// straight (lowest bit), two straight parts 1-2 and 2-3 when the element class's facet type is 9
// or 12, else a curved 3-node segment (xi = -1, 0, 1 at nodes 1, 2, 3). The foot is where the
// interpolated nodal normal passes through pt: xi within 2 tol + 1 of the middle, found, signed
// distance (x - P) . n (-1e36 when not found), unit tangent, overshoot (|xi| - 1) / 2 beyond an end
// (1e36 when not found), the straight part (1 or 2) of a split segment, degenerate 1 when the
// interpolated normal vanishes at the foot.
ZMX_EXPORT void FNDNORMALDISTTOCURVE(const Real* x, const Int* ldx, const Real* nn, const Int* ldn, const Real* pt,
                                     Real* xi, const Logical* straight, const Real* tol, Logical* found,
                                     Real* distance, Real* tangent, Real* overshoot, Int* part,
                                     const Int* elementClass, Int* degenerate);

}  // extern "C"
