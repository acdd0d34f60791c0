// ASORT4 on 10^6 random reals with an integer companion, beside std::sort of (key, index) pairs.
// The counter "ratio" is our time per sort divided by std::sort's on the same keys.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <utility>
#include <vector>

#include "bench/ratio.h"
#include "zmx/numerics.h"

namespace {

constexpr int kKeys = 1000000;

struct Keys {
  std::vector<double> keys0, keys;
  std::vector<Int> index;
  std::vector<std::pair<double, Int>> pairs;
  Keys() : keys0(kKeys), index(kKeys), pairs(kKeys) {
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> u(0, 1);
    for (auto& k : keys0) k = u(rng);
  }
  void ours() {
    keys = keys0;
    for (int k = 0; k < kKeys; ++k) index[k] = k + 1;
    const Int ld = 1, n = kKeys;
    Int status = 0;
    ASORT4(keys.data(), index.data(), &ld, &n, &status);
    benchmark::DoNotOptimize(index.data());
  }
  void reference() {
    for (int k = 0; k < kKeys; ++k) pairs[k] = {keys0[k], k + 1};
    std::sort(pairs.begin(), pairs.end());
    benchmark::DoNotOptimize(pairs.data());
  }
};

void BM_Asort4(benchmark::State& state) {
  Keys s;
  zmxbench::runWithRatio(state, "std::sort", 1.0, [&] { s.ours(); }, [&] { s.reference(); }, 0.5);
}
BENCHMARK(BM_Asort4)->Unit(benchmark::kMillisecond);

void BM_StdSortPairs(benchmark::State& state) {
  Keys s;
  for (auto _ : state) s.reference();
}
BENCHMARK(BM_StdSortPairs)->Unit(benchmark::kMillisecond);

}  // namespace
