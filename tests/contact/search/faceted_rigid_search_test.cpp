// The faceted rigid-surface search against the exact closest point (brute force over facets):
// a closed sphere cold and warm, an open plate's free edges with the extension, a degenerate facet
// with its message, displaced coordinates, the positions a call writes, and the stamps.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <tuple>
#include <vector>

#include "contact/search/search_stamps.h"
#include "runtime/record.h"
#include "siblings/eqc/testing.h"
#include "tests/contact/search/rigid_surface_harness.h"
#include "tests/support/closest_point.h"
#include "tests/support/host_fixture.h"
#include "zmx/contact.h"

namespace {

using FacetedRigidSearch = zmxtest::HostFixture;
using zmxtest::Point3;
using rigid_test::Surface;
using rigid_test::sphere;
using rigid_test::torus;

TEST_F(FacetedRigidSearch, ASphereColdAndWarmAgainstTheExactClosestPoint) {
  Surface s = sphere(12, 24);
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> d(-1, 1);
  int kinds[4] = {0, 0, 0, 0};
  for (int trial = 0; trial < 300; ++trial) {
    Point3 p = {d(rng), d(rng), d(rng)};
    // Within half the tree's margin of the surface, where the boxes holding the point hold every
    // facet near enough to matter.
    const double l = std::hypot(p[0], p[1], p[2]), r = 1.0 + 0.09 * d(rng);
    for (double& c : p) c *= r / l;
    Surface::Result cold;
    s.search(p, cold);
    double exact;
    const Point3 q = s.closest(p, exact);
    ASSERT_GE(cold.kind, 1) << trial;
    ++kinds[cold.kind];
    // A foot within 0.001 of a facet's parametric range counts as on it: the exact closest point to
    // that accuracy.
    EXPECT_NEAR(std::fabs(cold.distance()), exact, 1e-6) << trial << " kind " << cold.kind;
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(cold.foot()[i], q[i], 1e-3) << trial;
    // Outside the sphere the point is in front of the surface: negative.
    const bool outside = std::hypot(p[0], p[1], p[2]) > std::hypot(q[0], q[1], q[2]);
    if (exact > 1e-9) {
      EXPECT_EQ(cold.distance() < 0, outside) << trial;
    }
    // Only the named positions change.
    for (int k = 2; k <= 7; ++k) EXPECT_EQ(cold.real[k - 1], 777.0);
    for (int k = 45; k <= 50; ++k) EXPECT_EQ(cold.real[k - 1], 777.0);
    for (int k = 1; k <= 44; ++k) EXPECT_EQ(cold.slots[k - 1], 555.0);
    // Warm: a small step from here, handing the contact back, equals a cold search there.
    Surface::Result warm = cold;
    Point3 next = p;
    for (int step = 0; step < 5; ++step) {
      for (double& c : next) c += 0.005 * d(rng);
      s.search(next, warm);
      Surface::Result again;
      s.search(next, again);
      EXPECT_NEAR(warm.distance(), again.distance(), 1e-12) << trial;
      EXPECT_EQ(warm.count, step + 2);
    }
  }
  EXPECT_GT(kinds[3], 50);
  EXPECT_GT(kinds[2] + kinds[1], 3);
}


// Paths of small steps near a torus of long thin facets, the contact handed back at every step:
// the warm answer is the exact closest point (a face accepted within 0.001 of its facet may lie a
// little nearer) and the cold search's. The walk alone, which ends at the node nearest among its
// neighbours, misses the facet that holds the closest point at about one step in twelve here.
TEST_F(FacetedRigidSearch, ATorusWarmAlongPathsOfSmallStepsFindsTheExactClosestPoint) {
  Surface s = torus(12, 48);
  const double h = rigid_test::meanSide(s);
  s.finish(h);
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> d(-1, 1);
  int answers = 0, kinds[6] = {};
  for (int path = 0; path < 150; ++path) {
    const auto& t = s.triangles[rng() % s.triangles.size()];
    Point3 p{};
    for (int k = 0; k < 3; ++k)
      for (int c = 0; c < 3; ++c) p[c] += s.coords[3 * (t[k] - 1) + c] / 3;
    Surface::Result warm;
    for (int step = 0; step < 40; ++step) {
      for (double& c : p) c += 0.2 * h * d(rng) / std::sqrt(3.0);
      double exact;
      s.closest(p, exact);
      if (exact > 0.5 * h) continue;  // within half an edge of the surface
      const bool walked = warm.kind != 0;
      s.search(p, warm);
      Surface::Result cold;
      s.search(p, cold);
      ASSERT_GE(warm.kind, 1);
      ++kinds[warm.kind];
      answers += walked ? 1 : 0;
      EXPECT_LE(std::fabs(warm.distance()), exact + 1e-12) << path << " " << step;
      EXPECT_GE(std::fabs(warm.distance()), exact - 1e-3 * h) << path << " " << step;
      EXPECT_NEAR(warm.distance(), cold.distance(), 1e-12) << path << " " << step;
    }
  }
  EXPECT_GT(answers, 4000);
  EXPECT_GT(kinds[2], 100);
  EXPECT_GT(kinds[3], 1000);
}

TEST_F(FacetedRigidSearch, AnOpenPlateExtendsByAFractionOfItsFacetsAndEndsThere) {
  Surface s;
  for (int i = 0; i <= 4; ++i)
    for (int j = 0; j <= 4; ++j) s.coords.insert(s.coords.end(), {static_cast<double>(i), static_cast<double>(j), 0.0});
  const auto n = [](int i, int j) { return 1 + 5 * i + j; };
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      s.triangles.push_back({n(i, j), n(i + 1, j), n(i + 1, j + 1)});
      s.triangles.push_back({n(i, j), n(i + 1, j + 1), n(i, j + 1)});
    }
  s.finish(0.5);
  // Beyond the free edge x = 4, within the extension (0.1 x facet size 2 = 0.2): edge contact over
  // the extended surface, distance along the normal, foot P + h n.
  Surface::Result r;
  s.search({4.15, 2.3, 0.5}, r);
  EXPECT_EQ(r.kind, 2);
  EXPECT_NEAR(r.distance(), -0.5, 1e-14);
  EXPECT_NEAR(r.foot()[0], 4.15, 1e-14);
  EXPECT_NEAR(r.foot()[2], 0.0, 1e-14);
  EXPECT_EQ(r.count, 1);
  // Farther out: no contact, the count back to 0.
  s.search({4.5, 2.3, 0.5}, r);
  EXPECT_EQ(r.kind, 0);
  EXPECT_EQ(r.distance(), -1e36);
  EXPECT_EQ(r.count, 0);
  // Beyond a corner, beyond both facets and edges but within the extension: vertex contact over
  // the extended surface.
  s.search({4.12, 4.12, -0.3}, r);
  EXPECT_EQ(r.kind, 1);
  EXPECT_EQ(r.entity, n(4, 4));
  EXPECT_NEAR(r.distance(), 0.3, 1e-14);
  // Above the interior: a face, distance -h; a point on the plate ends at once with 0.
  s.search({1.3, 2.6, 0.7}, r);
  EXPECT_EQ(r.kind, 3);
  EXPECT_NEAR(r.distance(), -0.7, 1e-14);
  s.search({1.3, 2.6, 0.0}, r);
  EXPECT_EQ(r.kind, 3);
  EXPECT_EQ(r.distance(), 0.0);
  // An unset point and a stale previous contact give no contact.
  s.search({1e36, 0, 0}, r);
  EXPECT_EQ(r.kind, 0);
  r.kind = 3, r.entity = 999;
  s.search({1, 1, 1}, r);
  EXPECT_EQ(r.kind, 0);
  // Displaced coordinates equal a search over coordinates displaced beforehand.
  std::mt19937 rng(2);
  std::uniform_real_distribution<double> d(-0.1, 0.1);
  std::vector<double> disp(s.coords.size()), moved = s.coords;
  for (std::size_t k = 0; k < disp.size(); ++k) disp[k] = d(rng), moved[k] += 0.5 * disp[k];
  for (const Point3& p : {Point3{1.3, 2.6, 0.4}, Point3{4.1, 1.5, 0.2}, Point3{2.0, 2.0, -0.3}}) {
    Surface::Result a, b;
    s.search(p, a, 0.1, &disp, 0.5);
    s.search(p, b, 0.1, nullptr, 0.0, &moved);
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_NEAR(a.distance(), b.distance(), 1e-14);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(a.foot()[i], b.foot()[i], 1e-14);
  }
}

