// Profile and B-spline rigid surfaces against closed forms: lines and arcs, the vertex region and
// its turn test, open ends, the zero snap, a zero-length line, three-node segments against dense
// sampling, extrusion, revolution (cylinder, sphere, a point on the axis), and a straight B-spline
// curve with the warm start counted.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/support/host_fixture.h"
#include "zmx/contact/rigid_surfaces.h"

namespace {

// A surface record of 8-byte words, built word by word from 1.
struct SurfaceRecord {
  std::vector<double> words = std::vector<double>(40, 0.0);
  void integer(std::size_t k, Int v) {
    if (words.size() < k) words.resize(k, 0.0);
    const std::int64_t slot = v;
    std::memcpy(&words[k - 1], &slot, 8);
  }
  void real(std::size_t k, Real v) {
    if (words.size() < k) words.resize(k, 0.0);
    words[k - 1] = v;
  }
};

// Profile record of the kind: frame reals, then the start point and the segments given as
// (type, reals...) groups, closed by -1.
SurfaceRecord profile(Int kind, const std::vector<Real>& frame, const std::vector<Real>& start,
                      const std::vector<std::vector<Real>>& segments) {
  SurfaceRecord r;
  r.integer(2, kind);
  std::size_t w = 5;
  for (const Real v : frame) r.real(w++, v);
  r.real(w++, start[0]);
  r.real(w++, start[1]);
  for (const auto& s : segments) {
    r.integer(w++, static_cast<Int>(s[0]));
    for (std::size_t k = 1; k < s.size(); ++k) r.real(w++, s[k]);
  }
  r.integer(w, -1);
  return r;
}

struct Result {
  Real distance = 0, foot[3] = {}, normal[3] = {}, tangents[6] = {}, curvatures[2] = {}, skew[8] = {};
  Real spans[2] = {}, parameters[2] = {};
  Int calls = 0;
};

Result find(const SurfaceRecord& r, std::vector<Real> p, Real beyond = 0.0, Result state = {}, Int limit = 5) {
  Result out = state;
  const Int dim = static_cast<Int>(p.size());
  std::vector<Real> work(64);
  Int size = 64;
  SEGMENTRIGIDSURFSEARCH(p.data(), reinterpret_cast<const Int*>(r.words.data()), r.words.data(), &dim, &out.distance,
                         out.foot, out.normal, out.tangents, out.curvatures, out.skew, out.spans, out.parameters,
                         &out.calls, &limit, &beyond, work.data(), &size);
  return out;
}

using RigidProfiles = zmxtest::HostFixture;

TEST_F(RigidProfiles, LinesArcsVerticesAndOpenEnds) {
  // Line along x, a counter-clockwise quarter arc about (2, 1), a line up to (3, 3).
  const SurfaceRecord r = profile(1, {}, {0, 0}, {{1, 2, 0}, {2, 2, 1, 3, 1}, {1, 3, 3}});
  Result s = find(r, {1.0, 0.5});
  EXPECT_NEAR(s.distance, -0.5, 1e-15);  // on the left (normal) side
  EXPECT_NEAR(s.foot[0], 1.0, 1e-15);
  EXPECT_EQ(s.normal[1], 1.0);
  EXPECT_EQ(s.curvatures[0], 0.0);
  for (const Real radius : {0.5, 1.5}) {
    const Real a = -0.7;
    s = find(r, {2 + radius * std::cos(a), 1 + radius * std::sin(a)});
    EXPECT_NEAR(s.distance, radius - 1.0, 1e-14);  // inside the arc lies on its normal side
    EXPECT_NEAR(s.foot[0], 2 + std::cos(a), 1e-14);
    EXPECT_NEAR(s.curvatures[0], 1.0, 1e-15);
  }
  // Outside the corner of two lines: the vertex distance, signed by the turn test.
  const SurfaceRecord corner = profile(1, {}, {0, 0}, {{1, 1, 0}, {1, 1, -1}});
  s = find(corner, {1.5, 0.5});
  EXPECT_NEAR(s.distance, -std::sqrt(0.5), 1e-15);
  EXPECT_NEAR(s.normal[0], std::sqrt(0.5), 1e-15);
  EXPECT_EQ(s.curvatures[0], 0.0);
  const SurfaceRecord reflex = profile(1, {}, {0, 0}, {{1, 1, 0}, {1, 1, 1}});
  s = find(reflex, {1.5, -0.5});
  EXPECT_NEAR(s.distance, std::sqrt(0.5), 1e-15);
  // Beyond the open start, and the last segment's end widened by beyond.
  EXPECT_EQ(find(r, {-1.0, 0.1}).distance, -1e36);
  const SurfaceRecord one = profile(1, {}, {0, 0}, {{1, 1, 0}});
  EXPECT_NEAR(find(one, {1.04, 0.5}, 0.1).distance, -0.5, 1e-15);
  EXPECT_EQ(find(one, {1.06, 0.5}, 0.1).distance, -1e36);
  // A distance below 2.22e-16 times the scale is 0.
  EXPECT_EQ(find(one, {0.5, 1e-20}).distance, 0.0);
}

TEST_F(RigidProfiles, DegenerateSegmentsArePassedOver) {
  const SurfaceRecord r = profile(1, {}, {0, 0}, {{1, 1, 0}, {1, 1, 0}, {2, 1, 0, 1, 0}, {1, 2, 0}});
  for (const Real x : {0.5, 1.0, 1.5}) {
    const Result s = find(r, {x, 0.5});
    EXPECT_NEAR(s.distance, -0.5, 1e-15) << x;
    EXPECT_TRUE(std::isfinite(s.normal[0]) && std::isfinite(s.normal[1]));
  }
}

TEST_F(RigidProfiles, ThreeNodeSegmentsAgainstDenseSampling) {
  const Real a[2] = {0, 0}, m[2] = {1, 0.5}, e[2] = {2, 0};
  const SurfaceRecord r = profile(1, {}, {a[0], a[1]}, {{3, m[0], m[1], e[0], e[1]}});
  for (const Real px : {0.4, 0.9, 1.3, 1.7}) {
    for (const Real py : {-0.3, 0.2, 0.8}) {
      Real best = 1e300;
      for (int i = 0; i <= 200000; ++i) {
        const Real xi = -1 + i / 100000.0;
        const Real n1 = xi * (xi - 1) / 2, n2 = 1 - xi * xi, n3 = xi * (xi + 1) / 2;
        best = std::min(best, std::hypot(px - (n1 * a[0] + n2 * m[0] + n3 * e[0]), py - (n1 * a[1] + n2 * m[1] + n3 * e[1])));
      }
      const Result s = find(r, {px, py});
      EXPECT_NEAR(std::fabs(s.distance), best, 1e-7) << px << " " << py;
      EXPECT_NEAR(std::hypot(s.foot[0] - px, s.foot[1] - py), best, 1e-7);
    }
  }
}

TEST_F(RigidProfiles, ExtrusionAndRevolution) {
  // Extruded along z: independent of the extrusion coordinate.
  const SurfaceRecord slab = profile(2, {0, 0, 0, 1, 0, 0, 0, 0, 1}, {0, 0}, {{1, 2, 0}});
  for (const Real z : {-3.0, 0.0, 2.5}) {
    const Result s = find(slab, {1.0, 0.5, z});
    EXPECT_NEAR(s.distance, -0.5, 1e-15);
    EXPECT_NEAR(s.foot[2], z, 1e-15);
    EXPECT_NEAR(s.normal[1], 1.0, 1e-15);
    EXPECT_NEAR(s.tangents[5], 1.0, 1e-15);  // tangent 2 = -e3 = b
  }
  // Revolved about z: a line parallel to the axis is a cylinder of radius 1.
  const SurfaceRecord cylinder = profile(3, {0, 0, 0, 0, 0, 1}, {1, 1}, {{1, 1, -1}});
  Result s = find(cylinder, {0.6, 0.8, 0.3});  // on the surface
  EXPECT_NEAR(s.distance, 0.0, 1e-15);
  EXPECT_NEAR(s.curvatures[1], -1.0, 1e-15);
  s = find(cylinder, {1.2, 1.6, 0.3});
  EXPECT_NEAR(std::fabs(s.distance), 1.0, 1e-14);
  EXPECT_NEAR(s.foot[0], 0.6, 1e-15);
  EXPECT_NEAR(s.curvatures[1], -0.5, 1e-15);  // -n_r / r at the point's radius
  // An arc centred on the axis is a sphere: both curvatures equal on the surface.
  const SurfaceRecord sphere = profile(3, {0, 0, 0, 0, 0, 1}, {0, -1}, {{2, 0, 0, 1, 0}, {2, 0, 0, 0, 1}});
  for (const Real k : {0.5, 1.0, 1.4}) {
    const Real unit = std::sqrt(0.38);
    const Real p[3] = {0.3 * k / unit, 0.2 * k / unit, 0.5 * k / unit};
    const Real len = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    s = find(sphere, {p[0], p[1], p[2]});
    EXPECT_NEAR(std::fabs(s.distance), std::fabs(len - 1), 1e-14);
    EXPECT_NEAR(s.foot[2], p[2] / len, 1e-14);
    if (k == 1.0) {
      EXPECT_NEAR(s.curvatures[1], s.curvatures[0], 1e-14);
    }
  }
  // A point on an axis close to x: the radial direction is d x (0, 0, 1).
  const SurfaceRecord alongX = profile(3, {0, 0, 0, 1, 0, 0}, {1, 1}, {{1, 1, -1}});
  s = find(alongX, {0.25, 0.0, 0.0});
  EXPECT_NEAR(s.foot[0], 0.25, 1e-15);
  EXPECT_NEAR(s.foot[1], -1.0, 1e-15);
  EXPECT_EQ(s.curvatures[1], s.curvatures[0]);
}

TEST_F(RigidProfiles, StraightBsplineCurveAndWarmStart) {
  // A clamped quadratic with collinear control points along y = 0.5 x: the line's distance.
  SurfaceRecord r;
  r.integer(2, 7);
  r.integer(4, kFalse);
  r.integer(5, kFalse);
  r.integer(6, 2);
  r.integer(7, 4);
  r.integer(8, 2);
  r.real(9, 0.0);
  r.real(10, 1.0);
  r.integer(11, 2);
  r.real(12, 2.0);
  // Arrays from word 30: knots (4), control points (3 x 2), weights (3), q (2), start u and radius,
  // start span (packed).
  const std::vector<Real> knots{0, 0, 1, 1}, points{0, 0, 1, 0.5, 2, 1}, weights{1, 1, 1};
  std::size_t w = 30;
  auto place = [&](std::size_t word, const std::vector<Real>& values) {
    r.integer(word, static_cast<Int>(w));
    for (const Real v : values) r.real(w++, v);
  };
  place(13, knots);
  place(14, points);
  place(15, weights);
  r.integer(16, 1);
  r.integer(17, 2);
  place(18, {1.0, 0.5});
  place(19, {0.5, 1.2});
  r.integer(20, static_cast<Int>(w));
  r.integer(w++, 2);  // the start span, packed (and a second, unused, integer 0)
  const Real expected = std::fabs(0.3 - 0.5 * 1.2) / std::sqrt(1.25);
  Result s = find(r, {1.2, 0.3});
  EXPECT_NEAR(std::fabs(s.distance), expected, 1e-12);
  EXPECT_EQ(s.calls, 1);
  EXPECT_EQ(s.spans[0], 2.0);
  EXPECT_NEAR(s.parameters[0], s.foot[0] / 2, 1e-12);  // x(u) = 2 u on this curve
  EXPECT_NEAR(s.normal[0] * s.normal[0] + s.normal[1] * s.normal[1], 1.0, 1e-12);
  // Warm start: the local projection from the last foot, counted up to the limit.
  for (int call = 2; call <= 4; ++call) {
    s = find(r, {1.0, 0.9}, 0.0, s, 3);
    EXPECT_NEAR(std::fabs(s.distance), std::fabs(0.9 - 0.5) / std::sqrt(1.25), 1e-12);
    EXPECT_EQ(s.calls, call == 4 ? 1 : call);
  }
}

}  // namespace
