// LU decomposition with implicit (row-scaled) partial pivoting (Crout's order), the substitution
// step, and the inverses and the solver built on them.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string_view>
#include <utility>

#include "numerics/dense/matrix_view.h"
#include "numerics/kernels/numerics_report.h"
#include "zmx/numerics.h"

namespace {

using namespace zmx::numerics;

constexpr Real kSingularPivot = 1.0e-36;
// Sizes of the fixed local records, which bound the orders.
constexpr Int kScaleRecordLarge = 2000;
constexpr Int kScaleRecordSmall = 100;
constexpr Int kPivotRecord = 100;


// Crout decomposition in place; returns the parity, 0 for a row without a nonzero entry (indx
// is then not filled). scale holds at least n reals.
Real decompose(const Matrix& a, std::size_t n, Int* indx, Real* scale) {
  for (std::size_t i = 1; i <= n; ++i) {
    Real big = 0.0;
    for (std::size_t j = 1; j <= n; ++j) big = std::fmax(big, std::fabs(a(i, j)));
    if (big <= kSingularPivot) return 0.0;
    scale[i - 1] = 1.0 / big;
  }
  Real parity = 1.0;
  for (std::size_t j = 1; j <= n; ++j) {
    Real* column = &a(1, j);
    for (std::size_t i = 1; i < j; ++i) {
      Real sum = column[i - 1];
      for (std::size_t k = 1; k < i; ++k) sum -= a(i, k) * column[k - 1];
      column[i - 1] = sum;
    }
    Real best = 0.0;
    std::size_t pivotRow = j;
    for (std::size_t i = j; i <= n; ++i) {
      Real sum = column[i - 1];
      for (std::size_t k = 1; k < j; ++k) sum -= a(i, k) * column[k - 1];
      column[i - 1] = sum;
      const Real weight = scale[i - 1] * std::fabs(sum);
      if (weight >= best) {  // the last of equal weights wins
        best = weight;
        pivotRow = i;
      }
    }
    if (pivotRow != j) {
      for (std::size_t k = 1; k <= n; ++k) std::swap(a(pivotRow, k), a(j, k));
      parity = -parity;
      scale[pivotRow - 1] = scale[j - 1];
    }
    indx[j - 1] = static_cast<Int>(pivotRow);
    if (a(j, j) == 0.0) a(j, j) = kSingularPivot;
    if (j < n) {
      const Real reciprocal = 1.0 / a(j, j);
      for (std::size_t i = j + 1; i <= n; ++i) column[i - 1] *= reciprocal;
    }
  }
  return parity;
}

void substitute(const ConstMatrix& a, std::size_t n, const Int* indx, Real* b) {
  std::size_t first = 0;  // first row with a nonzero right-hand side, 0 while none
  for (std::size_t i = 1; i <= n; ++i) {
    const auto ip = static_cast<std::size_t>(indx[i - 1]);
    Real sum = b[ip - 1];
    b[ip - 1] = b[i - 1];
    if (first != 0) {
      for (std::size_t k = first; k < i; ++k) sum -= a(i, k) * b[k - 1];
    } else if (sum != 0.0) {
      first = i;
    }
    b[i - 1] = sum;
  }
  for (std::size_t i = n; i >= 1; --i) {
    Real sum = b[i - 1];
    for (std::size_t k = i + 1; k <= n; ++k) sum -= a(i, k) * b[k - 1];
    b[i - 1] = sum / a(i, i);
  }
}

// Rows and columns of an order argument: none for an order below 1.
std::size_t orderOf(const Int* n) { return *n > 0 ? static_cast<std::size_t>(*n) : 0; }

// Decomposition with an order limit on the row-scale record; reports a row without a nonzero
// entry when asked. An empty matrix has no row exchange: parity 1.
template <Int kLimit>
void decomposeChecked(Real* a, const Int* n, const Int* np, Int* indx, Real* d, bool reportSingular,
                      std::string_view routine) {
  if (*n > kLimit) {
    *d = 0.0;
    reportFixed(kSystemError, routine);
    return;
  }
  Real scale[kLimit];
  *d = decompose({a, orderOf(np)}, orderOf(n), indx, scale);
  if (*d == 0.0 && reportSingular) reportFixed(kError, "PROGRAM IS ASKED TO INVERT A SINGULAR MATRIX");
}

constexpr std::string_view kInverseLimit =
    "THE MATRIX INVERSION ROUTINE AINV2 CAN ONLYBE USED FOR MATRICES OF ORDER 100 OR LESS";

// The inverse through one of the decompositions; d receives the determinant (0 when singular,
// 1 for an empty matrix: the parity times a product of no pivots).
template <class Decompose>
void invert(Real* a, Real* ainv, Real* d, const Int* n, const Int* np, Decompose decomposeWith) {
  *d = 0.0;
  if (*n > kPivotRecord) {
    reportFixed(kSystemError, kInverseLimit);
    return;
  }
  const std::size_t order = orderOf(n);
  const Matrix inverse{ainv, orderOf(np)};
  for (std::size_t j = 1; j <= order; ++j)
    for (std::size_t i = 1; i <= order; ++i) inverse(i, j) = i == j ? 1.0 : 0.0;
  Int indx[kPivotRecord];
  decomposeWith(a, n, np, indx, d);
  if (*d == 0.0) return;  // the pivot record is not filled
  const ConstMatrix lu{a, orderOf(np)};
  for (std::size_t j = 1; j <= order; ++j) {
    *d *= lu(j, j);
    substitute(lu, order, indx, &inverse(1, j));
  }
}

}  // namespace

extern "C" {

void ALUDCMP(Real* a, const Int* n, const Int* np, Int* indx, Real* d) {
  decomposeChecked<kScaleRecordLarge>(
      a, n, np, indx, d, true, "THE LU DECOMPOSITION ROUTINE ALUDCMP CAN ONLY BE USED FOR MATRICES OF ORDER 2000 OR LESS");
}

void ALUDCMP1(Real* a, const Int* n, const Int* np, Int* indx, Real* d) {
  decomposeChecked<kScaleRecordSmall>(
      a, n, np, indx, d, false, "THE LU DECOMPOSITION ROUTINE ALUDCMP1 CAN ONLY BE USED FOR MATRICES OF ORDER 100 OR LESS");
}

void ALUBKSB(const Real* a, const Int* n, const Int* np, const Int* indx, Real* b) {
  if (*n <= 0) return;
  substitute({a, static_cast<std::size_t>(*np)}, static_cast<std::size_t>(*n), indx, b);
}

void AINV2(Real* a, Real* ainv, Real* d, const Int* n, const Int* np) { invert(a, ainv, d, n, np, ALUDCMP); }

void AINV3(Real* a, Real* ainv, Real* d, const Int* n, const Int* np) { invert(a, ainv, d, n, np, ALUDCMP1); }

void ASOL(Real* a, Real* x, const Real* b, const Int* n, const Int* np) {
  if (*n > kPivotRecord) {
    reportFixed(kSystemError, "THE LINEAR EQUATION SOLVER ASOL CAN ONLYBE USED FOR MATRICES OF ORDER 100 OR LESS");
    return;
  }
  if (*n <= 0) return;
  Int indx[kPivotRecord];
  Real d = 0.0;
  ALUDCMP(a, n, np, indx, &d);
  if (d == 0.0) return;  // the pivot record is not filled
  std::copy(b, b + *n, x);
  substitute({a, static_cast<std::size_t>(*np)}, static_cast<std::size_t>(*n), indx, x);
}

}  // extern "C"
