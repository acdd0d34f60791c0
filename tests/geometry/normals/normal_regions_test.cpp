// Region interpolation of smoothed normals: the region functions reproduce the fields their
// points carry (the coordinates, and 1, cos and sin of the angle along the arcs of a curved
// cylindrical facet), so the points, local coordinates and chain rule are all checked against the
// facet's own geometry; interpolated values agree across every region boundary; every point of a
// facet finds a region; and the worked cases of a quadrilateral.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <map>
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
using NormalRegions = zmxtest::HostFixture;

constexpr int kBase = 100;  // point k of a facet carries the normal index kBase + k

struct Facet {
  Kind kind;
  int nn;
  Cylinder cylinder;

  int family() const { return kind == Kind::kLine ? 2 : kind == Kind::kTriangle ? 3 : 4; }
  int cylindrical() const { return kind == Kind::kFlatCylinder || kind == Kind::kCurvedCylinder ? 1 : 0; }
  std::vector<int> record() const { return facetRecord(family(), nn, normalPointCount(kind), kBase); }
  P2 position(int index) const {
    const int p = index - kBase;
    return p <= nn ? nodePoint(kind, p, nn, cylinder) : normalPoint(kind, p - nn, width, cylinder, nn);
  }
  double width = 0.1;
};

struct Interp {
  int m = -1;
  double shape[18] = {};
  int index[6] = {};
  double value(int i) const { return shape[i]; }
  double dxi(int i) const { return shape[m + i]; }
  double deta(int i) const { return shape[2 * m + i]; }
};

Interp interpolate(Facet& f, P2 p, int k = 0) {
  Interp r;
  const auto rec = f.record();
  double w = f.width;
  const int cyl = f.cylindrical();
  const std::vector<double> angles(f.cylinder.data, f.cylinder.data + (f.nn == 6 ? 3 : 4));  // the facet's reals only
  COMPUTE_NORMAL_INTERP(&p.x, &p.y, &k, rec.data(), &w, &r.m, r.shape, r.index, &cyl, angles.data());
  f.width = w;
  return r;
}

std::vector<Facet> facets() {
  const Cylinder flat{}, curved = curvedCylinder(0.9);
  return {{Kind::kLine, 2, flat},         {Kind::kLine, 3, flat},          {Kind::kTriangle, 3, flat},
          {Kind::kTriangle, 6, flat},     {Kind::kQuad, 4, flat},          {Kind::kQuad, 9, flat},
          {Kind::kFlatCylinder, 6, flat}, {Kind::kFlatCylinder, 9, flat},  {Kind::kCurvedCylinder, 6, curved},
          {Kind::kCurvedCylinder, 9, curved}};
}

std::string name(const Facet& f) { return std::to_string(static_cast<int>(f.kind)) + "/" + std::to_string(f.nn); }

// A field of the facet's coordinates with its two derivatives.
struct Field {
  double (*g)(P2);
  double (*gx)(P2);
  double (*gy)(P2);
};

const Field kPlaneFields[] = {{[](P2 p) { return p.x; }, [](P2) { return 1.0; }, [](P2) { return 0.0; }},
                              {[](P2 p) { return p.y; }, [](P2) { return 0.0; }, [](P2) { return 1.0; }}};
// Along the arcs of a curved cylindrical facet: linear in xi times 1, cos and sin of the angle.
const Field kArcFields[] = {
    {[](P2 p) { return p.x; }, [](P2) { return 1.0; }, [](P2) { return 0.0; }},
    {[](P2 p) { return std::cos(p.y); }, [](P2) { return 0.0; }, [](P2 p) { return -std::sin(p.y); }},
    {[](P2 p) { return std::sin(p.y); }, [](P2) { return 0.0; }, [](P2 p) { return std::cos(p.y); }},
    {[](P2 p) { return p.x * std::cos(p.y); }, [](P2 p) { return std::cos(p.y); },
     [](P2 p) { return -p.x * std::sin(p.y); }}};

