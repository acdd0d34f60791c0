// The point of a two-dimensional segment whose interpolated nodal normal passes through a given
// point: Newton's method in the segment coordinate xi from up to four starts, preferring a foot on
// the segment over one a little beyond its ends.

#include <algorithm>
#include <cmath>

#include "geometry/feet/feet_common.h"
#include "runtime/record.h"
#include "zmx/geometry/facets.h"
#include "zmx/geometry/feet.h"

namespace {

using namespace zmx::geometry;

constexpr int kMostSteps = 8;

bool splitClass(Int elementClass) {
  if (elementClass < 1 || elementClass > zmx::catalogue::kClasses) return false;
  const Int type = rec::i(CSURFACEDEF, zmx::catalogue::kFacetType + elementClass - 1);
  return type == 9 || type == 12;
}

// The segment being searched: nodes first .. first + m - 1 of the caller's arrays.
struct Segment {
  const Real *x, *nn;
  Int ldx, ldn;
  Int first, m;
  Real length;  // chord of the segment as first loaded

  const Real* node(Int j) const { return x + (first - 1 + j) * static_cast<long long>(ldx); }
  const Real* normal(Int j) const { return nn + (first - 1 + j) * static_cast<long long>(ldn); }
};

struct Point {
  Real x[2], dx[2], t[2], dt[2];
};

Point evaluate(const Segment& s, Real xi) {
  Real n[3], dn[3];
  if (s.m == 2) {
    n[0] = 0.5 * (1.0 - xi), n[1] = 0.5 * (1.0 + xi);
    dn[0] = -0.5, dn[1] = 0.5;
  } else {
    n[0] = 0.5 * xi * (xi - 1.0), n[1] = 1.0 - xi * xi, n[2] = 0.5 * xi * (xi + 1.0);
    dn[0] = xi - 0.5, dn[1] = -2.0 * xi, dn[2] = xi + 0.5;
  }
  Point p{};
  for (Int j = 0; j < s.m; ++j) {
    const Real *xj = s.node(j), *nj = s.normal(j);
    const Real turned[2] = {nj[1], -nj[0]};  // the nodal normal turned by -90 degrees
    for (int i = 0; i < 2; ++i) {
      p.x[i] += n[j] * xj[i];
      p.dx[i] += dn[j] * xj[i];
      p.t[i] += n[j] * turned[i];
      p.dt[i] += dn[j] * turned[i];
    }
  }
  return p;
}

// Newton steps from xi; true when they converge.
bool converge(const Segment& s, const Real* pt, Real& xi) {
  for (int it = 1; it <= kMostSteps; ++it) {
    const Point p = evaluate(s, xi);
    const Real d[2] = {pt[0] - p.x[0], pt[1] - p.x[1]};
    const Real f = -(d[0] * p.t[0] + d[1] * p.t[1]);
    const Real g = -(p.dx[0] * p.t[0] + p.dx[1] * p.t[1]) + d[0] * p.dt[0] + d[1] * p.dt[1];
    const Real gap = std::hypot(d[0], d[1]);
    if (!std::isfinite(f) || !std::isfinite(g)) return false;
    if (gap <= 1e-10 * s.length || std::fabs(f) <= 1e-6 * gap * std::hypot(p.t[0], p.t[1])) return true;
    if (std::fabs(g) <= kTiny) return false;
    const Real step = f / g;
    xi += step;
    if (!std::isfinite(xi)) return false;
    if (std::fabs(step) <= 1e-10) return true;
    if (!(std::fabs(xi) < 60.0)) return false;
  }
  return false;
}

struct Candidate {
  Real xi, overshoot;
  Int part;
};

}  // namespace

extern "C" {

ZMX_EXPORT void FNDNORMALDISTTOCURVE(const Real* x, const Int* ldx, const Real* nn, const Int* ldn, const Real* pt,
                                     Real* xi, const Logical* straight, const Real* tol, Logical* found,
                                     Real* distance, Real* tangent, Real* overshoot, Int* part,
                                     const Int* elementClass, Int* degenerate) {
  *found = kFalse;
  *distance = kNoDistance;
  *overshoot = kNone;
  *degenerate = 0;
  const bool isStraight = isTrueLowBit(*straight);
  const bool split = !isStraight && splitClass(*elementClass);
  Segment s{x, nn, *ldx, *ldn, 1, (isStraight || split) ? 2 : 3, 0.0};

  // Projection of the point on the chord, in segment coordinates.
  const Real* a = s.node(0);
  const Real* b = s.node(s.m - 1);
  const Real v[2] = {b[0] - a[0], b[1] - a[1]};
  s.length = std::hypot(v[0], v[1]);
  Real xi0 = 0.0;
  if (s.length >= kTiny)
    xi0 = 2.0 * (v[0] * (pt[0] - 0.5 * (a[0] + b[0])) + v[1] * (pt[1] - 0.5 * (a[1] + b[1]))) / (s.length * s.length);

  Real starts[4];
  int count = 0;
  if (split) {
    starts[count++] = std::clamp(xi0, -1.0, 1.0);
    starts[count++] = 0.0;
  } else if (xi0 < -1.0) {
    starts[count++] = -1.0, starts[count++] = 1.0, starts[count++] = 0.0;
  } else if (xi0 > 1.0) {
    starts[count++] = 1.0, starts[count++] = -1.0, starts[count++] = 0.0;
  } else {
    starts[count++] = xi0, starts[count++] = 1.0, starts[count++] = -1.0, starts[count++] = 0.0;
  }

  const Real wide = 2.0 * *tol + 1.0;
  Candidate candidates[4];
  int held = 0;
  auto bestCandidate = [&]() {
    int best = 0;
    for (int i = 1; i < held; ++i)
      if (candidates[i].overshoot < candidates[best].overshoot) best = i;
    return best;
  };
  bool accept = false;
  Real at = 0.0;
  for (int i = 0; i < count && !accept; ++i) {
    if (split && i == 1) s.first = 2;  // the second straight part, nodes 2 and 3
    Real trial = starts[i];
    if (!converge(s, pt, trial) || std::fabs(trial) > wide) continue;
    if (std::fabs(trial) > 1.0) {
      const Real over = 0.5 * (std::fabs(trial) - 1.0);
      if (i + 1 < count) {
        candidates[held++] = {trial, over, s.first};
        continue;
      }
      if (held > 0) {
        const Candidate& c = candidates[bestCandidate()];
        if (c.overshoot < over) trial = c.xi, s.first = c.part;
      }
    }
    at = trial;
    accept = true;
  }
  if (!accept && held > 0) {
    const Candidate& c = candidates[bestCandidate()];
    at = c.xi, s.first = c.part;
    accept = true;
  }
  if (!accept) {
    *xi = 0.0;
    tangent[0] = tangent[1] = 0.0;
    return;
  }
  const Point p = evaluate(s, at);
  const Real length = std::hypot(p.t[0], p.t[1]);
  if (length <= kFlat) {
    *degenerate = 1;
    *xi = 0.0;
    tangent[0] = tangent[1] = 0.0;
    return;
  }
  const Real t[2] = {p.t[0] / length, p.t[1] / length};
  const Real n[2] = {-t[1], t[0]};
  *xi = at;
  *distance = (p.x[0] - pt[0]) * n[0] + (p.x[1] - pt[1]) * n[1];
  if (split) *part = s.first;
  *overshoot = std::fabs(at) <= kInside ? 0.0 : std::max(-(at + 1.0) / 2.0, (at - 1.0) / 2.0);
  *found = kTrue;
  tangent[0] = t[0], tangent[1] = t[1];
}

}  // extern "C"
