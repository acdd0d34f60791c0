// Builders shared by the model tests: records of 8-byte slots, table records and material records.
#pragma once

#include <initializer_list>
#include <vector>

#include "runtime/record.h"
#include "zmx/types.h"

namespace modeltest {

// A growing array of 8-byte slots, addressed from 1.
struct Slots {
  std::vector<Real> s;
  long size() const { return static_cast<long>(s.size()); }
  void integer(Int v) {
    s.push_back(0.0);
    rec::setSlotI(&s.back(), 1, v);
  }
  void real(Real v) { s.push_back(v); }
  Int integerAt(long k) const { return rec::slotI(s.data(), k); }
  void setInteger(long k, Int v) { rec::setSlotI(s.data(), k, v); }
  const Int* asIntegers() const { return reinterpret_cast<const Int*>(s.data()); }
};

// A table record: D, flags, R, W, then the rows.
inline void appendTable(Slots& r, const std::vector<Int>& flags, Int values, const std::vector<std::vector<Real>>& rows) {
  r.integer(static_cast<Int>(flags.size()));
  for (Int f : flags) r.integer(f);
  r.integer(static_cast<Int>(rows.size()));
  r.integer(values + static_cast<Int>(flags.size()));
  for (const auto& row : rows)
    for (Real v : row) r.real(v);
}

struct Option {
  Int code;
  std::vector<Int> flags;
  Int values;
  std::vector<std::vector<Real>> rows;
};

// A material record: slot 1 its length, slot 3 the option count, code and location pairs from
// slot 6, then each option's table record.
inline Slots material(const std::vector<Option>& options) {
  Slots r;
  r.integer(0);
  r.integer(0);
  r.integer(static_cast<Int>(options.size()));
  r.integer(0);
  r.integer(0);
  for (std::size_t k = 0; k < options.size(); ++k) {
    r.integer(options[k].code);
    r.integer(0);
  }
  for (std::size_t k = 0; k < options.size(); ++k) {
    r.setInteger(7 + 2 * static_cast<long>(k), static_cast<Int>(r.size() + 1));
    appendTable(r, options[k].flags, options[k].values, options[k].rows);
  }
  r.setInteger(1, static_cast<Int>(r.size()));
  return r;
}

}  // namespace modeltest
