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

// ---- Normal distance of a point to a facet -------------------------------------------------------
//
// x(ldx, n) the facet's nodes (3, 4, 6, 8, 9; 6 or 9 for the cylindrical facet types) and nn(ldn,
// n) their unit normals. The foot is where the smoothed normal field passes through pt, searched
// from fixed starts (per quarter of a curved 8- or 9-node facet, per sub-region k of a 6-node
// triangle of facet type 9). Out: xi, eta, found (within tol outside the facet), signed distance
// (x - P) . n (-1e36 none), two unit tangents built from the normal, the normal, the foot and its
// overshoot (1e36 none); degenerate 1 when the normal field vanishes at a start inside the facet.
// c the extent of a cylindrical facet along eta. An unsupported node count is reported (name the
// master surface) and nothing is found. The routine keeps a reference frame between calls.
ZMX_EXPORT void FNDNORMALDISTTOSURF(const Real* x, const Int* ldx, const Real* nn, const Int* ldn, const Real* pt,
                                    Real* xi, Real* eta, const Int* n, const Real* tol, Logical* found,
                                    Real* distance, Real* t, const char* name, Int nameLength, Real* normal,
                                    Real* foot, Real* overshoot, Int* k, const Int* elementClass, const Real* c,
                                    Int* degenerate);

// ---- Projection along a vector --------------------------------------------------------------------
//
// Where the line through pt along v meets the facet x(ld, n) (2-D segments of 2 or 3 nodes when
// dimension is not 3; 3-D facets of 3, 4, 6, 8, 9 nodes; halves: 3-node segment as two straight
// halves, 6-node triangle as three sub-quadrilaterals, the part in corner). Out: xi, eta, found,
// hitClass (3 inside, 2 in the tolerance band, 1 near, 0 rejected), t = (P - X) . v (-1e36 none),
// tangents, normal and point X, overshoot, the characteristic length, location (3 inside, 2 on
// a side, 1 at a corner), the nearest node, degenerate. A 3-D miss takes the nearest side or
// corner of the corner polygon.
ZMX_EXPORT void CALVECDISTTOSURF1(const Real* x, const Int* ld, const Real* pt, const Real* v, Real* xi, Real* eta,
                                  const Int* n, const Real* tol, Logical* found, Int* hitClass, Real* t,
                                  Real* tangents, const char* name, Int nameLength, Real* normal, Real* point,
                                  Real* overshoot, Real* length, Int* corner, Int* location, Int* nearest,
                                  const Logical* halves, const Int* dimension, Int* degenerate);
// Facet coordinates within margin of the boundary are pulled inside by it; when any moved, the
// facet point and unit normal are evaluated there (status from the facet evaluation).
ZMX_EXPORT void SHR_SPOTADJUSTCOORD(const Real* x, const Int* ld, Real* xi, Real* eta, const Int* n,
                                    const Real* margin, Real* normal, Real* point, const Int* corner,
                                    const Logical* halves, const void* unused, Int* status);

}  // extern "C"
