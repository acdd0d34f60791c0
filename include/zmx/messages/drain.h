// The message drain: at the end of a phase the host turns every message key that checks have
// filed entities under into one printed line and one node or element set named after the key's
// label, and empties the message accumulator.
#pragma once

#include "zmx/types.h"

class cow_String;

extern "C" {
// print flag (-1: print nothing), analysis flag (0 in the pre-processor), step, increment and two
// further integers that the numerical messages write into their set names.
ZMX_EXPORT void SHR_MSGPRINT(const Int* printFlag, const Int* analysisFlag, const Int* step, const Int* increment,
                             const Int* first, const Int* second);
}

// Takes its six integers by plain reference, as hosts declare it; it writes none of them.
ZMX_EXPORT void shr_msgprintC(int& printFlag, int& analysisFlag, int& step, int& increment, int& first, int& second);

// label + "Step" + step + "Inc" + increment, numbers in decimal with no separators.
ZMX_EXPORT cow_String AssembleSetNameStepInc(const char* label, int step, int increment);
// label + "_" d + "_" step + "_" increment + "_" first + "_" second.
ZMX_EXPORT cow_String AssembleSetName(const char* label, int d, int step, int increment, int first, int second);
