// Import interface to a previous analysis: the exported routines of subsystem 9.
#pragma once

#include "runtime/fortran_types.h"

// Use-counted initialise and finalise pair of the import module.
ZMX_EXPORT void edi_initialize(int& counter);
ZMX_EXPORT void edi_finalize(int& counter);
ZMX_EXPORT void EDI_COMMON();
