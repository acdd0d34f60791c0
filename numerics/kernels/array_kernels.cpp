// Small vector and matrix kernels over 1-based, column-major arrays. A count below 1 leaves
// everything unchanged. The single/double conversions go through memcpy so that the in-place
// forms (a single-precision array sharing storage with a double-precision one) stay defined.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "numerics/kernels/kernel_support.h"
#include "siblings/eqc/eqc_messages.h"
#include "zmx/numerics.h"

using zmx_numerics::count;

namespace {

constexpr std::size_t kVarbDimension = 7;   // leading dimension of the MXVARB matrices
constexpr float kSingleLimit = 1.0e36f;      // nearest single-precision value to 1e36

// Order of an MXVARB matrix; an order above 7 does not fit the storage, is reported with the
// routine's text and changes nothing.
std::size_t varbOrder(const Int* n, const char* orderTooLarge) {
  const std::size_t order = count(n);
  if (order > kVarbDimension) {
    cfi_WriteMessage(-3, orderTooLarge);
    return 0;
  }
  return order;
}

inline std::size_t packed(std::size_t i, std::size_t j) { return i + j * (j + 1) / 2; }  // 0-based, i <= j

float toSingle(Real value) {
  if (value > 1.0e36) return kSingleLimit;
  if (value < -1.0e36) return -kSingleLimit;
  return static_cast<float>(value);
}

void readSingle(const void* base, std::size_t k, float& value) {
  std::memcpy(&value, static_cast<const char*>(base) + k * sizeof(float), sizeof value);
}

void writeDouble(void* base, std::size_t k, Real value) {
  std::memcpy(static_cast<char*>(base) + k * sizeof(Real), &value, sizeof value);
}

// Full symmetric n x n with leading dimension ld from the packed upper triangle.
void unpackSymmetric(const Real* packedUpper, Real* full, std::size_t n, std::size_t ld) {
  for (std::size_t j = 0; j < n; ++j)
    for (std::size_t i = 0; i <= j; ++i) {
      const Real value = packedUpper[packed(i, j)];
      full[i + j * ld] = value;
      full[j + i * ld] = value;
    }
}

}  // namespace

