// A caller's array of 8-byte words laid into the address space, so that routines know its room,
// followed by guard words outside the mapped block that show any write past it.
#pragma once

#include <cstddef>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/fortran_types.h"

namespace zmxtest {

class MappedArray {
 public:
  static constexpr Real kGuard = -7.0;
  explicit MappedArray(std::size_t room, std::size_t guards = 8)
      : room_(room), slots_(room + guards, kGuard), word_(mem32::map(slots_.data(), room * sizeof(Real), mem32::tag("TEST"))) {}
  ~MappedArray() { mem32::unmap(word_); }
  MappedArray(const MappedArray&) = delete;
  MappedArray& operator=(const MappedArray&) = delete;

  Real* data() { return slots_.data(); }
  Real& operator[](std::size_t k) { return slots_[k]; }
  bool guardsKept() const {
    for (std::size_t k = room_; k < slots_.size(); ++k)
      if (slots_[k] != kGuard) return false;
    return true;
  }

 private:
  std::size_t room_;
  std::vector<Real> slots_;
  Int word_;
};

}  // namespace zmxtest
