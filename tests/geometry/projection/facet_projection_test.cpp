// Projection of a point onto one facet against independent oracles: the exact closest point of
// flat facets, round trips P = S(xi, eta) + h N on curved facets whose interpolation is the
// surface itself, an exact cylinder, and the classification against the textbook closest point of
// triangles and flat quadrilaterals; curved cylindrical facets moved off their cylinder against
// their functions written out in the test.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

#include "siblings/eqc/testing.h"
#include "tests/geometry/cylinders/cylinder_model.h"
#include "tests/geometry/projection/projection_support.h"
#include "tests/support/closest_point.h"
#include "tests/support/host_fixture.h"
#include "zmx/geometry.h"

namespace {

using namespace projection_support;
using V3 = std::array<double, 3>;
using FacetProjection = zmxtest::HostFixture;

V3 sub(const V3& a, const V3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
V3 add(const V3& a, const V3& b, double s = 1) { return {a[0] + s * b[0], a[1] + s * b[1], a[2] + s * b[2]}; }
double dot(const V3& a, const V3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double norm(const V3& a) { return std::sqrt(dot(a, a)); }
V3 cross(const V3& a, const V3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
V3 node(const std::vector<double>& x, int j) { return {x[3 * j], x[3 * j + 1], x[3 * j + 2]}; }

// The facet's point and unit normal at (xi, eta) from its own properties.
void surfaceAt(const std::vector<double>& x, int n, double xi, double eta, const Options& o, V3& s, V3& normal) {
  const int mode = 1, ld = 3, k = o.collapsed ? 1 : 0;
  const Logical collapsed = toLogical(o.collapsed), cylindrical = toLogical(o.cylindrical);
  double t[6], d[12];
  int status = 0;
  FACET_3D_FACETFACE_PROP(&mode, &xi, &eta, &n, &collapsed, &k, &cylindrical, o.cylinder.data(), x.data(), &ld,
                          s.data(), normal.data(), t, d, &status);
  ASSERT_EQ(status, 0);
}

// Random facet node positions in its own coordinates, mapped to the graph of a quadratic over an
// affine map of the plane, so that the interpolation is the surface itself.
std::vector<double> graphFacet(const std::vector<std::array<double, 2>>& at, std::mt19937& rng, double bend) {
  std::uniform_real_distribution<double> d(-1, 1);
  const double a[6] = {1.5 + 0.3 * d(rng), 0.3 * d(rng), 0.3 * d(rng), 1.5 + 0.3 * d(rng), d(rng), d(rng)};
  const double q[6] = {d(rng), d(rng), d(rng), bend * d(rng), bend * d(rng), bend * d(rng)};
  std::vector<double> x;
  for (const auto& uv : at) {
    const double px = a[0] * uv[0] + a[1] * uv[1] + a[4], py = a[2] * uv[0] + a[3] * uv[1] + a[5];
    x.insert(x.end(), {px, py, q[0] + q[1] * px + q[2] * py + q[3] * px * px + q[4] * px * py + q[5] * py * py});
  }
  return x;
}

const std::vector<std::array<double, 2>> kTriangle = {{0, 0}, {1, 0}, {0, 1}, {0.5, 0}, {0.5, 0.5}, {0, 0.5}};
const std::vector<std::array<double, 2>> kSquare = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1},
                                                    {1, 0},   {0, 1},  {-1, 0}, {0, 0}};

TEST_F(FacetProjection, EveryKindInvertsAPointAlongItsNormal) {
  std::mt19937 rng(21);
  std::uniform_real_distribution<double> d(0, 1);
  struct Kind {
    int n;
    bool triangle;
    double bend;
  };
  for (const Kind& kind : {Kind{3, true, 0}, Kind{4, false, 0}, Kind{4, false, 0.3}, Kind{6, true, 0.3},
                           Kind{8, false, 0.3}, Kind{9, false, 0.3}}) {
    for (int trial = 0; trial < 40; ++trial) {
      SCOPED_TRACE("n " + std::to_string(kind.n) + " trial " + std::to_string(trial));
      const auto& at = kind.triangle ? kTriangle : kSquare;
      const std::vector<double> x = graphFacet({at.begin(), at.begin() + kind.n}, rng, kind.bend);
      double xi, eta;
      if (kind.triangle) {
        xi = 0.05 + 0.9 * d(rng), eta = (0.95 - xi) * d(rng) + 0.02;
      } else {
        xi = 1.8 * d(rng) - 0.9, eta = 1.8 * d(rng) - 0.9;
      }
      V3 s, normal;
      surfaceAt(x, kind.n, xi, eta, {}, s, normal);
      const double h = 0.3 * (2 * d(rng) - 1);
      const Projection r = project(x, kind.n, add(s, normal, h));
      ASSERT_EQ(r.found, kTrue);
      EXPECT_NEAR(r.xi, xi, 1e-8);
      EXPECT_NEAR(r.eta, eta, 1e-8);
      EXPECT_NEAR(r.distance, -h, 1e-10);
      EXPECT_EQ(r.outside, 0.0);
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(r.foot[i], s[i], 1e-9);
      EXPECT_NEAR(dot(r.normal, normal), 1.0, 1e-12);
      EXPECT_EQ(r.degenerate, 0);
    }
  }
}

TEST_F(FacetProjection, CollapsedTrianglesAndCylindricalFacetsInvertTheirPoints) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> d(0, 1);
  for (int trial = 0; trial < 30; ++trial) {
    // A 6-node triangle through its sub-quadrilaterals: the foot and distance of a point above
    // any of them.
    const std::vector<double> x = graphFacet(kTriangle, rng, 0.3);
    Options o;
    o.collapsed = true;
    const int k = 1 + trial % 3, n = 6, mode = 1, ld = 3;
    const double xi = 1.6 * d(rng) - 0.8, eta = 1.6 * d(rng) - 0.8;
    V3 s, normal;
    const Logical yes = kTrue, no = kFalse;
    double t[6], second[12];
    int status = 0;
    FACET_3D_FACETFACE_PROP(&mode, &xi, &eta, &n, &yes, &k, &no, o.cylinder.data(), x.data(), &ld, s.data(),
                            normal.data(), t, second, &status);
    const double h = 0.2 * (2 * d(rng) - 1);
    const Projection r = project(x, 6, add(s, normal, h), o);
    ASSERT_EQ(r.found, kTrue) << trial;
    EXPECT_EQ(r.corner, k);
    EXPECT_NEAR(r.xi, xi, 1e-8);
    EXPECT_NEAR(r.eta, eta, 1e-8);
    EXPECT_NEAR(r.distance, -h, 1e-10);
  }
  {
    // Missed beyond the hypotenuse of a flat one, classified: the side's foot, and the facet
    // coordinates there in the sub-quadrilateral that holds it.
    const std::vector<double> x = {0, 0, 0, 2, 0, 0, 0, 2, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    Options o;
    o.collapsed = true;
    const Projection r = project(x, 6, {2.0, 1.0, 0.5}, o, true);
    EXPECT_EQ(r.found, kFalse);
    EXPECT_EQ(r.location, 2);
    EXPECT_NEAR(r.distance, std::sqrt(0.25 + 0.25 + 0.25), 1e-12);
    const V3 foot = {1.5, 0.5, 0.0};
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(r.foot[i], foot[i], 1e-12);
    ASSERT_TRUE(r.corner >= 1 && r.corner <= 3);
    const int n = 6, mode = 1, ld = 3;
    const Logical yes = kTrue, no = kFalse;
    V3 at, normal;
    double t[6], second[12];
    int status = 0;
    FACET_3D_FACETFACE_PROP(&mode, &r.xi, &r.eta, &n, &yes, &r.corner, &no, o.cylinder.data(), x.data(), &ld, at.data(),
                            normal.data(), t, second, &status);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(at[i], foot[i], 1e-9);
    EXPECT_NEAR(r.normal[2], 1.0, 1e-12);
  }
  for (int trial = 0; trial < 30; ++trial) {
    // Cylindrical facets on an exact cylinder: the foot is radial and |distance| = |rho - R|.
    const cylinder_model::Cylinder c(rng);
    const int n = trial % 2 == 0 ? 6 : 9;
    const double total = 0.3 + 1.5 * d(rng);
    std::vector<double> x;
    const double mid = total * (0.3 + 0.4 * d(rng));
    std::vector<std::array<double, 2>> at = {{-1, 0}, {1, 0}, {1, total}, {-1, total}};
    if (n == 6)
      at.insert(at.end(), {{1, mid}, {-1, mid}});
    else
      at.insert(at.end(), {{0, 0}, {1, mid}, {0, total}, {-1, mid}, {0, mid}});
    for (const auto& a : at) {
      const auto p = c.at(a[1], a[0]);
      x.insert(x.end(), p.begin(), p.end());
    }
    Options o;
    o.cylindrical = true;
    o.cylinder = {total, mid, mid, mid};
    const double theta = total * (0.05 + 0.9 * d(rng)), height = 1.8 * d(rng) - 0.9;
    const double rho = c.radius * (0.6 + 0.8 * d(rng));
    const auto p = c.at(theta, height, rho);
    const Projection r = project(x, n, {p[0], p[1], p[2]}, o);
    ASSERT_EQ(r.found, kTrue) << trial;
    EXPECT_NEAR(r.xi, height, 1e-8);
    EXPECT_NEAR(r.eta, theta, 1e-8);
    EXPECT_NEAR(std::fabs(r.distance), std::fabs(rho - c.radius), 1e-9 * c.radius);
    const auto foot = c.at(theta, height);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(r.foot[i], foot[i], 1e-9 * c.radius);
  }
}

// Curved 6- and 9-node cylindrical facets with their nodes moved off the cylinder and unequal
// midside angles (a flat 6-node record too), each angle record exactly as long as the facet
// reads it: a point P = S + h N built from the facet's functions written out in the test comes
// back to (xi, eta), S, N, the tangents and distance -h in both projections; a foot just past the
// angle A within the tolerance is accepted with its outside amount, one beyond it is not. Arcs
// of such facets, moved off their circle, give their foot and distance the same way.
TEST_F(FacetProjection, CurvedCylindricalFacetsOffTheCylinderInvertTheirPoints) {
  std::mt19937 rng(54);
  std::uniform_real_distribution<double> d(0, 1);
  const double tolerance = 0.01;
  for (int trial = 0; trial < 240; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    const cylinder_model::Cylinder c(rng);
    const int n = trial % 2 == 0 ? 6 : 9;
    const bool flat = n == 6 && trial % 8 == 0;
    const double total = 0.3 + 1.5 * d(rng);
    std::vector<double> middle;
    for (int k = 0; k < n / 3; ++k) middle.push_back(total * (0.3 + 0.4 * d(rng)));
    const double length = c.radius * total * (0.5 + d(rng));
    std::vector<double> x = cylinder_model::facetNodes(c, n, total, middle, 0, length / 2);
    for (double& v : x) v += 0.04 * c.radius * total * (2 * d(rng) - 1);
    std::vector<double> record(n == 6 ? 3 : 4, 0.0);  // on the heap, as long as the facet reads
    if (!flat) {
      record[0] = total;
      std::copy(middle.begin(), middle.end(), record.begin() + 1);
    }
    const double span = flat ? 2 : total, low = flat ? -1 : 0;
    const auto surface = [&](double xi, double eta, V3& s, V3& t1, V3& t2) {
      const auto f = cylinder_model::facetShapes(n, xi, eta, record.data());
      s = t1 = t2 = {0, 0, 0};
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < 3; ++i)
          s[i] += f.f[j] * x[3 * j + i], t1[i] += f.fx[j] * x[3 * j + i], t2[i] += f.fe[j] * x[3 * j + i];
    };
    // Inside, just past A within the tolerance, and beyond it.
    const int where = trial % 6 < 4 ? 0 : trial % 6 == 4 ? 1 : 2;
    const double xi = 1.6 * d(rng) - 0.8;
    const double eta = where == 0 ? low + span * (0.1 + 0.8 * d(rng))
                                  : low + span * (1 + tolerance * (where == 1 ? 0.2 + 0.7 * d(rng) : 1.5));
    V3 s, t1, t2;
    surface(xi, eta, s, t1, t2);
    V3 normal = cross(t1, t2);
    normal = add({0, 0, 0}, normal, 1 / norm(normal));
    const double h = 0.2 * c.radius * total * (2 * d(rng) - 1);
    const V3 p = add(s, normal, h);
    Options o;
    o.tolerance = tolerance;
    o.cylindrical = true;
    const int ld = 3, dimension = 3;
    const Logical no = kFalse, yes = kTrue;
    for (const bool classify : {false, true}) {
      Projection r;
      r.foot = {9, 9, 9};
      if (classify)
        CALPERPDISTTOSURF1(x.data(), &ld, p.data(), &r.xi, &r.eta, &n, &tolerance, &r.found, &r.distance,
                           r.tangents.data(), "MASTER  ", 8, r.normal.data(), r.foot.data(), &r.outside, &r.corner,
                           &r.location, &r.nearest, &no, &dimension, &yes, record.data(), &r.degenerate);
      else
        CALPERPDISTTOSURF(x.data(), &ld, p.data(), &r.xi, &r.eta, &n, &tolerance, &r.found, &r.distance,
                          r.tangents.data(), "MASTER  ", 8, r.normal.data(), r.foot.data(), &r.outside, &r.corner,
                          &no, &dimension, &yes, record.data(), &r.degenerate);
      EXPECT_EQ(r.degenerate, 0);
      if (where == 2) {
        EXPECT_EQ(r.found, kFalse);
        EXPECT_EQ(r.distance, -1e36);
        continue;
      }
      ASSERT_EQ(r.found, kTrue) << classify;
      // The search stops at |F| <= 1e-10 |det|: the coordinates to about 1e-10 |T|^2.
      const double reach = norm(t1) + norm(t2), slack = 1e-9 * (1 + reach * reach);
      EXPECT_NEAR(r.xi, xi, slack);
      EXPECT_NEAR(r.eta, eta, slack);
      EXPECT_NEAR(r.distance, -h, 1e-10 * c.radius);
      for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(r.foot[i], s[i], slack * reach);
        EXPECT_NEAR(r.tangents[i], t1[i], slack * reach);
        EXPECT_NEAR(r.tangents[3 + i], t2[i], slack * reach);
      }
      EXPECT_NEAR(dot(r.normal, normal), 1.0, 1e-12);
      // Past the angle the outside amount is the excess over A in units of A; a flat facet takes
      // the quadrilateral rule.
      const double outside = where == 0 ? 0.0 : flat ? (eta - 1) / 2 : (eta - total) / total;
      EXPECT_NEAR(r.outside, outside, 1e-8);
      if (!classify) continue;
      // The classifying twin names the nearest node; cylindrical facets are classified only inside.
      int nearest = 0;
      double best = 1e300;
      for (int j = 0; j < n; ++j)
        if (norm(sub(node(x, j), s)) < best) best = norm(sub(node(x, j), s)), nearest = j + 1;
      EXPECT_EQ(r.nearest, nearest);
      EXPECT_EQ(r.location, where == 0 ? 3 : 0);
    }
    if (flat) continue;
    // The arc 1-(6 or 8)-4 of the facet as a curve segment with the edge's angle pair.
    const std::vector<double> pair = {total, middle[0]};  // on the heap, two reals
    double y[9];
    const int arcNodes[3] = {0, n == 6 ? 5 : 7, 3};
    for (int k = 0; k < 3; ++k)
      for (int i = 0; i < 3; ++i) y[3 * k + i] = x[3 * arcNodes[k] + i];
    const double theta = total * (0.1 + 0.8 * d(rng));
    V3 onArc, unused1, along;
    surface(-1, theta, onArc, unused1, along);
    V3 off = cross(along, {d(rng) - 0.5, d(rng) - 0.5, d(rng) - 0.5});
    off = add({0, 0, 0}, off, h / norm(off));
    const V3 q = add(onArc, off);
    double at, distance, work, foot[3];
    CALPERPDISTTOCURVE(y, q.data(), &at, &distance, &no, &tolerance, &no, &no, &yes, &work, foot, &yes, pair.data());
    EXPECT_NEAR(at, theta, 1e-5 * total);
    EXPECT_NEAR(distance, std::fabs(h), 1e-8 * c.radius);
    V3 expected, unused2, unused3;
    surface(-1, at, expected, unused2, unused3);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(foot[i], expected[i], 1e-12 * c.radius);
  }
  // A 6-node facet on the unit cylinder about z, t from 0 to 1 and z from -1 to 1, and the point
  // 1.5 (cos 0.5, sin 0.5, 0): the first start is the foot. The normal d/dxi x d/deta = z x e_theta
  // points to the axis, so the point lies 0.5 behind it.
  std::vector<double> x;
  for (const auto& [t, z] : {std::pair{0.0, -1.0}, {0.0, 1.0}, {1.0, 1.0}, {1.0, -1.0}, {0.5, 1.0}, {0.5, -1.0}})
    x.insert(x.end(), {std::cos(t), std::sin(t), z});
  Options o;
  o.cylindrical = true;
  o.cylinder = {1, 0.5, 0.5, 0};
  const Projection r = project(x, 6, {1.5 * std::cos(0.5), 1.5 * std::sin(0.5), 0}, o);
  EXPECT_EQ(r.found, kTrue);
  EXPECT_NEAR(r.xi, 0.0, 1e-12);
  EXPECT_NEAR(r.eta, 0.5, 1e-12);
  EXPECT_NEAR(r.distance, 0.5, 1e-12);
  EXPECT_NEAR(r.normal[0], -std::cos(0.5), 1e-12);
  EXPECT_NEAR(r.normal[1], -std::sin(0.5), 1e-12);
}

