// The element geometry's named records and the helpers its routines share.
#include "elements/geometry/element_records.h"

#include <string>

#include "runtime/record.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/records.h"

static_assert(sizeof(CPHCON_t) == 32 * 4);
static_assert(sizeof(CAXIMODEL_t) == 24 * 4);
static_assert(sizeof(CNSPRE_t) == 8 * 4);

extern "C" {
constinit CPHCON_t CPHCON{};
constinit CAXIMODEL_t CAXIMODEL{};
constinit CNSPRE_t CNSPRE{};
}

namespace zmx_elements {

Int programKind() {
  const Int kind = rec::i(CPROG, eqc_records::kProgramKind);
  return kind == -1 ? 0 : kind;
}

void addStructural(Real scaledMeasure) {
  rec::i(CPHCON, kStructuralCount) += 1;
  rec::setR(CPHCON, kStructuralSum, rec::r(CPHCON, kStructuralSum) + scaledMeasure);
}

void systemError(const char* text, Int value) {
  const Int level = -3;
  const Real noReal = 0.0;
  KVXERR(&level, text, static_cast<Int>(std::char_traits<char>::length(text)), &value, &noReal, " ", 1);
}

}  // namespace zmx_elements
