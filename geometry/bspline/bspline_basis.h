// Shared pieces of the B-spline edge and face evaluators: argument limits, the parameter
// normalisation and span search of one direction, and the non-zero basis functions with their
// derivatives. Everything works in fixed local storage; nothing allocates.
//
// Knot vectors are stored without the first and the last knot of the full vector: with n
// control points of degree p there are n + p - 1 knots, entry k of the stored vector being knot
// k of the full one (0-based). Span i (t(i) <= u < t(i+1)) is governed by the control points
// i - p + 1 .. i + 1, so the spans with all their points are p .. count - p.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "runtime/fortran_types.h"

namespace zmx::bspline {

inline constexpr Int kMaxDegree = 5;
inline constexpr int kMaxOrder = kMaxDegree + 1;  // points per span and direction
inline constexpr Int kMaxDim = 3;
inline constexpr Real kTiny = 1e-36;               // knot differences and weights below it count as 1
// Parameter tolerances, as fractions of the range: edge points and both face evaluators clamp
// within 1e-6 (a face's Newton iterates may land just past an open end); edge derivatives do
// not clamp beyond rounding.
inline constexpr Real kPointTolerance = 1e-6;
inline constexpr Real kEdgeDerivTolerance = 2.22e-16;

// Binomial coefficients of rows 0 to 5.
inline constexpr Real kBinomial[6][6] = {{1, 0, 0, 0, 0, 0},   {1, 1, 0, 0, 0, 0},  {1, 2, 1, 0, 0, 0},
                                         {1, 3, 3, 1, 0, 0},   {1, 4, 6, 4, 1, 0},  {1, 5, 10, 10, 5, 1}};

// A weight (or knot difference) of magnitude below the floor divides as 1.
inline Real safeDivisor(Real value) { return std::fabs(value) < kTiny ? 1.0 : value; }
inline Real guardedDifference(Real value) { return std::fabs(value) <= kTiny ? 1.0 : value; }

// One parameter direction of an edge or face as the caller passes it.
struct Direction {
  Int degree;
  Int knotCount;
  const Real* knots;  // knots[k - 1] is knot k
  bool periodic;
  Real lower;
  Real upper;

  Real knot(Int k) const { return knots[k - 1]; }
  Int lastSpan() const { return knotCount - degree; }
  // The degree fits the local storage and at least one span has all its control points.
  bool usable() const { return degree >= 1 && degree <= kMaxDegree && knotCount >= 2 * degree; }
};

enum class Located { inside, outside, failed };

// Normalises u (clamping it onto an open end within the tolerance, wrapping it into the range of
// a periodic direction) and finds its span from the guess in span. On inside, span holds the
// span used and u the parameter it was found for. outside: an open direction asked beyond its
// knots, a parameter that is not finite, or one whose span would need control points before the
// first; failed: a periodic direction without a positive range.
[[gnu::always_inline]] inline Located locateSpan(const Direction& d, Real toleranceFactor, Real& u, Int& span) {
  if (!std::isfinite(u)) return Located::outside;
  const Int last = d.lastSpan();
  const Real range = d.upper - d.lower;
  Int guess = (span >= 1 && span <= d.knotCount) ? span : 1;
  if (!d.periodic) {
    const Real tolerance = range * toleranceFactor;
    const Real first = d.knot(1);
    const Real final = d.knot(d.knotCount);
    if (std::fabs(u - first) <= tolerance) {
      u = std::fmax(first, u);
      guess = 1;
    } else if (std::fabs(u - final) <= tolerance) {
      u = std::fmin(final, u);
      guess = last;
    } else if (u < first || u > final) {
      return Located::outside;
    }
  } else {
    if (!(range > 0.0) || !std::isfinite(range)) return Located::failed;
    if (u > d.upper) {
      guess = last;
      u -= std::trunc((u - d.upper) / range) * range;
      if (u > d.upper) u -= range;
    } else if (u < d.lower) {
      u += std::trunc((d.lower - u) / range) * range;
      if (u < d.lower) u += range;
    }
  }
  // No span past the last one whose control points all exist.
  Int i = guess < last ? guess : last;
  if (i < 1) i = 1;
  while (d.knot(i) > u) {
    if (--i < 1) return Located::outside;
  }
  while (i < last && !(u < d.knot(i + 1))) ++i;
  if (i < d.degree) return Located::outside;
  span = i;
  return Located::inside;
}

// The Cox-de Boor triangle of span i at u: the non-zero basis functions of every degree d <= P,
// and the reciprocal knot differences it divided by (a difference of magnitude at most 1e-36
// divides as 1).
template <int P>
struct BasisTriangle {
  Real value[P + 1][P + 1];    // value[d][r], r <= d: basis function i - d + r of degree d
  Real inverse[P + 1][P + 1];  // inverse[d][r], r < d: 1 / (knot i + r + 1 - knot i + r + 1 - d)

