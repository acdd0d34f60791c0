// Plane fits, point-to-plane distances, orientation and containment tests against CGAL's exact
// predicates and an Eigen least-squares solve, and the closest-entity rule against the feet of
// perpendiculars it stands for.

#include <gtest/gtest.h>

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Polygon_2_algorithms.h>
#include <Eigen/Dense>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/geometry/planes.h"

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Point2 = Kernel::Point_2;
using PlanesTest = zmxtest::HostFixture;

constexpr Real kTol = 1e-10;

int ccw(const std::array<Real, 2>& a, const std::array<Real, 2>& b, const std::array<Real, 2>& c, Real* band) {
  Real tol = kTol, running = 0.0;
  const Int o = ICOUNTERCLOCKWISE(a.data(), b.data(), c.data(), &tol, &running);
  if (band != nullptr) *band = running;
  return o;
}

int exactOrientation(const std::array<Real, 2>& a, const std::array<Real, 2>& b, const std::array<Real, 2>& c) {
  return static_cast<int>(CGAL::orientation(Point2(a[0], a[1]), Point2(b[0], b[1]), Point2(c[0], c[1])));
}

TEST_F(PlanesTest, OrientationAgreesWithExactPredicateOutsideTheBand) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<Real> coord(-100.0, 100.0), tiny(-1e-6, 1e-6), along(-2.0, 3.0);
  int checked = 0, nearDegenerate = 0;
  for (int k = 0; k < 20000; ++k) {
    std::array<Real, 2> a{coord(rng), coord(rng)}, b{coord(rng), coord(rng)}, c;
    if (k % 2 == 0) {
      c = {coord(rng), coord(rng)};
    } else {
      // Nearly collinear: on the line through a and b, then moved off it by a hair.
      const Real t = along(rng);
      c = {a[0] + t * (b[0] - a[0]) + tiny(rng), a[1] + t * (b[1] - a[1]) + tiny(rng)};
    }
    Real band = 0.0;
    const int ours = ccw(a, b, c, &band);
    const Real cross = (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
    if (std::fabs(cross) <= 2.0 * band) continue;
    ++checked;
    if (k % 2 == 1) ++nearDegenerate;
    ASSERT_EQ(ours, exactOrientation(a, b, c)) << k;
  }
  EXPECT_GT(checked, 15000);
  EXPECT_GT(nearDegenerate, 5000);
}

TEST_F(PlanesTest, CollinearPointsAreOrderedAlongTheLine) {
  const std::array<Real, 2> p1{1.0, 1.0}, p2{3.0, 2.0};
  EXPECT_EQ(ccw(p1, p2, {-1.0, 0.0}, nullptr), -1);  // behind P1
  EXPECT_EQ(ccw(p1, p2, {5.0, 3.0}, nullptr), 1);    // beyond P2
  EXPECT_EQ(ccw(p1, p2, {2.0, 1.5}, nullptr), 0);    // between
  EXPECT_EQ(ccw(p1, p2, {3.0, 2.0}, nullptr), 0);    // on P2
  EXPECT_EQ(ccw(p1, p1, {3.0, 2.0}, nullptr), 1);    // P1 = P2: P3 lies beyond
  EXPECT_EQ(ccw(p1, p2, {2.0, 2.0}, nullptr), 1);
  EXPECT_EQ(ccw(p1, p2, {2.0, 1.0}, nullptr), -1);
}

