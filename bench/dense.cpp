// Dense solve, symmetric eigenproblem and band solve beside the LAPACK routines that do the same
// work. Each of our benchmarks carries the counter "ratio": our time per call divided by
// LAPACK's, both measured in the same process on the same data.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

#include "bench/ratio.h"
#include "tests/numerics/dense/lapack.h"
#include "zmx/numerics.h"

namespace {

using zmxbench::runWithRatio;

std::vector<double> randomMatrix(int n) {
  std::mt19937 rng(static_cast<unsigned>(n));
  std::uniform_real_distribution<double> u(-1, 1);
  std::vector<double> a(static_cast<std::size_t>(n * n));
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) a[j * n + i] = u(rng) + (i == j ? 2.0 : 0.0);
  return a;
}

struct Solve {
  int n;
  std::vector<double> a0, b0, a, b;
  std::vector<int> pivots;
  explicit Solve(int order)
      : n(order), a0(randomMatrix(order)), b0(static_cast<std::size_t>(order), 1.0), a(a0), b(b0), pivots(order) {}

  void ours() {
    a = a0;
    b = b0;
    double d = 0;
    ALUDCMP(a.data(), &n, &n, pivots.data(), &d);
    ALUBKSB(a.data(), &n, &n, pivots.data(), b.data());
    benchmark::DoNotOptimize(b.data());
  }
  void lapack() {
    a = a0;
    b = b0;
    int info = 0;
    const int one = 1;
    dgesv_(&n, &one, a.data(), &n, pivots.data(), b.data(), &n, &info);
    benchmark::DoNotOptimize(b.data());
  }
};

void BM_AludcmpAlubksb(benchmark::State& state) {
  Solve s(static_cast<int>(state.range(0)));
  runWithRatio(state, "LAPACK", 1.0, [&] { s.ours(); }, [&] { s.lapack(); });
}
BENCHMARK(BM_AludcmpAlubksb)->Arg(3)->Arg(6)->Arg(20);

void BM_Dgesv(benchmark::State& state) {
  Solve s(static_cast<int>(state.range(0)));
  for (auto _ : state) s.lapack();
}
BENCHMARK(BM_Dgesv)->Arg(3)->Arg(6)->Arg(20);

// Inverses of the small orders the element code uses, beside dgetrf + dgetri.
struct Inverse {
  int n;
  std::vector<double> a0, a, a7, inv, work;
  std::vector<int> pivots;
  explicit Inverse(int order)
      : n(order), a0(randomMatrix(order)), a(a0), a7(49, 0.0), inv(49), work(static_cast<std::size_t>(64 * order)),
        pivots(order) {
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i) a7[j * 7 + i] = a0[j * n + i];
  }
  void ainv3() {
    a = a0;
    double d = 0;
    AINV3(a.data(), inv.data(), &d, &n, &n);
    benchmark::DoNotOptimize(inv.data());
  }
  void ainvmxvarb() {
    AINVMXVARB(a7.data(), inv.data(), &n);
    benchmark::DoNotOptimize(inv.data());
  }
  void lapack() {
    a = a0;
    int info = 0;
    const int lwork = static_cast<int>(work.size());
    dgetrf_(&n, &n, a.data(), &n, pivots.data(), &info);
    dgetri_(&n, a.data(), &n, pivots.data(), work.data(), &lwork, &info);
    benchmark::DoNotOptimize(a.data());
  }
};

void BM_Ainv3(benchmark::State& state) {
  Inverse s(static_cast<int>(state.range(0)));
  runWithRatio(state, "LAPACK", 1.0, [&] { s.ainv3(); }, [&] { s.lapack(); });
}
BENCHMARK(BM_Ainv3)->Arg(3)->Arg(6);

void BM_Ainvmxvarb(benchmark::State& state) {
  Inverse s(static_cast<int>(state.range(0)));
  runWithRatio(state, "LAPACK", 1.0, [&] { s.ainvmxvarb(); }, [&] { s.lapack(); });
}
BENCHMARK(BM_Ainvmxvarb)->Arg(3)->Arg(6);

