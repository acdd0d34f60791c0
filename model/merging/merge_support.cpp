#include "model/merging/merge_support.h"

#include "siblings/eqc/bounded_reads.h"

namespace zmx::model::merge {

std::vector<long> readRecords(Real* mirror, Int start, Int end) {
  std::vector<long> offsets;
  for (long address = start; address < end;) {
    // The room is what is left of the range, so a record that would run past it is never copied.
    if (!eqc::readSlideLineRecord(static_cast<Int>(address), mirror + (address - start), end - address)) break;
    const long length = rec::slotI(mirror + (address - start), 1);
    offsets.push_back(address - start);
    address += length;
  }
  return offsets;
}

}  // namespace zmx::model::merge
