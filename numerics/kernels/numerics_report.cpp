#include "numerics/kernels/numerics_report.h"

#include "siblings/eqc/eqc_messages.h"

namespace zmx::numerics {

void reportFixed(Int level, std::string_view text) {
  const Int noInteger = 0;
  const Real noReal = 0.0;
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), &noInteger, &noReal, " ", 1);
}

}  // namespace zmx::numerics
