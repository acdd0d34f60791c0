// Walks over the present variables of the current element and the rules that each manipulator
// applies to one variable. Every access is checked against the layout: a companion the layout
// lacks, a design-parameter block outside its store, or a place (found when the storage was
// formed) that runs past the copies of the layout walked, is reported and that variable skipped.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "siblings/dm2/dsa_layouts.h"
#include "siblings/dm2/dsa_state.h"
#include "siblings/eqc/eqc_messages.h"
#include "zmx/sensitivity.h"

namespace {

Int perturbationMode() { return omi_Singleton<adb_dsaGlobal>::Instance()->model.perturbationMode; }

const dsa_VarStorage* heldStorage() {
  return static_cast<const dsa_VarStorage*>(omi_Singleton<adb_dsaGlobal>::Instance()->varStorage);
}

void addScaled(Real* __restrict target, const Real* __restrict source, Int n, Real factor) {
  for (Int i = 0; i < n; ++i) target[i] += factor * source[i];
}

void copyValues(Real* target, const Real* source, Int n) {
  if (n > 0 && target != source) std::memmove(target, source, static_cast<std::size_t>(n) * sizeof(Real));
}

void zero(Real* target, Int n) {
  for (Int i = 0; i < n; ++i) target[i] = 0;
}

// The element layout that an entry's layout argument names; null (reported) when none.
ElementLayout* elementLayout(const Int* layout) { return adb_dsaElementLayout(*layout); }

}  // namespace

dsa_DataManip::dsa_DataManip(ElementLayout* layout, const Int* control1, const Int* control2, Real factor,
                             const char* entry)
    : layout_(layout), control1_(control1), control2_(control2), factor_(factor), entry_(entry) {
  debugText_ = std::getenv("DSA_DBG_PRINT");
  if (debugText_ == nullptr)
    debug_ = 0;
  else if (debugText_[0] == '2')
    debug_ = 2;
  else
    debug_ = 1;
}

void dsa_DataManip::report() const {
  std::string text = "SYSTEM ERROR IN ";
  text += entry_;
  cfi_WriteMessage(-3, text.c_str());
}

namespace {

// True when the first `reals` values from the place lie in the copies of its class: the storage
// may have been formed for another element's layout.
inline bool placeInside(const Layout::Copies* copies, const dsa_VarPlace& place, long long reals) {
  return copies != nullptr && 0LL + place.first + reals <= static_cast<long long>(copies->length);
}

}  // namespace

inline bool dsa_DataManip::spanAt(const Layout& layout, const dsa_VarPlace& place, int copy, Span& out) const {
  const Layout::Copies* copies = layout.ClassCopies(place.storageClass);
  if (place.size < 0 || !placeInside(copies, place, place.size)) {
    report();
    return false;
  }
  out.values = copies->base[copy] + place.first;
  out.count = place.size;
  return true;
}

bool dsa_DataManip::span(const Layout& layout, Int id, int copy, Span& out) const {
  dsa_VarPlace found;
  dsa_LocateVar(layout, id, found);
  return spanAt(layout, found, copy, out);
}

inline bool dsa_DataManip::span(const Layout& layout, Int id, const adb_dsaVars& vars, int which, int copy,
                         Span& out) const {
  if (current_ != nullptr) return spanAt(layout, current_->place[which + 1], copy, out);
  return span(layout, which < 0 ? id : vars.d[which], copy, out);
}

inline Real* dsa_DataManip::block(const Span& store, const Span& variable, Int p) const {
  const long long n = variable.size();
  if (p < 1 || static_cast<long long>(p) * n > store.size()) {
    report();
    return nullptr;
  }
  return store.values + (p - 1) * n;
}

Real* dsa_DataManip::whole(const Span& store, const Span& variable) const {
  if (variable.size() > store.size()) {
    report();
    return nullptr;
  }
  return store.values;
}

// The rules of the perturbation and the differences, from the places found when the storage was
// formed: per variable for manip(), and as each block's list of additions for the walk. They live
// outside the exported classes so that the walk calls them directly and inlines them.
struct dsa_WalkRules {
  // A place found in the layout has a class of 0 to 9 (its copies were read when it was found).
  static Real* at(const Layout::Copies* copies, const dsa_VarPlace& place, int copy) {
    return copies[place.storageClass].base[copy] + place.first;
  }
  static const Layout::Copies* copies(const Layout& layout) { return layout.ClassCopies(0); }

