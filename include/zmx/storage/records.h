// Named records defined by this library and read by several subsystems.
#pragma once

#include "zmx/record_types.h"
#include "zmx/types.h"

// Element flags of the model: word 14 and word 26 (nonzero when emissivity is defined, which adds
// the emissivity lines to the heat-transfer and thermal-electrical step echoes) are read.
ZMX_RECORD_TYPE(CELFLG, 100);
extern "C" ZMX_EXPORT CELFLG_t CELFLG;

namespace zmx::element_flags {
inline constexpr int kEmissivity = 26;
}  // namespace zmx::element_flags
