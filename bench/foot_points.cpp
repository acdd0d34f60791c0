// Feet of points on cubic B-spline edges and bicubic faces, non-rational and rational: our Newton
// projections beside SISL's closest-point iterations s1774 (curves) and s1775 (surfaces), on the
// same splines, points and starts. Points lie within a tenth of the spline's size of it and start
// from a parameter near their foot; both sides must agree on the distance before timing.
#include <benchmark/benchmark.h>

#include <sisl.h>

#include <cmath>
#include <random>
#include <vector>

#include "bench/ratio.h"
#include "zmx/geometry/bspline.h"

namespace {

using zmxbench::runWithRatio;

constexpr int kPoints = 10000;

std::vector<double> clampedKnots(int n, int p) {
  std::vector<double> t(p + 1, 0.0);
  for (int k = 1; k < n - p; ++k) t.push_back(static_cast<double>(k) / (n - p));
  t.insert(t.end(), p + 1, 1.0);
  return t;
}

struct Edge {
  int p = 3, n = 16, ldim = 2, ndim = 2, nknot = 0;
  std::vector<double> full, t, cp, w, coef;
  std::vector<double> points, starts;
  double lo = 0.0, hi = 1.0, dtol = 0.0, ptol = 1e-7;
  Logical open = kFalse, rational;
  SISLCurve* curve = nullptr;
  int next = 0;

  explicit Edge(bool isRational) : full(clampedKnots(16, 3)), t(full.begin() + 1, full.end() - 1) {
    rational = isRational ? kTrue : kFalse;
    nknot = static_cast<int>(t.size());
    for (int j = 0; j < n; ++j) {
      const double x = 0.6 * j, y = std::sin(0.5 * j), wj = isRational ? 0.7 + 0.3 * std::cos(1.3 * j) : 1.0;
      cp.insert(cp.end(), {x, y});
      w.push_back(wj);
      coef.insert(coef.end(), {x * wj, y * wj});
      if (isRational) coef.push_back(wj);
    }
    curve = newCurve(n, p + 1, full.data(), coef.data(), isRational ? 2 : 1, ndim, 0);
    dtol = 9.0 * 2.22e-16;
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < kPoints; ++i) {
      const double u = 0.02 + 0.96 * unit(rng);
      double x[2], xt[2];
      point(u, x);
      point(u + 1e-7, xt);
      const double tx = xt[0] - x[0], ty = xt[1] - x[1], l = std::hypot(tx, ty), h = 0.9 * (unit(rng) - 0.5);
      points.insert(points.end(), {x[0] - h * ty / l, x[1] + h * tx / l});
      starts.push_back(std::clamp(u + 0.01 * (unit(rng) - 0.5), 0.0, 1.0));
    }
  }
  ~Edge() { freeCurve(curve); }
  void point(double u, double* x) const {
    Int span = 1, ierr = 0;
    BSPLINERATEDGE(x, &p, &nknot, t.data(), cp.data(), &ldim, &ndim, w.data(), &u, &span, &open, &lo, &hi, &ierr);
  }
  double ours(int i) const {
    double u = starts[i], d, x[2], tg[2], k;
    Int span = 1, ierr = 0;
    FNDDISTTOBSPLINE(&points[2 * i], &rational, &p, &nknot, t.data(), cp.data(), &ldim, &ndim, w.data(), &span, &open,
                     &lo, &hi, &dtol, &ptol, &u, &d, x, tg, &k, &ierr);
    return ierr == 0 ? std::fabs(d) : -1.0;
  }
  // The reference's foot parameter (timed) and its distance.
  double referenceFoot(int i, double* par) const {
    int stat = 0;
    s1774(curve, const_cast<double*>(&points[2 * i]), 2, 1e-9, 0.0, 1.0, starts[i], par, &stat);
    return par[0];
  }
  double reference(int i) const {
    double u = 0.0;
    referenceFoot(i, &u);
    double x[2];
    point(u, x);
    return std::hypot(points[2 * i] - x[0], points[2 * i + 1] - x[1]);
  }
};

struct Face {
  int pu = 3, pv = 3, nc = 10, ldim = 3, ndim = 3, nk = 0;
  std::vector<double> full, t, cp, w, coef, points, starts;
  double lo = 0.0, hi = 1.0, dtol = 0.0, ptol = 1e-7;
  Logical open = kFalse, rational;
  SISLSurf* surf = nullptr;

