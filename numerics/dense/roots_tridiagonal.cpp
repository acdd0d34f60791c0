// Real roots of cubics and quadratics, and tridiagonal and cyclic tridiagonal systems with
// several right-hand sides (elimination without pivoting).

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "numerics/dense/matrix_view.h"
#include "zmx/numerics.h"

namespace {

using namespace zmx::numerics;

constexpr Real kTiny = 1.0e-36;
constexpr Real kPiOverThree = 1.0471975511965965;
constexpr Real kThird = 1.0 / 3.0;

// sign(x) |x|^(1/3), the sign +1 for x >= 0.
Real signedCubeRoot(Real x) { return x >= 0.0 ? std::pow(x, kThird) : -std::pow(-x, kThird); }

// |x| below 1e-36 times the floor. The floor is 1 for polynomials of unit scale and above, and
// shrinks with the scale below it (|Q|^3 + R^2 grows as the sixth power of the roots' scale),
// so that the cubic of roots near 1e-8 is not taken for one with a double root.
bool negligible(Real x, Real floor) { return std::fabs(x) < kTiny * floor || x == 0.0; }

// Right-hand side column j of R, read 1-based.
struct Columns {
  Real* r;
  std::size_t ld;
  Vector column(std::size_t j) const { return {r + (j - 1) * ld}; }
};

}  // namespace

