#include <gtest/gtest.h>

#include <csignal>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "runtime/module_log.h"
#include "siblings/eqc/testing.h"
#include "zmx/import.h"
#include "zmx/sensitivity.h"
#include "zmx/storage.h"

namespace {

std::vector<std::string> routines() {
  std::vector<std::string> names;
  for (const auto& call : zmxrt::moduleCalls()) names.push_back(call.routine);
  return names;
}

// The six siblings, then the import and the sensitivity modules; down in the reverse order.
const std::vector<std::string> kModulesUp = {"utl_initialize", "bdo_initialize", "inp_initialize",
                                             "eqc_initialize", "glo_initialize", "dm2_initialize",
                                             "edi_initialize", "dsa_initialize"};
const std::vector<std::string> kModulesDown = {"dsa_finalize", "edi_finalize", "dm2_finalize",
                                               "glo_finalize", "eqc_finalize", "inp_finalize",
                                               "bdo_finalize", "utl_finalize"};

// The library itself, six siblings, the import module and the sensitivity module.
constexpr int kModules = 9;

TEST(ModuleFrame, NestedCallsBringTheSuiteUpAndDownOnceInOrder) {
  zmxrt::clearModuleCalls();
  int counter = 0;
  shr_initialize(counter);
  EXPECT_EQ(counter, kModules);
  EXPECT_EQ(routines(), kModulesUp);
  // The library counts itself before any module is called; each module then adds its own 1.
  const auto up = zmxrt::moduleCalls();
  for (std::size_t k = 0; k < up.size(); ++k) EXPECT_EQ(up[k].counterOnEntry, static_cast<int>(k) + 1);

  shr_initialize(counter);
  EXPECT_EQ(counter, kModules);
  EXPECT_EQ(routines().size(), kModulesUp.size());

  zmxrt::clearModuleCalls();
  shr_finalize(counter);
  EXPECT_EQ(counter, kModules);
  EXPECT_TRUE(routines().empty());

  shr_finalize(counter);
  EXPECT_EQ(counter, 0);
  EXPECT_EQ(routines(), kModulesDown);
  // The library counts itself down first; each module then takes its own 1.
  const auto down = zmxrt::moduleCalls();
  for (std::size_t k = 0; k < down.size(); ++k)
    EXPECT_EQ(down[k].counterOnEntry, kModules - 1 - static_cast<int>(k));
}

TEST(ModuleFrame, ImportAndSensitivityModulesAreUseCounted) {
  using Pair = void (*)(int&);
  const std::pair<Pair, Pair> modules[] = {{edi_initialize, edi_finalize}, {dsa_initialize, dsa_finalize}};
  for (const auto& [up, down] : modules) {
    int counter = 0;
    up(counter);
    up(counter);
    EXPECT_EQ(counter, 1);
    down(counter);
    EXPECT_EQ(counter, 1);
    down(counter);
    EXPECT_EQ(counter, 0);
    // An unmatched finalise only counts below 0; the next initialise only counts back.
    down(counter);
    up(counter);
    EXPECT_EQ(counter, 0);
    up(counter);
    EXPECT_EQ(counter, 1);
    down(counter);
    EXPECT_EQ(counter, 0);
  }
}

TEST(ModuleFrame, TheSuiteComesUpAgainAfterAFullTakeDown) {
  int counter = 0;
  shr_initialize(counter);
  shr_finalize(counter);
  zmxrt::clearModuleCalls();
  shr_initialize(counter);
  EXPECT_EQ(counter, kModules);
  EXPECT_EQ(routines(), kModulesUp);
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

  // Installed as a host would install it, and raised for real.
  EXPECT_EQ(zmx::signalReceived(), 0);
  const auto previous = std::signal(SIGUSR1, shr_signalHandler);
  ASSERT_NE(previous, SIG_ERR);
  std::raise(SIGUSR1);
  std::signal(SIGUSR1, previous);
  EXPECT_EQ(zmx::signalReceived(), 1);
  shr_signalHandler(-1);
  EXPECT_EQ(zmx::signalReceived(), 1);
  EXPECT_EQ(shr_getMemoryTallyInPre(), -7);
}

// The empty entries: the place-holders of other platforms and the new-handler that the library
// never installs. Each returns and leaves every process-wide state as it was.
TEST(ModuleFrame, EmptyEntriesChangeNothing) {
  void (*const entries[])() = {MemoryExhaustedHandler,     dummy_nec_shr_abubblesort, dummy_nec_shr_aqsort2,
                               dummy_rs6000_shr_sysparams, dummy_vpp_shr_vmemcpy_1,   dummy_vpp_shr_vmemcpy_2,
                               dummy_vpp_shr_vmemset};
  int counter = 0;
  shr_initialize(counter);
  eqc_testing::clearMessages();
  zmxrt::clearModuleCalls();
  const std::new_handler handler = std::get_new_handler();
  const int tally = shr_getMemoryTallyInPre();
  const int signal = zmx::signalReceived();
  for (auto* entry : entries) {
    entry();
    EXPECT_EQ(std::get_new_handler(), handler);
    EXPECT_NE(std::get_new_handler(), MemoryExhaustedHandler);
    EXPECT_EQ(shr_getMemoryTallyInPre(), tally);
    EXPECT_EQ(zmx::signalReceived(), signal);
    EXPECT_EQ(omi_SingletonBase<shr_SurfaceDb>::instance, nullptr);
    EXPECT_TRUE(routines().empty());
    EXPECT_TRUE(eqc_testing::messages().empty());
  }
  // The use count is untouched too: one finalise still takes the library down.
  shr_finalize(counter);
  EXPECT_EQ(counter, 0);
  EXPECT_EQ(routines(), kModulesDown);
}

}  // namespace
