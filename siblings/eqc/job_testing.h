// Test-facing view of the eqc job services: page-control counts, job exits and scratch blocks.
#pragma once

#include <vector>

#include "runtime/fortran_types.h"

namespace eqc_job_testing {

// Lines announced to PAGING since the last reset, and the calls one by one.
ZMX_EXPORT int pagedLines();
ZMX_EXPORT std::vector<int> pagingCalls();
ZMX_EXPORT void resetPaging();

// While on, BCU_EXIT records its code and returns instead of ending the process.
ZMX_EXPORT void interceptExit(bool on);
ZMX_EXPORT std::vector<int> exitCodes();

// Scratch blocks of DBGETM not given back yet; the next request fails while failNext is set.
ZMX_EXPORT int liveScratchBlocks();
ZMX_EXPORT void failNextScratchBlock(bool on);

}  // namespace eqc_job_testing
