// Angular routines of cylindrical elements on an exact cylinder: nodal angles and axis recovered
// from the stations, radial vectors, the circumferential weighting of per-node arrays, and the
// checks of element-record words.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "siblings/eqc/circular_arcs.h"
#include "siblings/eqc/testing.h"
#include "tests/geometry/cylinders/cylinder_model.h"
#include "tests/support/host_fixture.h"
#include "zmx/geometry.h"

namespace {

using namespace cylinder_model;
using CylindricalElements = zmxtest::HostFixture;

// The station (1 to 3) of each node of each element family.
struct Family {
  bool solid;
  std::vector<int> station;
};
const std::vector<Family> kFamilies = {
    {false, {1, 1, 3, 3, 2, 2}},
    {false, {1, 1, 3, 3, 1, 2, 3, 2, 2}},
    {true, {1, 1, 1, 3, 3, 3, 2, 2, 2}},
    {true, {1, 1, 1, 1, 3, 3, 3, 3, 2, 2, 2, 2}},
    {true, {1, 1, 1, 3, 3, 3, 2, 2, 2, 1, 1, 1, 3, 3, 3, 2, 2, 2}},
    {true, {1, 1, 1, 1, 3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1, 3, 3, 3, 3, 2, 2, 2, 2}},
};

// Nodes of an element on the cylinder: the k-th node of each station at the same height and
// radius, the stations at the angles 0, t2, t3.
std::vector<double> elementNodes(const Cylinder& c, const Family& family, double t2, double t3, std::mt19937& rng) {
  std::uniform_real_distribution<double> d(0, 1);
  std::vector<std::array<double, 2>> pattern(family.station.size());  // (height, radius) per place
  for (auto& p : pattern) p = {d(rng) - 0.5, c.radius * (0.8 + 0.4 * d(rng))};
  int seen[4] = {0, 0, 0, 0};
  std::vector<double> x;
  for (int s : family.station) {
    const double angle = s == 1 ? 0 : s == 2 ? t2 : t3;
    const Vec p = c.at(angle, pattern[seen[s]][0], pattern[seen[s]][1]);
    ++seen[s];
    x.insert(x.end(), p.begin(), p.end());
  }
  return x;
}

TEST_F(CylindricalElements, StationsGiveTheNodalAnglesAndTheAxis) {
  std::mt19937 rng(6);
  std::uniform_real_distribution<double> d(0, 1);
  for (int trial = 0; trial < 60; ++trial) {
    const Family& family = kFamilies[trial % kFamilies.size()];
    const Cylinder c(rng);
    const double t3 = 0.1 + 2.5 * d(rng), t2 = t3 * (0.15 + 0.7 * d(rng));
    const std::vector<double> x = elementNodes(c, family, t2, t3, rng);
    const int n = static_cast<int>(family.station.size()), ld = 3;
    const Logical solid = toLogical(family.solid);
    double angles[3], axis[6];
    int error = -1;
    SHR_CCYLNODALANGLES(angles, x.data(), &n, &ld, &solid, axis, &error);
    ASSERT_EQ(error, 0);
    EXPECT_NEAR(angles[0], 0.0, 1e-15);
    EXPECT_NEAR(angles[1], t2, 1e-11);
    EXPECT_NEAR(angles[2], t3, 1e-11);
    // The axis: its first point on the cylinder's axis, its direction along it, one unit long.
    const Vec o{axis[0], axis[1], axis[2]}, e{axis[3] - axis[0], axis[4] - axis[1], axis[5] - axis[2]};
    EXPECT_NEAR(c.radial(o), 0.0, 1e-11 * c.radius);
    EXPECT_NEAR(norm(e), 1.0, 1e-12);
    EXPECT_NEAR(norm(cross(e, c.axis)), 0.0, 1e-11);
    // Radial vectors of the nodes: normal to the axis, as long as the node is far from it.
    for (int j = 0; j < n; ++j) {
      double r[3];
      SHR_COMPUTEVECTOR(axis, r, &x[3 * j]);
      const Vec rv{r[0], r[1], r[2]};
      EXPECT_NEAR(dot(rv, e), 0.0, 1e-11);
      EXPECT_NEAR(norm(rv), c.radial({x[3 * j], x[3 * j + 1], x[3 * j + 2]}), 1e-11 * c.radius);
    }
  }
}

TEST_F(CylindricalElements, CollinearStationsAndMissingAxesGiveFlatAnswersWithoutNaN) {
  // Three stations on a line: the angles of a flat element, a zero axis, the error flag.
  const std::vector<double> x = {0, 0, 0, 0, 0, 1, 2, 0, 0, 2, 0, 1, 1, 0, 0, 1, 0, 1};
  const int n = 6, ld = 3;
  const Logical shell = kFalse;
  double angles[3], axis[6] = {9, 9, 9, 9, 9, 9};
  int error = 0;
  SHR_CCYLNODALANGLES(angles, x.data(), &n, &ld, &shell, axis, &error);
  EXPECT_EQ(error, 1);
  EXPECT_DOUBLE_EQ(angles[1], std::sqrt(2.22e-16));
  EXPECT_DOUBLE_EQ(angles[2], 2 * std::sqrt(2.22e-16));
  for (double a : axis) EXPECT_EQ(a, 0.0);
  // The zero axis record: zero radial vectors; a point on the axis: zero as well.
  const double point[3] = {1, 2, 3};
  double r[3] = {7, 7, 7};
  SHR_COMPUTEVECTOR(axis, r, point);
  for (double v : r) EXPECT_EQ(v, 0.0);
  const double line[6] = {0, 0, 0, 0, 0, 1}, onAxis[3] = {0, 0, 5};
  SHR_COMPUTEVECTOR(line, r, onAxis);
  for (double v : r) EXPECT_EQ(v, 0.0);
  // A node count beyond the station tables.
  eqc_testing::clearMessages();
  const int many = 30;
  const Logical solid = kTrue;
  std::vector<double> big(90, 1.0);
  SHR_CCYLNODALANGLES(angles, big.data(), &many, &ld, &solid, axis, &error);
  EXPECT_EQ(error, 1);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN SHR_CCYLNODALANGLES - NO ANGULAR STATIONS FOR AN ELEMENT OF 30 NODES."));
}

TEST_F(CylindricalElements, WeightingReproducesCircumferentialFieldsAndTheirDerivatives) {
  std::mt19937 rng(12);
  std::uniform_real_distribution<double> d(0, 1);
  for (const Family& family : kFamilies) {
    const int n = static_cast<int>(family.station.size()), blocks = family.solid ? 3 : 2;
    for (int trial = 0; trial < 10; ++trial) {
      const double t3 = 0.2 + 2.5 * d(rng), angles[3] = {0, t3 * (0.2 + 0.6 * d(rng)), t3};
      const double theta = t3 * d(rng), a = d(rng), b = d(rng), c = d(rng);
      std::vector<double> values((blocks + 1) * n, 1.0);
      const Logical solid = toLogical(family.solid);
      SHR_CCYLANORMIT(values.data(), angles, &n, nullptr, &solid, &theta);
      // Per station, the factor every node of the station received, in each block.
      for (int block = 0; block <= blocks; ++block) {
        double factor[3] = {NAN, NAN, NAN};
        for (int j = 0; j < n; ++j) {
          const int s = family.station[j] - 1;
          if (std::isnan(factor[s])) factor[s] = values[block * n + j];
          EXPECT_EQ(values[block * n + j], factor[s]);
        }
        double sum = 0;
        for (int s = 0; s < 3; ++s) sum += factor[s] * (a + b * std::cos(angles[s]) + c * std::sin(angles[s]));
        const double want = block < blocks ? a + b * std::cos(theta) + c * std::sin(theta)
                                           : -b * std::sin(theta) + c * std::cos(theta);
        EXPECT_NEAR(sum, want, 1e-12);
      }
    }
  }
}

TEST_F(CylindricalElements, IntegrationPointsTakeTheirStationsAngleAndBadRecordsChangeNothing) {
  const double angles[3] = {0, 0.35, 0.8};
  double weights[3], pointAngles[3];
  EQC_CCYLWEIGHTS(weights, pointAngles, angles);
  EXPECT_NEAR(weights[0] + weights[1] + weights[2], 0.8, 1e-15);
  EXPECT_LT(pointAngles[0], pointAngles[1]);
  EXPECT_LT(pointAngles[1], pointAngles[2]);
  // The array of one point after weighting at the angle.
  const auto weighted = [&](int n, bool solid, double theta) {
    std::vector<double> block((solid ? 4 : 3) * n);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = 1.0 + static_cast<double>(i);
    const Logical flag = toLogical(solid);
    SHR_CCYLANORMIT(block.data(), angles, &n, nullptr, &flag, &theta);
    return block;
  };
  const auto filled = [](std::size_t points, std::size_t block) {
    std::vector<double> v(points * block);
    for (std::size_t p = 0; p < points; ++p)
      for (std::size_t i = 0; i < block; ++i) v[p * block + i] = 1.0 + static_cast<double>(i);
    return v;
  };
  {
    // Shell: 6 points of the first kind, 2 a station; 4 of the second kind, 3 a station.
    std::vector<int> element(60, 0);
    element[13] = 6, element[14] = 4, element[35] = 6, element[48] = 2;
    std::vector<double> values = filled(10, 18);
    SHR_MCYLANORMIT1(values.data(), angles, nullptr, element.data(), nullptr);
    const int stations[10] = {1, 1, 2, 2, 3, 3, 1, 1, 1, 2};
    for (int p = 0; p < 10; ++p) {
      const auto want = weighted(6, false, pointAngles[stations[p] - 1]);
      for (int i = 0; i < 18; ++i) EXPECT_EQ(values[p * 18 + i], want[i]) << "point " << p;
    }
    // Points beyond the third station stay as they were; a zero station size changes nothing.
    eqc_testing::clearMessages();
    element[48] = 1;
    values = filled(10, 18);
    SHR_MCYLANORMIT1(values.data(), angles, nullptr, element.data(), nullptr);
    EXPECT_EQ(values[3 * 18], 1.0);
    EXPECT_NE(values[2 * 18], 1.0);
    EXPECT_TRUE(eqc_testing::printed(
        "SYSTEM ERROR IN SHR_MCYLANORMIT1 - INTEGRATION POINT 4 LIES BEYOND THE THIRD ANGULAR STATION."));
    element[48] = 0;
    const auto before = filled(10, 18);
    values = before;
    SHR_MCYLANORMIT1(values.data(), angles, nullptr, element.data(), nullptr);
    EXPECT_EQ(values, before);
    EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN SHR_MCYLANORMIT1 - 0 INTEGRATION POINTS PER ANGULAR STATION."));
  }
  {
    // Solid of 12 nodes: 3 points of each kind (equal counts: from the offset 2), then unequal
    // counts with the second kind at 4 a station; radii and axial coordinates on a cylinder.
    std::mt19937 rng(1);
    const Cylinder c(rng);
    const std::vector<double> x = elementNodes(c, kFamilies[3], 0.35, 0.8, rng);
    double axisData[8] = {0, 0};
    for (int i = 0; i < 3; ++i) {
      axisData[2 + i] = c.centre[i];
      axisData[5 + i] = c.centre[i] + 2.0 * c.axis[i];  // the axis points need not be a unit apart
    }
    std::vector<int> element(60, 0);
    element[13] = 3, element[14] = 3, element[35] = 12, element[48] = 1, element[55] = 2;
    std::vector<double> values = filled(5, 48);
    double radial[3], radii[12], axial[12];
    const int ld = 3;
    SHR_CYLANORMI1(values.data(), angles, radial, axisData, radii, axial, x.data(), element.data(), &ld);
    for (int p = 0; p < 5; ++p) {
      const auto want = p < 2 ? filled(1, 48) : weighted(12, true, pointAngles[p - 2]);
      for (int i = 0; i < 48; ++i) EXPECT_EQ(values[p * 48 + i], want[i]) << "point " << p;
    }
    EXPECT_NEAR(norm({radial[0], radial[1], radial[2]}), c.radial({x[0], x[1], x[2]}), 1e-12);
    for (int j = 0; j < 12; ++j) {
      const int slot = (j % 4) * 3 + j / 4;
      const Vec p{x[3 * j], x[3 * j + 1], x[3 * j + 2]};
      EXPECT_NEAR(radii[slot], c.radial(p), 1e-12);
      EXPECT_NEAR(axial[slot], dot({p[0] - c.centre[0], p[1] - c.centre[1], p[2] - c.centre[2]}, c.axis), 1e-12);
    }
    element[14] = 8;
    values = filled(11, 48);
    SHR_CYLANORMI1(values.data(), angles, radial, axisData, radii, axial, x.data(), element.data(), &ld);
    const int stations[11] = {1, 2, 3, 1, 1, 1, 1, 2, 2, 2, 2};
    for (int p = 0; p < 11; ++p) {
      const auto want = weighted(12, true, pointAngles[stations[p] - 1]);
      for (int i = 0; i < 48; ++i) EXPECT_EQ(values[p * 48 + i], want[i]) << "point " << p;
    }
    // Unequal counts and a node count without a circumferential rule; no axis at all.
    eqc_testing::clearMessages();
    element[35] = 10;
    const double noAxis[8] = {};
    values = filled(11, 40);
    SHR_CYLANORMI1(values.data(), angles, radial, noAxis, radii, axial, x.data(), element.data(), &ld);
    EXPECT_EQ(values[3 * 40 + 5], 6.0);  // a point of the second kind, unchanged
    EXPECT_TRUE(eqc_testing::printed(
        "SYSTEM ERROR IN SHR_CYLANORMI1 - NO CIRCUMFERENTIAL RULE FOR AN ELEMENT OF 10 NODES."));
    for (double v : radial) EXPECT_EQ(v, 0.0);

    // Records the routines cannot weight by are reported and change nothing: a node count with
    // no angular stations, no points per station, a negative offset of equal point counts.
    struct Bad {
      int nodes, perStation, second, offset;
      const char* message;
    };
    for (const Bad& b :
         {Bad{25, 1, 3, 0, "SYSTEM ERROR IN SHR_CYLANORMI1 - NO ANGULAR STATIONS FOR AN ELEMENT OF 25 NODES."},
          Bad{12, 0, 3, 0, "SYSTEM ERROR IN SHR_CYLANORMI1 - 0 INTEGRATION POINTS PER ANGULAR STATION."},
          Bad{12, 1, 3, -1, "SYSTEM ERROR IN SHR_CYLANORMI1 - INTEGRATION POINT OFFSET -1."}}) {
      eqc_testing::clearMessages();
      element[13] = 3, element[14] = b.second, element[35] = b.nodes, element[48] = b.perStation,
      element[55] = b.offset;
      const auto before = filled(3, 48);
      values = before;
      SHR_CYLANORMI1(values.data(), angles, radial, axisData, radii, axial, x.data(), element.data(), &ld);
      EXPECT_EQ(values, before) << b.message;
      EXPECT_TRUE(eqc_testing::printed(b.message)) << b.message;
    }
    eqc_testing::clearMessages();
    element[35] = 10, element[48] = 1;
    auto values5 = filled(3, 30);
    const auto before5 = values5;
    SHR_MCYLANORMIT1(values5.data(), angles, nullptr, element.data(), nullptr);
    EXPECT_EQ(values5, before5);
    EXPECT_TRUE(
        eqc_testing::printed("SYSTEM ERROR IN SHR_MCYLANORMIT1 - NO ANGULAR STATIONS FOR AN ELEMENT OF 10 NODES."));
    const int ten = 10;
    const Logical no = kFalse;
    const double theta = 0.4;
    SHR_CCYLANORMIT(values5.data(), angles, &ten, nullptr, &no, &theta);
    EXPECT_EQ(values5, before5);
    EXPECT_TRUE(
        eqc_testing::printed("SYSTEM ERROR IN SHR_CCYLANORMIT - NO ANGULAR STATIONS FOR AN ELEMENT OF 10 NODES."));
  }
}

}  // namespace
