// Projection of a point along a direction onto a facet: hits on flat triangles and quadrilaterals
// against CGAL's line-triangle intersection, curved facets by their own equation, 2-D segments,
// misses against the nearest point of the corner polygon, and the pull back inside a margin.

#include <gtest/gtest.h>

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/intersections.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "siblings/eqc/testing.h"
#include "zmx/geometry/feet.h"

namespace {

using K = CGAL::Exact_predicates_inexact_constructions_kernel;

struct Projection {
  double xi, eta, t, tangents[6], normal[3], point[3], overshoot, length;
  Logical found;
  Int cls, corner, location, nearest, degenerate;
};

Projection project(const std::vector<double>& x, Int n, const double* p, const double* v, Int dim = 3,
                   bool halves = false, double tol = 0.01) {
  Projection r{};
  const Int ld = dim;
  const Logical h = halves ? kTrue : kFalse;
  CALVECDISTTOSURF1(x.data(), &ld, p, v, &r.xi, &r.eta, &n, &tol, &r.found, &r.cls, &r.t, r.tangents, "MASTER", 6,
                    r.normal, r.point, &r.overshoot, &r.length, &r.corner, &r.location, &r.nearest, &h, &dim,
                    &r.degenerate);
  return r;
}

double dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// A miss beyond a side: not found, location 2, the side foot at (x, y).
void expectSideFoot(const Projection& r, double x, double y) {
  EXPECT_EQ(r.found, kFalse);
  EXPECT_EQ(r.location, 2);
  EXPECT_NEAR(r.point[0], x, 1e-12);
  EXPECT_NEAR(r.point[1], y, 1e-12);
}

// Nearest point of the corner polygon's boundary to p, and whether it is a corner.
struct Boundary {
  double point[3];
  bool corner;
};

Boundary nearestBoundary(const std::vector<double>& x, int corners, const double* p) {
  Boundary best{{0, 0, 0}, false};
  double bestD = 1e300;
  for (int k = 0; k < corners; ++k) {
    const double* a = &x[3 * k];
    const double* b = &x[3 * ((k + 1) % corners)];
    double ab[3], ap[3];
    for (int i = 0; i < 3; ++i) ab[i] = b[i] - a[i], ap[i] = p[i] - a[i];
    const double s = std::clamp(dot(ap, ab) / dot(ab, ab), 0.0, 1.0);
    double q[3], d = 0.0;
    for (int i = 0; i < 3; ++i) q[i] = a[i] + s * ab[i], d += (p[i] - q[i]) * (p[i] - q[i]);
    if (d < bestD - 1e-15) {
      bestD = d;
      std::copy_n(q, 3, best.point);
      best.corner = s <= 1e-9 || s >= 1 - 1e-9;
    }
  }
  return best;
}

TEST(VectorProjection, FlatFacetsHitWhereTheReferenceDoes) {
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const std::vector<double> tri = {0.0, 0.0, 0.0, 2.0, 0.2, 0.1, 0.3, 1.8, -0.2};
  const std::vector<double> quad = {0.0, 0.0, 0.0, 2.0, 0.0, 0.2, 2.2, 1.9, 0.41, -0.1, 2.0, 0.19};  // planar
  int hits = 0, misses = 0;
  for (Int n : {3, 4}) {
    const std::vector<double>& x = n == 3 ? tri : quad;
    auto node = [&](int j) { return K::Point_3(x[3 * j], x[3 * j + 1], x[3 * j + 2]); };
    std::vector<K::Triangle_3> pieces = {K::Triangle_3(node(0), node(1), node(2))};
    if (n == 4) pieces.emplace_back(node(0), node(2), node(3));
    for (int s = 0; s < 200; ++s) {
      const double p[3] = {3.0 * unit(rng) - 0.5, 3.0 * unit(rng) - 0.5, 1.0 + unit(rng)};
      double v[3] = {0.6 * (unit(rng) - 0.5), 0.6 * (unit(rng) - 0.5), 1.0};
      const double l = std::sqrt(dot(v, v));
      for (double& c : v) c /= l;
      if (s % 2 == 1)
        for (double& c : v) c = -c;
      const K::Line_3 line(K::Point_3(p[0], p[1], p[2]), K::Vector_3(v[0], v[1], v[2]));
      bool hit = false;
      double where[3] = {};
      for (const K::Triangle_3& t : pieces) {
        const auto result = CGAL::intersection(line, t);
        if (!result) continue;
        if (const K::Point_3* q = boost::get<K::Point_3>(&*result)) {
          hit = true;
          where[0] = q->x(), where[1] = q->y(), where[2] = q->z();
        }
      }
      const Projection r = project(x, n, p, v);
      if (hit) {
        // Within a hair of the boundary the tolerance band decides; the reference does not know it.
        ++hits;
        ASSERT_EQ(r.found, kTrue) << s;
        // Converged to 1e-5 L in the residual; the triangle's linear map in one step.
        const double tol = n == 3 ? 1e-12 : 3e-5 * r.length;
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(r.point[i], where[i], tol) << s;
        double d[3] = {p[0] - where[0], p[1] - where[1], p[2] - where[2]};
        EXPECT_NEAR(r.t, dot(d, v), tol);
        EXPECT_TRUE(r.location == 3 || r.overshoot > 0.0);
      } else if (r.found != kTrue) {
        // A miss: the nearest side or corner of the corner polygon to the point.
        ++misses;
        // A foot within the tolerance of a side's end counts as the corner and stays where it is.
        const Boundary b = nearestBoundary(x, n, p);
        const double gap = std::sqrt((r.point[0] - b.point[0]) * (r.point[0] - b.point[0]) +
                                     (r.point[1] - b.point[1]) * (r.point[1] - b.point[1]) +
                                     (r.point[2] - b.point[2]) * (r.point[2] - b.point[2]));
        if (r.location == 2) {
          EXPECT_FALSE(b.corner) << s;
          EXPECT_LE(gap, 1e-9) << s;
        } else {
          EXPECT_EQ(r.location, 1) << s;
          EXPECT_LE(gap, 0.02 * r.length) << s;
        }
        EXPECT_EQ(r.overshoot, 1e36);
      }
    }
  }
  EXPECT_GT(hits, 100);
  EXPECT_GT(misses, 20);
}

TEST(VectorProjection, CurvedFacetsAndSegmentsSatisfyTheLineEquation) {
  // A 9-node facet on the biquadratic map the facet reproduces exactly.
  auto map = [](double a, double b, double* y) {
    y[0] = 2.0 * a + 0.1 * a * a * b;
    y[1] = 1.5 * b + 0.1 * a * b * b;
    y[2] = 0.2 * a * a - 0.15 * b * b + 0.1 * a * b;
  };
  const double at[9][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {0, 0}};
  std::vector<double> x;
  for (auto [a, b] : at) {
    double y[3];
    map(a, b, y);
    x.insert(x.end(), y, y + 3);
  }
  std::mt19937 rng(6);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int s = 0; s < 100; ++s) {
    const double a = 1.8 * (unit(rng) - 0.5), b = 1.8 * (unit(rng) - 0.5), h = 2.0 * (unit(rng) - 0.5);
    double v[3] = {0.4 * (unit(rng) - 0.5), 0.4 * (unit(rng) - 0.5), 1.0}, y[3], p[3];
    const double lv = std::sqrt(dot(v, v));  // t = (P - X) . V is the line parameter for a unit V
    for (double& c : v) c /= lv;
    map(a, b, y);
    for (int i = 0; i < 3; ++i) p[i] = y[i] + h * v[i];
    const Projection r = project(x, 9, p, v);
    ASSERT_EQ(r.found, kTrue) << s;
    EXPECT_EQ(r.location, 3);
    double z[3];
    map(r.xi, r.eta, z);
    double e = 0.0;
    for (int i = 0; i < 3; ++i) e += (z[i] + r.t * v[i] - p[i]) * (z[i] + r.t * v[i] - p[i]);
    EXPECT_LE(std::sqrt(e), 1e-5 * r.length);
    EXPECT_NEAR(r.xi, a, 1e-4);
  }

