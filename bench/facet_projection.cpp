// Projection of a point onto one facet against CGAL's closest point on a triangle
// (Construct_projected_point_3 of the inexact-constructions kernel) and a plain closest point on a
// triangle (textbook region test), the same facets and points on every side. The answers of the
// compared cases are checked equal before anything is timed.
#include <benchmark/benchmark.h>

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "bench/allocation_count.h"
#include "bench/ratio.h"
#include "tests/support/closest_point.h"
#include "zmx/geometry.h"

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using V3 = std::array<double, 3>;

constexpr int kCases = 1024;

V3 sub(const V3& a, const V3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double dot(const V3& a, const V3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

__attribute__((noinline)) V3 plainClosest(const V3& p, const V3& a, const V3& b, const V3& c) {
  return zmxtest::closestOnTriangle(p, a, b, c);
}

__attribute__((noinline)) Kernel::Point_3 cgalClosest(const Kernel::Triangle_3& t, const Kernel::Point_3& p) {
  return Kernel::Construct_projected_point_3()(t, p);
}

struct Case {
  std::vector<double> x;  // 3 x n
  V3 p;
  std::array<double, 4> cylinder{0, 0, 0, 0};
};

struct Cases {
  int n = 3;
  bool cylindrical = false;
  std::vector<Case> cases;
  int next = 0;
  const Case& take() {
    next = (next + 1) & (kCases - 1);
    return cases[next];
  }
};

V3 column(const std::vector<double>& x, int j) { return {x[3 * j], x[3 * j + 1], x[3 * j + 2]}; }

// A random facet of about unit size and a point within half that size above its interior.
Cases makeCases(int n, int kind, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> d(-1, 1);
  Cases out;
  out.n = n;
  for (int k = 0; k < kCases; ++k) {
    Case c;
    const V3 origin = {10 * d(rng), 10 * d(rng), 10 * d(rng)};
    std::vector<std::array<double, 2>> at;
    if (n == 3 || n == 6)
      at = {{0, 0}, {1, 0}, {0, 1}, {0.5, 0}, {0.5, 0.5}, {0, 0.5}};
    else
      at = {{-0.5, -0.5}, {0.5, -0.5}, {0.5, 0.5}, {-0.5, 0.5}, {0, -0.5}, {0.5, 0}, {0, 0.5}, {-0.5, 0}, {0, 0}};
    const double bend = kind == 1 ? 0.15 : 0.0;
    for (int j = 0; j < n; ++j) {
      const double u = at[j][0] + (kind == 0 && n == 4 ? 0.05 * d(rng) : 0.0), v = at[j][1];
      const V3 p = {origin[0] + u + 0.2 * v, origin[1] + v, origin[2] + 0.1 * u + bend * (u * u - v * v)};
      c.x.insert(c.x.end(), p.begin(), p.end());
    }
    // Points above interior points (kind 0, 1) or spread inside and beyond edges and vertices.
    double u = 0.25 + 0.2 * d(rng), v = 0.25 + 0.2 * d(rng);
    if (n == 4 || n > 6) u -= 0.25, v -= 0.25;
    if (kind == 2) u = 0.33 + 0.9 * d(rng), v = 0.33 + 0.9 * d(rng);
    c.p = {origin[0] + u + 0.2 * v, origin[1] + v, origin[2] + 0.1 * u + 0.5 * d(rng)};
    out.cases.push_back(c);
  }
  return out;
}

Cases cylinderCases(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> d(0, 1);
  Cases out;
  out.n = n;
  out.cylindrical = true;
  for (int k = 0; k < kCases; ++k) {
    Case c;
    const double total = 0.5 + 0.5 * d(rng), mid = total / 2, r = 1 + d(rng);
    std::vector<std::array<double, 2>> at = {{-1, 0}, {1, 0}, {1, total}, {-1, total}};
    if (n == 6)
      at.insert(at.end(), {{1, mid}, {-1, mid}});
    else
      at.insert(at.end(), {{0, 0}, {1, mid}, {0, total}, {-1, mid}, {0, mid}});
    for (const auto& a : at) c.x.insert(c.x.end(), {r * std::cos(a[1]), r * std::sin(a[1]), 0.5 * a[0]});
    const double theta = total * (0.1 + 0.8 * d(rng)), rho = r * (0.7 + 0.6 * d(rng));
    c.p = {rho * std::cos(theta), rho * std::sin(theta), 0.4 * (2 * d(rng) - 1)};
    c.cylinder = {total, mid, mid, mid};
    out.cases.push_back(c);
  }
  return out;
}

struct Answer {
  V3 foot;
  double distance;
  Logical found;
  int location;
};

Answer ours(const Case& c, int n, bool classify, bool cylindrical = false) {
  Answer a{};
  double xi, eta, tangents[6], normal[3], outside;
  const double tolerance = 0.0;
  int corner = 0, degenerate, nearest;
  const int ld = 3, dim = 3;
  const Logical no = kFalse, cyl = toLogical(cylindrical);
  if (classify)
    CALPERPDISTTOSURF1(c.x.data(), &ld, c.p.data(), &xi, &eta, &n, &tolerance, &a.found, &a.distance, tangents,
                       "BENCH   ", 8, normal, a.foot.data(), &outside, &corner, &a.location, &nearest, &no, &dim, &cyl,
                       c.cylinder.data(), &degenerate);
  else
    CALPERPDISTTOSURF(c.x.data(), &ld, c.p.data(), &xi, &eta, &n, &tolerance, &a.found, &a.distance, tangents,
                      "BENCH   ", 8, normal, a.foot.data(), &outside, &corner, &no, &dim, &cyl, c.cylinder.data(),
                      &degenerate);
  return a;
}

Kernel::Triangle_3 triangle(const Case& c, int a, int b, int d) {
  return {Kernel::Point_3(c.x[3 * a], c.x[3 * a + 1], c.x[3 * a + 2]),
          Kernel::Point_3(c.x[3 * b], c.x[3 * b + 1], c.x[3 * b + 2]),
          Kernel::Point_3(c.x[3 * d], c.x[3 * d + 1], c.x[3 * d + 2])};
}

// CGAL's nearest point over the facet's triangles (one, or the two of a quadrilateral).
V3 cgalAnswer(const Case& c, int n) {
  const Kernel::Point_3 p(c.p[0], c.p[1], c.p[2]);
  Kernel::Point_3 best = cgalClosest(triangle(c, 0, 1, 2), p);
  if (n == 4) {
    const Kernel::Point_3 other = cgalClosest(triangle(c, 0, 2, 3), p);
    if (CGAL::squared_distance(other, p) < CGAL::squared_distance(best, p)) best = other;
  }
  return {best.x(), best.y(), best.z()};
}

// Our foot equals CGAL's wherever the facet holds the point's foot; else the run fails.
void checkEqual(const Cases& cases, bool classify) {
  for (const Case& c : cases.cases) {
    const Answer a = ours(c, cases.n, classify);
    const V3 want = cgalAnswer(c, cases.n);
    const double gap = std::sqrt(dot(sub(a.foot, want), sub(a.foot, want)));
    if ((classify || a.found != 0) && gap <= 1e-9) continue;
    std::fprintf(stderr, "facet_projection: answers differ by %g\n", gap);
    std::exit(1);
  }
}

template <class Ours, class Reference>
void timedWithRatio(benchmark::State& state, const char* reference, double target, Ours oursCall, Reference referenceCall) {
  const long long before = zmxbench::gAllocations.load();
  for (auto _ : state) oursCall();
  zmxbench::reportAllocations(state, before);
  if (target <= 0) return;
  double oursBest = 1e300, referenceBest = 1e300;
  for (int round = 0; round < 8; ++round) {
    oursBest = std::min(oursBest, zmxbench::secondsPerCall(oursCall, 0.05));
    referenceBest = std::min(referenceBest, zmxbench::secondsPerCall(referenceCall, 0.05));
  }
  zmxbench::reportRatio(state, reference, target, oursBest / referenceBest);
}

void compare(benchmark::State& state, Cases cases, bool classify, double cgalTarget, double plainTarget = 0) {
  checkEqual(cases, classify);
  const int n = cases.n;
  const auto oursCall = [&] {
    const Answer a = ours(cases.take(), n, classify);
    benchmark::DoNotOptimize(a);
  };
  if (plainTarget > 0) {
    timedWithRatio(state, "plain closest point on a triangle", plainTarget, oursCall, [&] {
      const Case& c = cases.take();
      const V3 f = plainClosest(c.p, column(c.x, 0), column(c.x, 1), column(c.x, 2));
      benchmark::DoNotOptimize(f);
    });
    return;
  }
  timedWithRatio(state, "CGAL 5.5 Construct_projected_point_3 (Epick)", cgalTarget, oursCall, [&] {
    const V3 f = cgalAnswer(cases.take(), n);
    benchmark::DoNotOptimize(f);
  });
}

void BM_Triangle(benchmark::State& state) { compare(state, makeCases(3, 0, 1), false, 2.0); }
void BM_TrianglePlain(benchmark::State& state) { compare(state, makeCases(3, 0, 1), false, 0, 4.0); }
void BM_FlatQuadrilateral(benchmark::State& state) { compare(state, makeCases(4, 0, 2), false, 2.5); }
void BM_TriangleClassified(benchmark::State& state) { compare(state, makeCases(3, 2, 3), true, 6.0); }
BENCHMARK(BM_Triangle);
BENCHMARK(BM_TrianglePlain);
BENCHMARK(BM_FlatQuadrilateral);
BENCHMARK(BM_TriangleClassified);

// Printed without a threshold: our time per call only.
void timedOnly(benchmark::State& state, Cases cases) {
  const long long before = zmxbench::gAllocations.load();
  for (auto _ : state) {
    const Answer a = ours(cases.take(), cases.n, false, cases.cylindrical);
    benchmark::DoNotOptimize(a);
  }
  zmxbench::reportAllocations(state, before);
}
void BM_WarpedQuadrilateral(benchmark::State& state) { timedOnly(state, makeCases(4, 1, 4)); }
void BM_Quadratic6(benchmark::State& state) { timedOnly(state, makeCases(6, 1, 5)); }
void BM_Quadratic8(benchmark::State& state) { timedOnly(state, makeCases(8, 1, 6)); }
void BM_Quadratic9(benchmark::State& state) { timedOnly(state, makeCases(9, 1, 7)); }
void BM_Cylinder6(benchmark::State& state) { timedOnly(state, cylinderCases(6, 8)); }
void BM_Cylinder9(benchmark::State& state) { timedOnly(state, cylinderCases(9, 9)); }
BENCHMARK(BM_WarpedQuadrilateral);
BENCHMARK(BM_Quadratic6);
BENCHMARK(BM_Quadratic8);
BENCHMARK(BM_Quadratic9);
BENCHMARK(BM_Cylinder6);
BENCHMARK(BM_Cylinder9);

void BM_CurveSegment(benchmark::State& state) {
  const Cases cases = makeCases(9, 1, 10);
  int k = 0;
  const long long before = zmxbench::gAllocations.load();
  for (auto _ : state) {
    const Case& c = cases.cases[k = (k + 1) & (kCases - 1)];
    double s, distance, work, foot[3];
    const Logical no = kFalse, yes = kTrue;
    const double tolerance = 0.01, angles[2] = {0, 0};
    CALPERPDISTTOCURVE(c.x.data(), c.p.data(), &s, &distance, &no, &tolerance, &no, &no, &yes, &work, foot, &no,
                       angles);
    benchmark::DoNotOptimize(foot);
  }
  zmxbench::reportAllocations(state, before);
}
BENCHMARK(BM_CurveSegment);

}  // namespace
