// Triangular Bezier patches: evaluation and coefficients against a test-side de Casteljau, the
// subdivision's nets, the frame and curvature of a paraboloid in closed form, and the local and
// surface searches against dense sampling of the sub-triangle nets.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "runtime/record.h"
#include "tests/support/bezier_surface.h"
#include "tests/support/host_fixture.h"
#include "zmx/geometry/bezier.h"

namespace {

using zmxtest::BezierSurface;
using zmxtest::TriangleNet;
using zmxtest::Vec3;

class BezierPatches : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    const Int patches = 0;
    BEZCMN(&patches);
    INITMN(table_);
  }
  Int table_[45];
};

Vec3 at(const Real* x) { return {x[0], x[1], x[2]}; }

// A gently curved height field over [0, 4] x [0, 3].
Vec3 wavy(const Vec3& p) {
  return {p[0], p[1], 0.35 * std::sin(0.9 * p[0]) * std::cos(0.7 * p[1]) + 0.05 * p[0] * p[1]};
}

TEST_F(BezierPatches, SetUpWordsFollowTheTableForBothKinds) {
  rec::clear(CBZIER);
  const Int patches = 0, segments = 1;
  BEZCMN(&patches);
  std::vector<Int> expected(73, 0);
  expected[2] = 4, expected[3] = 4;
  for (int k = 4; k <= 22; ++k) expected[k] = k - 3;
  expected[23] = 20;
  for (int k = 24; k <= 28; ++k) expected[k] = k - 23;
  expected[29] = 5;
  for (int k = 31; k <= 38; ++k) expected[k] = 3 * (k - 30);
  expected[39] = 27;
  for (int k = 40; k <= 70; ++k) expected[k] = 3 * (k - 40);
  expected[71] = 16;
  for (int k = 1; k <= 72; ++k) EXPECT_EQ(rec::i(CBZIER, k), expected[k]) << "3-D word " << k;
  // A 2-D call overwrites its own words; words only the 3-D call sets keep their values.
  BEZCMN(&segments);
  expected[3] = 3, expected[4] = 1, expected[5] = 2;
  expected[7] = 3, expected[8] = 4, expected[9] = 5, expected[10] = 6;
  expected[23] = 7, expected[39] = 0, expected[71] = 8;
  for (int k = 1; k <= 72; ++k) EXPECT_EQ(rec::i(CBZIER, k), expected[k]) << "2-D word " << k;
}

// The control-point rows of BEZIER for each type, as net positions (i, j).
const std::vector<std::pair<int, int>>& rowsOf(int type) {
  static const std::vector<std::pair<int, int>> linear = {{1, 0}, {0, 1}, {0, 0}};
  static const std::vector<std::pair<int, int>> cubic = {{3, 0}, {0, 3}, {0, 0}, {2, 1}, {2, 0},
                                                         {1, 2}, {0, 2}, {1, 0}, {0, 1}, {1, 1}};
  static const std::vector<std::pair<int, int>> quartic = {{4, 0}, {3, 1}, {3, 0}, {2, 2}, {2, 1},
                                                           {2, 0}, {1, 3}, {1, 2}, {1, 1}, {1, 0},
                                                           {0, 4}, {0, 3}, {0, 2}, {0, 1}, {0, 0}};
  return type == 1 ? linear : (type == 3 ? cubic : quartic);
}

