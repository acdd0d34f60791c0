// What the interface element routines share (not exported).
#pragma once

#include "runtime/fortran_types.h"

namespace zmx_interface {

// The last of the count addresses that lies in [first, end), 0 when none does.
Int lastInRange(const Int* addresses, Int count, Int first, Int end);
// Reads the record at the address into the buffer; false (nothing read) for address 0.
bool readRecord(Int address, void* buffer);
// One element measured into both the structural and the interface cells of CPHCON.
void addBoth(Real length);
void addInterface(Real length, bool count);
// Distance between nodes 1 and n in the first dims coordinates.
Real endDistance(const Real* X, Int ldim, Int n, int dims);

}  // namespace zmx_interface
