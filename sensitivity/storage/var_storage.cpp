// The storage tree of the current element's present variables, held by the sensitivity state.
#include <limits>

#include "siblings/dm2/dsa_layouts.h"
#include "siblings/dm2/dsa_state.h"
#include "zmx/sensitivity.h"

namespace {
constexpr Int kElementIds = 62;
constexpr Int kSectionIds = 57;
constexpr Int kMatPointIds = 274;
}  // namespace

dsa_Var::~dsa_Var() = default;

bool dsa_LocateVar(const Layout& layout, Int id, dsa_VarPlace& place) {
  place = dsa_VarPlace{};
  place.id = id;
  const VarBlock& block = layout.Block();
  const VarBlock::Entry* e = block.Find(id);
  if (e == nullptr || e->points <= 0) return false;
  const Layout::Copies* c = layout.ClassCopies(e->storageClass);
  const adb_dsaVarFormat& f = getglobalVarFormat(id < block.DefinedIds() ? id : adb_dsaParentVarID(id));
  const long long perPoint = static_cast<long long>(f.count) * getglobalVarFormatSize(f.format);
  const long long first = static_cast<long long>(c->baseIndex + e->position) * c->stride;
  const long long size = perPoint * e->points;
  if (perPoint < 0 || first < 0 || size > 0x7fffffff || first + size > static_cast<long long>(c->length)) return false;
  place.storageClass = e->storageClass;
  place.first = static_cast<Int>(first);
  place.size = static_cast<Int>(size);
  return true;
}

void dsa_VarAccess::Locate(const Layout& layout, Int id, const adb_dsaVars& vars) {
  dsa_LocateVar(layout, id, place[0]);
  const Int n = place[0].size;
  for (int k = 0; k < 3; ++k) {
    const dsa_VarPlace& store = place[k + 1];
    dsa_LocateVar(layout, vars.d[k], place[k + 1]);
    // Block p fits when p x n <= the store's size, that is when p <= size / n.
    if (n < 0 || store.size < 0)
      blocks[k] = -1;
    else
      blocks[k] = n == 0 ? std::numeric_limits<Int>::max() : store.size / n;
  }
}

void dsa_Var::FormStorage(const Layout& layout, Int nIds, VarBlockTypeKey kind) {
  const std::size_t room = nIds > 0 ? static_cast<std::size_t>(nIds) : 0;
  ids = std::make_unique<Int[]>(room);
  classes = std::make_unique<Int[]>(room);
  descriptors = std::make_unique<adb_dsaVars[]>(room);
  access = std::make_unique<dsa_VarAccess[]>(room);
  count = 0;
  const VarBlock& block = layout.Block();
  for (Int id = 0; id < nIds; ++id) {
    const VarBlock::Entry* e = block.Find(id);
    if (e == nullptr || e->points == 0) continue;
    ids[count] = id;
    classes[count] = e->storageClass;
    descriptors[count] = adb_dsaVarID(kind, id);
    access[count].Locate(layout, id, descriptors[count]);
    ++count;
  }
}

void dsa_MatVar::FormStorage(const MatPointLayout& layout) { var.FormStorage(layout, kMatPointIds, kMatPointVarBlock); }

void dsa_RebarVar::FormStorage(const RebarLayout& layout) {
  mats = std::vector<dsa_MatVar>(static_cast<std::size_t>(layout.NumMatPoints()));
  for (Int m = 1; m <= layout.NumMatPoints(); ++m) mats[static_cast<std::size_t>(m - 1)].FormStorage(*layout.MatPoint(m));
}

void dsa_SectVar::FormStorage(const SectIntLayout& layout) {
  var.FormStorage(layout, kSectionIds, kSectionVarBlock);
  rebars = std::vector<dsa_RebarVar>(static_cast<std::size_t>(layout.NumRebars()));
  mats = std::vector<dsa_MatVar>(static_cast<std::size_t>(layout.NumMatPoints()));
  for (Int r = 1; r <= layout.NumRebars(); ++r) rebars[static_cast<std::size_t>(r - 1)].FormStorage(*layout.Rebar(r));
  for (Int m = 1; m <= layout.NumMatPoints(); ++m) mats[static_cast<std::size_t>(m - 1)].FormStorage(*layout.MatPoint(m));
}

void dsa_VarStorage::FormStorage(const ElementLayout& layout) {
  formedFrom = &layout;
  formedWord = layout.Word();
  var.FormStorage(layout, kElementIds, kElementVarBlock);
  sects = std::vector<dsa_SectVar>(static_cast<std::size_t>(layout.NumSectPoints()));
  rebars = std::vector<dsa_RebarVar>(static_cast<std::size_t>(layout.NumRebars()));
  for (Int s = 1; s <= layout.NumSectPoints(); ++s)
    sects[static_cast<std::size_t>(s - 1)].FormStorage(*layout.SectPoint(s));
  for (Int r = 1; r <= layout.NumRebars(); ++r) rebars[static_cast<std::size_t>(r - 1)].FormStorage(*layout.Rebar(r));
}

extern "C" {

void ELDSAFORMSTORAGE(const Int* layout) {
  const ElementLayout* element = adb_dsaElementLayout(*layout);
  if (element == nullptr) return;
  ELDSADELSTORAGE();  // nothing else could reach a tree still held
  auto* storage = new dsa_VarStorage();
  storage->FormStorage(*element);
  omi_Singleton<adb_dsaGlobal>::Instance()->varStorage = storage;
}

void ELDSADELSTORAGE() {
  adb_dsaGlobal& state = *omi_Singleton<adb_dsaGlobal>::Instance();
  delete static_cast<dsa_VarStorage*>(state.varStorage);
  state.varStorage = nullptr;
}

}  // extern "C"
