// Facet coordinates of a point known to lie on a facet: a start from what the caller knows (the
// edge and how far along it, the vertex, or the nearest node), then damped Newton steps on
// |x(xi, eta) - P|^2 with the facet's derivatives.

#include <algorithm>
#include <cmath>

#include "geometry/feet/feet_common.h"
#include "geometry/support/geometry_report.h"
#include "geometry/support/line_search.h"
#include "zmx/geometry/facets.h"
#include "zmx/geometry/feet.h"

namespace {

using namespace zmx::geometry;

using zmx::geometry::report;

constexpr int kMostSteps = 11;
constexpr const char* kNotAtEdge = "SYSTEM ERROR IN fndParaCoordOnSurf - the point is not at the edge";
constexpr const char* kNotAtVertex = "SYSTEM ERROR IN fndParaCoordOnSurf - the point is not at the vertex";

struct Param {
  Real xi, eta;
};

constexpr Param kQuad[9] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {0, 0}};
constexpr Param kTriangle[6] = {{0, 0}, {1, 0}, {0, 1}, {0.5, 0}, {0.5, 0.5}, {0, 0.5}};

Real dot3(const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

struct Facet {
  const Real* x;
  Int n;
  bool subRegion;    // 6-node triangle worked as three sub-quadrilaterals
  bool cylindrical;  // 6- or 9-node cylindrical facet
  const Real* c;
  Real extent;       // c(1) when the cylinder has one, else 0

  bool triangle() const { return !cylindrical && (n == 3 || n == 6); }
  const Real* node(Int j) const { return x + 3 * (j - 1); }
  Real distance(Int a, Int b) const {
    const Real d[3] = {node(a)[0] - node(b)[0], node(a)[1] - node(b)[1], node(a)[2] - node(b)[2]};
    return std::sqrt(dot3(d, d));
  }
  // Facet coordinates of node j; false for a node count without a table.
  bool nodeParam(Int j, Param& p) const {
    if (cylindrical && extent != 0.0) {
      const Param corners[4] = {{-1, 0}, {1, 0}, {1, c[0]}, {-1, c[0]}};
      if (j <= 4) return p = corners[j - 1], true;
      if (n == 6) return p = (j == 5 ? Param{1, c[2]} : Param{-1, c[1]}), true;
      const Param mids[5] = {{0, 0}, {1, c[3]}, {0, c[0]}, {-1, c[1]}, {0, c[2]}};
      return p = mids[j - 5], true;
    }
    if (cylindrical && n == 6) {
      const Param six[6] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {1, 0}, {-1, 0}};
      return p = six[j - 1], true;
    }
    if (n == 3 || n == 6) return p = kTriangle[j - 1], true;
    if (n == 4 || n == 8 || n == 9) return p = kQuad[j - 1], true;
    return false;
  }
};

// The last of nodes 1..count marked with the value, 0 when none is.
Int lastMarked(const Int* marks, Int count, Int value) {
  Int found = 0;
  for (Int j = 1; j <= count; ++j)
    if (marks[j - 1] == value) found = j;
  return found;
}

struct Start {
  Param p;
  Real length;
};

// Start of the nearest node; false when the facet has no coordinate table.
bool nearestNodeStart(const Facet& f, const Real* pt, Start& s) {
  Int best = 1;
  Real bestD = 0.0;
  for (Int j = 1; j <= f.n; ++j) {
    const Real d[3] = {pt[0] - f.node(j)[0], pt[1] - f.node(j)[1], pt[2] - f.node(j)[2]};
    const Real dd = dot3(d, d);
    if (j == 1 || dd < bestD) best = j, bestD = dd;
  }
  s.length = f.distance(1, 2);
  return f.nodeParam(best, s.p);
}

// The point at s along the edge from corner a to corner b.
Param edgeStart(const Facet& f, Int a, Int b, Real s) {
  if (f.cylindrical && f.extent != 0.0) {
    const Real e = f.extent;
    if (a == 1 && b == 4) return {-1, s};
    if (a == 2 && b == 3) return {1, s};
    if (a == 3 && b == 2) return {1, e - s};
    if (a == 4 && b == 1) return {-1, e - s};
  }
  const bool triangle = f.triangle();
  const Param pa = triangle ? kTriangle[a - 1] : kQuad[a - 1];
  const Param pb = triangle ? kTriangle[b - 1] : kQuad[b - 1];
  if (f.cylindrical && f.extent != 0.0) {
    const Param ca = {pa.xi, pa.eta > 0 ? f.extent : 0.0}, cb = {pb.xi, pb.eta > 0 ? f.extent : 0.0};
    return {ca.xi + s * (cb.xi - ca.xi), ca.eta + s * (cb.eta - ca.eta)};
  }
  return {pa.xi + s * (pb.xi - pa.xi), pa.eta + s * (pb.eta - pa.eta)};
}