TEST_F(FacetedRigidSearch, ADegenerateFacetIsReportedWithItsElement) {
  Surface s;
  s.coords = {0, 0, 0, 1, 0, 0, 2, 0, 0, 0, 1, 0};
  s.triangles = {{1, 2, 3}, {1, 2, 4}};
  s.finish(0.5);
  eqc_testing::clearMessages();
  Surface::Result r;
  s.search({1.0, 0.0, 0.3}, r);
  const auto messages = eqc_testing::messages();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages[0].level, -2);
  EXPECT_EQ(messages[0].text,
            "A FACET OF SURFACE RIGID WITH UNDERLYING ELEMENT 1001 HAS A ZERO NORMAL VECTOR OR COINCIDENT TANGENT "
            "VECTORS. CHECK CONNECTIVITY OF THE UNDERLYING ELEMENT.");
  EXPECT_EQ(eqc_testing::filed(-2124), std::vector<int>{1001});
  // A point on node 3, which only the degenerate facet holds: no face takes it, its free edge
  // from node 2 does, at distance 0 with the point itself as its foot.
  Surface::Result on;
  s.search({2.0, 0.0, 0.0}, on);
  EXPECT_EQ(std::make_pair(on.kind, on.entity), std::make_pair(2, 2));
  EXPECT_EQ(on.distance(), 0.0);
  EXPECT_EQ(on.foot(), (Point3{2.0, 0.0, 0.0}));
}

