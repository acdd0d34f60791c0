// Initialise and finalise pair of the utl stand-in.
#pragma once

#include "runtime/fortran_types.h"

ZMX_EXPORT void utl_initialize(int& counter);
ZMX_EXPORT void utl_finalize(int& counter);
