// Surface geometry: triangular Bezier patches in space and cubic Bezier segments in the plane.
//
// Layouts, all with sizes taken from CBZIER (which BEZCMN fills for the right kind first):
// - node coordinates: word 2 reals per node (4); node n has x, y, z at (n - 1) * 4 + 2, 3, 4;
// - patch records: 8-byte slots, an integer in the low 4 bytes; word 23 slots per patch (20);
//   offset k of a record is its slot k + 1: 1-3 the neighbours across sides C1-C2, C2-C3, C3-C1
//   (0 for none), 4-6 the corner nodes C1, C2, C3, 7-8 / 9-10 / 11-12 the edge points of C1-C2,
//   C2-C3, C3-C1 (next to the first corner, then the second), 13 the centre, 14-19 offset nodes
//   whose coordinates are added to the inner samples of the subdivision (0: no offset);
// - patch data: word 3 reals per patch (4): the unit normal, then the size value A (the area of
//   the corner triangle);
// - segment records (2-D): word 23 slots per segment (7); offsets 3, 4 the end points Q0, Q3 and 5,
//   6 the inner control points Q1 (next to Q0), Q2 (next to Q3).
// A frame is 12 reals: tangent axes t1, t2, the unit normal, then K11, K12, K22 (curvature in
// t1, t2); a 2-D frame uses reals 1-2 (tangent), 7-8 (normal) and 10 (curvature term).
#pragma once

#include "zmx/record_types.h"
#include "zmx/types.h"

// Bezier set-up: 72 integers, zero until BEZCMN runs; see BEZCMN.
ZMX_RECORD_TYPE(CBZIER, 72);

extern "C" {

ZMX_EXPORT extern CBZIER_t CBZIER;

// ---- Set-up, evaluation and the patch search ----------------------------------------------------

// Fills CBZIER: flag 0 for patches in space, any other value for segments in the plane. A call of
// the other kind overwrites only the words it sets.
ZMX_EXPORT void BEZCMN(const Int* flag);
// x := the point at (u, v) of a triangular patch with control points B(15, 3), type 1 linear
// (3 points), 3 cubic (10), 4 quartic (15); any other type leaves x unchanged.
ZMX_EXPORT void BEZIER(const Int* type, const Real* b, const Real* u, const Real* v, Real* x);
// Quadratic through A (s = -1), M (s = 0) and Bp (s = 1) into x(1..3); a nonzero flag also
// interpolates reals 4-6 of A and Bp linearly into x(4..6).
ZMX_EXPORT void BPARAB(const Real* a, const Real* bp, const Real* m, Real* x, const Real* s, const Int* flag);
// Nearest point of P on a surface of np patches and nv nodes: reach(np) is subtracted from each
// patch's corner distances for its bound, nodeDistance(nv) receives the node distances, work
// holds 2 np reals, table the 45 integers of INITMN. On success (status 0) foot, frame, distance
// and patch come from DSTNCE on the patch searched; status 1 leaves them reset (0, -1e36, 0).
ZMX_EXPORT void BEZIERSEARCH3D(const Real* nodes, const void* patches, const Real* reach, Real* nodeDistance,
                               Real* work, const Int* np, const Int* nv, const Int* table, const Real* p,
                               Real* foot, Real* frame, Real* distance, Int* patch, const Real* length,
                               Int* status);

// ---- Closest point on one patch -----------------------------------------------------------------

// B(15, 3) := the control points of patch: type 4 from control(index(m) + c), type 3 the ten
// nodes of the record, any other type its three corners.
ZMX_EXPORT void INITBZ(const Int* type, const Int* patch, const Real* nodes, const void* patches,
                       const Real* control, const Int* index, Real* b);
// The 45 sample offsets that make the control nets of the three quartic sub-triangles.
ZMX_EXPORT void INITMN(Int* table);
// The 31 samples (3 reals each) of a cubic patch: the nets of three quartic sub-triangles that
// meet at the patch centre.
ZMX_EXPORT void SUBDIV(const Int* patch, const Real* nodes, const void* patches, Real* samples);
// Power-basis coefficients C(3, 15) of one sub-triangle (monomials u^4, v^4, u^3v, u^2v^2, uv^3,
// u^2v, uv^2, u^3, v^3, u^2, v^2, uv, u, v, 1) from its 15 sample offsets.
ZMX_EXPORT void GCOEFF(const Int* group, const Real* samples, Real* coefficients);
// Foot of P in one sub-triangle by damped Newton with restarts: status 0 with (u, v) of a foot
// inside (to -0.001), else of the nearest foot found outside; status 1 when no start converged.
ZMX_EXPORT void UNEWT(const Real* stepTolerance, const Real* distanceTolerance, const Real* p, const Int* group,
                      const Real* samples, Real* coefficients, const Int* startMode, const Int* startIndex,
                      Real* uv, Int* status);
// Local search of P on one patch: found 1 with (u, v, w) of the foot and the coefficients of its
// sub-triangle left in coefficients(45); list(1) counts the sub-triangles whose foot lay beyond
// the patch edge, list(2..) names them.
ZMX_EXPORT void LOSRCH(const Real* nodes, const void* patches, const Int* table, Real* coefficients,
                       const Int* patch, const Real* p, Int* found, Int* list, Real* uvw, const Real* length);
// Point, frame and signed distance (X - P) . n at (u, v) of a sub-triangle. A degenerate point
// (|Xu x Xv| <= 1e-36) gives a zero frame and the distance -1e36.
ZMX_EXPORT void DSTNCE(const Real* p, const Real* coefficients, const Real* uv, Real* x, Real* frame,
                       Real* distance);
// Projection of P on the plane of a patch's corners: status 1 inside the corner triangle (signed
// distance), 2 just outside it within the radius (distance reduced by the radius, never below 0),
// 0 outside or degenerate (distance -1e36, vector 0); vector := foot - P.
ZMX_EXPORT void PATCHPERPDIST(const Real* nodes, const void* patches, const Real* patchData, const Real* p,
                              const Int* patch, Real* distance, Int* status, Real* vector, const Real* radius);

// ---- Cubic segments in the plane ----------------------------------------------------------------

// K(8) := x(t) and y(t) in power form (constant first); positions(4) := the coordinate positions
// (node - 1) * 4 + 1 of Q0, Q3, Q1, Q2.
ZMX_EXPORT void COEF2D(const Real* nodes, const void* segments, const Int* segment, Real* k, Int* positions);
// Foot x, unit tangent and distance at t (positive with P to the right of increasing t); mode 1
// also gives the normal and the curvature term X'' . n and, with count > 1, recomputes K. A zero
// tangent gives zero frame values and the distance -1e36.
ZMX_EXPORT void DSTN2D(const void* segments, const Real* nodes, const Real* p, Real* k, const Real* t,
                       Real* distance, Real* x, Real* frame, const Int* mode, const Int* segment, const Int* count);
// Distance of P to the nearer open end of a chain of n segments.
ZMX_EXPORT void ENDPTD(const void* segments, const Real* nodes, const Real* p, const Int* n, Real* distance);
// Parameter t of the foot of P on a segment by Newton with restarts: status 0 on the segment, 1
// failed.
ZMX_EXPORT void UNEWT2(const Real* stepTolerance, const Real* distanceTolerance, const Real* nodes,
                       const Int* positions, const Real* p, const Real* k, Real* t, Int* status);

}  // extern "C"
