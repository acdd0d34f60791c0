#include "siblings/dm2/model_parts.h"

#include <map>
#include <memory>
#include <utility>

#include "runtime/address_space.h"
#include "siblings/dm2/adb_model.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/dm2_memory.h"
#include "siblings/dm2/model_testing.h"

template class omi_SingletonBase<adb_Manager>;
template class omi_Singleton<adb_Manager>;

namespace {

struct NodeVariable {
  std::vector<Real> values;
  Int word = 0;
};

struct Lookups {
  std::map<Int, Int> entries;
  std::map<std::pair<Int, Int>, std::unique_ptr<NodeVariable>> nodeVariables;
};

constinit Lookups* gLookups = nullptr;

Lookups& lookups() {
  if (gLookups == nullptr) gLookups = new Lookups();
  return *gLookups;
}

}  // namespace

Int adb_Part::TypeCode(Int k) const { return k >= 1 && k <= ElementCount() ? types_[k - 1] : 0; }

const Int* adb_Part::Nodes(Int k, Int& count) const {
  count = 0;
  if (k < 1 || k > ElementCount()) return nullptr;
  const std::size_t first = firsts_[k - 1], end = firsts_[k];
  count = static_cast<Int>(end - first);
  return nodes_.data() + first;
}

const adb_Part* adb_Manager::GetPart(Int index) const {
  return index >= 1 && index <= PartCount() ? &parts_[index - 1] : nullptr;
}

Int adb_Manager::AddPart(std::vector<Int> types, std::vector<std::size_t> firsts, std::vector<Int> nodes) {
  adb_Part part;
  part.types_ = std::move(types);
  part.firsts_ = std::move(firsts);
  part.nodes_ = std::move(nodes);
  parts_.push_back(std::move(part));
  return PartCount();
}

extern "C" {

Int ADB_ELEMGET(const Int* entry) {
  const auto& entries = lookups().entries;
  const auto it = entries.find(*entry);
  if (it == entries.end()) {
    adb_Kvxerr1(-3, "SYSTEM ERROR IN ADB_ELEMGET - NO ELEMENT FOR ENTRY %I", *entry);
    return 0;
  }
  return it->second;
}

Int QUERYVARLENE(const Int* layout, const Int* id) {
  const auto* l = mem32::at<dm2_detail::LayoutRecord>(*layout, 1, dm2::kLayoutTag);
  if (l == nullptr) return 0;
  for (const auto& v : l->variables)
    if (v.id == *id) return static_cast<Int>(v.integer ? v.ints.size() : v.reals.size());
  return 0;
}

Int ADB_GETVARNDR(const Int* nodeDatabase, const Int* index, const Int* id) {
  if (mem32::at<dm2_detail::Model>(*nodeDatabase, 1, dm2::kNodeDatabaseTag) == nullptr) return 0;
  const auto& variables = lookups().nodeVariables;
  const auto it = variables.find({*index, *id});
  return it == variables.end() ? 0 : it->second->word;
}

}  // extern "C"

namespace dm2_testing {

Int addPart(const std::vector<Int>& types, const std::vector<std::vector<Int>>& nodes) {
  std::vector<std::size_t> firsts{0};
  std::vector<Int> flat;
  for (const auto& list : nodes) {
    flat.insert(flat.end(), list.begin(), list.end());
    firsts.push_back(flat.size());
  }
  return omi_Singleton<adb_Manager>::Instance()->AddPart(types, std::move(firsts), std::move(flat));
}

void mapElementEntry(Int entry, Int handle) { lookups().entries[entry] = handle; }

void setNodeVariable(Int index, Int id, const std::vector<Real>& values) {
  auto& slot = lookups().nodeVariables[{index, id}];
  if (slot != nullptr) mem32::unmap(slot->word);
  slot = std::make_unique<NodeVariable>();
  slot->values = values;
  slot->word = mem32::map(slot->values.data(), slot->values.size() * sizeof(Real), dm2::kDataTag);
}

void clearModelParts() {
  omi_Singleton<adb_Manager>::Instance()->Clear();
  Lookups& l = lookups();
  for (auto& [key, variable] : l.nodeVariables) mem32::unmap(variable->word);
  l.nodeVariables.clear();
  l.entries.clear();
}

}  // namespace dm2_testing
