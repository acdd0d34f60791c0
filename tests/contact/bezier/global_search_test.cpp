// The global Bezier search on closed and open surfaces: the chosen kind and distance against
// CGAL's distances to the triangulation of the corner nodes (the geometry it measures), lower
// bounds against the true distance to each corner triangle, independence of the patch
// numbering, and the rules that make the candidate list.

#include <gtest/gtest.h>

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <set>
#include <vector>

#include "tests/support/bezier_surface.h"
#include "tests/support/host_fixture.h"
#include "zmx/contact/bezier_search.h"
#include "zmx/geometry/bezier.h"

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using zmxtest::BezierSurface;
using zmxtest::Vec3;

Vec3 sub(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Real dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec3 unit(const Vec3& a) {
  const Real n = std::sqrt(dot(a, a));
  return {a[0] / n, a[1] / n, a[2] / n};
}
Kernel::Point_3 point(const Vec3& a) { return {a[0], a[1], a[2]}; }

struct Search {
  Int kind = -1, patch = -1, length = 0;
  Real distance = 0;
  Vec3 foot{};
  Real frame[12] = {};
  std::vector<Int> list;
  std::vector<Real> bounds;
};

Search globalSearch(const BezierSurface& s, const Vec3& p, Real radius, Real margin, std::vector<Int> listIn = {},
                    Real unsetBound = 0.0) {
  Search r;
  r.list = listIn;
  r.list.resize(static_cast<std::size_t>(s.patchCount), 0);
  r.length = static_cast<Int>(listIn.size());
  r.bounds.assign(static_cast<std::size_t>(s.patchCount), unsetBound);
  std::vector<Real> work(static_cast<std::size_t>(s.nodeCount + 2 * s.edgeCount));
  GLBSCH(s.nodes.data(), s.patches.data(), s.patchData.data(), s.edges.data(), s.nodePatches.data(),
         s.patchEdges.data(), &s.edgeCount, &s.ld, p.data(), r.list.data(), &r.length, &s.patchCount, &s.nodeCount,
         r.bounds.data(), &r.distance, &r.kind, &radius, work.data(), r.foot.data(), r.frame, &margin, &r.patch);
  r.list.resize(static_cast<std::size_t>(r.length));
  return r;
}

class GlobalSearch : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    const Int patches = 0;
    BEZCMN(&patches);
  }
};

BezierSurface sphere(int n = 2) {
  return zmxtest::buildBezierSurface(zmxtest::icosphereMesh(n), [](const Vec3& p) { return unit(p); });
}

// Closest point of p on triangle abc and the feature it lies on: 0 interior, 1-3 a vertex,
// 4-6 the edge ab, bc, ca.
struct TriangleFoot {
  Vec3 x;
  int feature;
};

TriangleFoot closestOnTriangle(const Vec3& p, const Vec3& a, const Vec3& b, const Vec3& c) {
  const Vec3 ab = sub(b, a), ac = sub(c, a), ap = sub(p, a);
  auto at = [&](Real v, Real w) { return Vec3{a[0] + v * ab[0] + w * ac[0], a[1] + v * ab[1] + w * ac[1], a[2] + v * ab[2] + w * ac[2]}; };
  const Real d1 = dot(ab, ap), d2 = dot(ac, ap);
  if (d1 <= 0 && d2 <= 0) return {a, 1};
  const Vec3 bp = sub(p, b);
  const Real d3 = dot(ab, bp), d4 = dot(ac, bp);
  if (d3 >= 0 && d4 <= d3) return {b, 2};
  const Real vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return {at(d1 / (d1 - d3), 0), 4};
  const Vec3 cp = sub(p, c);
  const Real d5 = dot(ab, cp), d6 = dot(ac, cp);
  if (d6 >= 0 && d5 <= d6) return {c, 3};
  const Real vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return {at(0, d2 / (d2 - d6)), 6};
  const Real va = d3 * d6 - d5 * d4;
  if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0) {
    const Real w = (d4 - d3) / ((d4 - d3) + (d5 - d6));
    return {at(1 - w, w), 5};
  }
  const Real denom = 1 / (va + vb + vc);
  return {at(vb * denom, vc * denom), 0};
}

Vec3 corner(const BezierSurface& s, Int patch, int k) { return s.node(s.patchEntry(patch, 4 + k)); }

