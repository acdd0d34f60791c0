// Node orientations, the nodal transformation and the directions kept in element state.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/numerics/rotations/orientation_checks.h"
#include "tests/support/host_fixture.h"
#include "zmx/numerics.h"

namespace {

using orientation_checks::expectOrthonormalRows;
using orientation_checks::Mat;
using orientation_checks::Ori;

Ori orientation(std::array<double, 3> a, std::array<double, 3> b, int axis = 3, double angle = 0.0) {
  return orientation_checks::orientation(a, b, axis, angle);
}

class NodeOrientation : public zmxtest::HostFixture {
 protected:
  void TearDown() override {
    rec::i(CLDOF, 3) = 0;
    dm2_testing::resetModel();
    HostFixture::TearDown();
  }

  Mat orient(const Ori& ori, std::array<double, 3> x, int type) {
    Mat A{};
    const int nodeRecord[2] = {0, 7};
    NORIENT(A.data(), ori.data(), x.data(), nodeRecord, &type);
    return A;
  }

  // An element whose layout holds the variables 32 and 34 of the given lengths.
  int element(int directions, std::vector<double> rotation = {0.0, 0.0}) {
    dm2_testing::Element e;
    e.userNumber = 5;
    e.layout.variables.push_back({32, false, std::vector<double>(static_cast<std::size_t>(directions), -9.0)});
    e.layout.variables.push_back({34, false, rotation});
    return dm2_testing::addElement(e);
  }

