// Backtracking line search along a Newton step of N unknowns on f = |F|^2 / 2: the full step
// first, then the minimiser of a quadratic (first backtrack) or cubic (later) model of f along
// the step, never below a tenth of the current step. The facet and B-spline foot searches all
// take their damped steps through it.
#pragma once

#include <algorithm>
#include <cmath>

#include "runtime/fortran_types.h"

namespace zmx::geometry {

struct LineSearchRule {
  bool capFirst = false;  // also keep the first reduction at or below half the step
};

// value(trial, f) evaluates f at the trial unknowns and returns false when the trial fails
// (evaluation error, out of range). On success x holds the accepted unknowns; false means the
// search failed: a trial failed, a value was not finite, or 50 backtracks did not end it.
template <int N, class Value>
bool backtrack(Real (&x)[N], const Real (&step)[N], Real f0, Real slope, Value&& value, LineSearchRule rule = {}) {
  constexpr Real kAccept = 1e-4;
  constexpr Real kTiny = 1e-36;
  constexpr int kMostBacktracks = 50;
  Real test = 0.0;
  for (int i = 0; i < N; ++i) test = std::max(test, std::fabs(step[i]) / std::max(std::fabs(x[i]), 1.0));
  const Real smallest = 1e-7 / test;
  Real lambda = 1.0, previousLambda = 0.0, previousF = 0.0;
  for (int count = 0; count <= kMostBacktracks; ++count) {
    Real trial[N];
    for (int i = 0; i < N; ++i) {
      trial[i] = x[i] + lambda * step[i];
      if (!std::isfinite(trial[i])) return false;
    }
    Real f = 0.0;
    if (!value(static_cast<const Real(&)[N]>(trial), f) || !std::isfinite(f)) return false;
    if (lambda < smallest || f <= f0 + kAccept * lambda * slope) {
      for (int i = 0; i < N; ++i) x[i] = trial[i];
      return true;
    }
    Real next;
    if (count == 0) {
      next = -slope / (2.0 * (f - f0 - slope));
      if (rule.capFirst) next = std::min(next, 0.5 * lambda);
    } else {
      const Real r1 = f - f0 - lambda * slope, r2 = previousF - f0 - previousLambda * slope;
      const Real l2 = lambda * lambda, p2 = previousLambda * previousLambda;
      const Real ca = (r1 / l2 - r2 / p2) / (lambda - previousLambda);
      Real cb = (-previousLambda * r1 / l2 + lambda * r2 / p2) / (lambda - previousLambda);
      if (std::fabs(ca) < kTiny) {
        if (std::fabs(cb) < kTiny) cb = 1.0;
        next = -slope / (2.0 * cb);
      } else {
        next = (-cb + std::sqrt(std::max(0.0, cb * cb - 3.0 * ca * slope))) / (3.0 * ca);
      }
      next = std::min(next, 0.5 * lambda);
    }
    previousLambda = lambda;
    previousF = f;
    lambda = std::max(next, 0.1 * lambda);
    if (!std::isfinite(lambda)) return false;
  }
  return false;
}

// The step of the nearest-point iterations on r = (x_u . d, x_v . d), d = P - x, with Jacobian h:
// the solution of h s = -r, or r itself when |det h| <= 1e-36. True for the Newton step.
inline bool nearestPointStep(const Real (&r)[2], const Real (&h)[2][2], Real (&s)[2]) {
  const Real det = h[0][0] * h[1][1] - h[0][1] * h[1][0];
  if (std::fabs(det) <= 1e-36) {
    s[0] = r[0], s[1] = r[1];
    return false;
  }
  s[0] = (-r[0] * h[1][1] + r[1] * h[0][1]) / det;
  s[1] = (-r[1] * h[0][0] + r[0] * h[1][0]) / det;
  return true;
}

// Slope of |r|^2 / 2 along s: r . (h s).
inline Real slopeAlong(const Real (&r)[2], const Real (&h)[2][2], const Real (&s)[2]) {
  return (h[0][0] * s[0] + h[0][1] * s[1]) * r[0] + (h[1][0] * s[0] + h[1][1] * s[1]) * r[1];
}

}  // namespace zmx::geometry
