#include "tests/support/sensitivity_builder.h"

#include "siblings/dm2/element_loops.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/testing.h"
#include "zmx/sensitivity.h"

namespace zmxtest::dsa {

Int companion(Int kind, Int id, int k) { return 10000 * (kind + 1) + 4 * id + k; }

dm2_dsa_testing::BlockPlan block(Int kind, const std::vector<Var>& vars, Int parameters, Int stride, Int baseIndex) {
  dm2_dsa_testing::BlockPlan plan;
  plan.stride = stride;
  plan.baseIndex = baseIndex;
  for (const Var& v : vars) {
    dm2_dsa_testing::setVarFormat(v.id, {v.perPoint, 0});
    plan.variables.push_back({v.id, v.points, v.storageClass});
    adb_dsaVars d{{companion(kind, v.id, 0), companion(kind, v.id, 1), companion(kind, v.id, 2), -1}};
    dm2_dsa_testing::setVarID(kind, v.id, d);
    for (int k = 0; k < 3; ++k) {
      dm2_dsa_testing::setParentVarID(d.d[k], v.id);
      plan.variables.push_back({d.d[k], k == 0 ? v.points : v.points * parameters, kCompanionClass});
    }
  }
  return plan;
}

void resetAll() {
  ELDSADELSTORAGE();
  static constexpr Int kDestroy = 2, kNone = 0;
  Int status = 0;
  DSA_CONTDB(" ", 1, &kDestroy, &kNone, &kNone, &status);
  dm2_dsa_testing::resetState();
  dm2_dsa_testing::resetLayouts();
  dm2_dsa_testing::resetElementLoops();
  dm2_testing::resetModel();
  eqc_testing::clearMessages();
}

void SensitivityFixture::SetUp() {
  HostFixture::SetUp();
  resetAll();
  dm2_dsa_testing::setFormatSize(0, 1);
}

void SensitivityFixture::TearDown() {
  resetAll();
  HostFixture::TearDown();
}

void SensitivityFixture::addParameters(Int n) {
  for (Int k = 0; k < n; ++k) state().space.addDesPar(1.0);
}

}  // namespace zmxtest::dsa
