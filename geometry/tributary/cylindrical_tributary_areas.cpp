// Tributary areas of cylindrical facets with three values per node: the normal, axial and
// circumferential shares, and each node's unit circumferential tangent. The per-facet driver
// keeps its shape tables in its own storage.

#include <algorithm>
#include <cmath>

#include "geometry/support/geometry_report.h"
#include "geometry/tributary/tributary_methods.h"
#include "numerics/kernels/kernel_support.h"
#include "zmx/geometry/facets.h"
#include "zmx/geometry/tributary.h"

namespace {

using namespace zmx::tributary;
using zmx_numerics::dot3;

constexpr int kSharesLd = 9;  // leading dimension of the three share columns
constexpr Real kNoVector = 2.22e-16;

// The shape tables of BTRIBUTARY_CYL, for every facet rule it meets.
constinit Real gTable[kMostTable] = {};

constexpr const char* kNoRule = "SYSTEM ERROR IN BAREA3DSURFACE_CYL - NO INTEGRATION RULE FOR %I NODES AND %I POINTS";
constexpr const char* kTooFewNodes = "SYSTEM ERROR IN BTRIBUTARY_CYL - A FACET OF CLASS %I CANNOT HAVE %I NODES";

}  // namespace

extern "C" {

void BAREA3DSURFACE_CYL(Real* table, const Int* nnode, const Int* npt, const Real* coords, Real* shares, Real* da,
                        const Int* iclass, Int* lastclass, const Real* cylpar, Real* nodevec) {
  if (!cylinderFits(*nnode, *npt)) {
    zmx::geometry::report(zmx::geometry::kSystemError, kNoRule, {*nnode, *npt});
    std::fill_n(shares, 3 * kSharesLd, 0.0);
    std::fill_n(da, std::clamp<Int>(*npt, 0, kMostPoints), 0.0);
    return;
  }
  const Int n = *nnode;
  CylinderRule rule;
  buildCylinder(table, n, *npt, coords, cylpar, rule);
  noteTable(table, 0, n, *npt);
  PointFrames at;
  frames(table, n, *npt, coords, at);
  std::copy_n(at.da, *npt, da);
  Real* column[3] = {shares, shares + kSharesLd, shares + 2 * kSharesLd};
  if (rule.curved) {
    projectedShares(table, n, *npt, rule.weight, at.da, at.normal, rule.nodeNormal, column[0]);
    projectedShares(table, n, *npt, rule.weight, at.da, at.t1, rule.nodeT1, column[1]);
    projectedShares(table, n, *npt, rule.weight, at.da, at.t2, rule.nodeT2, column[2]);
  } else {
    for (Real* c : column) plainShares(table, n, *npt, rule.weight, at.da, c);
  }
  for (Int k = 0; k < n; ++k)
    for (int c = 0; c < 3; ++c) nodevec[3 * k + c] = rule.nodeT2[k][c];
  *lastclass = *iclass;
}

void BTRIBUTARY_CYL(const Int* iclass, const Int* iface, const Int* nnode, const Real* coords, Real* area3,
                    Real* vec3, Real* total, Int* count, Int* lastclass, Int* lastface, const Int* nodes,
                    const Real* cylpar) {
  const FacetClass f = lookUp(*iclass, *iface);
  const Choice choice = choose(f, isShellEdge(f), false);
  if (!enoughNodes(kTooFewNodes, choice, *iclass, *nnode)) return;
  // Three shares per node (column-major, leading dimension 9); other methods give one share that
  // all three take.
  Real shares[3 * kSharesLd] = {};
  Real nodevec[3 * kMostNodes] = {};
  Real length = 0.0;
  const bool cylinder = choice.method == Method::cylinder;
  if (cylinder || choice.method == Method::surface) {
    forgetOtherFaceShape(*iclass, *iface, lastclass, lastface);
    Real da[kMostPoints];
    if (cylinder) {
      BAREA3DSURFACE_CYL(gTable, &choice.nodes, &choice.points, coords, shares, da, iclass, lastclass, cylpar,
                         nodevec);
    } else {
      const Int plain = 0;
      BAREA3DSURFACE(gTable, &choice.nodes, &choice.points, &choice.rule, coords, shares, da, iclass, lastclass,
                     &plain, cylpar);
    }
  } else {
    length = lineShares(choice, f, coords, *nnode, shares);
  }
  Real sum = 0.0;
  for (Int k = 0; k < std::min<Int>(*nnode, kMostNodes); ++k) {
    if (nodes[k] <= 0) continue;
    Real* a = area3 + 3 * static_cast<std::ptrdiff_t>(nodes[k] - 1);
    for (int c = 0; c < 3; ++c) a[c] += cylinder ? shares[k + c * kSharesLd] : shares[k];
    sum += shares[k];
    Real* v = vec3 + 3 * static_cast<std::ptrdiff_t>(nodes[k] - 1);
    if (cylinder && std::sqrt(dot3(v, v)) <= kNoVector) std::copy_n(nodevec + 3 * k, 3, v);
  }
  addSize(f, choice, length, sum, total, count);
  *lastclass = *iclass;
  *lastface = *iface;
}

}  // extern "C"
