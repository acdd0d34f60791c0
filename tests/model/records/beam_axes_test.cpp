// Beam section axes: nodal reference directions turned by the nodal rotations and averaged.
#include <gtest/gtest.h>

#include <Eigen/Geometry>
#include <cmath>
#include <vector>

#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/model_testing.h"
#include "siblings/dm2/testing.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/support/host_fixture.h"
#include "zmx/model.h"

namespace {

class BeamAxes : public zmxtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    rec::clear(CONTRO);
    rec::clear(CNS);
    rec::clear(CLDOF);
    rec::i(CONTRO, 2) = 1;
    eqc_testing::setSlideLineStore({});
  }
  void TearDown() override {
    dm2_testing::resetModel();
    dm2_testing::clearModelParts();
    HostFixture::TearDown();
  }
  static Int element(const std::vector<double>& reference, const std::vector<double>& initial = {}) {
    dm2_testing::Element e;
    e.layout.variables.push_back({18, false, reference, {}, 0, 0});
    if (!initial.empty()) {
      e.layout.variables.push_back({20, false, initial, {}, 0, 0});
      e.layout.variables.push_back({26, true, {}, {1}, 0, 0});
    }
    return dm2_testing::addElement(e);
  }
  static Eigen::Vector3d turned(const Eigen::Vector3d& r, const Eigen::Vector3d& v) {
    return r.norm() == 0 ? v : Eigen::AngleAxisd(r.norm(), r.normalized()) * v;
  }
};

TEST_F(BeamAxes, SpaceBeamsTurnAndAverage) {
  const Int one = 1, two = 2, type = 1200, nv = 3, ld = 6;
  double bsax[6];
  // One node, no rotation: the second vector and the product of the two.
  Int h = element({1, 0, 0, 0, 1, 0});
  const double rest[6] = {};
  SHR_BSECT(&one, &type, &nv, &ld, bsax, &h, rest);
  EXPECT_EQ((std::vector<double>(bsax, bsax + 6)), (std::vector<double>{0, 1, 0, 0, 0, 1}));
  // Two nodes with rotations: turned, averaged, not normalised.
  const Eigen::Vector3d r1(0.3, -0.2, 0.5), r2(-0.1, 0.4, 0.2), a(1, 0, 0), b(0, 0.6, 0.8);
  h = element({a[0], a[1], a[2], b[0], b[1], b[2], a[0], a[1], a[2], b[0], b[1], b[2]});
  const double u[12] = {0, 0, 0, r1[0], r1[1], r1[2], 0, 0, 0, r2[0], r2[1], r2[2]};
  SHR_BSECT(&two, &type, &nv, &ld, bsax, &h, u);
  const Eigen::Vector3d s1 = (turned(r1, a) + turned(r2, a)) / 2, s2 = (turned(r1, b) + turned(r2, b)) / 2;
  const Eigen::Vector3d third = s1.cross(s2);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(bsax[i], s2[i], 1e-12);
    EXPECT_NEAR(bsax[3 + i], third[i], 1e-12);
  }
  // Initial rotations equal to the nodal ones leave the reference directions.
  h = element({a[0], a[1], a[2], b[0], b[1], b[2]}, {0, 0, 0, r1[0], r1[1], r1[2]});
  const double u1[6] = {0, 0, 0, r1[0], r1[1], r1[2]};
  SHR_BSECT(&one, &type, &nv, &ld, bsax, &h, u1);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(bsax[i], b[i], 1e-12);
  // Type codes 2201 to 2302 have no axes.
  const Int noAxes = 2250;
  SHR_BSECT(&one, &noAxes, &nv, &ld, bsax, &h, u1);
  for (double x : bsax) EXPECT_EQ(x, 0.0);
}

