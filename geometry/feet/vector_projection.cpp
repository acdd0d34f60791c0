// Where the line through a point along a direction meets one facet: Newton steps on the facet
// coordinates and the line parameter t for X(xi, eta) + t V = P, from a fixed list of starts per
// facet shape, with a backtracking line search. A line that misses a three-dimensional facet gets
// the nearest side or corner instead. Also the pull of facet coordinates back inside a margin.

#include <algorithm>
#include <cmath>

#include "geometry/feet/feet_common.h"
#include "geometry/support/line_search.h"
#include "zmx/geometry/facets.h"
#include "zmx/geometry/feet.h"
#include "zmx/geometry/projection.h"
#include "zmx/numerics/dense.h"

namespace {

using namespace zmx::geometry;

constexpr Real kConverged = 1e-5;
constexpr int kMostPasses = 10;

Real dot3(const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

struct Param {
  Real xi, eta;
};

struct Facet {
  const Real* x;
  Int ld, n;
  bool plane;   // two-dimensional segment
  bool halves;  // 3-node segment as two straight halves, or 6-node triangle as sub-quadrilaterals
  Real tol;
  Real bound;   // 1 + 2 tol

  bool triangle() const { return !plane && (n == 3 || (n == 6 && !halves)); }
  bool subFacets() const { return !plane && n == 6 && halves; }
  int corners() const { return (n == 3 || n == 6) ? 3 : 4; }
  int dim() const { return plane ? 2 : 3; }
  const Real* node(Int j) const { return x + (j - 1) * static_cast<long long>(ld); }
};

// Point, unit normal and tangents at (xi, eta) of part k (half or sub-facet corner); mode 1 the
// point only. False when the facet reports a degenerate normal.
struct Evaluation {
  Real point[3], normal[3], tangents[6];
};

bool evaluate(const Facet& f, Int mode, Param p, Int k, Evaluation& e) {
  Int status = 0;
  const Logical halves = f.halves ? kTrue : kFalse;
  if (f.plane) {
    e.point[2] = e.normal[2] = 0.0;
    FACET_2D_LINETOFACE_PROP(&mode, &p.xi, &f.n, &halves, &k, f.x, &f.ld, e.point, e.normal, e.tangents, &status);
    e.tangents[2] = 0.0;
  } else {
    FACET_3D_LINETOFACE_PROP(&mode, &p.xi, &p.eta, &f.n, &halves, &k, f.x, &f.ld, e.point, e.normal, e.tangents,
                             &status);
  }
  return status == 0;
}

// Residual r = X + t V - P over the facet's coordinates.
Real residual(const Facet& f, const Evaluation& e, Real t, const Real* v, const Real* pt, Real* r) {
  Real sum = 0.0;
  for (int i = 0; i < f.dim(); ++i) {
    r[i] = e.point[i] + t * v[i] - pt[i];
    sum += r[i] * r[i];
  }
  return sum;
}

bool insideWidened(const Facet& f, Param p) {
  if (f.plane) return std::fabs(p.xi) <= f.bound;
  if (f.triangle()) return zmx::geometry::insideTriangle(p.xi, p.eta, f.tol);
  return std::fabs(p.xi) <= f.bound && std::fabs(p.eta) <= f.bound;
}

// Class (3 inside, 2 in the band, 1 near, 0 rejected) and overshoot of a converged point.
struct Classified {
  Int c;
  Real over;
  bool accepted() const { return c >= 2; }
};

Classified classifyTriangle(const Facet& f, Real a, Real b) {
  const Real z = 1.0 - a - b;
  if (zmx::geometry::insideTriangle(a, b, f.tol)) {
    Real over = 0.0;
    for (Real v : {a, b, z})
      if (v < -kFlat) over = std::max(over, -v);
    return {over > 0.0 ? 2 : 3, over};
  }
  const bool nearAll = a >= -1.0 && b >= -1.0 && z >= -1.0;
  if (a < -f.tol && nearAll) return {1, -a};
  if (b < -f.tol && nearAll) return {1, -b};
  if (z >= -1.0 && z < -f.tol && a >= -1.0 && b >= -1.0) return {1, -z};
  return {0, 0.0};
}

Classified classify(const Facet& f, Param p, Int part) {
  const Real b = f.bound;
  if (f.plane) {
    if (f.halves && f.n == 3) {
      if (part == 1) {
        if (p.xi > 1.001 || p.xi < -b) return {0, 0.0};
        return p.xi < -1.0 ? Classified{2, -(p.xi + 1.0) / 2.0} : Classified{3, 0.0};
      }
      if (p.xi < -1.001 || p.xi > b) return {0, 0.0};
      return p.xi > 1.0 ? Classified{2, (p.xi - 1.0) / 2.0} : Classified{3, 0.0};
    }
    if (std::fabs(p.xi) > b) return {0, 0.0};
    return std::fabs(p.xi) > 1.0 ? Classified{2, (std::fabs(p.xi) - 1.0) / 2.0} : Classified{3, 0.0};
  }
  if (f.subFacets()) {
    if (p.xi > 1.001 || p.eta > 1.001) return {0, 0.0};
    const zmx::geometry::AreaPoint a = zmx::geometry::subRegionToArea(part, p.xi, p.eta);
    return classifyTriangle(f, a.a, a.b);
  }
  if (f.triangle()) return classifyTriangle(f, p.xi, p.eta);
  const Real ax = std::fabs(p.xi), ae = std::fabs(p.eta);
  if (ax < b && ae < b) {
    if (ax <= 1.0 && ae <= 1.0) return {3, 0.0};
    return {2, std::max({0.0, (ax - 1.0) / 2.0, (ae - 1.0) / 2.0})};
  }
  if (ae <= 2.0 && p.xi >= -3.0 && p.xi < -b) return {1, -(p.xi + 1.0) / 2.0};
  if (ae <= 2.0 && p.xi >= b && p.xi < 3.0) return {1, (p.xi - 1.0) / 2.0};
  if (ax <= 2.0 && p.eta >= -3.0 && p.eta < -b) return {1, -(p.eta + 1.0) / 2.0};
  if (ax <= 2.0 && p.eta >= b && p.eta < 3.0) return {1, (p.eta - 1.0) / 2.0};
  return {0, 0.0};
}

// The starts of one part: the first, then the listed ones from the last to the first.
struct Starts {
  Param list[9];
  int count = 0;  // list[0] is the first start
};

Starts startsFor(const Facet& f) {
  constexpr Real q = 0.577, g = 0.774;
  Starts s;
  auto add = [&](Param p) { s.list[s.count++] = p; };
  if (f.plane) {
    add({0.0, 0.0});
    if (f.n == 3 && !f.halves) add({g, 0.0}), add({-g, 0.0});
  } else if (f.n == 3) {
    add({0.0, 0.0});
  } else if (f.n == 4 || f.subFacets()) {
    add({0.0, 0.0});
    add({-q, -q}), add({q, -q}), add({q, q}), add({-q, q});
  } else if (f.n == 6) {
    add({1.0 / 3.0, 1.0 / 3.0});
    for (Param p : {Param{0.05971, 0.47014}, Param{0.47014, 0.47014}, Param{0.47014, 0.05971},
                    Param{0.10128, 0.79743}, Param{0.79743, 0.10128}, Param{0.10128, 0.10128}})
      add(p);
  } else {
    add({0.0, 0.0});
    for (Param p : {Param{g, g}, Param{0, g}, Param{-g, g}, Param{g, 0}, Param{-g, 0}, Param{g, -g}, Param{0, -g},
                    Param{-g, -g}})
      add(p);
  }
  return s;
}

struct Hit {
  enum Kind { kMissed, kHit, kDegenerate } kind;
  Param p;
  Real t;
  Classified cls;
  Evaluation e;
};

// Newton passes on (xi, eta, t) from one start on part k.
Hit solve(const Facet& f, const Real* pt, const Real* v, Param start, Int k, Real length, Classified& last) {
  Hit h{Hit::kMissed, start, 0.0, {0, 0.0}, {}};
  const int dim = f.dim();
  Real t = 0.0, trialPoint[3] = {0.0, 0.0, 0.0};
  const Logical halves = f.halves ? kTrue : kFalse;
  if (f.plane)
    LINETOFACETRIALPT2D(&start.xi, v, pt, &f.n, &halves, &k, f.x, &f.ld, trialPoint, &t);
  else
    LINETOFACETRIALPT3D(&start.xi, &start.eta, v, pt, &f.n, &halves, &k, f.x, &f.ld, trialPoint, &t);
  Param p = start;
  for (int pass = 1;; ++pass) {
    Evaluation e;
    if (!evaluate(f, 0, p, k, e)) {
      if (insideWidened(f, p)) h.kind = Hit::kDegenerate;
      return h;
    }
    Real r[3] = {0.0, 0.0, 0.0};
    const Real size = std::sqrt(residual(f, e, t, v, pt, r));
    const Real* t1 = e.tangents;
    const Real* t2 = e.tangents + 3;
    // |[t1, t2, V]| in 3-D, |t x V| in 2-D: the system's determinant up to sign.
    Real scale;
    if (f.plane) {
      scale = std::fabs(t1[0] * v[1] - t1[1] * v[0]);
    } else {
      const Real c[3] = {t2[1] * v[2] - t2[2] * v[1], t2[2] * v[0] - t2[0] * v[2], t2[0] * v[1] - t2[1] * v[0]};
      scale = std::fabs(dot3(t1, c));
    }
    if (!std::isfinite(size)) return h;
    bool converged = size <= kConverged * length || size <= kConverged * scale;
    if (!converged) {
      if (scale <= kTiny) return h;
      Real step[3] = {0.0, 0.0, 0.0};
      if (f.plane) {
        // [t1 V] (dxi, dt) = -r by Cramer's rule.
        const Real det = t1[0] * v[1] - t1[1] * v[0];
        step[0] = (-r[0] * v[1] + r[1] * v[0]) / det;
        step[2] = (-t1[0] * r[1] + t1[1] * r[0]) / det;
      } else {
        Real m[9] = {t1[0], t1[1], t1[2], t2[0], t2[1], t2[2], v[0], v[1], v[2]}, inverse[9], det = 0.0;
        const Int order = 3;
        AINV3(m, inverse, &det, &order, &order);
        for (int i = 0; i < 3; ++i) step[i] = -(inverse[i] * r[0] + inverse[i + 3] * r[1] + inverse[i + 6] * r[2]);
      }
      converged = std::fabs(step[0]) <= kConverged && std::fabs(step[1]) <= kConverged &&
                  std::fabs(step[2]) <= kConverged;
      if (!converged) {
        const Real f0 = 0.5 * size * size;
        const Real slope = -size * size;  // r . (J s) with J s = -r
        Real u[3] = {p.xi, p.eta, t};
        auto value = [&](const Real(&trial)[3], Real& fv) {
          if (std::fabs(trial[0]) >= 60.0 || std::fabs(trial[1]) >= 60.0) return false;
          Evaluation te;
          if (!evaluate(f, 1, {trial[0], trial[1]}, k, te)) return false;
          Real rt[3];
          fv = 0.5 * residual(f, te, trial[2], v, pt, rt);
          return true;
        };
        if (!zmx::geometry::backtrack(u, step, f0, slope, value, {true})) return h;
        p = {u[0], f.plane ? 0.0 : u[1]};
        t = u[2];
        if (pass > kMostPasses) return h;
        continue;
      }
    }
    last = classify(f, p, k);
    if (!last.accepted()) return h;
    h.kind = Hit::kHit;
    h.p = p;
    h.cls = last;
    h.e = e;
    h.t = 0.0;
    for (int i = 0; i < dim; ++i) h.t += (pt[i] - e.point[i]) * v[i];
    return h;
  }
}

Int nearestNode(const Facet& f, const Real* y, Int count) {
  Int best = 1;
  Real bestD = 0.0;
  for (Int j = 1; j <= count; ++j) {
    Real d = 0.0;
    for (int i = 0; i < f.dim(); ++i) d += (y[i] - f.node(j)[i]) * (y[i] - f.node(j)[i]);
    if (j == 1 || d < bestD) best = j, bestD = d;
  }
  return best;
}

Real characteristicLength(const Facet& f) {
  auto span = [&](Int a, Int b) {
    Real d = 0.0;
    for (int i = 0; i < f.dim(); ++i) d += (f.node(a)[i] - f.node(b)[i]) * (f.node(a)[i] - f.node(b)[i]);
    return std::sqrt(d);
  };
  if (f.plane || f.n < 3) return f.n >= 2 ? span(1, 2) : 0.0;
  if (f.n == 3 || f.n == 6) return std::max({span(1, 2), span(2, 3), span(3, 1)});
  if (f.n == 4 || f.n == 8 || f.n == 9)
    return std::max({span(1, 2), span(2, 3), span(3, 4), span(4, 1), span(1, 3), span(2, 4)});
  return span(1, 2);
}

}  // namespace

extern "C" {

ZMX_EXPORT void CALVECDISTTOSURF1(const Real* x, const Int* ld, const Real* pt, const Real* v, Real* xi, Real* eta,
                                  const Int* n, const Real* tol, Logical* found, Int* hitClass, Real* t,
                                  Real* tangents, const char* name, Int nameLength, Real* normal, Real* point,
                                  Real* overshoot, Real* length, Int* corner, Int* location, Int* nearest,
                                  const Logical* halves, const Int* dimension, Int* degenerate) {
  const bool plane = *dimension != 3;
  const int dim = plane ? 2 : 3;
  *t = 0.0;
  *xi = *eta = 0.0;
  *found = kFalse;
  *hitClass = 0;
  *overshoot = kNone;
  *corner = *location = *nearest = *degenerate = 0;
  const Int nodes = *n;
  Facet f{x, *ld, nodes, plane, isTrueLowBit(*halves), *tol, 1.0 + 2.0 * *tol};
  auto clearOutputs = [&] {
    *xi = *eta = 0.0;
    *t = kNoDistance;
    *overshoot = kNone;
    *corner = 0;
    std::fill(tangents, tangents + 6, 0.0);
    std::fill(normal, normal + dim, 0.0);
  };
  const bool listed = nodes == 2 || nodes == 3 || nodes == 4 || nodes == 6 || nodes == 8 || nodes == 9;
  // A segment of more than two nodes is the 3-node one, whose three nodes it holds; a facet the
  // functions would read past, or one of no functions, is not searched.
  const bool searched = plane ? nodes >= 2 : (listed && nodes != 2);
  *length = nodes >= 2 ? characteristicLength(f) : 0.0;
  if (!listed || !searched)
    reportNodeCount("SYSTEM ERROR IN calVecDistToSurf - A SURFACE FACET OF MASTER %S CANNOT HAVE %I NODES", name,
                    nameLength, nodes);
  if (!searched) {
    clearOutputs();
    return;
  }
  if (plane) f.n = std::min<Int>(nodes, 3);
  if (!(plane && f.n == 3) && !f.subFacets()) f.halves = false;

  // Parts: the halves of a split segment or the corners of a split triangle, else one.
  const Int parts = f.halves ? (plane ? 2 : 3) : 1;
  const Starts starts = startsFor(f);
  Hit hit{Hit::kMissed, {0.0, 0.0}, 0.0, {0, 0.0}, {}};
  Int part = 1;
  Classified last{0, 0.0};
  for (part = 1; part <= parts && hit.kind == Hit::kMissed; ++part) {
    for (int i = 0; i < starts.count && hit.kind == Hit::kMissed; ++i) {
      // The first start, then the listed ones from the last to the first.
      const Param start = i == 0 ? starts.list[0] : starts.list[starts.count - i];
      hit = solve(f, pt, v, start, f.halves ? part : 1, *length, last);
    }
  }
  --part;
  *hitClass = last.c;
  if (hit.kind == Hit::kDegenerate) {
    *degenerate = 1;
    clearOutputs();
    return;
  }
  const bool accepted = hit.kind == Hit::kHit;
  if (accepted) {
    *found = kTrue;
    *xi = hit.p.xi, *eta = hit.p.eta;
    *t = hit.t;
    *overshoot = hit.cls.over;
    if (f.halves) *corner = part;
    std::copy_n(hit.e.tangents, 6, tangents);
    if (plane) tangents[3] = 0.0, tangents[4] = 0.0, tangents[5] = -1.0;
    std::copy_n(hit.e.normal, dim, normal);
    std::copy_n(hit.e.point, dim, point);
    *nearest = nearestNode(f, point, nodes);
    if (plane || hit.cls.over == 0.0) {
      *location = 3;
      return;
    }
  } else {
    clearOutputs();
    if (plane) {
      std::copy_n(pt, dim, point);
      *nearest = nearestNode(f, point, nodes);
      return;
    }
    std::copy_n(pt, 3, point);
  }

  // The nearest side of the corner polygon, or its nearest corner when that is strictly nearer.
  const int m = f.corners();
  Real best = kNone, foot[3] = {0.0, 0.0, 0.0};
  bool onSide = false;
  for (int k = 1; k <= m; ++k) {
    Real y[9] = {};
    std::copy_n(f.node(k), 3, y);
    std::copy_n(f.node(k % m + 1), 3, y + 3);
    Real s = 0.0, d = kNone, work = 0.0, a[2] = {0.0, 0.0}, sideFoot[3];
    const Logical yes = kTrue, no = kFalse;
    CALPERPDISTTOCURVE(y, point, &s, &d, &yes, tol, &no, &no, &yes, &work, sideFoot, &no, a);
    if (d < best) {
      best = d;
      std::copy_n(sideFoot, 3, foot);
      *location = (std::fabs(s) <= *tol || std::fabs(s - 1.0) <= *tol) ? 1 : 2;
      onSide = true;
    }
  }
  const Int node = nearestNode(f, point, m);
  Real nodeGap = 0.0;
  for (int i = 0; i < 3; ++i) nodeGap += (point[i] - f.node(node)[i]) * (point[i] - f.node(node)[i]);
  if (!onSide || std::sqrt(nodeGap) < best) {
    std::copy_n(f.node(node), 3, foot);
    *location = 1;
  }
  std::copy_n(foot, 3, point);
  *nearest = nearestNode(f, point, nodes);
  *t = (pt[0] - point[0]) * v[0] + (pt[1] - point[1]) * v[1] + (pt[2] - point[2]) * v[2];
  // Facet coordinates of the boundary point and the facet's tangents and normal there.
  Int status = 1, estimateCorner = 0;
  Real a = 0.0, b = 0.0;
  if (f.subFacets()) {
    for (Int k = 1; k <= 3 && status != 0; ++k) {
      const Int six = 6;
      ESTIMATETRIALPOINT(point, &six, x, ld, &k, &a, &b, &status);
      estimateCorner = k;
    }
  } else {
    const Int cornersN = m;
    ESTIMATETRIALPOINT(point, &cornersN, x, ld, &estimateCorner, &a, &b, &status);
  }
  *xi = a, *eta = b;
  if (f.subFacets()) *corner = estimateCorner;
  Evaluation e;
  evaluate(f, 0, {a, b}, f.subFacets() ? estimateCorner : 1, e);
  std::copy_n(e.tangents, 6, tangents);
  std::copy_n(e.normal, 3, normal);
}

ZMX_EXPORT void SHR_SPOTADJUSTCOORD(const Real* x, const Int* ld, Real* xi, Real* eta, const Int* n,
                                    const Real* margin, Real* normal, Real* point, const Int* corner,
                                    const Logical* halves, const void* /*unused*/, Int* status) {
  *status = 0;
  const Real d = *margin;
  const bool split = isTrueLowBit(*halves);
  const bool triangle = *n == 3 || (*n == 6 && !split);
  const bool quadrilateral = *n == 4 || *n == 8 || *n == 9 || (*n == 6 && split);
  if (!triangle && !quadrilateral) return;
  bool moved = false;
  auto pull = [&](Real& c) {
    const Real before = c;
    if (std::fabs(c - 1.0) < d) c = 1.0 - d;
    if (triangle && std::fabs(c) < d) c = d;
    if (quadrilateral && std::fabs(c + 1.0) < d) c = d - 1.0;
    moved = moved || c != before;
  };
  pull(*xi);
  pull(*eta);
  if (!moved) return;
  const Int mode = 0;
  Real tangents[6];
  FACET_3D_LINETOFACE_PROP(&mode, xi, eta, n, halves, corner, x, ld, point, normal, tangents, status);
}

}  // extern "C"
