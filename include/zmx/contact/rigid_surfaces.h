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

}  // extern "C"
