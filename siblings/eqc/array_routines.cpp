// Array routines of the eqc stand-in.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numeric>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/eqc_arrays.h"

namespace {

// The count of a call; a missing or negative count does nothing.
std::size_t count(const Int* n) { return n != nullptr && *n > 0 ? static_cast<std::size_t>(*n) : 0; }

Int roundToInt(Real value) {
  if (std::isnan(value)) return 0;
  constexpr Real kHighest = std::numeric_limits<Int>::max();
  constexpr Real kLowest = std::numeric_limits<Int>::min();
  if (value >= kHighest) return std::numeric_limits<Int>::max();
  if (value <= kLowest) return std::numeric_limits<Int>::min();
  return static_cast<Int>(std::lround(value));
}

// The integer of one slot: the low word when the high word only carries it (0, or the sign
// extension of a negative low word); otherwise the slot is a real and its value is taken.
// A real whose high word is 0 is +0 or a subnormal number, neither of which a caller stores.
Int slotInteger(const void* slots, std::size_t k) {
  std::uint64_t bits;
  std::memcpy(&bits, static_cast<const char*>(slots) + 8 * k, sizeof bits);
  const auto low = static_cast<std::uint32_t>(bits);
  const auto high = static_cast<std::uint32_t>(bits >> 32);
  const bool negativeLow = (low & 0x80000000u) != 0;
  if (high == 0 || (high == 0xFFFFFFFFu && negativeLow)) return static_cast<Int>(low);
  Real value;
  std::memcpy(&value, &bits, sizeof value);
  return roundToInt(value);
}

void readSlots(const void* slots, Int* to, const Int* n) {
  const std::size_t m = count(n);
  for (std::size_t k = 0; k < m; ++k) to[k] = slotInteger(slots, k);
}

bool overlaps(const void* a, std::size_t aBytes, const void* b, std::size_t bBytes) {
  const auto x = reinterpret_cast<std::uintptr_t>(a);
  const auto y = reinterpret_cast<std::uintptr_t>(b);
  return x < y + bBytes && y < x + aBytes;
}

void multiply(const Real* a, const Real* b, Real* c, std::size_t l, std::size_t m, std::size_t n) {
  for (std::size_t j = 0; j < n; ++j) {
    Real* cj = c + j * l;
    std::fill(cj, cj + l, 0.0);
    for (std::size_t k = 0; k < m; ++k) {
      const Real bkj = b[k + j * m];
      const Real* ak = a + k * l;
      for (std::size_t i = 0; i < l; ++i) cj[i] += ak[i] * bkj;
    }
  }
}

// Sorts positions 0..n-1 by the key and applies the order to a and b.
template <class Less>
void sortPairs(Int* a, Int* b, std::size_t n, Less less) {
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), less);
  std::vector<Int> sortedA(n), sortedB(n);
  for (std::size_t k = 0; k < n; ++k) {
    sortedA[k] = a[order[k]];
    sortedB[k] = b[order[k]];
  }
  std::copy(sortedA.begin(), sortedA.end(), a);
  std::copy(sortedB.begin(), sortedB.end(), b);
}

}  // namespace