  // The places of the variable being handled: those of the walk, or looked up when it has none.
  static const dsa_VarAccess& places(const dsa_DataManip& m, const Layout& layout, Int id, const adb_dsaVars& vars,
                                     dsa_VarAccess& found) {
    if (m.current_ != nullptr) return *m.current_;
    found.Locate(layout, id, vars);
    return found;
  }

  // Adds factor times one to the other of the variable's copy and block p of a derivative store
  // shaped like it (into the store when kIntoStore); a place the layout lacks or a block outside
  // the store is reported and nothing added.
  template <bool kIntoStore>
  static void add(const dsa_DataManip& m, const Layout& layout, const dsa_VarAccess& a, int selfCopy, int d,
                  int storeCopy, Int p) {
    const Int n = a.place[0].size;
    const Layout::Copies* c = copies(layout);
    if (p < 1 || p > a.blocks[d] || !placeInside(&c[a.place[0].storageClass], a.place[0], n) ||
        !placeInside(&c[a.place[d + 1].storageClass], a.place[d + 1], 1LL * p * n))
      return m.report();
    Real* values = at(copies(layout), a.place[0], selfCopy);
    Real* block = at(copies(layout), a.place[d + 1], storeCopy) + (p - 1) * n;
    if constexpr (kIntoStore)
      addScaled(block, values, n, m.factor_);
    else
      addScaled(values, block, n, m.factor_);
  }

  // Which companion d and copies an addition uses for a variable: factor times block p of
  // companion d's storeCopy is added to the variable's selfCopy, or the reverse for differences.
  struct Choice {
    int d = 0, selfCopy = 0, storeCopy = 0;
  };
  template <class M>
  static constexpr bool kIntoStore = std::is_same_v<M, dsa_FiniteDiff>;
  static bool choose(const dsa_Perturb& m, Int storageClass, Int id, Choice& c) {
    if (storageClass == 3 || (storageClass == 9 && id != 251)) {
      c.d = m.mode_ == 1 ? 1 : 2;
      return true;
    }
    c.d = 1;
    return (storageClass == 4 || storageClass == 5) && m.control11_ != 0;
  }
  static bool choose(const dsa_FiniteDiff& m, Int storageClass, Int id, Choice& c) {
    return m.choose(storageClass, id, c.d, c.storeCopy, c.selfCopy);
  }
  // The variant of the walk's steps, from what choose() reads of the manipulator.
  static int variant(const dsa_Perturb& m) { return (m.mode_ == 1 ? 1 : 0) + (m.control11_ != 0 ? 2 : 0); }
  static int variant(const dsa_FiniteDiff& m) { return 4 + (m.b_ != 0 ? 0 : m.c_ != 0 ? 1 : m.a_ != 0 ? 2 : 3); }

  // One variable, from its places.
  template <class M>
  static void apply(const M& m, const Layout& layout, Int storageClass, Int id, const dsa_VarAccess& a, Int p) {
    Choice c;
    if (choose(m, storageClass, id, c)) add<kIntoStore<M>>(m, layout, a, c.selfCopy, c.d, c.storeCopy, p);
  }

  // The steps of a block for the manipulator's variant, formed at its first walk.
  template <class M>
  static const std::vector<dsa_Var::Step>& steps(const M& m, const dsa_Var& var) {
    const int v = variant(m);
    if (!var.stepsFormed[v]) {
      std::vector<dsa_Var::Step>& steps = var.steps[v];
      for (Int k = 0; k < var.count; ++k) {
        Choice c;
        if (!choose(m, var.classes[k], var.ids[k], c)) continue;
        const dsa_VarAccess& a = var.access[k];
        const dsa_VarPlace &self = a.place[0], &store = a.place[c.d + 1];
        steps.push_back({self.storageClass * 3 + c.selfCopy, self.first, store.storageClass * 3 + c.storeCopy,
                         store.first, self.size, a.blocks[c.d]});
      }
      var.stepsFormed[v] = true;
    }
    return var.steps[v];
  }

