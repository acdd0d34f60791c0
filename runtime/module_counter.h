// The use count that every initialise and finalise pair of the suite keeps: only the first
// initialise and the last finalise act.
#pragma once

namespace zmxrt {

struct UseCount {
  int count = 0;
  // True when this call is the first of the module's life: the caller then does the work.
  bool enter() { return count++ == 0; }
  // True when this call brings the count back to 0: the caller then takes the module down.
  bool leave() { return --count == 0; }
};

}  // namespace zmxrt
