// Surface geometry: cylindrical facets and the angular routines of cylindrical elements.
//
// A cylindrical facet (6 or 9 nodes) is straight along xi in [-1, 1] and a circular arc along
// eta = theta, the angle from its straight edge 1-2 (theta = 0) to its straight edge 3-4 (theta =
// A). Nodes of the 6-node facet: 1 (-1, 0), 2 (1, 0), 3 (1, A), 4 (-1, A), 5 on the arc 2-3, 6 on
// the arc 4-1; of the 9-node facet: corners as before, 5 on the edge 1-2, 6 on the arc 2-3, 7 on
// the edge 3-4, 8 on the arc 4-1, 9 the centre.
//
// Facet angle record (4 reals): 1 the total angle A; 2 the angle of the midside node of the arc
// 1-4; for 6 nodes 3 that of node 5 on the arc 2-3; for 9 nodes 3 that of node 9 on the arc
// 5-7 and 4 that of node 6 on the arc 2-3. Midside angles are measured from the arc's node at
// theta = 0. A facet with A at most 2.22e-16 is flat and eta is an ordinary coordinate in [-1, 1].
#pragma once

#include "zmx/types.h"

extern "C" {

// Circular-arc interpolation through three nodes at the angles (theta1, theta2 the midside node,
// theta3): values n, derivatives by the angle dn and, when second is true (lowest bit), second
// derivatives d2n, at the angle theta. Reproduces 1, cos theta and sin theta.
ZMX_EXPORT void SHR_CCYLTHETA(Real* n, Real* dn, Real* d2n, const Real* angles, const Real* theta,
                              const Logical* second);
// Shape values and derivatives of the 6- and 9-node cylindrical facets with the angle record
// cylinder, in the layout of the plain facets' shape-function arrays.
ZMX_EXPORT void INTSCYL6(const Real* xi, const Real* eta, const Real* cylinder, Real* shape, const Int* mode);
ZMX_EXPORT void INTSCYL9(const Real* xi, const Real* eta, const Real* cylinder, Real* shape, const Int* mode);
// The angle record of one facet (n 6, any other 9) from its node coordinates x (3 rows, leading
// dimension ld); error non-zero, with a zero record, when an arc's circle cannot be formed.
ZMX_EXPORT void SHR_MCYLNODALANGLES2(const Real* x, const Int* ld, const Int* n, Real* cylinder, Int* error);
// The angle records of every cylindrical facet of a surface record (8-byte words), facets that
// share curved edges brought to one common total angle. edges (2 facets x 5 integers) and groups
// (facets x 2: ordinal, group number) are work and out; facetOfRecord receives (record position,
// facet ordinal) pairs; size := 4 x facets when the surface has a cylindrical facet, else 0.
ZMX_EXPORT void SHR_MCYLSURFCONST(const void* surface, const Real* coords, Int* edges, Real* cylinders,
                                  const Int* nodeMap, const Int* facets, Int* groups, const Int* facetOfRecord,
                                  Int* size);
// The angles of one edge of a cylindrical facet: pair := (total angle, angle of its midside node
// from its first listed node) and curved := true for a curved edge; (0, 0) and false for an edge
// that does not end on two corners of the facet.
ZMX_EXPORT void SHR_GETCYLEDGEANGLES(const Int* corners, const Int* cornerLd, const Int* n, const Int* edgeLabels,
                                     const Int* edgeLd, const Int* edgeNodes, const Real* cylinder, Real* pair,
                                     Logical* curved);

// ---- Cylindrical elements --------------------------------------------------------------------------
//
// The nodes of a cylindrical element sit at three angular stations; which node sits at which
// depends on the node count and on solid (false for shells and membranes: 6 or 9 nodes; true for
// solids: 9, 12, 18 or 24 nodes). An axis record is 6 reals: a point on the axis and a second
// point one unit further along it.
//
// Nodal angles, axis record and error flag (1 for collinear station centroids) of one element.
ZMX_EXPORT void SHR_CCYLNODALANGLES(Real* angles, const Real* x, const Int* n, const Int* ld, const Logical* solid,
                                    Real* axis, Int* error);
// Multiplies the per-point array (nb + 1 blocks of n reals; nb 2, or 3 when solid) block by
// block by the nodes' circumferential values at theta, the last block by their derivatives.
ZMX_EXPORT void SHR_CCYLANORMIT(Real* values, const Real* angles, const Int* n, const void* unused,
                                const Logical* solid, const Real* theta);
// SHR_CCYLANORMIT at every integration point of a shell or membrane element (element-type record
// words 14, 15 point counts, 36 node count, 49 points per station).
ZMX_EXPORT void SHR_MCYLANORMIT1(Real* values, const Real* angles, const void* unused3, const Int* element,
                                 const void* unused5);
// The same for a solid element (word 56 the point offset when words 14 and 15 are equal), with
// the radial vector of node 1 and, for 12 nodes, the radii and axial coordinates of the nodes
// (3 x 4 each); axisData holds the axis record in entries 3 to 8.
ZMX_EXPORT void SHR_CYLANORMI1(Real* values, const Real* angles, Real* radial, const Real* axisData, Real* radii,
                               Real* axial, const Real* x, const Int* element, const Int* ld);
// radial := the vector from the axis to the point, normal to the axis (zero without an axis).
ZMX_EXPORT void SHR_COMPUTEVECTOR(const Real* axis, Real* radial, const Real* point);

}  // extern "C"
