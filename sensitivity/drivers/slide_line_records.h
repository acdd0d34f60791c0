// Reading design-sensitivity records of the slide-line database into bounded buffers.
#pragma once

#include "runtime/fortran_types.h"

namespace zmx::dsa {

inline constexpr Int kListEnd = 2147483647;

// Reads the record at address into room slots; false (reported at level -3 as a system error
// of the routine) when the record is empty or longer than the room, and then nothing is read.
bool readRecord(Int address, Real* buffer, Int room, const char* routine);
// "SYSTEM ERROR IN " and the routine, at level -3.
void systemError(const char* routine);

}  // namespace zmx::dsa
