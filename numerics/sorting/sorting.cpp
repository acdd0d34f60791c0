// Sorts of keys with companion arrays: quicksort for real keys, heapsort for integer keys, the
// small fixed sorts of three values, the magnitude sort and the packing integer sorts.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>
#include <string_view>

#include "numerics/kernels/numerics_report.h"
#include "numerics/sorting/sort_entries.h"
#include "siblings/eqc/eqc_arrays.h"
#include "zmx/numerics.h"

namespace zmx::numerics {
namespace {

using Index = std::ptrdiff_t;

std::size_t entryCount(const Int* n) { return *n > 0 ? static_cast<std::size_t>(*n) : 0; }

// Ranges of at most this many entries less one are finished by straight insertion.
constexpr Index kInsertionSpan = 10;
// Ranges from this many entries on are split by the branch-free partition.
constexpr Index kBranchlessSpan = 32;
// A split whose smaller side holds less than this share of the range is redone.
constexpr Index kLopsidedShare = 16;
// The stack of pending ranges; the larger part is always the one pushed, so log2 n entries suffice.
constexpr int kMaxPendingRanges = 50;

// Straight insertion of [lo, hi]; equal keys keep their order. Left of a range inside the array
// lies the pivot that bounded it, no greater than any of its keys, which stops the shifting
// without a bounds test.
template <class Entries>
void insertionSort(Entries& e, Index lo, Index hi) {
  for (Index k = lo + 1; k <= hi; ++k) {
    if (!(e.key(k - 1) > e.key(k))) continue;
    e.hold(k);
    const auto key = e.heldKey();
    Index j = k - 1;
    if (lo > 0) {
      while (e.key(j) > key) {
        e.move(j, j + 1);
        --j;
      }
    } else {
      while (j >= lo && e.key(j) > key) {
        e.move(j, j + 1);
        --j;
      }
    }
    e.putHeld(j + 1);
  }
}

// Puts the smallest of the keys at lo, mid, hi at lo, the median at mid and the largest at hi.
template <class Entries>
void orderThree(Entries& e, Index lo, Index mid, Index hi) {
  if (e.key(mid) < e.key(lo)) e.swap(lo, mid);
  if (e.key(hi) < e.key(mid)) {
    e.swap(mid, hi);
    if (e.key(mid) < e.key(lo)) e.swap(lo, mid);
  }
}

// Splits [lo, hi] around the median of three; returns the pivot's final position. The pivot is
// held aside and a hole moves between the two scans, so each entry is written once per move. The
// hole's key is set to the pivot, which stops both scans there without a bounds test.
template <class Entries>
Index partition(Entries& e, Index lo, Index hi) {
  const Index mid = lo + (hi - lo) / 2;
  orderThree(e, lo, mid, hi);
  e.hold(mid);
  e.move(lo, mid);  // the smallest goes to mid; lo is now the hole
  const auto pivot = e.heldKey();
  e.setKey(lo, pivot);
  Index i = lo, j = hi;
  for (;;) {
    while (pivot < e.key(j)) --j;
    if (j <= i) break;
    e.move(j, i);
    e.setKey(j, pivot);
    ++i;
    while (e.key(i) < pivot) ++i;
    if (i >= j) {
      i = j;
      break;
    }
    e.move(i, j);
    e.setKey(i, pivot);
    --j;
  }
  e.putHeld(i);
  return i;
}

// The index of the median key of three entries.
template <class Entries>
Index medianIndex(const Entries& e, Index a, Index b, Index c) {
  if (e.key(a) < e.key(b)) return e.key(b) < e.key(c) ? b : (e.key(a) < e.key(c) ? c : a);
  return e.key(a) < e.key(c) ? a : (e.key(b) < e.key(c) ? c : b);
}

// Lomuto partition without branches on the keys: every entry is exchanged with the boundary,
// and the boundary advances only past smaller keys. The pivot is the median of the keys at the
// quarter points and the middle, which the rotation this partition leaves behind in its upper
// part (its largest key first) does not mislead.
template <class Entries>
Index partitionBranchless(Entries& e, Index lo, Index hi) {
  const Index quarter = (hi - lo) / 4;
  e.swap(lo, medianIndex(e, lo + quarter, lo + (hi - lo) / 2, hi - quarter));
  const auto pivot = e.key(lo);
  Index boundary = lo + 1;
  for (Index r = lo + 1; r <= hi; ++r) {
    const bool smaller = e.key(r) < pivot;
    e.swap(boundary, r);
    boundary += smaller;
  }
  e.swap(lo, boundary - 1);
  return boundary - 1;
}

// Long ranges of random keys are split fastest without branches; a split that leaves one side
// nearly empty (many keys equal to the pivot) is redone by the hole partition, which halves them.
// The order this leaves equal keys in differs from the hole partition's.
template <class Entries>
Index splitFast(Entries& e, Index lo, Index hi) {
  if (hi - lo < kBranchlessSpan) return partition(e, lo, hi);
  const Index p = partitionBranchless(e, lo, hi);
  if (std::min(p - lo, hi - p) >= (hi - lo) / kLopsidedShare) return p;
  return partition(e, lo, hi);
}

enum class Split { kHole, kFast };

// Quicksort of entries 0..n-1 by ascending key. Returns false when the stack of pending ranges
// would overflow (impossible for any count that fits the arrays); the range is then left as is.
template <Split kSplit, class Entries>
bool quicksort(Entries& e, std::size_t n) {
  struct Range {
    Index lo, hi;
  };
  Range pending[kMaxPendingRanges];
  int depth = 0;
  Index lo = 0, hi = static_cast<Index>(n) - 1;
  for (;;) {
    if (hi - lo < kInsertionSpan) {
      insertionSort(e, lo, hi);
      if (depth == 0) return true;
      --depth;
      lo = pending[depth].lo;
      hi = pending[depth].hi;
      continue;
    }
    const Index p = kSplit == Split::kFast ? splitFast(e, lo, hi) : partition(e, lo, hi);
    if (depth == kMaxPendingRanges) return false;
    if (p - lo > hi - p) {
      pending[depth++] = {lo, p - 1};
      lo = p + 1;
    } else {
      pending[depth++] = {p + 1, hi};
      hi = p - 1;
    }
  }
}

template <class Entries>
bool strictlyAscending(const Entries& e, std::size_t n) {
  for (std::size_t k = 1; k < n; ++k)
    if (!(e.key(k - 1) < e.key(k))) return false;
  return true;
}

// Equal keys (and their companions) must come out in the order the hole partition leaves them.
// Keys that all differ have one sorted order whatever the splits, so a long range is sorted by
// the fast splits and kept when its keys came out strictly ascending; otherwise (equal keys, or a
// NaN) it is put back and sorted again with the hole partition alone.
template <class Entries>
bool quicksortKeepingTieOrder(Entries& e, std::size_t n) {
  if (n <= static_cast<std::size_t>(kBranchlessSpan)) return quicksort<Split::kHole>(e, n);
  decltype(e.save(n)) saved;
  try {
    saved = e.save(n);
  } catch (const std::bad_alloc&) {
    return quicksort<Split::kHole>(e, n);
  }
  if (quicksort<Split::kFast>(e, n) && strictlyAscending(e, n)) return true;
  e.restore(saved);
  return quicksort<Split::kHole>(e, n);
}

template <class Entries>
void quicksortReporting(Entries&& e, const Int* n, Int* status, std::string_view routine) {
  *status = 0;
  const std::size_t count = entryCount(n);
  if (count < 2) return;
  if (!quicksortKeepingTieOrder(e, count)) reportFixed(kSystemError, routine);
}

// Heapsort of entries 0..n-1 by ascending key.
template <class Entries>
void heapsort(Entries& e, std::size_t n) {
  if (n < 2) return;
  // 1-based positions as the heap arithmetic is written; entry index = position - 1.
  std::size_t l = n / 2 + 1, r = n;
  for (;;) {
    if (l > 1) {
      --l;
      e.hold(l - 1);
    } else {
      e.hold(r - 1);
      e.move(0, r - 1);
      if (--r == 1) {
        e.putHeld(0);
        return;
      }
    }
    std::size_t i = l, j = 2 * l;
    while (j <= r) {
      if (j < r && e.key(j - 1) < e.key(j)) ++j;
      if (!(e.heldKey() < e.key(j - 1))) break;
      e.move(j - 1, i - 1);
      i = j;
      j *= 2;
    }
    e.putHeld(i - 1);
  }
}

// Keeps one entry of each run of equal sorted values and drops zeros; returns the count kept.
Int packDistinctNonZero(StridedColumn<Int> values, std::size_t n) {
  std::size_t kept = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const Int value = values[k];
    if (value == 0 || (kept > 0 && values[kept - 1] == value)) continue;
    values[kept++] = value;
  }
  return static_cast<Int>(kept);
}

// The status and count rules shared by the packing sorts.
template <class Sort>
void sortAndPack(StridedColumn<Int> values, Int* n, Int* status, Sort sort) {
  if (*n < 0) {
    *status = 1;
    return;
  }
  *status = 0;
  if (*n == 0) return;
  sort();
  *n = packDistinctNonZero(values, static_cast<std::size_t>(*n));
}

// The rules shared by the pair sorts that hand the work to the sibling library.
template <class SiblingSort>
void sortPairs(Int* a, Int* b, const Int* n, Int* status, SiblingSort sort) {
  *status = *n < 0 ? -1 : 0;
  if (*n >= 2) sort(a, b, n);
}

void compareExchangeAscending(Real* a, int i, int j) {
  if (a[j] < a[i]) std::swap(a[i], a[j]);
}

// Orders d(i), d(j) descending, moving the columns of v (3 rows) with them.
void compareExchangeDescending(Real* d, Real* v, int i, int j) {
  if (!(d[i] < d[j])) return;
  std::swap(d[i], d[j]);
  std::swap_ranges(v + 3 * i, v + 3 * i + 3, v + 3 * j);
}

// The entry of smallest magnitude in k..n-1; of equal magnitudes (relative 1e-8) with opposite
// signs the negative one is taken.
std::size_t smallestMagnitudeFrom(const Real* a, std::size_t k, std::size_t n) {
  constexpr Real kRelativeTie = 1.0e-8;
  std::size_t chosen = k;
  Real sign = a[k] >= 0.0 ? 1.0 : -1.0;
  Real magnitude = std::fabs(a[k]);
  for (std::size_t j = k + 1; j < n; ++j) {
    const Real aj = std::fabs(a[j]);
    const bool otherSign = (a[j] >= 0.0) != (sign > 0.0);
    const Real tolerance = kRelativeTie * std::max(magnitude, aj);
    bool take;
    if (otherSign && std::fabs(sign * magnitude + a[j]) <= tolerance)
      take = sign > 0.0;
    else
      take = aj < magnitude;
    if (take) {
      chosen = j;
      sign = a[j] >= 0.0 ? 1.0 : -1.0;
      magnitude = aj;
    }
  }
  return chosen;
}

}  // namespace
}  // namespace zmx::numerics

