// Ridge classification of one master-surface node for adaptive meshing: from the facets around
// the node, their unit normals, the averaged normal with a local system of directions, whether
// two facets fold against each other beyond a cosine threshold (a ridge), and whether two nodes of
// the ridges lie on a straight line through the node (a straight ridge).

#include <algorithm>

#include "geometry/facets/facet_properties.h"
#include "runtime/record.h"
#include "siblings/eqc/adaptive_mesh.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/facet_shapes.h"
#include "zmx/geometry/normals.h"
#include "zmx/numerics/sorting.h"

namespace zmx::geometry {

namespace {

constexpr Real kNoNormal = 1e36;
constexpr Int kSmooth = 4, kRidge = 2, kStraightRidge = 3;

// Node coordinates by label: dim reals per node, in the column of the label's position in the
// sorted label list. The lookup guess carries from one label to the next.
struct NodeTable {
  const Int* labels;
  Int length;
  const Real* coords;
  int dim;
  Int guess = 0;

  // The node's coordinates, or null when the label is not in the list.
  const Real* find(Int label) {
    Int missing = 1;
    HUNTI(labels, &length, &label, &guess, &missing);
    if (missing != 0 || guess < 1 || guess > length) return nullptr;
    return coords + static_cast<long long>(guess - 1) * dim;
  }
};

// A facet's record in the slide-line layout: slot p its length L, its L - 3 node labels in slots
// p + 3 to p + L - 1.
struct FacetSlots {
  const void* slots;
  long long first;
  Int count;

  FacetSlots(const void* records, Int position) : slots(records), first(position + 3LL) {
    count = position >= 1 ? static_cast<Int>(std::max<long long>(rec::slotI(records, position) - 3LL, 0)) : 0;
  }
  Int label(Int k) const { return rec::slotI(slots, first + k); }
  bool holds(Int node) const {
    for (Int k = 0; k < count; ++k)
      if (label(k) == node) return true;
    return false;
  }
};

// The unit normal of a facet (3 components, the third 0 in two dimensions); false when a node is
// missing or the normal has no length.
bool facetNormal(const FacetSlots& f, NodeTable& nodes, Real* n) {
  const int dim = nodes.dim;
  const Real* x[4] = {};
  const Int needed = dim == 2 ? 2 : f.count;
  if (f.count < 2 || (dim == 3 && needed != 3 && needed != 4)) return false;
  for (Int k = 0; k < needed; ++k)
    if ((x[k] = nodes.find(f.label(k))) == nullptr) return false;
  n[2] = 0.0;
  if (dim == 2) {
    n[0] = x[0][1] - x[1][1], n[1] = x[1][0] - x[0][0];
    return unitLength(n, 2);
  }
  Real t1[3] = {0, 0, 0}, t2[3] = {0, 0, 0};
  if (needed == 3) {
    for (int c = 0; c < 3; ++c) t1[c] = x[1][c] - x[0][c], t2[c] = x[2][c] - x[0][c];
  } else {
    const Real centre = 0.0;
    const Int derivatives = 1;
    Real d[8];
    EQC_INTQ4(&centre, &centre, d, &derivatives);
    for (int k = 0; k < 4; ++k)
      for (int c = 0; c < 3; ++c) t1[c] += d[k] * x[k][c], t2[c] += d[4 + k] * x[k][c];
  }
  return unitCross(t1, t2, n);
}

// Completes the local system around the unit normal in its last column.
void completeSystem(Real* local, int dim) {
  if (dim == 3) {
    ALOCAL(local);
  } else {
    local[0] = local[3], local[1] = -local[2];
  }
}

// The straight-ridge search: two ridge nodes a, b with (Xa - X0) and (X0 - Xb) within the threshold
// of one direction; a later pair replaces an earlier one.
void straightRidge(const Int* ridge, Int count, Int node, Real c, NodeTable& nodes, Int* classification,
                   Real* local, Int* ends) {
  const Real* here = nodes.find(node);
  if (here == nullptr) return;
  const Real x0[3] = {here[0], here[1], here[2]};
  for (Int a = 0; a < count; ++a) {
    const Real* xa = nodes.find(ridge[a]);
    if (xa == nullptr) continue;
    Real d1[3] = {xa[0] - x0[0], xa[1] - x0[1], xa[2] - x0[2]};
    if (!unitLength(d1, 3)) continue;
    for (Int b = a + 1; b < count; ++b) {
      const Real* xb = nodes.find(ridge[b]);
      if (xb == nullptr) continue;
      Real d2[3] = {x0[0] - xb[0], x0[1] - xb[1], x0[2] - xb[2]};
      if (!unitLength(d2, 3) || dot3(d1, d2) < c) continue;
      Real frame[9] = {0, 0, 0, 0, 0, 0, d1[0] + d2[0], d1[1] + d2[1], d1[2] + d2[2]};
      if (!unitLength(frame + 6, 3)) continue;
      ALOCAL(frame);
      std::copy_n(frame + 6, 3, local);
      std::copy_n(frame, 6, local + 3);
      ends[0] = ridge[a], ends[1] = ridge[b];
      *classification = kStraightRidge;
    }
  }
}

}  // namespace

}  // namespace zmx::geometry

