// Searches in ordered tables (hunt outward from a guess, then bisect) and the small set routines
// over integer lists: subset positions, union of slot lists and the inverse of a sort.

#include <cmath>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "siblings/eqc/eqc_messages.h"
#include "zmx/numerics.h"

namespace {

// A table of n entries read 1-based, entry k at (k - 1) * stride.
template <class T>
struct Table {
  const T* at;
  std::size_t stride;
  Int n;
  T operator()(long long k) const { return at[static_cast<std::size_t>(k - 1) * stride]; }
};

struct Bracket {
  long long lo, hi;  // hi = lo + 1; lo may be 0 and hi may be n + 1
};

// Widens the step 1, 2, 4, ... from the guess until x is bracketed, or takes (0, n + 1) for a
// guess outside the table, then bisects. Ascending or descending is told by the end entries.
template <class T>
Bracket bracket(const Table<T>& t, T x, Int guess) {
  const bool ascending = t(t.n) >= t(1);
  long long lo, hi;
  if (guess < 1 || guess > t.n) {
    lo = 0;
    hi = static_cast<long long>(t.n) + 1;
  } else if ((x >= t(guess)) == ascending) {
    lo = guess;
    for (long long step = 1;; step += step) {
      hi = lo + step;
      if (hi > t.n) {
        hi = static_cast<long long>(t.n) + 1;
        break;
      }
      if ((x >= t(hi)) != ascending) break;
      lo = hi;
    }
  } else {
    hi = guess;
    for (long long step = 1;; step += step) {
      lo = hi - step;
      if (lo < 1) {
        lo = 0;
        break;
      }
      if ((x < t(lo)) != ascending) break;
      hi = lo;
    }
  }
  while (hi - lo > 1) {
    const long long mid = (lo + hi) / 2;
    if ((x > t(mid)) == ascending)
      lo = mid;
    else
      hi = mid;
  }
  return {lo, hi};
}

// The position of an equal entry (flag 0), else of the last entry before x in the table's order
// (flag 1), 0 before the first or beyond the last entry.
void huntInteger(const Table<Int>& t, Int x, Int* position, Int* flag) {
  *flag = 1;
  if (t.n <= 0) {
    *position = 0;
    return;
  }
  const Bracket b = bracket(t, x, *position);
  long long found = b.lo;
  if (b.lo != t.n && x == t(b.hi)) found = b.hi;
  if (b.lo == t.n && x != t(t.n)) found = 0;
  if (found != 0 && x == t(found)) *flag = 0;
  *position = static_cast<Int>(found);
}

// After a hit, moves back to the first of the equal entries.
void backToFirstEqual(const Table<Int>& t, Int x, Int* position, const Int* flag) {
  if (*flag != 0) return;
  while (*position > 1 && t(*position - 1) == x) --*position;
}

constexpr Real kRelativeSpanTolerance = 2.22e-13;

}  // namespace

extern "C" {

void HUNTI(const Int* table, const Int* n, const Int* x, Int* position, Int* flag) {
  huntInteger({table, 1, *n}, *x, position, flag);
}

void HUNTIFO(const Int* table, const Int* n, const Int* x, Int* position, Int* flag) {
  const Table<Int> t{table, 1, *n};
  huntInteger(t, *x, position, flag);
  backToFirstEqual(t, *x, position, flag);
}

void HUNTI1(const Int* table, const Int* ld, const Int* n, const Int* x, Int* position, Int* flag) {
  const Table<Int> t{table, static_cast<std::size_t>(*ld > 0 ? *ld : 1), *n};
  huntInteger(t, *x, position, flag);
  backToFirstEqual(t, *x, position, flag);
}

void HUNTF(const Real* table, const Int* n, const Real* x, Int* position, Int* found, const Int* ld) {
  *found = 0;
  const Table<Real> t{table, static_cast<std::size_t>(*ld > 0 ? *ld : 1), *n};
  if (t.n <= 0) {
    *position = 0;
    return;
  }
  const Real tolerance = std::fabs(t(t.n) - t(1)) * kRelativeSpanTolerance;
  const auto near = [&](long long k) { return std::fabs(*x - t(k)) <= tolerance; };
  long long at = bracket(t, *x, *position).lo;
  if (at == 0) {
    // Also a value at (or just before) the first entry is that entry.
    if (near(1)) {
      at = 1;
      *found = 1;
    }
  } else if (at == t.n) {
    if (near(at))
      *found = 1;
    else
      at = static_cast<long long>(t.n) + 1;
  } else if (near(at + 1)) {
    ++at;
    *found = 1;
  } else if (near(at)) {
    *found = 1;
  }
  *position = static_cast<Int>(at);
}

void ASUBSET(const Int* mode, const Int* check, const Int* jsub, const Int* ldsub, const Int* nsub, const Int* jset,
             const Int* ldset, const Int* nset, Int* mapsub, Int* mapset) {
  const Table<Int> sub{jsub, static_cast<std::size_t>(*ldsub > 0 ? *ldsub : 1), *nsub};
  const Table<Int> set{jset, static_cast<std::size_t>(*ldset > 0 ? *ldset : 1), *nset};
  const auto positionIn = [](const Table<Int>& t, Int value) -> Int {
    for (Int k = 1; k <= t.n; ++k)
      if (t(k) == value) return k;
    return 0;
  };
  if (*mode < 0) {
    for (Int j = 1; j <= set.n; ++j) mapset[j - 1] = positionIn(sub, set(j));
    return;
  }
  for (Int i = 1; i <= sub.n; ++i) {
    mapsub[i - 1] = positionIn(set, sub(i));
    if (mapsub[i - 1] == 0 && *check == 1) {
      const Int level = -3;
      const Int values[] = {i, sub(i)};
      const Real noReal = 0.0;
      constexpr std::string_view text = "DSA SYSTEM ERROR IN ASUBSET: JSUB(%I)=%I DOES NOT APPEAR IN JSET";
      KVXERR(&level, text.data(), static_cast<Int>(text.size()), values, &noReal, " ", 1);
    }
  }
  if (*mode != 0) return;
  const long long cleared = static_cast<long long>(*ldset) * (*nset);
  for (long long k = 0; k < cleared; ++k) mapset[k] = 0;
  for (Int i = 1; i <= sub.n; ++i)
    if (mapsub[i - 1] != 0) mapset[mapsub[i - 1] - 1] = i;
}

void AUNIONSET(const void* a, const Int* na, const void* b, const Int* nb, void* c, Int* nc) {
  const auto lowWord = [](const void* slots, Int k) {
    Int value;
    std::memcpy(&value, static_cast<const char*>(slots) + 8 * static_cast<std::size_t>(k), sizeof value);
    return value;
  };
  const Int countA = *na > 0 ? *na : 0, countB = *nb > 0 ? *nb : 0;
  if (countA > 0 && c != a) std::memmove(c, a, 8 * static_cast<std::size_t>(countA));
  Int kept = countA;
  for (Int j = 0; j < countB; ++j) {
    const Int value = lowWord(b, j);
    bool inA = false;
    for (Int k = 0; k < countA && !inA; ++k) inA = lowWord(a, k) == value;
    if (inA) continue;
    std::memcpy(static_cast<char*>(c) + 8 * static_cast<std::size_t>(kept), static_cast<const char*>(b) + 8 * static_cast<std::size_t>(j), 8);
    ++kept;
  }
  *nc = kept;
}

}  // extern "C"
