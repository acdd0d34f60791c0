// Profile and B-spline rigid surfaces against closed forms: lines and arcs, the vertex region and
// its turn test, open ends, the zero snap, a zero-length line, three-node segments against dense
// sampling, random chains against a brute-force signed distance, extrusion, revolution (cylinder,
// sphere, a point on the axis), and a straight B-spline curve with the warm start counted.

#include <gtest/gtest.h>

#include <sisl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <random>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "siblings/eqc/testing.h"
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
  // The first and the last segment reach as far in a longer profile, with segments that look
  // nearer in between.
  const SurfaceRecord hook = profile(1, {}, {2.7, 0.6}, {{1, 3.3, 0.6}, {1, 3.3, 3}, {1, -1, 3}, {1, 0, 0}, {1, 1, 0}});
  EXPECT_NEAR(find(hook, {3.0, 0.1}, 5.0).distance, -0.1, 1e-15);
  const SurfaceRecord reversed = profile(1, {}, {1, 0}, {{1, 0, 0}, {1, -1, 3}, {1, 3.3, 3}, {1, 3.3, 0.6}, {1, 2.7, 0.6}});
  EXPECT_NEAR(find(reversed, {3.0, 0.1}, 5.0).distance, 0.1, 1e-15);
  // A distance below 2.22e-16 times the scale is 0.
  EXPECT_EQ(find(one, {0.5, 1e-20}).distance, 0.0);
}

