// Closest points on Bezier geometry beside references doing the same work on the same data:
// the segment search (UNEWT2 + DSTN2D) beside SISL's Newton closest point on the same cubic
// (s1774) from the same start with the same tolerance, and the patch search (LOSRCH + DSTNCE)
// beside a plain Newton loop on the Bernstein net of the sub-triangle that holds the nearest
// sample, its nets prepared outside the timed loop.
#include <benchmark/benchmark.h>

#include <sisl.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "bench/ratio.h"
#include "tests/support/bezier_surface.h"
#include "zmx/geometry/bezier.h"

namespace {

using zmxbench::runWithRatio;
using zmxtest::Vec3;

// ---- Segments -----------------------------------------------------------------------------------

struct SegmentCase {
  std::vector<Real> nodes;
  std::vector<double> records = std::vector<double>(7, 0.0);
  std::vector<std::array<Real, 2>> points;
  std::vector<Real> starts;  // the parameter of the control point nearest to each point
  Real k[8];
  Int positions[4];
  SISLCurve* curve = nullptr;

  SegmentCase() {
    const Int segments = 1;
    BEZCMN(&segments);
    const Real q[4][2] = {{0.0, 0.0}, {1.3, 0.9}, {2.7, -0.6}, {4.0, 0.3}};  // Q0, Q1, Q2, Q3
    for (const auto& p : q) nodes.insert(nodes.end(), {0.0, p[0], p[1], 0.0});
    const std::int64_t entries[4] = {1, 4, 2, 3};  // offsets 3-6: Q0, Q3, Q1, Q2
    std::memcpy(&records[3], entries, sizeof entries);
    const Int one = 1;
    COEF2D(nodes.data(), records.data(), &one, k, positions);
    double knots[8] = {0, 0, 0, 0, 1, 1, 1, 1}, coef[8];
    for (int i = 0; i < 4; ++i) coef[2 * i] = q[i][0], coef[2 * i + 1] = q[i][1];
    curve = newCurve(4, 4, knots, coef, 1, 2, 1);
    std::mt19937 rng(1);
    std::uniform_real_distribution<Real> t(0.05, 0.95), off(-0.4, 0.4);
    const Real parameter[4] = {0.0, 1.0 / 3.0, 2.0 / 3.0, 1.0};
    for (int n = 0; n < 64; ++n) {
      const Real s = t(rng), w = 1 - s;
      const Real x = w * w * w * q[0][0] + 3 * w * w * s * q[1][0] + 3 * w * s * s * q[2][0] + s * s * s * q[3][0];
      const Real y = w * w * w * q[0][1] + 3 * w * w * s * q[1][1] + 3 * w * s * s * q[2][1] + s * s * s * q[3][1];
      points.push_back({x + off(rng), y + off(rng)});
      int nearest = 0;
      for (int i = 1; i < 4; ++i)
        if (std::hypot(q[i][0] - points.back()[0], q[i][1] - points.back()[1]) <
            std::hypot(q[nearest][0] - points.back()[0], q[nearest][1] - points.back()[1]))
          nearest = i;
      starts.push_back(parameter[nearest]);
    }
  }
  ~SegmentCase() { freeCurve(curve); }

  static constexpr Real kStep = 1e-7, kDistance = 4.0 * 2.22e-16;

  void ours() {
    const Int mode = 1, one = 1;
    for (const auto& p : points) {
      Real t, distance, x[2], frame[10];
      Int status;
      UNEWT2(&kStep, &kDistance, nodes.data(), positions, p.data(), k, &t, &status);
      DSTN2D(records.data(), nodes.data(), p.data(), k, &t, &distance, x, frame, &mode, &one, &one);
      benchmark::DoNotOptimize(distance);
    }
  }
  void sisl() {
    for (std::size_t n = 0; n < points.size(); ++n) {
      double point[2] = {points[n][0], points[n][1]}, t = 0.0;
      int status = 0;
      s1774(curve, point, 2, kStep, 0.0, 1.0, starts[n], &t, &status);
      benchmark::DoNotOptimize(t);
    }
  }
};

void BM_SegmentFoot(benchmark::State& state) {
  SegmentCase c;
  runWithRatio(state, "SISL s1774", 0.5, [&] { c.ours(); }, [&] { c.sisl(); });
}
BENCHMARK(BM_SegmentFoot);

// ---- Patches ------------------------------------------------------------------------------------

constexpr int kGridI[15] = {4, 3, 3, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0};
constexpr int kGridJ[15] = {0, 1, 0, 2, 1, 0, 3, 2, 1, 0, 4, 3, 2, 1, 0};
constexpr int kStartGrid[31] = {11, 12, 13, 14, 15, 12, 13, 14, 15, 12, 13, 14, 7, 8, 9, 10,
                                8,  9,  10, 8,  9,  5,  5,  5,  4,  6,  6,  2,  3, 3, 1};
constexpr int kStartSub[31] = {1, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 1, 1, 1, 1,
                               2, 2, 2, 3, 3, 1, 2, 3, 1, 1, 2, 1, 1, 2, 1};

// Bernstein basis of degree n at (u, v), in the order of TriangleNet::index.
template <int N>
void basis(Real u, Real v, Real* b) {
  const Real w = 1 - u - v;
  Real pu[N + 1], pv[N + 1], pw[N + 1];
  pu[0] = pv[0] = pw[0] = 1;
  for (int k = 1; k <= N; ++k) pu[k] = pu[k - 1] * u, pv[k] = pv[k - 1] * v, pw[k] = pw[k - 1] * w;
  static constexpr auto factorial = [](int n) { Real f = 1; for (int k = 2; k <= n; ++k) f *= k; return f; };
  int m = 0;
  for (int i = 0; i <= N; ++i)
    for (int j = 0; i + j <= N; ++j) b[m++] = factorial(N) / (factorial(i) * factorial(j) * factorial(N - i - j)) * pu[i] * pv[j] * pw[N - i - j];
}

struct Net {
  std::vector<Vec3> x, xu, xv, xuu, xuv, xvv;  // the net and its derivative nets
};

Vec3 combine(const std::vector<Vec3>& net, const Real* b) {
  Vec3 s{};
  for (std::size_t m = 0; m < net.size(); ++m)
    for (int c = 0; c < 3; ++c) s[c] += b[m] * net[m][c];
  return s;
}
Real dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

struct PatchCase {
  zmxtest::BezierSurface surface;
  Int table[45];
  std::vector<Vec3> points;
  std::vector<Real> samples = std::vector<Real>(93);
  std::array<Net, 3> nets;

