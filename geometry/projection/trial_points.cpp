// Trial points and edge parameters: the start of a facet projection, points of a segment or facet
// with their distance along a direction, facet coordinates of a point given by its parameter
// along an edge, and the point of an edge at a parameter.

#include "geometry/projection/trial_points.h"

#include <algorithm>
#include <cmath>

#include "geometry/cylinders/cylinder_functions.h"
#include "geometry/facets/facet_functions.h"
#include "geometry/facets/facet_properties.h"
#include "geometry/support/geometry_report.h"
#include "zmx/geometry/projection.h"
#include "zmx/numerics/dense.h"

namespace zmx::geometry {

namespace {

struct Vec {
  Real v[3];
  Real operator[](int i) const { return v[i]; }
};

[[gnu::always_inline]] inline Vec add(const Vec& a, const Vec& b, Real s = 1.0) { return {{a[0] + s * b[0], a[1] + s * b[1], a[2] + s * b[2]}}; }
[[gnu::always_inline]] inline Real dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
[[gnu::always_inline]] inline Vec cross(const Vec& a, const Vec& b) {
  return {{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]}};
}
[[gnu::always_inline]] inline Real triple(const Vec& a, const Vec& b, const Vec& c) { return dot(a, cross(b, c)); }
[[gnu::always_inline]] inline Vec column(const Real* x, Int ld, int j) {
  const Real* c = x + static_cast<long long>(j - 1) * ld;
  return {{c[0], c[1], c[2]}};
}

// The unit normal of the tangents; false when they are parallel (or not finite).
[[gnu::always_inline]] inline bool unitNormal(const Vec& t1, const Vec& t2, Vec& n) {
  const Real x = t1[1] * t2[2] - t1[2] * t2[1], y = t1[2] * t2[0] - t1[0] * t2[2], z = t1[0] * t2[1] - t1[1] * t2[0];
  const Real length = std::sqrt(x * x + y * y + z * z);
  if (!(length > 0.0) || !std::isfinite(length)) return false;
  const Real inverse = 1.0 / length;
  n.v[0] = x * inverse, n.v[1] = y * inverse, n.v[2] = z * inverse;
  return true;
}

constexpr Real kTiny = 1e-36;
constexpr Real kRootTolerance = 2.22e-16;
constexpr Real kWarpSine = 0.0436193873653;    // sin 2.5 degrees
constexpr Real kSettledCosine = 0.999847695156;  // cos 1 degree
constexpr Real kReach = 1.1;

int quadratic(Real c0, Real c1, Real c2, Real (&roots)[2]) {
  const Real c[3] = {c0, c1, c2};
  Int count = 0;
  SOLVEQUADRATIC(c, &kRootTolerance, roots, &count);
  return count;
}

// The bilinear quadrilateral X = c + xi g1 + eta g2 + xi eta h, with d = c - P.
struct Bilinear {
  Vec g1, g2, h, d;
  Real shortestEdge;
};

Bilinear bilinear(const Vec (&q)[4], const Real* p) {
  Bilinear b;
  for (int i = 0; i < 3; ++i) {
    b.d.v[i] = (q[0][i] + q[1][i] + q[2][i] + q[3][i]) / 4.0 - p[i];
    b.g1.v[i] = (-q[0][i] + q[1][i] + q[2][i] - q[3][i]) / 4.0;
    b.g2.v[i] = (-q[0][i] - q[1][i] + q[2][i] + q[3][i]) / 4.0;
    b.h.v[i] = (q[0][i] - q[1][i] + q[2][i] - q[3][i]) / 4.0;
  }
  Real shortest = 1e300;
  for (int e = 0; e < 4; ++e) {
    const Vec side = add(q[(e + 1) % 4], q[e], -1.0);
    shortest = std::min(shortest, dot(side, side));
  }
  b.shortestEdge = std::sqrt(shortest);
  return b;
}

struct Candidates {
  Real xi[2], eta[2];
  int count = 0;
  void add(Real x, Real e) {
    if (count < 2) xi[count] = x, eta[count] = e, ++count;
  }
};

// The nearest points on two opposite edges (across = g1 for the edges xi = -+1); false when
// either edge direction vanishes.
bool edgeFeet(const Bilinear& b, const Vec& across, const Vec& along, Real& minus, Real& plus) {
  const Vec dm = add(along, b.h, -1.0), dp = add(along, b.h);
  if (!(dot(dm, dm) >= kTiny && dot(dp, dp) >= kTiny)) return false;
  minus = -dot(add(b.d, across, -1.0), dm) / dot(dm, dm);
  plus = -dot(add(b.d, across), dp) / dot(dp, dp);
  return true;
}

// Candidate starts of a warped quadrilateral; false with the status 2 when the point lies outside
// the facet's neighbourhood.
bool warpedCandidates(const Bilinear& b, Candidates& list, Int* status) {
  Real minus, plus;
  if (edgeFeet(b, b.g1, b.g2, minus, plus)) {
    const Real selected = std::fabs(minus) < std::fabs(plus) ? minus : plus;
    if (minus * plus <= 0.0 || std::fabs(selected) <= kReach) {
      list.add(-1.0, std::clamp(minus, -1.0, 1.0));
      list.add(1.0, std::clamp(plus, -1.0, 1.0));
    } else {
      const Real eta0 = std::clamp(selected, -kReach, kReach);
      Real roots[2];
      const int count = quadratic(dot(b.d, b.g2) + eta0 * dot(b.g2, b.g2),
                                  dot(b.d, b.h) + dot(b.g1, b.g2) + 2.0 * eta0 * dot(b.g2, b.h),
                                  dot(b.g1, b.h) + eta0 * dot(b.h, b.h), roots);
      for (int r = 0; r < count; ++r)
        if (std::fabs(roots[r]) <= kReach) list.add(roots[r], eta0);
      if (list.count == 0) {
        *status = 2;
        return false;
      }
    }
  }
  if (edgeFeet(b, b.g2, b.g1, minus, plus)) {
    const Real selected = std::fabs(minus) < std::fabs(plus) ? minus : plus;
    if (minus * plus > 0.0 && std::fabs(selected) > kReach) {
      const Real xi0 = std::clamp(selected, -kReach, kReach);
      Real roots[2];
      const int count = quadratic(dot(b.d, b.g1) + xi0 * dot(b.g1, b.g1),
                                  dot(b.d, b.h) + dot(b.g1, b.g2) + 2.0 * xi0 * dot(b.g1, b.h),
                                  dot(b.g2, b.h) + xi0 * dot(b.h, b.h), roots);
      bool near = false;
      for (int r = 0; r < count; ++r) near = near || std::fabs(roots[r]) <= kReach;
      if (!near) {
        *status = 2;
        return false;
      }
    }
  }
  return true;
}

enum class Start { kDone, kNext };

// Iterates from one candidate until the normal settles; kNext when the candidate fails.
Start followCandidate(const Bilinear& b, Real* xi, Real* eta, Int* status) {
  Vec previous = {{0, 0, 0}};
  for (int step = 1;; ) {
    Vec n;
    if (!unitNormal(add(b.g1, b.h, *eta), add(b.g2, b.h, *xi), n)) {
      *status = 1;
      return Start::kDone;
    }
    if (dot(n, previous) > kSettledCosine) {
      *status = std::fabs(*xi) > 2.0 || std::fabs(*eta) > 2.0 ? 2 : 0;
      return Start::kDone;
    }
    if (step > 8) {
      *status = 0;
      return Start::kDone;
    }
    previous = n;
    Real c0 = triple(b.d, b.g2, n), c1 = triple(b.g1, b.g2, n) + triple(b.d, b.h, n), c2 = triple(b.g1, b.h, n);
    if (std::fabs(c1) >= kTiny) c0 /= c1, c2 /= c1, c1 = 1.0;
    Real roots[2];
    const int count = quadratic(c0, c1, c2, roots);
    if (count == 0) {
      *status = 1;
      return Start::kNext;
    }
    bool accepted = false;
    for (int r = 0; r < count && !accepted; ++r) {
      const Real x = roots[r];
      if (!(std::fabs(x) < 2.0)) continue;
      Real e = *eta;
      const Real q = dot(b.g2, b.g2) + 2.0 * x * dot(b.g2, b.h) + x * x * dot(b.h, b.h);
      if (std::fabs(q) >= kTiny) e = -(dot(b.d, b.g2) + x * (dot(b.d, b.h) + dot(b.g1, b.g2)) + x * x * dot(b.g1, b.h)) / q;
      if (!(std::fabs(e) < 2.0)) continue;
      *xi = x, *eta = e;
      accepted = true;
    }
    if (!accepted) {
      *status = 2;
      return Start::kNext;
    }
    ++step;
  }
}

}  // namespace

