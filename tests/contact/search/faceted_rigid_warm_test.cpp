// The faceted rigid-surface search from a previous contact against the exact closest point (brute
// force over the triangles): points drifting over closed surfaces, about convex corners inside
// and outside, over spheres with jittered nodes, and inside grooves of 90 to 170 degrees, where
// the walk from the previous contact ends on one face while the nearest point lies on another.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "tests/contact/search/rigid_surface_harness.h"
#include "tests/support/host_fixture.h"

namespace {

using FacetedRigidWarmSearch = zmxtest::HostFixture;
using rigid_test::Point3;
using rigid_test::Surface;

Point3 operator+(const Point3& a, const Point3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Point3 operator-(const Point3& a, const Point3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Point3 operator*(double t, const Point3& a) { return {t * a[0], t * a[1], t * a[2]}; }
double norm(const Point3& a) { return std::hypot(a[0], a[1], a[2]); }

// Whether a warm answer at p is the exact closest point and as near as the cold answer. A face
// projection stands up to 0.001 of its facet's coordinates beyond a shared edge, so a face answer
// may lie that little nearer; nothing may lie farther.
::testing::AssertionResult warmAgrees(Surface& s, const Point3& p, const Surface::Result& warm, double h) {
  double exact;
  s.closest(p, exact);
  Surface::Result cold;
  s.search(p, cold);
  const double dw = std::fabs(warm.distance());
  if (warm.kind != 0 && dw <= exact + 1e-9 * h && (dw >= exact - 1e-9 * h || (warm.kind == 3 && dw >= exact - 2e-3 * h)) &&
      dw <= std::fabs(cold.distance()) + 1e-9 * h)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "at (" << p[0] << ", " << p[1] << ", " << p[2] << ") warm " << dw << " (kind "
                                       << warm.kind << ", entity " << warm.entity << "), cold " << cold.distance()
                                       << ", exact " << exact;
}

// A search at `to` from the contact of a search at `from`; whether it agrees.
bool expectWarmFrom(Surface& s, const Point3& from, const Point3& to, double h) {
  Surface::Result warm;
  s.search(from, warm);
  s.search(to, warm);
  const auto agrees = warmAgrees(s, to, warm, h);
  EXPECT_TRUE(agrees);
  return static_cast<bool>(agrees);
}

// Paths over the surface, the contact handed back at every step: steps of up to `step` times the
// mean side h in random directions, a point drawn back to `depth` h from the surface when it
// strays farther. Stops after a few misses.
void expectWarmAlongPaths(Surface& s, unsigned seed, int paths, int steps, double step, double depth) {
  const double h = rigid_test::meanSide(s);
  s.finish(2 * depth * h);
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> d(-1, 1), u(0, 1);
  int misses = 0;
  for (int path = 0; path < paths && misses < 5; ++path) {
    const auto& t = s.triangles[rng() % s.triangles.size()];
    Point3 p{};
    for (int k = 0; k < 3; ++k) p = p + (1.0 / 3) * Point3{s.coords[3 * (t[k] - 1)], s.coords[3 * (t[k] - 1) + 1], s.coords[3 * (t[k] - 1) + 2]};
    Surface::Result warm;
    for (int i = 0; i < steps && misses < 5; ++i) {
      const Point3 e{d(rng), d(rng), d(rng)};
      p = p + (step * h * u(rng) / norm(e)) * e;
      double exact;
      const Point3 q = s.closest(p, exact);
      if (exact > depth * h) p = q + (depth * h / exact) * (p - q);
      s.search(p, warm);
      const auto agrees = warmAgrees(s, p, warm, h);
      misses += agrees ? 0 : 1;
      EXPECT_TRUE(agrees) << "path " << path << " step " << i;
    }
  }
}

TEST_F(FacetedRigidWarmSearch, PointsDriftingOverClosedSurfacesFindTheExactClosestPoint) {
  {
    SCOPED_TRACE("sphere");
    Surface s = rigid_test::sphere(12, 24);
    expectWarmAlongPaths(s, 1, 60, 40, 1.0, 1.5);
  }
  {
    SCOPED_TRACE("torus of long thin facets");
    Surface s = rigid_test::torus(12, 48);
    expectWarmAlongPaths(s, 2, 60, 40, 1.0, 1.5);
  }
  {
    SCOPED_TRACE("box");
    Surface s = rigid_test::box({12, 9, 6}, {2.0, 1.5, 1.0});
    expectWarmAlongPaths(s, 3, 60, 40, 1.0, 1.5);
  }
}

// Spheres whose nodes are moved off the grid by 2 % and 10 % of the mean side: uneven facets and
// slight folds.
TEST_F(FacetedRigidWarmSearch, PointsDriftingOverJitteredSpheresFindTheExactClosestPoint) {
  for (const double jitter : {0.02, 0.1}) {
    SCOPED_TRACE(jitter);
    Surface s = rigid_test::sphere(12, 24);
    const double h = rigid_test::meanSide(s);
    std::mt19937 rng(jitter < 0.05 ? 4 : 5);
    std::uniform_real_distribution<double> d(-1, 1);
    for (double& c : s.coords) c += jitter * h * d(rng);
    expectWarmAlongPaths(s, 6, 60, 40, 0.7, 0.6);
  }
}

// Points about the convex corners of a box and of a hexagonal prism, inside and outside: each
// search starts from the contact of a point a step away.
TEST_F(FacetedRigidWarmSearch, PointsAboutConvexCornersInsideAndOutsideFindTheExactClosestPoint) {
  const auto check = [](Surface s, const std::vector<Point3>& corners, unsigned seed) {
    const double h = rigid_test::meanSide(s);
    s.finish(3 * h);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> d(-1, 1);
    int misses = 0;
    for (int trial = 0; trial < 600 && misses < 5; ++trial) {
      const Point3& corner = corners[static_cast<std::size_t>(trial) % corners.size()];
      const Point3 from = corner + 1.5 * h * Point3{d(rng), d(rng), d(rng)};
      const Point3 to = from + 0.8 * h * Point3{d(rng), d(rng), d(rng)};
      misses += expectWarmFrom(s, from, to, h) ? 0 : 1;
    }
  };
  {
    SCOPED_TRACE("box");
    std::vector<Point3> corners;
    for (int k = 0; k < 8; ++k) corners.push_back({k & 1 ? 2.0 : 0.0, k & 2 ? 1.5 : 0.0, k & 4 ? 1.0 : 0.0});
    check(rigid_test::box({8, 6, 4}, {2.0, 1.5, 1.0}), corners, 7);
  }
  {
    SCOPED_TRACE("hexagonal prism");
    std::vector<Point3> corners;
    for (int k = 0; k < 12; ++k) corners.push_back({std::cos(M_PI / 3 * (k % 6)), std::sin(M_PI / 3 * (k % 6)), k < 6 ? 0.0 : 1.5});
    check(rigid_test::hexagonalPrism(4, 6, 1.5), corners, 8);
  }
}

// Inside grooves of 90 to 170 degrees: a point moves from nearer the one face to nearer the
// other, and the search from its contact must cross the concave edge, which lies farther from the
// point than either face.
TEST_F(FacetedRigidWarmSearch, PointsInsideGroovesCrossToTheNearerFace) {
  const double h = 0.25;
  for (int angle = 90; angle <= 170; angle += 10) {
    SCOPED_TRACE(angle);
    Surface s = rigid_test::groove(angle, 16, 16, 12, h);
    s.finish(8 * h);
    const double c = std::cos(angle * M_PI / 180), sn = std::sin(angle * M_PI / 180);
    // The point at `floor` over the floor and `wall` off the wall (whose unit normal into the
    // groove is (sin, 0, -cos)), across the middle of the groove's width.
    const auto at = [&](double floor, double wall, double y) { return Point3{(wall + floor * c) / sn, y, floor}; };
    std::mt19937 rng(static_cast<unsigned>(angle));
    std::uniform_real_distribution<double> u(0, 1);
    int misses = 0;
    for (int trial = 0; trial < 120 && misses < 5; ++trial) {
      const double near = h * (0.5 + 5.5 * u(rng)), far = near * (1.02 + 0.4 * u(rng)), y = h * (4 + 4 * u(rng));
      const bool toWall = trial % 2 == 0;
      const Point3 from = toWall ? at(near, far, y) : at(far, near, y), to = toWall ? at(far, near, y) : at(near, far, y);
      misses += expectWarmFrom(s, from, to, h) ? 0 : 1;
    }
  }
}

// Floor z = 0 (x 0..2, y 0..1) and wall x = 0 (z 0..2), 8 x 4 cells each: from a contact on the
// floor the walk ends under the point, a unit above the floor, while the wall lies 0.6 away.
TEST_F(FacetedRigidWarmSearch, FromTheFloorToTheNearerWall) {
  Surface s = rigid_test::groove(90, 8, 8, 4, 0.25);
  s.finish(0.25);
  Surface::Result r;
  s.search({1.3, 0.5, 0.2}, r);
  ASSERT_EQ(r.kind, 3);
  EXPECT_NEAR(r.distance(), -0.2, 1e-12);
  s.search({0.6, 0.5, 1.0}, r);
  EXPECT_EQ(r.kind, 3);
  EXPECT_NEAR(r.distance(), -0.6, 1e-12);
  // Wall facets come first (their columns of cells lie at x = 0).
  EXPECT_LE(r.entity, 64);
  EXPECT_NEAR(r.foot()[0], 0.0, 1e-12);
  EXPECT_NEAR(r.foot()[2], 1.0, 1e-12);
}

// The same floor with a shallow dip just before the wall: the floor facet that rises from the dip
// to the wall's foot lies with its plane farther from the point than the floor under it, yet the
// search must pass through it to reach the nearer wall.
TEST_F(FacetedRigidWarmSearch, FromTheFloorAcrossADipToTheNearerWall) {
  for (const double dip : {0.02, 0.1}) {
    SCOPED_TRACE(dip);
    Surface s = rigid_test::groove(90, 8, 8, 4, 0.25);
    // The floor's nodes at x = 0.25 (column 1 of 9 + 8 columns of 5 nodes) go down by dip.
    for (int j = 0; j <= 4; ++j) s.coords[3 * ((1 + 8) * 5 + j) + 2] = -dip;
    s.finish(0.25);
    expectWarmFrom(s, {1.3, 0.5, 0.2}, {0.6, 0.5, 1.0}, 0.25);
  }
}

}  // namespace
