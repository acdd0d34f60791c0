// Initialise and finalise pair of the design-sensitivity module.
#include "zmx/sensitivity.h"

#include "runtime/module_counter.h"

namespace {
constinit zmxrt::UseCount gUse{};
}

void dsa_initialize(int& counter) {
  if (gUse.enter()) ++counter;
}

void dsa_finalize(int& counter) {
  if (gUse.leave()) --counter;
}
