// Surface geometry: smoothed normals at the edges and vertices of a facet mesh and on the seams of
// 6-node triangles taken as three sub-quadrilaterals; the set-up of smoothed-normal surfaces
// (nodal normals, tangent evaluation points, ridge classes) and the smoothed normal interpolated
// over the regions of a facet.
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

// ---- Smoothed-normal surfaces ------------------------------------------------------------------
//
// Facet record (integers) of the smoothed-normal routines: word 1 the family or corner count (2 a
// line, 3 a triangle, any other value a quadrilateral or cylindrical facet), word 2 the node count
// nn, words 8 to 7 + nn the node numbers, then the numbers of the facet's normal points: point k
// of the facet is word 7 + k. The band width d (f) is kept in [1e-36, 0.5] and written back.
//
// The normal points at band width d, with e = 1 - 2d (the points of TANGENTINTER_AT_POINT's
// lines at t = d):
//   line: nn+1 at -e, nn+2 at e;
//   triangle: nn+1 (2d/3, 2d/3), nn+2 (1 - 4d/3, 2d/3), nn+3 (2d/3, 1 - 4d/3), nn+4 (d, 0),
//     nn+5 (1 - d, 0), nn+6 (1 - d, d), nn+7 (d, 1 - d), nn+8 (0, 1 - d), nn+9 (0, d);
//   quadrilateral: nn+1 (-e, -e), nn+2 (e, -e), nn+3 (e, e), nn+4 (-e, e), nn+5 (-e, -1),
//     nn+6 (e, -1), nn+7 (1, -e), nn+8 (1, e), nn+9 (e, 1), nn+10 (-e, 1), nn+11 (-1, e),
//     nn+12 (-1, -e);
//   cylindrical facet: as the quadrilateral, its edge points from nn+7 on (nn+5 and nn+6 on the
//     centre lines: of a curved facet at (e, middle angle of the side xi = 1) and (-e, middle
//     angle of the side xi = -1)); on a curved facet eta is the angle and the bands along the
//     straight edges are d theta wide.
// Regions: line 1 centre, 2 and 3 the bands at nodes 1 and 2; triangle 1 centre, 2 to 4 the bands
// along the edges 1-2, 2-3, 3-1, 5 to 7 the corners at vertices 1 to 3; quadrilateral 1 centre,
// 2 to 5 the bands along eta = -1, xi = 1, eta = 1, xi = -1, 6 to 9 the corners at nodes 1 to 4.
// With d = 0.5 the centre and the bands have no width and are skipped.

// The smoothed unit normal at point (xi, eta) of a facet (a line reads xi only; corner 1 to 3: the
// point is given in the sub-quadrilateral of that corner of a 6-node triangle, and the
// derivatives are by the triangle's coordinates) and its derivatives by xi and eta (not written
// for a line; a line's vectors have 2 components). normals(ld, *): the stored normals by point
// number; with incrementFlag 1 each is normal + factor x increment. The first region of the
// candidate list (4, 8 or 10 entries for a line, triangle, quadrilateral) that holds the point is
// taken and written to region.
ZMX_EXPORT void NORMAL_ON_FACETED_SURF(const Real* point, const Int* corner, const Int* record, const Real* normals,
                                       const Int* ld, Real* width, const Int* candidates, Real* normal, Real* dxi,
                                       Real* deta, Int* region, const Real* increments, const Real* factor,
                                       const Int* incrementFlag);
// normals(3, i) := the master normal of requested node i (an integer in each 8-byte slot), found
// in the sorted master list; zero for a node 0 or less, and for a node not in the list (reported).
ZMX_EXPORT void GETNODENORMALS(const Int* list, const Real* masterNormals, const Int* length, const void* requested,
                               const Int* count, Real* normals);

// Adds the unit normals of one facet (node list of n nodes), each taken at one of its nodes, into
// the nodal normals a (3 reals per node, column j node j; coordinates x alike). dimension 2: a
// straight (flat) or 3-node segment; else a flat facet of 1 to 4 nodes, or a curved 3-, 6-, 8- or
// 9-node facet of the element class. status 1 when a normal cannot be formed or the facet has no
// nodal normals here (a 6-node cylindrical facet); the others are added all the same.
ZMX_EXPORT void SHR_SURFACENORMAL(Real* a, const Real* x, const Int* nodes, const Int* n, const Int* dimension,
                                  const Logical* flat, const Int* elementClass, Int* status);
// The 2n shape-function derivatives (by xi, then by eta) of a facet (family: 3 a triangle, any
// other value a quadrilateral or, with cylindrical 1, a cylindrical facet with its angle record
// data; n nodes) at node m (m <= n) or at the point t of line m - n: the lines through the
// normal points of the regions above.
ZMX_EXPORT void TANGENTINTER_AT_POINT(const Int* facet, const Int* m, const Real* t, const Int* cylindrical,
                                      const Real* data, Real* derivatives);
// The region of a facet (family and coordinates as NORMAL_ON_FACETED_SURF; cylindrical 1 with the
// angle record cylinder) that holds (xi, eta), searched centre first for f <= 0.25 and corners
// first above: its m points' normal indices (from the record), and their functions in shape: m
// values, m derivatives by xi, m by eta (m 2, 3, 4, or 6 for the centre and the bands along the
// curved sides of a curved cylindrical facet). m is 0 when no region holds the point (reported).
ZMX_EXPORT void COMPUTE_NORMAL_INTERP(const Real* xi, const Real* eta, const Int* k, const Int* record, Real* f,
                                      Int* m, Real* shape, Int* indices, const Int* cylindrical,
                                      const Real* cylinder);
// Classifies a master-surface node from its m facets (records in the slide-line layout at the
// given slot positions: length L, then L - 3 node labels from the fourth slot): classification 4
// smooth, 2 ridge (two facet normals with a dot product below c), 3 a straight ridge through the
// node (two ridge nodes in line with it within c), unset when the facet normals cancel. local
// (ndim x ndim): the averaged normal in the last column and tangent directions (at a straight
// ridge the ridge direction first); normals (3 x m) the facet normals, 1e36 for a facet without
// one. Coordinates: ndim reals per node in the column of the label's position in the sorted list
// labels (CADAPTMESH word 2 long). ridge receives the sorted ridge nodes and must hold m(m - 1)
// entries; ends the two nodes of a straight ridge.
ZMX_EXPORT void SHR_MSRIDGES(Int* classification, Real* local, const Int* node, const Int* m, const void* records,
                             Real* normals, const Int* positions, Int* ridge, const Real* coords, const Real* c,
                             const Int* ndim, const Int* labels, Int* ends);

}  // extern "C"
