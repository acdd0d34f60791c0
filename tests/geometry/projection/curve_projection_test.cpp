// Curve-segment projection against closed forms, long-double roots of the perpendicularity cubic
// and an exact circle; the hand-over record after each call; edge parameters and edge points.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/testing.h"
#include "tests/geometry/cylinders/cylinder_model.h"
#include "tests/support/host_fixture.h"
#include "zmx/geometry.h"

namespace {

using CurveProjection = zmxtest::HostFixture;
using Y = std::array<double, 9>;

double recordReal(int k) { return rec::r(CDISTTOCURVE, 2 * k - 1); }

struct Feet {
  double s[3] = {9, 9, 9};
  int count = -1;
  Logical found = 7;
  double distances[3] = {9, 9, 9};
  double lengthTolerance = 9;
};

Feet feet(const Y& y, const std::array<double, 3>& p, bool straight, bool plane, bool filter, bool cylindrical = false,
          std::array<double, 2> angles = {0, 0}, double tolerance = 0.01) {
  Feet f;
  const Logical s = toLogical(straight), pl = toLogical(plane), fi = toLogical(filter), c = toLogical(cylindrical);
  FNDPERPDISTTOCURVE(y.data(), p.data(), f.s, &f.count, &s, &tolerance, &pl, &fi, &c, angles.data(), &f.found);
  if (f.count > 0)
    GETPERPDISTTOCURVE(y.data(), p.data(), f.s, &f.count, f.distances, &tolerance, &f.lengthTolerance, &s, &pl, &c,
                       angles.data());
  return f;
}

std::array<double, 3> quadraticPoint(const Y& y, double s) {
  const double n[3] = {(s - 1) * (2 * s - 1), -4 * s * (s - 1), s * (2 * s - 1)};
  return {n[0] * y[0] + n[1] * y[3] + n[2] * y[6], n[0] * y[1] + n[1] * y[4] + n[2] * y[7],
          n[0] * y[2] + n[1] * y[5] + n[2] * y[8]};
}

// Real roots of the perpendicularity cubic in long double: sign changes on a fine grid, then
// bisection.
std::vector<long double> cubicRoots(const Y& y, const std::array<double, 3>& p) {
  long double a[3], b[3], d[3];
  for (int i = 0; i < 3; ++i) {
    a[i] = 3.0L * y[i] - 4.0L * y[3 + i] + y[6 + i];
    b[i] = static_cast<long double>(y[i]) - 2.0L * y[3 + i] + y[6 + i];
    d[i] = static_cast<long double>(y[i]) - p[i];
  }
  const auto f = [&](long double s) {
    long double v = 0;
    for (int i = 0; i < 3; ++i) v += (d[i] - s * a[i] + 2 * s * s * b[i]) * (-a[i] + 4 * s * b[i]);
    return v;
  };
  std::vector<long double> roots;
  const int steps = 20000;
  for (int k = 0; k < steps; ++k) {
    long double lo = -5.0L + 10.0L * k / steps, hi = -5.0L + 10.0L * (k + 1) / steps;
    if ((f(lo) > 0) == (f(hi) > 0)) continue;
    for (int it = 0; it < 100; ++it) {
      const long double mid = (lo + hi) / 2;
      ((f(lo) > 0) == (f(mid) > 0) ? lo : hi) = mid;
    }
    roots.push_back((lo + hi) / 2);
  }
  return roots;
}

TEST_F(CurveProjection, StraightSegmentsInClosedFormWithTheRecord) {
  const Y y = {1, 2, 3, 4, 6, 3, 0, 0, 0};
  const std::array<double, 3> p = {2, 5, 7};
  Feet f = feet(y, p, true, false, false);
  ASSERT_EQ(f.count, 1);
  const double s = ((2 - 1) * 3 + (5 - 2) * 4) / 25.0;
  EXPECT_DOUBLE_EQ(f.s[0], s);
  const std::array<double, 3> foot = {1 + 3 * s, 2 + 4 * s, 3};
  EXPECT_NEAR(f.distances[0], std::hypot(foot[0] - 2, foot[1] - 5, 3 - 7.0), 1e-14);
  EXPECT_DOUBLE_EQ(recordReal(1), 5.0);   // the segment's length
  EXPECT_DOUBLE_EQ(recordReal(30), 5.0);  // the tangent's length
  EXPECT_DOUBLE_EQ(f.lengthTolerance, 0.05);
  EXPECT_DOUBLE_EQ(recordReal(5), 5.0);   // c1 = the length
  // The record hands the caller the foot and the unit tangent, whatever it held before, in
  // three dimensions and in two (where z is not read).
  for (const bool plane : {false, true}) {
    for (int k = 12; k <= 32; ++k) rec::setR(CDISTTOCURVE, 2 * k - 1, 99.0);
    f = feet(y, p, true, plane, false);
    const std::array<double, 3> wantFoot = {1 + 3 * s, 2 + 4 * s, 3};
    const std::array<double, 3> wantTangent = {0.6, 0.8, 0};
    for (int i = 0; i < (plane ? 2 : 3); ++i) {
      EXPECT_NEAR(recordReal(12 + i), wantFoot[i], 1e-15) << plane << i;
      EXPECT_NEAR(recordReal(21 + i), wantTangent[i], 1e-15) << plane << i;
    }
    EXPECT_DOUBLE_EQ(recordReal(30), 5.0);
  }
  // Beyond the end: with the filter only within the tolerance, the unfiltered count kept.
  f = feet(y, {10, 12, 3}, true, false, true);
  EXPECT_EQ(f.count, 0);
  EXPECT_EQ(f.found, kFalse);
  EXPECT_EQ(rec::slotI(CDISTTOCURVE.w, 33), 1);
  EXPECT_GT(recordReal(9), 1.0);
  // A foot the filter dropped (count 0) still leaves its point and the unit tangent in the record,
  // and no distance.
  {
    for (int k = 12; k <= 23; ++k) rec::setR(CDISTTOCURVE, 2 * k - 1, 99.0);
    const Y segment = {0, 0, 0, 2, 0, 0, 0, 0, 0};
    const std::array<double, 3> beyond = {3, 1, 0};
    const double parameters[3] = {1.5, 9, 9}, tolerance = 0.01, angles[2] = {0, 0};
    const int none = 0;
    const Logical yes = kTrue, no = kFalse;
    double distance = 7, lengthTolerance = 0;
    GETPERPDISTTOCURVE(segment.data(), beyond.data(), parameters, &none, &distance, &tolerance, &lengthTolerance,
                       &yes, &no, &no, angles);
    const double wantFoot[3] = {3, 0, 0}, wantTangent[3] = {1, 0, 0};
    for (int i = 0; i < 3; ++i) {
      EXPECT_DOUBLE_EQ(recordReal(12 + i), wantFoot[i]) << i;
      EXPECT_DOUBLE_EQ(recordReal(21 + i), wantTangent[i]) << i;
    }
    EXPECT_EQ(distance, 7.0);
    EXPECT_DOUBLE_EQ(lengthTolerance, 0.02);
  }
  // Two dimensions: the sign tells the side (positive to the right of node 1 -> node 2).
  const Y flat = {0, 0, 0, 2, 0, 0, 0, 0, 0};
  EXPECT_DOUBLE_EQ(feet(flat, {1, -1, 5}, true, true, false).distances[0], 1.0);
  EXPECT_DOUBLE_EQ(feet(flat, {1, 1, 5}, true, true, false).distances[0], -1.0);
  // A zero-length segment: the parameter 1e18.
  const Y point = {1, 1, 1, 1, 1, 1, 0, 0, 0};
  EXPECT_EQ(feet(point, {0, 0, 0}, true, false, false).s[0], 1e18);
  // The shortest side of a corner polygon.
  const double corners[8] = {0, 0, 3, 0, 3, 1, 0, 1};
  for (const auto& [n, want] : {std::pair{4, 1.0}, {2, 3.0}, {1, 0.0}, {0, 1e18}}) {
    double length = -1;
    const int m = 2;
    CALMINEDGELEN(&n, &m, &length, corners);
    EXPECT_DOUBLE_EQ(length, want) << n;
  }
}

TEST_F(CurveProjection, ThreeNodeSegmentsFindEveryRootOfTheCubic) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> d(-1, 1);
  int three = 0;
  for (int trial = 0; trial < 60; ++trial) {
    const Y y = {0, 0, 0, 1 + 0.2 * d(rng), 0.8 + 0.5 * d(rng), 0.3 * d(rng), 2, 0.1 * d(rng), 0.2 * d(rng)};
    const std::array<double, 3> p = {1 + 0.8 * d(rng), 0.5 * d(rng), 0.3 * d(rng)};
    const Feet f = feet(y, p, false, false, false);
    const auto want = cubicRoots(y, p);
    ASSERT_EQ(f.count, static_cast<int>(want.size())) << trial;
    std::vector<double> got(f.s, f.s + f.count);
    std::sort(got.begin(), got.end());
    three += f.count == 3;
    for (int k = 0; k < f.count; ++k) {
      EXPECT_NEAR(got[k], static_cast<double>(want[k]), 1e-9) << trial;
      const auto foot = quadraticPoint(y, f.s[k]);
      EXPECT_NEAR(f.distances[k], std::hypot(foot[0] - p[0], foot[1] - p[1], foot[2] - p[2]), 1e-12);
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(recordReal(12 + 3 * k + i), foot[i], 1e-12);
      EXPECT_NEAR(std::hypot(recordReal(21 + 3 * k), recordReal(22 + 3 * k), recordReal(23 + 3 * k)), 1.0, 1e-12);
    }
  }
  EXPECT_GT(three, 0);
  // Nearly straight: the Newton path from the chord gives one foot, a root of the cubic.
  const Y straightish = {0, 0, 0, 1, 0.001, 0, 2, 0, 0};
  const Feet f = feet(straightish, {0.7, 0.5, 0.2}, false, false, false);
  ASSERT_EQ(f.count, 1);
  EXPECT_GT(recordReal(8), 0.996194698092);
  const auto want = cubicRoots(straightish, {0.7, 0.5, 0.2});
  ASSERT_EQ(want.size(), 1u);
  EXPECT_NEAR(f.s[0], static_cast<double>(want[0]), 1e-9);
}

