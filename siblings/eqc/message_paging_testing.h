// Test-facing view of PAGMES: the line counts it was handed, one per call.
#pragma once

#include <vector>

#include "runtime/fortran_types.h"

namespace eqc_message_paging_testing {
ZMX_EXPORT std::vector<int> pagmesCalls();
ZMX_EXPORT void resetPagmes();
}  // namespace eqc_message_paging_testing
