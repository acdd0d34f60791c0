#include "siblings/inp/inp_module.h"

#include "runtime/module_log.h"

namespace {
constinit zmxrt::UseCount gUse{};
}

void inp_initialize(int& counter) { zmxrt::standInUp("inp_initialize", gUse, counter); }
void inp_finalize(int& counter) { zmxrt::standInDown("inp_finalize", gUse, counter); }
