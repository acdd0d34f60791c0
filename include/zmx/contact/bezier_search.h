// Contact search: the global stage of the search over surfaces of triangular Bezier patches.
#pragma once

#include "zmx/types.h"

extern "C" {

// Measures P against every node, edge and patch corner triangle of a Bezier surface (or, with a
// candidate list on entry, against the listed patches and their edges) and chooses the closest
// entity: kind 1 vertex, 2 edge, 3 patch (resultPatch), 0 none (distance -1e36, foot and frame
// 0). distance is signed (negative on the normal side); frame holds the tangent axes and the
// normal. bounds(np) receives a lower bound of each measured patch's distance. With an empty list
// on entry, the list receives the candidate patches for the local search. work holds
// nv + 2 ne reals. Layouts as in zmx/geometry/bezier.h, with edge records of CBZIER word 29
// integers (end nodes at 2, 3; patches at 4, 5, the fifth 0 on the boundary), ld patch numbers
// per node (0 for none) and three edges per patch.
ZMX_EXPORT void GLBSCH(const Real* nodes, const void* patches, const Real* patchData, const Int* edges,
                       const Int* nodePatches, const Int* patchEdges, const Int* ne, const Int* ld, const Real* p,
                       Int* list, Int* listLength, const Int* np, const Int* nv, Real* bounds, Real* distance,
                       Int* kind, const Real* radius, Real* work, Real* foot, Real* frame, const Real* margin,
                       Int* resultPatch);

}  // extern "C"
