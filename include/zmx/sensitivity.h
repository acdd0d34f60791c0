// Design sensitivity analysis: the module's exported routines.
#pragma once

#include "zmx/types.h"

// Use-counted initialise and finalise pair of the design-sensitivity module.
ZMX_EXPORT void dsa_initialize(int& counter);
ZMX_EXPORT void dsa_finalize(int& counter);

#include "zmx/sensitivity/state.h"
#include "zmx/sensitivity/storage.h"
#include "zmx/sensitivity/manipulators.h"
#include "zmx/sensitivity/responses.h"
#include "zmx/sensitivity/stores.h"
#include "zmx/sensitivity/drivers.h"
