#include "siblings/dm2/element_loops.h"

#include "siblings/dm2/dsa_layouts.h"

namespace {

struct Loops {
  int open = 0;
  std::vector<std::pair<Int, Int>> bitVector;
};

constinit Loops* gLoops = nullptr;

Loops& loops() {
  if (gLoops == nullptr) gLoops = new Loops();  // lives until the process ends
  return *gLoops;
}

}  // namespace

extern "C" {

Int ADB_ELEMOPEN(const Int* element) {
  if (adb_dsaElementLayout(*element) == nullptr) return 0;
  ++loops().open;
  return *element;
}

void ADB_ELEMCLOSE(const Int* /*layout*/) {
  if (loops().open > 0) --loops().open;
}

void ADB_BVHDLOP(const Int* operation, const Int* elementDatabase) {
  loops().bitVector.emplace_back(*operation, *elementDatabase);
}

}  // extern "C"

namespace dm2_dsa_testing {
int openElements() { return loops().open; }
std::vector<std::pair<Int, Int>> bitVectorCalls() { return loops().bitVector; }
void resetElementLoops() {
  delete gLoops;
  gLoops = nullptr;
}
}  // namespace dm2_dsa_testing
