// Design sensitivity analysis: the exported routines of subsystem 10.
#pragma once

#include "runtime/fortran_types.h"

// Use-counted initialise and finalise pair of the design-sensitivity module.
ZMX_EXPORT void dsa_initialize(int& counter);
ZMX_EXPORT void dsa_finalize(int& counter);
