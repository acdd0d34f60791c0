// Initialise and finalise pair of the bdo stand-in.
#pragma once

#include "runtime/fortran_types.h"

ZMX_EXPORT void bdo_initialize(int& counter);
ZMX_EXPORT void bdo_finalize(int& counter);
