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

// A folder's spill files lie end to end: file k holds the addresses from the sum of the sizes of
// files 0 to k-1 on. Its size is entry k of the size list, or the last entry past the end of the
// list; with no list (or an entry of 0, which no file can have) it is this size.
inline constexpr std::uint32_t kDefaultSpillFileSize = 2147483647u;

inline std::uint64_t spillFileSize(const std::uint32_t* sizes, unsigned count, std::uint64_t k) {
  const std::uint32_t size = count == 0 ? 0 : sizes[k < count ? k : count - 1];
  return size != 0 ? size : kDefaultSpillFileSize;
}

struct SpillFile {
  std::uint64_t index = 0;
  std::uint64_t start = 0;
  std::uint64_t size = 0;
};

// The spill file that holds the address. Past the list every file has the last size, so the
// files there are counted with one division however far the address lies.
inline SpillFile spillFileHolding(const std::uint32_t* sizes, unsigned count, std::uint64_t address) {
  SpillFile file;
  for (; file.index < count; ++file.index) {
    file.size = spillFileSize(sizes, count, file.index);
    if (address - file.start < file.size) return file;
    file.start += file.size;
  }
  file.size = spillFileSize(sizes, count, file.index);
  const std::uint64_t skipped = (address - file.start) / file.size;
  file.index += skipped;
  file.start += skipped * file.size;
  return file;
}

inline void addToTally(std::size_t bytes) {
  const auto n = static_cast<std::int64_t>(bytes);
  BCU_ADDMEMORYTOTALLY(&n);
}

inline void takeFromTally(std::size_t bytes) {
  const auto n = static_cast<std::int64_t>(bytes);
  BCU_SUBMEMORYFROMTALLY(&n);
}

}  // namespace zmx::scratch
