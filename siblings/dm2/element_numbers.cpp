// GETJELNO and the node flag words.
#include "siblings/dm2/element_numbers.h"

#include "runtime/address_space.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/dm2_memory.h"
#include "siblings/dm2/testing.h"

namespace {

struct Flags {
  std::vector<Int> words;
  Int word = 0;
};

constinit Flags* gFlags = nullptr;

Flags& flags() {
  if (gFlags == nullptr) gFlags = new Flags();  // lives until the process ends
  return *gFlags;
}

}  // namespace

extern "C" {

Int GETJELNO(const Int* handle) {
  const Int zero = 0;
  Int number = 0;
  return ELEMACCESS(&zero, handle, &number);
}

Int ADB_GETBITVECRW(const Int* nodeDatabase) {
  if (nodeDatabase == nullptr || *nodeDatabase != dm2_testing::nodeDatabase()) {
    adb_Kvxerr1(-3, "SYSTEM ERROR IN ADB_GETBITVECRW - UNKNOWN NODE DATABASE %I", nodeDatabase ? *nodeDatabase : 0);
    return 0;
  }
  return flags().word;
}

}  // extern "C"

namespace dm2_testing {

void setNodeFlags(const std::vector<Int>& words) {
  Flags& f = flags();
  if (f.word != 0) mem32::unmap(f.word);
  f.word = 0;
  f.words = words;
  if (!f.words.empty()) f.word = mem32::map(f.words.data(), f.words.size() * sizeof(Int), dm2::kDataTag);
}

}  // namespace dm2_testing
