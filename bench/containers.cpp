// The integer map behind its handle against std::unordered_map, and the conversion of a set to
// internal numbers against sorting the labels and searching each member by bisection.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "zmx/storage.h"

namespace {

constexpr int kInserts = 1'000'000;
constexpr int kLookups = 10'000'000;

struct MapWorkload {
  std::vector<Int> keys;     // distinct
  std::vector<Int> lookups;  // drawn from keys
  MapWorkload() {
    std::mt19937 random(1);
    std::uniform_int_distribution<Int> pick(0, 0x7fffffff);
    std::unordered_map<Int, int> seen;
    while (keys.size() < static_cast<std::size_t>(kInserts)) {
      const Int key = pick(random);
      if (seen.emplace(key, 0).second) keys.push_back(key);
    }
    std::uniform_int_distribution<std::size_t> index(0, keys.size() - 1);
    lookups.resize(kLookups);
    for (Int& key : lookups) key = keys[index(random)];
  }
};

const MapWorkload& mapWorkload() {
  static const MapWorkload workload;
  return workload;
}

void BM_MapInt2Int_InsertAndLookup(benchmark::State& state) {
  const MapWorkload& w = mapWorkload();
  for (auto _ : state) {
    const Int map = SHR_MAPINT2INTCREATE();
    for (std::size_t k = 0; k < w.keys.size(); ++k) {
      const Int value = static_cast<Int>(k);
      SHR_MAPINT2INTINSERT(map, &w.keys[k], &value);
    }
    std::int64_t sum = 0;
    for (const Int& key : w.lookups) sum += SHR_MAPINT2INTGET(map, &key);
    benchmark::DoNotOptimize(sum);
    SHR_MAPINT2INTDELETE(map);
  }
}
BENCHMARK(BM_MapInt2Int_InsertAndLookup)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_UnorderedMap_InsertAndLookup(benchmark::State& state) {
  const MapWorkload& w = mapWorkload();
  for (auto _ : state) {
    std::unordered_map<Int, Int> map;
    for (std::size_t k = 0; k < w.keys.size(); ++k) map.emplace(w.keys[k], static_cast<Int>(k));
    std::int64_t sum = 0;
    for (const Int& key : w.lookups) sum += map.find(key)->second;
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_UnorderedMap_InsertAndLookup)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A set of 10^6 members, nine in ten of them among 10^6 labels.
constexpr int kMembers = 1'000'000;

struct SetWorkload {
  std::vector<Int> ascendingLabels;
  std::vector<Int> shuffledLabels;
  std::vector<Int> members;
  SetWorkload() {
    ascendingLabels.resize(kMembers);
    for (int k = 0; k < kMembers; ++k) ascendingLabels[static_cast<std::size_t>(k)] = 7 * k;
    shuffledLabels = ascendingLabels;
    std::shuffle(shuffledLabels.begin(), shuffledLabels.end(), std::mt19937(2));
    members.resize(kMembers);
    for (int k = 0; k < kMembers; ++k) members[static_cast<std::size_t>(k)] = 7 * k + (k % 10 == 0 ? 1 : 0);
  }
};

const SetWorkload& setWorkload() {
  static const SetWorkload workload;
  return workload;
}

Int callDbeset(Int operation, const char* name, Int& count, Int* members) {
  std::string field(name);
  field.resize(80, ' ');
  Int status = 0;
  return DBESET(&operation, field.data(), 80, &count, members, &status);
}

// Operation 11 (labels ascending, the walk of both lists) or 13 (labels in any order).
void convertSets(benchmark::State& state, Int operation, const std::vector<Int>& labelsIn) {
  const SetWorkload& w = setWorkload();
  Int count = 0;
  callDbeset(0, "", count, nullptr);
  std::vector<Int> members = w.members;
  count = kMembers;
  callDbeset(2, "BIG", count, members.data());
  std::vector<Int> labels = labelsIn;
  for (auto _ : state) {
    count = kMembers;
    callDbeset(operation, "", count, labels.data());
    Int internal = 0;
    benchmark::DoNotOptimize(callDbeset(7, "BIG", internal, nullptr));
  }
  callDbeset(1, "", count, nullptr);
}

void BM_SetToInternal_AscendingLabels(benchmark::State& state) {
  convertSets(state, 11, setWorkload().ascendingLabels);
}
BENCHMARK(BM_SetToInternal_AscendingLabels)->Unit(benchmark::kMillisecond);

void BM_SetToInternal_LabelsInAnyOrder(benchmark::State& state) {
  convertSets(state, 13, setWorkload().shuffledLabels);
}
BENCHMARK(BM_SetToInternal_LabelsInAnyOrder)->Unit(benchmark::kMillisecond);

// Reference: sort (label, position) pairs, then find each member by bisection.
void sortAndSearch(benchmark::State& state, const std::vector<Int>& labels) {
  const SetWorkload& w = setWorkload();
  std::vector<std::pair<Int, Int>> byLabel(labels.size());
  std::vector<Int> internal(w.members.size());
  for (auto _ : state) {
    for (std::size_t k = 0; k < labels.size(); ++k) byLabel[k] = {labels[k], static_cast<Int>(k) + 1};
    std::sort(byLabel.begin(), byLabel.end());
    std::size_t found = 0;
    for (Int member : w.members) {
      const auto it = std::lower_bound(byLabel.begin(), byLabel.end(), std::make_pair(member, Int{0}));
      if (it != byLabel.end() && it->first == member) internal[found++] = it->second;
    }
    benchmark::DoNotOptimize(internal.data());
    benchmark::DoNotOptimize(found);
  }
}

void BM_SortAndSearch_AscendingLabels(benchmark::State& state) { sortAndSearch(state, setWorkload().ascendingLabels); }
BENCHMARK(BM_SortAndSearch_AscendingLabels)->Unit(benchmark::kMillisecond);

void BM_SortAndSearch_LabelsInAnyOrder(benchmark::State& state) { sortAndSearch(state, setWorkload().shuffledLabels); }
BENCHMARK(BM_SortAndSearch_LabelsInAnyOrder)->Unit(benchmark::kMillisecond);

}  // namespace