void estimateTrialPoint(const Real* p, Int n, const Real* x, Int ld, Int corner, Real* xi, Real* eta, Int* status) {
  *status = 1;
  *xi = *eta = 0.0;
  // Any other facet is reported and then taken by its first four nodes, as a quadrilateral; one of
  // fewer nodes has no four to take.
  const bool plainCorners = n == 4 || corner < 1;
  if (n != 3 && n != 4 && corner < 1) {
    report(kSystemError, "SYSTEM ERROR IN estimateTrialPoint - NOT CODED FOR OTHER TYPE OF FACETS");
    if (n < 4) return;
  }
  if (n == 3) {
    const Vec x1 = column(x, ld, 1), d = add(x1, {{p[0], p[1], p[2]}}, -1.0);
    const Vec e1 = add(column(x, ld, 2), x1, -1.0), e2 = add(column(x, ld, 3), x1, -1.0);
    const Real a11 = dot(e1, e1), a12 = dot(e1, e2), a22 = dot(e2, e2), r1 = -dot(d, e1), r2 = -dot(d, e2);
    const Real det = a11 * a22 - a12 * a12;
    if (std::fabs(det) >= kTiny) {
      *xi = (r1 * a22 - a12 * r2) / det;
      *eta = (a11 * r2 - a12 * r1) / det;
      *status = 0;
    }
    return;
  }
  Vec q[4];
  if (plainCorners) {
    for (int j = 0; j < 4; ++j) q[j] = column(x, ld, j + 1);
  } else {
    // Sub-quadrilateral of corner k: corner, following midside node, centre, preceding midside node.
    Vec m;
    for (int i = 0; i < 3; ++i) {
      m.v[i] = (column(x, ld, 4)[i] + column(x, ld, 5)[i] + column(x, ld, 6)[i]) / 4.0 +
               (column(x, ld, 1)[i] + column(x, ld, 2)[i] + column(x, ld, 3)[i]) / 12.0;
    }
    static constexpr int kCorners[3][3] = {{1, 4, 6}, {2, 5, 4}, {3, 6, 5}};
    const int* c = kCorners[corner == 1 ? 0 : corner == 2 ? 1 : 2];
    q[0] = column(x, ld, c[0]), q[1] = column(x, ld, c[1]), q[2] = m, q[3] = column(x, ld, c[2]);
  }
  const Bilinear b = bilinear(q, p);
  Vec normal;
  if (!unitNormal(b.g1, b.g2, normal)) return;
  Candidates list;
  if (dot(normal, b.h) > b.shortestEdge * kWarpSine) {
    if (!warpedCandidates(b, list, status)) return;
  } else {
    list.add(0.0, 0.0);
  }
  for (int c = list.count - 1; c >= 0; --c) {
    *xi = list.xi[c], *eta = list.eta[c];
    *status = 1;
    if (followCandidate(b, xi, eta, status) == Start::kDone) return;
  }
}

}  // namespace zmx::geometry

