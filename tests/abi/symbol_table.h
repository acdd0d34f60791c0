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
// variables (their one-definition indicators), or that gcov's run-time brings into a coverage build.
inline bool belongsToTheToolChain(const std::string& name) {
  static const char* const kPrefixes[] = {"std::",          "__gnu_cxx::",          "typeinfo for std::",
                                          "typeinfo name for std::", "vtable for std::", "guard variable for std::",
                                          "_init",          "_fini",                "_edata",
                                          "_end",           "__bss_start",          "operator new",
                                          "operator delete", "void std::",           "__cxx",
                                          "__odr_asan",     "__gcov_",              "mangle_path",
                                          "int __gnu_cxx::"};
  for (const char* prefix : kPrefixes)
    if (name.rfind(prefix, 0) == 0) return true;
  return false;
}

// Calls visit(type, name) for every line "<address> <type> <name>" that nm prints with the given
// options for the library.
template <class Visit>
void readSymbolTable(const char* options, Visit visit) {
  const std::string command = std::string("nm -D --defined-only ") + options + " '" ZMX_LIBRARY_FILE "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) {
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    const auto first = line.find(' ');
    if (first == std::string::npos) continue;
    const auto second = line.find(' ', first + 1);
    if (second == std::string::npos) continue;
    visit(line.substr(first + 1, second - first - 1), line.substr(second + 1));
  }
}

inline std::set<std::string> exportedNames() {
  std::set<std::string> names;
  readSymbolTable("-C", [&](const std::string&, const std::string& name) {
    if (!belongsToTheToolChain(name)) names.insert(name);
  });
  return names;
}

// The exported routines whose symbol is an upper-case name (the upper-case routines; records
// are data, and class-style routines carry decorated names).
inline std::set<std::string> exportedUpperCaseRoutines() {
  std::set<std::string> names;
  readSymbolTable("", [&](const std::string& type, const std::string& name) {
    const bool code = type == "T" || type == "W" || type == "i";
    const bool upperCase = !name.empty() && name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") ==
                                                std::string::npos && name[0] >= 'A' && name[0] <= 'Z';
    if (code && upperCase) names.insert(name);
  });
  return names;
}

}  // namespace abi_testing
