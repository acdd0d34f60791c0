// Element scratch blocks (kept with the model's work blocks, so a model reset drops them) and the
// nodal variables that tests set.
#include "siblings/dm2/element_memory.h"

#include <map>
#include <string>

#include "siblings/dm2/adb_model.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/dm2_memory.h"
#include "siblings/dm2/element_memory_testing.h"

namespace {

struct NodalVariable {
  std::vector<Real> values;
  Int word = 0;
};

std::map<Int, NodalVariable>& nodalVariables() {
  static std::map<Int, NodalVariable> variables;
  return variables;
}

}  // namespace

namespace dm2_element_testing {

void setNodalVariable(Int id, std::vector<Real> values) {
  NodalVariable& v = nodalVariables()[id];
  if (v.word != 0) mem32::unmap(v.word);
  v.values = std::move(values);
  v.word = mem32::map(v.values.data(), v.values.size() * sizeof(Real), dm2::kDataTag);
}

std::vector<Real> nodalVariable(Int id) {
  const auto it = nodalVariables().find(id);
  return it == nodalVariables().end() ? std::vector<Real>{} : it->second.values;
}

}  // namespace dm2_element_testing

extern "C" {

Int ADB_MEMOPEN(const Int* /*element*/, const Int* size) {
  std::unique_ptr<dm2_detail::MemoryBlock> block;
  if (*size >= 0) block = dm2_detail::makeBlock(static_cast<std::size_t>(*size) * sizeof(Real));
  if (block == nullptr) {
    adb_Kvxerr1(-3, "SYSTEM ERROR IN ADB_MEMOPEN - UNABLE TO ALLOCATE %I REALS", *size);
    return 0;
  }
  auto& blocks = dm2_detail::model().workBlocks;
  blocks.push_back(std::move(block));
  return blocks.back()->word;
}

Int ADB_GETVARNDRW(const Int* /*handle*/, const Int* id, const Int* /*mode*/) {
  const auto it = nodalVariables().find(*id);
  return it == nodalVariables().end() ? 0 : it->second.word;
}

}  // extern "C"
