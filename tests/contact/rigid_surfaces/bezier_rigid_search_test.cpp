// Bezier rigid-surface searches: the patch searches against the dense-sampled nearest point of
// the patch nets, the caller-held candidate list (reuse up to exactly the reuse distance, near
// and far lists, the 48-candidate limit, the three messages), the last-patch search, and the
// planar segment search against lines, dense sampling of a cubic, open ends and its failure line.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "runtime/format.h"
#include "runtime/record.h"
#include "siblings/eqc/message_paging_testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/bezier_surface.h"
#include "tests/support/host_fixture.h"
#include "zmx/contact/bezier_search.h"
#include "zmx/contact/rigid_surfaces.h"
#include "zmx/geometry/bezier.h"

namespace {

using zmxtest::BezierSurface;
using zmxtest::Vec3;

class BezierPatchSearch : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    const Int patches = 0;
    BEZCMN(&patches);
    INITMN(table_);
  }
  Int table_[45];

  // Nearest point of p over every patch by dense sampling of the sub-triangle nets.
  Real nearest(const BezierSurface& s, const Vec3& p) const {
    Real best = 1e300;
    for (Int patch = 1; patch <= s.patchCount; ++patch) {
      std::vector<Real> samples(93);
      SUBDIV(&patch, s.nodes.data(), s.patches.data(), samples.data());
      for (const auto& net : zmxtest::subTriangleNets(samples, table_))
        best = std::min(best, zmxtest::nearestOnNet(net, p, 16).distance);
    }
    return best;
  }

  // SEARCH with the caller's list arrays.
  struct Caller {
    Int state = 0, patch = 0;
    Vec3 stored{};
    std::vector<Int> storedList = std::vector<Int>(200, 0);
    Real foot[3] = {}, frame[12] = {}, distance = 0;
  };
  void search(const BezierSurface& s, const Vec3& p, Caller& c, Real fine, Real reuse, Int report = 0,
              Int node = 0) const {
    std::vector<Int> list(static_cast<std::size_t>(s.patchCount) + 1, 0);
    std::vector<Real> bounds(static_cast<std::size_t>(s.patchCount)), work(s.nodeCount + 2 * s.edgeCount);
    SEARCH(s.nodes.data(), s.patches.data(), s.patchData.data(), s.edges.data(), s.nodePatches.data(),
           s.patchEdges.data(), &s.edgeCount, &s.ld, bounds.data(), list.data(), work.data(), &s.patchCount,
           &s.nodeCount, table_, p.data(), c.foot, c.frame, &c.distance, &c.state, &fine, &reuse, c.stored.data(),
           c.storedList.data(), &report, &node, &c.patch);
  }
};

BezierSurface sphere() {
  return zmxtest::buildBezierSurface(zmxtest::icosphereMesh(2), [](const Vec3& p) {
    const Real n = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    return Vec3{p[0] / n, p[1] / n, p[2] / n};
  });
}

TEST_F(BezierPatchSearch, SearchesFindTheNearestPointOfThePatches) {
  const BezierSurface flat = zmxtest::buildBezierSurface(zmxtest::gridMesh(3, 3, 3.0, 3.0), [](const Vec3& p) { return p; });
  const BezierSurface round = sphere();
  std::mt19937 rng(5);
  std::uniform_real_distribution<Real> u(0.2, 2.8), h(-0.3, 0.3), dir(-1, 1);
  int agreed = 0, lost = 0;
  for (int trial = 0; trial < 40; ++trial) {
    const bool onSphere = trial % 2 == 1;
    const BezierSurface& s = onSphere ? round : flat;
    Vec3 p{u(rng), u(rng), h(rng)};
    if (onSphere) {
      Vec3 d{dir(rng), dir(rng), dir(rng)};
      const Real n = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
      const Real r = 1.0 + h(rng);
      p = {r * d[0] / n, r * d[1] / n, r * d[2] / n};
    }
    const Real oracle = onSphere ? nearest(s, p) : std::fabs(p[2]);
    Caller c;
    search(s, p, c, 0.5, 0.1);
    ASSERT_LT(std::fabs(c.distance), 1e36) << trial;
    EXPECT_GE(std::fabs(c.distance), oracle - 1e-9) << trial;
    if (std::fabs(std::fabs(c.distance) - oracle) < 1e-8) ++agreed;
    if (!onSphere) {
      EXPECT_NEAR(c.foot[0], p[0], 1e-9);
    }
    // The last-patch search: from nothing, then from the patch it found.
    Real foot[3], frame[12], distance;
    Int patch = 0, count = 7;
    const Real length = 0.5;
    std::vector<Real> nodeDistance(s.nodeCount), work(2 * s.patchCount);
    auto lastPatch = [&] {
      SEARCH_BEZIER(s.nodes.data(), s.patches.data(), s.reach.data(), nodeDistance.data(), work.data(),
                    &s.patchCount, &s.cornerCount, table_, p.data(), foot, frame, &distance, &length, &patch, &count);
    };
    lastPatch();
    if (patch == 0) {  // the global patch search failed: count and patch reset
      EXPECT_EQ(count, 0);
      EXPECT_EQ(distance, -1e36);
      ++lost;
      continue;
    }
    EXPECT_EQ(count, 1);
    EXPECT_GE(std::fabs(distance), oracle - 1e-9);
    const Real first = distance;
    lastPatch();
    EXPECT_EQ(count, 2);
    EXPECT_NEAR(distance, first, 1e-9);
  }
  EXPECT_GE(agreed, 36);
  EXPECT_LE(lost, 4);
}