TEST_F(CurveProjection, SplitHalvesTakeTheNearerAndArcsLieOnTheirCircle) {
  // A bent segment: the point is nearer to the second half; the first half also has a foot.
  const Y bent = {0, 0, 0, 1, 1, 0, 3, 0, 0};
  const std::array<double, 3> p = {2.2, 1.0, 0};
  double s, distance, work, foot[3];
  const Logical no = kFalse, yes = kTrue;
  const double tolerance = 0.01, angles[2] = {0, 0};
  CALPERPDISTTOCURVE(bent.data(), p.data(), &s, &distance, &no, &tolerance, &no, &yes, &yes, &work, foot, &no, angles);
  // Half 2 runs from (1, 1) to (3, 0): the foot of p on it.
  const double r = ((2.2 - 1) * 2 + (1.0 - 1) * -1) / 5.0;
  EXPECT_NEAR(s, (r + 1) / 2, 1e-14);
  EXPECT_NEAR(foot[0], 1 + 2 * r, 1e-14);
  EXPECT_NEAR(foot[1], 1 - r, 1e-14);
  EXPECT_NEAR(distance, std::hypot(foot[0] - 2.2, foot[1] - 1.0), 1e-14);
  // Nothing within the tolerance: the entry values.
  const std::array<double, 3> far = {-5, 0, 0};
  CALPERPDISTTOCURVE(bent.data(), far.data(), &s, &distance, &yes, &tolerance, &no, &no, &yes, &work, foot, &no, angles);
  EXPECT_EQ(distance, 1e36);
  EXPECT_EQ(s, 0.0);
  EXPECT_EQ(foot[0], 1e36);

  // Arcs: nodes on a circle of radius 2 about c at the angles 0, m, A; the foot is radial.
  std::mt19937 rng(1);
  std::uniform_real_distribution<double> d(0, 1);
  for (int trial = 0; trial < 30; ++trial) {
    const double total = 0.2 + 2 * d(rng), mid = total * (0.3 + 0.4 * d(rng)), radius = 2;
    const double c[3] = {1, -2, 0.5};
    const auto at = [&](double angle, double rho) {
      return std::array<double, 3>{c[0] + rho * std::cos(angle + 0.3), c[1] + rho * std::sin(angle + 0.3), c[2]};
    };
    Y y;
    for (int j = 0; j < 3; ++j) {
      const auto q = at(j == 0 ? 0 : j == 1 ? mid : total, radius);
      std::copy(q.begin(), q.end(), y.begin() + 3 * j);
    }
    const double theta = total * d(rng), rho = radius * (0.5 + d(rng));
    const auto q = at(theta, rho);
    const std::array<double, 2> arc = {total, mid};
    const Feet f = feet(y, q, false, false, true, true, arc);
    ASSERT_EQ(f.count, 1);
    EXPECT_NEAR(f.s[0], theta, 1e-7);
    EXPECT_NEAR(f.distances[0], std::fabs(rho - radius), 1e-7);
    const Logical cyl = kTrue;
    CALPERPDISTTOCURVE(y.data(), q.data(), &s, &distance, &no, &tolerance, &no, &no, &yes, &work, foot, &cyl,
                       arc.data());
    const auto onCircle = at(s, radius);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(foot[i], onCircle[i], 1e-12);
    // The edge point at an angle.
    double point[3];
    const int ld = 3;
    const Logical halves = kFalse;
    COORDS_ON_EDGE(point, &theta, y.data(), &halves, &no, &cyl, arc.data(), &ld);
    const auto want = at(theta, radius);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(point[i], want[i], 1e-12);
  }
  // An arc of no angle is a three-node segment.
  const Y curve = {0, 0, 0, 1, 0.5, 0, 2, 0, 0};
  const Feet a = feet(curve, {1.2, 2, 0}, false, false, false, true, {0, 0});
  const Feet b = feet(curve, {1.2, 2, 0}, false, false, false);
  ASSERT_EQ(a.count, b.count);
  EXPECT_EQ(a.s[0], b.s[0]);
  CALPERPDISTTOCURVE(curve.data(), std::array<double, 3>{1.2, 2, 0}.data(), &s, &distance, &no, &tolerance, &no, &no,
                     &yes, &work, foot, &yes, std::array<double, 2>{0, 0}.data());
  const auto onCurve = quadraticPoint(curve, s);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(foot[i], onCurve[i], 1e-14);
}