TEST_F(FacetedRigidSearch, StampsSurviveTheirEpochWrapping) {
  zmx::contact::SearchStamps stamps(3);
  stamps.begin(4, 2);
  stamps.markNode(2);
  EXPECT_TRUE(stamps.markFacet(1));
  EXPECT_FALSE(stamps.markFacet(1));
  stamps.begin(4, 2);
  EXPECT_FALSE(stamps.nodeCurrent(2));
  EXPECT_TRUE(stamps.markFacet(1));
  stamps.begin(6, 2);  // epoch 3, the last
  stamps.markNode(5);
  EXPECT_EQ(stamps.epoch(), 3u);
  stamps.begin(6, 2);  // wraps: every stamp cleared, epoch 1
  EXPECT_EQ(stamps.epoch(), 1u);
  for (int j = 1; j <= 6; ++j) EXPECT_FALSE(stamps.nodeCurrent(j));
  EXPECT_TRUE(stamps.markFacet(2));
}

}  // namespace

namespace {

// A two-dimensional polyline of 2-node segments through (0.3 k, sin 0.4 k): facets of two "edges"
// (their end nodes), every array the search reads, and its search tree.
struct Polyline {
  static constexpr int kNodes = 21, kFacets = kNodes - 1, kLdFacet = 10, kLdEdge = 4, kLdNodeFacets = 5;
  std::vector<double> coords, size = std::vector<double>(kFacets, 1.0), block = std::vector<double>(20000, 0.0);
  // Edges are the nodes (an end is shared by the segments that meet there).
  std::vector<int> facets = std::vector<int>(kLdFacet * kFacets, 0), edges = std::vector<int>(kLdEdge * kNodes, 0),
                   edgeFacets = std::vector<int>(2 * kNodes, 0), nodeFacets = std::vector<int>(kLdNodeFacets * kNodes, 0),
                   elements = std::vector<int>(kFacets), freeVertices = {1, kNodes};
  double surfaceSize = 1.0;

  Polyline() {
    for (int k = 0; k < kNodes; ++k) coords.insert(coords.end(), {0.3 * k, std::sin(0.4 * k)});
    for (int f = 1; f <= kFacets; ++f) {
      int* column = &facets[kLdFacet * (f - 1)];
      column[0] = 2, column[1] = 2, column[3] = f, column[4] = f + 1, column[7] = f, column[8] = f + 1;
      elements[f - 1] = f;
      for (int k = 0; k < 2; ++k) {
        const int n = f + k;
        int* e = &edges[kLdEdge * (n - 1)];
        edgeFacets[2 * (n - 1) + e[0]] = f;
        ++e[0], e[1] = n;
        int* at = &nodeFacets[kLdNodeFacets * (n - 1)];
        at[1 + at[0]] = f;
        ++at[0];
      }
    }
    for (int n = 1; n <= kNodes; ++n) {
      int* at = &nodeFacets[kLdNodeFacets * (n - 1)];
      for (int k = 0; k < at[0]; ++k) at[1 + at[0] + k] = facets[kLdFacet * (at[1 + k] - 1) + 7] == n ? 1 : 2;
    }
    buildTree();
  }

