#include "siblings/dm2/dsa_layouts.h"

#include <map>
#include <utility>

#include "runtime/address_space.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/dm2_memory.h"
#include "siblings/dm2/dsa_testing.h"

namespace {

constexpr mem32::Tag kElementLayoutTag = mem32::tag("ADSE");
constexpr mem32::Tag kSectLayoutTag = mem32::tag("ADSS");
constexpr mem32::Tag kRebarLayoutTag = mem32::tag("ADSR");
constexpr mem32::Tag kMatLayoutTag = mem32::tag("ADSM");

constexpr Int kElementIds = 62;
constexpr Int kSectionIds = 57;
constexpr Int kMatPointIds = 274;

struct Tables {
  std::map<std::pair<Int, Int>, adb_dsaVars> varIds;
  std::map<Int, Int> parents;
  std::vector<adb_dsaVarFormat> formats;  // by id
  std::vector<Int> formatSizes;           // by format
  std::vector<std::unique_ptr<ElementLayout>> layouts;
  std::map<Int, ElementLayout*> byElement;
  std::vector<Int> refreshed;
};

constinit Tables* gTables = nullptr;

Tables& tables() {
  if (gTables == nullptr) gTables = new Tables();  // lives until the process ends
  return *gTables;
}

Int valuesPerPoint(Int id, Int definedIds) {
  const adb_dsaVarFormat& f = getglobalVarFormat(id < definedIds ? id : adb_dsaParentVarID(id));
  return f.count * getglobalVarFormatSize(f.format);
}

}  // namespace

struct dm2_dsa_detail {
  static void fill(Layout& layout, const dm2_dsa_testing::BlockPlan& plan, Int definedIds, mem32::Tag tag) {
    VarBlock& block = layout.block_;
    block.definedIds_ = definedIds;
    Int cursor[Layout::kStorageClasses] = {};
    const Int stride = plan.stride > 0 ? plan.stride : 1;
    for (const dm2_dsa_testing::VarPlan& v : plan.variables) {
      if (v.id < 0 || v.storageClass < 0 || v.storageClass >= Layout::kStorageClasses) continue;
      if (block.entries_.size() <= static_cast<std::size_t>(v.id)) block.entries_.resize(static_cast<std::size_t>(v.id) + 1);
      VarBlock::Entry& e = block.entries_[static_cast<std::size_t>(v.id)];
      e.points = v.points;
      e.storageClass = v.storageClass;
      e.position = cursor[v.storageClass];
      const Int reals = v.points * valuesPerPoint(v.id, definedIds);
      cursor[v.storageClass] += (reals + stride - 1) / stride;
    }
    for (int c = 0; c < Layout::kStorageClasses; ++c) {
      Layout::Copies& copies = layout.copies_[c];
      copies.baseIndex = plan.baseIndex;
      copies.stride = stride;
      copies.length = static_cast<std::size_t>((plan.baseIndex + cursor[c]) * stride);
      for (int k = 0; k < 3; ++k) {
        layout.data_[c][k].assign(copies.length + 1, 0.0);  // never empty, so never null
        copies.base[k] = layout.data_[c][k].data();
        layout.dataWords_[c][k] = mem32::map(copies.base[k], copies.length * sizeof(Real), dm2::kDataTag);
      }
    }
    layout.word_ = mem32::map(&layout, sizeof(Layout), tag);
  }

  static void unmap(Layout& layout) {
    for (auto& words : layout.dataWords_)
      for (Int& w : words)
        if (w != 0) mem32::unmap(w);
    if (layout.word_ != 0) mem32::unmap(layout.word_);
  }

  static std::unique_ptr<MatPointLayout> mat(const dm2_dsa_testing::BlockPlan& plan) {
    auto m = std::make_unique<MatPointLayout>();
    fill(*m, plan, kMatPointIds, kMatLayoutTag);
    return m;
  }

  static std::unique_ptr<RebarLayout> rebar(const dm2_dsa_testing::RebarPlan& plan) {
    auto r = std::make_unique<RebarLayout>();
    fill(*r, plan.block, kMatPointIds, kRebarLayoutTag);
    for (const auto& m : plan.mats) r->mats_.push_back(mat(m));
    return r;
  }

