#include "siblings/inp/solver_part_map.h"

namespace {
constinit std::vector<std::string>* gCalls = nullptr;

std::vector<std::string>& calls() {
  if (gCalls == nullptr) gCalls = new std::vector<std::string>();
  return *gCalls;
}
}  // namespace

template class omi_SingletonBase<inp_SolverPartMap>;
template class omi_Singleton<inp_SolverPartMap>;

void inp_SolverPartMap::MakeCurrent(const cow_String& path) {
  current_ = path.CStr();
  calls().push_back("MakeCurrent " + current_);
}

void inp_SolverPartMap::MakeCurrent() {
  current_.clear();
  calls().emplace_back("MakeCurrent");
}

void inp_SolverPartMap::CloseNoSave() {
  current_.clear();
  calls().emplace_back("CloseNoSave");
}

namespace inp_testing {
std::vector<std::string> partMapCalls() { return calls(); }
void clearPartMapCalls() { calls().clear(); }
}  // namespace inp_testing
