// Material-point routines against independent references in the same binary: stiffness against
// Eigen's fixed-size inverse of the compliance, table interpolation against GSL, and region
// labelling against a plain breadth-first labelling of the same element lists.
#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <gsl/gsl_interp.h>
#include <gsl/gsl_interp2d.h>

#include <vector>

#include "bench/ratio.h"
#include "siblings/dm2/model_parts.h"
#include "siblings/dm2/model_testing.h"
#include "zmx/model.h"

namespace {

// ---- Stiffness ----------------------------------------------------------------------------------

using Matrix6 = Eigen::Matrix<double, 6, 6>;

// The plane-stress stiffness (components 11, 22, 12) from the 21 anisotropic terms: the full
// compliance by Eigen's fixed-size inverse, then the inverse of its kept block.
__attribute__((noinline)) void referencePlaneStress(const double* props, Eigen::Matrix3d& d) {
  Matrix6 f;
  for (int j = 0, p = 0; j < 6; ++j)
    for (int i = 0; i <= j; ++i) f(i, j) = f(j, i) = props[p++];
  const Matrix6 c = f.inverse();
  const int kept[3] = {0, 1, 3};
  Eigen::Matrix3d block;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) block(i, j) = c(kept[i], kept[j]);
  d = block.inverse();
}

// The solid stiffness from engineering constants: the inverse of the compliance.
__attribute__((noinline)) void referenceSolid(const double* p, Eigen::Matrix3d& d) {
  Eigen::Matrix3d c;
  c << 1 / p[0], -p[3] / p[0], -p[4] / p[0], -p[3] / p[0], 1 / p[1], -p[5] / p[1], -p[4] / p[0], -p[5] / p[1],
      1 / p[2];
  d = c.inverse();
}

void BM_Matek3PlaneStress(benchmark::State& state) {
  const Matrix6 a = Matrix6::Random();
  const Matrix6 stiffness = a * a.transpose() + 3.0 * Matrix6::Identity();
  double props[21], ddsdde[6];
  for (int j = 0, p = 0; j < 6; ++j)
    for (int i = 0; i <= j; ++i) props[p++] = stiffness(i, j);
  Eigen::Matrix3d d;
  const Int ndi = 2, nshr = 1;
  zmxbench::runWithRatio(
      state, "Eigen fixed-size inverse of the compliance", 1.0,
      [&] {
        MATEK3(props, ddsdde, &ndi, &nshr);
        benchmark::DoNotOptimize(ddsdde);
      },
      [&] {
        referencePlaneStress(props, d);
        benchmark::DoNotOptimize(d);
      });
}
BENCHMARK(BM_Matek3PlaneStress);

void BM_Matek4Solid(benchmark::State& state) {
  const double props[9] = {150e3, 10e3, 12e3, 0.3, 0.25, 0.4, 5e3, 6e3, 4e3};
  Eigen::Matrix3d d;
  double ddsdde[6];
  const Int ndi = 3, nshr = 0;
  zmxbench::runWithRatio(
      state, "Eigen fixed-size inverse of the compliance", 1.0,
      [&] {
        MATEK4(props, ddsdde, &ndi, &nshr);
        benchmark::DoNotOptimize(ddsdde);
      },
      [&] {
        referenceSolid(props, d);
        benchmark::DoNotOptimize(d);
      });
}
BENCHMARK(BM_Matek4Solid);

// ---- Tables -------------------------------------------------------------------------------------

// A table record of D = 0 flags ... in 8-byte slots, integers in the low words.
struct Table {
  std::vector<double> slots;
  void integer(Int v) {
    slots.push_back(0.0);
    std::memcpy(&slots.back(), &v, sizeof v);
  }
};

void BM_TabvalOneVariable(benchmark::State& state) {
  constexpr int kRows = 16, kValues = 4;
  Table t;
  t.integer(1);
  t.integer(1);
  t.integer(kRows);
  t.integer(kValues + 1);
  std::vector<double> xs(kRows), ys[kValues];
  for (int r = 0; r < kRows; ++r) {
    xs[r] = r * 0.5 + 0.1 * (r % 3);
    for (int k = 0; k < kValues; ++k) {
      ys[k].push_back(std::sin(xs[r] + k));
      t.slots.push_back(ys[k].back());
    }
    t.slots.push_back(xs[r]);
  }
  gsl_interp* interp[kValues];
  gsl_interp_accel* accel = gsl_interp_accel_alloc();
  for (int k = 0; k < kValues; ++k) {
    interp[k] = gsl_interp_alloc(gsl_interp_linear, kRows);
    gsl_interp_init(interp[k], xs.data(), ys[k].data(), kRows);
  }
  double val[kValues], dval[kValues], work[8], x = 3.37, out[kValues];
  const Int* itab = reinterpret_cast<const Int*>(t.slots.data());
  zmxbench::runWithRatio(
      state, "four GSL gsl_interp_eval (linear, accelerated)", 1.0,
      [&] {
        TABVAL(itab, t.slots.data(), val, &x, work, dval);
        benchmark::DoNotOptimize(val);
      },
      [&] {
        for (int k = 0; k < kValues; ++k) out[k] = gsl_interp_eval(interp[k], xs.data(), ys[k].data(), x, accel);
        benchmark::DoNotOptimize(out);
      });
  for (auto* i : interp) gsl_interp_free(i);
  gsl_interp_accel_free(accel);
}
BENCHMARK(BM_TabvalOneVariable);

