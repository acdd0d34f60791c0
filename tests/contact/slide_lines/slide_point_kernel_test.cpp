// The contact frame of a slave node at a slide-line point, checked against the geometry it is
// built from: unit and mutually orthogonal directions, clearances, end-node markers and the
// curvature of three-node segments.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "zmx/contact.h"

namespace {

using Vec = std::array<double, 3>;

double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double norm(const Vec& a) { return std::sqrt(dot(a, a)); }

// Node columns of three rows; the point-index and result arrays of one call.
struct Kernel {
  std::vector<double> x = std::vector<double>(3 * 8, 0.0);
  std::vector<std::int64_t> points = std::vector<std::int64_t>(30, 0);
  std::vector<double> result = std::vector<double>(60, 0.0);
  std::vector<double> d2N = std::vector<double>(5, 0.0);

  void node(int n, const Vec& p) {
    for (int i = 0; i < 3; ++i) x[3 * (n - 1) + i] = p[i];
  }
  Vec at(int n) const { return {x[3 * (n - 1)], x[3 * (n - 1) + 1], x[3 * (n - 1) + 2]}; }
  void slot(int k, Int v) { std::memcpy(&points[k - 1], &v, sizeof v); }
  // A point of m nodes (1, 2, 3 in slots 19-21; a vertex names its line direction in 20, 21) for
  // slave node 4, the nodes of the point sitting in columns 1 to 4 as given.
  void point(Int m, const Vec& x1, const Vec& x2, const Vec& x3, const Vec& slave) {
    node(1, x1);
    node(2, x2);
    node(3, x3);
    node(4, slave);
    slot(17, m);
    slot(18, 4);
    for (Int n = 1; n <= 3; ++n) slot(18 + n, n);
  }
  double& r(int k) { return result[k - 1]; }
  Vec vec(int k) const { return {result[k - 1], result[k], result[k + 1]}; }

  void call(int ndir, double l2, double offset, Int first, Int last, Int type) {
    const Int ld = 3;
    RSLIDE(points.data(), result.data(), x.data(), &ld, d2N.data(), &ndir, &l2, &offset, &first, &last, &type);
  }
};

// Vertex node 1 with the line direction node 2 -> node 3, slave node 4.
Kernel vertexCase(const Vec& vertex, const Vec& slave, const Vec& d) {
  Kernel k;
  k.point(1, vertex, {0, 0, 0}, d, slave);
  return k;
}

TEST(SlidePointKernel, VertexFramesAreUnitOrthogonalWithSignedClearances) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int trial = 0; trial < 200; ++trial) {
    const bool plane = trial % 2 == 0;
    const Vec vertex{u(rng), u(rng), plane ? 0.0 : u(rng)};
    const Vec slave{u(rng), u(rng), plane ? 0.0 : u(rng)};
    const Vec d{u(rng), u(rng), plane ? 0.0 : u(rng)};
    const double offset = trial % 3 == 0 ? -0.2 : (trial % 3 == 1 ? 0.0 : 0.3);
    Kernel k = vertexCase(vertex, slave, d);
    const Vec rel{slave[0] - vertex[0], slave[1] - vertex[1], slave[2] - vertex[2]};
    const double L = norm(rel);
    k.call(plane ? 2 : 3, L * L, offset, 9, 10, 200);
    const double sign = offset < 0 ? -1.0 : 1.0;
    for (int i = 0; i < (plane ? 2 : 3); ++i) {
      EXPECT_DOUBLE_EQ(k.r(1 + i), vertex[i]);
      EXPECT_NEAR(k.r(4 + i), sign * rel[i] / L, 1e-14);
    }
    const Vec a = k.vec(4), t = k.vec(7);
    EXPECT_NEAR(norm(t), 1.0, 1e-14);
    EXPECT_NEAR(dot(a, t), 0.0, 1e-14);
    if (plane) {
      // The binormal is +1 or -1, the side of d the slave node is on.
      const double left = rel[0] * d[1] - rel[1] * d[0];
      EXPECT_EQ(k.r(12), left < 0 ? -1.0 : 1.0);
      if (offset >= 0) {
        EXPECT_NEAR(cross(a, t)[2], k.r(12), 1e-14);
      }
    } else {
      EXPECT_NEAR(norm(k.vec(10)), 1.0, 1e-14);
      EXPECT_NEAR(dot(k.vec(10), a), 0.0, 1e-14);
      EXPECT_NEAR(dot(k.vec(10), d), 0.0, 1e-13);
      if (offset >= 0) {
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(cross(a, t)[i], k.r(10 + i), 1e-14);
      }
    }
    EXPECT_NEAR(k.r(13), sign * L - offset, 1e-14);
    EXPECT_EQ(k.r(14), offset);
  }
}

