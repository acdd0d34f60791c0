// Closest point of a point on a cubic Bezier segment in the plane: power-form coefficients,
// Newton's method on the parameter with restarts, the point, frame and signed distance there, and
// the distance to the open ends of a chain.

#include <cmath>

#include "geometry/bezier/bezier_layout.h"
#include "geometry/bezier/patch_polynomial.h"
#include "zmx/geometry/bezier.h"

namespace {

using namespace zmx::bezier;

constexpr Real kHuge = 1.0e13;
// Start parameters of the control points Q0, Q3, Q1, Q2.
constexpr Real kStartParameter[4] = {0.0, 1.0, 0.333333, 0.666666};

// x(t), y(t) and their first and second derivatives.
struct SegmentJet {
  Real x[2], d1[2], d2[2];
};

SegmentJet evaluateSegment(const Real* k, Real t) {
  SegmentJet jet;
  for (int c = 0; c < 2; ++c) {
    const Real* a = k + 4 * c;
    jet.x[c] = a[0] + t * (a[1] + t * (a[2] + t * a[3]));
    jet.d1[c] = a[1] + t * (2.0 * a[2] + 3.0 * t * a[3]);
    jet.d2[c] = 2.0 * a[2] + 6.0 * t * a[3];
  }
  return jet;
}

Real dot2(const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1]; }

// g(t) = (X(t) - P) . X'(t), the derivative of half the squared distance.
Real gradient(const Real* k, const Real* p, Real t) {
  const SegmentJet jet = evaluateSegment(k, t);
  const Real r[2] = {jet.x[0] - p[0], jet.x[1] - p[1]};
  return dot2(r, jet.d1);
}

struct SegmentNewton {
  bool converged = false;
  Real t = 0.0;
};

// Newton's method on g from t, at most 10 steps; steps forced by huge values go unguarded.
SegmentNewton newtonFrom(Real t, const Real* k, const Real* p, Real stepTolerance, Real distanceTolerance) {
  SegmentNewton result;
  for (int step = 0; step < 10; ++step) {
    bool unguarded = false;
    if (std::fabs(t) >= 10.0) {
      t = 10.0;
      unguarded = true;
    }
    result.t = t;
    const SegmentJet jet = evaluateSegment(k, t);
    const Real r[2] = {jet.x[0] - p[0], jet.x[1] - p[1]};
    const Real rn = std::sqrt(dot2(r, r));
    Real g = dot2(r, jet.d1);
    Real h = dot2(jet.d1, jet.d1) + dot2(r, jet.d2);
    if (rn <= distanceTolerance || std::fabs(g) <= 1e-6 * rn * std::sqrt(dot2(jet.d1, jet.d1))) {
      result.converged = true;
      return result;
    }
    if (std::fabs(h) >= kHuge) {
      g = h = kHuge;
      unguarded = true;
    } else if (std::fabs(g) >= kHuge) {
      h = kHuge;
      unguarded = true;
    }
    const Real delta = std::fabs(h) <= kTiny ? kUnset : -g / h;
    if (std::fabs(delta) <= stepTolerance) {
      result.converged = true;
      return result;
    }
    if (!std::isfinite(delta)) return result;
    if (unguarded) {
      t += delta;
      continue;
    }
    const Real lambdaMin = 1e-7 / (std::fabs(delta) / std::fmax(std::fabs(t), 1.0));
    Backtrack line;
    Real trial;
    while (true) {
      trial = t + line.lambda() * delta;
      if (std::fabs(trial) >= 10.0) break;
      const Real g1 = gradient(k, p, trial);
      if (!std::isfinite(g1)) return result;
      if (line.lambda() < lambdaMin || std::fabs(g1) <= std::fabs(g + 1e-4 * line.lambda() * h) ||
          line.reductions() >= kMaxReductions)
        break;
      line.reduce(g, h, g1);
    }
    t = trial;
  }
  result.t = t;
  return result;
}

}  // namespace

extern "C" {

void COEF2D(const Real* nodes, const void* segments, const Int* segment, Real* k, Int* positions) {
  const Real* q[4];
  for (int m = 0; m < 4; ++m) {
    const Int node = recordEntry(segments, *segment, kSegmentQ0 + m);
    positions[m] = (node - 1) * word(kNodeStride) + 1;
    q[m] = nodePoint(nodes, node);
  }
  const Real *q0 = q[0], *q3 = q[1], *q1 = q[2], *q2 = q[3];
  for (int c = 0; c < 2; ++c) {
    Real* a = k + 4 * c;
    a[0] = q0[c];
    a[1] = 3.0 * (q1[c] - q0[c]);
    a[2] = 3.0 * (q2[c] - 2.0 * q1[c] + q0[c]);
    a[3] = 3.0 * (q1[c] - q2[c]) + (q3[c] - q0[c]);
  }
}

void DSTN2D(const void* segments, const Real* nodes, const Real* p, Real* k, const Real* t, Real* distance, Real* x,
            Real* frame, const Int* mode, const Int* segment, const Int* count) {
  const bool full = *mode == 1;
  if (full && *count > 1) {
    Int positions[4];
    COEF2D(nodes, segments, segment, k, positions);
  }
  const SegmentJet jet = evaluateSegment(k, *t);
  x[0] = jet.x[0];
  x[1] = jet.x[1];
  const Real length = std::sqrt(dot2(jet.d1, jet.d1));
  if (!(length > kTiny)) {
    frame[0] = frame[1] = 0.0;
    if (full) frame[6] = frame[7] = frame[9] = 0.0;
    *distance = kNotFound;
    return;
  }
  const Real tx = jet.d1[0] / length, ty = jet.d1[1] / length;
  frame[0] = tx;
  frame[1] = ty;
  *distance = tx * (x[1] - p[1]) - ty * (x[0] - p[0]);
  if (!full) return;
  frame[6] = -ty;
  frame[7] = tx;
  frame[9] = jet.d2[0] * frame[6] + jet.d2[1] * frame[7];
}

void ENDPTD(const void* segments, const Real* nodes, const Real* p, const Int* n, Real* distance) {
  const Real* start = nodePoint(nodes, recordEntry(segments, 1, kSegmentQ0));
  const Real* end = nodePoint(nodes, recordEntry(segments, *n, kSegmentQ0 + 1));
  const Real a[2] = {p[0] - start[0], p[1] - start[1]};
  const Real b[2] = {p[0] - end[0], p[1] - end[1]};
  *distance = std::sqrt(std::fmin(dot2(a, a), dot2(b, b)));
}

void UNEWT2(const Real* stepTolerance, const Real* distanceTolerance, const Real* nodes, const Int* positions,
            const Real* p, const Real* k, Real* t, Int* status) {
  *status = 1;
  int first = 0;
  Real best = kUnset;
  for (int m = 0; m < 4; ++m) {
    const Real* q = nodes + positions[m];
    const Real d[2] = {q[0] - p[0], q[1] - p[1]};
    if (dot2(d, d) < best) {
      best = dot2(d, d);
      first = m;
    }
  }
  // The first start, then the other control points' parameters from the last in the table.
  int starts[4] = {first, 0, 0, 0}, count = 1;
  for (int m = 3; m >= 0; --m)
    if (m != first) starts[count++] = m;
  for (int s : starts) {
    const SegmentNewton r = newtonFrom(kStartParameter[s], k, p, *stepTolerance, *distanceTolerance);
    *t = r.t;
    if (r.converged && r.t > -1e-7 && r.t < 1.0000001) {
      *status = 0;
      return;
    }
  }
}

}  // extern "C"