extern "C" {

// ---- Vector and copy kernels --------------------------------------------------------------------

void AADD(const Real* a, const Real* b, Real* c, const Int* n) {
  const std::size_t m = count(n);
  for (std::size_t i = 0; i < m; ++i) c[i] = a[i] + b[i];
}

void ASUB(const Real* a, const Real* b, Real* c, const Int* n) {
  const std::size_t m = count(n);
  for (std::size_t i = 0; i < m; ++i) c[i] = a[i] - b[i];
}

void AADDII(const Int* a, const Int* b, Int* c, const Int* n) {
  const std::size_t m = count(n);
  for (std::size_t i = 0; i < m; ++i) c[i] = a[i] + b[i];
}

void AMAXII(const Int* a, Int* b, const Int* n) {
  const std::size_t m = count(n);
  for (std::size_t i = 0; i < m; ++i) b[i] = std::max(a[i], b[i]);
}

void VECTORMINUS(const Real* a, const Real* b, Real* c, const Int* n, const Real* scale) {
  const std::size_t m = count(n);
  Real squares = 0.0;
  for (std::size_t i = 0; i < m; ++i) {
    c[i] = a[i] - b[i];
    squares += c[i] * c[i];
  }
  if (m > 0 && std::sqrt(squares) <= 0.01 * *scale) std::fill_n(c, m, 0.0);
}

void IDENTITYVEC(Int* a, const Int* n) {
  const std::size_t m = count(n);
  for (std::size_t i = 0; i < m; ++i) a[i] = static_cast<Int>(i + 1);
}

void ACOMP(const void* a, const void* b, Int* equal) { *equal = std::memcmp(a, b, 8) == 0 ? 1 : 0; }

void ACOPSD(const float* s, Real* d, const Int* n) {
  const std::size_t m = count(n);
  for (std::size_t i = 0; i < m; ++i) {
    float value;
    readSingle(s, i, value);
    writeDouble(d, i, value);
  }
}

void ACONFD(const float* s, Real* d, const Int* n) {
  // Last to first: when s sits at the start of d, every single value is read before the
  // double written over it.
  for (std::size_t i = count(n); i-- > 0;) {
    float value;
    readSingle(s, i, value);
    writeDouble(d, i, value);
  }
}

void ACOPDS(const Real* d, float* s, const Int* n) {
  const std::size_t m = count(n);
  for (std::size_t i = 0; i < m; ++i) {
    Real value;
    std::memcpy(&value, reinterpret_cast<const char*>(d) + i * sizeof(Real), sizeof value);
    const float single = toSingle(value);
    std::memcpy(reinterpret_cast<char*>(s) + i * sizeof(float), &single, sizeof single);
  }
}

void ACOP2TO1(const Real* a, const Int* ld, const Int* m, const Int* n, Real* b) {
  const std::size_t rows = count(m), columns = count(n), lda = count(ld);
  for (std::size_t j = 0; j < columns; ++j)
    for (std::size_t i = 0; i < rows; ++i) b[i + j * rows] = a[i + j * lda];
}

void SHR_ACOPII1(const Int* a, Int* b, const Int* n) {
  const std::size_t m = count(n);
  if (m > 0 && a != b) std::memmove(b, a, m * sizeof(Int));
}

void SHR_ACOPII2(const Int* a, const Int* k, Int* b, const Int* n) {
  const std::size_t m = count(n);
  for (std::size_t i = 0; i < m; ++i) b[i] = a[*k + static_cast<long long>(i)];
}

void ATRA(const Real* a, Real* b, const Int* n, const Int* m) {
  const std::size_t rows = count(n), columns = count(m);
  if (rows == 0 || columns == 0) return;
  const std::size_t total = rows * columns;
  if (a + total <= b || b + total <= a) {
    for (std::size_t j = 0; j < columns; ++j)
      for (std::size_t i = 0; i < rows; ++i) b[j + i * columns] = a[i + j * rows];
    return;
  }
  // Shared storage: bring a to b's place, then transpose there by following the cycles of the
  // permutation, each from its smallest position, so that no work array is needed.
  if (a != b) std::memmove(b, a, total * sizeof(Real));
  const auto target = [rows, columns](std::size_t p) { return p / rows + (p % rows) * columns; };
  for (std::size_t start = 0; start < total; ++start) {
    std::size_t p = target(start);
    while (p > start) p = target(p);
    if (p < start) continue;  // the cycle was moved from a smaller position
    Real carried = b[start];
    for (p = target(start); p != start; p = target(p)) std::swap(carried, b[p]);
    b[start] = carried;
  }
}

// ---- Products -----------------------------------------------------------------------------------

void SHR_APRD1(const Real* a, const Real* b, Real* s, const Int* n) {
  const std::size_t m = count(n);
  if (m == 0) return;
  Real sum = 0.0;
  for (std::size_t i = 0; i < m; ++i) sum += a[i] * b[i];
  *s = sum;
}

void ADOT3(const Real* a, const Real* b, Real* s) { *s = a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void APRDP1(const Real* A, const Real* x, Real* y, const Int* n) {
  const std::size_t m = count(n);
  if (m == 0) return;
  zmx_numerics::matrixVector(A, m, x, y, m, m);
}

void SHR_APRDC(Real* y, const Real* A, const Real* x, const Real* c, const Int* n) {
  const std::size_t m = count(n);
  const Real factor = *c;
  for (std::size_t i = 0; i < m; ++i) {
    Real sum = 0.0;
    for (std::size_t j = 0; j < m; ++j) sum += A[i + j * m] * x[j];
    y[i] += factor * sum;
  }
}

void SHR_APRDTC(Real* y, const Real* A, const Real* x, const Real* c, const Int* n) {
  const std::size_t m = count(n);
  const Real factor = *c;
  for (std::size_t i = 0; i < m; ++i) {
    Real sum = 0.0;
    for (std::size_t j = 0; j < m; ++j) sum += A[i <= j ? packed(i, j) : packed(j, i)] * x[j];
    y[i] += factor * sum;
  }
}

void AMPVMXVARB(const Real* A, const Real* x, Real* y, const Int* n) {
  const std::size_t m = varbOrder(n, "SYSTEM ERROR IN AMPVMXVARB - ORDER ABOVE 7");
  if (m == 0) return;
  zmx_numerics::matrixVector(A, kVarbDimension, x, y, m, m);
}

void AVPMMXVARB(const Real* A, const Real* x, Real* y, const Int* n) {
  const std::size_t m = varbOrder(n, "SYSTEM ERROR IN AVPMMXVARB - ORDER ABOVE 7");
  Real result[kVarbDimension];
  for (std::size_t j = 0; j < m; ++j) {
    Real sum = 0.0;
    for (std::size_t i = 0; i < m; ++i) sum += A[i + j * kVarbDimension] * x[i];
    result[j] = sum;
  }
  std::copy_n(result, m, y);
}

void APRDMXVARB(const Real* A, const Real* B, Real* G, const Int* n) {
  const std::size_t m = varbOrder(n, "SYSTEM ERROR IN APRDMXVARB - ORDER ABOVE 7");
  Real result[kVarbDimension * kVarbDimension];
  for (std::size_t j = 0; j < m; ++j)
    for (std::size_t i = 0; i < m; ++i) {
      Real sum = 0.0;
      for (std::size_t k = 0; k < m; ++k) sum += A[i + k * kVarbDimension] * B[k + j * kVarbDimension];
      result[i + j * kVarbDimension] = sum;
    }
  for (std::size_t j = 0; j < m; ++j) std::copy_n(result + j * kVarbDimension, m, G + j * kVarbDimension);
}

void SHR_MATRIXMULT(const Real* A, const Real* B, Real* G, const Int* ldc) {
  const std::size_t ld = count(ldc);
  for (std::size_t j = 0; j < 3; ++j)
    for (std::size_t i = 0; i < 3; ++i)
      G[i + j * ld] += A[i] * B[3 * j] + A[i + 3] * B[1 + 3 * j] + A[i + 6] * B[2 + 3 * j];
}

void ADYAD3(const Real* a, const Real* b, Real* G) {
  for (std::size_t j = 0; j < 3; ++j)
    for (std::size_t i = 0; i < 3; ++i) G[i + 3 * j] += a[i] * b[j];
}

void ADET33(const Real* A, Real* d) {
  // Sarrus: the three down-right diagonals less the three up-right ones.
  *d = A[0] * A[4] * A[8] + A[3] * A[7] * A[2] + A[6] * A[1] * A[5] - A[2] * A[4] * A[6] - A[5] * A[7] * A[0] -
       A[8] * A[1] * A[3];
}

void ATTOSC(const Real* P, Real* F, const Int* n) {
  const std::size_t m = count(n);
  unpackSymmetric(P, F, m, m);
}

void ATTOSCMXVARB(Real* A, const Int* n) {
  const std::size_t m = varbOrder(n, "SYSTEM ERROR IN ATTOSCMXVARB - ORDER ABOVE 7");
  // The packed triangle and the full matrix share the start of A: unpack from a copy.
  Real packedCopy[kVarbDimension * (kVarbDimension + 1) / 2];
  std::copy_n(A, m * (m + 1) / 2, packedCopy);
  unpackSymmetric(packedCopy, A, m, kVarbDimension);
}

// ---- Low-rank updates ---------------------------------------------------------------------------

void SHR_PRODRRANK(Real* G, const Real* A, const Real* B, const Int* m, const Int* k, const Int* p) {
  const std::size_t rows = count(m), columns = count(k), order = count(p);
  for (std::size_t l = 0; l < columns; ++l)
    for (std::size_t j = 0; j < order; ++j) {
      Real sum = 0.0;
      for (std::size_t i = 0; i < rows; ++i) sum += A[i + l * rows] * B[i + j * rows];
      G[j + l * order] += sum;
    }
}

void SHR_SUBRRANK(Real* A, const Real* B, const Real* G, const Int* m, const Int* k, const Int* p) {
  const std::size_t rows = count(m), columns = count(k), order = count(p);
  for (std::size_t l = 0; l < columns; ++l)
    for (std::size_t j = 0; j < order; ++j) {
      const Real g = G[j + l * order];
      for (std::size_t i = 0; i < rows; ++i) A[i + l * rows] -= B[i + j * rows] * g;
    }
}

void SHR_SUBURANK(Real* A, const Real* B, const Real* U, const Int* m, const Int* n) {
  const std::size_t rows = count(m), order = count(n);
  for (std::size_t l = 0; l < order; ++l)
    for (std::size_t j = 0; j <= l; ++j) {
      const Real u = U[packed(j, l)];
      for (std::size_t i = 0; i < rows; ++i) A[i + l * rows] -= B[i + j * rows] * u;
    }
}

void SHR_SUBLRANK(Real* A, const Real* B, const Real* U, const Int* m, const Int* n) {
  const std::size_t rows = count(m), order = count(n);
  for (std::size_t l = 0; l < order; ++l)
    for (std::size_t j = l; j < order; ++j) {
      const Real u = U[packed(l, j)];
      for (std::size_t i = 0; i < rows; ++i) A[i + l * rows] -= B[i + j * rows] * u;
    }
}

void SHR_SYMPRODRANK(Real* S, const Real* A, const Real* B, const Int* m, const Int* n) {
  const std::size_t rows = count(m), order = count(n);
  // Columns c of A three at a time, so that each column of B is read once per group.
  std::size_t c = 0;
  for (; c + 3 <= order; c += 3) {
    const Real* a0 = A + c * rows;
    const Real* a1 = a0 + rows;
    const Real* a2 = a1 + rows;
    for (std::size_t r = 0; r <= c + 2; ++r) {
      const Real* b = B + r * rows;
      Real s0 = 0.0, s1 = 0.0, s2 = 0.0;
      for (std::size_t i = 0; i < rows; ++i) {
        s0 += b[i] * a0[i];
        s1 += b[i] * a1[i];
        s2 += b[i] * a2[i];
      }
      if (r <= c) S[packed(r, c)] += s0;
      if (r <= c + 1) S[packed(r, c + 1)] += s1;
      S[packed(r, c + 2)] += s2;
    }
  }
  for (; c < order; ++c)
    for (std::size_t r = 0; r <= c; ++r) {
      Real sum = 0.0;
      for (std::size_t i = 0; i < rows; ++i) sum += B[i + r * rows] * A[i + c * rows];
      S[packed(r, c)] += sum;
    }
}

// ---- Tensor, normalising and conversion routines ------------------------------------------------

void ANORML(Real* v, const Int* n, Real* s, Int* flag) {
  const std::size_t m = count(n);
  if (m == 0) return;  // no vector: s and the flag stay as they are
  Real squares = 0.0;
  for (std::size_t i = 0; i < m; ++i) squares += v[i] * v[i];
  if (squares >= 1.0e-36) {
    *s = 1.0 / std::sqrt(squares);
    for (std::size_t i = 0; i < m; ++i) v[i] *= *s;
    *flag = 0;
  } else {
    *s = 1.0;
    *flag = 1;
  }
}

void ADNORM(const Real* e, Real* v, const Real* f, const Int* n) {
  const std::size_t m = count(n);
  Real along = 0.0;
  for (std::size_t i = 0; i < m; ++i) along += e[i] * v[i];
  for (std::size_t i = 0; i < m; ++i) v[i] = (v[i] - along * e[i]) * *f;
}

void S3SET(const Real* s, Real* T, const Int* ndi, const Int* nshr) {
  std::fill_n(T, 9, 0.0);
  const Int direct = std::clamp<Int>(*ndi, 0, 3);
  for (Int i = 0; i < direct; ++i) T[4 * i] = s[i];
  if (direct == 2) T[8] = -(s[0] + s[1]);
  if (direct == 1) T[4] = T[8] = -s[0] / 2.0;
  // Shear k goes to (1,2), (1,3), (2,3) and their mirror places.
  static constexpr int kUpper[3] = {3, 6, 7};
  static constexpr int kLower[3] = {1, 2, 5};
  const Int shears = std::clamp<Int>(*nshr, 0, 3);
  for (Int k = 0; k < shears; ++k) T[kUpper[k]] = T[kLower[k]] = s[direct + k];
}

void S3PROD(const Real* s, Real* d, const Int* ndi, const Int* nshr) {
  Real T[9];
  S3SET(s, T, ndi, nshr);
  Real trace = 0.0, largest = 0.0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      largest = std::max(largest, std::fabs(T[i + 3 * j]));
      for (int k = 0; k < 3; ++k) trace += T[i + 3 * j] * T[j + 3 * k] * T[k + 3 * i];
    }
  *d = std::fabs(trace) <= 2.22e-13 * largest ? 0.0 : trace;
}

void SHR_MSAMPH(Real* a, Real* b, const Int* n) {
  constexpr Real kTiny = 2.22e-16;
  constexpr Real kDegrees = 57.29577951308232;
  const std::size_t m = count(n);
  for (std::size_t i = 0; i < m; ++i) {
    const Real re = a[i], im = b[i];
    const Real largest = std::max(std::fabs(re), std::fabs(im));
    if (largest < kTiny) {
      a[i] = b[i] = 0.0;
      continue;
    }
    const Real x = re / largest, y = im / largest;
    if (std::fabs(x) >= kTiny && std::fabs(y) >= kTiny) {
      a[i] = largest * std::sqrt(x * x + y * y);
      b[i] = std::atan2(im, re) * kDegrees;
    } else if (std::fabs(x) < kTiny) {
      a[i] = largest;
      b[i] = im >= 0.0 ? 90.0 : -90.0;
    } else {
      a[i] = largest;
      b[i] = re >= 0.0 ? 0.0 : 180.0;
    }
  }
}

}  // extern "C"
