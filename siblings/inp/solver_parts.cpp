#include "siblings/inp/solver_parts.h"

namespace {

struct SolverParts {
  Int count = 1;
  std::map<Int, Int> partOfEntry;
};

constinit SolverParts* gParts = nullptr;

SolverParts& parts() {
  if (gParts == nullptr) gParts = new SolverParts();
  return *gParts;
}

}  // namespace

extern "C" Int INP_SOLVERPARTINDEX(const Int* entry, const Int* query) {
  const SolverParts& p = parts();
  if (*entry == 0 && *query == -1) return p.count;
  const auto it = p.partOfEntry.find(*entry);
  return it == p.partOfEntry.end() ? 0 : it->second;
}

namespace inp_testing {

void setSolverParts(Int count, const std::map<Int, Int>& partOfEntry) {
  parts().count = count;
  parts().partOfEntry = partOfEntry;
}

}  // namespace inp_testing
