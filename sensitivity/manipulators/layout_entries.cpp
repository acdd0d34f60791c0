// Entries that work on named variables of the layout alone, without the storage tree: the mass
// derivative store and the contact perturbation of the material points.
#include <algorithm>

#include "runtime/address_space.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/dsa_layouts.h"
#include "zmx/sensitivity.h"

namespace {

constexpr Int kMassVariable = 50;
constexpr Int kContactTarget = 251;
constexpr Int kContactSource = 887;

// Uses the checked addressing of the manipulators for one named variable at a time.
class NamedVariables : public dsa_DataManip {
 public:
  NamedVariables(ElementLayout* layout, const char* entry) : dsa_DataManip(layout, nullptr, nullptr, 0, entry) {}
  void manip(const Layout&, Int, Int, const adb_dsaVars&, const VarBlock&) override {}

  void storeMass(const Real* values, Int n) {
    Span t;
    if (layout_ == nullptr || !span(*layout_, adb_dsaVarID(kElementVarBlock, kMassVariable).d[1], 2, t)) return;
    if (n < 0 || n > t.size()) return report();
    std::copy(values, values + n, t.values);
  }

  // Size of variable id of the material point, 0 (reported) when it lacks it.
  Int size(const Layout& layout, Int id) {
    Span s;
    return span(layout, id, 0, s) ? s.size() : 0;
  }
  void fail() const { report(); }
};

}  // namespace

extern "C" {

void DSA_MASSTORE(const Int* layout, const Real* values, const Int* n) {
  NamedVariables v(adb_dsaElementLayout(*layout), "DSA_MASSTORE");
  v.storeMass(values, *n);
}

void DSA_PERTCONTCTA(const Int* layout, const Int* n, const Int* j, const Int*, const Real* dv) {
  ElementLayout* e = adb_dsaElementLayout(*layout);
  if (e == nullptr) return;
  NamedVariables v(e, "DSA_PERTCONTCTA");
  static constexpr Int kSectionOp = 0, kMatOp = 1, kFirst = 1;
  for (Int k = 1; k <= *n; ++k) {
    const Int sect = GETSUBLAYOUT(&kSectionOp, layout, &k);
    const Int mat = sect ? GETSUBLAYOUT(&kMatOp, &sect, &kFirst) : 0;
    if (mat == 0 || k > e->NumSectPoints() || e->SectPoint(k)->NumMatPoints() < 1) return v.fail();
    const Layout& point = *e->SectPoint(k)->MatPoint(1);
    const Int targets = v.size(point, kContactTarget), sources = v.size(point, kContactSource);
    if (targets == 0 || sources == 0) continue;
    if (*j < 1 || *j > sources) {
      v.fail();
      continue;
    }
    Real* target = mem32::at<Real>(GETVARDRW(&mat, &kContactTarget), static_cast<std::size_t>(targets), dm2::kDataTag);
    const Real* source = mem32::at<Real>(GETVARDRW(&mat, &kContactSource), static_cast<std::size_t>(sources), dm2::kDataTag);
    if (target == nullptr || source == nullptr) continue;
    const Real add = *dv * source[*j - 1];
    for (Int i = 0; i < targets; ++i) target[i] += add;
  }
}

}  // extern "C"
