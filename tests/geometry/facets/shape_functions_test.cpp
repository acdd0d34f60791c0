// Shape functions of every facet kind against their defining properties: partition of unity,
// 1 at the own node and 0 at the others, derivatives against central differences, exact
// reproduction of the fields each kind spans; the facet derivative vectors against differences
// of the point and of the first derivatives.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "siblings/eqc/facet_shapes.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/geometry.h"

namespace {

using ShapeFunctions = zmxtest::HostFixture;

using Point = std::array<double, 2>;
// Fills the array of the given mode at (xi, eta).
using Evaluate = std::function<void(double, double, double*, int)>;

struct Family {
  std::string name;
  int n;
  Evaluate evaluate;
  std::vector<Point> nodes;           // where each function is 1 (an empty list: not checked)
  std::function<Point(std::mt19937&)> randomPoint;
};

Point inSquare(std::mt19937& rng, double lo = -1, double hi = 1) {
  std::uniform_real_distribution<double> d(lo, hi);
  return {d(rng), d(rng)};
}

Point inTriangle(std::mt19937& rng) {
  std::uniform_real_distribution<double> d(0, 1);
  double u = d(rng), v = d(rng);
  if (u + v > 1) u = 1 - u, v = 1 - v;
  return {u, v};
}

Evaluate plain(void (*routine)(const Real*, const Real*, Real*, const Int*)) {
  return [routine](double xi, double eta, double* out, int mode) { routine(&xi, &eta, out, &mode); };
}

Evaluate quarter(void (*routine)(const Int*, const Real*, const Real*, Real*, const Int*), int k) {
  return [routine, k](double xi, double eta, double* out, int mode) { routine(&k, &xi, &eta, out, &mode); };
}

const std::vector<Point> kTriangle6 = {{0, 0}, {1, 0}, {0, 1}, {0.5, 0}, {0.5, 0.5}, {0, 0.5}};
const std::vector<Point> kSquare9 = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {0, 0}};
// Quarter k covers [-1, 0] or [0, 1] in each direction.
constexpr double kQuarterLo[4][2] = {{-1, -1}, {0, -1}, {0, 0}, {-1, 0}};

