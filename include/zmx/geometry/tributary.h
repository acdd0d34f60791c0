// Surface geometry: nodal tributary areas of surface facets and the contact areas of quadratic
// facets.
#pragma once

#include "zmx/types.h"

extern "C" {

// ---- Nodal tributary areas ------------------------------------------------------------------------
//
// One call per facet of an element-based surface: the facet's share of area (length in 2-D,
// revolved area in axisymmetric models) that belongs to each of its nodes is added to
// AREA(NODES(k)); entries NODES(k) <= 0 receive nothing. The method follows the facet catalogue
// for the element class ICLASS and the face number IFACE. COORDS holds 3 reals per facet node.
// WORK keeps the shape-function table of the last facet rule from call to call (3 rows of
// NNODE reals per integration point; at most 243 reals); LASTCLASS and LASTFACE, kept by the
// caller and 0 at first, say which class and face it was built for. CYLPAR is the angle record
// of a cylindrical facet.
//
// BTRIBUTARY also adds the facet's size to TOTAL (its length when measured by length, the
// square root of its area otherwise, the plain length in axisymmetric models) and counts it.
ZMX_EXPORT void BTRIBUTARY(const Int* iclass, const Int* iface, const Int* nnode, const Real* coords, Real* area,
                           Real* work, Real* total, Int* count, Int* lastclass, Int* lastface, const Int* nodes,
                           const Real* cylpar);
// The same with every facet taken as linear (on its corner nodes); no size sum. Cylindrical
// facets are refused (level -3) and add nothing.
ZMX_EXPORT void BTRIBUTARYLINEAR(const Int* iclass, const Int* iface, const Int* nnode, const Real* coords,
                                 Real* area, Real* work, Int* lastclass, Int* lastface, const Int* nodes,
                                 const Real* cylpar);
// Nodal shares SHARES(NNODE) and area elements DA(NPT) of one 3-D facet by the integration rule
// RULE (1: 3-node triangle, 1 point; 2: 4-node quadrilateral, 2 x 2; 3: 6-node triangle, 3
// points; 4: 8-node and 5: 9-node quadrilaterals, 3 x 3). The table in WORK is reused when
// LASTCLASS = ICLASS and this routine built it there for the same rule, node and point count;
// LASTCLASS := ICLASS afterwards. ICYL odd: the cylindrical facet of NNODE (6 or 9) nodes and
// NPT (6 or 9) points with the angle record CYLPAR, whatever RULE.
ZMX_EXPORT void BAREA3DSURFACE(Real* work, const Int* nnode, const Int* npt, const Int* rule, const Real* coords,
                               Real* shares, Real* da, const Int* iclass, Int* lastclass, const Int* icyl,
                               const Real* cylpar);
// Shares of a flat triangle by its corner angles: A1 = A a1 / pi and so on; a degenerate
// triangle gives zeros.
ZMX_EXPORT void BTRIBUTARYTRI(const Real* x1, const Real* x2, const Real* x3, Real* a1, Real* a2, Real* a3);

// ---- Cylindrical facets ---------------------------------------------------------------------------
//
// SHARES(9, 3) per node: the normal, axial and circumferential shares; NODEVEC(3, NNODE) the unit
// circumferential tangents at the nodes (zero for a flat facet). TABLE holds the shape table.
ZMX_EXPORT void BAREA3DSURFACE_CYL(Real* table, const Int* nnode, const Int* npt, const Real* coords, Real* shares,
                                   Real* da, const Int* iclass, Int* lastclass, const Real* cylpar, Real* nodevec);
// BTRIBUTARY keeping three values per node in AREA3(3, node) and the first cylindrical facet's
// unit circumferential tangent of each node in VEC3(3, node); its shape tables live in its own
// storage, which LASTCLASS describes.
ZMX_EXPORT void BTRIBUTARY_CYL(const Int* iclass, const Int* iface, const Int* nnode, const Real* coords, Real* area3,
                               Real* vec3, Real* total, Int* count, Int* lastclass, Int* lastface, const Int* nodes,
                               const Real* cylpar);

// ---- Contact areas of quadratic facets -------------------------------------------------------------
//
// Nodal areas AREAS(4) (the integrals of the bilinear shape functions) and the area of the plane
// quadrilateral with corners P(2, 4); signed, positive for counter-clockwise corners.
ZMX_EXPORT void LQUADBODYOP(const Real* p, Real* areas, Real* area);
// Nodal lengths SHARES(3) of a 3-node edge (COORDS(LDX, 3), rows 1 and 2 used): each half gives
// half its length to its ends, times 2 pi times its mean radius when IAXI is nonzero; LENGTH the
// plain length of the edge.
ZMX_EXPORT void LCONTACTAREA6C(const Real* coords, const Int* ldx, const Int* iaxi, Real* shares, Real* length);
// Nodal areas SHARES(6) of the 6-node triangular face COORDS(3, 6), from three quadrilaterals
// around an interior point; the second argument is not used.
ZMX_EXPORT void LCONTACTAREA10C(const Real* coords, const Int* unused, Real* shares);
}
