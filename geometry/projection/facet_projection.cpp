// Perpendicular projection of a point onto one facet: start points, Newton's method with a
// backtracking line search over the facet's properties, and the acceptance of the foot within the
// facet's widened range. The classifying twin then replaces a foot outside a 3- or 4-node facet
// (or a collapsed 6-node triangle) by the nearest point of its boundary.

#include <algorithm>
#include <cmath>

#include "geometry/facets/facet_properties.h"
#include "geometry/projection/trial_points.h"
#include "siblings/eqc/eqc_messages.h"
#include "zmx/geometry/projection.h"

namespace {

using zmx::geometry::dot3;

constexpr Real kNone = 1e36;
constexpr Real kNoDistance = -1e36;
constexpr Real kFlat = 2.22e-16;
constexpr Real kTiny = 1e-36;
constexpr Real kFar = 60.0;
constexpr Real kTight = 1e-10;
constexpr Real kInsideEdge = 1.0000000000000004;
constexpr Real kQuad = 0.577;
constexpr Real kGauss = 0.774;
constexpr int kMostIterations = 10;
constexpr int kMostBacktracks = 50;

struct Facet {
  const Real* x;
  Int ld;
  const Real* p;
  Int n;
  int dim;
  bool collapsed;
  bool cylindrical;  // effective: 6- and 9-node facets only, not 9 nodes with no angle
  const Real* cylinder;
  Real theta;
  Real tolerance;
  Real scaleSquared;  // square of the characteristic length
};

// Every path sets all of it: notFound() or an accepted foot.
struct Result {
  Real xi, eta;
  bool found;
  Real distance;
  Real tangents[6];
  Real normal[3];
  Real foot[3];
  Real outside;
  Int corner;
  Int degenerate;
};

Result notFound() {
  Result r;
  r.xi = r.eta = 0.0;
  r.found = false;
  r.distance = kNoDistance;
  for (Real& c : r.tangents) c = 0.0;
  for (int i = 0; i < 3; ++i) r.normal[i] = r.foot[i] = 0.0;
  r.outside = kNone;
  r.corner = 0;
  r.degenerate = 0;
  return r;
}

// The facet's point, normal, tangents and (withSecond) second derivatives; false without normal.
struct Evaluation {
  Real s[3], n[3], t[6], d2[12];
};

bool evaluate(const Facet& f, Int corner, Real xi, Real eta, bool withSecond, Evaluation& e) {
  Int status = 0;
  if (f.dim == 3 && f.n == 4) {
    zmx::geometry::bilinearProperties(withSecond, false, xi, eta, f.x, f.ld, e.s, e.n, e.t, e.d2, &status);
  } else if (f.dim == 3) {
    zmx::geometry::facetProperties(withSecond, false, xi, eta, f.n, f.collapsed, corner, f.cylindrical, f.cylinder, f.x,
                                   f.ld, e.s, e.n, e.t, e.d2, &status);
  } else {
    zmx::geometry::lineProperties(withSecond, false, xi, f.n, f.collapsed, corner, f.x, f.ld, e.s, e.n, e.t, e.d2,
                                  &status);
  }
  return status == 0;
}

// ---- Acceptance ------------------------------------------------------------------------------------

// Area coordinates: none below -tol; the outside amount is the largest excess below 0.
bool areaRule(const Facet& f, Real l1, Real l2, Real l3, Real& outside) {
  if (l1 < -f.tolerance || l2 < -f.tolerance || l3 < -f.tolerance) return false;
  outside = 0.0;
  for (Real l : {l1, l2, l3})
    if (l < -kFlat) outside = std::max(outside, -l);
  return true;
}

bool quadrilateralRule(const Facet& f, Real xi, Real eta, Real& outside) {
  const Real e = 2.0 * f.tolerance + 1.0;
  if (std::fabs(xi) > e || std::fabs(eta) > e) return false;
  outside = 0.0;
  for (Real c : {xi, eta})
    if (std::fabs(c) > kInsideEdge) outside = std::max(outside, (std::fabs(c) - 1.0) / 2.0);
  return true;
}

bool cylinderFails(const Facet& f, Real xi, Real eta) {
  const Real e = 2.0 * f.tolerance + 1.0;
  return !(std::fabs(xi) <= e && eta >= -f.tolerance * f.theta && eta <= (f.tolerance + 1.0) * f.theta);
}

bool cylinderRule(const Facet& f, Real xi, Real eta, Real& outside) {
  if (cylinderFails(f, xi, eta)) return false;
  const Real theta = f.theta;
  outside = 0.0;
  if (std::fabs(xi) > kInsideEdge) outside = std::max(outside, (std::fabs(xi) - 1.0) / 2.0);
  if (eta > (1.0 + kFlat) * theta) outside = std::max(outside, (eta - theta) / theta);
  if (eta < -kFlat * theta) outside = std::max(outside, -eta / theta);
  return true;
}

// Area coordinates (L2, L3) of a point of sub-quadrilateral `corner` of a 6-node triangle.
void collapsedArea(Int corner, Real xi, Real eta, Real& l2, Real& l3) {
  const Real a = (5.0 + 5.0 * xi - eta - xi * eta) / 24.0, b = (5.0 + 5.0 * eta - xi - xi * eta) / 24.0;
  const Real c = (7.0 - 2.0 * xi - 2.0 * eta + xi * eta) / 12.0;
  if (corner == 1)
    l2 = a, l3 = b;
  else if (corner == 2)
    l2 = c, l3 = a;
  else
    l2 = b, l3 = c;
}

// Whether a converged foot lies within the facet's widened range, and how far outside it is.
bool accept(const Facet& f, Int corner, Real xi, Real eta, Real& outside) {
  const Real e = 2.0 * f.tolerance + 1.0;
  if (f.dim == 3) {
    if (f.n == 3) return areaRule(f, 1.0 - xi - eta, xi, eta, outside);
    if (f.cylindrical)
      return std::fabs(f.theta) <= kFlat ? quadrilateralRule(f, xi, eta, outside) : cylinderRule(f, xi, eta, outside);
    if (f.n == 4 || f.n == 8 || f.n == 9) return quadrilateralRule(f, xi, eta, outside);
    if (f.n == 6 && !f.collapsed) return areaRule(f, 1.0 - xi - eta, xi, eta, outside);
    if (f.n == 6) {
      if (xi > 1.001 || eta > 1.001) return false;
      Real l2, l3;
      collapsedArea(corner, xi, eta, l2, l3);
      return areaRule(f, 1.0 - l2 - l3, l2, l3, outside);
    }
    return true;
  }
  if (!f.collapsed || f.n != 3) {
    if (std::fabs(xi) > e) return false;
    outside = std::fabs(xi) > kInsideEdge ? (std::fabs(xi) - 1.0) / 2.0 : 0.0;
    return true;
  }
  if (corner == 1) {
    if (xi > 1.001 || xi < -e) return false;
    outside = xi < -kInsideEdge ? -(xi + 1.0) / 2.0 : 0.0;
  } else {
    if (xi < -1.001 || xi > e) return false;
    outside = xi > kInsideEdge ? (xi - 1.0) / 2.0 : 0.0;
  }
  return true;
}

// Within the range where a missing normal makes the facet degenerate rather than the start bad.
bool withinRange(const Facet& f, Real xi, Real eta) {
  const Real e = 2.0 * f.tolerance + 1.0;
  if (f.dim == 2) return std::fabs(xi) <= e;
  if (f.cylindrical && std::fabs(f.theta) > kFlat) return !cylinderFails(f, xi, eta);
  if (f.n == 3 || (f.n == 6 && !f.collapsed))
    return xi >= -f.tolerance && eta >= -f.tolerance && 1.0 - xi - eta >= -f.tolerance;
  return std::fabs(xi) <= e && std::fabs(eta) <= e;
}

// ---- Newton's method from one start ---------------------------------------------------------------------

enum class Outcome { kAccepted, kFailed, kDegenerate };

struct Residual {
  Real f[2] = {0, 0};
  Real j[2][2] = {{0, 0}, {0, 0}};
};

Residual residual(const Facet& f, const Evaluation& e, bool withJacobian) {
  Residual r;
  Real d[3] = {0, 0, 0};
  for (int i = 0; i < f.dim; ++i) d[i] = e.s[i] - f.p[i];
  if (f.dim == 2) {
    r.f[0] = d[0] * e.t[0] + d[1] * e.t[1];
    if (withJacobian) r.j[0][0] = e.t[0] * e.t[0] + e.t[1] * e.t[1] + d[0] * e.d2[0] + d[1] * e.d2[1];
    return r;
  }
  r.f[0] = dot3(d, e.t);
  r.f[1] = dot3(d, e.t + 3);
  if (!withJacobian) return r;
  // X''(:, i, j) of the column-major 3 x 2 x 2 array.
  const Real* second[2][2] = {{e.d2, e.d2 + 6}, {e.d2 + 3, e.d2 + 9}};
  for (int i = 0; i < 2; ++i)
    for (int k = 0; k < 2; ++k) r.j[i][k] = dot3(e.t + 3 * i, e.t + 3 * k) + dot3(d, second[i][k]);
  return r;
}

// The convergence tests |S - P| <= 1e-10 L and |F| <= 1e-10 |det|, compared in squares.
bool onTheFacet(const Facet& f, const Evaluation& e) {
  Real sum = 0.0;
  for (int i = 0; i < f.dim; ++i) sum += (e.s[i] - f.p[i]) * (e.s[i] - f.p[i]);
  return sum <= kTight * kTight * f.scaleSquared;
}

bool smallResidual(Real squared, Real j) { return squared <= kTight * kTight * (j * j); }

// Backtracking along the Newton step on 1/2 |F|^2; false when the start fails.
bool lineSearch(const Facet& f, Int corner, const Residual& r, const Real (&step)[2], Real& xi, Real& eta) {
  const Real f0 = 0.5 * (r.f[0] * r.f[0] + r.f[1] * r.f[1]);
  const Real slope = (r.j[0][0] * step[0] + r.j[0][1] * step[1]) * r.f[0] +
                     (r.j[1][0] * step[0] + r.j[1][1] * step[1]) * r.f[1];
  const Real test = std::max(std::fabs(step[0]) / std::max(std::fabs(xi), 1.0),
                             std::fabs(step[1]) / std::max(std::fabs(eta), 1.0));
  const Real smallest = 1e-7 / test;
  Real lambda = 1.0, previousLambda = 0.0, previousF = 0.0;
  for (int backtrack = 0; backtrack <= kMostBacktracks; ++backtrack) {
    const Real xt = xi + lambda * step[0], et = eta + lambda * step[1];
    if (!(std::fabs(xt) < kFar && std::fabs(et) < kFar)) return false;
    Evaluation e;
    if (!evaluate(f, corner, xt, et, false, e)) return false;
    const Residual rt = residual(f, e, false);
    const Real ft = 0.5 * (rt.f[0] * rt.f[0] + rt.f[1] * rt.f[1]);
    if (!std::isfinite(ft)) return false;
    if (lambda < smallest || ft <= f0 + 1e-4 * lambda * slope) {
      xi = xt, eta = et;
      return true;
    }
    Real next;
    if (backtrack == 0) {
      next = -slope / (2.0 * (ft - f0 - slope));
    } else {
      const Real r1 = ft - f0 - lambda * slope, r2 = previousF - f0 - previousLambda * slope;
      const Real a = (r1 / (lambda * lambda) - r2 / (previousLambda * previousLambda)) / (lambda - previousLambda);
      Real b = (-previousLambda * r1 / (lambda * lambda) + lambda * r2 / (previousLambda * previousLambda)) /
               (lambda - previousLambda);
      if (std::fabs(a) < kTiny) {
        if (std::fabs(b) < kTiny) b = 1.0;
        next = -slope / (2.0 * b);
      } else {
        const Real disc = std::max(b * b - 3.0 * a * slope, 0.0);
        next = (-b + std::sqrt(disc)) / (3.0 * a);
      }
      next = std::min(next, 0.5 * lambda);
    }
    previousLambda = lambda;
    previousF = ft;
    lambda = std::max(next, 0.1 * lambda);
    if (!std::isfinite(lambda)) return false;
  }
  return false;
}

void acceptedResult(const Facet& f, const Evaluation& e, Int corner, Real xi, Real eta, Real outside, Result& out) {
  out.found = true;
  out.degenerate = 0;
  out.xi = xi;
  out.eta = f.dim == 3 ? eta : 0.0;
  out.outside = outside;
  out.corner = corner;
  Real distance = 0.0;
  for (int i = 0; i < f.dim; ++i) distance += (e.s[i] - f.p[i]) * e.n[i];
  out.distance = distance;
  for (int i = 0; i < 3; ++i) out.foot[i] = i < f.dim ? e.s[i] : 0.0, out.normal[i] = i < f.dim ? e.n[i] : 0.0;
  if (f.dim == 3) {
    for (int i = 0; i < 6; ++i) out.tangents[i] = e.t[i];
  } else {
    const Real line[6] = {e.t[0], e.t[1], 0.0, 0.0, 0.0, -1.0};
    for (int i = 0; i < 6; ++i) out.tangents[i] = line[i];
  }
}

Outcome fromStart(const Facet& f, Int corner, Real& xi, Real& eta, Result& out) {
  for (int iteration = 1; iteration <= kMostIterations; ++iteration) {
    Evaluation e;
    if (!evaluate(f, corner, xi, eta, true, e)) return withinRange(f, xi, eta) ? Outcome::kDegenerate : Outcome::kFailed;
    const Residual r = residual(f, e, true);
    bool converged;
    Real step[2] = {0.0, 0.0};
    if (f.dim == 3) {
      const Real det = r.j[0][0] * r.j[1][1] - r.j[0][1] * r.j[1][0];
      const Real squared = r.f[0] * r.f[0] + r.f[1] * r.f[1];
      if (!std::isfinite(squared) || !std::isfinite(det)) return Outcome::kFailed;
      converged = onTheFacet(f, e) || smallResidual(squared, det);
      if (!converged) {
        if (std::fabs(det) <= kTiny) return Outcome::kFailed;
        step[0] = -(r.j[1][1] * r.f[0] - r.j[0][1] * r.f[1]) / det;
        step[1] = -(-r.j[1][0] * r.f[0] + r.j[0][0] * r.f[1]) / det;
        converged = std::fabs(step[0]) <= kTight && std::fabs(step[1]) <= kTight;
      }
    } else {
      const Real j = r.j[0][0];
      if (!std::isfinite(r.f[0]) || !std::isfinite(j)) return Outcome::kFailed;
      converged = onTheFacet(f, e) || smallResidual(r.f[0] * r.f[0], j);
      if (!converged) {
        if (std::fabs(j) <= kTiny) return Outcome::kFailed;
        step[0] = -r.f[0] / j;
        converged = std::fabs(step[0]) <= kTight;
      }
    }
    if (converged) {
      Real outside = kNone;
      if (!accept(f, corner, xi, eta, outside)) return Outcome::kFailed;
      acceptedResult(f, e, corner, xi, eta, outside, out);
      return Outcome::kAccepted;
    }
    if (f.dim == 2) {
      xi += step[0];
      if (!(std::fabs(xi) < kFar)) return Outcome::kFailed;
      continue;
    }
    if (!lineSearch(f, corner, r, step, xi, eta)) return Outcome::kFailed;
    if (!(std::fabs(xi) < kFar && std::fabs(eta) < kFar)) return Outcome::kFailed;
  }
  return Outcome::kFailed;
}

// ---- Start points --------------------------------------------------------------------------------------

// The start and the further trial points (tried from the last to the first).
struct Starts {
  Real xi[9], eta[9];
  int count = 0;
  void add(Real x, Real e) { xi[count] = x, eta[count] = e, ++count; }
};

void quadrilateralStarts(Starts& s) {
  s.add(-kQuad, -kQuad);
  s.add(kQuad, -kQuad);
  s.add(kQuad, kQuad);
  s.add(-kQuad, kQuad);
}

// The estimate of a quadrilateral (or sub-quadrilateral), or the four Gauss-like starts when there
// is none; false when the point lies outside the facet's neighbourhood.
bool estimatedStarts(const Facet& f, Int corner, Starts& s) {
  Real xi, eta;
  Int status;
  zmx::geometry::estimateTrialPoint(f.p, f.n, f.x, f.ld, corner, &xi, &eta, &status);
  if (status == 1)
    quadrilateralStarts(s);
  else if (status == 0)
    s.add(xi, eta);
  return status == 0 || status == 1;
}

// The starts of the facet; none when the first estimate rules the facet out.
void firstStarts(const Facet& f, Int& corner, Starts& s) {
  const Real theta = f.theta;
  if (f.n == 2) {
    s.add(0.0, 0.0);
  } else if (f.n == 3 && f.dim == 2) {
    s.add(0.0, 0.0);
    if (f.collapsed) {
      corner = 1;
    } else {
      s.add(kGauss, 0.0);
      s.add(-kGauss, 0.0);
    }
  } else if (f.n == 3) {
    Real xi, eta;
    Int status;
    zmx::geometry::estimateTrialPoint(f.p, 3, f.x, f.ld, 0, &xi, &eta, &status);
    if (status == 1)
      s.add(0.0, 0.0);
    else if (!(xi < -f.tolerance || eta < -f.tolerance || 1.0 - xi - eta < -f.tolerance))
      s.add(xi, eta);
  } else if (f.n == 4) {
    estimatedStarts(f, 0, s);
  } else if (f.cylindrical) {
    if (f.n == 6 && std::fabs(theta) <= kFlat) {
      s.add(0.0, 0.0), s.add(0.0, -kQuad), s.add(0.0, kQuad);
    } else if (f.n == 6) {
      s.add(0.0, theta / 2.0), s.add(0.0, theta / 6.0), s.add(0.0, 5.0 * theta / 6.0);
    } else {
      for (Real x : {-kQuad, kQuad})
        for (Real e : {theta / 6.0, theta / 2.0, 5.0 * theta / 6.0}) s.add(x, e);
    }
  } else if (f.n == 6 && f.collapsed) {
    corner = 1;
    estimatedStarts(f, corner, s);
  } else if (f.n == 6) {
    s.add(1.0 / 3.0, 1.0 / 3.0);
    const Real rule[6][2] = {{0.05971, 0.47014}, {0.47014, 0.47014}, {0.47014, 0.05971},
                             {0.10128, 0.79743}, {0.79743, 0.10128}, {0.10128, 0.10128}};
    for (const auto& point : rule) s.add(point[0], point[1]);
  } else {
    s.add(0.0, 0.0);
    const Real rule[8][2] = {{kGauss, kGauss}, {0.0, kGauss},  {-kGauss, kGauss}, {kGauss, 0.0},
                             {-kGauss, 0.0},   {kGauss, -kGauss}, {0.0, -kGauss},  {-kGauss, -kGauss}};
    for (const auto& point : rule) s.add(point[0], point[1]);
  }
}

bool supported(const Facet& f) {
  if (f.dim == 2) return f.n == 2 || f.n == 3;
  return f.n == 3 || f.n == 4 || f.n == 6 || f.n == 8 || f.n == 9;
}

// The commonest case, a flat 3-node facet of a three-dimensional surface, taken through the same
// steps in one place: the estimate (the exact foot's area coordinates), then the first Newton
// iteration, which on a flat triangle converges at once (its second derivatives are zero). Whatever
// the steps would do next is left to the general path (false).
bool flatTriangle(const Facet& f, Result& out) {
  // Scalars throughout: the compiler keeps them in registers.
  const Real* x1 = f.x;
  const Real* x2 = f.x + f.ld;
  const Real* x3 = f.x + 2 * static_cast<long long>(f.ld);
  const Real* p = f.p;
  const Real dx = x1[0] - p[0], dy = x1[1] - p[1], dz = x1[2] - p[2];
  const Real ax = x2[0] - x1[0], ay = x2[1] - x1[1], az = x2[2] - x1[2];
  const Real bx = x3[0] - x1[0], by = x3[1] - x1[1], bz = x3[2] - x1[2];
  const Real a11 = ax * ax + ay * ay + az * az, a12 = ax * bx + ay * by + az * bz, a22 = bx * bx + by * by + bz * bz;
  const Real r1 = -(dx * ax + dy * ay + dz * az), r2 = -(dx * bx + dy * by + dz * bz);
  const Real det = a11 * a22 - a12 * a12;
  if (!(std::fabs(det) >= kTiny)) return false;
  const Real xi = (r1 * a22 - a12 * r2) / det, eta = (a11 * r2 - a12 * r1) / det;
  const Real f1 = 1.0 - xi - eta;
  if (xi < -f.tolerance || eta < -f.tolerance || f1 < -f.tolerance) {
    out = notFound();
    return true;
  }
  // The point, the unit normal and the offset from the point there.
  const Real sx = f1 * x1[0] + xi * x2[0] + eta * x3[0];
  const Real sy = f1 * x1[1] + xi * x2[1] + eta * x3[1];
  const Real sz = f1 * x1[2] + xi * x2[2] + eta * x3[2];
  const Real ox = sx - p[0], oy = sy - p[1], oz = sz - p[2];
  Real nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
  const Real length = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (!(length > 0.0) || !std::isfinite(length)) return false;
  const Real inverse = 1.0 / length;
  nx *= inverse, ny *= inverse, nz *= inverse;
  // The residual of the first iteration; the Jacobian is the tangents' Gram matrix.
  const Real g1 = ox * ax + oy * ay + oz * az, g2 = ox * bx + oy * by + oz * bz;
  const Real squared = g1 * g1 + g2 * g2;
  if (!std::isfinite(squared)) return false;
  const Real offset = ox * ox + oy * oy + oz * oz;
  if (!(offset <= kTight * kTight * f.scaleSquared || squared <= kTight * kTight * (det * det))) return false;
  Real outside = 0.0;
  if (!areaRule(f, f1, xi, eta, outside)) {
    out = notFound();
    return true;
  }
  out.found = true;
  out.degenerate = 0;
  out.xi = xi, out.eta = eta;
  out.outside = outside;
  out.corner = 0;
  out.distance = ox * nx + oy * ny + oz * nz;
  out.foot[0] = sx, out.foot[1] = sy, out.foot[2] = sz;
  out.normal[0] = nx, out.normal[1] = ny, out.normal[2] = nz;
  out.tangents[0] = ax, out.tangents[1] = ay, out.tangents[2] = az;
  out.tangents[3] = bx, out.tangents[4] = by, out.tangents[5] = bz;
  return true;
}

// Steps through the starts until one is accepted, or the facet turns out degenerate.
void project(const Facet& f, Result& out) {
  if (f.dim == 3 && f.n == 3 && !f.collapsed && flatTriangle(f, out)) return;
  Int corner = 0;
  Starts starts;
  firstStarts(f, corner, starts);
  Real eta = 0.0;
  for (;;) {
    for (int k = 0; k < starts.count; ++k) {
      const int which = k == 0 ? 0 : starts.count - k;  // the start first, then the rest backwards
      Real xi = starts.xi[which];
      eta = f.dim == 3 ? starts.eta[which] : 0.0;
      const Outcome outcome = fromStart(f, corner, xi, eta, out);
      if (outcome == Outcome::kAccepted) return;
      if (outcome == Outcome::kDegenerate) {
        out = notFound();
        out.degenerate = 1;
        return;
      }
    }
    starts.count = 0;
    if (f.dim == 3 && f.n == 6 && f.collapsed && corner <= 2) {
      ++corner;
      estimatedStarts(f, corner, starts);
    } else if (f.n == 3 && f.collapsed && corner <= 1) {
      ++corner;
      starts.add(0.0, eta);
    } else {
      out = notFound();
      return;
    }
  }
}

Facet facetOf(const Real* x, const Int* ld, const Real* p, const Int* n, const Real* tolerance,
              const Logical* collapsed, const Int* dimension, const Logical* cylindrical, const Real* cylinder) {
  Facet f;
  f.x = x, f.ld = *ld, f.p = p, f.n = *n;
  f.dim = *dimension == 3 ? 3 : 2;
  f.collapsed = isTrueLowBit(*collapsed);
  f.tolerance = *tolerance;
  const bool flagged = isTrueLowBit(*cylindrical);
  f.theta = flagged ? cylinder[0] : 0.0;
  f.cylindrical = f.dim == 3 && flagged && (f.n == 6 || (f.n == 9 && std::fabs(f.theta) > kFlat));
  f.cylinder = cylinder;
  f.scaleSquared = 0.0;
  if (f.n >= 2)
    for (int i = 0; i < f.dim; ++i) f.scaleSquared += (x[*ld + i] - x[i]) * (x[*ld + i] - x[i]);
  return f;
}

void reportCount(const Facet& f, const char* surface, Int surfaceLength) {
  static constexpr char kText[] = "SYSTEM ERROR IN fndPerpDistToSurf - A SURFACE FACET OF MASTER %S CANNOT HAVE %I NODES";
  const Int level = -3, count = f.n;
  const Real none = 0.0;
  // Surface names are 8 characters: a longer argument is cut to them, a shorter one gives what it holds.
  const Int shown = std::clamp<Int>(surfaceLength, 0, 8);
  KVXERR(&level, kText, static_cast<Int>(sizeof kText - 1), &count, &none, surface, shown);
}

void store(const Facet& f, const Result& r, Real* xi, Real* eta, Logical* found, Real* distance, Real* tangents,
           Real* normal, Real* foot, Real* outside, Int* corner, Int* degenerate) {
  *xi = r.xi, *eta = r.eta;
  *found = toLogical(r.found);
  *distance = r.distance;
  for (int i = 0; i < 6; ++i) tangents[i] = r.tangents[i];
  for (int i = 0; i < f.dim; ++i) normal[i] = r.normal[i], foot[i] = r.foot[i];
  *outside = r.outside;
  *corner = r.corner;
  *degenerate = r.degenerate;
}

// ---- Classification -------------------------------------------------------------------------------------

Real squaredDistance(const Real* a, const Real* b, int dim) {
  Real sum = 0.0;
  for (int i = 0; i < dim; ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
  return sum;
}

// The facet node nearest to q (the first of equal ones) and its squared distance.
int nearestNode(const Facet& f, const Real* q, Real& squared) {
  int best = 0;
  squared = 1e36;
  for (int j = 1; j <= f.n; ++j) {
    const Real d = squaredDistance(f.x + static_cast<long long>(j - 1) * f.ld, q, f.dim);
    if (d < squared) squared = d, best = j;
  }
  return best;
}

// The square of the longest corner-to-corner distance: sides, and the diagonals of a quadrilateral.
Real longestSpanSquared(const Facet& f) {
  static constexpr int kTriangle[3][2] = {{1, 2}, {2, 3}, {3, 1}};
  static constexpr int kQuadrilateral[6][2] = {{1, 2}, {2, 3}, {3, 4}, {4, 1}, {1, 3}, {2, 4}};
  const bool triangle = f.n == 3 || f.n == 6;
  const int pairs = triangle ? 3 : 6;
  Real longest = 0.0;
  for (int k = 0; k < pairs; ++k) {
    const int a = triangle ? kTriangle[k][0] : kQuadrilateral[k][0], b = triangle ? kTriangle[k][1] : kQuadrilateral[k][1];
    longest = std::max(longest, squaredDistance(f.x + (a - 1) * static_cast<long long>(f.ld),
                                                f.x + (b - 1) * static_cast<long long>(f.ld), 3));
  }
  return longest;
}

constexpr int kNotClassified = 0, kVertex = 1, kEdge = 2, kInside = 3;

}  // namespace

extern "C" {

void CALPERPDISTTOSURF(const Real* x, const Int* ld, const Real* p, Real* xi, Real* eta, const Int* n,
                       const Real* tolerance, Logical* found, Real* distance, Real* tangents, const char* surface,
                       Int surfaceLength, Real* normal, Real* foot, Real* outside, Int* corner,
                       const Logical* collapsed, const Int* dimension, const Logical* cylindrical,
                       const Real* cylinder, Int* degenerate) {
  const Facet f = facetOf(x, ld, p, n, tolerance, collapsed, dimension, cylindrical, cylinder);
  Result r;
  if (supported(f)) {
    project(f, r);
  } else {
    r = notFound();
    reportCount(f, surface, surfaceLength);
  }
  store(f, r, xi, eta, found, distance, tangents, normal, foot, outside, corner, degenerate);
}

void CALPERPDISTTOSURF1(const Real* x, const Int* ld, const Real* p, Real* xi, Real* eta, const Int* n,
                        const Real* tolerance, Logical* found, Real* distance, Real* tangents, const char* surface,
                        Int surfaceLength, Real* normal, Real* foot, Real* outside, Int* corner, Int* location,
                        Int* nearest, const Logical* collapsed, const Int* dimension, const Logical* cylindrical,
                        const Real* cylinder, Int* degenerate) {
  Facet f = facetOf(x, ld, p, n, tolerance, collapsed, dimension, cylindrical, cylinder);
  *location = kNotClassified;
  *nearest = 0;
  Result r = notFound();
  if (!supported(f)) {
    reportCount(f, surface, surfaceLength);
    store(f, r, xi, eta, found, distance, tangents, normal, foot, outside, corner, degenerate);
    return;
  }
  if (f.dim == 3 && (f.n == 3 || f.n == 4 || f.n == 6 || f.n == 8 || f.n == 9)) f.scaleSquared = longestSpanSquared(f);
  project(f, r);
  store(f, r, xi, eta, found, distance, tangents, normal, foot, outside, corner, degenerate);
  if (r.degenerate != 0) return;
  Real squared;
  if (r.found) {
    *nearest = nearestNode(f, r.foot, squared);
    // Lines in two dimensions are never classified, not even a foot inside.
    if (f.dim != 3) return;
    if (r.outside == 0.0) {
      *location = kInside;
      return;
    }
  }
  // Only triangles, quadrilaterals and collapsed 6-node triangles are classified; an effectively
  // cylindrical facet is not scanned as a triangle.
  const bool classified = f.dim == 3 && !f.cylindrical && (f.n == 3 || f.n == 4 || (f.n == 6 && f.collapsed));
  if (!classified) return;
  Real from[3];
  for (int i = 0; i < 3; ++i) from[i] = r.found ? r.foot[i] : p[i];
  const int corners = f.n == 4 ? 4 : 3;
  const bool straight = f.n != 6;
  const Logical straightFlag = toLogical(straight), plane = kFalse, split = toLogical(f.n == 6), filter = kTrue,
                noArc = kFalse;
  const Real angles[2] = {0.0, 0.0};
  Real best = kNone, closest[3] = {0, 0, 0};
  for (int i = 1; i <= corners; ++i) {
    Real y[9] = {};
    const int next = i % corners + 1;
    const int columns[3] = {i, straight ? next : i + 3, next};
    for (int c = 0; c < (straight ? 2 : 3); ++c)
      for (int k = 0; k < 3; ++k) y[3 * c + k] = x[static_cast<long long>(columns[c] - 1) * *ld + k];
    Real s, edgeDistance, work, edgeFoot[3];
    CALPERPDISTTOCURVE(y, from, &s, &edgeDistance, &straightFlag, tolerance, &plane, &split, &filter, &work, edgeFoot,
                       &noArc, angles);
    if (edgeDistance < best) {
      best = edgeDistance;
      *location = std::fabs(s) < f.tolerance || std::fabs(s - 1.0) < f.tolerance ? kVertex : kEdge;
      for (int k = 0; k < 3; ++k) closest[k] = edgeFoot[k];
    }
  }
  // A vertex strictly nearer than the best edge point (or no edge point at all) is the result.
  const int node = nearestNode(f, from, squared);
  if (node == 0 && *location == kNotClassified) return;  // no finite distance at all (a NaN point)
  if (node != 0 && (*location == kNotClassified || squared < best * best)) {
    *nearest = node;
    *location = kVertex;
    for (int k = 0; k < 3; ++k) closest[k] = x[static_cast<long long>(node - 1) * *ld + k];
  }
  *distance = std::sqrt(squaredDistance(p, closest, 3));
  for (int k = 0; k < 3; ++k) foot[k] = closest[k];
  // Facet coordinates of the boundary point, then the facet's own point and normal there.
  Int status = 0;
  if (!f.collapsed) {
    zmx::geometry::estimateTrialPoint(foot, f.n, x, *ld, 0, xi, eta, &status);
  } else {
    for (*corner = 1; *corner <= 3; ++*corner) {
      zmx::geometry::estimateTrialPoint(foot, f.n, x, *ld, *corner, xi, eta, &status);
      if (status == 0) break;
    }
    *corner = std::min<Int>(*corner, 3);
  }
  Real unusedTangents[6], unusedSecond[12];
  zmx::geometry::facetProperties(true, false, *xi, *eta, f.n, f.collapsed, *corner, false, cylinder, x, *ld, foot,
                                 normal, unusedTangents, unusedSecond, &status);
}

}  // extern "C"
