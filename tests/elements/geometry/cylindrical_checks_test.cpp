// The cylindrical check wrappers hand their checks the station angles of variable 60, the element
// data in a scratch block with the normals, and leave no block open.
#include <gtest/gtest.h>

#include <cmath>

#include "siblings/dm2/testing.h"
#include "tests/elements/geometry/geometry_harness.h"

namespace {

using namespace geometry_test;

// Nodes on a cylinder of radius 2 about the z axis at the station angles, `perStation` nodes a
// station at the heights given, in the order of the station lists.
std::vector<std::vector<Real>> onCylinder(const std::vector<std::vector<int>>& stations, const Real angles[3],
                                          const std::vector<Real>& heights, int nodes) {
  std::vector<std::vector<Real>> x(nodes, std::vector<Real>(3, 0.0));
  for (int s = 0; s < 3; ++s)
    for (std::size_t k = 0; k < stations[s].size(); ++k) {
      const Real theta = angles[s];
      x[stations[s][k] - 1] = {2.0 * std::cos(theta), 2.0 * std::sin(theta), heights[k % heights.size()]};
    }
  return x;
}

class CylindricalChecks : public GeometryTest {};

TEST_F(CylindricalChecks, MembraneAndSurfaceElements) {
  const Real angles[3] = {0.1, 0.5, 0.9};
  const auto x = onCylinder({{1, 2}, {6, 5}, {4, 3}}, angles, {0.0, 1.5}, 6);
  // Three points per station; the coordinate block holds the normals of 6 points of 3 x 6 reals.
  const Words words{{24, 108}, {14, 3}, {15, 3}, {49, 1}};
  dm2_testing::Variable v60{60, false, {0.4, 0.8}};
  for (Int family : {215, 421}) {
    eqc_checks_testing::clearCalls();
    eqc_checks_testing::setMeasures(9.0);
    rec::clear(CPHCON);
    data.assign(108, 0.0);  // the element data fill the coordinate block (word 24)
    for (std::size_t k = 0; k < data.size(); ++k) data[k] = 1.0 + k;
    element(family, 1, x, words, {v60});
    run();
    const auto c = calls();
    ASSERT_EQ(c.size(), 2u) << family;
    EXPECT_EQ(c[0].name, family == 215 ? "EQC_CYLMEMG_CHECK" : "EQC_LCYLSURFELEG_CHECK");
    EXPECT_EQ(c[0].reals, std::vector<Real>({0.0, 0.4, 0.8})) << "angles from variable 60";
    EXPECT_NE(c[0].arrays[1], data.data()) << "the check gets the scratch block";
    EXPECT_EQ(c[1].name, "EQC_LCYLCHECK_ERRWARN2");
    ASSERT_EQ(c[1].reals.size(), 6u);
    EXPECT_EQ(std::vector<Real>(c[1].reals.begin(), c[1].reals.begin() + 3), std::vector<Real>({0.0, 0.4, 0.8}));
    EXPECT_EQ(c[1].reals[3], 0.0);
    EXPECT_NEAR(c[1].reals[4], 0.4, 1e-12) << "nodal angles of the stations from the coordinates";
    EXPECT_NEAR(c[1].reals[5], 0.8, 1e-12);
    EXPECT_EQ(c[1].ints.back(), 0) << "shell nodes";
    EXPECT_EQ(rec::i(CPHCON, 1), 1);
    EXPECT_DOUBLE_EQ(cphconReal(11), 3.0);
    EXPECT_EQ(dm2_testing::openBlocks(), 0);
  }
}

TEST_F(CylindricalChecks, SolidElements) {
  const Real angles[3] = {0.0, 0.3, 0.6};
  const auto x = onCylinder({{1, 2, 3, 4}, {9, 10, 11, 12}, {5, 6, 7, 8}}, angles, {0.0, 0.0, 1.0, 1.0}, 12);
  // Twelve points, four a station; the block's normals take 4 x 12 reals a point.
  const Words words{{24, 576}, {14, 12}, {15, 12}, {56, 0}, {49, 4}};
  std::vector<Real> cylinder{0.3, 0.6, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0};
  dm2_testing::Variable v60{60, false, cylinder};
  eqc_checks_testing::setMeasures(9.0);
  data.assign(576, 0.5);
  element(15, 1, x, words, {v60});
  run();
  const auto c = calls();
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].name, "EQC_LCYLCHECK_ERRWARN");
  EXPECT_EQ(c[0].ints, std::vector<Int>({501, 3, 12, 12, 0, 12, 77}));
  EXPECT_EQ(c[1].name, "EQC_LCYLCHECK_ERRWARN2");
  EXPECT_EQ(c[1].reals, std::vector<Real>({0.0, 0.3, 0.6, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0}))
      << "the station angles in the block, then variable 60 from its third real";
  EXPECT_EQ(c[1].ints.back(), kTrue);
  EXPECT_EQ(rec::i(CPHCON, 1), 1);
  EXPECT_DOUBLE_EQ(cphconReal(11), 2.0 * 9.0 / (12 * 3));
  EXPECT_EQ(dm2_testing::openBlocks(), 0);
}

}  // namespace
