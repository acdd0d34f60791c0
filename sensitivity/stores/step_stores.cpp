// The per-node step lists and the key-to-address table of a sensitivity step.
#include <algorithm>
#include <cstring>

#include "runtime/address_space.h"
#include "siblings/eqc/eqc_messages.h"
#include "zmx/sensitivity.h"

namespace {

constexpr mem32::Tag kNodeStoreTag = mem32::tag("DSNS");
constexpr mem32::Tag kNodeRowsTag = mem32::tag("DSNL");
constexpr mem32::Tag kTempStoreTag = mem32::tag("DSTS");
constexpr Int kGrowth = 10;

std::size_t hashOf(Int key) { return static_cast<std::uint32_t>(key) * 0x9E3779B1u; }

template <class T>
T* storeOf(const Int* word, mem32::Tag tag) {
  return *word == 0 ? nullptr : mem32::at<T>(*word, 1, tag);
}

}  // namespace

// ---- per-node lists ----

dsa_nodstepref::dsa_nodstepref(Int n) : width_(n >= 0 ? n + 1 : 1) {}

dsa_nodstepref::~dsa_nodstepref() { unmapRows(); }

void dsa_nodstepref::unmapRows() {
  if (rowsWord_ != 0) mem32::unmap(rowsWord_);
  rowsWord_ = 0;
}

Int dsa_nodstepref::rowOf(Int key) const {
  if (index_.empty()) return 0;
  const std::size_t mask = index_.size() - 1;
  for (std::size_t k = hashOf(key) & mask;; k = (k + 1) & mask) {
    if (index_[k].second == 0) return 0;
    if (index_[k].first == key) return index_[k].second;
  }
}

// The capacity grows by ten rows; the arrays behind it grow geometrically so that a long step
// costs no more than its rows. Row words handed out before turn stale.
void dsa_nodstepref::grow() {
  unmapRows();
  capacity_ += kGrowth;
  const std::size_t rows = static_cast<std::size_t>(capacity_);
  if (keys_.capacity() < rows) {
    keys_.reserve(std::max(rows, 2 * keys_.capacity()));
    lists_.reserve(keys_.capacity() * static_cast<std::size_t>(width_));
  }
  keys_.resize(rows, 0);
  lists_.resize(rows * static_cast<std::size_t>(width_), 0);
  std::size_t slots = 16;
  while (slots < 2 * rows) slots *= 2;
  if (index_.size() < slots) {
    std::vector<std::pair<Int, Int>> old = std::move(index_);
    index_.assign(slots, {0, 0});
    const std::size_t mask = slots - 1;
    for (const auto& [key, row] : old) {
      if (row == 0) continue;
      std::size_t k = hashOf(key) & mask;
      while (index_[k].second != 0) k = (k + 1) & mask;
      index_[k] = {key, row};
    }
  }
}

bool dsa_nodstepref::addnic(Int key, Int value) {
  Int row = rowOf(key);
  if (row != 0) {
    Int* list = &lists_[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(width_)];
    const Int count = list[0];
    if (std::find(list + 1, list + 1 + count, value) != list + 1 + count) return true;
    if (count + 1 >= width_) {
      cfi_WriteMessage(-3, "SYSTEM ERROR IN DSA_STEPDBACCESS");
      return false;
    }
    list[count + 1] = value;
    list[0] = count + 1;
    return true;
  }
  if (width_ < 2) {
    cfi_WriteMessage(-3, "SYSTEM ERROR IN DSA_STEPDBACCESS");
    return false;
  }
  if (used_ + 1 > capacity_) grow();
  row = ++used_;
  keys_[static_cast<std::size_t>(row - 1)] = key;
  Int* list = &lists_[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(width_)];
  list[0] = 1;
  list[1] = value;
  const std::size_t mask = index_.size() - 1;
  std::size_t k = hashOf(key) & mask;
  while (index_[k].second != 0) k = (k + 1) & mask;
  index_[k] = {key, row};
  return true;
}

