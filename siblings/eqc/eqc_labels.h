// The long-label store of the sibling library eqc, as this library calls it.
//
// Labels longer than 8 characters are kept in a list. Operations: 0, 1 and 11 register the label
// in the field (result: its entry number, 0 for a label of at most 8 characters; status 2 when
// the store is full); 5 gives the number of labels; 6 makes the long labels of the substructure
// named in the field current (status 1 when they cannot be had, as a test may arrange); 7 (job
// exit), 8 and any other operation do nothing.
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
// Makes operation 6 fail (status 1) until reset.
ZMX_EXPORT void failLabelRetrieval(bool fails);
}  // namespace eqc_testing