  explicit Face(bool isRational) : full(clampedKnots(10, 3)), t(full.begin() + 1, full.end() - 1) {
    rational = isRational ? kTrue : kFalse;
    nk = static_cast<int>(t.size());
    for (int j = 0; j < nc; ++j)
      for (int i = 0; i < nc; ++i) {
        const double z = std::sin(0.5 * i) * std::cos(0.3 * j), wj = isRational ? 0.8 + 0.2 * std::cos(i + 2.0 * j) : 1.0;
        cp.insert(cp.end(), {1.0 * i, 1.0 * j, z});
        w.push_back(wj);
        coef.insert(coef.end(), {i * wj, j * wj, z * wj});
        if (isRational) coef.push_back(wj);
      }
    surf = newSurf(nc, nc, pu + 1, pv + 1, full.data(), full.data(), coef.data(), isRational ? 2 : 1, ndim, 0);
    dtol = 9.0 * 2.22e-16;
    std::mt19937 rng(2);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < kPoints; ++i) {
      const double u = 0.02 + 0.96 * unit(rng), v = 0.02 + 0.96 * unit(rng);
      double x[3], xu[3], xv[3], a[3], b[3];
      point(u, v, x);
      point(u + 1e-7, v, xu);
      point(u, v + 1e-7, xv);
      for (int c = 0; c < 3; ++c) a[c] = xu[c] - x[c], b[c] = xv[c] - x[c];
      double n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
      const double l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), h = 0.9 * (unit(rng) - 0.5);
      for (int c = 0; c < 3; ++c) points.push_back(x[c] + h * n[c] / l);
      starts.push_back(std::clamp(u + 0.01 * (unit(rng) - 0.5), 0.0, 1.0));
      starts.push_back(std::clamp(v + 0.01 * (unit(rng) - 0.5), 0.0, 1.0));
    }
  }
  ~Face() { freeSurf(surf); }
  void point(double u, double v, double* x) const {
    Int su = 1, sv = 1, ierr = 0;
    BSPLINE_FACE(x, &pu, &pv, &nk, &nk, t.data(), t.data(), cp.data(), &ldim, &nc, &ndim, w.data(), &u, &v, &su, &sv,
                 &open, &open, &lo, &hi, &lo, &hi, &rational, &ierr);
  }
  double ours(int i) const {
    double u = starts[2 * i], v = starts[2 * i + 1], d, x[3], tg[6], k[3], skew[8];
    Int su = 1, sv = 1, ierr = 0;
    FNDDISTTO3DBSPLINE(&points[3 * i], &pu, &pv, &nk, &nk, t.data(), t.data(), cp.data(), &ldim, &nc, &ndim, w.data(),
                       &u, &v, &su, &sv, &open, &open, &lo, &hi, &lo, &hi, &rational, &dtol, &ptol, &d, x, tg, k, skew,
                       &ierr);
    return ierr == 0 ? std::fabs(d) : -1.0;
  }
  double referenceFoot(int i, double* par) const {
    double lo2[2] = {0.0, 0.0}, hi2[2] = {1.0, 1.0}, start[2] = {starts[2 * i], starts[2 * i + 1]};
    int stat = 0;
    s1775(surf, const_cast<double*>(&points[3 * i]), 3, 1e-9, lo2, hi2, start, par, &stat);
    return par[0];
  }
  double reference(int i) const {
    double par[2];
    referenceFoot(i, par);
    double x[3];
    point(par[0], par[1], x);
    return std::sqrt((points[3 * i] - x[0]) * (points[3 * i] - x[0]) + (points[3 * i + 1] - x[1]) * (points[3 * i + 1] - x[1]) +
                     (points[3 * i + 2] - x[2]) * (points[3 * i + 2] - x[2]));
  }
};

// Both sides agree on every point's distance (1e-6 of it) before the timing.
template <class Spline>
bool agree(benchmark::State& state, const Spline& s) {
  for (int i = 0; i < kPoints; ++i) {
    const double a = s.ours(i), b = s.reference(i);
    if (a < 0.0 || std::fabs(a - b) > 1e-6 * b + 1e-12) {
      state.SkipWithError("the feet differ");
      return false;
    }
  }
  return true;
}

template <class Spline>
void footBenchmark(benchmark::State& state, bool rational, const char* reference, double target) {
  const Spline s(rational);
  if (!agree(state, s)) return;
  int a = 0, b = 0;
  runWithRatio(
      state, reference, target,
      [&] {
        benchmark::DoNotOptimize(s.ours(a));
        a = (a + 1) % kPoints;
      },
      [&] {
        double par[2];
        benchmark::DoNotOptimize(s.referenceFoot(b, par));
        b = (b + 1) % kPoints;
      });
}

void BM_CubicEdgeFoot(benchmark::State& state) { footBenchmark<Edge>(state, false, "SISL s1774", 0.8); }
void BM_CubicRationalEdgeFoot(benchmark::State& state) { footBenchmark<Edge>(state, true, "SISL s1774", 0.8); }
void BM_BicubicFaceFoot(benchmark::State& state) { footBenchmark<Face>(state, false, "SISL s1775", 1.0); }
void BM_BicubicRationalFaceFoot(benchmark::State& state) { footBenchmark<Face>(state, true, "SISL s1775", 1.0); }
BENCHMARK(BM_CubicEdgeFoot);
BENCHMARK(BM_CubicRationalEdgeFoot);
BENCHMARK(BM_BicubicFaceFoot);
BENCHMARK(BM_BicubicRationalFaceFoot);

}  // namespace