TEST_F(RigidProfiles, DegenerateSegmentsArePassedOver) {
  // A line, an arc and a 3-node segment of zero length at (1, 0), between two lines.
  const SurfaceRecord r =
      profile(1, {}, {0, 0}, {{1, 1, 0}, {1, 1, 0}, {2, 1, 0, 1, 0}, {3, 1, 0, 1, 0}, {1, 2, 0}});
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
  // No closest point: the profile foot is 0, taken back to space like any foot (the origin,
  // moved along the extrusion to the point's level).
  const SurfaceRecord shifted = profile(2, {1, 2, 3, 1, 0, 0, 0, 0, 1}, {0, 0}, {{1, 1, 0}});
  const Result none = find(shifted, {10.0, 2.5, 7.0});
  EXPECT_EQ(none.distance, -1e36);
  EXPECT_EQ(none.foot[0], 1.0);
  EXPECT_EQ(none.foot[1], 2.0);
  EXPECT_EQ(none.foot[2], 7.0);
  EXPECT_EQ(none.normal[0], 0.0);
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


// An independent model of a profile: each piece a parametrised curve on s in [0, 1] with its left
// normal. The signed distance is found by dense sampling and golden-section refinement; at a
// shared vertex the side comes from the sum of the two pieces' normals there.
struct Piece {
  std::array<Real, 2> a{}, m{}, e{}, c{};
  int type = 1;  // 1 line, 2 arc (c the centre, swept from a to e), 3 three-node
  Real radius = 0, from = 0, sweep = 0;
  std::array<Real, 2> at(Real s) const {
    if (type == 2) return {c[0] + radius * std::cos(from + s * sweep), c[1] + radius * std::sin(from + s * sweep)};
    if (type == 1) return {a[0] + s * (e[0] - a[0]), a[1] + s * (e[1] - a[1])};
    const Real xi = 2 * s - 1, n1 = xi * (xi - 1) / 2, n2 = 1 - xi * xi, n3 = xi * (xi + 1) / 2;
    return {n1 * a[0] + n2 * m[0] + n3 * e[0], n1 * a[1] + n2 * m[1] + n3 * e[1]};
  }
  std::array<Real, 2> leftNormal(Real s) const {
    const Real h = 1e-7, s0 = std::max(0.0, s - h), s1 = std::min(1.0, s + h);
    const auto p0 = at(s0), p1 = at(s1);
    const Real tx = p1[0] - p0[0], ty = p1[1] - p0[1], l = std::hypot(tx, ty);
    return {-ty / l, tx / l};
  }
  // Nearest parameter and distance to q.
  std::pair<Real, Real> nearest(const std::array<Real, 2>& q) const {
    auto dist = [&](Real s) {
      const auto x = at(s);
      return std::hypot(q[0] - x[0], q[1] - x[1]);
    };
    constexpr int n = 1000;
    int best = 0;
    for (int i = 1; i <= n; ++i)
      if (dist(Real(i) / n) < dist(Real(best) / n)) best = i;
    Real lo = std::max(0.0, (best - 1.0) / n), hi = std::min(1.0, (best + 1.0) / n);
    for (int it = 0; it < 80; ++it) {
      const Real x1 = lo + 0.382 * (hi - lo), x2 = hi - 0.382 * (hi - lo);
      (dist(x1) < dist(x2) ? hi : lo) = dist(x1) < dist(x2) ? x2 : x1;
    }
    const Real s = 0.5 * (lo + hi);
    return {s, dist(s)};
  }
};

// A random chain of lines, arcs and gently bent three-node segments from the origin, each turning
// by at most 110 degrees at a vertex: the model's pieces and the profile record.
struct Chain {
  std::vector<Piece> pieces;
  SurfaceRecord record;
};

Chain randomChain(std::mt19937& rng, int count) {
  std::uniform_real_distribution<Real> unit(0.0, 1.0);
  Chain chain;
  std::vector<std::vector<Real>> segments;
  std::array<Real, 2> at{0, 0};
  Real heading = 6.3 * unit(rng);
  for (int k = 0; k < count; ++k) {
    Piece p;
    p.a = at;
    p.type = 1 + static_cast<int>(3 * unit(rng));
    const Real len = 0.6 + unit(rng);
    if (p.type == 2) {
      p.sweep = (unit(rng) < 0.5 ? -1 : 1) * (0.3 + 1.2 * unit(rng));
      p.radius = len / std::fabs(p.sweep) + 0.5;
      const Real side = p.sweep > 0 ? 1 : -1;  // the centre on the side the arc turns to
      p.c = {at[0] - side * p.radius * std::sin(heading), at[1] + side * p.radius * std::cos(heading)};
      p.from = std::atan2(at[1] - p.c[1], at[0] - p.c[0]);
      p.e = p.at(1.0);
      heading += p.sweep;
      segments.push_back({2, p.c[0], p.c[1], p.e[0], p.e[1]});
    } else {
      p.e = {at[0] + len * std::cos(heading), at[1] + len * std::sin(heading)};
      if (p.type == 3) {
        const Real bow = len * 0.2 * (unit(rng) - 0.5), shift = len * 0.1 * (unit(rng) - 0.5);
        p.m = {0.5 * (p.a[0] + p.e[0]) - bow * std::sin(heading) + shift * std::cos(heading),
               0.5 * (p.a[1] + p.e[1]) + bow * std::cos(heading) + shift * std::sin(heading)};
        segments.push_back({3, p.m[0], p.m[1], p.e[0], p.e[1]});
      } else {
        segments.push_back({1, p.e[0], p.e[1]});
      }
      const auto n = p.leftNormal(1.0);
      heading = std::atan2(-n[0], n[1]);
    }
    chain.pieces.push_back(p);
    at = p.e;
    heading += 1.9 * (unit(rng) - 0.5);
  }
  chain.record = profile(1, {}, {0, 0}, segments);
  return chain;
}

// The search at random points within reach of the chain against the model's signed distance and
// foot; near ties (equally near two pieces that do not meet at the nearest point, or nearly as near
// to an open end) are passed over. Counts the points compared and those at a vertex.
void compareWithModel(const Chain& chain, std::mt19937& rng, int trials, int& compared, int& vertices) {
  std::uniform_real_distribution<Real> unit(0.0, 1.0);
  const auto& pieces = chain.pieces;
  const std::size_t count = pieces.size();
  const auto at = pieces.back().e;
  for (int trial = 0; trial < trials; ++trial) {
    const Piece& near = pieces[static_cast<std::size_t>(count * unit(rng)) % count];
    const auto base = near.at(unit(rng));
    const Real angle = 6.3 * unit(rng), reach = 0.6 * unit(rng);
    const std::array<Real, 2> q{base[0] + reach * std::cos(angle), base[1] + reach * std::sin(angle)};
    // The nearest point of the chain, the runner-up on another piece, and the side.
    Real best = 1e300, runnerUp = 1e300, sign = 0;
    std::size_t bestPiece = 0;
    Real bestS = 0;
    for (std::size_t k = 0; k < count; ++k) {
      const auto [s, d] = pieces[k].nearest(q);
      if (d < best) runnerUp = best, best = d, bestPiece = k, bestS = s;
      else runnerUp = std::min(runnerUp, d);
    }
    const Piece& p = pieces[bestPiece];
    const bool atStart = bestS < 1e-9, atEnd = bestS > 1 - 1e-9;
    const bool openStart = atStart && bestPiece == 0, openEnd = atEnd && bestPiece + 1 == count;
    const auto foot = p.at(bestS);
    auto side = p.leftNormal(bestS);
    if (atStart && !openStart) {
      const auto before = pieces[bestPiece - 1].leftNormal(1.0);
      side = {side[0] + before[0], side[1] + before[1]};
    } else if (atEnd && !openEnd) {
      const auto after = pieces[bestPiece + 1].leftNormal(0.0);
      side = {side[0] + after[0], side[1] + after[1]};
    }
    sign = (foot[0] - q[0]) * side[0] + (foot[1] - q[1]) * side[1] > 0 ? 1.0 : -1.0;
    const bool vertex = (atStart && !openStart) || (atEnd && !openEnd);
    const Real toStart = std::hypot(q[0], q[1]), toEnd = std::hypot(q[0] - at[0], q[1] - at[1]);
    if (best < 1e-6 || (!vertex && runnerUp - best < 1e-6)) continue;
    if (!openStart && !openEnd && std::min(toStart, toEnd) - best < 1e-6) continue;
    const Result s = find(chain.record, {q[0], q[1]});
    if (openStart || openEnd) {
      EXPECT_EQ(s.distance, -1e36) << trial;
      continue;
    }
    ++compared;
    vertices += vertex ? 1 : 0;
    ASSERT_NE(s.distance, -1e36) << trial;
    EXPECT_NEAR(s.distance, sign * best, 1e-7) << trial << (vertex ? " vertex" : "");
    EXPECT_NEAR(std::hypot(s.foot[0] - foot[0], s.foot[1] - foot[1]), 0.0, 1e-5) << trial;
  }
}

TEST_F(RigidProfiles, RandomProfilesAgainstBruteForceSignedDistance) {
  // The vertex after a three-node segment that yields no foot: the turn test there must see that
  // segment's end, as it sees a straight first segment's.
  const SurfaceRecord bent = profile(1, {}, {-1, 0}, {{3, 0, 0.1, 1, 0}, {1, 1, 1}});
  const SurfaceRecord straight = profile(1, {}, {-1, 0}, {{1, 1, 0}, {1, 1, 1}});
  for (const SurfaceRecord* r : {&bent, &straight}) {
    const Result s = find(*r, {2.0, -1.0});
    EXPECT_NEAR(s.distance, std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(s.normal[0], -std::sqrt(0.5), 1e-12);
    EXPECT_NEAR(s.normal[1], std::sqrt(0.5), 1e-12);
  }
  // Random four-piece chains; points within reach of the chain.
  std::mt19937 rng(35);
  int compared = 0, vertices = 0;
  for (int chain = 0; chain < 60; ++chain) {
    SCOPED_TRACE(chain);
    compareWithModel(randomChain(rng, 4), rng, 40, compared, vertices);
  }
  EXPECT_GT(compared, 1500) << vertices;
  EXPECT_GT(vertices, 50);
}

TEST_F(RigidProfiles, LongProfilesAgainstBruteForceSignedDistance) {
  // Chains long enough to be read in more than one stretch, meandering back near themselves, and
  // points around their pieces and beyond their open ends: every nearest result must be found
  // however few segments the search evaluates.
  std::mt19937 rng(37);
  int compared = 0, vertices = 0;
  for (const int count : {60, 150, 300}) {
    SCOPED_TRACE(count);
    compareWithModel(randomChain(rng, count), rng, 100, compared, vertices);
  }
  EXPECT_GT(compared, 250) << vertices;
  EXPECT_GT(vertices, 5);
}

// A plain model of the walk over a profile of lines and arcs: every segment evaluated, its foot
// kept when its xi lies in the window, the vertex region at its start when its xi lies before and
// the previous one's beyond, and an open end nearer than all of them means none. Besides the
// result it gives the runner-up among the results and the open end, to pass over near ties.
struct ModelResult {
  Real distance = -1e36, foot[2] = {0, 0}, margin = 1e300;
};

ModelResult walkModel(const std::array<Real, 2>& start, const std::vector<std::vector<Real>>& segments,
                      const std::array<Real, 2>& p, Real beyond) {
  using P = std::array<Real, 2>;
  const auto sub = [](P u, P v) { return P{u[0] - v[0], u[1] - v[1]}; };
  const auto dotP = [](P u, P v) { return u[0] * v[0] + u[1] * v[1]; };
  const auto crossP = [](P u, P v) { return u[0] * v[1] - u[1] * v[0]; };
  const auto norm = [&](P u) { return std::sqrt(dotP(u, u)); };
  const Real reach = std::max(beyond, 1e-8);
  Real best = 1e300, runnerUp = 1e300, signedBest = -1e36, previousXi = -1e36, lastTolerance = 0;
  P previousEnd{0, 0}, foot{0, 0}, a = start;
  Real startEnd = norm(sub(p, a));
  const auto keep = [&](Real d, P f) {
    if (std::fabs(d) < best) runnerUp = best, best = std::fabs(d), signedBest = d, foot = f;
    else runnerUp = std::min(runnerUp, std::fabs(d));
  };
  for (std::size_t k = 0; k < segments.size(); ++k) {
    const auto& g = segments[k];
    const bool first = k == 0, last = k + 1 == segments.size();
    const Real lower = first ? -1 - reach : -1.00000001, upper = last ? 1 + reach : 1.00000001;
    Real xi, tolerance;
    P e, n, f, startVector, endVector;
    if (g[0] == 1) {
      e = {g[1], g[2]};
      const P d = sub(e, a);
      const Real length = norm(d);
      tolerance = length * 1e-8;
      n = {-d[1] / length, d[0] / length};
      xi = dotP(P{2 * p[0] - a[0] - e[0], 2 * p[1] - a[1] - e[1]}, d) / (length * length);
      f = {((1 + xi) * e[0] + (1 - xi) * a[0]) / 2, ((1 + xi) * e[1] + (1 - xi) * a[1]) / 2};
      startVector = endVector = n;
    } else {
      const P c{g[1], g[2]};
      e = {g[3], g[4]};
      P ac = sub(a, c), ec = sub(e, c), ea = sub(e, a);
      const P q = sub(p, c);
      Real radius = norm(ac);
      n = {q[0] / norm(q), q[1] / norm(q)};
      tolerance = norm(ea) * 1e-8;
      if (crossP(ac, ea) > 0) {
        n = {-n[0], -n[1]}, radius = -radius, ac = {-ac[0], -ac[1]}, ec = {-ec[0], -ec[1]}, ea = {-ea[0], -ea[1]};
      }
      xi = dotP(ea, n) <= 0 ? crossP(n, ac) / radius - 1 : crossP(n, ec) / radius + 1;
      f = {c[0] + radius * n[0], c[1] + radius * n[1]};
      startVector = ac, endVector = ec;
    }
    if (xi >= lower && xi < upper) {
      keep(dotP(sub(f, p), n), f);
    } else if (xi < lower && previousXi >= 1.00000001) {
      const Real gap = norm(sub(p, a)), turn = previousEnd[1] * startVector[0] - previousEnd[0] * startVector[1];
      keep(turn >= 0 ? -gap : gap, a);
    }
    previousXi = xi, previousEnd = endVector;
    if (first) startEnd += tolerance;
    if (last) lastTolerance = tolerance;
    a = e;
  }
  const Real openEnd = std::min(startEnd, norm(sub(p, a)) + lastTolerance);
  ModelResult m;
  m.margin = std::min(runnerUp - best, std::fabs(openEnd - best));
  if (openEnd < best) return m;
  m.distance = signedBest, m.foot[0] = foot[0], m.foot[1] = foot[1];
  return m;
}

TEST_F(RigidProfiles, LongOddProfilesAgainstPlainWalk) {
  // Long profiles read in several stretches, of lines and arcs whose centres lie anywhere (the end
  // off the start's circle, arcs longer than half a turn), against the plain walk: the search may
  // evaluate only the segments that can matter, with the same result as evaluating them all.
  std::mt19937 rng(41);
  std::uniform_real_distribution<Real> unit(0.0, 1.0);
  int compared = 0, none = 0;
  for (int profileNumber = 0; profileNumber < 12; ++profileNumber) {
    const int count = profileNumber % 3 == 0 ? 300 : 40 + static_cast<int>(100 * unit(rng));
    const std::array<Real, 2> start{4 * unit(rng), 4 * unit(rng)};
    std::vector<std::vector<Real>> segments;
    std::vector<std::array<Real, 2>> points{start};
    std::array<Real, 2> at = start;
    for (int k = 0; k < count; ++k) {
      const std::array<Real, 2> e{at[0] + 2 * unit(rng) - 0.6, at[1] + 2 * unit(rng) - 1};
      if (unit(rng) < 0.5) {
        segments.push_back({1, e[0], e[1]});
      } else {
        const std::array<Real, 2> c{at[0] + 3 * unit(rng) - 1.5, at[1] + 3 * unit(rng) - 1.5};
        segments.push_back({2, c[0], c[1], e[0], e[1]});
        points.push_back(c);
      }
      points.push_back(e);
      at = e;
    }
    const SurfaceRecord r = profile(1, {}, {start[0], start[1]}, segments);
    const Real beyond = unit(rng) < 0.5 ? 0.0 : 0.3;
    for (int trial = 0; trial < 150; ++trial) {
      const auto& base = points[static_cast<std::size_t>(points.size() * unit(rng)) % points.size()];
      const Real spread = trial % 3 == 0 ? 0.05 : 1.5;
      const std::array<Real, 2> q{base[0] + spread * (2 * unit(rng) - 1), base[1] + spread * (2 * unit(rng) - 1)};
      const ModelResult m = walkModel(start, segments, q, beyond);
      if (m.margin < 1e-9) continue;
      const Result s = find(r, {q[0], q[1]}, beyond);
      ++compared;
      none += m.distance == -1e36 ? 1 : 0;
      EXPECT_NEAR(s.distance, m.distance, 1e-9) << profileNumber << " " << trial;
      EXPECT_NEAR(s.foot[0], m.foot[0], 1e-9) << profileNumber << " " << trial;
      EXPECT_NEAR(s.foot[1], m.foot[1], 1e-9) << profileNumber << " " << trial;
    }
  }
  EXPECT_GT(compared, 1500);
  EXPECT_GT(none, 10);
}

// The kind-7 record as the search reads it: the scalar words given, then the arrays placed from
// word 40 with their positions written into the words that point at them; integer arrays packed.
struct BsplinePlan {
  bool curve = true;
  std::vector<std::pair<std::size_t, Int>> integers;
  std::vector<std::pair<std::size_t, Real>> reals;
  std::vector<std::pair<std::size_t, std::vector<Real>>> arrays;
  // Integer arrays placed right after the real array of the word (a face's start spans follow its
  // start parameters and radii; a curve's are pointed at by word 20).
  std::vector<std::pair<std::size_t, std::vector<Int>>> packed;
};

SurfaceRecord bsplineRecord(const BsplinePlan& plan) {
  SurfaceRecord r;
  r.integer(2, 7);
  r.integer(11, plan.curve ? 2 : 3);
  for (const auto& [w, v] : plan.integers) r.integer(w, v);
  for (const auto& [w, v] : plan.reals) r.real(w, v);
  std::size_t next = 40;
  for (const auto& [w, values] : plan.arrays) {
    r.integer(w, static_cast<Int>(next));
    for (const Real v : values) r.real(next++, v);
    for (const auto& [pw, ints] : plan.packed) {
      if (pw != w) continue;
      if (plan.curve) r.integer(20, static_cast<Int>(next));  // a curve's start spans have a word of their own
      std::vector<Int> padded = ints;
      if (padded.size() % 2 == 1) padded.push_back(0);
      r.real(next + padded.size() / 2, 0.0);
      std::memcpy(&r.words[next - 1], padded.data(), padded.size() * sizeof(Int));
      next += padded.size() / 2;
    }
  }
  return r;
}

const Real kHalfRoot2 = std::sqrt(0.5);
const std::vector<Real> kCircleKnots{0, 0, 0.25, 0.25, 0.5, 0.5, 0.75, 0.75, 1, 1};
const Real kPx[9] = {1, 1, 0, -1, -1, -1, 0, 1, 1}, kPy[9] = {0, 1, 1, 1, 0, -1, -1, -1, 0};

// A rational quadratic circle of the radius about the origin (a curve record) and the cylinder it
// sweeps from z = 0 to h (a face record), with a start point at each quarter.
std::pair<SurfaceRecord, SurfaceRecord> circleAndCylinder(Real radius, Real h) {
  std::vector<Real> cp, w, cp3, w3, q, q3, starts, starts3;
  for (int j = 0; j < 9; ++j) {
    cp.insert(cp.end(), {radius * kPx[j], radius * kPy[j]});
    w.push_back(j % 2 == 1 ? kHalfRoot2 : 1.0);
  }
  for (int row = 0; row < 2; ++row)
    for (int j = 0; j < 9; ++j) cp3.insert(cp3.end(), {radius * kPx[j], radius * kPy[j], row * h}), w3.push_back(w[j]);
  for (int k = 0; k < 4; ++k) {
    const Real a = (0.125 + 0.25 * k) * 2 * 3.14159265358979;
    q.insert(q.end(), {radius * std::cos(a), radius * std::sin(a)});
    q3.insert(q3.end(), {radius * std::cos(a), radius * std::sin(a), h / 2});
  }
  starts = {0.125, 0.375, 0.625, 0.875, radius, radius, radius, radius};
  BsplinePlan curve;
  curve.integers = {{4, kTrue}, {5, kFalse}, {6, 2}, {7, 10}, {8, 2}, {16, 4}, {17, 2}};
  curve.reals = {{9, 0.0}, {10, 1.0}, {12, radius}};
  curve.arrays = {{13, kCircleKnots}, {14, cp}, {15, w}, {18, q}, {19, starts}};
  curve.packed = {{19, {2, 4, 6, 8}}};
  // Face: the circle in u, linear in v from z = 0 to h; start u(4), v(1), radii(4), spans.
  starts3 = {0.125, 0.375, 0.625, 0.875, 0.5, radius, radius, radius, radius};
  BsplinePlan face;
  face.curve = false;
  face.integers = {{4, kTrue}, {5, kFalse}, {22, kFalse}, {6, 2}, {7, 1}, {8, 10}, {13, 2}, {14, 9}, {15, 3},
                   {23, 3}, {24, 4}, {25, 1}};
  face.reals = {{9, 0.0}, {10, 1.0}, {12, radius}, {26, 0.0}, {27, 1.0}};
  face.arrays = {{16, kCircleKnots}, {17, {0.0, 1.0}}, {18, cp3}, {19, w3}, {20, q3}, {28, starts3}};
  face.packed = {{28, {2, 4, 6, 8, 1}}};
  return {bsplineRecord(curve), bsplineRecord(face)};
}

TEST_F(RigidProfiles, RationalCircleAndCylinderAgainstClosedForms) {
  const Real radius = 2.0, h = 3.0;
  const auto [circle, cylinder] = circleAndCylinder(radius, h);
  Result c, f;
  for (int call = 0; call < 12; ++call) {
    const Real a = 0.3 + 0.5 * call, rho = radius * (call % 2 == 0 ? 0.8 : 1.25);
    c = find(circle, {rho * std::cos(a), rho * std::sin(a)}, 0.0, c, 4);
    ASSERT_LT(std::fabs(c.distance), 1e36) << call;
    EXPECT_NEAR(std::fabs(c.distance), std::fabs(rho - radius), 1e-9) << call;
    EXPECT_NEAR(c.foot[0], radius * std::cos(a), 1e-8);
    EXPECT_NEAR(std::fabs(c.curvatures[0]), 1 / radius, 1e-9);
    EXPECT_EQ(c.curvatures[1], 0.0);
    EXPECT_NEAR(std::fabs(c.normal[0] * std::cos(a) + c.normal[1] * std::sin(a)), 1.0, 1e-8);
    EXPECT_EQ(c.calls, call % 4 + 1);  // the full search at the first call and after each limit
    const Real z = 0.4 + 0.2 * call;
    f = find(cylinder, {rho * std::cos(a), rho * std::sin(a), z}, 0.0, f, 4);
    ASSERT_LT(std::fabs(f.distance), 1e36) << call;
    EXPECT_NEAR(std::fabs(f.distance), std::fabs(rho - radius), 1e-9) << call;
    EXPECT_NEAR(f.foot[2], z, 1e-8);
    EXPECT_NEAR(std::fabs(f.normal[0] * std::cos(a) + f.normal[1] * std::sin(a)), 1.0, 1e-8);
    EXPECT_NEAR(f.parameters[1], z / h, 1e-8);
  }
}

TEST_F(RigidProfiles, CubicBsplineCurveAgainstSislClosestPoints) {
  // A clamped cubic through six random control points; one candidate per span.
  std::mt19937 rng(23);
  std::uniform_real_distribution<Real> jitter(-0.6, 0.6);
  std::vector<Real> cp, w(6, 1.0);
  for (int j = 0; j < 6; ++j) cp.insert(cp.end(), {1.0 * j, jitter(rng)});
  const std::vector<Real> full{0, 0, 0, 0, 1.0 / 3, 2.0 / 3, 1, 1, 1, 1};
  const std::vector<Real> ours(full.begin() + 1, full.end() - 1);
  std::vector<double> knots = full, coef = cp;
  SISLCurve* curve = newCurve(6, 4, knots.data(), coef.data(), 1, 2, 1);
  auto at = [&](Real u) {
    Real x[2];
    int left = 0, stat = 0;
    s1221(curve, 0, u, &left, x, &stat);
    return std::array<Real, 2>{x[0], x[1]};
  };
  std::vector<Real> q, starts{1.0 / 6, 0.5, 5.0 / 6, 2.0, 2.0, 2.0};
  for (int k = 0; k < 3; ++k) {
    const auto x = at(starts[k]);
    q.insert(q.end(), {x[0], x[1]});
  }
  BsplinePlan plan;
  plan.integers = {{4, kFalse}, {5, kFalse}, {6, 3}, {7, 8}, {8, 2}, {16, 3}, {17, 2}};
  plan.reals = {{9, 0.0}, {10, 1.0}, {12, 5.0}};
  plan.arrays = {{13, ours}, {14, cp}, {15, w}, {18, q}, {19, starts}};
  plan.packed = {{19, {3, 4, 5}}};
  const SurfaceRecord r = bsplineRecord(plan);
  std::uniform_real_distribution<Real> ux(0.08, 0.92), off(-0.4, 0.4);
  int compared = 0;
  for (int trial = 0; trial < 40; ++trial) {
    const auto base = at(ux(rng));
    double p[2] = {base[0], base[1] + off(rng)};
    int count = 0, curves = 0, stat = 0;
    double* params = nullptr;
    SISLIntcurve** segments = nullptr;
    s1953(curve, p, 2, 1e-12, 1e-12, &count, &params, &curves, &segments, &stat);
    Real best = 1e300, bestU = 0;
    for (int i = 0; i < count; ++i) {
      const auto x = at(params[i]);
      const Real d = std::hypot(p[0] - x[0], p[1] - x[1]);
      if (d < best) best = d, bestU = params[i];
    }
    std::free(params);
    if (segments != nullptr) freeIntcrvlist(segments, curves);
    if (count == 0 || bestU < 1e-6 || bestU > 1 - 1e-6) continue;  // the nearest point is an end
    const Result s = find(r, {p[0], p[1]});
    ++compared;
    EXPECT_NEAR(std::fabs(s.distance), best, 1e-9) << trial;
    EXPECT_NEAR(s.parameters[0], bestU, 1e-6) << trial;
  }
  freeCurve(curve);
  EXPECT_GT(compared, 30);
}

TEST_F(RigidProfiles, BicubicBsplineFaceAgainstSislClosestPoints) {
  // A clamped bicubic height field over 5 x 5 random control points; one candidate per span pair.
  std::mt19937 rng(29);
  std::uniform_real_distribution<Real> height(-0.4, 0.4);
  std::vector<Real> cp, w(25, 1.0);
  for (int j = 0; j < 5; ++j)
    for (int i = 0; i < 5; ++i) cp.insert(cp.end(), {0.5 * i, 0.5 * j, height(rng)});
  const std::vector<Real> full{0, 0, 0, 0, 0.5, 1, 1, 1, 1};
  const std::vector<Real> ours(full.begin() + 1, full.end() - 1);
  std::vector<double> tu = full, tv = full, coef = cp;
  SISLSurf* surf = newSurf(5, 5, 4, 4, tu.data(), tv.data(), coef.data(), 1, 3, 1);
  auto at = [&](Real u, Real v) {
    double par[2] = {u, v}, x[3];
    int left1 = 0, left2 = 0, stat = 0;
    s1424(surf, 0, 0, par, &left1, &left2, x, &stat);
    return std::array<Real, 3>{x[0], x[1], x[2]};
  };
  std::vector<Real> q;
  for (const Real v : {0.25, 0.75})
    for (const Real u : {0.25, 0.75}) {
      const auto x = at(u, v);
      q.insert(q.end(), x.begin(), x.end());
    }
  BsplinePlan plan;
  plan.curve = false;
  plan.integers = {{4, kFalse}, {5, kFalse}, {22, kFalse}, {6, 3}, {7, 3}, {8, 7}, {13, 7}, {14, 5}, {15, 3},
                   {23, 3}, {24, 2}, {25, 2}};
  plan.reals = {{9, 0.0}, {10, 1.0}, {12, 2.0}, {26, 0.0}, {27, 1.0}};
  plan.arrays = {{16, ours}, {17, ours}, {18, cp}, {19, w}, {20, q}, {28, {0.25, 0.75, 0.25, 0.75, 0.3, 0.3, 0.3, 0.3}}};
  plan.packed = {{28, {3, 4, 3, 4}}};
  const SurfaceRecord r = bsplineRecord(plan);
  std::uniform_real_distribution<Real> uv(0.1, 0.9), off(-0.3, 0.3);
  int compared = 0, lost = 0;
  for (int trial = 0; trial < 30; ++trial) {
    const auto base = at(uv(rng), uv(rng));
    double p[3] = {base[0], base[1], base[2] + off(rng)};
    int count = 0, curves = 0, stat = 0;
    double* params = nullptr;
    SISLIntcurve** segments = nullptr;
    s1954(surf, p, 3, 1e-12, 1e-12, &count, &params, &curves, &segments, &stat);
    Real best = 1e300, bu = 0, bv = 0;
    for (int i = 0; i < count; ++i) {
      const auto x = at(params[2 * i], params[2 * i + 1]);
      const Real d = std::hypot(p[0] - x[0], p[1] - x[1], p[2] - x[2]);
      if (d < best) best = d, bu = params[2 * i], bv = params[2 * i + 1];
    }
    std::free(params);
    if (segments != nullptr) freeIntcrvlist(segments, curves);
    if (count == 0 || std::min({bu, bv, 1 - bu, 1 - bv}) < 1e-6) continue;  // nearest on the boundary
    const Result s = find(r, {p[0], p[1], p[2]});
    if (std::fabs(s.distance) == 1e36) {  // the full search gave up: the warm start ends
      EXPECT_EQ(s.calls, 0);
      ++lost;
      continue;
    }
    ++compared;
    EXPECT_NEAR(std::fabs(s.distance), best, 1e-9) << trial;
    EXPECT_NEAR(s.normal[0] * s.normal[0] + s.normal[1] * s.normal[1] + s.normal[2] * s.normal[2], 1.0, 1e-12);
  }
  freeSurf(surf);
  EXPECT_GT(compared, 20);
  EXPECT_LE(lost, 2);
}

// A profile of 10,000,000 lines and no end marker: the walk stops at the limit with its message,
// and the last line walked still closes the open end with its tolerance. The point lies 1 from
// the first line and 0.999999995 from the last end, which the tolerance 1e-8 of that unit line
// moves beyond 1: the first line's foot stands.
TEST_F(RigidProfiles, TheRecordLimitClosesTheOpenEndAtTheLastLineWalked) {
  constexpr long kLines = 10000000;
  constexpr Real kLow = -50, kHigh = -1.999999995;
  SurfaceRecord r;
  r.words.assign(6 + 3 * kLines + 1, 0.0);  // the word after the last line is no end marker
  r.integer(2, 1);
  r.real(5, 0), r.real(6, 1);
  // Along y = 1, down to kLow, then up and down between kLow and kHigh along x = 5, and last a
  // unit line up from kHigh.
  for (long k = 1; k <= kLines; ++k) {
    const std::size_t w = 7 + 3 * static_cast<std::size_t>(k - 1);
    const Real y = k == 1 ? 1.0 : k == kLines ? kHigh + 1.0 : k % 2 == 0 ? kLow : kHigh;
    r.integer(w, 1);
    r.real(w + 1, k == 1 ? 10.0 : 5.0), r.real(w + 2, y);
  }
  eqc_testing::clearMessages();
  const Result s = find(r, {5.0, 0.0});
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN SegmentRigidSurfSearch - LOOP 100 LIMIT EXCEEDED"));
  EXPECT_NEAR(s.distance, 1.0, 1e-15);
  EXPECT_NEAR(s.foot[0], 5.0, 1e-15);
  EXPECT_NEAR(s.foot[1], 1.0, 1e-15);
}

// Points and records that are not numbers, infinite or huge: every search ends within its
// arguments (warm starts included), whatever distance it gives.
TEST_F(RigidProfiles, NonFiniteAndHugeInputEndsWithinTheArguments) {
  const Real nan = std::numeric_limits<Real>::quiet_NaN(), inf = std::numeric_limits<Real>::infinity();
  const auto [circle, cylinder] = circleAndCylinder(2.0, 3.0);
  std::vector<SurfaceRecord> records{
      profile(1, {}, {0, 0}, {{1, 2, 0}, {2, 2, 1, 3, 1}, {3, 3.5, 2, 3, 3}}),
      profile(2, {0, 0, 0, 1, 0, 0, 0, 0, 1}, {0, 0}, {{1, 2, 0}, {1, 2, 2}}),
      profile(3, {0, 0, 0, 0, 0, 1}, {0, -1}, {{2, 0, 0, 1, 0}, {2, 0, 0, 0, 1}}),
      profile(1, {}, {nan, 0}, {{1, 2, nan}, {2, inf, 1, 3, 1}}),
      profile(3, {0, 0, 0, nan, 0, 1}, {1, 1}, {{1, 1, -1}}),
      circle,
      cylinder};
  for (const Real bad : {nan, inf}) {
    SurfaceRecord broken = circle;
    for (std::size_t w = 40; w < broken.words.size(); w += 3) broken.words[w] = bad;
    records.push_back(broken);
  }
  for (std::size_t k = 0; k < records.size(); ++k) {
    Result warm;
    for (const std::vector<Real>& p : std::vector<std::vector<Real>>{{nan, 0.5, 0.2},
                                                                     {inf, -inf, 0},
                                                                     {2e36, 0, 0},
                                                                     {1e300, 1e300, -1e300},
                                                                     {0.5, 0.5, 0.5}}) {
      warm = find(records[k], p, 0.0, warm, 4);
      (void)find(records[k], p);
      // Every kind also takes a point of two coordinates and reads no third.
      (void)find(records[k], {p[0], p[1]});
    }
  }
}

}  // namespace
