// Cubic Bezier segments in the plane: coefficients against the Bernstein form, and the Newton foot
// with its point, frame and signed distance against dense sampling of random cubics.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "tests/support/bezier_surface.h"
#include "tests/support/host_fixture.h"
#include "zmx/geometry/bezier.h"

namespace {

using Point = std::array<Real, 2>;

using Chain = zmxtest::BezierChain;

class BezierSegments : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    const Int segments = 1;
    BEZCMN(&segments);
  }
};

Point bernstein(const std::vector<Point>& q, Real t) {
  const Real s = 1.0 - t;
  const Real w[4] = {s * s * s, 3 * s * s * t, 3 * s * t * t, t * t * t};
  return {w[0] * q[0][0] + w[1] * q[1][0] + w[2] * q[2][0] + w[3] * q[3][0],
          w[0] * q[0][1] + w[1] * q[1][1] + w[2] * q[2][1] + w[3] * q[3][1]};
}

Real gap(const Point& a, const Point& b) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

TEST_F(BezierSegments, CoefficientsAreThePowerFormOfTheBernsteinCurve) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<Real> coord(-5.0, 5.0), param(-0.5, 1.5);
  for (int trial = 0; trial < 50; ++trial) {
    std::vector<Point> q(4);
    for (auto& p : q) p = {coord(rng), coord(rng)};
    const Chain chain(q);
    Real k[8];
    Int positions[4];
    const Int one = 1;
    COEF2D(chain.nodes.data(), chain.records.data(), &one, k, positions);
    EXPECT_EQ(positions[0], 1);
    EXPECT_EQ(positions[1], 13);  // Q3 is node 4
    EXPECT_EQ(positions[2], 5);
    EXPECT_EQ(positions[3], 9);
    for (int s = 0; s < 5; ++s) {
      const Real t = param(rng);
      const Point power{k[0] + t * (k[1] + t * (k[2] + t * k[3])), k[4] + t * (k[5] + t * (k[6] + t * k[7]))};
      EXPECT_LT(gap(power, bernstein(q, t)), 1e-12);
    }
  }
}

Point bernsteinTangent(const std::vector<Point>& q, Real t) {
  const Real s = 1.0 - t;
  const Real w[3] = {3 * s * s, 6 * s * t, 3 * t * t};
  Point d{};
  for (int c = 0; c < 2; ++c)
    d[c] = w[0] * (q[1][c] - q[0][c]) + w[1] * (q[2][c] - q[1][c]) + w[2] * (q[3][c] - q[2][c]);
  return d;
}

// Nearest parameter on [0, 1] by dense sampling, polished by bisection on (X(t) - P) . X'(t).
Real nearestParameter(const std::vector<Point>& q, const Point& p) {
  Real best = 0.0, bestDistance = 1e300;
  for (int k = 0; k <= 20000; ++k) {
    const Real t = k / 20000.0, d = gap(bernstein(q, t), p);
    if (d < bestDistance) bestDistance = d, best = t;
  }
  auto slope = [&](Real t) {
    const Point x = bernstein(q, t), d = bernsteinTangent(q, t);
    return (x[0] - p[0]) * d[0] + (x[1] - p[1]) * d[1];
  };
  Real a = std::max(0.0, best - 1e-4), b = std::min(1.0, best + 1e-4);
  if (slope(a) >= 0 || slope(b) <= 0) return best;  // at an end
  for (int it = 0; it < 200; ++it) {
    const Real m = 0.5 * (a + b);
    (slope(m) < 0 ? a : b) = m;
  }
  return 0.5 * (a + b);
}

// The one-segment chain's coefficients, then UNEWT2's Newton foot of p from its own starts.
struct Foot {
  Real t;
  Int status;
};

Foot newtonFoot(const Chain& chain, const Point& p) {
  Real k[8], t = -5.0;
  Int positions[4], status = -1;
  const Int one = 1;
  COEF2D(chain.nodes.data(), chain.records.data(), &one, k, positions);
  const Real step = 1e-10, tolerance = 4.0 * 2.22e-16;
  UNEWT2(&step, &tolerance, chain.nodes.data(), positions, p.data(), k, &t, &status);
  return {t, status};
}

