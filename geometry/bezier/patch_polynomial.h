// Evaluation of one quartic sub-triangle from its power-basis coefficients C(3, 15), and the
// backtracking step model of the damped Newton searches on patches and segments.
#pragma once

#include <algorithm>
#include <cmath>

#include "runtime/fortran_types.h"

namespace zmx::bezier {

inline constexpr int kMonomials = 15;
// Exponents (of u, of v) of the monomials in coefficient order.
inline constexpr int kPowerU[kMonomials] = {4, 0, 3, 2, 1, 2, 1, 3, 0, 2, 0, 1, 1, 0, 0};
inline constexpr int kPowerV[kMonomials] = {0, 4, 1, 2, 3, 1, 2, 0, 3, 0, 2, 1, 0, 1, 0};

// Point and derivatives of X(u, v).
struct PatchJet {
  Real x[3], xu[3], xv[3], xuu[3], xuv[3], xvv[3];
};

// d^k/dt^k of t^p, for k = 0, 1, 2, from the powers t^0 .. t^4.
inline Real powerDerivative(const Real* powers, int p, int k) {
  if (p < k) return 0.0;
  const Real factor = k == 0 ? 1.0 : (k == 1 ? p : p * (p - 1));
  return factor * powers[p - k];
}

// X and its first derivatives, and the second ones when wanted (else left unset).
inline void evaluatePatch(const Real* coefficients, Real u, Real v, bool second, PatchJet& jet) {
  const Real pu[5] = {1.0, u, u * u, u * u * u, u * u * u * u};
  const Real pv[5] = {1.0, v, v * v, v * v * v, v * v * v * v};
  for (int c = 0; c < 3; ++c) jet.x[c] = jet.xu[c] = jet.xv[c] = jet.xuu[c] = jet.xuv[c] = jet.xvv[c] = 0.0;
  for (int m = 0; m < kMonomials; ++m) {
    const int p = kPowerU[m], q = kPowerV[m];
    const Real* a = coefficients + 3 * m;
    const Real w = powerDerivative(pu, p, 0) * powerDerivative(pv, q, 0);
    const Real wu = powerDerivative(pu, p, 1) * powerDerivative(pv, q, 0);
    const Real wv = powerDerivative(pu, p, 0) * powerDerivative(pv, q, 1);
    for (int c = 0; c < 3; ++c) {
      jet.x[c] += w * a[c];
      jet.xu[c] += wu * a[c];
      jet.xv[c] += wv * a[c];
    }
    if (!second) continue;
    const Real wuu = powerDerivative(pu, p, 2) * powerDerivative(pv, q, 0);
    const Real wuv = powerDerivative(pu, p, 1) * powerDerivative(pv, q, 1);
    const Real wvv = powerDerivative(pu, p, 0) * powerDerivative(pv, q, 2);
    for (int c = 0; c < 3; ++c) {
      jet.xuu[c] += wuu * a[c];
      jet.xuv[c] += wuv * a[c];
      jet.xvv[c] += wvv * a[c];
    }
  }
}

inline Real dot3(const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline Real norm3(const Real* a) { return std::sqrt(dot3(a, a)); }

// Step lengths of a backtracking line search on a merit f along a step of slope `slope` at
// lambda = 0: the first reduction minimises the quadratic through f0, the slope and the trial;
// later ones the cubic through the last two trials, at most half the current lambda; never below
// a tenth of it.
class Backtrack {
 public:
  Real lambda() const { return lambda_; }
  int reductions() const { return reductions_; }

  void reduce(Real f0, Real slope, Real fTrial) {
    Real next;
    if (reductions_ == 0) {
      next = -slope / (2.0 * (fTrial - f0 - slope));
    } else {
      const Real r1 = fTrial - f0 - lambda_ * slope;
      const Real r2 = f2_ - f0 - lambda2_ * slope;
      const Real l1s = lambda_ * lambda_, l2s = lambda2_ * lambda2_;
      const Real a = (r1 / l1s - r2 / l2s) / (lambda_ - lambda2_);
      Real b = (-lambda2_ * r1 / l1s + lambda_ * r2 / l2s) / (lambda_ - lambda2_);
      if (std::fabs(a) < 1.0e-36) {
        if (std::fabs(b) < 1.0e-36) b = 1.0;
        next = -slope / (2.0 * b);
      } else {
        const Real disc = std::max(0.0, b * b - 3.0 * a * slope);
        next = (-b + std::sqrt(disc)) / (3.0 * a);
      }
      next = std::min(next, 0.5 * lambda_);
    }
    // A model without a finite minimum falls back to the smallest reduction.
    if (!std::isfinite(next)) next = 0.1 * lambda_;
    lambda2_ = lambda_;
    f2_ = fTrial;
    lambda_ = std::max(next, 0.1 * lambda_);
    ++reductions_;
  }

 private:
  Real lambda_ = 1.0, lambda2_ = 0.0, f2_ = 0.0;
  int reductions_ = 0;
};

// The backtracking takes its last trial after this many reductions.
inline constexpr int kMaxReductions = 50;

}  // namespace zmx::bezier
