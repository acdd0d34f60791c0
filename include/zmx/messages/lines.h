// Message lines on the printed output and the notice at its head.
#pragma once

#include "zmx/types.h"

extern "C" {
// Builds one line of at most 500 characters from the format ("%I" from the integers, "%R" from
// the reals, "%S" from the characters) and writes it broken into print lines: KVXMES on the
// printed-output unit (the message unit when that is 0), KVXMES2 on the message unit. The third
// argument goes to the line builder as its real list and the fourth as its integer list. A line
// that cannot be built is still written, then reported at level -3.
ZMX_EXPORT void KVXMES(const char* format, Int formatLength, const Real* reals, const Int* integers,
                       const char* strings, Int stringLength);
ZMX_EXPORT void KVXMES2(const char* format, Int formatLength, const Real* reals, const Int* integers,
                        const char* strings, Int stringLength, const void* seventh, const void* eighth);

// The boxed notice at the head of the printed output: the release, the build identifier from
// "VELTRO_SEQ", the kind of release, and (nonNuclear -1) the warning that the run is not a
// nuclear-QA version. The first argument is not used. Announces 21 lines to the page count.
ZMX_EXPORT void PHNOTE(const Int* first, const Logical* nonNuclear);
}
