// Entries that work on named variables of the layout alone, without the storage tree: the mass
// derivative store and the contact perturbation of the material points.
#include <algorithm>

#include "runtime/address_space.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/dsa_layouts.h"
#include "sensitivity/manipulators/named_variables.h"
#include "zmx/sensitivity.h"

namespace {

constexpr Int kMassVariable = 50;
constexpr Int kContactTarget = 251;
constexpr Int kContactSource = 887;

void storeMass(zmx::dsa::NamedVariables& v, ElementLayout* layout, const Real* values, Int n) {
  Int size = 0;
  if (layout == nullptr) return;
  Real* target = v.values(*layout, adb_dsaVarID(kElementVarBlock, kMassVariable).d[1], 2, size);
  if (target == nullptr) return;
  if (n < 0 || n > size) return v.fail();
  std::copy(values, values + n, target);
}

}  // namespace

extern "C" {

void DSA_MASSTORE(const Int* layout, const Real* values, const Int* n) {
  ElementLayout* e = adb_dsaElementLayout(*layout);
  zmx::dsa::NamedVariables v(e, "DSA_MASSTORE");
  storeMass(v, e, values, *n);
}

void DSA_PERTCONTCTA(const Int* layout, const Int* n, const Int* j, const Int*, const Real* dv) {
  ElementLayout* e = adb_dsaElementLayout(*layout);
  if (e == nullptr) return;
  zmx::dsa::NamedVariables v(e, "DSA_PERTCONTCTA");
  static constexpr Int kSectionOp = 0, kMatOp = 1, kFirst = 1;
  for (Int k = 1; k <= *n; ++k) {
    const Int sect = GETSUBLAYOUT(&kSectionOp, layout, &k);
    const Int mat = sect ? GETSUBLAYOUT(&kMatOp, &sect, &kFirst) : 0;
    if (mat == 0 || k > e->NumSectPoints() || e->SectPoint(k)->NumMatPoints() < 1) return v.fail();
    const Layout& point = *e->SectPoint(k)->MatPoint(1);
    Int targets = 0, sources = 0;
    v.values(point, kContactTarget, targets);
    v.values(point, kContactSource, sources);
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
