// Stack memory of the analysis database and its state-file handles, as the dm2 stand-in keeps
// them: a limit on the stack use, and a table of open state files by handle.

#include <map>
#include <string>
#include <vector>

#include "runtime/fortran_chars.h"
#include "siblings/dm2/dm2_state.h"

template class omi_SingletonBase<rdm_MemoryManager>;
template class omi_Singleton<rdm_MemoryManager>;

namespace {

constexpr long long kDefaultStackLimit = 1LL << 40;
constexpr Int kFirstHandle = 100;

struct StateFiles {
  long long stackLimit = kDefaultStackLimit;
  std::map<Int, std::string> open;
  std::map<std::string, Int> steps;
  std::vector<Int> closed;
  Int nextHandle = kFirstHandle;
};

constinit StateFiles* gState = nullptr;

StateFiles& state() {
  if (gState == nullptr) gState = new StateFiles();
  return *gState;
}

}  // namespace

int rdm_Memory::SetStackUse(long long bytes) {
  if (bytes < 0 || bytes > state().stackLimit) return 0;
  inUse_ = bytes;
  return 1;
}

extern "C" {

void ADB_FILEOP(const Int* operation, const char* name, Int nameLength, Int* handle) {
  *handle = -1;
  if (*operation != 1) return;
  *handle = state().nextHandle++;
  state().open[*handle] = fchar::toString(name, nameLength);
}

void ADB_GETNUMSTEPS(const Int* handle, Int* steps) {
  *steps = 0;
  auto found = state().open.find(*handle);
  if (found == state().open.end()) return;
  auto given = state().steps.find(found->second);
  *steps = given == state().steps.end() ? 1 : given->second;
}

void ADB_SVHDLOP(const Int* operation, const Int* handle, const Int* step, Int* stepHandle) {
  *stepHandle = -1;
  if (*operation == 1 && state().open.count(*handle) != 0 && *step >= 1) *stepHandle = *handle * 1000 + *step;
}

void ADB_DBOP(const Int* operation, const Int* handle) {
  if (*operation != 2) return;
  state().open.erase(*handle);
  state().closed.push_back(*handle);
}

}  // extern "C"

namespace dm2_testing {
void setStackLimit(long long bytes) { state().stackLimit = bytes; }
long long stackInUse() { return omi_Singleton<rdm_MemoryManager>::Instance()->GetPtrToMemoryObj()->StackMemInUse(); }
std::vector<std::string> openStateFiles() {
  std::vector<std::string> names;
  for (const auto& [handle, name] : state().open) names.push_back(name);
  return names;
}
std::vector<Int> closedHandles() { return state().closed; }
void setStateFileSteps(const std::string& name, Int steps) { state().steps[name] = steps; }
}  // namespace dm2_testing
