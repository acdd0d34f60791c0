// In-place Gauss-Jordan inverses with full pivoting for small orders, the Gauss-Jordan solver with
// several right-hand sides, the inverse of a packed lower triangle and the packed symmetric
// elimination that counts non-positive pivots.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "numerics/dense/matrix_view.h"
#include "numerics/kernels/numerics_report.h"
#include "zmx/numerics.h"

namespace {

using namespace zmx::numerics;

constexpr Real kSingularPivot = 1.0e-36;
// Sizes of the fixed local exchange records, which bound the orders.
constexpr std::size_t kMaxOrderNdp = 30;
constexpr std::size_t kMaxOrderNoMessage = 10;
constexpr std::size_t kMaxOrderMxvarb = 7;
constexpr std::size_t kMaxOrderSolver = 50;
constexpr std::size_t kMxvarbLeadingDimension = 7;

enum class SingularPivot { kStop, kGoOn };

// The elimination with full pivoting on the n x n matrix a. The pivot of each stage is handed to
// onPivot, which decides whether a singular one stops the elimination. Returns false when it did.
template <class OnPivot>
bool gaussJordanInPlace(const Matrix& a, std::size_t n, OnPivot onPivot) {
  std::size_t rowOf[kMaxOrderNdp], columnOf[kMaxOrderNdp];
  for (std::size_t k = 1; k <= n; ++k) {
    std::size_t l = k, m = k;
    Real pivot = a(k, k);
    for (std::size_t j = k; j <= n; ++j)
      for (std::size_t i = k; i <= n; ++i)
        if (std::fabs(a(i, j)) >= std::fabs(pivot)) {
          pivot = a(i, j);
          l = i;
          m = j;
        }
    rowOf[k - 1] = l;
    columnOf[k - 1] = m;
    if (onPivot(pivot) == SingularPivot::kStop) return false;
    // Exchanges with a sign change keep the determinant.
    if (l != k)
      for (std::size_t j = 1; j <= n; ++j) {
        const Real t = a(k, j);
        a(k, j) = a(l, j);
        a(l, j) = -t;
      }
    if (m != k)
      for (std::size_t i = 1; i <= n; ++i) {
        const Real t = a(i, k);
        a(i, k) = a(i, m);
        a(i, m) = -t;
      }
    const Real minusReciprocal = -1.0 / pivot;
    for (std::size_t i = 1; i <= n; ++i)
      if (i != k) a(i, k) *= minusReciprocal;
    for (std::size_t j = 1; j <= n; ++j) {
      if (j == k) continue;
      const Real akj = a(k, j);
      for (std::size_t i = 1; i <= n; ++i)
        if (i != k) a(i, j) += a(i, k) * akj;
    }
    const Real reciprocal = 1.0 / pivot;
    for (std::size_t j = 1; j <= n; ++j)
      if (j != k) a(k, j) *= reciprocal;
    a(k, k) = reciprocal;
  }
  for (std::size_t k = n; k >= 1; --k) {
    const std::size_t l = rowOf[k - 1], m = columnOf[k - 1];
    if (l != k)
      for (std::size_t i = 1; i <= n; ++i) {
        const Real t = a(i, k);
        a(i, k) = -a(i, l);
        a(i, l) = t;
      }
    if (m != k)
      for (std::size_t j = 1; j <= n; ++j) {
        const Real t = a(k, j);
        a(k, j) = -a(m, j);
        a(m, j) = t;
      }
  }
  return true;
}

void copyBlock(const Real* from, std::size_t fromLd, Real* to, std::size_t toLd, std::size_t n) {
  for (std::size_t j = 0; j < n; ++j) std::copy(from + j * fromLd, from + j * fromLd + n, to + j * toLd);
}

// Closed-form inverses of orders 1 to 3 (no singular test).
void invertSmall(const ConstMatrix& a, const Matrix& b, std::size_t n) {
  if (n == 1) {
    b(1, 1) = 1.0 / a(1, 1);
    return;
  }
  if (n == 2) {
    const Real det = a(1, 1) * a(2, 2) - a(1, 2) * a(2, 1);
    b(1, 1) = a(2, 2) / det;
    b(2, 1) = -a(2, 1) / det;
    b(1, 2) = -a(1, 2) / det;
    b(2, 2) = a(1, 1) / det;
    return;
  }
  const Real c11 = a(2, 2) * a(3, 3) - a(2, 3) * a(3, 2);
  const Real c21 = a(2, 3) * a(3, 1) - a(2, 1) * a(3, 3);
  const Real c31 = a(2, 1) * a(3, 2) - a(2, 2) * a(3, 1);
  const Real det = a(1, 1) * c11 + a(1, 2) * c21 + a(1, 3) * c31;
  b(1, 1) = c11 / det;
  b(2, 1) = c21 / det;
  b(3, 1) = c31 / det;
  b(1, 2) = (a(1, 3) * a(3, 2) - a(1, 2) * a(3, 3)) / det;
  b(2, 2) = (a(1, 1) * a(3, 3) - a(1, 3) * a(3, 1)) / det;
  b(3, 2) = (a(1, 2) * a(3, 1) - a(1, 1) * a(3, 2)) / det;
  b(1, 3) = (a(1, 2) * a(2, 3) - a(1, 3) * a(2, 2)) / det;
  b(2, 3) = (a(1, 3) * a(2, 1) - a(1, 1) * a(2, 3)) / det;
  b(3, 3) = (a(1, 1) * a(2, 2) - a(1, 2) * a(2, 1)) / det;
}

// GAUSSJORDAN's pivot choice: the largest entry in the rows and columns not yet used. Returns
// false when a column was chosen twice or no entry qualifies.
bool choosePivot(const Matrix& a, std::size_t n, const Int* uses, std::size_t& row, std::size_t& column) {
  Real big = 0.0;
  row = column = 0;
  for (std::size_t j = 1; j <= n; ++j) {
    if (uses[j - 1] == 1) continue;
    for (std::size_t k = 1; k <= n; ++k) {
      if (uses[k - 1] > 1) return false;
      if (uses[k - 1] == 0 && std::fabs(a(j, k)) >= big) {
        big = std::fabs(a(j, k));
        row = j;
        column = k;
      }
    }
  }
  return row != 0;
}

void swapRows(const Matrix& a, std::size_t columns, std::size_t r1, std::size_t r2) {
  for (std::size_t j = 1; j <= columns; ++j) std::swap(a(r1, j), a(r2, j));
}

}  // namespace