  static std::unique_ptr<ElementLayout> element(const dm2_dsa_testing::ElementPlan& plan, Int handle) {
    auto e = std::make_unique<ElementLayout>();
    fill(*e, plan.block, kElementIds, kElementLayoutTag);
    e->element_ = handle;
    for (const auto& s : plan.sects) {
      auto sect = std::make_unique<SectIntLayout>();
      fill(*sect, s.block, kSectionIds, kSectLayoutTag);
      for (const auto& r : s.rebars) sect->rebars_.push_back(rebar(r));
      for (const auto& m : s.mats) sect->mats_.push_back(mat(m));
      e->sects_.push_back(std::move(sect));
    }
    for (const auto& r : plan.rebars) e->rebars_.push_back(rebar(r));
    return e;
  }

  static std::vector<Real>& data(const Layout& layout, Int storageClass, int copy) {
    return const_cast<Layout&>(layout).data_[storageClass][copy];
  }

  static Int dataWord(const Layout& layout, Int storageClass, int copy) { return layout.dataWords_[storageClass][copy]; }
};

Layout::~Layout() { dm2_dsa_detail::unmap(*this); }
MatPointLayout::~MatPointLayout() = default;
RebarLayout::~RebarLayout() = default;
SectIntLayout::~SectIntLayout() = default;
ElementLayout::~ElementLayout() = default;

adb_dsaVars adb_dsaVarID(Int kind, Int id) {
  const auto found = tables().varIds.find({kind, id});
  return found == tables().varIds.end() ? adb_dsaVars{{-1, -1, -1, -1}} : found->second;
}

Int adb_dsaParentVarID(Int id) {
  const auto found = tables().parents.find(id);
  return found == tables().parents.end() ? id : found->second;
}

const adb_dsaVarFormat& getglobalVarFormat(Int id) {
  static constexpr adb_dsaVarFormat kNone{};
  const std::vector<adb_dsaVarFormat>& f = tables().formats;
  return id >= 0 && static_cast<std::size_t>(id) < f.size() ? f[static_cast<std::size_t>(id)] : kNone;
}

Int getglobalVarFormatSize(Int format) {
  const std::vector<Int>& s = tables().formatSizes;
  return format >= 0 && static_cast<std::size_t>(format) < s.size() && s[static_cast<std::size_t>(format)] != 0
             ? s[static_cast<std::size_t>(format)]
             : 1;
}

ElementLayout* adb_dsaElementLayout(Int element) {
  const auto found = tables().byElement.find(element);
  if (found != tables().byElement.end()) return found->second;
  if (mem32::valid(element, sizeof(Layout), kElementLayoutTag))
    return static_cast<ElementLayout*>(mem32::at<Layout>(element, 1, kElementLayoutTag));
  adb_Kvxerr1(-3, "SYSTEM ERROR IN ADB_DSAELEMENTLAYOUT - NO LAYOUT FOR ELEMENT %I", element);
  return nullptr;
}

void refreshrwbuffer(Int element, ElementLayout* /*layout*/) { tables().refreshed.push_back(element); }

namespace {

const Layout* dsaLayout(Int word, mem32::Tag& tag) {
  const auto found = tables().byElement.find(word);
  if (found != tables().byElement.end()) {
    tag = kElementLayoutTag;
    return found->second;
  }
  for (mem32::Tag t : {kElementLayoutTag, kSectLayoutTag, kRebarLayoutTag, kMatLayoutTag})
    if (mem32::valid(word, sizeof(Layout), t)) {
      tag = t;
      return mem32::at<Layout>(word, 1, t);
    }
  return nullptr;
}

}  // namespace