  BasisTriangle(const Real* t, Int i, Real u) {
    const Real* k = t + (i - 1);  // k[j] is knot i + j
    // The knot differences first: independent divisions.
#pragma GCC unroll 6
    for (int d = 1; d <= P; ++d)
#pragma GCC unroll 6
      for (int r = 0; r < d; ++r) inverse[d][r] = 1.0 / guardedDifference(k[r + 1] - k[r + 1 - d]);
    Real left[P + 1];
    Real right[P + 1];
    value[0][0] = 1.0;
#pragma GCC unroll 6
    for (int d = 1; d <= P; ++d) {
      left[d] = u - k[1 - d];
      right[d] = k[d] - u;
      Real saved = 0.0;
#pragma GCC unroll 6
      for (int r = 0; r < d; ++r) {
        const Real temp = value[d - 1][r] * inverse[d][r];
        value[d][r] = saved + right[r + 1] * temp;
        saved = left[d - r] * temp;
      }
      value[d][d] = saved;
    }
  }

  // The k-th derivative of a spline is the spline of degree P - k over the k-th differences of
  // its control points; difference step m takes P - m + 2 points to P - m + 1, point j becoming
  // (P - m + 1) * inverse[P - m + 1][j] * (point j + 1 - point j).
  static constexpr int stepWidth(int m) { return P - m + 1; }
  Real stepFactor(int m, int j) const { return stepWidth(m) * inverse[stepWidth(m)][j]; }

  // ders[k][j]: the k-th derivative (k = 0..order <= P) of basis function i - P + j: the
  // difference steps applied backwards to the functions of degree P - k.
  void derivatives(Int order, Real (&ders)[kMaxOrder][kMaxOrder]) const {
#pragma GCC unroll 6
    for (int j = 0; j <= P; ++j) ders[0][j] = value[P][j];
    for (Int kd = 1; kd <= order; ++kd) {
      Real g[P + 1];
#pragma GCC unroll 6
      for (int j = 0; j <= P; ++j) g[j] = j <= P - kd ? value[P - kd][j] : 0.0;
      for (Int m = kd; m >= 1; --m) {
        // g over stepWidth(m) entries becomes g over stepWidth(m) + 1: entry j gains the scaled
        // entry j - 1 and loses the scaled entry j.
        const int width = stepWidth(m);
        Real previous = 0.0;
        for (int j = 0; j <= width; ++j) {
          const Real here = j < width ? stepFactor(m, j) * g[j] : 0.0;
          g[j] = previous - here;
          previous = here;
        }
      }
#pragma GCC unroll 6
      for (int j = 0; j <= P; ++j) ders[kd][j] = g[j];
    }
  }
};

// Locates one direction as the evaluators report it: a parameter outside the knots sets the span
// to 0; a failed search leaves it.
inline bool locateOrClear(const Direction& d, Real toleranceFactor, Real& u, Int* span) {
  const Located where = locateSpan(d, toleranceFactor, u, *span);
  if (where == Located::outside) *span = 0;
  return where == Located::inside;
}

// The points of one span in the form the sweeps and sums use: the coordinates of control point
// j times its weight, and for a rational spline the weight last (W = NDIM, or NDIM + 1).
template <int W>
using Points = Real[kMaxOrder][W];

// Control point coordinates (N of them) scaled by the weight, and the weight when rational.
template <int N, bool Rational>
inline void loadPoint(Real* q, const Real* point, Real weight) {
#pragma GCC unroll 6
  for (int c = 0; c < N; ++c) q[c] = Rational ? weight * point[c] : point[c];
  if constexpr (Rational) q[N] = weight;
}

// Writes the N coordinates of a weighted point, divided by its weight when rational (a weight
// below 1e-36 in magnitude divides as 1).
template <int N, bool Rational>
inline void writePoint(Real* x, const Real* q) {
  if constexpr (Rational) {
    const Real w = safeDivisor(q[N]);
#pragma GCC unroll 6
    for (int c = 0; c < N; ++c) x[c] = q[c] / w;
  } else {
#pragma GCC unroll 6
    for (int c = 0; c < N; ++c) x[c] = q[c];
  }
}

// The same for a dimension known only at run time: a homogeneous point of kMaxDim coordinates
// times the weight (the unused ones 0) and the weight last, weight 1 when not rational.
inline constexpr int kWeight = kMaxDim;

inline void loadHomogeneous(Real* q, const Real* point, Int ndim, Real weight) {
#pragma GCC unroll 4
  for (int c = 0; c < kMaxDim; ++c) q[c] = c < ndim ? weight * point[c] : 0.0;
  q[kWeight] = weight;
}

inline void writeHomogeneous(Real* x, const Real* q, Int ndim, bool rational) {
  const Real w = rational ? safeDivisor(q[kWeight]) : 1.0;
  for (Int c = 0; c < ndim; ++c) x[c] = rational ? q[c] / w : q[c];
}

// The blending factors of de Boor's sweep on span i: for r = 1..P the P + 1 - r highest points are
// updated from the top down, the m-th update of a sweep blending with the knots
// a = t(i + P - r - m + 1), b = t(i - m) by alpha = (a - u)/(a - b). They depend on the knots and
// the parameter only, so a face computes them once for all rows of its net.
template <int P>
struct DeBoorFactors {
  Real alpha[P + 1][P + 1];  // alpha[r][m]