TEST_F(BezierPatches, EvaluationAndCoefficientsMatchDeCasteljau) {
  std::mt19937 rng(41);
  std::uniform_real_distribution<Real> coord(-2.0, 2.0), param(-0.2, 1.0);
  for (int type : {1, 3, 4}) {
    const int degree = type == 1 ? 1 : type;
    for (int trial = 0; trial < 20; ++trial) {
      Real b[45] = {};
      TriangleNet net{degree, std::vector<Vec3>((degree + 1) * (degree + 2) / 2)};
      const auto& rows = rowsOf(type);
      for (std::size_t m = 0; m < rows.size(); ++m) {
        const Vec3 x{coord(rng), coord(rng), coord(rng)};
        for (int c = 0; c < 3; ++c) b[m + 15 * c] = x[c];
        net.at(rows[m].first, rows[m].second) = x;
      }
      const Real u = param(rng), v = param(rng);
      Real x[3];
      const Int t = type;
      BEZIER(&t, b, &u, &v, x);
      EXPECT_LT(zmxtest::distance(at(x), net.point(u, v)), 1e-13) << type;
    }
  }
  const Int two = 2;
  Real b[45] = {}, x[3] = {7, 8, 9};
  const Real half = 0.5;
  BEZIER(&two, b, &half, &half, x);
  EXPECT_EQ(at(x), (Vec3{7, 8, 9}));

  // Power-basis coefficients of a random sub-triangle net, evaluated independently.
  std::vector<Real> samples(93);
  for (auto& s : samples) s = coord(rng);
  const auto nets = zmxtest::subTriangleNets(samples, table_);
  static constexpr int kPowerU[15] = {4, 0, 3, 2, 1, 2, 1, 3, 0, 2, 0, 1, 1, 0, 0};
  static constexpr int kPowerV[15] = {0, 4, 1, 2, 3, 1, 2, 0, 3, 0, 2, 1, 0, 1, 0};
  for (int t = 0; t < 3; ++t) {
    Real coefficients[45];
    GCOEFF(table_ + 15 * t, samples.data(), coefficients);
    for (int trial = 0; trial < 10; ++trial) {
      const Real u = param(rng), v = param(rng);
      Vec3 sum{};
      for (int m = 0; m < 15; ++m)
        for (int c = 0; c < 3; ++c) sum[c] += coefficients[3 * m + c] * std::pow(u, kPowerU[m]) * std::pow(v, kPowerV[m]);
      EXPECT_LT(zmxtest::distance(sum, nets[t].point(u, v)), 1e-12);
      const Real uv[2] = {u, v}, p[3] = {0, 0, 0};
      Real x[3], frame[12], d;
      DSTNCE(p, coefficients, uv, x, frame, &d);
      EXPECT_LT(zmxtest::distance(at(x), nets[t].point(u, v)), 1e-12);
      // The same net gathered as a quartic patch from the samples by its offsets.
      Real quartic[45], q[3];
      const Int four = 4, unused = 0;
      INITBZ(&four, &unused, nullptr, nullptr, samples.data(), table_ + 15 * t, quartic);
      BEZIER(&four, quartic, &u, &v, q);
      EXPECT_LT(zmxtest::distance(at(q), nets[t].point(u, v)), 1e-12);
    }
  }
}

