// The named record of adaptive meshing that the library imports from eqc. Word 2 holds the length
// of the sorted node-label list that the ridge classification of master-surface nodes searches.
#pragma once

#include "runtime/fortran_types.h"
#include "runtime/record.h"

ZMX_RECORD_TYPE(CADAPTMESH, 1000);

extern "C" {
ZMX_EXPORT extern CADAPTMESH_t CADAPTMESH;
}

namespace eqc_records {

// CADAPTMESH
inline constexpr int kAdaptiveNodeCount = 2;

}  // namespace eqc_records
