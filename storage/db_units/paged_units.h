// The paged data-base units: where each unit keeps its page table, and the transfer of words
// through that table by the sibling random-access routine.
#pragma once

#include "runtime/fortran_types.h"

namespace zmx::units {

// Word numbers (1-based) of one unit's page table in its named record.
struct PagedUnit {
  Int unit;
  Int* (*record)();  // the record's words
  int records, bases, modified, ages, count, highest;
  int maxPages;
  int counter;  // word of CDIC
  int closing;  // closing word in the unit's record
  int pageLengthWord = 1;
  int fileUnitWord = 2;

  Int& word(int k) const { return record()[k - 1]; }
};

// The paged unit of the number, or null.
const PagedUnit* pagedUnit(Int unit);
// The paged unit whose page-count word this is, or null.
const PagedUnit* pagedUnitOfCount(const Int* count);

// A transfer of length words at address of the unit through DBRAN (operation 0 read, 1 write;
// length 0 on a read: the record's own length). indexArea is the unit's index area.
void transfer(const PagedUnit& unit, Int operation, void* array, Int length, Int address, Int* indexArea);

// Byte address word of work-space word base (CSP word 3 + 8 (base - 1)), resolved for words
// 8-byte words; null (reported) outside the work space.
Real* workSpaceWords(Int base, Int words);

}  // namespace zmx::units