TEST_F(PlanesTest, SegmentIntersectionAgreesWithExactTest) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<Real> coord(-10.0, 10.0);
  int meets = 0;
  for (int k = 0; k < 5000; ++k) {
    std::array<Real, 2> a{coord(rng), coord(rng)}, b{coord(rng), coord(rng)}, e{coord(rng), coord(rng)},
        f{coord(rng), coord(rng)};
    Real tol = kTol, running = 0.0;
    const bool ours = FNDINTERSECTION(a.data(), b.data(), e.data(), f.data(), &tol, &running) == kTrue;
    const bool exact = CGAL::do_intersect(Kernel::Segment_2(Point2(a[0], a[1]), Point2(b[0], b[1])),
                                          Kernel::Segment_2(Point2(e[0], e[1]), Point2(f[0], f[1])));
    ASSERT_EQ(ours, exact) << k;
    meets += exact;
  }
  EXPECT_GT(meets, 500);
  // Touching counts; a degenerate segment meets a segment through it; two points meet when equal.
  const Real a[2] = {0, 0}, b[2] = {2, 0}, e[2] = {2, 0}, f[2] = {3, 5}, m[2] = {1, 0}, q[2] = {1, 1e-3};
  Real tol = kTol, running = 7.0;
  EXPECT_EQ(FNDINTERSECTION(a, b, e, f, &tol, &running), kTrue);
  EXPECT_EQ(FNDINTERSECTION(a, b, m, m, &tol, &running), kTrue);
  EXPECT_EQ(FNDINTERSECTION(q, q, a, b, &tol, &running), kFalse);
  EXPECT_EQ(FNDINTERSECTION(m, m, m, m, &tol, &running), kTrue);
  EXPECT_EQ(FNDINTERSECTION(m, m, q, q, &tol, &running), kFalse);
}

// A random simple (star-shaped) polygon of n vertices, counter-clockwise.
std::vector<Point2> starPolygon(std::mt19937& rng, int n) {
  std::uniform_real_distribution<Real> radius(0.3, 1.0), jitter(0.0, 0.9);
  std::vector<Point2> polygon;
  for (int k = 0; k < n; ++k) {
    const Real angle = 2.0 * M_PI * (k + jitter(rng)) / n;
    const Real r = radius(rng);
    polygon.emplace_back(0.2 + r * std::cos(angle), -0.1 + r * std::sin(angle));
  }
  return polygon;
}

Real distanceToBoundary(const std::vector<Point2>& polygon, const Point2& p) {
  Real best = 1e300;
  for (std::size_t k = 0; k < polygon.size(); ++k) {
    const Kernel::Segment_2 side(polygon[k], polygon[(k + 1) % polygon.size()]);
    best = std::min(best, std::sqrt(CGAL::to_double(CGAL::squared_distance(side, p))));
  }
  return best;
}

TEST_F(PlanesTest, ContainmentAgreesWithBoundedSideAwayFromTheBoundary) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<Real> coord(-1.3, 1.3);
  int inside = 0, checked = 0;
  for (int shape = 0; shape < 60; ++shape) {
    const int n = shape < 20 ? 3 : (shape < 40 ? 4 : 5 + shape % 17);
    std::vector<Point2> polygon = starPolygon(rng, n);
    if (n == 4 && !CGAL::is_convex_2(polygon.begin(), polygon.end(), Kernel())) continue;
    std::vector<Real> vertices;  // leading dimension 3: the third row is never read
    for (const auto& v : polygon) vertices.insert(vertices.end(), {v.x(), v.y(), -99.0});
    const Int ld = 3, count = n;
    for (int k = 0; k < 300; ++k) {
      const Point2 p(coord(rng), coord(rng));
      if (distanceToBoundary(polygon, p) < 1e-6) continue;
      const bool exact = CGAL::bounded_side_2(polygon.begin(), polygon.end(), p, Kernel()) == CGAL::ON_BOUNDED_SIDE;
      const Real point[2] = {p.x(), p.y()};
      Real tol = kTol, running = 5.0;
      ASSERT_EQ(INCLUDEDINPOLYGON(point, vertices.data(), &count, &ld, &tol, &running) == kTrue, exact)
          << shape << " " << k;
      if (n == 3) {
        ASSERT_EQ(INCLUDEDINTRIANGLE(point, vertices.data(), &ld, &tol, &running) == kTrue, exact);
      }
      if (n == 4) {
        ASSERT_EQ(INCLUDEDINQUAD(point, vertices.data(), &ld, &tol, &running) == kTrue, exact);
      }
      inside += exact;
      ++checked;
    }
  }
  EXPECT_GT(inside, 2000);
  EXPECT_GT(checked - inside, 2000);
}

