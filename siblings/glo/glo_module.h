// Initialise and finalise pair of the glo stand-in.
#pragma once

#include "runtime/fortran_types.h"

ZMX_EXPORT void glo_initialize(int& counter);
ZMX_EXPORT void glo_finalize(int& counter);