std::vector<Family> families() {
  std::vector<Family> all = {
      {"EQC_INTT3", 3, plain(EQC_INTT3), {kTriangle6.begin(), kTriangle6.begin() + 3}, inTriangle},
      {"EQC_INTQ4", 4, plain(EQC_INTQ4), {kSquare9.begin(), kSquare9.begin() + 4}, [](auto& r) { return inSquare(r); }},
      {"EQC_INTT6", 6, plain(EQC_INTT6), kTriangle6, inTriangle},
      {"EQC_INTQ8", 8, plain(EQC_INTQ8), {kSquare9.begin(), kSquare9.begin() + 8}, [](auto& r) { return inSquare(r); }},
      {"EQC_INTQ9", 9, plain(EQC_INTQ9), kSquare9, [](auto& r) { return inSquare(r); }},
  };
  // Sub-quadrilateral k of the 6-node triangle: vertex k, the midside node after it and the one
  // before it sit at corners (-1, -1), (1, -1) and (-1, 1) of its own square.
  const int after[3] = {4, 5, 6}, before[3] = {6, 4, 5};
  for (int k = 1; k <= 3; ++k) {
    std::vector<Point> nodes(6, Point{NAN, NAN});
    nodes[k - 1] = {-1, -1};
    nodes[after[k - 1] - 1] = {1, -1};
    nodes[before[k - 1] - 1] = {-1, 1};
    all.push_back({"INTT6C k=" + std::to_string(k), 6, quarter(INTT6C, k), nodes, [](auto& r) { return inSquare(r); }});
  }
  for (int k = 1; k <= 5; ++k) {
    const int q = k <= 3 ? k - 1 : 3;  // k outside 1 to 3 is quarter 4
    const auto inQuarter = [q](std::mt19937& r) {
      const Point p = inSquare(r, 0, 1);
      return Point{p[0] + kQuarterLo[q][0], p[1] + kQuarterLo[q][1]};
    };
    std::vector<Point> nodes9;
    for (const Point& p : kSquare9) {
      const bool inside = p[0] >= kQuarterLo[q][0] && p[0] <= kQuarterLo[q][0] + 1 && p[1] >= kQuarterLo[q][1] &&
                          p[1] <= kQuarterLo[q][1] + 1;
      nodes9.push_back(inside ? p : Point{NAN, NAN});
    }
    std::vector<Point> nodes8(nodes9.begin(), nodes9.begin() + 8);
    all.push_back({"INTQ8C k=" + std::to_string(k), 8, quarter(INTQ8C, k), nodes8, inQuarter});
    all.push_back({"INTQ9C k=" + std::to_string(k), 9, quarter(INTQ9C, k), nodes9, inQuarter});
  }
  // Cylindrical facets, curved (total angle 0.9, midside angles off the middle) and flat.
  static const double curved6[4] = {0.9, 0.41, 0.47, 0}, curved9[4] = {0.9, 0.41, 0.47, 0.52}, flat[4] = {0, 0, 0, 0};
  const auto cylinder = [](void (*routine)(const Real*, const Real*, const Real*, Real*, const Int*), const double* c) {
    return Evaluate([routine, c](double xi, double eta, double* out, int mode) { routine(&xi, &eta, c, out, &mode); });
  };
  const auto inArc = [](std::mt19937& r) { return Point{inSquare(r)[0], inSquare(r, 0, 0.9)[1]}; };
  all.push_back({"INTSCYL6 curved", 6, cylinder(INTSCYL6, curved6),
                 {{-1, 0}, {1, 0}, {1, 0.9}, {-1, 0.9}, {1, 0.47}, {-1, 0.41}}, inArc});
  all.push_back({"INTSCYL9 curved", 9, cylinder(INTSCYL9, curved9),
                 {{-1, 0}, {1, 0}, {1, 0.9}, {-1, 0.9}, {0, 0}, {1, 0.52}, {0, 0.9}, {-1, 0.41}, {0, 0.47}}, inArc});
  all.push_back({"INTSCYL6 flat", 6, cylinder(INTSCYL6, flat), {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {1, 0}, {-1, 0}},
                 [](auto& r) { return inSquare(r); }});
  all.push_back({"INTSCYL9 flat", 9, cylinder(INTSCYL9, flat), kSquare9, [](auto& r) { return inSquare(r); }});
  return all;
}

TEST_F(ShapeFunctions, EveryKindIsAPartitionOfUnityWithNodalValuesAndConsistentDerivatives) {
  std::mt19937 rng(11);
  for (const Family& family : families()) {
    SCOPED_TRACE(family.name);
    const int n = family.n;
    std::vector<double> shape(3 * n), only(2 * n), plus(3 * n), minus(3 * n);
    for (int trial = 0; trial < 25; ++trial) {
      const Point p = family.randomPoint(rng);
      family.evaluate(p[0], p[1], shape.data(), 0);
      double sum = 0, sumXi = 0, sumEta = 0;
      for (int j = 0; j < n; ++j) sum += shape[j], sumXi += shape[n + j], sumEta += shape[2 * n + j];
      EXPECT_NEAR(sum, 1.0, 1e-13);
      EXPECT_NEAR(sumXi, 0.0, 1e-12);
      EXPECT_NEAR(sumEta, 0.0, 1e-12);
      family.evaluate(p[0], p[1], only.data(), 1);
      for (int j = 0; j < 2 * n; ++j) EXPECT_EQ(only[j], shape[n + j]);
      const double h = 1e-6;
      for (int dir = 0; dir < 2; ++dir) {
        family.evaluate(p[0] + (dir == 0 ? h : 0), p[1] + (dir == 1 ? h : 0), plus.data(), 0);
        family.evaluate(p[0] - (dir == 0 ? h : 0), p[1] - (dir == 1 ? h : 0), minus.data(), 0);
        for (int j = 0; j < n; ++j)
          EXPECT_NEAR(shape[(1 + dir) * n + j], (plus[j] - minus[j]) / (2 * h), 1e-8) << "node " << j + 1;
      }
    }
    for (int node = 0; node < n; ++node) {
      const Point p = family.nodes[node];
      if (std::isnan(p[0])) continue;
      family.evaluate(p[0], p[1], shape.data(), 0);
      for (int j = 0; j < n; ++j) EXPECT_NEAR(shape[j], j == node ? 1.0 : 0.0, 1e-13) << "node " << node + 1;
    }
  }
}

