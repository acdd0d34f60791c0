#include "model/merging/merge_support.h"

#include "siblings/eqc/eqc_services.h"

namespace zmx::model::merge {

std::vector<long> readRecords(Real* mirror, Int start, Int end) {
  std::vector<long> offsets;
  constexpr Int kRead = 0;
  for (long address = start; address < end;) {
    Real lengthSlot = 0.0;
    // The length first, so that a record that would run past the range is never copied.
    const Int a = static_cast<Int>(address);
    DBSL(&kRead, mirror + (address - start), &a);
    std::memcpy(&lengthSlot, mirror + (address - start), sizeof lengthSlot);
    const long length = rec::slotI(&lengthSlot, 1);
    if (length < 1 || address + length > end) break;
    offsets.push_back(address - start);
    address += length;
  }
  return offsets;
}

}  // namespace zmx::model::merge
