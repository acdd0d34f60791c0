#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cmath>
#include <vector>

#include "zmx/import/state.h"

namespace {

using V = std::vector<float>;

// A position table and flag table with room for every word the routines read.
struct Material {
  std::vector<Int> P = std::vector<Int>(20, 1);
  std::vector<Int> F = std::vector<Int>(200, 0);
};

TEST(MaterialKeys, PlasticStrainIsTotalMinusStoredAndTheFlagsDecide) {
  // Two points; stored strain of 3 direct + 1 shear components at position 5 of the block, the
  // stress at 13, the equivalent value at 1, the thermal strain at 21.
  Material mat;
  mat.P[0] = 1, mat.P[1] = 13, mat.P[4] = 21, mat.P[6] = 5;
  V block(40, 0.0F);
  block[0] = 0.25F, block[1] = 0.5F;
  for (int w = 0; w < 8; ++w) block[static_cast<std::size_t>(4 + w)] = 0.01F * static_cast<float>(w + 1);
  for (int w = 0; w < 8; ++w) block[static_cast<std::size_t>(12 + w)] = static_cast<float>(100 + w);
  for (int w = 0; w < 8; ++w) block[static_cast<std::size_t>(20 + w)] = static_cast<float>(-w);
  const V total{1, 2, 3, 4, 5, 6, 7, 8};
  V destination(8, -1.0F), result(8, -1.0F), doubled(8), work(8);
  const Int n = 2, three = 3, one = 1;
  Int status = -1;
  const auto ask = [&](Int key) {
    ACC_SDB_ELEMKEYPLASTIC(mat.P.data(), mat.F.data(), block.data(), &key, destination.data(), &status, &n, &three,
                           &three, &one, &one, total.data(), result.data());
  };
  mat.F[33] = 1;  // F(34): the plastic strain is stored
  ask(4600);
  EXPECT_EQ(status, 0);
  for (int w = 0; w < 8; ++w) EXPECT_FLOAT_EQ(result[static_cast<std::size_t>(w)], total[static_cast<std::size_t>(w)] - 0.01F * static_cast<float>(w + 1));
  // Through the strain copy: point-major with the shear doubled.
  const Int keep = 1, type = 15368;
  ACC_SDB_MODIFYSTRAINSOLID(&n, &keep, &three, &three, &one, &one, &type, &keep, nullptr, nullptr, doubled.data(),
                            result.data(), work.data());
  EXPECT_FLOAT_EQ(doubled[3], 2 * (7 - 0.07F));
  EXPECT_FLOAT_EQ(doubled[1], 3 - 0.03F);
  ask(4200);
  EXPECT_EQ(status, 0);
  EXPECT_FLOAT_EQ(result[2], 0.03F);
  ask(4000);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(destination, (V{100, 102, 104, 106, 101, 103, 105, 107}));
  ask(3000);
  EXPECT_EQ(std::vector<float>(destination.begin(), destination.begin() + 2), (V{0.25F, 0.5F}));
  ask(2700);
  EXPECT_EQ(status, 1);  // F(106) off
  mat.F[105] = 1;
  ask(2700);
  EXPECT_EQ(status, 0);
  mat.F[33] = 0;
  ask(4600);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(result, total);  // nothing stored: the total strain
  for (Int key : {4200, 4000, 6500, 1000}) {
    ask(key);
    EXPECT_EQ(status, 1) << key;
  }

  // The cap model with F(42) = 1 refuses 2700; the orthotropic family serves only 2700.
  Material cap;
  cap.F[41] = 1, cap.F[89] = 1;
  Int key = 2700;
  ACC_SDB_ELEMKEYCAP(cap.P.data(), cap.F.data(), block.data(), &key, destination.data(), &status, &n, &three, &three,
                     &one, &one, total.data(), result.data());
  EXPECT_EQ(status, 1);
  cap.F[41] = 0;
  ACC_SDB_ELEMKEYCAP(cap.P.data(), cap.F.data(), block.data(), &key, destination.data(), &status, &n, &three, &three,
                     &one, &one, total.data(), result.data());
  EXPECT_EQ(status, 0);
  Material ortho;
  ortho.F[73] = 1;
  ACC_SDB_ELEMKEYORTHO(ortho.P.data(), ortho.F.data(), block.data(), &key, destination.data(), &status, &n, &three,
                       &three, &one, &one);
  EXPECT_EQ(status, 0);
  key = 3000;
  ACC_SDB_ELEMKEYORTHO(ortho.P.data(), ortho.F.data(), block.data(), &key, destination.data(), &status, &n, &three,
                       &three, &one, &one);
  EXPECT_EQ(status, 1);
  // User materials: 3000 from P(2).
  ACC_SDB_ELEMKEYVUMAT(mat.P.data(), block.data(), &key, destination.data(), &status, &n, &three, &three, &one, &one);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(destination[0], 100.0F);
}

TEST(StrainCopies, OneShearDoublesTheLastWordAndPlanarStrainTurns) {
  // Two points, 2 direct + 1 shear stored (11, 22, 12 as columns 1, 2, 4 of a 31 layout).
  const V stored{1, 2, 3, 4, 9, 9, 0.5F, 0.25F};
  const Int n = 2, two = 2, one = 1, three = 3, zero = 0, shell = 13316, solid = 25604;
  const V pairs{static_cast<float>(std::sin(0.3)), static_cast<float>(std::sin(0.3)), static_cast<float>(std::cos(0.3)),
                static_cast<float>(std::cos(0.3))};
  V out(6), work(8);
  ACC_SDB_MODIFYSTRAIN(&n, &zero, &zero, &two, &three, &one, &one, &shell, &zero, pairs.data(), out.data(),
                       stored.data(), work.data());
  EXPECT_EQ(out, (V{1, 3, 1.0F, 2, 4, 0.5F}));
  ACC_SDB_MODIFYSTRAIN(&n, &zero, &zero, &two, &three, &one, &one, &solid, &zero, pairs.data(), out.data(),
                       stored.data(), work.data());
  V turned(8);
  ACC_GDB_SYMROTS31S31(&n, &zero, pairs.data(), stored.data(), turned.data());
  EXPECT_FLOAT_EQ(out[0], turned[0]);
  EXPECT_FLOAT_EQ(out[2], 2 * turned[6]);
}

// A hexahedron's strain turns by its quaternion into R S R^T, point-major with the second and
// third shears exchanged and doubled; any no-rotation flag keeps it as stored.
TEST(StrainCopies, HexahedronStrainTurnsByItsQuaternion) {
  const Eigen::Quaterniond q(Eigen::AngleAxisd(0.7, Eigen::Vector3d(1, -2, 0.5).normalized()));
  const V rotation{static_cast<float>(q.x()), static_cast<float>(q.y()), static_cast<float>(q.z()), static_cast<float>(q.w())};
  const V stored{0.01F, -0.02F, 0.03F, 0.004F, 0.005F, -0.006F};  // 11, 22, 33, 12, 23, 13
  Eigen::Matrix3d S;
  S << 0.01, 0.004, -0.006, 0.004, -0.02, 0.005, -0.006, 0.005, 0.03;
  const Eigen::Matrix3d T = q.toRotationMatrix() * S * q.toRotationMatrix().transpose();
  const Int n = 1, three = 3, zero = 0, one = 1, hexahedron = 15368;
  V out(6), work(6);
  ACC_SDB_MODIFYSTRAIN(&n, &zero, &zero, &three, &three, &three, &three, &hexahedron, &zero, rotation.data(), out.data(),
                       stored.data(), work.data());
  const double want[6] = {T(0, 0), T(1, 1), T(2, 2), 2 * T(0, 1), 2 * T(0, 2), 2 * T(1, 2)};
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(out[static_cast<std::size_t>(k)], want[k], 1e-8) << k;
  ACC_SDB_MODIFYSTRAIN(&n, &zero, &one, &three, &three, &three, &three, &hexahedron, &zero, rotation.data(), out.data(),
                       stored.data(), work.data());
  EXPECT_EQ(out, (V{0.01F, -0.02F, 0.03F, 0.008F, -0.012F, 0.01F}));
}

TEST(BeamExtraction, DirectionsStrainsForcesCurvaturesAndMoments) {
  const Int one = 1, six = 6, three = 3, zero = 0, spatial = 12802, planar = 8706, other = 15368;
  const V identity{0, 0, 0, 1};
  V answer(6, -1.0F);
  ACC_SDB_EXTRACTBEAMLOCALDIR(&one, &six, &zero, &spatial, identity.data(), answer.data());
  EXPECT_EQ(answer, (V{0, 1, 0, 0, 0, 1}));
  V untouched(6, -1.0F);
  ACC_SDB_EXTRACTBEAMLOCALDIR(&one, &six, &zero, &other, identity.data(), untouched.data());
  EXPECT_EQ(untouched, V(6, -1.0F));

  const V moments{1, 2, 3}, lengths{2, 3};
  V three3(3);
  ACC_SDB_EXTRACTMOMENTBEAM(&one, &three, &zero, &spatial, moments.data(), three3.data());
  EXPECT_EQ(three3, (V{2, 3, 1}));
  ACC_SDB_EXTRACTCURVATUREBEAM(&one, &three, &zero, &spatial, moments.data(), lengths.data(), three3.data());
  EXPECT_EQ(three3, (V{3, 4.5F, 1.5F}));
  ACC_SDB_EXTRACTBEAMSECTSTRAIN(&one, &three, &zero, &spatial, moments.data(), lengths.data(), three3.data());
  EXPECT_EQ(three3, (V{1, 3, 2}));
  // Section forces with zero length: shear strains times the section factors, unreduced.
  V section(20, 0.0F);
  section[3] = 2, section[16] = 3, section[17] = 5, section[18] = 7;
  const V axial{10}, gamma{0.5F, 0.25F}, zeroLength{0}, stored{0, 0, 0, 2};
  ACC_SDB_EXTRACTBEAMSECTFORCE(&one, &three, &zero, &spatial, axial.data(), gamma.data(), section.data(),
                               zeroLength.data(), stored.data(), three3.data());
  EXPECT_EQ(three3, (V{10, 0.5F * 2 * 4, 0.25F * 3 * 4}));
  const V unit{1};
  ACC_SDB_EXTRACTBEAMSECTFORCE(&one, &three, &zero, &spatial, axial.data(), gamma.data(), section.data(), unit.data(),
                               stored.data(), three3.data());
  EXPECT_FLOAT_EQ(three3[1], 0.5F * 2 * 4 / 6);
  const Int two = 2;
  V pair(2);
  ACC_SDB_EXTRACTBEAMSECTFORCE(&one, &two, &zero, &planar, axial.data(), gamma.data(), section.data(), unit.data(),
                               stored.data(), pair.data());
  EXPECT_FLOAT_EQ(pair[1], 4 * 0.5F * 3 / 8);

  // Plastic section strain (F(106)) and thermal strain (F(18)).
  std::vector<Int> P(10, 1), F(200, 0);
  P[3] = 1, P[4] = 3, P[5] = 5, P[6] = 7, P[2] = 2;
  const V block{1, 2, 3, 4, 5, 6, 7, 8};
  Int status = -1;
  const Int n = 2, stride = 4;
  V strains(8, 0.0F);
  ACC_SDB_EXTRACTBEAMPSECTSTRAIN(P.data(), F.data(), block.data(), strains.data(), &spatial, &n, &stride, &status);
  EXPECT_EQ(status, 1);
  F[105] = 1;
  ACC_SDB_EXTRACTBEAMPSECTSTRAIN(P.data(), F.data(), block.data(), strains.data(), &spatial, &n, &stride, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(strains, (V{1, 3, 5, 7, 2, 4, 6, 8}));
  V thermal(2);
  ACC_SDB_EXTRACTBEAMTHERSTRAIN(&n, &one, &one, &zero, &zero, P.data(), block.data(), F.data(), thermal.data(), &status);
  EXPECT_EQ(status, 1);
  F[17] = 1;
  ACC_SDB_EXTRACTBEAMTHERSTRAIN(&n, &one, &one, &zero, &zero, P.data(), block.data(), F.data(), thermal.data(), &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(thermal, (V{2, 3}));
}

TEST(RebarAngles, CurrentAnglesFollowTheDeformedDirection) {
  // Three shell elements: an undeformed one along 30 degrees, one whose gradient is zero (the
  // direction collapses: pi/2), an undeformed one pointing below the axis.
  const Int n = 3, on = 1, off = 0;
  const double a = M_PI / 6;
  const V initial{static_cast<float>(std::cos(a)), 1, 1, static_cast<float>(std::sin(a)), 0, -1};
  const V reference{0.5F, 1, 1, -1, 0, 0};
  const V curvatures(9, 0.0F), thickness{1, 1, 1};
  const V gradient{1, 0, 1, 1, 0, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0};  // columns F11, F22, F33, F12, F21
  const V pairs{0, 0, 0, 1, 1, 1}, stored{0.1F, 0.2F, 0.3F};
  const float coordinate = 0.0F;
  V answer(6);
  ACC_SDB_REBARANGLESHELL(&n, reference.data(), initial.data(), curvatures.data(), answer.data(), &on, &coordinate,
                          thickness.data(), gradient.data(), pairs.data(), stored.data());
  EXPECT_NEAR(answer[1], a, 1e-6);
  EXPECT_NEAR(answer[3], M_PI / 2, 1e-6);
  EXPECT_NEAR(answer[5], -M_PI / 4, 1e-6);
  EXPECT_NEAR(answer[0], -std::acos(0.5), 1e-6);
  ACC_SDB_REBARANGLESHELL(&n, reference.data(), initial.data(), curvatures.data(), answer.data(), &off, &coordinate,
                          thickness.data(), gradient.data(), pairs.data(), stored.data());
  EXPECT_EQ(answer[2], 0.2F);

  // A membrane: a unit square turned about z by b, its quaternion the same turn; weights (1, 1)
  // give the diagonal, 45 degrees in the element's frame.
  const double b = 0.7;
  V corners(12, 0.0F);
  const double x[4] = {0, 1, 1, 0}, y[4] = {0, 0, 1, 1};
  for (int k = 0; k < 4; ++k) {
    corners[static_cast<std::size_t>(k)] = static_cast<float>(std::cos(b) * x[k] - std::sin(b) * y[k]);
    corners[static_cast<std::size_t>(k + 4)] = static_cast<float>(std::sin(b) * x[k] + std::cos(b) * y[k]);
  }
  const V quaternion{0, 0, static_cast<float>(std::sin(b / 2)), static_cast<float>(std::cos(b / 2))};
  const V weights{1, 1}, refDirection{1, 0}, refAngle{0.4F};
  const Int one = 1;
  V pair(2);
  ACC_SDB_REBARANGLEMEMBRANE(&one, quaternion.data(), weights.data(), corners.data(), refDirection.data(),
                             refAngle.data(), &off, pair.data());
  EXPECT_NEAR(pair[1], M_PI / 4, 1e-6);
  EXPECT_EQ(pair[0], 0.4F);
}

}  // namespace
