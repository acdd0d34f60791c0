// Builds sensitivity layouts and nodes for tests: variables with their formats and companions
// (d0 the initial state, d1 and d2 the derivative stores with one block per design parameter),
// and a fresh sensitivity state.
#pragma once

#include <vector>

#include "siblings/dm2/dsa_layouts.h"
#include "siblings/dm2/dsa_state.h"
#include "siblings/dm2/dsa_testing.h"
#include "tests/support/host_fixture.h"

namespace zmxtest::dsa {

struct Var {
  Int id = 0;
  Int storageClass = 0;
  Int points = 1;
  Int perPoint = 1;
};

// Storage class of every companion: no manipulator rule reads it as a variable's class.
inline constexpr Int kCompanionClass = 7;

// Id of companion k (0 to 2) of the variable id in blocks of the kind.
Int companion(Int kind, Int id, int k);
// A block of the variables and their companions for the given number of design parameters;
// registers the formats and descriptors.
dm2_dsa_testing::BlockPlan block(Int kind, const std::vector<Var>& vars, Int parameters, Int stride = 1,
                                 Int baseIndex = 1);
// Drops the sensitivity state, the layouts, the element loops and the message log.
void resetAll();

class SensitivityFixture : public HostFixture {
 protected:
  void SetUp() override;
  void TearDown() override;
  adb_dsaGlobal& state() { return *omi_Singleton<adb_dsaGlobal>::Instance(); }
  // Adds n design parameters of value 1.
  void addParameters(Int n);
};

}  // namespace zmxtest::dsa
