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

}  // namespace zmx::geometry
