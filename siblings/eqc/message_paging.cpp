// PAGMES of the eqc stand-in: it records the line counts it is told, as PAGING does.

#include "siblings/eqc/message_paging.h"

#include <vector>

#include "siblings/eqc/message_paging_testing.h"

namespace {
constinit std::vector<int>* gCalls = nullptr;

std::vector<int>& calls() {
  if (gCalls == nullptr) gCalls = new std::vector<int>();
  return *gCalls;
}
}  // namespace

void PAGMES(const Int* lines) { calls().push_back(lines != nullptr ? *lines : 0); }

namespace eqc_message_paging_testing {
std::vector<int> pagmesCalls() { return calls(); }
void resetPagmes() { calls().clear(); }
}  // namespace eqc_message_paging_testing
