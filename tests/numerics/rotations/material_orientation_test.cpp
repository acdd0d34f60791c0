// Material orientation at element points: every system type gives an orthonormal right-handed
// frame, and each failure prints its text and files the element under its key.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/testing.h"
#include "tests/numerics/rotations/orientation_checks.h"
#include "tests/support/host_fixture.h"
#include "zmx/numerics.h"

namespace {

using orientation_checks::expectOrthonormalRows;
using orientation_checks::Mat;
using orientation_checks::Ori;

constexpr int kSolid = 10;  // an element type outside every surface treatment
constexpr int kShell = 250;
constexpr int kGasket = 412;
constexpr int kSurfaceNormal = 310;

Ori orientation(std::array<double, 3> a, std::array<double, 3> b, int axis = 1, double angle = 0.0) {
  return orientation_checks::orientation(a, b, axis, angle);
}

void setLocalNodes(Ori& ori, int m1, int m2) {
  rec::setSlotI(ori.data(), 14, m1);
  rec::setSlotI(ori.data(), 15, m2);
}

class MaterialOrientation : public zmxtest::HostFixture {
 protected:
  // Four nodes of a skewed quadrilateral, three coordinates each.
  std::vector<double> nodes_ = {0, 0, 0, 2, 0.2, 0, 2.2, 1.8, 0.1, -0.1, 2, 0};
  Mat surface_ = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  std::array<double, 3> point_ = {0.7, 0.4, 0.3};
  int element_ = 42, pointNumber_ = 3, layer_ = 2, nodeCount_ = 4, kind_ = 0, reversed_ = 0, ncoords_ = 3;

