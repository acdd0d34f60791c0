// Import of an earlier explicit analysis: the module's exported routines.
#pragma once

#include "zmx/types.h"
#include "zmx/import/records.h"

// Use-counted initialise and finalise pair of the import module.
ZMX_EXPORT void edi_initialize(int& counter);
ZMX_EXPORT void edi_finalize(int& counter);
ZMX_EXPORT void EDI_COMMON();
