// Output databases of substructures in the glo stand-in: opened by name into a handle, one of
// them current.
#pragma once

#include <string>

#include "runtime/fortran_types.h"

extern "C" {
// Opens the output database file of the name into handle (-1 when the file does not exist).
ZMX_EXPORT void EXTC_OPENDDB(const char* name, Int nameLength, Int* handle);
// Makes the output database of the handle current.
ZMX_EXPORT void EXTC_SETCURRENTDDB(const Int* handle);
}

namespace glo_testing {
// The current output database's file name ("" when none) and its handle (-1 when none).
ZMX_EXPORT std::string currentOutputDatabase();
ZMX_EXPORT Int currentOutputHandle();
}  // namespace glo_testing
