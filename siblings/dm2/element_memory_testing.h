// Test-facing side of the dm2 stand-in's nodal variables.
#pragma once

#include <vector>

#include "runtime/fortran_types.h"

namespace dm2_element_testing {
// Sets nodal variable id (replacing an earlier one; its old address turns stale).
ZMX_EXPORT void setNodalVariable(Int id, std::vector<Real> values);
// Its values as they are now; empty when never set.
ZMX_EXPORT std::vector<Real> nodalVariable(Int id);
}  // namespace dm2_element_testing