TEST_F(NormalRegions, RegionFunctionsReproduceTheFieldsOfTheirPoints) {
  std::mt19937 rng(21);
  std::uniform_real_distribution<double> width(0.01, 0.5);
  for (Facet f : facets()) {
    for (double w : {width(rng), width(rng), 0.25, 0.5}) {
      f.width = w;
      for (int n = 0; n < 2000; ++n) {
        const P2 p = randomPoint(f.kind, rng, f.cylinder);
        const Interp r = interpolate(f, p);
        ASSERT_GT(r.m, 0) << name(f);
        double sum = 0, sumX = 0, sumY = 0;
        for (int i = 0; i < r.m; ++i) sum += r.value(i), sumX += r.dxi(i), sumY += r.deta(i);
        EXPECT_NEAR(sum, 1.0, 1e-12) << name(f);
        EXPECT_NEAR(sumX, 0.0, 1e-9) << name(f);
        EXPECT_NEAR(sumY, 0.0, 1e-9) << name(f);
        const bool arc = r.m == 6;
        const Field* fields = arc ? kArcFields : kPlaneFields;
        const int count = arc ? 4 : (f.kind == Kind::kLine ? 1 : 2);
        for (int k = 0; k < count; ++k) {
          double v = 0, vx = 0, vy = 0;
          for (int i = 0; i < r.m; ++i) {
            const double g = fields[k].g(f.position(r.index[i]));
            v += r.value(i) * g, vx += r.dxi(i) * g, vy += r.deta(i) * g;
          }
          ASSERT_NEAR(v, fields[k].g(p), 1e-11) << name(f) << " field " << k << " at " << p.x << "," << p.y;
          ASSERT_NEAR(vx, fields[k].gx(p), 1e-8) << name(f) << " field " << k;
          if (f.kind != Kind::kLine) {
            ASSERT_NEAR(vy, fields[k].gy(p), 1e-8) << name(f) << " field " << k;
          }
        }
      }
    }
  }
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
}

TEST_F(NormalRegions, SubQuadrilateralPointsAreCarriedToTheTriangle) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(-1, 1);
  Facet f{Kind::kTriangle, 6, {}};
  f.width = 0.2;
  for (int k = 1; k <= 3; ++k)
    for (int n = 0; n < 200; ++n) {
      const P2 p{u(rng), u(rng)};
      const Interp a = interpolate(f, p, k), b = interpolate(f, subQuadrilateralPoint(k, p));
      ASSERT_EQ(a.m, b.m);
      for (int i = 0; i < 3 * a.m; ++i) EXPECT_NEAR(a.shape[i], b.shape[i], 1e-9);
    }
}

TEST_F(NormalRegions, ValuesAgreeAcrossEveryRegionBoundary) {
  std::mt19937 rng(8);
  std::uniform_real_distribution<double> width(0.02, 0.4);
  for (Facet f : facets()) {
    for (double w : {width(rng), 0.5}) {
      f.width = w;
      RandomField normals(rng);
      const auto regionOf = [&](P2 p) {
        Interp r = interpolate(f, p);
        return std::set<int>(r.index, r.index + r.m);
      };
      const auto valueAt = [&](P2 p) {
        const Interp r = interpolate(f, p);
        std::array<double, 3> v{0, 0, 0};
        for (int i = 0; i < r.m; ++i)
          for (int c = 0; c < 3; ++c) v[c] += r.value(i) * normals.at(f.position(r.index[i]))[c];
        return v;
      };
      std::set<std::pair<std::set<int>, std::set<int>>> boundaries;
      for (int n = 0; n < 400; ++n) {
        const P2 a = samplePoint(f.kind, rng, f.cylinder, f.nn, w), b = samplePoint(f.kind, rng, f.cylinder, f.nn, w);
        const auto ra = regionOf(a), rb = regionOf(b);
        if (ra == rb) continue;
        const auto [p, q] = straddle(a, b, regionOf);
        const auto vp = valueAt(p), vq = valueAt(q);
        for (int c = 0; c < 3; ++c) ASSERT_NEAR(vp[c], vq[c], 1e-9) << name(f) << " width " << w;
        const auto rp = regionOf(p), rq = regionOf(q);
        boundaries.insert(std::minmax(rp, rq));
      }
      EXPECT_GE(boundaries.size(), boundaryCount(f.kind, w)) << name(f) << " width " << w;
    }
  }
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
}

