// Cylindrical facets on an exact cylinder: the arc functions reproduce 1, cos and sin, facet
// points lie where the cylinder has them, angle records are recovered, and the surface constants
// group facets as a union-find over shared curved edges does.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numeric>
#include <random>
#include <vector>

#include "runtime/record.h"
#include "tests/support/mapped_array.h"
#include "siblings/eqc/testing.h"
#include "tests/geometry/cylinders/cylinder_model.h"
#include "tests/support/host_fixture.h"
#include "zmx/geometry.h"
#include "zmx/storage/sets.h"

namespace {

using namespace cylinder_model;
using CylindricalFacets = zmxtest::HostFixture;

struct Arc {
  double n[3], dn[3], d2n[3];
};

Arc arc(double t1, double t2, double t3, double theta, Logical second = kTrue) {
  Arc a{};
  const double angles[3] = {t1, t2, t3};
  SHR_CCYLTHETA(a.n, a.dn, a.d2n, angles, &theta, &second);
  return a;
}

TEST_F(CylindricalFacets, ArcFunctionsReproduceOneCosineAndSine) {
  std::mt19937 rng(2);
  std::uniform_real_distribution<double> d(0, 1);
  for (int trial = 0; trial < 200; ++trial) {
    const double t1 = 4 * d(rng) - 2, span = 0.011 + 3 * d(rng), t2 = t1 + span * (0.1 + 0.8 * d(rng)), t3 = t1 + span;
    const double theta = t1 - 0.2 + (span + 0.4) * d(rng);
    const Arc a = arc(t1, t2, t3, theta);
    const double t[3] = {t1, t2, t3};
    // Each field with its first and second derivatives at theta.
    const double field[3][3] = {{1, 0, 0},
                                {std::cos(theta), -std::sin(theta), -std::cos(theta)},
                                {std::sin(theta), std::cos(theta), -std::sin(theta)}};
    for (int f = 0; f < 3; ++f) {
      double value = 0, slope = 0, bend = 0;
      for (int k = 0; k < 3; ++k) {
        const double at = f == 0 ? 1.0 : f == 1 ? std::cos(t[k]) : std::sin(t[k]);
        value += a.n[k] * at, slope += a.dn[k] * at, bend += a.d2n[k] * at;
      }
      const double scale = 1.0 / (span * span);
      EXPECT_NEAR(value, field[f][0], 1e-11 * scale) << trial;
      EXPECT_NEAR(slope, field[f][1], 1e-11 * scale) << trial;
      EXPECT_NEAR(bend, field[f][2], 1e-11 * scale * scale) << trial;
    }
  }
}

// Spans from 1e-6 rad to beyond a half turn, middle nodes anywhere inside (exactly halfway
// included), arcs starting at 0 and elsewhere. Reproduced are 1, cos and sin, and the same space
// in a basis that stays well conditioned on a short arc (1, sin(x) / a, 4 sin^2(x / 2) / a^2 with
// x = theta - centre, a the half span); the k-th derivative is held to 1e-10 / a^k, its scale.
TEST_F(CylindricalFacets, ArcFunctionsStayExactForEverySpanAndMiddleNode) {
  for (const double span : {1e-6, 3.3e-6, 1e-5, 1e-4, 1e-3, 0.0099, 0.00999999, 0.01, 0.0100001, 0.05, 0.7, 2.5}) {
    for (const double where : {0.5, 0.01, 0.1, 0.37, 0.5 + 1e-9, 0.63, 0.9, 0.99}) {
      for (const double t1 : {0.0, 0.7, -2.1}) {
        const double t[3] = {t1, t1 + where * span, t1 + span};
        const double a = 0.5 * span, centre = t1 + a;
        for (const double f : {-0.2, 0.0, 0.13, where, 0.5, 0.81, 1.0, 1.2}) {
          const double theta = f == where ? t[1] : t1 + f * span;
          const Arc got = arc(t[0], t[1], t[2], theta);
          const auto fields = [&](double x) {
            const double y = x - centre, h = std::sin(0.5 * y);
            return std::array<std::array<double, 3>, 6>{{
                {1, 0, 0},
                {std::cos(x), -std::sin(x), -std::cos(x)},
                {std::sin(x), std::cos(x), -std::sin(x)},
                {1, 0, 0},
                {std::sin(y) / a, std::cos(y) / a, -std::sin(y) / a},
                {4 * h * h / (a * a), 2 * std::sin(y) / (a * a), 2 * std::cos(y) / (a * a)},
            }};
          };
          const auto want = fields(theta);
          double sums[6][3] = {};
          for (int k = 0; k < 3; ++k) {
            const auto atNode = fields(t[k]);
            for (int g = 0; g < 6; ++g) {
              sums[g][0] += got.n[k] * atNode[g][0];
              sums[g][1] += got.dn[k] * atNode[g][0];
              sums[g][2] += got.d2n[k] * atNode[g][0];
            }
          }
          for (int g = 0; g < 6; ++g)
            for (int order = 0; order < 3; ++order)
              ASSERT_NEAR(sums[g][order], want[g][order], 1e-10 / std::pow(a, order))
                  << "span " << span << " middle at " << where << " from " << t1 << " theta at " << f << " field "
                  << g << " derivative " << order;
          if (f == where || f == 0.0 || f == 1.0) {
            const int node = f == 0.0 ? 0 : f == 1.0 ? 2 : 1;
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(got.n[k], k == node ? 1.0 : 0.0, 1e-12);
          }
        }
      }
    }
  }
}

TEST_F(CylindricalFacets, TheSeriesMeetsTheClosedFormAndDegenerateArcsGiveZeros) {
  // Just below a half span of 0.005 the series (nodes at 0, a, 2a) takes over; the closed form,
  // evaluated here in long double, agrees.
  for (double a : {0.0049999, 0.003, 0.0005}) {
    for (double s : {0.0, 0.3, 1.0, 1.7, 2.0}) {
      const double theta = s * a;
      const Arc got = arc(0, a, 2 * a, theta);
      const long double t[3] = {0, a, 2.0L * a}, x = theta;
      const long double d = std::sin(t[1] - t[0]) + std::sin(t[2] - t[1]) + std::sin(t[0] - t[2]);
      const long double n[3] = {(std::sin(t[2] - t[1]) - std::sin(x - t[1]) + std::sin(x - t[2])) / d,
                                (std::sin(t[0] - t[2]) - std::sin(x - t[2]) + std::sin(x - t[0])) / d,
                                (std::sin(t[1] - t[0]) - std::sin(x - t[0]) + std::sin(x - t[1])) / d};
      const long double dn[3] = {(std::cos(x - t[2]) - std::cos(x - t[1])) / d,
                                 (std::cos(x - t[0]) - std::cos(x - t[2])) / d,
                                 (std::cos(x - t[1]) - std::cos(x - t[0])) / d};
      const long double d2n[3] = {(std::sin(x - t[1]) - std::sin(x - t[2])) / d,
                                  (std::sin(x - t[2]) - std::sin(x - t[0])) / d,
                                  (std::sin(x - t[0]) - std::sin(x - t[1])) / d};
      for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(got.n[k], static_cast<double>(n[k]), 1e-10);
        EXPECT_NEAR(got.dn[k] * a, static_cast<double>(dn[k] * a), 1e-10);
        EXPECT_NEAR(got.d2n[k] * a * a, static_cast<double>(d2n[k] * a * a), 1e-10);
      }
    }
  }
  // A half span whose square is below 1e-36: the quadratic functions of s = theta / a - 1 with
  // their first derivatives, and second derivatives of zero rather than of a square's overflow.
  {
    const double span = 1e-20, s = 0.4;
    const Arc got = arc(0, span, 2 * span, (1 + s) * span);
    const double n[3] = {s * (s - 1) / 2, 1 - s * s, s * (s + 1) / 2}, dn[3] = {s - 0.5, -2 * s, s + 0.5};
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(got.n[k], n[k], 1e-15);
      EXPECT_NEAR(got.dn[k] * span, dn[k], 1e-15);
      EXPECT_EQ(got.d2n[k], 0.0);
    }
  }
  // Second derivatives are written only when asked for.
  Arc a{};
  a.d2n[0] = 42;
  const double angles[3] = {0, 0.3, 0.7}, theta = 0.2;
  const Logical no = 0, odd = 2;  // the flag is read on its lowest bit
  SHR_CCYLTHETA(a.n, a.dn, a.d2n, angles, &theta, &no);
  EXPECT_EQ(a.d2n[0], 42);
  SHR_CCYLTHETA(a.n, a.dn, a.d2n, angles, &theta, &odd);
  EXPECT_EQ(a.d2n[0], 42);
  // No arc: a zero span, a midside node on an end node, a full circle.
  for (const auto& t : {std::array<double, 3>{0.4, 0.4, 0.4}, {0.1, 0.9, 0.9}, {0.1, 0.1, 0.9}, {0, 2.0, 2 * M_PI},
                        {1.0, 2.5, 1.0 + 2 * M_PI}}) {
    const Arc z = arc(t[0], t[1], t[2], 0.5);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(z.n[k], 0.0) << t[0] << " " << t[1] << " " << t[2];
      EXPECT_EQ(z.dn[k], 0.0);
      EXPECT_EQ(z.d2n[k], 0.0);
    }
  }
}

