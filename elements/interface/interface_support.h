// What the interface element routines share (not exported).
#pragma once

#include <vector>

#include "runtime/fortran_types.h"

namespace zmx_interface {

// The last of the count addresses that lies in [first, end), 0 when none does.
Int lastInRange(const Int* addresses, Int count, Int first, Int end);
// Reads the slide-line record at the address into storage of its own, padded with zero slots to
// at least the slots the interface routines read (the callers' record buffers have no stated
// room); false (nothing read) for address 0 or a record that cannot be read.
bool readRecord(Int address, std::vector<Real>& record);
// One element measured into both the structural and the interface cells of CPHCON.
void addBoth(Real length);
void addInterface(Real length, bool count);
// Distance between nodes 1 and n in the first dims coordinates.
Real endDistance(const Real* X, Int ldim, Int n, int dims);

}  // namespace zmx_interface
