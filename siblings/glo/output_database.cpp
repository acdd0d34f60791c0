// Output databases of substructures, as the glo stand-in keeps them.

#include "siblings/glo/output_database.h"

#include <filesystem>
#include <map>
#include <string>

#include "runtime/fortran_chars.h"

namespace {

constexpr Int kFirstHandle = 500;

struct Databases {
  std::map<Int, std::string> open;
  Int current = -1;
  Int next = kFirstHandle;
};

constinit Databases* gDatabases = nullptr;

Databases& databases() {
  if (gDatabases == nullptr) gDatabases = new Databases();
  return *gDatabases;
}

}  // namespace

extern "C" {

void EXTC_OPENDDB(const char* name, Int nameLength, Int* handle) {
  const std::string path = fchar::toString(name, nameLength);
  *handle = -1;
  if (!std::filesystem::exists(path)) return;
  *handle = databases().next++;
  databases().open[*handle] = path;
}

void EXTC_SETCURRENTDDB(const Int* handle) { databases().current = *handle; }

}  // extern "C"

namespace glo_testing {
std::string currentOutputDatabase() {
  auto found = databases().open.find(databases().current);
  return found == databases().open.end() ? std::string() : found->second;
}
Int currentOutputHandle() { return databases().current; }
}  // namespace glo_testing
