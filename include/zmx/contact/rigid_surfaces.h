// Contact search: closest points of a slave node on analytical rigid surfaces made of Bezier
// patches or cubic Bezier segments. Layouts of the surface arrays are those of
// zmx/geometry/bezier.h; CBZIER must be set up for the surface kind first. A distance of
// magnitude 1e36 (-1e36 from SRCH2D) means that no point was found.
#pragma once

#include "zmx/types.h"

extern "C" {

// Closest point over a surface of triangular Bezier patches, keeping a candidate list per slave
// node in the caller's arrays: state (-k near, +k far, 0 none), storedPoint(3) where the list of
// at most 48 patches storedList(k) was made. The list is reused while the point stays within
// reuse of storedPoint; a near list is searched patch by patch, a far one by the global search.
// Arguments 1 to 8, 11 to 13 and bounds are handed to GLBSCH, table to LOSRCH; report 1 files the
// candidate count under the node's number.
ZMX_EXPORT void SEARCH(const Real* nodes, const void* patches, const Real* patchData, const Int* edges,
                       const Int* nodePatches, const Int* patchEdges, const Int* ne, const Int* ld, Real* bounds,
                       Int* list, Real* work, const Int* np, const Int* nv, const Int* table, const Real* p,
                       Real* foot, Real* frame, Real* distance, Int* state, const Real* fine, const Real* reuse,
                       Real* storedPoint, Int* storedList, const Int* report, const Int* node, Int* patch);

// Closest point over a Bezier patch surface from the patch found last time (patch, 0 or less for
// none), falling back to BEZIERSEARCH3D; count numbers the calls since the patch was last lost.
ZMX_EXPORT void SEARCH_BEZIER(const Real* nodes, const void* patches, const Real* reach, Real* nodeDistance,
                              Real* work, const Int* np, const Int* nv, const Int* table, const Real* p, Real* foot,
                              Real* frame, Real* distance, const Real* length, Int* patch, Int* count);

// Closest foot of p on a chain of n cubic Bezier segments in the plane, unless an open end of the
// chain is nearer (distance -1e36). With debug 1 a failed search writes a line on the message
// unit.
ZMX_EXPORT void SRCH2D(const Real* nodes, const void* segments, const Int* n, const Real* p, Real* foot, Real* frame,
                       Real* distance, const Int* debug, const Real* length);

// Closest point on an analytical rigid surface described by one record of 8-byte words, passed
// as integers (irec, an integer in the low 4 bytes of its word) and as reals (rrec); word 2 the
// kind: 1 a planar profile (start point at words 5-6, segments from word 7; in three dimensions
// the profile extends along z), 2 the profile extruded (origin 5-7, e1 8-10, extrusion b 11-13,
// start 14-15, segments from 16), 7 a B-spline, any other a profile revolved about the axis
// (origin 5-7, unit direction 8-10, start 11-12, segments from 13). Segments: type 1 line (end),
// 2 arc (centre, end), other three-node (middle, end), -1 the end of the profile. beyond widens
// the open ends of the profile (in units of the segment parameter, at least 1e-8). Out: signed
// distance (-1e36 none), foot(3), unit normal(3), tangents(6), curvatures(2). A line shorter than
// 1e-36 or an arc of radius below 1e-36 is passed over.
//
// B-spline record (kind 7): words 9-10 the u range, 11 the sub-kind (2 a planar curve, other a
// face), 12 the length scale; flags at words 4 (rational), 5 (periodic in u), 22 (periodic in v).
// "pos" words hold the word position of an array inside the same record; integer arrays there are
// packed, two 4-byte integers per word.
//   curve: 6 degree, 7 knot count, 8 ldim, 13 pos knots, 14 pos control points, 15 pos weights,
//          16 pieces n, 17 ldq, 18 pos reference points q(ldq, n), 19 pos start parameters(n)
//          followed by radii(n), 20 pos start spans(n).
//   face:  6 and 7 degrees in u and v, 8 and 13 knot counts, 14 control points per row (ncu),
//          15 ldim, 16 and 17 pos knots in u and v, 18 pos net, 19 pos weights, 20 pos reference
//          points q(ldq, na, nb), 23 ldq, 24 na, 25 nb, 26-27 the v range, 28 pos start u(na),
//          start v(nb), radii(na nb), then the start spans in u(na) and v(nb).
// spans(2) and parameters(2) carry the last foot between calls; calls counts the calls since the
// last full search, restarted at limit; skew receives the face kernels' skew terms; work and size
// go to the full searches. A local foot on the first or last span of a direction is accepted only
// when it is not farther than the boundary; other local feet are accepted as they stand.
ZMX_EXPORT void SEGMENTRIGIDSURFSEARCH(const Real* x, const Int* irec, const Real* rrec, const Int* dimension,
                                       Real* distance, Real* foot, Real* normal, Real* tangents, Real* curvatures,
                                       Real* skew, Real* spans, Real* parameters, Int* calls, const Int* limit,
                                       const Real* beyond, Real* work, Int* size);

}  // extern "C"
