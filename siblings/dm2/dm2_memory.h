// The analysis database's memory management and its level-and-integer message routine, as
// this library uses them.
#pragma once

#include <cstddef>

#include "runtime/fortran_types.h"

// Prints text at the level with value for its "%I".
ZMX_EXPORT void adb_Kvxerr1(int level, const char* text, int value);

// Pool allocator of the analysis database. Allocate gives null when the memory cannot be had.
class ZMX_EXPORT adb_MemoryManagement {
 public:
  static adb_MemoryManagement& Pool();
  void* Allocate(std::size_t bytes);
  void Release(void* block);
};

ZMX_EXPORT void dm2_initialize(int& counter);
ZMX_EXPORT void dm2_finalize(int& counter);