// The sub-region and start of a point on edge a-q of a 6-node triangle worked in sub-regions.
void subRegionEdgeStart(const Facet& f, const Real* pt, Int a, Int q, Real s, Int& k, Start& start) {
  // Which half of the edge a-q holds the point: (k, first half) for s > 0.5 and for s <= 0.5.
  struct Half {
    Int k;
    bool first;
  };
  const Half far[3][3] = {{{0, 0}, {2, false}, {3, true}}, {{1, true}, {0, 0}, {3, false}},
                          {{1, false}, {2, true}, {0, 0}}};
  const Half near[3][3] = {{{0, 0}, {1, true}, {1, false}}, {{2, false}, {0, 0}, {2, true}},
                           {{3, true}, {3, false}, {0, 0}}};
  const Half h = s > 0.5 ? far[a - 1][q - 1] : near[a - 1][q - 1];
  k = h.k;
  // Midside node of the half: sides 1-2, 2-3, 3-1 hold nodes 4, 5, 6.
  const Int mid[3][2] = {{4, 6}, {5, 4}, {6, 5}};
  const Int e = mid[k - 1][h.first ? 0 : 1];
  Real hv[3], w = 0.0;
  const Real* xk = f.node(k);
  const Real* xe = f.node(e);
  Real num = 0.0;
  for (int i = 0; i < 3; ++i) {
    hv[i] = 0.5 * (xe[i] - xk[i]);
    num += (pt[i] - 0.5 * (xk[i] + xe[i])) * hv[i];
  }
  const Real hh = dot3(hv, hv);
  if (hh > 0.0) w = num / hh;
  start.p = h.first ? Param{w, -1.0} : Param{-1.0, w};
  start.length = f.distance(k, e);
}

// Residual and Jacobian of the squared-distance minimum at (xi, eta).
struct Iterate {
  Real r[2], h[2][2], gap, lengthXi, lengthEta;
};

void evaluate(const Facet& f, const Real* pt, Real xi, Real eta, Int k, Iterate& it) {
  Real d[18];
  const Logical cyl = f.cylindrical ? kTrue : kFalse;
  FACET_DERIV(f.x, &f.n, &xi, &eta, d, &k, &cyl, f.c);
  const Real dist[3] = {pt[0] - d[0], pt[1] - d[1], pt[2] - d[2]};
  const Real *xx = d + 3, *xe = d + 6;
  it.r[0] = dot3(xx, dist);
  it.r[1] = dot3(xe, dist);
  it.h[0][0] = dot3(d + 9, dist) - dot3(xx, xx);
  it.h[0][1] = it.h[1][0] = dot3(d + 12, dist) - dot3(xx, xe);
  it.h[1][1] = dot3(d + 15, dist) - dot3(xe, xe);
  it.gap = std::sqrt(dot3(dist, dist));
  it.lengthXi = std::sqrt(dot3(xx, xx));
  it.lengthEta = std::sqrt(dot3(xe, xe));
}

// Newton steps from p; true when they converge.
bool converge(const Facet& f, const Real* pt, Int k, Real length, Param& p) {
  constexpr Real kResidual = 1e-6, kTight = 1e-10;
  for (int step = 1;; ++step) {
    Iterate it;
    evaluate(f, pt, p.xi, p.eta, k, it);
    if (!std::isfinite(it.gap)) return false;
    if (it.gap <= kTight * length ||
        (std::fabs(it.r[0]) <= kResidual * it.gap * it.lengthXi &&
         std::fabs(it.r[1]) <= kResidual * it.gap * it.lengthEta))
      return true;
    if (step > kMostSteps) return false;
    Real s[2];
    if (zmx::geometry::nearestPointStep(it.r, it.h, s) && std::fabs(s[0]) <= kTight && std::fabs(s[1]) <= kTight)
      return true;
    const Real f0 = 0.5 * (it.r[0] * it.r[0] + it.r[1] * it.r[1]);
    const Real slope = zmx::geometry::slopeAlong(it.r, it.h, s);
    Real x[2] = {p.xi, p.eta};
    auto value = [&](const Real(&trial)[2], Real& fv) {
      Iterate t;
      evaluate(f, pt, trial[0], trial[1], k, t);
      fv = 0.5 * (t.r[0] * t.r[0] + t.r[1] * t.r[1]);
      return true;
    };
    if (!zmx::geometry::backtrack(x, s, f0, slope, value)) return false;
    p = {x[0], x[1]};
  }
}