// The value and the two derivatives of the field with the given nodal values.
std::array<double, 3> interpolate(const Evaluate& evaluate, int n, double xi, double eta, const std::vector<double>& f) {
  std::vector<double> shape(3 * n);
  evaluate(xi, eta, shape.data(), 0);
  std::array<double, 3> out{};
  for (int j = 0; j < n; ++j)
    for (int r = 0; r < 3; ++r) out[r] += shape[r * n + j] * f[j];
  return out;
}

TEST_F(ShapeFunctions, EachKindReproducesTheFieldsItSpans) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> c(-2, 2);
  for (int trial = 0; trial < 20; ++trial) {
    double a[9];
    for (double& v : a) v = c(rng);
    // Quadratic: value and derivatives.
    const auto q = [&](double x, double y) {
      return std::array<double, 3>{a[0] + a[1] * x + a[2] * y + a[3] * x * x + a[4] * x * y + a[5] * y * y,
                                   a[1] + 2 * a[3] * x + a[4] * y, a[2] + a[4] * x + 2 * a[5] * y};
    };
    // Biquadratic: the quadratic and the terms x^2 y, x y^2, x^2 y^2.
    const auto b = [&](double x, double y) {
      auto v = q(x, y);
      v[0] += a[6] * x * x * y + a[7] * x * y * y + a[8] * x * x * y * y;
      v[1] += 2 * a[6] * x * y + a[7] * y * y + 2 * a[8] * x * y * y;
      v[2] += a[6] * x * x + 2 * a[7] * x * y + 2 * a[8] * x * x * y;
      return v;
    };
    // Bilinear.
    const auto l = [&](double x, double y) {
      return std::array<double, 3>{a[0] + a[1] * x + a[2] * y + a[4] * x * y, a[1] + a[4] * y, a[2] + a[4] * x};
    };
    const auto check = [&](const Evaluate& evaluate, int n, const std::vector<Point>& nodes, auto field, Point p) {
      std::vector<double> f;
      for (int j = 0; j < n; ++j) f.push_back(field(nodes[j][0], nodes[j][1])[0]);
      const auto got = interpolate(evaluate, n, p[0], p[1], f);
      const auto want = field(p[0], p[1]);
      for (int r = 0; r < 3; ++r) EXPECT_NEAR(got[r], want[r], 1e-12) << "row " << r;
    };
    check(plain(EQC_INTT6), 6, kTriangle6, q, inTriangle(rng));
    check(plain(EQC_INTQ8), 8, kSquare9, q, inSquare(rng));
    check(plain(EQC_INTQ9), 9, kSquare9, b, inSquare(rng));
    for (int k = 1; k <= 4; ++k) {
      Point p = inSquare(rng, 0, 1);
      p[0] += kQuarterLo[k - 1][0], p[1] += kQuarterLo[k - 1][1];
      check(quarter(INTQ8C, k), 8, kSquare9, l, p);
      check(quarter(INTQ9C, k), 9, kSquare9, l, p);
    }
  }
}

// A linear field of the triangle's area coordinates, and the sub-quadrilateral k's map onto them.
Point subToArea(int k, double xi, double eta) {
  const Point vertex[3] = {{0, 0}, {1, 0}, {0, 1}};
  const Point mid[3] = {{0.5, 0}, {0.5, 0.5}, {0, 0.5}};  // after vertex 1, 2, 3
  const Point corners[4] = {vertex[k - 1], mid[k - 1], {1.0 / 3, 1.0 / 3}, mid[(k + 1) % 3]};
  const double w[4] = {(1 - xi) * (1 - eta) / 4, (1 + xi) * (1 - eta) / 4, (1 + xi) * (1 + eta) / 4,
                       (1 - xi) * (1 + eta) / 4};
  Point p{0, 0};
  for (int c = 0; c < 4; ++c) p[0] += w[c] * corners[c][0], p[1] += w[c] * corners[c][1];
  return p;
}

