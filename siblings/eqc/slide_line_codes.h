// Services of the eqc stand-in around the slide-line database: coding a name into the code the
// database records carry, and the length word of a record read in place.
// Upper-case convention: extern "C", arguments by pointer, a character argument followed by its
// length (passed by value as the callers write it).
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
// The first n characters of the blank-padded name, byte for byte, into code (n bytes): a name
// shorter than n is padded with blanks, a longer one is cut.
ZMX_EXPORT void ACODCE(const char* name, Int nameLength, void* code, const Int* n);

// Length word (slot 1) of the slide-line record at the address, without copying the record;
// 0 when the address lies outside the slide-line database.
ZMX_EXPORT Int DBSLLENGTH(const Int* address);
}
