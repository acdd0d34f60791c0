// The restart data of partition 301 as the step, time and state readers use it: the directory,
// the step table and the start times.
#pragma once

#include "import/frame/block_views.h"

namespace zmx::imp {

struct Restart {
  explicit Restart(Request& request) : directory(request), steps(request), starts(request) {}
  Block directory;
  Block steps;   // 16 words per step row
  Block starts;  // one real per step row
  Int count = 0;
  Int row(Int s, int word) const { return steps.i(16LL * (s - 1) + word); }
};

// Reads the directory, the step table and (withStarts) the start times.
bool readRestart(Request& request, Restart& restart, bool withStarts);

// The increment key of (step row, increment): 2 when the pair is not stored, else 0.
Int incrementKey(Request& request, Int stepRow, Int increment, Int& key);

}  // namespace zmx::imp
