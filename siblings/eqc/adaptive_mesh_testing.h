// Test-facing side of the adaptive-meshing record of eqc.
#pragma once

#include "runtime/fortran_types.h"

namespace eqc_adaptive_testing {

// Sets the length of the sorted node-label list (CADAPTMESH word 2).
ZMX_EXPORT void setAdaptiveNodeCount(Int count);

}  // namespace eqc_adaptive_testing
