// The names libzmxshr.so exports, demangled as nm -D -C prints them, without those the tool
// chain adds.
#pragma once

#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <string>

namespace abi_testing {

// The lines of a checked-in list, without blank lines and # comments.
inline std::set<std::string> listedLines(const char* path) {
  std::set<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') lines.insert(line);
  return lines;
}

// Symbols that the tool chain adds to every shared object, or that belong to the standard
// library's templates instantiated inside ours, or that AddressSanitizer adds beside exported
// variables (their one-definition indicators).
inline bool belongsToTheToolChain(const std::string& name) {
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

inline std::set<std::string> exportedNames() {
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

}  // namespace abi_testing
