// Initialise and finalise pair of the import module.
#include "zmx/import/frame.h"

#include "runtime/module_counter.h"
#include "runtime/module_log.h"

namespace {
constinit zmxrt::UseCount gUse{};
}

void EDI_COMMON() {}

// Each call is noted in the run-time's module log, as the siblings' are, so that the order in
// which a host brings the suite up and down can be seen whole.
void edi_initialize(int& counter) {
  zmxrt::noteModuleCall("edi_initialize", counter);
  if (!gUse.enter()) return;
  ++counter;
  EDI_COMMON();
}

void edi_finalize(int& counter) {
  zmxrt::noteModuleCall("edi_finalize", counter);
  if (gUse.leave()) --counter;
}