TEST_F(ShapeFunctions, SubQuadrilateralsOfTheTriangleReproduceLinearFields) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> c(-2, 2);
  // An affine triangle in space: X = X1 + u (X2 - X1) + v (X3 - X1), midside nodes halfway.
  double corner[3][3];
  for (auto& p : corner)
    for (double& v : p) v = c(rng);
  std::vector<double> x(18);
  for (int j = 0; j < 6; ++j) {
    const Point uv = kTriangle6[j];
    for (int i = 0; i < 3; ++i)
      x[3 * j + i] = corner[0][i] + uv[0] * (corner[1][i] - corner[0][i]) + uv[1] * (corner[2][i] - corner[0][i]);
  }
  const double lu = std::hypot(corner[1][0] - corner[0][0], corner[1][1] - corner[0][1], corner[1][2] - corner[0][2]);
  const double lv = std::hypot(corner[2][0] - corner[0][0], corner[2][1] - corner[0][1], corner[2][2] - corner[0][2]);
  for (int trial = 0; trial < 30; ++trial) {
    const double a0 = c(rng), au = c(rng), av = c(rng);
    std::vector<double> f;
    for (const Point& p : kTriangle6) f.push_back(a0 + au * p[0] + av * p[1]);
    for (int k = 1; k <= 3; ++k) {
      // Points inside, on the seams, at the centroid and within 0.01 of a seam (taken as on it, so
      // that only the derivatives, the same on every sub-quadrilateral, are exact there).
      for (Point p : {inSquare(rng), Point{1.0, inSquare(rng)[1]}, Point{inSquare(rng)[0], 1.0}, Point{1.0, 1.0},
                      Point{0.99, 0.5}, Point{0.995, inSquare(rng)[1]}, Point{inSquare(rng)[0], 0.995},
                      Point{0.995, 0.995}}) {
        const bool nearSeam = (p[0] > 0.99 && p[0] < 1.0) || (p[1] > 0.99 && p[1] < 1.0);
        SCOPED_TRACE("k " + std::to_string(k) + " at " + std::to_string(p[0]) + ", " + std::to_string(p[1]));
        const Point uv = subToArea(k, p[0], p[1]);
        const double want = a0 + au * uv[0] + av * uv[1];
        const auto got = interpolate(quarter(INTT6C, k), 6, p[0], p[1], f);
        EXPECT_NEAR(got[0], want, 1e-12);
        double m[18];
        const int mode = 0;
        INTT6C_M(&k, &p[0], &p[1], x.data(), m, &mode);
        double value = 0, dU = 0, dV = 0;
        for (int j = 0; j < 6; ++j) value += m[j] * f[j], dU += m[6 + j] * f[j], dV += m[12 + j] * f[j];
        if (!nearSeam) {
          EXPECT_NEAR(value, want, 1e-12);
        }
        // Derivatives along the area coordinates per unit length of the triangle's sides.
        EXPECT_NEAR(dU, au / lu, 1e-11);
        EXPECT_NEAR(dV, av / lv, 1e-11);
        // Mode 1 writes the 12 derivatives and nothing past them.
        double d[18];
        std::fill(d, d + 18, 42.0);
        const int derivativesOnly = 1;
        INTT6C_M(&k, &p[0], &p[1], x.data(), d, &derivativesOnly);
        for (int j = 0; j < 12; ++j) EXPECT_NEAR(d[j], m[6 + j], 1e-15);
        for (int j = 12; j < 18; ++j) EXPECT_EQ(d[j], 42.0);
      }
    }
  }
}