namespace {

Real dot2(const Real* a, const Real* b, int dim) {
  Real s = 0.0;
  for (int i = 0; i < dim; ++i) s += a[i] * b[i];
  return s;
}

void reportNotAtEdge() {
  zmx::geometry::report(zmx::geometry::kSystemError, "SYSTEM ERROR IN compute_param_edge - the point is not at the edge");
}

// Facet coordinates at fraction s from corner `from` to corner `to` (two distinct corners, so a
// side) of a triangle.
void triangleEdge(int from, int to, Real s, Real* xi, Real* eta) {
  switch (10 * from + to) {
    case 12: *xi = s, *eta = 0.0; break;
    case 13: *xi = 0.0, *eta = s; break;
    case 21: *xi = 1.0 - s, *eta = 0.0; break;
    case 23: *xi = 1.0 - s, *eta = s; break;
    case 31: *xi = 0.0, *eta = 1.0 - s; break;
    case 32: *xi = s, *eta = 1.0 - s; break;
  }
}

void quadrilateralEdge(int from, int to, Real s, Real* xi, Real* eta) {
  const Real a = 2.0 * s - 1.0, b = 2.0 * (1.0 - s) - 1.0;
  switch (10 * from + to) {
    case 12: *xi = a, *eta = -1.0; break;
    case 14: *xi = -1.0, *eta = a; break;
    case 21: *xi = b, *eta = -1.0; break;
    case 23: *xi = 1.0, *eta = a; break;
    case 32: *xi = 1.0, *eta = b; break;
    case 34: *xi = b, *eta = 1.0; break;
    case 41: *xi = -1.0, *eta = b; break;
    case 43: *xi = a, *eta = 1.0; break;
    default: break;
  }
}

// Along the curved edges s is an angle; along the straight ones a fraction. `from` is a corner.
void cylindricalEdge(int from, int to, Real s, Real total, Real* xi, Real* eta) {
  const Real a = 2.0 * s - 1.0, b = 2.0 * (1.0 - s) - 1.0;
  switch (from) {
    case 1: to == 2 ? (*xi = a, *eta = 0.0) : (*xi = -1.0, *eta = s); break;
    case 2: to == 1 ? (*xi = b, *eta = 0.0) : (*xi = 1.0, *eta = s); break;
    case 3: to == 2 ? (*xi = 1.0, *eta = total - s) : (*xi = b, *eta = total); break;
    case 4: to == 1 ? (*xi = -1.0, *eta = total - s) : (*xi = a, *eta = total); break;
  }
}

// The sub-quadrilateral and its coordinates at fraction s along a side of a 6-node triangle.
void subFacetEdge(int from, int to, Real s, Real* xi, Real* eta, Int* corner) {
  const bool firstHalf = s <= 0.5;
  const Real v = 4.0 * (firstHalf ? s : 1.0 - s) - 1.0;
  // Leaving corner k along its following side gives (v, -1) on sub-facet k, along its preceding
  // side (-1, v); the half nearer the other corner belongs to that corner's sub-facet.
  const auto along = [&](int k, int other) {
    const bool following = other == k % 3 + 1;
    *corner = k;
    if (following)
      *xi = v, *eta = -1.0;
    else
      *xi = -1.0, *eta = v;
  };
  if (firstHalf)
    along(from, to);
  else
    along(to, from);
}

}  // namespace