  void buildTree() {
    const int nf = kFacets, ld = kLdFacet, offset = 0, two = 2;
    const double margin = 0.5;
    int capacity = static_cast<int>(block.size());
    std::fill(block.begin(), block.end(), 0.0);
    SHR_CREATESRCHDBDEFVSRIGID(&nf, facets.data(), &ld, &offset, coords.data(), &two, block.data(),
                               reinterpret_cast<int*>(block.data()), &capacity, &margin);
  }

  // One search at p (two reals); real and slots hold positions 1-44 and slots 1-48 exactly.
  struct Result {
    std::vector<double> real = std::vector<double>(44, 777.0), slots = std::vector<double>(48, 0.0);
    int kind = 0, entity = 0, count = 0;
  };
  void search(const std::vector<double>& p, Result& r) {
    const int nf = kFacets, nodes = kNodes, ldFacet = kLdFacet, ldEdge = kLdEdge, ldNodeFacets = kLdNodeFacets;
    const int offset = 0, two = 2, unused = 0, nfree = 2, split = 0, quadratic = 0, noDisp = 0;
    const double extension = 0.1, scale = 0.0;
    std::vector<double> nodeDistance(nodes), bound(nf);
    std::vector<int> candidates(nf);
    FACETEDRIGIDSURFSEARCH(&nf, elements.data(), facets.data(), &ldFacet, edges.data(), &ldEdge, edgeFacets.data(),
                           nodeFacets.data(), freeVertices.data(), &nfree, size.data(), &surfaceSize, &nodes, &offset,
                           &unused, &ldNodeFacets, p.data(), coords.data(), &two, nodeDistance.data(), bound.data(),
                           candidates.data(), r.slots.data(), r.real.data(), &split, &quadratic, "LINE    ", 8, &r.kind,
                           &r.entity, &r.count, &extension, block.data(), &scale, &scale, &noDisp);
  }
};

TEST_F(FacetedRigidSearch, APolylineInTwoDimensionsAgainstTheExactClosestPoint) {
  Polyline line;
  const std::vector<double>& coords = line.coords;
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> d(0, 1);
  Polyline::Result warm;
  for (int trial = 0; trial < 200; ++trial) {
    const double x = 0.3 + 5.4 * d(rng);
    const std::vector<double> p = {x, std::sin(x / 0.3 * 0.4) + 0.4 * (d(rng) - 0.5)};
    // The exact closest point of the polyline.
    double exact = 1e300;
    for (int k = 0; k + 1 < Polyline::kNodes; ++k) {
      const double ax = coords[2 * k], ay = coords[2 * k + 1], bx = coords[2 * k + 2], by = coords[2 * k + 3];
      const double t = std::clamp(((p[0] - ax) * (bx - ax) + (p[1] - ay) * (by - ay)) /
                                      ((bx - ax) * (bx - ax) + (by - ay) * (by - ay)), 0.0, 1.0);
      exact = std::min(exact, std::hypot(p[0] - ax - t * (bx - ax), p[1] - ay - t * (by - ay)));
    }
    Polyline::Result r;
    line.search(p, r);
    ASSERT_TRUE(r.kind == 1 || r.kind == 3) << trial;  // no edge contacts in two dimensions
    EXPECT_NEAR(std::fabs(r.real[0]), exact, 1e-6) << trial;
    EXPECT_EQ(r.real[9], 0.0);  // the third foot component stays 0 in two dimensions
    // From the previous point's contact, wherever that was.
    warm.real.assign(44, 777.0);
    line.search(p, warm);
    EXPECT_NEAR(std::fabs(warm.real[0]), exact, 1e-6) << trial;
  }
}

// NaN, infinite and huge points, facet sizes and node coordinates, cold and from a previous contact,
// on a polyline and on a sphere: any answer will do, but each search ends, names a contact the
// surface holds (or none), and reads and writes nothing outside its arguments (the sanitizers
// watch the arrays, each of exactly its size; the point of a polyline has two reals).
TEST_F(FacetedRigidSearch, NonFiniteAndHugeInputStaysWithinTheArguments) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const double odd[] = {nan, inf, -inf, 1e300, -1e300};
  const auto named = [](int kind, int entity, int facets, int nodes, int edges) {
    switch (kind) {
      case 0: return entity == 0;
      case 1: return entity >= 1 && entity <= nodes;
      case 2: return entity >= 1 && entity <= edges;
      case 3: return entity >= 1 && entity <= facets;
      default: return false;
    }
  };
  {
    SCOPED_TRACE("polyline");
    const Polyline good;
    for (int round = 0; round < 3 * 5 * 3; ++round) {
      Polyline line = good;
      const double v = odd[round % 5];
      const int what = round / 5 % 3, warm = round / 15;
      std::vector<double> p = {1.4, 0.9};
      if (what == 0) p[round % 2] = v;
      if (what == 1) std::fill(line.size.begin(), line.size.end(), v);
      if (what == 2) {
        if (v == 1e300 || v == -1e300) {
          for (double& c : line.coords) c *= v;
        } else {
          line.coords[2 * 5] = v, line.coords[2 * 6 + 1] = v;
        }
        if (warm == 2) line.buildTree();
      }
      Polyline::Result r;
      if (warm > 0) r.kind = 3, r.entity = 5;
      line.search(p, r);
      EXPECT_TRUE(named(r.kind, r.entity, Polyline::kFacets, Polyline::kNodes, Polyline::kNodes)) << round;
    }
  }
  {
    SCOPED_TRACE("sphere");
    const Surface good = sphere(8, 12);
    const int facets = static_cast<int>(good.triangles.size()), nodes = static_cast<int>(good.coords.size() / 3);
    const int edges = static_cast<int>(good.edgeFacets.size() / 2);
    for (int round = 0; round < 3 * 5 * 3; ++round) {
      Surface s = good;
      const double v = odd[round % 5];
      const int what = round / 5 % 3, warm = round / 15;
      Point3 p = {0.3, 0.5, 0.9};
      if (what == 0) p[round % 3] = v;
      if (what == 1) std::fill(s.facetSize.begin(), s.facetSize.end(), v);
      if (what == 2) {
        if (v == 1e300 || v == -1e300) {
          for (double& c : s.coords) c *= v;
        } else {
          s.coords[3 * 4] = v, s.coords[3 * 9 + 2] = v;
        }
        if (warm == 2) s.buildTree(0.2);
      }
      Surface::Result r;
      if (warm > 0) r.kind = 3, r.entity = 7;
      s.search(p, r);
      EXPECT_TRUE(named(r.kind, r.entity, facets, nodes, edges)) << round;
    }
    // Facets near the point naming nodes beyond the node count or below the offset, read with
    // plain and with displaced coordinates, cold and warm: nothing is read for those nodes.
    Surface s = good;
    s.facetTable[Surface::kLdFacet * 2 + 8] = nodes + 3;
    s.facetTable[Surface::kLdFacet * 3 + 8] = 0;
    const std::vector<double> disp(good.coords.size(), 0.01);
    for (int round = 0; round < 4; ++round) {
      Surface::Result r;
      if (round % 2 == 1) r.kind = 3, r.entity = 3;
      s.search({0.1, 0.05, 1.05}, r, 0.1, round < 2 ? nullptr : &disp, 1.0);
      EXPECT_TRUE(named(r.kind, r.entity, facets, nodes, edges)) << round;
    }
  }
}

}  // namespace