TEST_F(CylindricalFacets, FacetsOnACylinderRecoverTheirAnglesAndStayOnIt) {
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> d(0, 1);
  for (int trial = 0; trial < 40; ++trial) {
    const Cylinder c(rng);
    const int n = trial % 2 == 0 ? 6 : 9;
    const double total = 0.02 + 2.5 * d(rng), h0 = d(rng) - 0.5, h = 0.2 + d(rng);
    std::vector<double> middle;
    for (int k = 0; k < (n == 6 ? 2 : 3); ++k) middle.push_back(total * (0.2 + 0.6 * d(rng)));
    const std::vector<double> x = facetNodes(c, n, total, middle, h0, h);
    double record[4] = {-1, -1, -1, -1};
    const int ld = 3;
    int error = -1;
    SHR_MCYLNODALANGLES2(x.data(), &ld, &n, record, &error);
    ASSERT_EQ(error, 0);
    EXPECT_NEAR(record[0], total, 1e-12);
    for (std::size_t k = 0; k < middle.size(); ++k) EXPECT_NEAR(record[1 + k], middle[k], 1e-12);
    // Points of the facet are the cylinder's points at (theta, height).
    for (int p = 0; p < 10; ++p) {
      const double xi = 2 * d(rng) - 1, theta = total * (1.2 * d(rng) - 0.1);
      std::vector<double> shape(27);
      const int mode = 0;
      (n == 6 ? INTSCYL6 : INTSCYL9)(&xi, &theta, record, shape.data(), &mode);
      Vec point{0, 0, 0};
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < 3; ++i) point[i] += shape[j] * x[3 * j + i];
      const Vec want = c.at(theta, h0 + (xi + 1) * h);
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(point[i], want[i], 1e-11 * (c.radius + norm(c.centre)));
      EXPECT_NEAR(c.radial(point), c.radius, 1e-12 * c.radius);
    }
  }
  // Collinear points: no circle, a zero record and the error flag.
  const std::vector<double> line = {0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0, 0.5, 0, 0, 0.5};
  double record[4] = {5, 5, 5, 5};
  const int ld = 3, n = 6;
  int error = 0;
  SHR_MCYLNODALANGLES2(line.data(), &ld, &n, record, &error);
  EXPECT_NE(error, 0);
  EXPECT_EQ(record[0], 0.0);
  EXPECT_EQ(record[2], 0.0);
  EXPECT_EQ(record[3], 5.0);
}

