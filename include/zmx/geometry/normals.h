// Surface geometry: smoothed normals at the edges and vertices of a facet mesh and on the seams of
// 6-node triangles taken as three sub-quadrilaterals.
//
// Facet record (integers): word 2 the node count nn, words 8 to 7 + nn the node numbers. Edge
// node triple: the first corner, then the other corner (3- and 4-node facets) or the midside node
// and the other corner. Edge parameter s: 0 at the first corner, 0 to 1 along the edge (an angle
// along a curved edge of a cylindrical facet). Vertex list: m, then m facet numbers, then the
// vertex's position in each facet's node list. Facet kind 1 is a cylindrical facet with its angle
// record (4 reals). The _B twins find node n's column through key = map(n), its position in the
// sorted key list and columns(position); failed is true when a node is not in the list.
#pragma once

#include "zmx/types.h"

extern "C" {

// Unit normal of a 6-node triangle (x, leading dimension ld) at (xi, eta) of sub-quadrilateral k,
// averaged over the sub-quadrilaterals whose seam the point lies on; status non-zero (normal the
// unnormalised sum so far) when a normal vanishes.
ZMX_EXPORT void NORMALONINTERNALEDGE(const Int* k, const Real* xi, const Real* eta, const Real* x, const Int* ld,
                                     Real* normal, Int* status);
// Normal at the point s of an edge shared by facets (1 or 2) facets; node n in column n - offset.
ZMX_EXPORT void NORMAL_ON_EDGE(const Int* edge, const Real* s, const Int* first, const Int* second,
                               const Logical* subFacets, const Real* x, const Int* ld, const Int* offset, Real* normal,
                               const Int* facets, const Int* firstKind, const Real* firstCylinder,
                               const Int* secondKind, const Real* secondCylinder);
ZMX_EXPORT void NORMAL_ON_EDGE_B(const Int* edge, const Real* s, const Int* first, const Int* second,
                                 const Logical* subFacets, const Real* x, const Int* ld, Real* normal, const Int* map,
                                 const Int* keys, const Int* columns, const Int* keyCount, Logical* failed,
                                 const Int* facets, const Int* firstKind, const Real* firstCylinder,
                                 const Int* secondKind, const Real* secondCylinder);
// Normal at a vertex from the facets (columns of table, leading dimension tableLd) of its list,
// and the mean of their values; leading dimension 2 of x the two-dimensional case.
ZMX_EXPORT void NORMAL_ON_VERTEX(const Int* vertex, const Int* table, const Int* tableLd, const Logical* subFacets,
                                 const Real* x, const Int* ld, const Int* offset, Real* normal, const Real* values,
                                 Real* mean, const Logical* cylindricalSurface, const Int* kinds,
                                 const Real* cylinders);
ZMX_EXPORT void NORMAL_ON_VERTEX_B(const Int* vertex, const Int* table, const Int* tableLd, const Logical* subFacets,
                                   const Real* x, const Int* ld, Real* normal, const Int* map, const Int* keys,
                                   const Int* columns, const Int* keyCount, Logical* failed, const Real* values,
                                   Real* mean, const Int* kinds, const Real* cylinders);

}  // extern "C"