void BM_TabvalTwoVariables(benchmark::State& state) {
  constexpr int kSide = 8;
  Table t;
  t.integer(2);
  t.integer(1);
  t.integer(1);
  t.integer(kSide * kSide);
  t.integer(3);
  std::vector<double> xa(kSide), ya(kSide), za(kSide * kSide);
  for (int i = 0; i < kSide; ++i) {
    xa[i] = i * 1.0;
    ya[i] = i * 0.5;
  }
  for (int j = 0; j < kSide; ++j)
    for (int i = 0; i < kSide; ++i) {
      const double z = std::cos(xa[i]) * std::sin(ya[j]);
      za[i + j * kSide] = z;
      t.slots.push_back(z);
      t.slots.push_back(xa[i]);
      t.slots.push_back(ya[j]);
    }
  gsl_interp2d* interp = gsl_interp2d_alloc(gsl_interp2d_bilinear, kSide, kSide);
  gsl_interp2d_init(interp, xa.data(), ya.data(), za.data(), kSide, kSide);
  double val, dval, work[kSide * kSide * 3], x[2] = {3.3, 2.1}, out = 0;
  const Int* itab = reinterpret_cast<const Int*>(t.slots.data());
  zmxbench::runWithRatio(
      state, "GSL gsl_interp2d_eval (bilinear)", 3.0,
      [&] {
        TABVAL(itab, t.slots.data(), &val, x, work, &dval);
        benchmark::DoNotOptimize(val);
      },
      [&] {
        out = gsl_interp2d_eval(interp, xa.data(), ya.data(), za.data(), x[0], x[1], nullptr, nullptr);
        benchmark::DoNotOptimize(out);
      });
  gsl_interp2d_free(interp);
}
BENCHMARK(BM_TabvalTwoVariables);

// ---- Regions ------------------------------------------------------------------------------------

// Ten stripes of 1000 x 100 quadrilaterals, each with nodes of its own.
Int stripedPart(Int& nodes) {
  constexpr int kStripes = 10, kColumns = 1000, kRows = 100;
  std::vector<Int> types;
  std::vector<std::vector<Int>> lists;
  Int base = 0;
  for (int s = 0; s < kStripes; ++s) {
    const auto node = [&](int i, int j) { return base + 1 + i + j * (kColumns + 1); };
    for (int j = 0; j < kRows; ++j)
      for (int i = 0; i < kColumns; ++i) {
        types.push_back(3100);
        lists.push_back({node(i, j), node(i + 1, j), node(i + 1, j + 1), node(i, j + 1)});
      }
    base += (kColumns + 1) * (kRows + 1);
  }
  nodes = base;
  return dm2_testing::addPart(types, lists);
}

// Breadth-first labelling over a node-to-element adjacency built from the same lists.
__attribute__((noinline)) Int breadthFirst(const adb_Part& part, Int nodes, std::vector<Int>& label) {
  const Int elements = part.ElementCount();
  std::vector<Int> first(static_cast<std::size_t>(nodes) + 2, 0), adjacent;
  for (Int e = 1; e <= elements; ++e) {
    Int n = 0;
    const Int* list = part.Nodes(e, n);
    for (Int k = 0; k < n; ++k) ++first[list[k] + 1];
  }
  for (Int v = 1; v <= nodes + 1; ++v) first[v] += first[v - 1];
  adjacent.resize(first[nodes + 1]);
  std::vector<Int> fill(first.begin(), first.end() - 1);
  for (Int e = 1; e <= elements; ++e) {
    Int n = 0;
    const Int* list = part.Nodes(e, n);
    for (Int k = 0; k < n; ++k) adjacent[fill[list[k]]++] = e;
  }
  std::fill(label.begin(), label.end(), 0);
  std::vector<char> seen(static_cast<std::size_t>(elements) + 1, 0);
  std::vector<Int> queue;
  queue.reserve(elements);
  Int regions = 0;
  for (Int start = 1; start <= elements; ++start) {
    if (seen[start]) continue;
    ++regions;
    queue.clear();
    queue.push_back(start);
    seen[start] = 1;
    for (std::size_t q = 0; q < queue.size(); ++q) {
      Int n = 0;
      const Int* list = part.Nodes(queue[q], n);
      for (Int k = 0; k < n; ++k) {
        const Int v = list[k];
        if (label[v - 1] != 0) continue;
        label[v - 1] = regions;
        for (Int a = first[v]; a < first[v + 1]; ++a)
          if (!seen[adjacent[a]]) {
            seen[adjacent[a]] = 1;
            queue.push_back(adjacent[a]);
          }
      }
    }
  }
  return regions;
}

void BM_UnconnectedRegions(benchmark::State& state) {
  dm2_testing::clearModelParts();
  Int nodes = 0;
  const Int part = stripedPart(nodes);
  const adb_Part& p = *omi_Singleton<adb_Manager>::Instance()->GetPart(part);
  std::vector<Int> ireg(static_cast<std::size_t>(nodes)), label(ireg.size());
  const Int mode = 2, nel = p.ElementCount();
  Int nreg = 0;
  zmxbench::runWithRatio(
      state, "breadth-first labelling of the same lists", 1.5,
      [&] {
        std::fill(ireg.begin(), ireg.end(), 0);
        SHR_CHECKUNCONNECTEDREGIONS(&mode, &part, ireg.data(), &nreg, &nel, &nodes);
        benchmark::DoNotOptimize(ireg.data());
      },
      [&] { benchmark::DoNotOptimize(breadthFirst(p, nodes, label)); }, 1.0);
  if (ireg != label || nreg != 10) state.SkipWithError("labels differ from the breadth-first labelling");
  dm2_testing::clearModelParts();
}
BENCHMARK(BM_UnconnectedRegions)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