TEST_F(PlanesTest, ContainmentEdgeCases) {
  const Real triangle[6] = {0, 0, 4, 0, 0, 4};
  const Real clockwise[6] = {0, 0, 0, 4, 4, 0};
  const Int ld = 2, three = 3;
  Real tol = kTol, running = 0.0;
  const Real onEdge[2] = {2, 0}, atVertex[2] = {4, 0}, interior[2] = {1, 1}, far[2] = {5, 1};
  EXPECT_EQ(INCLUDEDINTRIANGLE(onEdge, triangle, &ld, &tol, &running), kTrue);
  EXPECT_EQ(INCLUDEDINTRIANGLE(atVertex, triangle, &ld, &tol, &running), kTrue);
  EXPECT_EQ(INCLUDEDINTRIANGLE(interior, clockwise, &ld, &tol, &running), kFalse);
  EXPECT_EQ(INCLUDEDINPOLYGON(atVertex, triangle, &three, &ld, &tol, &running), kTrue);
  EXPECT_EQ(INCLUDEDINPOLYGON(far, triangle, &three, &ld, &tol, &running), kFalse);
  // The ray from this point first runs through the vertex (4, 2) and must turn.
  const Real quad[8] = {0, 0, 4, 2, 0, 4, -4, 2};
  const Int four = 4;
  const Real onRay[2] = {1, 2}, outside[2] = {3.5, 2.5};
  EXPECT_EQ(INCLUDEDINPOLYGON(onRay, quad, &four, &ld, &tol, &running), kTrue);
  EXPECT_EQ(INCLUDEDINPOLYGON(outside, quad, &four, &ld, &tol, &running), kFalse);
  EXPECT_EQ(INCLUDEDINQUAD(onRay, quad, &ld, &tol, &running), kTrue);
  EXPECT_GT(running, 0.0);
}

using Vec = Eigen::Vector3d;

