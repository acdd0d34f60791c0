// Facet derivative vectors, quarter interpolation and circular-arc functions against plain
// fixed-size code for the same functions in this binary. Each benchmark reports the heap
// allocations per call (expected 0) and "ratio", our time per call over the reference's.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

#include "bench/allocation_count.h"
#include "bench/ratio.h"
#include "zmx/geometry.h"

namespace {

// ---- References -------------------------------------------------------------------------------------

// result := sum over the nodes of (N, N_xi, N_eta, N_xixi, N_xieta, N_etaeta) x_j.
template <int n>
inline void accumulate(const double* x, const double (&w)[6][n], double* r) {
  for (int k = 0; k < 6; ++k) {
    double a = 0, b = 0, c = 0;
    for (int j = 0; j < n; ++j) a += w[k][j] * x[3 * j], b += w[k][j] * x[3 * j + 1], c += w[k][j] * x[3 * j + 2];
    r[3 * k] = a, r[3 * k + 1] = b, r[3 * k + 2] = c;
  }
}

__attribute__((noinline)) void referenceDeriv4(const double* x, double xi, double eta, double* r) {
  const double xm = 1 - xi, xp = 1 + xi, em = 1 - eta, ep = 1 + eta;
  const double w[6][4] = {{0.25 * xm * em, 0.25 * xp * em, 0.25 * xp * ep, 0.25 * xm * ep},
                          {-0.25 * em, 0.25 * em, 0.25 * ep, -0.25 * ep},
                          {-0.25 * xm, -0.25 * xp, 0.25 * xp, 0.25 * xm},
                          {0, 0, 0, 0},
                          {0.25, -0.25, 0.25, -0.25},
                          {0, 0, 0, 0}};
  accumulate(x, w, r);
}

__attribute__((noinline)) void referenceDeriv8(const double* x, double xi, double eta, double* r) {
  double w[6][8];
  const double xc[4] = {-1, 1, 1, -1}, ec[4] = {-1, -1, 1, 1};
  for (int j = 0; j < 4; ++j) {
    const double a = 1 + xc[j] * xi, b = 1 + ec[j] * eta, s = xc[j] * xi + ec[j] * eta - 1;
    w[0][j] = 0.25 * a * b * s;
    w[1][j] = 0.25 * xc[j] * b * (s + a);
    w[2][j] = 0.25 * ec[j] * a * (s + b);
    w[3][j] = 0.5 * b;
    w[4][j] = 0.25 * xc[j] * ec[j] * (2 * xc[j] * xi + 2 * ec[j] * eta + 1);
    w[5][j] = 0.5 * a;
  }
  const double xx = 1 - xi * xi, ee = 1 - eta * eta;
  const double mid[6][4] = {{0.5 * xx * (1 - eta), 0.5 * (1 + xi) * ee, 0.5 * xx * (1 + eta), 0.5 * (1 - xi) * ee},
                            {-xi * (1 - eta), 0.5 * ee, -xi * (1 + eta), -0.5 * ee},
                            {-0.5 * xx, -eta * (1 + xi), 0.5 * xx, -eta * (1 - xi)},
                            {eta - 1, 0, -(1 + eta), 0},
                            {xi, -eta, -xi, eta},
                            {0, -(1 + xi), 0, xi - 1}};
  for (int k = 0; k < 6; ++k)
    for (int j = 0; j < 4; ++j) w[k][4 + j] = mid[k][j];
  accumulate(x, w, r);
}

// Quadratic Lagrange functions through -1, 0, 1 with two derivatives.
inline void lagrange(double s, double* f, double* d, double* dd) {
  f[0] = 0.5 * s * (s - 1), f[1] = 1 - s * s, f[2] = 0.5 * s * (s + 1);
  d[0] = s - 0.5, d[1] = -2 * s, d[2] = s + 0.5;
  dd[0] = 1, dd[1] = -2, dd[2] = 1;
}

constexpr int kXiIndex[9] = {0, 2, 2, 0, 1, 2, 1, 0, 1};
constexpr int kEtaIndex[9] = {0, 0, 2, 2, 0, 1, 2, 1, 1};

__attribute__((noinline)) void referenceDeriv9(const double* x, double xi, double eta, double* r) {
  double p[3], dp[3], ddp[3], q[3], dq[3], ddq[3], w[6][9];
  lagrange(xi, p, dp, ddp);
  lagrange(eta, q, dq, ddq);
  for (int j = 0; j < 9; ++j) {
    const int a = kXiIndex[j], b = kEtaIndex[j];
    w[0][j] = p[a] * q[b], w[1][j] = dp[a] * q[b], w[2][j] = p[a] * dq[b];
    w[3][j] = ddp[a] * q[b], w[4][j] = dp[a] * dq[b], w[5][j] = p[a] * ddq[b];
  }
  accumulate(x, w, r);
}

// Interpolation through three nodes on a circular arc at angles t, with two derivatives.
inline void referenceArc(const double* t, double theta, double* n, double* dn, double* ddn) {
  const double d = std::sin(t[1] - t[0]) + std::sin(t[2] - t[1]) + std::sin(t[0] - t[2]);
  const double s1 = std::sin(theta - t[0]), s2 = std::sin(theta - t[1]), s3 = std::sin(theta - t[2]);
  const double c1 = std::cos(theta - t[0]), c2 = std::cos(theta - t[1]), c3 = std::cos(theta - t[2]);
  n[0] = (std::sin(t[2] - t[1]) - s2 + s3) / d;
  n[1] = (std::sin(t[0] - t[2]) - s3 + s1) / d;
  n[2] = (std::sin(t[1] - t[0]) - s1 + s2) / d;
  dn[0] = (c3 - c2) / d, dn[1] = (c1 - c3) / d, dn[2] = (c2 - c1) / d;
  ddn[0] = (s2 - s3) / d, ddn[1] = (s3 - s1) / d, ddn[2] = (s1 - s2) / d;
}

__attribute__((noinline)) void referenceArcCall(const double* t, double theta, double* n, double* dn, double* ddn) {
  referenceArc(t, theta, n, dn, ddn);
}

// The 9-node cylindrical facet: arcs along eta on the lines xi = -1, 0, 1.
__attribute__((noinline)) void referenceCylinder9(const double* x, double xi, double eta, const double* c, double* r) {
  constexpr int kLine[9] = {0, 2, 2, 0, 1, 2, 1, 0, 1};
  constexpr int kStation[9] = {0, 0, 2, 2, 0, 1, 2, 1, 1};
  double g[3], dg[3], ddg[3], h[3][3], dh[3][3], ddh[3][3], w[6][9];
  lagrange(xi, g, dg, ddg);
  for (int l = 0; l < 3; ++l) {
    const double t[3] = {0, c[1 + l], c[0]};
    referenceArc(t, eta, h[l], dh[l], ddh[l]);
  }
  for (int j = 0; j < 9; ++j) {
    const int l = kLine[j], s = kStation[j];
    w[0][j] = h[l][s] * g[l], w[1][j] = h[l][s] * dg[l], w[2][j] = dh[l][s] * g[l];
    w[3][j] = h[l][s] * ddg[l], w[4][j] = dh[l][s] * dg[l], w[5][j] = ddh[l][s] * g[l];
  }
  accumulate(x, w, r);
}

// The 8-node quadrilateral through quarter k (mode 0).
__attribute__((noinline)) void referenceQuarter8(int k, double xi, double eta, double* out) {
  constexpr int kCorners[4][4] = {{1, 5, 9, 8}, {5, 2, 6, 9}, {9, 6, 3, 7}, {8, 9, 7, 4}};
  constexpr double kShift[4][2] = {{1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
  const int q = k >= 1 && k <= 3 ? k - 1 : 3;
  const double a = 2 * xi + kShift[q][0], b = 2 * eta + kShift[q][1];
  const double am = 1 - a, ap = 1 + a, bm = 1 - b, bp = 1 + b;
  const double f[3][4] = {{0.25 * am * bm, 0.25 * ap * bm, 0.25 * ap * bp, 0.25 * am * bp},
                          {-0.5 * bm, 0.5 * bm, 0.5 * bp, -0.5 * bp},
                          {-0.5 * am, -0.5 * ap, 0.5 * ap, 0.5 * am}};
  for (int i = 0; i < 24; ++i) out[i] = 0.0;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) {
      const int node = kCorners[q][c];
      double* row = out + 8 * r;
      if (node < 9) {
        row[node - 1] += f[r][c];
      } else {
        for (int j = 0; j < 4; ++j) row[j] -= 0.25 * f[r][c];
        for (int j = 4; j < 8; ++j) row[j] += 0.5 * f[r][c];
      }
    }
}

// ---- Harness ------------------------------------------------------------------------------------------

template <class Ours, class Reference>
void timedWithRatio(benchmark::State& state, Ours ours, Reference reference) {
  const long long before = zmxbench::gAllocations.load();
  for (auto _ : state) ours();
  zmxbench::reportAllocations(state, before);
  double oursBest = 1e300, referenceBest = 1e300;
  for (int round = 0; round < 8; ++round) {
    oursBest = std::min(oursBest, zmxbench::secondsPerCall(ours, 0.05));
    referenceBest = std::min(referenceBest, zmxbench::secondsPerCall(reference, 0.05));
  }
  zmxbench::reportRatio(state, "plain fixed-size code", 1.5, oursBest / referenceBest);
}

// Facet coordinates cycled through between calls, so that nothing is folded.
struct Points {
  double xi[64], eta[64];
  int next = 0;
  Points(double lo, double hi) {
    for (int k = 0; k < 64; ++k) {
      xi[k] = -0.95 + 1.9 * ((k * 37) % 64) / 63.0;
      eta[k] = lo + (hi - lo) * ((k * 23) % 64) / 63.0;
    }
  }
  int take() { return next = (next + 1) & 63; }
};

// Data set at run time, so that neither side is specialised on constants.
double gNodes[27];
double gCylinder[4];
double gAngles[3];

void fillNodes() {
  for (int i = 0; i < 27; ++i) gNodes[i] = std::sin(1.3 * i + 0.2);
  const double cylinder[4] = {0.9, 0.41, 0.47, 0.52}, angles[3] = {0.0, 0.41, 0.9};
  for (int i = 0; i < 4; ++i) gCylinder[i] = cylinder[i];
  for (int i = 0; i < 3; ++i) gAngles[i] = angles[i];
  benchmark::ClobberMemory();
}

void facetDeriv(benchmark::State& state, int n, bool cylindrical) {
  fillNodes();
  const double* cylinder = gCylinder;
  Points p(cylindrical ? 0.0 : -0.95, cylindrical ? 0.9 : 0.95);
  double r[18];
  const int k = 0;
  const Logical flag = toLogical(cylindrical);
  timedWithRatio(
      state,
      [&] {
        const int i = p.take();
        FACET_DERIV(gNodes, &n, &p.xi[i], &p.eta[i], r, &k, &flag, cylinder);
        benchmark::DoNotOptimize(r);
        benchmark::ClobberMemory();
      },
      [&] {
        const int i = p.take();
        if (cylindrical)
          referenceCylinder9(gNodes, p.xi[i], p.eta[i], cylinder, r);
        else if (n == 4)
          referenceDeriv4(gNodes, p.xi[i], p.eta[i], r);
        else if (n == 8)
          referenceDeriv8(gNodes, p.xi[i], p.eta[i], r);
        else
          referenceDeriv9(gNodes, p.xi[i], p.eta[i], r);
        benchmark::DoNotOptimize(r);
        benchmark::ClobberMemory();
      });
}

void BM_FacetDeriv4(benchmark::State& state) { facetDeriv(state, 4, false); }
void BM_FacetDeriv8(benchmark::State& state) { facetDeriv(state, 8, false); }
void BM_FacetDeriv9(benchmark::State& state) { facetDeriv(state, 9, false); }
void BM_FacetDerivCylinder9(benchmark::State& state) { facetDeriv(state, 9, true); }
BENCHMARK(BM_FacetDeriv4);
BENCHMARK(BM_FacetDeriv8);
BENCHMARK(BM_FacetDeriv9);
BENCHMARK(BM_FacetDerivCylinder9);

void BM_Intq8c(benchmark::State& state) {
  Points p(-0.95, 0.95);
  double out[24];
  const int mode = 0;
  timedWithRatio(
      state,
      [&] {
        const int i = p.take();
        const int k = 1 + (i & 3);
        INTQ8C(&k, &p.xi[i], &p.eta[i], out, &mode);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
      },
      [&] {
        const int i = p.take();
        referenceQuarter8(1 + (i & 3), p.xi[i], p.eta[i], out);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
      });
}
BENCHMARK(BM_Intq8c);

void BM_Ccyltheta(benchmark::State& state) {
  Points p(0.0, 0.9);
  fillNodes();
  const double* angles = gAngles;
  double n[3], dn[3], ddn[3];
  const Logical second = kTrue;
  timedWithRatio(
      state,
      [&] {
        const int i = p.take();
        SHR_CCYLTHETA(n, dn, ddn, angles, &p.eta[i], &second);
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(dn);
        benchmark::DoNotOptimize(ddn);
      },
      [&] {
        const int i = p.take();
        referenceArcCall(angles, p.eta[i], n, dn, ddn);
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(dn);
        benchmark::DoNotOptimize(ddn);
      });
}
BENCHMARK(BM_Ccyltheta);

}  // namespace
