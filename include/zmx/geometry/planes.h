// Surface geometry: planes, polygons and tolerant orientation tests.
#pragma once

#include "zmx/types.h"

extern "C" {

// Plane points are (x, y) pairs, points in space (x, y, z) triples. A vertex array holds vertex i
// in column i of leading dimension ld >= 2. Logical arguments are tested on their lowest bit;
// logical results are -1 or 0.

// Fits a plane to n points: normal := the Newell sum (not normalised), centroid := their mean,
// axes := e1 then e2, unit, with e1, e2 and the unit normal right-handed; flag := true when e2 was
// built perpendicular to the global x axis, false when perpendicular to z. With vectorsWanted,
// vectors(i) := point i + 1 minus point i - 1 (cyclic). A zero normal is reported at level -3 and
// leaves e2 as it was.
ZMX_EXPORT void PLANEEQUATION(const Real* points, const Int* n, Real* normal, Real* centroid, Real* axes,
                              Logical* xAxisFlag, Real* vectors, const Logical* vectorsWanted);
// Foot of P on the plane X0 + u e1 + v e2 (axes need not be unit or orthogonal) and the distance,
// negative when the foot minus P points against the normal. Parallel or zero axes: failed := true,
// distance -1e36 and the foot unwritten.
ZMX_EXPORT void FNDMINDISTTOPLANE(const Real* normal, const Real* axes, const Real* origin, const Real* point,
                                  Real* foot, Real* uv, Real* distance, Logical* failed);
// Orientation of P3 seen from the directed line P1 -> P2: +1 counter-clockwise, -1 clockwise,
// collinear within tol: -1 behind P1, +1 beyond P2, 0 between them or on a point. runningMax is
// raised to the absolute tolerance used.
ZMX_EXPORT Int ICOUNTERCLOCKWISE(const Real* p1, const Real* p2, const Real* p3, const Real* tol, Real* runningMax);
// Whether segments A-B and E-F meet (touching counts); runningMax starts at 0.
ZMX_EXPORT Logical FNDINTERSECTION(const Real* a, const Real* b, const Real* e, const Real* f, const Real* tol,
                                   Real* runningMax);
// Whether P lies in the counter-clockwise triangle or quadrilateral (boundary inside).
ZMX_EXPORT Logical INCLUDEDINTRIANGLE(const Real* p, const Real* vertices, const Int* ld, const Real* tol,
                                      Real* runningMax);
ZMX_EXPORT Logical INCLUDEDINQUAD(const Real* p, const Real* vertices, const Int* ld, const Real* tol,
                                  Real* runningMax);
// Whether P lies in the polygon of n vertices, by counting crossings of a ray; a vertex counts as
// inside.
ZMX_EXPORT Logical INCLUDEDINPOLYGON(const Real* p, const Real* vertices, const Int* n, const Int* ld,
                                     const Real* tol, Real* runningMax);
// Closest entity from the patch, edge and vertex distances d1, d2, d3, the edge tolerances la and
// lb and the vertex and edge boundary flags: code 1 vertex, 2 edge, 3 patch, 0 none.
ZMX_EXPORT void FNDCLOSESTENTITY(const Real* d1, const Real* d2, const Real* d3, const Real* la, const Real* lb,
                                 const Logical* f1, const Logical* f2, Int* code);

}  // extern "C"
