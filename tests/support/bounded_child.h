// Runs a piece of a test in a child process with limits, so that a routine that would ask a
// damaged file's size of memory or disk, or never end, fails the test instead of the machine.
#pragma once

#include <cstddef>
#include <functional>

namespace zmxtest {

struct ChildLimits {
  std::size_t extraAddressSpace = std::size_t{512} << 20;  // over what the process maps now
  std::size_t fileBytes = std::size_t{64} << 20;          // largest file the child may write
  unsigned seconds = 20;
};

// The exit code of body run in a forked child under the limits, or 128 + the signal that ended
// it (a limit hit, a crash). The address-space cap is left off under AddressSanitizer, whose
// shadow memory does not fit one; there the sanitizer's own report of a huge request fails.
int runInBoundedChild(const std::function<int()>& body, const ChildLimits& limits = {});

// body under runInBoundedChild and, when the child met it safely (code 0), once more in this
// process, so that the guards it passes count as run here too: the child's code, else this
// process's.
int runInBoundedChildThenHere(const std::function<int()>& body, const ChildLimits& limits = {});

}  // namespace zmxtest
