// Contact areas of quadratic facets against independent integrals: Gauss quadrature of the
// bilinear shape functions, the area of flat and curved 6-node faces, and Pappus' theorem for
// revolved edges.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <random>

#include "zmx/geometry/tributary.h"

namespace {

constexpr double kPi = std::numbers::pi;

// 2 x 2 Gauss quadrature of the bilinear functions times the Jacobian: exact for a plane
// quadrilateral, whose Jacobian is linear in each coordinate.
std::array<double, 5> gaussNodalAreas(const double (&p)[8]) {
  const double g = 1.0 / std::sqrt(3.0);
  std::array<double, 5> out{};
  for (double xi : {-g, g})
    for (double eta : {-g, g}) {
      const double n[4] = {(1 - xi) * (1 - eta) / 4, (1 + xi) * (1 - eta) / 4, (1 + xi) * (1 + eta) / 4,
                           (1 - xi) * (1 + eta) / 4};
      const double dxi[4] = {-(1 - eta) / 4, (1 - eta) / 4, (1 + eta) / 4, -(1 + eta) / 4};
      const double deta[4] = {-(1 - xi) / 4, -(1 + xi) / 4, (1 + xi) / 4, (1 - xi) / 4};
      double j[2][2] = {};
      for (int k = 0; k < 4; ++k) {
        j[0][0] += dxi[k] * p[2 * k];
        j[0][1] += dxi[k] * p[2 * k + 1];
        j[1][0] += deta[k] * p[2 * k];
        j[1][1] += deta[k] * p[2 * k + 1];
      }
      const double det = j[0][0] * j[1][1] - j[0][1] * j[1][0];
      for (int k = 0; k < 4; ++k) out[k] += n[k] * det;
      out[4] += det;
    }
  return out;
}

TEST(QuadraticContactAreas, BilinearNodalAreasMatchGaussQuadratureAndFlipWithOrientation) {
  std::mt19937 rng(222);
  std::uniform_real_distribution<double> radius(0.5, 2.0), jitter(-0.3, 0.3);
  for (int trial = 0; trial < 200; ++trial) {
    // A convex quadrilateral: four points at increasing angles around a centre.
    const double cx = jitter(rng) * 10, cy = jitter(rng) * 10;
    double p[8];
    for (int k = 0; k < 4; ++k) {
      const double angle = kPi / 2 * k + jitter(rng);
      const double r = radius(rng);
      p[2 * k] = cx + r * std::cos(angle);
      p[2 * k + 1] = cy + r * std::sin(angle);
    }
    double areas[4], area;
    LQUADBODYOP(p, areas, &area);
    const auto expected = gaussNodalAreas(p);
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(areas[k], expected[k], 1e-13);
    EXPECT_NEAR(area, expected[4], 1e-13);
    EXPECT_GT(area, 0.0);
    // Clockwise corners: the same magnitudes with the opposite sign.
    const double q[8] = {p[0], p[1], p[6], p[7], p[4], p[5], p[2], p[3]};
    double flipped[4], flippedArea;
    LQUADBODYOP(q, flipped, &flippedArea);
    EXPECT_NEAR(flippedArea, -area, 1e-13);
    const int sameNode[4] = {0, 3, 2, 1};
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(flipped[k], -areas[sameNode[k]], 1e-13);
  }
  const double square[8] = {0, 0, 1, 0, 1, 1, 0, 1};
  double areas[4], area;
  LQUADBODYOP(square, areas, &area);
  for (double a : areas) EXPECT_DOUBLE_EQ(a, 0.25);
  EXPECT_DOUBLE_EQ(area, 1.0);
}

// The six nodes of a triangle in space, midside nodes moved along the normal by bulge times the
// side length.
std::array<double, 18> sixNodeFace(std::mt19937& rng, double bulge) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::array<double, 18> x{};
  for (int k = 0; k < 9; ++k) x[k] = 2.0 * u(rng);
  const double* a = &x[0];
  const double* b = &x[3];
  const double* c = &x[6];
  double n[3] = {(b[1] - a[1]) * (c[2] - a[2]) - (b[2] - a[2]) * (c[1] - a[1]),
                 (b[2] - a[2]) * (c[0] - a[0]) - (b[0] - a[0]) * (c[2] - a[2]),
                 (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])};
  const double ln = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  const int sides[3][2] = {{0, 1}, {1, 2}, {2, 0}};
  for (int s = 0; s < 3; ++s) {
    const double* p = &x[3 * sides[s][0]];
    const double* q = &x[3 * sides[s][1]];
    const double length = std::sqrt((q[0] - p[0]) * (q[0] - p[0]) + (q[1] - p[1]) * (q[1] - p[1]) +
                                    (q[2] - p[2]) * (q[2] - p[2]));
    for (int c = 0; c < 3; ++c) x[9 + 3 * s + c] = (p[c] + q[c]) / 2 + bulge * length * n[c] / ln;
  }
  return x;
}

