// The named-set store of a running analysis in the glo stand-in: node and element sets that the
// analysis writes by name, reached through the per-thread single object.
#pragma once

#include <string>
#include <vector>

#include "runtime/fortran_types.h"
#include "zmx/singleton.h"

class ZMX_EXPORT extC_DdbAccess {
 public:
  // Stores a set of the first n numbers of list under the name (terminated); kind 1 an element
  // set, 0 a node set. Each call is kept as made; a name already held gets a further record.
  void WriteNodeElemSet(int* list, int& n, const char* name, const int& kind);

 private:
  friend class omi_Singleton<extC_DdbAccess>;
  extC_DdbAccess() = default;
};

extern template class omi_SingletonBase<extC_DdbAccess>;
extern template class omi_Singleton<extC_DdbAccess>;
extern template class thr_ThreadSingleton<extC_DdbAccess>;

namespace glo_testing {

struct NodeElemSet {
  std::string name;
  int kind;  // 1 elements, 0 nodes
  std::vector<int> members;
};

// The sets written since the last clear, in the order written.
ZMX_EXPORT std::vector<NodeElemSet> nodeElemSets();
ZMX_EXPORT void clearNodeElemSets();

}  // namespace glo_testing
