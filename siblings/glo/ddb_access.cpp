#include "siblings/glo/ddb_access.h"

template class omi_SingletonBase<extC_DdbAccess>;
template class omi_Singleton<extC_DdbAccess>;
template class thr_ThreadSingleton<extC_DdbAccess>;

namespace {

// Kept apart from the single object, which a host may finalise; made on first use.
constinit std::vector<glo_testing::NodeElemSet>* gSets = nullptr;

std::vector<glo_testing::NodeElemSet>& sets() {
  if (gSets == nullptr) gSets = new std::vector<glo_testing::NodeElemSet>();
  return *gSets;
}

}  // namespace

void extC_DdbAccess::WriteNodeElemSet(int* list, int& n, const char* name, const int& kind) {
  glo_testing::NodeElemSet set{name != nullptr ? name : "", kind, {}};
  if (list != nullptr && n > 0) set.members.assign(list, list + n);
  sets().push_back(std::move(set));
}

namespace glo_testing {

std::vector<NodeElemSet> nodeElemSets() { return sets(); }

void clearNodeElemSets() { sets().clear(); }

}  // namespace glo_testing
