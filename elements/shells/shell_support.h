// Shape functions and Gauss data shared by the shell routines (not exported).
#pragma once

#include "elements/geometry/element_support.h"
#include "runtime/fortran_types.h"

namespace zmx_shells {

inline constexpr Real kGauss2 = 0.57735026918963;
inline constexpr Real kGauss3 = 0.77459666924148;
inline constexpr Real kTwoPi = 2.0 * 3.14159265358979;
// The largest node count of a shell element handled here (nine-node quadrilateral).
inline constexpr int kMaxShellNodes = 9;

// Line shape functions of 2 or 3 nodes (middle node second for 3) and their derivatives at xi.
void lineShape(int n, Real xi, Real* N, Real* dN);
// Abscissa of point p (from 1) of the n-point Gauss rule (n = 2 or 3), and the weight of point p
// of the three-point rule (the two-point weights are 1).
Real gaussAbscissa(int n, int p);
Real gauss3Weight(int p);

}  // namespace zmx_shells

namespace zmx_shells {
// Shape-function table of a shell of `nodes` nodes (3, 4, 6, 8 or 9) at its `points` in-plane
// points: table(node, 3p-2..3p) = value, d/dxi, d/deta, leading dimension `nodes`. Quadrilaterals
// take 1, 4 or 9 Gauss points in lattice order (xi fastest), triangles the centroid (1) or the
// three-point rule (3). False, with nothing written, for any other pairing.
bool shapeTable(int nodes, int points, Real* table);
// True for the node counts shapeTable serves (3, 4, 6, 8 and 9).
bool hasShapeFunctions(int nodes);
}  // namespace zmx_shells

namespace zmx_shells {
// Steps shared by LHSG02GEOM and SHR_LSCGEOM after their check: local derivatives of sub-layout i
// (d1 in 1-9, d2 in 10-18 of derivatives) from the matrix, the interpolated normal into point words
// 7-9, its derivatives dn1, dn2 and the curvature terms (4) against the tangents in point 1-6.
void sectionDerivatives(const Real* X, Int ldim, const Real* table, Int nodes, Int i, const Real* normals,
                        Real* point, const Real* matrix, Real* curvature, Real* derivatives, zmx_elements::V3& dn1,
                        zmx_elements::V3& dn2);
}  // namespace zmx_shells