Real distanceToLine(const Vec3& x, const Vec3& a, const Vec3& b) {
  const Vec3 d = sub(b, a), r = sub(x, a);
  const Real t = dot(r, d) / dot(d, d);
  return zmxtest::distance(x, {a[0] + t * d[0], a[1] + t * d[1], a[2] + t * d[2]});
}

Real edgeTolerance(const BezierSurface& s) {
  Real sum = 0;
  for (Int e = 0; e < s.edgeCount; ++e) sum += zmxtest::distance(s.node(s.edges[5 * e + 1]), s.node(s.edges[5 * e + 2]));
  return 0.01 * sum / s.edgeCount;
}

// The nearest point of the corner triangulation and its kind (1 vertex, 2 edge, 3 patch), or 0
// when the point lies too near the border between kinds for the edge tolerance la.
struct Nearest {
  Real distance = 1e300;
  int kind = 0;
};

Nearest nearestOnTriangulation(const BezierSurface& s, const Vec3& p, Real la) {
  Nearest best;
  Int bestPatch = 0;
  TriangleFoot bestFoot{};
  for (Int patch = 1; patch <= s.patchCount; ++patch) {
    const Kernel::Triangle_3 t(point(corner(s, patch, 0)), point(corner(s, patch, 1)), point(corner(s, patch, 2)));
    const Real d = std::sqrt(CGAL::to_double(CGAL::squared_distance(point(p), t)));
    if (d < best.distance) best.distance = d, bestPatch = patch;
  }
  bestFoot = closestOnTriangle(p, corner(s, bestPatch, 0), corner(s, bestPatch, 1), corner(s, bestPatch, 2));
  EXPECT_NEAR(zmxtest::distance(bestFoot.x, p), best.distance, 1e-12);
  const Vec3 c[3] = {corner(s, bestPatch, 0), corner(s, bestPatch, 1), corner(s, bestPatch, 2)};
  const Real margin = 4.0 * la;
  if (bestFoot.feature == 0) {
    for (int k = 0; k < 3; ++k)
      if (distanceToLine(bestFoot.x, c[k], c[(k + 1) % 3]) < margin) return best;
    best.kind = 3;
  } else if (bestFoot.feature >= 4) {
    const int k = bestFoot.feature - 4;
    if (zmxtest::distance(bestFoot.x, c[k]) < margin || zmxtest::distance(bestFoot.x, c[(k + 1) % 3]) < margin)
      return best;
    best.kind = 2;
  } else {
    // A vertex: away from the window in which an edge's foot just beyond it still counts.
    const Vec3 v = c[bestFoot.feature - 1];
    for (Int e = 0; e < s.edgeCount; ++e) {
      const Vec3 a = s.node(s.edges[5 * e + 1]), b = s.node(s.edges[5 * e + 2]);
      const Vec3 d = sub(b, a);
      const Real t = dot(sub(p, a), d) / dot(d, d);
      if ((zmxtest::distance(a, v) == 0 && t > -0.03) || (zmxtest::distance(b, v) == 0 && t < 1.03)) return best;
    }
    best.kind = 1;
  }
  return best;
}

TEST_F(GlobalSearch, KindAndDistanceAgreeWithTheCornerTriangulation) {
  const BezierSurface s = sphere();
  const Real la = edgeTolerance(s);
  std::mt19937 rng(31);
  std::normal_distribution<Real> gauss;
  std::uniform_real_distribution<Real> outside(1.05, 2.0), inside(0.3, 0.9);
  int kinds[4] = {};
  for (int trial = 0; trial < 400; ++trial) {
    const Vec3 direction = unit({gauss(rng), gauss(rng), gauss(rng)});
    const Real radius = trial % 3 == 0 ? inside(rng) : outside(rng);
    const Vec3 p{radius * direction[0], radius * direction[1], radius * direction[2]};
    const Nearest oracle = nearestOnTriangulation(s, p, la);
    const Search r = globalSearch(s, p, 0.0, 1.0);
    ASSERT_GE(r.kind, 1) << trial;  // a closed surface has no boundary to refuse
    EXPECT_EQ(r.distance < 0, radius > 1.0) << trial;  // normals point outward
    EXPECT_NEAR(zmxtest::distance(r.foot, p), std::fabs(r.distance), 1e-12) << trial;
    // Near the border between kinds a vertex or edge a little farther may be chosen.
    EXPECT_GE(std::fabs(r.distance), oracle.distance - 1e-12) << trial;
    EXPECT_LE(std::fabs(r.distance), oracle.distance + la) << trial;
    EXPECT_EQ(r.patch != 0, r.kind == 3);
    const Vec3 n{r.frame[6], r.frame[7], r.frame[8]}, t1{r.frame[0], r.frame[1], r.frame[2]};
    EXPECT_NEAR(dot(n, n), 1.0, 1e-14);
    EXPECT_NEAR(dot(n, t1), 0.0, 1e-14);
    if (oracle.kind == 0) continue;
    EXPECT_EQ(r.kind, oracle.kind) << trial;
    EXPECT_NEAR(std::fabs(r.distance), oracle.distance, 1e-12) << trial;
    ++kinds[oracle.kind];
  }
  for (int k = 1; k <= 3; ++k) EXPECT_GT(kinds[k], 20) << k;
}

