// Perturbation and finite differences over an element's variables against a plain loop over
// precomputed spans doing the same additions; the per-node step lists against
// std::unordered_map.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bench/ratio.h"
#include "siblings/dm2/dsa_layouts.h"
#include "siblings/dm2/dsa_state.h"
#include "siblings/dm2/dsa_testing.h"
#include "zmx/sensitivity.h"

namespace {

constexpr Int kParameters = 10;
constexpr Int kP = 7;
constexpr Real kFactor = 0.5;

Int companion(Int kind, Int id, int k) { return 10000 * (kind + 1) + 4 * id + k; }

// About 40 present variables a block, of every storage class the two manipulators touch.
dm2_dsa_testing::BlockPlan block(Int kind, Int ids) {
  static constexpr Int kClasses[] = {3, 9, 0, 1, 4, 5};
  dm2_dsa_testing::BlockPlan plan;
  for (Int id = 0, n = 0; id < ids && n < 40; ++id) {
    if (kind == 3 && id % 6 == 5) continue;
    ++n;
    const Int points = 1 + id % 2, cls = kClasses[id % 6];
    dm2_dsa_testing::setVarFormat(id, {1 + id % 4, 0});
    plan.variables.push_back({id, points, cls});
    const adb_dsaVars d{{companion(kind, id, 0), companion(kind, id, 1), companion(kind, id, 2), -1}};
    dm2_dsa_testing::setVarID(kind, id, d);
    for (int k = 0; k < 3; ++k) {
      dm2_dsa_testing::setParentVarID(d.d[k], id);
      plan.variables.push_back({d.d[k], k == 0 ? points : points * kParameters, 7});
    }
  }
  return plan;
}

struct Element {
  ElementLayout* layout = nullptr;
  Int word = 0;
  struct Span {
    Real* target;
    const Real* source;
    Int n;
  };
  std::vector<Span> spans;

  Element() {
    dm2_dsa_testing::setFormatSize(0, 1);
    adb_dsaGlobal& state = *omi_Singleton<adb_dsaGlobal>::Instance();
    for (Int p = 0; p < kParameters; ++p) state.space.addDesPar(1.0);
    state.model.perturbationMode = 1;
    dm2_dsa_testing::ElementPlan plan;
    plan.block = block(0, 62);
    for (int s = 0; s < 8; ++s) {
      dm2_dsa_testing::SectPlan sect{block(1, 57), {}, {}};
      for (int m = 0; m < 4; ++m) sect.mats.push_back(block(3, 274));
      plan.sects.push_back(sect);
    }
    layout = dm2_dsa_testing::buildElementLayout(plan);
    word = layout->Word();
    ELDSAFORMSTORAGE(&word);
    collect(*layout, 0);
    for (Int s = 1; s <= layout->NumSectPoints(); ++s) {
      collect(*layout->SectPoint(s), 1);
      for (Int m = 1; m <= layout->SectPoint(s)->NumMatPoints(); ++m) collect(*layout->SectPoint(s)->MatPoint(m), 3);
    }
  }

  static Real* at(const Layout& l, Int id, int copy) {
    const VarBlock::Entry* e = l.Block().Find(id);
    const Layout::Copies* c = l.ClassCopies(e->storageClass);
    return c->base[copy] + (c->baseIndex + e->position) * c->stride;
  }

  // The additions of the perturbation (mode 1) and of the differences (a, b, c = 0) in walk order.
  void collect(const Layout& l, Int kind) {
    std::vector<Span> perturb, difference;
    for (Int id = 0; id < l.Block().DefinedIds(); ++id) {
      const VarBlock::Entry* e = l.Block().Find(id);
      if (e == nullptr || e->points == 0) continue;
      const Int n = e->points * getglobalVarFormat(id).count;
      const Int cls = e->storageClass;
      const Int offset = (kP - 1) * n;
      if (cls == 3 || (cls == 9 && id != 251))
        perturb.push_back({at(l, id, 0), at(l, companion(kind, id, 1), 0) + offset, n});
      if (cls == 0 || cls == 3) difference.push_back({at(l, companion(kind, id, 2), 1) + offset, at(l, id, 1), n});
      if (cls == 9 && id != 251) difference.push_back({at(l, companion(kind, id, 2), 2) + offset, at(l, id, 2), n});
    }
    spans.insert(spans.end(), perturb.begin(), perturb.end());
    spans.insert(spans.end(), difference.begin(), difference.end());
  }
};

Element& element() {
  static Element e;
  return e;
}

void BM_PerturbAndDifferenceAnElement(benchmark::State& state) {
  Element& e = element();
  Int c1[13] = {}, c2[8] = {};
  c2[7] = kP;
  const Int zero = 0;
  auto ours = [&] {
    ELDSAPERTURB(&e.word, c1, c2, &kFactor, &zero);
    ELDSAFINITEDIFF(&e.word, c1, c2, &zero, &zero, &zero, &kFactor);
    benchmark::ClobberMemory();
  };
  auto reference = [&] {
    for (const Element::Span& s : e.spans)
      for (Int i = 0; i < s.n; ++i) s.target[i] += kFactor * s.source[i];
    benchmark::ClobberMemory();
  };
  state.counters["spans"] = static_cast<double>(e.spans.size());
  zmxbench::runWithRatio(state, "plain loop over precomputed spans", 1.5, ours, reference);
}
BENCHMARK(BM_PerturbAndDifferenceAnElement);

constexpr Int kKeys = 100'000;
constexpr Int kValues = 8;

const std::vector<std::pair<Int, Int>>& pairs() {
  static const std::vector<std::pair<Int, Int>> all = [] {
    std::vector<std::pair<Int, Int>> p;
    std::mt19937 random(3);
    std::vector<Int> keys(kKeys);
    for (Int& k : keys) k = static_cast<Int>(random() & 0x3fffffff);
    for (Int v = 0; v < kValues; ++v)
      for (Int k : keys) p.emplace_back(k, v * 7 + k % 5);
    std::shuffle(p.begin(), p.end(), random);
    return p;
  }();
  return all;
}

void BM_StepListsOfManyNodes(benchmark::State& state) {
  const auto& p = pairs();
  auto ours = [&] {
    const Int store = DSA_NODESTEPREFDB(&kValues);
    const Int add = 0;
    for (const auto& [key, value] : p) DSA_STEPDBACCESS(&add, &store, &key, &value);
    benchmark::DoNotOptimize(store);
    DSA_DELSTEPREFDB(&store);
  };
  auto reference = [&] {
    std::unordered_map<Int, std::vector<Int>> lists;
    for (const auto& [key, value] : p) {
      std::vector<Int>& list = lists[key];
      if (std::find(list.begin(), list.end(), value) == list.end() && static_cast<Int>(list.size()) < kValues)
        list.push_back(value);
    }
    benchmark::DoNotOptimize(lists);
  };
  zmxbench::runWithRatio(state, "std::unordered_map", 1.5, ours, reference);
}
BENCHMARK(BM_StepListsOfManyNodes)->Unit(benchmark::kMillisecond);

}  // namespace
