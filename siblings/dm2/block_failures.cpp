#include "siblings/dm2/block_failures.h"

#include "siblings/dm2/block_failures_testing.h"

namespace {
constinit int gRefusals = 0;
}  // namespace

namespace dm2_detail {
bool refuseBlock() {
  if (gRefusals <= 0) return false;
  --gRefusals;
  return true;
}
}  // namespace dm2_detail

namespace dm2_testing {
void refuseNextBlocks(int k) { gRefusals = k > 0 ? k : 0; }
}  // namespace dm2_testing
