// The smoothed normal of a faceted surface. With the stored normals (x, y, 1) at every point
// (x, y) the interpolated vector is (xi, eta, 1) itself, so the unit normal and its derivatives
// have closed forms; with distinct random normals the normal is continuous across every region
// boundary, its derivatives match central differences, and nodes give their stored normals.
// Also the node-normal lookup.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "siblings/eqc/testing.h"
#include "tests/geometry/normals/normal_points.h"
#include "tests/support/host_fixture.h"
#include "zmx/geometry.h"

namespace {

using namespace normal_points;
using SmoothedNormals = zmxtest::HostFixture;
using V3 = std::array<double, 3>;

// A facet whose point k carries the normal column 10 + k of a normal array of leading dimension
// 4; its stored normals and increments are set per test.
struct Facet {
  Kind kind;
  int nn;
  double width = 0.1;
  std::vector<int> candidates;
  std::vector<double> normals, increments;
  double factor = 0.0;
  int incremented = 0;
  static constexpr int kLd = 4, kBase = 10;

  Facet(Kind k, int nodes) : kind(k), nn(nodes) {
    const int regions = k == Kind::kLine ? 3 : k == Kind::kTriangle ? 7 : 9;
    for (int r = 1; r <= regions; ++r) candidates.push_back(r);
    candidates.resize(k == Kind::kLine ? 4 : k == Kind::kTriangle ? 8 : 10, 0);
    normals.assign(kLd * (kBase + nn + normalPointCount(k) + 1), 0.0);
    increments = normals;
  }
  int dim() const { return kind == Kind::kLine ? 2 : 3; }
  int points() const { return nn + normalPointCount(kind); }
  std::vector<int> record() const { return facetRecord(kind == Kind::kLine ? 2 : kind == Kind::kTriangle ? 3 : 4, nn, normalPointCount(kind), kBase); }
  P2 position(int p) const { return p <= nn ? nodePoint(kind, p, nn, {}) : normalPoint(kind, p - nn, width, {}, nn); }
  double* column(int p) { return normals.data() + kLd * (kBase + p - 1); }
};

struct Result {
  V3 n{9, 9, 9}, dxi{9, 9, 9}, deta{9, 9, 9};
  int region = -1;
};

Result evaluate(Facet& f, P2 p, int corner = 0) {
  Result r;
  const auto rec = f.record();
  const int ld = Facet::kLd;
  const double point[2] = {p.x, p.y};
  NORMAL_ON_FACETED_SURF(point, &corner, rec.data(), f.normals.data(), &ld, &f.width, f.candidates.data(), r.n.data(),
                         r.dxi.data(), r.deta.data(), &r.region, f.increments.data(), &f.factor, &f.incremented);
  return r;
}

std::vector<Facet> facets() {
  return {Facet(Kind::kLine, 2), Facet(Kind::kTriangle, 3), Facet(Kind::kTriangle, 6), Facet(Kind::kQuad, 4),
          Facet(Kind::kQuad, 8)};
}

std::string name(const Facet& f) { return std::to_string(static_cast<int>(f.kind)) + "/" + std::to_string(f.nn); }

// Stores (x, y, 1) (a line: (x, 1)) at every point, through stored normal plus factor x increment
// when incremented.
void storePositions(Facet& f) {
  for (int p = 1; p <= f.points(); ++p) {
    const P2 at = f.position(p);
    double* n = f.column(p);
    double* inc = f.increments.data() + (n - f.normals.data());
    if (f.kind == Kind::kLine) {
      n[0] = at.x, n[1] = 1.0;
      if (f.incremented == 1) n[0] = 0.0, inc[0] = at.x / f.factor;
    } else {
      n[0] = at.x, n[1] = at.y, n[2] = 1.0;
      if (f.incremented == 1) n[1] = 0.0, inc[1] = at.y / f.factor;
    }
  }
}

// The unit vector of (x, y, 1) and its derivatives by x and y (a line: of (x, 1) by x).
struct Oracle {
  V3 n, dx, dy;
};
Oracle oracle(bool line, P2 p) {
  const double x = p.x, y = line ? 0.0 : p.y, l = std::sqrt(x * x + y * y + 1);
  const double l3 = l * l * l;
  if (line) return {{x / l, 1 / l, 0}, {1 / l - x * x / l3, -x / l3, 0}, {0, 0, 0}};
  return {{x / l, y / l, 1 / l}, {1 / l - x * x / l3, -x * y / l3, -x / l3}, {-x * y / l3, 1 / l - y * y / l3, -y / l3}};
}

TEST_F(SmoothedNormals, LinearFieldsGiveTheClosedFormNormalAndDerivatives) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> width(0.01, 0.5), factor(0.5, 2.0), u(-1, 1);
  for (Facet f : facets()) {
    for (int incremented : {0, 1}) {
      for (double w : {width(rng), 0.5}) {
        f.width = w, f.incremented = incremented, f.factor = factor(rng);
        storePositions(f);
        for (bool reversed : {false, true}) {
          if (reversed) std::reverse(f.candidates.begin(), f.candidates.end());
          for (int n = 0; n < 1000; ++n) {
            const P2 p = samplePoint(f.kind, rng, {}, f.nn, w);
            const Result r = evaluate(f, p);
            const Oracle o = oracle(f.kind == Kind::kLine, p);
            for (int c = 0; c < f.dim(); ++c) {
              ASSERT_NEAR(r.n[c], o.n[c], 1e-12) << name(f) << " region " << r.region;
              ASSERT_NEAR(r.dxi[c], o.dx[c], 1e-9) << name(f) << " region " << r.region;
              if (f.kind != Kind::kLine) {
                ASSERT_NEAR(r.deta[c], o.dy[c], 1e-9) << name(f) << " region " << r.region;
              }
            }
            if (f.kind == Kind::kLine) {
              EXPECT_EQ(r.deta[0], 9.0);  // not written for a line
            }
          }
        }
      }
    }
  }
  // Through a sub-quadrilateral of a 6-node triangle: the same normal, derivatives by the
  // triangle's coordinates.
  Facet t(Kind::kTriangle, 6);
  t.width = 0.2;
  storePositions(t);
  for (int k = 1; k <= 3; ++k)
    for (int n = 0; n < 300; ++n) {
      const P2 q{u(rng), u(rng)}, p = subQuadrilateralPoint(k, q);
      const Result r = evaluate(t, q, k);
      const Oracle o = oracle(false, p);
      for (int c = 0; c < 3; ++c) {
        ASSERT_NEAR(r.n[c], o.n[c], 1e-12);
        ASSERT_NEAR(r.dxi[c], o.dx[c], 1e-9);
        ASSERT_NEAR(r.deta[c], o.dy[c], 1e-9);
      }
    }
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
}

