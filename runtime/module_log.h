// A log of module initialise and finalise calls, kept by the sibling stand-ins and by the
// library's import and sensitivity modules, so that a test can see the order in which a host
// brought the suite up and down.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/fortran_types.h"

namespace zmxrt {

struct ModuleCall {
  std::string routine;  // e.g. "utl_initialize"
  int counterOnEntry;   // the caller's module counter when the routine was entered
};

ZMX_EXPORT void noteModuleCall(std::string_view routine, int counterOnEntry);
ZMX_EXPORT std::vector<ModuleCall> moduleCalls();
ZMX_EXPORT void clearModuleCalls();

}  // namespace zmxrt

#include "runtime/module_counter.h"

namespace zmxrt {

// What every stand-in's initialise and finalise share: note the call, count the use, and move
// the caller's counter when the module acts. A finalise without its initialise is ignored.
// Each returns true when the module acts.
inline bool standInUp(std::string_view routine, UseCount& use, int& counter) {
  noteModuleCall(routine, counter);
  if (!use.enter()) return false;
  ++counter;
  return true;
}

inline bool standInDown(std::string_view routine, UseCount& use, int& counter) {
  noteModuleCall(routine, counter);
  if (use.count <= 0 || !use.leave()) return false;
  --counter;
  return true;
}

}  // namespace zmxrt
