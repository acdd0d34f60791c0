// Output-database state helpers: the layout of the output-variable descriptors and the default
// nodal output key of the run.
#pragma once

#include "zmx/types.h"

extern "C" {
// Operation 1 lays out the first word of each descriptor of CDWSP; 0 empties the list.
ZMX_EXPORT void ODBDYN(const Int* operation);
// Offers a nodal output key with its 80-character label as the run's default.
ZMX_EXPORT void SHR_NDDEFV(const Int* key, const char* label, Int labelLength);
// Offers a key without label; the second argument is not used.
ZMX_EXPORT void SHR_NDDEFVDDB(const Int* key, const Int* unused);
}
