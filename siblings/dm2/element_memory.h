// Element scratch blocks and nodal variables of the dm2 stand-in, as the element library calls
// them (upper-case convention, every argument by pointer).
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
// A new zeroed block of size reals for the element of the handle; ADB_MEMCLOSE closes it, and
// dm2_testing::openBlocks counts it until then. 0 (reported) when it cannot be had.
ZMX_EXPORT Int ADB_MEMOPEN(const Int* element, const Int* size);
// Address of the reals of nodal variable id (mode 1: read and write); 0 when the variable was
// never set. The handle is not read.
ZMX_EXPORT Int ADB_GETVARNDRW(const Int* handle, const Int* id, const Int* mode);
}
