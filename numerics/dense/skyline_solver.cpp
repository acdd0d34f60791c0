// Symmetric positive-definite equations in skyline (active-column) storage: L D L^T factorisation
// in place and the solution with the factors.

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "numerics/dense/matrix_view.h"
#include "numerics/kernels/numerics_report.h"
#include "zmx/numerics.h"

namespace {

using namespace zmx::numerics;

constexpr Real kSingularPivot = 1.0e-36;
constexpr Int kFactorise = 1;
constexpr Int kSolve = 2;

// Position (1-based) of each diagonal in the packed columns: column n holds its diagonal at
// maxa(n) followed by the entries above it in upward order.
struct Skyline {
  Vector a;
  VectorOf<const Int> maxa;
  std::size_t diagonal(std::size_t n) const { return static_cast<std::size_t>(maxa[n]); }
  std::size_t height(std::size_t n) const { return diagonal(n + 1) - diagonal(n) - 1; }
};

// Dot product of `count` consecutive entries starting after the positions first and second,
// summed in two interleaved halves so that the machine can add two products at a time.
Real dotAfter(const Vector& a, std::size_t first, std::size_t second, std::size_t count) {
  using Pair = Real __attribute__((vector_size(16)));
  const Real* x = &a[first + 1];
  const Real* y = &a[second + 1];
  Pair sums = {0.0, 0.0};
  std::size_t l = 0;
  for (; l + 2 <= count; l += 2) {
    Pair u, v;
    std::memcpy(&u, x + l, sizeof u);
    std::memcpy(&v, y + l, sizeof v);
    sums += u * v;
  }
  Real sum = sums[0] + sums[1];
  for (; l < count; ++l) sum += x[l] * y[l];
  return sum;
}

void factorise(const Skyline& s, std::size_t nn) {
  for (std::size_t n = 1; n <= nn; ++n) {
    const std::size_t kn = s.diagonal(n), kl = kn + 1, ku = s.diagonal(n + 1) - 1;
    const auto kh = static_cast<std::ptrdiff_t>(ku) - static_cast<std::ptrdiff_t>(kl);
    if (kh > 0) {
      std::size_t k = n - static_cast<std::size_t>(kh), klt = ku;
      for (std::size_t ic = 1; ic <= static_cast<std::size_t>(kh); ++ic, ++k) {
        --klt;
        const std::size_t ki = s.diagonal(k), nd = s.height(k);
        if (nd > 0) s.a[klt] -= dotAfter(s.a, ki, klt, std::min(ic, nd));
      }
    }
    if (kh >= 0) {
      std::size_t k = n;
      Real b = 0.0;
      for (std::size_t kk = kl; kk <= ku; ++kk) {
        --k;
        const Real c = s.a[kk] / s.a[s.diagonal(k)];
        b += c * s.a[kk];
        s.a[kk] = c;
      }
      s.a[kn] -= b;
    }
    if (s.a[kn] <= kSingularPivot)
      reportFixed(kSystemError,
                  "NON POSITIVE DEFINITE MATRIX IN A CAVITY RADIATION ELEMENT. THIS MAY OCCUR FOR INADEQUATELY FINE "
                  "MESHES, OR FOR RADIATING SURFACES WHICH ARE TOO CLOSE TO EACH OTHER. CHECK MODEL MESH OR GEOMETRY. "
                  "FOR VERY CLOSE SURFACES, THE GAP RADIATION OPTION IS MORE APPROPRIATE.");
  }
}

void solve(const Skyline& s, const Vector& v, std::size_t nn) {
  for (std::size_t n = 1; n <= nn; ++n) {
    const std::size_t kl = s.diagonal(n) + 1, ku = s.diagonal(n + 1) - 1;
    Real sum = 0.0;
    std::size_t k = n;
    for (std::size_t kk = kl; kk <= ku; ++kk) sum += s.a[kk] * v[--k];
    v[n] -= sum;
  }
  for (std::size_t n = 1; n <= nn; ++n) v[n] /= s.a[s.diagonal(n)];
  for (std::size_t n = nn; n >= 2; --n) {
    const std::size_t kl = s.diagonal(n) + 1, ku = s.diagonal(n + 1) - 1;
    const Real vn = v[n];
    std::size_t k = n;
    for (std::size_t kk = kl; kk <= ku; ++kk) v[--k] -= s.a[kk] * vn;
  }
}

}  // namespace

extern "C" {

void COLSOL(Real* a, Real* v, const Int* maxa, const Int* nn, const Int* /*nwk*/, const Int* jop) {
  if (*jop != kFactorise && *jop != kSolve) {
    reportFixed(kSystemError, "SYSTEM ERROR IN SOLVER ROUTINE COLSOL. OPERATOR FLAG JOP MUST BE 1 OR 2.");
    return;
  }
  const Skyline s{{a}, {maxa}};
  const auto order = static_cast<std::size_t>(std::max<Int>(*nn, 0));
  if (*jop == kFactorise)
    factorise(s, order);
  else
    solve(s, {v}, order);
}

}  // extern "C"
