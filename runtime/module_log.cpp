#include "runtime/module_log.h"

namespace zmxrt {
namespace {
constinit std::vector<ModuleCall>* gCalls = nullptr;
}

void noteModuleCall(std::string_view routine, int counterOnEntry) {
  if (gCalls == nullptr) gCalls = new std::vector<ModuleCall>();  // kept until the process ends
  gCalls->push_back({std::string(routine), counterOnEntry});
}

std::vector<ModuleCall> moduleCalls() { return gCalls == nullptr ? std::vector<ModuleCall>{} : *gCalls; }

void clearModuleCalls() {
  if (gCalls != nullptr) gCalls->clear();
}

}  // namespace zmxrt