TEST_F(NormalRegions, EveryPointOfAFacetFindsARegion) {
  std::mt19937 rng(13);
  std::uniform_real_distribution<double> width(0.0, 0.5);
  for (Facet f : facets()) {
    for (int n = 0; n < 100000; ++n) {
      f.width = n % 100 == 0 ? 0.5 : width(rng);
      const Interp r = interpolate(f, randomPoint(f.kind, rng, f.cylinder));
      ASSERT_GT(r.m, 0) << name(f);
    }
  }
  EXPECT_EQ(eqc_testing::messages().size(), 0u);
}

TEST_F(NormalRegions, QuadrilateralCasesAndTheBandFraction) {
  Facet f{Kind::kQuad, 4, {}};
  const int n = kBase + 4;
  f.width = 0.1;
  Interp r = interpolate(f, {0, 0});
  ASSERT_EQ(r.m, 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(r.index[i], n + 1 + i);
    EXPECT_DOUBLE_EQ(r.value(i), 0.25);
  }

  r = interpolate(f, {-0.95, -0.95});  // corner at node 1, (s, r) = (-0.5, -0.5)
  const int corner[4] = {kBase + 1, n + 5, n + 1, n + 12};
  const double weight[4] = {9.0 / 16, 3.0 / 16, 1.0 / 16, 3.0 / 16};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(r.index[i], corner[i]);
    EXPECT_NEAR(r.value(i), weight[i], 1e-15);
  }

  // At a node the node's own normal is the whole interpolation.
  r = interpolate(f, {1, 1});
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(r.value(i), r.index[i] == kBase + 3 ? 1.0 : 0.0, 1e-15);

  // On the boundary between the centre and the band along xi = -1 narrow bands take the centre
  // and wide ones the band.
  f.width = 0.1;
  r = interpolate(f, {-0.8, 0.0});
  EXPECT_EQ(std::set<int>(r.index, r.index + 4), (std::set<int>{n + 1, n + 2, n + 3, n + 4}));
  f.width = 0.3;
  r = interpolate(f, {-0.4, 0.0});
  EXPECT_EQ(std::set<int>(r.index, r.index + 4), (std::set<int>{n + 12, n + 1, n + 4, n + 11}));

  f.width = 0.0;
  interpolate(f, {0.3, 0.3});
  EXPECT_EQ(f.width, 1e-36);
  // A width above 1/2 is kept: the corners overlap and the first in the order takes the point,
  // here the corner at node 1 with (s, r) = (0.625, 0.625).
  f.width = 0.8;
  r = interpolate(f, {0.3, 0.3});
  EXPECT_EQ(f.width, 0.8);
  const int overlapping[4] = {kBase + 1, n + 5, n + 1, n + 12};
  const double share[4] = {0.375 * 0.375 / 4, 1.625 * 0.375 / 4, 1.625 * 1.625 / 4, 1.625 * 0.375 / 4};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(r.index[i], overlapping[i]);
    EXPECT_NEAR(r.value(i), share[i], 1e-15);
  }
  EXPECT_EQ(eqc_testing::messages().size(), 0u);

  f.width = 0.1;
  r = interpolate(f, {1.5, 0.0});
  EXPECT_EQ(r.m, 0);
  const auto messages = eqc_testing::messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].level, -3);
  EXPECT_EQ(messages[0].text, "SYSTEM ERROR IN compute_normal_interp - FAILURE TO FIND THE REGION ON THE FACET");

  // A NaN width is not below the least width: it is kept, no region holds the point, and that is reported.
  f.width = std::numeric_limits<double>::quiet_NaN();
  r = interpolate(f, {0.1, 0.2});
  EXPECT_EQ(r.m, 0);
  EXPECT_TRUE(std::isnan(f.width));
  EXPECT_EQ(eqc_testing::messages().size(), 2u);
}

}  // namespace
