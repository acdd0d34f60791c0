// Nodal tributary areas of element-based surface facets: one call per facet adds each node's
// share of the facet's area (length in 2-D, revolved area in axisymmetric models) into the
// surface's array by node number. The method comes from the facet catalogue; 3-D facets are
// integrated with the shape functions of their rule, the table of which the caller's work array
// keeps from facet to facet.

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

// AREA(NODES(k)) += s(k) for the nodes with positive numbers; returns the sum added.
Real accumulate(const Real* s, Int nnode, const Int* nodes, Real* area) {
  Real sum = 0.0;
  for (Int k = 0; k < std::min<Int>(nnode, kMostNodes); ++k)
    if (nodes[k] > 0) {
      area[nodes[k] - 1] += s[k];
      sum += s[k];
    }
  return sum;
}

// The shares s of one facet by its method; returns the facet's length where it has one.
Real facetShares(const Choice& choice, const FacetClass& f, const Real* coords, Int nnode, Real* work,
                 Int* lastclass, const Int* lastface, const Real* cylpar, Real* s) {
  if (choice.method != Method::surface && choice.method != Method::cylinder)
    return lineShares(choice, f, coords, nnode, s);
  forgetOtherFaceShape(f.elementClass, f.face, lastclass, lastface);
  const Int cylindrical = choice.method == Method::cylinder ? 1 : 0;
  const Int rule = cylindrical ? 2 : choice.rule;
  Real da[kMostPoints];
  BAREA3DSURFACE(work, &choice.nodes, &choice.points, &rule, coords, s, da, &f.elementClass, lastclass, &cylindrical,
                 cylpar);
  return 0.0;
}

constexpr const char* kTooFewNodes = "SYSTEM ERROR IN BTRIBUTARY - A FACET OF CLASS %I CANNOT HAVE %I NODES";
constexpr const char* kTooFewNodesLinear = "SYSTEM ERROR IN BTRIBUTARYLINEAR - A FACET OF CLASS %I CANNOT HAVE %I NODES";
constexpr const char* kNoRule = "SYSTEM ERROR IN BAREA3DSURFACE - NO INTEGRATION RULE FOR %I NODES AND %I POINTS";

}  // namespace