TEST_F(BezierPatches, SubdivisionKeepsTheCubicEdgesAndAddsTheOffsets) {
  BezierSurface s = zmxtest::buildBezierSurface(zmxtest::gridMesh(1, 1, 2.0, 2.0), wavy);
  std::vector<Real> samples(93);
  const Int patch = 1;
  SUBDIV(&patch, s.nodes.data(), s.patches.data(), samples.data());
  auto sample = [&](int k) { return Vec3{samples[3 * (k - 1)], samples[3 * (k - 1) + 1], samples[3 * (k - 1) + 2]}; };
  // Each side's quartic samples are its cubic edge raised by one degree.
  const int sides[3][5] = {{1, 2, 3, 4, 5}, {5, 6, 7, 8, 9}, {9, 10, 11, 12, 1}};
  const int cubic[3][4] = {{4, 7, 8, 5}, {5, 9, 10, 6}, {6, 11, 12, 4}};
  for (int side = 0; side < 3; ++side) {
    Vec3 c[4];
    for (int k = 0; k < 4; ++k) c[k] = s.node(s.patchEntry(1, cubic[side][k]));
    for (int k = 0; k <= 4; ++k)
      for (int x = 0; x < 3; ++x) {
        const Real raised = k == 0 ? c[0][x] : (k == 4 ? c[3][x] : (k * c[k - 1][x] + (4 - k) * c[k][x]) / 4.0);
        EXPECT_NEAR(sample(sides[side][k])[x], raised, 1e-14) << side << " " << k;
      }
  }
  // The sub-triangles' outer edges (u = 0) trace the cubic patch's edges.
  Real b[45];
  const Int three = 3;
  INITBZ(&three, &patch, s.nodes.data(), s.patches.data(), nullptr, nullptr, b);
  const auto nets = zmxtest::subTriangleNets(samples, table_);
  for (Real t : {0.1, 0.5, 0.8}) {
    Real x[3];
    const Real zero = 0.0, one = 1.0 - t;
    BEZIER(&three, b, &zero, &t, x);  // C1 (v) to C2 (w)
    EXPECT_LT(zmxtest::distance(at(x), nets[0].point(0.0, t)), 1e-14);
    BEZIER(&three, b, &one, &zero, x);  // C3 (u) to C2 (w)
    EXPECT_LT(zmxtest::distance(at(x), nets[1].point(0.0, t)), 1e-14);
  }
  // The sub-triangles meet in one centre sample; offset nodes shift the second ring.
  std::vector<Real> shifted(93);
  const Int offset = s.addNode({0.0, 0.0, 0.5});
  s.setPatchEntry(1, 14, offset);
  s.setPatchEntry(1, 19, offset);
  SUBDIV(&patch, s.nodes.data(), s.patches.data(), shifted.data());
  for (int k = 1; k <= 31; ++k) {
    const Real expected = (k == 14 || k == 21) ? 0.5 : 0.0;
    if (k >= 22) continue;  // inner samples average the shifted ones
    EXPECT_NEAR(shifted[3 * (k - 1) + 2] - samples[3 * (k - 1) + 2], expected, 1e-14) << k;
  }
  EXPECT_NEAR(shifted[3 * 24 + 2] - samples[3 * 24 + 2], 1.0 / 3.0, 1e-14);  // S25 averages S14, S21
}

TEST_F(BezierPatches, FrameAndCurvatureOfAParaboloidAreExact) {
  // X(u, v) = (u, v, a (u^2 + v^2)): Gaussian curvature 4a^2 / g^2 and mean curvature
  // a (2 + 4a^2 r^2) / g^(3/2), with g = 1 + 4a^2 r^2, for the upward normal.
  std::mt19937 rng(7);
  std::uniform_real_distribution<Real> param(-1.0, 1.0);
  for (Real a : {0.3, -1.7}) {
    Real coefficients[45] = {};
    coefficients[3 * 12 + 0] = 1.0;  // u
    coefficients[3 * 13 + 1] = 1.0;  // v
    coefficients[3 * 9 + 2] = a;     // u^2
    coefficients[3 * 10 + 2] = a;    // v^2
    for (int trial = 0; trial < 20; ++trial) {
      const Real uv[2] = {param(rng), param(rng)};
      const Real p[3] = {param(rng), param(rng), 2.0 * param(rng)};
      Real x[3], frame[12], d;
      DSTNCE(p, coefficients, uv, x, frame, &d);
      const Real r2 = uv[0] * uv[0] + uv[1] * uv[1], g = 1.0 + 4.0 * a * a * r2;
      const Vec3 n{-2.0 * a * uv[0] / std::sqrt(g), -2.0 * a * uv[1] / std::sqrt(g), 1.0 / std::sqrt(g)};
      EXPECT_LT(zmxtest::distance(at(frame + 6), n), 1e-14);
      const Real expectedD = (x[0] - p[0]) * n[0] + (x[1] - p[1]) * n[1] + (x[2] - p[2]) * n[2];
      EXPECT_NEAR(d, expectedD, 1e-14);
      const Real k11 = frame[9], k12 = frame[10], k22 = frame[11];
      EXPECT_NEAR(k11 + k22, 2.0 * a * (2.0 + 4.0 * a * a * r2) / std::pow(g, 1.5), 1e-12);
      EXPECT_NEAR(k11 * k22 - k12 * k12, 4.0 * a * a / (g * g), 1e-12);
      // The tangent axes complete a right-handed orthonormal frame.
      const Vec3 t1 = at(frame), t2 = at(frame + 3);
      EXPECT_NEAR(t1[0] * n[0] + t1[1] * n[1] + t1[2] * n[2], 0.0, 1e-15);
      EXPECT_NEAR(t1[1] * t2[2] - t1[2] * t2[1], n[0], 1e-14);
    }
  }
  // A point where the tangents vanish: a zero frame and the marker distance, never NaN.
  Real flat[45] = {};
  flat[3 * 14 + 2] = 1.0;
  const Real uv[2] = {0.2, 0.3}, p[3] = {0, 0, 0};
  Real x[3], frame[12], d;
  DSTNCE(p, flat, uv, x, frame, &d);
  EXPECT_EQ(d, -1e36);
  EXPECT_EQ(at(x), (Vec3{0, 0, 1}));
  for (Real f : frame) EXPECT_EQ(f, 0.0);
}

