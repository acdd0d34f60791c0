#include "siblings/eqc/memory_tally.h"

namespace {
constinit std::int64_t gTally = 0;
}

extern "C" void BCU_ADDMEMORYTOTALLY(const std::int64_t* bytes) { gTally += *bytes; }

extern "C" void BCU_SUBMEMORYFROMTALLY(const std::int64_t* bytes) { gTally -= *bytes; }

std::int64_t bcu_gettotalMemoryAlloc() { return gTally; }
