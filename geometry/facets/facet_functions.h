// The shape functions of one facet at one point, as the facet routines of the library use them:
// for every node its value, first and (on request) second derivatives.
#pragma once

#include "geometry/cylinders/cylinder_functions.h"
#include "runtime/fortran_types.h"

namespace zmx::geometry {

struct FacetWeights {
  // Rows: value, d/dxi, d/deta, d2/dxi2, d2/dxi deta, d2/deta2; w[r][j] for node j (0-based).
  static constexpr int kRows = 6;
  int nodes = 0;
  const Real* w[kRows] = {};
  Real first[27];
  Real second[27];
  FacetFunctions cylinder;
};

// The facet's functions: 3-, 4-, 6- (through sub-region k when subRegion), 8- and 9-node facets,
// the 6- and 9-node cylindrical facets (any count but 3, 4 and 6 is 9 there). A plain facet of another
// count takes the 9-node functions when otherAsNine, else the call gives false and nothing.
bool facetWeights(FacetWeights& s, Int n, Real xi, Real eta, bool subRegion, Int k, bool cylindrical,
                  const Real* cylinder, bool second, bool otherAsNine);

// out(dim * r + i) = sum over nodes j of w[r][j] x(i, j), rows r < rows, i < dim; x has leading
// dimension ld.
void combine(const FacetWeights& s, const Real* x, Int ld, int dim, int rows, Real* out);

// A point of sub-quadrilateral `region` (0-based) of a 6-node triangle.
struct SubPoint {
  int region;
  Real xi, eta;
};

// The sub-quadrilaterals that hold the point (k, xi, eta): its own and, beyond 0.99 in xi or eta,
// the neighbours whose seam it lies on (the next one, the one before, both at the centroid). Any k
// but 1 and 2 is sub-quadrilateral 3, alone.
int subPointsAt(Int k, Real xi, Real eta, SubPoint (&points)[3]);

// Jacobian (du/dxi, du/deta; dv/dxi, dv/deta) of sub-quadrilateral `region`'s map onto the
// triangle's area coordinates (u, v) of vertices 2 and 3.
void subJacobian(int region, Real xi, Real eta, Real (&j)[2][2]);

}  // namespace zmx::geometry