using namespace zmx::numerics;

extern "C" {

void ASORT4(Real* keys, Int* ib, const Int* ld, const Int* n, Int* status) {
  constexpr std::string_view kRoutine = "SYSTEM ERROR IN ASORT4";
  if (*ld <= 1)
    quicksortReporting(entries(Column<Real>{keys}, Column<Int>{ib}), n, status, kRoutine);
  else
    quicksortReporting(entries(Column<Real>{keys}, StridedColumn<Int>{ib, static_cast<std::size_t>(*ld)}), n, status,
                       kRoutine);
}

void ASORT10(Real* keys, Real* b, const Int* n, Int* status) {
  quicksortReporting(entries(Column<Real>{keys}, Column<Real>{b}), n, status, "SYSTEM ERROR IN ASORT10");
}

// The column companions hold one column aside in a work array of m reals; when even that cannot
// be had, the sort reports its system error and leaves the arrays as they are.
void ASORT13(Real* keys, Real* v, Int* ib, const Int* m, const Int* n, Int* status) {
  constexpr std::string_view kRoutine = "SYSTEM ERROR IN ASORT4";
  try {
    quicksortReporting(entries(Column<Real>{keys}, RealBlocks(v, entryCount(m)), Column<Int>{ib}), n, status,
                       kRoutine);
  } catch (const std::bad_alloc&) {
    *status = 0;
    reportFixed(kSystemError, kRoutine);
  }
}

void ASORT14(Real* keys, Real* v, Int* ib, Int* ic, const Int* m, const Int* n, Int* status) {
  constexpr std::string_view kRoutine = "SYSTEM ERROR IN ASORT4";
  try {
    quicksortReporting(
        entries(Column<Real>{keys}, RealBlocks(v, entryCount(m)), Column<Int>{ib}, Column<Int>{ic}), n, status,
        kRoutine);
  } catch (const std::bad_alloc&) {
    *status = 0;
    reportFixed(kSystemError, kRoutine);
  }
}

void ASORT6(Int* a, Int* b, Int* c, const Int* n, const Int* /*unused*/) {
  auto e = entries(Column<Int>{a}, Column<Int>{b}, Column<Int>{c});
  heapsort(e, entryCount(n));
}

void ASORT9(Int* ia, const Int* ld, const Int* n, Int* status) {
  *status = 0;
  auto e = entries(StridedColumn<Int>{ia, static_cast<std::size_t>(std::max<Int>(*ld, 1))});
  heapsort(e, entryCount(n));
}

void ASORT1(Int* a, Int* n, Int* status) {
  sortAndPack(StridedColumn<Int>{a}, n, status, [a, n] { BCU_SORTINT1(a, n); });
}

void ASORT11(Int* ia, const Int* ld, Int* n, Int* status) {
  const StridedColumn<Int> values{ia, static_cast<std::size_t>(std::max<Int>(*ld, 1))};
  sortAndPack(values, n, status, [ia, ld, n] {
    Int heapStatus = 0;
    ASORT9(ia, ld, n, &heapStatus);
  });
}

void ASORT2(Int* a, Int* b, const Int* n, Int* status) { sortPairs(a, b, n, status, BCU_SORTCOMPINT2); }

void ASORT5(Int* a, Int* b, const Int* n, Int* status) { sortPairs(a, b, n, status, BCU_SORTINT2); }

void ASORTA(Real* a) {
  compareExchangeAscending(a, 0, 1);
  compareExchangeAscending(a, 1, 2);
  compareExchangeAscending(a, 0, 1);
}

void ASORTD(Real* d, Real* v, const Int* kind) {
  constexpr Int kAllThree = 7;
  compareExchangeDescending(d, v, 0, 1);
  if (*kind != kAllThree) return;
  compareExchangeDescending(d, v, 0, 2);
  compareExchangeDescending(d, v, 1, 2);
}

void ABSORT(Real* a, Real* v, const Int* n, const Int* m) {
  const std::size_t count = entryCount(n), rows = entryCount(m);
  for (std::size_t k = 0; k + 1 < count; ++k) {
    const std::size_t chosen = smallestMagnitudeFrom(a, k, count);
    if (chosen == k) continue;
    std::swap(a[k], a[chosen]);
    std::swap_ranges(v + k * rows, v + k * rows + rows, v + chosen * rows);
  }
}

void CREATE_INVERSE_MAP(Int* a, Int* map, const Int* n) {
  const std::size_t count = entryCount(n);
  for (std::size_t k = 0; k < count; ++k) map[k] = static_cast<Int>(k + 1);
  Int status = 0;
  ASORT2(a, map, n, &status);
}

}  // extern "C"