TEST_F(BezierPatchSearch, CandidateListIsKeptByTheCaller) {
  const BezierSurface s = sphere();
  const Real fine = 0.5, reuse = 0.25;
  const Vec3 p{0.5, 0.25, 0.625};
  Caller c;
  search(s, p, c, fine, reuse, 1, 77);
  ASSERT_LT(c.state, 0);  // near: |d| <= reuse + fine
  EXPECT_EQ(c.stored, p);
  EXPECT_EQ(eqc_testing::filed(-3015), std::vector<int>{77});
  EXPECT_TRUE(eqc_testing::printed("SEARCH - NUMBER OF CANDIDATES IS " + std::to_string(-c.state) + " FOR NODE 77"));
  const Real d0 = c.distance;
  // Moved exactly the reuse distance: the list is reused (nothing stored anew, no message).
  const Int state = c.state;
  const Vec3 moved{0.75, 0.25, 0.625};
  eqc_testing::clearMessages();
  search(s, moved, c, fine, reuse, 1, 77);
  EXPECT_EQ(c.state, state);
  EXPECT_EQ(c.stored, p);
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
  EXPECT_NEAR(std::fabs(c.distance), nearest(s, moved), 1e-8);
  // Farther: a fresh search from the new point.
  const Vec3 farther{0.75 + 1e-12, 0.25, 0.625};
  search(s, farther, c, fine, reuse);
  EXPECT_EQ(c.stored, farther);
  // A far list (positive state) goes to the global search over the stored list.
  Caller far;
  far.state = 2;
  far.stored = p;
  far.storedList[0] = 1;
  far.storedList[1] = 2;
  search(s, p, far, fine, reuse);
  EXPECT_EQ(far.state, 2);
  std::vector<Int> list{1, 2};
  list.resize(s.patchCount, 0);
  Int length = 2, kind = -1, patch = -1;
  Real distance, foot[3], frame[12];
  std::vector<Real> bounds(s.patchCount), work(s.nodeCount + 2 * s.edgeCount);
  GLBSCH(s.nodes.data(), s.patches.data(), s.patchData.data(), s.edges.data(), s.nodePatches.data(),
         s.patchEdges.data(), &s.edgeCount, &s.ld, p.data(), list.data(), &length, &s.patchCount, &s.nodeCount,
         bounds.data(), &distance, &kind, &reuse, work.data(), foot, frame, &fine, &patch);
  EXPECT_EQ(far.distance, distance);
  EXPECT_EQ(far.patch, patch);
  (void)d0;
}

TEST_F(BezierPatchSearch, ManyCandidatesAndFailedFineSearch) {
  const BezierSurface s = sphere();
  // From the centre every patch is a candidate: more than 48, so nothing is stored.
  Caller c;
  search(s, {0, 0, 0}, c, 0.5, 10.0, 1, 12);
  EXPECT_EQ(c.state, 0);
  EXPECT_EQ(eqc_testing::filed(-3016), std::vector<int>{12});
  EXPECT_TRUE(eqc_testing::printed("SEARCH - NUMBER OF CANDIDATE IS 80 FOR NODE 12"));
  // A reused near list whose one patch is on the far side: the local search fails, the global
  // search over that list runs again and its result stands, with the faceted fallback message.
  const Vec3 p{0.0, 0.0, 1.05};
  Caller near;
  near.state = -1;
  near.stored = p;
  Int farPatch = 0;
  for (Int patch = 1; patch <= s.patchCount && farPatch == 0; ++patch)
    if (s.node(s.patchEntry(patch, 4))[2] < -0.8) farPatch = patch;
  near.storedList[0] = farPatch;
  eqc_testing::clearMessages();
  search(s, p, near, 5.0, 0.1, 0, 31);
  EXPECT_EQ(near.state, -1);
  EXPECT_GT(std::fabs(near.distance), 1.5);
  EXPECT_LT(std::fabs(near.distance), 1e36);
  EXPECT_EQ(eqc_testing::filed(-3017).back(), 31);
  EXPECT_TRUE(eqc_testing::printed("FAILED TO YIELD THE SHORTEST PERPENDICULAR DISTANCE FOR SLAVE NODE 31"));
}

