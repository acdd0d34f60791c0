// Normal distance of a point to a two-dimensional segment with smoothed nodal normals: orthogonal
// projection on straight segments, a sampled-and-bisected residual on curved ones, the overshoot
// window, split segments and the vanishing normal.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "zmx/geometry/facets.h"
#include "zmx/geometry/feet.h"

namespace {

struct Foot {
  double xi, distance, t[2], overshoot;
  Logical found;
  Int part, degenerate;
};

Foot foot(const double* x, const double* nn, const double* p, bool straight, double tol, Int elementClass = 0) {
  Foot f{};
  f.part = -5;
  const Int ld = 2;
  const Logical s = straight ? kTrue : kFalse;
  FNDNORMALDISTTOCURVE(x, &ld, nn, &ld, p, &f.xi, &s, &tol, &f.found, &f.distance, f.t, &f.overshoot, &f.part,
                       &elementClass, &f.degenerate);
  return f;
}

// Quadratic segment point, tangent of the turned normals, and the residual (P - x) . t at xi.
struct Curved {
  double x[6], nn[6];
  void at(double xi, double* pos, double* t) const {
    const double n[3] = {0.5 * xi * (xi - 1), 1 - xi * xi, 0.5 * xi * (xi + 1)};
    pos[0] = pos[1] = t[0] = t[1] = 0;
    for (int j = 0; j < 3; ++j) {
      pos[0] += n[j] * x[2 * j], pos[1] += n[j] * x[2 * j + 1];
      t[0] += n[j] * nn[2 * j + 1], t[1] -= n[j] * nn[2 * j];
    }
  }
  double residual(const double* p, double xi) const {
    double pos[2], t[2];
    at(xi, pos, t);
    return (p[0] - pos[0]) * t[0] + (p[1] - pos[1]) * t[1];
  }
};

TEST(CurveNormalDistance, StraightSegmentsGiveTheOrthogonalProjection) {
  std::mt19937 rng(1);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  const double x[4] = {0.5, 1.0, 3.5, 2.0};
  const double len = std::hypot(3.0, 1.0), n[2] = {-1.0 / len, 3.0 / len};
  const double nn[4] = {n[0], n[1], n[0], n[1]};
  for (int i = 0; i < 100; ++i) {
    const double s = 0.95 * unit(rng), h = unit(rng);
    const double p[2] = {2.0 + 1.5 * s + h * n[0], 1.5 + 0.5 * s + h * n[1]};
    const Foot f = foot(x, nn, p, true, 0.01);
    ASSERT_EQ(f.found, kTrue);
    EXPECT_NEAR(f.xi, s, 1e-9);
    EXPECT_NEAR(f.distance, -h, 1e-9);  // the point lies on the side the normals point to
    EXPECT_EQ(f.overshoot, 0.0);
    EXPECT_NEAR(f.t[0], 3.0 / len, 1e-12);
    EXPECT_EQ(f.part, -5);  // not a split segment: left alone
  }
  // Beyond either end within the window: accepted with its overshoot; beyond the window: not
  // found.
  Foot f;
  for (const double side : {1.0, -1.0}) {
    const double within[2] = {2.0 + 1.5 * 1.01 * side, 1.5 + 0.5 * 1.01 * side};
    f = foot(x, nn, within, true, 0.01);
    EXPECT_EQ(f.found, kTrue);
    EXPECT_NEAR(f.xi, 1.01 * side, 1e-9);
    EXPECT_NEAR(f.overshoot, 0.005, 1e-9);
    const double beyond[2] = {2.0 + 1.5 * 1.05 * side, 1.5 + 0.5 * 1.05 * side};
    f = foot(x, nn, beyond, true, 0.01);
    EXPECT_EQ(f.found, kFalse);
    EXPECT_EQ(f.distance, -1e36);
    EXPECT_EQ(f.overshoot, 1e36);
    EXPECT_EQ(f.xi, 0.0);
    EXPECT_EQ(f.t[0], 0.0);
  }

  // Opposite nodal normals: the interpolated normal vanishes at the middle.
  const double opposite[4] = {0.0, 1.0, 0.0, -1.0};
  const double flat[4] = {-1.0, 0.0, 1.0, 0.0};
  const double above[2] = {0.0, 0.5};
  f = foot(flat, opposite, above, true, 0.01);
  EXPECT_EQ(f.degenerate, 1);
  EXPECT_EQ(f.found, kFalse);
}

TEST(CurveNormalDistance, CurvedSegmentsMatchASampledAndBisectedResidual) {
  std::mt19937 rng(2);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < 100; ++i) {
    Curved c{{-1.0, 0.0, 0.0, 0.15 * unit(rng), 1.0, 0.05 * unit(rng)}, {}};
    const double tilt[3] = {0.2 * (unit(rng) - 0.5), 0.1 * (unit(rng) - 0.5), 0.2 * (unit(rng) - 0.5)};
    for (int j = 0; j < 3; ++j) c.nn[2 * j] = std::sin(tilt[j] - 0.3 * (j - 1)), c.nn[2 * j + 1] = std::cos(tilt[j] - 0.3 * (j - 1));
    const double p[2] = {1.6 * (unit(rng) - 0.5), 0.5 * (unit(rng) - 0.5)};
    // Oracle: the sign change of the residual on a fine grid, bisected.
    double lo = -1.0, rlo = c.residual(p, lo), root = 1e9;
    for (int s = 1; s <= 400 && root == 1e9; ++s) {
      const double hi = -1.0 + s / 200.0, rhi = c.residual(p, hi);
      if ((rlo <= 0) != (rhi <= 0)) {
        double a = lo, b = hi;
        for (int k = 0; k < 100; ++k) {
          const double m = 0.5 * (a + b);
          if ((c.residual(p, a) <= 0) == (c.residual(p, m) <= 0)) a = m; else b = m;
        }
        root = 0.5 * (a + b);
      }
      lo = hi, rlo = rhi;
    }
    if (root == 1e9) continue;
    const Foot f = foot(c.x, c.nn, p, false, 0.01);
    ASSERT_EQ(f.found, kTrue) << i;
    EXPECT_NEAR(f.xi, root, 1e-6) << i;
    double pos[2], t[2];
    c.at(f.xi, pos, t);
    const double gap = std::hypot(p[0] - pos[0], p[1] - pos[1]), lt = std::hypot(t[0], t[1]);
    EXPECT_LE(std::fabs((p[0] - pos[0]) * t[0] + (p[1] - pos[1]) * t[1]), 1e-6 * gap * lt + 1e-12);
    EXPECT_NEAR(f.distance, ((pos[0] - p[0]) * -t[1] + (pos[1] - p[1]) * t[0]) / lt, 1e-12);
  }
}