Int dsa_nodstepref::getnodenic(Int key) {
  const Int row = rowOf(key);
  if (row == 0) return 0;
  if (rowsWord_ == 0) rowsWord_ = mem32::map(lists_.data(), lists_.size() * sizeof(Int), kNodeRowsTag);
  if (rowsWord_ == 0) return 0;
  return rowsWord_ + static_cast<Int>(static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(width_) * sizeof(Int));
}

Int dsa_nodstepref::Key(Int row) const { return row >= 1 && row <= used_ ? keys_[static_cast<std::size_t>(row - 1)] : 0; }

// ---- key arrays to addresses ----

dsa_tempstoresteprf::dsa_tempstoresteprf(Int n) : width_(n >= 0 ? n + 1 : 1) {}

bool dsa_tempstoresteprf::addref(Int address, const Int* key) {
  const Int count = key[0];
  if (count < 0 || count + 1 > width_) {
    cfi_WriteMessage(-3, "SYSTEM ERROR IN DSA_TEMPDBADDREF");
    return false;
  }
  if (used_ + 1 > capacity_) {
    capacity_ += kGrowth;
    keys_.resize(static_cast<std::size_t>(capacity_) * static_cast<std::size_t>(width_), 0);
    addresses_.resize(static_cast<std::size_t>(capacity_), 0);
  }
  std::copy(key, key + count + 1, &keys_[static_cast<std::size_t>(used_) * static_cast<std::size_t>(width_)]);
  addresses_[static_cast<std::size_t>(used_)] = address;
  ++used_;
  return true;
}

Int dsa_tempstoresteprf::exists(const Int* key) const {
  for (Int row = 0; row < used_; ++row) {
    const Int* stored = &keys_[static_cast<std::size_t>(row) * static_cast<std::size_t>(width_)];
    if (stored[0] != key[0]) continue;
    if (std::equal(stored + 1, stored + 1 + stored[0], key + 1)) return addresses_[static_cast<std::size_t>(row)];
  }
  return 0;
}

extern "C" {

Int DSA_NODESTEPREFDB(const Int* n) {
  auto* store = new dsa_nodstepref(*n);
  const Int word = mem32::map(store, sizeof *store, kNodeStoreTag);
  if (word == 0) delete store;
  return word;
}

void DSA_DELSTEPREFDB(const Int* store) {
  dsa_nodstepref* s = storeOf<dsa_nodstepref>(store, kNodeStoreTag);
  if (s == nullptr) return;
  mem32::unmap(*store);
  delete s;
}

Int DSA_STEPDBACCESS(const Int* op, const Int* store, const Int* key, const Int* value) {
  dsa_nodstepref* s = storeOf<dsa_nodstepref>(store, kNodeStoreTag);
  if (s == nullptr) return 0;
  switch (*op) {
    case 0: s->addnic(*key, *value); return 0;
    case 1: return s->RowsUsed();
    case 2: return s->Key(*key);
    default: return 0;
  }
}

Int DSA_STEPDBGETNIC(const Int* store, const Int* key) {
  dsa_nodstepref* s = storeOf<dsa_nodstepref>(store, kNodeStoreTag);
  return s ? s->getnodenic(*key) : 0;
}

Int DSA_TEMPDB(const Int* n) {
  auto* store = new dsa_tempstoresteprf(*n);
  const Int word = mem32::map(store, sizeof *store, kTempStoreTag);
  if (word == 0) delete store;
  return word;
}

void DSA_DELTEMPDB(const Int* store) {
  dsa_tempstoresteprf* s = storeOf<dsa_tempstoresteprf>(store, kTempStoreTag);
  if (s == nullptr) return;
  mem32::unmap(*store);
  delete s;
}

void DSA_TEMPDBADDREF(const Int* store, const Int* address, const Int* key) {
  if (dsa_tempstoresteprf* s = storeOf<dsa_tempstoresteprf>(store, kTempStoreTag)) s->addref(*address, key);
}

Int DSA_TEMPDBGETADDRS(const Int* store, const Int* key) {
  const dsa_tempstoresteprf* s = storeOf<dsa_tempstoresteprf>(store, kTempStoreTag);
  return s ? s->exists(key) : 0;
}

}  // extern "C"
