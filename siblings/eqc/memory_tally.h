// The run's memory tally of the eqc stand-in: a count of the bytes the library holds in its
// buffers, which the out-of-memory report quotes.
#pragma once

#include <cstdint>

#include "runtime/fortran_types.h"

extern "C" {
ZMX_EXPORT void BCU_ADDMEMORYTOTALLY(const std::int64_t* bytes);
ZMX_EXPORT void BCU_SUBMEMORYFROMTALLY(const std::int64_t* bytes);
}

// Bytes in the tally now.
ZMX_EXPORT std::int64_t bcu_gettotalMemoryAlloc();