TEST_F(ShapeFunctions, SubRegionCornerCasesAndTheCentreValues) {
  double s[27];
  const int mode = 0;
  for (int k = 1; k <= 3; ++k) {
    const double one = 1;
    INTT6C(&k, &one, &one, s, &mode);
    for (int j = 0; j < 6; ++j) EXPECT_DOUBLE_EQ(s[j], j < 3 ? 1.0 / 12 : 0.25);
  }
  for (int k = 1; k <= 4; ++k) {
    const double zero = 0;
    INTQ8C(&k, &zero, &zero, s, &mode);
    for (int j = 0; j < 8; ++j) EXPECT_DOUBLE_EQ(s[j], j < 4 ? -0.25 : 0.5);
    INTQ9C(&k, &zero, &zero, s, &mode);
    for (int j = 0; j < 9; ++j) EXPECT_DOUBLE_EQ(s[j], j == 8 ? 1.0 : 0.0);
  }
  // Near the centroid the values are the mean over the three sub-quadrilaterals at the centroid's
  // seams; at 0.99 only the point's own sub-quadrilateral counts.
  {
    const std::vector<double> x = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0.5, 0, 0, 0.5, 0.5, 0, 0, 0.5, 0};
    const int k = 1;
    double m[18], a[18], b[18], c[18];
    const double near = 0.995, one = 1.0, seam = 0.99, half = 0.5;
    const int k2 = 2, k3 = 3;
    INTT6C_M(&k, &near, &near, x.data(), m, &mode);
    INTT6C(&k, &near, &near, a, &mode);
    INTT6C(&k2, &near, &one, b, &mode);
    INTT6C(&k3, &one, &one, c, &mode);
    for (int j = 0; j < 6; ++j) EXPECT_NEAR(m[j], (a[j] + b[j] + c[j]) / 3, 1e-15);
    INTT6C_M(&k, &seam, &half, x.data(), m, &mode);
    INTT6C(&k, &seam, &half, a, &mode);
    for (int j = 0; j < 6; ++j) EXPECT_EQ(m[j], a[j]);
  }
  // The dispatcher picks the functions of the node count; 5 nodes take the 9-node functions.
  const double xi = 0.3, eta = -0.2;
  for (int n : {3, 4, 5, 6, 8, 9}) {
    for (Logical sub : {kFalse, kTrue}) {
      const int k = 2;
      double got[27], want[27];
      FACET_3D_SHAPEVALUES(&xi, &eta, &n, &sub, &k, got);
      switch (n) {
        case 3: EQC_INTT3(&xi, &eta, want, &mode); break;
        case 4: EQC_INTQ4(&xi, &eta, want, &mode); break;
        case 6: sub ? INTT6C(&k, &xi, &eta, want, &mode) : EQC_INTT6(&xi, &eta, want, &mode); break;
        case 8: EQC_INTQ8(&xi, &eta, want, &mode); break;
        default: EQC_INTQ9(&xi, &eta, want, &mode); break;
      }
      const int count = 3 * (n == 5 ? 9 : n);
      for (int j = 0; j < count; ++j) EXPECT_EQ(got[j], want[j]) << n;
    }
  }
}

// FACET_DERIV's eighteen reals at (xi, eta).
std::array<double, 18> derive(const std::vector<double>& x, int n, double xi, double eta, int k, Logical cylindrical,
                              const double* cylinder) {
  std::array<double, 18> r;
  FACET_DERIV(x.data(), &n, &xi, &eta, r.data(), &k, &cylindrical, cylinder);
  return r;
}

