// B-spline edge and face evaluators beside SISL's s1221 (curves) and s1424 (surfaces), on the
// same splines and parameters in one run. Each side keeps its span (knot interval) from call to
// call, as a Newton projection does; the parameters walk slowly along the spline so that spans
// mostly repeat and sometimes move on.
#include <benchmark/benchmark.h>

#include <sisl.h>

#include <cmath>
#include <vector>

#include "bench/ratio.h"
#include "zmx/geometry/bspline.h"

namespace {

using zmxbench::runWithRatio;

constexpr int kSamples = 512;

// Clamped full knot vector of n control points of degree p on [0, 1] with uniform interior knots.
std::vector<double> clampedKnots(int n, int p) {
  std::vector<double> t(p + 1, 0.0);
  for (int k = 1; k < n - p; ++k) t.push_back(static_cast<double>(k) / (n - p));
  t.insert(t.end(), p + 1, 1.0);
  return t;
}

std::vector<double> walk(double lo, double hi) {
  std::vector<double> u(kSamples);
  for (int s = 0; s < kSamples; ++s) u[s] = lo + (hi - lo) * (0.5 + 0.5 * std::sin(0.05 * s));
  return u;
}

struct CubicEdge {
  int p = 3, n = 24, ldim = 2, ndim = 2, nknot = 0;
  std::vector<double> full, t, cp, w, coef, hcoef, params;
  double umin = 0.0, umax = 1.0;
  Logical open = kFalse;
  SISLCurve* plain = nullptr;
  SISLCurve* rational = nullptr;
  int span = 1, left = 0, next = 0;

  CubicEdge() : full(clampedKnots(n, p)), t(full.begin() + 1, full.end() - 1), params(walk(0.0, 1.0)) {
    nknot = static_cast<int>(t.size());
    for (int j = 0; j < n; ++j) {
      const double x = std::cos(0.4 * j) * (2.0 + 0.1 * j), y = std::sin(0.4 * j) * 1.5;
      const double wj = 0.7 + 0.3 * std::cos(1.3 * j);
      cp.insert(cp.end(), {x, y});
      w.push_back(wj);
      hcoef.insert(hcoef.end(), {x * wj, y * wj, wj});
    }
    coef = cp;
    plain = newCurve(n, p + 1, full.data(), coef.data(), 1, ndim, 0);
    rational = newCurve(n, p + 1, full.data(), hcoef.data(), 2, ndim, 0);
  }
  ~CubicEdge() {
    freeCurve(plain);
    freeCurve(rational);
  }
  double nextParameter() {
    next = (next + 1) % kSamples;
    return params[next];
  }
};

// Our evaluator (the point for Nder < 0, else Nder derivatives) beside s1221 of the same order.
template <bool Rational, int Nder>
void edgeBenchmark(benchmark::State& state) {
  CubicEdge e;
  const int ldd = 2, nder = Nder, order = Nder < 0 ? 0 : Nder;
  double d[8];
  int ierr = 0, stat = 0;
  const double* w = e.w.data();
  SISLCurve* curve = Rational ? e.rational : e.plain;
  runWithRatio(
      state, "SISL s1221", 0.5,
      [&] {
        const double u = e.nextParameter();
        if constexpr (Nder < 0 && Rational)
          BSPLINERATEDGE(d, &e.p, &e.nknot, e.t.data(), e.cp.data(), &e.ldim, &e.ndim, w, &u, &e.span, &e.open,
                         &e.umin, &e.umax, &ierr);
        else if constexpr (Nder < 0)
          BSPLINENONRATEDGE(d, &e.p, &e.nknot, e.t.data(), e.cp.data(), &e.ldim, &e.ndim, &u, &e.span, &e.open,
                            &e.umin, &e.umax, &ierr);
        else if constexpr (Rational)
          BSPLINERATEDGE_DERIV(d, &ldd, &nder, &e.p, &e.nknot, e.t.data(), e.cp.data(), &e.ldim, &e.ndim, w, &u,
                               &e.span, &e.open, &e.umin, &e.umax, &ierr);
        else
          BSPLINENONRATEDGE_DERIV(d, &ldd, &nder, &e.p, &e.nknot, e.t.data(), e.cp.data(), &e.ldim, &e.ndim, &u,
                                  &e.span, &e.open, &e.umin, &e.umax, &ierr);
        benchmark::DoNotOptimize(d);
      },
      [&] {
        s1221(curve, order, e.nextParameter(), &e.left, d, &stat);
        benchmark::DoNotOptimize(d);
      });
}

void BM_CubicEdgePoint(benchmark::State& state) { edgeBenchmark<false, -1>(state); }
void BM_CubicRationalEdgePoint(benchmark::State& state) { edgeBenchmark<true, -1>(state); }
void BM_CubicEdgeDerivatives3(benchmark::State& state) { edgeBenchmark<false, 3>(state); }
void BM_CubicRationalEdgeDerivatives3(benchmark::State& state) { edgeBenchmark<true, 3>(state); }
BENCHMARK(BM_CubicEdgePoint);
BENCHMARK(BM_CubicRationalEdgePoint);
BENCHMARK(BM_CubicEdgeDerivatives3);
BENCHMARK(BM_CubicRationalEdgeDerivatives3);

struct BicubicFace {
  int pu = 3, pv = 3, ncu = 12, ncv = 12, ldim = 3, ndim = 3, nku = 0, nkv = 0;
  std::vector<double> full, t, cp, w, us, vs;
  double lo = 0.0, hi = 1.0;
  Logical open = kFalse, plainFlag = kFalse;
  SISLSurf* surf = nullptr;
  int spanU = 1, spanV = 1, left1 = 0, left2 = 0, next = 0;