// Area of the quadratic triangle by a collapsed 8 x 8 Gauss rule of |dx/du x dx/dv|.
double quadraticTriangleArea(const std::array<double, 18>& x) {
  // 8-point Gauss-Legendre on [0, 1].
  const double t[8] = {0.0198550717512319, 0.1016667612931866, 0.2372337950418355, 0.4082826787521751,
                       0.5917173212478249, 0.7627662049581645, 0.8983332387068134, 0.9801449282487681};
  const double w[8] = {0.0506142681451881, 0.1111905172266872, 0.1568533229389436, 0.1813418916891810,
                       0.1813418916891810, 0.1568533229389436, 0.1111905172266872, 0.0506142681451881};
  double area = 0.0;
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 8; ++j) {
      const double u = t[i], v = t[j] * (1 - u), l = 1 - u - v;
      const double du[6] = {-(4 * l - 1), 4 * u - 1, 0, 4 * (l - u), 4 * v, -4 * v};
      const double dv[6] = {-(4 * l - 1), 0, 4 * v - 1, -4 * u, 4 * u, 4 * (l - v)};
      double a[3] = {}, b[3] = {};
      for (int k = 0; k < 6; ++k)
        for (int c = 0; c < 3; ++c) {
          a[c] += du[k] * x[3 * k + c];
          b[c] += dv[k] * x[3 * k + c];
        }
      const double n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
      area += w[i] * w[j] * (1 - u) * std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    }
  return area;
}

TEST(QuadraticContactAreas, SixNodeFaceSharesSumToTheFaceArea) {
  std::mt19937 rng(10);
  for (int trial = 0; trial < 100; ++trial) {
    for (double bulge : {0.0, 0.02}) {
      const auto x = sixNodeFace(rng, bulge);
      double shares[6];
      const int unused = 3;
      LCONTACTAREA10C(x.data(), &unused, shares);
      double sum = 0.0;
      for (double s : shares) sum += s;
      const double area = quadraticTriangleArea(x);
      if (bulge == 0.0)
        EXPECT_NEAR(sum, area, 1e-12 * area);
      else
        EXPECT_NEAR(sum, area, 0.01 * area);
    }
  }
}

TEST(QuadraticContactAreas, EdgeLengthsAndPappusRevolvedAreas) {
  // Nodes (r, y) with a leading dimension of 4; the fourth row must not be read.
  const double coords[12] = {1.0, 0.0, 99, 99, 2.0, 1.0, 99, 99, 4.0, 1.0, 99, 99};
  const int ld = 4;
  double shares[3], length;
  const int plane = 0, axisymmetric = 1;
  LCONTACTAREA6C(coords, &ld, &plane, shares, &length);
  const double l1 = std::sqrt(2.0), l2 = 2.0;
  EXPECT_NEAR(length, l1 + l2, 1e-15);
  EXPECT_NEAR(shares[0], l1 / 2, 1e-15);
  EXPECT_NEAR(shares[1], (l1 + l2) / 2, 1e-15);
  EXPECT_NEAR(shares[2], l2 / 2, 1e-15);
  LCONTACTAREA6C(coords, &ld, &axisymmetric, shares, &length);
  EXPECT_NEAR(length, l1 + l2, 1e-15);  // still the plain length
  // Pappus: each straight half sweeps 2 pi (its mean radius) (its length).
  const double swept1 = 2 * kPi * 1.5 * l1, swept2 = 2 * kPi * 3.0 * l2;
  EXPECT_NEAR(shares[0] + shares[1] + shares[2], swept1 + swept2, 1e-12);
  EXPECT_NEAR(shares[0], swept1 / 2, 1e-12);
  EXPECT_NEAR(shares[2], swept2 / 2, 1e-12);
}

}  // namespace
