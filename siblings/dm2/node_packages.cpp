#include "siblings/dm2/node_packages.h"

#include "siblings/dm2/element_numbers.h"

#include "runtime/address_space.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/dm2_memory.h"
#include "siblings/dm2/testing.h"

namespace {

constexpr int kRequestKindWord = 3;

struct Packages {
  std::vector<Int> requests;
  int open = 0;
};

constinit Packages* gPackages = nullptr;

Packages& packages() {
  if (gPackages == nullptr) gPackages = new Packages();  // lives until the process ends
  return *gPackages;
}

bool knownDatabase(const Int* nodeDatabase) {
  return nodeDatabase != nullptr && *nodeDatabase == dm2_testing::nodeDatabase();
}

}  // namespace

extern "C" {

Int ADB_GETNDB(const Int* /*analysisDatabase*/) { return dm2_testing::nodeDatabase(); }

Int ADB_OPENNDPKG(const Int* nodeDatabase, const Int* request) {
  if (!knownDatabase(nodeDatabase)) {
    adb_Kvxerr1(-3, "SYSTEM ERROR IN ADB_OPENNDPKG - UNKNOWN NODE DATABASE %I", nodeDatabase ? *nodeDatabase : 0);
    return 0;
  }
  packages().requests.push_back(request[kRequestKindWord - 1]);
  ++packages().open;
  return *nodeDatabase;
}

void ADB_CLOSENDPKG(const Int* nodeDatabase, const Int* request) {
  if (!knownDatabase(nodeDatabase)) {
    adb_Kvxerr1(-3, "SYSTEM ERROR IN ADB_CLOSENDPKG - UNKNOWN NODE DATABASE %I", nodeDatabase ? *nodeDatabase : 0);
    return;
  }
  packages().requests.push_back(request[kRequestKindWord - 1]);
  if (packages().open > 0) --packages().open;
}

}  // extern "C"

namespace dm2_testing {

std::vector<Int> nodePackageRequests() { return packages().requests; }

int openNodePackages() { return packages().open; }

void resetNodePackages() {
  Packages& p = packages();
  p.requests.clear();
  p.open = 0;
  setNodeFlags({});
}

}  // namespace dm2_testing