TEST_F(CylindricalFacets, EdgeAnglesFollowTheCornersTheEdgeJoins) {
  const int corners[8] = {10, 0, 20, 0, 30, 0, 40, 0}, cornerLd = 2;
  const double record[4] = {1.0, 0.3, 0.6, 0.7};
  struct Case {
    std::vector<int> edge;
    int n;
    double pair0, pair1;
    Logical curved;
  };
  const std::vector<Case> cases = {
      {{20, 5, 30}, 6, 1.0, 0.6, kTrue},   {{20, 5, 30}, 9, 1.0, 0.7, kTrue},   {{30, 5, 20}, 6, 1.0, 0.4, kTrue},
      {{10, 6, 40}, 6, 1.0, 0.3, kTrue},   {{40, 6, 10}, 9, 1.0, 0.7, kTrue},   {{10, 6, 20}, 6, 1.0, 0.0, kFalse},
      {{10, 6, 99}, 6, 0.0, 0.0, kFalse},  {{10, 20}, 6, 0.0, 0.0, kFalse},     {{0, 6, 20}, 6, 0.0, 0.0, kFalse},
      {{10, 6, 20, 7, 30}, 6, 0.0, 0.0, kFalse},  // a third end ends the search
  };
  for (const Case& c : cases) {
    double pair[2] = {-1, -1};
    Logical curved = 7;
    const int count = static_cast<int>(c.edge.size()), edgeLd = 1;
    SHR_GETCYLEDGEANGLES(corners, &cornerLd, &c.n, c.edge.data(), &edgeLd, &count, record, pair, &curved);
    EXPECT_DOUBLE_EQ(pair[0], c.pair0) << c.edge[0] << " " << c.edge.back();
    EXPECT_DOUBLE_EQ(pair[1], c.pair1) << c.edge[0] << " " << c.edge.back();
    EXPECT_EQ(curved, c.curved);
  }
}

