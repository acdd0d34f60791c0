// Surface geometry: projection of a point onto one facet or curve segment, with the trial points
// and edge parameters the projections start from.
#pragma once

#include "zmx/record_types.h"
#include "zmx/types.h"

// CDISTTOCURVE: scratch and hand-over record of the curve projection, 34 reals. 1 length of a
// straight segment; 2, 3 chord products c.d and c.c; 4-7 the coefficients of the perpendicularity
// cubic; 8 the cosine of the kink of a three-node segment; 9-11 the parameters before filtering;
// 12-20 the feet; 21-29 the tangents at them; 30-32 the tangent lengths; 33 (integer in its low 4
// bytes) the number of parameters before filtering. One for the process: curve projections run
// one at a time, and a cylindrical foot is handed from FNDPERPDISTTOCURVE to GETPERPDISTTOCURVE
// through it.
ZMX_RECORD_TYPE(CDISTTOCURVE, 68);

extern "C" {

ZMX_EXPORT extern CDISTTOCURVE_t CDISTTOCURVE;

// ---- Trial points and edge parameters ------------------------------------------------------------

// Start coordinates of the perpendicular projection of p onto a 3-node triangle, a 4-node
// quadrilateral or sub-quadrilateral corner (1 to 3) of a 6-node triangle. status 0 found, 1 none
// (degenerate geometry), 2 the start lies outside the facet's neighbourhood.
ZMX_EXPORT void ESTIMATETRIALPOINT(const Real* p, const Int* n, const Real* x, const Int* ld, const Int* corner,
                                   Real* xi, Real* eta, Int* status);
// The point of a 2-D segment (2 or 3 nodes, or one straight half) at xi and (p - point) . v.
ZMX_EXPORT void LINETOFACETRIALPT2D(const Real* xi, const Real* v, const Real* p, const Int* n, const Logical* halves,
                                    const Int* half, const Real* x, const Int* ld, Real* point, Real* distance);
// The point of a 3-D facet at (xi, eta) and (p - point) . v.
ZMX_EXPORT void LINETOFACETRIALPT3D(const Real* xi, const Real* eta, const Real* v, const Real* p, const Int* n,
                                    const Logical* subRegion, const Int* k, const Real* x, const Int* ld, Real* point,
                                    Real* distance);
// Facet coordinates of the point at parameter s along the edge (labels edge(1..3)) of the facet
// record (word 2 node count, words 8 on the labels); the sub-quadrilateral in corner for a 6-node
// triangle taken as three; kind 1 a cylindrical facet of total angle total. A pair of corners
// that is no side of the facet gives (0, 0).
ZMX_EXPORT void COMPUTE_PARAM_EDGE(const Logical* subFacets, const Int* edge, const Real* s, const Int* facet,
                                   Real* xi, Real* eta, Int* corner, const Int* kind, const Real* total);
// The point at parameter s of an edge of 2 or 3 nodes y (leading dimension ld): two straight
// halves, straight, quadratic, or the arc of a cylindrical facet with angles (total, midside).
ZMX_EXPORT void COORDS_ON_EDGE(Real* point, const Real* s, const Real* y, const Logical* halves,
                               const Logical* straight, const Logical* cylindrical, const Real* angles, const Int* ld);

// ---- Curve segments ----------------------------------------------------------------------------------
//
// Segments of 2 nodes (straight), 3 nodes (quadratic, middle node at s = 1/2) or 3 nodes on a
// circular arc (angles (end, middle) from node 1), nodes 3 reals each; plane: two dimensions.

// The perpendicularity cubic of p and the segment into CDISTTOCURVE reals 4-7 (and 1).
ZMX_EXPORT void PERPDISTTOCURVECOEF(const Real* y, const Real* p, const Logical* straight, const Logical* plane);
// distance := |a - b| (x, y only in two dimensions).
ZMX_EXPORT void GETVERTEXDIST(const Real* a, const Real* b, Real* distance, const Logical* plane);
// The parameters of the feet of the perpendiculars from p (up to 3); with filter only those
// within tolerance of the segment; found true when there is one.
ZMX_EXPORT void FNDPERPDISTTOCURVE(const Real* y, const Real* p, Real* parameters, Int* count, const Logical* straight,
                                   const Real* tolerance, const Logical* plane, const Logical* filter,
                                   const Logical* cylindrical, const Real* angles, Logical* found);
// The feet, unit tangents and distances (signed in two dimensions) of those parameters, and a
// length tolerance scaled from the segment.
ZMX_EXPORT void GETPERPDISTTOCURVE(const Real* y, const Real* p, const Real* parameters, const Int* count,
                                   Real* distances, const Real* fraction, Real* lengthTolerance,
                                   const Logical* straight, const Logical* plane, const Logical* cylindrical,
                                   const Real* angles);
// The nearest foot on one segment (two straight halves when split): parameter s, unsigned
// distance (1e36 none), foot (1e36 none).
ZMX_EXPORT void CALPERPDISTTOCURVE(const Real* y, const Real* p, Real* s, Real* distance, const Logical* straight,
                                   const Real* tolerance, const Logical* plane, const Logical* split,
                                   const Logical* filter, Real* workTolerance, Real* foot,
                                   const Logical* cylindrical, const Real* angles);
// The shortest side of the polygon of n corners x (m coordinates a corner).
ZMX_EXPORT void CALMINEDGELEN(const Int* n, const Int* m, Real* length, const Real* x);

// ---- Projection onto one facet -------------------------------------------------------------------------
//
// The foot of the perpendicular from p onto a facet (x, leading dimension ld; n 2 or 3 nodes in
// two dimensions, 3, 4, 6, 8 or 9 in three), its facet coordinates, signed distance (S - p) . N,
// tangents, unit normal N, foot S and how far outside the facet it lies (0 inside). found when a
// foot within the widened range (1 + 2 tolerance) was reached; collapsed: 6-node triangles (3-node
// lines) through their sub-facets, corner in/out; cylinder: the facet angle record of a
// cylindrical facet (real 1 the total angle; only real 1 is read unless cylindrical holds);
// degenerate 1 when the facet has no normal at a point within its range.
ZMX_EXPORT void CALPERPDISTTOSURF(const Real* x, const Int* ld, const Real* p, Real* xi, Real* eta, const Int* n,
                                  const Real* tolerance, Logical* found, Real* distance, Real* tangents,
                                  const char* surface, Int surfaceLength, Real* normal, Real* foot, Real* outside,
                                  Int* corner, const Logical* collapsed, const Int* dimension,
                                  const Logical* cylindrical, const Real* cylinder, Int* degenerate);
// The same, classifying the result on 3- and 4-node facets and collapsed 6-node triangles: a foot
// outside (or none) is replaced by the nearest point of the facet's boundary; location 3 inside,
// 2 on an edge, 1 at a vertex, 0 not classified; nearest the facet node nearest the result.
ZMX_EXPORT void CALPERPDISTTOSURF1(const Real* x, const Int* ld, const Real* p, Real* xi, Real* eta, const Int* n,
                                   const Real* tolerance, Logical* found, Real* distance, Real* tangents,
                                   const char* surface, Int surfaceLength, Real* normal, Real* foot, Real* outside,
                                   Int* corner, Int* location, Int* nearest, const Logical* collapsed,
                                   const Int* dimension, const Logical* cylindrical, const Real* cylinder,
                                   Int* degenerate);

}  // extern "C"
