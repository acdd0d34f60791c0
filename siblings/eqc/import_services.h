// Services of the eqc stand-in that the import reader calls: address words of the caller's
// arrays, the run-time file name of a unit, an error line, the abort, and a padded compare.
// Upper-case convention: extern "C", arguments by pointer, a character argument followed by its
// length (here passed by value as the callers write it).
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
// Address word of the array (the host must have mapped the block that holds it); 0 (reported at
// level -3) when it lies in no mapped block.
ZMX_EXPORT Int LFC_XUT_POINTER(const void* array);

// Address of x in 4-byte units: its address word divided by 4; 0 (reported) when unmapped.
ZMX_EXPORT Int LXNSUA(const void* x);

// Sets the run-time file name of a unit: the environment variable named by the first field
// (e.g. "FOR0060") takes the second field without its trailing blanks.
ZMX_EXPORT void LXPENV(const char* name, Int nameLength, const char* path, Int pathLength);

// Prints one line on the message unit.
ZMX_EXPORT void LFC_XUT_ERRMSG(const char* text, Int textLength);

// Ends the process at once; a test can intercept it (eqc_import_testing::interceptAbort), and the
// call then only counts and returns.
ZMX_EXPORT void LFC_XUT_ABORT();

// Blank-padded comparison of two fields: 0 when equal, -1 or 1 by the first differing character.
ZMX_EXPORT Int BCU_ACOMP(const char* first, Int firstLength, const char* second, Int secondLength);
}
