// Conversion of a blank-padded text to a terminated one, as the library calls it.
#pragma once

#include "runtime/fortran_types.h"

// Copies the text of the length, without its trailing blanks, into out and terminates it; out
// holds at least length + 1 characters.
ZMX_EXPORT void lxftoc(char* out, const char* text, Int length);