TEST_F(ShapeFunctions, FacetDerivativesMatchDifferencesOfThePointAndTheFirstDerivatives) {
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> c(-1, 1);
  struct Kind {
    std::string name;
    int n, k;
    Logical cylindrical;
    std::vector<double> cylinder;
    Evaluate evaluate;
    std::function<Point(std::mt19937&)> randomPoint;
  };
  const auto inArc = [](std::mt19937& r) { return Point{inSquare(r)[0], inSquare(r, 0.05, 0.85)[1]}; };
  const auto square = [](std::mt19937& r) { return inSquare(r, -0.95, 0.95); };
  const std::vector<double> curved = {0.9, 0.41, 0.47, 0.52}, small = {0.004, 0.0019, 0.0021, 0.002}, flat = {0, 0, 0, 0};
  const std::vector<Kind> kinds = {
      {"3", 3, 0, kFalse, flat, plain(EQC_INTT3), inTriangle},
      {"4", 4, 0, kFalse, flat, plain(EQC_INTQ4), square},
      {"6", 6, 0, kFalse, flat, plain(EQC_INTT6), inTriangle},
      {"6 k=1", 6, 1, kFalse, flat, quarter(INTT6C, 1), square},
      {"6 k=2", 6, 2, kFalse, flat, quarter(INTT6C, 2), square},
      {"6 k=3", 6, 3, kFalse, flat, quarter(INTT6C, 3), square},
      {"8", 8, 0, kFalse, flat, plain(EQC_INTQ8), square},
      {"9", 9, 0, kFalse, flat, plain(EQC_INTQ9), square},
      {"cylinder 6", 6, 0, kTrue, curved, nullptr, inArc},
      {"cylinder 9", 9, 0, kTrue, curved, nullptr, inArc},
      {"cylinder 9 series", 9, 0, kTrue, small, nullptr, [](auto& r) { return Point{inSquare(r)[0], inSquare(r, 0, 0.004)[1]}; }},
      {"flat cylinder 6", 6, 0, kTrue, flat, nullptr, square},
      {"flat cylinder 9", 9, 0, kTrue, flat, nullptr, square},
  };
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    std::vector<double> x(3 * kind.n);
    for (double& v : x) v = c(rng);
    for (int trial = 0; trial < 10; ++trial) {
      const Point p = kind.randomPoint(rng);
      const auto r = derive(x, kind.n, p[0], p[1], kind.k, kind.cylindrical, kind.cylinder.data());
      if (kind.evaluate) {
        // The point from the plain functions.
        std::vector<double> shape(3 * kind.n);
        kind.evaluate(p[0], p[1], shape.data(), 0);
        for (int i = 0; i < 3; ++i) {
          double point = 0;
          for (int j = 0; j < kind.n; ++j) point += shape[j] * x[3 * j + i];
          EXPECT_NEAR(r[i], point, 1e-14);
        }
      }
      // Central differences scaled to the parameter range.
      const double h = 1e-5 * (kind.cylinder[0] > 0 && kind.cylinder[0] < 0.01 ? 0.01 : 1.0);
      for (int dir = 0; dir < 2; ++dir) {
        const double dx = dir == 0 ? 1e-5 : 0, de = dir == 1 ? h : 0;
        const auto plus = derive(x, kind.n, p[0] + dx, p[1] + de, kind.k, kind.cylindrical, kind.cylinder.data());
        const auto minus = derive(x, kind.n, p[0] - dx, p[1] - de, kind.k, kind.cylindrical, kind.cylinder.data());
        const double step = 2 * (dx + de);
        const double scale = dir == 1 ? std::max(1.0, std::fabs(r[15]) * h) : 1.0;
        for (int i = 0; i < 3; ++i) {
          EXPECT_NEAR(r[3 + 3 * dir + i], (plus[i] - minus[i]) / step, 1e-7 * std::max(1.0, std::fabs(r[3 + 3 * dir + i])));
          // d/dxi of the xi derivative; d/deta of the xi derivative (the cross term); d/deta of the eta
          // derivative.
          if (dir == 0) {
            EXPECT_NEAR(r[9 + i], (plus[3 + i] - minus[3 + i]) / step, 1e-6 * scale);
          } else {
            EXPECT_NEAR(r[12 + i], (plus[3 + i] - minus[3 + i]) / step, 1e-6 * std::max(1.0, std::fabs(r[12 + i])));
            EXPECT_NEAR(r[15 + i], (plus[6 + i] - minus[6 + i]) / step, 1e-6 * std::max(1.0, std::fabs(r[15 + i])));
          }
        }
      }
    }
  }
}

TEST_F(ShapeFunctions, AFacetOfAnUnknownNodeCountGivesTheMessageAndZeros) {
  eqc_testing::clearMessages();
  const std::vector<double> x(27, 1.0);
  const double none[4] = {};
  const auto r = derive(x, 7, 0.1, 0.2, 0, kFalse, none);
  for (double v : r) EXPECT_EQ(v, 0.0);
  const auto messages = eqc_testing::messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].level, -2);
  EXPECT_EQ(messages[0].text, "SYSTEM ERROR IN facet_deriv - THE NUMBER OF VERTICES OF A FACET IS 7");
}

}  // namespace