  static std::vector<double> variable(int layout, int id) {
    int rows = 0, columns = 0;
    QUERYVAR(&layout, &id, &rows, &columns);
    const int word = GETVARDR(&layout, &id);
    const double* values = mem32::at<double>(word, static_cast<std::size_t>(rows * columns), dm2::kDataTag);
    return std::vector<double>(values, values + rows * columns);
  }
};

TEST_F(NodeOrientation, EveryTypeGivesOrthonormalRows) {
  const double n = std::sqrt(0.01 + 0.04 + 1.0);
  for (int type : {1, 2, 3, 4, 5})
    for (int axis : {1, 2, 3}) {
      Ori ori = type == 1 || type == 5 ? orientation({1, 0, 0}, {0, 1, 0}, axis, 0.4)
                                       : orientation({0.1, 0.2, 0.3}, {0.1 / n, 0.2 / n, 1.0 / n}, axis, 0.4);
      if (type == 4) ori = orientation({1, 1, 0}, {0, 2, 0.5}, axis, 0.4);
      SCOPED_TRACE(::testing::Message() << "type " << type << " axis " << axis);
      expectOrthonormalRows(orient(ori, {2.0, -1.0, 0.5}, type));
    }
  EXPECT_TRUE(eqc_testing::messages().empty());

  // Rectangular: rows are a, b and a x b.
  const Mat A = orient(orientation({0, 1, 0}, {0, 0, 1}), {0, 0, 0}, 1);
  EXPECT_EQ((Mat{0, 0, 1, 1, 0, 0, 0, 1, 0}), A);
}

TEST_F(NodeOrientation, RotationAxisOutsideOneToThreeIsTakenAsThree) {
  const Mat third = orient(orientation({1, 0, 0}, {0, 1, 0}, 3, 0.5), {0, 0, 0}, 1);
  for (int axis : {0, 4, -1}) EXPECT_EQ(orient(orientation({1, 0, 0}, {0, 1, 0}, axis, 0.5), {0, 0, 0}, 1), third);
}

TEST_F(NodeOrientation, ConstraintDirectionFailuresNameTheOrientationAndNode) {
  orient(orientation({0, 0, 0}, {0, 1, 0}), {0, 0, 0}, 4);
  EXPECT_TRUE(eqc_testing::printed(
      "THE FIRST CONSTRAINT ORIENTATION DIRECTION FOR ORIENTATION ORI-1 AT NODE 7 IS ZERO."));
  orient(orientation({1, 0, 0}, {0, 0, 0}), {0, 0, 0}, 4);
  EXPECT_TRUE(eqc_testing::printed(
      "THE SECOND CONSTRAINT ORIENTATION DIRECTION FOR ORIENTATION ORI-1 AT NODE 7 IS ZERO."));
  eqc_testing::clearMessages();
  orient(orientation({1, 0, 0}, {2, 0.0001, 0}), {0, 0, 0}, 4);
  EXPECT_TRUE(eqc_testing::printed("THE TWO CONSTRAINT DIRECTIONS FOR ORIENTATION ORI-1 AT NODE 7 ARE COINCIDENT."));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
}

TEST_F(NodeOrientation, AxisAndCentreAndOffsetMessages) {
  orient(orientation({1, 1, 0}, {0, 0, 1}), {1, 1, 4}, 2);
  EXPECT_TRUE(eqc_testing::printed(
      "KINEMATIC COUPLING NODE 7 LIES ON THE POLAR AXIS OF ORIENTATION ORI-1. THE ORIENTATION CANNOT BE DEFINED AT "
      "THIS NODE."));
  orient(orientation({0, 0, 0}, {0, 0, 1}), {0, 0, 3}, 3);
  EXPECT_TRUE(eqc_testing::printed("KINEMATIC COUPLING NODE 7 LIES AT THE CENTER OF ORIENTATION ORI-1."));
  eqc_testing::clearMessages();
  const Mat A = orient(orientation({0, 0, 0}, {0, 0, 1}), {1, 0, 0}, 101);  // goes on as spherical
  EXPECT_TRUE(eqc_testing::printed(
      "*ORIENTATION, DEFINITION=OFFSET TO NODES IS NOT PERMITTED WITH A KINEMATIC COUPLING DEFINITION."));
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  expectOrthonormalRows(A);
}

TEST_F(NodeOrientation, NodtrnTransposesTheCallersMatrixWithFlagZero) {
  rec::i(CLDOF, 3) = 3;
  Mat T = {0, 1, 0, -1, 0, 0, 0, 0, 1};  // 90 degrees about 3
  const Mat original = T;
  std::vector<double> U = {1, 0, 0, 9, 9, 9};  // one node, stride 6
  const int code = 62, keep = 0, one = 1, ld = 6;
  NODTRN(&code, T.data(), U.data(), &keep, &one, &ld);
  EXPECT_EQ(U, (std::vector<double>{0, -1, 0, 9, 9, 9}));  // by the transpose; code 62 leaves 4-6
  EXPECT_EQ(T[1], -1.0);                                   // left transposed
  NODTRN(&code, T.data(), U.data(), &keep, &one, &ld);      // transposed back: by T itself
  EXPECT_EQ(U, (std::vector<double>{1, 0, 0, 9, 9, 9}));
  EXPECT_EQ(T, original);

  // Code 127: the rotation components follow; flag 1 uses T as it stands; two nodes, stride 7.
  const int rotations = 127, asIs = 1, two = 2, stride = 7;
  std::vector<double> V = {1, 0, 0, 0, 1, 0, 5, 0, 0, 2, 0, 0, 3, 6};
  NODTRN(&rotations, T.data(), V.data(), &asIs, &two, &stride);
  EXPECT_EQ(V, (std::vector<double>{0, 1, 0, -1, 0, 0, 5, 0, 0, 2, 0, 0, 3, 6}));
}

TEST_F(NodeOrientation, NodtrnInPlaneModelsTransformTwoComponents) {
  const Mat T = {0, 1, 7, -1, 0, 7, 7, 7, 7};
  Mat t = T;
  std::vector<double> U = {1, 2, 3};
  const int code = 0, asIs = 1, one = 1, ld = 3;
  NODTRN(&code, t.data(), U.data(), &asIs, &one, &ld);
  EXPECT_EQ(U, (std::vector<double>{-2, 1, 3}));
}

TEST_F(NodeOrientation, MorientsReadsAndWritesTheStoredDirections) {
  const int layout = element(6, {0.0, 1.0});
  Mat T{};
  const int read = 0, write = 1, plain = 0, rotated = 1, noPair = 0, withPair = 1;
  MORIENTS(&read, T.data(), nullptr, &plain, &layout, &noPair);
  EXPECT_EQ((Mat{0, -1, 0, 1, 0, 0, 0, 0, 1}), T);  // rows (0, 1, 0), (-1, 0, 0), (0, 0, 1)

  const double D[6] = {1, 2, 3, 4, 5, 6};
  MORIENTS(&write, T.data(), D, &plain, &layout, &noPair);
  EXPECT_EQ(variable(layout, 32), (std::vector<double>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(variable(layout, 34), (std::vector<double>{0, 1}));

  const double c = 0.6, s = 0.8;
  Mat R = {c, -s, 0, s, c, 0, 0, 0, 1};
  MORIENTS(&write, R.data(), D, &rotated, &layout, &withPair);
  EXPECT_EQ(variable(layout, 32),
            (std::vector<double>{c * 1 + s * 4, c * 2 + s * 5, c * 3 + s * 6, -s * 1 + c * 4, -s * 2 + c * 5,
                                 -s * 3 + c * 6}));
  EXPECT_EQ(variable(layout, 34), (std::vector<double>{c, s}));
}

TEST_F(NodeOrientation, MorientwStoresRowsByKindAndSectionAndTransposes) {
  const Mat A = {1, 4, 7, 2, 5, 8, 3, 6, 9};  // rows (1 2 3), (4 5 6), (7 8 9)
  Mat B{};
  const int write = 0, three = 3, one = 1, two = 2, zero = 0;
  int layout = element(6);
  MORIENTW(A.data(), B.data(), &three, &three, &write, &layout, &one);
  EXPECT_EQ(variable(layout, 32), (std::vector<double>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(B, (Mat{1, 2, 3, 4, 5, 6, 7, 8, 9}));

  layout = element(2);
  MORIENTW(A.data(), B.data(), &two, &one, &write, &layout, &one);
  EXPECT_EQ(variable(layout, 32), (std::vector<double>{1, 2}));
  layout = element(2);
  MORIENTW(A.data(), B.data(), &one, &zero, &write, &layout, &one);  // nothing stored
  EXPECT_EQ(variable(layout, 32), (std::vector<double>{-9, -9}));

  // B may be A itself.
  Mat same = A;
  const int skip = 1;
  MORIENTW(same.data(), same.data(), &three, &three, &skip, &layout, &one);
  EXPECT_EQ(same, (Mat{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(NodeOrientation, ConnectorDirectionsByTypeCode) {
  const Mat A = {1, 4, 7, 2, 5, 8, 3, 6, 9}, B = {11, 14, 17, 12, 15, 18, 13, 16, 19};
  const int twoNode = 3491, other = 3400;
  int layout = element(12);
  CONNMORIENTW(A.data(), B.data(), &twoNode, &layout);
  EXPECT_EQ(variable(layout, 32), (std::vector<double>{1, 2, 3, 4, 5, 6, 11, 12, 13, 14, 15, 16}));
  layout = element(4);
  CONNMORIENTW(A.data(), B.data(), &other, &layout);
  EXPECT_EQ(variable(layout, 32), (std::vector<double>{1, 2, 11, 12}));
}

TEST_F(NodeOrientation, ShortVariableIsNotWrittenPast) {
  const Mat A = {1, 4, 7, 2, 5, 8, 3, 6, 9};
  const int twoNode = 3491;
  const int layout = element(4);
  CONNMORIENTW(A.data(), A.data(), &twoNode, &layout);
  EXPECT_EQ(variable(layout, 32), (std::vector<double>{-9, -9, -9, -9}));
  EXPECT_GE(eqc_testing::countAtLevel(-3), 1);
}

}  // namespace