TEST_F(GlobalSearch, BoundsNeverExceedTheDistanceToTheCornerTriangle) {
  const BezierSurface s = sphere();
  std::mt19937 rng(37);
  std::uniform_real_distribution<Real> coord(-1.8, 1.8);
  for (Real radius : {0.0, 0.05, 0.4}) {
    for (int trial = 0; trial < 40; ++trial) {
      const Vec3 p{coord(rng), coord(rng), coord(rng)};
      const Search r = globalSearch(s, p, radius, 0.0);
      for (Int patch = 1; patch <= s.patchCount; ++patch) {
        const Kernel::Triangle_3 t(point(corner(s, patch, 0)), point(corner(s, patch, 1)), point(corner(s, patch, 2)));
        ASSERT_LE(r.bounds[patch - 1], std::sqrt(CGAL::to_double(CGAL::squared_distance(point(p), t))) + 1e-12)
            << radius << " " << trial << " " << patch;
      }
      // Within reach of the radius and margin the list holds every patch whose bound reaches
      // the distance, in order.
      if (radius >= std::fabs(r.distance)) {
        std::vector<Int> expected;
        for (Int patch = 1; patch <= s.patchCount; ++patch)
          if (r.bounds[patch - 1] <= std::fabs(r.distance)) expected.push_back(patch);
        EXPECT_EQ(r.list, expected);
      }
    }
  }
}

TEST_F(GlobalSearch, RenumberedPatchesGiveTheSameResult) {
  zmxtest::TriangleMesh mesh = zmxtest::icosphereMesh(2);
  const BezierSurface s = zmxtest::buildBezierSurface(mesh, [](const Vec3& p) { return unit(p); });
  std::mt19937 rng(41);
  std::shuffle(mesh.triangles.begin(), mesh.triangles.end(), rng);
  // Turning each triangle's corners round changes which corner is C1, too.
  for (auto& t : mesh.triangles) std::rotate(t.begin(), t.begin() + static_cast<int>(rng() % 3), t.end());
  const BezierSurface renumbered = zmxtest::buildBezierSurface(mesh, [](const Vec3& p) { return unit(p); });
  std::normal_distribution<Real> gauss;
  std::uniform_real_distribution<Real> radius(0.5, 2.0);
  for (int trial = 0; trial < 200; ++trial) {
    const Vec3 d = unit({gauss(rng), gauss(rng), gauss(rng)});
    const Real k = radius(rng);
    const Vec3 p{k * d[0], k * d[1], k * d[2]};
    const Search a = globalSearch(s, p, 0.0, 0.0), b = globalSearch(renumbered, p, 0.0, 0.0);
    ASSERT_EQ(a.kind, b.kind) << trial;
    EXPECT_NEAR(a.distance, b.distance, 1e-14) << trial;
    EXPECT_LT(zmxtest::distance(a.foot, b.foot), 1e-14) << trial;
  }
}

// The list holds ten distinct patches of the ten smallest bounds (ties may fall either way), in
// order; gives those bounds.
std::vector<Real> expectTenSmallestBounds(const Search& r) {
  std::vector<Real> smallest = r.bounds, listed;
  std::sort(smallest.begin(), smallest.end());
  smallest.resize(10);
  for (Int patch : r.list) listed.push_back(r.bounds[patch - 1]);
  EXPECT_EQ(listed, smallest);
  EXPECT_EQ(std::set<Int>(r.list.begin(), r.list.end()).size(), 10u);
  return smallest;
}

