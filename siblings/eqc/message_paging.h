// Page control of the message output of the eqc stand-in.
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
// The caller has just written n lines on the message unit.
ZMX_EXPORT void PAGMES(const Int* lines);
}
