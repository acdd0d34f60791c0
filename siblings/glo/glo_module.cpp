#include "siblings/glo/glo_module.h"

#include "runtime/module_log.h"

namespace {
constinit zmxrt::UseCount gUse{};
}

void glo_initialize(int& counter) { zmxrt::standInUp("glo_initialize", gUse, counter); }
void glo_finalize(int& counter) { zmxrt::standInDown("glo_finalize", gUse, counter); }
