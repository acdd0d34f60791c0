#include "siblings/bdo/bdo_module.h"

#include "runtime/module_log.h"

namespace {
constinit zmxrt::UseCount gUse{};
}

void bdo_initialize(int& counter) { zmxrt::standInUp("bdo_initialize", gUse, counter); }
void bdo_finalize(int& counter) { zmxrt::standInDown("bdo_finalize", gUse, counter); }