  // True when a step's values and block p of its store lie in the copies of the layout walked.
  static bool stepInside(const Layout::Copies* c, const dsa_Var::Step& s, Int p) {
    return 0LL + s.selfFirst + s.size <= static_cast<long long>(c[s.selfSlot / 3].length) &&
           s.storeFirst + 1LL * p * s.size <= static_cast<long long>(c[s.storeSlot / 3].length);
  }

  // The steps of a block: block p of each store checked with one comparison; unless the storage
  // was formed from the element walked (kChecked), the places found then are checked against the
  // copies of the layout walked too.
  template <bool kChecked, class M>
  static void walk(const M& m, const Layout& layout, const dsa_Var& var, Int p) {
    const Layout::Copies* c = copies(layout);
    Real* bases[3 * Layout::kStorageClasses];
    for (int k = 0; k < Layout::kStorageClasses; ++k)
      for (int copy = 0; copy < 3; ++copy) bases[3 * k + copy] = c[k].base[copy];
    for (const dsa_Var::Step& s : steps(m, var)) {
      if (p < 1 || p > s.blocks || (kChecked && !stepInside(c, s, p))) {
        m.report();
        continue;
      }
      Real* values = bases[s.selfSlot] + s.selfFirst;
      Real* block = bases[s.storeSlot] + s.storeFirst + (p - 1) * s.size;
      if constexpr (kIntoStore<M>)
        addScaled(block, values, s.size, m.factor_);
      else
        addScaled(values, block, s.size, m.factor_);
    }
  }
};

// The walk of every present variable in the order of the storage tree. Entries walk with the
// manipulator's own type, so that its operation is called directly; doManip() calls it through
// the virtual table.
template <class M>
void dsaWalk(M& m) {
  const dsa_VarStorage* storage = heldStorage();
  if (storage == nullptr || m.layout_ == nullptr) return;
  const Int p = m.parameter();
  const bool formedHere = storage->formedFrom == m.layout_ && storage->formedWord == m.layout_->Word();
  auto block = [&m, p, formedHere](const Layout& layout, const dsa_Var& var) {
    if constexpr (std::is_same_v<M, dsa_Perturb> || std::is_same_v<M, dsa_FiniteDiff>) {
      if (var.access != nullptr) {
        if (formedHere) return dsa_WalkRules::walk<false>(m, layout, var, p);
        return dsa_WalkRules::walk<true>(m, layout, var, p);
      }
    }
    const VarBlock& vb = layout.Block();
    for (Int k = 0; k < var.count; ++k) {
      m.current_ = var.access ? &var.access[k] : nullptr;
      if constexpr (std::is_same_v<M, dsa_DataManip>)
        m.manip(layout, var.classes[k], var.ids[k], var.descriptors[k], vb);
      else
        m.M::manip(layout, var.classes[k], var.ids[k], var.descriptors[k], vb);
    }
  };
  auto mats = [&block](const auto& layout, const std::vector<dsa_MatVar>& vars) {
    const Int n = std::min<Int>(layout.NumMatPoints(), static_cast<Int>(vars.size()));
    for (Int k = 1; k <= n; ++k) block(*layout.MatPoint(k), vars[static_cast<std::size_t>(k - 1)].var);
  };
  const ElementLayout& e = *m.layout_;
  block(e, storage->var);
  const Int sects = std::min<Int>(e.NumSectPoints(), static_cast<Int>(storage->sects.size()));
  for (Int s = 1; s <= sects; ++s) {
    const SectIntLayout& layout = *e.SectPoint(s);
    const dsa_SectVar& sect = storage->sects[static_cast<std::size_t>(s - 1)];
    block(layout, sect.var);
    const Int rebars = std::min<Int>(layout.NumRebars(), static_cast<Int>(sect.rebars.size()));
    for (Int r = 1; r <= rebars; ++r) mats(*layout.Rebar(r), sect.rebars[static_cast<std::size_t>(r - 1)].mats);
    mats(layout, sect.mats);
  }
  const Int rebars = std::min<Int>(e.NumRebars(), static_cast<Int>(storage->rebars.size()));
  for (Int r = 1; r <= rebars; ++r) mats(*e.Rebar(r), storage->rebars[static_cast<std::size_t>(r - 1)].mats);
  m.current_ = nullptr;
}

