// Time per call of our routine divided by the reference's, measured in the same process, for the
// benchmarks that report how they compare.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace zmxbench {

// Seconds per call of f, over at least minSeconds of calls after one warm-up call; short calls are timed in growing
// batches so that reading the clock does not count.
template <class F>
double secondsPerCall(F f, double minSeconds = 0.2) {
  using Clock = std::chrono::steady_clock;
  f();  // warm the caches and fault in the buffers
  long calls = 0, batch = 1;
  const auto start = Clock::now();
  double elapsed = 0;
  do {
    const double before = elapsed;
    for (long k = 0; k < batch; ++k) f();
    calls += batch;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    if (elapsed - before < 1e-3) batch *= 2;
  } while (elapsed < minSeconds);
  return elapsed / static_cast<double>(calls);
}

// Times ours as the benchmark and adds the counter `name` = our time / the reference's.
template <class Ours, class Reference>
void runWithRatio(benchmark::State& state, const std::string& name, Ours ours, Reference reference,
                  double minSeconds = 0.2) {
  for (auto _ : state) ours();
  state.counters[name] = secondsPerCall(ours, minSeconds) / secondsPerCall(reference, minSeconds);
}

}  // namespace zmxbench
