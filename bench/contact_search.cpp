// The faceted rigid-surface search against CGAL's AABB tree (accelerated distance queries) and
// Embree 3's point queries, on spheres and tori of about 10^5 and 10^6 triangles: tree builds,
// cold points within half an edge of the surface, and warm paths of 0.2-edge steps that hand the
// contact back. Every answer is checked against CGAL's before anything is timed.
#include <benchmark/benchmark.h>

#include <CGAL/AABB_traits.h>
#include <CGAL/AABB_tree.h>
#include <CGAL/AABB_triangle_primitive.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <embree3/rtcore.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <unordered_map>
#include <vector>

#include "bench/ratio.h"
#include "tests/support/closest_point.h"
#include "zmx/contact.h"

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Triangle = Kernel::Triangle_3;
using Primitive = CGAL::AABB_triangle_primitive<Kernel, std::vector<Triangle>::const_iterator>;
using AabbTree = CGAL::AABB_tree<CGAL::AABB_traits<Kernel, Primitive>>;
using P3 = std::array<double, 3>;

double seconds(const std::function<void()>& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Surface {
  std::vector<double> coords;
  std::vector<std::array<int, 3>> triangles;
  std::vector<int> facetTable, edgeTable, edgeFacets, nodeFacets, elements, freeVertices;
  std::vector<double> facetSize, block;
  int ldNodeFacets = 0;
  double h = 0, surfaceSize = 0;
  std::vector<Triangle> cgal;
  std::unique_ptr<AabbTree> tree;
  RTCDevice device = nullptr;
  RTCScene scene = nullptr;
  double buildOurs = 0, buildCgal = 0, buildEmbree = 0, buildDeformable = 0;
  // Work arrays of the search.
  std::vector<double> nodeDistance, bound;
  std::vector<int> candidates;

  P3 node(int n) const { return {coords[3 * (n - 1)], coords[3 * (n - 1) + 1], coords[3 * (n - 1) + 2]}; }
};

void addGridTriangles(Surface& s, int rows, int columns, bool wrapRows, const std::function<int(int, int)>& at) {
  for (int i = 0; i < rows - (wrapRows ? 0 : 1); ++i)
    for (int j = 0; j < columns; ++j) {
      const int a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
      s.triangles.push_back({a, b, c});
      s.triangles.push_back({a, c, d});
    }
}

// A sphere of radius 1: an icosahedron subdivided `levels` times, nodes pushed onto the sphere
// (20 x 4^levels triangles of nearly equal shape).
Surface makeSphere(int levels) {
  Surface s;
  const double t = (1 + std::sqrt(5.0)) / 2;
  const double base[12][3] = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
                              {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
  const auto add = [&](double x, double y, double z) {
    const double l = std::sqrt(x * x + y * y + z * z);
    s.coords.insert(s.coords.end(), {x / l, y / l, z / l});
    return static_cast<int>(s.coords.size() / 3);
  };
  for (const auto& b : base) add(b[0], b[1], b[2]);
  s.triangles = {{1, 12, 6}, {1, 6, 2}, {1, 2, 8},  {1, 8, 11}, {1, 11, 12}, {2, 6, 10}, {6, 12, 5},
                 {12, 11, 3}, {11, 8, 7}, {8, 2, 9}, {4, 10, 5}, {4, 5, 3},  {4, 3, 7},  {4, 7, 9},
                 {4, 9, 10}, {5, 10, 6}, {3, 5, 12}, {7, 3, 11}, {9, 7, 8},  {10, 9, 2}};
  for (int level = 0; level < levels; ++level) {
    std::unordered_map<long long, int> middle;
    const auto mid = [&](int a, int b) {
      const long long key = static_cast<long long>(std::min(a, b)) * 100000000LL + std::max(a, b);
      const auto it = middle.find(key);
      if (it != middle.end()) return it->second;
      const P3 x = s.node(a), y = s.node(b);
      const int m = add(x[0] + y[0], x[1] + y[1], x[2] + y[2]);
      middle.emplace(key, m);
      return m;
    };
    std::vector<std::array<int, 3>> finer;
    finer.reserve(s.triangles.size() * 4);
    for (const auto& tr : s.triangles) {
      const int a = mid(tr[0], tr[1]), b = mid(tr[1], tr[2]), c = mid(tr[2], tr[0]);
      finer.push_back({tr[0], a, c});
      finer.push_back({tr[1], b, a});
      finer.push_back({tr[2], c, b});
      finer.push_back({a, b, c});
    }
    s.triangles.swap(finer);
  }
  return s;
}

Surface makeTorus(int nu, int nv) {
  Surface s;
  for (int i = 0; i < nu; ++i)
    for (int j = 0; j < nv; ++j) {
      const double u = 2 * M_PI * i / nu, v = 2 * M_PI * j / nv, r = 1 + 0.3 * std::cos(v);
      s.coords.insert(s.coords.end(), {r * std::cos(u), r * std::sin(u), 0.3 * std::sin(v)});
    }
  addGridTriangles(s, nu, nv, true, [&](int i, int j) { return 1 + (i % nu) * nv + (j % nv); });
  return s;
}

// The arrays of the search, the three trees, and their build times.
void prepare(Surface& s) {
  const int nf = static_cast<int>(s.triangles.size()), nn = static_cast<int>(s.coords.size() / 3);
  std::unordered_map<long long, int> edgeOf;
  edgeOf.reserve(static_cast<std::size_t>(nf) * 2);
  std::vector<std::vector<std::pair<int, int>>> at(nn + 1);
  s.facetTable.assign(10LL * nf, 0);
  double lengths = 0;
  for (int f = 0; f < nf; ++f) {
    int* column = &s.facetTable[10LL * f];
    column[0] = 3, column[1] = 3;
    double longest = 0;
    for (int k = 0; k < 3; ++k) {
      const int a = s.triangles[f][k], b = s.triangles[f][(k + 1) % 3];
      column[7 + k] = a;
      at[a].push_back({f + 1, k + 1});
      const long long key = static_cast<long long>(std::min(a, b)) * (nn + 1) + std::max(a, b);
      auto [it, fresh] = edgeOf.emplace(key, static_cast<int>(edgeOf.size()) + 1);
      const int e = it->second;
      if (fresh) {
        s.edgeTable.insert(s.edgeTable.end(), {0, a, b, 0});
        s.edgeFacets.insert(s.edgeFacets.end(), {0, 0});
      }
      s.edgeFacets[2LL * (e - 1) + s.edgeTable[4LL * (e - 1)]] = f + 1;
      ++s.edgeTable[4LL * (e - 1)];
      column[3 + k] = e;
      const P3 pa = s.node(a), pb = s.node(b);
      const double l = std::hypot(pa[0] - pb[0], pa[1] - pb[1], pa[2] - pb[2]);
      longest = std::max(longest, l);
      lengths += l;
    }
    s.facetSize.push_back(longest);
    s.elements.push_back(f + 1);
  }
  s.h = lengths / (3.0 * nf);
  s.surfaceSize = *std::max_element(s.facetSize.begin(), s.facetSize.end());
  std::size_t most = 0;
  for (const auto& list : at) most = std::max(most, list.size());
  s.ldNodeFacets = static_cast<int>(2 * most + 1);
  s.nodeFacets.assign(static_cast<std::size_t>(s.ldNodeFacets) * nn, 0);
  for (int n = 1; n <= nn; ++n) {
    int* column = &s.nodeFacets[static_cast<std::size_t>(s.ldNodeFacets) * (n - 1)];
    const int m = static_cast<int>(at[n].size());
    column[0] = m;
    for (int i = 0; i < m; ++i) column[1 + i] = at[n][i].first, column[1 + m + i] = at[n][i].second;
  }
  s.nodeDistance.assign(nn, 0.0);
  s.bound.assign(nf, 0.0);
  s.candidates.assign(nf, 0);
  // Our rigid tree, sized for the build's peak.
  const long long peak = 4 + 60LL * nf + 1000;
  s.block.assign(static_cast<std::size_t>(peak), 0.0);
  const int offset = 0, three = 3;
  const double margin = s.h;
  s.buildOurs = 1e300;
  for (int round = 0; round < 2; ++round) {
    int capacity = static_cast<int>(peak);
    s.buildOurs = std::min(s.buildOurs, seconds([&] {
      const int ten = 10;
      SHR_CREATESRCHDBDEFVSRIGID(&nf, s.facetTable.data(), &ten, &offset, s.coords.data(), &three, s.block.data(),
                                 reinterpret_cast<int*>(s.block.data()), &capacity, &margin);
    }));
  }
  s.buildDeformable = seconds([&] {
    const int ten = 10;
    SHR_CREATESRCHDBDEFVSDEF(&nf, s.facetTable.data(), &ten, &offset, s.coords.data(), &three, &margin);
  });
  for (const auto& t : s.triangles) {
    const P3 a = s.node(t[0]), b = s.node(t[1]), c = s.node(t[2]);
    s.cgal.emplace_back(Kernel::Point_3(a[0], a[1], a[2]), Kernel::Point_3(b[0], b[1], b[2]),
                        Kernel::Point_3(c[0], c[1], c[2]));
  }
  s.buildCgal = 1e300;
  for (int round = 0; round < 2; ++round) {
    s.buildCgal = std::min(s.buildCgal, seconds([&] {
      s.tree = std::make_unique<AabbTree>(s.cgal.cbegin(), s.cgal.cend());
      s.tree->accelerate_distance_queries();
    }));
  }
  s.buildEmbree = seconds([&] {
    s.device = rtcNewDevice("threads=1");
    s.scene = rtcNewScene(s.device);
    RTCGeometry g = rtcNewGeometry(s.device, RTC_GEOMETRY_TYPE_TRIANGLE);
    auto* v = static_cast<float*>(rtcSetNewGeometryBuffer(g, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3,
                                                          3 * sizeof(float), s.coords.size() / 3));
    for (std::size_t k = 0; k < s.coords.size(); ++k) v[k] = static_cast<float>(s.coords[k]);
    auto* ix = static_cast<unsigned*>(rtcSetNewGeometryBuffer(g, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3,
                                                              3 * sizeof(unsigned), s.triangles.size()));
    for (std::size_t f = 0; f < s.triangles.size(); ++f)
      for (int k = 0; k < 3; ++k) ix[3 * f + k] = static_cast<unsigned>(s.triangles[f][k] - 1);
    rtcCommitGeometry(g);
    rtcAttachGeometry(s.scene, g);
    rtcReleaseGeometry(g);
    rtcCommitScene(s.scene);
  });
}

// ---- Queries ----------------------------------------------------------------------------------------

struct Contact {
  int kind = 0, entity = 0, count = 0;
  double real[44];
  double slots[48];
};

double ours(Surface& s, const P3& p, Contact& c) {
  const int nf = static_cast<int>(s.triangles.size()), nn = static_cast<int>(s.coords.size() / 3);
  const int ldFacet = 10, ldEdge = 4, nfree = 0, offset = 0, unused = 0, three = 3, split = 0, quadratic = 0;
  const int noDisp = 0;
  const double extension = 0.1, scale = 0.0;
  FACETEDRIGIDSURFSEARCH(&nf, s.elements.data(), s.facetTable.data(), &ldFacet, s.edgeTable.data(), &ldEdge,
                         s.edgeFacets.data(), s.nodeFacets.data(), &unused, &nfree, s.facetSize.data(),
                         &s.surfaceSize, &nn, &offset, &unused, &s.ldNodeFacets, p.data(), s.coords.data(), &three,
                         s.nodeDistance.data(), s.bound.data(), s.candidates.data(), c.slots, c.real, &split,
                         &quadratic, "BENCH   ", 8, &c.kind, &c.entity, &c.count, &extension, s.block.data(), &scale,
                         &scale, &noDisp);
  return c.real[0];
}

// Embree's closest point: the query radius shrinks to each nearer triangle.
struct EmbreeQuery {
  const Surface* s;
  P3 p;
  double best;
  P3 foot;
};

bool closestCallback(RTCPointQueryFunctionArguments* args) {
  auto* q = static_cast<EmbreeQuery*>(args->userPtr);
  const auto& t = q->s->triangles[args->primID];
  const P3 f = zmxtest::closestOnTriangle(q->p, q->s->node(t[0]), q->s->node(t[1]), q->s->node(t[2]));
  const double d = std::hypot(f[0] - q->p[0], f[1] - q->p[1], f[2] - q->p[2]);
  if (d < q->best) {
    q->best = d;
    q->foot = f;
    args->query->radius = static_cast<float>(d);
    return true;
  }
  return false;
}

double embree(const Surface& s, const P3& p, double radius) {
  EmbreeQuery q{&s, p, 1e300, {}};
  RTCPointQuery query;
  query.x = static_cast<float>(p[0]), query.y = static_cast<float>(p[1]), query.z = static_cast<float>(p[2]);
  query.radius = static_cast<float>(radius);
  query.time = 0.f;
  RTCPointQueryContext context;
  rtcInitPointQueryContext(&context);
  rtcPointQuery(s.scene, &query, &context, closestCallback, &q);
  return q.best;
}

double cgalDistance(const Surface& s, const P3& p, const Kernel::Point_3* hint, Kernel::Point_3* out) {
  const Kernel::Point_3 q(p[0], p[1], p[2]);
  const Kernel::Point_3 f = hint != nullptr ? s.tree->closest_point(q, *hint) : s.tree->closest_point(q);
  if (out != nullptr) *out = f;
  return std::sqrt(CGAL::to_double(CGAL::squared_distance(q, f)));
}

// Cold points within half an edge of the surface; warm paths of 0.2-edge steps.
struct Workload {
  std::vector<P3> cold;
  std::vector<std::vector<P3>> paths;
};

Workload workload(const Surface& s, int coldCount, int paths, int steps) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> d(0, 1);
  const auto onSurface = [&](P3& p) {
    const auto& t = s.triangles[rng() % s.triangles.size()];
    double a = d(rng), b = d(rng);
    if (a + b > 1) a = 1 - a, b = 1 - b;
    const P3 x = s.node(t[0]), y = s.node(t[1]), z = s.node(t[2]);
    P3 n = {(y[1] - x[1]) * (z[2] - x[2]) - (y[2] - x[2]) * (z[1] - x[1]),
            (y[2] - x[2]) * (z[0] - x[0]) - (y[0] - x[0]) * (z[2] - x[2]),
            (y[0] - x[0]) * (z[1] - x[1]) - (y[1] - x[1]) * (z[0] - x[0])};
    const double l = std::hypot(n[0], n[1], n[2]), off = s.h * (d(rng) - 0.5);
    for (int i = 0; i < 3; ++i) p[i] = x[i] + a * (y[i] - x[i]) + b * (z[i] - x[i]) + off * n[i] / l;
  };
  Workload w;
  w.cold.resize(coldCount);
  for (P3& p : w.cold) onSurface(p);
  for (int k = 0; k < paths; ++k) {
    std::vector<P3> path(steps);
    onSurface(path[0]);
    for (int i = 1; i < steps; ++i) {
      P3 step = {d(rng) - 0.5, d(rng) - 0.5, d(rng) - 0.5};
      const double l = std::hypot(step[0], step[1], step[2]);
      for (int c = 0; c < 3; ++c) path[i][c] = path[i - 1][c] + 0.2 * s.h * step[c] / l;
    }
    w.paths.push_back(path);
  }
  return w;
}

// Every answer, cold and warm, against CGAL's: none farther by more than 1e-9 h; a nearer one only
// for a face accepted within its 0.001 parametric tolerance. A miss fails the run.
double ours(Surface& s, const P3& p, Contact& c);

bool agrees(const Surface& s, const P3& p, const Contact& c, double ourDistance) {
  const double exact = cgalDistance(s, p, nullptr, nullptr), a = std::fabs(ourDistance);
  return c.kind != 0 && a <= exact + 1e-9 * s.h && (a >= exact - 1e-9 * s.h || (c.kind == 3 && a >= exact - 0.002 * s.h));
}

void check(const Surface& s, const P3& p, const Contact& c, double ourDistance) {
  const double exact = cgalDistance(s, p, nullptr, nullptr), a = std::fabs(ourDistance);
  if (agrees(s, p, c, ourDistance)) return;
  Contact fresh;
  const double again = ours(const_cast<Surface&>(s), p, fresh);
  std::fprintf(stderr, "contact_search: answer %.12g (kind %d, entity %d; cold %.12g kind %d) against %.12g at (%g, %g, %g)\n", a,
               c.kind, c.entity, std::fabs(again), fresh.kind, exact, p[0], p[1], p[2]);
  std::exit(1);
}

std::map<std::pair<int, int>, std::unique_ptr<Surface>> gSurfaces;

Surface& surface(int shape, int size) {
  auto& slot = gSurfaces[{shape, size}];
  if (!slot) {
    slot = std::make_unique<Surface>(shape == 0 ? makeSphere(size == 5 ? 6 : 8) : makeTorus(size == 5 ? 224 : 708,
                                                                                               size == 5 ? 224 : 708));
    prepare(*slot);
  }
  return *slot;
}

void cold(benchmark::State& state, int shape, int size) {
  Surface& s = surface(shape, size);
  const Workload w = workload(s, 100000, 0, 0);
  Contact c;
  for (const P3& p : w.cold) {
    c.kind = 0;
    check(s, p, c, ours(s, p, c));
  }
  std::size_t k = 0;
  const auto oursCall = [&] {
    const P3& p = w.cold[k++ % w.cold.size()];
    c.kind = 0;
    benchmark::DoNotOptimize(ours(s, p, c));
  };
  std::size_t j = 0;
  zmxbench::runWithRatio(state, "CGAL 5.5 AABB_tree, accelerated", 2.0, oursCall, [&] {
    benchmark::DoNotOptimize(cgalDistance(s, w.cold[j++ % w.cold.size()], nullptr, nullptr));
  });
  std::size_t e = 0;
  const double embreeTime = zmxbench::secondsPerCall([&] {
    benchmark::DoNotOptimize(embree(s, w.cold[e++ % w.cold.size()], 1e30));
  });
  state.counters["vs_embree"] = zmxbench::secondsPerCall(oursCall) / embreeTime;
  state.counters["facets"] = static_cast<double>(s.triangles.size());
}

double warmSeconds(Surface& s, const Workload& w, bool checked) {
  Contact c;
  std::size_t path = 0, step = 0;
  const auto call = [&] {
    const auto& pts = w.paths[path % w.paths.size()];
    if (step == 0) c.kind = 0;
    const double d = ours(s, pts[step], c);
    benchmark::DoNotOptimize(d);
    if (++step == pts.size()) step = 0, ++path;
  };
  if (checked)
    for (const auto& pts : w.paths) {
      c.kind = 0;
      for (const P3& p : pts) check(s, p, c, ours(s, p, c));
    }
  return zmxbench::secondsPerCall(call);
}

std::map<int, double> gWarmSphere;

void warm(benchmark::State& state, int shape, int size) {
  Surface& s = surface(shape, size);
  const Workload w = workload(s, 0, 1000, 100);
  const double oursTime = warmSeconds(s, w, true);
  state.counters["warm_answers"] = static_cast<double>(w.paths.size() * (w.paths[0].size() - 1));
  if (shape == 0) gWarmSphere[size] = oursTime;
  // CGAL with the previous answer as hint; Embree with the radius from the previous answer.
  std::size_t path = 0, step = 0;
  Kernel::Point_3 hint;
  const double cgalTime = zmxbench::secondsPerCall([&] {
    const auto& pts = w.paths[path % w.paths.size()];
    const double d = cgalDistance(s, pts[step], step == 0 ? nullptr : &hint, &hint);
    benchmark::DoNotOptimize(d);
    if (++step == pts.size()) step = 0, ++path;
  });
  path = step = 0;
  double radius = 1e30;
  const double embreeTime = zmxbench::secondsPerCall([&] {
    const auto& pts = w.paths[path % w.paths.size()];
    radius = embree(s, pts[step], step == 0 ? 1e30 : radius + 0.3 * s.h);
    if (++step == pts.size()) step = 0, ++path;
  });
  for (auto _ : state) benchmark::DoNotOptimize(oursTime);
  zmxbench::reportRatio(state, "CGAL 5.5 AABB_tree with the previous answer as hint", 1.0, oursTime / cgalTime);
  state.counters["vs_embree"] = oursTime / embreeTime;
  if (size == 6 && gWarmSphere.count(5) && shape == 0) state.counters["vs_1e5"] = oursTime / gWarmSphere[5];
}

void build(benchmark::State& state, int shape, int size) {
  Surface& s = surface(shape, size);
  for (auto _ : state) benchmark::DoNotOptimize(s.buildOurs);
  zmxbench::reportRatio(state, "CGAL 5.5 AABB_tree build with accelerate_distance_queries", 1.0,
                        s.buildOurs / s.buildCgal);
  state.counters["vs_embree"] = s.buildOurs / s.buildEmbree;
  state.counters["deformable_vs_cgal"] = s.buildDeformable / s.buildCgal;
  state.counters["ours_ms"] = 1e3 * s.buildOurs;
  state.counters["cgal_ms"] = 1e3 * s.buildCgal;
}

const int kRegistered = [] {
  const char* shapes[2] = {"Sphere", "Torus"};
  for (int size : {5, 6})
    for (int shape = 0; shape < 2; ++shape) {
      const std::string name = std::string(shapes[shape]) + (size == 5 ? "1e5" : "1e6");
      benchmark::RegisterBenchmark(("BM_Build" + name).c_str(), build, shape, size)->Iterations(1);
      benchmark::RegisterBenchmark(("BM_Cold" + name).c_str(), cold, shape, size)->Iterations(1);
      benchmark::RegisterBenchmark(("BM_Warm" + name).c_str(), warm, shape, size)->Iterations(1);
    }
  return 0;
}();

}  // namespace
