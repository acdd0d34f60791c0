// Refusals of memory blocks that a test asks for: the next k temporary or global-memory blocks
// of the dm2 stand-in fail as if no memory were left.
#pragma once

namespace dm2_detail {
// True (and one refusal used up) when the next block is to fail.
bool refuseBlock();
}  // namespace dm2_detail