void BM_DgetrfDgetri(benchmark::State& state) {
  Inverse s(static_cast<int>(state.range(0)));
  for (auto _ : state) s.lapack();
}
BENCHMARK(BM_DgetrfDgetri)->Arg(3)->Arg(6);

struct Eigen {
  int n;
  std::vector<double> ap0, ap, d, e, z, work;
  explicit Eigen(int order)
      : n(order), d(order), e(order), z(static_cast<std::size_t>(order * order)), work(static_cast<std::size_t>(3 * order)) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int k = 0; k < n * (n + 1) / 2; ++k) ap0.push_back(u(rng));
    ap = ap0;
  }
  void ours() {
    Int ierr = 0;
    AHOUS(ap0.data(), d.data(), e.data(), z.data(), &n);
    AQR(d.data(), e.data(), z.data(), &n, &ierr);
    benchmark::DoNotOptimize(z.data());
  }
  void lapack() {
    ap = ap0;
    int info = 0;
    dspev_("V", "U", &n, ap.data(), d.data(), z.data(), &n, work.data(), &info, 1, 1);
    benchmark::DoNotOptimize(z.data());
  }
};

void BM_AhousAqr(benchmark::State& state) {
  Eigen s(static_cast<int>(state.range(0)));
  runWithRatio(state, "LAPACK", 1.0, [&] { s.ours(); }, [&] { s.lapack(); });
}
BENCHMARK(BM_AhousAqr)->Arg(3)->Arg(6)->Arg(20);

void BM_Dspev(benchmark::State& state) {
  Eigen s(static_cast<int>(state.range(0)));
  for (auto _ : state) s.lapack();
}
BENCHMARK(BM_Dspev)->Arg(3)->Arg(6)->Arg(20);

// A banded SPD system of 10^5 equations with half-bandwidth 50, in skyline and in LAPACK band form.
struct Band {
  static constexpr int kN = 100000, kHalf = 50;
  std::vector<double> sky0, sky, band0, band, v0, v;
  std::vector<Int> maxa;
  Band() : v0(kN, 1.0) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> u(-1, 1);
    const int ldab = kHalf + 1;
    band0.assign(static_cast<std::size_t>(ldab) * kN, 0.0);
    for (int j = 0; j < kN; ++j) {
      maxa.push_back(static_cast<Int>(sky0.size()) + 1);
      const int top = std::max(0, j - kHalf);
      sky0.push_back(0.0);  // diagonal, filled below
      for (int i = j - 1; i >= top; --i) {
        const double value = u(rng) * 0.5;
        sky0.push_back(value);
        band0[static_cast<std::size_t>(j) * ldab + kHalf + i - j] = value;  // AB(kd+1+i-j, j)
      }
      const double diagonal = 2.0 * kHalf;
      sky0[maxa.back() - 1] = diagonal;
      band0[static_cast<std::size_t>(j) * ldab + kHalf] = diagonal;
    }
    maxa.push_back(static_cast<Int>(sky0.size()) + 1);
  }
  void ours() {
    sky = sky0;
    v = v0;
    const Int n = kN, nwk = static_cast<Int>(sky.size()), factorise = 1, solve = 2;
    COLSOL(sky.data(), v.data(), maxa.data(), &n, &nwk, &factorise);
    COLSOL(sky.data(), v.data(), maxa.data(), &n, &nwk, &solve);
    benchmark::DoNotOptimize(v.data());
  }
  void lapack() {
    band = band0;
    v = v0;
    const int n = kN, kd = kHalf, one = 1, ldab = kHalf + 1;
    int info = 0;
    dpbsv_("U", &n, &kd, &one, band.data(), &ldab, v.data(), &n, &info, 1);
    benchmark::DoNotOptimize(v.data());
  }
};

void BM_Colsol(benchmark::State& state) {
  Band s;
  runWithRatio(state, "LAPACK", 1.0, [&] { s.ours(); }, [&] { s.lapack(); }, 1.0);
}
BENCHMARK(BM_Colsol)->Unit(benchmark::kMillisecond);

void BM_Dpbsv(benchmark::State& state) {
  Band s;
  for (auto _ : state) s.lapack();
}
BENCHMARK(BM_Dpbsv)->Unit(benchmark::kMillisecond);

}  // namespace
