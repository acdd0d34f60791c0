// Counts the heap allocations of a benchmark program: a replacement of the global allocation
// functions that the program's one source includes once. Hot paths report allocs/call, which
// should stay 0.
#pragma once

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace zmxbench {
inline std::atomic<long long> gAllocations{0};

// Sets the counter "allocs/call": allocations since before, per iteration of the state.
inline void reportAllocations(benchmark::State& state, long long before) {
  state.counters["allocs/call"] = benchmark::Counter(static_cast<double>(gAllocations.load() - before) /
                                                      static_cast<double>(state.iterations()));
}
}  // namespace zmxbench

// Malloc-backed on both sides; GCC cannot see that pairing through the inlined static
// initialisers.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t bytes) {
  zmxbench::gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(bytes == 0 ? 1 : bytes)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