void dsa_DataManip::visit(const Layout& layout, const dsa_Var& var) {
  const VarBlock& block = layout.Block();
  for (Int k = 0; k < var.count; ++k) {
    current_ = var.access ? &var.access[k] : nullptr;
    manip(layout, var.classes[k], var.ids[k], var.descriptors[k], block);
  }
  current_ = nullptr;
}

void dsa_DataManip::doManip() { dsaWalk(*this); }

void dsa_DataManip::doManip(const Int* ids, VarBlockTypeKey kind, Int n) {
  if (layout_ == nullptr) return;
  auto visit = [&](const Layout& layout) {
    const VarBlock& block = layout.Block();
    for (Int k = 0; k < n; ++k) {
      const Int id = ids[k];
      if (block.Points(id) == 0) continue;
      manip(layout, block.StorageClass(id), id, adb_dsaVarID(kind, id), block);
    }
  };
  const ElementLayout& e = *layout_;
  if (kind == kElementVarBlock) {
    visit(e);
  } else if (kind == kSectionVarBlock) {
    for (Int s = 1; s <= e.NumSectPoints(); ++s) visit(*e.SectPoint(s));
  } else if (kind == kMatPointVarBlock) {
    for (Int s = 1; s <= e.NumSectPoints(); ++s)
      for (Int m = 1; m <= e.SectPoint(s)->NumMatPoints(); ++m) visit(*e.SectPoint(s)->MatPoint(m));
  }
}

// ---- perturbation ----

dsa_Perturb::dsa_Perturb(ElementLayout* layout, const Int* c1, const Int* c2, Real factor, const char* entry)
    : dsa_DataManip(layout, c1, c2, factor, entry), mode_(perturbationMode()), control11_(c1 ? c1[10] : 0) {}

void dsa_Perturb::perturbFrom(const Layout& layout, Int id, const adb_dsaVars& vars, int companion, int copy) {
  dsa_VarAccess found;
  const dsa_VarAccess& a = dsa_WalkRules::places(*this, layout, id, vars, found);
  dsa_WalkRules::add<false>(*this, layout, a, 0, companion, copy, parameter());
}

void dsa_Perturb::manip(const Layout& layout, Int storageClass, Int id, const adb_dsaVars& vars, const VarBlock&) {
  dsa_VarAccess found;
  dsa_WalkRules::apply(*this, layout, storageClass, id, dsa_WalkRules::places(*this, layout, id, vars, found),
                       parameter());
}

inline void dsa_PerturbSigin::manip(const Layout& layout, Int storageClass, Int id, const adb_dsaVars& vars,
                             const VarBlock&) {
  if (storageClass == 4)
    perturbFrom(layout, id, vars, 1, 0);
  else if (storageClass == 3 || storageClass == 9)
    mode_ == 1 ? perturbFrom(layout, id, vars, 1, 2) : perturbFrom(layout, id, vars, 2, 0);
}

inline void dsa_PerturbElout::manip(const Layout& layout, Int storageClass, Int id, const adb_dsaVars& vars,
                             const VarBlock&) {
  if (storageClass == 0 || storageClass == 1 || storageClass == 3 || storageClass == 9)
    perturbFrom(layout, id, vars, 2, 0);
  else if (storageClass == 4)
    perturbFrom(layout, id, vars, 1, 0);
}

// ---- finite differences and their initialisation ----

dsa_FiniteDiff::dsa_FiniteDiff(ElementLayout* layout, const Int* c1, const Int* c2, Int a, Int b, Int c, Real factor,
                               const char* entry)
    : dsa_DataManip(layout, c1, c2, factor, entry), a_(a), b_(b), c_(c) {}

inline bool dsa_FiniteDiff::choose(Int storageClass, Int id, int& companion, int& storeCopy, int& sourceCopy) const {
  auto pick = [&](int d, int copy) {
    companion = d;
    storeCopy = copy;
    sourceCopy = copy;
    return true;
  };
  if (b_ != 0) {
    if (storageClass == 3 || storageClass == 9) return pick(2, 2);
    if (storageClass == 4) return pick(1, 2);
    return false;
  }
  if (c_ != 0) return storageClass == 1 && pick(2, 1);
  if (storageClass == 0 || storageClass == 3) return pick(2, 1);
  if (storageClass == 9 && id != 251) return pick(2, 2);
  if (storageClass == 5 && a_ != 0) return pick(1, 2);
  return false;
}