extern "C" {

void ESTIMATETRIALPOINT(const Real* p, const Int* n, const Real* x, const Int* ld, const Int* corner, Real* xi,
                        Real* eta, Int* status) {
  zmx::geometry::estimateTrialPoint(p, *n, x, *ld, *corner, xi, eta, status);
}

void LINETOFACETRIALPT2D(const Real* xi, const Real* v, const Real* p, const Int* n, const Logical* halves,
                         const Int* half, const Real* x, const Int* ld, Real* point, Real* distance) {
  Real normal[2], tangent[2];
  Int status = 0;
  zmx::geometry::lineProperties(false, true, *xi, *n == 2 ? 2 : 3, isTrueLowBit(*halves), *half, x, *ld, point,
                                normal, tangent, nullptr, &status);
  const Real r[2] = {p[0] - point[0], p[1] - point[1]};
  *distance = dot2(r, v, 2);
}

void LINETOFACETRIALPT3D(const Real* xi, const Real* eta, const Real* v, const Real* p, const Int* n,
                         const Logical* subRegion, const Int* k, const Real* x, const Int* ld, Real* point,
                         Real* distance) {
  zmx::geometry::FacetWeights s;
  zmx::geometry::facetWeights(s, *n, *xi, *eta, isTrueLowBit(*subRegion), *k, false, nullptr, false, true);
  zmx::geometry::combine(s, x, *ld, 3, 1, point);
  const Real r[3] = {p[0] - point[0], p[1] - point[1], p[2] - point[2]};
  *distance = dot2(r, v, 3);
}

void COMPUTE_PARAM_EDGE(const Logical* subFacets, const Int* edge, const Real* s, const Int* facet, Real* xi, Real* eta,
                        Int* corner, const Int* kind, const Real* total) {
  *xi = *eta = 0.0;
  *corner = 0;
  const Int nodes = facet[1];
  int p1 = 0, p2 = 0, p3 = 0;
  for (int k = 1; k <= std::min<Int>(nodes, 4); ++k) {
    const Int label = facet[7 + k - 1];
    if (label == edge[0])
      p1 = k;
    else if (label == edge[1])
      p2 = k;
    else if (label == edge[2])
      p3 = k;
  }
  // A first end that is not a corner is reported here and again below when the other end is not
  // one either; the point then stays at (0, 0).
  if (p1 == 0) reportNotAtEdge();
  const bool found = p1 != 0;
  const auto outside = [&](int other, int corners) { return p1 > corners || other == 0 || other > corners; };
  if (isTrueLowBit(*subFacets) && nodes == 6) {
    if (outside(p3, 3)) return reportNotAtEdge();
    if (found) subFacetEdge(p1, p3, *s, xi, eta, corner);
    return;
  }
  if (*kind == 1) {
    // The message does not end the routine: an edge whose other end is not found still leaves the
    // first corner along its curved or straight side, as the table gives it.
    const int other = p3 != 0 ? p3 : p2;
    if (outside(other, 4)) reportNotAtEdge();
    if (!found) return;
    if (std::fabs(*total) <= 2.22e-16)
      quadrilateralEdge(p1, other, *s, xi, eta);
    else
      cylindricalEdge(p1, other, *s, *total, xi, eta);
    return;
  }
  switch (nodes) {
    case 3:
    case 6: {
      const int other = nodes == 6 ? p3 : (p2 != 0 ? p2 : p3);
      if (outside(other, 3)) return reportNotAtEdge();
      if (found) triangleEdge(p1, other, *s, xi, eta);
      return;
    }
    case 4:
    case 8:
    case 9: {
      const int other = nodes != 4 ? p3 : (p2 != 0 ? p2 : p3);
      if (outside(other, 4)) return reportNotAtEdge();
      if (found) quadrilateralEdge(p1, other, *s, xi, eta);
      return;
    }
    default:
      zmx::geometry::report(zmx::geometry::kSystemError,
                            "SYSTEM ERROR IN compute_param_edge - facet is not currently supported.");
  }
}

void COORDS_ON_EDGE(Real* point, const Real* s, const Real* y, const Logical* halves, const Logical* straight,
                    const Logical* cylindrical, const Real* angles, const Int* ld) {
  Real w[3] = {0.0, 0.0, 0.0};
  const Real t = *s;
  if (isTrueLowBit(*halves)) {
    if (t > 0.5)
      w[1] = 1.0 - (2.0 * t - 1.0), w[2] = 2.0 * t - 1.0;
    else
      w[0] = 1.0 - 2.0 * t, w[1] = 2.0 * t;
  } else if (!isTrueLowBit(*cylindrical) && isTrueLowBit(*straight)) {
    w[0] = 1.0 - t, w[1] = t;
  } else if (!isTrueLowBit(*cylindrical) || std::fabs(angles[0]) <= 2.22e-16) {
    w[0] = (t - 1.0) * (2.0 * t - 1.0), w[1] = -4.0 * t * (t - 1.0), w[2] = t * (2.0 * t - 1.0);
  } else {
    const Real nodal[3] = {0.0, angles[1], angles[0]};
    Real d[3], dd[3];
    zmx::geometry::arcFunctions(nodal, t, false, w, d, dd);
  }
  for (int i = 0; i < 3; ++i) {
    point[i] = 0.0;
    for (int j = 0; j < 3; ++j)
      if (w[j] != 0.0) point[i] += w[j] * y[static_cast<long long>(j) * *ld + i];
  }
}

}  // extern "C"