// ---- Surface constants -------------------------------------------------------------------------------

// A surface of strips of cylindrical facets stacked along the axis (facet i's arc 2-3 is facet
// i + 1's arc 1-4), isolated facets and facets that are not cylindrical.
struct Surface {
  std::vector<double> slots{0, 0, 0, 0, 0, 0};  // words 1 to 6 of the record
  std::vector<double> coords;                   // 3 reals a column
  std::map<int, int> columnOf;
  int facets = 0;
  std::vector<std::array<double, 4>> expected;  // each facet's own angle record
  std::vector<std::pair<int, int>> joined;      // facets that share a curved edge
  int nextLabel = 100;

  Surface() {
    rec::setSlotI(slots.data(), 3, 3);
    rec::setSlotI(slots.data(), 6, 7);
  }
  int node(const Vec& p) {
    const int label = nextLabel++;
    columnOf[label] = static_cast<int>(coords.size() / 3) + 1;
    coords.insert(coords.end(), p.begin(), p.end());
    return label;
  }
  // Appends a facet record and returns its ordinal.
  int facet(int elementClass, int kind, const std::vector<int>& labels, std::array<double, 4> record) {
    const std::size_t p = slots.size() + 1;
    const int length = 6 + static_cast<int>(labels.size()) + 1;
    slots.resize(slots.size() + length, 0.0);
    rec::setSlotI(slots.data(), p, length);
    rec::setSlotI(slots.data(), p + 2, kind);
    rec::setSlotI(slots.data(), p + 3, elementClass);
    rec::setSlotI(slots.data(), p + 5, static_cast<int>(labels.size()));
    for (std::size_t j = 0; j < labels.size(); ++j) rec::setSlotI(slots.data(), p + 6 + j, labels[j]);
    expected.push_back(record);
    return ++facets;
  }
  // A level of the strip: the arc's three node labels at a height.
  struct Level {
    int start, middle, end;
    double total, mid;
  };
  Level level(const Cylinder& c, double height, double total, double mid) {
    return {node(c.at(0, height)), node(c.at(mid, height)), node(c.at(total, height)), total, mid};
  }
  // A 6-node facet between two levels (class 169 of kind 3 or class 171).
  int facet6(const Level& a, const Level& b, int elementClass = 169) {
    const double total = std::max(a.total, b.total);
    return facet(elementClass, 3, {a.start, b.start, b.end, a.end, b.middle, a.middle},
                 {total, a.mid * total / a.total, b.mid * total / b.total, 0});
  }
};