extern "C" {

void BTRIBUTARY(const Int* iclass, const Int* iface, const Int* nnode, const Real* coords, Real* area, Real* work,
                Real* total, Int* count, Int* lastclass, Int* lastface, const Int* nodes, const Real* cylpar) {
  const FacetClass f = lookUp(*iclass, *iface);
  const Choice choice = choose(f, isShellEdge(f), false);
  if (!enoughNodes(kTooFewNodes, choice, *iclass, *nnode)) return;
  Real s[kMostNodes] = {};
  const Real length = facetShares(choice, f, coords, *nnode, work, lastclass, lastface, cylpar, s);
  addSize(f, choice, length, accumulate(s, *nnode, nodes, area), total, count);
  *lastclass = *iclass;
  *lastface = *iface;
}

void BTRIBUTARYLINEAR(const Int* iclass, const Int* iface, const Int* nnode, const Real* coords, Real* area,
                      Real* work, Int* lastclass, Int* lastface, const Int* nodes, const Real* cylpar) {
  const FacetClass f = lookUp(*iclass, *iface);
  // Shell edges are line facets here too: integrated as faces they would read nodes the edge
  // does not have.
  const Choice choice = choose(f, isShellEdge(f), true);
  if (choice.method == Method::refused) {
    zmx::geometry::reportCounted(zmx::geometry::kSystemError,
                                 "SYSTEM - CYLINDRICAL FACET OF CLASS %I CAN NOT BE REGARDED AS LINEAR.", {*iclass});
    return;
  }
  if (!enoughNodes(kTooFewNodesLinear, choice, *iclass, *nnode)) return;
  Real s[kMostNodes] = {};
  facetShares(choice, f, coords, *nnode, work, lastclass, lastface, cylpar, s);
  accumulate(s, *nnode, nodes, area);
  *lastclass = *iclass;
  *lastface = *iface;
}

void BAREA3DSURFACE(Real* work, const Int* nnode, const Int* npt, const Int* rule, const Real* coords, Real* shares,
                    Real* da, const Int* iclass, Int* lastclass, const Int* icyl, const Real* cylpar) {
  const bool cylindrical = (*icyl & 1) != 0;
  Int nodes = 0, points = 0;
  const bool fits = cylindrical ? cylinderFits(*nnode, *npt)
                                : ruleShape(*rule, nodes, points) && nodes == *nnode && points == *npt;
  if (!fits) {
    zmx::geometry::report(zmx::geometry::kSystemError, kNoRule, {*nnode, *npt});
    std::fill_n(shares, std::clamp<Int>(*nnode, 0, kMostNodes), 0.0);
    std::fill_n(da, std::clamp<Int>(*npt, 0, kMostPoints), 0.0);
    return;
  }
  PointFrames at;
  if (cylindrical) {
    CylinderRule cylinder;
    buildCylinder(work, *nnode, *npt, coords, cylpar, cylinder);
    noteTable(work, 0, *nnode, *npt);
    frames(work, *nnode, *npt, coords, at);
    if (cylinder.curved)
      projectedShares(work, *nnode, *npt, cylinder.weight, at.da, at.normal, cylinder.nodeNormal, shares);
    else
      plainShares(work, *nnode, *npt, cylinder.weight, at.da, shares);
  } else {
    if (*lastclass != *iclass || !tableHeld(work, *rule, nodes, points)) {
      buildTable(*rule, work);
      noteTable(work, *rule, nodes, points);
    }
    Real weight[kMostPoints];
    for (int p = 0; p < points; ++p) weight[p] = ruleWeight(*rule, p);
    frames(work, nodes, points, coords, at);
    plainShares(work, nodes, points, weight, at.da, shares);
  }
  std::copy_n(at.da, *npt, da);
  *lastclass = *iclass;
}

void BTRIBUTARYTRI(const Real* x1, const Real* x2, const Real* x3, Real* a1, Real* a2, Real* a3) {
  *a1 = *a2 = *a3 = 0.0;
  Real e1[3], e2[3];
  for (int c = 0; c < 3; ++c) {
    e1[c] = x2[c] - x1[c];
    e2[c] = x3[c] - x1[c];
  }
  const Real l1 = std::sqrt(dot3(e1, e1)), l2 = std::sqrt(dot3(e2, e2));
  if (!(l1 > 0.0) || !(l2 > 0.0)) return;
  for (int c = 0; c < 3; ++c) {
    e1[c] /= l1;
    e2[c] /= l2;
  }
  const Real cosine = dot3(e1, e2);
  const Real angle1 = std::acos(std::clamp(cosine, -1.0, 1.0)) / kPi;
  for (int c = 0; c < 3; ++c) e2[c] -= cosine * e1[c];
  const Real lp = std::sqrt(dot3(e2, e2));
  if (!(lp > 0.0)) return;
  for (int c = 0; c < 3; ++c) e2[c] /= lp;
  // Plane coordinates of the corners and the shoelace area.
  const Real* corner[3] = {x1, x2, x3};
  Real u[3], v[3];
  for (int k = 0; k < 3; ++k) {
    u[k] = dot3(e1, corner[k]);
    v[k] = dot3(e2, corner[k]);
  }
  const Real areaOf = 0.5 * ((u[1] - u[0]) * (v[2] - v[0]) - (u[2] - u[0]) * (v[1] - v[0]));
  // The angle at corner 2, between the unit plane vectors to corners 1 and 3.
  Real to1[2] = {u[0] - u[1], v[0] - v[1]}, to3[2] = {u[2] - u[1], v[2] - v[1]};
  const Real n1 = std::hypot(to1[0], to1[1]), n3 = std::hypot(to3[0], to3[1]);
  if (!(n1 > 0.0) || !(n3 > 0.0)) return;
  const Real cosine2 = (to1[0] * to3[0] + to1[1] * to3[1]) / (n1 * n3);
  const Real angle2 = std::acos(std::clamp(cosine2, -1.0, 1.0)) / kPi;
  *a1 = areaOf * angle1;
  *a2 = areaOf * angle2;
  *a3 = areaOf * (1.0 - angle1 - angle2);
}

}  // extern "C"