bool accepted(const Facet& f, Param p, Int k, Real tol) {
  const Real wide = 2.0 * tol + 1.0;
  if (f.subRegion) {
    if (p.xi > 1.001 || p.eta > 1.001) return false;
    const zmx::geometry::AreaPoint a = zmx::geometry::subRegionToArea(k, p.xi, p.eta);
    return zmx::geometry::insideTriangle(a.a, a.b, tol);
  }
  if (f.cylindrical && f.extent != 0.0)
    return p.eta <= (tol + 1.0) * f.extent && std::fabs(p.xi) <= wide && p.eta >= -tol * f.extent;
  // A plain triangle takes the box of its two coordinates; their sum is not tested.
  if (f.triangle()) return p.xi >= -tol && p.xi <= 1.0 + tol && p.eta >= -tol && p.eta <= 1.0 + tol;
  return std::fabs(p.xi) <= wide && std::fabs(p.eta) <= wide;
}

}  // namespace

extern "C" {

ZMX_EXPORT void FNDPARACOORDONSURF(const Real* x, const Int* n, const Real* pt, Real* xi, Real* eta, const Int* where,
                                   const Int* marks, const Real* s, Int* k, const Logical* subRegion,
                                   const Logical* cylindrical, const Real* c, const Real* tol, Int* result) {
  *xi = *eta = 0.0;
  *result = 1;
  *k = 0;
  const Int nn = *n;
  // Every start measures its length between two nodes: a facet of fewer is never found.
  if (nn < 2) return;
  Facet f{x, nn, isTrueLowBit(*subRegion) && nn == 6, isTrueLowBit(*cylindrical) && (nn == 6 || nn == 9), c, 0.0};
  if (f.cylindrical && std::fabs(c[0]) > kFlat) f.extent = c[0];
  const Int read = std::min<Int>(nn, 4);
  Start start{{0.0, 0.0}, 0.0};
  bool haveStart = false;
  if (*where == 2) {
    const Int a = lastMarked(marks, read, 1), p = lastMarked(marks, read, 2), q = lastMarked(marks, read, 3);
    Int b;
    if (f.subRegion)
      b = q;
    else if (f.cylindrical)
      b = nn == 6 ? (p != 0 ? p : q) : (q != 0 ? q : p);
    else if (nn == 3 || nn == 4)
      b = (p >= 1 && p <= nn) ? p : q;
    else
      b = q;
    const Int corners = f.triangle() || f.subRegion ? 3 : 4;
    if (a == 0) {
      report(zmx::geometry::kError, kNotAtEdge);
    } else if (b < 1 || b > corners || a > corners) {
      report(f.cylindrical ? zmx::geometry::kSystemError : zmx::geometry::kError, kNotAtEdge);
    } else if (f.subRegion) {
      subRegionEdgeStart(f, pt, a, b, *s, *k, start);
      haveStart = true;
    } else {
      start.p = edgeStart(f, a, b, *s);
      start.length = f.distance(a, b);
      haveStart = true;
    }
  } else if (*where == 1 && f.subRegion) {
    const Int v = lastMarked(marks, 6, 1);
    if (v == 0) {
      report(zmx::geometry::kError, kNotAtVertex);
      *k = 1;
      return;
    }
    start.p = v <= 3 ? Param{-1.0, -1.0} : Param{1.0, -1.0};
    *k = v <= 3 ? v : v - 3;
    start.length = f.distance(1, 2);
    haveStart = true;
  }
  if (!haveStart) {
    if (f.subRegion) {
      start = {{0.0, 0.0}, f.distance(1, 2)};
      *k = 1;
    } else if (!nearestNodeStart(f, pt, start)) {
      return;
    }
  }
  // Anywhere on a sub-region facet: the next sub-region is tried when one fails.
  const bool restart = f.subRegion && *where == 3;
  for (;;) {
    Param p = start.p;
    if (converge(f, pt, *k, start.length, p) && accepted(f, p, *k, *tol)) {
      *xi = p.xi, *eta = p.eta;
      *result = 0;
      return;
    }
    if (!restart || *k >= 3) return;
    ++*k;
    start.p = {0.0, 0.0};
  }
}

}  // extern "C"
