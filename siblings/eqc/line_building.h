// Message lines of the eqc stand-in: one line built from a format and argument lists, and a line
// written broken into print lines. Upper-case convention.
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
// Fills the line (blank-padded to lineLength) with the format, "%I" taking successive integers,
// "%R" successive reals and "%S" successive items of stringLength characters (trailing blanks
// dropped), as KVXERR fills a message. status := 1 when the filled text is longer than the
// line or than capacity characters (the part that fits is kept), else left as it is.
ZMX_EXPORT void LINBLD(const char* format, Int formatLength, const Int* integers, const Real* reals,
                       const char* strings, Int stringLength, char* line, Int lineLength, const Int* capacity,
                       Int* status);
// The same; the two further arguments are passed by.
ZMX_EXPORT void LINBLD1(const char* format, Int formatLength, const Int* integers, const Real* reals,
                        const char* strings, Int stringLength, const void* seventh, const void* eighth, char* line,
                        Int lineLength, const Int* capacity, Int* status);
// Writes the line without its trailing blanks on the unit, in print lines of 80 columns: the
// first from column 1, the rest after the indent; a line breaks after its last blank that fits,
// or at the column when it has none. A blank line is written as one empty line. Both modes (1
// and 2) write the same.
ZMX_EXPORT void LINBRK(const Int* mode, const char* indent, Int indentLength, const char* line, Int lineLength,
                       const Int* unit);
}