// Distinct random normals at the distinct positions of the facet's points.
void storeRandom(Facet& f, RandomField& field) {
  for (int p = 1; p <= f.points(); ++p) {
    const auto& v = field.at(f.position(p));
    for (int c = 0; c < f.dim(); ++c) f.column(p)[c] = v[c];
  }
}

TEST_F(SmoothedNormals, RandomNormalsAreContinuousAndDifferentiable) {
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> width(0.02, 0.4);
  for (Facet f : facets()) {
    for (double w : {width(rng), width(rng), 0.5}) {
      f.width = w;
      RandomField field(rng);
      storeRandom(f, field);
      const auto regionOf = [&](P2 p) { return evaluate(f, p).region; };
      std::set<std::pair<int, int>> boundaries;
      for (int n = 0; n < 500; ++n) {
        const P2 a = samplePoint(f.kind, rng, {}, f.nn, w), b = samplePoint(f.kind, rng, {}, f.nn, w);
        if (regionOf(a) == regionOf(b)) continue;
        const auto [p, q] = straddle(a, b, regionOf);
        const Result rp = evaluate(f, p), rq = evaluate(f, q);
        for (int c = 0; c < f.dim(); ++c) ASSERT_NEAR(rp.n[c], rq.n[c], 1e-9) << name(f) << " width " << w;
        boundaries.insert(std::minmax(rp.region, rq.region));
      }
      EXPECT_GE(boundaries.size(), boundaryCount(f.kind, w)) << name(f) << " width " << w;

      // Central differences inside one region.
      const double h = 1e-6;
      for (int n = 0; n < 300; ++n) {
        const P2 p = samplePoint(f.kind, rng, {}, f.nn, w);
        const Result r = evaluate(f, p);
        for (int axis = 0; axis < (f.kind == Kind::kLine ? 1 : 2); ++axis) {
          const P2 lo{p.x - (axis == 0 ? h : 0), p.y - (axis == 1 ? h : 0)};
          const P2 hi{p.x + (axis == 0 ? h : 0), p.y + (axis == 1 ? h : 0)};
          const Result a = evaluate(f, lo), b = evaluate(f, hi);
          if (a.region != r.region || b.region != r.region) continue;
          const V3& d = axis == 0 ? r.dxi : r.deta;
          for (int c = 0; c < f.dim(); ++c)
            ASSERT_NEAR((b.n[c] - a.n[c]) / (2 * h), d[c], 1e-5 * (1 + std::fabs(d[c]))) << name(f);
        }
      }
    }
  }
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
}

