// Initialise and finalise pair of the design-sensitivity module.
#include "zmx/sensitivity.h"

#include "runtime/module_counter.h"
#include "runtime/module_log.h"

namespace {
constinit zmxrt::UseCount gUse{};
}

// Each call is noted in the run-time's module log, as the siblings' are.
void dsa_initialize(int& counter) {
  zmxrt::noteModuleCall("dsa_initialize", counter);
  if (gUse.enter()) ++counter;
}

void dsa_finalize(int& counter) {
  zmxrt::noteModuleCall("dsa_finalize", counter);
  if (gUse.leave()) --counter;
}
