// Named records of eqc read by the step, solution-control and output-descriptor routines:
// tolerance parameters and flags (CTOLP, CTOLM), the nodal output block bounds (CNOGI) and the
// procedure values handed to the solver (CPROD). A real numbered r fills words 2r-1 and 2r.
#pragma once

#include "runtime/fortran_types.h"
#include "runtime/record.h"

ZMX_RECORD_TYPE(CTOLP, 1000);
ZMX_RECORD_TYPE(CTOLM, 1000);
ZMX_RECORD_TYPE(CNOGI, 1000);
ZMX_RECORD_TYPE(CPROD, 1000);

extern "C" {
ZMX_EXPORT extern CTOLP_t CTOLP;
ZMX_EXPORT extern CTOLM_t CTOLM;
ZMX_EXPORT extern CNOGI_t CNOGI;
ZMX_EXPORT extern CPROD_t CPROD;
}

namespace eqc_records {

// The first word of the real numbered r.
constexpr long long realWord(int r) { return 2LL * r - 1; }

}  // namespace eqc_records
