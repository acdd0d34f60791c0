// Named records: fixed blocks of 4-byte words shared by name between the library, its siblings
// and the hosts. A record is declared as
//
//   struct alignas(8) CPROG_t { std::int32_t w[64]; };
//   extern "C" ZMX_EXPORT CPROG_t CPROG;
//
// and read and written only through the 1-based, bounds-checked accessors below, with named
// word constants. A word number outside the record is reported at level -3; reads then give 0
// and writes go to a scratch word, so nothing outside the record is touched.
//
// The same file holds the helpers for 8-byte slots (results-file words, slide-line records): an
// integer sits in the low 4 bytes of its slot and the high 4 bytes are written 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "runtime/fortran_types.h"
#include "zmx/record_types.h"

namespace rec {

template <class R>
concept WordRecord = requires(R& r) {
  { r.w[0] } -> std::convertible_to<std::int32_t>;
};

template <WordRecord R>
constexpr std::size_t words() { return sizeof(R::w) / sizeof(std::int32_t); }

namespace detail {
ZMX_EXPORT void reportBadWord(std::size_t words, long long first, long long count);
ZMX_EXPORT std::int32_t* scratchWords();  // zeroed before each use, at least 4 words
inline constexpr std::size_t kScratchWords = 4;

// True when units first..first+count-1 (1-based) lie in a record of total units. Written without
// the sum first + count, which would overflow for a wild first.
inline bool unitsInside(long long first, long long count, long long total) {
  return first >= 1 && count >= 0 && count <= total && first - 1 <= total - count;
}

template <WordRecord R>
bool inRange(long long first, long long count) {
  return unitsInside(first, count, static_cast<long long>(words<R>()));
}

// Reports a character range as the words it touches.
ZMX_EXPORT void reportBadChars(std::size_t words, long long first, long long length);
}  // namespace detail

// Integer word k (1-based), by reference.
template <WordRecord R>
Int& i(R& record, long long k) {
  if (!detail::inRange<R>(k, 1)) {
    detail::reportBadWord(words<R>(), k, 1);
    return *detail::scratchWords();
  }
  return record.w[k - 1];
}

template <WordRecord R>
Int i(const R& record, long long k) {
  if (!detail::inRange<R>(k, 1)) {
    detail::reportBadWord(words<R>(), k, 1);
    return 0;
  }
  return record.w[k - 1];
}

// Real stored in words k and k+1.
template <WordRecord R>
Real r(const R& record, long long k) {
  Real value = 0.0;
  if (!detail::inRange<R>(k, 2)) {
    detail::reportBadWord(words<R>(), k, 2);
    return value;
  }
  std::memcpy(&value, &record.w[k - 1], sizeof value);
  return value;
}

template <WordRecord R>
void setR(R& record, long long k, Real value) {
  if (!detail::inRange<R>(k, 2)) {
    detail::reportBadWord(words<R>(), k, 2);
    return;
  }
  std::memcpy(&record.w[k - 1], &value, sizeof value);
}

// Characters first..first+length-1 (1-based character positions of the record).
template <WordRecord R>
std::string_view chars(const R& record, long long first, long long length) {
  if (!detail::unitsInside(first, length, static_cast<long long>(sizeof(R::w)))) {
    detail::reportBadChars(words<R>(), first, length);
    return {};
  }
  const char* base = reinterpret_cast<const char*>(record.w);
  return {base + (first - 1), static_cast<std::size_t>(length)};
}

// Writes text into characters first..first+length-1, blank-padded or cut to length.
template <WordRecord R>
void setChars(R& record, long long first, long long length, std::string_view text) {
  if (!detail::unitsInside(first, length, static_cast<long long>(sizeof(R::w)))) {
    detail::reportBadChars(words<R>(), first, length);
    return;
  }
  char* base = reinterpret_cast<char*>(record.w) + (first - 1);
  for (long long k = 0; k < length; ++k)
    base[k] = k < static_cast<long long>(text.size()) ? text[static_cast<std::size_t>(k)] : ' ';
}

// Sets every word of the record to 0.
template <WordRecord R>
void clear(R& record) { std::memset(record.w, 0, sizeof(R::w)); }

// True when the count units first..first+count-1 (1-based) lie within length units: the test for
// an offset and a count read from a stored record before either indexes it. Worked in 64 bits
// without forming first + count, so counts near the integer limit cannot wrap past it.
inline bool spanInside(long long first, long long count, long long length) {
  return detail::unitsInside(first, count, length);
}

// ---- 8-byte slots -------------------------------------------------------------------------------

// Integer in slot k (1-based) of an array of 8-byte slots: its low 4 bytes.
inline Int slotI(const void* slots, long long k) {
  Int value;
  std::memcpy(&value, static_cast<const char*>(slots) + 8 * (k - 1), sizeof value);
  return value;
}

inline void setSlotI(void* slots, long long k, Int value) {
  char* slot = static_cast<char*>(slots) + 8 * (k - 1);
  const Int high = 0;
  std::memcpy(slot, &value, sizeof value);
  std::memcpy(slot + 4, &high, sizeof high);
}

// Writes only the low 4 bytes of slot k: for arrays whose high words belong to the caller.
inline void setSlotILow(void* slots, long long k, Int value) {
  std::memcpy(static_cast<char*>(slots) + 8 * (k - 1), &value, sizeof value);
}

inline Real slotR(const void* slots, long long k) {
  Real value;
  std::memcpy(&value, static_cast<const char*>(slots) + 8 * (k - 1), sizeof value);
  return value;
}

inline void setSlotR(void* slots, long long k, Real value) {
  std::memcpy(static_cast<char*>(slots) + 8 * (k - 1), &value, sizeof value);
}

}  // namespace rec