void dsa_FiniteDiff::manip(const Layout& layout, Int storageClass, Int id, const adb_dsaVars& vars, const VarBlock&) {
  dsa_VarAccess found;
  dsa_WalkRules::apply(*this, layout, storageClass, id, dsa_WalkRules::places(*this, layout, id, vars, found),
                       parameter());
}

dsa_InitDeriv::dsa_InitDeriv(ElementLayout* layout, const Int* c1, const Int* c2, Int a, Int b, Int c, Real factor)
    : dsa_FiniteDiff(layout, c1, c2, a, b, c, factor, "ELDSAINITDERIV"), mode_(perturbationMode()) {}

inline void dsa_InitDeriv::manip(const Layout& layout, Int storageClass, Int id, const adb_dsaVars& vars, const VarBlock&) {
  int d = 0, storeCopy = 0, sourceCopy = 0;
  if (!choose(storageClass, id, d, storeCopy, sourceCopy)) return;
  Span s, t;
  if (!span(layout, id, vars, kSelf, sourceCopy, s) || !span(layout, id, vars, d, storeCopy, t)) return;
  Real* target = block(t, s, parameter());
  if (target == nullptr) return;
  const Int n = s.size();
  if (control1_ != nullptr && control1_[12] == 1) {
    if (storageClass == 9 || (storageClass == 3 && mode_ == 2)) {
      Span t0;
      if (!span(layout, id, vars, d, 0, t0)) return;
      if (const Real* from = block(t0, s, parameter())) copyValues(target, from, n);
    } else {
      zero(target, n);
    }
  } else if (control1_ != nullptr && control1_[0] == 1) {
    for (Int i = 0; i < n; ++i) target[i] = -s.values[i] / factor_;
  } else {
    zero(target, n);
  }
}

dsa_Init::dsa_Init(ElementLayout* layout, const Int* c1, const Int* c2)
    : dsa_DataManip(layout, c1, c2, 0, "DSA_ZEROUPSTATE") {}

inline void dsa_Init::manip(const Layout& layout, Int storageClass, Int id, const adb_dsaVars& vars, const VarBlock&) {
  if (storageClass != 9) return;
  Span s, t;
  if (!span(layout, id, vars, kSelf, 2, s) || !span(layout, id, vars, 2, 2, t)) return;
  if (Real* target = block(t, s, parameter())) zero(target, s.size());
}

// ---- initial state ----

dsa_StoreInitState::dsa_StoreInitState(ElementLayout* layout, const Int* c1, const Int* c2)
    : dsa_DataManip(layout, c1, c2, 0, "DSASTOREINITSTATE") {}

inline void dsa_StoreInitState::manip(const Layout& layout, Int storageClass, Int id, const adb_dsaVars& vars,
                               const VarBlock&) {
  if (storageClass != 3 && storageClass != 9) return;
  Span s, t;
  if (!span(layout, id, vars, kSelf, storageClass == 9 ? 2 : 1, s) || !span(layout, id, vars, 0, 2, t)) return;
  if (Real* target = whole(t, s)) copyValues(target, s.values, s.size());
}

dsa_RestoreInitState::dsa_RestoreInitState(ElementLayout* layout)
    : dsa_DataManip(layout, nullptr, nullptr, 0, "ELDSARESTOREDATA") {}

void dsa_RestoreInitState::manip(const Layout& layout, Int storageClass, Int id, const adb_dsaVars& vars,
                                 const VarBlock&) {
  if (storageClass != 3 && storageClass != 9) return;
  Span s, t;
  if (!span(layout, id, vars, kSelf, 0, s) || !span(layout, id, vars, 0, 0, t)) return;
  if (const Real* source = whole(t, s)) copyValues(s.values, source, s.size());
}

void dsa_RestoreInitState::manip() { cfi_WriteMessage(1, "dsa_RestoreInitState::manip()"); }

// ---- transfer and verification ----