// Nearest point of p on the three sub-triangle nets of a patch.
zmxtest::NetFoot nearestOnPatch(const BezierSurface& s, Int patch, const Vec3& p, const Int* table, bool* interior) {
  std::vector<Real> samples(93);
  SUBDIV(&patch, s.nodes.data(), s.patches.data(), samples.data());
  zmxtest::NetFoot best;
  for (const auto& net : zmxtest::subTriangleNets(samples, table)) {
    const auto foot = nearestOnNet(net, p, 16);
    if (foot.distance < best.distance) {
      best = foot;
      // Off the patch boundary (u = 0): the foot is a stationary point the Newton search can reach.
      *interior = foot.u > 1e-6;
    }
  }
  return best;
}

TEST_F(BezierPatches, LocalSearchFindsTheFootOfTheSubTriangleNets) {
  const BezierSurface s = zmxtest::buildBezierSurface(zmxtest::gridMesh(1, 1, 2.0, 2.0), wavy);
  std::mt19937 rng(13);
  std::uniform_real_distribution<Real> unit(0.0, 1.0), height(-0.6, 0.6);
  int compared = 0;
  for (int trial = 0; trial < 200; ++trial) {
    // Points over patch 1 (the triangle below the diagonal of the square).
    Real a = unit(rng), b = unit(rng);
    if (b > a) std::swap(a, b);
    const Vec3 base = wavy({2.0 * a, 2.0 * b, 0.0});
    const Vec3 p{base[0], base[1], base[2] + height(rng)};
    bool interior = false;
    const auto oracle = nearestOnPatch(s, 1, p, table_, &interior);
    Real coefficients[45], uvw[3];
    Int found = -1, list[4];
    const Int patch = 1;
    const Real length = 2.0;
    LOSRCH(s.nodes.data(), s.patches.data(), table_, coefficients, &patch, p.data(), &found, list, uvw, &length);
    if (!interior) continue;
    ASSERT_EQ(found, 1) << trial;
    Real x[3], frame[12], d;
    DSTNCE(p.data(), coefficients, uvw, x, frame, &d);
    EXPECT_NEAR(std::fabs(d), oracle.distance, 1e-10 * length) << trial;
    EXPECT_LT(zmxtest::distance(at(x), oracle.x), 1e-7 * length) << trial;
    EXPECT_NEAR(uvw[0] + uvw[1] + uvw[2], 1.0, 1e-15);
    ++compared;
  }
  EXPECT_GT(compared, 150);
}

