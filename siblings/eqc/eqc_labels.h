// The long-label store of the sibling library eqc, as this library calls it.
//
// Labels longer than 8 characters are kept in a list; coded 8-character names refer to entry i
// by the token " L" followed by i in 6 columns. Operations: 0 registers the label in the field
// (result: its entry number, 0 for a label of at most 8 characters; status 2 when the store is
// full); 1 and 11 expand a token in the field into its full label, blank-padded; 5 gives the
// number of labels; 7 (job exit) and any other operation do nothing.
#pragma once

#include <string>
#include <vector>

#include "runtime/fortran_types.h"

extern "C" {
ZMX_EXPORT Int LABELACCESS(const Int* operation, char* label, Int labelLength, Int* status);
}

namespace eqc_testing {
// The labels registered so far, in entry order.
ZMX_EXPORT std::vector<std::string> longLabels();
// Empties the store and sets how many labels it takes (a large number by default).
ZMX_EXPORT void resetLongLabels(int capacity = 999999);
}  // namespace eqc_testing
