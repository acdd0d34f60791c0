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

// Coefficient positions of row q of the power form, X = sum over q of v^q A_q(u) with
// A_q(u) = sum over p of a(p, q) u^p: the monomial index of u^p v^q for p = 0 .. 4 - q.
inline constexpr int kRow0[5] = {14, 12, 9, 7, 0};
inline constexpr int kRow1[4] = {13, 11, 5, 2};
inline constexpr int kRow2[3] = {10, 6, 3};
inline constexpr int kRow3[2] = {8, 4};
inline constexpr int kRow4[1] = {1};

// A_q, A_q' and A_q'' at u for coordinate c by Horner's rule.
template <int N>
inline void rowValues(const Real* coefficients, const int (&row)[N], int c, Real u, Real& a, Real& a1, Real& a2) {
  a = coefficients[3 * row[N - 1] + c];
  a1 = a2 = 0.0;
  for (int k = N - 2; k >= 0; --k) {
    a2 = a2 * u + a1;
    a1 = a1 * u + a;
    a = a * u + coefficients[3 * row[k] + c];
  }
  a2 *= 2.0;
}

// X and its first derivatives, and the second ones when wanted (else left unset), by Horner's
// rule in u along each power of v, then in v.
inline void evaluatePatch(const Real* coefficients, Real u, Real v, bool second, PatchJet& jet) {
  for (int c = 0; c < 3; ++c) {
    Real a[5], a1[5], a2[5];
    rowValues(coefficients, kRow0, c, u, a[0], a1[0], a2[0]);
    rowValues(coefficients, kRow1, c, u, a[1], a1[1], a2[1]);
    rowValues(coefficients, kRow2, c, u, a[2], a1[2], a2[2]);
    rowValues(coefficients, kRow3, c, u, a[3], a1[3], a2[3]);
    rowValues(coefficients, kRow4, c, u, a[4], a1[4], a2[4]);
    jet.x[c] = a[0] + v * (a[1] + v * (a[2] + v * (a[3] + v * a[4])));
    jet.xu[c] = a1[0] + v * (a1[1] + v * (a1[2] + v * a1[3]));
    jet.xv[c] = a[1] + v * (2.0 * a[2] + v * (3.0 * a[3] + v * 4.0 * a[4]));
    if (!second) continue;
    jet.xuu[c] = a2[0] + v * (a2[1] + v * a2[2]);
    jet.xuv[c] = a1[1] + v * (2.0 * a1[2] + v * 3.0 * a1[3]);
    jet.xvv[c] = 2.0 * a[2] + v * (6.0 * a[3] + v * 12.0 * a[4]);
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