TEST_F(BeamAxes, PlaneBeamsAndNodeRecords) {
  const Int one = 1, type = 1000, nv = 2, ld = 3;
  double bsax[4];
  const Int h = element({0.6, 0.8});
  const double u[3] = {0, 0, M_PI / 2};
  SHR_BSECT(&one, &type, &nv, &ld, bsax, &h, u);
  EXPECT_NEAR(bsax[0], -0.8, 1e-15);
  EXPECT_NEAR(bsax[1], 0.6, 1e-15);
  EXPECT_EQ(bsax[2], bsax[1]);
  EXPECT_EQ(bsax[3], -bsax[0]);
  rec::i(CONTRO, 2) = 0;  // rotations are not applied to plane beams
  SHR_BSECT(&one, &type, &nv, &ld, bsax, &h, u);
  EXPECT_EQ((std::vector<double>(bsax, bsax + 4)), (std::vector<double>{0.6, 0.8, 0.8, -0.6}));
  // From the node records: node variable 12 adds its rotation unless the degree of freedom is
  // constrained.
  rec::i(CLDOF, 1) = 1;
  rec::i(CLDOF, 2) = 2;
  rec::i(CLDOF, 6) = 3;
  rec::i(CGN, 4) = 3;
  rec::i(CSLNS, 3) = 1000;
  const Int constrained = eqc_testing::appendSlideLineSlots(
      {eqc_testing::integerSlot(6), eqc_testing::integerSlot(1), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  dm2_testing::Node free, fixed;
  fixed.dofList = {constrained};
  const Int nodes[2] = {dm2_testing::addNode(free), dm2_testing::addNode(fixed)};
  dm2_testing::setNodeVariable(nodes[0], 12, {0, 0, M_PI / 2});
  dm2_testing::setNodeVariable(nodes[1], 12, {0, 0, M_PI / 2});
  const Int db = dm2_testing::nodeDatabase(), offset = 0;
  const double reference[2] = {1, 0}, none[3] = {};
  double slrec[16];
  Int iflags[3], ilast = 0;
  SHR_BSECTMOD(&one, &type, &nv, &ld, &offset, bsax, none, slrec, &ilast, reference, iflags, &nodes[0], &db);
  EXPECT_NEAR(bsax[0], 0.0, 1e-15);
  EXPECT_NEAR(bsax[1], 1.0, 1e-15);
  SHR_BSECTMOD(&one, &type, &nv, &ld, &offset, bsax, none, slrec, &ilast, reference, iflags, &nodes[1], &db);
  EXPECT_EQ((std::vector<double>(bsax, bsax + 4)), (std::vector<double>{1, 0, 0, -1}));
}

TEST_F(BeamAxes, SpaceBeamsFromTheNodeRecordsTurnTwice) {
  // Each node's reference vectors turned by its solution rotation, then by its stored rotation;
  // averaged, with the second axis the product of the two.
  rec::i(CGN, 4) = 6;
  const Eigen::Vector3d a(1, 0, 0), b(0, 0.6, 0.8);
  const Eigen::Vector3d r1[2] = {{0.3, -0.2, 0.5}, {0.0, 0.1, 0.0}}, r2[2] = {{-0.1, 0.4, 0.2}, {0.2, 0.0, -0.3}};
  Int nodes[2];
  for (int k = 0; k < 2; ++k) {
    nodes[k] = dm2_testing::addNode(dm2_testing::Node{});
    dm2_testing::setNodeVariable(nodes[k], 12, {0, 0, 0, r2[k][0], r2[k][1], r2[k][2]});
  }
  const double reference[12] = {a[0], a[1], a[2], b[0], b[1], b[2], a[0], a[1], a[2], b[0], b[1], b[2]};
  const double u[12] = {0, 0, 0, r1[0][0], r1[0][1], r1[0][2], 0, 0, 0, r1[1][0], r1[1][1], r1[1][2]};
  const Int two = 2, type = 1200, nv = 3, ld = 6, offset = 0, db = dm2_testing::nodeDatabase();
  double bsax[6], slrec[16];
  Int iflags[6], ilast = 0;
  SHR_BSECTMOD(&two, &type, &nv, &ld, &offset, bsax, u, slrec, &ilast, reference, iflags, nodes, &db);
  Eigen::Vector3d s1 = Eigen::Vector3d::Zero(), s2 = Eigen::Vector3d::Zero();
  for (int k = 0; k < 2; ++k) {
    s1 += turned(r2[k], turned(r1[k], a)) / 2;
    s2 += turned(r2[k], turned(r1[k], b)) / 2;
  }
  const Eigen::Vector3d third = s1.cross(s2);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(bsax[i], s2[i], 1e-12);
    EXPECT_NEAR(bsax[3 + i], third[i], 1e-12);
  }
}

}  // namespace