TEST_F(CurveProjection, EdgeParametersLandAtTheirFractionOfEveryEdge) {
  // Facet records: node count in word 2, labels from word 8.
  const auto record = [](int nodes) {
    std::vector<int> r(20, 0);
    r[1] = nodes;
    for (int k = 0; k < 9; ++k) r[7 + k] = 100 + k;
    return r;
  };
  const auto params = [](const std::vector<int>& r, int a, int b, double s, bool sub, int kind = 0, double total = 0) {
    const int edge[3] = {100 + a - 1, 0, 100 + b - 1};
    double xi = 9, eta = 9;
    int corner = 9;
    const Logical flag = toLogical(sub);
    COMPUTE_PARAM_EDGE(&flag, edge, &s, r.data(), &xi, &eta, &corner, &kind, &total);
    return std::array<double, 3>{xi, eta, static_cast<double>(corner)};
  };
  const double s = 0.3;
  const double tri[3][2] = {{0, 0}, {1, 0}, {0, 1}}, quad[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  for (int a = 1; a <= 4; ++a)
    for (int b = 1; b <= 4; ++b) {
      if (a == b) continue;
      const auto q = params(record(4), a, b, s, false);
      const bool side = (a % 4) + 1 == b || (b % 4) + 1 == a;
      EXPECT_DOUBLE_EQ(q[0], side ? (1 - s) * quad[a - 1][0] + s * quad[b - 1][0] : 0.0) << a << b;
      EXPECT_DOUBLE_EQ(q[1], side ? (1 - s) * quad[a - 1][1] + s * quad[b - 1][1] : 0.0) << a << b;
      if (a > 3 || b > 3) continue;
      const auto t = params(record(3), a, b, s, false);
      EXPECT_DOUBLE_EQ(t[0], (1 - s) * tri[a - 1][0] + s * tri[b - 1][0]);
      EXPECT_DOUBLE_EQ(t[1], (1 - s) * tri[a - 1][1] + s * tri[b - 1][1]);
      // The sub-facet path: the point of the sub-quadrilateral's functions lies at the fraction.
      for (double u : {0.2, 0.5, 0.8}) {
        const auto c = params(record(6), a, b, u, true);
        const int k = static_cast<int>(c[2]), mode = 0;
        double shape[18];
        INTT6C(&k, &c[0], &c[1], shape, &mode);
        const double nodes[6][2] = {{0, 0}, {1, 0}, {0, 1}, {0.5, 0}, {0.5, 0.5}, {0, 0.5}};
        double point[2] = {0, 0};
        for (int j = 0; j < 6; ++j) point[0] += shape[j] * nodes[j][0], point[1] += shape[j] * nodes[j][1];
        EXPECT_NEAR(point[0], (1 - u) * tri[a - 1][0] + u * tri[b - 1][0], 1e-15) << a << b << u;
        EXPECT_NEAR(point[1], (1 - u) * tri[a - 1][1] + u * tri[b - 1][1], 1e-15) << a << b << u;
        if (u == 0.5) {
          EXPECT_EQ(k, a);  // the midpoint stays on the first corner's sub-facet
        }
      }
    }
  // An edge of two nodes may name its other corner in the middle place: the same point.
  {
    const int kind = 0;
    const double total = 0.0, at = 0.25;
    const Logical no = kFalse;
    for (const int nodes : {3, 4}) {
      const int edge[3] = {101, 102, 0};  // corners 2 and 3
      double xi = 9, eta = 9;
      int corner = 9;
      COMPUTE_PARAM_EDGE(&no, edge, &at, record(nodes).data(), &xi, &eta, &corner, &kind, &total);
      const auto want = params(record(nodes), 2, 3, at, false);
      EXPECT_EQ(xi, want[0]) << nodes;
      EXPECT_EQ(eta, want[1]) << nodes;
    }
    // A facet of a node count no facet has: reported, the point at (0, 0).
    eqc_testing::clearMessages();
    const int edge[3] = {100, 0, 101};
    double xi = 9, eta = 9;
    int corner = 9;
    COMPUTE_PARAM_EDGE(&no, edge, &at, record(5).data(), &xi, &eta, &corner, &kind, &total);
    EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN compute_param_edge - facet is not currently supported."));
    EXPECT_EQ(xi, 0.0);
    EXPECT_EQ(eta, 0.0);
  }
  // Cylindrical facets: along the curved edges the parameter is the angle.
  const auto c14 = params(record(6), 1, 4, 0.2, false, 1, 0.7);
  EXPECT_EQ(c14[0], -1.0);
  EXPECT_EQ(c14[1], 0.2);
  const auto c32 = params(record(6), 3, 2, 0.2, false, 1, 0.7);
  EXPECT_EQ(c32[0], 1.0);
  EXPECT_DOUBLE_EQ(c32[1], 0.5);
  // Every side from either end, curved (angle) and flat (fraction of the square's side).
  for (const double total : {0.7, 0.0})
    for (int a = 1; a <= 4; ++a)
      for (const int b : {a % 4 + 1, (a + 2) % 4 + 1}) {
        const double lo = total == 0 ? -1.0 : 0.0, hi = total == 0 ? 1.0 : total;
        const double corners[4][2] = {{-1, lo}, {1, lo}, {1, hi}, {-1, hi}};
        const double *from = corners[a - 1], *to = corners[b - 1];
        const bool arc = total != 0 && from[0] == to[0];
        const auto c = params(record(9), a, b, 0.2, false, 1, total);
        EXPECT_DOUBLE_EQ(c[0], arc ? from[0] : from[0] + 0.2 * (to[0] - from[0])) << a << b << total;
        EXPECT_DOUBLE_EQ(c[1], arc ? (from[1] == 0 ? 0.2 : total - 0.2) : from[1] + 0.2 * (to[1] - from[1])) << a << b;
      }

  // An edge whose other end is not a corner of the cylindrical facet: reported, and the first
  // corner's row of the table still places the point.
  eqc_testing::clearMessages();
  const auto from1 = params(record(6), 1, 10, 0.2, false, 1, 0.7);
  const auto from3 = params(record(9), 3, 10, 0.2, false, 1, 0.7);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN compute_param_edge - the point is not at the edge"));
  EXPECT_EQ(std::vector<double>(from1.begin(), from1.end()), std::vector<double>({-1.0, 0.2, 0.0}));
  EXPECT_DOUBLE_EQ(from3[0], 0.6);
  EXPECT_DOUBLE_EQ(from3[1], 0.7);

  // A first end that is not a corner: reported, and reported again when the other end is not one
  // either; the point stays at (0, 0) on no sub-facet.
  for (const auto& [other, reports] : {std::pair{2, 1}, {899, 2}}) {
    for (const bool sub : {false, true}) {
      eqc_testing::clearMessages();
      const auto stray = params(record(sub ? 6 : 4), 900, other, 0.3, sub);
      EXPECT_EQ(eqc_testing::countAtLevel(-3), reports) << other << sub;
      EXPECT_EQ(std::vector<double>(stray.begin(), stray.end()), std::vector<double>({0.0, 0.0, 0.0}));
    }
  }
}

// Arcs whose nodes lie off their circle: the feet against the angle Newton iteration written out
// here over the closed-form arc functions (same start, tests and limit of 11 passes), the
// distance from the last point evaluated, the hand-over record, the inclusive filter window and
// the edge point at an angle.
TEST_F(CurveProjection, DistortedArcsFollowTheAngleIteration) {
  std::mt19937 rng(54);
  std::uniform_real_distribution<double> d(0, 1);
  int found = 0;
  for (int trial = 0; trial < 400; ++trial) {
    const double total = 0.2 + 2.5 * d(rng), mid = total * (0.2 + 0.6 * d(rng));
    Y y;
    const double angle[3] = {0, mid, total};
    for (int j = 0; j < 3; ++j)
      y[3 * j] = std::cos(angle[j]) + 0.2 * (d(rng) - 0.5), y[3 * j + 1] = std::sin(angle[j]) + 0.2 * (d(rng) - 0.5),
                 y[3 * j + 2] = 0.3 * (d(rng) - 0.5);
    // The arc's point and first and second derivatives by the angle, from the 6-node facet's
    // functions along its side xi = -1 (nodes 1, 6, 4).
    const double record[3] = {total, mid, mid};
    const auto at = [&](double theta, int order) {
      const auto w = cylinder_model::facetFunctions(6, record, -1, theta);
      const int row = order == 0 ? 0 : order == 1 ? 2 : 5;
      std::array<double, 3> v{};
      for (int i = 0; i < 3; ++i) v[i] = w[row][0] * y[i] + w[row][5] * y[3 + i] + w[row][3] * y[6 + i];
      return v;
    };
    const std::array<double, 3> q = {2 * (d(rng) - 0.5) + 1.5 * std::cos(total / 2), 1.5 * std::sin(total / 2) + d(rng) - 0.5,
                                     d(rng) - 0.5};
    double theta = total / 2, last = theta;
    bool converged = false;
    const auto diff = [](const std::array<double, 3>& a, const std::array<double, 3>& b) {
      return std::array<double, 3>{a[0] - b[0], a[1] - b[1], a[2] - b[2]};
    };
    const double length = cylinder_model::norm(diff({y[3], y[4], y[5]}, {y[0], y[1], y[2]})) +
                          cylinder_model::norm(diff({y[6], y[7], y[8]}, {y[3], y[4], y[5]}));
    for (int pass = 1; pass <= 11 && !converged; ++pass) {
      last = theta;
      const auto r = diff(q, at(theta, 0)), t = at(theta, 1);
      const double g = cylinder_model::dot(r, t), h = cylinder_model::dot(r, at(theta, 2)) - cylinder_model::dot(t, t);
      if (cylinder_model::norm(r) <= 1e-8 * length || std::fabs(g) <= 1e-6 * cylinder_model::norm(r) * cylinder_model::norm(t)) {
        converged = true;
        break;
      }
      if (std::fabs(h) <= 1e-36) break;
      theta += -g / h;
      converged = std::fabs(g / h) <= 1e-8 * total;
    }
    const double tolerance = 0.05;
    const bool inside = theta >= -tolerance * total && theta <= (1 + tolerance) * total;
    for (const bool filter : {false, true}) {
      const Feet f = feet(y, q, false, false, filter, true, {total, mid}, tolerance);
      const bool want = converged && (!filter || inside);
      ASSERT_EQ(f.count, want ? 1 : 0) << trial;
      EXPECT_EQ(f.found, toLogical(want));
      if (!want) continue;
      ++found;
      EXPECT_NEAR(f.s[0], theta, 1e-9 * total) << trial;
      const auto foot = at(last, 0), tangent = at(last, 1);
      for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(recordReal(12 + i), foot[i], 1e-12);
        EXPECT_NEAR(recordReal(21 + i), tangent[i], 1e-11);
      }
      EXPECT_NEAR(f.distances[0], cylinder_model::norm(diff(foot, q)), 1e-12);
      EXPECT_NEAR(f.lengthTolerance, length * tolerance, 1e-15);
    }
    double point[3];
    const int ld = 3;
    const Logical no = kFalse, yes = kTrue;
    const double s = total * (1.2 * d(rng) - 0.1), pair[2] = {total, mid};
    COORDS_ON_EDGE(point, &s, y.data(), &no, &no, &yes, pair, &ld);
    const auto want = at(s, 0);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(point[i], want[i], 1e-12);
  }
  EXPECT_GT(found, 400);
}

}  // namespace