  BicubicFace()
      : full(clampedKnots(12, 3)), t(full.begin() + 1, full.end() - 1), us(walk(0.0, 1.0)), vs(walk(0.1, 0.9)) {
    nku = nkv = static_cast<int>(t.size());
    for (int j = 0; j < ncv; ++j)
      for (int i = 0; i < ncu; ++i) cp.insert(cp.end(), {1.0 * i, 1.0 * j, std::sin(0.5 * i) * std::cos(0.3 * j)});
    w.assign(static_cast<std::size_t>(ncu) * ncv, 1.0);
    surf = newSurf(ncu, ncv, pu + 1, pv + 1, full.data(), full.data(), cp.data(), 1, ndim, 0);
  }
  ~BicubicFace() { freeSurf(surf); }
  void nextParameters(double* par) {
    next = (next + 1) % kSamples;
    par[0] = us[next];
    par[1] = vs[(next * 3) % kSamples];
  }
};

// Our face evaluator (the point for Nder < 0, else derivatives to total order Nder) beside s1424
// with Nder derivatives in each direction.
template <int Nder>
void faceBenchmark(benchmark::State& state) {
  BicubicFace f;
  const int ldd = 3, nder = Nder, order = Nder < 0 ? 0 : Nder;
  double d[18], eder[27], par[2];
  int ierr = 0, stat = 0;
  runWithRatio(
      state, "SISL s1424", 1.0,
      [&] {
        f.nextParameters(par);
        if constexpr (Nder < 0)
          BSPLINE_FACE(d, &f.pu, &f.pv, &f.nku, &f.nkv, f.t.data(), f.t.data(), f.cp.data(), &f.ldim, &f.ncu, &f.ndim,
                       f.w.data(), &par[0], &par[1], &f.spanU, &f.spanV, &f.open, &f.open, &f.lo, &f.hi, &f.lo, &f.hi,
                       &f.plainFlag, &ierr);
        else
          BSPLINE_FACE_DERIV(d, &ldd, &nder, &f.pu, &f.pv, &f.nku, &f.nkv, f.t.data(), f.t.data(), f.cp.data(),
                             &f.ldim, &f.ncu, &f.ndim, f.w.data(), &par[0], &par[1], &f.spanU, &f.spanV, &f.open,
                             &f.open, &f.lo, &f.hi, &f.lo, &f.hi, &f.plainFlag, &ierr);
        benchmark::DoNotOptimize(d);
      },
      [&] {
        f.nextParameters(par);
        s1424(f.surf, order, order, par, &f.left1, &f.left2, eder, &stat);
        benchmark::DoNotOptimize(eder);
      });
}

void BM_BicubicFacePoint(benchmark::State& state) { faceBenchmark<-1>(state); }
void BM_BicubicFaceDerivatives1(benchmark::State& state) { faceBenchmark<1>(state); }
BENCHMARK(BM_BicubicFacePoint);
BENCHMARK(BM_BicubicFaceDerivatives1);

}  // namespace
