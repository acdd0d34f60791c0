// Test-facing side of the eqc import services: the abort intercept.
#pragma once

#include "runtime/fortran_types.h"

namespace eqc_import_testing {

// While on, LFC_XUT_ABORT counts its calls and returns instead of ending the process.
ZMX_EXPORT void interceptAbort(bool on);
ZMX_EXPORT int abortCount();

}  // namespace eqc_import_testing