TEST(SlidePointKernel, OneSidedVertexRulesAndEndNodeMarkers) {
  // The slave node to the left of d in the sense a1 d2 - a2 d1 > 0.
  const Vec d{1.0, 0.0, 0.0};
  Kernel k = vertexCase({0, 0, 0}, {0, -0.5, 0}, d);
  k.call(2, 0.25, 0.1, 9, 10, 300);
  EXPECT_DOUBLE_EQ(k.r(13), 0.5 - 0.1);  // turned over: L - offset
  EXPECT_DOUBLE_EQ(k.r(5), 1.0);
  EXPECT_DOUBLE_EQ(k.r(12), -1.0);
  EXPECT_DOUBLE_EQ(k.r(7), 1.0);  // t = (a2, -a1)
  EXPECT_EQ(k.r(14), 0.0);        // not written above 280
  Kernel right = vertexCase({0, 0, 0}, {0, 0.5, 0}, d);
  right.call(2, 0.25, 0.1, 9, 10, 300);
  EXPECT_DOUBLE_EQ(right.r(13), -0.5 - 0.1);
  // Slave node on the vertex: the normal comes from the line direction.
  Kernel on = vertexCase({0, 0, 0}, {0, 0, 0}, {3.0, 4.0, 0});
  on.call(2, 0.0, 0.1, 9, 10, 300);
  EXPECT_DOUBLE_EQ(on.r(4), -0.8);
  EXPECT_DOUBLE_EQ(on.r(5), 0.6);
  EXPECT_DOUBLE_EQ(on.r(13), -0.1);
  // The end nodes of the line.
  Kernel end = vertexCase({0, 0, 0}, {0, 0.5, 0}, d);
  end.call(2, 0.25, 0.1, 1, 10, 300);
  EXPECT_DOUBLE_EQ(end.r(13), -1.0e36 - 0.1);
  for (double offset : {0.5, -0.5, 0.0}) {
    Kernel e = vertexCase({0, 0, 0}, {0, 0.5, 0}, d);
    e.call(2, 0.25, offset, 9, 1, 200);
    EXPECT_EQ(e.r(13), offset == 0.0 ? 1.0e36 : -1.0e36) << offset;
    Kernel e3 = vertexCase({0, 0, 0}, {0, 0.5, 0.5}, d);
    e3.call(3, 0.5, offset, 1, 9, 280);
    EXPECT_EQ(e3.r(13), offset == 0.0 ? 1.0e36 : -1.0e36) << offset;
  }
}

// A three-node segment through nodes 1, 2, 3 (xi = -1, 0, 1) and its derivatives.
struct Quadratic {
  Vec x1, x2, x3;
  Vec point(double s) const {
    Vec p;
    for (int i = 0; i < 3; ++i) p[i] = s * (s - 1) / 2 * x1[i] + (1 - s * s) * x2[i] + s * (s + 1) / 2 * x3[i];
    return p;
  }
  Vec first(double s) const {
    Vec p;
    for (int i = 0; i < 3; ++i) p[i] = (s - 0.5) * x1[i] - 2 * s * x2[i] + (s + 0.5) * x3[i];
    return p;
  }
  Vec second() const {
    Vec p;
    for (int i = 0; i < 3; ++i) p[i] = x1[i] - 2 * x2[i] + x3[i];
    return p;
  }
};