TEST(CurveNormalDistance, SplitSegmentsReportTheirPart) {
  Int split = 0, type = 0;
  for (Int c = 1; c <= 182 && split == 0; ++c) {
    GETSURFACEFACETTYPE(&c, &type);
    if (type == 9 || type == 12) split = c;
  }
  ASSERT_NE(split, 0);
  const double x[6] = {0.0, 0.0, 1.0, 0.0, 2.0, 0.5};
  const double l = std::hypot(1.0, 0.5);
  const double nn[6] = {0.0, 1.0, -0.5 / l, 1.0 / l, -0.5 / l, 1.0 / l};
  // On the second part, a little above its middle.
  const double p[2] = {1.5 - 0.1 * 0.5 / l, 0.25 + 0.1 / l};
  Foot f = foot(x, nn, p, false, 0.01, split);
  ASSERT_EQ(f.found, kTrue);
  EXPECT_EQ(f.part, 2);
  EXPECT_NEAR(f.xi, 0.0, 1e-9);
  EXPECT_NEAR(f.distance, -0.1, 1e-9);
  // On the first part.
  const double q[2] = {0.3, -0.2};
  f = foot(x, nn, q, false, 0.01, split);
  ASSERT_EQ(f.found, kTrue);
  EXPECT_EQ(f.part, 1);
  EXPECT_GT(f.distance, 0.0);  // below the first part, behind its normals

  // Just beyond the first node, within the window of the first part, where the second part has
  // no foot: the first part's foot is kept and taken, with its overshoot.
  const double up[6] = {0.0, 1.0, 0.0, 1.0, -0.5 / l, 1.0 / l};
  const double beyond[2] = {-0.005, 0.1};
  f = foot(x, up, beyond, false, 0.01, split);
  ASSERT_EQ(f.found, kTrue);
  EXPECT_EQ(f.part, 1);
  EXPECT_NEAR(f.xi, -1.01, 1e-9);
  EXPECT_NEAR(f.overshoot, 0.005, 1e-9);
  EXPECT_NEAR(f.distance, -0.1, 1e-9);
}

}  // namespace