extern "C" {

void AINVNDP(const Real* a, Real* ainv, const Int* n) {
  if (*n > static_cast<Int>(kMaxOrderNdp)) {
    reportFixed(kSystemError, "THE MATRIX INVERSION ROUTINE AINV CAN ONLYBE USED FOR MATRICES OF ORDER 30 OR LESS");
    return;
  }
  if (*n <= 0) return;
  const auto order = static_cast<std::size_t>(*n);
  if (order < 2) {
    ainv[0] = 1.0 / a[0];
    return;
  }
  std::copy(a, a + order * order, ainv);
  gaussJordanInPlace({ainv, order}, order, [](Real pivot) {
    if (std::fabs(pivot) > kSingularPivot) return SingularPivot::kGoOn;
    reportFixed(kError, "PROGRAM IS ASKED TO INVERT A SINGULAR  MATRIX");
    return SingularPivot::kStop;
  });
}

void AINVNOMESSAGE(const Real* a, Real* ainv, Real* det, const Int* n, Int* isign) {
  if (*n > static_cast<Int>(kMaxOrderNoMessage)) {
    reportFixed(kSystemError, "THE MATRIX INVERSION ROUTINE AINV CAN ONLY BE USED FOR MATRICES OF ORDER 10 OR LESS");
    return;
  }
  if (*n <= 0) return;
  const auto order = static_cast<std::size_t>(*n);
  if (order < 2) {
    *isign = 1;
    *det = a[0];
    if (a[0] == 0.0) {
      ainv[0] = a[0];
      *isign = 0;
    } else {
      ainv[0] = 1.0 / a[0];
      if (a[0] < 0.0) *isign = -1;
    }
    return;
  }
  std::copy(a, a + order * order, ainv);
  *det = 1.0;
  const bool completed = gaussJordanInPlace({ainv, order}, order, [det, isign](Real pivot) {
    if (std::fabs(pivot) <= kSingularPivot) return SingularPivot::kStop;
    *det *= pivot;
    *isign = *det >= 0.0 ? 1 : -1;
    return SingularPivot::kGoOn;
  });
  if (!completed) {
    *det = 0.0;
    *isign = 0;
  }
}

void AINVMXVARB(const Real* a, Real* ainv, const Int* n) {
  if (*n > static_cast<Int>(kMaxOrderMxvarb)) {
    reportFixed(kSystemError, "SYSTEM ERROR IN AINVMXVARB: THE ORDER OF THE MATRIX MAY NOT EXCEED 7");
    return;
  }
  if (*n <= 0) return;
  const auto order = static_cast<std::size_t>(*n);
  const Matrix inverse{ainv, kMxvarbLeadingDimension};
  if (order <= 3) {
    invertSmall({a, kMxvarbLeadingDimension}, inverse, order);
    return;
  }
  copyBlock(a, kMxvarbLeadingDimension, ainv, kMxvarbLeadingDimension, order);
  // A singular pivot is reported and the elimination goes on; callers get no failure flag.
  gaussJordanInPlace(inverse, order, [](Real pivot) {
    if (std::fabs(pivot) < kSingularPivot) reportFixed(kWarning, "PROGRAM IS ASKED TO INVERT A SINGULAR MATRIX");
    return SingularPivot::kGoOn;
  });
}

void GAUSSJORDAN(Real* a, const Int* n, const Int* np, Real* b, const Int* m, Int* ierr) {
  *ierr = 0;
  if (*n > static_cast<Int>(kMaxOrderSolver)) {
    reportFixed(kSystemError, "THE GAUSS-JORDAN SOLVER GAUSSJORDAN CAN ONLY BE USED FOR MATRICES OF ORDER 50 OR LESS");
    *ierr = -1;
    return;
  }
  if (*n <= 0) return;
  const auto order = static_cast<std::size_t>(*n);
  const auto rhs = static_cast<std::size_t>(std::max<Int>(*m, 0));
  const Matrix am{a, static_cast<std::size_t>(*np)}, bm{b, static_cast<std::size_t>(*np)};
  Int uses[kMaxOrderSolver] = {};
  std::size_t rowOf[kMaxOrderSolver], columnOf[kMaxOrderSolver];
  for (std::size_t stage = 0; stage < order; ++stage) {
    std::size_t row, column;
    if (!choosePivot(am, order, uses, row, column)) {
      *ierr = -1;
      return;
    }
    ++uses[column - 1];
    if (row != column) {
      swapRows(am, order, row, column);
      swapRows(bm, rhs, row, column);
    }
    rowOf[stage] = row;
    columnOf[stage] = column;
    if (std::fabs(am(column, column)) <= kSingularPivot) {
      *ierr = -1;
      return;
    }
    const Real reciprocal = 1.0 / am(column, column);
    am(column, column) = 1.0;
    for (std::size_t j = 1; j <= order; ++j) am(column, j) *= reciprocal;
    for (std::size_t j = 1; j <= rhs; ++j) bm(column, j) *= reciprocal;
    for (std::size_t ll = 1; ll <= order; ++ll) {
      if (ll == column) continue;
      const Real factor = am(ll, column);
      am(ll, column) = 0.0;
      for (std::size_t j = 1; j <= order; ++j) am(ll, j) -= am(column, j) * factor;
      for (std::size_t j = 1; j <= rhs; ++j) bm(ll, j) -= bm(column, j) * factor;
    }
  }
  for (std::size_t stage = order; stage-- > 0;) {
    if (rowOf[stage] == columnOf[stage]) continue;
    for (std::size_t k = 1; k <= order; ++k) std::swap(am(k, rowOf[stage]), am(k, columnOf[stage]));
  }
}

void AINVLT(const Real* a, Real* ainv, const Int* n) {
  // Packed lower triangle by rows: element (i, j), j <= i, at i(i-1)/2 + j.
  const auto at = [](std::size_t i, std::size_t j) { return i * (i - 1) / 2 + j - 1; };
  const auto order = static_cast<std::size_t>(std::max<Int>(*n, 0));
  for (std::size_t i = order; i >= 1; --i) {
    ainv[at(i, i)] = 1.0 / a[at(i, i)];
    for (std::size_t j = i - 1; j >= 1; --j) {
      Real sum = 0.0;
      for (std::size_t k = j + 1; k <= i; ++k) sum += ainv[at(i, k)] * a[at(k, j)];
      ainv[at(i, j)] = -sum / a[at(j, j)];
    }
  }
}

void ADEC1(Real* a, const Int* n, Real* d, Int* iflag, Int* nneg) {
  // Packed upper triangle by columns: element (i, j), i <= j, at j(j-1)/2 + i.
  const auto at = [](std::size_t i, std::size_t j) { return j * (j - 1) / 2 + i - 1; };
  const auto order = static_cast<std::size_t>(std::max<Int>(*n, 0));
  for (std::size_t k = 1; k <= order; ++k) {
    Real pivot = a[at(k, k)];
    if (std::fabs(pivot) < kSingularPivot) pivot = kSingularPivot;
    for (std::size_t i = 1; i <= order; ++i) d[i - 1] = i <= k ? a[at(i, k)] : a[at(k, i)];
    for (std::size_t j = k + 1; j <= order; ++j) {
      const Real factor = a[at(k, j)] / pivot;
      for (std::size_t i = k + 1; i <= j; ++i) a[at(i, j)] -= factor * d[i - 1];
    }
  }
  for (std::size_t i = 1; i <= order; ++i) {
    d[i - 1] = a[at(i, i)];
    iflag[i - 1] = d[i - 1] <= kSingularPivot ? 1 : 0;
    *nneg += iflag[i - 1];
  }
}

}  // extern "C"