  PatchCase()
      : surface(zmxtest::buildBezierSurface(zmxtest::gridMesh(1, 1, 2.0, 2.0), [](const Vec3& p) {
          return Vec3{p[0], p[1], 0.3 * std::sin(1.1 * p[0]) * std::cos(0.8 * p[1])};
        })) {
    const Int patches = 0, patch = 1;
    BEZCMN(&patches);
    INITMN(table);
    SUBDIV(&patch, surface.nodes.data(), surface.patches.data(), samples.data());
    const auto bernstein = zmxtest::subTriangleNets(samples, table);
    for (int t = 0; t < 3; ++t) {
      const auto du = bernstein[t].du(), dv = bernstein[t].dv();
      nets[t] = {bernstein[t].points, du.points, dv.points, du.du().points, du.dv().points, dv.dv().points};
    }
    std::mt19937 rng(2);
    std::uniform_real_distribution<Real> unit(0.0, 1.0), height(-0.4, 0.4);
    while (points.size() < 64) {
      Real a = unit(rng), b = unit(rng);
      if (b > a) std::swap(a, b);
      points.push_back({2 * a, 2 * b, 0.3 * std::sin(2.2 * a) * std::cos(1.6 * b) + height(rng)});
    }
  }

  void ours() {
    const Int patch = 1;
    const Real length = 2.0;
    for (const auto& p : points) {
      Real coefficients[45], uvw[3], x[3], frame[12], d;
      Int found, list[4];
      LOSRCH(surface.nodes.data(), surface.patches.data(), table, coefficients, &patch, p.data(), &found, list, uvw,
             &length);
      DSTNCE(p.data(), coefficients, uvw, x, frame, &d);
      benchmark::DoNotOptimize(d);
    }
  }

  // Newton on the net of the nearest sample's sub-triangle, then the point and normal there.
  void plain() {
    for (const auto& p : points) {
      int nearest = 0;
      Real best = 1e300;
      for (int s = 0; s < 31; ++s) {
        const Vec3 q{samples[3 * s] - p[0], samples[3 * s + 1] - p[1], samples[3 * s + 2] - p[2]};
        if (dot(q, q) < best) best = dot(q, q), nearest = s;
      }
      const Net& net = nets[kStartSub[nearest] - 1];
      Real u = kGridI[kStartGrid[nearest] - 1] / 4.0, v = kGridJ[kStartGrid[nearest] - 1] / 4.0;
      Real b4[15], b3[10], b2[6];
      for (int it = 0; it < 15; ++it) {
        basis<4>(u, v, b4);
        basis<3>(u, v, b3);
        basis<2>(u, v, b2);
        const Vec3 x = combine(net.x, b4), xu = combine(net.xu, b3), xv = combine(net.xv, b3);
        const Vec3 r{x[0] - p[0], x[1] - p[1], x[2] - p[2]};
        const Real gu = dot(r, xu), gv = dot(r, xv);
        const Real huu = dot(xu, xu) + dot(r, combine(net.xuu, b2)), huv = dot(xu, xv) + dot(r, combine(net.xuv, b2)),
                   hvv = dot(xv, xv) + dot(r, combine(net.xvv, b2));
        const Real det = huu * hvv - huv * huv;
        const Real du = -(hvv * gu - huv * gv) / det, dv = -(huu * gv - huv * gu) / det;
        u += du;
        v += dv;
        if (std::fmax(std::fabs(du), std::fabs(dv)) <= 1e-7) break;
      }
      basis<4>(u, v, b4);
      basis<3>(u, v, b3);
      const Vec3 x = combine(net.x, b4), xu = combine(net.xu, b3), xv = combine(net.xv, b3);
      const Vec3 n{xu[1] * xv[2] - xu[2] * xv[1], xu[2] * xv[0] - xu[0] * xv[2], xu[0] * xv[1] - xu[1] * xv[0]};
      const Real d = dot({x[0] - p[0], x[1] - p[1], x[2] - p[2]}, n) / std::sqrt(dot(n, n));
      benchmark::DoNotOptimize(d);
    }
  }
};

void BM_PatchFoot(benchmark::State& state) {
  PatchCase c;
  runWithRatio(state, "plain Newton on the Bernstein net", 2.0, [&] { c.ours(); }, [&] { c.plain(); });
}
BENCHMARK(BM_PatchFoot);

}  // namespace
