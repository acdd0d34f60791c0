// Solver parts of the inp stand-in: how many there are and which part an element's part entry
// belongs to.
#pragma once

#include <map>

#include "runtime/fortran_types.h"

extern "C" {
// With (0, -1) the number of solver parts; with a part entry and any other second argument the
// part index of that entry (0 for an entry the map does not hold).
ZMX_EXPORT Int INP_SOLVERPARTINDEX(const Int* entry, const Int* query);
}

namespace inp_testing {
// Sets the number of solver parts and the part index of each entry.
ZMX_EXPORT void setSolverParts(Int count, const std::map<Int, Int>& partOfEntry);
}  // namespace inp_testing
