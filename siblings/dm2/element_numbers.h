// User element numbers and node flag words of the analysis database (upper-case convention).
#pragma once

#include <vector>

#include "runtime/fortran_types.h"

extern "C" {
// The user element number of the element handle.
ZMX_EXPORT Int GETJELNO(const Int* handle);
// Address word (data tag) of one flag word per node, node i at word i; 0 when no flags were set.
ZMX_EXPORT Int ADB_GETBITVECRW(const Int* nodeDatabase);
}

namespace dm2_testing {
// The flag words of the nodes, node i at index i - 1.
ZMX_EXPORT void setNodeFlags(const std::vector<Int>& flags);
}  // namespace dm2_testing