TEST_F(BezierSegments, NewtonFootMatchesDenseSampling) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<Real> unit(-1.0, 1.0), along(0.05, 0.95), offset(-0.3, 0.3);
  int compared = 0;
  for (int trial = 0; trial < 300; ++trial) {
    // A gently bent cubic of length about 4 and a point near it.
    std::vector<Point> q = {{0, 0}, {4.0 / 3.0, 0.6 * unit(rng)}, {8.0 / 3.0, 0.6 * unit(rng)}, {4.0, 0.3 * unit(rng)}};
    const Chain chain(q);
    const Point onCurve = bernstein(q, along(rng));
    const Point p{onCurve[0] + offset(rng), onCurve[1] + offset(rng)};
    const Real tStar = nearestParameter(q, p);
    if (tStar < 0.01 || tStar > 0.99) continue;
    const auto [t, status] = newtonFoot(chain, p);
    ASSERT_EQ(status, 0) << trial;
    // Newton stops once the angle between X - P and the tangent is within 1e-6 of a right angle:
    // the foot is that close relative to the distance, the distance to second order.
    const Real r = gap(p, bernstein(q, tStar));
    EXPECT_NEAR(t, tStar, 1e-6 * r + 1e-12) << trial;
    Real distance, x[2], frame[10];
    const Int mode = 1, count = 2, one = 1;
    Real recomputed[8] = {};
    DSTN2D(chain.records.data(), chain.nodes.data(), p.data(), recomputed, &t, &distance, x, frame, &mode, &one, &count);
    const Point foot = bernstein(q, tStar);
    EXPECT_LT(gap({x[0], x[1]}, foot), 1e-5 * r + 1e-10 * 4.0) << trial;
    EXPECT_NEAR(std::fabs(distance), gap(p, foot), 1e-10 * 4.0) << trial;
    // Positive with P to the right of the direction of increasing t.
    const Point ahead = bernstein(q, tStar + 1e-6);
    const Real side = (ahead[0] - foot[0]) * (p[1] - foot[1]) - (ahead[1] - foot[1]) * (p[0] - foot[0]);
    EXPECT_EQ(distance > 0, side < 0) << trial;
    EXPECT_NEAR(frame[0] * frame[0] + frame[1] * frame[1], 1.0, 1e-15);
    EXPECT_EQ(frame[6], -frame[1]);
    EXPECT_EQ(frame[7], frame[0]);
    ++compared;
  }
  EXPECT_GT(compared, 200);

  // Cubics bent into a U with the point inside it, near its centre of curvature: the full Newton
  // steps overshoot and are cut back. A converged foot is a foot: X - P meets the tangent at a
  // right angle to 1e-6, at a parameter of the segment.
  int converged = 0;
  for (int trial = 0; trial < 200; ++trial) {
    std::vector<Point> q = {{0, 0}, {0.3 * unit(rng), 3.0}, {4.0 + 0.3 * unit(rng), 3.0}, {4.0, 0}};
    const Chain chain(q);
    const Point p{2.0 + 0.8 * unit(rng), 1.2 + 0.6 * unit(rng)};
    const auto [t, status] = newtonFoot(chain, p);
    if (status != 0) continue;
    ++converged;
    const Point x = bernstein(q, t), tangent = bernsteinTangent(q, t);
    const Real d[2] = {x[0] - p[0], x[1] - p[1]};
    EXPECT_LE(std::fabs(d[0] * tangent[0] + d[1] * tangent[1]),
              1e-6 * std::hypot(d[0], d[1]) * std::hypot(tangent[0], tangent[1]) + 1e-12)
        << trial;
  }
  EXPECT_GT(converged, 100);

  // A point so far above the U that the second derivative of the squared distance passes 1e13:
  // g and h are both taken as 1e13, so every step is an unguarded -1, and no start ends on the
  // segment.
  const Foot far = newtonFoot(Chain({{0, 0}, {0, 3}, {4, 3}, {4, 0}}), {2.0, 1e14});
  EXPECT_EQ(far.status, 1);
  EXPECT_FALSE(far.t > -1e-7 && far.t < 1.0000001);
}

TEST_F(BezierSegments, EdgeCases) {
  const Int one = 1;
  const Real step = 1e-10, tolerance = 1e-15;
  Real k[8], t = -1.0;
  Int positions[4], status = -1;
  // Straight, control points at thirds: no quadratic or cubic terms, zero curvature.
  const std::vector<Point> straight = {{1, 1}, {2, 3}, {3, 5}, {4, 7}};
  const Chain line(straight);
  COEF2D(line.nodes.data(), line.records.data(), &one, k, positions);
  for (int c : {2, 3, 6, 7}) EXPECT_NEAR(k[c], 0.0, 1e-15);
  const Real p0[2] = {1, 1};
  UNEWT2(&step, &tolerance, line.nodes.data(), positions, p0, k, &t, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(t, 0.0);
  Real distance, x[2], frame[10];
  const Real half = 0.5, side[2] = {3.5, 3.0};
  const Int mode = 1;
  DSTN2D(line.records.data(), line.nodes.data(), side, k, &half, &distance, x, frame, &mode, &one, &one);
  EXPECT_EQ(frame[9], 0.0);
  EXPECT_GT(distance, 0.0);  // (3.5, 3) lies to the right of the rising line
  // Beyond Q3 along the tangent: every start converges past the end.
  const Real beyond[2] = {5, 9};
  UNEWT2(&step, &tolerance, line.nodes.data(), positions, beyond, k, &t, &status);
  EXPECT_EQ(status, 1);
  // A chain of two: the distance to the nearer open end.
  const Chain chain({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 1}, {5, 2}, {6, 3}});
  const Real p[2] = {5, 5};
  const Int two = 2;
  ENDPTD(chain.records.data(), chain.nodes.data(), p, &two, &distance);
  EXPECT_DOUBLE_EQ(distance, std::hypot(1.0, 2.0));
  ENDPTD(chain.records.data(), chain.nodes.data(), p, &one, &distance);
  EXPECT_DOUBLE_EQ(distance, std::hypot(2.0, 5.0));
  // All control points in one place: no tangent, zero frame values and the marker distance.
  const Chain dot({{2, 2}, {2, 2}, {2, 2}, {2, 2}});
  COEF2D(dot.nodes.data(), dot.records.data(), &one, k, positions);
  for (Real& f : frame) f = 9.0;
  DSTN2D(dot.records.data(), dot.nodes.data(), p, k, &half, &distance, x, frame, &mode, &one, &one);
  EXPECT_EQ(distance, -1e36);
  for (int c : {0, 1, 6, 7, 9}) EXPECT_EQ(frame[c], 0.0);
  EXPECT_EQ(x[0], 2.0);
  // Every parameter is a foot of a curve that is one point: the first start is taken.
  UNEWT2(&step, &tolerance, dot.nodes.data(), positions, p, k, &t, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(t, 0.0);
  // A point of no number fails without looping.
  const Real nan[2] = {std::nan(""), 1.0};
  UNEWT2(&step, &tolerance, line.nodes.data(), positions, nan, k, &t, &status);
  EXPECT_EQ(status, 1);
}

}  // namespace
