// Test-facing view of PAGIN and NEWPAG: the counts passed and the units they named.
#pragma once

#include <vector>

#include "runtime/fortran_types.h"

namespace eqc_page_testing {

struct PaginCall {
  int lines;
  int unit;  // first word of the print record
};

ZMX_EXPORT std::vector<PaginCall> paginCalls();
// The counts alone, in call order.
ZMX_EXPORT std::vector<int> paginCounts();
ZMX_EXPORT int newPages();
ZMX_EXPORT void resetPageControl();

}  // namespace eqc_page_testing