dsa_Transfer::dsa_Transfer(ElementLayout* layout, const Int* c1, const Int* c2, Int direction)
    : dsa_DataManip(layout, c1, c2, 0, "DSATRANSFER"), direction_(direction) {}

inline void dsa_Transfer::manip(const Layout& layout, Int storageClass, Int id, const adb_dsaVars& vars, const VarBlock&) {
  if (storageClass != 3 && storageClass != 9) return;
  const int fromCopy = storageClass == 9 || direction_ != 0 ? 2 : 1;
  Span s, from, to;
  if (!span(layout, id, vars, kSelf, 0, s) || !span(layout, id, vars, 2, fromCopy, from) ||
      !span(layout, id, vars, 1, 2, to))
    return;
  const Real* source = block(from, s, parameter());
  Real* target = source ? block(to, s, parameter()) : nullptr;
  if (target != nullptr) copyValues(target, source, s.size());
}

dsa_Verif::dsa_Verif(ElementLayout* layout, const Real* first, const Real* second, Int i1, Int i2, Int i3, Int i4)
    : dsa_DataManip(layout, nullptr, nullptr, 0, "ELDSAVERIF"), first_(first), second_(second), ints_{i1, i2, i3, i4} {}

dsa_VerifElVector::dsa_VerifElVector(const Real* first, const Real* second, Int i1, Int i2, Int i3, Int i4,
                                     const char* name, Int nameLength)
    : first_(first), second_(second), ints_{i1, i2, i3, i4}, name_(name), nameLength_(nameLength) {}

// ---- entries ----

extern "C" {

void ELDSAPERTURB(const Int* layout, const Int* control1, const Int* control2, const Real* factor, const Int*) {
  dsa_Perturb m(elementLayout(layout), control1, control2, *factor);
  dsaWalk(m);
}

void SIGINDSAPERTURB(const Int* layout, const Int* control1, const Int* control2, const Real* factor, const Int*) {
  dsa_PerturbSigin m(elementLayout(layout), control1, control2, *factor, "SIGINDSAPERTURB");
  dsaWalk(m);
}

void ELDSAFINITEDIFF(const Int* layout, const Int* control1, const Int* control2, const Int* a, const Int* b,
                     const Int* c, const Real* factor) {
  dsa_FiniteDiff m(elementLayout(layout), control1, control2, *a, *b, *c, *factor);
  dsaWalk(m);
}

void ELDSAINITDERIV(const Int* layout, const Int* control1, const Int* control2, const Int* a, const Int* b,
                    const Int* c, const Real* factor) {
  dsa_InitDeriv m(elementLayout(layout), control1, control2, *a, *b, *c, *factor);
  dsaWalk(m);
}

void DSA_ZEROUPSTATE(const Int* layout, const Int* control1, const Int* control2) {
  dsa_Init m(elementLayout(layout), control1, control2);
  dsaWalk(m);
}

void DSASTOREINITSTATE(const Int* layout, const Int* control1, const Int* control2) {
  dsa_StoreInitState m(elementLayout(layout), control1, control2);
  dsaWalk(m);
}

void ELDSARESTOREDATA(const Int* layout, const Int* element, const Int* flag1, const Int* flag2) {
  ElementLayout* e = elementLayout(layout);
  refreshrwbuffer(*element, e);
  if (*flag1 != 1 || *flag2 != 0) return;
  dsa_RestoreInitState m(e);
  dsaWalk(m);
}

void DSATRANSFER(const Int* layout, const Int* control1, const Int* control2, const Int* direction) {
  dsa_Transfer m(elementLayout(layout), control1, control2, *direction);
  dsaWalk(m);
}

void ELDSAVERIF(const Int* layout, const Real* first, const Real* second, const Int* i1, const Int* i2, const Int* i3,
                const Int* i4) {
  dsa_Verif m(elementLayout(layout), first, second, *i1, *i2, *i3, *i4);
  dsaWalk(m);
}

void DSA_STDVERIFELVECTOR(const Real* first, const Real* second, const Int* i1, const Int* i2, const Int* i3,
                          const Int* i4, const char* name, Int nameLength) {
  dsa_VerifElVector v(first, second, *i1, *i2, *i3, *i4, name, nameLength);
  v.elVecPrint();
}

}  // extern "C"