TEST_F(CylindricalFacets, SurfaceConstantsGroupFacetsLikeAUnionFindOverSharedCurvedEdges) {
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> d(0, 1);
  for (int trial = 0; trial < 8; ++trial) {
    const Cylinder c(rng);
    Surface s;
    std::vector<int> isolated;
    // Strips of random length; level angles vary, so groups must be brought to one angle. The
    // levels of odd strips (four facets) get their node labels out of order, so that their edges
    // come up for joining out of order along the strip: from the top down (a facet joins the group
    // above it), and with the middle level last (two groups merge).
    for (int strip = 0; strip < 4; ++strip) {
      const int length = strip % 2 == 1 ? 4 : 1 + static_cast<int>(rng() % 4);
      const double base = 0.3 + d(rng);
      std::vector<int> order(length + 1);
      std::iota(order.begin(), order.end(), 0);
      if (strip == 1) std::reverse(order.begin(), order.end());
      if (strip == 3) std::rotate(order.begin() + length / 2, order.begin() + length / 2 + 1, order.end());
      std::vector<Surface::Level> levels(length + 1);
      for (int k : order) {
        const double total = base * (1 + 0.1 * d(rng));
        levels[k] = s.level(c, 2.0 * strip + 0.4 * k, total, total * (0.3 + 0.4 * d(rng)));
      }
      int previous = 0;
      for (int k = 0; k < length; ++k) {
        const int f = s.facet6(levels[k], levels[k + 1], k % 2 == 0 ? 169 : 171);
        if (previous) s.joined.push_back({previous, f});
        previous = f;
      }
      if (length == 1) isolated.push_back(previous);
      // Something in between: a plain facet, and a class-169 facet whose kind word keeps it flat.
      s.facet(14, 3, {s.node(c.at(0, 9)), s.node(c.at(0.1, 9)), s.node(c.at(0.2, 9)), s.node(c.at(0.3, 9))}, {});
      const auto a = s.level(c, 20.0 + strip, 0.5, 0.25), b = s.level(c, 20.5 + strip, 0.5, 0.25);
      s.facet(169, 2, {a.start, b.start, b.end, a.end, b.middle, a.middle}, {});
    }
    // Facets of 0.50 and 0.52 sharing a curved edge.
    const auto l0 = s.level(c, 30, 0.5, 0.2), l1 = s.level(c, 30.5, 0.5, 0.3), l2 = s.level(c, 31, 0.52, 0.25);
    const int f050 = s.facet6(l0, l1), f052 = s.facet6(l1, l2);
    s.joined.push_back({f050, f052});

    const int nf = s.facets;
    const int nodeMap = SHR_MAPINT2INTCREATE(), facetMap = SHR_MAPINT2INTCREATE();
    for (const auto& [label, column] : s.columnOf) SHR_MAPINT2INTINSERT(nodeMap, &label, &column);
    std::vector<int> edges(10 * nf, -1), groups(2 * nf, -1);
    std::vector<double> records(4 * nf, -1.0);
    int size = -1;
    eqc_testing::clearMessages();
    SHR_MCYLSURFCONST(s.slots.data(), s.coords.data(), edges.data(), records.data(), &nodeMap, &nf, groups.data(),
                      &facetMap, &size);
    EXPECT_EQ(size, 4 * nf);
    EXPECT_EQ(eqc_testing::messages().size(), 0u);

    // The union-find of the test.
    std::vector<int> parent(nf + 1);
    std::iota(parent.begin(), parent.end(), 0);
    const auto find = [&](int f) {
      while (parent[f] != f) f = parent[f] = parent[parent[f]];
      return f;
    };
    for (const auto& [a, b] : s.joined) parent[find(a)] = find(b);
    std::map<int, std::vector<int>> components;
    for (int f = 1; f <= nf; ++f) components[find(f)].push_back(f);

    std::map<int, int> groupOf;  // from the output table, sorted by group number
    for (int r = 1; r <= nf; ++r) {
      groupOf[groups[r - 1]] = groups[nf + r - 1];
      if (r > 1) {
        EXPECT_LE(groups[nf + r - 2], groups[nf + r - 1]);
      }
    }
    ASSERT_EQ(static_cast<int>(groupOf.size()), nf);
    std::map<int, int> componentOfGroup;
    for (const auto& [root, members] : components) {
      const bool grouped = members.size() > 1;
      double total = 0;
      for (int f : members) total = std::max(total, s.expected[f - 1][0]);
      for (int f : members) {
        if (!grouped) {
          EXPECT_EQ(groupOf[f], 0) << "facet " << f;
        } else {
          ASSERT_NE(groupOf[f], 0) << "facet " << f;
          const auto [it, fresh] = componentOfGroup.emplace(groupOf[f], root);
          EXPECT_EQ(it->second, root) << "facet " << f;  // one group per component
        }
        const auto& own = s.expected[f - 1];
        if (own[0] == 0) continue;  // not cylindrical: left at zero
        const double scale = grouped ? total / own[0] : 1.0;
        EXPECT_NEAR(records[4 * (f - 1)], grouped ? total : own[0], 1e-12) << "facet " << f;
        EXPECT_NEAR(records[4 * (f - 1) + 1], own[1] * scale, 1e-12) << "facet " << f;
        EXPECT_NEAR(records[4 * (f - 1) + 2], own[2] * scale, 1e-12) << "facet " << f;
      }
    }
    // Facets counted as not cylindrical keep zero records; the 0.50 / 0.52 pair ends at 0.52.
    for (int f = 1; f <= nf; ++f) {
      if (s.expected[f - 1][0] != 0) continue;
      for (int i = 0; i < 4; ++i) EXPECT_EQ(records[4 * (f - 1) + i], 0.0);
    }
    EXPECT_NEAR(records[4 * (f050 - 1)], 0.52, 1e-12);
    EXPECT_NEAR(records[4 * (f050 - 1) + 1], 0.2 * 0.52 / 0.5, 1e-12);
    EXPECT_NEAR(records[4 * (f052 - 1) + 2], 0.25, 1e-12);
    for (int f : isolated) EXPECT_EQ(groupOf[f], 0);
    // The record position of every cylindrical facet maps to its ordinal.
    long long p = 7;
    for (int f = 1; f <= nf; ++f, p += rec::slotI(s.slots.data(), p)) {
      const int position = static_cast<int>(p);
      EXPECT_EQ(SHR_MAPINT2INTGET(facetMap, &position), s.expected[f - 1][0] != 0 ? f : 0);
    }
    SHR_MAPINT2INTDELETE(nodeMap);
    SHR_MAPINT2INTDELETE(facetMap);
  }
}

