// Initialise and finalise pair of the import module.
#include "zmx/import.h"

#include "runtime/module_counter.h"

namespace {
constinit zmxrt::UseCount gUse{};
}

void EDI_COMMON() {}

void edi_initialize(int& counter) {
  if (!gUse.enter()) return;
  ++counter;
  EDI_COMMON();
}

void edi_finalize(int& counter) {
  if (gUse.leave()) --counter;
}