TEST_F(SmoothedNormals, EveryPointFindsARegionAndNodesGiveTheirNormals) {
  std::mt19937 rng(29);
  std::uniform_real_distribution<double> width(0.0, 0.5);
  for (Facet f : facets()) {
    RandomField field(rng);
    for (int n = 0; n < 100000; ++n) {
      f.width = n % 100 == 0 ? 0.5 : width(rng);
      if (n % 1000 == 0) storeRandom(f, field);
      const Result r = evaluate(f, randomPoint(f.kind, rng, {}));
      ASSERT_GE(r.region, 1) << name(f);
    }
    // Each corner node gives its own stored normal (normalised), from its corner region.
    for (double w : {0.1, 0.5}) {
      f.width = w;
      storeRandom(f, field);
      const int corners = f.kind == Kind::kLine ? 2 : f.kind == Kind::kTriangle ? 3 : 4;
      for (int j = 1; j <= corners; ++j) {
        const Result r = evaluate(f, nodePoint(f.kind, j, f.nn, {}));
        const double* s = f.column(j);
        const double l = std::sqrt(s[0] * s[0] + s[1] * s[1] + (f.dim() == 3 ? s[2] * s[2] : 0.0));
        for (int c = 0; c < f.dim(); ++c) EXPECT_NEAR(r.n[c], s[c] / l, 1e-14) << name(f) << " node " << j;
      }
    }
    // Equal stored normals give that normal and no derivative.
    const V3 same{0.36, -0.48, 0.8};
    for (int p = 1; p <= f.points(); ++p)
      for (int c = 0; c < f.dim(); ++c) f.column(p)[c] = f.kind == Kind::kLine ? (c == 0 ? 0.6 : 0.8) : same[c];
    for (int n = 0; n < 200; ++n) {
      f.width = width(rng);
      const Result r = evaluate(f, randomPoint(f.kind, rng, {}));
      for (int c = 0; c < f.dim(); ++c) {
        EXPECT_NEAR(r.n[c], f.column(1)[c], 1e-15);
        EXPECT_NEAR(r.dxi[c], 0.0, 1e-12);
        if (f.kind != Kind::kLine) {
          EXPECT_NEAR(r.deta[c], 0.0, 1e-12);
        }
      }
    }
  }
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
}

