// Character routines of eqc as the library calls them.
#pragma once

#include "runtime/fortran_types.h"

// The blank-padded field of fieldLength characters as a terminated string without its trailing
// blanks; string must hold fieldLength + 1 characters. Returns the string's length.
ZMX_EXPORT int apsf2c(char* string, const char* field, int fieldLength);