TEST(SlidePointKernel, InterpolatedFramesCarryCurvatureAndUnitTangents) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int trial = 0; trial < 200; ++trial) {
    const int n = trial % 2 == 0 ? 2 : 3;
    const double z = n == 3 ? 1.0 : 0.0;
    const Quadratic q{{-1.0, 0.1 * u(rng), z * 0.2 * u(rng)},
                      {0.1 * u(rng), 0.4 * u(rng), z * 0.2 * u(rng)},
                      {1.0, 0.1 * u(rng), z * 0.2 * u(rng)}};
    const double s = 0.9 * u(rng);
    const Vec P = q.point(s), xp = q.first(s), xpp = q.second();
    // The slave node on a normal at the foot, on either side.
    Vec normal = cross(cross(xp, {u(rng), u(rng), z * u(rng) + (1 - z)}), xp);
    if (n == 2) normal = {-xp[1], xp[0], 0.0};
    const double lambda = 0.5 * u(rng);
    const double ln = norm(normal);
    const Vec slave{P[0] + lambda * normal[0] / ln, P[1] + lambda * normal[1] / ln, P[2] + lambda * normal[2] / ln};
    const double offset = trial % 4 == 0 ? -0.1 : 0.05;
    const Int type = n == 2 && trial % 5 == 0 ? 290 : 280;  // one-sided rules are plane

    Kernel k;
    k.point(3, q.x1, q.x2, q.x3, slave);
    const double N[3] = {s * (s - 1) / 2, 1 - s * s, s * (s + 1) / 2}, dN[3] = {s - 0.5, -2 * s, s + 0.5};
    for (int j = 0; j < 3; ++j) {
      k.r(25 + j) = N[j];
      k.r(31 + j) = dN[j];
    }
    k.d2N = {1.0, -2.0, 1.0, 0.0, 0.0};
    k.call(n, lambda * lambda, offset, 0, 0, type);

    for (int i = 0; i < n; ++i) EXPECT_NEAR(k.r(1 + i), P[i], 1e-14);
    const Vec a = k.vec(4), t = k.vec(7);
    EXPECT_NEAR(norm(a), 1.0, 1e-12);
    EXPECT_NEAR(norm(t), 1.0, 1e-12);
    EXPECT_NEAR(dot(a, t), 0.0, 1e-12);
    // Sum of dN_k X_k is the unit tangent after the call.
    Vec tangent{};
    for (int j = 0; j < 3; ++j)
      for (int i = 0; i < 3; ++i) tangent[i] += k.r(31 + j) * k.at(1 + j)[i];
    EXPECT_NEAR(norm(tangent), 1.0, 1e-12);
    const double kappa = norm(cross(xp, xpp)) / std::pow(norm(xp), 3);
    const double sign = offset < 0 ? -1.0 : 1.0;
    if (type == 290) {
      // One-sided: the normal is the tangent turned left, the clearance signed by the side.
      EXPECT_NEAR(a[0], -t[1], 1e-14);
      EXPECT_NEAR(a[1], t[0], 1e-14);
      const double H = (slave[0] - P[0]) * a[0] + (slave[1] - P[1]) * a[1];
      EXPECT_NEAR(k.r(13), -H - offset, 1e-12);
      continue;
    }
    EXPECT_NEAR(k.r(13), sign * std::fabs(lambda) - offset, 1e-12);
    if (n == 2) {
      if (offset >= 0) {
        EXPECT_NEAR(cross(a, t)[2], k.r(12), 1e-12);
      }
      // The curvature term is negative with the slave node towards the centre of curvature.
      EXPECT_NEAR(std::fabs(k.r(15)), kappa, 1e-9);
      const double towardsCentre = dot(normal, xpp) * lambda;
      if (std::fabs(towardsCentre) > 1e-6) {
        EXPECT_EQ(k.r(15) < 0, towardsCentre > 0);
      }
    } else {
      const Vec b = k.vec(10);
      EXPECT_NEAR(norm(b), 1.0, 1e-12);
      if (offset >= 0) {
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(cross(a, t)[i], b[i], 1e-12);
      }
      EXPECT_NEAR(std::hypot(k.r(15), k.r(16)), kappa, 1e-9);
    }
  }
}

TEST(SlidePointKernel, StraightSegmentPointsLeaveTheCurvatureTerms) {
  Kernel k;
  k.point(2, {0, 0, 0}, {2, 0, 0}, {0, 0, 0}, {0.5, 0.7, 0});
  k.r(25) = 0.75;
  k.r(26) = 0.25;
  k.r(31) = -0.5;
  k.r(32) = 0.5;
  k.r(15) = 3.0;
  k.r(16) = 4.0;
  k.call(2, 0.49, 0.0, 1, 2, 100);
  EXPECT_EQ(k.r(15), 3.0);
  EXPECT_EQ(k.r(16), 4.0);
  EXPECT_DOUBLE_EQ(k.r(1), 0.5);
  EXPECT_DOUBLE_EQ(k.r(13), 0.7);
  EXPECT_DOUBLE_EQ(k.r(31), -0.5);  // per unit length: the segment is 2 long
  EXPECT_DOUBLE_EQ(k.r(12), -1.0);  // a x t with a = (0, 1), t = (1, 0)
}

}  // namespace
