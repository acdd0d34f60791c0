#include "siblings/eqc/adaptive_mesh.h"

#include "siblings/eqc/adaptive_mesh_testing.h"

static_assert(sizeof(CADAPTMESH_t) == 4000);

extern "C" {
constinit CADAPTMESH_t CADAPTMESH{};
}

namespace eqc_adaptive_testing {

void setAdaptiveNodeCount(Int count) { rec::i(CADAPTMESH, eqc_records::kAdaptiveNodeCount) = count; }

}  // namespace eqc_adaptive_testing
