// Small helpers shared by the scratch-database units: system-error reports, rounding and the
// run's memory tally.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/memory_tally.h"

namespace zmx::scratch {

// "SYSTEM ERROR IN <routine> - <what>" at level -3.
inline void reportSystemError(const char* routine, const std::string& what) {
  const std::string text = std::string("SYSTEM ERROR IN ") + routine + " - " + what;
  cfi_WriteMessage(-3, text.c_str());
}

// A table or size limit that a request would break: "... - <what> LIMIT EXCEEDED".
inline void reportLimit(const char* routine, const char* what) {
  reportSystemError(routine, std::string(what) + " LIMIT EXCEEDED");
}

inline std::uint64_t roundUp(std::uint64_t value, std::uint64_t unit) { return (value + unit - 1) / unit * unit; }

inline void addToTally(std::size_t bytes) {
  const auto n = static_cast<std::int64_t>(bytes);
  BCU_ADDMEMORYTOTALLY(&n);
}

inline void takeFromTally(std::size_t bytes) {
  const auto n = static_cast<std::int64_t>(bytes);
  BCU_SUBMEMORYFROMTALLY(&n);
}

}  // namespace zmx::scratch