using namespace zmx::geometry;

extern "C" {

void SHR_MSRIDGES(Int* classification, Real* local, const Int* node, const Int* m, const void* records,
                  Real* normals, const Int* positions, Int* ridge, const Real* coords, const Real* c, const Int* ndim,
                  const Int* labels, Int* ends) {
  const int dim = *ndim == 2 ? 2 : 3;
  NodeTable nodes{labels, rec::i(CADAPTMESH, eqc_records::kAdaptiveNodeCount), coords, dim};
  Real* normal = local + dim * (dim - 1);
  std::fill_n(local, dim * dim, 0.0);

  Real first[3] = {0, 0, 0};
  bool haveFirst = false;
  for (Int i = 0; i < *m; ++i) {
    Real* n = normals + 3LL * i;
    if (!facetNormal(FacetSlots(records, positions[i]), nodes, n)) {
      n[0] = n[1] = n[2] = kNoNormal;
      continue;
    }
    if (!haveFirst) std::copy_n(n, 3, first), haveFirst = true;
    for (int k = 0; k < dim; ++k) normal[k] += n[k];
  }

  if (!unitLength(normal, dim)) {
    // The normals cancel: no system around the node, unless every direction counts (c = -1), when
    // the first facet's normal stands for the surface's.
    std::fill_n(local, dim, 0.0);
    if (*c == -1.0 && haveFirst) {
      std::copy_n(first, dim, normal);
      completeSystem(local, dim);
    }
    return;
  }
  completeSystem(local, dim);

  *classification = kSmooth;
  const Int capacity = *m * (*m - 1);
  Int count = 0;
  for (Int i = 0; i < *m; ++i) {
    const Real* ni = normals + 3LL * i;
    if (ni[0] == kNoNormal) continue;
    const FacetSlots fi(records, positions[i]);
    for (Int j = i + 1; j < *m; ++j) {
      const Real* nj = normals + 3LL * j;
      if (nj[0] == kNoNormal || dot3(ni, nj) >= *c) continue;
      *classification = kRidge;
      if (dim == 2) continue;
      const FacetSlots fj(records, positions[j]);
      for (Int k = 0; k < fi.count && count < capacity; ++k) {
        const Int label = fi.label(k);
        if (label != *node && fj.holds(label)) ridge[count++] = label;
      }
    }
  }

  Int status = 0;
  ASORT1(ridge, &count, &status);
  if (status == 0 && count >= 2) straightRidge(ridge, count, *node, *c, nodes, classification, local, ends);
}

}  // extern "C"