  // 2-D segments along x and along y: a straight one and a parabola through its middle node.
  const std::vector<double> straight = {0.0, 0.0, 2.0, 1.0};
  const std::vector<double> curved = {-1.0, 0.0, 0.0, 0.5, 1.0, 0.0};  // y = 0.5 (1 - x^2)
  for (int s = 0; s < 50; ++s) {
    const double u = 1.8 * (unit(rng) - 0.5);
    const double along[2] = {1.0, 0.0}, up[2] = {0.0, 1.0};
    // Straight: the point (1 + u, 0.5 (1 + u) + 0.3) hits along y at xi = u, t = 0.3.
    double p[2] = {1.0 + u, 0.5 * (1.0 + u) + 0.3};
    Projection r = project(straight, 2, p, up, 2);
    ASSERT_EQ(r.found, kTrue);
    EXPECT_NEAR(r.xi, u, 1e-9);
    EXPECT_NEAR(r.t, 0.3, 1e-9);
    EXPECT_EQ(r.location, 3);
    // Along x from the left of the straight segment.
    p[0] = 1.0 + u - 0.4, p[1] = 0.5 * (1.0 + u);
    r = project(straight, 2, p, along, 2);
    ASSERT_EQ(r.found, kTrue);
    EXPECT_NEAR(r.xi, u, 1e-9);
    EXPECT_NEAR(r.t, -0.4, 1e-9);
    // The parabola hit along y: x = u, y = 0.5 (1 - u^2).
    const double q[2] = {u, 0.5 * (1.0 - u * u) - 0.2};
    r = project(curved, 3, q, up, 2);
    ASSERT_EQ(r.found, kTrue);
    EXPECT_NEAR(r.point[0], u, 1e-5);
    EXPECT_NEAR(r.point[1], 0.5 * (1.0 - u * u), 1e-5);
    EXPECT_NEAR(r.t, -0.2, 1e-5);
  }
}

