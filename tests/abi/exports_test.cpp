// The library's dynamic symbol table must hold exactly the routines and records listed in
// tests/exports.txt: nothing missing, nothing exported by accident.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

#include "tests/abi/symbol_table.h"

namespace {

// The list is kept sorted byte-wise and free of repeats, so that merges show up as plain diffs.
TEST(Exports, TheListIsSortedWithoutRepeats) {
  std::ifstream in(ZMX_SOURCE_DIR "/tests/exports.txt");
  std::string previous;
  for (std::string line; std::getline(in, line);) {
    EXPECT_LT(previous, line) << "out of order or repeated: " << line;
    previous = line;
  }
}

TEST(Exports, DynamicSymbolTableMatchesTheList) {
  const auto want = abi_testing::listedLines(ZMX_SOURCE_DIR "/tests/exports.txt");
  const auto have = abi_testing::exportedNames();
  ASSERT_FALSE(have.empty()) << "could not read the symbol table of " ZMX_LIBRARY_FILE;
  for (const auto& name : want) EXPECT_TRUE(have.count(name)) << "not exported: " << name;
  for (const auto& name : have) EXPECT_TRUE(want.count(name)) << "exported but not listed: " << name;
}

}  // namespace
