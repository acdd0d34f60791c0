// Hosts declare the class-style routines themselves, with the parameter lists they were given, so
// a routine exported with other parameter types (a const added, an int for an enumeration, an
// extra argument) does not link for them. tests/abi/class_style_signatures.txt holds those
// parameter lists; for every routine named there the library must export exactly the listed
// overloads, no fewer and no others.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "tests/abi/symbol_table.h"

// Declared here as a host declares it, not through the library's header: the test links only
// when the library exports this very overload.
void shr_msgprintC(int& printFlag, int& analysisFlag, int& step, int& increment, int& first, int& second);

namespace {

// The qualified name in front of the parameter list; empty for symbols without one (records,
// virtual tables). Parentheses inside template arguments do not occur in our names.
std::string routineName(const std::string& signature) {
  const auto open = signature.find('(');
  return open == std::string::npos ? std::string() : signature.substr(0, open);
}

std::map<std::string, std::set<std::string>> byName(const std::set<std::string>& signatures) {
  std::map<std::string, std::set<std::string>> overloads;
  for (const auto& signature : signatures) {
    const std::string name = routineName(signature);
    if (!name.empty()) overloads[name].insert(signature);
  }
  return overloads;
}

TEST(ClassStyleSignatures, EveryListedRoutineIsExportedWithExactlyTheListedOverloads) {
  const auto wanted = byName(abi_testing::listedLines(ZMX_SOURCE_DIR "/tests/abi/class_style_signatures.txt"));
  const auto exported = byName(abi_testing::exportedNames());
  ASSERT_GT(wanted.size(), 200u) << "the list of host signatures was not read";
  ASSERT_FALSE(exported.empty()) << "could not read the symbol table of " ZMX_LIBRARY_FILE;
  for (const auto& [name, overloads] : wanted) {
    const auto found = exported.find(name);
    const std::set<std::string> have = found != exported.end() ? found->second : std::set<std::string>{};
    for (const auto& signature : overloads) EXPECT_TRUE(have.count(signature)) << "not exported: " << signature;
    for (const auto& signature : have)
      EXPECT_TRUE(overloads.count(signature)) << "exported with other parameters: " << signature;
  }
}

// The drain writes none of its six integers, although hosts hand them over by plain reference.
TEST(ClassStyleSignatures, TheMessageDrainLinksAsHostsDeclareItAndLeavesItsArgumentsAlone) {
  int printFlag = -1, analysisFlag = 1, step = 3, increment = 12, first = 7, second = -4;
  shr_msgprintC(printFlag, analysisFlag, step, increment, first, second);
  EXPECT_EQ(printFlag, -1);
  EXPECT_EQ(analysisFlag, 1);
  EXPECT_EQ(step, 3);
  EXPECT_EQ(increment, 12);
  EXPECT_EQ(first, 7);
  EXPECT_EQ(second, -4);
}

}  // namespace
