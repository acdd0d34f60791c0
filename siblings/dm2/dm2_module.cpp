#include "runtime/module_log.h"
#include "siblings/dm2/dm2_memory.h"

namespace {
constinit zmxrt::UseCount gUse{};
}

void dm2_initialize(int& counter) { zmxrt::standInUp("dm2_initialize", gUse, counter); }
void dm2_finalize(int& counter) { zmxrt::standInDown("dm2_finalize", gUse, counter); }
