// The integer facet record of a faceted surface, as the normal routines and the searches read it:
// word 1 the facet family or corner count (2 a line, 3 a triangle, any other value a
// quadrilateral or cylindrical facet), word 2 the node count nn, words 8 to 7 + nn the node
// numbers, then the numbers of the facet's further points (the normal points of smoothed-normal
// surfaces).
#pragma once

#include "runtime/fortran_types.h"

namespace zmx::geometry {

struct FacetRecord {
  const Int* words;

  Int family() const { return words[0]; }
  Int nodes() const { return words[1]; }
  // The node numbers, nodes() of them.
  const Int* nodeList() const { return words + 7; }
  // Point k (1-based): the nodes 1 to nn, then the further points from nn + 1 on.
  Int point(int k) const { return words[6 + k]; }
};

}  // namespace zmx::geometry
