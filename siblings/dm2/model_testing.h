// Test-facing side of the parts, element-list entries and node variables of the dm2 stand-in.
#pragma once

#include <vector>

#include "runtime/fortran_types.h"

namespace dm2_testing {

// Adds a part of elements with these type codes and node lists; returns its index (from 1).
ZMX_EXPORT Int addPart(const std::vector<Int>& types, const std::vector<std::vector<Int>>& nodes);
// Makes ADB_ELEMGET hand back the element handle for the entry.
ZMX_EXPORT void mapElementEntry(Int entry, Int handle);
// Sets node variable id of the node with the internal index.
ZMX_EXPORT void setNodeVariable(Int index, Int id, const std::vector<Real>& values);
// Drops the parts, the entry map and the node variables (their addresses turn stale).
ZMX_EXPORT void clearModelParts();

}  // namespace dm2_testing
