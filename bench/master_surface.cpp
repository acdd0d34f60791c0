// The projection of slave points onto an element-based master surface against CGAL's AABB tree
// (accelerated distance queries) on the closed surface of a box of about 10^5 and 10^6 planar
// 4-node facets (CGAL holds each facet as its two triangles): cold points within half an edge of
// the surface through the deformable search tree (margin one edge length), and warm paths of
// 0.2-edge steps that hand the contact back (CGAL with the previous answer as hint). Every answer
// is checked against CGAL's before anything is timed.
#include <benchmark/benchmark.h>

#include <CGAL/AABB_traits.h>
#include <CGAL/AABB_tree.h>
#include <CGAL/AABB_triangle_primitive.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>

#include <cstdio>
#include <map>
#include <cstdlib>
#include <memory>
#include <random>

#include "bench/ratio.h"
#include "tests/contact/master_surfaces/master_surface_harness.h"

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Triangle = Kernel::Triangle_3;
using Primitive = CGAL::AABB_triangle_primitive<Kernel, std::vector<Triangle>::const_iterator>;
using AabbTree = CGAL::AABB_tree<CGAL::AABB_traits<Kernel, Primitive>>;
using master_test::Vec;
using master_test::operator+;
using master_test::operator-;
using master_test::operator*;

struct Model {
  master_test::Surface surface;
  double h = 0;
  std::unique_ptr<master_test::Work> work;
  std::vector<Triangle> triangles;
  std::unique_ptr<AabbTree> tree;
  bool treeLoaded = false;
  std::vector<Vec> cold;
  std::vector<std::vector<Vec>> paths;
};

// Whether the process holds a deformable search tree now.
bool treeLoaded() {
  const Int zero = 0, one = 1, three = 3;
  const double records = 1.0, far[3] = {1e9, 1e9, 1e9};  // in no box: no item is written
  Int items[1], count = 0, status = 0;
  SHR_CONTACTSRCHDBDEFVSDEF(&zero, &records, &one, &one, far, &three, items, &count, &status);
  return status == 0;
}

Kernel::Point_3 point(const Vec& v) { return {v[0], v[1], v[2]}; }

double cgalDistance(const Model& m, const Vec& p, const Kernel::Point_3* hint, Kernel::Point_3* out) {
  const Kernel::Point_3 q = point(p);
  const Kernel::Point_3 f = hint != nullptr ? m.tree->closest_point(q, *hint) : m.tree->closest_point(q);
  if (out != nullptr) *out = f;
  return std::sqrt(CGAL::to_double(CGAL::squared_distance(q, f)));
}

// A point of a random facet moved off the surface along the facet's normal by up to half an edge.
Vec nearSurface(const Model& m, std::mt19937& rng) {
  const master_test::Surface& s = m.surface;
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const auto& f = s.facets[rng() % s.facets.size()];
  const Vec a = s.at(f.nodes[0]), b = s.at(f.nodes[1]), d = s.at(f.nodes[3]);
  const Vec n = master_test::cross(b - a, d - a);
  return a + u(rng) * (b - a) + u(rng) * (d - a) + (m.h * (u(rng) - 0.5) / master_test::norm(n)) * n;
}

Model& model(int m) {
  static std::map<int, std::unique_ptr<Model>> models;
  auto& slot = models[m];
  if (slot) return *slot;
  slot = std::make_unique<Model>();
  Model& x = *slot;
  x.surface = master_test::box(m, 1.0, 1.0, 1.0);
  x.surface.build();
  x.h = 1.0 / m;
  x.work = std::make_unique<master_test::Work>(x.surface);
  for (const auto& f : x.surface.facets) {
    const auto& s = x.surface;
    x.triangles.emplace_back(point(s.at(f.nodes[0])), point(s.at(f.nodes[1])), point(s.at(f.nodes[2])));
    x.triangles.emplace_back(point(s.at(f.nodes[0])), point(s.at(f.nodes[2])), point(s.at(f.nodes[3])));
  }
  x.tree = std::make_unique<AabbTree>(x.triangles.cbegin(), x.triangles.cend());
  x.tree->accelerate_distance_queries();
  master_test::loadTree(x.surface, x.h);
  x.treeLoaded = treeLoaded();
  std::mt19937 rng(16);
  for (int i = 0; i < 100000; ++i) x.cold.push_back(nearSurface(x, rng));
  std::uniform_real_distribution<double> d(-1.0, 1.0);
  for (int k = 0; k < 1000; ++k) {
    std::vector<Vec> path{nearSurface(x, rng)};
    for (int i = 1; i < 100; ++i) {
      Vec step{d(rng), d(rng), d(rng)};
      path.push_back(path.back() + (0.2 * x.h / master_test::norm(step)) * step);
    }
    x.paths.push_back(path);
  }
  return x;
}