TEST_F(CylindricalFacets, SurfaceConstantsReportAnEdgeOfThreeFacetsAndSkipFlatSurfaces) {
  std::mt19937 rng(8);
  const Cylinder c(rng);
  Surface s;
  const auto a = s.level(c, 0, 0.5, 0.25), b = s.level(c, 1, 0.5, 0.25), e = s.level(c, 2, 0.5, 0.25),
             g = s.level(c, 3, 0.6, 0.3);
  s.facet6(a, b);
  s.facet6(b, e);
  s.facet6(g, b);  // its arc 2-3 is the edge b as well
  const int nf = s.facets, nodeMap = SHR_MAPINT2INTCREATE(), facetMap = SHR_MAPINT2INTCREATE();
  for (const auto& [label, column] : s.columnOf) SHR_MAPINT2INTINSERT(nodeMap, &label, &column);
  std::vector<int> edges(10 * nf), groups(2 * nf);
  std::vector<double> records(4 * nf);
  int size = -1;
  eqc_testing::clearMessages();
  SHR_MCYLSURFCONST(s.slots.data(), s.coords.data(), edges.data(), records.data(), &nodeMap, &nf, groups.data(),
                    &facetMap, &size);
  const auto messages = eqc_testing::messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].level, -3);
  EXPECT_EQ(messages[0].text,
            "SYSTEM ERROR IN THE CALCULATION OF THE CONSTANTS FOR CYLINDRICAL FACETS - 3 ELEMENTS SHARE THE SAME EDGE.");
  for (int r = 0; r < nf; ++r) EXPECT_EQ(groups[nf + r], 0);  // joining nothing
  EXPECT_NEAR(records[8], 0.6, 1e-12);
  // A two-dimensional surface record: nothing at all.
  rec::setSlotI(s.slots.data(), 3, 2);
  SHR_MCYLSURFCONST(s.slots.data(), s.coords.data(), edges.data(), records.data(), &nodeMap, &nf, groups.data(),
                    &facetMap, &size);
  EXPECT_EQ(size, 0);
  SHR_MAPINT2INTDELETE(nodeMap);
  SHR_MAPINT2INTDELETE(facetMap);
}

