// How every benchmark compares with its reference: one counter, `ratio`, our time for the work
// divided by the reference's time for the same work in the same run (below 1 is faster than the
// reference). The label names the reference and the ratio the benchmark aims for, so that
// scripts/bench can print one table from every program's JSON output.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
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

// Sets the counter `ratio` (our time / the reference's) and the label "reference: <name>;
// target: <target>", where target is the largest ratio the benchmark accepts.
inline void reportRatio(benchmark::State& state, const std::string& reference, double target, double ratio) {
  state.counters["ratio"] = ratio;
  char label[160];
  std::snprintf(label, sizeof label, "reference: %s; target: %g", reference.c_str(), target);
  state.SetLabel(label);
}

// Times ours as the benchmark and reports its ratio to the reference doing the same work.
template <class Ours, class Reference>
void runWithRatio(benchmark::State& state, const std::string& reference, double target, Ours ours,
                  Reference referenceCall, double minSeconds = 0.2) {
  for (auto _ : state) ours();
  reportRatio(state, reference, target,
              secondsPerCall(ours, minSeconds) / secondsPerCall(referenceCall, minSeconds));
}

}  // namespace zmxbench
