// Entries of a sort: a key column and the companion columns that travel with each key. Every
// column is addressed by a 0-based entry index; a strided column holds entry k at k * stride.
// The sorts hold one entry aside (the "held" entry) while others shift into its place.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "runtime/fortran_types.h"

namespace zmx::numerics {

// One value per entry, stride apart.
template <class T>
struct StridedColumn {
  T* at;
  std::size_t stride = 1;
  T held{};

  T& operator[](std::size_t k) const { return at[k * stride]; }
  void hold(std::size_t k) { held = (*this)[k]; }
  void putHeld(std::size_t k) const { (*this)[k] = held; }
  void move(std::size_t from, std::size_t to) const { (*this)[to] = (*this)[from]; }
  void swap(std::size_t i, std::size_t j) const { std::swap((*this)[i], (*this)[j]); }
  std::vector<T> save(std::size_t n) const {
    std::vector<T> saved(n);
    for (std::size_t k = 0; k < n; ++k) saved[k] = (*this)[k];
    return saved;
  }
  void restore(const std::vector<T>& saved) const {
    for (std::size_t k = 0; k < saved.size(); ++k) (*this)[k] = saved[k];
  }
};

// One value per entry, consecutive (the common case, without the stride multiplication).
template <class T>
struct Column {
  T* at;
  T held{};

  T& operator[](std::size_t k) const { return at[k]; }
  void hold(std::size_t k) { held = at[k]; }
  void putHeld(std::size_t k) const { at[k] = held; }
  void move(std::size_t from, std::size_t to) const { at[to] = at[from]; }
  void swap(std::size_t i, std::size_t j) const { std::swap(at[i], at[j]); }
  std::vector<T> save(std::size_t n) const { return std::vector<T>(at, at + n); }
  void restore(const std::vector<T>& saved) const { std::copy(saved.begin(), saved.end(), at); }
};

// m consecutive reals per entry (a column of a matrix with m rows). The held column lives in
// the entry itself up to kInlineRows rows (the usual coordinates and directions), on the heap
// beyond (which may throw std::bad_alloc).
struct RealBlocks {
  static constexpr std::size_t kInlineRows = 8;
  Real* at;
  std::size_t m;
  Real inlineHeld[kInlineRows] = {};
  std::unique_ptr<Real[]> heapHeld;

  RealBlocks(Real* first, std::size_t rows)
      : at(first), m(rows), heapHeld(rows > kInlineRows ? std::make_unique<Real[]>(rows) : nullptr) {}
  Real* held() { return m > kInlineRows ? heapHeld.get() : inlineHeld; }
  const Real* held() const { return m > kInlineRows ? heapHeld.get() : inlineHeld; }
  Real* block(std::size_t k) const { return at + k * m; }
  void hold(std::size_t k) { std::copy(block(k), block(k) + m, held()); }
  void putHeld(std::size_t k) const { std::copy(held(), held() + m, block(k)); }
  void move(std::size_t from, std::size_t to) const { std::copy(block(from), block(from) + m, block(to)); }
  void swap(std::size_t i, std::size_t j) const { std::swap_ranges(block(i), block(i) + m, block(j)); }
  std::vector<Real> save(std::size_t n) const { return std::vector<Real>(at, at + n * m); }
  void restore(const std::vector<Real>& saved) const { std::copy(saved.begin(), saved.end(), at); }
};

// The key column first, then the companions; every operation applies to all of them.
template <class Key, class... Companions>
struct SortEntries {
  using KeyType = std::remove_cvref_t<decltype(std::declval<Key&>()[0])>;

  Key keys;
  std::tuple<Companions...> companions;

  KeyType key(std::size_t k) const { return keys[k]; }
  KeyType heldKey() const { return keys.held; }
  // Writes a key alone, as a scan stop in a position whose entry is held elsewhere.
  void setKey(std::size_t k, KeyType value) const { keys[k] = value; }

  void hold(std::size_t k) {
    keys.hold(k);
    std::apply([k](auto&... c) { (c.hold(k), ...); }, companions);
  }
  void putHeld(std::size_t k) {
    keys.putHeld(k);
    std::apply([k](auto&... c) { (c.putHeld(k), ...); }, companions);
  }
  void move(std::size_t from, std::size_t to) {
    keys.move(from, to);
    std::apply([from, to](auto&... c) { (c.move(from, to), ...); }, companions);
  }
  void swap(std::size_t i, std::size_t j) {
    keys.swap(i, j);
    std::apply([i, j](auto&... c) { (c.swap(i, j), ...); }, companions);
  }

  // A copy of entries 0..n-1 of every column, to put back when a sort is redone (may throw
  // std::bad_alloc).
  auto save(std::size_t n) const {
    return std::apply([&](const auto&... c) { return std::make_tuple(keys.save(n), c.save(n)...); }, companions);
  }
  template <class Saved>
  void restore(const Saved& saved) const {
    keys.restore(std::get<0>(saved));
    restoreCompanions(saved, std::index_sequence_for<Companions...>{});
  }

 private:
  template <class Saved, std::size_t... I>
  void restoreCompanions(const Saved& saved, std::index_sequence<I...>) const {
    (std::get<I>(companions).restore(std::get<I + 1>(saved)), ...);
  }
};

template <class Key, class... Companions>
SortEntries<Key, Companions...> entries(Key key, Companions... companions) {
  return {std::move(key), std::tuple<Companions...>(std::move(companions)...)};
}

}  // namespace zmx::numerics