// One call as a host makes it: the caller's arrays, nothing allocated.
double ours(Model& m, const Vec& p, master_test::Answer& a) {
  const master_test::Surface& s = m.surface;
  master_test::Work& w = *m.work;
  static double state[24];
  const Int nf = s.facetCount(), nn = s.nodes(), unused = 0, ldFacet = master_test::kFacetRows, split = 0;
  const Int quadratic = 0;
  const double extension = 0.1;
  const Logical keep = kFalse;
  RSLID_SURFACE(&nf, s.facetElement.data(), s.facetTable.data(), &ldFacet, s.edgeTable.data(), s.edgeFacets.data(),
                s.nodeFacets.data(), s.freeVertices.data(), &s.freeCount, s.facetSize.data(), &s.surfaceSize, &nn,
                &s.offset, &unused, &s.ldNodeFacets, p.data(), s.x.data(), &s.ldCoord, w.nodeDist.data(),
                w.bound.data(), w.candidates.data(), state, a.result.data(), &split, &quadratic, "BOX     ", 8, &a.kind,
                &a.entity, &a.count, &extension, &keep, s.facetKind.data(), s.facetAngles.data());
  return a.result[12];
}

// Our answer against CGAL's: never farther by more than 1e-9 h, nearer only for a face accepted
// within its 0.001 parametric tolerance beyond an edge.
bool agrees(const Model& m, const Vec& p, const master_test::Answer& a) {
  const double exact = cgalDistance(m, p, nullptr, nullptr), d = std::fabs(a.distance());
  return a.kind != 0 && d <= exact + 1e-9 * m.h &&
         (d >= exact - 1e-9 * m.h || (a.kind == 3 && d >= exact - 0.002 * m.h));
}

// An answer that disagrees fails the run.
void check(const Model& m, const Vec& p, const master_test::Answer& a) {
  if (agrees(m, p, a)) return;
  const double exact = cgalDistance(m, p, nullptr, nullptr), d = std::fabs(a.distance());
  std::fprintf(stderr, "master_surface: answer %.12g (kind %d, entity %d) against %.12g at (%g, %g, %g)\n", d, a.kind,
               a.entity, exact, p[0], p[1], p[2]);
  std::exit(1);
}

// Without its tree every cold search measures the whole surface: not what is compared here.
bool needTree(benchmark::State& state, const Model& x) {
  if (x.treeLoaded) return true;
  state.SkipWithError("the deformable search tree could not be built (see the messages above)");
  return false;
}

void cold(benchmark::State& state, int m) {
  Model& x = model(m);
  if (!needTree(state, x)) return;
  for (const Vec& p : x.cold) {
    master_test::Answer a;
    ours(x, p, a);
    check(x, p, a);
  }
  std::size_t k = 0, j = 0;
  zmxbench::runWithRatio(
      state, "CGAL 5.5 AABB_tree, accelerated", 2.0,
      [&] {
        master_test::Answer fresh;
        benchmark::DoNotOptimize(ours(x, x.cold[k++ % x.cold.size()], fresh));
      },
      [&] { benchmark::DoNotOptimize(cgalDistance(x, x.cold[j++ % x.cold.size()], nullptr, nullptr)); });
  state.counters["facets"] = static_cast<double>(x.surface.facets.size());
}

// Warm answers are checked like cold ones: a disagreement fails the run.
void warm(benchmark::State& state, int m) {
  Model& x = model(m);
  if (!needTree(state, x)) return;
  for (const auto& path : x.paths) {
    master_test::Answer a;
    for (const Vec& p : path) {
      ours(x, p, a);
      check(x, p, a);
    }
  }
  std::size_t path = 0, step = 0;
  master_test::Answer a;
  const auto oursCall = [&] {
    if (step == 0) a.kind = a.entity = 0;
    benchmark::DoNotOptimize(ours(x, x.paths[path % x.paths.size()][step], a));
    if (++step == x.paths[0].size()) step = 0, ++path;
  };
  std::size_t cpath = 0, cstep = 0;
  Kernel::Point_3 hint;
  const auto cgalCall = [&] {
    const Vec& p = x.paths[cpath % x.paths.size()][cstep];
    benchmark::DoNotOptimize(cgalDistance(x, p, cstep == 0 ? nullptr : &hint, &hint));
    if (++cstep == x.paths[0].size()) cstep = 0, ++cpath;
  };
  zmxbench::runWithRatio(state, "CGAL 5.5 AABB_tree with the previous answer as hint", 1.5, oursCall, cgalCall);
  state.counters["facets"] = static_cast<double>(x.surface.facets.size());
}

}  // namespace

BENCHMARK_CAPTURE(cold, box_1e5, 130)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(warm, box_1e5, 130)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(cold, box_1e6, 410)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(warm, box_1e6, 410)->Unit(benchmark::kMicrosecond);
