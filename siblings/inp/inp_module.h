// Initialise and finalise pair of the inp stand-in.
#pragma once

#include "runtime/fortran_types.h"

ZMX_EXPORT void inp_initialize(int& counter);
ZMX_EXPORT void inp_finalize(int& counter);
