// Element opening and the element bit-vector of the dm2 stand-in, as the sensitivity
// verification loop calls them (upper-case convention, every argument by pointer).
#pragma once

#include <utility>
#include <vector>

#include "runtime/fortran_types.h"

extern "C" {
// Opens the layout of the element handle for work on it; the result is the layout handle (here
// the element handle itself). 0 (reported) for an element with no sensitivity layout.
ZMX_EXPORT Int ADB_ELEMOPEN(const Int* element);
ZMX_EXPORT void ADB_ELEMCLOSE(const Int* layout);
// Operation on the element bit-vector of the element database (recorded).
ZMX_EXPORT void ADB_BVHDLOP(const Int* operation, const Int* elementDatabase);
}

namespace dm2_dsa_testing {
// Elements opened and not yet closed.
ZMX_EXPORT int openElements();
// The calls of ADB_BVHDLOP as (operation, element database), in call order.
ZMX_EXPORT std::vector<std::pair<Int, Int>> bitVectorCalls();
ZMX_EXPORT void resetElementLoops();
}  // namespace dm2_dsa_testing