extern "C" {

void SOLVECUBIC(const Real* coef, Real* roots, Int* nroots) {
  *nroots = 0;
  if (std::fabs(coef[3]) < kTiny) return;
  const Real a = coef[2] / coef[3], b = coef[1] / coef[3], c = coef[0] / coef[3];
  const Real q = (b - a * a * kThird) * kThird;
  const Real r = (0.0740740740740740740 * a * a * a - a * b * kThird + c) * 0.5;
  const Real d = r * r + q * q * q;
  const Real scale = std::min(1.0, std::fabs(q * q * q) + r * r);
  if (negligible(d, scale)) {
    if (negligible(r, std::sqrt(scale))) {
      roots[0] = 0.0;
      *nroots = 1;
    } else {
      const Real u = signedCubeRoot(-r);
      roots[0] = 2.0 * u;
      roots[1] = -u;
      *nroots = 2;
    }
  } else if (d < 0.0) {
    // The clamp keeps rounding from pushing the cosine out of the domain of arccos.
    const Real cosine = std::clamp(-r / std::sqrt(-q * q * q), -1.0, 1.0);
    const Real theta = std::acos(cosine) * kThird;
    const Real m = 2.0 * std::sqrt(-q);
    roots[0] = m * std::cos(theta);
    roots[1] = -m * std::cos(theta + kPiOverThree);
    roots[2] = -m * std::cos(theta - kPiOverThree);
    *nroots = 3;
  } else {
    const Real s = std::sqrt(d);
    roots[0] = signedCubeRoot(s - r) - signedCubeRoot(r + s);
    *nroots = 1;
  }
  for (Int k = 0; k < *nroots; ++k) roots[k] -= a * kThird;
}

void SOLVEQUADRATIC(const Real* coef, const Real* tol, Real* roots, Int* nroots) {
  *nroots = 0;
  if (std::fabs(coef[2]) < *tol) {
    if (std::fabs(coef[1]) >= *tol) {
      roots[0] = -coef[0] / coef[1];
      *nroots = 1;
    }
    return;
  }
  // Quotients that would exceed 1e18 and 1e36 are replaced by those bounds.
  const Real p = std::fabs(coef[2]) <= std::fabs(0.5 * coef[1] / 1.0e18) ? 1.0e18 : coef[1] / (2.0 * coef[2]);
  const Real q = std::fabs(coef[2]) <= std::fabs(coef[0] / 1.0e36) ? 1.0e36 : coef[0] / coef[2];
  const Real d = p * p - q;
  if (std::fabs(d) < kTiny) {
    roots[0] = -p;
    *nroots = 1;
  } else if (d > 0.0) {
    roots[0] = std::sqrt(d) - p;
    roots[1] = -std::sqrt(d) - p;
    *nroots = 2;
  }
}

void TRIDIAGONAL_SYSTEM(Real* sub, Real* diag, Real* super, Real* r, const Int* ldr, const Int* nrhs, const Int* n,
                        Int* ierr) {
  const Vector lower{sub}, d{diag}, upper{super};
  const auto order = static_cast<std::size_t>(std::max<Int>(*n, 0));
  if (order == 0) {
    *ierr = 0;
    return;
  }
  if (std::fabs(d[1]) <= kTiny) {
    *ierr = 1;
    return;
  }
  *ierr = 0;
  if (order >= 2) {
    lower[2] /= d[1];
    for (std::size_t i = 2; i < order; ++i) {
      d[i] -= lower[i] * upper[i - 1];
      if (std::fabs(d[i]) <= kTiny) {
        *ierr = 1;
        return;
      }
      lower[i + 1] /= d[i];
    }
    d[order] -= lower[order] * upper[order - 1];
  }
  const Columns rhs{r, static_cast<std::size_t>(std::max<Int>(*ldr, 1))};
  for (std::size_t j = 1; j <= static_cast<std::size_t>(std::max<Int>(*nrhs, 0)); ++j) {
    const Vector x = rhs.column(j);
    for (std::size_t i = 2; i <= order; ++i) x[i] -= lower[i] * x[i - 1];
    x[order] /= d[order];
    for (std::size_t i = order - 1; i >= 1; --i) x[i] = (x[i] - upper[i] * x[i + 1]) / d[i];
  }
}

void TRIDIAGONAL_SPECIAL(Real* sub, Real* diag, Real* super, Real* u, Real* v, Real* r, const Int* ldr,
                         const Int* nrhs, const Int* n, Int* ierr) {
  const Vector lower{sub}, d{diag}, upper{super}, lastColumn{u}, lastRow{v};
  if (*n < 3 || std::fabs(d[1]) <= kTiny) {
    *ierr = 1;
    return;
  }
  const auto order = static_cast<std::size_t>(*n);
  *ierr = 0;
  lower[2] /= d[1];
  for (std::size_t i = 2; i + 1 < order; ++i) {
    d[i] -= lower[i] * upper[i - 1];
    lastColumn[i] = -lower[i] * lastColumn[i - 1];
    if (std::fabs(d[i]) <= kTiny) {
      *ierr = 1;
      return;
    }
    lower[i + 1] /= d[i];
  }
  d[order - 1] -= lower[order - 1] * upper[order - 2];
  const Real t = upper[order - 1] - lower[order - 1] * lastColumn[order - 2];
  lastColumn[order - 1] = t;
  upper[order - 1] = t;
  lastRow[1] /= d[1];
  for (std::size_t i = 2; i + 1 < order; ++i) lastRow[i] = -lastRow[i - 1] * upper[i - 1] / d[i];
  lastRow[order - 1] = (lower[order] - lastRow[order - 2] * upper[order - 2]) / d[order - 1];
  lower[order] = lastRow[order - 1];
  for (std::size_t i = 1; i < order; ++i) d[order] -= lastRow[i] * lastColumn[i];
  const Columns rhs{r, static_cast<std::size_t>(std::max<Int>(*ldr, 1))};
  for (std::size_t j = 1; j <= static_cast<std::size_t>(std::max<Int>(*nrhs, 0)); ++j) {
    const Vector x = rhs.column(j);
    for (std::size_t i = 2; i < order; ++i) x[i] -= lower[i] * x[i - 1];
    Real sum = x[order];
    for (std::size_t i = 1; i < order; ++i) sum -= lastRow[i] * x[i];
    x[order] = sum / d[order];
    x[order - 1] = (x[order - 1] - upper[order - 1] * x[order]) / d[order - 1];
    for (std::size_t i = order - 2; i >= 1; --i)
      x[i] = (x[i] - upper[i] * x[i + 1] - lastColumn[i] * x[order]) / d[i];
  }
}

}  // extern "C"
