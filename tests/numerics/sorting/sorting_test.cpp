// Sorts and ordered searches against std::sort / std::lower_bound models.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "siblings/eqc/testing.h"
#include "tests/support/capped_address_space.h"
#include "tests/support/host_fixture.h"
#include "zmx/numerics.h"

namespace {

using Sorting = zmxtest::HostFixture;

std::vector<Real> randomKeys(std::size_t n, unsigned seed, int distinctValues = 0) {
  std::mt19937 rng(seed);
  std::vector<Real> keys(n);
  for (auto& k : keys)
    k = distinctValues > 0 ? static_cast<Real>(rng() % distinctValues) : std::uniform_real_distribution<Real>(-1, 1)(rng);
  return keys;
}

// Key sets of the shapes that break quicksorts: random, many ties, sorted, reversed, all equal,
// organ pipe and sawtooth.
std::vector<std::vector<Real>> keySets(std::size_t n) {
  auto sorted = randomKeys(n, 7);
  std::sort(sorted.begin(), sorted.end());
  auto reversed = sorted;
  std::reverse(reversed.begin(), reversed.end());
  std::vector<Real> organPipe(n), sawtooth(n);
  for (std::size_t k = 0; k < n; ++k) {
    organPipe[k] = static_cast<Real>(std::min(k, n - k));
    sawtooth[k] = static_cast<Real>(k % 37);
  }
  return {randomKeys(n, 1), randomKeys(n, 2, 3), sorted, reversed, std::vector<Real>(n, 4.0), organPipe, sawtooth};
}

// The keys must come out as std::sort gives them, and every companion must still belong to its
// key: companion k started beside key k, so key(original index) must equal the sorted key.
void expectSortedWithCompanions(const std::vector<Real>& before, const std::vector<Real>& after,
                                const std::vector<Int>& origin) {
  auto model = before;
  std::sort(model.begin(), model.end());
  ASSERT_EQ(after, model);
  std::vector<Int> seen(origin);
  std::sort(seen.begin(), seen.end());
  for (std::size_t k = 0; k < seen.size(); ++k) ASSERT_EQ(seen[k], static_cast<Int>(k + 1));
  for (std::size_t k = 0; k < after.size(); ++k) ASSERT_EQ(before[origin[k] - 1], after[k]);
}

TEST_F(Sorting, Asort4MatchesStdSortAndCarriesStridedCompanions) {
  for (std::size_t n : {0u, 1u, 2u, 10u, 11u, 12u, 57u, 1000u}) {
    for (const auto& keys : keySets(n)) {
      auto sorted = keys;
      // Companions in the first row of a 2-row array; the second row must stay untouched.
      std::vector<Int> ib(2 * n + 1, -99);
      for (std::size_t k = 0; k < n; ++k) ib[2 * k] = static_cast<Int>(k + 1);
      const Int ld = 2, count = static_cast<Int>(n);
      Int status = 5;
      ASORT4(sorted.data(), ib.data(), &ld, &count, &status);
      EXPECT_EQ(status, 0);
      std::vector<Int> origin(n);
      for (std::size_t k = 0; k < n; ++k) {
        origin[k] = ib[2 * k];
        ASSERT_EQ(ib[2 * k + 1], -99);
      }
      expectSortedWithCompanions(keys, sorted, origin);
    }
  }
}

TEST_F(Sorting, Asort4SortsAMillionKeysWithoutOverflowingItsStack) {
  for (const auto& keys : keySets(1000000)) {
    auto sorted = keys;
    std::vector<Int> ib(keys.size());
    std::iota(ib.begin(), ib.end(), 1);
    const Int ld = 1, n = static_cast<Int>(keys.size());
    Int status = 5;
    ASORT4(sorted.data(), ib.data(), &ld, &n, &status);
    EXPECT_EQ(status, 0);
    expectSortedWithCompanions(keys, sorted, ib);
  }
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(Sorting, QuicksortFamilyMovesRealColumnsAndIntegersWithTheKeys) {
  // Columns of 3 reals, and of 12 (more than an entry holds aside in itself).
  const std::size_t n = 300;
  for (const std::size_t m : {std::size_t{3}, std::size_t{12}}) {
    for (const auto& keys : keySets(n)) {
      std::vector<Real> k10 = keys, k13 = keys, k14 = keys, b(n), v13(m * n), v14(m * n);
      std::vector<Int> ib13(n), ib14(n), ic14(n);
      for (std::size_t k = 0; k < n; ++k) {
        b[k] = static_cast<Real>(k + 1);
        ib13[k] = ib14[k] = static_cast<Int>(k + 1);
        ic14[k] = -static_cast<Int>(k + 1);
        for (std::size_t r = 0; r < m; ++r)
          v13[m * k + r] = v14[m * k + r] = 10.0 * static_cast<Real>(k + 1) + static_cast<Real>(r);
      }
      const Int count = static_cast<Int>(n), rows = static_cast<Int>(m);
      Int s10 = 1, s13 = 1, s14 = 1;
      ASORT10(k10.data(), b.data(), &count, &s10);
      ASORT13(k13.data(), v13.data(), ib13.data(), &rows, &count, &s13);
      ASORT14(k14.data(), v14.data(), ib14.data(), ic14.data(), &rows, &count, &s14);
      EXPECT_EQ(s10 + s13 + s14, 0);
      std::vector<Int> from10(n);
      for (std::size_t k = 0; k < n; ++k) from10[k] = static_cast<Int>(b[k]);
      expectSortedWithCompanions(keys, k10, from10);
      expectSortedWithCompanions(keys, k13, ib13);
      expectSortedWithCompanions(keys, k14, ib14);
      for (std::size_t k = 0; k < n; ++k) {
        ASSERT_EQ(ic14[k], -ib14[k]);
        for (std::size_t r = 0; r < m; ++r) {
          ASSERT_EQ(v13[m * k + r], 10.0 * ib13[k] + static_cast<Real>(r));
          ASSERT_EQ(v14[m * k + r], 10.0 * ib14[k] + static_cast<Real>(r));
        }
      }
    }
  }
}

TEST_F(Sorting, QuicksortFamilyWithoutMemoryToSpare) {
  if (!zmxtest::kAddressSpaceCappable) GTEST_SKIP() << "the address-space cap does not fit the sanitizer";
  using zmxtest::withAddressSpaceCapped;
  // No copy of a long range to redo it with: the hole partition alone, whose order of equal keys
  // is the one the redo would give (compared with the same sort run uncapped).
  const std::size_t n = 500000, m = 9;  // 36 MB of columns
  const auto keys = randomKeys(n, 17, 1000);
  std::vector<Real> v(n * m);
  std::vector<Int> ib(n);
  for (std::size_t k = 0; k < n; ++k) {
    ib[k] = static_cast<Int>(k + 1);
    for (std::size_t r = 0; r < m; ++r) v[m * k + r] = static_cast<Real>(k + 1) + 0.1 * static_cast<Real>(r);
  }
  const Int count = static_cast<Int>(n), rows = static_cast<Int>(m);
  auto freeKeys = keys, cappedKeys = keys;
  auto freeV = v, cappedV = v;
  auto freeIb = ib, cappedIb = ib;
  Int status = 5;
  ASORT13(freeKeys.data(), freeV.data(), freeIb.data(), &rows, &count, &status);
  withAddressSpaceCapped([&] { ASORT13(cappedKeys.data(), cappedV.data(), cappedIb.data(), &rows, &count, &status); });
  EXPECT_EQ(status, 0);
  expectSortedWithCompanions(keys, cappedKeys, cappedIb);
  EXPECT_EQ(cappedIb, freeIb);
  EXPECT_EQ(cappedV, freeV);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);

  // Not even room to hold one column of 2^26 reals aside: the system error, arrays untouched.
  const Int huge = Int{1} << 26, none = 0;
  Real key = 1, column = 2;
  Int first = 3, second = 4;
  for (int routine = 13; routine <= 14; ++routine) {
    status = 5;
    withAddressSpaceCapped([&] {
      if (routine == 13)
        ASORT13(&key, &column, &first, &huge, &none, &status);
      else
        ASORT14(&key, &column, &first, &second, &huge, &none, &status);
    });
    EXPECT_EQ(status, 0);
  }
  EXPECT_EQ(std::vector<Real>({key, column}), (std::vector<Real>{1, 2}));
  EXPECT_EQ(std::vector<Int>({first, second}), (std::vector<Int>{3, 4}));
  const auto log = eqc_testing::messages();
  ASSERT_EQ(log.size(), 2u);
  for (const auto& message : log) {
    EXPECT_EQ(message.level, -3);
    EXPECT_EQ(message.text, "SYSTEM ERROR IN ASORT4");
  }
}

TEST_F(Sorting, InsertionRangeKeepsEqualKeysInTheirOrder) {
  // Ten entries are finished by straight insertion alone, which is stable.
  std::vector<Real> keys = {3, 1, 3, 2, 1, 3, 2, 1, 2, 3};
  std::vector<Real> b(10);
  std::iota(b.begin(), b.end(), 1.0);
  const Int n = 10;
  Int status = 1;
  ASORT10(keys.data(), b.data(), &n, &status);
  EXPECT_EQ(b, (std::vector<Real>{2, 5, 8, 4, 7, 9, 1, 3, 6, 10}));
}

// Quicksort as a reader of its description would write it, 1-based, with a hole that keeps its
// stale key and scans bounded by the array's ends, companion b moving with each key.
void holeQuicksortModel(std::vector<Real>& keys, std::vector<Real>& b) {
  const long n = static_cast<long>(keys.size());
  auto key = [&](long i) -> Real& { return keys[static_cast<std::size_t>(i - 1)]; };
  auto com = [&](long i) -> Real& { return b[static_cast<std::size_t>(i - 1)]; };
  auto moveTo = [&](long from, long to) { key(to) = key(from), com(to) = com(from); };
  auto exchange = [&](long i, long j) { std::swap(key(i), key(j)), std::swap(com(i), com(j)); };
  std::vector<std::pair<long, long>> pending;
  long lo = 1, hi = n;
  for (;;) {
    if (hi - lo < 10) {
      for (long k = lo + 1; k <= hi; ++k) {
        const Real held = key(k), heldCom = com(k);
        long j = k - 1;
        for (; j >= lo && key(j) > held; --j) moveTo(j, j + 1);
        key(j + 1) = held, com(j + 1) = heldCom;
      }
      if (pending.empty()) return;
      std::tie(lo, hi) = pending.back();
      pending.pop_back();
      continue;
    }
    const long mid = (lo + hi) / 2;
    if (key(mid) < key(lo)) exchange(lo, mid);
    if (key(hi) < key(mid)) {
      exchange(mid, hi);
      if (key(mid) < key(lo)) exchange(lo, mid);
    }
    const Real pivot = key(mid), pivotCom = com(mid);
    moveTo(lo, mid);
    long i = lo, j = hi, p = 0;
    for (;;) {
      while (j > 0 && pivot < key(j)) --j;
      if (j <= i) {
        p = i;
        break;
      }
      moveTo(j, i);
      ++i;
      while (i < n && key(i) < pivot) ++i;
      if (i >= j) {
        p = j;
        break;
      }
      moveTo(i, j);
      --j;
    }
    key(p) = pivot, com(p) = pivotCom;
    if (p - lo > hi - p) {
      pending.emplace_back(lo, p - 1);
      lo = p + 1;
    } else {
      pending.emplace_back(p + 1, hi);
      hi = p - 1;
    }
  }
}

TEST_F(Sorting, EqualKeysComeOutInTheOrderOfTheHolePartitionAtEveryLength) {
  for (std::size_t n : {11u, 32u, 33u, 57u, 1000u, 20000u})
    for (int distinct : {2, 3, 50, 0}) {
      auto keys = randomKeys(n, 5 + static_cast<unsigned>(n), distinct);
      if (distinct == 0) keys[n / 2] = keys[n / 3];  // a single tie among distinct keys
      std::vector<Real> b(n);
      std::iota(b.begin(), b.end(), 1.0);
      auto modelKeys = keys, modelB = b;
      holeQuicksortModel(modelKeys, modelB);
      const Int count = static_cast<Int>(n);
      Int status = 1;
      ASORT10(keys.data(), b.data(), &count, &status);
      EXPECT_EQ(status, 0);
      ASSERT_EQ(keys, modelKeys) << n << " " << distinct;
      ASSERT_EQ(b, modelB) << n << " " << distinct;
    }
}

TEST_F(Sorting, HeapsortsMatchStdSortAndCarryCompanions) {
  std::mt19937 rng(3);
  for (std::size_t n : {0u, 1u, 2u, 3u, 16u, 17u, 999u}) {
    std::vector<Int> a(n), b(n), c(n), strided(3 * n, 77);
    for (std::size_t k = 0; k < n; ++k) {
      a[k] = static_cast<Int>(rng() % 50) - 25;
      b[k] = static_cast<Int>(k + 1);
      c[k] = a[k] * 1000;
      strided[3 * k] = a[k];
    }
    const auto original = a;
    const Int count = static_cast<Int>(n), ld = 3, unused = 0;
    ASORT6(a.data(), b.data(), c.data(), &count, &unused);
    Int status = 9;
    ASORT9(strided.data(), &ld, &count, &status);
    EXPECT_EQ(status, 0);
    auto model = original;
    std::sort(model.begin(), model.end());
    EXPECT_EQ(a, model);
    for (std::size_t k = 0; k < n; ++k) {
      ASSERT_EQ(original[b[k] - 1], a[k]);
      ASSERT_EQ(c[k], a[k] * 1000);
      ASSERT_EQ(strided[3 * k], model[k]);
      ASSERT_EQ(strided[3 * k + 1], 77);
    }
  }
}

TEST_F(Sorting, PackingSortsKeepDistinctNonZeroValues) {
  std::vector<Int> a = {5, 0, -3, 5, 2, 0, -3, 9, 2};
  Int n = 9, status = 7;
  ASORT1(a.data(), &n, &status);
  EXPECT_EQ(status, 0);
  ASSERT_EQ(n, 4);
  EXPECT_EQ(std::vector<Int>(a.begin(), a.begin() + 4), (std::vector<Int>{-3, 2, 5, 9}));

  std::vector<Int> strided = {4, 1, 0, 1, 4, 1, 3, 1};  // first row of a 2-row array
  const Int ld = 2;
  n = 4;
  ASORT11(strided.data(), &ld, &n, &status);
  EXPECT_EQ(status, 0);
  ASSERT_EQ(n, 2);
  EXPECT_EQ(strided[0], 3);
  EXPECT_EQ(strided[2], 4);

  Int zero = 0;
  n = 1;
  ASORT1(&zero, &n, &status);
  EXPECT_EQ(n, 0);
  n = 0;
  ASORT1(a.data(), &n, &status);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(status, 0);
  n = -2;
  ASORT1(a.data(), &n, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(n, -2);
}

TEST_F(Sorting, PairSortsAndInverseMap) {
  std::vector<Int> a = {4, 2, 4, 1, 2}, b = {9, 8, 3, 6, 5};
  Int n = 5, status = 3;
  ASORT2(a.data(), b.data(), &n, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(a, (std::vector<Int>{1, 2, 2, 4, 4}));
  EXPECT_EQ(b, (std::vector<Int>{6, 5, 8, 3, 9}));  // equal keys ordered by the companion

  a = {4, 2, 4, 1, 2};
  b = {1, 2, 3, 4, 5};
  ASORT5(a.data(), b.data(), &n, &status);
  EXPECT_EQ(a, (std::vector<Int>{1, 2, 2, 4, 4}));
  for (std::size_t k = 0; k < 5; ++k) EXPECT_EQ((std::vector<Int>{4, 2, 4, 1, 2})[b[k] - 1], a[k]);

  n = -1;
  ASORT2(a.data(), b.data(), &n, &status);
  EXPECT_EQ(status, -1);
  ASORT5(a.data(), b.data(), &n, &status);
  EXPECT_EQ(status, -1);

  std::vector<Int> keys = {30, 10, 20, 10}, map(4, 0);
  n = 4;
  CREATE_INVERSE_MAP(keys.data(), map.data(), &n);
  EXPECT_EQ(keys, (std::vector<Int>{10, 10, 20, 30}));
  EXPECT_EQ(map, (std::vector<Int>{2, 4, 3, 1}));
}

TEST_F(Sorting, ThreeValueSorts) {
  std::vector<Real> perm = {1, 2, 3};
  do {
    auto a = perm;
    ASORTA(a.data());
    EXPECT_EQ(a, (std::vector<Real>{1, 2, 3}));
    // Descending with columns of v: column k carries 10 * its value.
    auto d = perm;
    std::vector<Real> v(9);
    for (int k = 0; k < 3; ++k)
      for (int r = 0; r < 3; ++r) v[3 * k + r] = 10 * d[k] + r;
    const Int all = 7;
    ASORTD(d.data(), v.data(), &all);
    EXPECT_EQ(d, (std::vector<Real>{3, 2, 1}));
    for (int k = 0; k < 3; ++k)
      for (int r = 0; r < 3; ++r) EXPECT_EQ(v[3 * k + r], 10 * d[k] + r);
  } while (std::next_permutation(perm.begin(), perm.end()));

  std::vector<Real> d = {1, 2, 3}, v = {1, 1, 1, 2, 2, 2, 3, 3, 3};
  const Int two = 4;
  ASORTD(d.data(), v.data(), &two);
  EXPECT_EQ(d, (std::vector<Real>{2, 1, 3}));
  EXPECT_EQ(v, (std::vector<Real>{2, 2, 2, 1, 1, 1, 3, 3, 3}));
}

TEST_F(Sorting, AbsortOrdersByMagnitudeNegativeFirstAndSortsWhateverTheColumnHeight) {
  std::vector<Real> a = {-2, 1, 2}, v = {-2, 20, 1, 10, 2, 30};
  const Int n = 3, m = 2;
  ABSORT(a.data(), v.data(), &n, &m);
  EXPECT_EQ(a, (std::vector<Real>{1, -2, 2}));
  EXPECT_EQ(v, (std::vector<Real>{1, 10, -2, 20, 2, 30}));

  std::vector<Real> b = {2, -2 * (1 + 1e-10), 0.5, -3}, w = {1, 2, 3, 4};
  const Int four = 4, one = 1;
  ABSORT(b.data(), w.data(), &four, &one);
  EXPECT_EQ(w, (std::vector<Real>{3, 2, 1, 4}));

  std::vector<Real> single = {-5};
  const Int oneKey = 1;
  ABSORT(single.data(), w.data(), &oneKey, &one);
  EXPECT_EQ(single[0], -5);
}

// The model of a hunt: the first index of an equal entry, else the last entry before x in the
// table's order, 0 outside the table.
struct HuntModel {
  Int position;  // with HUNTIFO's choice among equal entries
  bool equal;
};

HuntModel modelHunt(const std::vector<Int>& t, Int x) {
  const bool ascending = t.back() >= t.front();
  auto before = [&](Int entry) { return ascending ? entry < x : entry > x; };
  Int last = 0;
  for (std::size_t k = 0; k < t.size(); ++k)
    if (t[k] == x) return {static_cast<Int>(k + 1), true};
    else if (before(t[k])) last = static_cast<Int>(k + 1);
  if (last == static_cast<Int>(t.size())) last = 0;  // beyond the last entry
  return {last, false};
}

TEST_F(Sorting, HuntsAgreeWithTheModelFromEveryGuess) {
  const std::vector<std::vector<Int>> tables = {{1, 3, 3, 3, 7, 8, 8, 12, 15, 20, 20, 21},
                                                {21, 20, 15, 15, 9, 4, 4, 4, 1},
                                                {5},
                                                {2, 4}};
  for (const auto& t : tables) {
    const Int n = static_cast<Int>(t.size());
    std::vector<Int> strided(2 * t.size());
    for (std::size_t k = 0; k < t.size(); ++k) strided[2 * k] = t[k];
    for (Int x = -1; x <= 23; ++x) {
      const HuntModel model = modelHunt(t, x);
      for (Int guess = -1; guess <= n + 2; ++guess) {
        Int position = guess, flag = 5;
        HUNTI(t.data(), &n, &x, &position, &flag);
        EXPECT_EQ(flag, model.equal ? 0 : 1) << x << " guess " << guess;
        if (model.equal)
          EXPECT_EQ(t[position - 1], x);
        else
          EXPECT_EQ(position, model.position) << x << " guess " << guess;
        position = guess;
        HUNTIFO(t.data(), &n, &x, &position, &flag);
        EXPECT_EQ(position, model.position) << x << " guess " << guess;
        const Int ld = 2;
        position = guess;
        HUNTI1(strided.data(), &ld, &n, &x, &position, &flag);
        EXPECT_EQ(position, model.position) << x << " guess " << guess;
        EXPECT_EQ(flag, model.equal ? 0 : 1);
      }
    }
  }
  // An empty table is not read.
  const Int zero = 0, x = 3;
  Int position = 4, flag = 0;
  HUNTI(nullptr, &zero, &x, &position, &flag);
  EXPECT_EQ(position, 0);
  EXPECT_EQ(flag, 1);
}

TEST_F(Sorting, HuntfFindsEntriesWithinTheRelativeTolerance) {
  const std::vector<Real> t = {0, 10, 20, 30, 40};  // span 40, tolerance 8.88e-12
  const Int n = 5, ld = 1;
  struct Case {
    Real x;
    Int position, found;
  };
  const Case cases[] = {{20, 3, 1},     {20 + 5e-12, 3, 1}, {20 - 5e-12, 3, 1}, {20 + 2e-11, 3, 0}, {25, 3, 0},
                        {40, 5, 1},     {41, 6, 0},         {-1, 0, 0},         {0, 1, 1},          {-5e-12, 1, 1}};
  for (const Case& c : cases) {
    for (Int guess : {0, 1, 3, 5, 6}) {
      Int position = guess, found = 7;
      HUNTF(t.data(), &n, &c.x, &position, &found, &ld);
      EXPECT_EQ(position, c.position) << c.x << " guess " << guess;
      EXPECT_EQ(found, c.found) << c.x << " guess " << guess;
    }
  }
  const std::vector<Real> descending = {4, 0, 2, 0, 0, 0};  // strided 4, 2, 0
  const Int three = 3, two = 2;
  const Real x = 2;
  Int position = 0, found = 0;
  HUNTF(descending.data(), &three, &x, &position, &found, &two);
  EXPECT_EQ(position, 2);
  EXPECT_EQ(found, 1);
  // An empty table (the table is not read): position 0, not found.
  const Int none = 0;
  position = 3, found = 7;
  HUNTF(nullptr, &none, &x, &position, &found, &ld);
  EXPECT_EQ(position, 0);
  EXPECT_EQ(found, 0);
}

TEST_F(Sorting, SubsetMapsInBothDirections) {
  const std::vector<Int> jsub = {7, 3, 9}, jset = {3, 5, 7, 9};
  const Int one = 1, nsub = 3, nset = 4;
  std::vector<Int> mapsub(3, -1), mapset(4, -1);
  Int mode = 0, check = 1;
  ASUBSET(&mode, &check, jsub.data(), &one, &nsub, jset.data(), &one, &nset, mapsub.data(), mapset.data());
  EXPECT_EQ(mapsub, (std::vector<Int>{3, 1, 4}));
  EXPECT_EQ(mapset, (std::vector<Int>{2, 0, 1, 3}));
  EXPECT_EQ(eqc_testing::messages().size(), 0u);

  mode = -1;
  mapset.assign(4, -1);
  ASUBSET(&mode, &check, jsub.data(), &one, &nsub, jset.data(), &one, &nset, mapsub.data(), mapset.data());
  EXPECT_EQ(mapset, (std::vector<Int>{2, 0, 1, 3}));

  const std::vector<Int> missing = {5, 4};
  const Int two = 2;
  mode = 1;
  ASUBSET(&mode, &check, missing.data(), &one, &two, jset.data(), &one, &nset, mapsub.data(), mapset.data());
  EXPECT_EQ(mapsub[0], 2);
  EXPECT_EQ(mapsub[1], 0);
  const auto log = eqc_testing::messages();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].level, -3);
  EXPECT_EQ(log[0].text, "DSA SYSTEM ERROR IN ASUBSET: JSUB(2)=4 DOES NOT APPEAR IN JSET");
}

TEST_F(Sorting, UnionAppendsSlotsOfBNotInA) {
  // 8-byte slots with the integer in the low word; the high words must travel unchanged.
  auto slot = [](Int value, Int high) { return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32) | static_cast<std::uint32_t>(value); };
  const std::vector<std::uint64_t> a = {slot(1, 0), slot(4, 0)}, b = {slot(4, 9), slot(2, 0), slot(2, 5), slot(1, 0)};
  std::vector<std::uint64_t> c(6, 0);
  const Int na = 2, nb = 4;
  Int nc = 0;
  AUNIONSET(a.data(), &na, b.data(), &nb, c.data(), &nc);
  ASSERT_EQ(nc, 4);
  EXPECT_EQ(std::vector<std::uint64_t>(c.begin(), c.begin() + 4), (std::vector<std::uint64_t>{slot(1, 0), slot(4, 0), slot(2, 0), slot(2, 5)}));
}

}  // namespace