TEST_F(BezierPatches, LocalSearchEdgeCases) {
  const BezierSurface s = zmxtest::buildBezierSurface(zmxtest::gridMesh(1, 1, 2.0, 2.0), wavy);
  Real coefficients[45], uvw[3], x[3], frame[12], d;
  Int found = -1, list[4] = {9, 9, 9, 9};
  const Int patch = 1;
  const Real length = 2.0;
  // At a corner: found at once on the patch boundary.
  const Vec3 corner = s.node(s.patchEntry(1, 5));
  LOSRCH(s.nodes.data(), s.patches.data(), table_, coefficients, &patch, corner.data(), &found, list, uvw, &length);
  ASSERT_EQ(found, 1);
  EXPECT_NEAR(uvw[0], 0.0, 1e-12);
  DSTNCE(corner.data(), coefficients, uvw, x, frame, &d);
  EXPECT_LT(zmxtest::distance(at(x), corner), 1e-12);
  EXPECT_EQ(list[0], 0);
  // A point beyond the patch edge y = 0: the sub-triangle is listed and nothing is found.
  const Vec3 beyond{1.0, -0.8, 0.1};
  LOSRCH(s.nodes.data(), s.patches.data(), table_, coefficients, &patch, beyond.data(), &found, list, uvw, &length);
  EXPECT_EQ(found, 0);
  ASSERT_GE(list[0], 1);
  EXPECT_EQ(list[1], 1);  // the sub-triangle on side C1-C2
  // No patch: nothing.
  const Int none = 0;
  found = 7;
  LOSRCH(s.nodes.data(), s.patches.data(), table_, coefficients, &none, beyond.data(), &found, list, uvw, &length);
  EXPECT_EQ(found, 0);
}

TEST_F(BezierPatches, NewtonAcceptsFeetJustOutsideAndFailsOnNaN) {
  // A flat sub-triangle: X(u, v) = (u, v, 0).
  std::vector<Real> samples(93, 0.0);
  const int grid[15][2] = {{4, 0}, {3, 1}, {3, 0}, {2, 2}, {2, 1}, {2, 0}, {1, 3}, {1, 2},
                           {1, 1}, {1, 0}, {0, 4}, {0, 3}, {0, 2}, {0, 1}, {0, 0}};
  for (int g = 0; g < 15; ++g) {
    samples[table_[g]] = grid[g][0] / 4.0;
    samples[table_[g] + 1] = grid[g][1] / 4.0;
  }
  const Real step = 1e-7, tolerance = 1e-15;
  const Int mode = 2, start = 1;
  Real coefficients[45], uv[2];
  Int status = -1;
  for (Real u : {-0.0005, -0.02}) {
    const Real p[3] = {u, 0.3, 0.4};
    UNEWT(&step, &tolerance, p, table_, samples.data(), coefficients, &mode, &start, uv, &status);
    EXPECT_EQ(status, 0);  // inside within 0.001, or the nearest foot outside
    EXPECT_NEAR(uv[0], u, 1e-12);
    EXPECT_NEAR(uv[1], 0.3, 1e-12);
  }
  const Real nan[3] = {std::nan(""), 0.2, 0.1};
  UNEWT(&step, &tolerance, nan, table_, samples.data(), coefficients, &mode, &start, uv, &status);
  EXPECT_EQ(status, 1);
}

TEST_F(BezierPatches, PlaneOfTheCornersGivesTheFirstBound) {
  const BezierSurface s = zmxtest::buildBezierSurface(zmxtest::gridMesh(1, 1, 2.0, 2.0), [](const Vec3& p) { return p; });
  const Int patch = 1;  // corners (0, 0), (2, 0), (2, 2); area 2, normal +z
  const Real radius = 0.5;
  Real d, vector[3];
  Int status = -1;
  const Real above[3] = {1.5, 0.5, 0.25};
  PATCHPERPDIST(s.nodes.data(), s.patches.data(), s.patchData.data(), above, &patch, &d, &status, vector, &radius);
  EXPECT_EQ(status, 1);
  EXPECT_NEAR(d, -0.25, 1e-15);
  EXPECT_LT(zmxtest::distance(at(vector), {0, 0, -0.25}), 1e-15);
  // Just outside the side y = 0 by 0.1 (within the radius): the distance shrinks by
  // sqrt(R^2 - 0.1^2), never below 0.
  const Real outside[3] = {1.0, -0.1, 0.6};
  PATCHPERPDIST(s.nodes.data(), s.patches.data(), s.patchData.data(), outside, &patch, &d, &status, vector, &radius);
  EXPECT_EQ(status, 2);
  EXPECT_NEAR(d, 0.6 - std::sqrt(0.25 - 0.01), 1e-14);
  const Real close[3] = {1.0, -0.1, 0.2};
  PATCHPERPDIST(s.nodes.data(), s.patches.data(), s.patchData.data(), close, &patch, &d, &status, vector, &radius);
  EXPECT_EQ(d, 0.0);
  const Real far[3] = {1.0, -0.6, 0.2};
  PATCHPERPDIST(s.nodes.data(), s.patches.data(), s.patchData.data(), far, &patch, &d, &status, vector, &radius);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(d, -1e36);
  EXPECT_EQ(at(vector), (Vec3{0, 0, 0}));
  // Two corners in one place: no plane, the marker and a zero vector.
  BezierSurface flat = s;
  const Int second = 2;
  flat.setPatchEntry(2, 6, flat.patchEntry(2, 5));
  PATCHPERPDIST(flat.nodes.data(), flat.patches.data(), flat.patchData.data(), above, &second, &d, &status, vector,
                &radius);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(d, -1e36);
}