namespace dm2_dsa_detail_api {

bool subLayout(Int operation, Int word, Int index, Int& result) {
  mem32::Tag tag = 0;
  const Layout* l = dsaLayout(word, tag);
  if (l == nullptr) return false;
  result = 0;
  if (operation == 0 && tag == kElementLayoutTag) {
    const auto* e = static_cast<const ElementLayout*>(l);
    if (index >= 1 && index <= e->NumSectPoints()) result = e->SectPoint(index)->Word();
  } else if (operation == 1 && tag == kSectLayoutTag) {
    const auto* s = static_cast<const SectIntLayout*>(l);
    if (index >= 1 && index <= s->NumMatPoints()) result = s->MatPoint(index)->Word();
  } else {
    adb_Kvxerr1(-3, "SYSTEM ERROR IN GETSUBLAYOUT - OPERATION %I DOES NOT FIT THE LAYOUT", operation);
    return true;
  }
  if (result == 0) adb_Kvxerr1(-3, "SYSTEM ERROR IN GETSUBLAYOUT - NO SUB-LAYOUT %I", index);
  return true;
}

bool variableAddress(Int word, Int id, Int& result) {
  mem32::Tag tag = 0;
  const Layout* l = dsaLayout(word, tag);
  if (l == nullptr) return false;
  result = 0;
  const VarBlock::Entry* e = l->Block().Find(id);
  if (e == nullptr || e->points == 0) {
    adb_Kvxerr1(-3, "SYSTEM ERROR IN GETVARDRW - NO VARIABLE %I", id);
    return true;
  }
  const Layout::Copies& c = *l->ClassCopies(e->storageClass);
  result = dm2_dsa_detail::dataWord(*l, e->storageClass, 0) +
           static_cast<Int>((c.baseIndex + e->position) * c.stride * static_cast<Int>(sizeof(Real)));
  return true;
}

}  // namespace dm2_dsa_detail_api

namespace dm2_dsa_testing {

ElementLayout* buildElementLayout(const ElementPlan& plan, Int element) {
  Tables& t = tables();
  t.layouts.push_back(dm2_dsa_detail::element(plan, element));
  ElementLayout* e = t.layouts.back().get();
  if (element != 0) t.byElement[element] = e;
  return e;
}

std::vector<Real>& copyData(const Layout& layout, Int storageClass, int copy) {
  return dm2_dsa_detail::data(layout, storageClass, copy);
}

namespace {
void endIncrementOf(const Layout& l) {
  for (Int c = 0; c < Layout::kStorageClasses; ++c) copyData(l, c, 0) = copyData(l, c, 2);
}
void endIncrementOf(const RebarLayout& r) {
  endIncrementOf(static_cast<const Layout&>(r));
  for (Int m = 1; m <= r.NumMatPoints(); ++m) endIncrementOf(*r.MatPoint(m));
}
}  // namespace

void endIncrement(ElementLayout* e) {
  endIncrementOf(static_cast<const Layout&>(*e));
  for (Int s = 1; s <= e->NumSectPoints(); ++s) {
    const SectIntLayout& sect = *e->SectPoint(s);
    endIncrementOf(static_cast<const Layout&>(sect));
    for (Int r = 1; r <= sect.NumRebars(); ++r) endIncrementOf(*sect.Rebar(r));
    for (Int m = 1; m <= sect.NumMatPoints(); ++m) endIncrementOf(*sect.MatPoint(m));
  }
  for (Int r = 1; r <= e->NumRebars(); ++r) endIncrementOf(*e->Rebar(r));
}

void setVarID(Int kind, Int id, adb_dsaVars vars) { tables().varIds[{kind, id}] = vars; }
void setParentVarID(Int id, Int parent) { tables().parents[id] = parent; }
void setVarFormat(Int id, adb_dsaVarFormat format) {
  if (id < 0) return;
  std::vector<adb_dsaVarFormat>& f = tables().formats;
  if (f.size() <= static_cast<std::size_t>(id)) f.resize(static_cast<std::size_t>(id) + 1);
  f[static_cast<std::size_t>(id)] = format;
}
void setFormatSize(Int format, Int size) {
  if (format < 0) return;
  std::vector<Int>& s = tables().formatSizes;
  if (s.size() <= static_cast<std::size_t>(format)) s.resize(static_cast<std::size_t>(format) + 1);
  s[static_cast<std::size_t>(format)] = size;
}
std::vector<Int> refreshedElements() { return tables().refreshed; }

void resetLayouts() {
  delete gTables;
  gTables = nullptr;
}

}  // namespace dm2_dsa_testing
