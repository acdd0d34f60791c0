// Slide-line searches against plain loops over every segment, on open plane lines of 10^2 and
// 10^4 segments with corners smoothed over f = 0.1 and slave nodes within a tenth of a segment
// length of the line: RSLID1 against a loop that projects onto every segment with a clamped
// parameter, RSLID2 against a loop that solves every segment's foot cubic with GSL, and the
// neighbourhood mode of RSLID1 against the plain straight loop.
#include <benchmark/benchmark.h>
#include <gsl/gsl_poly.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "bench/ratio.h"
#include "zmx/contact.h"

namespace {

constexpr double kSmooth = 0.1;
constexpr int kSlaves = 64;

// A wavy plane line along x, stored as the searches want it: spare columns, the line nodes,
// then one column per slave node.
struct Setup {
  bool quadratic;
  Int nseg, spares, ld = 2, last;
  std::vector<double> x, y;
  std::vector<Int> ident;
  std::vector<Int> slaveSegment;
  std::vector<std::int64_t> points = std::vector<std::int64_t>(64, 0);
  std::vector<double> result = std::vector<double>(64, 0.0);
  double sink = 0.0;

  Setup(Int segments, bool quad) : quadratic(quad), nseg(segments), spares(quad ? 2 : 1) {
    const Int nodes = quad ? 2 * nseg + 1 : nseg + 1;
    last = spares + nodes;
    x.assign(2 * static_cast<std::size_t>(last + kSlaves), 0.0);
    const auto along = [&](double s) { return std::array<double, 2>{s, 0.3 * std::sin(0.7 * s)}; };
    for (Int k = 0; k < nodes; ++k) {
      const auto p = along(quad ? 0.5 * k : 1.0 * k);
      x[2 * (spares + k)] = p[0];
      x[2 * (spares + k) + 1] = p[1];
    }
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int s = 0; s < kSlaves; ++s) {
      const double at = u(rng) * nseg;
      const auto p = along(at);
      x[2 * (last + s)] = p[0] + 0.1 * (u(rng) - 0.5);
      x[2 * (last + s) + 1] = p[1] + 0.1 * (u(rng) - 0.5);
      slaveSegment.push_back(static_cast<Int>(at) + 1);
    }
    y.assign(x.size(), 0.0);
    ident.resize(x.size() / 2);
    for (std::size_t k = 0; k < ident.size(); ++k) ident[k] = static_cast<Int>(k + 1);
  }
  const double* node(Int column) const { return &x[2 * static_cast<std::size_t>(column - 1)]; }

  void search(bool fold) {
    const double f = kSmooth, offset = 0.0, tol = 0.0, ext[6] = {};
    const Int ndir = 2, type = 200, zero = 0;
    const Logical no = kFalse, foldFlag = fold ? kTrue : kFalse;
    for (int s = 0; s < kSlaves; ++s) {
      Int slave = last + 1 + s, lastNode = last, prev = slaveSegment[s], S = spares;
      for (int k : {0, 1, 2, 6, 7, 8, 14, 15}) result[k] = 0.0;
      if (quadratic)
        RSLID2(points.data(), result.data(), ident.data(), x.data(), &ld, &nseg, &f, &offset, &slave, &lastNode,
               &ndir, &S, &no, &no, &type, &prev, &foldFlag, y.data(), &ld, &zero, &zero, &tol, ext);
      else
        RSLID1(points.data(), result.data(), ident.data(), x.data(), &ld, &nseg, &f, &offset, &slave, &lastNode,
               &ndir, &S, &no, &no, &type, &prev, &foldFlag, y.data(), &ld, &zero, &zero, &tol, ext);
      sink += result[12];
    }
  }

  // Nearest point over every segment, parameter clamped to the segment.
  void plainStraight() {
    for (int s = 0; s < kSlaves; ++s) {
      const double* p = node(last + 1 + s);
      double best = 1e300;
      Int bestSeg = 0;
      for (Int j = 1; j <= nseg; ++j) {
        const double* a = node(spares + j);
        const double* b = node(spares + j + 1);
        const double ex = b[0] - a[0], ey = b[1] - a[1], wx = p[0] - a[0], wy = p[1] - a[1];
        const double t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0, 1.0);
        const double dx = wx - t * ex, dy = wy - t * ey, d2 = dx * dx + dy * dy;
        if (d2 < best) {
          best = d2;
          bestSeg = j;
        }
      }
      sink += best + bestSeg;
    }
  }

  // Nearest point over every three-node segment from the real roots of its foot cubic.
  void plainCubic() {
    for (int s = 0; s < kSlaves; ++s) {
      const double* p = node(last + 1 + s);
      double best = 1e300;
      for (Int j = 1; j <= nseg; ++j) {
        const double* a = node(spares + 2 * j - 1);
        const double* m = node(spares + 2 * j);
        const double* b = node(spares + 2 * j + 1);
        double v0[2], v1[2], v2[2];
        for (int i = 0; i < 2; ++i) {
          v0[i] = m[i] - p[i];
          v1[i] = (b[i] - a[i]) / 2;
          v2[i] = (a[i] + b[i] - 2 * m[i]) / 2;
        }
        const double c0 = v1[0] * v0[0] + v1[1] * v0[1];
        const double c1 = v1[0] * v1[0] + v1[1] * v1[1] + 2 * (v2[0] * v0[0] + v2[1] * v0[1]);
        const double c2 = 3 * (v1[0] * v2[0] + v1[1] * v2[1]);
        const double c3 = 2 * (v2[0] * v2[0] + v2[1] * v2[1]);
        double roots[5] = {-1.0, 1.0, 0.0, 0.0, 0.0};
        const int n = gsl_poly_solve_cubic(c2 / c3, c1 / c3, c0 / c3, &roots[2], &roots[3], &roots[4]);
        for (int r = 0; r < 2 + n; ++r) {
          const double xi = std::clamp(roots[r], -1.0, 1.0);
          const double dx = v0[0] + (v1[0] + v2[0] * xi) * xi, dy = v0[1] + (v1[1] + v2[1] * xi) * xi;
          best = std::min(best, dx * dx + dy * dy);
        }
      }
      sink += best;
    }
  }
};

void BM_Rslid1(benchmark::State& state) {
  Setup s(static_cast<Int>(state.range(0)), false);
  zmxbench::runWithRatio(state, "plain clamped projection loop", 1.5, [&] { s.search(false); },
                         [&] { s.plainStraight(); });
  benchmark::DoNotOptimize(s.sink);
}
BENCHMARK(BM_Rslid1)->Arg(100)->Arg(10000);

void BM_Rslid2(benchmark::State& state) {
  Setup s(static_cast<Int>(state.range(0)), true);
  zmxbench::runWithRatio(state, "gsl_poly_solve_cubic loop", 0.5, [&] { s.search(false); },
                         [&] { s.plainCubic(); });
  benchmark::DoNotOptimize(s.sink);
}
BENCHMARK(BM_Rslid2)->Arg(100)->Arg(10000);

void BM_Rslid1Neighbourhood(benchmark::State& state) {
  Setup s(static_cast<Int>(state.range(0)), false);
  zmxbench::runWithRatio(state, "plain clamped projection loop", 0.5, [&] { s.search(true); },
                         [&] { s.plainStraight(); });
  benchmark::DoNotOptimize(s.sink);
}
BENCHMARK(BM_Rslid1Neighbourhood)->Arg(100)->Arg(10000);

}  // namespace