  DeBoorFactors(const Real* t, Int i, Real u) {
    const Real* k = t + (i - 1);  // k[j] is knot i + j
#pragma GCC unroll 6
    for (int r = 1; r <= P; ++r)
#pragma GCC unroll 6
      for (int m = 0; m <= P - r; ++m) {
        const Real a = k[P - r - m + 1];
        const Real b = k[-m];
        alpha[r][m] = (a - u) / guardedDifference(a - b);
      }
  }

  // q[P] ends as the point at u.
  template <int W>
  void sweep(Points<W>& q) const {
#pragma GCC unroll 6
    for (int r = 1; r <= P; ++r)
#pragma GCC unroll 6
      for (int m = 0; m <= P - r; ++m) {
        const Real f = alpha[r][m];
        Real* upper = q[P - m];
        const Real* lower = q[P - m - 1];
#pragma GCC unroll 6
        for (int c = 0; c < W; ++c) upper[c] = (1.0 - f) * upper[c] + f * lower[c];
      }
  }
};

// Calls f.template operator()<P>() for the degree 1..5 (a usable degree).
template <class F>
inline void withDegree(Int degree, F&& f) {
  switch (degree) {
    case 1: f.template operator()<1>(); break;
    case 2: f.template operator()<2>(); break;
    case 3: f.template operator()<3>(); break;
    case 4: f.template operator()<4>(); break;
    default: f.template operator()<5>(); break;
  }
}

// Calls f.template operator()<P, N, Rational>() for a usable degree and dimension.
template <class F>
inline void withShape(Int degree, Int ndim, bool rational, F&& f) {
  withDegree(degree, [&]<int P>() {
    auto byDimension = [&]<bool R>() {
      switch (ndim) {
        case 1: f.template operator()<P, 1, R>(); break;
        case 2: f.template operator()<P, 2, R>(); break;
        default: f.template operator()<P, 3, R>(); break;
      }
    };
    if (rational)
      byDimension.template operator()<true>();
    else
      byDimension.template operator()<false>();
  });
}

inline void zeroFill(Real* a, std::ptrdiff_t count) {
  for (std::ptrdiff_t k = 0; k < count; ++k) a[k] = 0.0;
}

// Zeroes what an evaluation left unwritten in the columns of d (leading dimension ldd): rows
// below the first `rows` in the first `written` columns, and every column from `written` on.
inline void clearUnwritten(Real* d, Int ldd, Int rows, Int written, Int columns) {
  for (Int k = 0; k < written; ++k) zeroFill(d + static_cast<std::ptrdiff_t>(k) * ldd + rows, ldd - rows);
  zeroFill(d + static_cast<std::ptrdiff_t>(written) * ldd, static_cast<std::ptrdiff_t>(columns - written) * ldd);
}

}  // namespace zmx::bspline
