// Page control of printed output beside PAGING: PAGIN counts the lines of a block printed on the
// unit of a print record, NEWPAG starts a new page. Upper-case convention, every argument by
// pointer.
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
// The caller is about to print (or has printed) n lines on the unit of the print record, whose
// first word is the unit number.
ZMX_EXPORT void PAGIN(const Int* lines, const Int* printRecord);
// Starts a new page of printed output.
ZMX_EXPORT void NEWPAG();
}
