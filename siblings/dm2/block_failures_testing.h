// Test-facing hook of the dm2 stand-in: the next k blocks of RDM_ALLOCATETEMPORARY,
// ADB_GLOBALMEMOPENI (and any other temporary or global-memory block) are refused.
#pragma once

#include "runtime/fortran_types.h"

namespace dm2_testing {
ZMX_EXPORT void refuseNextBlocks(int k);
}  // namespace dm2_testing