// A flat 6-node triangle searched whole and as three sub-facets, the two halves of a straight
// 3-node segment, a 2-D miss and facets with no normal.
TEST(VectorProjection, TrianglesBySubFacetsSegmentHalvesAndDegenerateFacets) {
  // The triangle (0,0), (2,0), (0,2) at height 1 with its midside nodes; along -z the hit is the
  // point below, with area coordinates half its (x, y) when searched whole.
  const std::vector<double> six = {0, 0, 1, 2, 0, 1, 0, 2, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1};
  const double down[3] = {0.0, 0.0, -1.0};
  for (bool split : {false, true}) {
    for (auto [x, y] : {std::pair{0.3, 0.4}, {1.2, 0.5}, {0.2, 1.5}}) {
      const double p[3] = {x, y, 1.7};
      const Projection r = project(six, 6, p, down, 3, split);
      ASSERT_EQ(r.found, kTrue) << split << x;
      // The sub-facets' map is bilinear: converged to 1e-5 L in the residual.
      const double tol = split ? 1e-5 * r.length : 1e-12;
      EXPECT_NEAR(r.point[0], x, tol);
      EXPECT_NEAR(r.point[1], y, tol);
      EXPECT_NEAR(r.t, -0.7, tol);
      EXPECT_EQ(r.location, 3);
      if (split) {
        // The sub-facet of the nearest corner holds the point.
        const int corner = x + y < 1.0 ? 1 : x > y ? 2 : 3;
        EXPECT_EQ(r.corner, corner) << x;
      } else {
        EXPECT_NEAR(r.xi, x / 2, 1e-12);
        EXPECT_NEAR(r.eta, y / 2, 1e-12);
      }
    }
    // Missed beyond the hypotenuse: its foot, found by the sub-facets' estimate when split.
    const double p[3] = {2.0, 1.0, 1.7};
    const Projection r = project(six, 6, p, down, 3, split);
    expectSideFoot(r, 1.5, 0.5);
    EXPECT_NEAR(r.normal[2], 1.0, 1e-12);
    if (split) {
      EXPECT_GE(r.corner, 1);
      EXPECT_LE(r.corner, 3);
    } else {
      EXPECT_NEAR(r.xi, 0.75, 1e-9);
      EXPECT_NEAR(r.eta, 0.25, 1e-9);
    }
  }

  // The straight segment (-1, 0), (0, 0), (1, 0) (end, middle, end) in two halves, hit along -y:
  // half 1 covers x in [-1, 0] with xi = 2 x + 1, half 2 x in [0, 1] with xi = 2 x - 1; each takes
  // the band beyond its outer end only.
  const std::vector<double> segment = {-1.0, 0.0, 0.0, 0.0, 1.0, 0.0};
  const double below[2] = {0.0, -1.0};
  struct Case {
    double x;
    bool found;
    Int half;
    double xi, overshoot;
  };
  for (const Case& c : {Case{-0.5, true, 1, 0.0, 0.0}, Case{0.25, true, 2, -0.5, 0.0},
                        Case{-1.005, true, 1, -1.01, 0.005}, Case{1.005, true, 2, 1.01, 0.005},
                        Case{1.5, false, 0, 0.0, 1e36}}) {
    const double p[2] = {c.x, 0.6};
    const Projection r = project(segment, 3, p, below, 2, true);
    ASSERT_EQ(r.found, c.found ? kTrue : kFalse) << c.x;
    EXPECT_EQ(r.corner, c.half) << c.x;
    EXPECT_NEAR(r.xi, c.xi, 1e-12) << c.x;
    EXPECT_NEAR(r.overshoot, c.overshoot, 1e-12) << c.x;
    if (c.found) {
      EXPECT_NEAR(r.t, -0.6, 1e-12);
      EXPECT_NEAR(r.point[0], c.x, 1e-12);
    } else {
      // A 2-D miss keeps the point itself, with its nearest node.
      EXPECT_EQ(r.t, -1e36);
      EXPECT_EQ(r.point[0], c.x);
      EXPECT_EQ(r.point[1], 0.6);
      EXPECT_EQ(r.nearest, 3);
    }
  }

  // No normal at a start inside the facet: the degenerate flag with the markers. A quadrilateral
  // and a triangle with their nodes on one line, and a segment of one point.
  struct Degenerate {
    std::vector<double> x;
    Int n, dim;
  };
  const double p[3] = {0.3, 0.2, 1.0}, v[3] = {0.0, 0.0, -1.0};
  for (const Degenerate& d : {Degenerate{{0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0}, 4, 3},
                              Degenerate{{0, 0, 0, 1, 0, 0, 2, 0, 0}, 3, 3}, Degenerate{{1, 1, 1, 1}, 2, 2}}) {
    const Projection r = project(d.x, d.n, p, v, d.dim);
    EXPECT_EQ(r.degenerate, 1) << d.n;
    EXPECT_EQ(r.found, kFalse);
    EXPECT_EQ(r.t, -1e36);
    EXPECT_EQ(r.overshoot, 1e36);
    EXPECT_EQ(r.normal[0], 0.0);
    EXPECT_EQ(r.tangents[0], 0.0);
  }
}

