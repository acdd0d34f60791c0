// Contact-gradient table and the two step stores of a sensitivity analysis. Every address handed
// out (records, stores, list rows) is an address word of its own tag: a row's word turns stale
// when its store grows or is destroyed, and a stale word is reported, never read.
#pragma once

#include <memory>
#include <vector>

#include "zmx/types.h"

// Per-key lists of distinct integers collected during a step.
class ZMX_EXPORT dsa_nodstepref {
 public:
  explicit dsa_nodstepref(Int n);
  ~dsa_nodstepref();
  dsa_nodstepref(const dsa_nodstepref&) = delete;
  dsa_nodstepref& operator=(const dsa_nodstepref&) = delete;

  // Appends value to the list of key (a new row for a new key); false (reported) when the list
  // already holds n values.
  bool addnic(Int key, Int value);
  // Address word of the list row of key (count, then values); 0 when no row holds key.
  Int getnodenic(Int key);
  Int RowsUsed() const { return used_; }
  Int Capacity() const { return capacity_; }
  // Key of row (from 1); 0 outside the rows used.
  Int Key(Int row) const;

 private:
  Int rowOf(Int key) const;
  void grow();
  void unmapRows();

  Int capacity_ = 0;
  Int width_;
  Int used_ = 0;
  std::vector<Int> keys_;
  std::vector<Int> lists_;  // width_ integers per row
  // Row of each key: open addressing over a power-of-two table, key and row + 1 (0: empty).
  std::vector<std::pair<Int, Int>> index_;
  Int rowsWord_ = 0;  // address word of lists_, made when a row is handed out
};

// Key arrays (a count and that many integers) to addresses.
class ZMX_EXPORT dsa_tempstoresteprf {
 public:
  explicit dsa_tempstoresteprf(Int n);
  // Adds a row; false (reported) when the key's count is negative or above n.
  bool addref(Int address, const Int* key);
  // Address of the first row whose stored key equals the key array; 0 when none does.
  Int exists(const Int* key) const;
  Int RowsUsed() const { return used_; }
  Int Capacity() const { return capacity_; }

 private:
  Int width_;
  Int used_ = 0;
  Int capacity_ = 0;
  std::vector<Int> keys_;  // width_ integers per row
  std::vector<Int> addresses_;
};

extern "C" {
// Contact gradients. The name is a blank-padded text; see the operations in the source.
ZMX_EXPORT Int DSA_CONTDB(const char* name, Int nameLength, const Int* op, const Int* id, const Int* d, Int* status);
ZMX_EXPORT Int DSA_SMSLDREC(const Int* op, const Int* record);
ZMX_EXPORT Int DSA_NODESTEPREFDB(const Int* n);
ZMX_EXPORT void DSA_DELSTEPREFDB(const Int* store);
ZMX_EXPORT Int DSA_STEPDBACCESS(const Int* op, const Int* store, const Int* key, const Int* value);
ZMX_EXPORT Int DSA_STEPDBGETNIC(const Int* store, const Int* key);
ZMX_EXPORT Int DSA_TEMPDB(const Int* n);
ZMX_EXPORT void DSA_DELTEMPDB(const Int* store);
ZMX_EXPORT void DSA_TEMPDBADDREF(const Int* store, const Int* address, const Int* key);
ZMX_EXPORT Int DSA_TEMPDBGETADDRS(const Int* store, const Int* key);
}
