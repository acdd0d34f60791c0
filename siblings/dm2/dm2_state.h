// The analysis database's stack-memory object and its state-file calls, as the substructure and
// core-memory routines use them.
#pragma once

#include <string>
#include <vector>

#include "runtime/fortran_types.h"
#include "siblings/utl/utl_singleton.h"

// The analysis database's memory object: how many bytes of stack memory are in use, and a raise
// of that amount, which fails (0) beyond the memory the process may have.
class ZMX_EXPORT rdm_Memory {
 public:
  long long StackMemInUse() const { return inUse_; }
  // Non-zero when the stack use could be set to bytes.
  int SetStackUse(long long bytes);

 private:
  friend class rdm_MemoryManager;
  long long inUse_ = 0;
};

class ZMX_EXPORT rdm_MemoryManager {
 public:
  rdm_Memory* GetPtrToMemoryObj() { return &memory_; }

 private:
  friend class omi_Singleton<rdm_MemoryManager>;
  friend class omi_SingletonBase<rdm_MemoryManager>;
  rdm_MemoryManager() = default;
  rdm_Memory memory_;
};

extern template class omi_SingletonBase<rdm_MemoryManager>;
extern template class omi_Singleton<rdm_MemoryManager>;

extern "C" {
// Operation 1 opens the state file of the name (its ".stt") into handle; any other operation
// gives -1.
ZMX_EXPORT void ADB_FILEOP(const Int* operation, const char* name, Int nameLength, Int* handle);
// Number of steps of the state file of the handle (0 for an unknown handle).
ZMX_EXPORT void ADB_GETNUMSTEPS(const Int* handle, Int* steps);
// Operation 1 sets the step handle of step (1-based) of the state file into stepHandle.
ZMX_EXPORT void ADB_SVHDLOP(const Int* operation, const Int* handle, const Int* step, Int* stepHandle);
// Operation 2 closes the database handle.
ZMX_EXPORT void ADB_DBOP(const Int* operation, const Int* handle);
}

namespace dm2_testing {
// Stack memory the analysis may have in all (bytes); a raise beyond it fails.
ZMX_EXPORT void setStackLimit(long long bytes);
ZMX_EXPORT long long stackInUse();
// Names of the state files opened and still open, and the handles closed, in call order.
ZMX_EXPORT std::vector<std::string> openStateFiles();
ZMX_EXPORT std::vector<Int> closedHandles();
// Steps a state file of the name reports (default 1).
ZMX_EXPORT void setStateFileSteps(const std::string& name, Int steps);
}  // namespace dm2_testing
