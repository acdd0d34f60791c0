#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/module_log.h"
#include "zmx/storage.h"

namespace {

std::vector<std::string> routines() {
  std::vector<std::string> names;
  for (const auto& call : zmxrt::moduleCalls()) names.push_back(call.routine);
  return names;
}

const std::vector<std::string> kSiblingsUp = {"utl_initialize", "bdo_initialize", "inp_initialize",
                                              "eqc_initialize", "glo_initialize", "dm2_initialize"};
const std::vector<std::string> kSiblingsDown = {"dm2_finalize", "glo_finalize", "eqc_finalize",
                                                "inp_finalize", "bdo_finalize", "utl_finalize"};

// The library itself, six siblings, the import module and the sensitivity module.
constexpr int kModules = 9;

TEST(ModuleFrame, NestedCallsBringTheSuiteUpAndDownOnceInOrder) {
  zmxrt::clearModuleCalls();
  int counter = 0;
  shr_initialize(counter);
  EXPECT_EQ(counter, kModules);
  EXPECT_EQ(routines(), kSiblingsUp);
  // The library counts itself before the siblings are called; each sibling adds its own 1.
  const auto up = zmxrt::moduleCalls();
  for (std::size_t k = 0; k < up.size(); ++k) EXPECT_EQ(up[k].counterOnEntry, static_cast<int>(k) + 1);

  shr_initialize(counter);
  EXPECT_EQ(counter, kModules);
  EXPECT_EQ(routines().size(), kSiblingsUp.size());

  zmxrt::clearModuleCalls();
  shr_finalize(counter);
  EXPECT_EQ(counter, kModules);
  EXPECT_TRUE(routines().empty());

  shr_finalize(counter);
  EXPECT_EQ(counter, 0);
  EXPECT_EQ(routines(), kSiblingsDown);
  // The library, the sensitivity and the import modules are down before dm2 is called.
  EXPECT_EQ(zmxrt::moduleCalls().front().counterOnEntry, kModules - 3);
}

TEST(ModuleFrame, TheSuiteComesUpAgainAfterAFullTakeDown) {
  int counter = 0;
  shr_initialize(counter);
  shr_finalize(counter);
  zmxrt::clearModuleCalls();
  shr_initialize(counter);
  EXPECT_EQ(counter, kModules);
  EXPECT_EQ(routines(), kSiblingsUp);
  shr_finalize(counter);
  EXPECT_EQ(counter, 0);
}

TEST(ModuleFrame, AnUnmatchedFinalizeOnlyCountsBelowZero) {
  zmxrt::clearModuleCalls();
  int counter = 0;
  shr_finalize(counter);
  EXPECT_EQ(counter, 0);
  EXPECT_TRUE(routines().empty());
  // The next initialise only brings the count back to 0 and does nothing else.
  shr_initialize(counter);
  EXPECT_EQ(counter, 0);
  EXPECT_TRUE(routines().empty());
  // Now the count is balanced again and the next pair acts.
  shr_initialize(counter);
  EXPECT_EQ(counter, kModules);
  shr_finalize(counter);
  EXPECT_EQ(counter, 0);
}

TEST(ModuleFrame, FinalizeDestroysTheRegistryAndLeavesItNullWhenUnused) {
  int counter = 0;
  shr_initialize(counter);
  EXPECT_EQ(omi_SingletonBase<shr_SurfaceDb>::instance, nullptr);
  shr_finalize(counter);
  EXPECT_EQ(omi_SingletonBase<shr_SurfaceDb>::instance, nullptr);

  shr_initialize(counter);
  SHR_MKMODELSURFACEDBCURRENT("global", 6);
  EXPECT_NE(omi_SingletonBase<shr_SurfaceDb>::instance, nullptr);
  shr_finalize(counter);
  EXPECT_EQ(omi_SingletonBase<shr_SurfaceDb>::instance, nullptr);
}

TEST(ModuleFrame, ProcessWideSwitches) {
  EXPECT_EQ(shr_getMemoryTallyInPre(), 1);
  shr_setMemoryTallyInPre(0);
  EXPECT_EQ(shr_getMemoryTallyInPre(), 0);
  shr_setMemoryTallyInPre(-7);
  EXPECT_EQ(shr_getMemoryTallyInPre(), -7);

  EXPECT_EQ(zmx::signalReceived(), 0);
  shr_signalHandler(11);
  EXPECT_EQ(zmx::signalReceived(), 1);
  shr_signalHandler(-1);
  EXPECT_EQ(zmx::signalReceived(), 1);
  EXPECT_EQ(shr_getMemoryTallyInPre(), -7);
}

}  // namespace
