#include "siblings/eqc/control_records.h"

static_assert(sizeof(CTOLP_t) == 4000);
static_assert(sizeof(CTOLM_t) == 4000);
static_assert(sizeof(CNOGI_t) == 4000);
static_assert(sizeof(CPROD_t) == 4000);

extern "C" {
constinit CTOLP_t CTOLP{};
constinit CTOLM_t CTOLM{};
constinit CNOGI_t CNOGI{};
constinit CPROD_t CPROD{};
}
