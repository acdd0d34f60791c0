// Resolving an address word on a hot block, beside a plain pointer dereference.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "runtime/address_space.h"

namespace {

constexpr int kWords = 1024;

void BM_PlainPointer(benchmark::State& state) {
  std::vector<std::int32_t> data(kWords, 1);
  std::int32_t* base = data.data();
  benchmark::DoNotOptimize(base);
  int k = 0;
  for (auto _ : state) {
    std::int32_t* p = base + k;
    benchmark::DoNotOptimize(p);
    benchmark::DoNotOptimize(*p);
    k = (k + 7) & (kWords - 1);
  }
}
BENCHMARK(BM_PlainPointer);

void BM_ResolveHotWord(benchmark::State& state) {
  std::vector<std::int32_t> data(kWords, 1);
  const Int word = mem32::map(data.data(), data.size() * 4, mem32::tag("BNCH"));
  int k = 0;
  for (auto _ : state) {
    std::int32_t* p = mem32::at<std::int32_t>(word + 4 * k, 1, mem32::tag("BNCH"));
    benchmark::DoNotOptimize(p);
    benchmark::DoNotOptimize(*p);
    k = (k + 7) & (kWords - 1);
  }
  mem32::unmap(word);
}
BENCHMARK(BM_ResolveHotWord);

// Alternating between many blocks defeats the hot entry: the cost of the ordered lookup.
void BM_ResolveAcrossBlocks(benchmark::State& state) {
  const int blocks = static_cast<int>(state.range(0));
  std::vector<std::vector<std::int32_t>> data(static_cast<std::size_t>(blocks), std::vector<std::int32_t>(16, 1));
  std::vector<Int> words;
  for (auto& block : data) words.push_back(mem32::map(block.data(), 64, 0));
  std::size_t k = 0;
  for (auto _ : state) {
    std::int32_t* p = mem32::at<std::int32_t>(words[k], 1);
    benchmark::DoNotOptimize(p);
    k = (k + 17) % words.size();
  }
  for (Int w : words) mem32::unmap(w);
}
BENCHMARK(BM_ResolveAcrossBlocks)->Arg(16)->Arg(4096);

}  // namespace