TEST_F(GlobalSearch, AVertexOfMoreThanTenPatchesListsTheTenOfSmallestBound) {
  const BezierSurface s = zmxtest::buildBezierSurface(zmxtest::bipyramidMesh(12), [](const Vec3& p) { return p; });
  // Beside the pole, which has twelve patches, farther than the radius: with the radius the
  // patches' bounds differ by their planes and edges.
  const Vec3 p{0.8, 0.3, 2.5};
  const Real radius = 1.0;
  const Search far = globalSearch(s, p, radius, 0.0);
  ASSERT_EQ(far.kind, 1);
  EXPECT_NEAR(far.distance, -std::sqrt(0.64 + 0.09 + 2.25), 1e-14);
  ASSERT_EQ(far.length, 10);
  const std::vector<Real> smallest = expectTenSmallestBounds(far);
  EXPECT_LT(smallest.front(), smallest.back());  // the bounds differ, so the choice is tested
  // Every patch keeps its own bound: the same as when nothing is sorted.
  const Search near = globalSearch(s, p, radius, 10.0);
  EXPECT_EQ(far.bounds, near.bounds);
  EXPECT_GT(near.length, 10);  // within reach: every patch whose bound reaches the distance
}

// Patch edges that do not match the edge records (every patch naming one of the first 11 edges,
// fewer than half the patches): the ten smallest bounds are still sorted aside, without the room
// of the work array, which holds two reals per edge.
TEST_F(GlobalSearch, PatchEdgesBeyondTheEdgeCountSortTheBoundsAside) {
  BezierSurface s = zmxtest::buildBezierSurface(zmxtest::bipyramidMesh(12), [](const Vec3& p) { return p; });
  s.edgeCount = 11;
  for (Int& e : s.patchEdges) e = (e - 1) % s.edgeCount + 1;
  ASSERT_LT(2 * s.edgeCount, s.patchCount);
  const Search far = globalSearch(s, {0.8, 0.3, 2.5}, 1.0, 0.0);
  ASSERT_EQ(far.length, 10);
  expectTenSmallestBounds(far);
}

TEST_F(GlobalSearch, ACandidateListOnEntryRestrictsTheWork) {
  const BezierSurface s = sphere(1);
  const Vec3 c1 = corner(s, 3, 0), c2 = corner(s, 3, 1), c3 = corner(s, 3, 2);
  const Vec3 p{0.5 * (c1[0] + c2[0] + c3[0]), 0.5 * (c1[1] + c2[1] + c3[1]), 0.5 * (c1[2] + c2[2] + c3[2])};
  const Search all = globalSearch(s, p, 0.0, 0.0);
  ASSERT_EQ(all.kind, 3);
  const std::vector<Int> candidates = {all.patch, s.patchCount};
  const Search r = globalSearch(s, p, 0.0, 0.0, candidates, 777.0);
  EXPECT_EQ(r.list, candidates);
  EXPECT_EQ(r.kind, 3);
  EXPECT_EQ(r.patch, all.patch);
  EXPECT_EQ(r.distance, all.distance);
  for (Int patch = 1; patch <= s.patchCount; ++patch) {
    const bool listed = patch == all.patch || patch == s.patchCount;
    EXPECT_EQ(r.bounds[patch - 1] == 777.0, !listed) << patch;
    if (listed) {
      EXPECT_EQ(r.bounds[patch - 1], all.bounds[patch - 1]);
    }
  }
}

TEST_F(GlobalSearch, EqualEdgesFavourTheInnerEdgeAndBoundariesAreNeverChosen) {
  // Two flat patches sharing the edge O-Y; O-X and O-W are boundary edges. A point below O's
  // corner between them is as far from O-X and O-W as from O-Y.
  zmxtest::TriangleMesh mesh;
  mesh.points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}};
  mesh.triangles = {{0, 1, 2}, {0, 2, 3}};
  const BezierSurface s = zmxtest::buildBezierSurface(mesh, [](const Vec3& p) { return p; });
  const Vec3 p{-0.005, -0.005, 0.3};
  const Search r = globalSearch(s, p, 0.0, 0.0);
  EXPECT_EQ(r.kind, 2);
  EXPECT_NEAR(r.distance, -std::sqrt(0.005 * 0.005 + 0.09), 1e-15);
  EXPECT_EQ(r.foot[0], 0.0);  // on O-Y, not on O-X or O-W
  EXPECT_EQ(r.foot[1], -0.005);
  // Beyond a boundary corner, nothing: neither the boundary vertex nor an edge is chosen.
  const Vec3 beyond{2.0, -1.0, 0.1};
  const Search none = globalSearch(s, beyond, 0.0, 0.0);
  EXPECT_EQ(none.kind, 0);
  EXPECT_EQ(none.distance, -1e36);
  EXPECT_EQ(none.foot, (Vec3{0, 0, 0}));
  for (Real f : none.frame) EXPECT_EQ(f, 0.0);
  EXPECT_EQ(none.patch, 0);
  EXPECT_EQ(none.list, std::vector<Int>{1});  // the patches of the nearest vertex, X
}