  Mat run(Ori& ori, int& type, int elementType, Mat A = {}) {
    MORIENT(A.data(), ori.data(), point_.data(), surface_.data(), &element_, nodes_.data(), &pointNumber_, &layer_,
            &type, &nodeCount_, &kind_, &reversed_, &elementType, &ncoords_);
    return A;
  }
};

TEST_F(MaterialOrientation, RectangularAxesGiveTheIdentity) {
  Ori ori = orientation({1, 0, 0}, {0, 1, 0});
  int type = 1;
  const Mat A = run(ori, type, kSolid);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(A[k], (k % 4 == 0) ? 1.0 : 0.0);
  EXPECT_TRUE(eqc_testing::messages().empty());
}

TEST_F(MaterialOrientation, AdditionalRotationTurnsAboutItsAxis) {
  Ori ori = orientation({1, 0, 0}, {0, 1, 0}, 3, std::acos(-1.0) / 2);
  ori[11] = 0.0, ori[12] = 1.0;  // exactly 90 degrees
  int type = 1;
  const Mat A = run(ori, type, kSolid);
  // Rows are the directions: d1 = old d2, d2 = -old d1, d3 unchanged.
  EXPECT_EQ((Mat{0, -1, 0, 1, 0, 0, 0, 0, 1}), A);
}

TEST_F(MaterialOrientation, EverySystemTypeGivesAnOrthonormalFrame) {
  const std::array<double, 3> a = {0.3, -0.2, 0.1}, b = {0.2, 0.5, 0.9};
  for (int type0 : {1, 2, 3, 5, 101, 102, 103, 105}) {
    for (int axis : {1, 2, 3}) {
      Ori ori = orientation(a, b, axis, 0.7);
      setLocalNodes(ori, 2, 4);
      int type = type0;
      // Rectangular types want unit directions; cylindrical and spherical a unit axis.
      if (type0 == 1 || type0 == 5) {
        const double n = std::sqrt(0.2 * 0.2 + 0.5 * 0.5 + 0.9 * 0.9);
        for (int k = 0; k < 3; ++k) ori[6 + k] = b[k] / n;
        ori[3] = 1, ori[4] = 0, ori[5] = 0;
        const double along = ori[6];
        for (int k = 0; k < 3; ++k) ori[6 + k] -= along * ori[3 + k];
        const double m = std::sqrt(ori[6] * ori[6] + ori[7] * ori[7] + ori[8] * ori[8]);
        for (int k = 0; k < 3; ++k) ori[6 + k] /= m;
      } else if (type0 < 100) {
        const double n = std::sqrt(0.2 * 0.2 + 0.5 * 0.5 + 0.9 * 0.9);
        for (int k = 0; k < 3; ++k) ori[6 + k] = b[k] / n;
      }
      SCOPED_TRACE(::testing::Message() << "type " << type0 << " axis " << axis);
      expectOrthonormalRows(run(ori, type, kSolid));
      EXPECT_EQ(type, type0 > 100 ? type0 - 100 : type0);
    }
  }
  // Supplied directions come back transposed; user directions are made orthonormal.
  Ori ori = orientation(a, b);
  int type = 0;
  const Mat rows = run(ori, type, kSolid, {0, 1, 0, -1, 0, 0, 0, 0, 1});
  EXPECT_EQ((Mat{0, -1, 0, 1, 0, 0, 0, 0, 1}), rows);
  type = 4;
  expectOrthonormalRows(run(ori, type, kSolid, {2, 0, 0, 1, 3, 0, 0, 0, 0}));
  EXPECT_TRUE(eqc_testing::messages().empty());
}

TEST_F(MaterialOrientation, NodeDefinedSystemTakesTheLocalNodes) {
  Ori ori = orientation({0, 0, 0}, {0, 0, 0});
  setLocalNodes(ori, 2, 3);
  int type = 102;
  run(ori, type, kSolid);
  EXPECT_EQ(type, 2);
  EXPECT_EQ(ori[3], 2.0);  // node 2 in slots 4-6
  EXPECT_EQ(ori[4], 0.2);
  // Slots 7-9: node 3 less node 2, normalised.
  const double d[3] = {0.2, 1.6, 0.1}, n = std::sqrt(0.04 + 2.56 + 0.01);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(ori[6 + k], d[k] / n, 1e-15);
}

TEST_F(MaterialOrientation, LocalNodeOutOfRangeIsFiledAndNotRead) {
  for (int bad : {9, 0, -3}) {
    eqc_testing::clearMessages();
    Ori ori = orientation({0, 0, 0}, {0, 0, 1});
    setLocalNodes(ori, bad, 3);
    int type = 102;
    run(ori, type, kSolid);
    EXPECT_TRUE(eqc_testing::printed("LOCAL NODE NUMBER " + std::to_string(bad) + " DOES NOT EXIST FOR ELEMENT 42"));
    EXPECT_EQ(ori[3], 0.0);  // slots 4-6 kept
  }
  EXPECT_EQ(eqc_testing::filed(-2130), (std::vector<int>{42, 42, 42}));
}

TEST_F(MaterialOrientation, NodeDefinedFailuresFileTheirKeys) {
  nodes_ = {0, 0, 0, 1, 0, 0, 0, 0, 0, 2, 0, 0};  // node 3 on node 1, node 4 along node 2
  Ori ori = orientation({0, 0, 0}, {0, 0, 0});
  setLocalNodes(ori, 3, 2);
  int type = 101;
  run(ori, type, kSolid);
  EXPECT_EQ(eqc_testing::filed(-2131), std::vector<int>{42});
  ori = orientation({0, 0, 0}, {0, 0, 0});
  setLocalNodes(ori, 2, 4);
  type = 101;
  run(ori, type, kSolid);
  EXPECT_EQ(eqc_testing::filed(-2132), std::vector<int>{42});
  EXPECT_TRUE(eqc_testing::printed("THE TWO LOCAL DIRECTIONS OF ELEMENT 42 ARE COINCIDENT."));
  ori = orientation({0, 0, 0}, {0, 0, 0});
  setLocalNodes(ori, 1, 3);
  type = 102;
  run(ori, type, kSolid);
  EXPECT_TRUE(eqc_testing::printed("THE LENGTH BETWEEN LOCAL NODE NUMBERS 1 AND 3 IS ZERO."));
  EXPECT_EQ(eqc_testing::filed(-2106), std::vector<int>{42});
}

TEST_F(MaterialOrientation, PointOnTheCylinderAxisIsFiled) {
  Ori ori = orientation({1, 1, 0}, {0, 0, 1});
  point_ = {1, 1, 5};
  int type = 2;
  run(ori, type, kSolid);
  EXPECT_EQ(eqc_testing::filed(-2133), std::vector<int>{42});
  EXPECT_TRUE(eqc_testing::printed("A MATERIAL POINT IN ELEMENT 42 LIES ON THE POLAR AXIS."));
}

TEST_F(MaterialOrientation, ShellDirectionsTurnInTheSurface) {
  // Surface basis turned by 0.3 about the normal (0, 0, 1); a rectangular system along x.
  const double t = 0.3;
  surface_ = {std::cos(t), std::sin(t), 0, -std::sin(t), std::cos(t), 0, 0, 0, 1};
  Ori ori = orientation({1, 0, 0}, {0, 1, 0}, 3);
  int type = 1;
  const Mat A = run(ori, type, kShell);
  // In-surface rotation by -0.3, transposed for the caller.
  EXPECT_NEAR(A[0], std::cos(t), 1e-15);
  EXPECT_NEAR(A[3], -std::sin(t), 1e-15);
  EXPECT_NEAR(A[1], std::sin(t), 1e-15);
  EXPECT_EQ(A[8], 1.0);
  // Global directions in slots 1-6: the system's own x and y.
  EXPECT_NEAR(ori[0], 1.0, 1e-15);
  EXPECT_NEAR(ori[1], 0.0, 1e-15);
  EXPECT_NEAR(ori[4], 1.0, 1e-15);
  EXPECT_TRUE(eqc_testing::messages().empty());
}

TEST_F(MaterialOrientation, ReversedRebarFilesEachTimeAndWarnsOnce) {
  kind_ = 1;
  for (int point = 1; point <= 2; ++point) {
    Ori ori = orientation({1, 0, 0}, {0, -1, 0}, 3);  // d3 = -z against the normal +z
    int type = 1;
    reversed_ = 0;
    pointNumber_ = point;
    run(ori, type, kShell);
    EXPECT_EQ(reversed_, 1);
  }
  EXPECT_EQ(eqc_testing::filed(-2128), (std::vector<int>{42, 42}));
  EXPECT_EQ(eqc_testing::countAtLevel(-1), 1);
  EXPECT_TRUE(eqc_testing::printed("THE 3-DIRECTION OF ELEMENT 42 POINT 1 LAYER 2 AS DEFINED IN *ORIENTATION IS IN THE "
                                   "OPPOSITE DIRECTION TO THE ELEMENT NORMAL."));
}

TEST_F(MaterialOrientation, ReversedGasketMaterialUsesTheFirstDirectionTextOnce) {
  for (int point = 3; point <= 4; ++point) {
    Ori ori = orientation({0, 0, -1}, {1, 0, 0}, 3);  // type 5: d3 = a = -z against the normal
    int type = 5;
    pointNumber_ = point;
    run(ori, type, kGasket);
  }
  EXPECT_EQ(eqc_testing::filed(-2129), (std::vector<int>{42, 42}));
  EXPECT_EQ(eqc_testing::countAtLevel(-1), 1);
  EXPECT_TRUE(eqc_testing::printed("THE 1-DIRECTION OF ELEMENT 42 POINT 3 AS DEFINED IN *ORIENTATION"));
}

TEST_F(MaterialOrientation, DirectionOrthogonalToTheShellNormalIsFiled) {
  Ori ori = orientation({1, 0, 0}, {0, 0, 1}, 3);  // d3 = x cross z = -y, in the surface
  int type = 1;
  run(ori, type, kShell);
  EXPECT_EQ(eqc_testing::filed(-2127), std::vector<int>{42});
  EXPECT_TRUE(eqc_testing::printed("OF ELEMENT 42 POINT 3 LAYER 2 AS DEFINED IN *ORIENTATION IS ORTHOGONAL TO THE "
                                   "SHELL OR MEMBRANE NORMAL DIRECTION."));
  kind_ = 1;
  eqc_testing::clearMessages();
  run(ori, type, kShell);
  EXPECT_EQ(eqc_testing::filed(-2134), std::vector<int>{42});
}

TEST_F(MaterialOrientation, UserDirectionsOnShellsAreFlattened) {
  Ori ori = orientation({0, 0, 0}, {0, 0, 0});
  int type = 4;
  const Mat A = run(ori, type, kShell, {3, 4, 5, -4, 3, 1, 0, 0, 0});
  // d1 = (3, 4, 5)/|.| flattened to (0.6, 0.8, 0); d2 follows it; rows after the transpose.
  EXPECT_NEAR(A[0], 0.6, 1e-15);
  EXPECT_NEAR(A[3], 0.8, 1e-15);
  EXPECT_NEAR(A[1], -0.8, 1e-15);
  EXPECT_NEAR(A[4], 0.6, 1e-15);
  EXPECT_EQ(A[8], 1.0);
  EXPECT_TRUE(eqc_testing::messages().empty());

  // A direction along the normal does not lie in the surface: filed under -2122.
  type = 4;
  run(ori, type, kShell, {0.01, 0, 1, 0, 1, 0, 0, 0, 0});
  EXPECT_EQ(eqc_testing::filed(-2122), std::vector<int>{42});
  type = 4;
  run(ori, type, kSolid, {0, 0, 0, 0, 1, 0, 0, 0, 0});
  EXPECT_TRUE(eqc_testing::printed("THE FIRST MATERIAL DIRECTION IS ZERO."));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
}

TEST_F(MaterialOrientation, SurfaceNormalTypesFollowTheNormal) {
  // k = 1: the directions are reordered so that d1 becomes the third, then aligned with S3.
  const double t = 0.2;
  surface_ = {1, 0, 0, 0, std::cos(t), std::sin(t), 0, -std::sin(t), std::cos(t)};
  Ori ori = orientation({0, 0, 1}, {1, 0, 0}, 3);  // type 5: d3 = z, d1 = x
  int type = 5;
  const Mat A = run(ori, type, kSurfaceNormal);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(A[6 + k], surface_[6 + k], 1e-15);
  Mat columns = A;  // not transposed: columns are the directions
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) columns[i + 3 * j] = A[j + 3 * i];
  expectOrthonormalRows(columns);

  // Third direction in the surface: message with the node number, A := S.
  ori = orientation({1, 0, 0}, {0, 0, 1}, 3);  // type 5: d3 = x
  type = 5;
  const Mat fallback = run(ori, type, kSurfaceNormal);
  EXPECT_EQ(fallback, surface_);
  EXPECT_TRUE(eqc_testing::printed("THE USER DEFINED NORMAL OF NODE 42 IS ORTHOGONAL TO THE SURFACE NORMAL DIRECTION."));
}

}  // namespace