TEST_F(FacetProjection, LinesInTwoDimensionsAndTheAcceptanceEdges) {
  // A 2-node line: the foot, the sign and the tangents (the second one (0, 0, -1)).
  const std::vector<double> line = {0, 0, 4, 0};
  Options plane;
  plane.dimension = 2;
  Projection r = project(line, 2, {1, 0.5, 0}, plane);
  EXPECT_EQ(r.found, kTrue);
  EXPECT_DOUBLE_EQ(r.xi, -0.5);
  EXPECT_EQ(r.eta, 0.0);
  EXPECT_DOUBLE_EQ(r.distance, -0.5);  // the normal (-t_y, t_x) points up, towards the point
  EXPECT_EQ(r.tangents, (std::array<double, 6>{2, 0, 0, 0, 0, -1}));
  // A 3-node line with its middle node off the chord: round trip along the normal.
  const std::vector<double> arc = {0, 0, 1, 0.4, 2, 0};
  for (double xi : {-0.7, 0.1, 0.8}) {
    const int mode = 1, n = 3, half = 1, ld = 2;
    const Logical no = kFalse;
    double s[2], nn[2], t[2], d2[2];
    int status;
    FACET_2D_FACETFACE_PROP(&mode, &xi, &n, &no, &half, arc.data(), &ld, s, nn, t, d2, &status);
    r = project(arc, 3, {s[0] + 0.2 * nn[0], s[1] + 0.2 * nn[1], 0}, plane);
    EXPECT_NEAR(r.xi, xi, 1e-9);
    EXPECT_NEAR(r.distance, -0.2, 1e-12);
  }
  // The classifying twin never classifies a line in two dimensions: location 0 inside, just
  // outside and far outside; a found foot still names its nearest node; the rest is the plain
  // projection's.
  for (const auto& [nodes, x] : {std::pair{2, line}, std::pair{3, arc}}) {
    for (const std::array<double, 3>& q :
         {std::array<double, 3>{1, 0.5, 0}, {0.5, -0.3, 0}, {-0.01, 0.2, 0}, {-3, 1, 0}}) {
      const Projection plain = project(x, nodes, q, plane);
      const Projection classified = project(x, nodes, q, plane, true);
      EXPECT_EQ(classified.location, 0) << nodes << " " << q[0];
      EXPECT_EQ(classified.found, plain.found);
      EXPECT_EQ(classified.distance, plain.distance);
      EXPECT_EQ(classified.xi, plain.xi);
      EXPECT_EQ(classified.outside, plain.outside);
      if (!isTrueLowBit(plain.found)) {
        EXPECT_EQ(classified.nearest, 0);
        continue;
      }
      int nearest = 0;
      double best = 1e300;
      for (int j = 0; j < nodes; ++j) {
        const double d = std::hypot(x[2 * j] - plain.foot[0], x[2 * j + 1] - plain.foot[1]);
        if (d < best) best = d, nearest = j + 1;
      }
      EXPECT_EQ(classified.nearest, nearest) << nodes << " " << q[0];
    }
  }
  // The straight 3-node line (-1, 0), (0, 0), (1, 0) (end, middle, end) in two halves: half 1
  // takes x in [-1, 0] with xi = 2 x + 1, half 2 x in [0, 1] with xi = 2 x - 1; each accepts the
  // band beyond its outer end only, the first half a foot up to 1.001 on its inner side.
  const std::vector<double> halves = {-1, 0, 0, 0, 1, 0};
  Options two = plane;
  two.collapsed = true;
  struct Half {
    double x;
    bool found;
    int corner;
    double xi, outside;
  };
  for (const Half& h : {Half{-0.5, true, 1, 0.0, 0.0}, Half{0.0004, true, 1, 1.0008, 0.0}, Half{0.25, true, 2, -0.5, 0.0},
                        Half{-1.005, true, 1, -1.01, 0.005}, Half{1.005, true, 2, 1.01, 0.005},
                        Half{1.5, false, 0, 0.0, 1e36}}) {
    r = project(halves, 3, {h.x, 0.6, 0}, two);
    ASSERT_EQ(r.found, h.found ? kTrue : kFalse) << h.x;
    EXPECT_NEAR(r.xi, h.xi, 1e-12) << h.x;
    EXPECT_NEAR(r.outside, h.outside, 1e-12) << h.x;
    if (h.found) {
      EXPECT_EQ(r.corner, h.corner) << h.x;
      EXPECT_NEAR(r.distance, -0.6, 1e-12) << h.x;
      EXPECT_NEAR(r.foot[0], h.x, 1e-12) << h.x;
    }
  }
  // Quadrilateral bounds: 1 + 4.4e-16 is inside, 1 + tol is accepted with tol / 2 outside,
  // beyond 1 + 2 tol nothing is found.
  const std::vector<double> square = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0};
  Options o;
  o.tolerance = 0.01;
  r = project(square, 4, {1.0000000000000004, 0.2, 0.5}, o);
  EXPECT_EQ(r.found, kTrue);
  EXPECT_EQ(r.outside, 0.0);
  r = project(square, 4, {1.01, 0.2, 0.5}, o);
  EXPECT_EQ(r.found, kTrue);
  EXPECT_NEAR(r.outside, 0.005, 1e-12);
  r = project(square, 4, {1.0201, 0.2, 0.5}, o);
  EXPECT_EQ(r.found, kFalse);
  EXPECT_EQ(r.distance, -1e36);
  EXPECT_EQ(r.outside, 1e36);
  EXPECT_EQ(r.foot, (std::array<double, 3>{0, 0, 0}));
  // A triangle foot with one area coordinate at -tol / 2.
  const std::vector<double> triangle = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  r = project(triangle, 3, {0.3, -0.005, -2}, o);
  EXPECT_EQ(r.found, kTrue);
  EXPECT_NEAR(r.outside, 0.005, 1e-15);
  EXPECT_DOUBLE_EQ(r.distance, 2.0);
  // A point on the facet: distance 0 at once.
  r = project(square, 4, {0.25, -0.5, 0}, o);
  EXPECT_EQ(r.distance, 0.0);
  EXPECT_NEAR(r.xi, 0.25, 1e-15);
}

