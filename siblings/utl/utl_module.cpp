#include "siblings/utl/utl_module.h"

#include "runtime/module_log.h"

namespace {
constinit zmxrt::UseCount gUse{};
}

void utl_initialize(int& counter) { zmxrt::standInUp("utl_initialize", gUse, counter); }
void utl_finalize(int& counter) { zmxrt::standInDown("utl_finalize", gUse, counter); }
