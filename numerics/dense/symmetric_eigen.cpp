// All eigenvalues and eigenvectors of a small real symmetric matrix in packed form: Householder
// reduction to tridiagonal form with the transformation accumulated, then QL iterations with
// implicit shifts that rotate the transformation into the eigenvectors.

#include <cmath>
#include <cstddef>
#include <cstring>

#include "numerics/dense/matrix_view.h"
#include "zmx/numerics.h"

namespace {

using zmx::numerics::Vector;

// Column-major n x n matrix read 1-based.
struct Square : zmx::numerics::Matrix {
  std::size_t n;
  Square(Real* first, std::size_t order) : zmx::numerics::Matrix{first, order}, n(order) {}
};

// Two reals processed together by one instruction where the machine allows it.
using Pair = Real __attribute__((vector_size(16)));

constexpr Real kNegligibleScale = 1.0e-36;
constexpr Real kMachineEpsilon = 2.22e-16;
constexpr Int kMaxIterations = 30;

void unpack(const Real* ap, const Square& z) {
  std::size_t k = 0;
  for (std::size_t i = 1; i <= z.n; ++i)
    for (std::size_t j = 1; j <= i; ++j) z(i, j) = z(j, i) = ap[k++];
}

// Annihilates row i left of its sub-diagonal; d[i] receives h (0 when nothing was done).
void reduceRow(const Square& z, Vector d, Vector e, std::size_t i) {
  const std::size_t l = i - 1;
  Real h = 0.0;
  Real scale = 0.0;
  if (l >= 2)
    for (std::size_t k = 1; k <= l; ++k) scale += std::fabs(z(i, k));
  if (l < 2 || scale < kNegligibleScale) {
    e[i] = z(i, l);
    d[i] = h;
    return;
  }
  for (std::size_t k = 1; k <= l; ++k) {
    z(i, k) /= scale;
    h += z(i, k) * z(i, k);
  }
  Real f = z(i, l);
  Real g = f >= 0.0 ? -std::sqrt(h) : std::sqrt(h);
  e[i] = scale * g;
  h -= f * g;
  z(i, l) = f - g;
  f = 0.0;
  for (std::size_t j = 1; j <= l; ++j) {
    z(j, i) = z(i, j) / h;
    g = 0.0;
    for (std::size_t k = 1; k <= j; ++k) g += z(j, k) * z(i, k);
    for (std::size_t k = j + 1; k <= l; ++k) g += z(k, j) * z(i, k);
    e[j] = g / h;
    f += e[j] * z(i, j);
  }
  const Real hh = f / (h + h);
  for (std::size_t j = 1; j <= l; ++j) {
    f = z(i, j);
    g = e[j] - hh * f;
    e[j] = g;
    for (std::size_t k = 1; k <= j; ++k) z(j, k) -= f * e[k] + g * z(i, k);
  }
  d[i] = h;
}

// y := y - g x over n reals, two at a time (the same operations per element as a plain loop).
void subtractMultiple(Real* y, const Real* x, Real g, std::size_t n) {
  const Pair gg = {g, g};
  std::size_t k = 0;
  for (; k + 2 <= n; k += 2) {
    Pair a, b;
    std::memcpy(&a, y + k, sizeof a);
    std::memcpy(&b, x + k, sizeof b);
    a -= gg * b;
    std::memcpy(y + k, &a, sizeof a);
  }
  for (; k < n; ++k) y[k] -= g * x[k];
}

// Turns the stored Householder vectors into the orthogonal transformation.
void accumulate(const Square& z, Vector d, Vector e) {
  d[1] = 0.0;
  e[1] = 0.0;
  for (std::size_t i = 1; i <= z.n; ++i) {
    const std::size_t l = i - 1;
    if (d[i] != 0.0) {
      for (std::size_t j = 1; j <= l; ++j) {
        Real g = 0.0;
        for (std::size_t k = 1; k <= l; ++k) g += z(i, k) * z(k, j);
        subtractMultiple(&z(1, j), &z(1, i), g, l);
      }
    }
    d[i] = z(i, i);
    z(i, i) = 1.0;
    for (std::size_t j = 1; j <= l; ++j) z(j, i) = z(i, j) = 0.0;
  }
}

// The first m >= l whose sub-diagonal is negligible beside its diagonal neighbours, n if none.
std::size_t splitPoint(Vector d, Vector e, std::size_t l, std::size_t n) {
  for (std::size_t m = l; m < n; ++m)
    if (std::fabs(e[m]) <= kMachineEpsilon * (std::fabs(d[m]) + std::fabs(d[m + 1]))) return m;
  return n;
}

// (left, right) := (c left - s right, s left + c right) over n rows, two rows at a time. Each
// element sees the same operations as in a plain loop, so the results are the same bit for bit.
void rotateColumns(Real* left, Real* right, std::size_t n, Real c, Real s) {
  const Pair cc = {c, c}, ss = {s, s};
  std::size_t k = 0;
  for (; k + 2 <= n; k += 2) {
    Pair l, r;
    std::memcpy(&l, left + k, sizeof l);
    std::memcpy(&r, right + k, sizeof r);
    const Pair newRight = ss * l + cc * r;
    const Pair newLeft = cc * l - ss * r;
    std::memcpy(right + k, &newRight, sizeof newRight);
    std::memcpy(left + k, &newLeft, sizeof newLeft);
  }
  for (; k < n; ++k) {
    const Real f = right[k];
    right[k] = s * left[k] + c * f;
    left[k] = c * left[k] - s * f;
  }
}

// One implicit-shift QL sweep over rows l..m, rotating the columns of z along.
void qlSweep(const Square& z, Vector d, Vector e, std::size_t l, std::size_t m) {
  Real g = (d[l + 1] - d[l]) / (2.0 * e[l]);
  Real r = std::sqrt(g * g + 1.0);
  g = d[m] - d[l] + e[l] / (g + (g < 0.0 ? -r : r));
  Real s = 1.0, c = 1.0, p = 0.0;
  for (std::size_t i = m - 1; i >= l; --i) {
    Real f = s * e[i];
    const Real b = c * e[i];
    if (std::fabs(f) < std::fabs(g)) {
      s = f / g;
      r = std::sqrt(s * s + 1.0);
      e[i + 1] = g * r;
      c = 1.0 / r;
      s *= c;
    } else {
      c = g / f;
      r = std::sqrt(c * c + 1.0);
      e[i + 1] = f * r;
      s = 1.0 / r;
      c *= s;
    }
    g = d[i + 1] - p;
    r = (d[i] - g) * s + 2.0 * c * b;
    p = s * r;
    d[i + 1] = g + p;
    g = c * r - b;
    rotateColumns(&z(1, i), &z(1, i + 1), z.n, c, s);
    if (i == l) break;
  }
  d[l] -= p;
  e[l] = g;
  e[m] = 0.0;
}

}  // namespace