extern "C" {

void ACOPY(const Real* from, Real* to, const Int* n) {
  const std::size_t m = count(n);
  if (m > 0 && from != to) std::memmove(to, from, m * sizeof(Real));
}

void ACOPII(const Int* from, Int* to, const Int* n) {
  const std::size_t m = count(n);
  if (m > 0 && from != to) std::memmove(to, from, m * sizeof(Int));
}

void ASET(Real* a, const Real* value, const Int* n) { std::fill_n(a, count(n), *value); }

void ASETI(Int* a, const Int* value, const Int* n) { std::fill_n(a, count(n), *value); }

void ASETDI(void* slots, const Int* value, const Int* n) {
  const std::size_t m = count(n);
  for (std::size_t k = 1; k <= m; ++k) rec::setSlotI(slots, static_cast<long long>(k), *value);
}

void ACOPDI(const void* slots, Int* to, const Int* n) { readSlots(slots, to, n); }

void ACOPDJ(const void* slots, Int* to, const Int* n) { readSlots(slots, to, n); }

void ACOPID(const Int* from, Real* to, const Int* n) {
  const std::size_t m = count(n);
  // Backwards, so that integers held at the start of the same array are not overwritten
  // before they are read.
  for (std::size_t k = m; k-- > 0;) {
    const Int value = from[k];
    to[k] = static_cast<Real>(value);
  }
}

void ACOPJD(const Int* from, void* slots, const Int* n) {
  const std::size_t m = count(n);
  for (std::size_t k = m; k >= 1; --k) {
    const Int value = from[k - 1];
    rec::setSlotI(slots, static_cast<long long>(k), value);
  }
}

void ANORM(Real* v, const Int* n, Int* status) {
  const std::size_t m = count(n);
  *status = 0;
  // Scale by the largest component so that neither tiny nor huge vectors under- or overflow.
  Real largest = 0.0;
  for (std::size_t k = 0; k < m; ++k) largest = std::max(largest, std::fabs(v[k]));
  if (!(largest > 0.0)) {
    *status = 1;
    return;
  }
  Real sum = 0.0;
  for (std::size_t k = 0; k < m; ++k) {
    const Real scaled = v[k] / largest;
    sum += scaled * scaled;
  }
  if (!std::isfinite(sum)) {  // a NaN or infinite component
    *status = 1;
    return;
  }
  const Real factor = 1.0 / (largest * std::sqrt(sum));
  for (std::size_t k = 0; k < m; ++k) v[k] *= factor;
}

void AXPRD(const Real* a, const Real* b, Real* c) {
  const Real x = a[1] * b[2] - a[2] * b[1];
  const Real y = a[2] * b[0] - a[0] * b[2];
  const Real z = a[0] * b[1] - a[1] * b[0];
  c[0] = x;
  c[1] = y;
  c[2] = z;
}

void APRD(const Real* a, const Real* b, Real* c, const Int* l, const Int* m, const Int* n) {
  const std::size_t rows = count(l), inner = count(m), columns = count(n);
  if (rows == 0 || columns == 0) return;
  const std::size_t cBytes = rows * columns * sizeof(Real);
  if (overlaps(c, cBytes, a, rows * inner * sizeof(Real)) || overlaps(c, cBytes, b, inner * columns * sizeof(Real))) {
    std::vector<Real> product(rows * columns);
    multiply(a, b, product.data(), rows, inner, columns);
    std::copy(product.begin(), product.end(), c);
    return;
  }
  multiply(a, b, c, rows, inner, columns);
}

void AMULT(const Real* a, const Real* s, Real* b, const Int* n) {
  const std::size_t m = count(n);
  const Real factor = *s;
  for (std::size_t k = 0; k < m; ++k) b[k] = factor * a[k];
}

void ALOCAL(Real* frame) {
  const Real* normal = frame + 6;
  // Start from the global axis least aligned with the normal and make it orthogonal.
  std::size_t axis = 0;
  for (std::size_t k = 1; k < 3; ++k)
    if (std::fabs(normal[k]) < std::fabs(normal[axis])) axis = k;
  Real t1[3] = {0.0, 0.0, 0.0};
  t1[axis] = 1.0;
  const Real along = normal[axis];
  for (std::size_t k = 0; k < 3; ++k) t1[k] -= along * normal[k];
  const Int three = 3;
  Int status = 0;
  ANORM(t1, &three, &status);
  Real t2[3];
  AXPRD(normal, t1, t2);
  std::copy(t1, t1 + 3, frame);
  std::copy(t2, t2 + 3, frame + 3);
}

void BCU_COPY(const void* from, void* to, const Int* n) {
  const std::size_t m = count(n);
  if (m > 0 && from != to) std::memmove(to, from, 8 * m);
}

void BCU_COPYOVERLAP(const void* a, void* b, const Int* n) {
  const std::size_t m = count(n);
  if (m > 0 && a != b) std::memmove(b, a, 8 * m);
}

void BCU_COMP_BLANK(const void* value, Int* flag) {
  const auto* bytes = static_cast<const unsigned char*>(value);
  *flag = std::all_of(bytes, bytes + 8, [](unsigned char c) { return c == ' ' || c == 0; }) ? 1 : 0;
}

void BCU_SORTINT1(Int* a, const Int* n) { std::sort(a, a + count(n)); }

void BCU_SORTINT2(Int* a, Int* b, const Int* n) {
  sortPairs(a, b, count(n), [a](std::size_t x, std::size_t y) { return a[x] < a[y]; });
}

void BCU_SORTCOMPINT2(Int* a, Int* b, const Int* n) {
  sortPairs(a, b, count(n), [a, b](std::size_t x, std::size_t y) { return a[x] != a[y] ? a[x] < a[y] : b[x] < b[y]; });
}

}  // extern "C"
