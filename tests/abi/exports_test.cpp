// The library's dynamic symbol table must hold exactly the routines and records listed in
// tests/exports.txt: nothing missing, nothing exported by accident.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <string>

namespace {

std::set<std::string> listed() {
  std::set<std::string> names;
  std::ifstream in(ZMX_SOURCE_DIR "/tests/exports.txt");
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') names.insert(line);
  return names;
}

// Symbols that the tool chain adds to every shared object, or that belong to the standard
// library's templates instantiated inside ours, or that AddressSanitizer adds beside exported
// variables (their one-definition indicators).
bool belongsToTheToolChain(const std::string& name) {
  static const char* const kPrefixes[] = {"std::",          "__gnu_cxx::",          "typeinfo for std::",
                                          "typeinfo name for std::", "vtable for std::", "guard variable for std::",
                                          "_init",          "_fini",                "_edata",
                                          "_end",           "__bss_start",          "operator new",
                                          "operator delete", "void std::",           "__cxx",
                                          "__odr_asan"};
  for (const char* prefix : kPrefixes)
    if (name.rfind(prefix, 0) == 0) return true;
  return false;
}

std::set<std::string> exported() {
  std::set<std::string> names;
  const std::string command = "nm -D --defined-only -C '" ZMX_LIBRARY_FILE "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return names;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) {
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    // "<address> <type> <name>"
    const auto first = line.find(' ');
    if (first == std::string::npos) continue;
    const auto second = line.find(' ', first + 1);
    if (second == std::string::npos) continue;
    const std::string name = line.substr(second + 1);
    if (!belongsToTheToolChain(name)) names.insert(name);
  }
  return names;
}

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
  const auto want = listed();
  const auto have = exported();
  ASSERT_FALSE(have.empty()) << "could not read the symbol table of " ZMX_LIBRARY_FILE;
  for (const auto& name : want) EXPECT_TRUE(have.count(name)) << "not exported: " << name;
  for (const auto& name : have) EXPECT_TRUE(want.count(name)) << "exported but not listed: " << name;
}

}  // namespace
