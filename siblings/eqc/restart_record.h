// CREST: the restart state of the run, imported from eqc. Word 10 is non-zero in a restarted
// analysis, word 11 non-zero when the restart continues inside a step, word 12 the step the
// restart starts from.
#pragma once

#include "runtime/fortran_types.h"
#include "runtime/record.h"

ZMX_RECORD_TYPE(CREST, 100);

extern "C" ZMX_EXPORT CREST_t CREST;

namespace eqc_records {
inline constexpr int kRestarted = 10;
inline constexpr int kRestartInsideStep = 11;
inline constexpr int kRestartStep = 12;
}  // namespace eqc_records
