// Integer-keyed hash tables of the utility library, installed with the library's headers.
//
// zmx::FlatIntMap is a flat open-addressing table keyed by 32-bit integers.
// The integer-keyed containers and the label tables of the set lists are looked up millions of
// times per analysis; one probe into a contiguous slot array costs one cache miss where a
// node-based map costs several. Slots hold key and value side by side, linear probing, a power of
// two capacity kept at most half full. Entries are never erased one by one (no container of this
// library removes single keys), so no tombstones are needed. The key kEmpty marks a free slot;
// an entry under that key itself is kept beside the slots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>
#include <utility>
#include <vector>

#include "zmx/types.h"

namespace zmx {

template <class V>
class FlatIntMap {
 public:
  FlatIntMap() = default;

  std::size_t size() const { return count_ + (hasEmptyKey_ ? 1 : 0); }
  bool empty() const { return size() == 0; }

  void clear() {
    slots_.clear();
    slots_.shrink_to_fit();
    mask_ = 0;
    count_ = 0;
    hasEmptyKey_ = false;
    emptyKeyValue_ = V{};
  }

  // Room for n entries without growing.
  void reserve(std::size_t n) {
    std::size_t capacity = kMinCapacity;
    while (capacity < 2 * n) capacity *= 2;
    if (capacity > slots_.size()) rehash(capacity);
  }

  // The value of the key, or null.
  const V* find(Int key) const {
    if (key == kEmpty) return hasEmptyKey_ ? &emptyKeyValue_ : nullptr;
    if (slots_.empty()) return nullptr;
    for (std::size_t k = home(key);; k = (k + 1) & mask_) {
      const Slot& slot = slots_[k];
      if (slot.key == key) return &slot.value;
      if (slot.key == kEmpty) return nullptr;
    }
  }
  V* find(Int key) { return const_cast<V*>(std::as_const(*this).find(key)); }

  bool contains(Int key) const { return find(key) != nullptr; }

  // The value of the key, inserted as V{} when absent; the flag tells whether it was inserted.
  std::pair<V*, bool> insert(Int key) {
    if (key == kEmpty) {
      const bool inserted = !hasEmptyKey_;
      hasEmptyKey_ = true;
      return {&emptyKeyValue_, inserted};
    }
    if (2 * (count_ + 1) > slots_.size()) rehash(slots_.empty() ? kMinCapacity : 2 * slots_.size());
    std::size_t k = home(key);
    while (slots_[k].key != kEmpty) {
      if (slots_[k].key == key) return {&slots_[k].value, false};
      k = (k + 1) & mask_;
    }
    slots_[k].key = key;
    ++count_;
    return {&slots_[k].value, true};
  }

  // Calls visit(key, value) for every entry, in slot order.
  template <class Visit>
  void forEach(Visit&& visit) const {
    if (hasEmptyKey_) visit(kEmpty, emptyKeyValue_);
    for (const Slot& slot : slots_)
      if (slot.key != kEmpty) visit(slot.key, slot.value);
  }

 private:
  static constexpr Int kEmpty = std::numeric_limits<Int>::min();
  static constexpr std::size_t kMinCapacity = 16;

  struct Slot {
    Int key = kEmpty;
    V value{};
  };

  // Fibonacci hashing: the high bits of the product spread consecutive labels over the table.
  std::size_t home(Int key) const {
    const std::uint64_t product = static_cast<std::uint32_t>(key) * 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(product >> 32) & mask_;
  }

  void rehash(std::size_t capacity) {
    std::vector<Slot> old(capacity);
    old.swap(slots_);
    mask_ = capacity - 1;
    for (Slot& slot : old) {
      if (slot.key == kEmpty) continue;
      std::size_t k = home(slot.key);
      while (slots_[k].key != kEmpty) k = (k + 1) & mask_;
      slots_[k].key = slot.key;
      slots_[k].value = std::move(slot.value);
    }
  }

  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
  std::size_t count_ = 0;  // entries in slots_
  bool hasEmptyKey_ = false;
  V emptyKeyValue_{};
};

}  // namespace zmx

// The utility library's integer table: two halves, negative keys stored under their absolute
// value in the first, the others in the second. The absolute value of the most negative key does
// not fit an int; its bit pattern does, and the halves compare bit patterns, so it is kept as well.
template <class T>
class omi_IntTable {
 public:
  std::size_t size() const { return negative_.size() + nonNegative_.size(); }

  void clear() {
    negative_.clear();
    nonNegative_.clear();
  }

  // Room for n keys without growing, taken as non-negative (labels mostly are).
  void reserve(std::size_t n) { nonNegative_.reserve(n); }

  // Stores the value under the key when the key is absent; a present key keeps its value.
  // True when the pair was inserted.
  bool insert(Int key, const T& value) {
    auto [stored, inserted] = half(key).insert(halfKey(key));
    if (inserted) *stored = value;
    return inserted;
  }

  // The value of the key, or null.
  const T* find(Int key) const { return half(key).find(halfKey(key)); }

 private:
  static Int halfKey(Int key) {
    return key < 0 ? static_cast<Int>(0u - static_cast<std::uint32_t>(key)) : key;
  }
  zmx::FlatIntMap<T>& half(Int key) { return key < 0 ? negative_ : nonNegative_; }
  const zmx::FlatIntMap<T>& half(Int key) const { return key < 0 ? negative_ : nonNegative_; }

  zmx::FlatIntMap<T> negative_;
  zmx::FlatIntMap<T> nonNegative_;
};