using zmxtest::closestOnTriangle;

TEST_F(FacetProjection, ClassificationMatchesTheExactClosestPoint) {
  std::mt19937 rng(13);
  std::uniform_real_distribution<double> d(-1, 1);
  int counts[4] = {0, 0, 0, 0};
  for (int trial = 0; trial < 900; ++trial) {
    const bool quad = trial % 3 == 2;
    const int n = quad ? 4 : 3;
    std::vector<double> x;
    if (quad) {
      // A flat convex quadrilateral: a square's corners moved a little, in a random plane.
      const double offsets[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
      for (const auto& o : offsets) x.insert(x.end(), {o[0] + 0.3 * d(rng), o[1] + 0.3 * d(rng), 0});
    } else {
      // Acute and obtuse triangles.
      x = {0, 0, 0, 1.5 + d(rng), 0, 0, 2 * d(rng), 0.4 + std::fabs(d(rng)), 0};
    }
    const double tilt = d(rng);
    for (int j = 0; j < n; ++j) {
      const double y = x[3 * j + 1];
      x[3 * j + 1] = y * std::cos(tilt), x[3 * j + 2] = y * std::sin(tilt);
    }
    const V3 p = {2 * d(rng), 2 * d(rng), 3 * d(rng)};
    V3 exact;
    if (quad) {
      const V3 a = closestOnTriangle(p, node(x, 0), node(x, 1), node(x, 2));
      const V3 b = closestOnTriangle(p, node(x, 0), node(x, 2), node(x, 3));
      exact = norm(sub(a, p)) <= norm(sub(b, p)) ? a : b;
    } else {
      exact = closestOnTriangle(p, node(x, 0), node(x, 1), node(x, 2));
    }
    // Expected location: a corner, a side, or inside.
    int nearestCorner = 0;
    double cornerDistance = 1e300;
    for (int j = 0; j < n; ++j)
      if (norm(sub(node(x, j), exact)) < cornerDistance) cornerDistance = norm(sub(node(x, j), exact)), nearestCorner = j + 1;
    const V3 normal = cross(sub(node(x, 1), node(x, 0)), sub(node(x, 2), node(x, 0)));
    const double offPlane = std::fabs(dot(sub(p, exact), normal)) / norm(normal);
    const bool inside = std::fabs(norm(sub(p, exact)) - offPlane) < 1e-12;
    int expected = inside ? 3 : cornerDistance < 1e-12 ? 1 : 2;
    Options o;
    o.tolerance = 1e-6;
    const Projection r = project(x, n, p, o, true);
    // Near the edges of the regions the tolerance decides; leave those out.
    if (!inside && cornerDistance > 1e-12 && cornerDistance < 1e-3) continue;
    ++counts[expected];
    EXPECT_EQ(r.location, expected) << trial;
    EXPECT_NEAR(std::fabs(r.distance), norm(sub(p, exact)), 1e-9) << trial;
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(r.foot[i], exact[i], 1e-8) << trial;
    if (expected == 3 || expected == 1) {
      EXPECT_EQ(r.nearest, nearestCorner) << trial;
    }
    if (expected != 3) {
      EXPECT_GE(r.distance, 0.0);
    }
  }
  EXPECT_GT(counts[1], 50);
  EXPECT_GT(counts[2], 50);
  EXPECT_GT(counts[3], 50);
}

TEST_F(FacetProjection, UnsupportedCountsAndNaNEndCleanly) {
  eqc_testing::clearMessages();
  const std::vector<double> x(27, 1.0);
  Projection r = project(x, 5, {0, 0, 1});
  EXPECT_EQ(r.found, kFalse);
  EXPECT_EQ(r.distance, -1e36);
  Options plane;
  plane.dimension = 2;
  r = project(x, 4, {0, 0, 1}, plane);
  EXPECT_EQ(r.found, kFalse);
  const auto messages = eqc_testing::messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].text, "SYSTEM ERROR IN fndPerpDistToSurf - A SURFACE FACET OF MASTER MASTER CANNOT HAVE 5 NODES");
  EXPECT_EQ(messages[0].level, -3);
  // The surface name is 8 characters whatever length is passed; a shorter argument gives what it holds.
  eqc_testing::clearMessages();
  const int five = 5, ld = 3, dimension = 3;
  const Logical no = kFalse;
  const double tolerance = 0.01, cylinder[4] = {};
  const std::array<double, 3> p = {0, 0, 1};
  int location, nearest;
  CALPERPDISTTOSURF(x.data(), &ld, p.data(), &r.xi, &r.eta, &five, &tolerance, &r.found, &r.distance,
                    r.tangents.data(), "ABCDEFGHIJKL", 12, r.normal.data(), r.foot.data(), &r.outside, &r.corner, &no,
                    &dimension, &no, cylinder, &r.degenerate);
  CALPERPDISTTOSURF1(x.data(), &ld, p.data(), &r.xi, &r.eta, &five, &tolerance, &r.found, &r.distance,
                     r.tangents.data(), "ABCDEFGHIJKL", 3, r.normal.data(), r.foot.data(), &r.outside, &r.corner,
                     &location, &nearest, &no, &dimension, &no, cylinder, &r.degenerate);
  const auto named = eqc_testing::messages();
  ASSERT_EQ(named.size(), 2u);
  EXPECT_EQ(named[0].text, "SYSTEM ERROR IN fndPerpDistToSurf - A SURFACE FACET OF MASTER ABCDEFGH CANNOT HAVE 5 NODES");
  EXPECT_EQ(named[1].text, "SYSTEM ERROR IN fndPerpDistToSurf - A SURFACE FACET OF MASTER ABC CANNOT HAVE 5 NODES");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<double> square = {-1, -1, 0, 1, -1, 0, 1, 1, 0.5, -1, 1, 0};
  for (int n : {3, 4}) {
    for (bool classify : {false, true}) {
      r = project(square, n, {nan, 0, 1}, {}, classify);
      EXPECT_EQ(r.found, kFalse);
    }
  }
  std::vector<double> bad = square;
  bad[4] = nan;
  r = project(bad, 4, {0.1, 0.2, 1});
  EXPECT_EQ(r.found, kFalse);
}

}  // namespace

