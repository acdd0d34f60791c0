// Record stores and environment lookup of eqc as the library calls them (upper-case convention).
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
// Slide-line database. Operation 0 copies the record that starts at the 1-based slot address
// into the buffer of 8-byte slots; slot 1 of a record holds its length in slots, so the next
// record starts at address + length. An address or length outside the store is reported at
// level -3 and nothing is copied.
ZMX_EXPORT void DBSL(const Int* operation, void* buffer, const Int* address);

// Environment lookup: the value of the variable named by name (trailing blanks ignored), cut or
// blank-padded to the caller's field; length receives the value's actual length, also when it
// is longer than the field, and 0 when the variable is not set (the field is then blank).
ZMX_EXPORT void LXGENV(const char* name, Int nameLength, char* value, Int valueLength, Int* length);
}