// The same over a whole surface, visiting patches in order of the distance to the box of their
// control points (the patch lies in their hull) and skipping those that cannot be nearer.
zmxtest::NetFoot nearestOnSurface(const BezierSurface& s, const Vec3& p, const Int* table, bool* interior) {
  std::vector<std::pair<Real, Int>> order;
  for (Int patch = 1; patch <= s.patchCount; ++patch) {
    Vec3 low{1e300, 1e300, 1e300}, high{-1e300, -1e300, -1e300};
    for (int k = 4; k <= 13; ++k) {
      const Vec3 x = s.node(s.patchEntry(patch, k));
      for (int c = 0; c < 3; ++c) low[c] = std::min(low[c], x[c]), high[c] = std::max(high[c], x[c]);
    }
    Real squared = 0.0;
    for (int c = 0; c < 3; ++c) {
      const Real gap = std::max({low[c] - p[c], p[c] - high[c], 0.0});
      squared += gap * gap;
    }
    order.emplace_back(std::sqrt(squared), patch);
  }
  std::sort(order.begin(), order.end());
  zmxtest::NetFoot best;
  for (const auto& [bound, patch] : order) {
    if (bound >= best.distance) break;
    bool inside = false;
    const auto foot = nearestOnPatch(s, patch, p, table, &inside);
    if (foot.distance < best.distance) {
      best = foot;
      *interior = inside;
    }
  }
  return best;
}

// The surface search against the nearest point over every patch's nets.
TEST_F(BezierPatches, SurfaceSearchFindsTheNearestFootOfTheSurface) {
  const BezierSurface s = zmxtest::buildBezierSurface(zmxtest::gridMesh(4, 3, 4.0, 3.0), wavy);
  std::mt19937 rng(19);
  std::uniform_real_distribution<Real> x(0.4, 3.6), y(0.4, 2.6), height(-0.5, 0.5);
  std::vector<Real> nodeDistance(s.nodeCount), work(2 * s.patchCount);
  const Real length = 1.0;
  int compared = 0, found = 0;
  for (int trial = 0; trial < 60; ++trial) {
    const Vec3 base = wavy({x(rng), y(rng), 0.0});
    const Vec3 p{base[0], base[1], base[2] + height(rng)};
    bool interior = false;
    const auto best = nearestOnSurface(s, p, table_, &interior);
    Real foot[3], frame[12], distance;
    Int patch = -1, status = -1;
    BEZIERSEARCH3D(s.nodes.data(), s.patches.data(), s.reach.data(), nodeDistance.data(), work.data(), &s.patchCount,
                   &s.cornerCount, table_, p.data(), foot, frame, &distance, &patch, &length, &status);
    if (status == 0) {
      ++found;
      // No search ends nearer than the surface.
      EXPECT_GE(std::fabs(distance), best.distance - 1e-10) << trial;
    }
    if (!interior) continue;
    ASSERT_EQ(status, 0) << trial;
    EXPECT_NEAR(std::fabs(distance), best.distance, 1e-10) << trial;
    EXPECT_LT(zmxtest::distance(at(foot), best.x), 1e-7) << trial;
    EXPECT_EQ(distance < 0, p[2] > best.x[2]) << trial;  // the normal points up
    ++compared;
  }
  EXPECT_GT(compared, 30);
  EXPECT_GE(found, compared);
}

