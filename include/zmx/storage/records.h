// Named records defined by this library and read by several subsystems.
#pragma once

#include "zmx/record_types.h"
#include "zmx/types.h"

// Element work-array layout of the current element: words name offsets of its sections in the
// element work array (word 33 the node-condition scratch record, words 3, 4, 6, 30, 99, 100 the
// node array, degree-of-freedom list, record buffers and maps; word 17 and 106 the ends of the
// element's output-database block).
ZMX_RECORD_TYPE(CELGI, 200);
extern "C" ZMX_EXPORT CELGI_t CELGI;

// Element flags of the model: word 14 and word 26 (nonzero when emissivity is defined, which adds
// the emissivity lines to the heat-transfer and thermal-electrical step echoes) are read.
ZMX_RECORD_TYPE(CELFLG, 100);
extern "C" ZMX_EXPORT CELFLG_t CELFLG;

namespace zmx::element_flags {
inline constexpr int kEmissivity = 26;
inline constexpr int kTwoDimensionalNodes = 14;  // non-zero: nodes whose flag bit 3 is clear are planar
}  // namespace zmx::element_flags

// Procedure state of the run: word 26 is 1 when the rigid surfaces are kept as analysis-time
// records (the output-database writer then reads them from those records).
ZMX_RECORD_TYPE(CPROC, 100);
extern "C" ZMX_EXPORT CPROC_t CPROC;

namespace zmx::procedure {
inline constexpr int kAnalysisTimeRigidSurfaces = 26;
}  // namespace zmx::procedure