namespace {

TEST_F(FacetProjection, TrialPointsStartFromTheFootOrSayWhyNot) {
  const auto estimate = [](const std::vector<double>& x, int n, const V3& p, int corner) {
    double xi = 9, eta = 9;
    int status = 9;
    const int ld = 3;
    ESTIMATETRIALPOINT(p.data(), &n, x.data(), &ld, &corner, &xi, &eta, &status);
    return std::tuple{xi, eta, status};
  };
  // A triangle: the foot's area coordinates.
  const std::vector<double> triangle = {1, 1, 0, 3, 1, 0, 1, 4, 0};
  auto [xi, eta, status] = estimate(triangle, 3, {1.5, 2.5, 7}, 0);
  EXPECT_EQ(status, 0);
  EXPECT_NEAR(xi, 0.25, 1e-15);
  EXPECT_NEAR(eta, 0.5, 1e-15);
  // A flat square: straight above the centre (0, 0); far beyond a side status 2.
  const std::vector<double> square = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0};
  std::tie(xi, eta, status) = estimate(square, 4, {0, 0, 3}, 0);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(xi, 0.0);
  EXPECT_EQ(eta, 0.0);
  std::tie(xi, eta, status) = estimate(square, 4, {2.5, 0.3, 1}, 0);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(xi, 0.0);  // the root beyond 2 is not taken: the last values set stand
  // A 6-node triangle without a sub-facet is not served.
  eqc_testing::clearMessages();
  std::tie(xi, eta, status) = estimate(std::vector<double>(18, 0.0), 6, {0, 0, 0}, 0);
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN estimateTrialPoint - NOT CODED FOR OTHER TYPE OF FACETS"));
  // Nor is an 8-node quadrilateral, which is reported and then taken by its four corners.
  eqc_testing::clearMessages();
  std::vector<double> eight = {2, 0, 0, 4, 0, 0, 4, 2, 0, 2, 2, 0, 3, 0, 0, 4, 1, 0, 3, 2, 0, 2, 1, 0};
  std::tie(xi, eta, status) = estimate(eight, 8, {3.2, 0.7, -5}, 0);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  EXPECT_EQ(status, 0);
  EXPECT_NEAR(xi, 0.2, 1e-15);
  EXPECT_NEAR(eta, -0.3, 1e-15);
  // The points of a segment and a facet, with the distance along a direction.
  const std::vector<double> segment = {0, 0, 1, 0.5, 2, 0};
  const double v2[2] = {0, 1}, p2[2] = {1, 3};
  double point[3], distance;
  const int three = 3, ld2 = 2, half = 2, ld = 3, k = 0;
  const Logical halves = kTrue, no = kFalse;
  const double at = 0.0;
  LINETOFACETRIALPT2D(&at, v2, p2, &three, &halves, &half, segment.data(), &ld2, point, &distance);
  EXPECT_DOUBLE_EQ(point[0], 1.5);  // the middle of the second half
  EXPECT_DOUBLE_EQ(point[1], 0.25);
  EXPECT_DOUBLE_EQ(distance, 2.75);
  const double v3[3] = {0, 0, 1}, p3[3] = {2, 2, 5}, xi3 = 0.25, eta3 = 0.5;
  LINETOFACETRIALPT3D(&xi3, &eta3, v3, p3, &three, &no, &k, triangle.data(), &ld, point, &distance);
  EXPECT_DOUBLE_EQ(point[0], 1.5);
  EXPECT_DOUBLE_EQ(point[1], 2.5);
  EXPECT_DOUBLE_EQ(distance, 5.0);
}

}  // namespace