TEST_F(CylindricalFacets, SurfaceConstantsStopAtAFacetPositionOutsideTheRecord) {
  // The first-facet word, or the second facet's step, damaged: the walk never reads before word 1
  // or, for a record in the address space, past its block; the damage is reported once. A step
  // that stays inside the record (0 reads the same facet again, a small step back) is followed.
  std::mt19937 rng(9);
  const Cylinder c(rng);
  const int big = 2147483647, least = -2147483647 - 1;
  for (const bool firstWord : {true, false}) {
    for (const int value : {big, big - 1, big - 7, 0, -1, -8, least}) {
      Surface s;
      const auto a = s.level(c, 0, 0.5, 0.25), b = s.level(c, 1, 0.5, 0.25), e = s.level(c, 2, 0.5, 0.25);
      s.facet6(a, b);
      s.facet6(b, e);
      s.facet6(a, e);
      const int nf = s.facets, nodeMap = SHR_MAPINT2INTCREATE(), facetMap = SHR_MAPINT2INTCREATE();
      for (const auto& [label, column] : s.columnOf) SHR_MAPINT2INTINSERT(nodeMap, &label, &column);
      zmxtest::MappedArray record(s.slots.size());
      std::copy(s.slots.begin(), s.slots.end(), record.data());
      const int firstFacet = rec::slotI(record.data(), 6);
      const int secondFacet = firstFacet + rec::slotI(record.data(), firstFacet);
      rec::setSlotI(record.data(), firstWord ? 6 : secondFacet, value);
      std::vector<int> edges(10 * nf), groups(2 * nf);
      std::vector<double> records(4 * nf);
      int size = -1;
      eqc_testing::clearMessages();
      SHR_MCYLSURFCONST(record.data(), s.coords.data(), edges.data(), records.data(), &nodeMap, &nf, groups.data(),
                        &facetMap, &size);
      EXPECT_TRUE(record.guardsKept());
      const bool inside = !firstWord && (value == 0 || value == -1 || value == -8);
      EXPECT_EQ(eqc_testing::printed("SYSTEM ERROR IN SHR_MCYLSURFCONST"), !inside) << firstWord << " " << value;
      if (inside && value == 0) {
        EXPECT_EQ(size, 4 * nf);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(records[8 + k], s.expected[1][k], 1e-9) << k;
      }
      SHR_MAPINT2INTDELETE(nodeMap);
      SHR_MAPINT2INTDELETE(facetMap);
    }
  }
  // A cylindrical facet whose count word says 2, at the end of its block: its curved edges would
  // read corners 3 and 4 past the block.
  Surface s;
  const auto a = s.level(c, 0, 0.5, 0.25), b = s.level(c, 1, 0.5, 0.25);
  s.facet6(a, b);
  const int p = rec::slotI(s.slots.data(), 6), nf = 1, nodeMap = SHR_MAPINT2INTCREATE(), facetMap = SHR_MAPINT2INTCREATE();
  rec::setSlotI(s.slots.data(), p + 5, 2);
  zmxtest::MappedArray record(p + 7, 0);
  std::copy_n(s.slots.begin(), p + 7, record.data());
  std::vector<int> edges(10), groups(2);
  std::vector<double> records(4);
  int size = -1;
  eqc_testing::clearMessages();
  SHR_MCYLSURFCONST(record.data(), s.coords.data(), edges.data(), records.data(), &nodeMap, &nf, groups.data(), &facetMap,
                    &size);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN SHR_MCYLSURFCONST - FACET 1 OUTSIDE THE RECORD"));
  SHR_MAPINT2INTDELETE(nodeMap);
  SHR_MAPINT2INTDELETE(facetMap);
}

}  // namespace