// A vertex on the boundary of the surface is a boundary vertex whichever of its patches is met
// first: here the first patch of the fan round the corner V has neighbours on both its sides at V.
TEST_F(GlobalSearch, ABoundaryVertexIsNeverChosenWhateverThePatchOrder) {
  zmxtest::TriangleMesh mesh;
  mesh.points = {{0, 0, 0}, {1, 1, 0}, {0.5, 2, 0}, {-0.5, 2, 0}, {-1, 1, 0}};
  const Vec3 below{0, -0.5, 0.1};  // nearest to V, beyond both boundary edges at it
  for (const bool middleFirst : {true, false}) {
    mesh.triangles = {{0, 2, 3}, {0, 1, 2}, {0, 3, 4}};
    if (!middleFirst) std::rotate(mesh.triangles.begin(), mesh.triangles.begin() + 1, mesh.triangles.end());
    const BezierSurface s = zmxtest::buildBezierSurface(mesh, [](const Vec3& p) { return p; });
    const Search r = globalSearch(s, below, 0.0, 0.0);
    EXPECT_EQ(r.kind, 0) << middleFirst;
    EXPECT_EQ(r.distance, -1e36) << middleFirst;
  }
}

// A point no node is nearer than 1e36 to (not a number, or that far), or a surface whose nodes
// are not numbers, infinite or huge: no vertex is found, and the search reports no contact and
// reads nothing outside its arguments.
TEST_F(GlobalSearch, NoNodeWithinReachGivesNoContact) {
  const Real nan = std::numeric_limits<Real>::quiet_NaN(), inf = std::numeric_limits<Real>::infinity();
  const auto expectNone = [](const Search& r, const char* what) {
    EXPECT_EQ(r.kind, 0) << what;
    EXPECT_EQ(r.distance, -1e36) << what;
    EXPECT_EQ(r.patch, 0) << what;
    EXPECT_EQ(r.foot, (Vec3{0, 0, 0})) << what;
  };
  const BezierSurface s = sphere(1);
  expectNone(globalSearch(s, {nan, 0.5, 0.5}, 0.1, 0.1), "point not a number");
  expectNone(globalSearch(s, {2e36, 0, 0}, 0.1, 0.1), "point 2e36 away");
  expectNone(globalSearch(s, {1e36, 1e36, 1e36}, 0.1, 0.1), "point 1.7e36 away");
  for (const Real bad : {nan, inf, -inf}) {
    BezierSurface broken = s;
    for (Int n = 1; n <= broken.nodeCount; ++n) broken.nodes[4 * (n - 1) + 1 + (n % 3)] = bad;
    expectNone(globalSearch(broken, {0.2, 0.3, 0.9}, 0.1, 0.1), "nodes not finite");
  }
  BezierSurface huge = s;
  for (Int n = 1; n <= huge.nodeCount; ++n)
    for (int c = 1; c <= 3; ++c) huge.nodes[4 * (n - 1) + c] *= 1e300;
  expectNone(globalSearch(huge, {0.2, 0.3, 0.9}, 0.1, 0.1), "nodes scaled by 1e300");
  // A candidate list of the patches whose first corner is one node, which is not a number.
  BezierSurface oneBad = s;
  const Int node = oneBad.patchEntry(1, 4);
  std::vector<Int> sharing;
  for (Int patch = 1; patch <= oneBad.patchCount; ++patch)
    if (oneBad.patchEntry(patch, 4) == node) sharing.push_back(patch);
  for (int c = 1; c <= 3; ++c) oneBad.nodes[4 * (node - 1) + c] = nan;
  const Search listed = globalSearch(oneBad, {0.2, 0.3, 0.9}, 0.1, 0.1, sharing);
  expectNone(listed, "listed patches share a corner that is not a number");
  EXPECT_EQ(listed.list, sharing);
}

}  // namespace