TEST(VectorProjection, MissesOnQuadraticFacetsAndThePullInside) {
  // A flat 8-node facet missed beyond a side: the side foot, location 2, and no message.
  std::vector<double> x;
  const double at[8][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}};
  for (auto [a, b] : at) x.insert(x.end(), {a, b, 0.0});
  eqc_testing::clearMessages();
  const double p[3] = {3.0, 0.2, 1.0}, v[3] = {0.0, 0.0, 1.0};
  Projection r = project(x, 8, p, v);
  expectSideFoot(r, 1.0, 0.2);
  EXPECT_NEAR(r.xi, 1.0, 1e-9);
  EXPECT_NEAR(r.eta, 0.2, 1e-9);
  EXPECT_NEAR(r.normal[2], 1.0, 1e-12);
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
  // Beyond a corner: the corner, location 1, its node nearest.
  const double c[3] = {3.0, 2.5, 1.0};
  r = project(x, 8, c, v);
  EXPECT_EQ(r.location, 1);
  EXPECT_EQ(r.nearest, 3);
  EXPECT_NEAR(r.point[0], 1.0, 1e-12);
  EXPECT_NEAR(r.point[1], 1.0, 1e-12);

  // An unsupported count: the message and nothing found.
  r = project(x, 5, p, v);
  EXPECT_EQ(r.found, kFalse);
  EXPECT_EQ(r.t, -1e36);
  ASSERT_EQ(eqc_testing::messages().size(), 1u);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);

  // In two dimensions a segment of more nodes is searched as the 3-node one: a count of the list
  // without a message, any other after it.
  const std::vector<double> segment = {0.0, 0.0, 1.0, 0.2, 2.0, 0.0, 9.0, 9.0, 9.0, 9.0};
  const double above[2] = {0.7, 1.0}, down[2] = {0.0, -1.0};
  const Projection three = project(segment, 3, above, down, 2);
  ASSERT_EQ(three.found, kTrue);
  for (const Int count : {4, 5}) {
    eqc_testing::clearMessages();
    const Projection more = project(segment, count, above, down, 2);
    EXPECT_EQ(more.found, kTrue) << count;
    EXPECT_EQ(more.xi, three.xi) << count;
    EXPECT_EQ(more.t, three.t) << count;
    EXPECT_EQ(eqc_testing::countAtLevel(-3), count == 5 ? 1 : 0);
  }

  // The pull back inside a margin, with the facet evaluated there.
  const std::vector<double> quad = {-1.0, -1.0, 0.0, 1.0, -1.0, 0.0, 1.0, 1.0, 0.5, -1.0, 1.0, 0.5};
  double xi = 0.9999, eta = -0.3, normal[3], point[3];
  const Int n = 4, ld = 3, corner = 0;
  const double margin = 0.001;
  const Logical no = kFalse;
  Int status = 7;
  SHR_SPOTADJUSTCOORD(quad.data(), &ld, &xi, &eta, &n, &margin, normal, point, &corner, &no, nullptr, &status);
  EXPECT_DOUBLE_EQ(xi, 0.999);
  EXPECT_EQ(eta, -0.3);
  EXPECT_EQ(status, 0);
  EXPECT_NEAR(point[0], 0.999, 1e-12);
  EXPECT_NEAR(point[2], 0.25 * (1.0 - 0.3), 1e-12);
}

}  // namespace