TEST_F(PlanesTest, NewellNormalIsTwiceTheAreaAlongTheUnitNormal) {
  std::mt19937 rng(17);
  std::uniform_real_distribution<Real> unit(-1.0, 1.0);
  for (int k = 0; k < 200; ++k) {
    const Vec n = Vec(unit(rng), unit(rng), unit(rng)).normalized();
    const Vec a = n.unitOrthogonal(), b = n.cross(a);
    const Vec origin(unit(rng) * 10, unit(rng) * 10, unit(rng) * 10);
    const int count = 3 + k % 6;
    std::vector<Real> points;
    Real area = 0.0;
    std::vector<Eigen::Vector2d> flat;
    for (int i = 0; i < count; ++i) {
      const Real angle = 2.0 * M_PI * (i + 0.4 * (unit(rng) + 1.0)) / count, r = 1.0 + 0.5 * unit(rng);
      flat.emplace_back(r * std::cos(angle), r * std::sin(angle));
    }
    Vec mean = Vec::Zero();
    for (int i = 0; i < count; ++i) {
      const auto& p = flat[i];
      const auto& q = flat[(i + 1) % count];
      area += 0.5 * (p.x() * q.y() - q.x() * p.y());
      const Vec x = origin + p.x() * a + p.y() * b;
      mean += x / count;
      points.insert(points.end(), {x.x(), x.y(), x.z()});
    }
    const Int np = count;
    Real normal[3], centroid[3], axes[6], vectors[3 * 8];
    Logical flag = 7, wanted = kTrue;
    PLANEEQUATION(points.data(), &np, normal, centroid, axes, &flag, vectors, &wanted);
    const Vec newell(normal[0], normal[1], normal[2]);
    EXPECT_LT((newell - 2.0 * area * n).norm(), 1e-12 * area) << k;
    EXPECT_LT((Vec(centroid[0], centroid[1], centroid[2]) - mean).norm(), 1e-12 * (1 + mean.norm()));
    const Vec e1(axes[0], axes[1], axes[2]), e2(axes[3], axes[4], axes[5]);
    EXPECT_NEAR(e1.norm(), 1.0, 1e-14);
    EXPECT_NEAR(e2.norm(), 1.0, 1e-14);
    EXPECT_NEAR(e1.dot(e2), 0.0, 1e-14);
    EXPECT_LT((e1.cross(e2) - n).norm(), 1e-12);
    EXPECT_EQ(flag, std::fabs(n.x()) < 0.9999985 ? kTrue : kFalse);
    for (int i = 0; i < count; ++i)
      for (int c = 0; c < 3; ++c)
        EXPECT_DOUBLE_EQ(vectors[3 * i + c], points[3 * ((i + 1) % count) + c] - points[3 * ((i + count - 1) % count) + c]);
  }
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(PlanesTest, PlaneEquationEdgeCases) {
  const Int four = 4;
  Real normal[3], centroid[3], axes[6], vectors[12];
  Logical flag = 0, wanted = kFalse;
  const Real square[12] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  PLANEEQUATION(square, &four, normal, centroid, axes, &flag, vectors, &wanted);
  EXPECT_EQ(Vec(normal[0], normal[1], normal[2]), Vec(0, 0, 2));
  EXPECT_EQ(Vec(centroid[0], centroid[1], centroid[2]), Vec(0.5, 0.5, 0));
  EXPECT_EQ(flag, kTrue);
  EXPECT_EQ(Vec(axes[3], axes[4], axes[5]), Vec(0, 1, 0));
  EXPECT_EQ(Vec(axes[0], axes[1], axes[2]), Vec(1, 0, 0));

  const Real xPlane[12] = {3, 0, 0, 3, 1, 0, 3, 1, 1, 3, 0, 1};
  PLANEEQUATION(xPlane, &four, normal, centroid, axes, &flag, vectors, &wanted);
  EXPECT_EQ(flag, kFalse);
  EXPECT_EQ(Vec(axes[3], axes[4], axes[5]), Vec(0, -1, 0));  // (ny, -nx, 0) with n = (1, 0, 0)
  EXPECT_LT((Vec(axes[0], axes[1], axes[2]).cross(Vec(axes[3], axes[4], axes[5])) - Vec(1, 0, 0)).norm(), 1e-15);

  // Collinear points: no plane; the message, and e2 left as it was.
  const Real line[9] = {0, 0, 0, 1, 1, 1, 2, 2, 2};
  const Int three = 3;
  axes[3] = 0.25;
  PLANEEQUATION(line, &three, normal, centroid, axes, &flag, vectors, &wanted);
  ASSERT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_EQ(eqc_testing::messages().back().text,
            "ERROR IN PLANEEQUATION.  UNABLE TO DETERMINE PLANE SURFACE.  THE SURFACE MAY BE SEVERELY DISTORTED");
  EXPECT_EQ(axes[3], 0.25);
}

TEST_F(PlanesTest, FootOnPlaneAgreesWithLeastSquaresSolve) {
  std::mt19937 rng(23);
  std::uniform_real_distribution<Real> unit(-1.0, 1.0);
  for (int k = 0; k < 500; ++k) {
    const Vec e1(unit(rng), unit(rng), unit(rng)), e2(unit(rng), unit(rng), unit(rng));
    const Vec x0(unit(rng), unit(rng), unit(rng)), p(3 * unit(rng), 3 * unit(rng), 3 * unit(rng));
    const Vec n = k % 2 == 0 ? e1.cross(e2) : Vec(-3.0 * e1.cross(e2));
    Eigen::Matrix<Real, 3, 2> basis;
    basis << e1, e2;
    const Eigen::Vector2d uv = basis.colPivHouseholderQr().solve(p - x0);
    const Vec foot = x0 + basis * uv;
    const Real axes[6] = {e1.x(), e1.y(), e1.z(), e2.x(), e2.y(), e2.z()};
    Real ourFoot[3], ourUv[2], distance;
    Logical failed = 5;
    FNDMINDISTTOPLANE(n.data(), axes, x0.data(), p.data(), ourFoot, ourUv, &distance, &failed);
    ASSERT_EQ(failed, kFalse);
    EXPECT_LT((Vec(ourFoot[0], ourFoot[1], ourFoot[2]) - foot).norm(), 1e-10);
    EXPECT_NEAR(ourUv[0], uv.x(), 1e-9 * (1 + std::fabs(uv.x())));
    EXPECT_NEAR(ourUv[1], uv.y(), 1e-9 * (1 + std::fabs(uv.y())));
    const Real expected = ((foot - p).dot(n) < 0 ? -1.0 : 1.0) * (foot - p).norm();
    EXPECT_NEAR(distance, expected, 1e-10);
  }
  // A point on the normal side is at a negative distance; parallel axes fail.
  const Real up[3] = {0, 0, 1}, axes[6] = {1, 0, 0, 0, 1, 0}, origin[3] = {0, 0, 0}, above[3] = {2, 3, 5};
  Real foot[3], uv[2], distance;
  Logical failed = 0;
  FNDMINDISTTOPLANE(up, axes, origin, above, foot, uv, &distance, &failed);
  EXPECT_EQ(distance, -5.0);
  const Real parallel[6] = {1, 1, 0, 2, 2, 0};
  foot[0] = 42.0;
  FNDMINDISTTOPLANE(up, parallel, origin, above, foot, uv, &distance, &failed);
  EXPECT_EQ(failed, kTrue);
  EXPECT_EQ(distance, -1e36);
  EXPECT_EQ(foot[0], 42.0);
}

// Foot of the perpendicular from the point on the line through x and y (a distance l apart, at
// distances dx, dy from the point) lies beyond x, on the side away from y.
bool footBeyond(Real dx, Real dy, Real l) {
  // Place x at 0 and y at l on a line; the point's coordinate along it is s.
  const Real s = (dx * dx - dy * dy + l * l) / (2.0 * l);
  return s < 0.0;
}

int expectedEntity(Real d1, Real d2, Real d3, Real la, Real lb, bool f1, bool f2) {
  const bool b12 = footBeyond(d1, d2, la), b21 = footBeyond(d2, d1, la), b13 = footBeyond(d1, d3, la),
             b31 = footBeyond(d3, d1, la), b23 = footBeyond(d2, d3, lb), b32 = footBeyond(d3, d2, lb);
  if (!f1 && !f2) return !(b13 || b23) ? 1 : (b12 ? 3 : 2);
  if (!f1) return !(b13 || b23) ? 1 : (b21 ? 0 : 3);
  if (!f2) return !(b12 || b32) ? 2 : (b31 ? 0 : 3);
  return (b21 || b31) ? 0 : 3;
}

TEST_F(PlanesTest, ClosestEntityFollowsTheFeetOfPerpendiculars) {
  std::mt19937 rng(29);
  std::uniform_real_distribution<Real> dist(0.0, 2.0), len(0.05, 1.0);
  int codes[4] = {};
  for (int k = 0; k < 20000; ++k) {
    const Real d1 = dist(rng), d2 = dist(rng), d3 = dist(rng), la = len(rng), lb = len(rng);
    const Logical f1 = (k & 1) ? kTrue : kFalse, f2 = (k & 2) ? 1 : kFalse;  // 1 is true on its lowest bit
    // Skip near ties of any test, where rounding may decide.
    bool tie = false;
    for (auto [x, y, l] : {std::array<Real, 3>{d1, d2, la}, {d1, d3, la}, {d2, d3, lb}})
      tie = tie || std::fabs(std::fabs(y * y - x * x) - l * l) < 1e-9;
    if (tie) continue;
    Int code = -1;
    FNDCLOSESTENTITY(&d1, &d2, &d3, &la, &lb, &f1, &f2, &code);
    ASSERT_EQ(code, expectedEntity(d1, d2, d3, la, lb, f1 != 0, f2 != 0)) << k;
    ++codes[code];
    if (f1 != 0) {
      ASSERT_NE(code, 1);
    }
    if (f2 != 0) {
      ASSERT_NE(code, 2);
    }
  }
  for (int c = 0; c < 4; ++c) EXPECT_GT(codes[c], 100) << c;
}

}  // namespace
