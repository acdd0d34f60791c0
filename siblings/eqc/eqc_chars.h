// Character routines of eqc as the library calls them.
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
// text(1:n) := the first n characters held by the 8-byte items (8 characters each), n cut to the
// caller's field; the rest of the field is blank.
ZMX_EXPORT void ACODEC(const void* items, char* text, Int textLength, const Int* n);
}

// The blank-padded field of fieldLength characters as a terminated string without its trailing
// blanks; string must hold fieldLength + 1 characters. Returns the string's length.
ZMX_EXPORT int apsf2c(char* string, const char* field, int fieldLength);