// Points and surfaces that are not numbers, infinite or beyond 1e36: each search ends, reads
// nothing outside its arguments, and reports no contact where no node lies within reach.
TEST_F(BezierPatchSearch, NonFiniteAndFarInputEndsWithoutContact) {
  const Real nan = std::numeric_limits<Real>::quiet_NaN(), inf = std::numeric_limits<Real>::infinity();
  const BezierSurface s = sphere();
  BezierSurface broken = s, huge = s;
  for (Int n = 1; n <= s.nodeCount; ++n)
    for (int c = 1; c <= 3; ++c) {
      broken.nodes[4 * (n - 1) + c] = n % 2 == 0 ? nan : inf;
      huge.nodes[4 * (n - 1) + c] *= 1e300;
    }
  const Vec3 near{0.2, 0.3, 0.9};
  const struct {
    const BezierSurface* surface;
    Vec3 p;
  } cases[] = {{&s, {nan, 0.5, 0.5}}, {&s, {2e36, 0, 0}}, {&s, {inf, -inf, 0}}, {&broken, near}, {&huge, near}};
  for (const auto& k : cases) {
    Caller c;
    search(*k.surface, k.p, c, 0.5, 0.1, 1, 5);
    EXPECT_EQ(c.distance, -1e36);
    // A list kept from an earlier point is searched again with the new one.
    Caller kept;
    search(s, near, kept, 0.5, 0.1);
    ASSERT_NE(kept.state, 0);
    search(*k.surface, k.p, kept, 0.5, 0.1);
    Real foot[3], frame[12], distance = 0;
    Int patch = 0, count = 0;
    const Real length = 0.5;
    std::vector<Real> nodeDistance(k.surface->nodeCount), work(2 * k.surface->patchCount);
    for (Int start : {0, 1}) {
      patch = start;
      SEARCH_BEZIER(k.surface->nodes.data(), k.surface->patches.data(), k.surface->reach.data(), nodeDistance.data(),
                    work.data(), &k.surface->patchCount, &k.surface->cornerCount, table_, k.p.data(), foot, frame,
                    &distance, &length, &patch, &count);
      EXPECT_TRUE(patch == 0 || std::isnan(distance) || std::fabs(distance) < 1e36) << patch;
    }
  }
}

// ---- planar cubic segments ------------------------------------------------------------------

using Point = std::array<Real, 2>;

struct Chain : zmxtest::BezierChain {
  using BezierChain::BezierChain;
  Real search(const Point& p, Point* foot = nullptr, Int debug = 0) const {
    Real f[2] = {}, frame[12] = {}, distance = 0;
    const Real length = 1.0;
    SRCH2D(nodes.data(), records.data(), &count, p.data(), f, frame, &distance, &debug, &length);
    if (foot != nullptr) *foot = {f[0], f[1]};
    return distance;
  }
};

class SegmentSearch : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    const Int segments = 1;
    BEZCMN(&segments);
  }
};