namespace {

// One split quadratic facet held in the caller's arrays: its column names its edges 1, 2, ... and
// its nodes 1, 2, ..., each node lies on facet 1 as its own local node, and the search block is
// made at once. A search gives the contact's kind and entity, its real results and its slots.
struct SplitFacet {
  static constexpr int nf = 1, ldEdge = 4, ldNodeFacets = 3, offset = 0, unused = 0, split = 1, quadratic = 1,
                       noDisp = 0;
  static constexpr double margin = 0.5, extension = 0.1, scale = 0.0;
  std::vector<double> coords;
  int dim, ldFacet;
  std::vector<int> edges, edgeFacets, freeVertices, elements;
  std::vector<double> size;
  const char* name;
  std::size_t realWords, slotWords;
  int nodes = static_cast<int>(coords.size()) / dim, nfree = static_cast<int>(freeVertices.size());
  std::vector<int> facets = {}, nodeFacets = {};
  std::vector<double> block = std::vector<double>(1000, 0.0);

  struct Found {
    int kind = 0, entity = 0;
    std::vector<double> real, slots;
  };

  void create() {
    const int edgeCount = static_cast<int>(edgeFacets.size()) / 2;
    facets.assign(ldFacet, 0);
    facets[0] = edgeCount, facets[1] = nodes;
    for (int k = 0; k < edgeCount; ++k) facets[3 + k] = k + 1;
    for (int k = 0; k < nodes; ++k) facets[7 + k] = k + 1;
    for (int n = 1; n <= nodes; ++n) nodeFacets.insert(nodeFacets.end(), {1, 1, n});
    int capacity = 1000;
    SHR_CREATESRCHDBDEFVSRIGID(&nf, facets.data(), &ldFacet, &offset, coords.data(), &dim, block.data(),
                               reinterpret_cast<int*>(block.data()), &capacity, &margin);
  }

