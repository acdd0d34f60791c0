#include "model/support/model_report.h"

#include "siblings/eqc/eqc_messages.h"

namespace zmx::model {

void report(Int level, std::string_view text) { report(level, text, 0, 0); }

void report(Int level, std::string_view text, Int first, Int second) {
  const Int integers[2] = {first, second};
  const Real noReal = 0.0;
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), integers, &noReal, " ", 1);
}

void reportNames(Int level, std::string_view text, const char* items, Int itemLength) {
  const Int noInteger = 0;
  const Real noReal = 0.0;
  KVXERR(&level, text.data(), static_cast<Int>(text.size()), &noInteger, &noReal, items, itemLength);
}

}  // namespace zmx::model