TEST_F(SegmentSearch, LinesCubicsAndOpenEnds) {
  // Straight segments along the line y = 0.5 x: the distance is the line distance.
  std::vector<Point> line;
  for (int i = 0; i <= 9; ++i) line.push_back({i / 3.0, i / 6.0});
  const Chain straight(line);
  for (const Point p : {Point{1.0, 2.0}, Point{2.5, 0.1}, Point{0.4, 0.2}}) {
    const Real expected = std::fabs(p[1] - 0.5 * p[0]) / std::sqrt(1.25);
    EXPECT_NEAR(std::fabs(straight.search(p)), expected, 1e-12);
  }
  // A curved cubic: the dense-sampling minimum when no end is nearer.
  const std::vector<Point> q{{0, 0}, {1, 2}, {2, -1}, {3, 1}};
  const Chain curved(q);
  std::mt19937 rng(9);
  // Points within a small offset of the curve, so that the nearest foot is the only near one.
  std::uniform_real_distribution<Real> at(0.15, 0.85), offset(0.05, 0.2);
  auto bezier = [&](Real t) {
    const Real s = 1 - t;
    const Real w[4] = {s * s * s, 3 * s * s * t, 3 * s * t * t, t * t * t};
    return Point{w[0] * q[0][0] + w[1] * q[1][0] + w[2] * q[2][0] + w[3] * q[3][0],
                 w[0] * q[0][1] + w[1] * q[1][1] + w[2] * q[2][1] + w[3] * q[3][1]};
  };
  for (int trial = 0; trial < 30; ++trial) {
    const Real t0 = at(rng), o = (trial % 2 == 0 ? 1 : -1) * offset(rng);
    const Point a = bezier(t0 - 1e-6), b = bezier(t0 + 1e-6), c = bezier(t0);
    const Real len = std::hypot(b[0] - a[0], b[1] - a[1]);
    const Point p{c[0] - o * (b[1] - a[1]) / len, c[1] + o * (b[0] - a[0]) / len};
    Real best = 1e300;
    for (int i = 0; i <= 200000; ++i) {
      const Point x = bezier(i / 200000.0);
      best = std::min(best, std::hypot(p[0] - x[0], p[1] - x[1]));
    }
    const Real d = curved.search(p);
    const Real end = std::min(std::hypot(p[0], p[1]), std::hypot(p[0] - 3, p[1] - 1));
    if (d == -1e36) {
      EXPECT_LT(end, best + 1e-6) << trial;
    } else {
      EXPECT_LE(std::fabs(d), best + 1e-12) << trial;  // sampling can only overestimate
      EXPECT_NEAR(std::fabs(d), best, 1e-8) << trial;
    }
  }
  // Foot just past the end of a single straight segment: accepted at t = 1.00000005, refused
  // beyond 1.0000001; an open end nearer than every foot gives -1e36 too.
  const Chain unit({{0, 0}, {1.0 / 3, 0}, {2.0 / 3, 0}, {1, 0}});
  Point foot{};
  EXPECT_NEAR(std::fabs(unit.search({1.00000005, 1e-3}, &foot)), 1e-3, 1e-12);
  EXPECT_NEAR(foot[0], 1.00000005, 1e-12);
  EXPECT_EQ(unit.search({1.0000002, 1e-3}), -1e36);
  const Chain bent({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {3, 3}});
  EXPECT_EQ(bent.search({4.0, 3.5}), -1e36);  // the end (3, 3) is nearer than the foot on x = 3
}

TEST_F(SegmentSearch, NonFinitePointsAndNodesEndTheSearch) {
  const Real nan = std::numeric_limits<Real>::quiet_NaN(), inf = std::numeric_limits<Real>::infinity();
  const Chain curved({{0, 0}, {1, 2}, {2, -1}, {3, 1}, {4, 0}, {5, 1}, {6, 0}});
  for (const Point p : {Point{nan, 0.5}, Point{inf, 0}, Point{2e36, 1}}) {
    const Real d = curved.search(p);
    EXPECT_TRUE(std::isnan(d) || d == -1e36 || std::fabs(d) >= 1e35) << p[0];
  }
  // Squares of 1e300 overflow: any answer will do, as long as the search ends within its arguments.
  (void)curved.search({1e300, -1e300});
  for (const Real bad : {nan, inf}) {
    const Chain broken({{0, 0}, {1, bad}, {2, -1}, {3, 1}});
    (void)broken.search({1.5, 0.5});
  }
}

TEST_F(SegmentSearch, EmptyChainWritesTheFailureLine) {
  const Int unit = 61;
  fio::openMemory(unit);
  rec::i(CLINES, eqc_records::kMessageUnit) = unit;
  eqc_message_paging_testing::resetPagmes();
  const Chain none({{0, 0}});
  EXPECT_EQ(none.search({1.5, -2.25}, nullptr, 0), -1e36);
  EXPECT_EQ(fio::memoryText(unit), "");
  EXPECT_EQ(none.search({1.5, -2.25}, nullptr, 1), -1e36);
  EXPECT_EQ(fio::memoryText(unit), "          SEARCH FAILED FOR POINT (   1.5000      -2.2500     )\n");
  EXPECT_EQ(eqc_message_paging_testing::pagmesCalls(), std::vector<int>{1});
}

}  // namespace
