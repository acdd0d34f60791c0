// Page tables of the paged data-base units and the transfers through them.

#include "storage/db_units/paged_units.h"

#include <climits>

#include "runtime/address_space.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/eqc_units.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/unit_records.h"
#include "zmx/storage.h"

namespace zmx::units {
namespace {

Int* cdsus() { return CDSUS.w; }
Int* cdsel() { return CDSEL.w; }
Int* cdhy() { return CDHY.w; }
Int* cdml() { return CDML.w; }
Int* cdnd() { return CDND.w; }
Int* cdsl() { return CDSL.w; }
Int* cdrr() { return CDRR.w; }
Int* cdrw() { return CDRW.w; }

// unit, record, record numbers, base words, modified flags, ages, page count, highest record,
// pages at most, CDIC counter word, closing word.
const PagedUnit kPagedUnits[] = {
    {3, cdsus, 3, 10, 17, 25, 32, 33, 7, 6, 38},
    {9, cdsel, 3, 11, 19, 29, 37, 38, 8, 2, 39},
    {16, cdhy, 3, 6, 9, 13, 16, 17, 2, 3, 18},
    {17, cdml, 3, 11, 19, 28, 36, 37, 8, 4, 38},
    {18, cdnd, 3, 10, 17, 26, 33, 34, 7, 1, 37},
    {19, cdsl, 3, 6, 9, 13, 16, 17, 3, 5, 18},
    {22, cdrr, 3, 23, 43, 63, 83, 84, 20, 7, 87},
    {23, cdrw, 4, 5, 6, 7, 8, 9, 1, 8, 17, 2, 3},
};

}  // namespace

const PagedUnit* pagedUnit(Int unit) {
  for (const PagedUnit& candidate : kPagedUnits)
    if (candidate.unit == unit) return &candidate;
  return nullptr;
}

const PagedUnit* pagedUnitOfCount(const Int* count) {
  for (const PagedUnit& candidate : kPagedUnits)
    if (&candidate.word(candidate.count) == count) return &candidate;
  return nullptr;
}

void transfer(const PagedUnit& u, Int operation, void* array, Int length, Int address, Int* indexArea) {
  DBRAN(&operation, array, &length, &address, &u.word(u.fileUnitWord), &u.word(u.pageLengthWord),
        &u.word(u.records), &u.word(u.modified), &u.word(u.count), &u.word(u.ages), &u.word(u.bases),
        &u.word(u.highest), indexArea, &CDIC.w[u.counter - 1], &u.word(u.closing));
}

Real* workSpaceWords(Int base, Int words) {
  const long long word = static_cast<long long>(CSP.w[eqc_records::kWorkSpaceBase - 1]) + 8LL * (base - 1);
  if (base < 1 || words < 0 || word < INT_MIN || word > INT_MAX) {
    cfi_WriteMessage(-3, "SYSTEM ERROR - POOL OUTSIDE THE WORK SPACE");
    return nullptr;
  }
  return mem32::at<Real>(static_cast<Int>(word), static_cast<std::size_t>(words));
}

}  // namespace zmx::units