extern "C" {

void AHOUS(const Real* ap, Real* d, Real* e, Real* zm, const Int* n) {
  if (*n < 1) return;
  const Square z{zm, static_cast<std::size_t>(*n)};
  const Vector d1{d}, e1{e};
  if (z.n == 1) {
    d[0] = ap[0];
    e[0] = 0.0;
    zm[0] = 1.0;
    return;
  }
  unpack(ap, z);
  for (std::size_t i = z.n; i >= 2; --i) reduceRow(z, d1, e1, i);
  accumulate(z, d1, e1);
}

void AQR(Real* d, Real* e, Real* zm, const Int* n, Int* ierr) {
  *ierr = 0;
  if (*n <= 1) return;
  const Square z{zm, static_cast<std::size_t>(*n)};
  const Vector d1{d}, e1{e};
  for (std::size_t i = 2; i <= z.n; ++i) e1[i - 1] = e1[i];
  e1[z.n] = 0.0;
  for (std::size_t l = 1; l <= z.n; ++l) {
    for (Int iterations = 0;; ++iterations) {
      const std::size_t m = splitPoint(d1, e1, l, z.n);
      if (m == l) break;
      if (iterations == kMaxIterations) {
        *ierr = static_cast<Int>(l);
        return;
      }
      qlSweep(z, d1, e1, l, m);
    }
  }
}

}  // extern "C"