TEST_F(BezierPatches, SurfaceSearchCutOffs) {
  BezierSurface s = zmxtest::buildBezierSurface(zmxtest::gridMesh(2, 2, 2.0, 2.0), [](const Vec3& p) { return p; });
  std::vector<Real> nodeDistance(s.nodeCount), work(2 * s.patchCount);
  const Real length = 1.0;
  Real foot[3], frame[12], distance;
  Int patch = -1, status = -1;
  // On a node: only patches whose bound is at most 0 are searched, and the node is found.
  const Vec3 node = s.node(5);  // the middle corner (1, 1)
  BEZIERSEARCH3D(s.nodes.data(), s.patches.data(), s.reach.data(), nodeDistance.data(), work.data(), &s.patchCount,
                 &s.cornerCount, table_, node.data(), foot, frame, &distance, &patch, &length, &status);
  EXPECT_EQ(status, 0);
  EXPECT_LT(std::fabs(distance), 1e-12);
  EXPECT_EQ(nodeDistance[4], 0.0);
  // Bounds raised above every node distance: nothing is searched, status 1 and the outputs reset.
  std::vector<Real> noReach(s.patchCount, -1.0);
  const Vec3 offNode{0.5, 0.6, 0.0};
  BEZIERSEARCH3D(s.nodes.data(), s.patches.data(), noReach.data(), nodeDistance.data(), work.data(), &s.patchCount,
                 &s.cornerCount, table_, offNode.data(), foot, frame, &distance, &patch, &length, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(distance, -1e36);
  EXPECT_EQ(patch, 0);
  // A node of the table below the flat surface: the surface is found farther away than that
  // node, on the positive side, so the result is dropped.
  const Int edgePoint = s.patchEntry(1, 7);
  s.nodes[4 * (edgePoint - 1) + 3] = -0.3;
  const Vec3 below = s.node(edgePoint);
  BEZIERSEARCH3D(s.nodes.data(), s.patches.data(), s.reach.data(), nodeDistance.data(), work.data(), &s.patchCount,
                 &s.nodeCount, table_, below.data(), foot, frame, &distance, &patch, &length, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(distance, -1e36);
  EXPECT_EQ(patch, 0);
  EXPECT_EQ(at(foot), (Vec3{0, 0, 0}));
  // Just above that node, with bounds that let every patch be searched: a foot is found, but on
  // the positive side and farther than the node, so it is dropped as well.
  std::vector<Real> wide(s.patchCount, 10.0);
  const Vec3 above{below[0], below[1], below[2] + 0.01};
  BEZIERSEARCH3D(s.nodes.data(), s.patches.data(), wide.data(), nodeDistance.data(), work.data(), &s.patchCount,
                 &s.nodeCount, table_, above.data(), foot, frame, &distance, &patch, &length, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(distance, -1e36);
  EXPECT_EQ(patch, 0);
}

TEST_F(BezierPatches, ParabolaThroughThreePoints) {
  const Real a[6] = {0, 0, 0, 1, 2, 3}, b[6] = {2, 4, 0, 5, 6, 7}, m[3] = {1, 1, 1};
  const Int plain = 0, withTail = 1;
  for (Real s : {-1.0, 0.0, 1.0}) {
    Real x[6] = {9, 9, 9, 9, 9, 9};
    BPARAB(a, b, m, x, &s, &plain);
    const Real* expected = s < 0 ? a : (s > 0 ? b : m);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(x[c], expected[c]);
    EXPECT_EQ(x[3], 9.0);
    BPARAB(a, b, m, x, &s, &withTail);
    EXPECT_EQ(x[4], 0.5 * ((1 + s) * b[4] + (1 - s) * a[4]));
  }
}

}  // namespace