TEST_F(SmoothedNormals, CandidateOrderWidthAndFailures) {
  Facet f(Kind::kTriangle, 3);
  f.width = 0.3;
  storePositions(f);
  // (2d/3, 2d/3) lies in the centre and in the corner at vertex 1: the list decides.
  const P2 p{0.2, 0.2};
  const Result centre = evaluate(f, p);
  f.candidates = {0, 12, 5, 1, 2, 3, 4, 6};  // numbers a triangle does not define are skipped
  const Result corner = evaluate(f, p);
  EXPECT_EQ(centre.region, 1);
  EXPECT_EQ(corner.region, 5);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(centre.n[c], corner.n[c], 1e-15);

  f.width = 0.0;
  evaluate(f, {0.3, 0.3});
  EXPECT_EQ(f.width, 1e-36);
  EXPECT_EQ(eqc_testing::messages().size(), 0u);

  // No region in the list holds the point: reported, and the normal of the last region tried at
  // its local origin comes back.
  f.width = 0.1;
  f.candidates = {1, 2, 3, 4, 0, 0, 0, 0};
  Result r = evaluate(f, {0.01, 0.01});
  EXPECT_EQ(r.region, 4);
  auto messages = eqc_testing::messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].level, -3);
  EXPECT_EQ(messages[0].text, "SYSTEM ERROR IN normal_on_faceted_surf - FAILURE TO FIND THE REGION ON THE FACET");
  EXPECT_NEAR(std::hypot(std::hypot(r.n[0], r.n[1]), r.n[2]), 1.0, 1e-14);

  // A list of numbers no facet kind defines tries nothing: reported, and the first corner region
  // at its local origin answers, where the stored (x, y, 1) average over its four points (two on
  // a line) to the closed forms below.
  for (Facet g : facets()) {
    eqc_testing::clearMessages();
    g.width = 0.2;
    storePositions(g);
    std::fill(g.candidates.begin(), g.candidates.end(), 0);
    r = evaluate(g, {0.4, 0.3});
    const double d = g.width;
    const P2 centre = g.kind == Kind::kLine       ? P2{d - 1, 0}
                      : g.kind == Kind::kTriangle ? P2{5 * d / 12, 5 * d / 12}
                                                  : P2{d - 1, d - 1};
    EXPECT_EQ(r.region, g.kind == Kind::kLine ? 2 : g.kind == Kind::kTriangle ? 5 : 6) << name(g);
    ASSERT_EQ(eqc_testing::messages().size(), 1u);
    const Oracle o = oracle(g.kind == Kind::kLine, centre);
    for (int c = 0; c < g.dim(); ++c) EXPECT_NEAR(r.n[c], o.n[c], 1e-14) << name(g);
  }
  eqc_testing::clearMessages();

  // Zero stored normals: reported, and the unscaled zero vector comes back.
  eqc_testing::clearMessages();
  Facet q(Kind::kQuad, 4);
  r = evaluate(q, {0.2, -0.4});
  messages = eqc_testing::messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].level, -3);
  EXPECT_EQ(messages[0].text,
            "THE NORMAL VECTOR ON THE SURFACE IS ZERO. THE FACET IS DISTORTED. EXAMINE THE SURFACE TOPOLOGY.");
  for (int c = 0; c < 3; ++c) EXPECT_EQ(r.n[c], 0.0);
}

TEST_F(SmoothedNormals, NodeNormalsComeFromTheSortedMasterList) {
  const std::vector<int> list = {3, 7, 10, 15};
  std::vector<double> master;
  for (int k = 0; k < 4; ++k) master.insert(master.end(), {k + 0.1, k + 0.2, k + 0.3});
  const std::vector<int> wanted = {15, 0, 7, 8, 3, -2, 10};
  std::vector<double> slots;
  for (int n : wanted) slots.push_back(eqc_testing::integerSlot(n));
  std::vector<double> out(3 * wanted.size(), 9.0);
  const int length = 4, count = static_cast<int>(wanted.size());
  GETNODENORMALS(list.data(), master.data(), &length, slots.data(), &count, out.data());
  const int position[] = {3, -1, 1, -1, 0, -1, 2};
  for (int i = 0; i < count; ++i)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(out[3 * i + c], position[i] < 0 ? 0.0 : master[3 * position[i] + c]);
  const auto messages = eqc_testing::messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].level, -2);
  EXPECT_EQ(messages[0].text, "SYSTEM ERROR IN GetNodeNormals - UNABLE TO FIND NODE 8 IN THE MASTER LIST");
}

}  // namespace
