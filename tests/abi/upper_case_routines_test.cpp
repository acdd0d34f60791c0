// Every exported upper-case routine is named exactly once in the lists of upper-case routines
// (tests/abi/upper_case_routines_*.txt), and every routine named there is exported. The
// declarations themselves are held against the lists when this test is compiled.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/abi/routine_shape.h"
#include "tests/abi/symbol_table.h"

namespace {

TEST(UpperCaseRoutines, EveryExportedRoutineIsListedOnceAndEveryListedRoutineIsExported) {
  std::map<std::string, std::vector<std::string>> listedIn;
  for (std::size_t k = 0; k < abi_testing::kListedRoutineCount; ++k)
    listedIn[abi_testing::kListedRoutines[k].name].push_back(abi_testing::kListedRoutines[k].list);
  const auto exported = abi_testing::exportedUpperCaseRoutines();
  ASSERT_GT(exported.size(), 800u) << "could not read the symbol table of " ZMX_LIBRARY_FILE;

  for (const auto& name : exported)
    EXPECT_TRUE(listedIn.count(name)) << name << " is exported but in no list of upper-case routines";
  for (const auto& [name, lists] : listedIn) {
    EXPECT_TRUE(exported.count(name)) << name << " is listed (" << lists.front() << ") but not exported";
    if (lists.size() > 1) {
      std::string where;
      for (const auto& list : lists) where += " " + list;
      ADD_FAILURE() << name << " is listed " << lists.size() << " times:" << where;
    }
  }
}

}  // namespace