  Found search(const double* p) {
    Found f{0, 0, std::vector<double>(realWords, 0.0), std::vector<double>(slotWords, 0.0)};
    std::vector<double> nodeDistance(nodes), bound(nf);
    std::vector<int> candidates(nf);
    int count = 0;
    FACETEDRIGIDSURFSEARCH(&nf, elements.data(), facets.data(), &ldFacet, edges.data(), &ldEdge, edgeFacets.data(),
                           nodeFacets.data(), freeVertices.data(), &nfree, size.data(), &size[0], &nodes, &offset,
                           &unused, &ldNodeFacets, p, coords.data(), &dim, nodeDistance.data(), bound.data(),
                           candidates.data(), f.slots.data(), f.real.data(), &split, &quadratic, name, 8, &f.kind,
                           &f.entity, &count, &extension, block.data(), &scale, &scale, &noDisp);
    return f;
  }
};

// One flat 6-node triangle searched through its three sub-quadrilaterals.
TEST_F(FacetedRigidSearch, ASplitSixNodeTriangleAnswersFromItsSubFacets) {
  SplitFacet t{.coords = {0, 0, 0, 2, 0, 0, 0, 2, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}, .dim = 3, .ldFacet = 16,
               .edges = {1, 1, 4, 2, 1, 2, 5, 3, 1, 3, 6, 1}, .edgeFacets = {1, 0, 1, 0, 1, 0},
               .freeVertices = {1, 2, 3, 4, 5, 6}, .elements = {7}, .size = {3.0}, .name = "T6      ",
               .realWords = 50, .slotWords = 50};
  t.create();
  for (const auto& [x, y, corner] : {std::tuple{0.3, 0.3, 1}, {1.5, 0.2, 2}, {0.2, 1.5, 3}, {2.0 / 3, 2.0 / 3, 0}}) {
    const double p[3] = {x, y, 0.4};
    const SplitFacet::Found f = t.search(p);
    EXPECT_EQ(f.kind, 3);
    EXPECT_NEAR(f.real[0], -0.4, 1e-12);
    EXPECT_NEAR(f.real[7], x, 1e-12);
    EXPECT_NEAR(f.real[8], y, 1e-12);
    if (corner != 0) {
      EXPECT_EQ(rec::slotI(f.slots.data(), 47), corner);
    }
  }
}

// One 3-node line in two dimensions, from (0, 0) through (1, 0) to (2, 0), split into its two
// halves: a point just beyond either free end, within the tolerance of the half there, projects
// onto that half (its local coordinate beyond -1 or 1) and the face contact stands.
TEST_F(FacetedRigidSearch, ASplitThreeNodeLineInTwoDimensionsStandsBeyondItsFreeEnds) {
  SplitFacet l{.coords = {0, 0, 1, 0, 2, 0}, .dim = 2, .ldFacet = 10, .edges = {1, 1, 0, 0, 1, 3, 0, 0},
               .edgeFacets = {1, 0, 1, 0}, .freeVertices = {1, 3}, .elements = {9}, .size = {2.0},
               .name = "L3      ", .realWords = 44, .slotWords = 48};
  l.create();
  for (const auto& [x, half] : {std::pair{-0.05, 1}, {2.05, 2}}) {
    const double p[2] = {x, 0.3};
    const SplitFacet::Found f = l.search(p);
    EXPECT_EQ(std::make_pair(f.kind, f.entity), std::make_pair(3, 1)) << x;
    EXPECT_EQ(rec::slotI(f.slots.data(), 47), half);
    EXPECT_NEAR(f.real[0], -0.3, 1e-12);
    EXPECT_NEAR(f.real[7], x, 1e-12);
    EXPECT_NEAR(f.real[8], 0.0, 1e-12);
    EXPECT_NEAR(std::fabs(f.real[42]), 1.1, 1e-12);
  }
}

}  // namespace
